// The log of the saves at shutdown that failed.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "settings/SettingsFile.h"

namespace kontakta {

// The log beside the settings, "Kontakta.log" in UserFilesDirectory: a save
// at shutdown that failed is written there, since nobody may be there to read
// a message. UTF-16LE with a byte order mark, one line per entry, CR LF.
constexpr const char16_t* logFileName = u"Kontakta.log";
constexpr size_t logLimit = 64 * 1024;  // bytes; above it the oldest lines go
std::u16string LogFilePath();

struct LocalTime {
    int year, month, day, hour, minute, second;
};
// "dd.mm.yyyy hh:mm:ss <text>"
std::u16string LogLine(const LocalTime& time, const std::u16string& text);
// The log file that follows `oldLog` when `line` is added: the old entries
// (none if `oldLog` is not a log of ours) and the line. Would that exceed
// logLimit, only the newest whole old lines that fit in half of it stay.
std::vector<uint8_t> AppendedLog(const std::vector<uint8_t>& oldLog, const std::u16string& line);

// The save at shutdown: like SaveSettings, and a failure goes to the log with
// `now`, saying why. Returns whether the settings were saved.
bool SaveSettingsOrLog(SettingsStorage& storage, const LocalTime& now);

}  // namespace kontakta
