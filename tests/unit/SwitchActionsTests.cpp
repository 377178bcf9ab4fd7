#include <gtest/gtest.h>

#include <vector>

#include "sensors/ActionGroups.h"
#include "sensors/KeyAction.h"
#include "sensors/Latch.h"
#include "sensors/WheelRepeat.h"

using namespace kontakta;

namespace {
constexpr uint64_t ms = 1000;
}

TEST(WheelRepeat, PressScrollsOneNotchAtOnceThenTenASecondAfterTheKeyboardDelayWhenHeld)
{
    WheelRepeat wheel;
    const uint32_t keyboardDelay = RepeatDelayMilliseconds(1);  // 500 ms
    EXPECT_EQ(wheel.Press(1000 * ms, {}, keyboardDelay), 1);
    std::vector<uint64_t> notches;
    for (uint64_t now = 1000 * ms; now <= 2000 * ms; now += 5 * ms)
        for (int n = wheel.Advance(now); n > 0; --n) notches.push_back(now / ms);
    EXPECT_EQ(notches, (std::vector<uint64_t>{1500, 1600, 1700, 1800, 1900, 2000}));
    EXPECT_EQ(wheel.NextNotchAt(), 2100 * ms) << "the poller can sleep until then";
    EXPECT_EQ(wheel.Advance(3000 * ms), 1) << "a late poll gets one notch, not the nine it missed";
    EXPECT_EQ(wheel.Advance(3050 * ms), 0);
    EXPECT_EQ(wheel.Advance(3100 * ms), 1);
    wheel.Release();
    EXPECT_EQ(wheel.Advance(5000 * ms), 0);
    EXPECT_FALSE(wheel.NextNotchAt());

    // A delay and rate of its own, held to their ranges.
    wheel.Press(0, {300, 4}, keyboardDelay);
    EXPECT_EQ(wheel.NextNotchAt(), 300 * ms);
    wheel.Advance(300 * ms);
    EXPECT_EQ(wheel.NextNotchAt(), 550 * ms);
    EXPECT_EQ(ClampWheelTiming({1, 0}), (WheelTiming{100, 1}));
    EXPECT_EQ(ClampWheelTiming({0, 999}), (WheelTiming{0, 30})) << "0 keeps the keyboard delay";
}

TEST(SensorLatches, PressHoldsThenLetsGoAndLatchesAfreshWhenLetGoFromElsewhere)
{
    using Step = SensorLatches::Step;
    SensorLatches latches;
    EXPECT_EQ(latches.Press(3), Step::Hold);
    EXPECT_EQ(SensorLatches::Release(3), Step::Nothing) << "the switch's release does nothing";
    EXPECT_EQ(latches.Press(5), Step::Hold) << "each sensor toggles on its own";
    EXPECT_EQ(latches.Press(3), Step::LetGo);
    EXPECT_FALSE(latches.Latched(3));
    EXPECT_TRUE(latches.AnyLatched());
    latches.ForgetAll();  // e.g. "Alle Tasten loslassen"
    EXPECT_FALSE(latches.AnyLatched());
    EXPECT_EQ(latches.Press(5), Step::Hold) << "the next press after a let-go latches afresh";
    latches.Forget(5);  // e.g. the sensor switched off
    EXPECT_EQ(latches.Press(5), Step::Hold);
    EXPECT_EQ(latches.Press(8), Step::Nothing) << "no such sensor";
}

TEST(InputHolders, ReleaseSendsNoUpWhileAnotherActionStillHoldsTheInput)
{
    constexpr uint8_t shift = 0x10, keyX = 0x58, leftButton = 0x01, ctrl = 0x11;
    InputHolders holders;
    EXPECT_TRUE(holders.Hold(shift)) << "the latch sends SHIFT down";
    EXPECT_FALSE(holders.Hold(shift)) << "another sensor's SHIFT+X: SHIFT is down already";
    EXPECT_TRUE(holders.Hold(keyX));
    EXPECT_TRUE(holders.Release(keyX));
    EXPECT_FALSE(holders.Release(shift)) << "SHIFT stays down after X";
    EXPECT_TRUE(holders.Release(shift)) << "the latch's let-go sends the up";
    EXPECT_FALSE(holders.Release(shift)) << "an up nobody holds is never sent";

    for (uint8_t vk : {leftButton, ctrl, keyX, keyX}) holders.Hold(vk);
    EXPECT_EQ(holders.ReleaseAll(), (std::vector<uint8_t>{keyX, ctrl, leftButton})) << "keys, modifiers, buttons";
    EXPECT_FALSE(holders.AnyHeld());
    EXPECT_TRUE(holders.Hold(keyX)) << "after a let-go everything starts afresh";
}

TEST(PauseRule, MayActAllowsOnlyPauseOrResumeWhilePausedOrSuspended)
{
    for (int32_t group = 0; group < groupCount; ++group) {
        for (int32_t action = 0; action < ActionCount(group); ++action) {
            EXPECT_TRUE(MayAct(group, action, false));
            const bool pauseOrResume =
                group == int32_t(Group::Control) && action == int32_t(ControlAction::PauseOrResume);
            EXPECT_EQ(MayAct(group, action, true), pauseOrResume) << group << "/" << action;
        }
    }
    EXPECT_EQ(ActionCount(int32_t(Group::MovePointer)), 8);
    EXPECT_EQ(ActionCount(groupCount), 0);
    EXPECT_EQ(ActionCount(-1), 0);
}
