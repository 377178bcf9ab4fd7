#include <gtest/gtest.h>

#include "Fakes.h"
#include "sensors/MouseAction.h"

using namespace kontakta;

namespace {

class MouseActionTest : public ::testing::Test {
protected:
    Events Perform(int32_t kind, bool pressed)
    {
        SensorAction record = DefaultSensorAction(1);
        record.mouseAction = kind;
        log.Clear();
        PerformMouseAction(record, pressed, input, sounds, clock);
        return log.Events();
    }

    EventLog log;
    RecordingInput input{log};
    RecordingSounds sounds{log};
    FakeClock clock{log};
};

TEST_F(MouseActionTest, PressReleaseKindsSendDownOnPressAndUpOnRelease)
{
    EXPECT_EQ(Perform(0, true), (Events{"mouse 0002", "sleep 5"}));
    EXPECT_EQ(Perform(0, false), (Events{"mouse 0004", "sleep 5"}));
    EXPECT_EQ(Perform(4, true), (Events{"mouse 0020", "sleep 5"}));
    EXPECT_EQ(Perform(4, false), (Events{"mouse 0040", "sleep 5"}));
    EXPECT_EQ(Perform(6, true), (Events{"mouse 0008", "sleep 5"}));
    EXPECT_EQ(Perform(6, false), (Events{"mouse 0010", "sleep 5"}));
}

TEST_F(MouseActionTest, ClicksRunCompletelyOnThePressAndTake110Milliseconds)
{
    const Events left{"mouse 0002", "sleep 5", "sleep 100", "mouse 0004", "sleep 5"};
    EXPECT_EQ(Perform(1, true), left);
    EXPECT_EQ(Perform(3, true), (Events{"mouse 0020", "sleep 5", "sleep 100", "mouse 0040", "sleep 5"}));
    EXPECT_EQ(Perform(5, true), (Events{"mouse 0008", "sleep 5", "sleep 100", "mouse 0010", "sleep 5"}));
    const uint64_t before = clock.Elapsed();
    Perform(1, true);
    EXPECT_EQ(clock.Elapsed() - before, 110u);
}

TEST_F(MouseActionTest, DoubleClickHasItsWaitsAndTakes140Milliseconds)
{
    const uint64_t before = clock.Elapsed();
    EXPECT_EQ(Perform(2, true), (Events{"mouse 0002", "sleep 5", "sleep 10", "mouse 0004", "sleep 5", "sleep 100",
                                        "mouse 0002", "sleep 5", "sleep 10", "mouse 0004", "sleep 5"}));
    EXPECT_EQ(clock.Elapsed() - before, 140u);
}

TEST_F(MouseActionTest, ClicksAndDoubleClickDoNothingOnRelease)
{
    for (int32_t kind : {1, 2, 3, 5}) EXPECT_TRUE(Perform(kind, false).empty()) << kind;
}

TEST_F(MouseActionTest, UnknownKindDoesNothing)
{
    for (int32_t kind : {-1, 7, 1000, INT32_MIN}) {
        EXPECT_TRUE(Perform(kind, true).empty()) << kind;
        EXPECT_TRUE(Perform(kind, false).empty()) << kind;
    }
}

TEST_F(MouseActionTest, RefusedEventBeepsAndTheSequenceGoesOn)
{
    input.accept = false;
    EXPECT_EQ(Perform(5, true),
              (Events{"mouse 0008", "error beep", "sleep 5", "sleep 100", "mouse 0010", "error beep", "sleep 5"}));
}

// Injected button events name the physical buttons; for a left-handed user
// (buttons swapped) "Links" must still be the primary click.
TEST(PhysicalButtonFlags, SwappedButtonsExchangeLeftAndRightAndKeepTheMiddle)
{
    using namespace MouseFlags;
    EXPECT_EQ(PhysicalButtonFlags(LeftDown, true), RightDown);
    EXPECT_EQ(PhysicalButtonFlags(LeftUp, true), RightUp);
    EXPECT_EQ(PhysicalButtonFlags(RightDown, true), LeftDown);
    EXPECT_EQ(PhysicalButtonFlags(RightUp, true), LeftUp);
    EXPECT_EQ(PhysicalButtonFlags(MiddleDown | MiddleUp, true), MiddleDown | MiddleUp);
    EXPECT_EQ(PhysicalButtonFlags(LeftDown | RightUp, true), RightDown | LeftUp);
    for (uint32_t flags : {LeftDown, LeftUp, RightDown, RightUp, MiddleDown})
        EXPECT_EQ(PhysicalButtonFlags(flags, false), flags) << "not swapped: as they are";
}

// The setting changed while a sensor held "Links": the release goes to the
// physical button that the press went to, and no button stays down.
TEST(PhysicalButtons, ReleaseGoesToTheButtonOfItsPressWhenTheSettingChangedMeanwhile)
{
    using namespace MouseFlags;
    PhysicalButtons buttons;
    EXPECT_EQ(buttons.Map(LeftDown, false), LeftDown);
    EXPECT_EQ(buttons.Map(LeftUp, true), LeftUp);
    EXPECT_EQ(buttons.Map(RightDown, true), LeftDown);
    EXPECT_EQ(buttons.Map(RightUp, false), LeftUp);
    EXPECT_EQ(buttons.Map(LeftUp, true), RightUp) << "a release without a press follows the setting";
    EXPECT_EQ(buttons.Map(LeftDown, true), RightDown) << "the next press follows the new setting";
    EXPECT_EQ(buttons.Map(MiddleDown, true), MiddleDown);
}

}  // namespace

