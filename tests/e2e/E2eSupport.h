// Whole-program scenarios: Kontakta.exe installed into a fresh Wine prefix as
// an installation would leave it, started as a user would start it, and
// watched from the outside: its windows and their texts, the icon in the
// notification area, input reaching a target window, the settings file and
// the registry it leaves behind.
#pragma once

#include <windows.h>

#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "win/Handle.h"

namespace e2e {

// What the installation leaves on the machine for one scenario.
struct InstallOptions {
    bool machineKey = true;                   // HKLM Software\KORVA\KORVA Kontakta with "Directory"
    bool userKey = true;                      // HKCU Software\KORVA\Kontakta
    std::optional<std::wstring> updateCode;   // the "UpdateCode" string; none: value missing
    std::optional<std::string> settingsFile;  // the user's settings.dat; none: no file
    bool kitLibrary = true;                   // the kit (stand-in) beside the program
};

std::wstring InstallDirectory();    // C:\Program Files\KORVA\Kontakta\ (with backslash)
std::wstring UserFilesDirectory();  // <Documents>\Kontakta User Files\ (with backslash)
std::wstring SettingsPath();
std::string DefaultSettingsBytes();  // the o_settings.dat of the build
void Install(const InstallOptions& options);

// The registry value HKCU Software\KORVA\Kontakta "UpdateCode"; none if missing.
std::optional<std::wstring> UpdateCodeValue();

// A settings block of 5032 bytes with the defaults, to be changed by offset.
std::string SettingsBlock();
void PutInt32(std::string& bytes, size_t offset, int32_t value);
size_t RecordOffset(int sensor);

// One started Kontakta.exe (by default the installed one).
class Program {
public:
    explicit Program(std::wstring exePath = {});
    ~Program();
    Program(const Program&) = delete;
    Program& operator=(const Program&) = delete;

    // Started suspended, the program's file is in use but none of its code
    // has run: as seen from another user's session. `arguments` follow the
    // program's path on its command line.
    bool Start(bool suspended = false, const std::wstring& arguments = {});
    // Ends the process at once.
    void Kill();
    DWORD Pid() const { return pid; }
    bool Running() const;
    // Waits for the process to end; its exit code, or none on time-out.
    std::optional<DWORD> WaitForExit(DWORD milliseconds);
    // The main window, once start-up has set its title "KORVA Kontakta";
    // remembered, so it can be asked about after the program ended.
    HWND MainWindow();
    // Waits until start-up has finished: the main window is hidden and the
    // icon in the notification area shows the state of the box. The texts of
    // the messages the program showed on the way are collected in `messages`.
    bool WaitUntilRunning(DWORD milliseconds = 15000, std::vector<std::wstring>* messages = nullptr);
    // Whether the shell holds the program's icon (asked with a change of
    // nothing, which the shell refuses for an icon it does not have).
    bool HasTrayIcon();

private:
    std::wstring exePath;
    win::Handle process;
    DWORD pid = 0;
    HWND mainWindow = nullptr;
};

// Top-level windows of a process, visible ones only if asked.
std::vector<HWND> WindowsOf(DWORD pid, bool visibleOnly);
// The first visible top-level window of the process with this title.
HWND FindWindowOf(DWORD pid, const std::wstring& title, DWORD waitMilliseconds = 0);
std::wstring TitleOf(HWND window);
// The text of a message box: its static control with text.
std::wstring MessageTextOf(HWND box);
// Presses a button of a dialog as a click would.
void PressButton(HWND dialog, int id);

// The tips of the icons in the notification area (read from the taskbar's
// tooltip control in the shell process).
std::vector<std::wstring> TrayTips();
bool TrayTipShown(const std::wstring& tip);

// Dispatches this thread's messages while waiting.
bool WaitFor(const std::function<bool()>& condition, DWORD milliseconds);

}  // namespace e2e
