// The polling loop: its schedule, its stop, and the polling thread beside the
// settings and the timers.
#include <gtest/gtest.h>

#include <thread>

#include "SensorPollerFixture.h"

using namespace kontakta;

namespace {

TEST_F(SensorPollerTest, LoopKeepsA20MillisecondScheduleWhateverTheCyclesTake)
{
    struct TimedSource : SensorSource {
        bool ReadInputs(uint32_t& value, DeviceKind& kind) override
        {
            ++reads;
            pacing->now += cycleMicroseconds.at(static_cast<size_t>(reads - 1));
            value = EightInputValue({});
            kind = DeviceKind::EightInputs;
            return true;
        }
        VirtualPacing* pacing = nullptr;
        std::vector<int64_t> cycleMicroseconds;
        int reads = 0;
    } timed;
    VirtualPacing pacing;
    timed.pacing = &pacing;
    SensorPoller timedPoller(timed, actions, state.shared);
    RunPollLoop(timedPoller, pacing);
    EXPECT_EQ(timed.reads, 0) << "a stop made before the start ends it at once";
    EXPECT_TRUE(pacing.dues.empty());

    pacing.asked = 0;
    pacing.stopAfter = 5;
    timed.cycleMicroseconds = {3000, 15000, 30000, 70000, 3000};
    RunPollLoop(timedPoller, pacing);
    EXPECT_EQ(timed.reads, 5);
    EXPECT_EQ(pacing.dues, (std::vector<int64_t>{20000, 40000, 60000, 140000, 160000}))
        << "due one period after the previous due time; a cycle late by less than a period runs at once "
           "and keeps the schedule; one late by more starts it anew";
}

TEST_F(SensorPollerTest, StopAskedForDuringAnActionTakesEffectAfterTheWholeCycle)
{
    state.beepOnPress = 0;
    Configure(2, ActionGroup::RunFile);
    Configure(3, ActionGroup::Keyboard);
    struct FlagStop : PollPacing {
        bool StopAsked() override { return stop; }
        int64_t NowMicroseconds() override { return 0; }
        bool PauseUntil(int64_t) override { return stop; }
        bool stop = false;
    } stop;
    struct StoppingShell : Shell, FailureMessages {
        explicit StoppingShell(FlagStop& stop) : stop(stop) {}
        bool OpenTarget(const std::u16string&) override { return stop.stop = true; }
        void ShowFailure(const std::u16string&) override {}
        FlagStop& stop;
    } stoppingShell(stop);
    ActionContext stopping{held, sounds, clock, keys, stoppingShell, stoppingShell};
    SensorPoller stoppingPoller(source, stopping, state.shared);
    source.value = EightInputValue({2, 3});
    log.Clear();
    RunPollLoop(stoppingPoller, stop);
    EXPECT_EQ(source.reads, 1) << "no further cycle";
    const Events events = log.Events();
    EXPECT_NE(std::find(events.begin(), events.end(), "key 33 down"), events.end())
        << "sensor 3, after the one whose action asked for the stop, still ran";
    EXPECT_EQ(events.back(), "key 33 up") << "and what it held was let go on the way out";
}

TEST_F(SensorPollerTest, LoopReleasesEverythingOnTheWayOut)
{
    state.beepOnPress = 0;
    Configure(1, ActionGroup::Mouse, int32_t(MouseActionKind::MiddlePressRelease));
    source.value = EightInputValue({1});
    VirtualPacing stop;
    stop.stopAfter = 1;
    RunPollLoop(poller, stop);
    EXPECT_FALSE(held.AnythingHeld());
    EXPECT_EQ(log.Events().back(), "mouse 0040");
}

// The loop on its own thread while this thread changes records, flags and
// inputs, and a timer thread drives the key repetition: the shared state must
// be race-free (this test is run under ThreadSanitizer as well).
TEST(SensorPollingThreads, PollingThreadRunsAlongsideSettingsChangesAndTimers)
{
    QuietPolling quiet;
    auto& [state, input, sounds, clock, shell, timers, settings, held, keys, actions, source, poller] = quiet;
    struct Stop : PollPacing {
        bool StopAsked() override { return stop; }
        int64_t NowMicroseconds() override { return 0; }
        bool PauseUntil(int64_t) override
        {
            std::this_thread::yield();
            return stop;
        }
        std::atomic<bool> stop{false};
    } stop;

    std::thread polling([&] { RunPollLoop(poller, stop); });
    std::thread timerThread([&] {
        while (!stop.stop) {
            keys.OnDelayTimer(timers.generation);
            keys.OnRateTimer(timers.generation);
        }
    });
    // Until both sides have done plenty: the polling thread may start late.
    for (int i = 0; i < 3000 || source.reads < 3000 || input.keys == 0; ++i) {
        SensorAction record = DefaultSensorAction(1);
        record.enabled = 1;
        record.actionGroup = int32_t(i % 2 ? ActionGroup::Keyboard : ActionGroup::Mouse);
        record.autoRepeat = 1;
        record.virtualKey = 'K';
        state.records.Set(i % sensorCount, record);
        state.beepOnPress = i % 2;
        source.value = EightInputValue({1 + i % 8, 1 + (i / 3) % 8});
        if (i % 500 == 499) state.readFailed = false;
        std::this_thread::yield();
    }
    stop.stop = true;
    polling.join();
    timerThread.join();
    EXPECT_FALSE(held.AnythingHeld()) << "the loop let go of everything when it ended";
    EXPECT_GT(input.keys, 0);
}

// The settings rewrite the record of a held sensor as fast as they can
// (another group, another key, switched off) while the polling thread
// presses and releases it: every release must undo its own press, so after
// each one nothing is held. Half of the cycles wait for a rewrite while the
// sensor is held; the others leave it to chance.
TEST(SensorPollingThreads, ReleaseUndoesItsPressWhileTheRecordIsRewrittenAllTheTime)
{
    QuietPolling quiet;
    auto& [state, input, sounds, clock, shell, timers, settings, held, keys, actions, source, poller] = quiet;
    state.beepOnPress = 0;

    std::vector<SensorAction> variants = {
        KeyRecord('A', true, false, false, true),       KeyRecord('B', false, true, true, false),
        MouseRecord(MouseActionKind::LeftPressRelease), MouseRecord(MouseActionKind::RightPressRelease),
        KeyRecord('C', false, false, false, false),
    };
    for (SensorAction& record : variants) record.enabled = 1;
    variants.back().enabled = 0;
    std::atomic<bool> done{false};
    std::atomic<uint32_t> writes{0};
    std::thread settingsThread([&] {
        for (size_t i = 0; !done; ++i) {
            state.records.Set(0, variants[i % variants.size()]);
            ++writes;
        }
    });

    int cyclesLeavingSomethingHeld = 0;
    for (int cycle = 0; cycle < 2000; ++cycle) {
        source.value = EightInputValue({1});
        poller.Cycle();
        const uint32_t writesAtPress = writes;
        while (cycle % 2 && writes == writesAtPress) std::this_thread::yield();
        source.value = EightInputValue({});
        poller.Cycle();
        if (held.AnythingHeld()) ++cyclesLeavingSomethingHeld;
    }
    done = true;
    settingsThread.join();
    EXPECT_EQ(cyclesLeavingSomethingHeld, 0);
    EXPECT_GT(input.keys, 0);
}

}  // namespace
