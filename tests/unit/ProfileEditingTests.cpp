// The "Profile" page's decisions: the working copy and what OK makes of it,
// the buttons, the list and its warning, the program list, the import choice.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "sensors/ActionGroups.h"
#include "settings/ExportFile.h"
#include "texts/Texts.h"
#include "ui/ProfileEditing.h"

using namespace kontakta;

namespace {

ProfileSettings WithSound(bool sound)
{
    ProfileSettings settings;
    settings.pressSound = sound;
    return settings;
}

ProfileSettings WithControl(size_t sensor, int32_t action)
{
    ProfileSettings settings;
    settings.records[sensor].enabled = 1;
    settings.actions.sensors[sensor] = {int32_t(Group::Control), action};
    return settings;
}

Profile Named(const char16_t* name, const ProfileSettings& settings = {})
{
    return {name, settings, {}};
}

ProfileStore TwoProfiles()
{
    ProfileStore store(WithSound(true));
    EXPECT_EQ(store.Add(Named(u"Spiel", WithSound(false))), ProfileResult::Done);
    return store;
}

}  // namespace

TEST(ProfilePage, OkTakesTheLiveTablesIntoTheProfileThatActedWhateverTheCopyActivated)
{
    ProfileEditing editing(TwoProfiles());
    EXPECT_FALSE(editing.Changed());
    ProfileSettings live = WithSound(false);  // the "Allgemein" page switched the sound off meanwhile
    live.records[2].enabled = 1;

    EXPECT_EQ(editing.Activate(1), ProfileResult::Done);
    EXPECT_TRUE(editing.Changed());
    EXPECT_EQ(editing.MoveUp(1), ProfileResult::Done);  // "Spiel" first, still active
    const ProfileStore ok = editing.ForOk(live);
    ASSERT_EQ(ok.Count(), 2u);
    EXPECT_EQ(ok.Active().name, u"Spiel");
    EXPECT_TRUE(ok.At(1).name == u"Standard" && ok.At(1).settings == live) << "the live profile keeps its edits";
    EXPECT_FALSE(ok.Active().settings.pressSound) << "the activated one as it was stored";
    EXPECT_TRUE(editing.Working().At(1).settings.pressSound) << "ForOk leaves the copy as it was";

    // "Neu…" copies the active one as the other pages left it.
    ProfileEditing copying(TwoProfiles());
    copying.TakeLiveSettings(live);
    EXPECT_EQ(copying.New(u"Kopie"), ProfileResult::Done);
    EXPECT_TRUE(copying.Working().At(2).settings == live);
    EXPECT_EQ(copying.New(u"kopie"), ProfileResult::NameTaken);

    // Deleted, the live profile's edits go with it; the next one acts after OK.
    ProfileEditing deleting(TwoProfiles());
    EXPECT_EQ(deleting.Delete(0), ProfileResult::Done);
    EXPECT_FALSE(deleting.LiveIndex());
    const ProfileStore afterDelete = deleting.ForOk(live);
    ASSERT_EQ(afterDelete.Count(), 1u);
    EXPECT_EQ(afterDelete.Active().name, u"Spiel");
    EXPECT_FALSE(afterDelete.Active().settings == live);
    EXPECT_EQ(deleting.Delete(0), ProfileResult::LastProfile);
    EXPECT_NE(LiveNoteFor(deleting).find(u"gelöschten"), std::u16string::npos);
}

TEST(ProfilePage, AnImportThatReplacesTheLiveProfileWinsOverTheLiveTablesAtOk)
{
    ProfileEditing editing(TwoProfiles());
    const ProfileSettings live = WithSound(false);
    ProfileSettings imported = WithSound(true);
    imported.records[5].enabled = 1;
    const std::vector<Profile> file{Named(u"STANDARD", imported), Named(u"Schule")};

    // A refused choice changes nothing.
    ProfileEditing full(TwoProfiles());
    for (const char16_t* name : {u"A", u"B", u"C", u"D", u"E", u"F"}) ASSERT_EQ(full.New(name), ProfileResult::Done);
    const ProfileEditing before = full;
    EXPECT_EQ(full.Import(file, {true, true}).result, ProfileResult::TooManyProfiles);
    EXPECT_FALSE(full.LiveReplaced());
    EXPECT_EQ(full.Working().Count(), before.Working().Count());

    const ImportOutcome outcome = editing.Import(file, {true, true});
    ASSERT_EQ(outcome.result, ProfileResult::Done);
    EXPECT_TRUE(editing.LiveReplaced());
    EXPECT_NE(LiveNoteFor(editing).find(u"mit OK gilt das importierte"), std::u16string::npos)
        << "the carer is told that changes on the other pages would be lost";
    const ProfileStore ok = editing.ForOk(live);
    ASSERT_EQ(ok.Count(), 3u);
    EXPECT_EQ(ok.At(0).name, u"STANDARD") << "replaced in its place, under the file's name";
    EXPECT_TRUE(ok.At(0).settings == imported) << "the confirmed import, not the live tables";
    EXPECT_EQ(ok.At(2).name, u"Schule");

    // An import of other names leaves the live profile to the live tables.
    ProfileEditing other(TwoProfiles());
    ASSERT_EQ(other.Import({Named(u"Schule")}, {true}).result, ProfileResult::Done);
    EXPECT_FALSE(other.LiveReplaced());
    EXPECT_TRUE(other.ForOk(live).At(0).settings == live);
}

