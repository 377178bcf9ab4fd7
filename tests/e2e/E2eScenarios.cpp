// Each scenario runs in a Wine prefix of its own (see run-scenario).
#include <windows.h>
#include <shellapi.h>
#include <commctrl.h>

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>

#include "E2eSupport.h"
#include "KitSimControl.h"
#include "TestSupport.h"
#include "res/resource.h"
#include "settings/SettingsExtension.h"

using namespace e2e;

namespace {

const std::wstring readableTip = L"KORVA Kontakta";
const std::wstring missingTip = L"KORVA Kontakta - Kein Eingabegerät gefunden!";
const std::wstring sheetCaption = L"Kontakta - Konfigurationsmwenü";

std::string ReadFile(const std::wstring& path)
{
    std::ifstream file(std::filesystem::path(path), std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
}

kitsim::Control& Kit()
{
    static kitsim::Control* control = [] {
        kitsim::Control* opened = kitsim::OpenControl();
        kitsim::ResetControl(*opened);
        return opened;
    }();
    return *control;
}

// A settings file the program accepts, with a mark that a save changes: a
// file of only the first four bytes grows to the whole block when saved.
std::string ShortSettingsFile() { return std::string("\x01\x00\x00\x00", 4); }

// Waits for a message box of the program with `text`, then presses OK.
bool ConfirmMessage(const Program& program, const std::wstring& text)
{
    HWND box = nullptr;
    WaitFor(
        [&] {
            for (HWND window : WindowsOf(program.Pid(), true))
                if (TitleOf(window) == L"Kontakta" && MessageTextOf(window) == text) return (box = window) != nullptr;
            return false;
        },
        10000);
    if (!box) return false;
    PressButton(box, IDOK);
    return true;
}

class Scenario : public ::testing::Test {
protected:
    void SetUp() override { Kit(); }
};

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
    Install({.settingsFile = own});
    Program program;
    ASSERT_TRUE(program.Start());
    ASSERT_TRUE(program.WaitUntilRunning());
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

TEST_F(Scenario, SecondStartOpensTheSettingsOfTheFirstAndAThirdBringsThemToTheFront)
{
    Install({.updateCode = L"0", .settingsFile = SettingsBlock()});
    Program first;
    ASSERT_TRUE(first.Start());
    ASSERT_TRUE(first.WaitUntilRunning());

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

TEST_F(Scenario, SettingsSheetShowsTheBoxAndOnlyAnOkButton)
{
    Install({.updateCode = L"0", .settingsFile = SettingsBlock()});
    Program program;
    ASSERT_TRUE(program.Start());
    ASSERT_TRUE(program.WaitUntilRunning());
    // A left press on the icon, as the shell reports it.
    ::PostMessageW(program.MainWindow(), WM_USER + 100, 1, WM_LBUTTONDOWN);
    const HWND sheet = FindWindowOf(program.Pid(), sheetCaption, 10000);
    ASSERT_NE(sheet, nullptr);
    EXPECT_TRUE(::IsWindowVisible(::GetDlgItem(sheet, IDOK)));
    EXPECT_FALSE(::IsWindowVisible(::GetDlgItem(sheet, IDCANCEL)));
    EXPECT_FALSE(::IsWindowVisible(::GetDlgItem(sheet, 12321)));

    Kit().devices[0].readsFail = 1;
    EXPECT_TRUE(WaitFor([&] { return TitleOf(::GetDlgItem(sheet, 1054)) == L"Kein Eingabegerät ist angeschlossen."; },
                        3000));
    PressButton(sheet, IDOK);
    EXPECT_TRUE(WaitFor([&] { return !::IsWindow(sheet); }, 5000));
    EXPECT_EQ(ReadFile(SettingsPath()).size(), 5032u);
}

// The page an open settings sheet shows.
HWND CurrentPageOf(HWND sheet) { return reinterpret_cast<HWND>(::SendMessageW(sheet, PSM_GETCURRENTPAGEHWND, 0, 0)); }

HWND OpenSheetFromTheIcon(Program& program)
{
    ::PostMessageW(program.MainWindow(), WM_USER + 100, 1, WM_LBUTTONDOWN);
    return FindWindowOf(program.Pid(), sheetCaption, 10000);
}

TEST_F(Scenario, ATickedRowActsAtOnceTheCloseBoxSavesNothingAndOkSavesIt)
{
    std::string file = SettingsBlock();
    PutInt32(file, 0, 0);                    // no press sound
    PutInt32(file, RecordOffset(2) + 8, 1);  // sensor 2: "Links Klick", switched off
    Install({.updateCode = L"0", .settingsFile = file});
    Program program;
    ASSERT_TRUE(program.Start());
    ASSERT_TRUE(program.WaitUntilRunning());

    HWND sheet = OpenSheetFromTheIcon(program);
    ASSERT_NE(sheet, nullptr);
    HWND page = CurrentPageOf(sheet);
    ASSERT_NE(page, nullptr);
    EXPECT_EQ(TitleOf(::GetDlgItem(page, 1026)), L"Links Klick");
    EXPECT_NE(::IsDlgButtonChecked(page, 1042), BST_CHECKED);
    ::SendMessageW(::GetDlgItem(page, 1042), BM_CLICK, 0, 0);  // switch sensor 2 on, as a click would
    EXPECT_EQ(::IsDlgButtonChecked(page, 1042), BST_CHECKED);

    // The sensor acts at once, while the sheet is still open.
    testsupport::TargetWindow target;
    ASSERT_TRUE(target.Activate());
    Kit().devices[0].pressed = 2;
    EXPECT_TRUE(WaitFor([&] { return target.Describe() == "LDOWN LUP"; }, 3000)) << target.Describe();
    Kit().devices[0].pressed = 0;

    // The close box ends the sheet without writing the file.
    ::PostMessageW(sheet, WM_SYSCOMMAND, SC_CLOSE, 0);
    EXPECT_TRUE(WaitFor([&] { return !::IsWindow(sheet); }, 5000));
    EXPECT_EQ(ReadFile(SettingsPath()), file);

    // The live setting is still on; OK writes it.
    sheet = OpenSheetFromTheIcon(program);
    ASSERT_NE(sheet, nullptr);
    page = CurrentPageOf(sheet);
    EXPECT_EQ(::IsDlgButtonChecked(page, 1042), BST_CHECKED);
    PressButton(sheet, IDOK);
    EXPECT_TRUE(WaitFor([&] { return !::IsWindow(sheet); }, 5000));
    const std::string saved = ReadFile(SettingsPath());
    ASSERT_EQ(saved.size(), 5032u);
    EXPECT_EQ(saved[RecordOffset(2)], 1) << "sensor 2 is saved switched on";
    EXPECT_EQ(saved.substr(RecordOffset(3)), file.substr(RecordOffset(3))) << "nothing else changed";
}

TEST_F(Scenario, ASixInputBoxHidesRowsSevenAndEightAndKeepsTheirSettings)
{
    Kit().devices[0].idCode = kitsim::idCodeSixInputs;
    std::string file = SettingsBlock();
    file[RecordOffset(7)] = 1;  // sensor 7 switched on
    Install({.updateCode = L"0", .settingsFile = file});
    Program program;
    ASSERT_TRUE(program.Start());
    ASSERT_TRUE(program.WaitUntilRunning());

    const HWND sheet = OpenSheetFromTheIcon(program);
    ASSERT_NE(sheet, nullptr);
    EXPECT_TRUE(WaitFor([&] { return TitleOf(::GetDlgItem(sheet, 1054)) == L"Kontakta KT6 ist angeschlossen."; },
                        3000));
    const HWND page = CurrentPageOf(sheet);
    for (int id : {1047, 1048, 1023, 1024, 1031, 1032, 1006, 1007})
        EXPECT_FALSE(::IsWindowVisible(::GetDlgItem(page, id))) << id;
    EXPECT_TRUE(::IsWindowVisible(::GetDlgItem(page, 1046)));
    PressButton(sheet, IDOK);
    EXPECT_TRUE(WaitFor([&] { return !::IsWindow(sheet); }, 5000));
    EXPECT_EQ(ReadFile(SettingsPath())[RecordOffset(7)], 1) << "the hidden row is stored as it was";

    // Unplugged, the box that was open last still decides the rows, when the
    // sheet opens as while it is open.
    Kit().plugged = 0;
    ASSERT_TRUE(WaitFor([] { return TrayTipShown(missingTip); }, 3000));
    const HWND again = OpenSheetFromTheIcon(program);
    ASSERT_NE(again, nullptr);
    EXPECT_TRUE(WaitFor([&] { return TitleOf(::GetDlgItem(again, 1054)) == L"Kein Eingabegerät ist angeschlossen."; },
                        3000));
    testsupport::Pump(1500);  // a refresh of the status line
    const HWND pageAgain = CurrentPageOf(again);
    for (int id : {1047, 1048, 1006, 1007})
        EXPECT_FALSE(::IsWindowVisible(::GetDlgItem(pageAgain, id))) << "box gone: " << id;
    PressButton(again, IDOK);
    EXPECT_TRUE(WaitFor([&] { return !::IsWindow(again); }, 5000));
}

// Holds input `input` of the box for `milliseconds`, then lets it go.
void Touch(int input, DWORD milliseconds)
{
    Kit().devices[0].pressed = 1u << (input - 1);
    testsupport::Pump(milliseconds);
    Kit().devices[0].pressed = 0;
}

TEST_F(Scenario, HoldTimeSwallowsATouchLockoutSwallowsADoubleHitAndTheTestPageCountsWithoutActing)
{
    std::string file = SettingsBlock();
    PutInt32(file, 0, 0);                    // no press sound
    PutInt32(file, RecordOffset(1) + 8, 1);  // sensor 1: "Links Klick"
    SettingsExtension filters;
    filters.filters[0] = {400, 1500};  // hold 400 ms, lockout 1.5 s
    const std::vector<uint8_t> extension = EncodeSettingsExtension(filters);
    file.append(extension.begin(), extension.end());
    Install({.updateCode = L"0", .settingsFile = file});
    Program program;
    ASSERT_TRUE(program.Start());
    ASSERT_TRUE(program.WaitUntilRunning());

    testsupport::TargetWindow target;
    ASSERT_TRUE(target.Activate());
    Touch(1, 120);
    testsupport::Pump(500);
    EXPECT_EQ(target.Describe(), "") << "a touch shorter than the hold time does nothing";
    Touch(1, 900);
    EXPECT_TRUE(WaitFor([&] { return target.Describe() == "LDOWN LUP"; }, 2000)) << target.Describe();
    testsupport::Pump(150);
    Touch(1, 900);  // a second hit right after the release, held past the hold time
    testsupport::Pump(300);
    EXPECT_EQ(target.Describe(), "LDOWN LUP") << "the lockout swallows the double hit";

    // The test page: the counters follow the box, and with the actions
    // suspended a press clicks nothing.
    const HWND sheet = OpenSheetFromTheIcon(program);
    ASSERT_NE(sheet, nullptr);
    ::SendMessageW(sheet, PSM_SETCURSEL, 1, 0);
    const HWND page = CurrentPageOf(sheet);
    ASSERT_EQ(TitleOf(::GetDlgItem(page, 1251)), L"0 / 0") << "counted from the opening of the page";
    ::SendMessageW(::GetDlgItem(page, 1260), BM_CLICK, 0, 0);
    ASSERT_TRUE(target.Activate());
    target.Clear();
    testsupport::Pump(1600);  // past the lockout
    Touch(1, 900);
    testsupport::Pump(200);
    Touch(1, 150);  // in the lockout
    EXPECT_TRUE(WaitFor([&] { return TitleOf(::GetDlgItem(page, 1251)) == L"1 / 1"; }, 2000))
        << TitleOf(::GetDlgItem(page, 1251));
    EXPECT_EQ(target.Describe(), "") << "suspended while testing";
    PressButton(sheet, IDOK);
    EXPECT_TRUE(WaitFor([&] { return !::IsWindow(sheet); }, 5000));
    const std::string saved = ReadFile(SettingsPath());
    EXPECT_EQ(saved.substr(5032), std::string(extension.begin(), extension.end())) << "the filters are kept";
}

TEST_F(Scenario, PauseFromTheTrayMenuLetsGoAndHoldsEveryActionBackUntilResumed)
{
    std::string file = SettingsBlock();
    PutInt32(file, 0, 0);  // no press sound; sensor 1 presses and releases the left button
    Install({.updateCode = L"0", .settingsFile = file});
    Program program;
    ASSERT_TRUE(program.Start());
    ASSERT_TRUE(program.WaitUntilRunning());
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

TEST_F(Scenario, ConfirmedExitSavesRemovesTheIconAndEnds)
{
    Install({.updateCode = L"0", .settingsFile = ShortSettingsFile()});
    Program program;
    ASSERT_TRUE(program.Start());
    ASSERT_TRUE(program.WaitUntilRunning());

    ::PostMessageW(program.MainWindow(), WM_COMMAND, 40003, 0);
    HWND question = FindWindowOf(program.Pid(), L"Kontakta", 10000);
    ASSERT_NE(question, nullptr);
    EXPECT_EQ(MessageTextOf(question), L"Kontakta wirklich beenden?");
    PressButton(question, IDCANCEL);
    testsupport::Pump(1000);
    EXPECT_TRUE(program.Running()) << "Cancel leaves it running";
    EXPECT_EQ(ReadFile(SettingsPath()), ShortSettingsFile()) << "and writes nothing";

    ::PostMessageW(program.MainWindow(), WM_COMMAND, 40003, 0);
    EXPECT_TRUE(ConfirmMessage(program, L"Kontakta wirklich beenden?"));
    EXPECT_EQ(program.WaitForExit(15000), std::optional<DWORD>(0));
    const std::string saved = ReadFile(SettingsPath());
    EXPECT_EQ(saved.size(), 5032u) << "the settings were written";
    EXPECT_EQ(saved, DefaultSettingsBytes());
    EXPECT_FALSE(program.HasTrayIcon());
}

TEST_F(Scenario, CloseRequestShutsDownAndSavesWithoutAsking)
{
    std::string file = SettingsBlock();
    PutInt32(file, RecordOffset(3) + 4, 7);  // an action group out of range: saved corrected
    Install({.updateCode = L"0", .settingsFile = file});
    Program program;
    ASSERT_TRUE(program.Start());
    ASSERT_TRUE(program.WaitUntilRunning());
    ::PostMessageW(program.MainWindow(), WM_CLOSE, 0, 0);
    EXPECT_TRUE(program.WaitForExit(15000));
    EXPECT_EQ(ReadFile(SettingsPath()), SettingsBlock());
    EXPECT_FALSE(program.HasTrayIcon());
}

TEST_F(Scenario, PressOnInputOneClicksIntoTheTargetWindow)
{
    std::string file = SettingsBlock();
    PutInt32(file, RecordOffset(1) + 8, 1);  // sensor 1: "Links Klick"
    PutInt32(file, 0, 0);                    // no press sound
    Install({.updateCode = L"0", .settingsFile = file});
    Program program;
    ASSERT_TRUE(program.Start());
    ASSERT_TRUE(program.WaitUntilRunning());

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
    Install({.updateCode = L"0", .settingsFile = SettingsBlock()});
    Program program;
    ASSERT_TRUE(program.Start());
    ASSERT_TRUE(program.WaitUntilRunning());
    ASSERT_TRUE(WaitFor([] { return TrayTipShown(readableTip); }, 2000));
    Kit().plugged = 0;
    const DWORD start = ::GetTickCount();
    EXPECT_TRUE(WaitFor([] { return TrayTipShown(missingTip); }, 1000));
    EXPECT_LE(::GetTickCount() - start, 1000u);
}

TEST_F(Scenario, WithoutTheKitLibraryTheProgramRunsAndShowsTheBoxMissing)
{
    Install({.updateCode = L"0", .settingsFile = SettingsBlock(), .kitLibrary = false});
    Program program;
    ASSERT_TRUE(program.Start());
    ASSERT_TRUE(program.WaitUntilRunning());
    EXPECT_TRUE(WaitFor([] { return TrayTipShown(missingTip); }, 2000));
    ::PostMessageW(program.MainWindow(), WM_CLOSE, 0, 0);
    EXPECT_TRUE(program.WaitForExit(15000));
}

// Only the first four bytes: no press sound, the rest as the defaults
// (sensor 1 on "Links Drücken/Loslassen"); a save makes it the whole block.
std::string QuietShortSettingsFile() { return std::string(4, '\0'); }

LRESULT SendToProgram(Program& program, UINT message, WPARAM wParam, LPARAM lParam = 0)
{
    DWORD_PTR answer = 0;
    ::SendMessageTimeoutW(program.MainWindow(), message, wParam, lParam, SMTO_ABORTIFHUNG, 10000, &answer);
    return static_cast<LRESULT>(answer);
}

// Lets a released sensor's events land and the double-click time pass, so
// that the next press is a plain LDOWN, then forgets what the target saw.
void StartAfresh(testsupport::TargetWindow& target)
{
    testsupport::Pump(::GetDoubleClickTime() + 200);
    target.Clear();
}

TEST_F(Scenario, EndOfSessionSavesAndLetsGoWhenAskedAndStopsOnlyWhenItEnds)
{
    Install({.updateCode = L"0", .settingsFile = QuietShortSettingsFile()});
    Program program;
    ASSERT_TRUE(program.Start());
    ASSERT_TRUE(program.WaitUntilRunning());
    testsupport::TargetWindow target;
    ASSERT_TRUE(target.Activate());
    StartAfresh(target);
    Kit().devices[0].pressed = 1;  // sensor 1 holds the left button down
    ASSERT_TRUE(WaitFor([&] { return target.Describe() == "LDOWN"; }, 3000)) << target.Describe();

    EXPECT_EQ(SendToProgram(program, WM_QUERYENDSESSION, 0), TRUE) << "the session may end";
    EXPECT_EQ(ReadFile(SettingsPath()).size(), 5032u) << "saved before answering";
    EXPECT_TRUE(WaitFor([&] { return target.Describe() == "LDOWN LUP"; }, 3000)) << target.Describe();

    // Another program cancels the end: everything goes on as before.
    SendToProgram(program, WM_ENDSESSION, FALSE);
    Kit().devices[0].pressed = 0;
    StartAfresh(target);
    Kit().devices[0].pressed = 1;
    EXPECT_TRUE(WaitFor([&] { return target.Describe() == "LDOWN"; }, 3000)) << "a press acts: " << target.Describe();
    Kit().devices[0].pressed = 0;
    EXPECT_TRUE(WaitFor([&] { return target.Describe() == "LDOWN LUP"; }, 3000)) << target.Describe();
    EXPECT_TRUE(TrayTipShown(readableTip));

    // This time the session ends: the program stops, closes the box and ends.
    EXPECT_EQ(SendToProgram(program, WM_QUERYENDSESSION, 0), TRUE);
    SendToProgram(program, WM_ENDSESSION, TRUE);
    const uint32_t reads = Kit().reads;
    testsupport::Pump(300);
    EXPECT_EQ(Kit().reads, reads) << "the polling has stopped";
    EXPECT_EQ(Kit().opens, Kit().closes) << "the box is closed";
    EXPECT_FALSE(program.HasTrayIcon());
    EXPECT_EQ(program.WaitForExit(15000), std::optional<DWORD>(0));
}

TEST_F(Scenario, SessionSwitchLockAndSleepLetGoAndTheBackgroundSessionHoldsNoBox)
{
    Install({.updateCode = L"0", .settingsFile = QuietShortSettingsFile()});
    Program program;
    ASSERT_TRUE(program.Start());
    ASSERT_TRUE(program.WaitUntilRunning());
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

TEST_F(Scenario, UpdateCodeOtherThanOneNeverCopiesAndIsResetAfterStart)
{
    std::string own = SettingsBlock();
    own[RecordOffset(5)] = 1;
    Install({.updateCode = L"abc", .settingsFile = own});
    Program program;
    ASSERT_TRUE(program.Start());
    ASSERT_TRUE(program.WaitUntilRunning());
    EXPECT_EQ(ReadFile(SettingsPath()), own);
    EXPECT_EQ(UpdateCodeValue(), std::optional<std::wstring>(L"0"));
}

TEST_F(Scenario, WhileTheExitQuestionIsOpenSettingsRequestsDoNothing)
{
    Install({.updateCode = L"0", .settingsFile = SettingsBlock()});
    Program program;
    ASSERT_TRUE(program.Start());
    ASSERT_TRUE(program.WaitUntilRunning());
    ::PostMessageW(program.MainWindow(), WM_COMMAND, 40003, 0);
    const HWND question = FindWindowOf(program.Pid(), L"Kontakta", 10000);
    ASSERT_NE(question, nullptr);

    ::PostMessageW(program.MainWindow(), WM_USER + 100, 1, WM_LBUTTONDOWN);  // a left press on the icon
    Program second;
    ASSERT_TRUE(second.Start());
    EXPECT_EQ(second.WaitForExit(15000), std::optional<DWORD>(0));
    testsupport::Pump(1000);
    EXPECT_EQ(FindWindowOf(program.Pid(), sheetCaption), nullptr);

    PressButton(question, IDCANCEL);
    testsupport::Pump(500);
    EXPECT_TRUE(program.Running());
}

TEST_F(Scenario, SystemMenuCloseAndMinimiseOnlyHideTheWindow)
{
    Install({.updateCode = L"0", .settingsFile = ShortSettingsFile()});
    Program program;
    ASSERT_TRUE(program.Start());
    ASSERT_TRUE(program.WaitUntilRunning());
    ::ShowWindow(program.MainWindow(), SW_SHOWNOACTIVATE);
    ::SendMessageW(program.MainWindow(), WM_SYSCOMMAND, SC_CLOSE, 0);
    EXPECT_FALSE(::IsWindowVisible(program.MainWindow()));
    ::ShowWindow(program.MainWindow(), SW_SHOWNOACTIVATE);
    ::SendMessageW(program.MainWindow(), WM_SYSCOMMAND, SC_MINIMIZE, 0);
    EXPECT_FALSE(::IsWindowVisible(program.MainWindow()));
    testsupport::Pump(500);
    EXPECT_TRUE(program.Running());
    EXPECT_EQ(ReadFile(SettingsPath()), ShortSettingsFile()) << "nothing was saved: the program did not end";
}

TEST_F(Scenario, IconComesBackWhenTheTaskbarIsCreatedAgainOrTheIconWentMissing)
{
    Install({.updateCode = L"0", .settingsFile = SettingsBlock()});
    Program program;
    ASSERT_TRUE(program.Start());
    ASSERT_TRUE(program.WaitUntilRunning());
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

TEST_F(Scenario, CrashLetsGoOfHeldKeysAndButtons)
{
    std::string file = SettingsBlock();
    PutInt32(file, 0, 0);  // no press sound
    // Sensor 1: left press/release (enabled by default). Sensor 2: SHIFT+Y.
    file[RecordOffset(2)] = 1;
    PutInt32(file, RecordOffset(2) + 4, 1);
    file[RecordOffset(2) + 622] = 'Y';
    file[RecordOffset(2) + 624] = 1;
    Install({.updateCode = L"0", .settingsFile = file});
    Program program;
    ASSERT_TRUE(program.Start());
    ASSERT_TRUE(program.WaitUntilRunning());

    testsupport::TargetWindow target;
    ASSERT_TRUE(target.Activate());
    Kit().devices[0].pressed = 0b11;
    ASSERT_TRUE(WaitFor([&] { return target.Describe() == "LDOWN KD 10 KD 59"; }, 3000)) << target.Describe();

    // A thread that starts at an address where nothing is: the program crashes.
    const HANDLE process = ::OpenProcess(PROCESS_ALL_ACCESS, FALSE, program.Pid());
    ASSERT_NE(process, nullptr);
    const HANDLE crash =
        ::CreateRemoteThread(process, nullptr, 0, reinterpret_cast<LPTHREAD_START_ROUTINE>(16), nullptr, 0, nullptr);
    ASSERT_NE(crash, nullptr);
    EXPECT_TRUE(program.WaitForExit(15000)) << "the program ended";
    EXPECT_TRUE(WaitFor([&] { return target.Describe() == "LDOWN KD 10 KD 59 KU 59 KU 10 LUP"; }, 3000))
        << target.Describe();
    EXPECT_FALSE(::GetAsyncKeyState(VK_SHIFT) & 0x8000);
    EXPECT_FALSE(::GetAsyncKeyState(VK_LBUTTON) & 0x8000);
    ::CloseHandle(crash);
    ::CloseHandle(process);
    Kit().devices[0].pressed = 0;
}

}  // namespace
