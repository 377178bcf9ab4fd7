// The pointer that direction sensors move: the speed curve, the one-pixel tap
// of a press, the directions of several held sensors combined into one, the
// desktop's edges, and the mapping of a pixel to the absolute coordinates
// that SendInput takes.
//
// Everything is driven by the caller's clock (microseconds of a monotonic
// clock) and never waits: the polling thread tells the mover of presses and
// releases, asks it each cycle for the next position, and may sleep until
// NextUpdateAt(). While no direction sensor is held the mover needs nothing.
// Positions are physical pixels of the virtual desktop (the caller runs
// per-monitor DPI aware, so every monitor's pixels are its physical pixels).
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <vector>

#include "sensors/ActionGroups.h"

namespace kontakta {

// One setting for every direction sensor.
struct PointerSpeeds {
    uint32_t startPixelsPerSecond = 50;        // 5 to 500
    uint32_t topPixelsPerSecond = 600;         // 50 to 3000
    uint32_t accelerationMilliseconds = 1500;  // 0 to 5000: from start to top speed
    bool operator==(const PointerSpeeds&) const = default;
};
constexpr uint32_t minStartSpeed = 5, maxStartSpeed = 500;
constexpr uint32_t minTopSpeed = 50, maxTopSpeed = 3000;
constexpr uint32_t maxAccelerationMilliseconds = 5000;

// Speeds outside their ranges are held to them.
PointerSpeeds ClampPointerSpeeds(PointerSpeeds speeds);

// The time a press waits before the pointer moves by itself: the time the
// start speed needs for 10 pixels (200 ms at 50 px/s).
uint64_t TapMicroseconds(const PointerSpeeds& speeds);

// The speed (pixels per second) after moving for `microseconds` by itself:
// the start speed, rising evenly to the top speed over the acceleration
// time. A top speed below the start speed counts as the start speed.
double PointerSpeedAt(const PointerSpeeds& speeds, uint64_t microseconds);
// The distance (pixels) covered in the first `microseconds` of that motion.
double PointerDistanceAt(const PointerSpeeds& speeds, uint64_t microseconds);

struct Point {
    int32_t x = 0;
    int32_t y = 0;
    bool operator==(const Point&) const = default;
};

// A monitor's rectangle as Windows gives it (RECT): right and bottom are the
// first pixels outside.
struct PixelRect {
    int32_t left = 0, top = 0, right = 0, bottom = 0;
    bool Contains(Point p) const { return p.x >= left && p.x < right && p.y >= top && p.y < bottom; }
    bool Empty() const { return right <= left || bottom <= top; }
    bool operator==(const PixelRect&) const = default;
};

// The monitors of the desktop, in physical pixels; they may be of different
// DPI and sizes, offset against each other, left of or above the primary one
// (negative coordinates), with corners and gaps where no monitor is.
class Desktop {
public:
    Desktop() = default;
    explicit Desktop(std::vector<PixelRect> monitors);

    bool Contains(Point p) const;
    // The bounding box of all monitors: the virtual desktop.
    PixelRect Bounds() const { return bounds; }
    bool Empty() const { return monitors.empty(); }
    const std::vector<PixelRect>& Monitors() const { return monitors; }

    // Where a pointer at `from` that moves towards `to` ends up. On a monitor,
    // `to` itself. At an edge with no monitor beyond, the pointer slides
    // along it: the nearest point to `to` on the monitor it is on or on one
    // that touches that monitor (the pointer never jumps a gap). A `from`
    // off every monitor counts from the nearest monitor.
    Point Reach(Point from, Point to) const;

    // The nearest point on any monitor (`p` itself if it is on one).
    Point Nearest(Point p) const;

private:
    std::vector<PixelRect> monitors;
    PixelRect bounds;
};

// The absolute coordinates (0 to 65535 on each axis) of a pixel for SendInput
// with MOUSEEVENTF_ABSOLUTE | MOUSEEVENTF_VIRTUALDESK: "(0,0) maps onto the
// upper-left corner" of the virtual desktop and "(65535,65535) onto the
// lower-right corner". Windows takes a coordinate back to the pixel
// left + floor(a * width / 65536); the smallest `a` that gives the pixel
// is chosen, which also survives a rounding instead of a floor there. A
// pixel off the virtual desktop is held to it first.
struct AbsolutePoint {
    int32_t x = 0;
    int32_t y = 0;
    bool operator==(const AbsolutePoint&) const = default;
};
AbsolutePoint ToAbsolute(const PixelRect& virtualDesktop, Point p);
// The pixel Windows makes of an absolute coordinate (for the tests and the
// benchmark, which check what arrives).
Point FromAbsolute(const PixelRect& virtualDesktop, AbsolutePoint a);

// The pointer moved by the direction sensors. Not thread-safe: one thread
// (the polling thread) drives it.
class PointerMover {
public:
    // A step spans at most this much of the motion, so a step is at most one
    // hundredth of the current speed; a caller late for its update loses the
    // rest of the time instead of making a longer jump.
    static constexpr uint64_t stepMicroseconds = 10'000;
    // The mover asks for its updates a little more often than that, so that
    // a caller that wakes late now and then still makes 100 a second.
    static constexpr uint64_t updateMicroseconds = 8'000;

    void SetSpeeds(const PointerSpeeds& speeds) { this->speeds = ClampPointerSpeeds(speeds); }
    const PointerSpeeds& Speeds() const { return speeds; }
    void SetDesktop(Desktop desktop) { this->desktop = std::move(desktop); }

    // Sensor `sensor` (0 to 7) with direction `direction` counted a press at
    // `now`, the pointer being at `current`. Returns where the pointer goes at
    // once: one pixel in that direction (for fine positioning), or nothing if
    // it cannot go there (at an edge). Held past the tap time, the pointer
    // moves on by itself in the combined direction of all held sensors.
    std::optional<Point> Press(int sensor, PointerDirection direction, Point current, uint64_t now);
    // The sensor's press ended. When the last one ends the pointer stops at
    // once (the caller sends nothing more).
    void Release(int sensor);
    // Every direction sensor let go (box loss, pause, lock, exit).
    void ReleaseAll();

    // The pointer is where the caller found it (a user or another program
    // moved it): the mover goes on from there.
    void Follow(Point actual);

    // The position the pointer should be at `now`, if it changed since the
    // last answer. Call it each cycle, at the latest at NextUpdateAt().
    std::optional<Point> Advance(uint64_t now);

    // When the mover next needs an Advance; nothing while no sensor is held
    // (or the held directions cancel), so an idle poller need not wake for it.
    std::optional<uint64_t> NextUpdateAt() const;

    bool AnyHeld() const;
    // The combined direction of the held sensors as a unit vector, (0,0) when
    // none is held or they cancel.
    std::array<double, 2> Direction() const;

private:
    PointerSpeeds speeds;
    Desktop desktop;
    std::array<std::optional<PointerDirection>, 8> held{};
    uint64_t heldSince = 0;   // the first press of the current hold
    uint64_t lastUpdate = 0;  // the time the position was last advanced to
    double x = 0, y = 0;      // the exact position, with its fraction
    Point reported;           // the last position given to the caller

    Point Place(Point target);
};

}  // namespace kontakta