// The polling thread's clicks: the same events at the same times as the
// waiting version, sent as they fall due, and in order across sensors.
class MouseScheduleTest : public ::testing::Test {
protected:
    // Every event with the millisecond it went out at, polling every `step`.
    Events RunUntil(int64_t endMilliseconds, int64_t stepMilliseconds = 1)
    {
        Events sent;
        for (int64_t t = 0; t <= endMilliseconds; t += stepMilliseconds) {
            log.Clear();
            schedule.SendDue(t * 1000, input, sounds);
            for (const std::string& event : log.Events()) sent.push_back(event + " @" + std::to_string(t));
        }
        return sent;
    }
    static SensorAction Record(int32_t kind)
    {
        SensorAction record = DefaultSensorAction(1);
        record.mouseAction = kind;
        return record;
    }

    EventLog log;
    RecordingInput input{log};
    RecordingSounds sounds{log};
    MouseSchedule schedule;
};

TEST_F(MouseScheduleTest, DoubleClickKeepsItsTimesWithoutSleeping)
{
    schedule.Add(Record(int32_t(MouseActionKind::DoubleClick)), true, 0);
    EXPECT_EQ(RunUntil(200), (Events{"mouse 0002 @0", "mouse 0004 @15", "mouse 0002 @120", "mouse 0004 @135"}));
    EXPECT_FALSE(schedule.NextDue());
}

TEST_F(MouseScheduleTest, LaterEventsWaitBehindAClickAndAClearedScheduleSendsNothing)
{
    schedule.Add(Record(int32_t(MouseActionKind::LeftClick)), true, 0);
    schedule.Add(Record(int32_t(MouseActionKind::RightPressRelease)), true, 20'000);
    EXPECT_EQ(schedule.NextDue(), 0);
    EXPECT_EQ(RunUntil(120), (Events{"mouse 0002 @0", "mouse 0004 @105", "mouse 0008 @110"}))
        << "a press asked for during the click goes after its release, the gap after it";
    schedule.Add(Record(int32_t(MouseActionKind::MiddleClick)), true, 200'000);
    schedule.SendDue(200'000, input, sounds);
    schedule.Clear();
    log.Clear();
    schedule.SendDue(1'000'000, input, sounds);
    EXPECT_EQ(log.Events(), Events{});
}
