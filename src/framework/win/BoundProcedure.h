// The one dialog procedure shape of our framework: the object that owns a
// dialog window is found through the window, bound at WM_INITDIALOG, handed
// each message, and unbound when the window goes, so a late message never
// reaches a dead object. No exception crosses back into Windows.
#pragma once

#include <windows.h>

namespace win {

// `Owner` has a member `HWND hwnd` and `INT_PTR Dispatch(UINT, WPARAM, LPARAM)`;
// `bind` gives the owner from WM_INITDIALOG's lParam.
void ReportException(const char* where) noexcept;  // win/Dialog.h

template <typename Owner>
INT_PTR BoundDialogProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam, Owner* (*bind)(LPARAM))
{
    Owner* self = nullptr;
    if (message == WM_INITDIALOG) {
        self = bind(lParam);
        ::SetWindowLongPtrW(window, DWLP_USER, reinterpret_cast<LONG_PTR>(self));
        if (self) self->hwnd = window;
    } else {
        self = reinterpret_cast<Owner*>(::GetWindowLongPtrW(window, DWLP_USER));
    }
    // A dialog procedure returns FALSE for what it leaves to the default
    // handling, and that is everything before WM_INITDIALOG.
    if (!self) return FALSE;

    INT_PTR result = FALSE;
    try {
        result = self->Dispatch(message, wParam, lParam);
    } catch (...) {
        ReportException("dialog procedure");
        result = FALSE;
    }
    if (message == WM_NCDESTROY) {
        ::SetWindowLongPtrW(window, DWLP_USER, 0);
        self->hwnd = nullptr;
    }
    return result;
}

}  // namespace win
