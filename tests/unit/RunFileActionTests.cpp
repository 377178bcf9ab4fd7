#include <gtest/gtest.h>

#include "Fakes.h"
#include "sensors/RunFileAction.h"

using namespace kontakta;

namespace {

SensorAction PathRecord(const std::u16string& path)
{
    SensorAction record = DefaultSensorAction(1);
    record.actionGroup = int32_t(ActionGroup::RunFile);
    path.copy(record.path, pathLength - 1);
    return record;
}

TEST(RunFileAction, AcceptedTargetShowsNothing)
{
    EventLog log;
    RecordingShell shell(log);
    PerformRunFileAction(PathRecord(u"C:\\Program Files\\App\\app.exe"), shell, shell);
    EXPECT_EQ(log.Events(), (Events{"open C:\\Program Files\\App\\app.exe"}))
        << "a path with spaces goes to the shell as it is, without quotes";
}

TEST(RunFileAction, RefusedTargetIsReportedWithThePathInQuotes)
{
    EventLog log;
    RecordingShell shell(log);
    shell.opens = false;
    PerformRunFileAction(PathRecord(u"C:\\Daten\\fehlt.txt"), shell, shell);
    ASSERT_EQ(shell.shown.size(), 1u);
    EXPECT_EQ(shell.shown[0], u"'C:\\Daten\\fehlt.txt' konnte nicht geöffnet werden!");
}

TEST(RunFileAction, EmptyPathIsNotHandedToTheShell)
{
    EventLog log;
    RecordingShell shell(log);
    PerformRunFileAction(PathRecord(u""), shell, shell);
    EXPECT_TRUE(shell.opened.empty());
    ASSERT_EQ(shell.shown.size(), 1u);
    EXPECT_EQ(shell.shown[0], u"'' konnte nicht geöffnet werden!");
}

TEST(RunFileAction, PathWithoutTerminatorIsReadToTheEndOfItsFieldOnly)
{
    SensorAction record = PathRecord(u"");
    for (char16_t& unit : record.path) unit = u'p';
    record.keyText[0] = u'K';  // the next field must not leak into the path
    EventLog log;
    RecordingShell shell(log);
    PerformRunFileAction(record, shell, shell);
    ASSERT_EQ(shell.opened.size(), 1u);
    EXPECT_EQ(shell.opened[0], std::u16string(pathLength, u'p'));
}

TEST(RunFileAction, LongestPathRoundTripsWhole)
{
    const std::u16string longest(254, u'x');
    EXPECT_EQ(PathOf(PathRecord(longest)), longest);
}

}  // namespace
