// The poller at a switch of profile: everything held or latched is let go
// first, a sensor held at the switch acts only after it was released and
// pressed again, and then the new profile's records act.
#include <gtest/gtest.h>

#include "SensorPollerFixture.h"

using namespace kontakta;

namespace {

class ProfileSwitch : public SensorPollerTest {
protected:
    // What the user-interface thread does at a switch: the request first,
    // then the new profile's records and options in the live tables.
    void SwitchTo(const SensorActions& records, const ActionsSettings& options = {})
    {
        poller.RequestSwitchLetGo();
        state.records.SetAll(records);
        state.options.Set(options);
    }
};

TEST_F(ProfileSwitch, HeldAndLatchedInputIsLetGoAndAHeldSensorActsWithTheNewProfileOnlyAfterItsNextPress)
{
    state.beepOnPress = 0;
    Configure(1, ActionGroup::Keyboard);                                           // key 31
    Configure(2, ActionGroup::Mouse, int32_t(MouseActionKind::LeftPressRelease));  // latched
    Configure(3, ActionGroup::Keyboard);                                           // key 33, 60 ms hold time
    ActionsSettings options;
    options.sensors[1].latch = true;
    state.options.Set(options);
    state.filters.Set(2, {60, 0});
    EXPECT_EQ(Cycle({1, 2}), (Events{"timers stop", "key 31 down", "latch sound", "mouse 0002"}));
    EXPECT_EQ(Cycle({1}), Events{});
    EXPECT_EQ(Cycle({1, 3}), Events{}) << "sensor 3 not held long enough yet";

    SensorActions other = DefaultSensorActions();
    for (int i = 0; i < 3; ++i) {
        other[size_t(i)].enabled = 1;
        other[size_t(i)].actionGroup = int32_t(ActionGroup::Keyboard);
        other[size_t(i)].virtualKey = uint8_t('A' + i);
    }
    SwitchTo(other);
    EXPECT_EQ(Cycle({1, 3}), (Events{"timers stop", "key 31 up", "mouse 0004", "unlatch sound"}));
    EXPECT_EQ(Cycle({1, 3}), Events{}) << "held through its hold time, but held at the switch";
    EXPECT_EQ(Cycle({1, 3}), Events{});
    EXPECT_EQ(Cycle({3}), Events{}) << "the release of a press of the old profile sends nothing";
    EXPECT_EQ(Cycle({}), Events{});
    EXPECT_EQ(Cycle({1}), (Events{"timers stop", "key 41 down"})) << "pressed again: the new profile's key";
    EXPECT_EQ(Cycle({}), (Events{"timers stop", "key 41 up"}));
    EXPECT_EQ(Cycle({2}), (Events{"timers stop", "key 42 down"})) << "no latch: the old profile's latch went with it";
}

TEST_F(ProfileSwitch, APressInTheCycleOfTheSwitchActsWithTheNewProfileAndAnotherSwitchLetsGoOfItAgain)
{
    state.beepOnPress = 0;
    Configure(1, ActionGroup::Keyboard);
    SensorActions other = state.records.GetAll();
    other[0].virtualKey = 'Z';
    SwitchTo(other);
    EXPECT_EQ(Cycle({1}), (Events{"timers stop", "timers stop", "key 5A down"}))
        << "the let-go (with nothing held), then the press after the switch";
    SwitchTo(DefaultSensorActions());
    EXPECT_EQ(Cycle({1}), (Events{"timers stop", "key 5A up"}));
    EXPECT_EQ(Cycle({}), Events{});
    EXPECT_EQ(Cycle({1}), Events{"mouse 0002"}) << "the default profile's left button";
}

}  // namespace
