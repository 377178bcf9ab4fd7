// Helpers of the installer tests under Wine: the setup built by the project
// staged in a folder of its own, programs run to their end together with every
// process they start, the registry and files the setup leaves, and a
// Kontakta.exe started from wherever it was installed.
#pragma once

#include <windows.h>

#include <optional>
#include <string>
#include <vector>

#include "E2eSupport.h"
#include "TestSupport.h"

namespace installertest {

// Where the setup puts things by default.
std::wstring DefaultInstallDirectory();  // C:\Program Files\KORVA\Kontakta (no backslash)
constexpr const wchar_t* machineKey = L"Software\\KORVA\\KORVA Kontakta";
constexpr const wchar_t* userKey = L"Software\\KORVA\\Kontakta";
constexpr const wchar_t* runKey = L"Software\\Microsoft\\Windows\\CurrentVersion\\Run";
constexpr const wchar_t* uninstallKey = L"Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Kontakta";
constexpr const wchar_t* activeSetupKey =
    L"Software\\Microsoft\\Active Setup\\Installed Components\\{7B1D3A30-4D50-434B-B790-6B64FD25BD08}";
constexpr const wchar_t* userShellFoldersKey =
    L"Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\User Shell Folders";

// The files of the build, handed in by run-installer-test.
std::wstring BuiltSetup();                         // KontaktaSetup.exe
std::wstring KitStandIn();                         // the kit stand-in iowkit.dll
std::wstring BuiltFile(const std::wstring& name);  // a file beside this test program

// A copy of the setup in a new folder of its own, with a copy of the kit
// stand-in beside it if asked, or with `kitLibrary` as iowkit.dll. Returns the
// path of the copied setup.
std::wstring StageSetup(bool withKitLibrary, const std::optional<std::string>& kitLibrary = std::nullopt);

// Runs a command line and waits until it and every process it started have
// ended (a job object: the uninstaller hands over to a copy of itself and
// returns at once). The exit code of the started process, none on time-out.
std::optional<DWORD> RunToEnd(const std::wstring& commandLine, DWORD milliseconds = 90000);
// Runs a command line and waits for that process alone, for a setup that
// leaves a program running that it started.
std::optional<DWORD> RunProcessToEnd(const std::wstring& commandLine, DWORD milliseconds = 90000);

// Registry, the 64-bit view.
bool KeyExists(HKEY root, const std::wstring& key);
std::optional<std::wstring> ReadString(HKEY root, const std::wstring& key, const std::wstring& name);
std::optional<DWORD> ReadNumber(HKEY root, const std::wstring& key, const std::wstring& name);
std::optional<DWORD> ValueType(HKEY root, const std::wstring& key, const std::wstring& name);
bool WriteString(HKEY root, const std::wstring& key, const std::wstring& name, const std::wstring& value,
                 DWORD type = REG_SZ);
bool WriteValue(HKEY root, const std::wstring& key, const std::wstring& name, DWORD type, const void* data,
                DWORD bytes);
void DeleteValue(HKEY root, const std::wstring& key, const std::wstring& name);
void DeleteKeyTree(HKEY root, const std::wstring& key);
// The raw bytes of a value, for comparing before and after.
std::optional<std::string> ReadRaw(HKEY root, const std::wstring& key, const std::wstring& name);

// Files.
using testsupport::FileExists;
using testsupport::ReadFileBytes;
using testsupport::WriteFileBytes;
bool IsDirectory(const std::wstring& path);
// The last write time of a file, and setting it (to tell a save afterwards).
std::optional<FILETIME> LastWriteTime(const std::wstring& path);
bool SetLastWriteTime(const std::wstring& path, const FILETIME& time);
bool Later(const FILETIME& a, const FILETIME& b);
// A UTF-16 log file of the setup as text; empty if there is none.
std::wstring ReadLog(const std::wstring& path);
void RemoveTree(const std::wstring& path);

// Documents as the shell names it now, and the user's Kontakta folder in it.
std::wstring DocumentsFolder();
std::wstring UserFilesDirectory();  // <Documents>\Kontakta User Files\ (with backslash)
std::wstring SettingsPath();
std::wstring TempFolder();  // with backslash

// A settings file the program accepts: the installed defaults with sensor
// `sensor` switched on.
std::string SettingsWithSensorOn(int sensor);

// Expands the environment strings of a registry command (Active Setup's
// StubPath, the Run value, QuietUninstallString).
std::wstring Expand(const std::wstring& command);

// Kontakta started from an installation.
using Kontakta = e2e::Program;

}  // namespace installertest
