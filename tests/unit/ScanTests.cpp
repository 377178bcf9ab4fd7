#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <tuple>
#include <vector>

#include "sensors/Scan.h"

using namespace kontakta;

namespace {

constexpr uint64_t ms = 1000;
constexpr uint64_t s = 1000 * ms;
constexpr uint64_t poll = 10 * ms;
constexpr uint64_t t0 = 5 * s;  // the press that starts the scan

const PixelRect primary{0, 0, 1920, 1080};
const PixelRect rightOfIt{1920, 0, 3840, 1440};  // taller: a gap under the primary

ScanSetup ScanOf(std::vector<PixelRect> monitors = {primary}, ScanTiming timing = {}, bool stepping = false)
{
    return {Desktop(std::move(monitors)), timing, stepping, poll};
}

using Event = ScanResult::Event;

// Presses that count at once (no hold time).
ScanResult Press(Scan& scan, uint64_t at)
{
    return scan.Choose(at, at);
}

}  // namespace

TEST(Scan, PressesStopBothLinesWhereTheyWereHalfAPollEarlierAndPerformTheLitItemAtTheCrossing)
{
    Scan scan;
    scan.Start(t0, ScanOf());
    ASSERT_TRUE(scan.Active());
    EXPECT_EQ(scan.View(t0).verticalX, 0) << "the vertical line starts at the left edge";
    EXPECT_EQ(scan.View(t0 + 3 * s).verticalX, 960) << "1920 pixels in 6 s";

    // 1920 px / 6 s = 0.32 px/ms: at 3 s less 5 ms the line was at 958.4.
    EXPECT_EQ(Press(scan, t0 + 3 * s).event, Event::LineStopped);
    const uint64_t t1 = t0 + 3 * s;
    ScanView view = scan.View(t1 + 1 * s);
    EXPECT_EQ(view.verticalX, 958) << "the stopped line stays drawn";
    EXPECT_EQ(view.horizontalY, 180) << "1080 pixels in 6 s, from the top";
    EXPECT_FALSE(view.menu);

    const ScanResult shown = Press(scan, t1 + 1500 * ms);
    EXPECT_EQ(shown.event, Event::MenuShown);
    EXPECT_EQ(shown.at, (Point{958, 269})) << "1495 ms at 0.18 px/ms";
    EXPECT_FALSE(shown.travel);
    const uint64_t t2 = t1 + 1500 * ms;
    view = scan.View(t2);
    EXPECT_TRUE(view.menu);
    EXPECT_EQ(view.crossing, shown.at);
    EXPECT_EQ(view.monitor, primary);
    EXPECT_EQ(view.items,
              (std::vector<ScanItem>{ScanItem::LeftClick, ScanItem::DoubleClick, ScanItem::RightClick, ScanItem::Drag,
                                     ScanItem::WheelUp, ScanItem::WheelDown, ScanItem::ReleaseAll, ScanItem::Cancel}));
    EXPECT_EQ(view.lit, 0) << "the first item is lit at once";
    EXPECT_EQ(scan.View(t2 + 1499 * ms).lit, 0);
    EXPECT_EQ(scan.View(t2 + 1500 * ms).lit, 1);

    const ScanResult chosen = Press(scan, t2 + 2 * s);
    EXPECT_EQ(chosen.event, Event::Perform);
    EXPECT_EQ(chosen.item, ScanItem::DoubleClick);
    EXPECT_EQ(chosen.at, (Point{958, 269}));
    EXPECT_FALSE(scan.Active()) << "a chosen item ends the scan";
    EXPECT_FALSE(scan.View(t2 + 2 * s).active);
    EXPECT_EQ(scan.NextDue(t2 + 2 * s), std::nullopt) << "no scan, no wake";
    EXPECT_EQ(Press(scan, t2 + 3 * s).event, Event::None);
}

