// The sensors at work: a press that clicks, the box unplugged, the pause,
// the session switching away and back, and the icon that must stay.
// Each scenario runs in a Wine prefix of its own (see run-scenario).
#include <filesystem>
#include <fstream>

#include "ScenarioSupport.h"

namespace e2e {
namespace {

TEST_F(Scenario, PressOnInputOneClicksIntoTheTargetWindow)
{
    std::string file = SettingsBlock();
    PutInt32(file, RecordOffset(1) + 8, 1);  // sensor 1: "Links Klick"
    PutInt32(file, 0, 0);                    // no press sound
    Program program;
    ASSERT_TRUE(InstallAndStart(program, {.updateCode = L"0", .settingsFile = file}));

    testsupport::TargetWindow target;
    ASSERT_TRUE(target.Activate());
    Kit().devices[0].pressed = 1;
    EXPECT_TRUE(WaitFor([&] { return target.Describe() == "LDOWN LUP"; }, 3000)) << target.Describe();
    Kit().devices[0].pressed = 0;
    testsupport::Pump(300);
    EXPECT_EQ(target.Describe(), "LDOWN LUP") << "a click does nothing on release";
}

TEST_F(Scenario, UnpluggingTheBoxSwitchesTheTrayTipWithinASecond)
{
    Program program;
    ASSERT_TRUE(InstallAndStart(program, {.updateCode = L"0", .settingsFile = SettingsBlock()}));
    ASSERT_TRUE(WaitFor([] { return TrayTipShown(readableTip); }, 2000));
    Kit().plugged = 0;
    const DWORD start = ::GetTickCount();
    EXPECT_TRUE(WaitFor([] { return TrayTipShown(missingTip); }, 1000));
    EXPECT_LE(::GetTickCount() - start, 1000u);
}

TEST_F(Scenario, PauseFromTheTrayMenuLetsGoAndHoldsEveryActionBackUntilResumed)
{
    std::string file = SettingsBlock();
    PutInt32(file, 0, 0);  // no press sound; sensor 1 presses and releases the left button
    Program program;
    ASSERT_TRUE(InstallAndStart(program, {.updateCode = L"0", .settingsFile = file}));
    testsupport::TargetWindow target;
    ASSERT_TRUE(target.Activate());
    testsupport::Pump(700);  // past the double-click time of the activating click
    target.Clear();

    Kit().devices[0].pressed = 1;
    ASSERT_TRUE(WaitFor([&] { return target.Describe() == "LDOWN"; }, 3000)) << target.Describe();
    ::PostMessageW(program.MainWindow(), WM_COMMAND, ID_PAUSE_SENSORS, 0);
    EXPECT_TRUE(WaitFor([&] { return target.Describe() == "LDOWN LUP"; }, 2000)) << "the pause lets go";
    EXPECT_TRUE(WaitFor([] { return TrayTipShown(L"KORVA Kontakta - pausiert"); }, 2000));
    Kit().devices[0].pressed = 0;
    testsupport::Pump(200);
    Touch(1, 200);
    testsupport::Pump(300);
    EXPECT_EQ(target.Describe(), "LDOWN LUP") << "paused: nothing acts, nothing is released twice";

    ::PostMessageW(program.MainWindow(), WM_COMMAND, ID_PAUSE_SENSORS, 0);
    EXPECT_TRUE(WaitFor([] { return TrayTipShown(readableTip); }, 2000));
    testsupport::Pump(700);
    target.Clear();
    Touch(1, 200);
    EXPECT_TRUE(WaitFor([&] { return target.Describe() == "LDOWN LUP"; }, 2000)) << target.Describe();

    // "Alle Tasten loslassen" lets go without pausing.
    testsupport::Pump(700);
    target.Clear();
    Kit().devices[0].pressed = 1;
    ASSERT_TRUE(WaitFor([&] { return target.Describe() == "LDOWN"; }, 3000)) << target.Describe();
    ::PostMessageW(program.MainWindow(), WM_COMMAND, ID_RELEASE_ALL, 0);
    EXPECT_TRUE(WaitFor([&] { return target.Describe() == "LDOWN LUP"; }, 2000));
    Kit().devices[0].pressed = 0;
}

TEST_F(Scenario, SessionSwitchLockAndSleepLetGoAndTheBackgroundSessionHoldsNoBox)
{
    Program program;
    ASSERT_TRUE(InstallAndStart(program, {.updateCode = L"0", .settingsFile = QuietShortSettingsFile()}));
    ASSERT_TRUE(WaitFor([] { return TrayTipShown(readableTip); }, 2000));
    testsupport::TargetWindow target;
    ASSERT_TRUE(target.Activate());
    const HWND main = program.MainWindow();

    // The lock screen lets go of a held sensor; the box stays open.
    StartAfresh(target);
    Kit().devices[0].pressed = 1;
    ASSERT_TRUE(WaitFor([&] { return target.Describe() == "LDOWN"; }, 3000)) << target.Describe();
    ::PostMessageW(main, WM_WTSSESSION_CHANGE, WTS_SESSION_LOCK, 1);
    EXPECT_TRUE(WaitFor([&] { return target.Describe() == "LDOWN LUP"; }, 3000)) << target.Describe();
    Kit().devices[0].pressed = 0;
    EXPECT_TRUE(TrayTipShown(readableTip));

    // Another user's session comes to the front: this one lets go, closes the
    // box and keeps it closed, however long it waits in the background.
    StartAfresh(target);
    Kit().devices[0].pressed = 1;
    ASSERT_TRUE(WaitFor([&] { return target.Describe() == "LDOWN"; }, 3000)) << target.Describe();
    ::PostMessageW(main, WM_WTSSESSION_CHANGE, WTS_CONSOLE_DISCONNECT, 1);
    EXPECT_TRUE(WaitFor([&] { return target.Describe() == "LDOWN LUP"; }, 3000)) << target.Describe();
    EXPECT_TRUE(WaitFor([] { return TrayTipShown(missingTip); }, 2000));
    EXPECT_EQ(Kit().opens, Kit().closes) << "the box is free for the other session";
    Kit().devices[0].pressed = 0;
    StartAfresh(target);
    const uint32_t opens = Kit().opens;
    testsupport::Pump(2500);  // longer than the retry of a box that cannot be read
    Kit().devices[0].pressed = 1;
    testsupport::Pump(300);
    EXPECT_EQ(target.Describe(), "") << "a press in the background does nothing";
    EXPECT_EQ(Kit().opens, opens);
    Kit().devices[0].pressed = 0;

    // Back in front: the box is opened again and the sensors act.
    ::PostMessageW(main, WM_WTSSESSION_CHANGE, WTS_CONSOLE_CONNECT, 1);
    EXPECT_TRUE(WaitFor([] { return TrayTipShown(readableTip); }, 2000));
    StartAfresh(target);
    Kit().devices[0].pressed = 1;
    EXPECT_TRUE(WaitFor([&] { return target.Describe() == "LDOWN"; }, 3000)) << target.Describe();

    // Sleep lets go; the resume opens the box again at once, though no read
    // has failed (after sleep the old handle may be dead without a word).
    ::PostMessageW(main, WM_POWERBROADCAST, PBT_APMSUSPEND, 0);
    EXPECT_TRUE(WaitFor([&] { return target.Describe() == "LDOWN LUP"; }, 3000)) << target.Describe();
    Kit().devices[0].pressed = 0;
    const uint32_t opensBeforeResume = Kit().opens;
    ::PostMessageW(main, WM_POWERBROADCAST, PBT_APMRESUMEAUTOMATIC, 0);
    EXPECT_TRUE(WaitFor([&] { return Kit().opens == opensBeforeResume + 1; }, 2000));
    EXPECT_TRUE(WaitFor([] { return TrayTipShown(readableTip); }, 2000));
    EXPECT_TRUE(program.Running());
}

TEST_F(Scenario, IconComesBackWhenTheTaskbarIsCreatedAgainOrTheIconWentMissing)
{
    Program program;
    ASSERT_TRUE(InstallAndStart(program, {.updateCode = L"0", .settingsFile = SettingsBlock()}));
    NOTIFYICONDATAW icon{};
    icon.cbSize = sizeof icon;
    icon.hWnd = program.MainWindow();
    icon.uID = 1;

    // While nothing changes, the program leaves the shell alone but for a
    // look every few seconds, which puts right what someone else changed.
    NOTIFYICONDATAW foreign = icon;
    foreign.uFlags = NIF_TIP;
    wcscpy_s(foreign.szTip, L"Fremd");
    ASSERT_TRUE(::Shell_NotifyIconW(NIM_MODIFY, &foreign));
    ASSERT_TRUE(WaitFor([] { return TrayTipShown(readableTip); }, 8000)) << "a look was taken just now";
    ASSERT_TRUE(::Shell_NotifyIconW(NIM_MODIFY, &foreign));
    EXPECT_FALSE(WaitFor([] { return TrayTipShown(readableTip); }, 2000)) << "the next is seconds away";
    EXPECT_TRUE(WaitFor([] { return TrayTipShown(readableTip); }, 6000));

    // The shell lost the icon; the next look puts it back.
    ASSERT_TRUE(::Shell_NotifyIconW(NIM_DELETE, &icon));
    EXPECT_TRUE(WaitFor([&] { return program.HasTrayIcon(); }, 8000));

    // A new taskbar announces itself; the icon is added at once.
    ASSERT_TRUE(::Shell_NotifyIconW(NIM_DELETE, &icon));
    ::SendMessageW(program.MainWindow(), ::RegisterWindowMessageW(L"TaskbarCreated"), 0, 0);
    EXPECT_TRUE(program.HasTrayIcon());
    EXPECT_TRUE(WaitFor([] { return TrayTipShown(readableTip); }, 1000)) << "and shows the state again";
}

}  // namespace
}  // namespace e2e
