// The scan's overlay over a real window: it draws the lines and the menu
// where the scan's view says, never takes the foreground or the focus, keeps
// out of the taskbar, names the lit item, and lets a click at a line's very
// pixel through to the window under it.
//
// Wine has one DPI and no screen reader: the menu's scaling with a monitor's
// DPI and the announcement reaching a reader are not shown here (the
// placement is tested natively; the name change is checked as the window
// text).
#include <windows.h>

#include <gtest/gtest.h>

#include <string>

#include "TestSupport.h"
#include "app/ScanOverlay.h"
#include "sensors/Win32Pointer.h"

using kontakta::ScanItem;
using kontakta::ScanView;

namespace {

std::wstring TextOf(HWND window)
{
    wchar_t text[128] = {};
    ::GetWindowTextW(window, text, 128);
    return text;
}

bool Above(HWND upper, HWND lower)
{
    for (HWND next = ::GetWindow(upper, GW_HWNDNEXT); next; next = ::GetWindow(next, GW_HWNDNEXT))
        if (next == lower) return true;
    return false;
}

}  // namespace

TEST(ScanOverlay, LinesAndMenuStandWhereTheViewSaysWithoutTakingTheFocusAndLetAClickThrough)
{
    testsupport::TargetWindow target;
    ASSERT_TRUE(target.Activate());
    RECT targetRect{};
    ::GetWindowRect(target.Handle(), &targetRect);
    const kontakta::Desktop desktop = Win32Pointer().ReadDesktop();
    ASSERT_FALSE(desktop.Empty());

    // The crossing in the target's middle, the menu beside it.
    ScanView view;
    view.active = true;
    view.bounds = desktop.Bounds();
    view.verticalX = (targetRect.left + targetRect.right) / 2;
    view.horizontalY = (targetRect.top + targetRect.bottom) / 2;
    view.menu = true;
    view.crossing = {*view.verticalX, *view.horizontalY};
    view.monitor = desktop.Monitors().front();
    view.items = {ScanItem::LeftClick, ScanItem::DoubleClick, ScanItem::RightClick, ScanItem::Drag,
                  ScanItem::WheelUp,   ScanItem::WheelDown,   ScanItem::ReleaseAll, ScanItem::Cancel};
    view.lit = 0;

    ScanOverlay overlay;
    overlay.Show(view);
    testsupport::Pump(200);
    const HWND windows[] = {overlay.VerticalLine(), overlay.HorizontalLine(), overlay.Menu()};
    for (HWND window : windows) {
        ASSERT_NE(window, nullptr);
        EXPECT_TRUE(::IsWindowVisible(window));
        const LONG_PTR styles = ::GetWindowLongPtrW(window, GWL_EXSTYLE);
        EXPECT_EQ(styles & LONG_PTR(ScanOverlay::extendedStyles), LONG_PTR(ScanOverlay::extendedStyles));
        EXPECT_EQ(styles & WS_EX_APPWINDOW, 0) << "not in the taskbar";
        EXPECT_EQ(::GetWindow(window, GW_OWNER), nullptr);
        EXPECT_EQ(::SendMessageW(window, WM_MOUSEACTIVATE, WPARAM(target.Handle()),
                                 MAKELPARAM(HTCLIENT, WM_LBUTTONDOWN)),
                  MA_NOACTIVATE);
        EXPECT_TRUE(Above(window, target.Handle())) << "topmost over the target";
    }
    EXPECT_EQ(::GetForegroundWindow(), target.Handle()) << testsupport::ForegroundDescription();
    EXPECT_EQ(::GetFocus(), target.Handle());

    RECT line{};
    ::GetWindowRect(overlay.VerticalLine(), &line);
    EXPECT_EQ(line.left, *view.verticalX);
    EXPECT_EQ(line.right - line.left, 2) << "two pixels wide";
    EXPECT_EQ(line.top, view.bounds.top);
    EXPECT_EQ(line.bottom, view.bounds.bottom) << "across the whole desktop";
    ::GetWindowRect(overlay.HorizontalLine(), &line);
    EXPECT_EQ(line.top, *view.horizontalY);
    EXPECT_EQ(line.bottom - line.top, 2);

    RECT menu{};
    ::GetWindowRect(overlay.Menu(), &menu);
    EXPECT_GT(menu.left, view.crossing.x) << "right of the crossing";
    EXPECT_GT(menu.top, view.crossing.y) << "below it";
    EXPECT_GE(menu.bottom - menu.top, 8 * MulDiv(ScanOverlay::menuPoints, 96, 72)) << "8 items of 20 pt at least";
    EXPECT_EQ(TextOf(overlay.Menu()), L"Linksklick") << "the lit item is the menu's name";

    // A click on the vertical line's pixel reaches the target under it.
    const POINT onLine{*view.verticalX, (targetRect.top * 3 + targetRect.bottom) / 4};
    EXPECT_EQ(::WindowFromPoint(onLine), target.Handle()) << "click-through";
    ASSERT_TRUE(testsupport::MoveCursor(onLine));
    target.Clear();
    INPUT click[2] = {};
    click[0].type = click[1].type = INPUT_MOUSE;
    click[0].mi.dwFlags = MOUSEEVENTF_LEFTDOWN;
    click[1].mi.dwFlags = MOUSEEVENTF_LEFTUP;
    ASSERT_EQ(::SendInput(2, click, sizeof(INPUT)), 2u);
    EXPECT_TRUE(testsupport::PumpUntil([&] { return target.Describe() == "LDOWN LUP"; }, 3000)) << target.Describe();
    EXPECT_EQ(::GetForegroundWindow(), target.Handle());

    // The next item lit: the menu's name follows it; the line moves on.
    view.lit = 4;
    view.verticalX = *view.verticalX + 37;
    overlay.Show(view);
    testsupport::Pump(50);
    EXPECT_EQ(TextOf(overlay.Menu()), L"Mausrad auf");
    ::GetWindowRect(overlay.VerticalLine(), &line);
    EXPECT_EQ(line.left, *view.verticalX);

    // Hidden while input is sent, shown again by the next view.
    overlay.Hide();
    for (HWND window : windows) EXPECT_FALSE(::IsWindowVisible(window));
    overlay.Show(view);
    for (HWND window : windows) EXPECT_TRUE(::IsWindowVisible(window));

    // A sweep shows only its line; the end of the scan hides everything.
    ScanView sweep;
    sweep.active = true;
    sweep.bounds = view.bounds;
    sweep.verticalX = view.bounds.right - 1;
    overlay.Show(sweep);
    EXPECT_TRUE(::IsWindowVisible(overlay.VerticalLine()));
    EXPECT_FALSE(::IsWindowVisible(overlay.HorizontalLine()));
    EXPECT_FALSE(::IsWindowVisible(overlay.Menu()));
    ::GetWindowRect(overlay.VerticalLine(), &line);
    EXPECT_EQ(line.right, view.bounds.right) << "at the far edge both pixels stay on the desktop";
    overlay.Show(ScanView{});
    for (HWND window : windows) EXPECT_FALSE(::IsWindowVisible(window));
    EXPECT_EQ(::GetForegroundWindow(), target.Handle());
}
