#include "E2eSupport.h"

#include "TestSupport.h"
#include "win/Handle.h"

#include <commctrl.h>
#include <shellapi.h>
#include <shlobj.h>

#include <algorithm>
#include <cstring>
#include <filesystem>

namespace e2e {

using testsupport::ProgramDirectory;
using testsupport::ReadFileBytes;
using testsupport::WriteFileBytes;

namespace {

void SetString(HKEY root, const wchar_t* path, const wchar_t* name, const std::wstring& value)
{
    win::RegistryKey key;
    ::RegCreateKeyExW(root, path, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, key.Put(), nullptr);
    ::RegSetValueExW(key.Get(), name, 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()),
                     static_cast<DWORD>((value.size() + 1) * sizeof(wchar_t)));
}

}  // namespace

std::wstring InstallDirectory()
{
    return L"C:\\Program Files\\KORVA\\Kontakta\\";
}

std::wstring UserFilesDirectory()
{
    wchar_t documents[MAX_PATH] = {};
    ::SHGetSpecialFolderPathW(nullptr, documents, CSIDL_PERSONAL, FALSE);
    return std::wstring(documents) + L"\\Kontakta User Files\\";
}

std::wstring SettingsPath()
{
    return UserFilesDirectory() + L"settings.dat";
}

std::string DefaultSettingsBytes()
{
    return ReadFileBytes(ProgramDirectory() + L"o_settings.dat");
}

void Install(const InstallOptions& options)
{
    std::filesystem::create_directories(std::filesystem::path(InstallDirectory()));
    for (const wchar_t* file : {L"Kontakta.exe", L"o_settings.dat"})
        ::CopyFileW((ProgramDirectory() + file).c_str(), (InstallDirectory() + file).c_str(), FALSE);
    if (options.kitLibrary)
        ::CopyFileW((ProgramDirectory() + L"iowkit.dll").c_str(), (InstallDirectory() + L"iowkit.dll").c_str(), FALSE);

    if (options.machineKey)
        SetString(HKEY_LOCAL_MACHINE, L"Software\\KORVA\\KORVA Kontakta", L"Directory", InstallDirectory());
    if (options.userKey) {
        win::RegistryKey key;
        ::RegCreateKeyExW(HKEY_CURRENT_USER, L"Software\\KORVA\\Kontakta", 0, nullptr, 0, KEY_ALL_ACCESS, nullptr,
                          key.Put(), nullptr);
        if (options.updateCode)
            SetString(HKEY_CURRENT_USER, L"Software\\KORVA\\Kontakta", L"UpdateCode", *options.updateCode);
    }
    std::filesystem::create_directories(std::filesystem::path(UserFilesDirectory()));
    if (options.settingsFile) WriteFileBytes(SettingsPath(), *options.settingsFile);
}

std::optional<std::wstring> UpdateCodeValue()
{
    wchar_t buffer[128] = {};
    DWORD size = sizeof buffer - sizeof(wchar_t);
    if (::RegGetValueW(HKEY_CURRENT_USER, L"Software\\KORVA\\Kontakta", L"UpdateCode", RRF_RT_REG_SZ, nullptr, buffer,
                       &size) != ERROR_SUCCESS)
        return std::nullopt;
    return std::wstring(buffer);
}

std::string SettingsBlock()
{
    return DefaultSettingsBytes();
}

void PutInt32(std::string& bytes, size_t offset, int32_t value)
{
    for (int i = 0; i < 4; ++i) bytes[offset + i] = static_cast<char>(uint32_t(value) >> (8 * i));
}

size_t RecordOffset(int sensor)
{
    return 4 + 628 * size_t(sensor - 1);
}

Program::Program(std::wstring exePath)
    : exePath(exePath.empty() ? InstallDirectory() + L"Kontakta.exe" : std::move(exePath))
{
}

Program::~Program()
{
    if (Running()) ::TerminateProcess(process.Get(), 99);
}

bool Program::Start(bool suspended, const std::wstring& arguments)
{
    std::wstring commandLine = L"\"" + exePath + L"\"";
    if (!arguments.empty()) commandLine += L" " + arguments;
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    win::ProcessInformation info;
    if (!::CreateProcessW(exePath.c_str(), commandLine.data(), nullptr, nullptr, FALSE,
                          suspended ? CREATE_SUSPENDED : 0, nullptr, L"C:\\", &startup, info.Put()))
        return false;
    pid = info.ProcessId();
    process = info.TakeProcess();
    mainWindow = nullptr;
    return true;
}

void Program::Kill()
{
    if (!Running()) return;
    ::TerminateProcess(process.Get(), 99);
    ::WaitForSingleObject(process.Get(), 10000);
}

bool Program::Running() const
{
    return process && ::WaitForSingleObject(process.Get(), 0) == WAIT_TIMEOUT;
}

std::optional<DWORD> Program::WaitForExit(DWORD milliseconds)
{
    if (!WaitFor([this] { return !Running(); }, milliseconds)) return std::nullopt;
    DWORD code = 0;
    ::GetExitCodeProcess(process.Get(), &code);
    return code;
}

HWND Program::MainWindow()
{
    if (mainWindow && ::IsWindow(mainWindow)) return mainWindow;
    for (HWND window : WindowsOf(pid, false))
        if (TitleOf(window) == L"KORVA Kontakta") return mainWindow = window;
    return mainWindow;
}

