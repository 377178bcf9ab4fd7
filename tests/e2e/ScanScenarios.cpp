// Scanning as a user with one switch on input 1 tries it: the presses are
// timed by the lines and the menu as the user sees them (the overlay's
// windows, and the menu's text, which names the lit item), and a click, a
// drag across two scans, and a scan left alone are watched from the windows
// under the crossing. The sweeps take their default 6 s on the 1024 x 768
// desktop of the tests' prefix; the margins are wide for a shared machine.
#include <cstring>

#include "ScenarioSupport.h"
#include "sensors/ActionOptions.h"
#include "settings/ActionsRecord.h"
#include "settings/SettingsExtension.h"

namespace e2e {
namespace {

// Sensor 1 (input 1) on "Bildschirm abtasten", nothing else on, no press
// sound: the block with the stored copies, the filters' record, the actions
// record.
std::string ScanSettingsFile()
{
    SensorActions live = DefaultSensorActions();
    kontakta::ActionsSettings options;
    live[0].enabled = 1;
    for (int sensor = 1; sensor < sensorCount; ++sensor) live[size_t(sensor)].enabled = 0;
    options.sensors[0].group = int32_t(kontakta::Group::Control);
    options.sensors[0].action = int32_t(kontakta::ControlAction::ScanScreen);
    return FileWith(live, options);
}

// What the user sees of the scan: the program's visible overlay windows, told
// apart by their shape.
struct Overlay {
    std::optional<RECT> vertical, horizontal, menu;
    std::wstring lit;  // the menu's text: its lit item
    bool Shown() const { return vertical || horizontal || menu; }
};

Overlay Look(DWORD pid)
{
    Overlay seen;
    for (HWND window : WindowsOf(pid, true)) {
        wchar_t name[32] = {};
        ::GetClassNameW(window, name, 32);
        if (std::wcscmp(name, L"KontaktaScanOverlay") != 0) continue;
        RECT rect{};
        ::GetWindowRect(window, &rect);
        if (rect.right - rect.left == 2 && rect.bottom - rect.top > 2) {
            seen.vertical = rect;
        } else if (rect.bottom - rect.top == 2 && rect.right - rect.left > 2) {
            seen.horizontal = rect;
        } else {
            seen.menu = rect;
            seen.lit = TitleOf(window);
        }
    }
    return seen;
}

// Waits, looking often, until the overlay shows what `wanted` asks for.
bool WaitToSee(DWORD pid, DWORD milliseconds, const std::function<bool(const Overlay&)>& wanted)
{
    const ULONGLONG end = ::GetTickCount64() + milliseconds;
    while (::GetTickCount64() < end) {
        if (wanted(Look(pid))) return true;
        testsupport::Pump(4);
    }
    return false;
}

// A switch press as a user makes it: a tenth of a second down, and up for
// as long before the next press can come, so that the program's 20 ms poll
// sees the release between two presses.
void Press()
{
    Touch(1, 100);
    testsupport::Pump(100);
}

// Starts a scan and stops its lines once they pass `at`, as a user presses
// when the line crosses the target; the menu is open then.
::testing::AssertionResult ScanTo(DWORD pid, POINT at)
{
    Press();
    if (!WaitToSee(pid, 3000, [](const Overlay& o) { return o.vertical.has_value(); }))
        return ::testing::AssertionFailure() << "no vertical line";
    if (!WaitToSee(pid, 9000, [&](const Overlay& o) { return o.vertical && o.vertical->left >= at.x; }))
        return ::testing::AssertionFailure() << "the vertical line did not reach " << at.x;
    Press();
    if (!WaitToSee(pid, 9000, [&](const Overlay& o) { return o.horizontal && o.horizontal->top >= at.y; }))
        return ::testing::AssertionFailure() << "the horizontal line did not reach " << at.y;
    Press();
    if (!WaitToSee(pid, 3000, [](const Overlay& o) { return o.menu.has_value(); }))
        return ::testing::AssertionFailure() << "no menu";
    return ::testing::AssertionSuccess();
}

// A plain window that notes the left button's down and up, in screen
// coordinates, and the moves with the button held.
class Target {
public:
    Target(int left, int top, int width, int height)
    {
        WNDCLASSW windowClass{};
        windowClass.lpfnWndProc = &Procedure;
        windowClass.hInstance = ::GetModuleHandleW(nullptr);
        windowClass.lpszClassName = L"KontaktaScanTarget";
        windowClass.hCursor = ::LoadCursorW(nullptr, IDC_ARROW);
        ::RegisterClassW(&windowClass);  // fails harmlessly for the second window
        window = ::CreateWindowExW(0, windowClass.lpszClassName, L"Ziel", WS_POPUP | WS_VISIBLE, left, top, width,
                                   height, nullptr, nullptr, windowClass.hInstance, this);
    }
    ~Target() { ::DestroyWindow(window); }
    HWND window = nullptr;
    std::optional<POINT> down, up;
    int downs = 0, ups = 0, otherButtons = 0, movesWhileDown = 0;

private:
    static LRESULT CALLBACK Procedure(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam)
    {
        if (message == WM_NCCREATE)
            ::SetWindowLongPtrW(hwnd, GWLP_USERDATA,
                                reinterpret_cast<LONG_PTR>(reinterpret_cast<CREATESTRUCTW*>(lParam)->lpCreateParams));
        auto* self = reinterpret_cast<Target*>(::GetWindowLongPtrW(hwnd, GWLP_USERDATA));
        POINT at{static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam))};
        ::ClientToScreen(hwnd, &at);
        if (self) switch (message) {
            case WM_LBUTTONDOWN:
            case WM_LBUTTONDBLCLK:
                self->down = at;
                ++self->downs;
                return 0;
            case WM_LBUTTONUP:
                self->up = at;
                ++self->ups;
                return 0;
            case WM_RBUTTONDOWN:
            case WM_RBUTTONUP:
            case WM_MOUSEWHEEL: ++self->otherButtons; return 0;
            case WM_MOUSEMOVE:
                if (wParam & MK_LBUTTON) ++self->movesWhileDown;
                return 0;
            }
        return ::DefWindowProcW(hwnd, message, wParam, lParam);
    }
};

