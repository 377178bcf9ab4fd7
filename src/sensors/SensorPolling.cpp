#include "sensors/SensorPolling.h"

#include <algorithm>
#include <cstring>

#include "sensors/MouseAction.h"
#include "sensors/RunFileAction.h"

namespace kontakta {

std::optional<SensorStates> DecodeSensors(uint32_t value, DeviceKind kind)
{
    const uint32_t active = ~value;
    SensorStates states{};
    switch (kind) {
    case DeviceKind::EightInputs:
        for (int sensor = 1; sensor <= 8; ++sensor) states[sensor - 1] = (active >> (7 + sensor)) & 1;
        return states;
    case DeviceKind::SixInputs:
        for (int sensor = 1; sensor <= 6; ++sensor) states[sensor - 1] = (active >> (14 - sensor)) & 1;
        return states;
    default: return std::nullopt;
    }
}

namespace {

KeyExtras KeyExtrasOf(const kontakta::SensorExtras& extras)
{
    return {extras.win, extras.modifierAlone};
}

bool SameRecord(const SensorAction& a, const SensorAction& b)
{
    // The padding is spelled out in the record, so its bytes compare whole.
    return std::memcmp(&a, &b, sizeof a) == 0;
}

}  // namespace

bool LatchesInput(const SensorAction& record, const kontakta::SensorExtras& extras)
{
    if (!extras.latch || extras.group != kontakta::blockGroup) return false;
    switch (static_cast<ActionGroup>(record.actionGroup)) {
    case ActionGroup::Mouse:
        return record.mouseAction == int32_t(MouseActionKind::LeftPressRelease) ||
               record.mouseAction == int32_t(MouseActionKind::MiddlePressRelease) ||
               record.mouseAction == int32_t(MouseActionKind::RightPressRelease);
    case ActionGroup::Keyboard: return true;
    default: return false;
    }
}

void DispatchSensorEdge(const SensorAction& record, bool pressed, bool pressSound, ActionContext& actions,
                        MouseSchedule& clicks, int64_t nowMicroseconds, const KeyExtras& keyExtras)
{
    if (pressSound && pressed) actions.sounds.PlayPressSound();
    switch (static_cast<ActionGroup>(record.actionGroup)) {
    case ActionGroup::Mouse:
        clicks.Add(record, pressed, nowMicroseconds);
        clicks.SendDue(nowMicroseconds, actions.input, actions.sounds);
        break;
    case ActionGroup::RunFile:
        if (pressed) PerformRunFileAction(record, actions.shell, actions.messages);
        break;
    case ActionGroup::Keyboard: actions.keys.PerformKeyAction(record, pressed, keyExtras); break;
    }
}

SensorPoller::SensorPoller(SensorSource& source, ActionContext& actions, const SharedState& shared)
    : source(source), actions(actions), shared(shared)
{
}

void SensorPoller::Cycle(int64_t nowMicroseconds)
{
    cycleNow = nowMicroseconds;
    if (releaseRequested.exchange(false)) LetGo();
    if (scanCancelRequested.exchange(false) && actions.scan) actions.scan->Cancel();
    if (switchRequested.exchange(false)) {
        LetGo();
        heldAtSwitch = lastSensorState;
    }
    if (retryRequested.exchange(false) && actions.input.ReleasesRefused()) {
        actions.keys.Stop();
        actions.input.RetryRefusedReleases();
    }
    if (shared.startupPending) return;
    uint32_t value = 0;
    DeviceKind kind = DeviceKind::None;
    if (shared.readFailed || !source.ReadInputs(value, kind)) {
        // The box is gone: nothing may stay held, because the release
        // events will not come until it is back. Once is enough; nothing
        // new is pressed while it is gone.
        if (!boxLost) LetGo();
        boxLost = true;
        return;
    }
    const std::optional<SensorStates> states = DecodeSensors(value, kind);
    if (!states) {
        // A box of a kind nobody knows tells no releases either: as for a
        // lost box, nothing may stay held, and nothing moves on by itself.
        if (!boxLost) LetGo();
        boxLost = true;
        actions.sounds.ErrorBeep();
        return;
    }
    boxLost = false;
    const uint64_t now = nowMicroseconds > 0 ? uint64_t(nowMicroseconds) / 1000 : 0;
    const bool actionsHeldBack = shared.sensorsPaused || shared.actionsSuspended;
    const bool pressSound = shared.beepOnPress != 0;
    LetGoStaleLatches(actionsHeldBack);
    // The pause and the test page's suspension end a scan: nothing may click
    // while the actions are held back. So does a scan sensor switched off or
    // given another action, as a latch's would: with none left nobody could
    // drop a held drag.
    if (actions.scan && (actions.scan->Active() || actions.scan->DragHeld()) && (actionsHeldBack || !ScanSensorOn()))
        actions.scan->HoldBack();
    uint32_t pressedBits = 0;
    for (int index = 0; index < sensorCount; ++index) pressedBits |= uint32_t((*states)[index]) << index;
    shared.activity.PublishSwitches(pressedBits);
    for (int index = 0; index < sensorCount; ++index) {
        const bool pressed = (*states)[index];
        std::optional<SensorAction>& pressRecord = pressedWith[static_cast<size_t>(index)];
        bool& waitsForRelease = heldAtSwitch[static_cast<size_t>(index)];
        if (!pressed) waitsForRelease = false;
        switch (filters[static_cast<size_t>(index)].Update(pressed, now, shared.filters.Get(index))) {
        case SensorFilter::Event::Press: {
            shared.activity.CountPress(index);
            const SensorAction record = shared.records.Get(index);
            const kontakta::ActionsSettings options = shared.options.Get();
            const kontakta::SensorExtras& extras = options.sensors[static_cast<size_t>(index)];
            pressRecord.reset();
            // Read after the record: a record of a new profile comes with
            // the switch's request already visible, so it never acts before
            // the let-go (the request is made before the tables change).
            if (switchRequested) waitsForRelease = true;
            if (waitsForRelease) break;
            // A latched sensor's next press lets go (kontakta::SensorLatches);
            // neither it nor the latch's press leaves anything for the
            // switch's release to do.
            if (latches.Latched(index)) {
                Unlatch(index, true);
                break;
            }
            if (!record.enabled ||
                !kontakta::MayAct(kontakta::EffectiveGroup(record, extras), extras.action, actionsHeldBack))
                break;
            if (LatchesInput(record, extras)) {
                Latch(index, record, extras);
                break;
            }
            pressRecord = record;
            pressedExtras[static_cast<size_t>(index)] = extras;
            if (extras.group == kontakta::blockGroup)
                DispatchSensorEdge(record, true, pressSound, actions, clicks, nowMicroseconds, KeyExtrasOf(extras));
            else
                PressLaterGroup(index, extras, options, pressSound, nowMicroseconds);
            break;
        }
        case SensorFilter::Event::Release:
            if (pressRecord) {
                // The settings may have changed the live record while the
                // sensor was held; only the press's own record undoes it.
                const SensorAction record = *pressRecord;
                pressRecord.reset();
                const kontakta::SensorExtras& extras = pressedExtras[static_cast<size_t>(index)];
                if (extras.group == kontakta::blockGroup)
                    DispatchSensorEdge(record, false, pressSound, actions, clicks, nowMicroseconds,
                                       KeyExtrasOf(extras));
                else if (actions.pointer)
                    actions.pointer->Release(index);
            }
            break;
        case SensorFilter::Event::IgnoredTouch: shared.activity.CountIgnoredTouch(index); break;
        case SensorFilter::Event::None: break;
        }
    }
    lastSensorState = *states;
    AdvanceMotion(nowMicroseconds);
    PublishScanning();
}

void SensorPoller::PublishScanning()
{
    // For the per-program profiles: a switch must not cut a scan or a drag
    // between programs.
    shared.activity.PublishScanning(actions.scan && (actions.scan->Active() || actions.scan->DragHeld()));
}

void SensorPoller::PressLaterGroup(int index, const kontakta::SensorExtras& extras,
                                   const kontakta::ActionsSettings& options, bool pressSound, int64_t nowMicroseconds)
{
    using kontakta::Group;
    const bool pauseToggle =
        extras.group == int32_t(Group::Control) && extras.action == int32_t(kontakta::ControlAction::PauseOrResume);
    const bool nextProfile =
        extras.group == int32_t(Group::Control) && extras.action == int32_t(kontakta::ControlAction::NextProfile);
    // The pause, the resume and the switch play sounds of their own instead.
    if (pressSound && !pauseToggle && !nextProfile) actions.sounds.PlayPressSound();
    switch (Group(extras.group)) {
    case Group::MovePointer:
    case Group::Wheel:
        if (actions.pointer)
            actions.pointer->Press(index, extras, options, uint64_t(std::max<int64_t>(nowMicroseconds, 0)));
        break;
    case Group::Control:
        if (pauseToggle) {
            if (actions.control) actions.control->TogglePause();
        } else if (nextProfile) {
            if (actions.control) actions.control->NextProfile();
        } else if (extras.action == int32_t(kontakta::ControlAction::ReleaseAll)) {
            LetGo();
        } else if (extras.action == int32_t(kontakta::ControlAction::ScanScreen)) {
            PressScan(index, options, nowMicroseconds);
        } else if (extras.action == int32_t(kontakta::ControlAction::ScanStep)) {
            if (actions.scan) actions.scan->Step(uint64_t(std::max<int64_t>(nowMicroseconds, 0)));
        }
        break;
    default: break;
    }
}

void SensorPoller::PressScan(int index, const kontakta::ActionsSettings& options, int64_t nowMicroseconds)
{
    if (!actions.scan) return;
    // A step scan when a step sensor is on now.
    bool stepping = false;
    for (int other = 0; other < sensorCount; ++other) {
        const kontakta::SensorExtras& extras = options.sensors[size_t(other)];
        stepping = stepping ||
                   (extras.group == int32_t(kontakta::Group::Control) &&
                    extras.action == int32_t(kontakta::ControlAction::ScanStep) && shared.records.Get(other).enabled);
    }
    // The filters count in milliseconds of the same clock.
    const uint64_t now = uint64_t(std::max<int64_t>(nowMicroseconds, 0));
    const uint64_t pressStart = std::min(filters[size_t(index)].PressStart() * 1000, now);
    const bool severalProfiles = actions.control && actions.control->SeveralProfiles();
    switch (actions.scan->Press(pressStart, now, options.scan, stepping, severalProfiles)) {
    case ScanActions::Outcome::ReleaseAll: LetGo(); break;
    case ScanActions::Outcome::NextProfile:
        if (actions.control) actions.control->NextProfile();
        break;
    case ScanActions::Outcome::None: break;
    }
}

bool SensorPoller::ScanSensorOn() const
{
    const kontakta::ActionsSettings options = shared.options.Get();
    for (int index = 0; index < sensorCount; ++index) {
        const kontakta::SensorExtras& extras = options.sensors[size_t(index)];
        if (extras.group == int32_t(kontakta::Group::Control) &&
            extras.action == int32_t(kontakta::ControlAction::ScanScreen) && shared.records.Get(index).enabled)
            return true;
    }
    return false;
}

bool SensorPoller::ScanPressUnderWay() const
{
    if (!actions.scan || !actions.scan->Active()) return false;
    const kontakta::ActionsSettings options = shared.options.Get();
    for (int index = 0; index < sensorCount; ++index) {
        const kontakta::SensorExtras& extras = options.sensors[size_t(index)];
        if (extras.group == int32_t(kontakta::Group::Control) &&
            extras.action == int32_t(kontakta::ControlAction::ScanScreen) && filters[size_t(index)].Waiting())
            return true;
    }
    return false;
}

void SensorPoller::AdvanceMotion(int64_t nowMicroseconds)
{
    clicks.SendDue(nowMicroseconds, actions.input, actions.sounds);
    const uint64_t now = uint64_t(std::max<int64_t>(nowMicroseconds, 0));
    if (actions.pointer) actions.pointer->Advance(now);
    if (actions.scan && actions.scan->Active()) actions.scan->Advance(now, ScanPressUnderWay());
}

std::optional<int64_t> SensorPoller::NextMotionDue() const
{
    std::optional<int64_t> due = clicks.NextDue();
    if (actions.pointer)
        if (const std::optional<uint64_t> motion = actions.pointer->NextDue())
            due = due ? std::min(*due, int64_t(*motion)) : int64_t(*motion);
    // Nothing while no scan runs: an idle poll does not wake for it.
    if (actions.scan)
        if (const std::optional<uint64_t> scan = actions.scan->NextDue())
            due = due ? std::min(*due, int64_t(*scan)) : int64_t(*scan);
    return due;
}

void SensorPoller::Latch(int index, const SensorAction& record, const kontakta::SensorExtras& extras)
{
    if (latches.Press(index) != kontakta::SensorLatches::Step::Hold) return;
    latchedWith[size_t(index)] = record;
    latchedExtras[size_t(index)] = extras;
    actions.sounds.PlayLatchSound();
    DispatchSensorEdge(record, true, false, actions, clicks, cycleNow, KeyExtrasOf(extras));
    PublishLatches();
}

void SensorPoller::Unlatch(int index, bool sound)
{
    std::optional<SensorAction>& latched = latchedWith[size_t(index)];
    latches.Forget(index);
    if (!latched) return;
    const SensorAction record = *latched;
    latched.reset();
    if (sound) actions.sounds.PlayUnlatchSound();
    // The latch's own record and extras: whatever the settings did since,
    // the let-go sends the ups of exactly the downs the latch sent.
    DispatchSensorEdge(record, false, false, actions, clicks, cycleNow, KeyExtrasOf(latchedExtras[size_t(index)]));
    PublishLatches();
}

void SensorPoller::LetGoStaleLatches(bool actionsHeldBack)
{
    if (!latches.AnyLatched()) return;
    for (int index = 0; index < sensorCount; ++index) {
        if (!latches.Latched(index) || !latchedWith[size_t(index)]) continue;
        const SensorAction record = shared.records.Get(index);
        const kontakta::SensorExtras extras = shared.options.Get().sensors[size_t(index)];
        const bool unchanged =
            record.enabled && SameRecord(record, *latchedWith[size_t(index)]) && extras == latchedExtras[size_t(index)];
        if (actionsHeldBack || !unchanged) Unlatch(index, !shared.sensorsPaused);
    }
}

void SensorPoller::ForgetLatches()
{
    latches.ForgetAll();
    for (std::optional<SensorAction>& latched : latchedWith) latched.reset();
    PublishLatches();
}

void SensorPoller::PublishLatches()
{
    uint32_t bits = 0;
    for (int index = 0; index < sensorCount; ++index)
        if (latches.Latched(index)) bits |= 1u << index;
    shared.activity.PublishLatched(bits);
}

void SensorPoller::LetGo()
{
    const bool wasLatched = latches.AnyLatched();
    ReleaseHeldInputs();
    for (std::optional<SensorAction>& pressRecord : pressedWith) pressRecord.reset();
    PublishScanning();
    if (wasLatched && !shared.sensorsPaused) actions.sounds.PlayUnlatchSound();
}

void SensorPoller::ReleaseHeldInputs()
{
    if (actions.pointer) actions.pointer->LetGo();
    // A running scan ends and a held drag is forgotten: its button goes up
    // with every other below.
    if (actions.scan) actions.scan->LetGo();
    // What a click has still to send goes; the let-go releases what it holds.
    clicks.Clear();
    actions.keys.Stop();
    // Every key and button, latched ones too, goes up here; the latches
    // only have to be forgotten.
    actions.input.ReleaseAll();
    ForgetLatches();
}

int64_t NextPollDue(int64_t previousDue, int64_t now)
{
    const int64_t next = previousDue + pollPeriodMicroseconds;
    return now - next > pollPeriodMicroseconds ? now : next;
}

void RunPollLoop(SensorPoller& poller, PollPacing& pacing)
{
    if (!pacing.StopAsked()) {
        int64_t due = pacing.NowMicroseconds();
        bool forMotion = false;  // the pause ended for the motion, not for a cycle
        int64_t wake = due;
        do {
            const int64_t now = pacing.NowMicroseconds();
            if (forMotion && now < due) {
                poller.AdvanceMotion(now);
            } else {
                poller.Cycle(now);
                due = NextPollDue(due, pacing.NowMicroseconds());
            }
            // While something moves the thread wakes at the motion's finer
            // period too; idle, it waits for the next cycle alone.
            const std::optional<int64_t> motion = poller.NextMotionDue();
            forMotion = motion && *motion < due;
            wake = forMotion ? *motion : due;
        } while (!pacing.PauseUntil(wake));
    }
    poller.ReleaseHeldInputs();
}

}  // namespace kontakta
