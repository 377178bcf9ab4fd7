#include <gtest/gtest.h>

#include <cstring>
#include <thread>

#include "sensors/SensorAction.h"

namespace {

// The settings file stores the record as it lies in memory; build the bytes a
// file would hold and check that the fields come out of them.
TEST(SensorActionLayout, FieldsSitAtTheOffsetsOfTheSettingsFile)
{
    unsigned char bytes[628] = {};
    bytes[0] = 1;     // enabled
    bytes[1] = 0xA1;  // padding
    bytes[4] = 2;     // actionGroup = RunFile
    bytes[8] = 5;     // mouseAction = RightClick
    bytes[12] = 'C';  // path[0]
    bytes[13] = 0;
    bytes[12 + 2 * 254] = 'Z';       // path[254]
    bytes[522] = 'K';                // keyText[0]
    bytes[522 + 2 * 49 + 1] = 0x20;  // keyText[49], high byte
    bytes[622] = 0x41;               // virtualKey
    bytes[623] = 1;                  // ctrl
    bytes[624] = 1;                  // shift
    bytes[625] = 1;                  // alt
    bytes[626] = 1;                  // autoRepeat
    bytes[627] = 0x5A;               // padding

    SensorAction record;
    std::memcpy(&record, bytes, sizeof record);
    EXPECT_EQ(record.enabled, 1);
    EXPECT_EQ(record.padding1[0], 0xA1);
    EXPECT_EQ(record.actionGroup, 2);
    EXPECT_EQ(record.mouseAction, 5);
    EXPECT_EQ(record.path[0], u'C');
    EXPECT_EQ(record.path[254], u'Z');
    EXPECT_EQ(record.keyText[0], u'K');
    EXPECT_EQ(record.keyText[49], 0x2000);
    EXPECT_EQ(record.virtualKey, 0x41);
    EXPECT_EQ(record.ctrl, 1);
    EXPECT_EQ(record.shift, 1);
    EXPECT_EQ(record.alt, 1);
    EXPECT_EQ(record.autoRepeat, 1);
    EXPECT_EQ(record.padding2, 0x5A);

    unsigned char back[628];
    std::memcpy(back, &record, sizeof back);
    EXPECT_EQ(0, std::memcmp(bytes, back, sizeof bytes)) << "every byte, padding included, survives";
}

TEST(SensorActionDefaults, OnlySensorOneIsEnabledAndEverythingElseIsEmpty)
{
    ResetSettingsToDefaults();
    EXPECT_EQ(beepOnPress.load(), 1);
    EXPECT_EQ(settingsVersion.load(), 2);
    for (int i = 0; i < sensorCount; ++i) {
        SCOPED_TRACE("sensor " + std::to_string(i + 1));
        const SensorAction record = sensorActions.Get(i);
        EXPECT_EQ(record.enabled, i == 0 ? 1 : 0);
        EXPECT_EQ(record.actionGroup, int32_t(ActionGroup::Mouse));
        EXPECT_EQ(record.mouseAction, int32_t(MouseActionKind::LeftPressRelease));
        EXPECT_EQ(FieldLength(record.path, pathLength), 0u);
        EXPECT_EQ(FieldLength(record.keyText, keyTextLength), 0u);
        EXPECT_EQ(record.virtualKey | record.ctrl | record.shift | record.alt | record.autoRepeat, 0);
        const unsigned char* raw = reinterpret_cast<const unsigned char*>(&record);
        EXPECT_EQ(raw[1] | raw[2] | raw[3] | raw[627], 0) << "padding starts as zero";
    }
}

TEST(SensorActionDefaults, ResetUndoesEveryChange)
{
    SensorAction changed = sensorActions.Get(3);
    changed.enabled = 1;
    changed.actionGroup = 1;
    changed.virtualKey = 0x20;
    changed.path[0] = u'x';
    sensorActions.Set(3, changed);
    beepOnPress = 0;
    settingsVersion = 7;

    ResetSettingsToDefaults();

    const SensorAction record = sensorActions.Get(3);
    EXPECT_EQ(0, std::memcmp(&record, &DefaultSensorActions()[3], sizeof record));
    EXPECT_EQ(beepOnPress.load(), 1);
    EXPECT_EQ(settingsVersion.load(), 2);
}

TEST(SensorActionNames, TablesHoldTheDisplayNamesInValueOrder)
{
    EXPECT_EQ(std::u16string(actionGroupNames[0]), u"Maustaste");
    EXPECT_EQ(std::u16string(actionGroupNames[1]), u"Tastatur");
    EXPECT_EQ(std::u16string(actionGroupNames[2]), u"Datei/Aktion ausführen");
    const char16_t* expected[] = {u"Links drücken/loslassen",
                                  u"Links Klick",
                                  u"Doppelklick",
                                  u"Mitte Klick",
                                  u"Mitte drücken/loslassen",
                                  u"Rechts Klick",
                                  u"Rechts drücken/loslassen"};
    for (int i = 0; i < mouseActionCount; ++i) EXPECT_EQ(std::u16string(mouseActionNames[i]), expected[i]);
    EXPECT_EQ(std::u16string(ActionGroupName(3)), u"") << "a bad value never indexes past the table";
    EXPECT_EQ(std::u16string(MouseActionName(-1)), u"");
}

TEST(SensorActionRangeCheck, OutOfRangeGroupAndMouseActionBecomeZero)
{
    struct Case {
        int32_t group, mouse, expectedGroup, expectedMouse;
        bool changed;
    } cases[] = {
        {0, 0, 0, 0, false},
        {2, 6, 2, 6, false},
        {3, 1, 0, 1, true},
        {-1, 6, 0, 6, true},
        {1, 7, 1, 0, true},
        {7, -1, 0, 0, true},
        {INT32_MIN, INT32_MAX, 0, 0, true},
    };
    for (const Case& c : cases) {
        SensorAction record = DefaultSensorAction(2);
        record.actionGroup = c.group;
        record.mouseAction = c.mouse;
        record.virtualKey = 0x41;
        record.enabled = 9;
        EXPECT_EQ(ClampSensorAction(record), c.changed) << c.group << "/" << c.mouse;
        EXPECT_EQ(record.actionGroup, c.expectedGroup);
        EXPECT_EQ(record.mouseAction, c.expectedMouse);
        EXPECT_EQ(record.virtualKey, 0x41) << "no other field is touched";
        EXPECT_EQ(record.enabled, 9);
    }
}

TEST(SensorActionFields, FieldLengthStopsAtTheWidthWhenTheTerminatorIsMissing)
{
    SensorAction record{};
    for (char16_t& unit : record.keyText) unit = u'x';
    EXPECT_EQ(FieldLength(record.keyText, keyTextLength), keyTextLength);
    record.keyText[49] = 0;
    EXPECT_EQ(FieldLength(record.keyText, keyTextLength), 49u);
}

TEST(SensorActionTable, IndexOutsideTheEightSensorsReadsADisabledSensorAndWritesNothing)
{
    ResetSettingsToDefaults();
    SensorAction record = DefaultSensorAction(1);
    sensorActions.Set(8, record);
    sensorActions.Set(-1, record);
    EXPECT_EQ(sensorActions.Get(8).enabled, 0);
    EXPECT_EQ(sensorActions.Get(-1).enabled, 0);
    const SensorActions all = sensorActions.GetAll();
    EXPECT_EQ(0, std::memcmp(all.data(), DefaultSensorActions().data(), sizeof all));
}

// A reader must never see half of one writer's record and half of another's.
TEST(SensorActionTable, ReaderAlwaysGetsAWholeRecordWhileAnotherThreadWrites)
{
    SensorAction a = DefaultSensorAction(1);
    SensorAction b = DefaultSensorAction(1);
    for (size_t i = 0; i < pathLength - 1; ++i) {
        a.path[i] = u'a';
        b.path[i] = u'b';
    }
    a.virtualKey = 'A';
    b.virtualKey = 'B';
    sensorActions.Set(4, a);

    std::atomic<bool> done{false};
    std::thread writer([&] {
        for (int i = 0; i < 20000; ++i) sensorActions.Set(4, (i & 1) ? a : b);
        done = true;
    });
    int torn = 0;
    while (!done) {
        const SensorAction seen = sensorActions.Get(4);
        const char16_t letter = seen.virtualKey == 'A' ? u'a' : u'b';
        if (seen.path[0] != letter || seen.path[253] != letter) ++torn;
    }
    writer.join();
    EXPECT_EQ(torn, 0);
    ResetSettingsToDefaults();
}

}  // namespace