TEST(Scan, LinesWrapToTheNearEdgeAndEndByThemselvesAfterTwoSweepsButNotWhileAPressIsUnderWay)
{
    Scan scan;
    scan.Start(t0, ScanOf());
    EXPECT_EQ(scan.View(t0 + 6 * s - 1).verticalX, 1919);
    EXPECT_EQ(scan.View(t0 + 6 * s).verticalX, 0) << "the far edge starts again from the near edge";
    EXPECT_EQ(scan.View(t0 + 7 * s).verticalX, 320);
    EXPECT_EQ(scan.Advance(t0 + 12 * s - 1).event, Event::None);
    EXPECT_EQ(scan.NextDue(t0 + 12 * s - 3 * ms), t0 + 12 * s) << "it wakes for its end";

    // The sensor went down just before the end; its hold time runs past it.
    EXPECT_EQ(scan.Advance(t0 + 12 * s, true).event, Event::None);
    EXPECT_GE(*scan.NextDue(t0 + 12 * s), t0 + 12 * s + Scan::redrawMicroseconds) << "no busy wake meanwhile";
    // Counted 300 ms after it began at 11.9 s: the line was at 1886.4 then
    // (half a poll earlier), not where it was drawn when the press counted.
    EXPECT_EQ(scan.Choose(t0 + 11900 * ms, t0 + 12200 * ms).event, Event::LineStopped);
    EXPECT_EQ(scan.View(t0 + 12200 * ms).verticalX, 1886);

    // The horizontal line alone: two sweeps, then nothing happens.
    const uint64_t t1 = t0 + 12200 * ms;
    EXPECT_EQ(scan.View(t1 + 6 * s + 500 * ms).horizontalY, 90) << "wrapped";
    EXPECT_EQ(scan.Advance(t1 + 12 * s).event, Event::Ended);
    EXPECT_FALSE(scan.Active());
}

TEST(Scan, HoldTimeChoosesThePositionAtThePressStartAndNeverBeforeTheLineBegan)
{
    Scan scan;
    scan.Start(t0, ScanOf());
    // A press that began at 1 s and counted after a hold time of 2 s.
    scan.Choose(t0 + 1 * s, t0 + 3 * s);
    EXPECT_EQ(scan.View(t0 + 3 * s).verticalX, 318) << "995 ms of travel, not 3 s";
    // The horizontal line began at 3 s; a press seen by its first poll.
    scan.Choose(t0 + 3 * s + 2 * ms, t0 + 3 * s + 500 * ms);
    EXPECT_EQ(scan.View(t0 + 4 * s).crossing, (Point{318, 0})) << "half a poll before the line is its start";

    // A quicker sweep moves farther in half a poll: 1 s over 1920 px.
    scan.Cancel();
    scan.Start(t0, ScanOf({primary}, {1000, 1500, false}));
    scan.Choose(t0 + 500 * ms, t0 + 500 * ms);
    EXPECT_EQ(scan.View(t0 + 500 * ms).verticalX, 950) << "495 ms at 1.92 px/ms";
}

TEST(Scan, MenuLightsEachItemForTheStepTimeRoundAndRoundAndEndsAfterTwoRounds)
{
    Scan scan;
    scan.Start(t0, ScanOf({primary}, {6000, 1000, false}));
    Press(scan, t0 + 1 * s);
    Press(scan, t0 + 2 * s);
    const uint64_t menu = t0 + 2 * s;
    EXPECT_EQ(scan.NextDue(menu), menu + 1 * s) << "the next item's time";
    EXPECT_EQ(scan.View(menu + 7500 * ms).lit, 7);
    EXPECT_EQ(scan.View(menu + 8 * s).lit, 0) << "round and round";
    EXPECT_EQ(scan.View(menu + 15 * s).lit, 7);
    EXPECT_EQ(scan.Advance(menu + 16 * s - 1).event, Event::None);
    EXPECT_EQ(scan.Advance(menu + 16 * s).event, Event::Ended) << "two rounds of 8 items";
    EXPECT_FALSE(scan.Active());

    // A press just after an item went out chooses it: it began half a poll
    // earlier, as far as the poll can know.
    scan.Start(t0, ScanOf({primary}, {6000, 1000, false}));
    Press(scan, t0 + 1 * s);
    Press(scan, t0 + 2 * s);
    const ScanResult chosen = Press(scan, menu + 1 * s + 4 * ms);
    EXPECT_EQ(chosen.item, ScanItem::LeftClick);
}

