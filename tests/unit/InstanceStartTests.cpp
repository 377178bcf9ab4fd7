// The start of a second instance: only a user's start asks for the sheet; a
// restart by Windows beside the running instance ends without a word.
#include <gtest/gtest.h>

#include "app/InstanceStart.h"

using namespace kontakta;

using instance::Decide;
using instance::IsRestart;
using instance::Start;

TEST(InstanceStart, RestartIsFoundWhenWindowsAppendsTheArgumentToThePath)
{
    EXPECT_TRUE(IsRestart(u"\"C:\\Program Files\\KORVA\\Kontakta\\Kontakta.exe\" /restarted"));
    EXPECT_TRUE(IsRestart(u"C:\\Kontakta\\Kontakta.exe /restarted"));
    EXPECT_TRUE(IsRestart(u"Kontakta.exe\t /RESTARTED  "));
    EXPECT_TRUE(IsRestart(u"Kontakta.exe /other /Restarted"));
}

TEST(InstanceStart, RestartIsNotFoundWhenOnlyThePathOrAnotherArgumentHasIt)
{
    EXPECT_FALSE(IsRestart(u"\"C:\\Program Files\\KORVA\\Kontakta\\Kontakta.exe\""));
    EXPECT_FALSE(IsRestart(u"\"C:\\x /restarted\\Kontakta.exe\""));
    EXPECT_FALSE(IsRestart(u"C:\\Kontakta\\/restarted"));
    EXPECT_FALSE(IsRestart(u"Kontakta.exe /restartedx"));
    EXPECT_FALSE(IsRestart(u"Kontakta.exe restarted"));
    EXPECT_FALSE(IsRestart(u"\"Kontakta.exe /restarted"));  // an unclosed quote holds the rest
    EXPECT_FALSE(IsRestart(u""));
}

TEST(InstanceStart, SecondInstanceEndsQuietlyOnlyWhenWindowsRestartedIt)
{
    EXPECT_EQ(Decide(false, false), Start::RunHere);
    EXPECT_EQ(Decide(false, true), Start::RunHere) << "a restart after a crash runs the program";
    EXPECT_EQ(Decide(true, false), Start::AskRunningForSettings);
    EXPECT_EQ(Decide(true, true), Start::EndQuietly);
}
