#include "settings/SettingsLog.h"

#include "settings/StartupValues.h"
#include "texts/Texts.h"

namespace kontakta {

std::u16string LogFilePath()
{
    return UserFilesDirectory + logFileName;
}

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
    case SaveResult::Saved: return true;
    case SaveResult::FileMissing: reason = texts::ShutdownSaveFileMissing(SettingsFilePath()); break;
    case SaveResult::FileUnreadable: reason = texts::ShutdownSaveFileUnreadable(SettingsFilePath()); break;
    case SaveResult::NotReplaced: reason = texts::ShutdownSaveNotReplaced(SettingsFilePath()); break;
    }
    // The log is an aid, not a duty: if it cannot be written either, nothing more can be done.
    const std::u16string logPath = LogFilePath();
    std::vector<uint8_t> oldLog;
    if (storage.ReadStart(logPath, 2 * logLimit, oldLog) != SettingsStorage::ReadResult::Read) oldLog.clear();
    storage.WriteWhole(logPath, AppendedLog(oldLog, LogLine(now, reason)), true);
    return false;
}

}  // namespace kontakta
