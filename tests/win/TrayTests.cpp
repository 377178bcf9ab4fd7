// The icon in the notification area and its menu, with the real shell of the
// Wine desktop.
#include <windows.h>
#include <shellapi.h>

#include <gtest/gtest.h>

#include "TestSupport.h"
#include "app/LatchIndicator.h"
#include "app/TrayIcon.h"
#include "res/resource.h"

using namespace kontakta;

namespace {

// A hidden top-level window, as the main window is once started.
class OwnerWindow {
public:
    OwnerWindow()
    {
        WNDCLASSW windowClass{};
        windowClass.lpfnWndProc = ::DefWindowProcW;
        windowClass.hInstance = ::GetModuleHandleW(nullptr);
        windowClass.lpszClassName = L"KontaktaTrayOwner";
        ::RegisterClassW(&windowClass);
        window = ::CreateWindowExW(0, windowClass.lpszClassName, L"Tray owner", WS_POPUP, 0, 0, 10, 10, nullptr,
                                   nullptr, windowClass.hInstance, nullptr);
    }
    ~OwnerWindow()
    {
        RemoveTrayIcon(window);
        ::DestroyWindow(window);
    }
    HWND window;
};

bool IconPresent(HWND owner)
{
    NOTIFYICONDATAW data{};
    data.cbSize = sizeof data;
    data.hWnd = owner;
    data.uID = trayIconId;
    return ::Shell_NotifyIconW(NIM_MODIFY, &data) != FALSE;  // changes nothing; refused for a missing icon
}

TEST(TrayIcon, IsAddedRefreshedAndRemoved)
{
    OwnerWindow owner;
    EXPECT_FALSE(IconPresent(owner.window));
    AddTrayIcon(owner.window);
    EXPECT_TRUE(IconPresent(owner.window));
    RefreshTrayIcon(owner.window, TrayState::Unreadable);
    EXPECT_TRUE(IconPresent(owner.window));
    RemoveTrayIcon(owner.window);
    EXPECT_FALSE(IconPresent(owner.window));
}

TEST(TrayIcon, RefreshPutsBackAnIconThatWentMissing)
{
    OwnerWindow owner;
    RefreshTrayIcon(owner.window, TrayState::Readable);  // never added, as after a failed add
    EXPECT_TRUE(IconPresent(owner.window));
    RemoveTrayIcon(owner.window);
    RefreshTrayIcon(owner.window, TrayState::Unreadable);
    EXPECT_TRUE(IconPresent(owner.window));
}

TEST(TrayIcon, LatchedStateShowsItsIcon)
{
    OwnerWindow owner;
    AddTrayIcon(owner.window);
    RefreshTrayIcon(owner.window, TrayState::Latched, u"UMSCHALT, Links");
    EXPECT_TRUE(IconPresent(owner.window));
    EXPECT_NE(::LoadImageW(::GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDI_KONTAKTA_LATCHED), IMAGE_ICON, 16, 16,
                           LR_SHARED),
              nullptr)
        << "the latched icon is in the resources";
}

