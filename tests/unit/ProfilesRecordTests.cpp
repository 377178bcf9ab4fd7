#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "SensorRecords.h"
#include "settings/ActionsRecord.h"
#include "settings/ExportFile.h"
#include "settings/ProfilesRecord.h"

using namespace kontakta;

namespace {

// The save rules of the current release (commit 48de5b3), copied so that a
// later change of ours cannot change them: its own filters' extension in
// place of the one the tail starts with, every byte after it kept.
namespace release {

uint32_t Get16(const uint8_t* b)
{
    return uint32_t(b[0]) | uint32_t(b[1]) << 8;
}
uint32_t Get32(const uint8_t* b)
{
    return Get16(b) | Get16(b + 2) << 16;
}
bool HasMagic(const uint8_t* tail, size_t length)
{
    return length >= 4 && std::memcmp(tail, "KTXE", 4) == 0;
}

std::vector<uint8_t> Save(const SettingsBlock& block, const std::vector<uint8_t>& oldFile,
                          const SettingsExtension& extension)
{
    std::vector<uint8_t> content(block.begin(), block.end());
    const uint8_t* tail = oldFile.size() > block.size() ? oldFile.data() + block.size() : nullptr;
    const size_t tailLength = tail ? oldFile.size() - block.size() : 0;
    const bool mayWrite =
        tailLength == 0 || (tail && HasMagic(tail, tailLength) && (tailLength < 6 || Get16(tail + 4) <= 1));
    if (!mayWrite || (tailLength == 0 && extension.filters == SettingsExtension{}.filters)) {
        if (tail) content.insert(content.end(), tail, tail + tailLength);
        return content;
    }
    const std::vector<uint8_t> encoded = EncodeSettingsExtension(extension);
    content.insert(content.end(), encoded.begin(), encoded.end());
    size_t replaced = 0;
    if (tail && HasMagic(tail, tailLength))
        replaced = tailLength < 16 ? tailLength : std::min<uint64_t>(tailLength, 16 + uint64_t(Get32(tail + 8)));
    if (tail) content.insert(content.end(), tail + replaced, tail + tailLength);
    return content;
}

}  // namespace release

const std::vector<uint8_t> plainFile(settingsBlockSize);

SettingsBlock BlockOf(const std::vector<uint8_t>& file)
{
    SettingsBlock block;
    std::memcpy(block.data(), file.data(), block.size());
    return block;
}

// What the new Kontakta makes of a file: the active profile from the block
// and its records, the others from the profiles' record.
LoadedProfiles Load(const std::vector<uint8_t>& file)
{
    const SettingsBlock block = BlockOf(file);
    ProfileSettings active;
    active.pressSound = block[0] != 0;
    std::memcpy(active.records.data(), block.data() + 4, sizeof active.records);
    for (SensorAction& record : active.records) SanitizeRecord(record);
    const uint8_t* tail = file.size() > block.size() ? file.data() + block.size() : nullptr;
    const size_t tailLength = file.size() - block.size();
    if (const auto filters = DecodeSettingsExtension(tail, tailLength)) active.filters = filters->filters;
    active.actions =
        ApplyActionsRecord(tail ? DecodeActionsRecordInTail(tail, tailLength) : std::nullopt, active.records);
    return LoadProfiles(DecodeProfilesRecordInTail(tail, tailLength), active, block);
}

ProfileStore ThreeProfiles()
{
    ProfileSettings writing;
    writing.records[0] = KeyRecord(0x0D, false, false, false, false);
    writing.records[1].enabled = 1;
    writing.actions.sensors[1] = {int32_t(Group::Control), int32_t(ControlAction::ReleaseAll)};
    writing.filters[0] = {120, 300};
    writing.actions.scan = {3000, 500, false};
    ProfileStore store(writing);
    EXPECT_EQ(store.Rename(0, u"Schreiben"), ProfileResult::Done);
    ProfileSettings game;
    game.pressSound = false;
    game.records[2] = MouseRecord(MouseActionKind::DoubleClick);
    game.actions.sensors[2] = {int32_t(Group::MovePointer), int32_t(PointerDirection::UpLeft)};
    game.actions.sensors[3] = {blockGroup, 0, true, false, ModifierAlone::Shift};
    game.actions.pointer = {80, 1200, 700};
    game.actions.scan = {15000, 800, true};
    game.filters[5] = {0, 900};
    std::u16string path = u"C:\\Spiele\\start.lnk";
    game.records[4].enabled = 1;
    game.records[4].actionGroup = int32_t(ActionGroup::RunFile);
    std::memcpy(game.records[4].path, path.c_str(), (path.size() + 1) * 2);
    EXPECT_EQ(store.Add({u"Spiel", game, {u"game.exe", u"Launcher.exe"}}), ProfileResult::Done);
    EXPECT_EQ(store.Add({u"Schule", {}, {}}), ProfileResult::Done);
    EXPECT_EQ(store.Activate(1), ProfileResult::Done);
    return store;
}

void ExpectSameProfiles(const ProfileStore& a, const ProfileStore& b)
{
    ASSERT_EQ(a.Count(), b.Count());
    EXPECT_EQ(a.ActiveIndex(), b.ActiveIndex());
    for (size_t i = 0; i < a.Count(); ++i) {
        EXPECT_EQ(a.At(i).name, b.At(i).name);
        EXPECT_EQ(a.At(i).programs, b.At(i).programs);
        EXPECT_TRUE(a.At(i).settings == b.At(i).settings) << "profile " << i;
    }
}

}  // namespace

