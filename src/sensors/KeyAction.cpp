#include "sensors/KeyAction.h"

#include <algorithm>

void SendKeyCombination(const SensorAction& record, bool pressed, InputSink& input)
{
    if (record.alt) input.SendKey(VirtualKeys::Alt, pressed);
    if (record.ctrl) input.SendKey(VirtualKeys::Control, pressed);
    if (record.shift) input.SendKey(VirtualKeys::Shift, pressed);
    input.SendKey(record.virtualKey, pressed);
}

uint32_t RepeatDelayMilliseconds(uint32_t keyboardDelay)
{
    return (std::min<uint32_t>(keyboardDelay, 3) + 1) * 250;
}

uint32_t RepeatIntervalMilliseconds(uint32_t keyboardSpeed, const SensorAction& record)
{
    if (record.virtualKey == VirtualKeys::Tab && record.alt) return 1000;
    const double speed = std::min<uint32_t>(keyboardSpeed, 31);
    return static_cast<uint32_t>(1000.0 / (speed * 0.89 + 2.5));
}

KeyRepeat::KeyRepeat(InputSink& input, KeyboardSettings& settings, RepeatTimers& timers)
    : input(input), settings(settings), timers(timers)
{
}

void KeyRepeat::PerformKeyAction(const SensorAction& record, bool pressed)
{
    std::lock_guard<std::mutex> guard(lock);
    StopLocked();
    SendKeyCombination(record, pressed, input);
    if (!pressed || !record.autoRepeat) return;

    uint32_t delay = 0;
    if (!settings.GetKeyboardDelay(delay)) return;
    repeatAction = record;
    state = State::Delay;
    timers.StartDelayTimer(RepeatDelayMilliseconds(delay), generation);
}

void KeyRepeat::OnDelayTimer(uint32_t expired)
{
    std::lock_guard<std::mutex> guard(lock);
    if (state != State::Delay || expired != generation) return;
    uint32_t speed = 0;
    if (!settings.GetKeyboardSpeed(speed)) {
        state = State::NoRepeat;
        return;
    }
    state = State::Repeating;
    timers.StartRateTimer(RepeatIntervalMilliseconds(speed, repeatAction), generation);
}

void KeyRepeat::OnRateTimer(uint32_t expired)
{
    std::lock_guard<std::mutex> guard(lock);
    if (state != State::Repeating || expired != generation) return;
    SendKeyCombination(repeatAction, true, input);
}

void KeyRepeat::Stop()
{
    std::lock_guard<std::mutex> guard(lock);
    StopLocked();
}

KeyRepeat::State KeyRepeat::CurrentState() const
{
    std::lock_guard<std::mutex> guard(lock);
    return state;
}

SensorAction KeyRepeat::RepeatAction() const
{
    std::lock_guard<std::mutex> guard(lock);
    return repeatAction;
}

void KeyRepeat::StopLocked()
{
    state = State::NoRepeat;
    ++generation;
    timers.StopRepeatTimers();
}
