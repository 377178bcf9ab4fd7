#include "settings/SettingsFile.h"

#include <algorithm>
#include <bit>
#include <cstring>
#include <limits>

#include "sensors/SensorActivity.h"
#include "texts/Texts.h"

static_assert(std::endian::native == std::endian::little, "the settings file is little-endian, like the machines");

std::u16string InstallDirectory;
std::u16string UserFilesDirectory;
int32_t UpdateCode = 0;

namespace {

void PutInt32(uint8_t* at, int32_t value) { std::memcpy(at, &value, sizeof value); }

int32_t GetInt32(const uint8_t* at)
{
    int32_t value;
    std::memcpy(&value, at, sizeof value);
    return value;
}

}  // namespace

SettingsBlock SerializeSettings()
{
    SettingsBlock block{};
    PutInt32(block.data(), beepOnPress);
    const SensorActions records = sensorActions.GetAll();
    std::memcpy(block.data() + 4, records.data(), sizeof records);
    PutInt32(block.data() + settingsVersionOffset, settingsVersion);
    return block;
}

void DeserializeSettings(const SettingsBlock& block)
{
    beepOnPress = GetInt32(block.data());
    SensorActions records;
    std::memcpy(records.data(), block.data() + 4, sizeof records);
    sensorActions.SetAll(records);
    settingsVersion = GetInt32(block.data() + settingsVersionOffset);
}

void OverlaySettings(const uint8_t* bytes, size_t length)
{
    if (length == 0) return;  // an empty file changes nothing
    SettingsBlock block = SerializeSettings();
    std::memcpy(block.data(), bytes, std::min(length, block.size()));
    DeserializeSettings(block);
}

bool ValidateSettings()
{
    SensorActions records = sensorActions.GetAll();
    bool changed = false;
    for (SensorAction& record : records) {
        changed |= ClampSensorAction(record);
        // A target without its zero would fill the editor's field past what
        // the field takes, and its OK would refuse it: it ends at the last
        // unit that a terminated target can have.
        if (FieldLength(record.path, pathLength) == pathLength) {
            record.path[pathLength - 1] = u'\0';
            changed = true;
        }
    }
    if (changed) sensorActions.SetAll(records);
    return changed;
}

std::u16string SettingsFilePath() { return UserFilesDirectory + settingsFileName; }

std::u16string DefaultSettingsFilePath() { return texts::Fill(u"%so_%s", {InstallDirectory, settingsFileName}); }

std::u16string VersionMessage(int32_t version)
{
    return texts::VersionIncompatible(version);
}

bool LoadSettings(SettingsStorage& storage, MessageSink& messages)
{
    const std::u16string path = SettingsFilePath();
    if (UpdateCode == 1 && !storage.CopyFileOver(DefaultSettingsFilePath(), path)) return false;

    std::vector<uint8_t> bytes;
    if (storage.ReadStart(path, settingsBlockSize + maxExtensionRead, bytes) != SettingsStorage::ReadResult::Read)
        return false;
    OverlaySettings(bytes.data(), std::min(bytes.size(), settingsBlockSize));
    const std::optional<SettingsExtension> extension =
        bytes.size() > settingsBlockSize
            ? DecodeSettingsExtension(bytes.data() + settingsBlockSize, bytes.size() - settingsBlockSize)
            : std::nullopt;
    sensorFilters.SetAll(extension ? extension->filters : SettingsExtension{}.filters);

    if (settingsVersion != currentSettingsVersion) {
        messages.ShowMessage(VersionMessage(settingsVersion));
        return false;
    }
    settingsVersion = currentSettingsVersion;
    ValidateSettings();
    return true;
}

std::vector<uint8_t> SettingsFileContent(const SettingsBlock& block, const std::vector<uint8_t>& oldFile,
                                         const SettingsExtension& extension)
{
    std::vector<uint8_t> content(block.begin(), block.end());
    const uint8_t* tail = oldFile.size() > block.size() ? oldFile.data() + block.size() : nullptr;
    const size_t tailLength = tail ? oldFile.size() - block.size() : 0;
    const bool allDefaults = extension.filters == SettingsExtension{}.filters;
    if (!MayWriteSettingsExtension(tail, tailLength) || (tailLength == 0 && allDefaults)) {
        if (tail) content.insert(content.end(), tail, tail + tailLength);
        return content;
    }
    const std::vector<uint8_t> encoded = EncodeSettingsExtension(extension);
    content.insert(content.end(), encoded.begin(), encoded.end());
    // Whatever followed the old extension stays after the new one.
    const size_t replaced = std::min(tailLength, ExtensionExtent(tail, tailLength));
    if (tail) content.insert(content.end(), tail + replaced, tail + tailLength);
    return content;
}

