// Latching in the poller: the first counted press holds the button or key,
// the next lets go, the switch's releases do nothing; the holders of each
// key and button are counted, so a latched SHIFT stays down while another
// sensor types SHIFT+X; the Windows key and a modifier alone; and every
// let-go forgets the latches, so the next press latches afresh.
#include "SensorPollerFixture.h"

using namespace kontakta;

using kontakta::ModifierAlone;

namespace {

constexpr uint8_t shift = 0x10, ctrl = 0x11, leftWin = 0x5B;

class LatchTest : public SensorPollerTest {
protected:
    LatchTest() { state.beepOnPress = 0; }
    void Extras(int sensor, bool latch, bool win = false, ModifierAlone alone = ModifierAlone::None)
    {
        kontakta::ActionsSettings options = state.options.Get();
        kontakta::SensorExtras& extras = options.sensors[size_t(sensor - 1)];
        extras.latch = latch;
        extras.win = win;
        extras.modifierAlone = alone;
        state.options.Set(options);
    }
    void Key(int sensor, uint8_t virtualKey, bool withShift = false, bool repeat = false)
    {
        Configure(sensor, ActionGroup::Keyboard);
        SensorAction record = state.records.Get(sensor - 1);
        record.virtualKey = virtualKey;
        record.shift = withShift;
        record.autoRepeat = repeat;
        state.records.Set(sensor - 1, record);
    }
    // Presses and releases the switch of `sensor` alone.
    Events Tap(int sensor)
    {
        Events events = Cycle({sensor});
        for (const std::string& event : Cycle({})) events.push_back(event);
        return events;
    }
    uint32_t Latched() const { return state.activity.LatchedSensors(); }
};

TEST_F(LatchTest, LatchedButtonHoldsOnFirstPressAndLetsGoOnSecondAndClicksNeverLatch)
{
    Configure(1, ActionGroup::Mouse, int32_t(MouseActionKind::RightPressRelease));
    Extras(1, true);
    state.beepOnPress = 1;
    EXPECT_EQ(Cycle({1}), (Events{"latch sound", "mouse 0008"})) << "instead of the press sound";
    EXPECT_EQ(Latched(), 1u);
    EXPECT_TRUE(Cycle({}).empty()) << "the switch's release does nothing";
    EXPECT_TRUE(held.IsButtonHeld(MouseFlags::RightDown));
    EXPECT_EQ(Tap(1), (Events{"unlatch sound", "mouse 0010"}));
    EXPECT_EQ(Latched(), 0u);
    EXPECT_EQ(Cycle({1}), (Events{"latch sound", "mouse 0008"})) << "and again";

    Configure(2, ActionGroup::Mouse, int32_t(MouseActionKind::LeftClick));
    Extras(2, true);
    Events click = Tap(2);
    for (int cycle = 0; cycle < 6; ++cycle)  // the click's release comes 105 ms after its press
        for (const std::string& event : Cycle({})) click.push_back(event);
    EXPECT_EQ(click.front(), "press sound");
    EXPECT_EQ(std::count(click.begin(), click.end(), "mouse 0002"), 1) << "a click clicks";
    EXPECT_FALSE(held.IsButtonHeld(MouseFlags::LeftDown));
    EXPECT_EQ(Latched(), 1u) << "only sensor 1";
}

// A latched SHIFT and another sensor's SHIFT+X: SHIFT stays down after X,
// and a key that two actions hold goes up with the last of them.
TEST_F(LatchTest, HolderCountsKeepLatchedInputDownWhileOtherSensorsUseIt)
{
    Key(1, 0x41);
    Extras(1, true, false, ModifierAlone::Shift);
    Key(2, 0x58, true);
    Configure(3, ActionGroup::Mouse, int32_t(MouseActionKind::LeftPressRelease));
    Extras(3, true);
    Configure(4, ActionGroup::Mouse, int32_t(MouseActionKind::LeftClick));

    EXPECT_EQ(Tap(1), (Events{"latch sound", "timers stop", "key 10 down"}));
    EXPECT_EQ(Cycle({2}), (Events{"timers stop", "key 58 down"})) << "SHIFT is down already";
    EXPECT_EQ(Cycle({}), (Events{"timers stop", "key 58 up"})) << "SHIFT stays down after X";
    EXPECT_EQ(held.Holders(shift), 1);

    Cycle({3});
    Events click = Tap(4);
    for (int cycle = 0; cycle < 6; ++cycle)  // the click's release comes 105 ms after its press
        for (const std::string& event : Cycle({})) click.push_back(event);
    EXPECT_EQ(std::count(click.begin(), click.end(), "mouse 0004"), 0) << "a click leaves the latched button down";
    EXPECT_TRUE(held.IsButtonHeld(MouseFlags::LeftDown));
    Cycle({});

    EXPECT_EQ(Cycle({1}), (Events{"unlatch sound", "timers stop", "key 10 up"}));
    EXPECT_EQ(Tap(3), (Events{"unlatch sound", "mouse 0004"}));
    EXPECT_FALSE(held.AnythingHeld());
}

// WIN as a fourth modifier after SHIFT, a WIN alone that sticks while
// latched, and a let-go of all in its order: keys, modifiers, buttons.
TEST_F(LatchTest, WinAndModifierAloneSendsTheirKeysAndLetsGoInOrder)
{
    Key(1, 0x44, true);
    Extras(1, false, true);
    EXPECT_EQ(Cycle({1}), (Events{"timers stop", "key 10 down", "key 5B down", "key 44 down"}));
    EXPECT_EQ(Cycle({}), (Events{"timers stop", "key 10 up", "key 5B up", "key 44 up"}));

    Key(2, 0x41, true);
    Extras(2, true, true, ModifierAlone::Win);
    Key(3, 0x43);
    Extras(3, true);
    SensorAction ctrlC = state.records.Get(2);
    ctrlC.ctrl = 1;
    state.records.Set(2, ctrlC);
    Configure(4, ActionGroup::Mouse, int32_t(MouseActionKind::MiddlePressRelease));
    Extras(4, true);
    EXPECT_EQ(Tap(2), (Events{"latch sound", "timers stop", "key 5B down"})) << "WIN alone";
    Tap(4);
    Tap(3);
    EXPECT_EQ(held.Holders(leftWin), 1);
    EXPECT_EQ(held.Holders(ctrl), 1);
    EXPECT_EQ(Latched(), 0b1110u);

    poller.RequestRelease();
    EXPECT_EQ(Cycle({}), (Events{"timers stop", "key 43 up", "key 11 up", "key 5B up", "mouse 0040", "unlatch sound"}));
    EXPECT_EQ(Latched(), 0u);
}

// With auto-repeat a latched key repeats until it is let go or another key
// action starts; the repetitions hold nothing of their own, so the let-go
// still sends every up.
TEST_F(LatchTest, LatchedKeyWithRepeatRepeatsUntilLetGoOrAnotherKeyAction)
{
    Key(1, 0x41, true, true);
    Extras(1, true);
    Key(2, 0x42);
    Cycle({1});
    Cycle({});
    EXPECT_EQ(keys.CurrentState(), KeyRepeat::State::Delay) << "the switch's release stops nothing";
    keys.OnDelayTimer(timers.lastGeneration);
    log.Clear();
    keys.OnRateTimer(timers.lastGeneration);
    EXPECT_EQ(log.Events(), (Events{"key 10 down", "key 41 down"}));
    EXPECT_EQ(Tap(1), (Events{"unlatch sound", "timers stop", "key 10 up", "key 41 up"}));
    EXPECT_EQ(keys.CurrentState(), KeyRepeat::State::NoRepeat);

    Cycle({1});
    Cycle({2});
    EXPECT_EQ(keys.CurrentState(), KeyRepeat::State::NoRepeat) << "another key action ends the repetition";
    EXPECT_TRUE(held.IsKeyHeld(0x41)) << "and the latch holds on";
}

// Box loss, a sensor switched off or changed in the settings, the pause: each
// lets go of the latch, with the latch's own record, and the next press
// latches afresh. While paused no let-go sound: the pause has its own.
TEST_F(LatchTest, LetGoForgetsTheLatchSoTheNextPressLatchesAfresh)
{
    Configure(1, ActionGroup::Mouse, int32_t(MouseActionKind::LeftPressRelease));
    Extras(1, true);
    Tap(1);
    source.fails = true;
    EXPECT_EQ(Cycle({}), (Events{"timers stop", "mouse 0004", "unlatch sound"}));
    source.fails = false;
    state.readFailed = false;
    EXPECT_EQ(Tap(1), (Events{"latch sound", "mouse 0002"})) << "latched afresh";

    SensorAction changed = state.records.Get(0);
    changed.mouseAction = int32_t(MouseActionKind::RightPressRelease);
    state.records.Set(0, changed);
    EXPECT_EQ(Cycle({}), (Events{"unlatch sound", "mouse 0004"})) << "the latch's own button goes up";
    EXPECT_EQ(Tap(1), (Events{"latch sound", "mouse 0008"}));
    changed.enabled = 0;
    state.records.Set(0, changed);
    EXPECT_EQ(Cycle({}), (Events{"unlatch sound", "mouse 0010"})) << "switched off";
    EXPECT_TRUE(Tap(1).empty());

    changed.enabled = 1;
    state.records.Set(0, changed);
    Tap(1);
    state.sensorsPaused = true;
    EXPECT_EQ(Cycle({}), (Events{"mouse 0010"}));
    EXPECT_TRUE(Tap(1).empty()) << "paused";
    state.sensorsPaused = false;
    EXPECT_EQ(Cycle({1}), (Events{"latch sound", "mouse 0008"}));
    EXPECT_EQ(Latched(), 1u);
}

}  // namespace
