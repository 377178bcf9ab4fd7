// Scanning: a user with a single switch reaches any point of the desktop. A
// vertical line sweeps the desktop from left to right, a press stops it; a
// horizontal line sweeps from top to bottom, a press stops it; a menu of
// actions next to the crossing lights its items one after another, and a
// press chooses the lit one. With a step sensor the lines and the menu move
// only when that switch is pressed.
//
// Driven by the caller's clock (microseconds of a monotonic clock) and never
// waits: the polling thread starts the scan, tells it of the presses, asks it
// each cycle whether it ended by itself, and draws View(). The scan decides;
// the caller performs (moves the pointer, clicks, turns the wheel). Not
// thread-safe: one thread drives it. Positions are physical pixels of the
// virtual desktop.
#pragma once

#include <cstdint>
#include <optional>
#include <vector>

#include "sensors/PointerMotion.h"

namespace kontakta {

// The settings of the scan, on the panel of "Bildschirm abtasten".
struct ScanTiming {
    uint32_t sweepMilliseconds = 6000;  // 1000 to 30000: one sweep of a line across the desktop
    uint32_t stepMilliseconds = 1500;   // 500 to 5000: each menu item lit this long
    bool refine = false;                // "Fein nachführen"
    bool operator==(const ScanTiming&) const = default;
};
constexpr uint32_t minSweepMilliseconds = 1000, maxSweepMilliseconds = 30000;
constexpr uint32_t minStepMilliseconds = 500, maxStepMilliseconds = 5000;

// Times outside their ranges are held to them.
ScanTiming ClampScanTiming(ScanTiming timing);

// The menu's items. Drop ("Ablegen") is offered, first, only while a drag of
// an earlier scan is held; Drag is not offered then (its button is down).
enum class ScanItem : int32_t {
    Drop = 0,         // "Ablegen"
    LeftClick = 1,    // "Linksklick"
    DoubleClick = 2,  // "Doppelklick"
    RightClick = 3,   // "Rechtsklick"
    Drag = 4,         // "Ziehen"
    WheelUp = 5,      // "Mausrad auf"
    WheelDown = 6,    // "Mausrad ab"
    ReleaseAll = 7,   // "Alle Tasten loslassen"
    Cancel = 8,       // "Abbrechen"
    NextProfile = 9,  // "Nächstes Profil", before "Abbrechen" where there is more than one profile
};
const char16_t* ScanItemName(ScanItem item);

// What a scan needs to know when it starts.
struct ScanSetup {
    Desktop desktop;
    ScanTiming timing;
    bool stepping = false;          // a step sensor ("Abtasten: weiter") is configured
    uint64_t pollMicroseconds = 0;  // the poller's period
    bool nextProfile = false;       // the menu offers "Nächstes Profil"
};

// What the caller is to do after a press or a cycle.
struct ScanResult {
    enum class Event {
        None,         // nothing (or the overlay just moves on: redraw it)
        LineStopped,  // the vertical line stopped (or a refinement begins): redraw
        MenuShown,    // both lines stopped: move the pointer to `at` and show the menu
        Perform,      // perform `item` at `at`; the scan has ended
        Ended,        // the scan ended by itself (or was cancelled): nothing happens
    };
    Event event = Event::None;
    ScanItem item = ScanItem::Cancel;
    Point at;
    // With MenuShown while a drag is held: the pointer travels from `from` to
    // `at` in several steps (DropPath), so that Windows and programs see a
    // drag rather than a jump.
    bool travel = false;
    Point from;
};

// What the overlay draws, and nothing else. The lines span the desktop's
// bounds; a stopped line stays drawn while the next one sweeps.
struct ScanView {
    bool active = false;
    PixelRect bounds;
    std::optional<int32_t> verticalX;    // the vertical line's pixel column
    std::optional<int32_t> horizontalY;  // the horizontal line's pixel row
    bool menu = false;
    Point crossing;     // the menu stands next to it
    PixelRect monitor;  // the crossing's monitor: the menu is kept on it
    std::vector<ScanItem> items;
    int32_t lit = -1;  // the index of the lit item in `items`
    bool operator==(const ScanView&) const = default;
};

// The window of a line two pixels wide at `position` (a column for a
// vertical line, a row for a horizontal one) across `bounds`: the position
// and the next pixel, or the one before at the far edge, so that both pixels
// are on the desktop.
PixelRect LineRect(const PixelRect& bounds, bool vertical, int32_t position);

// Where a menu of `width` x `height` pixels goes: `gap` pixels right of and
// below the crossing; left of or above it where it would not fit there; and
// in every case inside `monitor` (as far as it is large enough).
Point PlaceMenu(const PixelRect& monitor, Point crossing, int32_t width, int32_t height, int32_t gap);

// A point that leaves the system's drag rectangle (`dragWidth` x
// `dragHeight`, SM_CXDRAG/SM_CYDRAG, centred on `at`), on the desktop: right
// and down, or left and up at the desktop's far edges.
Point PastDragDistance(const Desktop& desktop, Point at, int32_t dragWidth, int32_t dragHeight);

// The positions a drag travels from `from` to `to`, without `from`, ending
// on `to`: evenly spaced, at least 8 and at most 50 of them, about 40 pixels
// apart.
std::vector<Point> DropPath(Point from, Point to);

class Scan {
public:
    // A step scan ends by itself this long after the last press.
    static constexpr uint64_t stepIdleMicroseconds = 30'000'000;
    // A line moves by this fraction of the desktop per step press.
    static constexpr int32_t stepsPerSweep = 40;
    // The refinement: a band of this fraction of the desktop, at this
    // fraction of the speed.
    static constexpr int32_t bandDivisor = 10;
    static constexpr int32_t fineSlowdown = 4;
    // A moving line is redrawn at least this often.
    static constexpr uint64_t redrawMicroseconds = 8'000;