TEST(Scan, RefinementSweepsATenthOfTheDesktopAtAQuarterOfTheSpeedKeptInsideTheDesktop)
{
    const ScanTiming refine{6000, 1500, true};
    Scan scan;
    // Two monitors side by side: 3840 px wide, a band of 384 px at 160 px/s.
    scan.Start(t0, ScanOf({primary, rightOfIt}, refine));
    Press(scan, t0 + 3 * s + 5 * ms);  // stops at 1920, on the monitors' border
    EXPECT_EQ(scan.View(t0 + 3 * s + 5 * ms).verticalX, 1728) << "the band across both monitors begins";
    const uint64_t fine = t0 + 3 * s + 5 * ms;
    EXPECT_EQ(scan.View(fine + 1 * s).verticalX, 1728 + 160);
    EXPECT_EQ(scan.View(fine + 2400 * ms).verticalX, 1728) << "the band wraps";
    EXPECT_EQ(scan.Advance(fine + 4800 * ms - 1).event, Event::None);
    Press(scan, fine + 1200 * ms + 5 * ms);  // 1920 + 0: the second monitor
    EXPECT_EQ(scan.View(fine + 1300 * ms).verticalX, 1920) << "the refined stop";
    EXPECT_FALSE(scan.View(fine + 1300 * ms).horizontalY == std::nullopt);

    // The horizontal line over 1440 px, refined near the bottom edge: a band of
    // 144 px held inside the desktop, [1296, 1440).
    const uint64_t h = fine + 1205 * ms;
    Press(scan, h + 6 * s - 5 * ms);
    const uint64_t hFine = h + 6 * s - 5 * ms;
    EXPECT_EQ(scan.View(hFine).horizontalY, 1296);
    EXPECT_EQ(scan.View(hFine + 1 * s).horizontalY, 1296 + 60) << "1440 px / 24 s";
    const ScanResult shown = Press(scan, hFine + 2 * s + 5 * ms);
    EXPECT_EQ(shown.event, Event::MenuShown);
    EXPECT_EQ(shown.at, (Point{1920, 1416}));
    EXPECT_EQ(scan.View(hFine + 3 * s).monitor, rightOfIt) << "the menu stays on the crossing's monitor";

    // The left edge: a band that would begin left of the desktop begins at it.
    scan.Cancel();
    scan.Start(t0, ScanOf({primary}, refine));
    Press(scan, t0 + 5 * ms);
    EXPECT_EQ(scan.View(t0 + 5 * ms).verticalX, 0);
    EXPECT_EQ(scan.View(t0 + 2400 * ms - 1).verticalX, 191) << "192 px at 80 px/s";
    EXPECT_EQ(scan.Advance(t0 + 5 * ms + 4800 * ms).event, Event::Ended) << "two passes of the band";
}

TEST(Scan, CrossingIsTheNearestPointOnAMonitorWhenTheLinesCrossInAGap)
{
    Scan scan;
    scan.Start(t0, ScanOf({primary, rightOfIt}));
    Press(scan, t0 + 1 * s + 5 * ms);                  // x = 640
    const ScanResult shown = Press(scan, t0 + 6 * s);  // y = 1200: under the primary, off it
    EXPECT_EQ(shown.at, (Point{640, 1079}));
    EXPECT_EQ(scan.View(t0 + 6 * s).monitor, primary);
    EXPECT_EQ(scan.View(t0 + 6 * s).bounds, (PixelRect{0, 0, 3840, 1440})) << "the lines span every monitor";
}

