// kitsim.exe: the virtual input box and its command line. Without arguments
// it shows the window; with arguments it runs one command (see
// KitSimCommands.h) and exits without showing anything.
//
// A development and demo tool that stands in for the real input box and its
// kit library. It is never installed with Kontakta, nor described as the
// box's kit.
#include <windows.h>
#include <shellapi.h>

#include "KitSimCommands.h"
#include "VirtualBox.h"

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int)
{
    int count = 0;
    wchar_t** arguments = ::CommandLineToArgvW(::GetCommandLineW(), &count);
    int result = 0;
    if (arguments && count > 1)
        result = kitsim::RunCommand(count - 1, arguments + 1);
    else
        result = kitsim::RunVirtualBox(instance);
    if (arguments) ::LocalFree(arguments);
    return result;
}
