#include "sensors/WheelRepeat.h"

#include <algorithm>

namespace kontakta {

WheelTiming ClampWheelTiming(WheelTiming timing)
{
    if (timing.delayMilliseconds != 0)
        timing.delayMilliseconds = std::clamp(timing.delayMilliseconds, minWheelDelay, maxWheelDelay);
    timing.notchesPerSecond = std::clamp(timing.notchesPerSecond, minWheelRate, maxWheelRate);
    return timing;
}

int WheelRepeat::Press(uint64_t now, const WheelTiming& raw, uint32_t keyboardDelayMilliseconds)
{
    const WheelTiming timing = ClampWheelTiming(raw);
    const uint32_t delay = timing.delayMilliseconds ? timing.delayMilliseconds : keyboardDelayMilliseconds;
    interval = 1'000'000 / timing.notchesPerSecond;
    next = now + uint64_t(delay) * 1000;
    return 1;
}

int WheelRepeat::Advance(uint64_t now)
{
    if (!next || now < *next) return 0;
    *next += interval;
    if (*next <= now) *next = now + interval;
    return 1;
}

}  // namespace kontakta
