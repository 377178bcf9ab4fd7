// Start-up as an installation leaves it: the first run, "UpdateCode", the
// messages of a missing key or an incompatible file, and a second start.
// Each scenario runs in a Wine prefix of its own (see run-scenario).
#include <filesystem>
#include <fstream>

#include "ScenarioSupport.h"

namespace e2e {
namespace {

TEST_F(Scenario, NoSettingsFileAndUpdateCodeZeroEndsSilently)
{
    Install({.updateCode = L"0"});
    Program program;
    ASSERT_TRUE(program.Start());
    bool messageSeen = false;
    bool iconSeen = false;
    WaitFor(
        [&] {
            for (HWND window : WindowsOf(program.Pid(), true))
                if (TitleOf(window) == L"Kontakta" && !MessageTextOf(window).empty()) messageSeen = true;
            iconSeen |= program.HasTrayIcon();
            return !program.Running();
        },
        15000);
    EXPECT_FALSE(program.Running());
    EXPECT_FALSE(messageSeen);
    EXPECT_NE(program.MainWindow(), nullptr) << "it did start";
    EXPECT_FALSE(iconSeen);
    EXPECT_FALSE(program.HasTrayIcon());
    EXPECT_FALSE(std::filesystem::exists(std::filesystem::path(SettingsPath()))) << "no file is created";
}

TEST_F(Scenario, MissingUpdateCodeCopiesTheDefaultsAndResetsIt)
{
    std::string own = SettingsBlock();
    own[RecordOffset(5)] = 1;  // the user had switched on sensor 5
    Program program;
    ASSERT_TRUE(InstallAndStart(program, {.settingsFile = own}));
    EXPECT_EQ(ReadFile(SettingsPath()), DefaultSettingsBytes());
    EXPECT_EQ(UpdateCodeValue(), std::optional<std::wstring>(L"0"));
    EXPECT_TRUE(WaitFor([] { return TrayTipShown(readableTip); }, 2000));
    EXPECT_TRUE(program.HasTrayIcon());
}

TEST_F(Scenario, UpdateCodeOneCopiesTheDefaultsAndTheNextStartKeepsTheUsersFile)
{
    Install({.updateCode = L"1"});  // first run after installation: no file yet
    {
        Program program;
        ASSERT_TRUE(program.Start());
        ASSERT_TRUE(program.WaitUntilRunning());
        EXPECT_EQ(ReadFile(SettingsPath()), DefaultSettingsBytes());
        EXPECT_EQ(UpdateCodeValue(), std::optional<std::wstring>(L"0"));
        ::SendMessageW(program.MainWindow(), WM_CLOSE, 0, 0);
        ASSERT_TRUE(program.WaitForExit(15000));
    }
    std::string own = SettingsBlock();
    own[RecordOffset(2)] = 1;
    std::ofstream(std::filesystem::path(SettingsPath()), std::ios::binary).write(own.data(), own.size());
    Program again;
    ASSERT_TRUE(again.Start());
    ASSERT_TRUE(again.WaitUntilRunning());
    EXPECT_EQ(ReadFile(SettingsPath()), own);
}

TEST_F(Scenario, UpdateCodeOtherThanOneNeverCopiesAndIsResetAfterStart)
{
    std::string own = SettingsBlock();
    own[RecordOffset(5)] = 1;
    Program program;
    ASSERT_TRUE(InstallAndStart(program, {.updateCode = L"abc", .settingsFile = own}));
    EXPECT_EQ(ReadFile(SettingsPath()), own);
    EXPECT_EQ(UpdateCodeValue(), std::optional<std::wstring>(L"0"));
}

TEST_F(Scenario, OtherVersionShowsTheMessageAndEndsWithoutWritingTheFile)
{
    std::string file = SettingsBlock();
    PutInt32(file, 5028, 3);
    Install({.updateCode = L"0", .settingsFile = file});
    const auto before = std::filesystem::last_write_time(std::filesystem::path(SettingsPath()));
    Program program;
    ASSERT_TRUE(program.Start());
    EXPECT_TRUE(ConfirmMessage(program, L"Die Datei Settings.dat Version 3 ist nicht kompatibel zu Kontakta"));
    EXPECT_TRUE(program.WaitForExit(15000));
    EXPECT_EQ(ReadFile(SettingsPath()), file);
    EXPECT_EQ(std::filesystem::last_write_time(std::filesystem::path(SettingsPath())), before);
    EXPECT_FALSE(program.HasTrayIcon());
}

TEST_F(Scenario, MissingUserKeyIsReportedAndTheDefaultsAreNeverCopied)
{
    Install({.userKey = false, .settingsFile = ShortSettingsFile()});
    Program program;
    ASSERT_TRUE(program.Start());
    EXPECT_TRUE(ConfirmMessage(program, L"Registry konnte nicht geöffnent werden"));
    ASSERT_TRUE(program.WaitUntilRunning());
    EXPECT_EQ(ReadFile(SettingsPath()), ShortSettingsFile());
    EXPECT_FALSE(UpdateCodeValue()) << "the key is never created";
}

TEST_F(Scenario, MissingMachineKeyIsReportedAndStartUpGoesOn)
{
    Install({.machineKey = false, .updateCode = L"0", .settingsFile = ShortSettingsFile()});
    Program program;
    ASSERT_TRUE(program.Start());
    EXPECT_TRUE(ConfirmMessage(program, L"Registry konnte nicht geöffnet werden"));
    EXPECT_TRUE(program.WaitUntilRunning());
}

TEST_F(Scenario, WithoutTheKitLibraryTheProgramRunsAndShowsTheBoxMissing)
{
    Program program;
    ASSERT_TRUE(InstallAndStart(program, {.updateCode = L"0", .settingsFile = SettingsBlock(), .kitLibrary = false}));
    EXPECT_TRUE(WaitFor([] { return TrayTipShown(missingTip); }, 2000));
    ::PostMessageW(program.MainWindow(), WM_CLOSE, 0, 0);
    EXPECT_TRUE(program.WaitForExit(15000));
}

TEST_F(Scenario, SecondStartOpensTheSettingsOfTheFirstAndAThirdBringsThemToTheFront)
{
    Program first;
    ASSERT_TRUE(InstallAndStart(first, {.updateCode = L"0", .settingsFile = SettingsBlock()}));

    Program second;
    ASSERT_TRUE(second.Start());
    EXPECT_EQ(second.WaitForExit(15000), std::optional<DWORD>(0));
    const HWND sheet = FindWindowOf(first.Pid(), sheetCaption, 10000);
    ASSERT_NE(sheet, nullptr) << "the first instance opened its settings";
    EXPECT_TRUE(WaitFor([&] { return TitleOf(::GetDlgItem(sheet, 1054)) == L"Kontakta KT8 ist angeschlossen."; }, 3000))
        << "status line: " << testing::PrintToString(TitleOf(::GetDlgItem(sheet, 1054)));

    // The user went on working in another window; a third start shows the
    // sheet that is open, and opens no second one.
    testsupport::TargetWindow other;
    ASSERT_TRUE(other.Activate());
    Program third;
    ASSERT_TRUE(third.Start());
    EXPECT_EQ(third.WaitForExit(15000), std::optional<DWORD>(0));
    EXPECT_TRUE(WaitFor([&] { return ::GetForegroundWindow() == sheet; }, 5000));
    testsupport::Pump(500);
    int sheets = 0;
    for (HWND window : WindowsOf(first.Pid(), true)) sheets += TitleOf(window) == sheetCaption;
    EXPECT_EQ(sheets, 1);
    EXPECT_TRUE(first.Running());
}

// Windows starts the program again with the argument it was registered with:
// after a crash once the user agreed, and at sign-in where it restarts apps.
// Beside the running instance (the autostart) it ends without opening the
// settings; alone it runs as any start would.
TEST_F(Scenario, ARestartBesideTheRunningInstanceEndsQuietlyAndAloneRunsAsAnyStart)
{
    Program first;
    ASSERT_TRUE(InstallAndStart(first, {.updateCode = L"0", .settingsFile = SettingsBlock()}));
    Program restarted;
    ASSERT_TRUE(restarted.Start(false, L"/restarted"));
    EXPECT_EQ(restarted.WaitForExit(15000), std::optional<DWORD>(0));
    testsupport::Pump(1500);
    EXPECT_EQ(FindWindowOf(first.Pid(), sheetCaption), nullptr) << "no settings sheet opened";
    EXPECT_TRUE(first.Running());
    ::PostMessageW(first.MainWindow(), WM_CLOSE, 0, 0);
    ASSERT_TRUE(first.WaitForExit(15000));

    Program alone;
    ASSERT_TRUE(alone.Start(false, L"/restarted"));
    // The icon of the first may linger in the tips a moment: its own icon
    // tells that this one runs.
    EXPECT_TRUE(WaitFor([&] { return alone.HasTrayIcon(); }, 15000));
    EXPECT_TRUE(alone.Running());
}

}  // namespace
}  // namespace e2e
