#include "win/Dialog.h"

#include <commctrl.h>

#include <atomic>

#include "win/BoundProcedure.h"
#include "win/Control.h"
#include "win/Text.h"

namespace win {

namespace {
std::atomic<long> reportedExceptions{0};
}  // namespace

HINSTANCE ResourceModule()
{
    return ::GetModuleHandleW(nullptr);
}

void ReportException(const char* where) noexcept
{
    ++reportedExceptions;
    ::OutputDebugStringA("Kontakta: exception caught at ");
    ::OutputDebugStringA(where ? where : "?");
    ::OutputDebugStringA("\n");
}

long ReportedExceptionCount() noexcept
{
    return reportedExceptions.load();
}

bool IsOurDialog(HWND window)
{
    const LONG_PTR procedure = ::GetWindowLongPtrW(window, DWLP_DLGPROC);
    return procedure == reinterpret_cast<LONG_PTR>(&Dialog::DialogProc) ||
           procedure == reinterpret_cast<LONG_PTR>(&Dialog::PageProc);
}

bool HidesKeyboardCues(WPARAM changeUiState)
{
    const WORD action = LOWORD(changeUiState);
    const WORD elements = HIWORD(changeUiState);
    return (action == UIS_SET || action == UIS_INITIALIZE) && (elements & (UISF_HIDEFOCUS | UISF_HIDEACCEL)) != 0;
}

void ShowKeyboardCues(HWND window)
{
    if (window) ::SendMessageW(window, WM_CHANGEUISTATE, MAKEWPARAM(UIS_CLEAR, UISF_HIDEFOCUS | UISF_HIDEACCEL), 0);
}

Dialog::Dialog(UINT templateId) : templateId(templateId) {}

Dialog::~Dialog()
{
    if (hwnd) {
        // The window outlives its object only by mistake; make sure no
        // message reaches the dead object.
        ::SetWindowLongPtrW(hwnd, DWLP_USER, 0);
        ::DestroyWindow(hwnd);
        hwnd = nullptr;
    }
}

bool Dialog::Create(HWND parent)
{
    if (hwnd) return true;
    modal = false;
    ::CreateDialogParamW(ResourceModule(), MAKEINTRESOURCEW(templateId), parent, DialogProc,
                         reinterpret_cast<LPARAM>(this));
    return hwnd != nullptr;
}

INT_PTR Dialog::DoModal(HWND parent)
{
    if (hwnd) return -1;
    modal = true;
    endRequested = false;
    modalResult = -1;
    // The owner of a modal dialog is a top-level window: a page or panel as
    // `parent` stands for the sheet or dialog it belongs to, and that is what
    // must not take input while this dialog runs.
    const HWND owner = parent ? ::GetAncestor(parent, GA_ROOT) : nullptr;
    const bool disableOwner = owner && ::IsWindowEnabled(owner);
    if (disableOwner) ::EnableWindow(owner, FALSE);

    ::CreateDialogParamW(ResourceModule(), MAKEINTRESOURCEW(templateId), owner, DialogProc,
                         reinterpret_cast<LPARAM>(this));
    // DialogBoxParamW shows a modal dialog whether or not its template is
    // visible; so does this, once it is initialised, unless it already ended.
    if (hwnd && !endRequested && !::IsWindowVisible(hwnd)) ::ShowWindow(hwnd, SW_SHOWNORMAL);
    if (hwnd && !endRequested) RunModalLoop();

    // The owner is enabled before the dialog goes, so that Windows gives the
    // activation back to it and not to some other program's window.
    if (disableOwner) ::EnableWindow(owner, TRUE);
    DestroyWindow();
    if (disableOwner) ::SetActiveWindow(owner);
    modal = false;
    return modalResult;
}

void Dialog::RunModalLoop()
{
    MSG message;
    while (!endRequested && hwnd) {
        const BOOL got = ::GetMessageW(&message, nullptr, 0, 0);
        if (got == 0) {
            // WM_QUIT belongs to the outer loop; leave it there.
            ::PostQuitMessage(static_cast<int>(message.wParam));
            break;
        }
        if (got == -1) break;
        if (!PreTranslate(message)) {
            ::TranslateMessage(&message);
            ::DispatchMessageW(&message);
        }
    }
}

void Dialog::EndDialog(INT_PTR result)
{
    if (modal) {
        modalResult = result;
        endRequested = true;
        if (hwnd) ::PostMessageW(hwnd, WM_NULL, 0, 0);  // wakes the modal loop
    } else if (hwnd) {
        ::ShowWindow(hwnd, SW_HIDE);
    }
}

BOOL Dialog::DestroyWindow()
{
    if (!hwnd) return FALSE;
    return ::DestroyWindow(hwnd);
}

UINT_PTR Dialog::SetTimer(UINT_PTR id, UINT milliseconds)
{
    return hwnd ? ::SetTimer(hwnd, id, milliseconds, nullptr) : 0;
}

BOOL Dialog::KillTimer(UINT_PTR id)
{
    return hwnd ? ::KillTimer(hwnd, id) : FALSE;
}

HWND Dialog::Item(int id) const
{
    return hwnd ? ::GetDlgItem(hwnd, id) : nullptr;
}

std::u16string Dialog::ItemText(int id) const
{
    return Utf16(GetItemText(hwnd, id));
}

void Dialog::SetItemText(int id, const std::u16string& text)
{
    win::SetItemText(hwnd, id, Wide(text));
}

void Dialog::Check(int id, bool checked)
{
    if (hwnd) ::CheckDlgButton(hwnd, id, checked ? BST_CHECKED : BST_UNCHECKED);
}

bool Dialog::IsChecked(int id) const
{
    return hwnd && ::IsDlgButtonChecked(hwnd, id) == BST_CHECKED;
}

void Dialog::ShowItem(int id, bool shown)
{
    if (const HWND item = Item(id)) ::ShowWindow(item, shown ? SW_SHOW : SW_HIDE);
}

void Dialog::EnableItem(int id, bool enabled)
{
    if (const HWND item = Item(id)) ::EnableWindow(item, enabled ? TRUE : FALSE);
}

bool Dialog::PreTranslate(MSG& message)
{
    if (message.message < WM_KEYFIRST || message.message > WM_KEYLAST) return false;
    // A subclassed control of ours sees the key first, the innermost first.
    HWND navigator = nullptr;
    for (HWND window = message.hwnd; window; window = ::GetParent(window)) {
        if (Control* control = Control::FromWindow(window)) {
            bool consumed = false;
            try {
                consumed = control->PreTranslate(message);
            } catch (...) {
                ReportException("Control::PreTranslate");
            }
            if (consumed) return true;
        }
        if (IsOurDialog(window) && (!navigator || NavigatesAsControl(navigator))) navigator = window;
        // GetParent of a top-level window gives its owner: stop there.
        if (!(::GetWindowLongPtrW(window, GWL_STYLE) & WS_CHILD)) break;
    }
    // The dialog manager runs once, for the outermost dialog whose child
    // dialogs in between are control parents (DS_CONTROL gives them
    // WS_EX_CONTROLPARENT): IsDialogMessage then moves Tab and Shift+Tab
    // through their controls as through its own, and sends Enter and Esc as
    // IDOK and IDCANCEL to that dialog. Run for a panel instead, it would keep
    // Tab inside the panel and swallow Enter and Esc.
    return navigator && ::IsDialogMessageW(navigator, &message);
}

bool Dialog::NavigatesAsControl(HWND dialog)
{
    // A child dialog that is a control parent of a dialog of ours.
    return (::GetWindowLongPtrW(dialog, GWL_STYLE) & WS_CHILD) &&
           (::GetWindowLongPtrW(dialog, GWL_EXSTYLE) & WS_EX_CONTROLPARENT) && IsOurDialog(::GetParent(dialog));
}

bool Dialog::IsChildDialog() const
{
    return hwnd && (::GetWindowLongPtrW(hwnd, GWL_STYLE) & WS_CHILD) != 0;
}

BOOL Dialog::OnInitDialog()
{
    return TRUE;
}

void Dialog::OnOK()
{
    if (!IsChildDialog()) EndDialog(IDOK);
}

void Dialog::OnCancel()
{
    if (!IsChildDialog()) EndDialog(IDCANCEL);
}

bool Dialog::OnCommand(WORD, WORD, HWND)
{
    return false;
}
void Dialog::OnTimer(UINT_PTR) {}
void Dialog::OnDestroy() {}

INT_PTR Dialog::OnMessage(UINT, WPARAM, LPARAM, bool& handled)
{
    handled = false;
    return 0;
}

void Dialog::SetMsgResult(LRESULT result)
{
    if (hwnd) ::SetWindowLongPtrW(hwnd, DWLP_MSGRESULT, result);
}

INT_PTR CALLBACK Dialog::DialogProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    return BoundDialogProcedure<Dialog>(window, message, wParam, lParam,
                                        [](LPARAM init) { return reinterpret_cast<Dialog*>(init); });
}

