#include <gtest/gtest.h>

#include "Fakes.h"
#include "sensors/HeldInputs.h"
#include "sensors/KeyAction.h"
#include "sensors/MouseAction.h"

namespace {

class HeldInputsTest : public ::testing::Test {
protected:
    EventLog log;
    RecordingInput input{log};
    HeldInputs held{input};
};

TEST_F(HeldInputsTest, EventsPassThroughUnchanged)
{
    held.SendKey(0x41, true);
    EXPECT_TRUE(held.SendMouseButton(MouseFlags::RightDown));
    input.accept = false;
    EXPECT_FALSE(held.SendMouseButton(MouseFlags::RightUp)) << "a refusal is reported back";
    EXPECT_EQ(log.Events(), (Events{"key 41 down", "mouse 0008", "mouse 0010"}));
}

TEST_F(HeldInputsTest, ReleaseAllLetsGoOfExactlyWhatIsHeldKeyBeforeModifiers)
{
    held.SendKey(0x12, true);
    held.SendKey(0x11, true);
    held.SendKey(0x09, true);
    held.SendKey(0x41, true);
    held.SendKey(0x41, false);
    held.SendMouseButton(MouseFlags::LeftDown);
    held.SendMouseButton(MouseFlags::MiddleDown);
    held.SendMouseButton(MouseFlags::MiddleUp);
    log.Clear();

    held.ReleaseAll();
    EXPECT_EQ(log.Events(), (Events{"key 09 up", "key 11 up", "key 12 up", "mouse 0004"}));
    EXPECT_FALSE(held.AnythingHeld());
    log.Clear();
    held.ReleaseAll();
    EXPECT_TRUE(log.Events().empty()) << "nothing is released twice";
}

TEST_F(HeldInputsTest, TracksWhatTheExecutorsLeaveDown)
{
    EventLog clockLog;
    FakeClock clock(clockLog);
    RecordingSounds sounds(clockLog);
    SensorAction record = DefaultSensorAction(1);
    record.mouseAction = int32_t(MouseActionKind::RightPressRelease);
    PerformMouseAction(record, true, held, sounds, clock);
    EXPECT_TRUE(held.IsButtonHeld(MouseFlags::RightDown));
    record.mouseAction = int32_t(MouseActionKind::LeftClick);
    PerformMouseAction(record, true, held, sounds, clock);
    EXPECT_FALSE(held.IsButtonHeld(MouseFlags::LeftDown)) << "a click ends with the button up";

    record.alt = 1;
    record.virtualKey = 0x09;
    SendKeyCombination(record, true, held);
    EXPECT_TRUE(held.IsKeyHeld(0x12));
    EXPECT_TRUE(held.IsKeyHeld(0x09));
    SendKeyCombination(record, false, held);
    EXPECT_FALSE(held.IsKeyHeld(0x12));
    EXPECT_TRUE(held.AnythingHeld()) << "the right button is still down";
}

}  // namespace
