#include "app/CKontaktaDlg.h"

#include <shlobj.h>

#include <algorithm>
#include <cstring>
#include <cwchar>

#include "app/AppMessages.h"
#include "app/CStartPicture.h"
#include "app/ProgramObjects.h"
#include "texts/Texts.h"
#include "app/TrayIcon.h"
#include "win/Utilities.h"
#include "res/resource.h"
#include "settings/SettingsFile.h"
#include "ui/CSetup.h"
#include "win/Handle.h"
#include "win/Text.h"

namespace {

// Opens an existing key; the program never creates its keys.
win::RegistryKey OpenKey(HKEY root, const std::u16string& path)
{
    HKEY key = nullptr;
    if (::RegOpenKeyW(root, win::Wide(path).c_str(), &key) != ERROR_SUCCESS) return win::RegistryKey();
    return win::RegistryKey(key);
}

// A string value read into a buffer of 255 bytes, as the program always has:
// at most 126 characters fit; a longer value, or one of another type, counts
// as missing.
bool QueryString(HKEY key, const wchar_t* name, std::u16string& value)
{
    wchar_t buffer[128] = {};
    DWORD type = 0;
    DWORD size = 255;
    if (::RegQueryValueExW(key, name, nullptr, &type, reinterpret_cast<BYTE*>(buffer), &size) != ERROR_SUCCESS)
        return false;
    if (type != REG_SZ && type != REG_EXPAND_SZ) return false;
    buffer[127] = L'\0';
    const size_t units = std::min<size_t>(size / sizeof(wchar_t), 127);
    value = win::Utf16(std::wstring(buffer, wcsnlen(buffer, units)));
    return true;
}

HWND mainWindow = nullptr;
HWND MainWindow() { return mainWindow; }

}  // namespace

CKontaktaDlg::CKontaktaDlg() : win::Dialog(IDD_KONTAKTA_DIALOG) {}

BOOL CKontaktaDlg::OnInitDialog()
{
    mainWindow = hwnd;
    ::SendMessageW(hwnd, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(appIcon));
    ::SendMessageW(hwnd, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(appIcon));
    // A second instance finds this one by this title.
    ::SetWindowTextW(hwnd, win::Wide(texts::mainTitle).c_str());

    ReadInstallDirectory();
    ReadUpdateCode();

    wchar_t documents[MAX_PATH] = {};
    if (!::SHGetSpecialFolderPathW(nullptr, documents, CSIDL_PERSONAL, FALSE)) {
        ShowMessage(hwnd, texts::documentsMissing);
        EndDialog(0);
        return TRUE;
    }
    UserFilesDirectory = texts::UserFilesDirectoryFor(win::Utf16(documents));

    CStartPicture splash;
    splash.Create(hwnd);
    splash.ShowStatus(win::Wide(texts::SplashStatus()));

    settingsControl.Create();
    ioControl.Create();  // opens the input box
    manager.Create();    // starts the polling thread, which idles until the end of start-up
    actionControl.Create();
    msgBox.Create();

    MessageBoxSink versionMessages(&MainWindow);
    if (!LoadSettings(settingsStorage, versionMessages)) {
        settingsControl.DestroyWindow();
        ioControl.CloseKit();
        ioControl.DestroyWindow();
        manager.StopPolling();
        manager.DestroyWindow();
        actionControl.DestroyWindow();
        msgBox.DestroyWindow();
        splash.DestroyWindow();
        EndDialog(-1);
        return TRUE;
    }

    AddTrayIcon(hwnd);
    WaitWithMessages(1000);
    splash.DestroyWindow();
    ::ShowWindow(hwnd, SW_MINIMIZE);
    SetTimer(HideTimer, 0);
    SetTimer(TrayTimer, 100);
    if (win::RegistryKey key = OpenKey(HKEY_CURRENT_USER, texts::UserKeyPath())) {
        // The string "0": the character and its terminator.
        ::RegSetValueExW(key.Get(), L"UpdateCode", 0, REG_SZ, reinterpret_cast<const BYTE*>(L"0"), 4);
    }
    startupPending = false;
    return TRUE;
}

void CKontaktaDlg::ReadInstallDirectory()
{
    const win::RegistryKey key = OpenKey(HKEY_LOCAL_MACHINE, texts::MachineKeyPath());
    if (!key) {
        ShowMessage(hwnd, texts::machineKeyMissing);
        return;
    }
    std::u16string directory;
    if (!QueryString(key.Get(), L"Directory", directory)) return;
    InstallDirectory = directory;
    if (!::SetCurrentDirectoryW(win::Wide(InstallDirectory).c_str()))
        ShowMessage(hwnd, texts::DirectoryInvalid(InstallDirectory));
}

