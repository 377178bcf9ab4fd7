// The scan's timing in the actions' record, and the files written before it
// joined the record: an actions' record of 108 bytes of payload, profiles and
// export files whose settings hold such a record.
#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "SensorRecords.h"
#include "settings/ActionsRecord.h"
#include "settings/ExportFile.h"
#include "settings/ProfilesRecord.h"

using namespace kontakta;

namespace {

void Put32At(std::vector<uint8_t>& bytes, size_t at, uint32_t value)
{
    for (int i = 0; i < 4; ++i) bytes[at + size_t(i)] = uint8_t(value >> (8 * i));
}

// The actions' record at `at` as a Kontakta before the scan's timing wrote
// it: the same payload without its last four bytes and without the refine
// bit, with its length and checksum.
void WithoutScan(std::vector<uint8_t>& bytes, size_t at)
{
    ASSERT_EQ(std::memcmp(bytes.data() + at, "KTXA", 4), 0);
    const size_t payload = at + actionsRecordHeaderSize;
    bytes[payload + 10] &= uint8_t(~0x02);
    bytes.erase(bytes.begin() + long(payload + actionsRecordPayloadSizeWithoutScan),
                bytes.begin() + long(payload + actionsRecordPayloadSize));
    Put32At(bytes, at + 8, uint32_t(actionsRecordPayloadSizeWithoutScan));
    Put32At(bytes, at + 12, Crc32(bytes.data() + payload, actionsRecordPayloadSizeWithoutScan));
}

// Every actions' record after `from` made one of before the scan's timing,
// then the checksum and length of the record whose header is at `outer`
// (its length at +lengthAt, its checksum right after) made right again.
std::vector<uint8_t> OlderFile(std::vector<uint8_t> bytes, size_t from, size_t outer, size_t lengthAt)
{
    std::vector<size_t> records;
    for (size_t at = from; at + 4 <= bytes.size(); ++at)
        if (std::memcmp(bytes.data() + at, "KTXA", 4) == 0) records.push_back(at);
    // From the last, so that the places of the others stay.
    for (auto at = records.rbegin(); at != records.rend(); ++at) WithoutScan(bytes, *at);
    const size_t payload = outer + lengthAt + 8;
    Put32At(bytes, outer + lengthAt, uint32_t(bytes.size() - payload));
    Put32At(bytes, outer + lengthAt + 4, Crc32(bytes.data() + payload, bytes.size() - payload));
    return bytes;
}

ActionsSettings SomeOptions()
{
    ActionsSettings settings;
    settings.sensors[0] = {int32_t(Group::Control), int32_t(ControlAction::ReleaseAll)};
    settings.sensors[3] = {blockGroup, 0, true, true, ModifierAlone::None};
    settings.pointer = {60, 900, 400};
    settings.showIndicator = true;
    settings.scan = {9000, 1200, true};
    return settings;
}

ProfileStore TwoProfiles()
{
    ProfileSettings first;
    first.records[1] = KeyRecord(0x20, false, false, false, false);
    first.actions = SomeOptions();
    ProfileStore store(first);
    ProfileSettings second;
    second.records[0].enabled = 1;
    second.actions.sensors[0] = {int32_t(Group::Wheel), int32_t(WheelDirection::Up)};
    second.actions.scan = {20000, 3000, false};
    EXPECT_EQ(store.Add({u"Lesen", second, {u"reader.exe"}}), ProfileResult::Done);
    return store;
}

}  // namespace

TEST(ScanTimingRecord, OnlyAChangedScanTimingWritesTheRecordAndItReadsBackHeldToItsRanges)
{
    const SensorActions live = DefaultSensorActions();
    EXPECT_TRUE(EncodeActionsRecord(ActionsSettings{}, live).empty()) << "the scan's defaults need no record";
    ActionsSettings settings;
    settings.scan.refine = true;  // alone, it is a later option to keep
    std::vector<uint8_t> record = EncodeActionsRecord(settings, live);
    ASSERT_EQ(record.size(), actionsRecordHeaderSize + actionsRecordPayloadSize);
    EXPECT_EQ(DecodeActionsRecord(record.data(), record.size()).value().settings, settings);
    // Written out of range (a caller that did not clamp), read in range.
    settings.scan = {40, 90000, false};
    record = EncodeActionsRecord(settings, live);
    EXPECT_EQ(DecodeActionsRecord(record.data(), record.size()).value().settings.scan,
              (ScanTiming{minSweepMilliseconds, maxStepMilliseconds, false}));
}

