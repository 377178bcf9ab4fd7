// Timing filters of one sensor, for users with tremor or spasms: a hold time
// that a press must last before it counts (a brief accidental touch does
// nothing, not even the press sound), and a lockout after a release during
// which new presses of the same sensor are ignored (one intended press does
// not become two). With both times 0 every edge counts at once, exactly as
// without the filters.
//
// The polling thread feeds the raw state of each cycle; the filter answers
// what happened. It works at the granularity of the poll: a press counts at
// the first cycle at which it has been held for the hold time.
#pragma once

#include <cstdint>

namespace kontakta {

constexpr uint32_t maxHoldMilliseconds = 2000;
constexpr uint32_t maxLockoutMilliseconds = 5000;

struct FilterTimes {
    uint32_t holdMilliseconds = 0;     // a press counts once held this long
    uint32_t lockoutMilliseconds = 0;  // presses ignored this long after a release
    bool operator==(const FilterTimes&) const = default;
};

// Times outside their ranges are held to them.
FilterTimes ClampFilterTimes(FilterTimes times);

class SensorFilter {
public:
    enum class Event {
        None,          // nothing to do in this cycle
        Press,         // a press counts now: run the sensor's press
        Release,       // a counted press ended: run its release
        IgnoredTouch,  // a touch that the filters swallowed (for the counters)
    };

    // The raw state of the switch at `now` (milliseconds of a monotonic
    // clock) with the sensor's current times.
    Event Update(bool rawPressed, uint64_t now, FilterTimes times);

    // Whether a counted press is held.
    bool Counted() const { return state == State::Counted; }
    // Whether the switch is down and its hold time still runs: the press
    // may yet count.
    bool Waiting() const { return state == State::Waiting; }
    // The time (as `now` of Update) of the first cycle that saw the current
    // or last press that was not ignored, also with a hold time of 0.
    uint64_t PressStart() const { return pressStart; }

    // Forgets everything: the next raw press is judged afresh, without a
    // lockout. For a poller that starts over.
    void Reset() { *this = SensorFilter(); }

private:
    enum class State {
        Released,
        Waiting,  // held, not yet for the hold time
        Counted,  // held, and the press counted
        Ignored,  // held, but it started in the lockout: must be let go first
    };
    State state = State::Released;
    uint64_t pressStart = 0;
    uint64_t lockoutEnd = 0;
    bool lockoutActive = false;
};

}  // namespace kontakta