    bool Active() const { return phase != Phase::Idle; }
    // Whether the left button is held by a drag ("Ziehen") of an earlier scan.
    bool DragHeld() const { return dragHeld; }

    // The scan sensor's press while no scan runs: the vertical line starts at
    // the desktop's left edge. Nothing starts on an empty desktop.
    void Start(uint64_t now, ScanSetup setup);

    // A counted press of the scan sensor during a scan. `pressStart` is the
    // first poll that saw the press (earlier than `now` when it counted after
    // its hold time): the choice is what was drawn then, less half a poll
    // period of travel.
    ScanResult Choose(uint64_t pressStart, uint64_t now);

    // A press of the step sensor: the line moves by one step, the menu by one
    // item. Only in a step scan.
    void Step(uint64_t now);

    // Each cycle while Active(). The scan ends by itself after two sweeps of
    // a line or two rounds of the menu without a press (a step scan: 30 s
    // without a press), but not while `pressUnderWay` (the scan sensor is
    // down and its hold time still runs: that press may still choose).
    ScanResult Advance(uint64_t now, bool pressUnderWay = false);

    // When the caller should next call Advance and redraw; nothing while no
    // scan runs (an idle scan costs nothing).
    std::optional<uint64_t> NextDue(uint64_t now) const;

    ScanView View(uint64_t now) const;

    // Ends a running scan at once (lock, session switch, monitors changed,
    // pause); a held drag stays held.
    void Cancel();
    // Everything was let go (box loss, pause, "Alle Tasten loslassen", exit):
    // ends a running scan and forgets the held drag, whose button the caller
    // releases. True if a drag was held.
    bool LetGo();

private:
    enum class Phase { Idle, Vertical, Horizontal, Menu };

    // The moving part of a phase: a line sweeping `extent` pixels from
    // `start`, at the full speed or a quarter of it.
    struct Sweep {
        int32_t start = 0;     // the near edge (not "near": a macro of windows.h)
        int32_t extent = 1;    // the pixels it passes (the band, or the whole desktop)
        int32_t full = 1;      // the desktop's extent on that axis: sets the speed
        int32_t slowdown = 1;  // 1, or fineSlowdown for the refinement
    };

    Phase phase = Phase::Idle;
    bool fine = false;  // the refinement of the current line
    ScanSetup setup;
    Sweep sweep;
    uint64_t phaseStart = 0;
    // A step scan: the steps taken in this phase, the time of the last press,
    // and the steps before the last step (for a press that began before it).
    uint64_t steps = 0;
    uint64_t lastStepAt = 0;
    uint64_t lastPressAt = 0;
    int32_t stoppedX = 0;
    int32_t stoppedY = 0;
    Point crossing;
    PixelRect monitor;
    std::vector<ScanItem> items;

    bool dragHeld = false;
    Point dragFrom;

    uint64_t SweepMicroseconds() const;
    uint64_t StepQuantum() const;
    // How far the phase had run at `at` (real time, or steps in a step scan).
    uint64_t Elapsed(uint64_t at) const;
    int32_t LinePosition(uint64_t elapsed) const;
    int32_t LitItem(uint64_t elapsed) const;
    // The elapsed time after which a continuous phase ends by itself.
    uint64_t EndOfPhase() const;
    void BeginLine(bool vertical, bool refine, int32_t stop, uint64_t now);
    void BeginMenu(uint64_t now);
    void End();
};

}  // namespace kontakta