TEST(Scan, StepScanMovesOnlyOnStepsAndEndsThirtySecondsAfterTheLastPress)
{
    Scan scan;
    scan.Start(t0, ScanOf({primary}, {6000, 1500, false}, true));
    EXPECT_EQ(scan.View(t0 + 10 * s).verticalX, 0) << "no step, no movement";
    scan.Step(t0 + 11 * s);
    scan.Step(t0 + 12 * s);
    EXPECT_EQ(scan.View(t0 + 12 * s).verticalX, 96) << "a fortieth of 1920 per step";
    for (int i = 0; i < 38; ++i) scan.Step(t0 + 13 * s);
    EXPECT_EQ(scan.View(t0 + 13 * s).verticalX, 0) << "the fortieth step wraps";
    scan.Step(t0 + 14 * s);
    // A press that began before the last step chooses what was drawn then.
    scan.Step(t0 + 15 * s);
    scan.Choose(t0 + 15 * s - 1 * ms, t0 + 15200 * ms);
    EXPECT_EQ(scan.View(t0 + 16 * s).verticalX, 48);
    scan.Step(t0 + 16 * s);
    EXPECT_EQ(scan.View(t0 + 16 * s).horizontalY, 27) << "a fortieth of 1080";
    EXPECT_EQ(scan.NextDue(t0 + 16 * s), t0 + 46 * s);
    EXPECT_EQ(scan.Advance(t0 + 46 * s - 1).event, Event::None);
    Press(scan, t0 + 40 * s);
    EXPECT_EQ(scan.View(t0 + 40 * s).lit, 0);
    scan.Step(t0 + 41 * s);
    scan.Step(t0 + 42 * s);
    EXPECT_EQ(scan.View(t0 + 60 * s).lit, 2) << "one item per step, however long";
    EXPECT_EQ(Press(scan, t0 + 43 * s).item, ScanItem::RightClick);

    // Left alone: 30 s after the start press.
    scan.Start(t0, ScanOf({primary}, {6000, 1500, true}, true));
    scan.Step(t0 + 1 * s);
    Press(scan, t0 + 2 * s);  // the refinement: a quarter of a step
    scan.Step(t0 + 3 * s);
    EXPECT_EQ(scan.View(t0 + 3 * s).verticalX, 12) << "the band of 192 px centred on 48 begins at 0; a step is 12 px";
    EXPECT_EQ(scan.Advance(t0 + 33 * s - 1).event, Event::None);
    EXPECT_EQ(scan.Advance(t0 + 33 * s).event, Event::Ended);
}

TEST(Scan, DragAndDropHoldsTheDragAcrossScansOffersDropFirstAndTravelsToTheDropPoint)
{
    Scan scan;
    scan.Start(t0, ScanOf());
    Press(scan, t0 + 1 * s + 5 * ms);   // x = 320
    Press(scan, t0 + 2 * s + 10 * ms);  // y = 180: 1 s after the line began, less 5 ms
    const uint64_t menu = t0 + 2 * s + 10 * ms;
    const ScanResult drag = Press(scan, menu + 3 * 1500 * ms + 100 * ms);
    EXPECT_EQ(drag.item, ScanItem::Drag);
    EXPECT_EQ(drag.at, (Point{320, 180}));
    EXPECT_TRUE(scan.DragHeld());

    // The scan left alone keeps the drag.
    scan.Start(t0 + 20 * s, ScanOf());
    EXPECT_EQ(scan.Advance(t0 + 32 * s).event, Event::Ended);
    EXPECT_TRUE(scan.DragHeld());

    scan.Start(t0 + 40 * s, ScanOf());
    Press(scan, t0 + 43 * s + 5 * ms);                            // x = 960
    const ScanResult shown = Press(scan, t0 + 46 * s + 10 * ms);  // y = 540
    EXPECT_TRUE(shown.travel);
    EXPECT_EQ(shown.from, (Point{320, 180}));
    EXPECT_EQ(shown.at, (Point{960, 540}));
    const ScanView view = scan.View(t0 + 46 * s + 10 * ms);
    ASSERT_FALSE(view.items.empty());
    EXPECT_EQ(view.items.front(), ScanItem::Drop);
    EXPECT_EQ(view.items.size(), 8u) << "Drop instead of Drag";
    EXPECT_EQ(std::count(view.items.begin(), view.items.end(), ScanItem::Drag), 0);
    const ScanResult drop = Press(scan, t0 + 46 * s + 200 * ms);
    EXPECT_EQ(drop.item, ScanItem::Drop);
    EXPECT_EQ(drop.at, (Point{960, 540}));
    EXPECT_FALSE(scan.DragHeld());

    const std::vector<Point> path = DropPath({320, 180}, {960, 540});
    EXPECT_EQ(path.size(), 16u) << "640 px at about 40 px apart";
    EXPECT_EQ(path.back(), (Point{960, 540}));
    EXPECT_EQ(path.front(), (Point{360, 202}));
    EXPECT_EQ(DropPath({0, 0}, {3, 0}).size(), 8u) << "several steps even for a short way";
    EXPECT_EQ(DropPath({0, 0}, {30000, 0}).size(), 50u);

    const Desktop desktop({primary});
    EXPECT_EQ(PastDragDistance(desktop, {320, 180}, 4, 4), (Point{324, 184}));
    EXPECT_EQ(PastDragDistance(desktop, {1919, 1079}, 4, 4), (Point{1915, 1075})) << "inwards at the far corner";
}

