// The on-screen indicator: a small window in the top right corner of the
// primary monitor's work area that says what is latched and whether Kontakta
// is paused, for a user who cannot reach the tray icon's tip (Windows 11
// hides new icons in the overflow, and a tip needs a mouse). Optional, off
// by default (the test page's box).
//
// It must never take the focus from the window the sensors type into, nor
// catch a click meant for the window under it: it is topmost, layered,
// transparent (clicks go through), a tool window (not in the taskbar or
// ALT+TAB) and no-activate, is shown with SW_SHOWNOACTIVATE, answers
// WM_MOUSEACTIVATE with MA_NOACTIVATE and WM_NCHITTEST with HTTRANSPARENT.
#pragma once

#include <windows.h>

#include <string>

#include "win/Handle.h"

class LatchIndicator {
public:
    static constexpr DWORD extendedStyles =
        WS_EX_TOPMOST | WS_EX_LAYERED | WS_EX_TRANSPARENT | WS_EX_TOOLWINDOW | WS_EX_NOACTIVATE;

    LatchIndicator() = default;
    LatchIndicator(const LatchIndicator&) = delete;
    LatchIndicator& operator=(const LatchIndicator&) = delete;
    ~LatchIndicator() { Destroy(); }

    // Shows `text` (lines split by '\n'), sized to it; an empty text hides
    // the window. Creates the window on first use. The user-interface
    // thread: the window belongs to it.
    void Show(const std::u16string& text);
    void Destroy();
    HWND Window() const { return window; }

private:
    static LRESULT CALLBACK Procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    void Paint();

    HWND window = nullptr;
    win::Font font;
    std::wstring shown;
};
