#include "win/Control.h"

#include <commctrl.h>

#include "win/Dialog.h"

namespace win {

namespace {
// One subclass id for every control of ours; the object is the reference data.
constexpr UINT_PTR controlSubclassId = 0x4B6F6E74;  // "Kont"
// The object is also found through this window property: GetWindowSubclass
// is exported by comctl32 under an ordinal only, and the MinGW import library
// does not offer it.
constexpr const wchar_t* controlProperty = L"Kontakta.Control";
}  // namespace

Control::~Control()
{
    Unsubclass();
}

bool Control::Subclass(HWND dialog, int id)
{
    Unsubclass();
    const HWND window = ::GetDlgItem(dialog, id);
    if (!window) return false;
    if (::GetPropW(window, controlProperty)) return false;  // one object per control
    if (!::SetWindowSubclass(window, SubclassProc, controlSubclassId, reinterpret_cast<DWORD_PTR>(this))) return false;
    ::SetPropW(window, controlProperty, this);
    hwnd = window;
    return true;
}

void Control::Unsubclass()
{
    if (!hwnd) return;
    ::RemovePropW(hwnd, controlProperty);
    ::RemoveWindowSubclass(hwnd, SubclassProc, controlSubclassId);
    hwnd = nullptr;
}

Control* Control::FromWindow(HWND window)
{
    return window ? static_cast<Control*>(::GetPropW(window, controlProperty)) : nullptr;
}

LRESULT Control::OnMessage(UINT, WPARAM, LPARAM, bool& handled)
{
    handled = false;
    return 0;
}

LRESULT Control::OnReflected(UINT, WPARAM, LPARAM, bool& handled)
{
    handled = false;
    return 0;
}

bool Control::Reflected(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result)
{
    bool handled = false;
    try {
        result = OnReflected(message, wParam, lParam, handled);
    } catch (...) {
        ReportException("Control reflected message");
        handled = false;
    }
    return handled;
}

LRESULT CALLBACK Control::SubclassProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR,
                                       DWORD_PTR data)
{
    auto* self = reinterpret_cast<Control*>(data);
    if (message == WM_NCDESTROY) {
        try {
            self->OnNcDestroy();
        } catch (...) {
            ReportException("Control WM_NCDESTROY");
        }
        // A subclass and a property must be removed before the window is gone.
        ::RemovePropW(window, controlProperty);
        ::RemoveWindowSubclass(window, SubclassProc, controlSubclassId);
        self->hwnd = nullptr;
        return ::DefSubclassProc(window, message, wParam, lParam);
    }
    try {
        bool handled = false;
        LRESULT result = 0;
        result = self->OnMessage(message, wParam, lParam, handled);
        if (handled) return result;
    } catch (...) {
        ReportException("Control procedure");
    }
    return ::DefSubclassProc(window, message, wParam, lParam);
}

}  // namespace win
