#include "app/CMsgBox.h"

#include "texts/Texts.h"
#include "res/resource.h"
#include "win/Accessible.h"
#include "win/Text.h"

#include <oleacc.h>

using namespace kontakta;

namespace {
constexpr UINT WM_SHOW_PENDING_TEXT = WM_APP + 10;
}

CMsgBox::CMsgBox() : win::Dialog(IDD_MESSAGE_WINDOW) {}

BOOL CMsgBox::OnInitDialog()
{
    ::SetWindowTextW(hwnd, win::Wide(texts::programName).c_str());
    textControl = ::GetDlgItem(hwnd, IDC_MESSAGE_TEXT);
    ownerThread = ::GetCurrentThreadId();
    postTarget = hwnd;
    // A screen reader takes the window for what it is: a report of a
    // problem (ROLE_SYSTEM_ALERT), its text as its description.
    win::SetAccessibleRole(hwnd, ROLE_SYSTEM_ALERT);
    return FALSE;  // created hidden: takes no focus
}

void CMsgBox::OnOK()
{
    ::ShowWindow(hwnd, SW_HIDE);
    win::Dialog::OnOK();
}

void CMsgBox::OnCancel()
{
    ::ShowWindow(hwnd, SW_HIDE);
    win::Dialog::OnCancel();
}

void CMsgBox::OnDestroy()
{
    postTarget = nullptr;
    textControl = nullptr;
}

void CMsgBox::ShowText(const std::u16string& text)
{
    {
        std::lock_guard<std::mutex> guard(lock);
        pendingText = text;
    }
    const HWND window = postTarget.load();
    if (!window) return;
    if (::GetCurrentThreadId() == ownerThread.load()) {
        ShowPendingText();
    } else {
        ::PostMessageW(window, WM_SHOW_PENDING_TEXT, 0, 0);
    }
}

std::wstring CMsgBox::ShownText() const
{
    return textControl ? win::GetText(textControl) : std::wstring();
}

INT_PTR CMsgBox::OnMessage(UINT message, WPARAM, LPARAM, bool& handled)
{
    if (message != WM_SHOW_PENDING_TEXT) {
        handled = false;
        return 0;
    }
    ShowPendingText();
    handled = true;
    return TRUE;
}

void CMsgBox::ShowPendingText()
{
    std::u16string text;
    {
        std::lock_guard<std::mutex> guard(lock);
        text = pendingText;
    }
    if (!hwnd) return;
    ::SetWindowTextW(textControl, win::Wide(text).c_str());
    win::SetAccessibleDescription(hwnd, win::Wide(text));
    ::ShowWindow(hwnd, SW_SHOW);
    ::SetForegroundWindow(hwnd);
    // Announced when it appears, also when the foreground stays elsewhere
    // (Windows refuses SetForegroundWindow to a background process).
    win::AnnounceAlert(hwnd);
}
