// The later options in the settings file: the actions record after the
// filters' extension, and the block an older Kontakta reads and keeps.
#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "SettingsFileFixture.h"
#include "settings/ActionsRecord.h"

using namespace kontakta;

namespace {

// The later options: the actions record after the filters' extension.
class LaterOptionsFileTest : public SettingsFileTest {
protected:
    static constexpr size_t filtersAt = settingsBlockSize, recordAt = settingsBlockSize + 48;
    static constexpr size_t fileSize = recordAt + actionsRecordHeaderSize + actionsRecordPayloadSize;

    // Sensors with every later option, set as the pages set them, and saved.
    void SetUp() override
    {
        SettingsFileTest::SetUp();
        live = DefaultSensorActions();
        live[1] = MouseRecord(MouseActionKind::RightClick);     // now "nach rechts"
        live[2] = KeyRecord(0x44, false, false, false, false);  // WIN+D
        live[3] = KeyRecord(0, false, false, false, false);     // STRG alone, latched
        live[4] = MouseRecord(MouseActionKind::LeftClick);      // wheel down, switched off by the carer
        live[4].enabled = 0;
        live[5] = MouseRecord(MouseActionKind::LeftPressRelease);  // a latched left button
        options.sensors[1] = {int32_t(Group::MovePointer), int32_t(PointerDirection::Right)};
        options.sensors[2].win = true;
        options.sensors[3] = {blockGroup, 0, true, false, ModifierAlone::Ctrl};
        options.sensors[4] = {int32_t(Group::Wheel), int32_t(WheelDirection::Down)};
        options.sensors[5].latch = true;
        options.pointer = {80, 1200, 700};
        options.wheel = {400, 12};
        options.scan = {10000, 2000, true};
        storage.files[userFile] = FileBytes().bytes;
        ASSERT_TRUE(LoadSettings(storage, messages));
        sensorActions.SetAll(live);
        actionOptions.Set(options);
        sensorFilters.Set(6, {120, 300});
        ASSERT_TRUE(SaveSettings(storage));
        saved = storage.files[userFile];
        ASSERT_EQ(saved.size(), fileSize);
    }
    void ForgetAndLoad()
    {
        ResetSettingsToDefaults();
        actionOptions.Set({});
        sensorFilters.Reset();
        ASSERT_TRUE(LoadSettings(storage, messages));
    }
    static void ExpectRecord(const SensorAction& loaded, const SensorAction& expected, int sensor)
    {
        EXPECT_EQ(std::memcmp(&loaded, &expected, sizeof loaded), 0) << "sensor " << sensor;
    }

