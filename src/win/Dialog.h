// The dialog window of our small framework: an object bound to the window of
// a dialog template, created modeless (hidden helper windows, message window,
// splash) or run modally (main window), with virtual handlers for what the
// program's dialogs override.
//
// The object passes `this` through the creation call; the shared dialog
// procedure stores it at WM_INITDIALOG and ignores everything before that.
// The pointer is cleared when the window is destroyed, so a late message
// never reaches a dead object, and no exception crosses back into Windows.
#pragma once

#include <windows.h>

namespace win {

// The module whose resources the dialogs and icons come from.
HINSTANCE ResourceModule();

class Dialog {
public:
    explicit Dialog(UINT templateId);
    virtual ~Dialog();
    Dialog(const Dialog&) = delete;
    Dialog& operator=(const Dialog&) = delete;

    // Creates the window modeless; it is visible only if its template says
    // so. Returns false if the window could not be created.
    bool Create(HWND parent = nullptr);

    // Creates the window and runs a modal loop until EndDialog; then the
    // virtual DestroyWindow destroys it. Returns the EndDialog result, or -1
    // if the window could not be created.
    INT_PTR DoModal(HWND parent = nullptr);

    // Ends a modal run with `result`. A modeless dialog is only hidden.
    void EndDialog(INT_PTR result);

    // Destroys the window, if it exists. Overridden by dialogs that must do
    // something first; the override calls the base when done.
    virtual BOOL DestroyWindow();

    HWND GetSafeHwnd() const { return hwnd; }
    bool IsModal() const { return modal; }

    UINT_PTR SetTimer(UINT_PTR id, UINT milliseconds);
    BOOL KillTimer(UINT_PTR id);

    // Passes dialog keys (Enter, Esc, Tab) of the thread's active dialog to
    // it. Used by every message loop of the program.
    static bool PreTranslate(MSG& message);

protected:
    // Handlers; the defaults do what a plain dialog does.
    // TRUE: Windows gives the focus to the first control. Windows that are
    // created hidden return FALSE, so that creating them takes the keyboard
    // focus from nobody.
    virtual BOOL OnInitDialog();
    virtual void OnOK();                          // ends the dialog with IDOK
    virtual void OnCancel();                      // ends the dialog with IDCANCEL
    virtual bool OnCommand(WORD id, WORD code, HWND control);  // true: handled
    virtual void OnTimer(UINT_PTR id);
    virtual void OnDestroy();
    // Any other message. Set `handled` and return the result to give it back
    // to Windows (through DWLP_MSGRESULT where the message needs it).
    virtual INT_PTR OnMessage(UINT message, WPARAM wParam, LPARAM lParam, bool& handled);

    // The result of a message whose value a dialog procedure cannot return
    // directly.
    void SetMsgResult(LRESULT result);

    HWND hwnd = nullptr;

private:
    template <typename Owner>
    friend INT_PTR BoundDialogProcedure(HWND, UINT, WPARAM, LPARAM, Owner* (*)(LPARAM));
    static INT_PTR CALLBACK DialogProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    INT_PTR Dispatch(UINT message, WPARAM wParam, LPARAM lParam);
    void RunModalLoop();

    UINT templateId;
    bool modal = false;
    bool endRequested = false;
    INT_PTR modalResult = -1;
};

}  // namespace win
