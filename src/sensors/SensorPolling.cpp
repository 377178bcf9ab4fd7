#include "sensors/SensorPolling.h"

#include "sensors/MouseAction.h"
#include "sensors/SensorActivity.h"
#include "sensors/RunFileAction.h"

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

void DispatchSensorEdge(const SensorAction& record, bool pressed, ActionContext& actions)
{
    if (beepOnPress != 0 && pressed) actions.sounds.PlayPressSound();
    switch (static_cast<ActionGroup>(record.actionGroup)) {
    case ActionGroup::Mouse:
        PerformMouseAction(record, pressed, actions.input, actions.sounds, actions.clock);
        break;
    case ActionGroup::RunFile:
        if (pressed) PerformRunFileAction(record, actions.shell, actions.messages);
        break;
    case ActionGroup::Keyboard:
        actions.keys.PerformKeyAction(record, pressed);
        break;
    }
}

SensorPoller::SensorPoller(SensorSource& source, ActionContext& actions) : source(source), actions(actions) {}

void SensorPoller::Cycle(int64_t nowMicroseconds)
{
    if (releaseRequested.exchange(false)) LetGo();
    if (startupPending) return;
    uint32_t value = 0;
    DeviceKind kind = DeviceKind::None;
    if (readFailed || !source.ReadInputs(value, kind)) {
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
    const bool actionsHeldBack = sensorsPaused || actionsSuspended;
    uint32_t pressedBits = 0;
    for (int index = 0; index < sensorCount; ++index) pressedBits |= uint32_t((*states)[index]) << index;
    sensorActivity.PublishSwitches(pressedBits);
    for (int index = 0; index < sensorCount; ++index) {
        const bool pressed = (*states)[index];
        std::optional<SensorAction>& pressRecord = pressedWith[static_cast<size_t>(index)];
        switch (filters[static_cast<size_t>(index)].Update(pressed, now, sensorFilters.Get(index))) {
        case SensorFilter::Event::Press: {
            sensorActivity.CountPress(index);
            const SensorAction record = sensorActions.Get(index);
            pressRecord.reset();
            if (!record.enabled || actionsHeldBack) break;
            pressRecord = record;
            DispatchSensorEdge(record, true, actions);
            break;
        }
        case SensorFilter::Event::Release:
            if (pressRecord) {
                // The settings may have changed the live record while the
                // sensor was held; only the press's own record undoes it.
                const SensorAction record = *pressRecord;
                pressRecord.reset();
                DispatchSensorEdge(record, false, actions);
            }
            break;
        case SensorFilter::Event::IgnoredTouch:
            sensorActivity.CountIgnoredTouch(index);
            break;
        case SensorFilter::Event::None:
            break;
        }
    }
    lastSensorState = *states;
}

void SensorPoller::LetGo()
{
    ReleaseHeldInputs();
    for (std::optional<SensorAction>& pressRecord : pressedWith) pressRecord.reset();
}

void SensorPoller::ReleaseHeldInputs()
{
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
        do {
            poller.Cycle(pacing.NowMicroseconds());
            due = NextPollDue(due, pacing.NowMicroseconds());
        } while (!pacing.PauseUntil(due));
    }
    poller.ReleaseHeldInputs();
}
