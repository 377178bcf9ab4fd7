#include "win/PropertySheet.h"

namespace win {

PropertyPage::PropertyPage(UINT templateId, std::wstring title) : Dialog(templateId), title(std::move(title)) {}

PROPSHEETPAGEW PropertyPage::Describe()
{
    PROPSHEETPAGEW page{};
    page.dwSize = sizeof page;
    page.dwFlags = PSP_USETITLE;  // the title comes from the page object; no Help button
    page.hInstance = ResourceModule();
    page.pszTemplate = MAKEINTRESOURCEW(templateId);
    page.pszTitle = title.c_str();
    page.pfnDlgProc = PageProc;
    page.lParam = reinterpret_cast<LPARAM>(this);
    return page;
}

INT_PTR PropertyPage::Dispatch(UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_NOTIFY) {
        const auto* header = reinterpret_cast<const NMHDR*>(lParam);
        switch (header->code) {
        case PSN_SETACTIVE:
            OnSetActive();
            SetMsgResult(0);
            return TRUE;
        case PSN_KILLACTIVE: SetMsgResult(OnKillActive() ? FALSE : TRUE); return TRUE;
        case PSN_APPLY:
            OnApply();
            SetMsgResult(PSNRET_NOERROR);
            return TRUE;
        }
    }
    return Dialog::Dispatch(message, wParam, lParam);
}

thread_local PropertySheet* PropertySheet::initialising = nullptr;

namespace {
// The sheet that runs modally on this thread, for its message filter.
thread_local PropertySheet* keyedSheet = nullptr;
}  // namespace

PropertySheet::PropertySheet(std::wstring caption) : caption(std::move(caption)) {}

PropertySheet::~PropertySheet()
{
    if (hwnd) ::RemoveWindowSubclass(hwnd, SubclassProc, reinterpret_cast<UINT_PTR>(this));
}

void PropertySheet::AddPage(PropertyPage& page)
{
    pages.push_back(&page);
}

INT_PTR PropertySheet::DoModal(HWND parent)
{
    std::vector<PROPSHEETPAGEW> descriptions;
    for (PropertyPage* page : pages) descriptions.push_back(page->Describe());

    PROPSHEETHEADERW header{};
    header.dwSize = sizeof header;
    // No Help button, and no "?" in the caption: without PSH_NOCONTEXTHELP
    // the sheet's frame gets the context help button.
    header.dwFlags = PSH_PROPSHEETPAGE | PSH_USECALLBACK | PSH_NOCONTEXTHELP;
    header.hwndParent = parent;
    header.hInstance = ResourceModule();
    header.pszCaption = caption.c_str();
    header.nPages = static_cast<UINT>(descriptions.size());
    header.ppsp = descriptions.data();
    header.pfnCallback = SheetCallback;

    initialising = this;
    // The modal loop of the sheet is comctl32's. Windows' own loop changes
    // pages on Ctrl+Tab; a loop that only calls IsDialogMessage (Wine's) does
    // not. IsDialogMessage offers every message to the thread's message
    // filter first (CallMsgFilter with MSGF_DIALOGBOX), so a filter of this
    // thread changes the page there; a loop that already changed it never
    // gets that far.
    PropertySheet* const outerSheet = keyedSheet;
    keyedSheet = this;
    const HHOOK filter = ::SetWindowsHookExW(WH_MSGFILTER, PageKeyFilter, nullptr, ::GetCurrentThreadId());
    const INT_PTR result = ::PropertySheetW(&header);
    if (filter) ::UnhookWindowsHookEx(filter);
    keyedSheet = outerSheet;
    initialising = nullptr;
    hwnd = nullptr;
    return result;
}

size_t PropertySheet::PageAfterKey(UINT key, bool ctrl, bool shift, bool alt, size_t current, size_t count)
{
    if (!ctrl || alt || count == 0 || current >= count) return current;
    bool forward = true;
    switch (key) {
    case VK_TAB: forward = !shift; break;
    case VK_NEXT: forward = true; break;
    case VK_PRIOR: forward = false; break;
    default: return current;
    }
    return forward ? (current + 1) % count : (current + count - 1) % count;
}

LRESULT CALLBACK PropertySheet::PageKeyFilter(int code, WPARAM wParam, LPARAM lParam)
{
    try {
        if (code == MSGF_DIALOGBOX && keyedSheet && keyedSheet->OnPageKey(*reinterpret_cast<const MSG*>(lParam)))
            return 1;  // handled: IsDialogMessage takes it as processed
    } catch (...) {
        ReportException("PropertySheet page keys");
    }
    return ::CallNextHookEx(nullptr, code, wParam, lParam);
}

