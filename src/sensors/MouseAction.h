// Mouse button actions: a sensor's press and release become button events of
// the left, middle or right button at the cursor's current position.
#pragma once

#include <atomic>
#include <cstdint>
#include <deque>
#include <optional>
#include <vector>

#include "sensors/ActionServices.h"
#include "sensors/SensorAction.h"

namespace kontakta {

// The least time between two button events, in milliseconds.
constexpr uint32_t mouseEventGap = 5;

// One button event of an action, `afterMilliseconds` after the one before it
// (0 for the first).
struct MouseStep {
    uint32_t afterMilliseconds;
    uint32_t flags;
};

// The button events of the record's mouse action for a press (`pressed`
// true) or release. Press/release kinds follow the sensor; clicks and the
// double click run completely on the press (the button held 105 ms; a double
// click's two clicks 15 ms long and 105 ms apart). A mouse action outside the
// known kinds gives none.
std::vector<MouseStep> MouseActionSteps(const SensorAction& record, bool pressed);

// Sends one button event. An event that the system does not insert sounds the
// error beep; in every case it then waits the gap.
void SendMouseInput(uint32_t flags, InputSink& input, Sounds& sounds, Clock& clock);

// Performs the record's mouse action at once, waiting its gaps through
// `clock`. For a thread that may wait; the polling thread schedules them
// (MouseSchedule).
void PerformMouseAction(const SensorAction& record, bool pressed, InputSink& input, Sounds& sounds, Clock& clock);

// The polling thread's button events on its own clock (microseconds): the
// gaps of a click are waited out by the schedule, not slept, so the poll and
// the pointer keep their pace while a sensor clicks. Events go out in the
// order they were asked for; one that has to wait for another goes at least
// the gap after it.
class MouseSchedule {
public:
    void Add(const SensorAction& record, bool pressed, int64_t now);
    // Sends what is due at `now`; an event the system does not insert sounds
    // the error beep.
    void SendDue(int64_t now, InputSink& input, Sounds& sounds);
    // When the next event is due; nothing while none waits.
    std::optional<int64_t> NextDue() const;
    // Forgets the events not sent yet (a let-go releases what is held).
    void Clear() { pending.clear(); }

private:
    struct Pending {
        int64_t due;
        uint32_t flags;
    };
    std::deque<Pending> pending;
};

// The button flags to hand to the system for `flags`, where "Links" means the
// primary button and "Rechts" the secondary one. Injected button events name
// the physical buttons: with the buttons swapped for a left-handed user
// (SM_SWAPBUTTON), a left-button event is the secondary click. So with
// `buttonsSwapped` the left and right flags change places; the middle button
// stays.
uint32_t PhysicalButtonFlags(uint32_t flags, bool buttonsSwapped);

// PhysicalButtonFlags with a memory: a release goes to the physical button
// that its press went to, even when the setting was changed while the button
// was held, so a release never leaves the other button down. A release
// without a press seen follows the current setting. One thread at a time
// (the polling thread, or a crashing program's last release).
class PhysicalButtons {
public:
    uint32_t Map(uint32_t flags, bool buttonsSwapped);

private:
    std::atomic<uint32_t> pressed{0};         // left/right down flags whose press went out
    std::atomic<uint32_t> pressedSwapped{0};  // ... and went out swapped
};

}  // namespace kontakta
