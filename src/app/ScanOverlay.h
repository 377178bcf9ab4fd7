// The scan's overlay: the two lines and the menu that kontakta::Scan's view
// describes, drawn on windows of one class of their own and nothing else.
//
// The windows must never take the focus or the foreground from the window
// the user works in, nor catch a click meant for it: each is topmost,
// layered and transparent (a layered window with WS_EX_TRANSPARENT passes
// the mouse to the windows under it), a tool window without an owner (not
// in the taskbar or ALT+TAB) and no-activate, answers WM_MOUSEACTIVATE with
// MA_NOACTIVATE and WM_NCHITTEST with HTTRANSPARENT, and is shown and moved
// with SWP_NOACTIVATE only. The caller still hides the overlay while a click,
// a drag or a wheel notch is sent, so that it reaches the window under the
// crossing whatever a program does with hit tests.
//
// The lines are windows two pixels wide, a light and a dark pixel side by
// side (in high contrast the system's COLOR_HIGHLIGHT and COLOR_WINDOW), so
// they are seen on any background. Positions are physical pixels: the
// windows are created and placed with the thread per-monitor DPI aware
// (version 2). The menu's text is at least 20 pt at 96 dpi, scaled with the
// DPI of the crossing's monitor; its window text is the lit item, and a
// change of it is announced (EVENT_OBJECT_NAMECHANGE) for a screen reader.
//
// The user-interface thread only: the windows belong to the thread that
// first shows them ("a window belongs to the thread that created it", and
// calls from another thread would wait on it).
#pragma once

#include <windows.h>

#include <string>

#include "sensors/Scan.h"
#include "win/Handle.h"

class ScanOverlay {
public:
    static constexpr DWORD extendedStyles =
        WS_EX_TOPMOST | WS_EX_LAYERED | WS_EX_TRANSPARENT | WS_EX_TOOLWINDOW | WS_EX_NOACTIVATE;
    static constexpr int menuPoints = 20;  // at 96 dpi, scaled with the monitor's DPI
    static constexpr int menuGap = 16;     // pixels from the crossing, at 96 dpi

    ScanOverlay() = default;
    ScanOverlay(const ScanOverlay&) = delete;
    ScanOverlay& operator=(const ScanOverlay&) = delete;
    ~ScanOverlay() { Destroy(); }

    // Draws `view`: its lines where it says, the menu when it says, with its
    // lit item; an inactive view hides everything. Creates the windows on
    // first use.
    void Show(const kontakta::ScanView& view);
    // Hides every window until the next Show (while input is sent).
    void Hide();
    void Destroy();

    HWND VerticalLine() const { return vertical; }
    HWND HorizontalLine() const { return horizontal; }
    HWND Menu() const { return menu; }

private:
    static LRESULT CALLBACK Procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    bool Create();
    void PlaceLine(HWND window, bool shown, const RECT& rect, RECT& placed);
    void PlaceMenu(const kontakta::ScanView& view);
    void PaintLine(HWND window, HDC dc);
    void PaintMenu(HDC dc);

    HWND vertical = nullptr;
    HWND horizontal = nullptr;
    HWND menu = nullptr;
    RECT verticalPlaced{};
    RECT horizontalPlaced{};
    RECT menuPlaced{};
    win::Font font;
    int fontDpi = 0;
    int lineHeight = 0;
    int padding = 0;
    kontakta::ScanView shown;  // what the menu draws
    std::wstring announced;    // the menu's window text: the lit item
};
