#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "SensorRecords.h"
#include "settings/ActionsRecord.h"

using namespace kontakta;

namespace {

// The save rules of the current release (commit 48de5b3), copied here so
// that a later change of ours cannot change what they do: it writes its own
// filters' extension in place of the one the tail starts with and keeps
// every byte after it.
namespace release {

bool HasMagic(const uint8_t* tail, size_t length)
{
    return length >= 4 && std::memcmp(tail, "KTXE", 4) == 0;
}
uint32_t Get16(const uint8_t* bytes)
{
    return uint32_t(bytes[0]) | uint32_t(bytes[1]) << 8;
}
uint32_t Get32(const uint8_t* bytes)
{
    return Get16(bytes) | Get16(bytes + 2) << 16;
}

bool MayWriteExtension(const uint8_t* tail, size_t length)
{
    if (length == 0) return true;
    if (!tail || !HasMagic(tail, length)) return false;
    return length < 6 || Get16(tail + 4) <= 1;
}

size_t Extent(const uint8_t* tail, size_t length)
{
    if (!tail || !HasMagic(tail, length)) return 0;
    if (length < 16) return length;
    const uint64_t extent = uint64_t(16) + Get32(tail + 8);
    return extent < length ? size_t(extent) : length;
}

std::vector<uint8_t> Save(const SettingsBlock& block, const std::vector<uint8_t>& oldFile,
                          const SettingsExtension& extension)
{
    std::vector<uint8_t> content(block.begin(), block.end());
    const uint8_t* tail = oldFile.size() > block.size() ? oldFile.data() + block.size() : nullptr;
    const size_t tailLength = tail ? oldFile.size() - block.size() : 0;
    const bool allDefaults = extension.filters == SettingsExtension{}.filters;
    if (!MayWriteExtension(tail, tailLength) || (tailLength == 0 && allDefaults)) {
        if (tail) content.insert(content.end(), tail, tail + tailLength);
        return content;
    }
    const std::vector<uint8_t> encoded = EncodeSettingsExtension(extension);
    content.insert(content.end(), encoded.begin(), encoded.end());
    const size_t replaced = std::min(tailLength, Extent(tail, tailLength));
    if (tail) content.insert(content.end(), tail + replaced, tail + tailLength);
    return content;
}

}  // namespace release

constexpr size_t recordAt = settingsBlockSize + 48;  // after the filters' record
const std::vector<uint8_t> plainFile(settingsBlockSize);

SettingsBlock BlockOf(const SensorActions& records)
{
    SettingsBlock block{};
    block[0] = 1;  // the press sound
    std::memcpy(block.data() + 4, records.data(), sizeof records);
    block[settingsVersionOffset] = 2;
    return block;
}

SensorActions RecordsOf(const std::vector<uint8_t>& file)
{
    SensorActions records;
    std::memcpy(records.data(), file.data() + 4, sizeof records);
    return records;
}

std::optional<SettingsExtension> FiltersOf(const std::vector<uint8_t>& file)
{
    return DecodeSettingsExtension(file.data() + settingsBlockSize, file.size() - settingsBlockSize);
}

// A live configuration that uses every later option.
struct Configuration {
    SensorActions live = DefaultSensorActions();
    ActionsSettings settings;
    SettingsExtension filters;  // every filter 0: the filters' record is written anyway

    Configuration()
    {
        live[0] = MouseRecord(MouseActionKind::DoubleClick);       // a direction sensor, formerly a double click
        live[1] = MouseRecord(MouseActionKind::LeftPressRelease);  // latched left button
        live[2] = KeyRecord(0x44, false, false, false, false);     // WIN+D
        live[3] = KeyRecord(0, false, false, false, false);        // SHIFT alone, latched
        live[4] = MouseRecord(MouseActionKind::RightClick);        // pause / resume, switched off by the carer
        live[4].enabled = 0;
        live[5] = MouseRecord(MouseActionKind::LeftClick);  // a plain old action
        live[6].enabled = 1;
        settings.sensors[0] = {int32_t(Group::MovePointer), int32_t(PointerDirection::UpLeft)};
        settings.sensors[1].latch = true;
        settings.sensors[2].win = true;
        settings.sensors[3] = {blockGroup, 0, true, false, ModifierAlone::Shift};
        settings.sensors[4] = {int32_t(Group::Control), int32_t(ControlAction::PauseOrResume)};
        settings.sensors[6] = {int32_t(Group::Wheel), int32_t(WheelDirection::Down)};
        settings.pointer = {80, 1200, 700};
        settings.wheel = {400, 12};
        settings.showIndicator = true;
        settings.scan = {12000, 2500, true};
    }

