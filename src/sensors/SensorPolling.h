// Turning the input box into sensor events: decoding the input value, finding
// the sensors whose state changed, and running their actions in sensor order.
// The loop runs on the polling thread; everything it needs from the system
// comes through the seams below, so it is tested natively, under
// ThreadSanitizer as well.
#pragma once

#include <array>
#include <atomic>
#include <cstdint>
#include <optional>

#include "sensors/ActionServices.h"
#include "sensors/DeviceAccess.h"
#include "sensors/HeldInputs.h"
#include "sensors/KeyAction.h"
#include "sensors/MouseAction.h"
#include "sensors/Latch.h"
#include "sensors/PointerActions.h"
#include "sensors/ScanActions.h"
#include "sensors/SensorAction.h"
#include "sensors/SensorFilter.h"
#include "sensors/SharedState.h"

namespace kontakta {

using SensorStates = std::array<bool, sensorCount>;  // true = pressed, sensor 1 first

// Where the polling reads the box: the input value and the kind of box at the
// moment of the read. False when the read failed or the box is unreadable.
class SensorSource {
public:
    virtual ~SensorSource() = default;
    virtual bool ReadInputs(uint32_t& value, DeviceKind& kind) = 0;
};

// The polling thread's clock and its pause between two cycles, which a stop
// ends at once. Times are microseconds of a clock that only runs forward (not
// the time of day, which the user may set back).
class PollPacing {
public:
    virtual ~PollPacing() = default;
    // Whether the stop was asked for, without waiting.
    virtual bool StopAsked() = 0;
    virtual int64_t NowMicroseconds() = 0;
    // Waits until `due` (returns at once if it has passed) or until the stop
    // is asked for, whichever comes first; true when the stop was asked for.
    // The thread needs this one wait per cycle.
    virtual bool PauseUntil(int64_t due) = 0;
};

constexpr int64_t pollPeriodMicroseconds = 20000;

// When the next cycle is due, on a fixed 20 ms schedule: one period after
// the previous due time, so the cycle's own time (the read, the actions)
// does not stretch the period. A cycle that ran past the next due time
// by more than a whole period (a slow action) starts the schedule anew at
// `now`: the missed cycles are not made up in a burst.
int64_t NextPollDue(int64_t previousDue, int64_t now);

// What the actions of the sensors act through. `input` notes what it holds
// down, so that it can all be let go.
struct ActionContext {
    HeldInputs& input;
    Sounds& sounds;
    Clock& clock;
    KeyRepeat& keys;
    Shell& shell;
    FailureMessages& messages;
    // The pointer and wheel sensors, and Kontakta's own steering; without
    // them those sensors do nothing.
    PointerActions* pointer = nullptr;
    ControlRequests* control = nullptr;
    // The scan of "Bildschirm abtasten"; without it those sensors do nothing.
    ScanActions* scan = nullptr;
};

// The states the box reports. A pressed input reads as a 0 bit, so the value
// is inverted first; the sensors are bits 8 to 15. Input n of the eight-input
// box is bit 7 + n, of the six-input box bit 14 - n; sensors 7 and 8 of the
// six-input box are always released. No states for an unknown kind.
std::optional<SensorStates> DecodeSensors(uint32_t value, DeviceKind kind);

// One state change of a sensor with `record`: the press sound (when
// `pressSound` and the sensor was pressed), then the action of the record's
// group. A run-file sensor acts on its press only; an unknown group does
// nothing. A mouse action's events go through `clicks`: the first at once,
// the rest when due. `keyExtras` go with a key action (the Windows key, a
// modifier alone).
void DispatchSensorEdge(const SensorAction& record, bool pressed, bool pressSound, ActionContext& actions,
                        MouseSchedule& clicks, int64_t nowMicroseconds, const KeyExtras& keyExtras = {});

// Whether a sensor with `record` and `extras` latches ("Einrasten"): its
// latch is ticked and its action is a mouse press/release kind or a key
// action of the block's groups.
bool LatchesInput(const SensorAction& record, const kontakta::SensorExtras& extras);

// One cycle at a time, with the state of the previous cycle. Used by the
// polling thread only.
class SensorPoller {
public:
    // `shared` is read at every cycle: a change made by another thread takes
    // effect at the next cycle.
    SensorPoller(SensorSource& source, ActionContext& actions, const SharedState& shared);

