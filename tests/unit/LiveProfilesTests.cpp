// The live store with the settings file and the live tables: what a start
// loads, what a save writes, and what a switch and the sheet's apply change.
#include <gtest/gtest.h>

#include "SettingsFileFixture.h"
#include "settings/LiveProfiles.h"
#include "settings/ProfilesRecord.h"

namespace {

ProfileSettings Writing()
{
    ProfileSettings writing;
    writing.records[0] = KeyRecord(0x0D, false, false, false, false);
    writing.records[1].enabled = 1;
    writing.actions.sensors[1] = {int32_t(Group::Control), nextProfileControlAction};
    writing.filters[0] = {120, 300};
    return writing;
}

ProfileSettings Game()
{
    ProfileSettings game;
    game.pressSound = false;
    game.records[2] = MouseRecord(MouseActionKind::DoubleClick);
    game.actions.sensors[2] = {int32_t(Group::MovePointer), int32_t(PointerDirection::UpLeft)};
    game.actions.pointer = {80, 1200, 700};
    game.filters[5] = {0, 900};
    return game;
}

// "Schreiben", "Spiel" (for game.exe) and "Schule", `active` active.
ProfileStore Profiles(size_t active, size_t count = 3)
{
    ProfileStore store(Writing());
    EXPECT_EQ(store.Rename(0, u"Schreiben"), ProfileResult::Done);
    EXPECT_EQ(store.Add({u"Spiel", Game(), {u"game.exe"}}), ProfileResult::Done);
    EXPECT_EQ(store.Add({u"Schule", {}, {}}), ProfileResult::Done);
    for (size_t i = 3; i < count; ++i) {
        ProfileSettings full = Game();
        for (SensorAction& record : full.records) record = KeyRecord(uint8_t(0x41 + i), true, false, false, false);
        EXPECT_EQ(store.Add({u"Profil " + std::u16string(1, char16_t(u'0' + i)), full, {}}), ProfileResult::Done);
    }
    EXPECT_EQ(store.Activate(active), ProfileResult::Done);
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

class LiveProfilesTest : public SettingsFileTest {
protected:
    void TearDown() override
    {
        ResetLiveProfiles(ProfileStore());
        SettingsFileTest::TearDown();
    }
    // The file a save of `store` gives a plain file.
    void WriteFile(const ProfileStore& store)
    {
        storage.files[userFile] = SettingsFileContentForProfiles(store, std::vector<uint8_t>(settingsBlockSize));
    }
    ProfileStore Reload()
    {
        ResetSettingsToDefaults();
        EXPECT_TRUE(LoadSettings(storage, messages));
        return CurrentProfiles();
    }
};

TEST_F(LiveProfilesTest, StartHasEveryProfileWithTheActiveOneInTheLiveTablesAndASaveKeepsThemAll)
{
    // Eight profiles with settings take far more than the 4096 bytes an
    // older loader reads past the block.
    const ProfileStore eight = Profiles(1, maxProfiles);
    WriteFile(eight);
    ASSERT_GT(storage.files[userFile].size(), settingsBlockSize + 4096 * 8);
    ExpectSameProfiles(Reload(), eight);
    EXPECT_TRUE(LiveSettings() == Game());
    EXPECT_EQ(beepOnPress, 0);
    EXPECT_EQ(sensorFilters.Get(5).lockoutMilliseconds, 900u);

    // A change of the live tables is the active profile's when saved.
    SensorAction changed = sensorActions.Get(6);
    changed.enabled = 1;
    sensorActions.Set(6, changed);
    ASSERT_TRUE(SaveSettings(storage));
    const ProfileStore again = Reload();
    EXPECT_EQ(again.Count(), maxProfiles);
    EXPECT_EQ(again.Active().settings.records[6].enabled, 1);
    EXPECT_TRUE(again.At(0).settings == Writing());

    // A file without profiles gives "Standard" alone, and saves as before.
    storage.files[userFile] = std::vector<uint8_t>(settingsBlockSize);
    storage.files[userFile][settingsVersionOffset] = 2;
    const ProfileStore plain = Reload();
    ASSERT_EQ(plain.Count(), 1u);
    EXPECT_EQ(plain.Active().name, standardProfileName);
    ASSERT_TRUE(SaveSettings(storage));
    EXPECT_EQ(storage.files[userFile].size(), settingsBlockSize);
}

TEST_F(LiveProfilesTest, SwitchPutsTheProfileInTheLiveTablesAfterTheLetGoAndTheFileRemembersOnlyAChoiceByHand)
{
    WriteFile(Profiles(0));
    Reload();
    sensorFilters.Set(0, {150, 300});  // changed on the sheet before the switch

    bool letGoFirst = false;
    ASSERT_TRUE(SwitchLiveProfile(1, true, [&] { letGoFirst = LiveSettings().filters[0].holdMilliseconds == 150; }));
    EXPECT_TRUE(letGoFirst);
    EXPECT_TRUE(LiveSettings() == Game());
    EXPECT_EQ(LiveProfiles().At(0).settings.filters[0].holdMilliseconds, 150u);  // the change went with its profile
    EXPECT_FALSE(SwitchLiveProfile(3, true, [] { FAIL() << "no let-go for a profile that is not there"; }));
    EXPECT_TRUE(SwitchLiveProfile(1, true, [] { FAIL() << "no let-go for the active profile"; }));

    // A switch by the per-program rule: active now, but the file keeps the
    // one chosen by hand active, with the live changes in their profiles.
    ASSERT_TRUE(SwitchLiveProfile(2, false, nullptr));
    sensorActions.Set(7, KeyRecord(0x20, false, false, false, false));
    ASSERT_TRUE(SaveSettings(storage));
    const ProfileStore saved = Reload();
    EXPECT_EQ(saved.ActiveIndex(), 1u);
    EXPECT_TRUE(LiveSettings() == Game());
    EXPECT_EQ(saved.At(2).settings.records[7].virtualKey, 0x20);
    EXPECT_EQ(saved.At(0).settings.filters[0].holdMilliseconds, 150u);
}

TEST_F(LiveProfilesTest, ApplyFromTheSheetLetsGoOnlyWhenTheActiveProfileChangesAndChangesNothingWhenTheSaveFails)
{
    WriteFile(Profiles(0));
    Reload();
    int letGos = 0;
    const auto letGo = [&] { ++letGos; };

    ProfileStore renamed = CurrentProfiles();
    ASSERT_EQ(renamed.Rename(2, u"Klasse 3b"), ProfileResult::Done);
    ASSERT_EQ(AdoptProfiles(storage, renamed, letGo), SaveResult::Saved);
    EXPECT_EQ(letGos, 0);
    EXPECT_EQ(Reload().At(2).name, u"Klasse 3b");

    ProfileStore activated = CurrentProfiles();
    ASSERT_EQ(activated.Activate(1), ProfileResult::Done);
    const std::vector<uint8_t> before = storage.files[userFile];
    storage.failWrites.insert(userFile);
    EXPECT_EQ(AdoptProfiles(storage, activated, letGo), SaveResult::NotReplaced);
    EXPECT_EQ(letGos, 0);
    EXPECT_EQ(CurrentProfiles().ActiveIndex(), 0u);
    EXPECT_TRUE(LiveSettings() == Writing());
    EXPECT_EQ(storage.files[userFile], before);

    storage.failWrites.clear();
    ASSERT_EQ(AdoptProfiles(storage, activated, letGo), SaveResult::Saved);
    EXPECT_EQ(letGos, 1);
    EXPECT_TRUE(LiveSettings() == Game());
    EXPECT_EQ(Reload().ActiveIndex(), 1u);
}

}  // namespace
