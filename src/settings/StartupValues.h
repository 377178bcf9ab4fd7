// The start-up values that the main window sets from the registry and the
// documents folder before the settings are loaded, and the settings file
// uses.
#pragma once

#include <cstdint>
#include <string>

// `InstallDirectory` is used exactly as the registry holds it (it normally
// ends with a backslash); `UserFilesDirectory` ends with a backslash.
// `UpdateCode` 1 asks for the installed default settings to be copied first.
extern std::u16string InstallDirectory;
extern std::u16string UserFilesDirectory;
extern int32_t UpdateCode;