TEST(Scan, EndingStopsEverythingOnCancelLetGoAndTheMenusOwnItems)
{
    Scan scan;
    scan.Start(t0, ScanOf({}));
    EXPECT_FALSE(scan.Active()) << "no monitors, no scan";

    // Cancel ends the sweep and keeps a held drag; a let-go forgets it.
    scan.Start(t0, ScanOf());
    Press(scan, t0 + 1 * s);
    Press(scan, t0 + 2 * s);
    Press(scan, t0 + 2 * s + 3 * 1500 * ms + 10 * ms);  // Drag
    ASSERT_TRUE(scan.DragHeld());
    scan.Start(t0 + 10 * s, ScanOf());
    scan.Cancel();
    EXPECT_FALSE(scan.Active());
    EXPECT_EQ(scan.NextDue(t0 + 10 * s), std::nullopt);
    EXPECT_EQ(scan.Advance(t0 + 30 * s).event, Event::None);
    EXPECT_TRUE(scan.DragHeld());
    scan.Start(t0 + 40 * s, ScanOf());
    EXPECT_TRUE(scan.LetGo());
    EXPECT_FALSE(scan.Active());
    EXPECT_FALSE(scan.DragHeld());
    EXPECT_FALSE(scan.LetGo());

    // "Alle Tasten loslassen" lets the drag go too; "Abbrechen" does nothing.
    for (const auto& [index, item, held] :
         {std::tuple{6, ScanItem::ReleaseAll, false}, std::tuple{7, ScanItem::Cancel, true}}) {
        scan.Start(t0, ScanOf());
        Press(scan, t0 + 1 * s);
        Press(scan, t0 + 2 * s);
        Press(scan, t0 + 2 * s + 3 * 1500 * ms + 10 * ms);  // Drag
        scan.Start(t0 + 20 * s, ScanOf());
        Press(scan, t0 + 21 * s);
        Press(scan, t0 + 22 * s);
        const ScanResult chosen = Press(scan, t0 + 22 * s + uint64_t(index) * 1500 * ms + 10 * ms);
        EXPECT_EQ(chosen.item, item);
        EXPECT_EQ(scan.DragHeld(), held);
        EXPECT_FALSE(scan.Active());
        scan.LetGo();
    }
}

TEST(ScanPlacement, LinesAndMenuStayOnTheDesktopAndTheCrossingsMonitor)
{
    const PixelRect bounds{-1280, 0, 1920, 1080};
    EXPECT_EQ(LineRect(bounds, true, -1280), (PixelRect{-1280, 0, -1278, 1080}));
    EXPECT_EQ(LineRect(bounds, true, 1919), (PixelRect{1918, 0, 1920, 1080})) << "both pixels on the desktop";
    EXPECT_EQ(LineRect(bounds, false, 500), (PixelRect{-1280, 500, 1920, 502}));
    EXPECT_EQ(LineRect(bounds, false, 1079), (PixelRect{-1280, 1078, 1920, 1080}));

    const PixelRect left{-1280, 0, 0, 1024};
    EXPECT_EQ(PlaceMenu(left, {-1000, 100}, 300, 400, 16), (Point{-984, 116})) << "right of and below";
    EXPECT_EQ(PlaceMenu(left, {-100, 900}, 300, 400, 16), (Point{-416, 484})) << "left of and above";
    EXPECT_EQ(PlaceMenu(left, {-1270, 1000}, 300, 1100, 16), (Point{-1254, 0})) << "too tall: held to the top";
    EXPECT_EQ(PlaceMenu(primary, {10, 10}, 300, 400, 16), (Point{26, 26}));

    EXPECT_EQ(ClampScanTiming({0, 0, true}), (ScanTiming{1000, 500, true}));
    EXPECT_EQ(ClampScanTiming({99999, 99999, false}), (ScanTiming{30000, 5000, false}));
    EXPECT_EQ(ScanTiming{}, (ScanTiming{6000, 1500, false}));
    EXPECT_EQ(std::u16string(ScanItemName(ScanItem::WheelUp)), u"Mausrad auf");
    EXPECT_EQ(std::u16string(ScanItemName(ScanItem::ReleaseAll)), u"Alle Tasten loslassen");
}