SaveResult SaveSettingsFile(SettingsStorage& storage)
{
    const std::u16string path = SettingsFilePath();
    // The whole old file, for its tail beyond the block.
    std::vector<uint8_t> oldFile;
    switch (storage.ReadStart(path, std::numeric_limits<size_t>::max(), oldFile)) {
    case SettingsStorage::ReadResult::Read:
        break;
    case SettingsStorage::ReadResult::Missing:
        return SaveResult::FileMissing;
    case SettingsStorage::ReadResult::CannotOpen:
    case SettingsStorage::ReadResult::Failed:
        return SaveResult::FileUnreadable;
    }
    SettingsExtension extension;
    extension.filters = sensorFilters.GetAll();
    const std::vector<uint8_t> content = SettingsFileContent(SerializeSettings(), oldFile, extension);
    return storage.WriteWhole(path, content, false) ? SaveResult::Saved : SaveResult::NotReplaced;
}

bool SaveSettings(SettingsStorage& storage) { return SaveSettingsFile(storage) == SaveResult::Saved; }

std::u16string LogFilePath() { return UserFilesDirectory + logFileName; }

std::u16string LogLine(const LocalTime& time, const std::u16string& text)
{
    auto two = [](int value) {
        const std::u16string digits = texts::Decimal(value);
        return digits.size() < 2 ? u"0" + digits : digits;
    };
    return texts::Fill(u"%s.%s.%s %s:%s:%s %s", {two(time.day), two(time.month), texts::Decimal(time.year),
                                                 two(time.hour), two(time.minute), two(time.second), text});
}

std::vector<uint8_t> AppendedLog(const std::vector<uint8_t>& oldLog, const std::u16string& line)
{
    // Old entries count only in a log of ours: UTF-16LE after its byte order mark.
    std::u16string entries;
    if (oldLog.size() >= 2 && oldLog.size() % 2 == 0 && oldLog[0] == 0xFF && oldLog[1] == 0xFE) {
        for (size_t at = 2; at < oldLog.size(); at += 2) entries += char16_t(oldLog[at] | (oldLog[at + 1] << 8));
    }
    const std::u16string entry = line + u"\r\n";
    const auto bytesOf = [](size_t units) { return 2 + 2 * units; };  // with the byte order mark
    if (bytesOf(entries.size() + entry.size()) > logLimit) {
        // Drop whole lines from the front until the rest fits in half the limit.
        size_t from = 0;
        while (from < entries.size() && bytesOf(entries.size() - from + entry.size()) > logLimit / 2) {
            const size_t end = entries.find(u"\r\n", from);
            from = end == std::u16string::npos ? entries.size() : end + 2;
        }
        entries.erase(0, from);
    }
    entries += entry;
    std::vector<uint8_t> log = {0xFF, 0xFE};
    for (char16_t unit : entries) {
        log.push_back(static_cast<uint8_t>(unit & 0xFF));
        log.push_back(static_cast<uint8_t>(unit >> 8));
    }
    return log;
}

bool SaveSettingsOrLog(SettingsStorage& storage, const LocalTime& now)
{
    const SaveResult result = SaveSettingsFile(storage);
    std::u16string reason;
    switch (result) {
    case SaveResult::Saved:
        return true;
    case SaveResult::FileMissing:
        reason = texts::ShutdownSaveFileMissing(SettingsFilePath());
        break;
    case SaveResult::FileUnreadable:
        reason = texts::ShutdownSaveFileUnreadable(SettingsFilePath());
        break;
    case SaveResult::NotReplaced:
        reason = texts::ShutdownSaveNotReplaced(SettingsFilePath());
        break;
    }
    // The log is an aid, not a duty: if it cannot be written either, nothing more can be done.
    const std::u16string logPath = LogFilePath();
    std::vector<uint8_t> oldLog;
    if (storage.ReadStart(logPath, 2 * logLimit, oldLog) != SettingsStorage::ReadResult::Read) oldLog.clear();
    storage.WriteWhole(logPath, AppendedLog(oldLog, LogLine(now, reason)), true);
    return false;
}

UpdateCodeReading UpdateCodeMeaning(const std::optional<RegistryValue>& value)
{
    constexpr size_t programBuffer = 255;  // bytes
    if (!value) return {false, 1};
    switch (static_cast<RegistryType>(value->type)) {
    case RegistryType::String:
    case RegistryType::ExpandString: {
        if (value->bytes.size() > programBuffer) return {false, 1};
        std::u16string text;
        for (size_t at = 0; at + 1 < value->bytes.size(); at += 2) {
            const char16_t unit = char16_t(value->bytes[at] | (value->bytes[at + 1] << 8));
            if (unit == u'\0') break;
            text += unit;
        }
        return {true, ParseLeadingInteger(text)};
    }
    default:
        return {true, 0};
    }
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
    return static_cast<int32_t>(std::clamp<int64_t>(value, std::numeric_limits<int32_t>::min(),
                                                    std::numeric_limits<int32_t>::max()));
}
