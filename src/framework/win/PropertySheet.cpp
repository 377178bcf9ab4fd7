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
    const INT_PTR result = ::PropertySheetW(&header);
    initialising = nullptr;
    hwnd = nullptr;
    return result;
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
