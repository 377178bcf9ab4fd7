#include <gtest/gtest.h>

#include "app/LatchedView.h"
#include "app/SessionEvents.h"
#include "app/TrayUpdates.h"

using namespace kontakta;

namespace kontakta::session {
void PrintTo(const Steps& steps, std::ostream* out)
{
    *out << "{save " << steps.saveSettings << ", release " << steps.releaseHeldInputs << ", close " << steps.closeKit
         << ", reopen " << steps.reopenKit << ", tear down " << steps.tearDown << "}";
}
}  // namespace kontakta::session

namespace {

using session::Steps;
using session::StepsFor;

TEST(SessionEvents, EndOfSessionOnlySavesAndLetsGoUntilTheEndIsConfirmed)
{
    EXPECT_EQ(StepsFor(session::queryEndSessionMessage, 0), (Steps{.saveSettings = true, .releaseHeldInputs = true}));
    EXPECT_EQ(StepsFor(session::endSessionMessage, 1), (Steps{.tearDown = true}));
    EXPECT_EQ(StepsFor(session::endSessionMessage, 0), Steps{}) << "a cancelled end leaves everything running";
}

TEST(SessionEvents, BackgroundSessionLetsGoAndClosesTheBoxAndOpensItWhenConnectedAgain)
{
    for (uint64_t code : {session::consoleDisconnect, session::remoteDisconnect})
        EXPECT_EQ(StepsFor(session::sessionChangeMessage, code), (Steps{.releaseHeldInputs = true, .closeKit = true}))
            << code;
    for (uint64_t code : {session::consoleConnect, session::remoteConnect})
        EXPECT_EQ(StepsFor(session::sessionChangeMessage, code), (Steps{.reopenKit = true, .retryReleases = true}))
            << code;
    EXPECT_EQ(StepsFor(session::sessionChangeMessage, session::sessionLock), (Steps{.releaseHeldInputs = true}));
    for (uint64_t code : {5u, 6u})  // logon, logoff
        EXPECT_EQ(StepsFor(session::sessionChangeMessage, code), Steps{}) << code;
}

// The lock and the disconnect are announced after the desktop switched: the
// releases sent then were refused, and only the way back can deliver them.
TEST(SessionEvents, UnlockSendsTheRefusedReleasesAgainAndNothingElse)
{
    EXPECT_EQ(StepsFor(session::sessionChangeMessage, session::sessionUnlock), (Steps{.retryReleases = true}));
    EXPECT_FALSE(StepsFor(session::sessionChangeMessage, session::sessionLock).retryReleases)
        << "on the lock screen a retry would be refused again";
}

TEST(SessionEvents, SleepLetsGoAndResumeOpensTheBoxAtOnce)
{
    EXPECT_EQ(StepsFor(session::powerBroadcastMessage, session::powerSuspend), (Steps{.releaseHeldInputs = true}));
    for (uint64_t code : {session::powerResumeAutomatic, session::powerResumeSuspend})
        EXPECT_EQ(StepsFor(session::powerBroadcastMessage, code), (Steps{.reopenKit = true})) << code;
    EXPECT_EQ(StepsFor(session::powerBroadcastMessage, 0xA), Steps{}) << "a change of the power source";
    // The codes mean something else with other messages.
    EXPECT_EQ(StepsFor(0x0111, session::consoleDisconnect), Steps{});
}

TEST(TrayUpdates, ShellIsCalledOnlyOnAChangeOrEveryFewSeconds)
{
    TrayUpdates updates;
    EXPECT_TRUE(updates.Due(TrayState::Readable, 1000)) << "the first tick sets the state over the added icon";
    for (uint64_t now = 1100; now < 1000 + TrayUpdates::reassertMilliseconds; now += 100)
        ASSERT_FALSE(updates.Due(TrayState::Readable, now)) << now;
    EXPECT_TRUE(updates.Due(TrayState::Readable, 1000 + TrayUpdates::reassertMilliseconds))
        << "brings back a vanished icon";

    EXPECT_TRUE(updates.Due(TrayState::Unreadable, 6100)) << "the box was lost";
    EXPECT_FALSE(updates.Due(TrayState::Unreadable, 6200));
    EXPECT_TRUE(updates.Due(TrayState::Readable, 6300)) << "and found again";
    EXPECT_FALSE(updates.Due(TrayState::Readable, 6400));
    EXPECT_FALSE(updates.Due(TrayState::Readable, 10000)) << "the few seconds count from the last change";
    EXPECT_TRUE(updates.Due(TrayState::Readable, 11300));
    EXPECT_TRUE(updates.Due(TrayStateOf(true, true), 11400)) << "a pause shows whatever the box does";
    EXPECT_EQ(TrayStateOf(true, true), TrayState::Paused);
    EXPECT_EQ(TrayStateOf(true, false), TrayState::Unreadable);
}

TEST(TrayUpdates, LatchedShowsOnlyWhileReadAndNotPausedAndEachNewLatchRefreshesTheTip)
{
    EXPECT_EQ(TrayStateOf(false, false, true), TrayState::Latched);
    EXPECT_EQ(TrayStateOf(false, true, true), TrayState::Paused);
    EXPECT_EQ(TrayStateOf(true, false, true), TrayState::Unreadable);
    TrayUpdates updates;
    EXPECT_TRUE(updates.Due(TrayState::Latched, 0, 0b01));
    EXPECT_FALSE(updates.Due(TrayState::Latched, 100, 0b01));
    EXPECT_TRUE(updates.Due(TrayState::Latched, 200, 0b11)) << "another sensor latched: the tip names it";
}

TEST(LatchedView, NamesSayWhatIsHeldInSensorOrder)
{
    SensorActions records = DefaultSensorActions();
    kontakta::ActionsSettings options;
    records[0].actionGroup = int32_t(ActionGroup::Keyboard);
    options.sensors[0].modifierAlone = kontakta::ModifierAlone::Shift;
    records[2].mouseAction = int32_t(MouseActionKind::LeftPressRelease);
    records[3].actionGroup = int32_t(ActionGroup::Keyboard);
    std::u16string(u"STRG+SHIFT+C").copy(records[3].keyText, keyTextLength - 1);
    options.sensors[3].win = true;
    records[4].mouseAction = int32_t(MouseActionKind::RightPressRelease);
    EXPECT_EQ(DescribeLatched(0b1101, records, options), u"UMSCHALT, Links, STRG+SHIFT+WIN+C");
    EXPECT_EQ(DescribeLatched(0b10000, records, options), u"Rechts");
    EXPECT_EQ(DescribeLatched(0, records, options), u"");

    EXPECT_EQ(IndicatorText(u"Links", false), u"Eingerastet: Links");
    EXPECT_EQ(IndicatorText(u"Links", true), u"Eingerastet: Links\nKontakta pausiert");
    EXPECT_EQ(IndicatorText(u"", false), u"") << "nothing to show: the indicator hides";
}

TEST(TrayUpdates, ForgottenIconIsSetAtTheNextTick)
{
    TrayUpdates updates;
    updates.Due(TrayState::Unreadable, 0);
    updates.Forget();  // the new taskbar shows the default icon
    EXPECT_TRUE(updates.Due(TrayState::Unreadable, 100));
    EXPECT_FALSE(updates.Due(TrayState::Unreadable, 200));
}

}  // namespace
