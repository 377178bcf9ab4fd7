// How the program ends: the exit question, a close request, the end of the
// session, the system menu that only hides, and a crash that lets go.
// Each scenario runs in a Wine prefix of its own (see run-scenario).
#include <filesystem>
#include <fstream>

#include "ScenarioSupport.h"
#include "win/Handle.h"

namespace e2e {
namespace {

TEST_F(Scenario, ConfirmedExitSavesRemovesTheIconAndEnds)
{
    Program program;
    ASSERT_TRUE(InstallAndStart(program, {.updateCode = L"0", .settingsFile = ShortSettingsFile()}));

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

TEST_F(Scenario, WhileTheExitQuestionIsOpenSettingsRequestsDoNothing)
{
    Program program;
    ASSERT_TRUE(InstallAndStart(program, {.updateCode = L"0", .settingsFile = SettingsBlock()}));
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

TEST_F(Scenario, CloseRequestShutsDownAndSavesWithoutAsking)
{
    std::string file = SettingsBlock();
    PutInt32(file, RecordOffset(3) + 4, 7);  // an action group out of range: saved corrected
    Program program;
    ASSERT_TRUE(InstallAndStart(program, {.updateCode = L"0", .settingsFile = file}));
    ::PostMessageW(program.MainWindow(), WM_CLOSE, 0, 0);
    EXPECT_TRUE(program.WaitForExit(15000));
    EXPECT_EQ(ReadFile(SettingsPath()), SettingsBlock());
    EXPECT_FALSE(program.HasTrayIcon());
}

// The setup's close request finds the carer in the middle of a change: the
// sheet open, the editor of a sensor open over it. The program ends within a
// few seconds, as the setup waits for; what acted at once (a ticked row) is
// saved, the editor's unconfirmed working copy is not. The exit question
// does not hold it up either.
TEST_F(Scenario, CloseRequestWhileTheSheetAndTheEditorAreOpenEndsAtOnceAndSavesTheLiveSettings)
{
    const std::string file = SettingsBlock();
    ASSERT_EQ(file[RecordOffset(2)], 0) << "sensor 2 starts switched off";
    Program program;
    ASSERT_TRUE(InstallAndStart(program, {.updateCode = L"0", .settingsFile = file}));
    const HWND sheet = OpenSheetFromTheIcon(program);
    ASSERT_NE(sheet, nullptr);
    const HWND page = CurrentPageOf(sheet);
    ::SendMessageW(::GetDlgItem(page, IDC_ROW_CHECK_BASE + 2), BM_CLICK, 0, 0);   // sensor 2 on, at once
    ::PostMessageW(::GetDlgItem(page, IDC_ROW_BUTTON_BASE + 3), BM_CLICK, 0, 0);  // the editor runs its own loop
    const HWND editor = FindWindowOf(program.Pid(), L"Aktion für Sensor 3 bearbeiten", 10000);
    ASSERT_NE(editor, nullptr);
    const int group = static_cast<int>(::SendDlgItemMessageW(editor, IDC_GROUP_COMBO, CB_GETCURSEL, 0, 0));
    ::SendDlgItemMessageW(editor, IDC_GROUP_COMBO, CB_SETCURSEL, (group + 1) % 3, 0);
    ::SendMessageW(editor, WM_COMMAND, MAKEWPARAM(IDC_GROUP_COMBO, CBN_SELCHANGE),
                   reinterpret_cast<LPARAM>(::GetDlgItem(editor, IDC_GROUP_COMBO)));

    ::PostMessageW(program.MainWindow(), WM_CLOSE, 0, 0);
    EXPECT_EQ(program.WaitForExit(5000), std::optional<DWORD>(0)) << "ended while the setup still waits";
    const std::string saved = ReadFile(SettingsPath());
    ASSERT_EQ(saved.size(), 5032u) << "the live settings were saved";
    EXPECT_EQ(saved[RecordOffset(2)], 1) << "the ticked row acted at once and is saved";
    EXPECT_EQ(saved.substr(RecordOffset(3), 628), file.substr(RecordOffset(3), 628))
        << "the editor's working copy was dropped";
    EXPECT_FALSE(program.HasTrayIcon());

    Program again;
    ASSERT_TRUE(again.Start());
    ASSERT_TRUE(again.WaitUntilRunning());
    ::PostMessageW(again.MainWindow(), WM_COMMAND, ID_EXIT, 0);
    const HWND question = FindWindowOf(again.Pid(), L"Kontakta", 10000);
    ASSERT_NE(question, nullptr);
    ::PostMessageW(again.MainWindow(), WM_CLOSE, 0, 0);
    EXPECT_EQ(again.WaitForExit(5000), std::optional<DWORD>(0)) << "the exit question is closed too";
}

TEST_F(Scenario, SystemMenuCloseAndMinimiseOnlyHideTheWindow)
{
    Program program;
    ASSERT_TRUE(InstallAndStart(program, {.updateCode = L"0", .settingsFile = ShortSettingsFile()}));
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

TEST_F(Scenario, EndOfSessionSavesAndLetsGoWhenAskedAndStopsOnlyWhenItEnds)
{
    Program program;
    ASSERT_TRUE(InstallAndStart(program, {.updateCode = L"0", .settingsFile = QuietShortSettingsFile()}));
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

TEST_F(Scenario, CrashLetsGoOfHeldKeysAndButtons)
{
    std::string file = SettingsBlock();
    PutInt32(file, 0, 0);  // no press sound
    // Sensor 1: left press/release (enabled by default). Sensor 2: SHIFT+Y.
    file[RecordOffset(2)] = 1;
    PutInt32(file, RecordOffset(2) + 4, 1);
    file[RecordOffset(2) + 622] = 'Y';
    file[RecordOffset(2) + 624] = 1;
    Program program;
    ASSERT_TRUE(InstallAndStart(program, {.updateCode = L"0", .settingsFile = file}));

    testsupport::TargetWindow target;
    ASSERT_TRUE(target.Activate());
    Kit().devices[0].pressed = 0b11;
    ASSERT_TRUE(WaitFor([&] { return target.Describe() == "LDOWN KD 10 KD 59"; }, 3000)) << target.Describe();

    // A thread that starts at an address where nothing is: the program crashes.
    const win::Handle process(::OpenProcess(PROCESS_ALL_ACCESS, FALSE, program.Pid()));
    ASSERT_TRUE(process);
    const win::Handle crash(::CreateRemoteThread(process.Get(), nullptr, 0,
                                                 reinterpret_cast<LPTHREAD_START_ROUTINE>(16), nullptr, 0, nullptr));
    ASSERT_TRUE(crash);
    EXPECT_TRUE(program.WaitForExit(15000)) << "the program ended";
    EXPECT_TRUE(WaitFor([&] { return target.Describe() == "LDOWN KD 10 KD 59 KU 59 KU 10 LUP"; }, 3000))
        << target.Describe();
    EXPECT_FALSE(::GetAsyncKeyState(VK_SHIFT) & 0x8000);
    EXPECT_FALSE(::GetAsyncKeyState(VK_LBUTTON) & 0x8000);
    Kit().devices[0].pressed = 0;
}

}  // namespace
}  // namespace e2e
