#include "app/Texts.h"

#include "sensors/DeviceAccess.h"

namespace texts {

std::u16string Fill(const std::u16string& pattern, std::initializer_list<std::u16string> arguments)
{
    std::u16string result;
    auto next = arguments.begin();
    for (size_t i = 0; i < pattern.size(); ++i) {
        if (pattern[i] == u'%' && i + 1 < pattern.size()) {
            const char16_t kind = pattern[i + 1];
            if (kind == u'%') {
                result += u'%';
                ++i;
                continue;
            }
            if (kind == u's' || kind == u'd') {
                if (next != arguments.end()) result += *next++;
                ++i;
                continue;
            }
        }
        result += pattern[i];
    }
    return result;
}

std::u16string Decimal(int64_t value)
{
    const bool negative = value < 0;
    uint64_t magnitude = negative ? 0 - static_cast<uint64_t>(value) : static_cast<uint64_t>(value);
    std::u16string digits;
    do {
        digits.insert(digits.begin(), static_cast<char16_t>(u'0' + magnitude % 10));
        magnitude /= 10;
    } while (magnitude != 0);
    return negative ? u"-" + digits : digits;
}

std::u16string TrayTip(bool boxUnreadable)
{
    return boxUnreadable ? Fill(u"%s - Kein Eingabegerät gefunden!", {mainTitle}) : Fill(u"%s", {mainTitle});
}

std::u16string SplashStatus() { return Fill(u"%s Version: %s wird gestartet...", {programName, version}); }

std::u16string ExitQuestion() { return Fill(u"%s wirklich beenden?", {programName}); }

std::u16string SettingsCaption() { return Fill(u"%s - %s", {programName, u"Konfigurationsmwenü"}); }

std::u16string InfoVersionText() { return Fill(u"%s Version: %s\nfür Windows ", {programName, version}); }

std::u16string DeviceStatusText(bool boxUnreadable, int32_t deviceKind)
{
    const char16_t* name = DeviceKindName(DeviceKind::None);
    if (!boxUnreadable) {
        if (deviceKind == int32_t(DeviceKind::SixInputs)) name = DeviceKindName(DeviceKind::SixInputs);
        else if (deviceKind == int32_t(DeviceKind::EightInputs)) name = DeviceKindName(DeviceKind::EightInputs);
    }
    return Fill(u"%s ist angeschlossen.", {name});
}

std::u16string DirectoryInvalid(const std::u16string& directory)
{
    return Fill(u"Verzeichnis '%s' ist ungültig!", {directory});
}

std::u16string MachineKeyPath() { return Fill(u"Software\\KORVA\\%s", {mainTitle}); }

std::u16string UserKeyPath() { return Fill(u"Software\\%s\\%s", {makerName, programName}); }

std::u16string UserFilesDirectoryFor(const std::u16string& documents)
{
    return Fill(u"%s\\%s User Files\\", {documents, programName});
}

}  // namespace texts
