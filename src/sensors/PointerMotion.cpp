#include "sensors/PointerMotion.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace kontakta {

PointerSpeeds ClampPointerSpeeds(PointerSpeeds speeds)
{
    speeds.startPixelsPerSecond = std::clamp(speeds.startPixelsPerSecond, minStartSpeed, maxStartSpeed);
    speeds.topPixelsPerSecond = std::clamp(speeds.topPixelsPerSecond, minTopSpeed, maxTopSpeed);
    speeds.accelerationMilliseconds = std::min(speeds.accelerationMilliseconds, maxAccelerationMilliseconds);
    return speeds;
}

uint64_t TapMicroseconds(const PointerSpeeds& raw)
{
    const PointerSpeeds speeds = ClampPointerSpeeds(raw);
    return 10'000'000ull / speeds.startPixelsPerSecond;
}

namespace {

struct Curve {
    double start, top, ramp;  // pixels per second, seconds
};

Curve CurveOf(const PointerSpeeds& raw)
{
    const PointerSpeeds speeds = ClampPointerSpeeds(raw);
    const double start = speeds.startPixelsPerSecond;
    return {start, std::max(start, double(speeds.topPixelsPerSecond)), speeds.accelerationMilliseconds / 1000.0};
}

}  // namespace

double PointerSpeedAt(const PointerSpeeds& speeds, uint64_t microseconds)
{
    const Curve c = CurveOf(speeds);
    const double t = microseconds / 1e6;
    if (c.ramp <= 0 || t >= c.ramp) return c.top;
    return c.start + (c.top - c.start) * t / c.ramp;
}

double PointerDistanceAt(const PointerSpeeds& speeds, uint64_t microseconds)
{
    // The integral of the speed: a ramp rising evenly, then the top speed.
    const Curve c = CurveOf(speeds);
    const double t = microseconds / 1e6;
    if (c.ramp <= 0) return c.top * t;
    if (t <= c.ramp) return c.start * t + (c.top - c.start) * t * t / (2 * c.ramp);
    return c.start * c.ramp + (c.top - c.start) * c.ramp / 2 + c.top * (t - c.ramp);
}

namespace {

Point ClampInto(const PixelRect& r, Point p)
{
    return {std::clamp(p.x, r.left, r.right - 1), std::clamp(p.y, r.top, r.bottom - 1)};
}

int64_t DistanceSquared(Point a, Point b)
{
    const int64_t dx = int64_t(a.x) - b.x, dy = int64_t(a.y) - b.y;
    return dx * dx + dy * dy;
}

// Whether the pointer can pass from one monitor to the other: they overlap
// or share a stretch of edge (or a corner).
bool Touch(const PixelRect& a, const PixelRect& b)
{
    return a.left <= b.right && b.left <= a.right && a.top <= b.bottom && b.top <= a.bottom;
}

}  // namespace

Desktop::Desktop(std::vector<PixelRect> all)
{
    for (const PixelRect& r : all) {
        if (r.Empty()) continue;
        if (monitors.empty()) {
            bounds = r;
        } else {
            bounds = {std::min(bounds.left, r.left), std::min(bounds.top, r.top), std::max(bounds.right, r.right),
                      std::max(bounds.bottom, r.bottom)};
        }
        monitors.push_back(r);
    }
}

bool Desktop::Contains(Point p) const
{
    return std::any_of(monitors.begin(), monitors.end(), [p](const PixelRect& r) { return r.Contains(p); });
}

Point Desktop::Nearest(Point p) const
{
    Point best = p;
    int64_t bestDistance = std::numeric_limits<int64_t>::max();
    for (const PixelRect& r : monitors) {
        const Point candidate = ClampInto(r, p);
        const int64_t distance = DistanceSquared(candidate, p);
        if (distance < bestDistance) best = candidate, bestDistance = distance;
    }
    return best;
}

Point Desktop::Reach(Point from, Point to) const
{
    if (monitors.empty()) return to;
    const Point start = Nearest(from);
    const auto home =
        std::find_if(monitors.begin(), monitors.end(), [start](const PixelRect& r) { return r.Contains(start); });
    // The home monitor first, so that of two equally near points the pointer
    // keeps to the monitor it is on.
    Point best = ClampInto(*home, to);
    int64_t bestDistance = DistanceSquared(best, to);
    for (const PixelRect& r : monitors) {
        if (&r == &*home || !Touch(*home, r)) continue;
        const Point candidate = ClampInto(r, to);
        const int64_t distance = DistanceSquared(candidate, to);
        if (distance < bestDistance) best = candidate, bestDistance = distance;
    }
    return best;
}