TEST(ProfilesRecord, FileKeepsEveryProfileWhenTheCurrentReleaseAndTheActionsAwareSaveSavedItBetween)
{
    const ProfileStore store = ThreeProfiles();
    const std::vector<uint8_t> file = SettingsFileContentForProfiles(store, plainFile);
    const LoadedProfiles loaded = Load(file);
    ASSERT_TRUE(loaded.recordRead);
    EXPECT_FALSE(loaded.blockChangedSince);
    ExpectSameProfiles(loaded.store, store);

    // The current release saves its block unchanged and other filters.
    SettingsExtension filters;
    filters.filters[5] = {0, 900};
    filters.filters[6] = {200, 0};
    const LoadedProfiles afterRelease = Load(release::Save(BlockOf(file), file, filters));
    ASSERT_TRUE(afterRelease.recordRead);
    EXPECT_EQ(afterRelease.store.Active().settings.filters, filters.filters)
        << "the release's change is the active one's";
    EXPECT_TRUE(afterRelease.store.At(0).settings == store.At(0).settings);
    EXPECT_TRUE(afterRelease.store.At(1).settings.actions == store.At(1).settings.actions);

    // A Kontakta that knows the actions' record but not this one, with no
    // later options left: its record goes, ours stays.
    const std::vector<uint8_t> actionsAware = SettingsFileContentWithActions(BlockOf(file), file, filters, {});
    const LoadedProfiles afterActionsAware = Load(actionsAware);
    ASSERT_TRUE(afterActionsAware.recordRead);
    EXPECT_EQ(afterActionsAware.store.Active().settings.actions, ActionsSettings{});
    // And the new Kontakta puts the actions' record back before ours.
    const std::vector<uint8_t> again = SettingsFileContentForProfiles(loaded.store, actionsAware);
    ExpectSameProfiles(Load(again).store, store);
    EXPECT_EQ(again.size(), file.size());
}

TEST(ProfilesRecord, ActiveBlockWinsForTheActiveProfileWhenTheCurrentReleaseChangedIt)
{
    const ProfileStore store = ThreeProfiles();
    const std::vector<uint8_t> file = SettingsFileContentForProfiles(store, plainFile);
    SettingsBlock block = BlockOf(file);
    block[0] = 1;                             // a carer switched the press sound on there
    block[4 + 2 * sizeof(SensorAction)] = 1;  // and ticked the direction sensor: a double click
    const LoadedProfiles loaded = Load(release::Save(block, file, {}));
    ASSERT_TRUE(loaded.recordRead);
    EXPECT_TRUE(loaded.blockChangedSince);
    const ProfileSettings& active = loaded.store.Active().settings;
    EXPECT_EQ(loaded.store.Active().name, u"Spiel");
    EXPECT_TRUE(active.pressSound);
    EXPECT_EQ(active.records[2].enabled, 1);
    EXPECT_EQ(active.actions.sensors[2], SensorExtras{});
    EXPECT_EQ(active.actions.sensors[3], store.Active().settings.actions.sensors[3]);
    EXPECT_TRUE(loaded.store.At(0).settings == store.At(0).settings) << "the others as they were";
}

