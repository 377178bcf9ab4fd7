// Letting go: of a lost box, on request, through the filters and while paused.
#include <gtest/gtest.h>

#include "SensorPollerFixture.h"

using namespace kontakta;

namespace {

TEST_F(SensorPollerTest, LostBoxLetsGoOfHeldKeysAndButtonsOnceAndTheirLaterReleaseSendsNothingTwice)
{
    state.beepOnPress = 0;
    SensorAction key = DefaultSensorAction(1);
    key.enabled = 1;
    key.actionGroup = int32_t(ActionGroup::Keyboard);
    key.virtualKey = 0x09;
    key.alt = 1;
    key.autoRepeat = 1;
    state.records.Set(0, key);
    Configure(2, ActionGroup::Mouse, int32_t(MouseActionKind::LeftPressRelease));
    Cycle({1, 2});
    ASSERT_EQ(keys.CurrentState(), KeyRepeat::State::Delay);

    source.fails = true;
    log.Clear();
    poller.Cycle();
    EXPECT_EQ(log.Events(), (Events{"timers stop", "key 09 up", "key 12 up", "mouse 0004"}));
    EXPECT_EQ(keys.CurrentState(), KeyRepeat::State::NoRepeat);
    EXPECT_FALSE(held.AnythingHeld());

    // The box comes back with both sensors released: what their presses held
    // was let go already, so nothing is sent a second time.
    source.fails = false;
    state.readFailed = false;
    EXPECT_TRUE(Cycle({}).empty());
    Cycle({2});
    EXPECT_EQ(Cycle({}), (Events{"mouse 0004"})) << "the next press and release work as before";

    // A box of a kind nobody knows tells no releases: it is let go of as a
    // lost box, with the error beep at every read.
    Cycle({2});
    source.kind = static_cast<DeviceKind>(7);
    EXPECT_EQ(Cycle({2}), (Events{"timers stop", "mouse 0004", "error beep"}));
    EXPECT_EQ(Cycle({}), (Events{"error beep"}));
}

// Cycles 20 ms apart from `start`, one switch state each ('#' pressed).
Events CyclesEvery20Ms(SensorPoller& poller, ScriptedSource& source, EventLog& log, int sensor,
                       const std::string& states, int64_t& now)
{
    log.Clear();
    for (char state : states) {
        source.value =
            EightInputValue(state == '#' ? std::initializer_list<int>{sensor} : std::initializer_list<int>{});
        poller.Cycle(now);
        now += 20000;
    }
    return log.Events();
}

TEST_F(SensorPollerTest, FiltersSwallowTouchesAndBouncesAndAReleaseStillUndoesItsPress)
{
    state.beepOnPress = 1;
    Configure(1, ActionGroup::Mouse, int32_t(MouseActionKind::LeftPressRelease));
    state.filters.Set(0, {60, 100});
    int64_t now = 1000000;
    EXPECT_TRUE(CyclesEvery20Ms(poller, source, log, 1, "_##_", now).empty()) << "a 40 ms touch: not even the sound";
    EXPECT_EQ(state.activity.IgnoredTouches(0), 1u);
    EXPECT_EQ(CyclesEvery20Ms(poller, source, log, 1, "####", now), (Events{"press sound", "mouse 0002"}))
        << "held for 60 ms: the press acts then";
    // Switched off while held: its release still lets go of the button.
    SensorAction record = state.records.Get(0);
    record.enabled = 0;
    state.records.Set(0, record);
    EXPECT_EQ(CyclesEvery20Ms(poller, source, log, 1, "_", now), (Events{"mouse 0004"}));
    record.enabled = 1;
    state.records.Set(0, record);
    EXPECT_TRUE(CyclesEvery20Ms(poller, source, log, 1, "_#####_", now).empty()) << "a bounce in the lockout";
    EXPECT_EQ(state.activity.Presses(0), 1u);
    EXPECT_EQ(state.activity.IgnoredTouches(0), 2u);
}

TEST_F(SensorPollerTest, PausedOrSuspendedSensorsLightAndCountButDoNothing)
{
    state.beepOnPress = 1;
    Configure(1, ActionGroup::Keyboard);
    state.actionsSuspended = true;
    EXPECT_TRUE(Cycle({1}).empty());
    EXPECT_TRUE(state.activity.SwitchPressed(0));
    EXPECT_EQ(state.activity.Presses(0), 1u);
    EXPECT_TRUE(Cycle({}).empty());
    EXPECT_FALSE(state.activity.SwitchPressed(0));
    state.actionsSuspended = false;

    Cycle({1});
    state.sensorsPaused = true;
    poller.RequestRelease();  // as the pause from the tray menu asks
    EXPECT_EQ(Cycle({1}), (Events{"timers stop", "key 31 up"}));
    EXPECT_TRUE(Cycle({}).empty()) << "let go already: its release sends nothing";
    EXPECT_TRUE(Cycle({1}).empty()) << "paused";
    Cycle({});
    state.sensorsPaused = false;
    EXPECT_EQ(Cycle({1}), (Events{"press sound", "timers stop", "key 31 down"}));
}

TEST_F(SensorPollerTest, HeldInputsAreLetGoOnRequestAndWhenTheBoxIsClosedElsewhere)
{
    state.beepOnPress = 0;
    Configure(1, ActionGroup::Mouse, int32_t(MouseActionKind::LeftPressRelease));
    Cycle({1});
    poller.RequestRelease();
    EXPECT_EQ(Cycle({1}), (Events{"timers stop", "mouse 0004"}));
    EXPECT_TRUE(Cycle({1}).empty()) << "once per request";

    Cycle({});
    Cycle({1});
    state.readFailed = true;  // the device access closed the kit; no read has failed
    const int reads = source.reads;
    EXPECT_EQ(Cycle({1}), (Events{"timers stop", "mouse 0004"}));
    EXPECT_TRUE(Cycle({1}).empty()) << "once per loss";
    EXPECT_EQ(source.reads, reads);
    EXPECT_FALSE(held.AnythingHeld());
}

// Locked: the releases that the lock's let-go sent were refused. The retry
// (on unlock) ends the key repetition and sends them again; without a refused
// release a retry does nothing at all.
TEST_F(SensorPollerTest, RequestedRetrySendsTheRefusedReleasesAgainAndEndsTheRepetition)
{
    state.beepOnPress = 0;
    SensorAction key = KeyRecord('A', false, true, false, true);
    key.enabled = 1;
    state.records.Set(0, key);
    Configure(2, ActionGroup::Mouse, int32_t(MouseActionKind::LeftPressRelease));
    Cycle({1, 2});
    recorder.accept = false;
    recorder.acceptKeys = false;
    poller.RequestRelease();
    Cycle({});
    ASSERT_TRUE(held.ReleasesRefused());
    EXPECT_TRUE(held.IsKeyHeld('A'));

    Cycle({1});  // pressed again while locked: refused too, but its repetition starts
    ASSERT_EQ(keys.CurrentState(), KeyRepeat::State::Delay);
    recorder.accept = true;  // unlocked
    recorder.acceptKeys = true;
    poller.RequestRetry();
    EXPECT_EQ(Cycle({1}), (Events{"timers stop", "key 41 up", "key 10 up", "mouse 0004"}));
    EXPECT_EQ(keys.CurrentState(), KeyRepeat::State::NoRepeat);
    EXPECT_FALSE(held.AnythingHeld());
    poller.RequestRetry();
    EXPECT_TRUE(Cycle({1}).empty()) << "nothing refused: nothing to do";
}

}  // namespace