    // Carries out a requested release first, then a requested retry. Then reads the box once (unless
    // start-up is pending or the box is unreadable), decodes it, and
    // dispatches every change, sensor 1 first, as the sensor's timing
    // filters let it through (sensors/SensorFilter.h): a press counts when
    // it has been held for the hold time and does not start in a lockout;
    // `now` (microseconds of a clock that only runs forward) times them.
    // A press that counts runs the sensor's record as it is now, if it is
    // enabled and the actions are neither paused nor suspended for testing;
    // the release runs exactly the record its press ran, whatever happened
    // to the record in between, and nothing if the press ran nothing. So a
    // record changed or switched off while its sensor is held never leaves
    // a key or button down, nor a key repeating. When the box becomes
    // unreadable (a failed read, or the device access closed it), everything
    // the sensors hold down is let go, and so are the presses: their later
    // releases have nothing left to undo. Every switch's state and every
    // counted press and ignored touch are published for the test page. An
    // unknown kind of box sounds the error beep and lets go as a lost box does.
    //
    // A sensor of a later group (sensors/ActionOptions.h) acts by its group:
    // the pointer and the wheel through `actions.pointer`, "Sensoren
    // pausieren / fortsetzen" through `actions.control`, "Alle Tasten
    // loslassen" by letting go at once. While paused or suspended only the
    // pause's own sensors act (kontakta::MayAct).
    //
    // "Bildschirm abtasten" drives `actions.scan`: a counted press starts a
    // scan, and each further counted press chooses with the time of the
    // first cycle that saw it (SensorFilter::PressStart), so the hold time
    // does not shift the choice and a touch shorter than it chooses nothing;
    // "Abtasten: weiter" steps it, and makes a scan started while such a
    // sensor is on a step scan. The scan advances at every cycle and at its
    // own due times (AdvanceMotion), waits for a press whose hold time runs,
    // and ends, with nothing done, when the actions are held back or no
    // scan sensor is on any more (a held drag's button is let go then), when
    // everything is let go (a held drag
    // is forgotten, its button let go with the rest), and at
    // RequestScanCancel.
    //
    // A latching sensor (LatchesInput) holds its input from its first
    // counted press to its next, and its switch's releases do nothing; the
    // let-go undoes exactly what the press did, with the press's record
    // and extras. Latched input is let go, and the next press latches
    // afresh, by everything that lets go (above, RequestRelease,
    // ReleaseHeldInputs), and at the start of a cycle when its sensor's
    // live record or extras are no longer those it latched with (switched
    // off, another action) or the actions are held back. A latch plays the
    // latch sound instead of the press sound, and a let-go the let-go sound
    // (not while paused: the pause has its own). The latched sensors are
    // published in `shared.activity`.
    void Cycle(int64_t nowMicroseconds = 0);

    // Moves the pointer, turns the wheels, sends the clicks' later events
    // and advances the scan as far as `now` asks, between two cycles. When it is needed next;
    // nothing while nothing moves or waits.
    void AdvanceMotion(int64_t nowMicroseconds);
    std::optional<int64_t> NextMotionDue() const;

    // Ends the key repetition and releases every key and button that is held,
    // latched ones too, silently. Polling thread only.
    void ReleaseHeldInputs();

    // Asks the polling thread to release everything held at its next cycle.
    // Any thread; it does not wait.
    void RequestRelease() { releaseRequested = true; }

