#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <thread>
#include <vector>

#include "Fakes.h"
#include "SensorRecords.h"
#include "sensors/SensorActivity.h"
#include "sensors/SensorPolling.h"

namespace {

// Sensor n of the eight-input box pressed: bit 7 + n of the inverted value.
uint32_t EightInputValue(std::initializer_list<int> pressedSensors)
{
    uint32_t active = idCodeEightInputs;
    for (int sensor : pressedSensors) active |= 1u << (7 + sensor);
    return ~active;
}

TEST(DecodeSensors, EveryInputOfTheEightInputBox)
{
    for (int sensor = 1; sensor <= 8; ++sensor) {
        const auto states = DecodeSensors(~(1u << (7 + sensor)), DeviceKind::EightInputs);
        ASSERT_TRUE(states);
        for (int other = 1; other <= 8; ++other) EXPECT_EQ((*states)[other - 1], other == sensor) << sensor;
    }
}

TEST(DecodeSensors, EveryInputOfTheSixInputBoxInReverseOrder)
{
    for (int sensor = 1; sensor <= 6; ++sensor) {
        const auto states = DecodeSensors(~(1u << (14 - sensor)), DeviceKind::SixInputs);
        ASSERT_TRUE(states);
        for (int other = 1; other <= 8; ++other) EXPECT_EQ((*states)[other - 1], other == sensor) << sensor;
    }
    const auto allLow = DecodeSensors(0, DeviceKind::SixInputs);
    EXPECT_FALSE((*allLow)[6]) << "sensor 7 of the six-input box is always released";
    EXPECT_FALSE((*allLow)[7]);
}

TEST(DecodeSensors, OtherBitsAreIgnoredAndAnUnknownKindGivesNothing)
{
    const auto states = DecodeSensors(0xFFFF00FFu & ~0x0u, DeviceKind::EightInputs);
    for (bool pressed : *states) EXPECT_TRUE(pressed);
    const auto none = DecodeSensors(0x0000FFFFu, DeviceKind::EightInputs);
    for (bool pressed : *none) EXPECT_FALSE(pressed) << "bits 16..31 and 0..7 do not matter";
    EXPECT_FALSE(DecodeSensors(0, DeviceKind::None));
    EXPECT_FALSE(DecodeSensors(0, static_cast<DeviceKind>(7)));
}

class ScriptedSource : public SensorSource {
public:
    bool ReadInputs(uint32_t& value, DeviceKind& kind) override
    {
        ++reads;
        if (fails) {
            readFailed = true;
            return false;
        }
        value = this->value;
        kind = this->kind;
        return true;
    }
    std::atomic<uint32_t> value{EightInputValue({})};
    std::atomic<DeviceKind> kind{DeviceKind::EightInputs};
    std::atomic<bool> fails{false};
    std::atomic<int> reads{0};
};

class SensorPollerTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ResetSettingsToDefaults();
        startupPending = false;
        readFailed = false;
    }
    void TearDown() override
    {
        ResetSettingsToDefaults();
        startupPending = true;
        readFailed = true;
        sensorFilters.Reset();
        sensorActivity.ResetCounters();
        sensorsPaused = false;
        actionsSuspended = false;
    }
    void Configure(int sensor, ActionGroup group, int32_t mouseAction = 0)
    {
        SensorAction record = DefaultSensorAction(sensor);
        record.enabled = 1;
        record.actionGroup = int32_t(group);
        record.mouseAction = mouseAction;
        record.virtualKey = static_cast<uint8_t>('0' + sensor);
        const std::u16string path = u"target" + std::u16string(1, char16_t(u'0' + sensor));
        path.copy(record.path, pathLength - 1);
        sensorActions.Set(sensor - 1, record);
    }
    Events Cycle(std::initializer_list<int> pressed)
    {
        source.value = EightInputValue(pressed);
        log.Clear();
        poller.Cycle();
        return log.Events();
    }

    EventLog log;
    RecordingInput recorder{log};
    HeldInputs held{recorder};
    RecordingSounds sounds{log};
    FakeClock clock{log};
    FakeKeyboardSettings settings;
    RecordingTimers timers{log};
    KeyRepeat keys{held, settings, timers};
    RecordingShell shell{log};
    ActionContext actions{held, sounds, clock, keys, shell, shell};
    ScriptedSource source;
    SensorPoller poller{source, actions};
};

