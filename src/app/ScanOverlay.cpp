#include "app/ScanOverlay.h"

#include <algorithm>

#include "sensors/Win32Pointer.h"
#include "win/Accessible.h"
#include "win/Text.h"

namespace {

constexpr wchar_t className[] = L"KontaktaScanOverlay";
constexpr int menuPaddingAt96 = 10;
constexpr UINT textFormat = DT_LEFT | DT_NOPREFIX | DT_SINGLELINE | DT_VCENTER;

struct Colours {
    COLORREF light, dark;         // the line's two pixels
    COLORREF menuBack, menuText;  // the menu
    COLORREF litBack, litText;    // its lit item
};

Colours CurrentColours()
{
    // In high contrast the user's chosen system colours, as everywhere else.
    if (win::HighContrastOn())
        return {::GetSysColor(COLOR_HIGHLIGHT),  ::GetSysColor(COLOR_WINDOW),    ::GetSysColor(COLOR_WINDOW),
                ::GetSysColor(COLOR_WINDOWTEXT), ::GetSysColor(COLOR_HIGHLIGHT), ::GetSysColor(COLOR_HIGHLIGHTTEXT)};
    return {RGB(255, 255, 255), RGB(0, 0, 0), RGB(32, 32, 32), RGB(255, 255, 255), RGB(255, 214, 0), RGB(0, 0, 0)};
}

// The DPI of the monitor at `point` (physical pixels), from GetDpiForMonitor
// (Windows 8.1, shcore.dll); the screen's where that is missing.
int MonitorDpi(POINT point)
{
    using DpiForMonitor = HRESULT(WINAPI*)(HMONITOR, int, UINT*, UINT*);
    static const DpiForMonitor function = [] {
        const HMODULE shcore = ::LoadLibraryW(L"shcore.dll");  // kept for the program's life
        return shcore ? reinterpret_cast<DpiForMonitor>(
                            reinterpret_cast<void*>(::GetProcAddress(shcore, "GetDpiForMonitor")))
                      : nullptr;
    }();
    if (function) {
        UINT x = 0, y = 0;
        constexpr int effectiveDpi = 0;  // MDT_EFFECTIVE_DPI
        if (SUCCEEDED(function(::MonitorFromPoint(point, MONITOR_DEFAULTTONEAREST), effectiveDpi, &x, &y)) && y > 0)
            return int(y);
    }
    const win::WindowDC screen(nullptr);
    return screen ? ::GetDeviceCaps(screen.Get(), LOGPIXELSY) : 96;
}

RECT ToRect(const kontakta::PixelRect& r)
{
    return {r.left, r.top, r.right, r.bottom};
}

}  // namespace

LRESULT CALLBACK ScanOverlay::Procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_NCCREATE) {
        const auto* create = reinterpret_cast<const CREATESTRUCTW*>(lParam);
        ::SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(create->lpCreateParams));
    }
    auto* self = reinterpret_cast<ScanOverlay*>(::GetWindowLongPtrW(window, GWLP_USERDATA));
    switch (message) {
    case WM_MOUSEACTIVATE: return MA_NOACTIVATE;  // a click never activates it
    case WM_NCHITTEST: return HTTRANSPARENT;      // the click goes to the window under it
    case WM_ERASEBKGND: return 1;                 // WM_PAINT fills every pixel
    case WM_PAINT:
        if (self) {
            PAINTSTRUCT paint{};
            if (const HDC dc = ::BeginPaint(window, &paint)) {
                if (window == self->menu)
                    self->PaintMenu(dc);
                else
                    self->PaintLine(window, dc);
                ::EndPaint(window, &paint);
            }
            return 0;
        }
        break;
    case WM_NCDESTROY: ::SetWindowLongPtrW(window, GWLP_USERDATA, 0); break;
    default: break;
    }
    return ::DefWindowProcW(window, message, wParam, lParam);
}

