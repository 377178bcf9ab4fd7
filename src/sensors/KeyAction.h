// Keyboard actions: a sensor's press sends its key combination down, its
// release sends it up, and a held sensor with auto-repeat repeats the key at
// the system's keyboard delay and rate.
#pragma once

#include <cstdint>
#include <mutex>

#include "sensors/ActionGroups.h"
#include "sensors/ActionServices.h"
#include "sensors/SensorAction.h"

namespace kontakta {

// What a key action has beyond its record (sensors/ActionOptions.h): the
// Windows key as a fourth modifier, or a modifier alone instead of the
// record's combination (a sticky modifier when latched).
struct KeyExtras {
    bool win = false;
    kontakta::ModifierAlone alone = kontakta::ModifierAlone::None;
};

// The virtual key of a modifier alone (VK_SHIFT, VK_CONTROL, VK_MENU,
// VK_LWIN); 0 for None or a value outside the list.
uint8_t ModifierAloneKey(kontakta::ModifierAlone alone);

// Sends one press (all key-down events) or one release (all key-up events) of
// the record's combination: ALT, CTRL, SHIFT as the record asks, WIN as the
// extras ask, then the key. A release keeps the same order, so the modifiers
// go up before the key. With a modifier alone, only that modifier's event.
void SendKeyCombination(const SensorAction& record, bool pressed, InputSink& input, const KeyExtras& extras = {});
// The key-downs of one repetition of the combination (InputSink::RepeatKey).
void RepeatKeyCombination(const SensorAction& record, InputSink& input, const KeyExtras& extras = {});

// Time from the press to the first repetition for the keyboard delay setting
// 0..3: 250, 500, 750 or 1000 ms. A larger setting counts as 3.
uint32_t RepeatDelayMilliseconds(uint32_t keyboardDelay);

// Interval of the repetition: 1000 ms for TAB with ALT (so the task switcher
// steps once a second), otherwise trunc(1000 / (speed * 0.89 + 2.5)) for the
// keyboard speed setting 0..31. A larger setting counts as 31.
uint32_t RepeatIntervalMilliseconds(uint32_t keyboardSpeed, const SensorAction& record);

// The key auto-repeat. Only one sensor repeats at a time: the last keyboard
// sensor that was pressed with auto-repeat. Every keyboard event stops the
// repetition first.
//
// PerformKeyAction and Stop run on the polling thread (Stop also on the
// user-interface thread when the timers' window ends), the timer expiries on
// the thread that owns the timers (the user-interface thread; one thread for
// all expiries). One lock orders them: a release stops the repetition under
// the lock and only then sends its key-up events, so no repeated key-down of
// the old press can follow them, even if a timer of that press expires at
// the same moment.
//
// Windows calls a low-level keyboard hook on the thread that installed it
// (the user-interface thread) from inside another thread's keybd_event or
// SendInput, which waits for it, and removes a hook that takes too long. So
// no input is sent while the lock is held by any thread but the timers'
// own: the polling thread holds it only to change the state and sends its
// key events after letting go, and the user-interface thread, which sends
// the repeated key-down under the lock, never waits for a thread that is
// sending input.
class KeyRepeat {
public:
    enum class State { NoRepeat, Delay, Repeating };

    KeyRepeat(InputSink& input, KeyboardSettings& settings, RepeatTimers& timers);
    KeyRepeat(const KeyRepeat&) = delete;
    KeyRepeat& operator=(const KeyRepeat&) = delete;

    // A keyboard sensor changed state: stop any repetition, send the press or
    // release, and on a press with auto-repeat take a copy of the record and
    // start the delay. If the delay setting cannot be read the key does not
    // repeat. Sends nothing while holding the lock.
    // `extras` as SendKeyCombination takes them; the repetition repeats
    // them too.
    void PerformKeyAction(const SensorAction& record, bool pressed, const KeyExtras& extras = {});

    // The delay timer of `generation` expired: start the repetition at the
    // interval of the current speed setting (no repetition if it cannot be
    // read). An expiry of an older generation does nothing.
    void OnDelayTimer(uint32_t generation);

    // The rate timer of `generation` expired: send the key-down events of the
    // copied record again, as repetitions (InputSink::RepeatKey). An expiry of an older generation does nothing.
    void OnRateTimer(uint32_t generation);

    // Stops the repetition without sending anything: the box was lost or the
    // program ends. Once it returns, no repeated key-down is being sent or
    // will be, so everything held can be let go.
    void Stop();

    State CurrentState() const;
    SensorAction RepeatAction() const;

private:
    void StopLocked();

    mutable std::mutex lock;
    InputSink& input;
    KeyboardSettings& settings;
    RepeatTimers& timers;
    SensorAction repeatAction{};
    KeyExtras repeatExtras{};
    uint32_t generation = 0;
    State state = State::NoRepeat;
};

}  // namespace kontakta