TEST_F(SensorPollerTest, NothingIsReadWhileStartupIsPendingOrTheBoxIsUnreadable)
{
    startupPending = true;
    poller.Cycle();
    startupPending = false;
    readFailed = true;
    poller.Cycle();
    EXPECT_EQ(source.reads, 0);
}

TEST_F(SensorPollerTest, SensorAlreadyPressedAtStartGivesAPressInTheFirstCycle)
{
    Configure(1, ActionGroup::Mouse, int32_t(MouseActionKind::LeftPressRelease));
    beepOnPress = 0;
    EXPECT_EQ(Cycle({1}), (Events{"mouse 0002", "sleep 5"}));
    EXPECT_TRUE(Cycle({1}).empty()) << "no change, no event";
    EXPECT_EQ(Cycle({}), (Events{"mouse 0004", "sleep 5"}));
}

TEST_F(SensorPollerTest, PressSoundComesBeforeTheActionAlsoForAGroupWithoutAction)
{
    Configure(2, ActionGroup::Mouse, int32_t(MouseActionKind::RightPressRelease));
    EXPECT_EQ(Cycle({2}), (Events{"press sound", "mouse 0008", "sleep 5"}));
    EXPECT_EQ(Cycle({}), (Events{"mouse 0010", "sleep 5"})) << "no sound on release";

    SensorAction odd = sensorActions.Get(1);
    odd.actionGroup = 9;  // cannot come from a checked file, but from a bad write
    sensorActions.Set(1, odd);
    EXPECT_EQ(Cycle({2}), (Events{"press sound"}));
}

TEST_F(SensorPollerTest, SensorEnabledWhileHeldDoesNothingAtItsReleaseButActsAtItsNextPress)
{
    Configure(3, ActionGroup::Keyboard);
    SensorAction record = sensorActions.Get(2);
    record.enabled = 0;
    sensorActions.Set(2, record);
    beepOnPress = 0;
    EXPECT_TRUE(Cycle({3}).empty());
    record.enabled = 1;
    sensorActions.Set(2, record);
    EXPECT_TRUE(Cycle({3}).empty()) << "still held: no event";
    EXPECT_TRUE(Cycle({}).empty()) << "its press did nothing, so its release undoes nothing";
    EXPECT_EQ(Cycle({3}), (Events{"timers stop", "key 33 down"}));
}

TEST_F(SensorPollerTest, SeveralChangesInOneCycleRunInSensorOrder)
{
    beepOnPress = 0;
    Configure(5, ActionGroup::Keyboard);
    Configure(2, ActionGroup::Keyboard);
    Configure(8, ActionGroup::Keyboard);
    EXPECT_EQ(Cycle({8, 2, 5}), (Events{"timers stop", "key 32 down", "timers stop", "key 35 down", "timers stop",
                                        "key 38 down"}));
}

TEST_F(SensorPollerTest, RunFileSensorActsAndSoundsOnPressOnly)
{
    Configure(4, ActionGroup::RunFile);
    EXPECT_EQ(Cycle({4}), (Events{"press sound", "open target4"}));
    EXPECT_TRUE(Cycle({}).empty());
}

