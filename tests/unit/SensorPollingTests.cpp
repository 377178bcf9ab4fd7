// Decoding the box and dispatching each sensor's edges.
#include <gtest/gtest.h>

#include "SensorPollerFixture.h"

using namespace kontakta;

namespace {

TEST(DecodeSensors, EveryInputOfTheEightInputBox)
{
    for (int sensor = 1; sensor <= 8; ++sensor) {
        const auto states = DecodeSensors(~(1u << (7 + sensor)), DeviceKind::EightInputs);
        ASSERT_TRUE(states);
        for (int other = 1; other <= 8; ++other) EXPECT_EQ((*states)[other - 1], other == sensor) << sensor;
    }
}

TEST(DecodeSensors, EveryInputOfTheSixInputBoxInReverseOrder)
{
    for (int sensor = 1; sensor <= 6; ++sensor) {
        const auto states = DecodeSensors(~(1u << (14 - sensor)), DeviceKind::SixInputs);
        ASSERT_TRUE(states);
        for (int other = 1; other <= 8; ++other) EXPECT_EQ((*states)[other - 1], other == sensor) << sensor;
    }
    const auto allLow = DecodeSensors(0, DeviceKind::SixInputs);
    EXPECT_FALSE((*allLow)[6]) << "sensor 7 of the six-input box is always released";
    EXPECT_FALSE((*allLow)[7]);
}

TEST(DecodeSensors, OtherBitsAreIgnoredAndAnUnknownKindGivesNothing)
{
    const auto states = DecodeSensors(0xFFFF00FFu & ~0x0u, DeviceKind::EightInputs);
    for (bool pressed : *states) EXPECT_TRUE(pressed);
    const auto none = DecodeSensors(0x0000FFFFu, DeviceKind::EightInputs);
    for (bool pressed : *none) EXPECT_FALSE(pressed) << "bits 16..31 and 0..7 do not matter";
    EXPECT_FALSE(DecodeSensors(0, DeviceKind::None));
    EXPECT_FALSE(DecodeSensors(0, static_cast<DeviceKind>(7)));
}

TEST_F(SensorPollerTest, NothingIsReadWhileStartupIsPendingOrTheBoxIsUnreadable)
{
    state.startupPending = true;
    poller.Cycle();
    state.startupPending = false;
    state.readFailed = true;
    poller.Cycle();
    EXPECT_EQ(source.reads, 0);
}

TEST_F(SensorPollerTest, SensorAlreadyPressedAtStartGivesAPressInTheFirstCycle)
{
    Configure(1, ActionGroup::Mouse, int32_t(MouseActionKind::LeftPressRelease));
    state.beepOnPress = 0;
    EXPECT_EQ(Cycle({1}), (Events{"mouse 0002"}));
    EXPECT_TRUE(Cycle({1}).empty()) << "no change, no event";
    EXPECT_EQ(Cycle({}), (Events{"mouse 0004"}));
}

TEST_F(SensorPollerTest, PressSoundComesBeforeTheActionAlsoForAGroupWithoutAction)
{
    Configure(2, ActionGroup::Mouse, int32_t(MouseActionKind::RightPressRelease));
    EXPECT_EQ(Cycle({2}), (Events{"press sound", "mouse 0008"}));
    EXPECT_EQ(Cycle({}), (Events{"mouse 0010"})) << "no sound on release";

    SensorAction odd = state.records.Get(1);
    odd.actionGroup = 9;  // cannot come from a checked file, but from a bad write
    state.records.Set(1, odd);
    EXPECT_EQ(Cycle({2}), (Events{"press sound"}));
}

TEST_F(SensorPollerTest, SensorEnabledWhileHeldDoesNothingAtItsReleaseButActsAtItsNextPress)
{
    Configure(3, ActionGroup::Keyboard);
    SensorAction record = state.records.Get(2);
    record.enabled = 0;
    state.records.Set(2, record);
    state.beepOnPress = 0;
    EXPECT_TRUE(Cycle({3}).empty());
    record.enabled = 1;
    state.records.Set(2, record);
    EXPECT_TRUE(Cycle({3}).empty()) << "still held: no event";
    EXPECT_TRUE(Cycle({}).empty()) << "its press did nothing, so its release undoes nothing";
    EXPECT_EQ(Cycle({3}), (Events{"timers stop", "key 33 down"}));
}

TEST_F(SensorPollerTest, SeveralChangesInOneCycleRunInSensorOrder)
{
    state.beepOnPress = 0;
    Configure(5, ActionGroup::Keyboard);
    Configure(2, ActionGroup::Keyboard);
    Configure(8, ActionGroup::Keyboard);
    EXPECT_EQ(Cycle({8, 2, 5}),
              (Events{"timers stop", "key 32 down", "timers stop", "key 35 down", "timers stop", "key 38 down"}));
}

TEST_F(SensorPollerTest, RunFileSensorActsAndSoundsOnPressOnly)
{
    Configure(4, ActionGroup::RunFile);
    EXPECT_EQ(Cycle({4}), (Events{"press sound", "open target4"}));
    EXPECT_TRUE(Cycle({}).empty());
}

// The settings may change or switch off a held sensor's record at any time;
// its release must still undo exactly what its press did.
TEST_F(SensorPollerTest, ReleaseUndoesItsPressWhateverHappenedToTheRecordMeanwhile)
{
    state.beepOnPress = 0;
    auto pressChangeRelease = [&](const SensorAction& atPress, auto change) {
        state.records.Set(0, atPress);
        Cycle({1});
        SensorAction record = atPress;
        change(record);
        state.records.Set(0, record);
        return Cycle({});
    };
    SensorAction repeatingKey = KeyRecord('A', true, false, false, true);
    repeatingKey.enabled = 1;
    SensorAction leftButton = MouseRecord(MouseActionKind::LeftPressRelease);
    leftButton.enabled = 1;

    EXPECT_EQ(pressChangeRelease(repeatingKey,
                                 [](SensorAction& r) {
                                     r.virtualKey = 'Z';
                                     r.ctrl = 0;
                                     r.shift = 1;
                                     r.autoRepeat = 0;
                                 }),
              (Events{"timers stop", "key 11 up", "key 41 up"}))
        << "another key";
    EXPECT_EQ(keys.CurrentState(), KeyRepeat::State::NoRepeat);
    EXPECT_EQ(pressChangeRelease(repeatingKey,
                                 [](SensorAction& r) {
                                     r.actionGroup = int32_t(ActionGroup::Mouse);
                                     r.mouseAction = int32_t(MouseActionKind::RightPressRelease);
                                 }),
              (Events{"timers stop", "key 11 up", "key 41 up"}))
        << "another group";
    EXPECT_EQ(keys.CurrentState(), KeyRepeat::State::NoRepeat);
    EXPECT_EQ(pressChangeRelease(repeatingKey, [](SensorAction& r) { r.enabled = 0; }),
              (Events{"timers stop", "key 11 up", "key 41 up"}))
        << "switched off";
    EXPECT_EQ(keys.CurrentState(), KeyRepeat::State::NoRepeat);
    EXPECT_EQ(pressChangeRelease(leftButton, [](SensorAction& r) { r.actionGroup = int32_t(ActionGroup::Keyboard); }),
              (Events{"mouse 0004"}))
        << "a button to a key";
    EXPECT_EQ(pressChangeRelease(leftButton, [](SensorAction& r) { r.enabled = 0; }), (Events{"mouse 0004"}))
        << "a button switched off";
    EXPECT_FALSE(held.AnythingHeld());
}

TEST_F(SensorPollerTest, SixInputBoxNeverReportsSensorsSevenAndEight)
{
    state.beepOnPress = 0;
    Configure(7, ActionGroup::Keyboard);
    Configure(8, ActionGroup::Keyboard);
    source.kind = DeviceKind::SixInputs;
    source.value = 0;  // every bit low: every input held
    log.Clear();
    poller.Cycle();
    for (const std::string& event : log.Events()) EXPECT_EQ(event.find("key 3"), std::string::npos) << event;
}

TEST_F(SensorPollerTest, UnknownKindBeepsAndChangesNothing)
{
    Configure(1, ActionGroup::Keyboard);
    source.kind = DeviceKind::None;
    EXPECT_EQ(Cycle({1}), (Events{"error beep"}));
    EXPECT_FALSE(poller.LastSensorState()[0]);
    source.kind = DeviceKind::EightInputs;
    EXPECT_NE(Cycle({1}), Events{}) << "the press comes once the kind is known";
}

}  // namespace