TEST_F(Scenario, AScanClicksIntoTheWindowWhereTheUsersThreePressesStoppedTheLines)
{
    Program program;
    ASSERT_TRUE(InstallAndStart(program, {.updateCode = L"0", .settingsFile = ScanSettingsFile()}));
    Target target(400, 300, 200, 200);
    ::SetForegroundWindow(target.window);
    ASSERT_TRUE(testsupport::MoveCursor({50, 50}));

    ASSERT_TRUE(ScanTo(program.Pid(), {480, 380}));
    const Overlay menu = Look(program.Pid());
    EXPECT_EQ(menu.lit, L"Linksklick") << "the first item lights at once";
    ASSERT_TRUE(menu.vertical && menu.horizontal);
    POINT cursor{};
    ::GetCursorPos(&cursor);
    EXPECT_NEAR(cursor.x, menu.vertical->left, 1) << "the pointer went to the crossing";
    EXPECT_NEAR(cursor.y, menu.horizontal->top, 1);
    EXPECT_EQ(target.downs, 0);

    Press();
    ASSERT_TRUE(WaitFor([&] { return target.ups == 1; }, 3000))
        << "the click reached the window under the crossing: " << target.downs << " down, " << target.ups << " up, "
        << Look(program.Pid()).Shown() << " " << testsupport::WindowDescription(::WindowFromPoint(cursor));
    EXPECT_EQ(target.downs, 1);
    // Where the lines were when the presses began: a poll or two after the
    // line was seen at the target, at 1024 px and 768 px in 6 s.
    EXPECT_GE(target.down->x, 480);
    EXPECT_LE(target.down->x, 530);
    EXPECT_GE(target.down->y, 380);
    EXPECT_LE(target.down->y, 420);
    EXPECT_EQ(target.up->x, target.down->x);
    EXPECT_EQ(target.otherButtons, 0);
    EXPECT_TRUE(WaitToSee(program.Pid(), 2000, [](const Overlay& o) { return !o.Shown(); })) << "the scan ended";
}

