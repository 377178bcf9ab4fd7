// The schedule of one wheel sensor: a press scrolls one notch at once; held,
// the wheel turns on after the repeat delay at the repeat rate (by default
// the Windows keyboard delay and 10 notches a second). Driven by the
// caller's clock (microseconds of a monotonic clock); it never waits.
#pragma once

#include <cstdint>
#include <optional>

namespace kontakta {

struct WheelTiming {
    uint32_t delayMilliseconds = 0;  // 0: the Windows keyboard delay; else 100 to 2000
    uint32_t notchesPerSecond = 10;  // 1 to 30
    bool operator==(const WheelTiming&) const = default;
};
constexpr uint32_t minWheelDelay = 100, maxWheelDelay = 2000;
constexpr uint32_t minWheelRate = 1, maxWheelRate = 30;

// Values outside their ranges are held to them (a delay of 0 stays 0).
WheelTiming ClampWheelTiming(WheelTiming timing);

class WheelRepeat {
public:
    // A counted press at `now`; `keyboardDelayMilliseconds` is the Windows
    // keyboard delay (see RepeatDelayMilliseconds), used when the timing
    // names none. Returns the notches to scroll at once: 1.
    int Press(uint64_t now, const WheelTiming& timing, uint32_t keyboardDelayMilliseconds);
    // The press ended (or everything is let go): no more notches.
    void Release() { next.reset(); }

    // The notches due at `now`: 0 or 1. A caller that was late gets one notch,
    // not the ones it missed, so a stalled poll never scrolls a page at once.
    int Advance(uint64_t now);

    // When the next notch is due; nothing while the sensor is not held.
    std::optional<uint64_t> NextNotchAt() const { return next; }

private:
    std::optional<uint64_t> next;
    uint64_t interval = 100'000;
};

}  // namespace kontakta
