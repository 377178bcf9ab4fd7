#include "app/ProgramObjects.h"

#include <cstdlib>
#include <exception>

#include "app/CKontaktaApp.h"
#include "app/CKontaktaDlg.h"
#include "app/Sounds.h"
#include "settings/LiveProfiles.h"
#include "sensors/SensorActivity.h"
#include "sensors/SharedState.h"
#include "ui/CKeyActionEdit.h"
#include "sensors/KitLibrary.h"
#include "sensors/Win32Actions.h"
#include "sensors/Win32Pointer.h"

using namespace kontakta;

// One translation unit, so the order of definition is the order of
// construction (and the reverse order of destruction).

// First, so that it outlives everything that reports in it (its window is
// created later, by the main window's start-up).
CMsgBox msgBox;

namespace {
KitLibrary kitLibrary;
HidInterfaceCounter hidInterfaces;
Win32Sounds sounds;
Win32InputTargets inputTargets;
HWND ShellOwner();
// The guard tells the user in the message window when a sensor's input
// cannot reach its window. It reports on the threads that send input, which
// end before the message window does.
InputGuard inputGuard(inputTargets, sounds, msgBox);
Win32Input systemInput(&inputGuard);
HeldInputs heldInputs(systemInput);
Win32Clock clock;
Win32KeyboardSettings keyboardSettings;
Win32Pointer pointer;
PointerActions pointerActions(pointer, keyboardSettings);
// A sensor's pause goes to the main window, like the tray menu's, by a
// posted message: the polling thread never waits for the user-interface
// thread.
class MainWindowControl : public ControlRequests {
public:
    void TogglePause() override
    {
        if (const HWND window = CKontaktaDlg::Current()) ::PostMessageW(window, CKontaktaDlg::TogglePauseMessage, 0, 0);
    }
    // The profiles are the user-interface thread's: it makes the switch.
    void NextProfile() override
    {
        if (const HWND window = CKontaktaDlg::Current()) ::PostMessageW(window, CKontaktaDlg::NextProfileMessage, 0, 0);
    }
    bool SeveralProfiles() override { return kontakta::LiveProfileCount() > 1; }
} mainWindowControl;
HWND MainWindowForScan()
{
    return CKontaktaDlg::Current();
}
extern ActionContext actions;
}  // namespace

// The main window receives the overlay's messages: the user-interface thread
// draws the scan that the polling thread drives.
Win32ScanDisplay scanDisplay(&MainWindowForScan);

namespace {
// The scan's buttons go through heldInputs, so that a held drag is let go
// with everything else.
ScanActions scanActions(pointer, heldInputs, scanDisplay, uint64_t(pollPeriodMicroseconds));
// The program's process-wide records, filters, activity and flags, handed to
// the polling and the device access here and nowhere else.
const SharedState shared{sensorActions,  sensorFilters, sensorActivity,   beepOnPress,  readFailed,
                         startupPending, sensorsPaused, actionsSuspended, actionOptions};
// The key capture field's low-level hook lives on the user-interface thread,
// where the device access does its slow work: that work waits while the hook
// is installed.
bool KeyCaptureHookInstalled()
{
    return CKeyActionEdit::InstalledHookCount() > 0;
}
}  // namespace

Win32SettingsStorage settingsStorage;
CSettingsControl settingsControl;
CIoControl ioControl(kitLibrary, hidInterfaces, readFailed, &KeyCaptureHookInstalled);
CManager manager(ioControl, actions, shared);
CActionControl actionControl(heldInputs, keyboardSettings);

namespace {
// Built after the message window, so gone before it: destroying the worker
// stops it (waiting at most two seconds for a shell that is stuck, after the
// polling thread has ended), and a stopped worker reports nothing more.
Win32ShellWorker shell(&ShellOwner, msgBox);
ActionContext actions{heldInputs,         sounds,      clock, actionControl.Repeat(), shell, shell, &pointerActions,
                      &mainWindowControl, &scanActions};
HWND ShellOwner()
{
    return actionControl.WindowForOtherThreads();
}
}  // namespace

CKontaktaApp theApp;
const UINT taskbarCreatedMessage = ::RegisterWindowMessageW(L"TaskbarCreated");

namespace {

// The last act of a crashing program: whatever a held sensor keeps pressed
// is let go, so the user is not left with a stuck key or button. Then the
// system's own crash handling goes on (which may restart the program).
LONG WINAPI LetGoBeforeCrashing(EXCEPTION_POINTERS*)
{
    heldInputs.ReleaseAllWithoutLock();
    return EXCEPTION_CONTINUE_SEARCH;
}

void LetGoBeforeTerminating()
{
    heldInputs.ReleaseAllWithoutLock();
    std::abort();
}

}  // namespace

void InstallCrashSafetyNet()
{
    ::SetUnhandledExceptionFilter(LetGoBeforeCrashing);
    std::set_terminate(LetGoBeforeTerminating);
}
