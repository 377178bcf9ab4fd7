#include "sensors/Scan.h"

#include <algorithm>
#include <cstdlib>

#include "texts/Texts.h"

namespace kontakta {

ScanTiming ClampScanTiming(ScanTiming timing)
{
    timing.sweepMilliseconds = std::clamp(timing.sweepMilliseconds, minSweepMilliseconds, maxSweepMilliseconds);
    timing.stepMilliseconds = std::clamp(timing.stepMilliseconds, minStepMilliseconds, maxStepMilliseconds);
    return timing;
}

const char16_t* ScanItemName(ScanItem item)
{
    switch (item) {
    case ScanItem::Drop: return texts::scanDrop;
    case ScanItem::LeftClick: return texts::scanLeftClick;
    case ScanItem::DoubleClick: return texts::scanDoubleClick;
    case ScanItem::RightClick: return texts::scanRightClick;
    case ScanItem::Drag: return texts::scanDrag;
    case ScanItem::WheelUp: return texts::scanWheelUp;
    case ScanItem::WheelDown: return texts::scanWheelDown;
    case ScanItem::ReleaseAll: return texts::releaseAllKeys;
    case ScanItem::Cancel: return texts::scanCancel;
    case ScanItem::NextProfile: return texts::controlActionNames[4];
    }
    return u"";
}

PixelRect LineRect(const PixelRect& bounds, bool vertical, int32_t position)
{
    const int32_t low = vertical ? bounds.left : bounds.top;
    const int32_t high = vertical ? bounds.right : bounds.bottom;
    int32_t first = std::clamp(position, low, high - 1);
    if (first + 2 > high) first = std::max(low, high - 2);
    const int32_t last = std::min(first + 2, high);
    if (vertical) return {first, bounds.top, last, bounds.bottom};
    return {bounds.left, first, bounds.right, last};
}

namespace {

// One axis of PlaceMenu: after the crossing, before it, or held inside.
int32_t PlaceOnAxis(int32_t low, int32_t high, int32_t at, int32_t size, int32_t gap)
{
    int32_t start = at + gap;
    if (start + size > high) start = at - gap - size;
    // A monitor smaller than the menu shows its beginning.
    return std::max(low, std::min(start, high - size));
}

}  // namespace

Point PlaceMenu(const PixelRect& monitor, Point crossing, int32_t width, int32_t height, int32_t gap)
{
    return {PlaceOnAxis(monitor.left, monitor.right, crossing.x, width, gap),
            PlaceOnAxis(monitor.top, monitor.bottom, crossing.y, height, gap)};
}

Point PastDragDistance(const Desktop& desktop, Point at, int32_t dragWidth, int32_t dragHeight)
{
    // The drag rectangle is centred on the press: a move of more than half
    // its size leaves it. The whole size is moved, so that a rounding of the
    // centre does not keep the pointer inside.
    const int32_t dx = std::max(dragWidth, 1), dy = std::max(dragHeight, 1);
    for (const Point candidate : {Point{at.x + dx, at.y + dy}, Point{at.x - dx, at.y + dy}, Point{at.x + dx, at.y - dy},
                                  Point{at.x - dx, at.y - dy}})
        if (desktop.Contains(candidate)) return candidate;
    return desktop.Nearest({at.x + dx, at.y + dy});
}

std::vector<Point> DropPath(Point from, Point to)
{
    constexpr int64_t spacing = 40, fewest = 8, most = 50;
    const int64_t dx = int64_t(to.x) - from.x, dy = int64_t(to.y) - from.y;
    const int64_t length = std::max(std::llabs(dx), std::llabs(dy));
    const int64_t count = std::clamp(length / spacing, fewest, most);
    std::vector<Point> path;
    path.reserve(size_t(count));
    for (int64_t i = 1; i <= count; ++i)
        path.push_back({int32_t(from.x + dx * i / count), int32_t(from.y + dy * i / count)});
    return path;
}

uint64_t Scan::SweepMicroseconds() const
{
    return uint64_t(setup.timing.sweepMilliseconds) * 1000;
}

uint64_t Scan::StepQuantum() const
{
    // A step moves a line by a fortieth of the desktop at the line's speed
    // (a quarter of that in a refinement), and the menu by one item.
    if (phase == Phase::Menu) return uint64_t(setup.timing.stepMilliseconds) * 1000;
    return SweepMicroseconds() / stepsPerSweep;
}

uint64_t Scan::Elapsed(uint64_t at) const
{
    if (setup.stepping) {
        // A press that began before the last step chooses what was drawn
        // before it.
        const uint64_t taken = steps > 0 && at < lastStepAt ? steps - 1 : steps;
        return taken * StepQuantum();
    }
    return at > phaseStart ? at - phaseStart : 0;
}

int32_t Scan::LinePosition(uint64_t elapsed) const
{
    // The line passes `full` pixels in the sweep time (`slowdown` times
    // that in a refinement), and wraps to the near edge of its extent.
    const uint64_t travelled = elapsed * uint64_t(sweep.full) / (SweepMicroseconds() * uint64_t(sweep.slowdown));
    return sweep.start + int32_t(travelled % uint64_t(sweep.extent));
}

int32_t Scan::LitItem(uint64_t elapsed) const
{
    return int32_t((elapsed / StepQuantum()) % items.size());
}

uint64_t Scan::EndOfPhase() const
{
    if (phase == Phase::Menu) return 2 * items.size() * StepQuantum();
    // Two passes over the extent: the time of 2 * extent pixels, rounded up.
    const uint64_t numerator = 2 * uint64_t(sweep.extent) * SweepMicroseconds() * uint64_t(sweep.slowdown);
    return (numerator + uint64_t(sweep.full) - 1) / uint64_t(sweep.full);
}

void Scan::Start(uint64_t now, ScanSetup changed)
{
    if (changed.desktop.Empty()) return;
    setup = std::move(changed);
    setup.timing = ClampScanTiming(setup.timing);
    lastPressAt = now;
    BeginLine(true, false, 0, now);
}

void Scan::BeginLine(bool vertical, bool refine, int32_t stop, uint64_t now)
{
    const PixelRect bounds = setup.desktop.Bounds();
    const int32_t low = vertical ? bounds.left : bounds.top;
    const int32_t full = std::max(vertical ? bounds.right - bounds.left : bounds.bottom - bounds.top, 1);
    phase = vertical ? Phase::Vertical : Phase::Horizontal;
    fine = refine;
    if (refine) {
        // A tenth of the desktop centred on the stop, kept inside it.
        const int32_t extent = std::max(full / bandDivisor, 1);
        sweep = {std::clamp(stop - extent / 2, low, low + full - extent), extent, full, fineSlowdown};
    } else {
        sweep = {low, full, full, 1};
    }
    phaseStart = now;
    steps = 0;
    lastStepAt = 0;
}

void Scan::BeginMenu(uint64_t now)
{
    items.clear();
    // While a drag is held its button is down: "Ablegen" comes first, and
    // "Ziehen" is not offered again.
    if (dragHeld) items.push_back(ScanItem::Drop);
    for (const ScanItem item : {ScanItem::LeftClick, ScanItem::DoubleClick, ScanItem::RightClick, ScanItem::Drag,
                                ScanItem::WheelUp, ScanItem::WheelDown, ScanItem::ReleaseAll})
        if (!(dragHeld && item == ScanItem::Drag)) items.push_back(item);
    if (setup.nextProfile) items.push_back(ScanItem::NextProfile);
    items.push_back(ScanItem::Cancel);
    phase = Phase::Menu;
    fine = false;
    phaseStart = now;
    steps = 0;
    lastStepAt = 0;
}

ScanResult Scan::Choose(uint64_t pressStart, uint64_t now)
{
    ScanResult result;
    if (phase == Phase::Idle) return result;
    uint64_t reference = std::min(pressStart, now);
    if (!setup.stepping) {
        // What was drawn when the press began: the first poll that saw it
        // knows it only within a poll, so half a poll period earlier; never
        // before the phase began.
        const uint64_t half = setup.pollMicroseconds / 2;
        reference = reference > half ? reference - half : 0;
        reference = std::max(reference, phaseStart);
    }
    lastPressAt = now;
    switch (phase) {
    case Phase::Vertical: {
        const int32_t x = LinePosition(Elapsed(reference));
        result.event = ScanResult::Event::LineStopped;
        if (setup.timing.refine && !fine) {
            BeginLine(true, true, x, now);
        } else {
            stoppedX = x;
            BeginLine(false, false, 0, now);
        }
        return result;
    }
    case Phase::Horizontal: {
        const int32_t y = LinePosition(Elapsed(reference));
        if (setup.timing.refine && !fine) {
            BeginLine(false, true, y, now);
            result.event = ScanResult::Event::LineStopped;
            return result;
        }
        stoppedY = y;
        // Where the lines cross may be in a gap between monitors, where the
        // pointer cannot go: the nearest point on a monitor.
        crossing = setup.desktop.Nearest({stoppedX, stoppedY});
        monitor = setup.desktop.Bounds();
        for (const PixelRect& each : setup.desktop.Monitors())
            if (each.Contains(crossing)) monitor = each;
        BeginMenu(now);
        result.event = ScanResult::Event::MenuShown;
        result.at = crossing;
        result.travel = dragHeld;
        result.from = dragFrom;
        return result;
    }
    case Phase::Menu: {
        const ScanItem item = items[size_t(LitItem(Elapsed(reference)))];
        if (item == ScanItem::Drag) {
            dragHeld = true;
            dragFrom = crossing;
        } else if (item == ScanItem::Drop || item == ScanItem::ReleaseAll) {
            dragHeld = false;
        }
        result.event = ScanResult::Event::Perform;
        result.item = item;
        result.at = crossing;
        End();
        return result;
    }
    case Phase::Idle: break;
    }
    return result;
}

void Scan::Step(uint64_t now)
{
    if (phase == Phase::Idle || !setup.stepping) return;
    ++steps;
    lastStepAt = now;
    lastPressAt = now;
}

ScanResult Scan::Advance(uint64_t now, bool pressUnderWay)
{
    ScanResult result;
    if (phase == Phase::Idle || pressUnderWay) return result;
    const bool over = setup.stepping ? now >= lastPressAt + stepIdleMicroseconds : Elapsed(now) >= EndOfPhase();
    if (over) {
        End();
        result.event = ScanResult::Event::Ended;
    }
    return result;
}

std::optional<uint64_t> Scan::NextDue(uint64_t now) const
{
    if (phase == Phase::Idle) return std::nullopt;
    // Past its end while a press is under way, the scan waits for that
    // press without waking at once again.
    if (setup.stepping) return std::max(lastPressAt + stepIdleMicroseconds, now + redrawMicroseconds);
    const uint64_t end = phaseStart + EndOfPhase();
    const uint64_t elapsed = Elapsed(now);
    uint64_t next = 0;
    if (phase == Phase::Menu) {
        next = phaseStart + (elapsed / StepQuantum() + 1) * StepQuantum();
    } else {
        // The time the line reaches its next pixel, but not sooner than a
        // redraw period from now.
        const uint64_t perPixelDenominator = uint64_t(sweep.full);
        const uint64_t scaled = SweepMicroseconds() * uint64_t(sweep.slowdown);
        const uint64_t travelled = elapsed * perPixelDenominator / scaled;
        next = phaseStart + ((travelled + 1) * scaled + perPixelDenominator - 1) / perPixelDenominator;
        next = std::max(next, now + redrawMicroseconds);
    }
    return end > now ? std::min(next, end) : std::max(next, now + redrawMicroseconds);
}

ScanView Scan::View(uint64_t now) const
{
    ScanView view;
    if (phase == Phase::Idle) return view;
    view.active = true;
    view.bounds = setup.desktop.Bounds();
    switch (phase) {
    case Phase::Vertical: view.verticalX = LinePosition(Elapsed(now)); break;
    case Phase::Horizontal:
        view.verticalX = stoppedX;
        view.horizontalY = LinePosition(Elapsed(now));
        break;
    case Phase::Menu:
        view.verticalX = crossing.x;
        view.horizontalY = crossing.y;
        view.menu = true;
        view.crossing = crossing;
        view.monitor = monitor;
        view.items = items;
        view.lit = LitItem(Elapsed(now));
        break;
    case Phase::Idle: break;
    }
    return view;
}

void Scan::End()
{
    phase = Phase::Idle;
    fine = false;
    items.clear();
}

void Scan::Cancel()
{
    End();
}

bool Scan::LetGo()
{
    End();
    const bool held = dragHeld;
    dragHeld = false;
    return held;
}

}  // namespace kontakta