TEST(ProfilesRecord, LoadGivesOneStandardProfileFromTheBlockWhenTheRecordIsMissingShortDamagedOrLater)
{
    const ProfileStore store = ThreeProfiles();
    const std::vector<uint8_t> file = SettingsFileContentForProfiles(store, plainFile);
    const size_t recordAt =
        settingsBlockSize + ProfilesRecordOffset(file.data() + settingsBlockSize, file.size() - settingsBlockSize);
    ASSERT_EQ(std::memcmp(file.data() + recordAt, "KTXP", 4), 0);
    std::vector<std::vector<uint8_t>> spoiled{plainFile};
    for (size_t length = recordAt; length < file.size(); length += 97)
        spoiled.emplace_back(file.begin(), file.begin() + length);
    for (size_t at = recordAt; at < file.size(); at += 13) {
        if (at == recordAt + 6 || at == recordAt + 7) continue;  // the reserved word is not checked
        spoiled.push_back(file);
        spoiled.back()[at] ^= 0x41;
    }
    spoiled.push_back(file);
    spoiled.back()[recordAt + 4] = 2;
    const ProfileSettings active = Load(file).store.Active().settings;
    for (const std::vector<uint8_t>& bytes : spoiled) {
        const LoadedProfiles loaded = Load(bytes);
        ASSERT_FALSE(loaded.recordRead) << bytes.size();
        ASSERT_EQ(loaded.store.Count(), 1u);
        ASSERT_EQ(loaded.store.Active().name, u"Standard");
        if (bytes.size() >= recordAt) {
            ASSERT_TRUE(loaded.store.Active().settings == active) << "nothing of the block lost";
        }
    }
    // The later version stays as it is when the new Kontakta saves.
    const std::vector<uint8_t> later = spoiled.back();
    EXPECT_EQ(SettingsFileContentForProfiles(Load(later).store, later), later);
    // A single "Standard" without programs writes no record: the file of an older Kontakta.
    EXPECT_EQ(SettingsFileContentForProfiles(ProfileStore(), plainFile).size(), settingsBlockSize);
}