// The settings may change or switch off a held sensor's record at any time;
// its release must still undo exactly what its press did.
TEST_F(SensorPollerTest, ReleaseUndoesItsPressWhateverHappenedToTheRecordMeanwhile)
{
    beepOnPress = 0;
    auto pressChangeRelease = [&](const SensorAction& atPress, auto change) {
        sensorActions.Set(0, atPress);
        Cycle({1});
        SensorAction record = atPress;
        change(record);
        sensorActions.Set(0, record);
        return Cycle({});
    };
    SensorAction repeatingKey = KeyRecord('A', true, false, false, true);
    repeatingKey.enabled = 1;
    SensorAction leftButton = MouseRecord(MouseActionKind::LeftPressRelease);
    leftButton.enabled = 1;

    EXPECT_EQ(pressChangeRelease(repeatingKey,
                                 [](SensorAction& r) {
                                     r.virtualKey = 'Z';
                                     r.ctrl = 0;
                                     r.shift = 1;
                                     r.autoRepeat = 0;
                                 }),
              (Events{"timers stop", "key 11 up", "key 41 up"}))
        << "another key";
    EXPECT_EQ(keys.CurrentState(), KeyRepeat::State::NoRepeat);
    EXPECT_EQ(pressChangeRelease(repeatingKey,
                                 [](SensorAction& r) {
                                     r.actionGroup = int32_t(ActionGroup::Mouse);
                                     r.mouseAction = int32_t(MouseActionKind::RightPressRelease);
                                 }),
              (Events{"timers stop", "key 11 up", "key 41 up"}))
        << "another group";
    EXPECT_EQ(keys.CurrentState(), KeyRepeat::State::NoRepeat);
    EXPECT_EQ(pressChangeRelease(repeatingKey, [](SensorAction& r) { r.enabled = 0; }),
              (Events{"timers stop", "key 11 up", "key 41 up"}))
        << "switched off";
    EXPECT_EQ(keys.CurrentState(), KeyRepeat::State::NoRepeat);
    EXPECT_EQ(pressChangeRelease(leftButton, [](SensorAction& r) { r.actionGroup = int32_t(ActionGroup::Keyboard); }),
              (Events{"mouse 0004", "sleep 5"}))
        << "a button to a key";
    EXPECT_EQ(pressChangeRelease(leftButton, [](SensorAction& r) { r.enabled = 0; }),
              (Events{"mouse 0004", "sleep 5"}))
        << "a button switched off";
    EXPECT_FALSE(held.AnythingHeld());
}

TEST_F(SensorPollerTest, SixInputBoxNeverReportsSensorsSevenAndEight)
{
    beepOnPress = 0;
    Configure(7, ActionGroup::Keyboard);
    Configure(8, ActionGroup::Keyboard);
    source.kind = DeviceKind::SixInputs;
    source.value = 0;  // every bit low: every input held
    log.Clear();
    poller.Cycle();
    for (const std::string& event : log.Events()) EXPECT_EQ(event.find("key 3"), std::string::npos) << event;
}

TEST_F(SensorPollerTest, UnknownKindBeepsAndChangesNothing)
{
    Configure(1, ActionGroup::Keyboard);
    source.kind = DeviceKind::None;
    EXPECT_EQ(Cycle({1}), (Events{"error beep"}));
    EXPECT_FALSE(poller.LastSensorState()[0]);
    source.kind = DeviceKind::EightInputs;
    EXPECT_NE(Cycle({1}), Events{}) << "the press comes once the kind is known";
}

TEST_F(SensorPollerTest, LostBoxLetsGoOfHeldKeysAndButtonsOnceAndTheirLaterReleaseSendsNothingTwice)
{
    beepOnPress = 0;
    SensorAction key = DefaultSensorAction(1);
    key.enabled = 1;
    key.actionGroup = int32_t(ActionGroup::Keyboard);
    key.virtualKey = 0x09;
    key.alt = 1;
    key.autoRepeat = 1;
    sensorActions.Set(0, key);
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
    readFailed = false;
    EXPECT_TRUE(Cycle({}).empty());
    Cycle({2});
    EXPECT_EQ(Cycle({}), (Events{"mouse 0004", "sleep 5"})) << "the next press and release work as before";
}