INT_PTR CALLBACK Dialog::PageProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    return BoundDialogProcedure<Dialog>(window, message, wParam, lParam, [](LPARAM init) {
        return reinterpret_cast<Dialog*>(reinterpret_cast<PROPSHEETPAGEW*>(init)->lParam);
    });
}

bool Dialog::Reflect(UINT message, WPARAM wParam, LPARAM lParam, INT_PTR& result)
{
    HWND child = nullptr;
    switch (message) {
    case WM_CTLCOLORSTATIC:
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORBTN:
    case WM_CTLCOLORLISTBOX:
    case WM_CTLCOLORSCROLLBAR: child = reinterpret_cast<HWND>(lParam); break;
    case WM_DRAWITEM:
        if (wParam != 0) child = reinterpret_cast<const DRAWITEMSTRUCT*>(lParam)->hwndItem;  // 0: a menu
        break;
    case WM_COMMAND:
        child = reinterpret_cast<HWND>(lParam);  // 0 for menus and accelerators
        break;
    case WM_NOTIFY: child = reinterpret_cast<const NMHDR*>(lParam)->hwndFrom; break;
    default: return false;
    }
    Control* control = Control::FromWindow(child);
    LRESULT answer = 0;
    if (!control || !control->Reflected(message, wParam, lParam, answer)) return false;
    if (message == WM_NOTIFY) {
        // A dialog procedure gives a notification's result through
        // DWLP_MSGRESULT and returns TRUE.
        SetMsgResult(answer);
        result = TRUE;
    } else if (message == WM_COMMAND || message == WM_DRAWITEM) {
        result = TRUE;
    } else {
        // The colour messages are the documented exception: a dialog
        // procedure returns the brush itself.
        result = static_cast<INT_PTR>(answer);
    }
    return true;
}

