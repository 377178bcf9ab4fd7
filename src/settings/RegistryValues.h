// What the program's registry values mean, read whole as Windows stores them.
// One reader (settings/Win32Registry.h) hands the program and the per-user
// step of the installation the same bytes; these rules judge them.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace kontakta {

// A registry value as stored: its type (the numbers Windows gives them) and
// all its bytes.
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

// A string value as the program reads it, into a buffer of 255 bytes: a
// string (REG_SZ, REG_EXPAND_SZ) of at most 255 bytes, which holds at most
// 126 characters and their terminator (127 if it was stored without one),
// read up to its first terminator. None for any other type, for a longer
// string (the buffer is too small for it: the value counts as missing), and
// for no value.
std::optional<std::u16string> ProgramString(const std::optional<RegistryValue>& value);

// What "Directory" (HKLM Software\KORVA\KORVA Kontakta) means: the program's
// installation folder, exactly as ProgramString reads it; none when the value
// counts as missing, and then the folder is not set.
std::optional<std::u16string> InstallDirectoryMeaning(const std::optional<RegistryValue>& value);

// Where the program finds its installation folder. An installation for all
// users records "Directory" under HKLM, one for a single user under the same
// path in that user's HKCU. What one of the two keys gave: whether it could
// be opened, and its "Directory" (none when there is no such value).
struct DirectoryKey {
    bool opened = false;
    std::optional<RegistryValue> value;
};
struct InstallDirectoryChoice {
    std::optional<std::u16string> directory;  // none: the folder is not set
    // "Registry konnte nicht geöffnet werden": the machine's key could not be
    // opened and the user's key gave no folder either, so a start without a
    // per-user installation reports what it always reported.
    bool reportMachineKeyMissing = false;
};
// The machine's folder wins wherever the program can read it: an
// installation for all users replaces one that a user made for themself. The
// user's folder counts only when HKLM gives none.
InstallDirectoryChoice ChooseInstallDirectory(const DirectoryKey& machine, const DirectoryKey& user);

// What "UpdateCode" means, for the program and for the per-user step of the
// installation alike, so the step can never misjudge what the program will
// do:
// - no value, or a string longer than ProgramString reads: missing, and the
//   code is 1, so the installed defaults are copied over the user's file;
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

}  // namespace kontakta
