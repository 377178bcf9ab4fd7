#include "sensors/SensorFilter.h"

#include <algorithm>

namespace kontakta {

FilterTimes ClampFilterTimes(FilterTimes times)
{
    times.holdMilliseconds = std::min(times.holdMilliseconds, maxHoldMilliseconds);
    times.lockoutMilliseconds = std::min(times.lockoutMilliseconds, maxLockoutMilliseconds);
    return times;
}

SensorFilter::Event SensorFilter::Update(bool rawPressed, uint64_t now, FilterTimes times)
{
    times = ClampFilterTimes(times);
    switch (state) {
    case State::Released:
        if (!rawPressed) return Event::None;
        if (lockoutActive && now < lockoutEnd) {
            // Even if it is still held when the lockout ends, it does not
            // count: the switch must be let go and pressed again.
            state = State::Ignored;
            return Event::IgnoredTouch;
        }
        lockoutActive = false;
        pressStart = now;
        if (times.holdMilliseconds == 0) {
            state = State::Counted;
            return Event::Press;
        }
        state = State::Waiting;
        return Event::None;
    case State::Waiting:
        if (!rawPressed) {
            state = State::Released;
            return Event::IgnoredTouch;
        }
        // A clock that went backwards counts as no time passed.
        if (now >= pressStart && now - pressStart >= times.holdMilliseconds) {
            state = State::Counted;
            return Event::Press;
        }
        return Event::None;
    case State::Counted:
        if (rawPressed) return Event::None;
        state = State::Released;
        lockoutActive = times.lockoutMilliseconds > 0;
        lockoutEnd = now + times.lockoutMilliseconds;
        return Event::Release;
    case State::Ignored:
        if (!rawPressed) state = State::Released;
        return Event::None;
    }
    return Event::None;
}

}  // namespace kontakta