TEST(ScanTimingRecord, ARecordFromBeforeTheScanReadsWithItsDefaultsAndASaveReplacesItWhole)
{
    const SensorActions live = DefaultSensorActions();
    const ActionsSettings settings = SomeOptions();
    std::vector<uint8_t> older = EncodeActionsRecord(settings, live);
    WithoutScan(older, 0);
    ASSERT_EQ(older.size(), actionsRecordHeaderSize + 108);
    const auto decoded = DecodeActionsRecord(older.data(), older.size());
    ASSERT_TRUE(decoded);
    ActionsSettings expected = settings;
    expected.scan = {};
    EXPECT_EQ(decoded->settings, expected) << "everything else as it was, the refine bit not taken from before";

    // Only the two lengths are ours: a payload of another length is refused.
    for (size_t cut : {1u, 2u, 3u}) {
        std::vector<uint8_t> odd = EncodeActionsRecord(settings, live);
        odd.resize(odd.size() - cut);
        Put32At(odd, 8, uint32_t(odd.size() - actionsRecordHeaderSize));
        Put32At(odd, 12, Crc32(odd.data() + actionsRecordHeaderSize, odd.size() - actionsRecordHeaderSize));
        EXPECT_FALSE(DecodeActionsRecord(odd.data(), odd.size())) << cut;
    }

    // The file of before, with a later record after it, loaded and saved:
    // the record of now in the old one's place, the later one kept.
    SettingsBlock block{};
    std::vector<uint8_t> file(block.begin(), block.end());
    const std::vector<uint8_t> filters = EncodeSettingsExtension({});
    file.insert(file.end(), filters.begin(), filters.end());
    file.insert(file.end(), older.begin(), older.end());
    file.insert(file.end(), {'K', 'T', 'X', 'Q', 7});
    const std::vector<uint8_t> record = EncodeActionsRecord(decoded->settings, live);
    const std::vector<uint8_t> saved = SettingsFileContentWithActions(block, file, {}, record);
    ASSERT_EQ(saved.size(), file.size() + 4);
    const uint8_t* tail = saved.data() + settingsBlockSize;
    const auto reread = DecodeActionsRecordInTail(tail, saved.size() - settingsBlockSize);
    ASSERT_TRUE(reread);
    EXPECT_EQ(reread->settings, expected);
    EXPECT_EQ(std::vector<uint8_t>(saved.end() - 5, saved.end()), (std::vector<uint8_t>{'K', 'T', 'X', 'Q', 7}));
}

TEST(ScanTimingRecord, ProfilesAndExportFilesFromBeforeTheScanReadEveryProfileWithTheScanDefaults)
{
    const ProfileStore store = TwoProfiles();
    std::vector<ProfileSettings> expected;
    for (size_t i = 0; i < store.Count(); ++i) {
        expected.push_back(store.At(i).settings);
        expected.back().actions.scan = {};
    }

    const std::vector<uint8_t> exported = EncodeExportFile(store);
    const std::vector<uint8_t> olderExport = OlderFile(exported, exportHeaderSize, exportMagicSize, 4);
    ASSERT_EQ(olderExport.size(), exported.size() - 4 * store.Count());
    const ImportReading reading = ReadExportFile(olderExport.data(), olderExport.size());
    ASSERT_EQ(reading.error, ImportError::None);
    ASSERT_EQ(reading.profiles.size(), store.Count());
    for (size_t i = 0; i < store.Count(); ++i) {
        EXPECT_EQ(reading.profiles[i].name, store.At(i).name);
        EXPECT_TRUE(reading.profiles[i].settings == expected[i]) << "profile " << i;
    }

    // The settings file: the profile that is not active has its record in
    // the profiles' record, the active one after the block.
    const std::vector<uint8_t> file = SettingsFileContentForProfiles(store, std::vector<uint8_t>(settingsBlockSize));
    const size_t profilesAt =
        settingsBlockSize + ProfilesRecordOffset(file.data() + settingsBlockSize, file.size() - settingsBlockSize);
    ASSERT_EQ(std::memcmp(file.data() + profilesAt, "KTXP", 4), 0);
    const std::vector<uint8_t> older = OlderFile(file, profilesAt, profilesAt, 8);
    const uint8_t* tail = older.data() + settingsBlockSize;
    const size_t tailLength = older.size() - settingsBlockSize;
    const auto decoded = DecodeProfilesRecordInTail(tail, tailLength);
    ASSERT_TRUE(decoded);
    ASSERT_EQ(decoded->profiles.size(), store.Count());
    EXPECT_TRUE(decoded->profiles[1].settings == expected[1]);
    EXPECT_EQ(decoded->profiles[1].programs, store.At(1).programs);

    // A record's own length is what counts: one cut inside an embedded
    // actions' record is refused, not read past.
    std::vector<uint8_t> cut = olderExport;
    cut.resize(cut.size() - 30);
    EXPECT_NE(ReadExportFile(cut.data(), cut.size()).error, ImportError::None);
}
