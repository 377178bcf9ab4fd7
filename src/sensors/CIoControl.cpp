#include "sensors/CIoControl.h"

#include "res/resource.h"

CIoControl::CIoControl(Kit& kit, InterfaceCounter& counter)
    : win::Dialog(IDD_HIDDEN_WINDOW), access(kit, counter, *this)
{
}

BOOL CIoControl::OnInitDialog()
{
    access.OpenDevice();
    return FALSE;  // hidden: takes no focus
}

BOOL CIoControl::DestroyWindow()
{
    access.CloseKit();
    return win::Dialog::DestroyWindow();
}

void CIoControl::OnTimer(UINT_PTR id)
{
    if (id != ReopenTimer) return;
    KillTimer(ReopenTimer);
    access.OnReopenTimer();
}

INT_PTR CIoControl::OnMessage(UINT message, WPARAM, LPARAM, bool& handled)
{
    // Every device change, whatever it says, is a reason to count; the
    // message then goes on to the default handling.
    if (message == WM_DEVICECHANGE) access.CountInterfaces();
    handled = false;
    return 0;
}

void CIoControl::Start(uint32_t milliseconds) { SetTimer(ReopenTimer, milliseconds); }