    // Asks the polling thread to let go of everything held or latched at its
    // next cycle, for a switch of profile: called before the new profile's
    // settings go into the live tables. A sensor held at the switch (its
    // press counted or not yet) acts only after it was released and pressed
    // again, and a press that comes in the cycle that runs while the switch
    // is asked for waits for its release as well, so nothing of the new
    // profile is started and let go at once. Any thread; it does not wait.
    void RequestSwitchLetGo() { switchRequested = true; }

    // Asks the polling thread to send again, at its next cycle, the releases
    // that the system refused (HeldInputs::RetryRefusedReleases); when there
    // are any, the key repetition ends first. Any thread; it does not wait.
    void RequestRetry() { retryRequested = true; }

    // Asks the polling thread to end a running scan at its next cycle, and
    // nothing happens (the monitors changed: its lines and positions are of
    // the old ones); a held drag stays held. Any thread; it does not wait.
    void RequestScanCancel() { scanCancelRequested = true; }

    // The switch states of the last decoded cycle, kept across lost and
    // re-opened boxes.
    const SensorStates& LastSensorState() const { return lastSensorState; }

private:
    SensorSource& source;
    ActionContext& actions;
    const SharedState shared;
    std::atomic<bool> releaseRequested{false};
    std::atomic<bool> retryRequested{false};
    std::atomic<bool> scanCancelRequested{false};
    std::atomic<bool> switchRequested{false};
    // Per sensor: held at a switch of profile; its presses count again once
    // it was released.
    SensorStates heldAtSwitch{};
    bool boxLost = true;  // unreadable at the last look, or not read yet: nothing is held
    SensorStates lastSensorState{};
    // Lets go of everything held and forgets what the presses did.
    void LetGo();

    // Per sensor, the record its last press was dispatched with; empty when
    // the press ran nothing (or the sensor is released, or was let go).
    std::array<std::optional<SensorAction>, sensorCount> pressedWith{};
    // What the sensor's press had beyond its record, as pressedWith.
    std::array<kontakta::SensorExtras, sensorCount> pressedExtras{};
    void PressLaterGroup(int index, const kontakta::SensorExtras& extras, const kontakta::ActionsSettings& options,
                         bool pressSound, int64_t nowMicroseconds);
    // A counted press of a scan sensor: the scan starts, or the press
    // chooses what was drawn when it began.
    void PressScan(int index, const kontakta::ActionsSettings& options, int64_t nowMicroseconds);
    // Whether a scan sensor is down and its hold time still runs.
    bool ScanPressUnderWay() const;
    // Whether a sensor is switched on with "Bildschirm abtasten".
    bool ScanSensorOn() const;

    // The latches: per sensor, the record and extras its latch was made
    // with, while it is latched.
    kontakta::SensorLatches latches;
    std::array<std::optional<SensorAction>, sensorCount> latchedWith{};
    std::array<kontakta::SensorExtras, sensorCount> latchedExtras{};
    int64_t cycleNow = 0;  // the time of the cycle that runs, for the latches' clicks
    void Latch(int index, const SensorAction& record, const kontakta::SensorExtras& extras);
    void Unlatch(int index, bool sound);
    void LetGoStaleLatches(bool actionsHeldBack);
    void ForgetLatches();
    void PublishLatches();
    void PublishScanning();
    std::array<SensorFilter, sensorCount> filters{};
    // The button events still to come of the clicks (their gaps are not slept).
    MouseSchedule clicks;
};

// The polling thread's loop: a cycle every 20 ms (NextPollDue), and while
// the pointer moves, a wheel turns or a click waits, also the updates due
// between them (SensorPoller::NextMotionDue), with each pause ended by the
// stop, until the stop is asked for (also looked at once before the first
// cycle). A stop asked for during a cycle
// takes effect after the whole cycle. On the way out everything held is
// released.
void RunPollLoop(SensorPoller& poller, PollPacing& pacing);

}  // namespace kontakta
