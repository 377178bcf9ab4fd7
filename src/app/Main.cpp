// Entry point of Kontakta.exe.
#include <windows.h>
#include <commctrl.h>

#include "app/CKontaktaApp.h"
#include "app/ProgramObjects.h"

using namespace kontakta;

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int)
{
    INITCOMMONCONTROLSEX controls{sizeof controls, ICC_STANDARD_CLASSES | ICC_TAB_CLASSES | ICC_WIN95_CLASSES};
    ::InitCommonControlsEx(&controls);
    InstallCrashSafetyNet();
    theApp.InitInstance();
    return 0;
}