bool PropertySheet::OnPageKey(const MSG& message)
{
    if (!hwnd || message.message != WM_KEYDOWN) return false;
    if (message.hwnd != hwnd && !::IsChild(hwnd, message.hwnd)) return false;
    const HWND tabs = reinterpret_cast<HWND>(::SendMessageW(hwnd, PSM_GETTABCONTROL, 0, 0));
    if (!tabs) return false;
    const auto current = static_cast<size_t>(::SendMessageW(tabs, TCM_GETCURSEL, 0, 0));
    const auto count = static_cast<size_t>(::SendMessageW(tabs, TCM_GETITEMCOUNT, 0, 0));
    // GetKeyState: the state of the keys as this thread's messages have
    // brought them so far, the one that goes with this message.
    const size_t next = PageAfterKey(static_cast<UINT>(message.wParam), ::GetKeyState(VK_CONTROL) < 0,
                                     ::GetKeyState(VK_SHIFT) < 0, ::GetKeyState(VK_MENU) < 0, current, count);
    if (next == current) return false;
    // A control that wants the key (DLGC_WANTMESSAGE) keeps it, as the
    // sheet's own handling does.
    MSG copy = message;
    if (::SendMessageW(message.hwnd, WM_GETDLGCODE, message.wParam, reinterpret_cast<LPARAM>(&copy)) & DLGC_WANTMESSAGE)
        return false;
    ::SendMessageW(hwnd, PSM_SETCURSEL, next, 0);
    return true;
}

void PropertySheet::SetActivePage(size_t index)
{
    if (hwnd) ::SendMessageW(hwnd, PSM_SETCURSEL, index, 0);
}

void PropertySheet::SetAllPagesModified(bool modified)
{
    if (!hwnd) return;
    for (PropertyPage* page : pages) {
        if (!page->GetSafeHwnd()) continue;
        ::SendMessageW(hwnd, modified ? PSM_CHANGED : PSM_UNCHANGED, reinterpret_cast<WPARAM>(page->GetSafeHwnd()), 0);
    }
}

bool PropertySheet::OnCommand(WORD, WORD, HWND)
{
    return false;
}

LRESULT PropertySheet::OnMessage(UINT, WPARAM, LPARAM, bool& handled)
{
    handled = false;
    return 0;
}

int CALLBACK PropertySheet::SheetCallback(HWND window, UINT message, LPARAM)
{
    if (message == PSCB_INITIALIZED && initialising) {
        PropertySheet* self = initialising;
        initialising = nullptr;
        self->hwnd = window;
        ::SetWindowSubclass(window, SubclassProc, reinterpret_cast<UINT_PTR>(self), reinterpret_cast<DWORD_PTR>(self));
        try {
            self->OnInitDialog();
        } catch (...) {
            ReportException("PropertySheet::OnInitDialog");
        }
        ShowKeyboardCues(window);
    }
    return 0;
}

LRESULT CALLBACK PropertySheet::SubclassProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR,
                                             DWORD_PTR data)
{
    auto* self = reinterpret_cast<PropertySheet*>(data);
    try {
        switch (message) {
        case WM_COMMAND:
            if (self->OnCommand(LOWORD(wParam), HIWORD(wParam), reinterpret_cast<HWND>(lParam))) return 0;
            break;
        case WM_TIMER: self->OnTimer(static_cast<UINT_PTR>(wParam)); break;
        case WM_SHOWWINDOW:
            if (wParam) ShowKeyboardCues(window);
            break;
        case WM_CHANGEUISTATE:
            // As in a dialog of ours (win/Dialog.h): the cues stay visible.
            if (HidesKeyboardCues(wParam)) {
                ::DefSubclassProc(window, message, MAKEWPARAM(UIS_CLEAR, UISF_HIDEFOCUS | UISF_HIDEACCEL), lParam);
                return 0;
            }
            break;
        case WM_NCDESTROY:
            ::RemoveWindowSubclass(window, SubclassProc, reinterpret_cast<UINT_PTR>(self));
            self->hwnd = nullptr;
            break;
        default: {
            bool handled = false;
            const LRESULT result = self->OnMessage(message, wParam, lParam, handled);
            if (handled) return result;
            break;
        }
        }
    } catch (...) {
        ReportException("PropertySheet procedure");
    }
    return ::DefSubclassProc(window, message, wParam, lParam);
}

}  // namespace win
