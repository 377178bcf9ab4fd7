#include "sensors/KeyAction.h"

#include <algorithm>

namespace kontakta {

uint8_t ModifierAloneKey(kontakta::ModifierAlone alone)
{
    using kontakta::ModifierAlone;
    switch (alone) {
    case ModifierAlone::Shift: return VirtualKeys::Shift;
    case ModifierAlone::Ctrl: return VirtualKeys::Control;
    case ModifierAlone::Alt: return VirtualKeys::Alt;
    case ModifierAlone::Win: return VirtualKeys::LeftWin;
    default: return 0;
    }
}

namespace {

template <typename Send>
void ForEachKey(const SensorAction& record, const KeyExtras& extras, Send send)
{
    if (const uint8_t alone = ModifierAloneKey(extras.alone)) {
        send(alone);
        return;
    }
    if (record.alt) send(VirtualKeys::Alt);
    if (record.ctrl) send(VirtualKeys::Control);
    if (record.shift) send(VirtualKeys::Shift);
    if (extras.win) send(VirtualKeys::LeftWin);
    send(record.virtualKey);
}

}  // namespace

void SendKeyCombination(const SensorAction& record, bool pressed, InputSink& input, const KeyExtras& extras)
{
    ForEachKey(record, extras, [&](uint8_t key) { input.SendKey(key, pressed); });
}

void RepeatKeyCombination(const SensorAction& record, InputSink& input, const KeyExtras& extras)
{
    ForEachKey(record, extras, [&](uint8_t key) { input.RepeatKey(key); });
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

void KeyRepeat::PerformKeyAction(const SensorAction& record, bool pressed, const KeyExtras& extras)
{
    uint32_t delay = 0;
    const bool repeats = pressed && record.autoRepeat && settings.GetKeyboardDelay(delay);
    uint32_t started = 0;
    {
        std::lock_guard<std::mutex> guard(lock);
        // Waits for a repeated key-down that the timers' thread is sending;
        // any later expiry finds the repetition stopped.
        StopLocked();
        if (repeats) {
            repeatAction = record;
            repeatExtras = extras;
            state = State::Delay;
            started = generation;
        }
    }
    // Outside the lock: the user-interface thread may have to run a
    // low-level hook for these events while we wait inside keybd_event.
    SendKeyCombination(record, pressed, input, extras);
    // Started only now, so the first repetition cannot come before the
    // press's own key-down. Should a stop come in between, this timer is of
    // an older generation and its expiry is ignored.
    if (repeats) timers.StartDelayTimer(RepeatDelayMilliseconds(delay), started);
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
    // Sends under the lock, so a stop waits for this key-down to be out. The
    // only thread that sends under the lock is this one, the timers' thread.
    std::lock_guard<std::mutex> guard(lock);
    if (state != State::Repeating || expired != generation) return;
    RepeatKeyCombination(repeatAction, input, repeatExtras);
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

}  // namespace kontakta
