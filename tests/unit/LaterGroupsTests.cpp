// The poller with the later action groups: direction sensors move the
// pointer (one pixel at once, then by themselves, combined), wheel sensors
// scroll and repeat, and Kontakta's own steering pauses, resumes and lets go;
// while paused only the pause's own sensors act. Driven by a virtual clock.
#include "SensorPollerFixture.h"

using namespace kontakta;

using kontakta::Group;
using kontakta::Point;

namespace {

class LaterGroups : public SensorPollerTest {
protected:
    LaterGroups()
    {
        actions.pointer = &pointerActions;
        actions.control = &control;
    }
    void ConfigureLater(int sensor, Group group, int32_t action)
    {
        Configure(sensor, ActionGroup::Mouse);
        kontakta::ActionsSettings options = state.options.Get();
        options.sensors[size_t(sensor - 1)].group = int32_t(group);
        options.sensors[size_t(sensor - 1)].action = action;
        state.options.Set(options);
    }
    // One cycle at `milliseconds` of the virtual clock.
    Events CycleAt(int64_t milliseconds, std::initializer_list<int> pressed)
    {
        source.value = EightInputValue(pressed);
        log.Clear();
        poller.Cycle(start + milliseconds * 1000);
        return log.Events();
    }
    // The motion's updates between two cycles, as the loop makes them.
    Events AdvanceTo(int64_t milliseconds)
    {
        log.Clear();
        poller.AdvanceMotion(start + milliseconds * 1000);
        return log.Events();
    }