// Cycles 20 ms apart from `start`, one switch state each ('#' pressed).
Events CyclesEvery20Ms(SensorPoller& poller, ScriptedSource& source, EventLog& log, int sensor,
                       const std::string& states, int64_t& now)
{
    log.Clear();
    for (char state : states) {
        source.value = EightInputValue(state == '#' ? std::initializer_list<int>{sensor} : std::initializer_list<int>{});
        poller.Cycle(now);
        now += 20000;
    }
    return log.Events();
}

TEST_F(SensorPollerTest, FiltersSwallowTouchesAndBouncesAndAReleaseStillUndoesItsPress)
{
    beepOnPress = 1;
    Configure(1, ActionGroup::Mouse, int32_t(MouseActionKind::LeftPressRelease));
    sensorFilters.Set(0, {60, 100});
    int64_t now = 1000000;
    EXPECT_TRUE(CyclesEvery20Ms(poller, source, log, 1, "_##_", now).empty()) << "a 40 ms touch: not even the sound";
    EXPECT_EQ(sensorActivity.IgnoredTouches(0), 1u);
    EXPECT_EQ(CyclesEvery20Ms(poller, source, log, 1, "####", now), (Events{"press sound", "mouse 0002", "sleep 5"}))
        << "held for 60 ms: the press acts then";
    // Switched off while held: its release still lets go of the button.
    SensorAction record = sensorActions.Get(0);
    record.enabled = 0;
    sensorActions.Set(0, record);
    EXPECT_EQ(CyclesEvery20Ms(poller, source, log, 1, "_", now), (Events{"mouse 0004", "sleep 5"}));
    record.enabled = 1;
    sensorActions.Set(0, record);
    EXPECT_TRUE(CyclesEvery20Ms(poller, source, log, 1, "_#####_", now).empty()) << "a bounce in the lockout";
    EXPECT_EQ(sensorActivity.Presses(0), 1u);
    EXPECT_EQ(sensorActivity.IgnoredTouches(0), 2u);
}

TEST_F(SensorPollerTest, PausedOrSuspendedSensorsLightAndCountButDoNothing)
{
    beepOnPress = 1;
    Configure(1, ActionGroup::Keyboard);
    actionsSuspended = true;
    EXPECT_TRUE(Cycle({1}).empty());
    EXPECT_TRUE(sensorActivity.SwitchPressed(0));
    EXPECT_EQ(sensorActivity.Presses(0), 1u);
    EXPECT_TRUE(Cycle({}).empty());
    EXPECT_FALSE(sensorActivity.SwitchPressed(0));
    actionsSuspended = false;

    Cycle({1});
    sensorsPaused = true;
    poller.RequestRelease();  // as the pause from the tray menu asks
    EXPECT_EQ(Cycle({1}), (Events{"timers stop", "key 31 up"}));
    EXPECT_TRUE(Cycle({}).empty()) << "let go already: its release sends nothing";
    EXPECT_TRUE(Cycle({1}).empty()) << "paused";
    Cycle({});
    sensorsPaused = false;
    EXPECT_EQ(Cycle({1}), (Events{"press sound", "timers stop", "key 31 down"}));
}

TEST_F(SensorPollerTest, HeldInputsAreLetGoOnRequestAndWhenTheBoxIsClosedElsewhere)
{
    beepOnPress = 0;
    Configure(1, ActionGroup::Mouse, int32_t(MouseActionKind::LeftPressRelease));
    Cycle({1});
    poller.RequestRelease();
    EXPECT_EQ(Cycle({1}), (Events{"timers stop", "mouse 0004"}));
    EXPECT_TRUE(Cycle({1}).empty()) << "once per request";

    Cycle({});
    Cycle({1});
    readFailed = true;  // the device access closed the kit; no read has failed
    const int reads = source.reads;
    EXPECT_EQ(Cycle({1}), (Events{"timers stop", "mouse 0004"}));
    EXPECT_TRUE(Cycle({1}).empty()) << "once per loss";
    EXPECT_EQ(source.reads, reads);
    EXPECT_FALSE(held.AnythingHeld());
}

