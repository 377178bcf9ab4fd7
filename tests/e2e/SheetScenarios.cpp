// The settings sheet as a carer uses it: its buttons and status line, rows
// that act at once, the six-input box and the test page.
// Each scenario runs in a Wine prefix of its own (see run-scenario).
#include <filesystem>
#include <fstream>

#include "ScenarioSupport.h"
#include "settings/SettingsExtension.h"

using namespace kontakta;

namespace e2e {
namespace {

TEST_F(Scenario, SettingsSheetShowsTheBoxAndOnlyAnOkButton)
{
    Program program;
    ASSERT_TRUE(InstallAndStart(program, {.updateCode = L"0", .settingsFile = SettingsBlock()}));
    // A left press on the icon, as the shell reports it.
    ::PostMessageW(program.MainWindow(), WM_USER + 100, 1, WM_LBUTTONDOWN);
    const HWND sheet = FindWindowOf(program.Pid(), sheetCaption, 10000);
    ASSERT_NE(sheet, nullptr);
    EXPECT_TRUE(::IsWindowVisible(::GetDlgItem(sheet, IDOK)));
    EXPECT_FALSE(::IsWindowVisible(::GetDlgItem(sheet, IDCANCEL)));
    EXPECT_FALSE(::IsWindowVisible(::GetDlgItem(sheet, 12321)));

    Kit().devices[0].readsFail = 1;
    EXPECT_TRUE(
        WaitFor([&] { return TitleOf(::GetDlgItem(sheet, 1054)) == L"Kein Eingabegerät ist angeschlossen."; }, 3000));
    PressButton(sheet, IDOK);
    EXPECT_TRUE(WaitFor([&] { return !::IsWindow(sheet); }, 5000));
    EXPECT_EQ(ReadFile(SettingsPath()).size(), 5032u);
}

TEST_F(Scenario, ATickedRowActsAtOnceTheCloseBoxSavesNothingAndOkSavesIt)
{
    std::string file = SettingsBlock();
    PutInt32(file, 0, 0);                    // no press sound
    PutInt32(file, RecordOffset(2) + 8, 1);  // sensor 2: "Links Klick", switched off
    Program program;
    ASSERT_TRUE(InstallAndStart(program, {.updateCode = L"0", .settingsFile = file}));

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
    Program program;
    ASSERT_TRUE(InstallAndStart(program, {.updateCode = L"0", .settingsFile = file}));

    const HWND sheet = OpenSheetFromTheIcon(program);
    ASSERT_NE(sheet, nullptr);
    EXPECT_TRUE(
        WaitFor([&] { return TitleOf(::GetDlgItem(sheet, 1054)) == L"Kontakta KT6 ist angeschlossen."; }, 3000));
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
    EXPECT_TRUE(
        WaitFor([&] { return TitleOf(::GetDlgItem(again, 1054)) == L"Kein Eingabegerät ist angeschlossen."; }, 3000));
    testsupport::Pump(1500);  // a refresh of the status line
    const HWND pageAgain = CurrentPageOf(again);
    for (int id : {1047, 1048, 1006, 1007})
        EXPECT_FALSE(::IsWindowVisible(::GetDlgItem(pageAgain, id))) << "box gone: " << id;
    PressButton(again, IDOK);
    EXPECT_TRUE(WaitFor([&] { return !::IsWindow(again); }, 5000));
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
    Program program;
    ASSERT_TRUE(InstallAndStart(program, {.updateCode = L"0", .settingsFile = file}));

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

}  // namespace
}  // namespace e2e