// Shown over the foreground window, the indicator takes neither the
// foreground nor the focus, and a click on it reaches the window under it.
TEST(LatchIndicator, ShowsWithoutTakingTheFocusAndLetsClicksThrough)
{
    testsupport::TargetWindow target;
    ASSERT_TRUE(target.Activate());
    LatchIndicator indicator;
    indicator.Show(u"Eingerastet: Links\nKontakta pausiert");
    const HWND window = indicator.Window();
    ASSERT_NE(window, nullptr);
    testsupport::Pump(200);
    EXPECT_TRUE(::IsWindowVisible(window));
    const LONG_PTR styles = ::GetWindowLongPtrW(window, GWL_EXSTYLE);
    EXPECT_EQ(styles & LONG_PTR(LatchIndicator::extendedStyles), LONG_PTR(LatchIndicator::extendedStyles));
    EXPECT_EQ(::GetForegroundWindow(), target.Handle()) << testsupport::ForegroundDescription();
    EXPECT_EQ(::GetFocus(), target.Handle());
    EXPECT_EQ(::SendMessageW(window, WM_MOUSEACTIVATE, WPARAM(target.Handle()), MAKELPARAM(HTCLIENT, WM_LBUTTONDOWN)),
              MA_NOACTIVATE);

    // The target under the indicator, the indicator above it.
    RECT shown{};
    ::GetWindowRect(window, &shown);
    ::SetWindowPos(target.Handle(), nullptr, shown.left - 60, shown.top - 20, 400, 200, SWP_NOACTIVATE | SWP_NOZORDER);
    ::SetWindowPos(window, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    testsupport::Pump(100);
    bool above = false;
    for (HWND next = ::GetWindow(window, GW_HWNDNEXT); next; next = ::GetWindow(next, GW_HWNDNEXT))
        if (next == target.Handle()) above = true;
    ASSERT_TRUE(above) << "the indicator lies over the target";
    const POINT middle{(shown.left + shown.right) / 2, (shown.top + shown.bottom) / 2};
    EXPECT_EQ(::WindowFromPoint(middle), target.Handle()) << "click-through";
    ASSERT_TRUE(testsupport::MoveCursor(middle));
    target.Clear();
    INPUT click[2] = {};
    click[0].type = click[1].type = INPUT_MOUSE;
    click[0].mi.dwFlags = MOUSEEVENTF_LEFTDOWN;
    click[1].mi.dwFlags = MOUSEEVENTF_LEFTUP;
    ASSERT_EQ(::SendInput(2, click, sizeof(INPUT)), 2u);
    EXPECT_TRUE(testsupport::PumpUntil([&] { return target.Describe() == "LDOWN LUP"; }, 3000)) << target.Describe();
    EXPECT_EQ(::GetForegroundWindow(), target.Handle());

    indicator.Show(u"");
    EXPECT_FALSE(::IsWindowVisible(window)) << "nothing to show: hidden";
}

struct MenuSeen {
    bool shown = false;
    UINT exitState = 0;
    UINT settingsState = 0;
    UINT pauseState = 0;
    UINT releaseState = 0;
    int items = 0;
};
MenuSeen menuSeen;

// Runs inside the menu's own loop: reads the open menu, then closes it.
void CALLBACK ReadOpenMenu(HWND, UINT, UINT_PTR timer, DWORD)
{
    const HWND menuWindow = ::FindWindowW(L"#32768", nullptr);
    if (!menuWindow) return;
    const HMENU menu = reinterpret_cast<HMENU>(::SendMessageW(menuWindow, MN_GETHMENU, 0, 0));
    if (menu) {
        menuSeen.shown = true;
        menuSeen.items = ::GetMenuItemCount(menu);
        menuSeen.exitState = ::GetMenuState(menu, ID_EXIT, MF_BYCOMMAND);
        menuSeen.settingsState = ::GetMenuState(menu, ID_SETTINGS, MF_BYCOMMAND);
        menuSeen.pauseState = ::GetMenuState(menu, ID_PAUSE_SENSORS, MF_BYCOMMAND);
        menuSeen.releaseState = ::GetMenuState(menu, ID_RELEASE_ALL, MF_BYCOMMAND);
    }
    ::KillTimer(nullptr, timer);
    ::EndMenu();
}

MenuSeen ShowMenu(bool greyed, bool paused)
{
    OwnerWindow owner;
    menuSeen = MenuSeen{};
    ::SetTimer(nullptr, 0, 300, ReadOpenMenu);
    ShowTrayMenu(owner.window, greyed, paused);
    return menuSeen;
}

TEST(TrayMenu, OffersExitPauseReleaseAndSettings)
{
    const MenuSeen seen = ShowMenu(false, false);
    ASSERT_TRUE(seen.shown) << "the menu opened at the cursor";
    EXPECT_EQ(seen.items, 6) << "exit, pause, release and settings with two separators";
    EXPECT_EQ(seen.exitState & MF_GRAYED, 0u);
    EXPECT_EQ(seen.settingsState & MF_GRAYED, 0u);
    EXPECT_EQ(seen.pauseState & (MF_GRAYED | MF_CHECKED), 0u);
    EXPECT_EQ(seen.releaseState & MF_GRAYED, 0u);
}

TEST(TrayMenu, GreysExitAndSettingsWhileTheSettingsOrTheExitQuestionAreOpenAndTicksAPause)
{
    const MenuSeen seen = ShowMenu(true, true);
    ASSERT_TRUE(seen.shown);
    EXPECT_EQ(seen.exitState & MF_GRAYED, UINT(MF_GRAYED));
    EXPECT_EQ(seen.settingsState & MF_GRAYED, UINT(MF_GRAYED));
    EXPECT_EQ(seen.pauseState & (MF_GRAYED | MF_CHECKED), UINT(MF_CHECKED)) << "a pause can always be ended";
    EXPECT_EQ(seen.releaseState & MF_GRAYED, 0u) << "letting go is always possible";
}

}  // namespace