TEST_F(Scenario, AScanDragsFromOneWindowAndTheNextScanDropsItIntoAnother)
{
    Program program;
    ASSERT_TRUE(InstallAndStart(program, {.updateCode = L"0", .settingsFile = ScanSettingsFile()}));
    Target from(100, 200, 200, 200), to(300, 200, 300, 200);  // side by side: x 100..299 and 300..599
    ::SetForegroundWindow(from.window);
    ASSERT_TRUE(testsupport::MoveCursor({50, 50}));

    ASSERT_TRUE(ScanTo(program.Pid(), {200, 300}));
    ASSERT_TRUE(WaitToSee(program.Pid(), 6000, [](const Overlay& o) { return o.lit == L"Ziehen"; }));
    Press();
    ASSERT_TRUE(WaitFor([&] { return from.downs == 1; }, 3000)) << "\"Ziehen\" pressed the button in the first window";
    testsupport::Pump(300);
    EXPECT_EQ(from.ups + to.ups, 0) << "and holds it";
    EXPECT_GE(from.movesWhileDown, 1) << "moved out of the drag rectangle";

    ASSERT_TRUE(ScanTo(program.Pid(), {450, 300}));
    ASSERT_TRUE(WaitToSee(program.Pid(), 2000, [](const Overlay& o) { return o.lit == L"Ablegen"; }))
        << "the held drag's menu offers the drop first";
    Press();
    ASSERT_TRUE(WaitFor([&] { return to.ups == 1; }, 3000))
        << "dropped over the second window: " << from.ups << " " << to.movesWhileDown << " "
        << Look(program.Pid()).Shown() << " " << testsupport::ForegroundDescription();
    EXPECT_EQ(from.ups, 0);
    EXPECT_GE(to.up->x, 450);
    EXPECT_LE(to.up->x, 500);
    EXPECT_GE(to.movesWhileDown, 3) << "the pointer travelled with the button held, not in one jump";
    EXPECT_EQ(from.otherButtons + to.otherButtons, 0);
}

TEST_F(Scenario, AScanLeftAloneEndsByItselfAndDoesNothing)
{
    Program program;
    ASSERT_TRUE(InstallAndStart(program, {.updateCode = L"0", .settingsFile = ScanSettingsFile()}));
    Target target(0, 0, 1024, 768);  // the whole desktop: whatever might be clicked is seen
    ::SetForegroundWindow(target.window);
    ASSERT_TRUE(testsupport::MoveCursor({300, 300}));

    Press();
    ASSERT_TRUE(WaitToSee(program.Pid(), 3000, [](const Overlay& o) { return o.vertical.has_value(); }));
    // Two sweeps of 6 s, then it ends; the line wraps once on the way.
    ASSERT_TRUE(WaitToSee(program.Pid(), 8000, [](const Overlay& o) { return o.vertical && o.vertical->left > 900; }));
    EXPECT_TRUE(WaitToSee(program.Pid(), 3000, [](const Overlay& o) { return o.vertical && o.vertical->left < 100; }))
        << "the line starts again from the left edge";
    EXPECT_TRUE(WaitToSee(program.Pid(), 10000, [](const Overlay& o) { return !o.Shown(); }));
    testsupport::Pump(500);
    EXPECT_EQ(target.downs + target.ups + target.otherButtons, 0) << "nothing happened";
    POINT cursor{};
    ::GetCursorPos(&cursor);
    EXPECT_EQ(cursor.x, 300);
    EXPECT_EQ(cursor.y, 300);
    EXPECT_FALSE(Look(program.Pid()).Shown());
}

// Windows tells the program of a change of the monitors, and of the lock
// screen, as it tells every top-level window; a scan running then ends at
// once, and nothing is clicked.
TEST_F(Scenario, AMonitorChangeOrTheLockScreenEndsARunningScanAndNothingHappens)
{
    Program program;
    ASSERT_TRUE(InstallAndStart(program, {.updateCode = L"0", .settingsFile = ScanSettingsFile()}));
    Target target(0, 0, 1024, 768);
    ::SetForegroundWindow(target.window);
    ASSERT_TRUE(testsupport::MoveCursor({300, 300}));
    const auto shown = [](const Overlay& o) { return o.Shown(); };
    const auto hidden = [](const Overlay& o) { return !o.Shown(); };

    Press();
    ASSERT_TRUE(WaitToSee(program.Pid(), 3000, shown));
    SendToProgram(program, WM_DISPLAYCHANGE, 32, MAKELPARAM(1024, 768));
    EXPECT_TRUE(WaitToSee(program.Pid(), 1000, hidden)) << "the monitors changed";

    ASSERT_TRUE(ScanTo(program.Pid(), {500, 400}));
    SendToProgram(program, WM_WTSSESSION_CHANGE, WTS_SESSION_LOCK);
    EXPECT_TRUE(WaitToSee(program.Pid(), 1000, hidden)) << "the lock screen came";
    Press();  // the next press starts a scan afresh, and chooses nothing
    EXPECT_TRUE(WaitToSee(program.Pid(), 3000, [](const Overlay& o) { return o.vertical && !o.horizontal; }));
    testsupport::Pump(300);
    EXPECT_EQ(target.downs + target.ups + target.otherButtons, 0) << "nothing happened";
}

}  // namespace
}  // namespace e2e