TEST(ExportFile, ReadRefusesEveryBadFileWithItsReasonAndGivesTheTargetsOfAGoodOne)
{
    const ProfileStore store = ThreeProfiles();
    const std::vector<uint8_t> good = EncodeExportFile(store);
    const ImportReading reading = ReadExportFile(good.data(), good.size());
    ASSERT_EQ(reading.error, ImportError::None);
    ASSERT_EQ(reading.profiles.size(), 3u);
    EXPECT_TRUE(reading.profiles[1].settings == store.At(1).settings);
    EXPECT_EQ(reading.profiles[1].programs, store.At(1).programs);
    ASSERT_EQ(reading.targets.size(), 1u);
    EXPECT_EQ(reading.targets[0].path, u"C:\\Spiele\\start.lnk");
    EXPECT_EQ(reading.targets[0].sensor, 5);
    EXPECT_TRUE(reading.targets[0].active);
    EXPECT_EQ(ReadExportFile(EncodeExportFile(store, 2).data(), good.size()).error, ImportError::Damaged)
        << "bytes after its content";

    const auto error = [](std::vector<uint8_t> bytes) { return ReadExportFile(bytes.data(), bytes.size()).error; };
    const auto withCrc = [](std::vector<uint8_t> bytes) {
        const uint32_t crc = Crc32(bytes.data() + exportHeaderSize, bytes.size() - exportHeaderSize);
        for (int i = 0; i < 4; ++i) bytes[exportMagicSize + 8 + i] = uint8_t(crc >> (8 * i));
        return bytes;
    };
    EXPECT_EQ(error({}), ImportError::CutShort);
    EXPECT_EQ(error({'P', 'K', 3, 4}), ImportError::NotExportFile);
    EXPECT_EQ(error(plainFile), ImportError::NotExportFile) << "a settings.dat";
    EXPECT_EQ(error({good.begin(), good.begin() + 5}), ImportError::CutShort);
    EXPECT_EQ(error({good.begin(), good.begin() + exportHeaderSize - 1}), ImportError::CutShort);
    EXPECT_EQ(error({good.begin(), good.end() - 1}), ImportError::CutShort);
    std::vector<uint8_t> bytes = good;
    bytes[8] = 0x0A;  // line ends changed in transfer
    EXPECT_EQ(error(bytes), ImportError::NotExportFile);
    bytes = good;
    bytes[exportMagicSize] = 2;
    EXPECT_EQ(error(bytes), ImportError::LaterVersion);
    bytes = good;
    bytes[good.size() / 2] ^= 1;
    EXPECT_EQ(error(bytes), ImportError::Damaged);
    bytes = good;
    bytes[exportHeaderSize + 4 + 1] = u'\n';  // the first name's first unit, checksum right
    EXPECT_EQ(error(withCrc(bytes)), ImportError::Damaged);
    bytes = good;
    bytes[exportHeaderSize] = 9;  // nine profiles
    EXPECT_EQ(error(withCrc(bytes)), ImportError::Damaged);
    bytes = good;
    bytes.resize(maxExportFileSize + 1);
    EXPECT_EQ(error(bytes), ImportError::TooLarge);

    const std::vector<Profile> twins{{u"Spiel", {}, {}}, {u"SPIEL", {}, {}}};
    EXPECT_EQ(error(EncodeExportFile(twins)), ImportError::Damaged) << "names unique regardless of case";

    for (ImportError e : {ImportError::CannotRead, ImportError::NotExportFile, ImportError::Damaged,
                          ImportError::CutShort, ImportError::LaterVersion, ImportError::TooLarge}) {
        const std::u16string message = ImportErrorMessage(e, u"D:\\carer.kontakta");
        EXPECT_NE(message.find(u"D:\\carer.kontakta"), std::u16string::npos);
        EXPECT_NE(message.find(u"nichts übernommen"), std::u16string::npos);
    }
}

TEST(ImportPlan, ReplacesSameNamedAndAddsLetsTheCarerChooseAboveEightAndChangesNothingOnRefusal)
{
    ProfileStore store = ThreeProfiles();  // Schreiben, Spiel (active), Schule
    std::vector<Profile> imported;
    ProfileSettings changed;
    changed.records[7].enabled = 1;
    imported.push_back({u"spiel", changed, {}});
    for (int i = 0; i < 6; ++i) imported.push_back({u"Neu" + std::u16string(1, char16_t(u'1' + i)), {}, {}});
    const ImportPlan plan = PlanImport(store, imported);
    EXPECT_EQ(plan.steps[0].replaces, 1u);
    EXPECT_FALSE(plan.steps[1].replaces);
    EXPECT_EQ(plan.resultingCount, 9u);
    EXPECT_TRUE(plan.needsChoice);

    const ProfileStore before = store;
    const std::vector<bool> all(imported.size(), true);
    EXPECT_EQ(ApplyImport(store, imported, all).result, ProfileResult::TooManyProfiles);
    ExpectSameProfiles(store, before);

    const std::vector<bool> suggested = SuggestedChoice(plan, store);
    EXPECT_EQ(suggested, (std::vector<bool>{true, true, true, true, true, true, false}));
    const ImportOutcome outcome = ApplyImport(store, imported, suggested);
    EXPECT_EQ(outcome.result, ProfileResult::Done);
    EXPECT_TRUE(outcome.activeReplaced);
    EXPECT_EQ(store.Count(), 8u);
    EXPECT_EQ(store.At(1).name, u"spiel") << "in its place";
    EXPECT_TRUE(store.Active().settings == changed);
    EXPECT_EQ(store.At(7).name, u"Neu5");
}