    const int64_t start = 10'000'000;
    RecordingPointer device{log};
    PointerActions pointerActions{device, settings};
    RecordingControl control{log};
};

TEST_F(LaterGroups, DirectionSensorMovesOnePixelAtOnceThenByItselfUntilReleased)
{
    ConfigureLater(1, Group::MovePointer, int32_t(kontakta::PointerDirection::Right));
    EXPECT_EQ(CycleAt(0, {1}), (Events{"press sound", "move 101,100"}));
    EXPECT_EQ(CycleAt(100, {1}), Events{}) << "nothing more before the tap time (200 ms at 50 px/s)";
    ASSERT_TRUE(poller.NextMotionDue().has_value());
    for (int64_t t = 210; t <= 1000; t += 10) AdvanceTo(t);
    EXPECT_GT(device.at.x, 101 + 30) << "at least the start speed for the 0.8 s after the tap time";
    EXPECT_EQ(device.at.y, 100);
    CycleAt(1010, {});
    EXPECT_FALSE(poller.NextMotionDue().has_value()) << "an idle poll wakes for nothing";
    EXPECT_EQ(AdvanceTo(1100), Events{});
}

TEST_F(LaterGroups, DirectionSensorsHeldTogetherCombineAndOppositeOnesCancel)
{
    ConfigureLater(1, Group::MovePointer, int32_t(kontakta::PointerDirection::Right));
    ConfigureLater(2, Group::MovePointer, int32_t(kontakta::PointerDirection::Down));
    ConfigureLater(3, Group::MovePointer, int32_t(kontakta::PointerDirection::Left));
    CycleAt(0, {1, 2});
    for (int64_t t = 210; t <= 1200; t += 10) AdvanceTo(t);
    EXPECT_NEAR(device.at.x - 101, device.at.y - 101, 2) << "right and down give down-right";
    EXPECT_GT(device.at.x, 120);
    CycleAt(1210, {1, 2, 3});
    const Point before = device.at;
    for (int64_t t = 1220; t <= 1500; t += 10) AdvanceTo(t);
    EXPECT_EQ(device.at.x, before.x) << "left and right cancel";
    EXPECT_GT(device.at.y, before.y) << "down goes on";
}

TEST_F(LaterGroups, WheelSensorScrollsOneNotchAtOnceAndRepeatsAfterTheKeyboardDelay)
{
    settings.delay = 1;  // 500 ms
    ConfigureLater(4, Group::Wheel, int32_t(kontakta::WheelDirection::Down));
    EXPECT_EQ(CycleAt(0, {4}), (Events{"press sound", "wheel 1"}));
    int notches = 0;
    for (int64_t t = 20; t <= 1000; t += 20)
        for (const std::string& event : CycleAt(t, {4})) notches += event == "wheel 1";
    EXPECT_EQ(notches, 6) << "after 500 ms, 10 a second up to 1000 ms";
    CycleAt(1020, {});
    EXPECT_EQ(CycleAt(1500, {}), Events{});
}

TEST_F(LaterGroups, OnlyThePauseSensorActsWhilePaused)
{
    ConfigureLater(1, Group::Control, int32_t(kontakta::ControlAction::PauseOrResume));
    ConfigureLater(2, Group::MovePointer, int32_t(kontakta::PointerDirection::Up));
    Configure(3, ActionGroup::Keyboard);
    EXPECT_EQ(CycleAt(0, {1}), Events{"toggle pause"}) << "its own sound instead of the press sound";
    CycleAt(20, {});
    state.sensorsPaused = true;
    EXPECT_EQ(CycleAt(40, {2, 3}), Events{});
    CycleAt(60, {});
    EXPECT_EQ(CycleAt(80, {1}), Events{"toggle pause"});
    state.sensorsPaused = false;
    state.actionsSuspended = true;
    CycleAt(100, {});
    EXPECT_EQ(CycleAt(120, {2}), Events{}) << "the test page's suspension holds them back as well";
}

TEST_F(LaterGroups, ReleaseAllSensorLetsGoOfWhatOthersHoldAndTheirReleasesSendNothing)
{
    Configure(1, ActionGroup::Keyboard);
    ConfigureLater(2, Group::Control, int32_t(kontakta::ControlAction::ReleaseAll));
    ConfigureLater(3, Group::MovePointer, int32_t(kontakta::PointerDirection::Left));
    CycleAt(0, {1, 3});
    EXPECT_EQ(CycleAt(20, {1, 2, 3}), (Events{"press sound", "timers stop", "key 31 up"}));
    EXPECT_FALSE(poller.NextMotionDue().has_value()) << "the pointer stops too";
    EXPECT_EQ(CycleAt(40, {}), Events{});
}

TEST_F(LaterGroups, NextProfileSensorAsksForTheSwitchWithItsOwnSoundAndNotWhilePaused)
{
    ConfigureLater(1, Group::Control, int32_t(kontakta::ControlAction::NextProfile));
    EXPECT_EQ(CycleAt(0, {1}), Events{"next profile"}) << "the switch's sound tells the profile instead";
    EXPECT_EQ(CycleAt(20, {}), Events{});
    state.sensorsPaused = true;
    EXPECT_EQ(CycleAt(40, {1}), Events{});
}

TEST_F(LaterGroups, SwitchedOffSensorOfALaterGroupDoesNothing)
{
    ConfigureLater(1, Group::Wheel, int32_t(kontakta::WheelDirection::Up));
    SensorAction record = state.records.Get(0);
    record.enabled = 0;
    state.records.Set(0, record);
    EXPECT_EQ(CycleAt(0, {1}), Events{});
}

TEST_F(LaterGroups, PollLoopWakesAtTheMotionsPeriodWhileMovingAndOnlyForCyclesWhenIdle)
{
    ConfigureLater(1, Group::MovePointer, int32_t(kontakta::PointerDirection::Right));
    VirtualPacing pacing;
    pacing.stopAfter = 80;
    source.value = EightInputValue({1});
    RunPollLoop(poller, pacing);
    std::vector<int64_t> gaps;
    for (size_t i = 1; i < pacing.dues.size(); ++i) gaps.push_back(pacing.dues[i] - pacing.dues[i - 1]);
    // Before the tap time the thread waits for cycles alone, after it at the
    // motion's 10 ms.
    ASSERT_GT(gaps.size(), 40u);
    EXPECT_EQ(gaps[1], pollPeriodMicroseconds);
    EXPECT_LE(*std::max_element(gaps.begin() + 20, gaps.end()), 10'000);
    EXPECT_GT(device.at.x, 110);
}

}  // namespace

namespace {

TEST_F(LaterGroups, PollLoopSendsAClicksReleaseWhenDueWithoutSleepingOnThePollingThread)
{
    Configure(1, ActionGroup::Mouse, int32_t(MouseActionKind::LeftClick));
    VirtualPacing pacing;
    pacing.stopAfter = 12;
    source.value = EightInputValue({1});
    log.Clear();
    RunPollLoop(poller, pacing);
    const Events events = log.Events();
    EXPECT_EQ(std::count(events.begin(), events.end(), "mouse 0004"), 1);
    EXPECT_EQ(std::count_if(events.begin(), events.end(),
                            [](const std::string& e) { return e.rfind("sleep", 0) == 0; }),
              0);
    EXPECT_NE(std::find(pacing.dues.begin(), pacing.dues.end(), 105'000), pacing.dues.end())
        << "the thread wakes for the release, between two cycles";
}

}  // namespace
