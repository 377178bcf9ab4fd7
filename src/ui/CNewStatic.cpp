#include "ui/CNewStatic.h"

bool CNewStatic::InitStyle()
{
    defaultBackColor = ::GetSysColor(COLOR_BTNFACE);
    defaultTextColor = ::GetSysColor(COLOR_WINDOWTEXT);
    SetColors(defaultColour, defaultColour);
    textFont.Reset(::CreateFontW(13, 0, 0, 0, FW_BOLD, FALSE, FALSE, FALSE, DEFAULT_CHARSET, OUT_CHARACTER_PRECIS,
                                 CLIP_CHARACTER_PRECIS, DEFAULT_QUALITY, 0, L"Verdana"));
    if (hwnd && textFont) ::SendMessageW(hwnd, WM_SETFONT, reinterpret_cast<WPARAM>(textFont.Get()), TRUE);
    return true;
}

void CNewStatic::SetColors(uint32_t background, uint32_t text)
{
    backColor = background == defaultColour ? defaultBackColor : static_cast<COLORREF>(background);
    textColor = text == defaultColour ? defaultTextColor : static_cast<COLORREF>(text);
    backBrush.Reset(::CreateSolidBrush(backColor));
    if (hwnd) ::RedrawWindow(hwnd, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW);
}

LRESULT CNewStatic::OnReflected(UINT message, WPARAM wParam, LPARAM, bool& handled)
{
    // A disabled static asks with WM_CTLCOLORSTATIC as well.
    if (message != WM_CTLCOLORSTATIC || !backBrush) {
        handled = false;
        return 0;
    }
    const HDC dc = reinterpret_cast<HDC>(wParam);
    ::SetBkColor(dc, backColor);
    ::SetTextColor(dc, textColor);
    handled = true;
    return reinterpret_cast<LRESULT>(backBrush.Get());
}

void CNewStatic::OnNcDestroy()
{
    // The window may still name the font; it is deleted only once the
    // window is gone.
    textFont.Reset();
}
