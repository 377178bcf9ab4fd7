#include "win/Text.h"

namespace win {

std::wstring GetText(HWND window)
{
    const int length = ::GetWindowTextLengthW(window);
    if (length <= 0) return {};
    std::wstring text(static_cast<size_t>(length) + 1, L'\0');
    const int copied = ::GetWindowTextW(window, text.data(), length + 1);
    text.resize(static_cast<size_t>(copied > 0 ? copied : 0));
    return text;
}

std::wstring GetItemText(HWND dialog, int controlId)
{
    const HWND control = ::GetDlgItem(dialog, controlId);
    return control ? GetText(control) : std::wstring();
}

void SetItemText(HWND dialog, int controlId, const std::wstring& text)
{
    ::SetDlgItemTextW(dialog, controlId, text.c_str());
}

}  // namespace win
