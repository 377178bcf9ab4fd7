// The later actions as a user tries them: a held direction sensor moves the
// pointer by about what its speeds say, a wheel sensor scrolls the window
// under the pointer, and a sensor of its own pauses and resumes Kontakta
// while every other sensor stays silent in between.
#include <cstring>

#include "ScenarioSupport.h"
#include "sensors/ActionOptions.h"
#include "settings/ActionsRecord.h"
#include "settings/SettingsExtension.h"

namespace e2e {
namespace {

using e2e::FileWith;  // beside the overload for a few later-group sensors below
using kontakta::Group;

struct Later {
    int sensor;
    Group group;
    int32_t action;
};

std::string FileWith(std::initializer_list<Later> sensors, kontakta::PointerSpeeds speeds = {})
{
    SensorActions live = DefaultSensorActions();
    kontakta::ActionsSettings options;
    options.pointer = speeds;
    for (const Later& later : sensors) {
        live[size_t(later.sensor - 1)].enabled = 1;
        options.sensors[size_t(later.sensor - 1)].group = int32_t(later.group);
        options.sensors[size_t(later.sensor - 1)].action = later.action;
    }
    return FileWith(live, options);
}

TEST_F(Scenario, ADirectionSensorHeldMovesThePointerByAboutWhatItsSpeedsSay)
{
    // 100 px/s from the start, no acceleration: the tap time is 100 ms, then
    // the pointer moves on by itself.
    Program program;
    ASSERT_TRUE(InstallAndStart(program, {.updateCode = L"0",
                                          .settingsFile = FileWith({{1, Group::MovePointer, 3 /* nach rechts */}},
                                                                   {100, 100, 0})}));
    ASSERT_TRUE(testsupport::MoveCursor({300, 300}));
    Touch(1, 60);
    testsupport::Pump(200);
    POINT tapped{};
    ::GetCursorPos(&tapped);
    EXPECT_EQ(tapped.x, 301) << "a short press moves one pixel, for fine positioning";
    EXPECT_EQ(tapped.y, 300);

    Touch(1, 1100);
    testsupport::Pump(200);
    POINT held{};
    ::GetCursorPos(&held);
    // About 100 px in the second after the tap time; wide margins for a
    // shared machine's poll.
    EXPECT_GE(held.x - tapped.x, 50);
    EXPECT_LE(held.x - tapped.x, 160);
    EXPECT_EQ(held.y, 300) << "straight to the right";
}

TEST_F(Scenario, AWheelSensorScrollsTheWindowUnderThePointerAndRepeatsWhileHeld)
{
    Program program;
    ASSERT_TRUE(InstallAndStart(program, {.updateCode = L"0",
                                          .settingsFile = FileWith({{2, Group::Wheel, 1 /* nach unten */}})}));
    testsupport::TargetWindow target;
    ASSERT_TRUE(target.Activate());
    Touch(2, 60);
    EXPECT_TRUE(WaitFor([&] { return target.Describe() == "WHEEL -120"; }, 2000)) << target.Describe();
    target.Clear();
    // Held past the keyboard delay (500 ms in the tests' prefix), it turns on
    // at 10 notches a second.
    Touch(2, 1300);
    testsupport::Pump(200);
    const size_t notches = target.Received().size();
    EXPECT_GE(notches, 4u) << target.Describe();
    EXPECT_LE(notches, 16u) << target.Describe();
}

TEST_F(Scenario, AControlSensorPausesAndResumesWhileEveryOtherSensorStaysSilent)
{
    SensorActions live = DefaultSensorActions();
    live[0].enabled = 1;  // sensor 1: "Sensoren pausieren / fortsetzen"
    live[1].enabled = 1;  // sensor 2: "Links Drücken/Loslassen"
    kontakta::ActionsSettings options;
    options.sensors[0].group = int32_t(Group::Control);
    options.sensors[0].action = int32_t(kontakta::ControlAction::PauseOrResume);
    Program program;
    ASSERT_TRUE(InstallAndStart(program, {.updateCode = L"0", .settingsFile = FileWith(live, options)}));
    testsupport::TargetWindow target;
    ASSERT_TRUE(target.Activate());
    StartAfresh(target);

    Touch(1, 100);
    EXPECT_TRUE(WaitFor([] { return TrayTipShown(L"KORVA Kontakta - pausiert"); }, 2000));
    Touch(2, 100);
    Touch(2, 100);
    testsupport::Pump(300);
    EXPECT_EQ(target.Describe(), "") << "paused: the other sensor does nothing";

    Touch(1, 100);
    EXPECT_TRUE(WaitFor([] { return TrayTipShown(readableTip); }, 2000)) << "the pause's own sensor resumes";
    Touch(2, 100);
    EXPECT_TRUE(WaitFor([&] { return target.Describe() == "LDOWN LUP"; }, 2000)) << target.Describe();
}

// A plain window that notes the left button's down and up and the moves
// with the button held, as a list or a drawing program would see a drag.
class DragTarget {
public:
    DragTarget(int left, int width)
    {
        WNDCLASSW windowClass{};
        windowClass.lpfnWndProc = &Procedure;
        windowClass.hInstance = ::GetModuleHandleW(nullptr);
        windowClass.lpszClassName = L"KontaktaDragTarget";
        windowClass.hCursor = ::LoadCursorW(nullptr, IDC_ARROW);
        ::RegisterClassW(&windowClass);  // fails harmlessly for the second window
        window = ::CreateWindowExW(0, windowClass.lpszClassName, L"Ziehen", WS_POPUP | WS_VISIBLE, left, 200, width,
                                   200, nullptr, nullptr, windowClass.hInstance, this);
    }
    ~DragTarget() { ::DestroyWindow(window); }
    HWND window = nullptr;
    POINT down{-1, -1}, up{-1, -1};  // client coordinates
    int movesWhileDown = 0;

private:
    static LRESULT CALLBACK Procedure(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam)
    {
        if (message == WM_NCCREATE)
            ::SetWindowLongPtrW(hwnd, GWLP_USERDATA,
                                reinterpret_cast<LONG_PTR>(reinterpret_cast<CREATESTRUCTW*>(lParam)->lpCreateParams));
        auto* self = reinterpret_cast<DragTarget*>(::GetWindowLongPtrW(hwnd, GWLP_USERDATA));
        const POINT at{static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam))};
        if (self) switch (message) {
            case WM_LBUTTONDOWN: self->down = at; return 0;
            case WM_MOUSEMOVE:
                if (wParam & MK_LBUTTON) ++self->movesWhileDown;
                return 0;
            case WM_LBUTTONUP: self->up = at; return 0;
            }
        return ::DefWindowProcW(hwnd, message, wParam, lParam);
    }
};