TEST(ProfilePage, ButtonsActOnlyWhereTheStoreWouldAndNeverDeleteTheLastProfile)
{
    ProfileStore one;
    ProfileButtons buttons = ButtonsFor(one, 0);
    EXPECT_TRUE(buttons.newOne && buttons.rename && buttons.programs && buttons.exportAny && buttons.importAny);
    EXPECT_FALSE(buttons.remove || buttons.up || buttons.down || buttons.activate);
    buttons = ButtonsFor(one, std::nullopt);
    EXPECT_FALSE(buttons.rename || buttons.remove || buttons.programs);
    EXPECT_FALSE(ButtonsFor(one, 3).rename) << "a selection past the list is none";

    ProfileStore three = TwoProfiles();
    ASSERT_EQ(three.New(u"Drei"), ProfileResult::Done);
    buttons = ButtonsFor(three, 1);
    EXPECT_TRUE(buttons.remove && buttons.up && buttons.down && buttons.activate);
    EXPECT_FALSE(ButtonsFor(three, 0).up);
    EXPECT_FALSE(ButtonsFor(three, 0).activate) << "the active one";
    EXPECT_FALSE(ButtonsFor(three, 2).down);
    for (const char16_t* name : {u"4", u"5", u"6", u"7", u"8"}) ASSERT_EQ(three.New(name), ProfileResult::Done);
    EXPECT_FALSE(ButtonsFor(three, 0).newOne) << "eight already";
}

TEST(ProfilePage, TheListMarksTheActiveProfileAndWarnsOfOneItsUserCannotLeave)
{
    // "Standard" steps on to "Spiel", which has no way on: a trap.
    ProfileStore store(WithControl(0, nextProfileControlAction));
    ASSERT_EQ(store.Add(Named(u"Spiel")), ProfileResult::Done);
    std::vector<std::u16string> lines = ProfileListLines(store);
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_EQ(lines[0], u"Standard (aktiv)");
    EXPECT_EQ(lines[1], u"Spiel \u2013 ohne Weg zurück!");
    const std::u16string warning = TrapWarningFor(store);
    EXPECT_NE(warning.find(u"Aus dem Profil \u201ESpiel\u201C"), std::u16string::npos)
        << std::string(warning.begin(), warning.end());

    // The scan menu's "Nächstes Profil" is a way on too.
    ProfileStore scanning(WithControl(0, nextProfileControlAction));
    ASSERT_EQ(scanning.Add(Named(u"Spiel", WithControl(3, int32_t(ControlAction::ScanScreen)))), ProfileResult::Done);
    EXPECT_EQ(TrapWarningFor(scanning), u"");
    EXPECT_EQ(ProfileListLines(scanning)[1], u"Spiel");
    // Switched off, the sensor is no way on.
    ProfileSettings off = WithControl(3, int32_t(ControlAction::ScanScreen));
    off.records[3].enabled = 0;
    ASSERT_EQ(scanning.Replace(1, Named(u"Spiel", off)), ProfileResult::Done);
    EXPECT_NE(TrapWarningFor(scanning), u"");

    // Profiles the carer switches (no step anywhere): nothing to warn of.
    EXPECT_EQ(TrapWarningFor(TwoProfiles()), u"");

    ProfileEditing editing(TwoProfiles());
    const std::u16string quiet = LiveNoteFor(editing);
    EXPECT_NE(quiet.find(u"\u201EStandard\u201C, das jetzt wirkt."), std::u16string::npos);
    EXPECT_EQ(quiet.find(u"ab OK"), std::u16string::npos) << "nothing changed yet";
    ASSERT_EQ(editing.Activate(1), ProfileResult::Done);
    EXPECT_NE(LiveNoteFor(editing).find(u"Mit OK wird \u201ESpiel\u201C aktiv."), std::u16string::npos);
}

