// The settings file "settings.dat": the settings block stored byte for byte,
// 5032 bytes, no header. Loading (with the optional copy of the installed
// default file first), the version and range checks, and saving, which
// replaces the whole file in one step.
//
// The file system and the message box come through seams, so the exact
// semantics are tested natively against files built byte by byte.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "sensors/SensorAction.h"
#include "settings/SettingsExtension.h"

constexpr size_t settingsBlockSize = 4 + sensorCount * sizeof(SensorAction) + 4;
static_assert(settingsBlockSize == 5032, "the settings file is 5032 bytes");
constexpr size_t settingsVersionOffset = 5028;

constexpr const char16_t* settingsFileName = u"settings.dat";

// Start-up values that the main window sets before the settings are loaded.
// `InstallDirectory` is used exactly as the registry holds it (it normally
// ends with a backslash); `UserFilesDirectory` ends with a backslash.
// `UpdateCode` 1 asks for the installed default settings to be copied first.
extern std::u16string InstallDirectory;
extern std::u16string UserFilesDirectory;
extern int32_t UpdateCode;

using SettingsBlock = std::array<uint8_t, settingsBlockSize>;

// The settings in memory as the bytes of the file: beepOnPress, the eight
// records, settingsVersion, little-endian.
SettingsBlock SerializeSettings();
void DeserializeSettings(const SettingsBlock& block);

// Replaces the start of the block in memory with `length` bytes (at most the
// block's size); the rest keeps its values.
void OverlaySettings(const uint8_t* bytes, size_t length);

// The range check of the loaded records; a target without its terminating
// zero is cut to the 254 units a target holds. Returns true if it changed
// anything.
bool ValidateSettings();

// The file system as the settings need it.
class SettingsStorage {
public:
    enum class ReadResult { Read, Missing, CannotOpen, Failed };
    virtual ~SettingsStorage() = default;
    // Copies `from` over `to`, replacing it.
    virtual bool CopyFileOver(const std::u16string& from, const std::u16string& to) = 0;
    // Reads at most `maxBytes` from the start of the file. A program that
    // only reads the file as well (a backup, a sync client) does not stand in
    // the way, and a short hold by another program is waited out. Missing:
    // there is no such file; CannotOpen: it is there but cannot be opened (no
    // access, held by another program for longer); Failed: opened, not read.
    virtual ReadResult ReadStart(const std::u16string& path, size_t maxBytes, std::vector<uint8_t>& bytes) = 0;
    // Makes `bytes` the whole content of the file, in one step: at every
    // moment, a power loss included, the file holds either all of its old
    // content or all of the new. A file that is there keeps its attributes
    // and access rights. A missing file is created only if `mayCreate` is
    // set. Returns whether the file holds the new content; if not, it is as
    // it was.
    virtual bool WriteWhole(const std::u16string& path, const std::vector<uint8_t>& bytes, bool mayCreate) = 0;
};

// Where the version message goes.
class MessageSink {
public:
    virtual ~MessageSink() = default;
    virtual void ShowMessage(const std::u16string& text) = 0;
};

std::u16string SettingsFilePath();         // UserFilesDirectory + "settings.dat"
std::u16string DefaultSettingsFilePath();  // InstallDirectory + "o_" + "settings.dat"

// "Die Datei Settings.dat Version %d ist nicht kompatibel zu %s"
std::u16string VersionMessage(int32_t version);

// Loads the user's settings file into memory: with UpdateCode 1 the installed
// default file is copied over it first. A file shorter than the block
// replaces only its start. Past the block an extension with the timing
// filters may follow (settings/SettingsExtension.h); without a readable one
// the filters are off. A version other than 2 shows the version message.
// True when the file was read and accepted.
bool LoadSettings(SettingsStorage& storage, MessageSink& messages);

// The content a save gives a settings file that held `oldFile`: the block,
// then the old file's tail byte for byte, except that the extension with
// `extension` takes the place of the one the tail starts with, or is put
// after a block without a tail. It is written only where it may be (see
// MayWriteSettingsExtension), and not at all while every option has its
// default and the file has none, so such a file keeps its 5032 bytes.
std::vector<uint8_t> SettingsFileContent(const SettingsBlock& block, const std::vector<uint8_t>& oldFile,
                                         const SettingsExtension& extension = {});

// Saving replaces the user's existing settings file with the block and the
// old file's tail; it never creates the file.
enum class SaveResult {
    Saved,
    FileMissing,     // nothing was written
    FileUnreadable,  // the file is there but could not be read: nothing was written
    NotReplaced,     // the new content could not take the old one's place: the file is as it was
};
SaveResult SaveSettingsFile(SettingsStorage& storage);
// Whether SaveSettingsFile saved. Reports nothing.
bool SaveSettings(SettingsStorage& storage);

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

// The registry value "UpdateCode" (HKCU Software\KORVA\Kontakta) as stored:
// its type (the numbers Windows gives them) and all its bytes.
enum class RegistryType : uint32_t {
    None = 0,
    String = 1,        // REG_SZ
    ExpandString = 2,  // REG_EXPAND_SZ
    Binary = 3,        // REG_BINARY
    Number = 4,        // REG_DWORD
    MultiString = 7,   // REG_MULTI_SZ
    Number64 = 11,     // REG_QWORD
};
struct RegistryValue {
    uint32_t type = 0;
    std::vector<uint8_t> bytes;
};

// What "UpdateCode" means, for the program and for the per-user step of the
// installation alike, so the step can never misjudge what the program will
// do. The program reads a string into a buffer of 255 bytes:
// - no value, or a string longer than that: missing, and the code is 1, so the
//   installed defaults are copied over the user's file;
// - a string (REG_SZ, REG_EXPAND_SZ): present, the decimal number at its
//   start (ParseLeadingInteger);
// - any other type (a number, binary, ...): present, and the code is 0: a
//   value nobody wrote for the program never costs a user their settings.
struct UpdateCodeReading {
    bool present;
    int32_t code;
};
UpdateCodeReading UpdateCodeMeaning(const std::optional<RegistryValue>& value);

// The decimal number at the start of a text, as the registry value
// "UpdateCode" holds it: leading blanks and a sign are accepted, the number
// ends at the first other character, no digits give 0. Saturates instead of
// overflowing.
int32_t ParseLeadingInteger(const std::u16string& text);