TEST_F(Scenario, ALatchedButtonAndADirectionSensorDragFromOneWindowIntoAnother)
{
    SensorActions live = DefaultSensorActions();  // sensor 1: "Links Drücken/Loslassen"
    live[1].enabled = 1;
    kontakta::ActionsSettings options;
    options.pointer = {200, 200, 0};
    options.sensors[0].latch = true;
    options.sensors[1].group = int32_t(Group::MovePointer);
    options.sensors[1].action = int32_t(kontakta::PointerDirection::Right);
    Program program;
    ASSERT_TRUE(InstallAndStart(program, {.updateCode = L"0", .settingsFile = FileWith(live, options)}));
    DragTarget from(100, 200), to(300, 300);  // side by side: screen x 100..299 and 300..599
    ::SetForegroundWindow(from.window);
    ASSERT_TRUE(testsupport::MoveCursor({200, 300}));

    Touch(1, 100);  // latches: the button goes down and stays down
    ASSERT_TRUE(WaitFor([&] { return from.down.x == 100; }, 2000)) << from.down.x;
    Touch(2, 1050);  // about 200 px to the right, into the other window
    testsupport::Pump(200);
    EXPECT_EQ(from.up.x + to.up.x, -2) << "the switch's releases do not let go";
    Touch(1, 100);  // the second press drops
    ASSERT_TRUE(WaitFor([&] { return to.up.x != -1; }, 2000)) << "dropped over the window the pointer is on";
    EXPECT_EQ(from.up.x, -1);
    EXPECT_GE(to.up.x + 300 - 200, 120) << "moved about 200 px";
    EXPECT_LE(to.up.x + 300 - 200, 300);
    EXPECT_EQ(to.up.y, from.down.y);
    EXPECT_GE(from.movesWhileDown + to.movesWhileDown, 10) << "Windows and the windows see a drag, not a jump";
    EXPECT_GE(to.movesWhileDown, 1) << "the button is held as the pointer enters the other window";
}

// The block, all that an older Kontakta reads, holds a direction sensor off;
// the actions record gives it back switched on. The saves of OK and of the
// exit write the file as it was.
TEST_F(Scenario, APointerSensorOfTheActionsRecordMovesAndOkAndExitKeepItOffInTheBlock)
{
    const std::string file = FileWith({{2, Group::MovePointer, int32_t(kontakta::PointerDirection::Right)}});
    ASSERT_EQ(file[RecordOffset(2)], 0);
    Program program;
    ASSERT_TRUE(InstallAndStart(program, {.updateCode = L"0", .settingsFile = file}));
    ASSERT_TRUE(testsupport::MoveCursor({300, 300}));
    Touch(2, 60);
    testsupport::Pump(200);
    POINT tapped{};
    ::GetCursorPos(&tapped);
    EXPECT_EQ(tapped.x, 301) << "the sensor is on";

    HWND sheet = OpenSheetFromTheIcon(program);
    ASSERT_NE(sheet, nullptr);
    PressButton(sheet, IDOK);
    EXPECT_TRUE(WaitFor([&] { return !::IsWindow(sheet); }, 5000));
    EXPECT_EQ(ReadFile(SettingsPath()), file) << "OK saved it as it was";

    ::PostMessageW(program.MainWindow(), WM_CLOSE, 0, 0);
    EXPECT_TRUE(program.WaitForExit(15000));
    const std::string saved = ReadFile(SettingsPath());
    EXPECT_EQ(saved, file) << "the exit saved it as it was";
    ASSERT_GT(saved.size(), 5032u);
    EXPECT_EQ(saved[RecordOffset(2)], 0) << "switched off in the block";
}

}  // namespace
}  // namespace e2e