bool Program::WaitUntilRunning(DWORD milliseconds, std::vector<std::wstring>* messages)
{
    // The icon's tip names the state of the box only from the first refresh,
    // which comes after start-up has finished.
    return WaitFor(
        [&] {
            if (messages) {
                for (HWND window : WindowsOf(pid, true)) {
                    const std::wstring text = MessageTextOf(window);
                    if (TitleOf(window) == L"Kontakta" && !text.empty() &&
                        std::find(messages->begin(), messages->end(), text) == messages->end())
                        messages->push_back(text);
                }
            }
            const HWND main = MainWindow();
            if (!main || ::IsWindowVisible(main)) return false;
            for (const std::wstring& tip : TrayTips())
                if (tip.rfind(L"KORVA Kontakta", 0) == 0) return true;
            return false;
        },
        milliseconds);
}

bool Program::HasTrayIcon()
{
    NOTIFYICONDATAW data{};
    data.cbSize = sizeof data;
    data.hWnd = MainWindow();
    data.uID = 1;
    data.uFlags = 0;
    return data.hWnd && ::Shell_NotifyIconW(NIM_MODIFY, &data);
}

std::vector<HWND> WindowsOf(DWORD pid, bool visibleOnly)
{
    std::vector<HWND> windows;
    for (HWND window = ::GetWindow(::GetDesktopWindow(), GW_CHILD); window; window = ::GetWindow(window, GW_HWNDNEXT)) {
        DWORD owner = 0;
        ::GetWindowThreadProcessId(window, &owner);
        if (owner == pid && (!visibleOnly || ::IsWindowVisible(window))) windows.push_back(window);
    }
    return windows;
}

HWND FindWindowOf(DWORD pid, const std::wstring& title, DWORD waitMilliseconds)
{
    HWND found = nullptr;
    WaitFor(
        [&] {
            for (HWND window : WindowsOf(pid, true))
                if (TitleOf(window) == title) return (found = window) != nullptr;
            return false;
        },
        waitMilliseconds);
    return found;
}

std::wstring TitleOf(HWND window)
{
    wchar_t text[512] = {};
    ::GetWindowTextW(window, text, 512);
    return text;
}

std::wstring MessageTextOf(HWND box)
{
    for (HWND child = ::GetWindow(box, GW_CHILD); child; child = ::GetWindow(child, GW_HWNDNEXT)) {
        wchar_t className[32] = {};
        ::GetClassNameW(child, className, 32);
        if (_wcsicmp(className, L"Static") != 0) continue;
        const std::wstring text = TitleOf(child);
        if (!text.empty()) return text;
    }
    return {};
}

void PressButton(HWND dialog, int id)
{
    ::PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), reinterpret_cast<LPARAM>(::GetDlgItem(dialog, id)));
}

std::vector<std::wstring> TrayTips()
{
    // The taskbar draws the icons itself and keeps their tips as tools of a
    // tooltip control in the shell's process. Its tool records are read with
    // a buffer placed in that process.
    std::vector<std::wstring> tips;
    const HWND tray = ::FindWindowW(L"Shell_TrayWnd", nullptr);
    if (!tray) return tips;
    DWORD shell = 0;
    ::GetWindowThreadProcessId(tray, &shell);
    const win::Handle shellProcess(
        ::OpenProcess(PROCESS_VM_OPERATION | PROCESS_VM_READ | PROCESS_VM_WRITE, FALSE, shell));
    if (!shellProcess) return tips;
    const HANDLE process = shellProcess.Get();
    auto* remote = static_cast<char*>(::VirtualAllocEx(process, nullptr, 4096, MEM_COMMIT, PAGE_READWRITE));
    for (HWND tooltip = ::FindWindowExW(nullptr, nullptr, TOOLTIPS_CLASSW, nullptr); tooltip && remote;
         tooltip = ::FindWindowExW(nullptr, tooltip, TOOLTIPS_CLASSW, nullptr)) {
        DWORD owner = 0;
        ::GetWindowThreadProcessId(tooltip, &owner);
        if (owner != shell) continue;
        const int count = static_cast<int>(::SendMessageW(tooltip, TTM_GETTOOLCOUNT, 0, 0));
        for (int i = 0; i < count; ++i) {
            TTTOOLINFOW info{};
            info.cbSize = sizeof info;
            info.lpszText = reinterpret_cast<wchar_t*>(remote + 1024);
            const wchar_t empty = 0;
            ::WriteProcessMemory(process, remote, &info, sizeof info, nullptr);
            ::WriteProcessMemory(process, remote + 1024, &empty, sizeof empty, nullptr);
            if (!::SendMessageW(tooltip, TTM_ENUMTOOLSW, i, reinterpret_cast<LPARAM>(remote))) continue;
            TTTOOLINFOW back{};
            ::ReadProcessMemory(process, remote, &back, sizeof back, nullptr);
            if (back.hwnd != tray) continue;
            wchar_t text[256] = {};
            ::ReadProcessMemory(process, remote + 1024, text, sizeof text - sizeof(wchar_t), nullptr);
            tips.emplace_back(text);
        }
    }
    if (remote) ::VirtualFreeEx(process, remote, 0, MEM_RELEASE);
    return tips;
}

bool TrayTipShown(const std::wstring& tip)
{
    for (const std::wstring& shown : TrayTips())
        if (shown == tip) return true;
    return false;
}

bool WaitFor(const std::function<bool()>& condition, DWORD milliseconds)
{
    return testsupport::PumpUntil(condition, milliseconds);
}

}  // namespace e2e
