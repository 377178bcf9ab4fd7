#include "win/Dialog.h"

#include "win/BoundProcedure.h"

namespace win {

HINSTANCE ResourceModule() { return ::GetModuleHandleW(nullptr); }

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
    const bool disableParent = parent && ::IsWindowEnabled(parent);
    if (disableParent) ::EnableWindow(parent, FALSE);

    ::CreateDialogParamW(ResourceModule(), MAKEINTRESOURCEW(templateId), parent, DialogProc,
                         reinterpret_cast<LPARAM>(this));
    if (hwnd && !endRequested) RunModalLoop();

    if (disableParent) {
        ::EnableWindow(parent, TRUE);
        ::SetActiveWindow(parent);
    }
    DestroyWindow();
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

BOOL Dialog::KillTimer(UINT_PTR id) { return hwnd ? ::KillTimer(hwnd, id) : FALSE; }

bool Dialog::PreTranslate(MSG& message)
{
    if (message.message < WM_KEYFIRST || message.message > WM_KEYLAST) return false;
    HWND active = ::GetActiveWindow();
    if (!active) return false;
    // Only our own dialogs: their procedure is DialogProc.
    if (::GetWindowLongPtrW(active, DWLP_DLGPROC) != reinterpret_cast<LONG_PTR>(&DialogProc)) return false;
    return ::IsDialogMessageW(active, &message) != FALSE;
}

BOOL Dialog::OnInitDialog() { return TRUE; }
void Dialog::OnOK() { EndDialog(IDOK); }
void Dialog::OnCancel() { EndDialog(IDCANCEL); }
bool Dialog::OnCommand(WORD, WORD, HWND) { return false; }
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

INT_PTR Dialog::Dispatch(UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_INITDIALOG:
        return OnInitDialog();
    case WM_COMMAND: {
        const WORD id = LOWORD(wParam);
        const WORD code = HIWORD(wParam);
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
    case WM_TIMER:
        OnTimer(static_cast<UINT_PTR>(wParam));
        return TRUE;
    case WM_DESTROY:
        OnDestroy();
        return FALSE;
    case WM_SYSCOMMAND:
        // A hidden dialog that happens to hold the focus when ALT goes up
        // must not enter menu mode: nobody could ever leave it.
        if ((wParam & 0xFFF0) == SC_KEYMENU && !::IsWindowVisible(hwnd)) return TRUE;
        break;
    default:
        break;
    }
    bool handled = false;
    const INT_PTR result = OnMessage(message, wParam, lParam, handled);
    return handled ? result : FALSE;
}

}  // namespace win