    std::vector<uint8_t> Save(const std::vector<uint8_t>& oldFile) const
    {
        SensorActions stored;
        for (size_t i = 0; i < stored.size(); ++i) stored[i] = StoredBlockRecord(live[i], settings.sensors[i]);
        return SettingsFileContentWithActions(BlockOf(stored), oldFile, filters, EncodeActionsRecord(settings, live));
    }
};

// What the new Kontakta makes of a file: its records and later options.
struct Loaded {
    SensorActions records;
    ActionsSettings settings;
};
Loaded Load(const std::vector<uint8_t>& file)
{
    Loaded loaded{RecordsOf(file), {}};
    for (SensorAction& record : loaded.records) ClampSensorAction(record);
    const uint8_t* tail = file.data() + settingsBlockSize;
    const size_t tailLength = file.size() - settingsBlockSize;
    loaded.settings =
        ApplyActionsRecord(tailLength ? DecodeActionsRecordInTail(tail, tailLength) : std::nullopt, loaded.records);
    return loaded;
}

}  // namespace

TEST(ActionsRecord, FileKeepsFiltersActionsAndSpeedsWhenTheCurrentReleaseSavedItBetween)
{
    Configuration config;
    const std::vector<uint8_t> file = config.Save(plainFile);
    ASSERT_EQ(file.size(), recordAt + actionsRecordHeaderSize + actionsRecordPayloadSize);
    ASSERT_EQ(std::memcmp(file.data() + recordAt, "KTXA", 4), 0) << "after the filters' record, written anyway";
    // What the release reads: a block its range check leaves as it is, the new actions switched off there.
    const SensorActions stored = RecordsOf(file);
    for (SensorAction record : stored) EXPECT_FALSE(ClampSensorAction(record));
    EXPECT_EQ(stored[0].enabled, 0);
    EXPECT_EQ(stored[0].mouseAction, int32_t(MouseActionKind::DoubleClick)) << "the action it held before";
    EXPECT_EQ(stored[2].enabled, 0) << "WIN+D would be a plain D there";
    EXPECT_EQ(stored[1].enabled, 1) << "a latched button works unlatched there";

    // The release saves its block and other filters, and keeps the rest.
    SettingsExtension changedFilters;
    changedFilters.filters[2] = {150, 400};
    const std::vector<uint8_t> resaved = release::Save(BlockOf(stored), file, changedFilters);
    const Loaded loaded = Load(resaved);
    EXPECT_EQ(loaded.settings, config.settings)
        << "new actions, latches, modifiers, speeds, wheel and scan timing all kept";
    for (size_t i = 0; i < loaded.records.size(); ++i)
        EXPECT_EQ(loaded.records[i].enabled, config.live[i].enabled) << "sensor " << i + 1;
    EXPECT_EQ(FiltersOf(resaved)->filters, changedFilters.filters);

    // Saved again by the new Kontakta: the same file as before, filters aside.
    config.filters = changedFilters;
    const std::vector<uint8_t> again = config.Save(resaved);
    EXPECT_EQ(Load(again).settings, config.settings);
    EXPECT_EQ(again.size(), file.size());
}

TEST(ActionsRecord, BlockRecordWinsWhenTheCurrentReleaseChangedTheSensorSince)
{
    const Configuration config;
    const std::vector<uint8_t> file = config.Save(plainFile);
    SensorActions stored = RecordsOf(file);
    stored[0].enabled = 1;        // a carer ticked the direction sensor there: a double click
    stored[2].virtualKey = 0x45;  // and made WIN+D an E
    const Loaded loaded = Load(release::Save(BlockOf(stored), file, {}));
    EXPECT_EQ(loaded.settings.sensors[0], SensorExtras{});
    EXPECT_EQ(loaded.records[0].enabled, 1);
    EXPECT_EQ(loaded.records[0].mouseAction, int32_t(MouseActionKind::DoubleClick));
    EXPECT_EQ(loaded.settings.sensors[2], SensorExtras{});
    EXPECT_EQ(loaded.records[2].enabled, 0);
    for (size_t i : {1u, 3u, 4u, 6u}) EXPECT_EQ(loaded.settings.sensors[i], config.settings.sensors[i]) << i;
    EXPECT_EQ(loaded.settings.pointer, config.settings.pointer);
}