void CKontaktaDlg::ReadUpdateCode()
{
    const win::RegistryKey key = OpenKey(HKEY_CURRENT_USER, texts::UserKeyPath());
    if (!key) {
        ShowMessage(hwnd, texts::userKeyMissing);
        return;  // UpdateCode stays 0
    }
    // Judged as the per-user step of the installation judges it: a value
    // that is not a string is there, and never asks for the defaults.
    static_assert(uint32_t(RegistryType::String) == REG_SZ && uint32_t(RegistryType::ExpandString) == REG_EXPAND_SZ);
    UpdateCode = UpdateCodeMeaning(ReadRegistryValue(key.Get(), L"UpdateCode")).code;
}

BOOL CKontaktaDlg::DestroyWindow()
{
    Shutdown();
    const BOOL destroyed = win::Dialog::DestroyWindow();
    mainWindow = nullptr;
    return destroyed;
}

void CKontaktaDlg::Shutdown()
{
    if (startupPending) return;
    SaveSettingsAtShutdown(settingsStorage);  // nobody may be there to read a message: a failure goes to the log
    actionControl.DestroyWindow();
    manager.StopPolling();
    manager.DestroyWindow();
    ioControl.CloseKit();
    ioControl.DestroyWindow();
    settingsControl.DestroyWindow();
    msgBox.DestroyWindow();
    RemoveTrayIcon(hwnd);
}

void CKontaktaDlg::ConfirmExit()
{
    exitPromptOpen = true;
    if (AskOkCancel(hwnd, texts::ExitQuestion())) EndDialog(0);
    exitPromptOpen = false;
}

namespace {
// The settings sheet's view of the running program.
class ProgramSheetServices : public SheetServices {
public:
    bool BoxUnreadable() override { return readFailed; }
    int32_t DeviceKindNow() override { return int32_t(ioControl.deviceKind()); }
    bool SaveSettings() override { return ::SaveSettings(settingsStorage); }
    std::u16string SettingsFileName() override { return SettingsFilePath(); }
};
}  // namespace

void CKontaktaDlg::OpenSettingsSheet()
{
    if (settingsOpen || exitPromptOpen) return;
    settingsOpen = true;
    {
        ProgramSheetServices services;
        CSetup sheet(win::Wide(texts::SettingsCaption()), services);
        sheet.DoModal(hwnd);
    }
    settingsOpen = false;
}

bool CKontaktaDlg::OnCommand(WORD id, WORD, HWND)
{
    switch (id) {
    case ID_EXIT:
        ConfirmExit();
        return true;
    case ID_SETTINGS:
        OpenSettingsSheet();
        return true;
    }
    return false;
}

void CKontaktaDlg::OnTimer(UINT_PTR id)
{
    if (id == HideTimer) {
        KillTimer(HideTimer);
        ::ShowWindow(hwnd, SW_HIDE);
    } else if (id == TrayTimer) {
        RefreshTrayIcon(hwnd);
    }
}

INT_PTR CKontaktaDlg::OnMessage(UINT message, WPARAM wParam, LPARAM lParam, bool& handled)
{
    handled = true;
    switch (message) {
    case WM_SYSCOMMAND:
        if ((wParam & 0xFFF0) == SC_MINIMIZE || (wParam & 0xFFF0) == SC_CLOSE) {
            // The window only hides; the program goes on in the notification area.
            ::ShowWindow(hwnd, SW_HIDE);
            return TRUE;
        }
        break;
    case WM_PAINT:
        if (::IsIconic(hwnd)) {
            PaintMinimised();
            return TRUE;
        }
        break;
    case WM_QUERYDRAGICON:
        // One of the messages whose result a dialog procedure returns directly.
        return reinterpret_cast<INT_PTR>(appIcon);
    case WM_HELP:
        return TRUE;  // F1 does nothing
    case TrayCallbackMessage:
        OnTrayNotification(wParam, lParam);
        SetMsgResult(1);
        return TRUE;
    case WM_QUERYENDSESSION:
        Shutdown();
        SetMsgResult(TRUE);  // the session may end
        return TRUE;
    default:
        if (message == taskbarCreatedMessage && message != 0) {
            AddTrayIcon(hwnd);
            break;
        }
        break;
    }
    handled = false;
    return 0;
}

void CKontaktaDlg::OnTrayNotification(WPARAM id, LPARAM mouseMessage)
{
    if (id != trayIconId) return;
    if (mouseMessage == WM_LBUTTONDOWN) OpenSettingsSheet();
    else if (mouseMessage == WM_RBUTTONDOWN) ShowTrayMenu(hwnd, settingsOpen || exitPromptOpen);
}

void CKontaktaDlg::PaintMinimised()
{
    PAINTSTRUCT paint;
    const HDC dc = ::BeginPaint(hwnd, &paint);
    ::SendMessageW(hwnd, WM_ICONERASEBKGND, reinterpret_cast<WPARAM>(dc), 0);
    RECT client;
    ::GetClientRect(hwnd, &client);
    const int width = ::GetSystemMetrics(SM_CXICON);
    const int height = ::GetSystemMetrics(SM_CYICON);
    ::DrawIcon(dc, (client.right - width + 1) / 2, (client.bottom - height + 1) / 2, appIcon);
    ::EndPaint(hwnd, &paint);
}
