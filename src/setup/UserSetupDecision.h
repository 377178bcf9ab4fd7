// What the per-user step of the installation decides for one user, without
// Windows: whether the program would find an "UpdateCode" value, and what to
// write there so that the program copies the installed default settings only
// for a user who has no settings file yet.
//
// The program treats a missing "UpdateCode" like "1" and then copies the
// defaults over the user's settings.dat at its next start. The fault this
// guards against is an update that wipes out a switch user's configuration.
#pragma once

#include <cstdint>

namespace usersetup {

// Registry value types, with the numbers Windows gives them.
enum class ValueType : uint32_t {
    None = 0,
    String = 1,        // REG_SZ
    ExpandString = 2,  // REG_EXPAND_SZ
    Binary = 3,        // REG_BINARY
    Number = 4,        // REG_DWORD
    MultiString = 7,   // REG_MULTI_SZ
    Number64 = 11,     // REG_QWORD
};

// A registry value as stored: whether it exists, its type and its size in bytes.
struct StoredValue {
    bool exists = false;
    uint32_t type = 0;
    uint32_t bytes = 0;
};

// The program reads "UpdateCode" into a buffer of 255 bytes and accepts a
// string (REG_SZ, REG_EXPAND_SZ) or a four-byte number. Anything else, or
// anything larger, is missing for the program, which then copies the defaults.
bool ProgramFindsValue(const StoredValue& value);

// Whether the user's settings.dat is there; Unknown when its folder could
// not be asked (an unreachable redirected Documents folder, no access).
enum class SettingsFile { Missing, Present, Unknown };

enum class UpdateCodeChange {
    Leave,      // keep the value as it is
    WriteOne,   // "1": copy the defaults at the next start
    WriteZero,  // "0": keep the user's file
    GiveUp,     // change nothing and report a failure
};

// No settings file: "1", so the program has a file to start with. A settings
// file: never "1"; "0" only where the program would find no value, anything
// else stays. Without knowing about the file nothing is written: "1" could
// cost the user's file, and "0" without a file would stop the program.
UpdateCodeChange DecideUpdateCode(SettingsFile settingsFile, bool programFindsUpdateCode);

// Exit codes of KontaktaUserSetup.exe.
enum ExitCode : int {
    Done = 0,
    NoDocumentsFolder = 2,      // the shell named no Documents folder
    UserFolderNotCreated = 3,   // "Kontakta User Files" could not be made
    SettingsFileUnknown = 4,    // settings.dat could not be asked about
    UserKeyNotOpened = 5,       // HKCU Software\KORVA\Kontakta could not be opened or created
    UpdateCodeNotWritten = 6,   // "UpdateCode" could not be written
};

}  // namespace usersetup
