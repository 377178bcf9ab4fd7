#include <gtest/gtest.h>

#include "Fakes.h"
#include "sensors/MouseAction.h"

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
    EXPECT_EQ(Perform(5, true), (Events{"mouse 0008", "error beep", "sleep 5", "sleep 100", "mouse 0010",
                                        "error beep", "sleep 5"}));
}

// Injected button events name the physical buttons; for a left-handed user
// (buttons swapped) "Links" must still be the primary click.
TEST(PhysicalButtonFlags, SwappedButtons_ShouldExchangeLeftAndRight_AndKeepTheMiddle)
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

}  // namespace
