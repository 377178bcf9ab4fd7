#include "app/LatchIndicator.h"

#include "win/Text.h"

namespace {

constexpr wchar_t className[] = L"KontaktaLatchIndicator";
constexpr COLORREF background = RGB(32, 32, 32);
constexpr COLORREF foreground = RGB(255, 255, 255);
constexpr BYTE opacity = 230;  // of 255: the window under it shows a little
constexpr int margin = 12;     // from the work area's edges, at 96 dpi
constexpr int padding = 8;
constexpr UINT textFormat = DT_LEFT | DT_NOPREFIX;

}  // namespace

LRESULT CALLBACK LatchIndicator::Procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_NCCREATE) {
        const auto* create = reinterpret_cast<const CREATESTRUCTW*>(lParam);
        ::SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(create->lpCreateParams));
    }
    auto* self = reinterpret_cast<LatchIndicator*>(::GetWindowLongPtrW(window, GWLP_USERDATA));
    switch (message) {
    case WM_MOUSEACTIVATE: return MA_NOACTIVATE;  // a click never activates it
    case WM_NCHITTEST: return HTTRANSPARENT;      // the click goes to the window under it
    case WM_PAINT:
        if (self) {
            self->Paint();
            return 0;
        }
        break;
    default: break;
    }
    return ::DefWindowProcW(window, message, wParam, lParam);
}

void LatchIndicator::Show(const std::u16string& text)
{
    const std::wstring wide = win::Wide(text);
    if (wide.empty()) {
        if (window && ::IsWindowVisible(window)) ::ShowWindow(window, SW_HIDE);
        shown.clear();
        return;
    }
    if (!window) {
        static const bool registered = [] {
            WNDCLASSEXW windowClass{};
            windowClass.cbSize = sizeof windowClass;
            windowClass.lpfnWndProc = &Procedure;
            windowClass.hInstance = ::GetModuleHandleW(nullptr);
            windowClass.hCursor = ::LoadCursorW(nullptr, IDC_ARROW);
            windowClass.lpszClassName = className;
            return ::RegisterClassExW(&windowClass) != 0 || ::GetLastError() == ERROR_CLASS_ALREADY_EXISTS;
        }();
        if (!registered) return;
        // WS_POPUP without an owner: topmost above every window, whatever
        // the main window (hidden) does.
        window = ::CreateWindowExW(extendedStyles, className, L"", WS_POPUP, 0, 0, 1, 1, nullptr, nullptr,
                                   ::GetModuleHandleW(nullptr), this);
        if (!window) return;
        // A layered window is drawn only once its attributes are set.
        ::SetLayeredWindowAttributes(window, 0, opacity, LWA_ALPHA);
        const win::WindowDC screen(nullptr);
        const int dpi = screen ? ::GetDeviceCaps(screen.Get(), LOGPIXELSY) : 96;
        font.Reset(::CreateFontW(-MulDiv(18, dpi, 96), 0, 0, 0, FW_BOLD, FALSE, FALSE, FALSE, DEFAULT_CHARSET,
                                 OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, CLEARTYPE_QUALITY, DEFAULT_PITCH,
                                 L"Segoe UI"));
    }
    if (wide == shown && ::IsWindowVisible(window)) return;
    shown = wide;

    RECT textRect{0, 0, 0, 0};
    int dpi = 96;
    {
        const win::WindowDC dc(window);
        if (dc) {
            dpi = ::GetDeviceCaps(dc.Get(), LOGPIXELSY);
            const win::SelectGuard select(dc.Get(),
                                          font ? static_cast<HGDIOBJ>(font.Get()) : ::GetStockObject(DEFAULT_GUI_FONT));
            ::DrawTextW(dc.Get(), shown.c_str(), int(shown.size()), &textRect, textFormat | DT_CALCRECT);
        }
    }
    const int pad = MulDiv(padding, dpi, 96);
    const int width = textRect.right - textRect.left + 2 * pad;
    const int height = textRect.bottom - textRect.top + 2 * pad;
    RECT work{0, 0, ::GetSystemMetrics(SM_CXSCREEN), ::GetSystemMetrics(SM_CYSCREEN)};
    ::SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
    const int edge = MulDiv(margin, dpi, 96);
    ::SetWindowPos(window, HWND_TOPMOST, work.right - edge - width, work.top + edge, width, height, SWP_NOACTIVATE);
    ::InvalidateRect(window, nullptr, TRUE);
    ::ShowWindow(window, SW_SHOWNOACTIVATE);
}

void LatchIndicator::Paint()
{
    PAINTSTRUCT paint{};
    const HDC dc = ::BeginPaint(window, &paint);
    if (!dc) return;
    RECT client{};
    ::GetClientRect(window, &client);
    const win::Brush fill(::CreateSolidBrush(background));
    ::FillRect(dc, &client, fill.Get());
    const int pad = MulDiv(padding, ::GetDeviceCaps(dc, LOGPIXELSY), 96);
    RECT textRect{client.left + pad, client.top + pad, client.right - pad, client.bottom - pad};
    {
        const win::SelectGuard select(dc, font ? static_cast<HGDIOBJ>(font.Get()) : ::GetStockObject(DEFAULT_GUI_FONT));
        ::SetBkMode(dc, TRANSPARENT);
        ::SetTextColor(dc, foreground);
        ::DrawTextW(dc, shown.c_str(), int(shown.size()), &textRect, textFormat);
    }
    ::EndPaint(window, &paint);
}

void LatchIndicator::Destroy()
{
    if (window) {
        ::SetWindowLongPtrW(window, GWLP_USERDATA, 0);
        ::DestroyWindow(window);
    }
    window = nullptr;
    shown.clear();
}