INT_PTR Dialog::Dispatch(UINT message, WPARAM wParam, LPARAM lParam)
{
    INT_PTR reflected = 0;
    if (Reflect(message, wParam, lParam, reflected)) return reflected;

    switch (message) {
    case WM_INITDIALOG: return OnInitDialog();
    case WM_COMMAND: {
        const WORD id = LOWORD(wParam);
        const WORD code = HIWORD(wParam);
        // Enter on a focused button of a child dialog: the dialog manager of
        // the outer dialog sends the button's command to the outer dialog.
        // It goes to the button's own dialog, which knows the id.
        const auto control = reinterpret_cast<HWND>(lParam);
        if (control && ::IsChild(hwnd, control)) {
            const HWND owner = ::GetParent(control);
            if (owner != hwnd && IsOurDialog(owner)) {
                ::SendMessageW(owner, WM_COMMAND, wParam, lParam);
                return TRUE;
            }
        }
        if (OnCommand(id, code, reinterpret_cast<HWND>(lParam))) return TRUE;
        if (code == BN_CLICKED || code == 1 /* accelerator */) {
            if (id == IDOK) {
                OnOK();
                return TRUE;
            }
            if (id == IDCANCEL) {
                OnCancel();
                return TRUE;
            }
        }
        return FALSE;
    }
    case WM_TIMER: OnTimer(static_cast<UINT_PTR>(wParam)); return TRUE;
    case WM_DESTROY: OnDestroy(); return FALSE;
    case WM_SHOWWINDOW:
        if (wParam && !IsChildDialog()) ShowKeyboardCues(hwnd);
        break;
    case WM_CHANGEUISTATE:
        // A child asks its top-level window to change the state of the
        // whole window; a top-level dialog of ours answers a request to hide
        // the cues by showing them. Handled: DefDlgProc does not act on the
        // request itself.
        if (!IsChildDialog() && HidesKeyboardCues(wParam)) {
            ShowKeyboardCues(hwnd);
            return TRUE;
        }
        break;
    case WM_SYSCOMMAND:
        // A hidden dialog that happens to hold the focus when ALT goes up
        // must not enter menu mode: nobody could ever leave it.
        if ((wParam & 0xFFF0) == SC_KEYMENU && !::IsWindowVisible(hwnd)) return TRUE;
        break;
    default: break;
    }
    bool handled = false;
    const INT_PTR result = OnMessage(message, wParam, lParam, handled);
    return handled ? result : FALSE;
}

}  // namespace win