// A virtual clock: a pause moves it to its due time; the reads of
// ScriptedClockSource move it on by each cycle's own time.
struct VirtualPacing : PollPacing {
    bool StopAsked() override { return ++asked > stopAfter; }
    int64_t NowMicroseconds() override { return now; }
    bool PauseUntil(int64_t due) override
    {
        dues.push_back(due - start);
        now = std::max(now, due);
        return StopAsked();
    }
    int64_t start = 5000000;
    int64_t now = start;
    int asked = 0;
    int stopAfter = 0;
    std::vector<int64_t> dues;  // from the start
};

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
    SensorPoller timedPoller(timed, actions);
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
    beepOnPress = 0;
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
    SensorPoller stoppingPoller(source, stopping);
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
    beepOnPress = 0;
    Configure(1, ActionGroup::Mouse, int32_t(MouseActionKind::MiddlePressRelease));
    source.value = EightInputValue({1});
    VirtualPacing stop;
    stop.stopAfter = 1;
    RunPollLoop(poller, stop);
    EXPECT_FALSE(held.AnythingHeld());
    EXPECT_EQ(log.Events().back(), "mouse 0040");
}

// Seams that only count, for the tests with several threads.
struct CountingInput : InputSink {
    bool SendMouseButton(uint32_t) override { return true; }
    void SendKey(uint8_t, bool) override { ++keys; }
    std::atomic<int> keys{0};
};
struct NullSounds : Sounds {
    void PlayPressSound() override {}
    void ErrorBeep() override {}
};
struct ShortClock : Clock {
    void Sleep(uint32_t) override { std::this_thread::yield(); }
};
struct NullShell : Shell, FailureMessages {
    bool OpenTarget(const std::u16string&) override { return true; }
    void ShowFailure(const std::u16string&) override {}
};

// A poller whose actions only count what they send, for the thread tests,
// with the program's shared state ready for polling while it lives.
struct QuietPolling {
    QuietPolling()
    {
        ResetSettingsToDefaults();
        startupPending = false;
        readFailed = false;
    }
    ~QuietPolling()
    {
        ResetSettingsToDefaults();
        startupPending = true;
        readFailed = true;
    }
    CountingInput input;
    NullSounds sounds;
    ShortClock clock;
    NullShell shell;
    GenerationTimers timers;
    FakeKeyboardSettings settings;
    HeldInputs held{input};
    KeyRepeat keys{held, settings, timers};
    ActionContext actions{held, sounds, clock, keys, shell, shell};
    ScriptedSource source;
    SensorPoller poller{source, actions};
};

// The loop on its own thread while this thread changes records, flags and
// inputs, and a timer thread drives the key repetition: the shared state must
// be race-free (this test is run under ThreadSanitizer as well).
TEST(SensorPollingThreads, PollingThreadRunsAlongsideSettingsChangesAndTimers)
{
    QuietPolling quiet;
    auto& [input, sounds, clock, shell, timers, settings, held, keys, actions, source, poller] = quiet;
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
        sensorActions.Set(i % sensorCount, record);
        beepOnPress = i % 2;
        source.value = EightInputValue({1 + i % 8, 1 + (i / 3) % 8});
        if (i % 500 == 499) readFailed = false;
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
    auto& [input, sounds, clock, shell, timers, settings, held, keys, actions, source, poller] = quiet;
    beepOnPress = 0;

    std::vector<SensorAction> variants = {
        KeyRecord('A', true, false, false, true),
        KeyRecord('B', false, true, true, false),
        MouseRecord(MouseActionKind::LeftPressRelease),
        MouseRecord(MouseActionKind::RightPressRelease),
        KeyRecord('C', false, false, false, false),
    };
    for (SensorAction& record : variants) record.enabled = 1;
    variants.back().enabled = 0;
    std::atomic<bool> done{false};
    std::atomic<uint32_t> writes{0};
    std::thread settingsThread([&] {
        for (size_t i = 0; !done; ++i) {
            sensorActions.Set(0, variants[i % variants.size()]);
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
