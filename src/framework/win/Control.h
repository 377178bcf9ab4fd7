// A control of a dialog, subclassed by id, so that the program's own control
// classes (the coloured static, the key capture field) see the messages of
// their window, the control messages that their dialog reflects back to them
// (win/Dialog.h), and the keyboard messages of the message loop before they
// are dispatched. The subclass is removed when the window goes (WM_NCDESTROY)
// and when the object goes, whichever comes first.
#pragma once

#include <windows.h>

namespace win {

class Control {
public:
    Control() = default;
    virtual ~Control();
    Control(const Control&) = delete;
    Control& operator=(const Control&) = delete;

    // Subclasses control `id` of `dialog`. False if there is no such control
    // or the subclass could not be set; the control then keeps its own look
    // and behaviour.
    bool Subclass(HWND dialog, int id);
    void Unsubclass();

    HWND GetSafeHwnd() const { return hwnd; }

    // The object that subclasses `window`, or nullptr.
    static Control* FromWindow(HWND window);

    // A keyboard message of the thread's message loop addressed to this
    // control, before it is translated and dispatched. True: consumed.
    virtual bool PreTranslate(MSG&) { return false; }

    // The dialog hands a control message about this control back to it
    // (see OnReflected). True when the control answered it; `result` is then
    // what the dialog procedure returns.
    bool Reflected(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result);

protected:
    // A message to the control. Set `handled` to answer it instead of the
    // control's own procedure.
    virtual LRESULT OnMessage(UINT message, WPARAM wParam, LPARAM lParam, bool& handled);
    // A message that the dialog reflected back: WM_CTLCOLOR* (return the
    // brush), WM_DRAWITEM, WM_COMMAND or WM_NOTIFY about this control. Set
    // `handled` when the control answered it.
    virtual LRESULT OnReflected(UINT message, WPARAM wParam, LPARAM lParam, bool& handled);
    // Called when the window is being destroyed, before the subclass goes.
    virtual void OnNcDestroy() {}

    HWND hwnd = nullptr;

private:
    static LRESULT CALLBACK SubclassProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR id,
                                         DWORD_PTR data);
};

}  // namespace win
