// The scan in the poller: a scan sensor's press starts it and its further
// presses choose with the time each began (the hold time does not shift the
// choice), the chosen item goes out as pointer and button events with the
// overlay hidden first, a drag is held across two scans and dropped after a
// travel in steps, and everything that ends a scan ends it with nothing
// done. Driven by a virtual clock on a 1920 x 1080 desktop, 6 s sweeps.
#include "SensorPollerFixture.h"

using kontakta::Group;
using kontakta::Point;
using kontakta::ScanItem;
using kontakta::ScanView;

namespace {

// Notes the last view handed over and logs each hide before input.
class RecordingDisplay : public kontakta::ScanDisplay {
public:
    explicit RecordingDisplay(EventLog& log) : log(log) {}
    void Show(const ScanView& view) override
    {
        last = view;
        ++shows;
    }
    void HideBeforeInput() override
    {
        last = {};
        log.Add("hide");
    }
    void DragSize(Point, int32_t& width, int32_t& height) override { width = height = 4; }
    ScanView last;
    int shows = 0;

private:
    EventLog& log;
};

class ScanPolling : public SensorPollerTest {
protected:
    ScanPolling()
    {
        actions.scan = &scan;
        Control(1, kontakta::ControlAction::ScanScreen);
    }
    void Control(int sensor, kontakta::ControlAction action)
    {
        Configure(sensor, ActionGroup::Mouse);
        kontakta::ActionsSettings options = state.options.Get();
        options.sensors[size_t(sensor - 1)].group = int32_t(Group::Control);
        options.sensors[size_t(sensor - 1)].action = int32_t(action);
        state.options.Set(options);
    }
    Events CycleAt(int64_t milliseconds, std::initializer_list<int> pressed)
    {
        source.value = EightInputValue(pressed);
        log.Clear();
        poller.Cycle(start + milliseconds * 1000);
        return log.Events();
    }
    // A press of `sensor` at `milliseconds` and its release a cycle later;
    // what the press's cycle did.
    Events PressAt(int64_t milliseconds, int sensor = 1)
    {
        const Events pressed = CycleAt(milliseconds, {sensor});
        CycleAt(milliseconds + 20, {});
        return pressed;
    }
    // The scan's own wakes between cycles, every 8 ms up to `milliseconds`.
    Events AdvanceTo(int64_t from, int64_t milliseconds)
    {
        Events all;
        for (int64_t t = from; t <= milliseconds; t += 8) {
            log.Clear();
            poller.AdvanceMotion(start + t * 1000);
            for (const std::string& event : log.Events()) all.push_back(event);
        }
        return all;
    }