bool ScanOverlay::Create()
{
    if (vertical && horizontal && menu) return true;
    static const bool registered = [] {
        WNDCLASSEXW windowClass{};
        windowClass.cbSize = sizeof windowClass;
        windowClass.lpfnWndProc = &Procedure;
        windowClass.hInstance = ::GetModuleHandleW(nullptr);
        windowClass.hCursor = ::LoadCursorW(nullptr, IDC_ARROW);
        windowClass.lpszClassName = className;
        return ::RegisterClassExW(&windowClass) != 0 || ::GetLastError() == ERROR_CLASS_ALREADY_EXISTS;
    }();
    if (!registered) return false;
    // Created per-monitor aware (version 2): a window keeps the awareness of
    // the thread that created it, so its positions stay physical pixels.
    const PhysicalPixels physical;
    for (HWND* window : {&vertical, &horizontal, &menu}) {
        if (*window) continue;
        // WS_POPUP without an owner: topmost above every window, not in the
        // taskbar (a tool window), whatever the main window does.
        *window = ::CreateWindowExW(extendedStyles, className, L"", WS_POPUP, 0, 0, 1, 1, nullptr, nullptr,
                                    ::GetModuleHandleW(nullptr), this);
        if (!*window) return false;
        // "A layered window is not visible until SetLayeredWindowAttributes
        // or UpdateLayeredWindow" is called; opaque.
        ::SetLayeredWindowAttributes(*window, 0, 255, LWA_ALPHA);
    }
    return true;
}

void ScanOverlay::PlaceLine(HWND window, bool visible, const RECT& rect, RECT& placed)
{
    if (!visible) {
        if (::IsWindowVisible(window)) ::ShowWindow(window, SW_HIDE);
        return;
    }
    if (::IsWindowVisible(window) && ::EqualRect(&rect, &placed)) return;
    const bool resized =
        rect.right - rect.left != placed.right - placed.left || rect.bottom - rect.top != placed.bottom - placed.top;
    placed = rect;
    ::SetWindowPos(window, HWND_TOPMOST, rect.left, rect.top, rect.right - rect.left, rect.bottom - rect.top,
                   SWP_NOACTIVATE | SWP_SHOWWINDOW);
    if (resized) ::InvalidateRect(window, nullptr, FALSE);
}

void ScanOverlay::Show(const kontakta::ScanView& view)
{
    if (!view.active) {
        Hide();
        shown = view;
        return;
    }
    if (!Create()) return;
    const PhysicalPixels physical;
    const RECT verticalRect = view.verticalX ? ToRect(kontakta::LineRect(view.bounds, true, *view.verticalX)) : RECT{};
    const RECT horizontalRect =
        view.horizontalY ? ToRect(kontakta::LineRect(view.bounds, false, *view.horizontalY)) : RECT{};
    PlaceLine(vertical, view.verticalX.has_value(), verticalRect, verticalPlaced);
    PlaceLine(horizontal, view.horizontalY.has_value(), horizontalRect, horizontalPlaced);
    PlaceMenu(view);
}

