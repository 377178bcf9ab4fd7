#include "app/CKontaktaApp.h"

#include "app/CKontaktaDlg.h"
#include "app/InstanceStart.h"
#include "texts/Texts.h"
#include "res/resource.h"
#include "win/Dialog.h"
#include "win/Text.h"

using namespace kontakta;

BOOL CKontaktaApp::InitInstance()
{
    const std::wstring name = win::Wide(texts::mainTitle);
    instanceLock = ::CreateMutexW(nullptr, TRUE, name.c_str());
    const DWORD error = ::GetLastError();
    if (instanceLock) ::ReleaseMutex(instanceLock);

    // A mutex that an instance with administrator rights created refuses a
    // normal process: access denied means one runs, as "already exists" does.
    const bool anotherRuns = error == ERROR_ALREADY_EXISTS || (!instanceLock && error == ERROR_ACCESS_DENIED);
    const std::wstring commandLine = ::GetCommandLineW();
    switch (instance::Decide(anotherRuns, instance::IsRestart(win::Utf16(commandLine)))) {
    case instance::Start::EndQuietly: return TRUE;
    case instance::Start::AskRunningForSettings:
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
    case instance::Start::RunHere: break;
    }

    // After a crash or a hang of a program that ran for a minute, Windows
    // offers the user to start it again, and starts it with this argument;
    // it restarts nothing without the user's consent (a click that a switch
    // user may not manage), but "restart apps at sign-in" may use it too.
    const std::wstring restart(instance::restartArgument.begin(), instance::restartArgument.end());
    ::RegisterApplicationRestart(restart.c_str(), RESTART_NO_PATCH | RESTART_NO_REBOOT);

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