    SensorActions live;
    ActionsSettings options;
    std::vector<uint8_t> saved;
};

TEST_F(LaterOptionsFileTest, SettingsComeBackWholeWhenSavedAndLoaded)
{
    EXPECT_EQ(std::memcmp(saved.data() + filtersAt, "KTXE", 4), 0);
    EXPECT_EQ(std::memcmp(saved.data() + recordAt, "KTXA", 4), 0);
    // The block an older Kontakta reads: what it cannot do is switched off,
    // what it can (a latch is a press/release to it) stays as it was.
    for (int sensor : {2, 3, 4, 5}) EXPECT_EQ(saved[FileBytes::Record(sensor)], 0) << "sensor " << sensor;
    EXPECT_EQ(saved[FileBytes::Record(6)], 1);
    EXPECT_EQ(saved[FileBytes::Record(2) + 8], uint8_t(MouseActionKind::RightClick)) << "the old action stays";

    ForgetAndLoad();
    EXPECT_EQ(actionOptions.Get(), options);
    for (int sensor = 1; sensor <= sensorCount; ++sensor)
        ExpectRecord(sensorActions.Get(sensor - 1), live[size_t(sensor - 1)], sensor);
    EXPECT_EQ(sensorFilters.Get(6).holdMilliseconds, 120u);
    ASSERT_TRUE(SaveSettings(storage));
    EXPECT_EQ(storage.files[userFile], saved) << "a second save changes nothing";

    // Back to no later options: the record goes, the filters' one stays.
    actionOptions.Set({});
    ASSERT_TRUE(SaveSettings(storage));
    EXPECT_EQ(storage.files[userFile].size(), recordAt);
    EXPECT_EQ(storage.files[userFile][FileBytes::Record(2)], 1) << "a right click again, on in the block";
}

TEST_F(LaterOptionsFileTest, FileOfTheCurrentReleaseLoadsAndSavesAsBefore)
{
    FileBytes file;
    file.Byte(FileBytes::Record(3), 1).Int32(FileBytes::Record(3) + 4, 1).Byte(FileBytes::Record(3) + 622, 0x41);
    SettingsExtension filters;
    filters.filters[2] = {150, 400};
    const std::vector<uint8_t> extension = EncodeSettingsExtension(filters);
    file.bytes.insert(file.bytes.end(), extension.begin(), extension.end());
    storage.files[userFile] = file.bytes;
    ForgetAndLoad();
    EXPECT_EQ(actionOptions.Get(), ActionsSettings{});
    EXPECT_EQ(sensorActions.Get(2).enabled, 1);
    EXPECT_EQ(sensorFilters.Get(2).lockoutMilliseconds, 400u);
    ASSERT_TRUE(SaveSettings(storage));
    EXPECT_EQ(storage.files[userFile], file.bytes);

    storage.files[userFile] = FileBytes().bytes;
    ForgetAndLoad();
    ASSERT_TRUE(SaveSettings(storage));
    EXPECT_EQ(storage.files[userFile].size(), settingsBlockSize);
}

TEST_F(LaterOptionsFileTest, DamagedOrShortRecordGivesTheDefaultsWithTheBlockAndFiltersWhole)
{
    std::vector<uint8_t> damaged = saved;
    damaged[recordAt + actionsRecordHeaderSize + 20] ^= 0x40;
    std::vector<uint8_t> cut(saved.begin(), saved.end() - 1);
    for (const std::vector<uint8_t>& file : {damaged, cut}) {
        storage.files[userFile] = file;
        actionOptions.Set(options);  // what an earlier load left
        ForgetAndLoad();
        EXPECT_EQ(actionOptions.Get(), ActionsSettings{});
        for (int sensor = 1; sensor <= sensorCount; ++sensor) {
            SensorAction block;
            std::memcpy(&block, saved.data() + FileBytes::Record(sensor), sizeof block);
            ExpectRecord(sensorActions.Get(sensor - 1), block, sensor);
        }
        EXPECT_EQ(sensorFilters.Get(6).lockoutMilliseconds, 300u);
        // The damaged record was ours: the save replaces it, here with none.
        ASSERT_TRUE(SaveSettings(storage));
        EXPECT_EQ(storage.files[userFile].size(), recordAt);
    }
}

// An older Kontakta saves the block from its memory and keeps both records
// as they were (it writes its own filters' extension, equal to the old one):
// here its changes are made in the file's block directly.
TEST_F(LaterOptionsFileTest, SensorChangedByAnOlderKontaktaKeepsItsBlockRecordWhileTheOthersKeepTheirs)
{
    std::vector<uint8_t> changed = saved;
    changed[FileBytes::Record(2)] = 1;           // the carer ticked the direction sensor there
    changed[FileBytes::Record(3) + 622] = 0x45;  // and gave the WIN+D sensor another key
    storage.files[userFile] = changed;
    ForgetAndLoad();
    const ActionsSettings loaded = actionOptions.Get();
    EXPECT_EQ(loaded.sensors[1], SensorExtras{});
    EXPECT_EQ(loaded.sensors[2], SensorExtras{});
    EXPECT_EQ(sensorActions.Get(1).enabled, 1);
    EXPECT_EQ(sensorActions.Get(1).mouseAction, int32_t(MouseActionKind::RightClick)) << "its block action";
    EXPECT_EQ(sensorActions.Get(2).enabled, 0) << "switched off as the block holds it";
    EXPECT_EQ(sensorActions.Get(2).virtualKey, 0x45);
    EXPECT_EQ(loaded.sensors[3], options.sensors[3]);
    EXPECT_EQ(loaded.sensors[4], options.sensors[4]);
    EXPECT_EQ(sensorActions.Get(3).enabled, 1) << "STRG alone is on again";
    EXPECT_EQ(loaded.pointer, options.pointer);

    // The next save stores what now applies, and it loads as such.
    ASSERT_TRUE(SaveSettings(storage));
    EXPECT_EQ(storage.files[userFile][FileBytes::Record(2)], 1);
    ForgetAndLoad();
    EXPECT_EQ(actionOptions.Get(), loaded);
}

}  // namespace
