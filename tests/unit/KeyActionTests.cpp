#include <gtest/gtest.h>

#include <atomic>
#include <random>
#include <thread>

#include "Fakes.h"
#include "SensorRecords.h"
#include "sensors/KeyAction.h"

using namespace kontakta;

namespace {

TEST(SendKeyCombination, ModifiersAltCtrlShiftThenTheKeyForPressAndReleaseAlike)
{
    EventLog log;
    RecordingInput input(log);
    const SensorAction all = KeyRecord(0x41, true, true, true, false);
    SendKeyCombination(all, true, input);
    SendKeyCombination(all, false, input);
    EXPECT_EQ(log.Events(), (Events{"key 12 down", "key 11 down", "key 10 down", "key 41 down", "key 12 up",
                                    "key 11 up", "key 10 up", "key 41 up"}));
}

TEST(SendKeyCombination, OnlyTheModifiersThatTheRecordAsksFor)
{
    EventLog log;
    RecordingInput input(log);
    SendKeyCombination(KeyRecord(0x25, false, true, false, false), true, input);
    SendKeyCombination(KeyRecord(0x0D, false, false, false, false), false, input);
    EXPECT_EQ(log.Events(), (Events{"key 10 down", "key 25 down", "key 0D up"}));
}

TEST(RepeatTiming, IntervalFollowsTheKeyboardSpeedSetting)
{
    const SensorAction plain = KeyRecord(0x41, false, false, false, true);
    const std::pair<uint32_t, uint32_t> table[] = {{0, 400}, {1, 294}, {2, 233}, {5, 143}, {10, 87},
                                                   {15, 63}, {20, 49}, {25, 40}, {30, 34}, {31, 33}};
    for (auto [speed, interval] : table) EXPECT_EQ(RepeatIntervalMilliseconds(speed, plain), interval) << speed;
    EXPECT_EQ(RepeatIntervalMilliseconds(4000000000u, plain), 33u) << "an impossible setting counts as 31";
}

TEST(RepeatTiming, TabWithAltRepeatsOnceASecondWhateverTheOtherModifiers)
{
    for (uint32_t speed : {0u, 15u, 31u}) {
        EXPECT_EQ(RepeatIntervalMilliseconds(speed, KeyRecord(0x09, false, false, true, true)), 1000u);
        EXPECT_EQ(RepeatIntervalMilliseconds(speed, KeyRecord(0x09, true, false, true, true)), 1000u);
        EXPECT_EQ(RepeatIntervalMilliseconds(speed, KeyRecord(0x09, false, true, true, true)), 1000u);
    }
    EXPECT_EQ(RepeatIntervalMilliseconds(31, KeyRecord(0x09, false, false, false, true)), 33u);
    EXPECT_EQ(RepeatIntervalMilliseconds(31, KeyRecord(0x09, true, false, false, true)), 33u);
    EXPECT_EQ(RepeatIntervalMilliseconds(31, KeyRecord(0x41, false, false, true, true)), 33u);
}

TEST(RepeatTiming, DelayIsAQuarterSecondPerStep)
{
    EXPECT_EQ(RepeatDelayMilliseconds(0), 250u);
    EXPECT_EQ(RepeatDelayMilliseconds(1), 500u);
    EXPECT_EQ(RepeatDelayMilliseconds(2), 750u);
    EXPECT_EQ(RepeatDelayMilliseconds(3), 1000u);
    EXPECT_EQ(RepeatDelayMilliseconds(0xFFFFFFFFu), 1000u) << "no overflow from a bad setting";
}

class KeyRepeatTest : public ::testing::Test {
protected:
    EventLog log;
    RecordingInput input{log};
    FakeKeyboardSettings settings;
    RecordingTimers timers{log};
    KeyRepeat repeat{input, settings, timers};
};

TEST_F(KeyRepeatTest, KeyWithoutAutoRepeatGivesOneDownAndOneUp)
{
    const SensorAction record = KeyRecord(0x41, false, false, false, false);
    repeat.PerformKeyAction(record, true);
    repeat.PerformKeyAction(record, false);
    EXPECT_EQ(log.Events(), (Events{"timers stop", "key 41 down", "timers stop", "key 41 up"}));
    EXPECT_EQ(repeat.CurrentState(), KeyRepeat::State::NoRepeat);
}

TEST_F(KeyRepeatTest, HeldKeyRepeatsAfterTheDelayAtTheRate)
{
    settings.delay = 1;
    settings.speed = 31;
    const SensorAction record = KeyRecord(0x41, true, false, false, true);
    repeat.PerformKeyAction(record, true);
    EXPECT_EQ(repeat.CurrentState(), KeyRepeat::State::Delay);
    const uint32_t generation = timers.lastGeneration;

    repeat.OnDelayTimer(generation);
    EXPECT_EQ(repeat.CurrentState(), KeyRepeat::State::Repeating);
    repeat.OnRateTimer(generation);
    repeat.OnRateTimer(generation);
    repeat.PerformKeyAction(record, false);
    repeat.OnRateTimer(generation);  // a late expiry of the stopped timer

    EXPECT_EQ(log.Events(), (Events{"timers stop", "key 11 down", "key 41 down", "delay timer 500 #1",
                                    "rate timer 33 #1", "key 11 down", "key 41 down", "key 11 down", "key 41 down",
                                    "timers stop", "key 11 up", "key 41 up"}));
}

TEST_F(KeyRepeatTest, AnyKeyboardEventStopsTheRepetitionAndReleasingTheOtherSensorDoesNotBringItBack)
{
    const SensorAction a = KeyRecord(0x41, false, false, false, true);
    const SensorAction b = KeyRecord(0x42, false, false, false, false);
    repeat.PerformKeyAction(a, true);
    const uint32_t generationOfA = timers.lastGeneration;
    repeat.OnDelayTimer(generationOfA);
    repeat.PerformKeyAction(b, true);
    repeat.PerformKeyAction(b, false);
    log.Clear();
    repeat.OnRateTimer(generationOfA);
    EXPECT_TRUE(log.Events().empty()) << "A stays silent although it is still held";
    EXPECT_EQ(repeat.CurrentState(), KeyRepeat::State::NoRepeat);
}

TEST_F(KeyRepeatTest, PressOfAnotherRepeatingSensorTakesOverTheRepetition)
{
    repeat.PerformKeyAction(KeyRecord(0x41, false, false, false, true), true);
    const uint32_t first = timers.lastGeneration;
    repeat.PerformKeyAction(KeyRecord(0x42, false, false, false, true), true);
    const uint32_t second = timers.lastGeneration;
    repeat.OnDelayTimer(first);
    EXPECT_EQ(repeat.CurrentState(), KeyRepeat::State::Delay) << "the first sensor's delay is gone";
    repeat.OnDelayTimer(second);
    log.Clear();
    repeat.OnRateTimer(second);
    EXPECT_EQ(log.Events(), (Events{"key 42 down"}));
}

TEST_F(KeyRepeatTest, RepetitionUsesTheCopyTakenAtThePress)
{
    SensorAction record = KeyRecord(0x41, false, false, false, true);
    repeat.PerformKeyAction(record, true);
    record.virtualKey = 0x5A;  // the user edits the held sensor's record
    record.shift = 1;
    repeat.OnDelayTimer(timers.lastGeneration);
    log.Clear();
    repeat.OnRateTimer(timers.lastGeneration);
    EXPECT_EQ(log.Events(), (Events{"key 41 down"}));
    EXPECT_EQ(repeat.RepeatAction().virtualKey, 0x41);
}

TEST_F(KeyRepeatTest, UnreadableSettingsLeaveTheKeyPressedButNotRepeating)
{
    settings.delayReadable = false;
    repeat.PerformKeyAction(KeyRecord(0x41, false, false, false, true), true);
    EXPECT_EQ(log.Events(), (Events{"timers stop", "key 41 down"}));
    EXPECT_EQ(repeat.CurrentState(), KeyRepeat::State::NoRepeat);

    settings.delayReadable = true;
    settings.speedReadable = false;
    repeat.PerformKeyAction(KeyRecord(0x41, false, false, false, true), true);
    repeat.OnDelayTimer(timers.lastGeneration);
    EXPECT_EQ(repeat.CurrentState(), KeyRepeat::State::NoRepeat);
    log.Clear();
    repeat.OnRateTimer(timers.lastGeneration);
    EXPECT_TRUE(log.Events().empty());
}

TEST_F(KeyRepeatTest, StopEndsTheRepetitionWithoutSendingAnything)
{
    repeat.PerformKeyAction(KeyRecord(0x41, false, false, false, true), true);
    const uint32_t generation = timers.lastGeneration;
    repeat.OnDelayTimer(generation);
    log.Clear();
    repeat.Stop();
    repeat.OnRateTimer(generation);
    EXPECT_EQ(log.Events(), (Events{"timers stop"}));
}

// A low-level keyboard hook of the user-interface thread runs while the
// polling thread is inside keybd_event; here the timers expire and the
// window ends on that thread just then. None of it may wait for the polling
// thread (that would stall both until Windows removed the hook), and still
// no repeated key-down may come with or after the release's key-ups.
TEST(KeyRepeatWithHook, ExpiriesAndStopOnTheHookThreadDoNotStallTheReleaseNorRepeatAfterIt)
{
    EventLog log;
    HookedInput input(log);
    FakeKeyboardSettings settings;
    GenerationTimers timers;
    KeyRepeat repeat(input, settings, timers);
    const SensorAction record = KeyRecord(0x41, true, false, false, true);
    repeat.PerformKeyAction(record, true);
    const uint32_t generation = timers.generation;
    repeat.OnDelayTimer(generation);
    ASSERT_EQ(repeat.CurrentState(), KeyRepeat::State::Repeating);

    input.hook = [&] {
        repeat.OnRateTimer(generation);
        repeat.OnDelayTimer(generation);
        repeat.Stop();
    };
    log.Clear();
    repeat.PerformKeyAction(record, false);
    input.JoinHooks();
    EXPECT_EQ(input.stalls, 0) << "the hook thread waited for the thread that was sending";
    EXPECT_EQ(log.Events(), (Events{"key 11 up", "key 41 up"}));
}

// The polling thread presses and releases while the timer thread fires as
// fast as it can. After every release, the last event of the key must be its
// key-up: a repeated key-down arriving after it would leave the key stuck.
TEST(KeyRepeatRace, NoRepeatedKeyDownArrivesAfterTheKeyUpOfTheRelease)
{
    struct OrderCheck : InputSink {
        bool SendMouseButton(uint32_t) override { return true; }
        bool SendKey(uint8_t key, bool down) override
        {
            if (key != 0x41) return true;
            std::lock_guard<std::mutex> guard(lock);
            keyDown = down;
            if (down) ++downs;
            if (down && released) ++downsAfterRelease;
            return true;
        }
        std::mutex lock;
        bool keyDown = false;
        bool released = false;
        int downsAfterRelease = 0;
        int downs = 0;
    } input;
    GenerationTimers timers;
    FakeKeyboardSettings settings;
    KeyRepeat repeat(input, settings, timers);

    std::atomic<bool> done{false};
    std::thread timerThread([&] {
        while (!done) {
            const uint32_t generation = timers.generation;
            repeat.OnDelayTimer(generation);
            repeat.OnRateTimer(generation);
        }
    });

    const SensorAction record = KeyRecord(0x41, false, false, false, true);
    std::mt19937 random(7);
    for (int cycle = 0; cycle < 3000; ++cycle) {
        {
            std::lock_guard<std::mutex> guard(input.lock);
            input.released = false;
        }
        repeat.PerformKeyAction(record, true);
        for (unsigned spin = random() % 200; spin > 0; --spin) std::this_thread::yield();
        repeat.PerformKeyAction(record, false);
        {
            std::lock_guard<std::mutex> guard(input.lock);
            input.released = true;
            ASSERT_FALSE(input.keyDown) << "cycle " << cycle;
        }
        for (unsigned spin = random() % 50; spin > 0; --spin) std::this_thread::yield();
    }
    done = true;
    timerThread.join();
    EXPECT_EQ(input.downsAfterRelease, 0);
    EXPECT_FALSE(input.keyDown);
    EXPECT_GT(input.downs, 3000) << "the timer thread must really have repeated keys during the presses";
}

}  // namespace
