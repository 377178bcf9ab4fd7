#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "SensorRecords.h"
#include "settings/ExportFile.h"
#include "settings/Profiles.h"
#include "settings/ProfilesRecord.h"

using namespace kontakta;

namespace {

ProfileSettings WithNextProfile(size_t sensor)
{
    ProfileSettings settings;
    settings.records[sensor].enabled = 1;
    settings.actions.sensors[sensor] = {int32_t(Group::Control), nextProfileControlAction};
    return settings;
}

ProfileStore StoreOf(std::vector<ProfileSettings> settings)
{
    ProfileStore store(settings[0]);
    for (size_t i = 1; i < settings.size(); ++i) {
        EXPECT_EQ(store.Add({u"P" + std::u16string(1, char16_t(u'0' + i)), settings[i], {}}), ProfileResult::Done);
    }
    return store;
}

}  // namespace

TEST(ProfileStore, OperationsRefuseWithTheirReasonAndChangeNothing)
{
    ProfileStore store;
    ASSERT_EQ(store.Count(), 1u);
    EXPECT_EQ(store.Active().name, u"Standard");
    EXPECT_EQ(store.Delete(0), ProfileResult::LastProfile);
    EXPECT_EQ(store.MoveUp(0), ProfileResult::AlreadyFirst);
    EXPECT_EQ(store.MoveDown(0), ProfileResult::AlreadyLast);
    EXPECT_EQ(store.Activate(1), ProfileResult::NoSuchProfile);
    EXPECT_EQ(store.Rename(3, u"X"), ProfileResult::NoSuchProfile);

    EXPECT_EQ(store.New(u""), ProfileResult::NameEmpty);
    EXPECT_EQ(store.New(u"   "), ProfileResult::NameEmpty);
    EXPECT_EQ(store.New(std::u16string(41, u'a')), ProfileResult::NameTooLong);
    EXPECT_EQ(store.New(u"Zeile\nzwei"), ProfileResult::NameControlCharacter);
    EXPECT_EQ(store.New(u"Tab\t"), ProfileResult::NameControlCharacter);
    EXPECT_EQ(store.New(u"\u0085"), ProfileResult::NameControlCharacter);
    EXPECT_EQ(store.New(u"STANDARD"), ProfileResult::NameTaken);
    EXPECT_EQ(store.Count(), 1u);

    EXPECT_EQ(store.New(std::u16string(40, u'a')), ProfileResult::Done);
    EXPECT_EQ(store.New(u"Übung"), ProfileResult::Done);
    EXPECT_EQ(store.New(u"ÜBUNG"), ProfileResult::NameTaken) << "case folded beyond ASCII";
    EXPECT_EQ(store.Rename(2, u"übung"), ProfileResult::Done) << "its own name in another case";
    EXPECT_EQ(store.Rename(2, u"standard"), ProfileResult::NameTaken);
    for (int i = 3; i < 8; ++i) EXPECT_EQ(store.New(u"P" + std::u16string(1, char16_t(u'0' + i))), ProfileResult::Done);
    EXPECT_EQ(store.New(u"Neun"), ProfileResult::TooManyProfiles);
    EXPECT_EQ(store.Count(), 8u);

    EXPECT_EQ(store.SetPrograms(1, {u"C:\\Word.exe"}), ProfileResult::ProgramInvalid);
    EXPECT_EQ(store.SetPrograms(1, {u""}), ProfileResult::ProgramInvalid);
    EXPECT_EQ(store.SetPrograms(1, {u"a.exe", u"A.EXE"}), ProfileResult::ProgramRepeated);
    EXPECT_EQ(store.SetPrograms(1, std::vector<std::u16string>(17, u"x")), ProfileResult::TooManyPrograms);
    EXPECT_TRUE(store.At(1).programs.empty());
    for (ProfileResult r : {ProfileResult::NameEmpty, ProfileResult::NameTooLong, ProfileResult::NameTaken,
                            ProfileResult::TooManyProfiles, ProfileResult::LastProfile, ProfileResult::ProgramInvalid})
        EXPECT_FALSE(ProfileResultMessage(r).empty());
}

