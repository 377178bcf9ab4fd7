#include "sensors/CIoControl.h"

#include "res/resource.h"

using namespace kontakta;

CIoControl::CIoControl(Kit& kit, InterfaceCounter& counter, std::atomic<bool>& readFailed, SlowWorkMustWait mustWait)
    : win::Dialog(IDD_HIDDEN_WINDOW), mustWait(mustWait), access(kit, counter, reopenTimer, retryTimer, readFailed)
{
}

void CIoControl::UpdateSlowWorkHold()
{
    access.HoldSlowWork(mustWait && mustWait());
}

BOOL CIoControl::OnInitDialog()
{
    access.Start();
    return FALSE;  // hidden: takes no focus
}

BOOL CIoControl::DestroyWindow()
{
    access.CloseKit();
    return win::Dialog::DestroyWindow();
}

void CIoControl::OnTimer(UINT_PTR id)
{
    // SetTimer repeats until killed; both timers are used once per start.
    // The retry timer runs every 2 s while the kit is not held closed, so a
    // device change noted during a hold is counted within 2 s of its end.
    UpdateSlowWorkHold();
    switch (id) {
    case ReopenTimer:
        KillTimer(ReopenTimer);
        access.OnReopenTimer();
        break;
    case RetryTimer:
        KillTimer(RetryTimer);
        access.OnRetryTimer();
        break;
    }
}

INT_PTR CIoControl::OnMessage(UINT message, WPARAM, LPARAM, bool& handled)
{
    // Every device change, whatever it says, is a reason to count; the
    // message then goes on to the default handling.
    if (message == WM_DEVICECHANGE) {
        UpdateSlowWorkHold();
        access.CountInterfaces();
    }
    handled = false;
    return 0;
}
