#include "ui/CNewStatic.h"

#include "ui/Appearance.h"

namespace {
static_assert(COLOR_WINDOW == int(kontakta::SystemColourIndex::Window) &&
              COLOR_WINDOWTEXT == int(kontakta::SystemColourIndex::WindowText) &&
              COLOR_HIGHLIGHT == int(kontakta::SystemColourIndex::Highlight) &&
              COLOR_HIGHLIGHTTEXT == int(kontakta::SystemColourIndex::HighlightText) &&
              COLOR_BTNFACE == int(kontakta::SystemColourIndex::ButtonFace) &&
              COLOR_GRAYTEXT == int(kontakta::SystemColourIndex::GrayText));

COLORREF Resolve(uint32_t colour, COLORREF fallback)
{
    if (colour == CNewStatic::defaultColour) return fallback;
    if (kontakta::IsSystemColour(colour)) return ::GetSysColor(int(colour & ~kontakta::systemColourFlag));
    return static_cast<COLORREF>(colour);
}

int SystemDpi()
{
    const HDC screen = ::GetDC(nullptr);
    const int dpi = screen ? ::GetDeviceCaps(screen, LOGPIXELSY) : 96;
    if (screen) ::ReleaseDC(nullptr, screen);
    return dpi > 0 ? dpi : 96;
}
}  // namespace

bool CNewStatic::InitStyle()
{
    defaultBackColor = ::GetSysColor(COLOR_BTNFACE);
    defaultTextColor = ::GetSysColor(COLOR_WINDOWTEXT);
    SetColors(defaultColour, defaultColour);
    // The process is aware of the system's dpi (its manifest): a font in
    // pixels is scaled by it, as the dialog's own font is.
    textFont.Reset(::CreateFontW(::MulDiv(13, SystemDpi(), 96), 0, 0, 0, FW_BOLD, FALSE, FALSE, FALSE, DEFAULT_CHARSET,
                                 OUT_CHARACTER_PRECIS, CLIP_CHARACTER_PRECIS, DEFAULT_QUALITY, 0, L"Verdana"));
    if (hwnd && textFont) ::SendMessageW(hwnd, WM_SETFONT, reinterpret_cast<WPARAM>(textFont.Get()), TRUE);
    return true;
}

void CNewStatic::SetColors(uint32_t background, uint32_t text)
{
    requestedBack = background;
    requestedText = text;
    backColor = Resolve(background, defaultBackColor);
    textColor = Resolve(text, defaultTextColor);
    backBrush.Reset(::CreateSolidBrush(backColor));
    if (hwnd) ::RedrawWindow(hwnd, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW);
}

void CNewStatic::SystemColoursChanged()
{
    defaultBackColor = ::GetSysColor(COLOR_BTNFACE);
    defaultTextColor = ::GetSysColor(COLOR_WINDOWTEXT);
    SetColors(requestedBack, requestedText);
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