    const int64_t start = 10'000'000;
    RecordingPointer device{log, {0, 0}};
    RecordingDisplay display{log};
    kontakta::ScanActions scan{device, held, display, uint64_t(pollPeriodMicroseconds)};
};

TEST_F(ScanPolling, PressesChooseWhereTheLinesWereWhenTheyBeganAndTheLitItemClicksThereWithTheOverlayHidden)
{
    state.filters.Set(0, {100, 0});  // a press counts after 100 ms
    CycleAt(0, {1});
    EXPECT_EQ(CycleAt(100, {1}), Events{"press sound"}) << "counted: the scan starts";
    ASSERT_TRUE(display.last.active);
    EXPECT_EQ(display.last.verticalX, 0) << "from the left edge";
    CycleAt(120, {});

    // Down at 3100 ms, counted at 3200: the line as it was drawn at 3100,
    // less half a poll: 2990 ms of 6000 across 1920 px.
    CycleAt(3100, {1});
    EXPECT_EQ(display.last.verticalX, 960) << "still moving while the hold time runs";
    CycleAt(3200, {1});
    EXPECT_EQ(display.last.verticalX, 956);
    EXPECT_EQ(display.last.horizontalY, 0);
    CycleAt(3220, {});

    // A touch shorter than the hold time chooses nothing.
    CycleAt(4000, {1});
    EXPECT_EQ(CycleAt(4040, {}), Events{});
    EXPECT_FALSE(display.last.menu);

    CycleAt(4700, {1});  // 1490 ms of 6000 across 1080 px
    EXPECT_EQ(CycleAt(4800, {1}), (Events{"press sound", "move 956,268"})) << "the pointer goes to the crossing";
    CycleAt(4820, {});
    ASSERT_TRUE(display.last.menu);
    EXPECT_EQ(display.last.items.front(), ScanItem::LeftClick);
    EXPECT_EQ(display.last.lit, 0) << "the first item lights at once";

    CycleAt(5000, {1});
    EXPECT_EQ(CycleAt(5100, {1}), (Events{"press sound", "hide", "move 956,268", "mouse 0002", "mouse 0004"}));
    EXPECT_EQ(CycleAt(5120, {}), Events{}) << "the release does nothing";
    EXPECT_FALSE(display.last.active);
    EXPECT_FALSE(poller.NextMotionDue().has_value()) << "an ended scan wakes the poll for nothing";
}

TEST_F(ScanPolling, AScanLeftAloneEndsByItselfAndAPressWhoseHoldTimeRunsKeepsItGoing)
{
    EXPECT_FALSE(poller.NextMotionDue().has_value()) << "no scan: the poll does not wake for it";
    PressAt(0);
    ASSERT_TRUE(poller.NextMotionDue().has_value());
    EXPECT_LE(*poller.NextMotionDue(), start + 20'000 + 10'000) << "the line is redrawn often";
    const int shows = display.shows;
    AdvanceTo(24, 1000);
    EXPECT_GT(display.shows - shows, 50) << "the line moves on between the cycles";
    EXPECT_EQ(CycleAt(11'980, {}), Events{});
    EXPECT_TRUE(display.last.active);
    EXPECT_EQ(CycleAt(12'020, {}), Events{}) << "two sweeps without a press: it ends and nothing happens";
    EXPECT_FALSE(display.last.active);

    // With a hold time, a press under way at the end of the two sweeps
    // still chooses, where the line was when it began.
    state.filters.Set(0, {100, 0});
    CycleAt(20'000, {1});
    CycleAt(20'100, {1});
    CycleAt(20'120, {});
    CycleAt(32'050, {1});
    CycleAt(32'120, {1});  // the two sweeps ended at 32'100
    EXPECT_TRUE(display.last.active) << "the press may still count";
    CycleAt(32'150, {1});
    CycleAt(32'170, {});
    // Begun 11'950 ms after the start, less half a poll: 11'940 ms, in the
    // second sweep.
    EXPECT_EQ(display.last.verticalX, 11'940 * 1920 / 6000 - 1920);
    EXPECT_TRUE(display.last.horizontalY.has_value()) << "it chose, and did not start a scan anew";
}

TEST_F(ScanPolling, ADragHoldsTheButtonAndTheNextScanTravelsToTheDropInStepsAndDropsThere)
{
    PressAt(0);
    PressAt(1000);  // 990 ms: x 316
    PressAt(2000);  // 990 ms: y 178
    EXPECT_EQ(PressAt(7000), (Events{"press sound", "hide", "move 316,178", "mouse 0002", "move 320,182"}))
        << "the fourth item, \"Ziehen\": down, out of the drag rectangle, held";
    EXPECT_TRUE(held.IsButtonHeld(MouseFlags::LeftDown));

    PressAt(8000);
    PressAt(10'000);  // 1990 ms: x 636
    EXPECT_EQ(CycleAt(11'000, {1}), (Events{"press sound", "hide", "move 356,178"})) << "the travel's first step";
    EXPECT_FALSE(display.last.active) << "hidden while the pointer travels";
    Events travel = CycleAt(11'020, {});
    for (const std::string& event : AdvanceTo(11'024, 11'100)) travel.push_back(event);
    EXPECT_EQ(travel.size(), 7u) << "eight steps of 40 px in all";
    EXPECT_EQ(travel.back(), "move 636,178");
    ASSERT_TRUE(display.last.menu);
    EXPECT_EQ(display.last.items.front(), ScanItem::Drop) << "\"Ablegen\" first";
    EXPECT_EQ(std::count(display.last.items.begin(), display.last.items.end(), ScanItem::Drag), 0);

    EXPECT_EQ(PressAt(11'200), (Events{"press sound", "hide", "move 636,178", "mouse 0004"}));
    EXPECT_FALSE(held.AnythingHeld());
}

TEST_F(ScanPolling, EverythingThatEndsAScanEndsItWithNothingDoneAndLetsGoOfAHeldDrag)
{
    auto drag = [&](int64_t at) {
        PressAt(at);
        PressAt(at + 1000);
        PressAt(at + 2000);
        PressAt(at + 7000);
        ASSERT_TRUE(held.IsButtonHeld(MouseFlags::LeftDown));
        PressAt(at + 8000);  // the next scan runs
        ASSERT_TRUE(display.last.active);
    };
    // The monitors changed: the scan ends, the drag stays held for a drop.
    drag(0);
    EXPECT_TRUE(state.activity.Scanning()) << "a per-program switch waits";
    poller.RequestScanCancel();
    EXPECT_EQ(CycleAt(8100, {}), Events{});
    EXPECT_FALSE(display.last.active);
    EXPECT_TRUE(held.IsButtonHeld(MouseFlags::LeftDown));
    EXPECT_TRUE(state.activity.Scanning()) << "the held drag still counts";
    PressAt(9000);
    PressAt(10'000);
    PressAt(11'000);
    AdvanceTo(11'024, 11'500);
    ASSERT_TRUE(display.last.menu);
    EXPECT_EQ(display.last.items.front(), ScanItem::Drop);
    poller.RequestRelease();  // "Alle Tasten loslassen" from the tray
    EXPECT_EQ(CycleAt(11'600, {}), (Events{"timers stop", "mouse 0004"}));
    EXPECT_FALSE(display.last.active);
    EXPECT_FALSE(state.activity.Scanning());

    // The test page's suspension and the pause.
    for (std::atomic<bool>* heldBack : {&state.actionsSuspended, &state.sensorsPaused}) {
        drag(20'000);
        *heldBack = true;
        EXPECT_EQ(CycleAt(28'100, {}), Events{"mouse 0004"}) << "the drag's button alone";
        EXPECT_FALSE(display.last.active);
        EXPECT_EQ(PressAt(28'200), Events{}) << "held back: the scan sensor does nothing";
        *heldBack = false;
    }

    // The box is lost.
    drag(40'000);
    source.fails = true;
    EXPECT_EQ(CycleAt(48'100, {}), (Events{"timers stop", "mouse 0004"}));
    EXPECT_FALSE(display.last.active);
    source.fails = false;
    state.readFailed = false;

    // The menu's own "Alle Tasten loslassen" and "Abbrechen".
    drag(60'000);
    PressAt(69'000);
    PressAt(70'000);
    AdvanceTo(70'024, 70'500);
    ASSERT_EQ(display.last.items.size(), 8u);
    ASSERT_EQ(display.last.items[6], ScanItem::ReleaseAll);
    EXPECT_EQ(PressAt(70'000 + 6 * 1500 + 100), (Events{"press sound", "timers stop", "mouse 0004"}));
    PressAt(80'000);
    PressAt(81'000);
    PressAt(82'000);
    EXPECT_EQ(PressAt(82'000 + 7 * 1500 + 100), Events{"press sound"}) << "\"Abbrechen\"";
    EXPECT_FALSE(display.last.active);
}

TEST_F(ScanPolling, ThePollLoopWakesForTheLinesBetweenCyclesOnlyWhileAScanRuns)
{
    const auto betweenCycles = [](const VirtualPacing& pacing) {
        return std::count_if(pacing.dues.begin(), pacing.dues.end(),
                             [](int64_t due) { return due % pollPeriodMicroseconds != 0; });
    };
    VirtualPacing scanning;
    scanning.stopAfter = 40;
    source.value = EightInputValue({1});  // the first cycle's press starts a scan
    RunPollLoop(poller, scanning);
    EXPECT_GT(betweenCycles(scanning), 10) << "the line is redrawn between the cycles";
    EXPECT_FALSE(display.last.active) << "the loop's end let go of the scan too";

    VirtualPacing idle;
    idle.start = idle.now = 60'000'000;
    idle.stopAfter = 40;
    source.value = EightInputValue({});
    RunPollLoop(poller, idle);
    EXPECT_EQ(betweenCycles(idle), 0) << "no scan: the cycles alone";
}

TEST_F(ScanPolling, ASwitchedOffScanSensorLetsGoOfAHeldDragAsALatchWould)
{
    PressAt(0);
    PressAt(1000);
    PressAt(2000);
    PressAt(7000);
    ASSERT_TRUE(held.IsButtonHeld(MouseFlags::LeftDown));
    EXPECT_EQ(CycleAt(7100, {}), Events{}) << "held while the scan sensor is on";
    Control(1, kontakta::ControlAction::PauseOrResume);  // the carer gives it another action
    EXPECT_EQ(CycleAt(7120, {}), Events{"mouse 0004"}) << "nobody could drop it any more";
    EXPECT_FALSE(held.AnythingHeld());
}

TEST_F(ScanPolling, WithAStepSensorTheLineMovesOnlyByItsPresses)
{
    Control(2, kontakta::ControlAction::ScanStep);
    PressAt(0);
    AdvanceTo(24, 2000);
    EXPECT_EQ(display.last.verticalX, 0) << "the line waits for the step sensor";
    PressAt(2100, 2);
    PressAt(2200, 2);
    EXPECT_EQ(display.last.verticalX, 2 * 1920 / 40);
    PressAt(2300);
    EXPECT_EQ(display.last.verticalX, 96) << "stopped where the steps put it";
    EXPECT_EQ(display.last.horizontalY, 0);
}

TEST(ScanViewMailbox, OnlyTheFirstViewAfterATakePostsAndTheTakeGivesTheLatest)
{
    kontakta::ScanViewMailbox mailbox;
    ScanView first, second;
    first.active = second.active = true;
    first.verticalX = 1;
    second.verticalX = 2;
    EXPECT_TRUE(mailbox.Put(first));
    EXPECT_FALSE(mailbox.Put(second)) << "one message is pending already";
    EXPECT_EQ(mailbox.Take(), second);
    EXPECT_TRUE(mailbox.Put(ScanView{})) << "after the take the next view posts again";
    EXPECT_FALSE(mailbox.Take().active);
}

}  // namespace

TEST_F(ScanPolling, WithSeveralProfilesTheMenuOffersTheNextProfileWhichAsksForTheSwitchAndSendsNothing)
{
    RecordingControl profiles{log, true};
    actions.control = &profiles;
    PressAt(0);
    PressAt(1000);
    PressAt(2000);
    ASSERT_TRUE(display.last.menu);
    const std::vector<ScanItem>& items = display.last.items;
    ASSERT_EQ(items.size(), 9u);
    EXPECT_EQ(items[7], ScanItem::NextProfile) << "before \"Abbrechen\"";
    EXPECT_EQ(PressAt(2000 + 7 * 1500 + 500), (Events{"press sound", "hide", "next profile"}));
    EXPECT_FALSE(display.last.active);
}
