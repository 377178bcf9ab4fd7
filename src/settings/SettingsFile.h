// The settings file "settings.dat": the settings block stored byte for byte,
// 5032 bytes, no header. Loading (with the optional copy of the installed
// default file first), the version and range checks, and saving in place.
//
// The file system and the message box come through seams, so the exact
// semantics are tested natively against files built byte by byte.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "sensors/SensorAction.h"

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

// The range check of the loaded records. Returns true if it changed anything.
bool ValidateSettings();

// The file system as the settings need it.
class SettingsStorage {
public:
    enum class ReadResult { Read, CannotOpen, Failed };
    virtual ~SettingsStorage() = default;
    // Copies `from` over `to`, replacing it.
    virtual bool CopyFileOver(const std::u16string& from, const std::u16string& to) = 0;
    // Reads at most `maxBytes` from the start of the file, opened without sharing.
    virtual ReadResult ReadStart(const std::u16string& path, size_t maxBytes, std::vector<uint8_t>& bytes) = 0;
    // Writes `length` bytes at the start of the existing file: never creates
    // or truncates it. Either all of it is written or the file is left as it
    // was. Returns whether it was written.
    virtual bool WriteStart(const std::u16string& path, const uint8_t* bytes, size_t length) = 0;
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
// replaces only its start; bytes past the block are ignored. A version other
// than 2 shows the version message. True when the file was read and accepted.
bool LoadSettings(SettingsStorage& storage, MessageSink& messages);

// Writes the block into the existing settings file. Reports nothing.
bool SaveSettings(SettingsStorage& storage);

// The decimal number at the start of a text, as the registry value
// "UpdateCode" holds it: leading blanks and a sign are accepted, the number
// ends at the first other character, no digits give 0. Saturates instead of
// overflowing.
int32_t ParseLeadingInteger(const std::u16string& text);
