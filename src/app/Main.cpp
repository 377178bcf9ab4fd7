// Entry point of Kontakta.exe.
#include <windows.h>
#include <commctrl.h>
#include <objbase.h>

#include "app/CKontaktaApp.h"
#include "app/ProgramObjects.h"

using namespace kontakta;

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int)
{
    INITCOMMONCONTROLSEX controls{sizeof controls, ICC_STANDARD_CLASSES | ICC_TAB_CLASSES | ICC_WIN95_CLASSES};
    ::InitCommonControlsEx(&controls);
    InstallCrashSafetyNet();
    // The user-interface thread is a single-threaded COM apartment, pumped
    // by its message loops: the objects it hands to screen readers
    // (win/Accessible.h) are called through it.
    const HRESULT com = ::CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED | COINIT_DISABLE_OLE1DDE);
    theApp.InitInstance();
    if (SUCCEEDED(com)) ::CoUninitialize();
    return 0;
}
