// The decisions of the per-user step, natively: what the step writes for each
// user, and whom the setup prepares. (Whether the program finds "UpdateCode"
// is UpdateCodeMeaning's, tested with the settings file.)
#include <gtest/gtest.h>

#include "usersetup/UserSetupDecision.h"

using namespace usersetup;

namespace {

TEST(DecideUpdateCode, AsksForTheDefaultsWhenTheUserHasNoSettingsFile)
{
    EXPECT_EQ(DecideUpdateCode(SettingsFile::Missing, false), UpdateCodeChange::WriteOne);
    // A "0" would leave the program without a file to start with.
    EXPECT_EQ(DecideUpdateCode(SettingsFile::Missing, true), UpdateCodeChange::WriteOne);
}

TEST(DecideUpdateCode, ProtectsTheFileWhenTheUserHasOne)
{
    EXPECT_EQ(DecideUpdateCode(SettingsFile::Present, false), UpdateCodeChange::WriteZero);
    EXPECT_EQ(DecideUpdateCode(SettingsFile::Present, true), UpdateCodeChange::Leave);
}

TEST(DecideUpdateCode, WritesNothingWhenTheFileCannotBeAskedAbout)
{
    EXPECT_EQ(DecideUpdateCode(SettingsFile::Unknown, false), UpdateCodeChange::GiveUp);
    EXPECT_EQ(DecideUpdateCode(SettingsFile::Unknown, true), UpdateCodeChange::GiveUp);
}

TEST(DecideWhomToPrepare, ShouldPrepareTheDesktopUserAndNeverAnotherAdministrator)
{
    EXPECT_EQ(DecideWhomToPrepare(DesktopUser::Same), PrepareWhom::ThisUser);
    // Over-the-shoulder elevation: the administrator's profile is left alone.
    EXPECT_EQ(DecideWhomToPrepare(DesktopUser::Other), PrepareWhom::DesktopUser);
    EXPECT_EQ(DecideWhomToPrepare(DesktopUser::Unreadable), PrepareWhom::Nobody);
    EXPECT_EQ(DecideWhomToPrepare(DesktopUser::NoShell), PrepareWhom::ThisUser);
}

}  // namespace
