#include "sensors/SensorPolling.h"

#include <algorithm>

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
    default:
        return std::nullopt;
    }
}

void DispatchSensorEdge(const SensorAction& record, bool pressed, bool pressSound, ActionContext& actions,
                        MouseSchedule& clicks, int64_t nowMicroseconds)
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
    case ActionGroup::Keyboard:
        actions.keys.PerformKeyAction(record, pressed);
        break;
    }
}

SensorPoller::SensorPoller(SensorSource& source, ActionContext& actions, const SharedState& shared)
    : source(source), actions(actions), shared(shared)
{
}

void SensorPoller::Cycle(int64_t nowMicroseconds)
{
    if (releaseRequested.exchange(false)) LetGo();
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
    boxLost = false;
    const std::optional<SensorStates> states = DecodeSensors(value, kind);
    if (!states) {
        actions.sounds.ErrorBeep();
        return;
    }
    const uint64_t now = nowMicroseconds > 0 ? uint64_t(nowMicroseconds) / 1000 : 0;
    const bool actionsHeldBack = shared.sensorsPaused || shared.actionsSuspended;
    const bool pressSound = shared.beepOnPress != 0;
    uint32_t pressedBits = 0;
    for (int index = 0; index < sensorCount; ++index) pressedBits |= uint32_t((*states)[index]) << index;
    shared.activity.PublishSwitches(pressedBits);
    for (int index = 0; index < sensorCount; ++index) {
        const bool pressed = (*states)[index];
        std::optional<SensorAction>& pressRecord = pressedWith[static_cast<size_t>(index)];
        switch (filters[static_cast<size_t>(index)].Update(pressed, now, shared.filters.Get(index))) {
        case SensorFilter::Event::Press: {
            shared.activity.CountPress(index);
            const SensorAction record = shared.records.Get(index);
            const kontakta::ActionsSettings options = shared.options.Get();
            const kontakta::SensorExtras& extras = options.sensors[static_cast<size_t>(index)];
            pressRecord.reset();
            if (!record.enabled ||
                !kontakta::MayAct(kontakta::EffectiveGroup(record, extras), extras.action, actionsHeldBack))
                break;
            pressRecord = record;
            pressedExtras[static_cast<size_t>(index)] = extras;
            if (extras.group == kontakta::blockGroup) DispatchSensorEdge(record, true, pressSound, actions, clicks, nowMicroseconds);
            else PressLaterGroup(index, extras, options, pressSound, nowMicroseconds);
            break;
        }
        case SensorFilter::Event::Release:
            if (pressRecord) {
                // The settings may have changed the live record while the
                // sensor was held; only the press's own record undoes it.
                const SensorAction record = *pressRecord;
                pressRecord.reset();
                if (pressedExtras[static_cast<size_t>(index)].group == kontakta::blockGroup)
                    DispatchSensorEdge(record, false, pressSound, actions, clicks, nowMicroseconds);
                else if (actions.pointer)
                    actions.pointer->Release(index);
            }
            break;
        case SensorFilter::Event::IgnoredTouch:
            shared.activity.CountIgnoredTouch(index);
            break;
        case SensorFilter::Event::None:
            break;
        }
    }
    lastSensorState = *states;
    AdvanceMotion(nowMicroseconds);
}

void SensorPoller::PressLaterGroup(int index, const kontakta::SensorExtras& extras,
                                   const kontakta::ActionsSettings& options, bool pressSound, int64_t nowMicroseconds)
{
    using kontakta::Group;
    const bool pauseToggle =
        extras.group == int32_t(Group::Control) && extras.action == int32_t(kontakta::ControlAction::PauseOrResume);
    // The pause and the resume play sounds of their own instead.
    if (pressSound && !pauseToggle) actions.sounds.PlayPressSound();
    switch (Group(extras.group)) {
    case Group::MovePointer:
    case Group::Wheel:
        if (actions.pointer) actions.pointer->Press(index, extras, options, uint64_t(std::max<int64_t>(nowMicroseconds, 0)));
        break;
    case Group::Control:
        if (pauseToggle) {
            if (actions.control) actions.control->TogglePause();
        } else if (extras.action == int32_t(kontakta::ControlAction::ReleaseAll)) {
            LetGo();
        }
        break;
    default:
        break;
    }
}

void SensorPoller::AdvanceMotion(int64_t nowMicroseconds)
{
    clicks.SendDue(nowMicroseconds, actions.input, actions.sounds);
    if (actions.pointer) actions.pointer->Advance(uint64_t(std::max<int64_t>(nowMicroseconds, 0)));
}

std::optional<int64_t> SensorPoller::NextMotionDue() const
{
    std::optional<int64_t> due = clicks.NextDue();
    if (actions.pointer)
        if (const std::optional<uint64_t> motion = actions.pointer->NextDue())
            due = due ? std::min(*due, int64_t(*motion)) : int64_t(*motion);
    return due;
}

void SensorPoller::LetGo()
{
    ReleaseHeldInputs();
    for (std::optional<SensorAction>& pressRecord : pressedWith) pressRecord.reset();
}

void SensorPoller::ReleaseHeldInputs()
{
    if (actions.pointer) actions.pointer->LetGo();
    // What a click has still to send goes; the let-go releases what it holds.
    clicks.Clear();
    actions.keys.Stop();
    actions.input.ReleaseAll();
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
