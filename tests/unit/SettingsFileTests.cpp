#include <gtest/gtest.h>

#include <cstring>
#include <map>
#include <set>
#include <random>

#include "SettingsFileGenerator.h"
#include "settings/SettingsFile.h"

namespace {

// Files in memory. Paths that are locked cannot be opened; a missing path
// cannot be written (a save never creates a file).
class MemoryStorage : public SettingsStorage {
public:
    bool CopyFileOver(const std::u16string& from, const std::u16string& to) override
    {
        copies.push_back(from + u" -> " + to);
        auto found = files.find(from);
        if (found == files.end() || locked.count(to)) return false;
        files[to] = found->second;
        return true;
    }
    ReadResult ReadStart(const std::u16string& path, size_t maxBytes, std::vector<uint8_t>& bytes) override
    {
        auto found = files.find(path);
        if (found == files.end() || locked.count(path)) return ReadResult::CannotOpen;
        if (readFails) return ReadResult::Failed;
        bytes.assign(found->second.begin(), found->second.begin() + std::min(maxBytes, found->second.size()));
        return ReadResult::Read;
    }
    bool WriteStart(const std::u16string& path, const uint8_t* bytes, size_t length) override
    {
        ++writes;
        auto found = files.find(path);
        if (found == files.end() || locked.count(path)) return false;
        std::vector<uint8_t>& file = found->second;
        if (file.size() < length) file.resize(length);
        std::memcpy(file.data(), bytes, length);
        return true;
    }

    std::map<std::u16string, std::vector<uint8_t>> files;
    std::set<std::u16string> locked;
    std::vector<std::u16string> copies;
    bool readFails = false;
    int writes = 0;
};

class RecordingMessages : public MessageSink {
public:
    void ShowMessage(const std::u16string& text) override { shown.push_back(text); }
    std::vector<std::u16string> shown;
};

// A file built byte by byte, as a file that users already have.
class FileBytes {
public:
    explicit FileBytes(size_t size = settingsBlockSize) : bytes(size, 0)
    {
        if (size >= settingsBlockSize) Int32(5028, 2);
    }
    FileBytes& Int32(size_t offset, int32_t value)
    {
        for (int i = 0; i < 4; ++i) bytes[offset + i] = static_cast<uint8_t>(uint32_t(value) >> (8 * i));
        return *this;
    }
    FileBytes& Byte(size_t offset, uint8_t value)
    {
        bytes[offset] = value;
        return *this;
    }
    FileBytes& Text(size_t offset, const std::u16string& text)
    {
        for (size_t i = 0; i < text.size(); ++i) {
            bytes[offset + 2 * i] = static_cast<uint8_t>(text[i] & 0xFF);
            bytes[offset + 2 * i + 1] = static_cast<uint8_t>(text[i] >> 8);
        }
        return *this;
    }
    static size_t Record(int sensor) { return 4 + 628 * size_t(sensor - 1); }
    std::vector<uint8_t> bytes;
};

class SettingsFileTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ResetSettingsToDefaults();
        InstallDirectory = u"C:\\Programme\\KORVA\\Kontakta\\";
        UserFilesDirectory = u"C:\\Users\\anna\\Documents\\Kontakta User Files\\";
        UpdateCode = 0;
    }
    void TearDown() override
    {
        ResetSettingsToDefaults();
        UpdateCode = 0;
    }
    const std::u16string userFile = u"C:\\Users\\anna\\Documents\\Kontakta User Files\\settings.dat";
    const std::u16string defaultFile = u"C:\\Programme\\KORVA\\Kontakta\\o_settings.dat";
    MemoryStorage storage;
    RecordingMessages messages;
};

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
        .Byte(5026, 1)  // sensor 8's auto-repeat
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
    storage.files[userFile] = FileBytes().Text(FileBytes::Record(1) + 12, path).Text(FileBytes::Record(1) + 522, keyText).bytes;
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

TEST_F(SettingsFileTest, ShortFileIsWrittenToExactlyTheBlockSize)
{
    storage.files[userFile] = FileBytes(10).bytes;
    ASSERT_TRUE(LoadSettings(storage, messages));
    SaveSettings(storage);
    EXPECT_EQ(storage.files[userFile].size(), settingsBlockSize);
}

TEST_F(SettingsFileTest, SaveNeverCreatesAMissingFile)
{
    EXPECT_FALSE(SaveSettings(storage));
    EXPECT_TRUE(storage.files.empty());
}

TEST_F(SettingsFileTest, UpdateCodeOneCopiesTheInstalledDefaultsFirst)
{
    storage.files[userFile] = FileBytes().Int32(0, 0).bytes;
    storage.files[defaultFile] = FileBytes().Int32(0, 1).Byte(FileBytes::Record(4), 1).bytes;
    UpdateCode = 1;
    ASSERT_TRUE(LoadSettings(storage, messages));
    ASSERT_EQ(storage.copies.size(), 1u);
    EXPECT_EQ(storage.copies[0], defaultFile + u" -> " + userFile) << "\"%so_%s\" without a separator";
    EXPECT_EQ(beepOnPress.load(), 1);
    EXPECT_EQ(sensorActions.Get(3).enabled, 1);
    EXPECT_EQ(storage.files[userFile], storage.files[defaultFile]);
}

TEST_F(SettingsFileTest, FailedCopyOfTheDefaultsFailsTheLoad)
{
    storage.files[userFile] = FileBytes().bytes;
    UpdateCode = 1;
    EXPECT_FALSE(LoadSettings(storage, messages)) << "no default file";
    EXPECT_TRUE(messages.shown.empty());
}

TEST_F(SettingsFileTest, OnlyTheValueOneCopies)
{
    storage.files[userFile] = FileBytes().bytes;
    storage.files[defaultFile] = FileBytes().bytes;
    for (int32_t code : {0, 2, -1}) {
        UpdateCode = code;
        EXPECT_TRUE(LoadSettings(storage, messages));
    }
    EXPECT_TRUE(storage.copies.empty());
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

TEST(ParseLeadingInteger, ReadsTheNumberAtTheStartOfTheText)
{
    EXPECT_EQ(ParseLeadingInteger(u"1"), 1);
    EXPECT_EQ(ParseLeadingInteger(u"0"), 0);
    EXPECT_EQ(ParseLeadingInteger(u"  42abc"), 42);
    EXPECT_EQ(ParseLeadingInteger(u"-3"), -3);
    EXPECT_EQ(ParseLeadingInteger(u"+7x"), 7);
    EXPECT_EQ(ParseLeadingInteger(u"abc"), 0);
    EXPECT_EQ(ParseLeadingInteger(u""), 0);
    EXPECT_EQ(ParseLeadingInteger(u"1 2"), 1);
    EXPECT_EQ(ParseLeadingInteger(u"99999999999999999999"), INT32_MAX);
    EXPECT_EQ(ParseLeadingInteger(u"-99999999999999999999"), INT32_MIN);
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
