// The settings block in its file: the fields at their offsets, versions, bad
// values, sizes, the filters' extension, failed loads and saves, any content.
#include <gtest/gtest.h>

#include <cstring>
#include <random>

#include "SensorRecords.h"
#include "SettingsFileFixture.h"
#include "SettingsFileGenerator.h"
#include "sensors/SensorActivity.h"
#include "settings/SettingsFile.h"

using namespace kontakta;

namespace {

TEST_F(SettingsFileTest, FileOfFourBytesChangesOnlyTheSoundOption)
{
    storage.files[userFile] = FileBytes(4).Int32(0, 0).bytes;
    ASSERT_TRUE(LoadSettings(storage, messages));
    EXPECT_EQ(beepOnPress.load(), 0);
    const SensorActions records = sensorActions.GetAll();
    EXPECT_EQ(0, std::memcmp(records.data(), DefaultSensorActions().data(), sizeof records));
    EXPECT_EQ(settingsVersion.load(), 2);
    EXPECT_TRUE(messages.shown.empty());
}

TEST_F(SettingsFileTest, FieldsComeFromTheirFileOffsets)
{
    FileBytes file;
    file.Byte(FileBytes::Record(3), 1)
        .Int32(FileBytes::Record(3) + 4, 1)
        .Text(1272, u"C:\\Spiele\\spiel.exe")  // sensor 3's path
        .Text(FileBytes::Record(3) + 522, u"Strg + A")
        .Byte(FileBytes::Record(3) + 622, 0x41)
        .Byte(FileBytes::Record(3) + 623, 1)
        .Byte(5026, 1)                          // sensor 8's auto-repeat
        .Byte(FileBytes::Record(8) + 1, 0xEE);  // padding is kept
    storage.files[userFile] = file.bytes;
    ASSERT_TRUE(LoadSettings(storage, messages));
    const SensorAction three = sensorActions.Get(2);
    EXPECT_EQ(three.enabled, 1);
    EXPECT_EQ(three.actionGroup, 1);
    EXPECT_EQ(std::u16string(three.path), u"C:\\Spiele\\spiel.exe");
    EXPECT_EQ(std::u16string(three.keyText), u"Strg + A");
    EXPECT_EQ(three.virtualKey, 0x41);
    EXPECT_EQ(three.ctrl, 1);
    EXPECT_EQ(sensorActions.Get(7).autoRepeat, 1);
    EXPECT_EQ(sensorActions.Get(0).enabled, 0) << "the file's zero replaces the default";

    SaveSettings(storage);
    EXPECT_EQ(storage.files[userFile], file.bytes) << "written back byte for byte, padding included";
}

TEST_F(SettingsFileTest, OtherVersionShowsTheMessageAndIsNotAccepted)
{
    storage.files[userFile] = FileBytes().Int32(5028, 3).bytes;
    EXPECT_FALSE(LoadSettings(storage, messages));
    ASSERT_EQ(messages.shown.size(), 1u);
    EXPECT_EQ(messages.shown[0], u"Die Datei Settings.dat Version 3 ist nicht kompatibel zu Kontakta");
    EXPECT_EQ(storage.writes, 0);

    storage.files[userFile] = FileBytes().Int32(5028, -7).bytes;
    EXPECT_FALSE(LoadSettings(storage, messages));
    EXPECT_EQ(messages.shown[1], u"Die Datei Settings.dat Version -7 ist nicht kompatibel zu Kontakta");
}

TEST_F(SettingsFileTest, OutOfRangeGroupAndMouseActionLoadAsZeroAndAreSavedCorrected)
{
    FileBytes file;
    file.Int32(FileBytes::Record(2) + 4, 7).Int32(FileBytes::Record(2) + 8, -1).Byte(FileBytes::Record(2) + 622, 0x20);
    file.Int32(FileBytes::Record(5) + 8, 7);
    storage.files[userFile] = file.bytes;
    ASSERT_TRUE(LoadSettings(storage, messages));
    EXPECT_EQ(sensorActions.Get(1).actionGroup, 0);
    EXPECT_EQ(sensorActions.Get(1).mouseAction, 0);
    EXPECT_EQ(sensorActions.Get(1).virtualKey, 0x20) << "the rest of the record stays";
    EXPECT_EQ(sensorActions.Get(4).mouseAction, 0);

    SaveSettings(storage);
    FileBytes expected = file;
    expected.Int32(FileBytes::Record(2) + 4, 0).Int32(FileBytes::Record(2) + 8, 0).Int32(FileBytes::Record(5) + 8, 0);
    EXPECT_EQ(storage.files[userFile], expected.bytes);
}

TEST_F(SettingsFileTest, LongestPathAndKeyTextRoundTripWhole)
{
    const std::u16string path(254, u'p');
    const std::u16string keyText(49, u'k');
    storage.files[userFile] =
        FileBytes().Text(FileBytes::Record(1) + 12, path).Text(FileBytes::Record(1) + 522, keyText).bytes;
    ASSERT_TRUE(LoadSettings(storage, messages));
    SensorAction one = sensorActions.Get(0);
    EXPECT_EQ(std::u16string(one.path, FieldLength(one.path, pathLength)), path);
    EXPECT_EQ(std::u16string(one.keyText, FieldLength(one.keyText, keyTextLength)), keyText);
    EXPECT_EQ(one.virtualKey, 0) << "the key text did not spill over";

    SaveSettings(storage);
    ResetSettingsToDefaults();
    ASSERT_TRUE(LoadSettings(storage, messages));
    one = sensorActions.Get(0);
    EXPECT_EQ(std::u16string(one.path, FieldLength(one.path, pathLength)), path);
    EXPECT_EQ(std::u16string(one.keyText, FieldLength(one.keyText, keyTextLength)), keyText);
}

TEST_F(SettingsFileTest, PathWithoutItsZeroLoadsCutToTheLongestTargetAndIsSavedTerminated)
{
    const std::u16string full(pathLength, u'p');
    storage.files[userFile] = FileBytes().Text(FileBytes::Record(3) + 12, full).bytes;
    ASSERT_TRUE(LoadSettings(storage, messages));
    const SensorAction three = sensorActions.Get(2);
    EXPECT_EQ(std::u16string(three.path, FieldLength(three.path, pathLength)), full.substr(0, pathLength - 1));
    EXPECT_EQ(three.keyText[0], 0) << "nothing spills into the next field";

    SaveSettings(storage);
    const std::vector<uint8_t>& saved = storage.files[userFile];
    const size_t lastUnit = FileBytes::Record(3) + 12 + 2 * (pathLength - 1);
    EXPECT_EQ(saved[lastUnit], 0);
    EXPECT_EQ(saved[lastUnit + 1], 0);
    EXPECT_EQ(saved[lastUnit - 2], 'p');
}

TEST_F(SettingsFileTest, LongerFileKeepsItsTailAndBytesPastTheBlockAreIgnored)
{
    FileBytes file(settingsBlockSize + 100);
    file.Int32(5028, 2).Int32(5032, 3);  // what follows the block looks like a bad version
    for (size_t i = 5036; i < file.bytes.size(); ++i) file.bytes[i] = static_cast<uint8_t>(i);
    storage.files[userFile] = file.bytes;
    ASSERT_TRUE(LoadSettings(storage, messages));
    beepOnPress = 1;
    SaveSettings(storage);
    const std::vector<uint8_t>& saved = storage.files[userFile];
    ASSERT_EQ(saved.size(), file.bytes.size());
    EXPECT_TRUE(std::equal(saved.begin() + 5032, saved.end(), file.bytes.begin() + 5032));
    EXPECT_EQ(saved[0], 1);
}

TEST_F(SettingsFileTest, FiltersTravelInTheExtensionAndAForeignTailIsNeverOverwritten)
{
    storage.files[userFile] = FileBytes().Int32(0, 0).bytes;
    ASSERT_TRUE(LoadSettings(storage, messages));
    SaveSettings(storage);
    EXPECT_EQ(storage.files[userFile].size(), settingsBlockSize) << "no filters, no extension: the file keeps its size";

    sensorFilters.Set(2, {150, 400});
    SaveSettings(storage);
    const std::vector<uint8_t> withExtension = storage.files[userFile];
    ASSERT_GT(withExtension.size(), settingsBlockSize);
    sensorFilters.Reset();
    ASSERT_TRUE(LoadSettings(storage, messages));
    EXPECT_EQ(sensorFilters.Get(2).holdMilliseconds, 150u);
    EXPECT_EQ(sensorFilters.Get(2).lockoutMilliseconds, 400u);
    EXPECT_EQ(beepOnPress.load(), 0) << "the block is read as before";

    // A damaged extension: the filters are off, the block is loaded whole.
    storage.files[userFile].back() ^= 0xFF;
    ASSERT_TRUE(LoadSettings(storage, messages));
    EXPECT_EQ(sensorFilters.Get(2).holdMilliseconds, 0u);
    EXPECT_EQ(beepOnPress.load(), 0);

    // Bytes after the block that are not ours stay as they are.
    std::vector<uint8_t> foreign = FileBytes().bytes;
    foreign.insert(foreign.end(), {'Z', 'I', 'P', 0, 7});
    storage.files[userFile] = foreign;
    ASSERT_TRUE(LoadSettings(storage, messages));
    sensorFilters.Set(0, {100, 0});
    SaveSettings(storage);
    EXPECT_EQ(storage.files[userFile], foreign);
    sensorFilters.Reset();
}

TEST_F(SettingsFileTest, ShortFileIsWrittenToExactlyTheBlockSize)
{
    storage.files[userFile] = FileBytes(10).bytes;
    ASSERT_TRUE(LoadSettings(storage, messages));
    SaveSettings(storage);
    EXPECT_EQ(storage.files[userFile].size(), settingsBlockSize);
}

TEST_F(SettingsFileTest, SaveNeverCreatesAMissingFileAndReportsEveryFailure)
{
    EXPECT_EQ(SaveSettingsFile(storage), SaveResult::FileMissing);
    EXPECT_TRUE(storage.files.empty());

    const std::vector<uint8_t> old = FileBytes(settingsBlockSize + 3).Int32(0, 0).bytes;
    storage.files[userFile] = old;
    beepOnPress = 1;
    storage.locked.insert(userFile);
    EXPECT_EQ(SaveSettingsFile(storage), SaveResult::FileUnreadable);
    storage.locked.clear();
    storage.readFails = true;
    EXPECT_EQ(SaveSettingsFile(storage), SaveResult::FileUnreadable);
    storage.readFails = false;
    storage.failWrites.insert(userFile);
    EXPECT_EQ(SaveSettingsFile(storage), SaveResult::NotReplaced);
    EXPECT_FALSE(SaveSettings(storage));
    EXPECT_EQ(storage.files[userFile], old);

    storage.failWrites.clear();
    EXPECT_TRUE(SaveSettings(storage));
    EXPECT_EQ(storage.files[userFile][0], 1);
}

TEST_F(SettingsFileTest, MissingLockedOrUnreadableFileFailsSilently)
{
    EXPECT_FALSE(LoadSettings(storage, messages));
    storage.files[userFile] = FileBytes().bytes;
    storage.locked.insert(userFile);
    EXPECT_FALSE(LoadSettings(storage, messages));
    storage.locked.clear();
    storage.readFails = true;
    EXPECT_FALSE(LoadSettings(storage, messages));
    EXPECT_TRUE(messages.shown.empty());
}

// Any file content whatsoever has a defined outcome: never a crash or a read
// past a field, and what is accepted is in range.
TEST_F(SettingsFileTest, AnyFileContentGivesADefinedOutcome)
{
    std::mt19937 random(20261207);
    std::vector<size_t> sizes = {0, 1, 3, 4, 5, 631, 632, 5027, 5028, 5031, 5032, 5033, 100000};
    for (int i = 0; i < 300; ++i) sizes.push_back(GeneratedSettingsFileSize(random));
    for (size_t size : sizes) {
        ResetSettingsToDefaults();
        storage.files[userFile] = GenerateSettingsFile(random, size);
        const bool accepted = LoadSettings(storage, messages);
        if (!accepted) continue;
        for (const SensorAction& record : sensorActions.GetAll()) {
            ASSERT_GE(record.actionGroup, 0);
            ASSERT_LE(record.actionGroup, 2);
            ASSERT_GE(record.mouseAction, 0);
            ASSERT_LE(record.mouseAction, 6);
            ASSERT_LE(FieldLength(record.path, pathLength), pathLength);
            ASSERT_LT(std::u16string(ActionGroupName(record.actionGroup)).size(), 30u);
        }
        ASSERT_EQ(settingsVersion.load(), 2);
    }
}

}  // namespace
