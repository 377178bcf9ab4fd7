// Text at the Windows boundary. The portable core holds UTF-16 as char16_t;
// Windows takes wchar_t, which is the same 16-bit unit there.
#pragma once

#include <windows.h>

#include <string>

namespace win {

static_assert(sizeof(wchar_t) == sizeof(char16_t), "Windows wide characters are UTF-16 units");

inline std::wstring Wide(const std::u16string& text)
{
    return std::wstring(text.begin(), text.end());
}
inline std::u16string Utf16(const std::wstring& text)
{
    return std::u16string(text.begin(), text.end());
}

// The whole text of a window or control.
std::wstring GetText(HWND window);
std::wstring GetItemText(HWND dialog, int controlId);
// Sets the text of control `controlId`.
void SetItemText(HWND dialog, int controlId, const std::wstring& text);

}  // namespace win