TEST(ActionsRecord, LoadGivesNoNewActionsAndLosesNothingElseWhenTheRecordIsShortDamagedOrLater)
{
    Configuration config;
    config.filters.filters[7] = {300, 0};
    const std::vector<uint8_t> file = config.Save(plainFile);
    const SensorActions stored = RecordsOf(file);
    std::vector<std::vector<uint8_t>> spoiled;
    for (size_t length = settingsBlockSize; length < file.size(); length += 7)
        spoiled.emplace_back(file.begin(), file.begin() + length);  // cut short anywhere
    for (size_t at = recordAt; at < file.size(); ++at) {
        if (at == recordAt + 6 || at == recordAt + 7) continue;  // the reserved word is not checked
        spoiled.push_back(file);
        spoiled.back()[at] ^= 0x20;
    }
    spoiled.push_back(file);
    spoiled.back()[recordAt + 4] = 2;  // a later version

    for (const std::vector<uint8_t>& bytes : spoiled) {
        const Loaded loaded = Load(bytes);
        ASSERT_EQ(loaded.settings, ActionsSettings{}) << bytes.size();
        ASSERT_EQ(std::memcmp(loaded.records.data(), stored.data(), sizeof stored), 0) << "the block as it is";
        if (bytes.size() >= recordAt) {
            ASSERT_EQ(FiltersOf(bytes)->filters, config.filters.filters);
        }
    }
}

TEST(ActionsRecord, SaveKeepsWhatItDoesNotKnowAndWritesOnlyTheBlockWhenNothingFollowsIt)
{
    const Configuration config;
    const SettingsBlock block = BlockOf(DefaultSensorActions());
    EXPECT_EQ(SettingsFileContentWithActions(block, plainFile, {}, {}).size(), settingsBlockSize);
    const std::vector<uint8_t> foreignTail{'Z', 'I', 'P', 0, 1, 2};
    std::vector<uint8_t> foreign = plainFile;
    foreign.insert(foreign.end(), foreignTail.begin(), foreignTail.end());
    const std::vector<uint8_t> overForeign = config.Save(foreign);
    EXPECT_EQ(std::vector<uint8_t>(overForeign.begin() + settingsBlockSize, overForeign.end()), foreignTail);

    std::vector<uint8_t> later = config.Save(plainFile);
    later[recordAt + 4] = 9;
    later.insert(later.end(), {0xAB, 0xCD});
    EXPECT_EQ(config.Save(later), later) << "a later version of our record stays, and what follows it";

    std::vector<uint8_t> followed = config.Save(plainFile);
    followed.insert(followed.end(), {'K', 'T', 'X', 'Q'});
    EXPECT_EQ(config.Save(followed), followed) << "bytes after our record are kept after the new one";
    EXPECT_EQ(SettingsFileContentWithActions(block, followed, {}, {}).size(), recordAt + 4)
        << "no later options any more: the old record goes, the filters' record and the rest stay";
}

TEST(ActionsRecord, DecodeHoldsValuesToTheirRangesAndDropsEntriesNamingNoAction)
{
    Configuration config;
    std::vector<uint8_t> record = EncodeActionsRecord(config.settings, config.live);
    uint8_t* payload = record.data() + actionsRecordHeaderSize;
    std::memset(payload, 0, 10);                                   // speeds and wheel all 0
    std::memset(payload + actionsRecordPayloadSize - 4, 0xFF, 4);  // sweep and step 65.5 s
    payload[12 + 0 * 12 + 4] = 9;                                  // sensor 1: no such group
    payload[12 + 4 * 12 + 5] = uint8_t(controlActionCount);        // sensor 5: no such control action
    payload[12 + 3 * 12 + 7] = 17;                                 // sensor 4: no such modifier
    const uint32_t crc = Crc32(payload, actionsRecordPayloadSize);
    for (int i = 0; i < 4; ++i) record[12 + i] = uint8_t(crc >> (8 * i));

    const auto decoded = DecodeActionsRecord(record.data(), record.size());
    ASSERT_TRUE(decoded);
    EXPECT_EQ(decoded->settings.pointer, (PointerSpeeds{5, 50, 0}));
    EXPECT_EQ(decoded->settings.wheel, (WheelTiming{0, 1}));
    EXPECT_EQ(decoded->settings.scan, (ScanTiming{maxSweepMilliseconds, maxStepMilliseconds, true}));
    EXPECT_EQ(decoded->settings.sensors[0].group, blockGroup);
    EXPECT_EQ(decoded->settings.sensors[4].group, blockGroup);
    EXPECT_EQ(decoded->settings.sensors[3].modifierAlone, ModifierAlone::None);
    EXPECT_TRUE(decoded->settings.sensors[3].latch) << "the rest of the entry stays";
    EXPECT_EQ(decoded->settings.sensors[6], config.settings.sensors[6]);
}