AbsolutePoint ToAbsolute(const PixelRect& desktop, Point p)
{
    const auto axis = [](int32_t pixel, int32_t low, int32_t high) -> int32_t {
        const int64_t size = int64_t(high) - low;
        if (size <= 0) return 0;
        const int64_t offset = std::clamp<int64_t>(pixel, low, high - 1) - low;
        // The smallest a with floor(a * size / 65536) == offset.
        return int32_t(std::min<int64_t>((offset * 65536 + size - 1) / size, 65535));
    };
    return {axis(p.x, desktop.left, desktop.right), axis(p.y, desktop.top, desktop.bottom)};
}

Point FromAbsolute(const PixelRect& desktop, AbsolutePoint a)
{
    const auto axis = [](int32_t value, int32_t low, int32_t high) -> int32_t {
        const int64_t size = int64_t(high) - low;
        return int32_t(low + (int64_t(std::clamp(value, 0, 65535)) * size >> 16));
    };
    return {axis(a.x, desktop.left, desktop.right), axis(a.y, desktop.top, desktop.bottom)};
}

namespace {

Point UnitStep(PointerDirection direction)
{
    switch (direction) {
    case PointerDirection::Up: return {0, -1};
    case PointerDirection::Down: return {0, 1};
    case PointerDirection::Left: return {-1, 0};
    case PointerDirection::Right: return {1, 0};
    case PointerDirection::UpLeft: return {-1, -1};
    case PointerDirection::UpRight: return {1, -1};
    case PointerDirection::DownLeft: return {-1, 1};
    case PointerDirection::DownRight: return {1, 1};
    }
    return {0, 0};
}

}  // namespace

bool PointerMover::AnyHeld() const
{
    return std::any_of(held.begin(), held.end(), [](const auto& d) { return d.has_value(); });
}

std::array<double, 2> PointerMover::Direction() const
{
    double dx = 0, dy = 0;
    for (const auto& d : held) {
        if (!d) continue;
        const Point step = UnitStep(*d);
        dx += step.x;
        dy += step.y;
    }
    const double length = std::hypot(dx, dy);
    if (length < 1e-9) return {0, 0};
    return {dx / length, dy / length};
}

Point PointerMover::Place(Point target)
{
    return desktop.Empty() ? target : desktop.Reach(reported, target);
}

void PointerMover::Follow(Point actual)
{
    if (actual == reported) return;
    reported = actual;
    x = actual.x;
    y = actual.y;
}

std::optional<Point> PointerMover::Press(int sensor, PointerDirection direction, Point current, uint64_t now)
{
    if (sensor < 0 || sensor >= int(held.size())) return std::nullopt;
    if (!AnyHeld()) heldSince = now;
    held[size_t(sensor)] = direction;
    Follow(current);
    const Point step = UnitStep(direction);
    const Point target = Place({current.x + step.x, current.y + step.y});
    if (target == reported) return std::nullopt;
    Follow(target);
    return target;
}

void PointerMover::Release(int sensor)
{
    if (sensor >= 0 && sensor < int(held.size())) held[size_t(sensor)].reset();
}

void PointerMover::ReleaseAll()
{
    held.fill(std::nullopt);
}

std::optional<uint64_t> PointerMover::NextUpdateAt() const
{
    const std::array<double, 2> direction = Direction();
    if (direction[0] == 0 && direction[1] == 0) return std::nullopt;
    return std::max(lastUpdate, heldSince + TapMicroseconds(speeds)) + updateMicroseconds;
}

std::optional<Point> PointerMover::Advance(uint64_t now)
{
    if (!AnyHeld()) return std::nullopt;
    const uint64_t motionStart = heldSince + TapMicroseconds(speeds);
    if (now <= motionStart) return std::nullopt;
    uint64_t from = std::max(lastUpdate, motionStart);
    if (now <= from) return std::nullopt;
    from = std::max(from, now - stepMicroseconds);  // a late caller loses time, never makes a long jump
    lastUpdate = now;
    const std::array<double, 2> direction = Direction();
    if (direction[0] == 0 && direction[1] == 0) return std::nullopt;
    const double distance =
        PointerDistanceAt(speeds, now - motionStart) - PointerDistanceAt(speeds, from - motionStart);
    x += direction[0] * distance;
    y += direction[1] * distance;
    const Point target{int32_t(std::lround(x)), int32_t(std::lround(y))};
    const Point placed = Place(target);
    // At an edge the exact position stays on it, so that the pointer leaves it
    // at once when the direction turns.
    if (placed.x != target.x) x = placed.x;
    if (placed.y != target.y) y = placed.y;
    if (placed == reported) return std::nullopt;
    reported = placed;
    return placed;
}

}  // namespace kontakta
