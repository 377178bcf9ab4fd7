#include <gtest/gtest.h>

#include <cstring>
#include <map>
#include <set>
#include <random>

#include "SensorRecords.h"
#include "SettingsFileGenerator.h"
#include "sensors/SensorActivity.h"
#include "settings/ActionsRecord.h"
#include "settings/RegistryValues.h"
#include "settings/SettingsFile.h"
#include "settings/SettingsLog.h"
#include "settings/StartupValues.h"

using namespace kontakta;

namespace {

// Files in memory. Paths that are locked cannot be opened; a whole write that
// fails (`failWrites`) leaves the file as it was, as the real one must.
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
        if (found == files.end()) return ReadResult::Missing;
        if (locked.count(path)) return ReadResult::CannotOpen;
        if (readFails) return ReadResult::Failed;
        bytes.assign(found->second.begin(), found->second.begin() + std::min(maxBytes, found->second.size()));
        return ReadResult::Read;
    }
    bool WriteWhole(const std::u16string& path, const std::vector<uint8_t>& bytes, bool mayCreate) override
    {
        ++writes;
        if (locked.count(path) || failWrites.count(path) || (!files.count(path) && !mayCreate)) return false;
        files[path] = bytes;
        return true;
    }

    std::map<std::u16string, std::vector<uint8_t>> files;
    std::set<std::u16string> locked;
    std::set<std::u16string> failWrites;
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
        actionOptions.Set({});
        InstallDirectory = u"C:\\Programme\\KORVA\\Kontakta\\";
        UserFilesDirectory = u"C:\\Users\\anna\\Documents\\Kontakta User Files\\";
        UpdateCode = 0;
    }
    void TearDown() override
    {
        ResetSettingsToDefaults();
        actionOptions.Set({});
        sensorFilters.Reset();
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

// A save at shutdown that fails leaves a line in the log beside the settings;
// one that works leaves no log.
TEST_F(SettingsFileTest, FailedSaveAtShutdownIsLoggedWithTimeAndReason)
{
    const std::u16string logFile = u"C:\\Users\\anna\\Documents\\Kontakta User Files\\Kontakta.log";
    ASSERT_EQ(LogFilePath(), logFile);
    EXPECT_FALSE(SaveSettingsOrLog(storage, LocalTime{2026, 3, 7, 8, 5, 9}));
    storage.files[userFile] = FileBytes().bytes;
    storage.failWrites.insert(userFile);
    EXPECT_FALSE(SaveSettingsOrLog(storage, LocalTime{2026, 12, 24, 18, 30, 0}));

    const std::u16string expected =
        u"\uFEFF07.03.2026 08:05:09 Die Einstellungen wurden beim Beenden nicht gespeichert: Die Datei '" + userFile +
        u"' fehlt.\r\n24.12.2026 18:30:00 Die Einstellungen wurden beim Beenden nicht gespeichert: Die Datei '" +
        userFile + u"' konnte nicht ersetzt werden.\r\n";
    std::vector<uint8_t> expectedBytes;
    for (char16_t unit : expected) {
        expectedBytes.push_back(uint8_t(unit & 0xFF));
        expectedBytes.push_back(uint8_t(unit >> 8));
    }
    EXPECT_EQ(storage.files[logFile], expectedBytes) << "UTF-16LE with its byte order mark, appended";

    storage.failWrites.clear();
    storage.files.erase(logFile);
    EXPECT_TRUE(SaveSettingsOrLog(storage, LocalTime{2026, 1, 1, 0, 0, 0}));
    EXPECT_FALSE(storage.files.count(logFile));
}

TEST(SettingsLog, StaysSmallByDroppingTheOldestWholeLines)
{
    auto bytes = [](const std::u16string& text) {
        std::vector<uint8_t> encoded;
        for (char16_t unit : text) {
            encoded.push_back(uint8_t(unit & 0xFF));
            encoded.push_back(uint8_t(unit >> 8));
        }
        return encoded;
    };
    // A log just below the limit: 327 lines of 100 units with CR LF.
    std::u16string full = u"\uFEFF";
    for (int line = 0; line < 327; ++line)
        full += (line == 0 ? u"first" : u"entry") + std::u16string(93, u'x') + u"\r\n";
    ASSERT_LT(bytes(full).size(), logLimit);
    EXPECT_EQ(AppendedLog(bytes(full), u"fits"), bytes(full + u"fits\r\n"));

    const std::vector<uint8_t> cut = AppendedLog(bytes(full), u"newest" + std::u16string(200, u'y'));
    EXPECT_LE(cut.size(), logLimit / 2);
    EXPECT_GE(cut.size(), logLimit / 2 - 200) << "only as many lines go as needed";
    std::u16string text;
    for (size_t at = 0; at + 1 < cut.size(); at += 2) text += char16_t(cut[at] | (cut[at + 1] << 8));
    EXPECT_EQ(text.substr(0, 6), u"\uFEFFentry") << "a whole line follows the byte order mark";
    EXPECT_EQ(text.substr(text.size() - 4), u"yy\r\n");

    // Anything that is not a log of ours is started anew.
    EXPECT_EQ(AppendedLog({'a', 'b', 'c', '\n'}, u"x"), bytes(u"\uFEFFx\r\n"));
}

// A string value as the registry stores it, with or without its terminator.
std::optional<RegistryValue> StoredText(uint32_t type, const std::u16string& characters, bool terminator = true)
{
    RegistryValue value{type, {}};
    for (char16_t unit : characters + (terminator ? std::u16string(1, u'\0') : u"")) {
        value.bytes.push_back(uint8_t(unit & 0xFF));
        value.bytes.push_back(uint8_t(unit >> 8));
    }
    return value;
}

TEST(UpdateCodeMeaning, StringsCountAsTheProgramReadsThemAndOtherTypesNeverAskForTheDefaults)
{
    auto number = [](uint32_t type, std::vector<uint8_t> bytes) { return std::optional<RegistryValue>({type, bytes}); };
    auto meaning = [](const std::optional<RegistryValue>& value) {
        const UpdateCodeReading reading = UpdateCodeMeaning(value);
        return std::pair(reading.present, reading.code);
    };
    using Meaning = std::pair<bool, int32_t>;

    EXPECT_EQ(meaning(std::nullopt), Meaning(false, 1));
    EXPECT_EQ(meaning(StoredText(1, u"1")), Meaning(true, 1));
    EXPECT_EQ(meaning(StoredText(2, u"1")), Meaning(true, 1));
    EXPECT_EQ(meaning(StoredText(1, u" 12abc")), Meaning(true, 12));
    EXPECT_EQ(meaning(StoredText(1, u"1", false)), Meaning(true, 1)) << "no terminator";
    EXPECT_EQ(meaning(StoredText(1, u"")), Meaning(true, 0));
    EXPECT_EQ(meaning(RegistryValue{1, {}}), Meaning(true, 0)) << "not even a terminator";
    EXPECT_EQ(meaning(StoredText(1, std::u16string(126, u'1'))), Meaning(true, INT32_MAX)) << "254 bytes fit the buffer";
    EXPECT_EQ(meaning(StoredText(1, std::u16string(126, u'1'), false)), Meaning(true, INT32_MAX));
    EXPECT_EQ(meaning(StoredText(1, std::u16string(127, u'1'))), Meaning(false, 1)) << "256 bytes do not";

    // Whatever else is stored under the name is there, and is not a request.
    EXPECT_EQ(meaning(number(4, {1, 0, 0, 0})), Meaning(true, 0)) << "REG_DWORD 1";
    EXPECT_EQ(meaning(number(11, {1, 0, 0, 0, 0, 0, 0, 0})), Meaning(true, 0)) << "REG_QWORD 1";
    EXPECT_EQ(meaning(number(3, {'1', 0, 0, 0})), Meaning(true, 0)) << "binary";
    EXPECT_EQ(meaning(StoredText(7, u"1")), Meaning(true, 0)) << "REG_MULTI_SZ";
    EXPECT_EQ(meaning(number(0, {})), Meaning(true, 0)) << "REG_NONE";
    EXPECT_EQ(meaning(number(4, std::vector<uint8_t>(300, 1))), Meaning(true, 0)) << "larger than the buffer";
}

// "Directory" is read into the same 255-byte buffer as "UpdateCode", but a
// value that is not a string sets no folder at all.
TEST(InstallDirectoryMeaning, IsTheStringAsTheProgramReadsItAndNothingElse)
{
    const std::u16string folder = u"C:\\Program Files\\KORVA\\Kontakta\\";
    EXPECT_EQ(InstallDirectoryMeaning(StoredText(1, folder)), folder);
    EXPECT_EQ(InstallDirectoryMeaning(StoredText(2, u"%ProgramFiles%\\Kontakta\\")), u"%ProgramFiles%\\Kontakta\\")
        << "REG_EXPAND_SZ is read as it stands, not expanded";
    EXPECT_EQ(InstallDirectoryMeaning(StoredText(1, folder, false)), folder) << "no terminator";
    EXPECT_EQ(InstallDirectoryMeaning(StoredText(1, u"C:\\Kontakta\\\0Rest")), u"C:\\Kontakta\\")
        << "up to the first terminator";
    EXPECT_EQ(InstallDirectoryMeaning(StoredText(1, u"")), u"");

    // The buffer's limit: 126 characters and the terminator, or 127 stored
    // without one; the odd 255th byte is no character.
    const std::u16string longest(126, u'd');
    EXPECT_EQ(InstallDirectoryMeaning(StoredText(1, longest)), longest) << "254 bytes fit the buffer";
    EXPECT_EQ(InstallDirectoryMeaning(StoredText(1, longest + u"d", false)), longest + u"d") << "254 bytes";
    std::optional<RegistryValue> odd = StoredText(1, longest + u"d", false);
    odd->bytes.push_back('x');
    EXPECT_EQ(InstallDirectoryMeaning(odd), longest + u"d") << "255 bytes";
    EXPECT_EQ(InstallDirectoryMeaning(StoredText(1, longest + u"d")), std::nullopt) << "256 bytes do not fit: missing";
    EXPECT_EQ(InstallDirectoryMeaning(StoredText(1, std::u16string(300, u'd'))), std::nullopt);

    // No value, or one of another type: missing, unlike "UpdateCode", where
    // such a value is there.
    EXPECT_EQ(InstallDirectoryMeaning(std::nullopt), std::nullopt);
    EXPECT_EQ(InstallDirectoryMeaning(StoredText(7, folder)), std::nullopt) << "REG_MULTI_SZ";
    EXPECT_EQ(InstallDirectoryMeaning(RegistryValue{4, {1, 0, 0, 0}}), std::nullopt) << "REG_DWORD";
    EXPECT_EQ(InstallDirectoryMeaning(RegistryValue{3, {'C', 0, ':', 0}}), std::nullopt) << "binary";
    EXPECT_TRUE(UpdateCodeMeaning(RegistryValue{4, {1, 0, 0, 0}}).present);
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
        live[1] = MouseRecord(MouseActionKind::RightClick);  // now "nach rechts"
        live[2] = KeyRecord(0x44, false, false, false, false);  // WIN+D
        live[3] = KeyRecord(0, false, false, false, false);  // STRG alone, latched
        live[4] = MouseRecord(MouseActionKind::LeftClick);  // wheel down, switched off by the carer
        live[4].enabled = 0;
        live[5] = MouseRecord(MouseActionKind::LeftPressRelease);  // a latched left button
        options.sensors[1] = {int32_t(Group::MovePointer), int32_t(PointerDirection::Right)};
        options.sensors[2].win = true;
        options.sensors[3] = {blockGroup, 0, true, false, ModifierAlone::Ctrl};
        options.sensors[4] = {int32_t(Group::Wheel), int32_t(WheelDirection::Down)};
        options.sensors[5].latch = true;
        options.pointer = {80, 1200, 700};
        options.wheel = {400, 12};
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

TEST_F(LaterOptionsFileTest, Settings_ShouldComeBackWhole_WhenSavedAndLoaded)
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

TEST_F(LaterOptionsFileTest, FileOfTheCurrentRelease_ShouldLoadAndSaveAsBefore)
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

TEST_F(LaterOptionsFileTest, DamagedOrShortRecord_ShouldGiveTheDefaults_WithTheBlockAndFiltersWhole)
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
TEST_F(LaterOptionsFileTest, SensorChangedByAnOlderKontakta_ShouldKeepItsBlockRecord_WhileTheOthersKeepTheirs)
{
    std::vector<uint8_t> changed = saved;
    changed[FileBytes::Record(2)] = 1;  // the carer ticked the direction sensor there
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