TEST(ProfilePage, NamesToStartFromAreFreeAndFileNamesHoldNoCharacterWindowsRefuses)
{
    ProfileStore store = TwoProfiles();
    EXPECT_EQ(SuggestedProfileName(store), u"Profil 3");
    ASSERT_EQ(store.New(u"profil 3"), ProfileResult::Done);
    EXPECT_EQ(SuggestedProfileName(store), u"Profil 4");

    EXPECT_EQ(SuggestedExportFileName(store, std::nullopt), u"Kontakta-Profile.kontakta");
    ASSERT_EQ(store.Rename(1, u"Spiel: 1/2 <neu>?"), ProfileResult::Done);
    EXPECT_EQ(SuggestedExportFileName(store, 1), u"Spiel_ 1_2 _neu__.kontakta");
    ASSERT_EQ(store.Rename(1, u"..."), ProfileResult::Done);
    EXPECT_EQ(SuggestedExportFileName(store, 1), u"Kontakta-Profile.kontakta");
}

TEST(ProfilePage, TheProgramListTakesOneExePerLineAndAPathAsItsFileName)
{
    const std::vector<std::u16string> programs =
        ParseProgramList(u"  winword.exe \r\n\r\nC:\\Program Files\\Mozilla Firefox\\firefox.exe\n\t\nspiel.exe");
    EXPECT_EQ(programs, (std::vector<std::u16string>{u"winword.exe", u"firefox.exe", u"spiel.exe"}));
    EXPECT_EQ(ParseProgramList(ProgramListText(programs)), programs);
    EXPECT_TRUE(ParseProgramList(u"\r\n  \r\n").empty());

    ProfileEditing editing(TwoProfiles());
    EXPECT_EQ(editing.SetPrograms(1, ParseProgramList(u"a.exe\nA.EXE")), ProfileResult::ProgramRepeated);
    EXPECT_FALSE(editing.Changed());
    EXPECT_EQ(editing.SetPrograms(1, programs), ProfileResult::Done);
    EXPECT_EQ(editing.Working().At(1).programs, programs);
}

TEST(ProfilePage, TheImportShowsWhatItAddsAndReplacesAndTheTargetsAndLetsTheCarerChooseWithinEight)
{
    ProfileStore store = TwoProfiles();
    for (const char16_t* name : {u"A", u"B", u"C", u"D", u"E"}) ASSERT_EQ(store.New(name), ProfileResult::Done);
    ProfileSettings runs;
    runs.records[1].enabled = 1;
    runs.records[1].actionGroup = int32_t(ActionGroup::RunFile);
    const std::u16string path = u"C:\\Spiele\\spiel.exe";
    path.copy(runs.records[1].path, path.size());
    const std::vector<Profile> file{Named(u"spiel", runs), Named(u"Schule"), Named(u"Hause")};
    const std::vector<uint8_t> bytes = EncodeExportFile(file);
    const ImportReading reading = ReadExportFile(bytes.data(), bytes.size());
    ASSERT_EQ(reading.error, ImportError::None);

    const ImportPlan plan = PlanImport(store, reading.profiles);
    ASSERT_TRUE(plan.needsChoice) << "seven and two new ones";
    EXPECT_EQ(ImportLines(plan, reading.profiles),
              (std::vector<std::u16string>{u"\u201Espiel\u201C \u2013 ersetzt das Profil gleichen Namens",
                                           u"\u201ESchule\u201C \u2013 neu", u"\u201EHause\u201C \u2013 neu"}));
    EXPECT_EQ(ImportTargetsText(reading), u"\u201Espiel\u201C, Sensor 2 öffnet: C:\\Spiele\\spiel.exe");
    EXPECT_NE(ImportNoteFor(plan).find(u"Zusammen wären es 9 Profile"), std::u16string::npos);

    const std::vector<bool> suggested = SuggestedChoice(plan, store);
    EXPECT_EQ(suggested, (std::vector<bool>{true, true, false}));
    EXPECT_TRUE(ImportChoiceAllowed(plan, store, suggested));
    EXPECT_FALSE(ImportChoiceAllowed(plan, store, {true, true, true})) << "nine";
    EXPECT_FALSE(ImportChoiceAllowed(plan, store, {false, false, false})) << "nothing to take";
    EXPECT_TRUE(ImportChoiceAllowed(plan, store, {false, false, true}));
    EXPECT_EQ(CountAfterImport(plan, store, {true, false, false}), 7u);

    // Switched off, a target is shown as kept only.
    runs.records[1].enabled = 0;
    const std::vector<uint8_t> off = EncodeExportFile(std::vector<Profile>{Named(u"Aus", runs)});
    EXPECT_EQ(ImportTargetsText(ReadExportFile(off.data(), off.size())),
              u"\u201EAus\u201C, Sensor 2 (ausgeschaltet): C:\\Spiele\\spiel.exe");
    const std::vector<uint8_t> none = EncodeExportFile(std::vector<Profile>{Named(u"Leer")});
    EXPECT_EQ(ImportTargetsText(ReadExportFile(none.data(), none.size())), texts::importNoTargets);
}