void ScanOverlay::PlaceMenu(const kontakta::ScanView& view)
{
    if (!view.menu || view.items.empty()) {
        if (::IsWindowVisible(menu)) ::ShowWindow(menu, SW_HIDE);
        shown = view;
        return;
    }
    const bool changed = !shown.menu || shown.items != view.items || shown.lit != view.lit ||
                         !(shown.crossing == view.crossing) || !(shown.monitor == view.monitor);
    shown = view;
    if (!changed && ::IsWindowVisible(menu)) return;

    const int dpi = MonitorDpi({view.crossing.x, view.crossing.y});
    if (!font || dpi != fontDpi) {
        // Points to pixels: a point is 1/72 inch.
        font.Reset(::CreateFontW(-MulDiv(menuPoints, dpi, 72), 0, 0, 0, FW_SEMIBOLD, FALSE, FALSE, FALSE,
                                 DEFAULT_CHARSET, OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, CLEARTYPE_QUALITY,
                                 DEFAULT_PITCH, L"Segoe UI"));
        fontDpi = dpi;
    }
    padding = MulDiv(menuPaddingAt96, dpi, 96);
    int widest = 0;
    lineHeight = 0;
    {
        const win::WindowDC dc(menu);
        if (dc) {
            const win::SelectGuard select(dc.Get(),
                                          font ? static_cast<HGDIOBJ>(font.Get()) : ::GetStockObject(DEFAULT_GUI_FONT));
            for (const kontakta::ScanItem item : view.items) {
                const std::wstring name = win::Wide(kontakta::ScanItemName(item));
                RECT measured{0, 0, 0, 0};
                ::DrawTextW(dc.Get(), name.c_str(), int(name.size()), &measured, textFormat | DT_CALCRECT);
                widest = std::max(widest, int(measured.right - measured.left));
                lineHeight = std::max(lineHeight, int(measured.bottom - measured.top));
            }
        }
    }
    lineHeight += padding;
    const int width = widest + 4 * padding;
    const int height = lineHeight * int(view.items.size()) + 2 * padding;
    const kontakta::Point at =
        kontakta::PlaceMenu(view.monitor, view.crossing, width, height, MulDiv(menuGap, dpi, 96));
    const RECT rect{at.x, at.y, at.x + width, at.y + height};
    if (!::EqualRect(&rect, &menuPlaced) || !::IsWindowVisible(menu)) {
        menuPlaced = rect;
        // The menu above the lines: placed after them at the top.
        ::SetWindowPos(menu, HWND_TOPMOST, rect.left, rect.top, width, height, SWP_NOACTIVATE | SWP_SHOWWINDOW);
    }
    ::InvalidateRect(menu, nullptr, FALSE);

    // The lit item is the menu's name, for a screen reader.
    const std::wstring lit = view.lit >= 0 && size_t(view.lit) < view.items.size()
                                 ? win::Wide(kontakta::ScanItemName(view.items[size_t(view.lit)]))
                                 : std::wstring();
    if (lit != announced) {
        announced = lit;
        ::SetWindowTextW(menu, announced.c_str());
        ::NotifyWinEvent(EVENT_OBJECT_NAMECHANGE, menu, OBJID_WINDOW, CHILDID_SELF);
    }
}

void ScanOverlay::PaintLine(HWND window, HDC dc)
{
    RECT client{};
    ::GetClientRect(window, &client);
    const Colours colours = CurrentColours();
    // The light pixel first (left, or top), the dark one beside it.
    RECT first = client, second = client;
    if (window == vertical) {
        first.right = std::min(client.left + 1, client.right);
        second.left = first.right;
    } else {
        first.bottom = std::min(client.top + 1, client.bottom);
        second.top = first.bottom;
    }
    const win::Brush light(::CreateSolidBrush(colours.light));
    const win::Brush dark(::CreateSolidBrush(colours.dark));
    ::FillRect(dc, &first, light.Get());
    ::FillRect(dc, &second, dark.Get());
}

void ScanOverlay::PaintMenu(HDC dc)
{
    RECT client{};
    ::GetClientRect(menu, &client);
    const Colours colours = CurrentColours();
    const win::Brush back(::CreateSolidBrush(colours.menuBack));
    const win::Brush litBack(::CreateSolidBrush(colours.litBack));
    ::FillRect(dc, &client, back.Get());
    const win::SelectGuard select(dc, font ? static_cast<HGDIOBJ>(font.Get()) : ::GetStockObject(DEFAULT_GUI_FONT));
    ::SetBkMode(dc, TRANSPARENT);
    for (size_t i = 0; i < shown.items.size(); ++i) {
        RECT row{client.left + padding, client.top + padding + int(i) * lineHeight, client.right - padding,
                 client.top + padding + int(i + 1) * lineHeight};
        const bool isLit = int(i) == shown.lit;
        if (isLit) ::FillRect(dc, &row, litBack.Get());
        ::SetTextColor(dc, isLit ? colours.litText : colours.menuText);
        RECT text = row;
        text.left += padding;
        const std::wstring name = win::Wide(kontakta::ScanItemName(shown.items[i]));
        ::DrawTextW(dc, name.c_str(), int(name.size()), &text, textFormat);
    }
}

void ScanOverlay::Hide()
{
    for (HWND window : {vertical, horizontal, menu})
        if (window && ::IsWindowVisible(window)) ::ShowWindow(window, SW_HIDE);
}

void ScanOverlay::Destroy()
{
    for (HWND* window : {&vertical, &horizontal, &menu}) {
        if (*window) ::DestroyWindow(*window);
        *window = nullptr;
    }
    verticalPlaced = horizontalPlaced = menuPlaced = RECT{};
    font.Reset(nullptr);
    fontDpi = 0;
    shown = {};
    announced.clear();
}
