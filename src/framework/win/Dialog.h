// The dialog window of our small framework: an object bound to the window of
// a dialog template, created modeless (hidden helper windows, message window,
// splash, the panels of the action editor) or run modally (main window,
// action editor), with virtual handlers for what the program's dialogs
// override. Property pages derive from it (win/PropertySheet.h), so pages and
// dialogs share one set of handlers and item helpers.
//
// The object passes `this` through the creation call; the shared dialog
// procedure stores it at WM_INITDIALOG and ignores everything before that.
// The pointer is cleared when the window is destroyed, so a late message
// never reaches a dead object, and no exception crosses back into Windows.
//
// Control messages are reflected: a colour request (WM_CTLCOLOR*), a
// WM_DRAWITEM, and a control's WM_COMMAND or WM_NOTIFY go first to the
// control itself when it is subclassed by a win::Control, which may answer
// them (a coloured static paints its own background).
#pragma once

#include <windows.h>

#include <string>

namespace win {

// The module whose resources the dialogs and icons come from.
HINSTANCE ResourceModule();

// Every exception that reaches a window procedure, dialog procedure or hook
// of ours is caught at that boundary and reported here: to the debugger's
// output, and counted, so tests can check that none happened. `where` names
// the boundary.
void ReportException(const char* where) noexcept;
long ReportedExceptionCount() noexcept;

class Dialog {
public:
    explicit Dialog(UINT templateId);
    virtual ~Dialog();
    Dialog(const Dialog&) = delete;
    Dialog& operator=(const Dialog&) = delete;

    // Creates the window modeless; it is visible only if its template says
    // so. A template with WS_CHILD makes a child dialog (a panel) of
    // `parent`. Returns false if the window could not be created.
    bool Create(HWND parent = nullptr);

    // Creates the window, shows it (as DialogBoxParamW does, whatever its
    // template says) and runs a modal loop until EndDialog; then the
    // virtual DestroyWindow destroys it. The top-level window that `parent`
    // belongs to is disabled meanwhile, as DialogBoxParamW does, so that a
    // dialog opened from a page keeps its whole sheet from acting under it.
    // Returns the EndDialog result, or -1 if the window could not be created.
    INT_PTR DoModal(HWND parent = nullptr);

    // Ends a modal run with `result`. A modeless dialog is only hidden.
    void EndDialog(INT_PTR result);

    // Destroys the window, if it exists. Overridden by dialogs that must do
    // something first; the override calls the base when done.
    virtual BOOL DestroyWindow();

    HWND GetSafeHwnd() const { return hwnd; }
    bool IsModal() const { return modal; }
    UINT TemplateId() const { return templateId; }

    UINT_PTR SetTimer(UINT_PTR id, UINT milliseconds);
    BOOL KillTimer(UINT_PTR id);

    // Item helpers: the control `id` of this dialog.
    HWND Item(int id) const;
    std::u16string ItemText(int id) const;
    void SetItemText(int id, const std::u16string& text);
    void Check(int id, bool checked);
    bool IsChecked(int id) const;
    void ShowItem(int id, bool shown);
    void EnableItem(int id, bool enabled);

    // Offers a keyboard message of the thread's message loop to our windows
    // before it is translated and dispatched: from the window it is for up
    // to its top-level window, each subclassed control of ours, the
    // innermost first; then the dialog manager (Enter, Esc, Tab) of the
    // outermost of our dialogs that holds it through child dialogs with
    // DS_CONTROL (an editor and its panels: Tab goes round the editor's and
    // the shown panel's controls, Enter and Esc act on the editor). True:
    // consumed. Used by every message loop of the program.
    static bool PreTranslate(MSG& message);
    // Whether `dialog` is a child dialog with WS_EX_CONTROLPARENT inside a
    // dialog of ours, so that its parent's dialog manager navigates it.
    static bool NavigatesAsControl(HWND dialog);

protected:
    // Handlers; the defaults do what a plain dialog does.
    // TRUE: Windows gives the focus to the first control. Windows that are
    // created hidden return FALSE, so that creating them takes the keyboard
    // focus from nobody.
    virtual BOOL OnInitDialog();
    // A top-level dialog ends itself with IDOK / IDCANCEL; a child dialog (a
    // panel) does nothing, so an IDOK or IDCANCEL of its own closes nothing
    // (Enter and Esc in a panel go to the dialog that holds it).
    virtual void OnOK();
    virtual void OnCancel();
    virtual bool OnCommand(WORD id, WORD code, HWND control);  // true: handled
    virtual void OnTimer(UINT_PTR id);
    virtual void OnDestroy();
    // Any other message. Set `handled` and return the result to give it back
    // to Windows (through DWLP_MSGRESULT where the message needs it).
    virtual INT_PTR OnMessage(UINT message, WPARAM wParam, LPARAM lParam, bool& handled);

    // Turns a message into the handlers above. Property pages extend it.
    virtual INT_PTR Dispatch(UINT message, WPARAM wParam, LPARAM lParam);

    // The result of a message whose value a dialog procedure cannot return
    // directly.
    void SetMsgResult(LRESULT result);
    bool IsChildDialog() const;

    HWND hwnd = nullptr;
    UINT templateId;

private:
    template <typename Owner>
    friend INT_PTR BoundDialogProcedure(HWND, UINT, WPARAM, LPARAM, Owner* (*)(LPARAM));
    static INT_PTR CALLBACK DialogProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    // The procedure of property pages: WM_INITDIALOG brings the sheet's copy
    // of the PROPSHEETPAGE, whose lParam is the page object.
    static INT_PTR CALLBACK PageProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    friend class PropertyPage;
    friend bool IsOurDialog(HWND window);
    // Hands a control message to the control it is about; true if the
    // control answered it, with the dialog procedure's result in `result`.
    bool Reflect(UINT message, WPARAM wParam, LPARAM lParam, INT_PTR& result);
    void RunModalLoop();

    bool modal = false;
    bool endRequested = false;
    INT_PTR modalResult = -1;
};

// Whether `window` is a dialog or property page of ours.
bool IsOurDialog(HWND window);

// The focus rectangle and the access keys' underlines stay visible in our
// top-level dialogs and sheets, also after the mouse was used: Windows hides
// them in a window opened by a click until a key is pressed, and a carer who
// works with the keyboard alone must always see where the focus is.
// Whether a WM_CHANGEUISTATE's wParam would hide either of them (UIS_SET, or
// UIS_INITIALIZE, which hides them after a mouse input).
bool HidesKeyboardCues(WPARAM changeUiState);
// Sends `window` (top-level) the WM_CHANGEUISTATE that shows both; Windows
// passes it on to every child as WM_UPDATEUISTATE.
void ShowKeyboardCues(HWND window);

}  // namespace win
