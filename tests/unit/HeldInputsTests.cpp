#include <gtest/gtest.h>

#include <atomic>
#include <thread>
#include <vector>

#include "Fakes.h"
#include "SensorRecords.h"
#include "sensors/HeldInputs.h"
#include "sensors/KeyAction.h"
#include "sensors/MouseAction.h"

using namespace kontakta;

namespace {

class HeldInputsTest : public ::testing::Test {
protected:
    EventLog log;
    RecordingInput input{log};
    HeldInputs held{input};
};

TEST_F(HeldInputsTest, EventsPassThroughUnchanged)
{
    held.SendKey(0x41, true);
    EXPECT_TRUE(held.SendMouseButton(MouseFlags::RightDown));
    input.accept = false;
    EXPECT_FALSE(held.SendMouseButton(MouseFlags::RightUp)) << "a refusal is reported back";
    EXPECT_EQ(log.Events(), (Events{"key 41 down", "mouse 0008", "mouse 0010"}));
}

TEST_F(HeldInputsTest, ReleaseAllLetsGoOfExactlyWhatIsHeldKeyBeforeModifiers)
{
    held.SendKey(0x12, true);
    held.SendKey(0x11, true);
    held.SendKey(0x09, true);
    held.SendKey(0x41, true);
    held.SendKey(0x41, false);
    held.SendMouseButton(MouseFlags::LeftDown);
    held.SendMouseButton(MouseFlags::MiddleDown);
    held.SendMouseButton(MouseFlags::MiddleUp);
    log.Clear();

    held.ReleaseAll();
    EXPECT_EQ(log.Events(), (Events{"key 09 up", "key 11 up", "key 12 up", "mouse 0004"}));
    EXPECT_FALSE(held.AnythingHeld());
    log.Clear();
    held.ReleaseAll();
    EXPECT_TRUE(log.Events().empty()) << "nothing is released twice";
}

// A crashing program may die while another of its threads is inside a send;
// letting go must neither wait for it nor miss the key it is pressing.
TEST_F(HeldInputsTest, CrashReleaseWorksWhileAnotherThreadIsInsideASendAndLetsGoOfItsKeyToo)
{
    struct BlockingInput : InputSink {
        bool SendMouseButton(uint32_t) override { return true; }
        bool SendKey(uint8_t key, bool down) override
        {
            if (key == 0x41 && down && block) {
                entered = true;
                while (!released) std::this_thread::yield();
            }
            if (!down) ups.push_back(key);
            return true;
        }
        std::atomic<bool> block{false}, entered{false}, released{false};
        std::vector<uint8_t> ups;
    } blocking;
    HeldInputs guarded(blocking);
    guarded.SendKey(0x10, true);
    guarded.SendMouseButton(MouseFlags::RightDown);
    blocking.block = true;
    std::thread sender([&] { guarded.SendKey(0x41, true); });
    while (!blocking.entered) std::this_thread::yield();

    guarded.ReleaseAllWithoutLock();
    EXPECT_EQ(blocking.ups, (std::vector<uint8_t>{0x41, 0x10})) << "the key whose down is on its way as well";
    EXPECT_FALSE(guarded.IsButtonHeld(MouseFlags::RightDown));
    blocking.released = true;
    sender.join();
}

// A low-level hook of the user-interface thread runs while the polling
// thread is inside SendInput for a mouse button, and the key repetition
// fires on that thread just then: its key-down must go out without waiting
// for the polling thread, and letting go afterwards leaves nothing held.
TEST(HeldInputsWithHook, RepeatedKeyOnTheHookThreadDuringAMouseEventIsNotStalled)
{
    EventLog log;
    HookedInput input(log);
    HeldInputs held(input);
    FakeKeyboardSettings settings;
    GenerationTimers timers;
    KeyRepeat repeat(held, settings, timers);
    repeat.PerformKeyAction(KeyRecord(0x41, false, false, false, true), true);
    const uint32_t generation = timers.generation;
    repeat.OnDelayTimer(generation);

    input.hook = [&] { repeat.OnRateTimer(generation); };
    log.Clear();
    held.SendMouseButton(MouseFlags::LeftDown);
    input.JoinHooks();
    EXPECT_EQ(input.stalls, 0) << "the repeated key waited for the thread inside SendInput";
    EXPECT_EQ(log.Events(), (Events{"mouse 0002", "key 41 down"}));

    log.Clear();
    repeat.Stop();
    held.ReleaseAll();
    input.JoinHooks();
    EXPECT_EQ(input.stalls, 0);
    EXPECT_EQ(log.Events(), (Events{"key 41 up", "mouse 0004"})) << "no repeated key-down after the stop";
    EXPECT_FALSE(held.AnythingHeld());
}

TEST_F(HeldInputsTest, TracksWhatTheExecutorsLeaveDown)
{
    EventLog clockLog;
    FakeClock clock(clockLog);
    RecordingSounds sounds(clockLog);
    SensorAction record = DefaultSensorAction(1);
    record.mouseAction = int32_t(MouseActionKind::RightPressRelease);
    PerformMouseAction(record, true, held, sounds, clock);
    EXPECT_TRUE(held.IsButtonHeld(MouseFlags::RightDown));
    record.mouseAction = int32_t(MouseActionKind::LeftClick);
    PerformMouseAction(record, true, held, sounds, clock);
    EXPECT_FALSE(held.IsButtonHeld(MouseFlags::LeftDown)) << "a click ends with the button up";

    record.alt = 1;
    record.virtualKey = 0x09;
    SendKeyCombination(record, true, held);
    EXPECT_TRUE(held.IsKeyHeld(0x12));
    EXPECT_TRUE(held.IsKeyHeld(0x09));
    SendKeyCombination(record, false, held);
    EXPECT_FALSE(held.IsKeyHeld(0x12));
    EXPECT_TRUE(held.AnythingHeld()) << "the right button is still down";
}

// Two actions holding SHIFT send one down and one up; a repetition holds
// nothing of its own; a refused press holds nothing, so the next press sends
// its down again; letting go of all forgets every holder.
TEST_F(HeldInputsTest, HoldersCountPressesNotRepetitionsAndARefusedPressHoldsNothing)
{
    input.acceptKeys = false;
    EXPECT_FALSE(held.SendKey(0x10, true));
    EXPECT_EQ(held.Holders(0x10), 0);
    input.acceptKeys = true;
    held.SendKey(0x10, true);
    held.SendKey(0x10, true);
    held.RepeatKey(0x10);
    EXPECT_EQ(held.Holders(0x10), 2);
    log.Clear();
    EXPECT_TRUE(held.SendKey(0x10, false));
    EXPECT_TRUE(log.Events().empty()) << "the other holder keeps SHIFT down";
    held.SendKey(0x10, false);
    EXPECT_EQ(log.Events(), (Events{"key 10 up"}));

    input.accept = false;
    EXPECT_FALSE(held.SendMouseButton(MouseFlags::LeftDown));
    input.accept = true;
    held.SendMouseButton(MouseFlags::LeftDown);
    held.SendMouseButton(MouseFlags::LeftDown);
    EXPECT_EQ(held.Holders(0x01), 2);
    log.Clear();
    held.SendMouseButton(MouseFlags::LeftUp);
    held.ReleaseAll();
    EXPECT_EQ(log.Events(), (Events{"mouse 0004"}));
    EXPECT_EQ(held.Holders(0x01), 0);
}

// The lock screen's notification comes after the desktop switched: the
// releases sent then are refused. They stay held, "Alle Tasten loslassen"
// still finds them, and the retry on unlock sends exactly them again.
TEST_F(HeldInputsTest, RefusedReleaseStaysHeldAndIsSentAgainWhenRetried)
{
    held.SendKey(0x12, true);
    held.SendKey(0x41, true);
    held.SendMouseButton(MouseFlags::LeftDown);
    input.accept = false;
    input.acceptKeys = false;
    held.ReleaseAll();
    EXPECT_TRUE(held.IsKeyHeld(0x41));
    EXPECT_TRUE(held.IsKeyHeld(0x12));
    EXPECT_TRUE(held.IsButtonHeld(MouseFlags::LeftDown));
    EXPECT_TRUE(held.ReleasesRefused());

    log.Clear();
    held.ReleaseAll();
    EXPECT_EQ(log.Events(), (Events{"key 41 up", "key 12 up", "mouse 0004"})) << "letting go all still finds them";

    input.accept = true;
    input.acceptKeys = true;
    log.Clear();
    held.RetryRefusedReleases();
    EXPECT_EQ(log.Events(), (Events{"key 41 up", "key 12 up", "mouse 0004"}));
    EXPECT_FALSE(held.AnythingHeld());
    EXPECT_FALSE(held.ReleasesRefused());
    log.Clear();
    held.RetryRefusedReleases();
    EXPECT_TRUE(log.Events().empty()) << "sent once they were taken";
}

TEST_F(HeldInputsTest, RetryLeavesWhatWasPressedAgainSinceAndARefusedPressIsNotHeld)
{
    held.SendKey(0x41, true);
    held.SendKey(0x42, true);
    input.acceptKeys = false;
    held.SendKey(0x41, false);
    held.SendKey(0x42, false);
    EXPECT_FALSE(held.SendKey(0x43, true)) << "a refused press is reported back";
    EXPECT_FALSE(held.IsKeyHeld(0x43)) << "nothing went down";
    input.acceptKeys = true;
    held.SendKey(0x41, true);  // a sensor pressed it again, after the unlock

    log.Clear();
    held.RetryRefusedReleases();
    EXPECT_EQ(log.Events(), (Events{"key 42 up"})) << "the key held by its sensor now stays down";
    EXPECT_TRUE(held.IsKeyHeld(0x41));
}

}  // namespace
