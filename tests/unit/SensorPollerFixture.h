// What the poller's tests share: the box's value for pressed sensors, a box
// whose reads a test scripts, a poller with recording seams and a state of
// its own, and a quiet poller for the tests with several threads.
#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <initializer_list>
#include <string>
#include <vector>

#include "Fakes.h"
#include "SensorRecords.h"
#include "TestState.h"
#include "sensors/PointerServices.h"
#include "sensors/SensorPolling.h"

using namespace kontakta;  // the tests speak of the core by its plain names

// Sensor n of the eight-input box pressed: bit 7 + n of the inverted value.
inline uint32_t EightInputValue(std::initializer_list<int> pressedSensors)
{
    uint32_t active = idCodeEightInputs;
    for (int sensor : pressedSensors) active |= 1u << (7 + sensor);
    return ~active;
}

// A failing read makes the box unreadable, as the device access does.
class ScriptedSource : public SensorSource {
public:
    explicit ScriptedSource(std::atomic<bool>& readFailed) : readFailed(readFailed) {}
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

private:
    std::atomic<bool>& readFailed;
};

// The pointer of the poller tests: "move 101,100", "wheel 0"
// (WheelDirection values), on one 1920 x 1080 monitor.
class RecordingPointer : public PointerDevice {
public:
    explicit RecordingPointer(EventLog& log, Point start = {100, 100}) : at(start), log(log) {}
    kontakta::Desktop ReadDesktop() override { return kontakta::Desktop({{0, 0, 1920, 1080}}); }
    bool ReadPosition(Point& position) override
    {
        position = at;
        return true;
    }
    bool MoveTo(const kontakta::PixelRect&, Point position) override
    {
        at = position;
        log.Add("move " + std::to_string(position.x) + "," + std::to_string(position.y));
        return true;
    }
    bool TurnWheel(kontakta::WheelDirection direction) override
    {
        log.Add("wheel " + std::to_string(int(direction)));
        return true;
    }
    Point at;

private:
    EventLog& log;
};

// The requests to the main window, logged: "toggle pause", "next profile".
struct RecordingControl : ControlRequests {
    explicit RecordingControl(EventLog& log, bool severalProfiles = false) : log(log), severalProfiles(severalProfiles)
    {
    }
    void TogglePause() override { log.Add("toggle pause"); }
    void NextProfile() override { log.Add("next profile"); }
    bool SeveralProfiles() override { return severalProfiles; }
    EventLog& log;
    bool severalProfiles;
};

class SensorPollerTest : public ::testing::Test {
protected:
    void Configure(int sensor, ActionGroup group, int32_t mouseAction = 0)
    {
        SensorAction record = DefaultSensorAction(sensor);
        record.enabled = 1;
        record.actionGroup = int32_t(group);
        record.mouseAction = mouseAction;
        record.virtualKey = static_cast<uint8_t>('0' + sensor);
        const std::u16string path = u"target" + std::u16string(1, char16_t(u'0' + sensor));
        path.copy(record.path, pathLength - 1);
        state.records.Set(sensor - 1, record);
    }
    Events Cycle(std::initializer_list<int> pressed)
    {
        source.value = EightInputValue(pressed);
        log.Clear();
        poller.Cycle(now += pollPeriodMicroseconds);
        return log.Events();
    }
    int64_t now = 1'000'000;  // the virtual clock of Cycle, a poll period a call

    TestState state;
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
    ScriptedSource source{state.readFailed};
    SensorPoller poller{source, actions, state.shared};
};

// A virtual clock: a pause moves it to its due time; a source may move it on
// by each cycle's own time.
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

// A poller whose actions only count what they send, for the thread tests,
// with a state of its own.
struct QuietPolling {
    TestState state;
    CountingInput input;
    NullSounds sounds;
    ShortClock clock;
    NullShell shell;
    GenerationTimers timers;
    FakeKeyboardSettings settings;
    HeldInputs held{input};
    KeyRepeat keys{held, settings, timers};
    ActionContext actions{held, sounds, clock, keys, shell, shell};
    ScriptedSource source{state.readFailed};
    SensorPoller poller{source, actions, state.shared};
};