TEST(ProfileStore, NewMoveDeleteAndNextKeepTheActiveOneAndTheOrder)
{
    ProfileSettings first;
    first.records[3] = KeyRecord(0x41, true, false, false, false);
    ProfileStore store(first);
    ASSERT_EQ(store.New(u"Schreiben"), ProfileResult::Done);
    ASSERT_EQ(store.New(u"Spiel"), ProfileResult::Done);
    EXPECT_EQ(store.ActiveIndex(), 0u) << "a new profile is not activated";
    EXPECT_TRUE(store.At(2).settings == first) << "a copy of the active one";
    const uint32_t spiel = store.IdAt(2);

    EXPECT_EQ(store.Next(), ProfileResult::Done);
    EXPECT_EQ(store.ActiveIndex(), 1u);
    EXPECT_EQ(store.Next(), ProfileResult::Done);
    EXPECT_EQ(store.Next(), ProfileResult::Done);
    EXPECT_EQ(store.ActiveIndex(), 0u) << "round";

    ASSERT_EQ(store.MoveDown(0), ProfileResult::Done);
    EXPECT_EQ(store.At(1).name, u"Standard");
    EXPECT_EQ(store.ActiveIndex(), 1u) << "the active one moves with its place";
    ASSERT_EQ(store.MoveUp(2), ProfileResult::Done);
    EXPECT_EQ(store.IndexOfId(spiel), 1u);
    EXPECT_EQ(store.ActiveIndex(), 2u);

    ASSERT_EQ(store.Delete(2), ProfileResult::Done);  // the active one, the last: the one before
    EXPECT_EQ(store.Active().name, u"Spiel");
    ASSERT_EQ(store.Delete(0), ProfileResult::Done);  // before the active one
    EXPECT_EQ(store.Active().name, u"Spiel");
    EXPECT_EQ(store.IndexOfId(spiel), 0u);
}

TEST(ProgramRule, SwitchesAndReturnsWaitsWhileBusyAndLetsAManualSwitchWinUntilTheForegroundChanges)
{
    ProfileStore store;
    ASSERT_EQ(store.New(u"Schreiben"), ProfileResult::Done);
    ASSERT_EQ(store.New(u"Spiel"), ProfileResult::Done);
    ASSERT_EQ(store.SetPrograms(1, {u"winword.exe"}), ProfileResult::Done);
    ASSERT_EQ(store.SetPrograms(2, {u"game.exe"}), ProfileResult::Done);
    ProgramRuleState state;
    const auto ask = [&](const std::u16string& exe, bool busy = false, bool sheet = false) {
        ProgramRuleDecision d = DecideProgramProfile(store, state, exe, busy, sheet);
        state = d.state;
        if (d.activate) store.Activate(*d.activate);
        return d;
    };

    EXPECT_FALSE(ask(u"explorer.exe").activate);
    EXPECT_TRUE(ask(u"C:\\Office\\WINWORD.EXE", true).waiting) << "a held ALT+TAB is not cut";
    EXPECT_EQ(store.ActiveIndex(), 0u);
    EXPECT_TRUE(ask(u"C:\\Office\\WINWORD.EXE", false, true).waiting) << "never while the sheet is open";
    EXPECT_EQ(ask(u"C:\\Office\\WINWORD.EXE").activate, 1u) << "once it is quiet";
    EXPECT_EQ(ask(u"game.exe").activate, 2u) << "from one program's profile to another's";
    EXPECT_EQ(ask(u"notepad.exe").activate, 0u) << "back to the one before both";
    EXPECT_FALSE(ask(u"notepad.exe").activate);

    // A manual switch while a program's profile is active wins...
    EXPECT_EQ(ask(u"winword.exe").activate, 1u);
    store.Activate(2);
    state = AfterManualSwitch(state);
    EXPECT_FALSE(ask(u"winword.exe").activate) << "the same foreground: the manual switch stands";
    // ...until the foreground changes again, and nothing returns past it.
    EXPECT_FALSE(ask(u"notepad.exe").activate);
    EXPECT_EQ(store.ActiveIndex(), 2u);
    EXPECT_EQ(ask(u"winword.exe").activate, 1u);
    EXPECT_EQ(ask(u"notepad.exe").activate, 2u) << "back to the manually chosen one";

    // The profile to return to was deleted meanwhile: nothing to return to.
    EXPECT_EQ(ask(u"winword.exe").activate, 1u);
    ASSERT_EQ(store.Delete(2), ProfileResult::Done);
    EXPECT_FALSE(ask(u"notepad.exe").activate);
    EXPECT_EQ(store.Active().name, u"Schreiben");
}

TEST(ProfileTraps, ShouldFlagAProfileSteppedIntoThatCannotStepOn)
{
    EXPECT_EQ(ProfileTraps(StoreOf({WithNextProfile(0)})), std::vector<bool>{false});
    EXPECT_EQ(ProfileTraps(StoreOf({{}, {}, {}})), (std::vector<bool>{false, false, false}))
        << "no profile steps on: switched by the carer only";
    EXPECT_EQ(ProfileTraps(StoreOf({WithNextProfile(0), {}, WithNextProfile(7)})),
              (std::vector<bool>{false, true, false}));
    ProfileSettings off = WithNextProfile(2);
    off.records[2].enabled = 0;
    EXPECT_EQ(ProfileTraps(StoreOf({WithNextProfile(1), off})), (std::vector<bool>{false, true}))
        << "a switched-off sensor does not step on";
    const auto scanMenu = [](const Profile& p) { return p.name == u"P1"; };
    EXPECT_EQ(ProfileTraps(StoreOf({WithNextProfile(0), {}}), +scanMenu), (std::vector<bool>{false, false}));
}
