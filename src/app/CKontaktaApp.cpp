#include "app/CKontaktaApp.h"

#include "app/CKontaktaDlg.h"
#include "texts/Texts.h"
#include "res/resource.h"
#include "win/Dialog.h"
#include "win/Text.h"

BOOL CKontaktaApp::InitInstance()
{
    const std::wstring name = win::Wide(texts::mainTitle);
    instanceLock = ::CreateMutexW(nullptr, TRUE, name.c_str());
    const DWORD error = ::GetLastError();
    if (instanceLock) ::ReleaseMutex(instanceLock);

    // A mutex that an instance with administrator rights created refuses a
    // normal process: access denied means one runs, as "already exists" does.
    if (error == ERROR_ALREADY_EXISTS || (!instanceLock && error == ERROR_ACCESS_DENIED)) {
        if (const HWND running = FindRunningInstance(name)) {
            // Windows gives the foreground only to the process the user
            // started last (this one), which may pass the right on, so the
            // running instance can bring its settings sheet to the front.
            DWORD runningProcess = 0;
            ::GetWindowThreadProcessId(running, &runningProcess);
            ::AllowSetForegroundWindow(runningProcess);
            ::PostMessageW(running, WM_COMMAND, ID_SETTINGS, 0);
        }
        return TRUE;
    }

    // After a crash or a hang of a program that ran for a minute, Windows
    // starts it again: a switch user cannot do that by hand.
    ::RegisterApplicationRestart(L"", RESTART_NO_PATCH | RESTART_NO_REBOOT);

    CKontaktaDlg dialog;
    dialog.appIcon = ::LoadIconW(win::ResourceModule(), MAKEINTRESOURCEW(IDI_KONTAKTA));
    dialog.DoModal();
    return FALSE;
}

HWND FindRunningInstance(const std::wstring& title)
{
    for (HWND window = ::FindWindowW(nullptr, nullptr); window; window = ::GetWindow(window, GW_HWNDNEXT)) {
        wchar_t text[255] = {};
        ::GetWindowTextW(window, text, 255);
        if (std::wstring(text).compare(0, title.size(), title) == 0) return window;
    }
    return nullptr;
}
