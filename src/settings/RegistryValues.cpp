#include "settings/RegistryValues.h"

#include <algorithm>
#include <limits>

namespace kontakta {

std::optional<std::u16string> ProgramString(const std::optional<RegistryValue>& value)
{
    constexpr size_t programBuffer = 255;  // bytes
    if (!value) return std::nullopt;
    const auto type = static_cast<RegistryType>(value->type);
    if (type != RegistryType::String && type != RegistryType::ExpandString) return std::nullopt;
    // RegQueryValueExW answers ERROR_MORE_DATA for a value larger than the
    // buffer and reads nothing.
    if (value->bytes.size() > programBuffer) return std::nullopt;
    // A string that was stored without its terminator is read without one;
    // the odd last byte of a 255-byte buffer is no character.
    std::u16string text;
    for (size_t at = 0; at + 1 < value->bytes.size(); at += 2) {
        const char16_t unit = char16_t(value->bytes[at] | (value->bytes[at + 1] << 8));
        if (unit == u'\0') break;
        text += unit;
    }
    return text;
}

std::optional<std::u16string> InstallDirectoryMeaning(const std::optional<RegistryValue>& value)
{
    return ProgramString(value);
}

InstallDirectoryChoice ChooseInstallDirectory(const DirectoryKey& machine, const DirectoryKey& user)
{
    InstallDirectoryChoice choice;
    if (machine.opened) choice.directory = InstallDirectoryMeaning(machine.value);
    if (!choice.directory && user.opened) choice.directory = InstallDirectoryMeaning(user.value);
    choice.reportMachineKeyMissing = !machine.opened && !choice.directory;
    return choice;
}

UpdateCodeReading UpdateCodeMeaning(const std::optional<RegistryValue>& value)
{
    if (!value) return {false, 1};
    const auto type = static_cast<RegistryType>(value->type);
    if (type != RegistryType::String && type != RegistryType::ExpandString) return {true, 0};
    const std::optional<std::u16string> text = ProgramString(value);
    if (!text) return {false, 1};
    return {true, ParseLeadingInteger(*text)};
}

int32_t ParseLeadingInteger(const std::u16string& text)
{
    size_t at = 0;
    while (at < text.size() && (text[at] == u' ' || (text[at] >= u'\t' && text[at] <= u'\r'))) ++at;
    bool negative = false;
    if (at < text.size() && (text[at] == u'+' || text[at] == u'-')) negative = text[at++] == u'-';
    int64_t value = 0;
    for (; at < text.size() && text[at] >= u'0' && text[at] <= u'9'; ++at) {
        value = value * 10 + (text[at] - u'0');
        if (value > int64_t(std::numeric_limits<int32_t>::max()) + 1) break;
    }
    if (negative) value = -value;
    return static_cast<int32_t>(
        std::clamp<int64_t>(value, std::numeric_limits<int32_t>::min(), std::numeric_limits<int32_t>::max()));
}

}  // namespace kontakta
