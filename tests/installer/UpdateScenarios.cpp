// An update over a running Kontakta, each scenario in a Wine prefix of its
// own (see run-installer-test): the program closed and started again with
// the user's settings kept, a program that cannot be closed, and the
// per-user step that Active Setup runs at logon.
#include "InstallerScenarioSupport.h"
#include "win/Handle.h"

using namespace installertest;

namespace {

TEST_F(Installer, UpdateOverARunningConfiguredInstallationKeepsTheUsersSettings)
{
    ASSERT_EQ(InstallSilently(StageSetup(true)), std::optional<DWORD>(0));
    const std::wstring dir = DefaultInstallDirectory() + L"\\";
    {
        Kontakta first(dir + L"Kontakta.exe");  // copies the defaults for this user
        ASSERT_TRUE(StartsWithoutMessage(first));
        CloseCleanly(first);
    }
    // The user's own configuration: sensor 5 switched on. Its time is set
    // back, so that a save by the closing program shows.
    const std::string own = SettingsWithSensorOn(5);
    ASSERT_NE(own, ReadFileBytes(BuiltFile(L"o_settings.dat")));
    ASSERT_TRUE(WriteFileBytes(SettingsPath(), own));
    const FILETIME longAgo = LongAgo();
    ASSERT_TRUE(SetLastWriteTime(SettingsPath(), longAgo));
    Kontakta running(dir + L"Kontakta.exe");
    ASSERT_TRUE(StartsWithoutMessage(running));
    ASSERT_EQ(ReadFileBytes(SettingsPath()), own);

    // The update: this time without a kit library beside the setup. It ends
    // once it has started Kontakta again, which then runs on by itself.
    ASSERT_EQ(RunProcessToEnd(L"\"" + StageSetup(false) + L"\" /S"), std::optional<DWORD>(0));

    // Kontakta was asked to close, saved its settings and ended by itself.
    EXPECT_EQ(running.WaitForExit(2000), std::optional<DWORD>(0));
    EXPECT_FALSE(running.HasTrayIcon());
    const std::optional<FILETIME> saved = LastWriteTime(SettingsPath());
    ASSERT_TRUE(saved.has_value());
    EXPECT_TRUE(Later(*saved, longAgo)) << "the settings were not saved on closing";
    const std::wstring log = ReadLog(dir + L"KontaktaSetup.log");
    EXPECT_NE(log.find(L"Kontakta wurde beendet."), std::wstring::npos) << Narrow(log);

    EXPECT_EQ(ReadFileBytes(SettingsPath()), own);
    // The kit library of the first installation stays, and remains the setup's.
    EXPECT_EQ(ReadFileBytes(dir + L"iowkit.dll"), ReadFileBytes(KitStandIn()));
    EXPECT_EQ(ReadNumber(HKEY_LOCAL_MACHINE, uninstallKey, L"KitLibraryInstalled"), std::optional<DWORD>(1));
    EXPECT_NE(log.find(L"iowkit.dll der Eingabebox ist im Installationsverzeichnis bereits vorhanden"),
              std::wstring::npos);

    // And started again, so the user is not left without it until the next
    // logon: the new program gets through its start-up (which ends with its
    // main window minimised and hidden; a message would have stopped it) and
    // works with the user's configuration.
    EXPECT_NE(log.find(L"Kontakta wurde für den angemeldeten Benutzer gestartet."), std::wstring::npos);
    HWND again = nullptr;
    EXPECT_TRUE(e2e::WaitFor(
        [&] {
            again = ::FindWindowW(L"#32770", L"KORVA Kontakta");
            return again && again != running.MainWindow() && ::IsIconic(again) && !::IsWindowVisible(again);
        },
        20000))
        << "Kontakta was not started again";
    ASSERT_NE(again, nullptr);
    DWORD pid = 0;
    ::GetWindowThreadProcessId(again, &pid);
    // A message would stay; the main window may still be on its way to
    // hidden (Wine takes its time hiding a minimised window).
    if (!e2e::WaitFor([&] { return e2e::WindowsOf(pid, true).empty(); }, 5000))
        for (HWND window : e2e::WindowsOf(pid, true))
            ADD_FAILURE() << "a window shows: " << Narrow(e2e::TitleOf(window));
    EXPECT_TRUE(e2e::WaitFor([] { return e2e::TrayTipShown(readableTip); }, 3000));
    const win::Handle process(::OpenProcess(SYNCHRONIZE, FALSE, pid));
    ASSERT_TRUE(process);
    ::PostMessageW(again, WM_CLOSE, 0, 0);
    EXPECT_TRUE(e2e::WaitFor([&] { return ::WaitForSingleObject(process.Get(), 0) == WAIT_OBJECT_0; }, 15000));
    EXPECT_EQ(ReadFileBytes(SettingsPath()), own);
}

TEST_F(Installer, NothingChangesWhileKontaktaCannotBeClosed)
{
    ASSERT_EQ(InstallSilently(StageSetup(true)), std::optional<DWORD>(0));
    const std::wstring dir = DefaultInstallDirectory() + L"\\";
    // An older installation, as far as the setup can tell.
    ASSERT_TRUE(WriteString(HKEY_LOCAL_MACHINE, uninstallKey, L"DisplayVersion", L"3.1"));
    DeleteValue(HKEY_LOCAL_MACHINE, runKey, L"Kontakta");
    const std::optional<FILETIME> installed = LastWriteTime(dir + L"Kontakta.exe");
    ASSERT_TRUE(installed.has_value());

    // Kontakta.exe in use by a program that no close request reaches, as
    // one run by another logged-on user: the setup waits, then gives up and
    // changes nothing.
    Kontakta elsewhere(dir + L"Kontakta.exe");
    ASSERT_TRUE(elsewhere.Start(true));
    EXPECT_EQ(InstallSilently(StageSetup(true)), std::optional<DWORD>(3));
    EXPECT_EQ(ReadString(HKEY_LOCAL_MACHINE, uninstallKey, L"DisplayVersion"), L"3.1");
    EXPECT_EQ(ReadString(HKEY_LOCAL_MACHINE, runKey, L"Kontakta"), std::nullopt);
    const std::optional<FILETIME> afterSetup = LastWriteTime(dir + L"Kontakta.exe");
    ASSERT_TRUE(afterSetup.has_value());
    EXPECT_EQ(::CompareFileTime(&*afterSetup, &*installed), 0);
    EXPECT_NE(ReadLog(dir + L"KontaktaSetup.log").find(L"Abgebrochen: Kontakta läuft noch"), std::wstring::npos);

    // The same for the uninstaller (run in place with _?=, it reports its
    // own exit code).
    const std::wstring uninstall = L"\"" + dir + L"Uninstall.exe\" /S _?=" + DefaultInstallDirectory();
    EXPECT_EQ(RunToEnd(uninstall), std::optional<DWORD>(3));
    for (const wchar_t* file : {L"Kontakta.exe", L"o_settings.dat", L"KontaktaUserSetup.exe", L"iowkit.dll"})
        EXPECT_TRUE(FileExists(dir + file)) << Narrow(file);
    EXPECT_TRUE(KeyExists(HKEY_LOCAL_MACHINE, machineKey));
    EXPECT_TRUE(KeyExists(HKEY_LOCAL_MACHINE, uninstallKey));

    elsewhere.Kill();
    EXPECT_EQ(RunToEnd(uninstall), std::optional<DWORD>(0));
    EXPECT_FALSE(FileExists(dir + L"Kontakta.exe"));
    EXPECT_FALSE(KeyExists(HKEY_LOCAL_MACHINE, uninstallKey));
}

// Ends the Kontakta that a silent update started again.
void CloseRestartedKontakta(HWND previous)
{
    HWND again = nullptr;
    ASSERT_TRUE(e2e::WaitFor(
        [&] { return (again = ::FindWindowW(L"#32770", L"KORVA Kontakta")) != nullptr && again != previous; }, 20000))
        << "Kontakta was not started again";
    DWORD pid = 0;
    ::GetWindowThreadProcessId(again, &pid);
    const win::Handle process(::OpenProcess(SYNCHRONIZE, FALSE, pid));
    ASSERT_TRUE(process);
    e2e::WaitFor([&] { return e2e::TrayTipShown(readableTip); }, 10000);  // past its start-up
    ::PostMessageW(again, WM_CLOSE, 0, 0);
    EXPECT_TRUE(e2e::WaitFor([&] { return ::WaitForSingleObject(process.Get(), 0) == WAIT_OBJECT_0; }, 15000));
}

// The carer is in the middle of a change when the update comes: the sheet
// open, the editor of a sensor open over it. The close request closes both
// at once, so the update goes on; what acted at once is saved, the editor's
// working copy is not.
TEST_F(Installer, UpdateWhileTheSheetAndTheEditorAreOpenClosesThemAndSavesTheLiveSettings)
{
    ASSERT_EQ(InstallSilently(StageSetup(true)), std::optional<DWORD>(0));
    const std::wstring dir = DefaultInstallDirectory() + L"\\";
    Kontakta running(dir + L"Kontakta.exe");
    ASSERT_TRUE(StartsWithoutMessage(running));
    const std::string before = ReadFileBytes(SettingsPath());
    const auto record = [](int sensor) { return size_t(4 + 628 * (sensor - 1)); };
    ASSERT_EQ(before.size(), 5032u);
    ASSERT_EQ(before[record(2)], 0) << "sensor 2 starts switched off";

    Kontakta second(dir + L"Kontakta.exe");
    ASSERT_TRUE(second.Start());
    ASSERT_EQ(second.WaitForExit(15000), std::optional<DWORD>(0));
    const HWND sheet = e2e::FindWindowOf(running.Pid(), L"Kontakta - Konfigurationsmwenü", 10000);
    ASSERT_NE(sheet, nullptr);
    const HWND page = reinterpret_cast<HWND>(::SendMessageW(sheet, PSM_GETCURRENTPAGEHWND, 0, 0));
    ::SendMessageW(::GetDlgItem(page, 1040 + 2), BM_CLICK, 0, 0);  // sensor 2 on: acts at once
    ::PostMessageW(::GetDlgItem(page, 999 + 3), BM_CLICK, 0, 0);   // the editor of sensor 3
    const HWND editor = e2e::FindWindowOf(running.Pid(), L"Aktion für Sensor 3 bearbeiten", 10000);
    ASSERT_NE(editor, nullptr);

    const DWORD start = ::GetTickCount();
    ASSERT_EQ(RunProcessToEnd(L"\"" + StageSetup(true) + L"\" /S"), std::optional<DWORD>(0));
    EXPECT_EQ(running.WaitForExit(2000), std::optional<DWORD>(0));
    EXPECT_LT(::GetTickCount() - start, 60000u);
    const std::wstring log = ReadLog(dir + L"KontaktaSetup.log");
    EXPECT_NE(log.find(L"Kontakta wurde beendet."), std::wstring::npos) << Narrow(log);
    const std::string saved = ReadFileBytes(SettingsPath());
    ASSERT_EQ(saved.size(), 5032u);
    EXPECT_EQ(saved[record(2)], 1) << "the ticked row is saved";
    EXPECT_EQ(saved.substr(record(3), 628), before.substr(record(3), 628)) << "the editor changed nothing";
    CloseRestartedKontakta(running.MainWindow());
}

TEST_F(Installer, ActiveSetupCommandPreparesAUserAtLogonAndAgainAfterAnUpdate)
{
    ASSERT_EQ(InstallSilently(StageSetup(true)), std::optional<DWORD>(0));
    const std::optional<std::wstring> stubPath = ReadString(HKEY_LOCAL_MACHINE, activeSetupKey, L"StubPath");
    ASSERT_TRUE(stubPath.has_value());

    // A user who has not logged on since the installation: no mark, no key,
    // no folder. Windows sees no version of the user's and runs the command.
    DeleteKeyTree(HKEY_CURRENT_USER, activeSetupKey);
    DeleteKeyTree(HKEY_CURRENT_USER, userKey);
    RemoveTree(UserFilesDirectory());
    ASSERT_FALSE(IsDirectory(UserFilesDirectory()));
    EXPECT_EQ(RunToEnd(Expand(*stubPath), 30000), std::optional<DWORD>(0));
    EXPECT_EQ(ReadString(HKEY_CURRENT_USER, userKey, L"UpdateCode"), L"1");
    EXPECT_TRUE(IsDirectory(UserFilesDirectory()));

    // Kontakta started at that logon gets the defaults.
    {
        Kontakta program(DefaultInstallDirectory() + L"\\Kontakta.exe");
        ASSERT_TRUE(StartsWithoutMessage(program));
        EXPECT_EQ(ReadFileBytes(SettingsPath()), ReadFileBytes(BuiltFile(L"o_settings.dat")));
        CloseCleanly(program);
    }

    // A later version runs the command again for everyone. A user with a
    // configuration whose value got lost keeps the configuration.
    const std::string own = SettingsWithSensorOn(5);
    ASSERT_TRUE(WriteFileBytes(SettingsPath(), own));
    DeleteValue(HKEY_CURRENT_USER, userKey, L"UpdateCode");
    EXPECT_EQ(RunToEnd(Expand(*stubPath), 30000), std::optional<DWORD>(0));
    EXPECT_EQ(ReadString(HKEY_CURRENT_USER, userKey, L"UpdateCode"), L"0");
    {
        Kontakta program(DefaultInstallDirectory() + L"\\Kontakta.exe");
        ASSERT_TRUE(StartsWithoutMessage(program));
        EXPECT_EQ(ReadFileBytes(SettingsPath()), own);
        CloseCleanly(program);
    }

    // A number 1 that some tool wrote is no request to copy the defaults, for
    // the step and for the program alike.
    const DWORD one = 1;
    ASSERT_TRUE(WriteValue(HKEY_CURRENT_USER, userKey, L"UpdateCode", REG_DWORD, &one, sizeof one));
    EXPECT_EQ(RunToEnd(Expand(*stubPath), 30000), std::optional<DWORD>(0));
    EXPECT_EQ(ReadNumber(HKEY_CURRENT_USER, userKey, L"UpdateCode"), std::optional<DWORD>(1));
    Kontakta program(DefaultInstallDirectory() + L"\\Kontakta.exe");
    ASSERT_TRUE(StartsWithoutMessage(program));
    EXPECT_TRUE(e2e::WaitFor([] { return ReadString(HKEY_CURRENT_USER, userKey, L"UpdateCode") == L"0"; }, 5000))
        << "reset at the end of the start-up";
    EXPECT_EQ(ReadFileBytes(SettingsPath()), own);
    CloseCleanly(program);
}

}  // namespace
