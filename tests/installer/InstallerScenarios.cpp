// The setup and its uninstaller run as an administrator runs them, each
// scenario in a Wine prefix of its own (see run-installer-test), and what they
// leave behind checked from the outside: files, registry, shortcuts, the
// user's settings, and Kontakta started from the installation.
#include <windows.h>
#include <objbase.h>
#include <shlobj.h>
#include <shobjidl.h>

#include <gtest/gtest.h>

#include <algorithm>

#include "E2eSupport.h"
#include "InstallerSupport.h"
#include "KitSimControl.h"

using namespace installertest;

namespace {

const std::wstring readableTip = L"KORVA Kontakta";
const std::wstring activeSetupName = L"KORVA Kontakta – Einrichtung für Benutzer";

std::optional<DWORD> InstallSilently(const std::wstring& setup, const std::wstring& arguments = L"")
{
    return RunToEnd(L"\"" + setup + L"\" /S" + arguments);
}

// Uninstalls with the command the uninstall entry gives administrators.
std::optional<DWORD> UninstallSilently()
{
    const std::optional<std::wstring> command = ReadString(HKEY_LOCAL_MACHINE, uninstallKey, L"QuietUninstallString");
    if (!command) return std::nullopt;
    return RunToEnd(Expand(*command));
}

std::wstring StartMenuFolder()
{
    wchar_t programs[MAX_PATH] = {};
    ::SHGetSpecialFolderPathW(nullptr, programs, CSIDL_COMMON_PROGRAMS, FALSE);
    return std::wstring(programs) + L"\\Kontakta\\";
}

// The program a shortcut starts; empty if it cannot be read.
std::wstring ShortcutTarget(const std::wstring& shortcut)
{
    IShellLinkW* link = nullptr;
    if (FAILED(::CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkW,
                                  reinterpret_cast<void**>(&link))))
        return {};
    std::wstring target;
    IPersistFile* file = nullptr;
    if (SUCCEEDED(link->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(&file)))) {
        wchar_t path[MAX_PATH] = {};
        if (SUCCEEDED(file->Load(shortcut.c_str(), STGM_READ)) &&
            SUCCEEDED(link->GetPath(path, MAX_PATH, nullptr, 0)))
            target = path;
        file->Release();
    }
    link->Release();
    return target;
}

// A directory of exactly `length` characters under C:\Kontakta Test.
std::wstring DirectoryOfLength(size_t length)
{
    std::wstring path = L"C:\\Kontakta Test";
    while (path.size() < length) {
        const size_t left = length - path.size();
        if (left >= 2) {
            path += L'\\';
            path += std::wstring(std::min<size_t>(left - 1, 40), L'v');
        } else {
            path += L'v';
        }
    }
    return path;
}

std::wstring Join(const std::vector<std::wstring>& texts)
{
    std::wstring joined;
    for (const std::wstring& text : texts) joined += L"[" + text + L"] ";
    return joined;
}

std::string Narrow(const std::wstring& text)
{
    std::string narrow;
    for (wchar_t c : text) narrow += c < 128 ? static_cast<char>(c) : '?';
    return narrow;
}

FILETIME LongAgo()
{
    SYSTEMTIME time{};
    time.wYear = 2001;
    time.wMonth = 1;
    time.wDay = 1;
    FILETIME longAgo{};
    ::SystemTimeToFileTime(&time, &longAgo);
    return longAgo;
}

class Installer : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_FALSE(BuiltSetup().empty()) << "KONTAKTA_SETUP is not set: run the scenario through run-installer-test";
        kit = kitsim::OpenControl();
        ASSERT_NE(kit, nullptr);
        kitsim::ResetControl(*kit);
    }

    // Starts the installed Kontakta and waits until it runs; false (with the
    // reason added to the test's failures) if it did not, or showed a message.
    static bool StartsWithoutMessage(Kontakta& program)
    {
        if (!program.Start()) {
            ADD_FAILURE() << "Kontakta.exe could not be started";
            return false;
        }
        std::vector<std::wstring> messages;
        const bool running = program.WaitUntilRunning(20000, &messages);
        EXPECT_TRUE(running) << "start-up did not finish; messages: " << Narrow(Join(messages));
        EXPECT_TRUE(messages.empty()) << Narrow(Join(messages));
        return running && messages.empty();
    }

    static void CloseCleanly(Kontakta& program)
    {
        ::PostMessageW(program.MainWindow(), WM_CLOSE, 0, 0);
        EXPECT_EQ(program.WaitForExit(15000), std::optional<DWORD>(0));
    }

    kitsim::Control* kit = nullptr;
};

TEST_F(Installer, SilentInstallPutsEveryFileAndEntryInPlaceAndKontaktaStartsFromThem)
{
    const std::wstring setup = StageSetup(true);
    ASSERT_EQ(InstallSilently(setup), std::optional<DWORD>(0));
    const std::wstring dir = DefaultInstallDirectory() + L"\\";

    // The files: this build's program, defaults and per-user step, the
    // uninstaller, and the kit library that lay beside the setup.
    EXPECT_EQ(ReadFileBytes(dir + L"Kontakta.exe"), ReadFileBytes(BuiltFile(L"Kontakta.exe")));
    EXPECT_EQ(ReadFileBytes(dir + L"o_settings.dat"), ReadFileBytes(BuiltFile(L"o_settings.dat")));
    EXPECT_EQ(ReadFileBytes(dir + L"KontaktaUserSetup.exe"), ReadFileBytes(BuiltFile(L"KontaktaUserSetup.exe")));
    EXPECT_TRUE(FileExists(dir + L"Uninstall.exe"));
    EXPECT_EQ(ReadFileBytes(dir + L"iowkit.dll"), ReadFileBytes(KitStandIn()));
    EXPECT_NE(ReadLog(dir + L"KontaktaSetup.log").find(L"Installation abgeschlossen."), std::wstring::npos);

    // What the program reads at its start.
    EXPECT_EQ(ReadString(HKEY_LOCAL_MACHINE, machineKey, L"Directory"), dir);
    EXPECT_EQ(ValueType(HKEY_LOCAL_MACHINE, machineKey, L"Directory"), std::optional<DWORD>(REG_SZ));
    EXPECT_EQ(ReadString(HKEY_CURRENT_USER, userKey, L"UpdateCode"), L"1");
    EXPECT_TRUE(IsDirectory(UserFilesDirectory()));
    EXPECT_FALSE(FileExists(SettingsPath()));

    // Start at every logon.
    EXPECT_EQ(ReadString(HKEY_LOCAL_MACHINE, runKey, L"Kontakta"), L"\"" + dir + L"Kontakta.exe\"");

    // Active Setup, and its mark for the user who ran the setup.
    EXPECT_EQ(ReadString(HKEY_LOCAL_MACHINE, activeSetupKey, L"StubPath"), L"\"" + dir + L"KontaktaUserSetup.exe\"");
    EXPECT_EQ(ReadString(HKEY_LOCAL_MACHINE, activeSetupKey, L"Version"), L"3,2,0,0");
    EXPECT_EQ(ReadNumber(HKEY_LOCAL_MACHINE, activeSetupKey, L"IsInstalled"), std::optional<DWORD>(1));
    EXPECT_EQ(ReadString(HKEY_LOCAL_MACHINE, activeSetupKey, L""), activeSetupName);
    EXPECT_EQ(ReadString(HKEY_LOCAL_MACHINE, activeSetupKey, L"ComponentID"), activeSetupName);
    EXPECT_EQ(ReadString(HKEY_CURRENT_USER, activeSetupKey, L"Version"), L"3,2,0,0");

    // Windows' list of installed programs.
    EXPECT_EQ(ReadString(HKEY_LOCAL_MACHINE, uninstallKey, L"DisplayName"), L"KORVA Kontakta");
    EXPECT_EQ(ReadString(HKEY_LOCAL_MACHINE, uninstallKey, L"DisplayVersion"), L"3.2");
    EXPECT_EQ(ReadString(HKEY_LOCAL_MACHINE, uninstallKey, L"Publisher"), L"KORVA");
    EXPECT_EQ(ReadString(HKEY_LOCAL_MACHINE, uninstallKey, L"DisplayIcon"), dir + L"Kontakta.exe,0");
    EXPECT_EQ(ReadString(HKEY_LOCAL_MACHINE, uninstallKey, L"UninstallString"), L"\"" + dir + L"Uninstall.exe\"");
    EXPECT_EQ(ReadString(HKEY_LOCAL_MACHINE, uninstallKey, L"QuietUninstallString"),
              L"\"" + dir + L"Uninstall.exe\" /S");
    EXPECT_EQ(ReadString(HKEY_LOCAL_MACHINE, uninstallKey, L"InstallLocation"), DefaultInstallDirectory());
    EXPECT_EQ(ReadNumber(HKEY_LOCAL_MACHINE, uninstallKey, L"NoModify"), std::optional<DWORD>(1));
    EXPECT_EQ(ReadNumber(HKEY_LOCAL_MACHINE, uninstallKey, L"NoRepair"), std::optional<DWORD>(1));
    EXPECT_EQ(ReadNumber(HKEY_LOCAL_MACHINE, uninstallKey, L"KitLibraryInstalled"), std::optional<DWORD>(1));
    DWORD installedKilobytes = 0;
    for (const wchar_t* file : {L"Kontakta.exe", L"o_settings.dat", L"KontaktaUserSetup.exe", L"iowkit.dll",
                                L"Uninstall.exe"})
        installedKilobytes += static_cast<DWORD>(ReadFileBytes(dir + file).size() / 1024);
    const std::optional<DWORD> estimatedSize = ReadNumber(HKEY_LOCAL_MACHINE, uninstallKey, L"EstimatedSize");
    ASSERT_TRUE(estimatedSize.has_value());
    EXPECT_GE(*estimatedSize, installedKilobytes);
    EXPECT_LE(*estimatedSize, installedKilobytes + 16);

    // The Start menu of all users.
    EXPECT_EQ(ShortcutTarget(StartMenuFolder() + L"Kontakta.lnk"), dir + L"Kontakta.exe");
    EXPECT_EQ(ShortcutTarget(StartMenuFolder() + L"Kontakta deinstallieren.lnk"), dir + L"Uninstall.exe");

    // Kontakta as the logon starts it: no message, the defaults copied for
    // the new user, the update code reset, the box shown as readable.
    Kontakta program(dir + L"Kontakta.exe");
    ASSERT_TRUE(StartsWithoutMessage(program));
    EXPECT_EQ(ReadFileBytes(SettingsPath()), ReadFileBytes(dir + L"o_settings.dat"));
    EXPECT_EQ(ReadString(HKEY_CURRENT_USER, userKey, L"UpdateCode"), L"0");
    EXPECT_TRUE(e2e::WaitFor([] { return e2e::TrayTipShown(readableTip); }, 3000));
    EXPECT_TRUE(program.HasTrayIcon());
    CloseCleanly(program);
}

TEST_F(Installer, SilentInstallWithoutKitLibraryInstallsNoneAndTheUninstallerLeavesOneAddedLater)
{
    const std::wstring setup = StageSetup(false);
    ASSERT_EQ(InstallSilently(setup), std::optional<DWORD>(0));
    const std::wstring dir = DefaultInstallDirectory() + L"\\";

    for (const wchar_t* file : {L"Kontakta.exe", L"o_settings.dat", L"KontaktaUserSetup.exe", L"Uninstall.exe"})
        EXPECT_TRUE(FileExists(dir + file)) << Narrow(file);
    EXPECT_FALSE(FileExists(dir + L"iowkit.dll"));
    EXPECT_EQ(ReadNumber(HKEY_LOCAL_MACHINE, uninstallKey, L"KitLibraryInstalled"), std::nullopt);
    EXPECT_EQ(ReadString(HKEY_LOCAL_MACHINE, machineKey, L"Directory"), dir);
    const std::wstring log = ReadLog(dir + L"KontaktaSetup.log");
    EXPECT_NE(log.find(L"iowkit.dll der Eingabebox fehlt"), std::wstring::npos) << Narrow(log);
    EXPECT_NE(log.find(L"muss in das Installationsverzeichnis " + DefaultInstallDirectory()), std::wstring::npos);

    // The user puts the box maker's library in afterwards: it is the user's,
    // and the uninstaller takes away only what the setup brought.
    ASSERT_TRUE(::CopyFileW(KitStandIn().c_str(), (dir + L"iowkit.dll").c_str(), FALSE));
    ASSERT_EQ(UninstallSilently(), std::optional<DWORD>(0));
    EXPECT_TRUE(FileExists(dir + L"iowkit.dll"));
    for (const wchar_t* file : {L"Kontakta.exe", L"o_settings.dat", L"KontaktaUserSetup.exe", L"Uninstall.exe",
                                L"KontaktaSetup.log"})
        EXPECT_FALSE(FileExists(dir + file)) << Narrow(file);
    EXPECT_FALSE(KeyExists(HKEY_LOCAL_MACHINE, uninstallKey));
}

TEST_F(Installer, A32BitKitLibraryOrADirectoryTooLongIsRefusedAndNothingIsInstalled)
{
    const auto expectNothingInstalled = [] {
        EXPECT_FALSE(FileExists(L"C:\\Kontakta Test"));
        EXPECT_FALSE(FileExists(DefaultInstallDirectory()));
        EXPECT_FALSE(KeyExists(HKEY_LOCAL_MACHINE, machineKey));
        EXPECT_FALSE(KeyExists(HKEY_LOCAL_MACHINE, uninstallKey));
        EXPECT_FALSE(KeyExists(HKEY_LOCAL_MACHINE, activeSetupKey));
        EXPECT_EQ(ReadString(HKEY_LOCAL_MACHINE, runKey, L"Kontakta"), std::nullopt);
        EXPECT_FALSE(KeyExists(HKEY_CURRENT_USER, userKey));
        EXPECT_FALSE(FileExists(UserFilesDirectory()));
        EXPECT_FALSE(FileExists(StartMenuFolder()));
    };

    // A 32-bit kit library beside the setup, which Kontakta could never load:
    // the kit stand-in with the machine of its PE header made x86.
    std::string library = ReadFileBytes(KitStandIn());
    ASSERT_GT(library.size(), 0x40u);
    const size_t header = static_cast<unsigned char>(library[0x3C]) | static_cast<unsigned char>(library[0x3D]) << 8;
    ASSERT_EQ(library.substr(header, 6), std::string("PE\0\0\x64\x86", 6)) << "an x64 library to start from";
    library[header + 4] = '\x4C';
    library[header + 5] = '\x01';
    EXPECT_EQ(InstallSilently(StageSetup(true, library)), std::optional<DWORD>(4));
    expectNothingInstalled();
    std::wstring log = ReadLog(TempFolder() + L"KontaktaSetup.log");
    EXPECT_NE(log.find(L"iowkit.dll ist eine 32-Bit-Bibliothek; Kontakta braucht die 64-Bit-Version"),
              std::wstring::npos)
        << Narrow(log);
    // Nor is anything else taken for it.
    EXPECT_EQ(InstallSilently(StageSetup(true, std::string("MZ not a library"))), std::optional<DWORD>(4));
    log = ReadLog(TempFolder() + L"KontaktaSetup.log");
    EXPECT_NE(log.find(L"iowkit.dll ist keine 64-Bit-Bibliothek für Windows"), std::wstring::npos) << Narrow(log);
    expectNothingInstalled();

    // With its backslash the value would have 127 characters: one more than
    // the program reads.
    const std::wstring dir = DirectoryOfLength(126);
    EXPECT_EQ(InstallSilently(StageSetup(true), L" /D=" + dir), std::optional<DWORD>(2));
    expectNothingInstalled();
}

TEST_F(Installer, ACustomDirectoryUpToTheLimitIsUsedAndKontaktaStartsFromIt)
{
    const std::wstring dir = DirectoryOfLength(125);
    ASSERT_EQ(InstallSilently(StageSetup(true), L" /D=" + dir), std::optional<DWORD>(0));

    EXPECT_EQ(ReadString(HKEY_LOCAL_MACHINE, machineKey, L"Directory"), dir + L"\\");
    EXPECT_EQ(ReadString(HKEY_LOCAL_MACHINE, uninstallKey, L"InstallLocation"), dir);
    EXPECT_EQ(ReadString(HKEY_LOCAL_MACHINE, runKey, L"Kontakta"), L"\"" + dir + L"\\Kontakta.exe\"");
    EXPECT_EQ(ReadString(HKEY_LOCAL_MACHINE, activeSetupKey, L"StubPath"),
              L"\"" + dir + L"\\KontaktaUserSetup.exe\"");
    EXPECT_TRUE(FileExists(dir + L"\\Kontakta.exe"));
    EXPECT_FALSE(FileExists(DefaultInstallDirectory()));

    // The program reads the whole value: it finds its default settings there.
    Kontakta program(dir + L"\\Kontakta.exe");
    ASSERT_TRUE(StartsWithoutMessage(program));
    EXPECT_EQ(ReadFileBytes(SettingsPath()), ReadFileBytes(BuiltFile(L"o_settings.dat")));
    EXPECT_EQ(ReadString(HKEY_CURRENT_USER, userKey, L"UpdateCode"), L"0");
    CloseCleanly(program);
}

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
    const HANDLE process = ::OpenProcess(SYNCHRONIZE, FALSE, pid);
    ASSERT_NE(process, nullptr);
    ::PostMessageW(again, WM_CLOSE, 0, 0);
    EXPECT_TRUE(e2e::WaitFor([&] { return ::WaitForSingleObject(process, 0) == WAIT_OBJECT_0; }, 15000));
    ::CloseHandle(process);
    EXPECT_EQ(ReadFileBytes(SettingsPath()), own);
}

TEST_F(Installer, SilentUninstallEndsKontaktaRemovesTheInstallationAndKeepsTheUsersFiles)
{
    ASSERT_EQ(InstallSilently(StageSetup(true)), std::optional<DWORD>(0));
    const std::wstring dir = DefaultInstallDirectory() + L"\\";
    Kontakta running(dir + L"Kontakta.exe");
    ASSERT_TRUE(StartsWithoutMessage(running));
    const std::string settings = ReadFileBytes(SettingsPath());
    ASSERT_FALSE(settings.empty());

    ASSERT_EQ(UninstallSilently(), std::optional<DWORD>(0));

    EXPECT_EQ(running.WaitForExit(2000), std::optional<DWORD>(0)) << "Kontakta was not closed";
    EXPECT_FALSE(FileExists(DefaultInstallDirectory())) << "the installation directory stayed";
    EXPECT_FALSE(FileExists(L"C:\\Program Files\\KORVA"));
    EXPECT_FALSE(FileExists(StartMenuFolder()));
    EXPECT_FALSE(KeyExists(HKEY_LOCAL_MACHINE, machineKey));
    EXPECT_FALSE(KeyExists(HKEY_LOCAL_MACHINE, L"Software\\KORVA"));
    EXPECT_EQ(ReadString(HKEY_LOCAL_MACHINE, runKey, L"Kontakta"), std::nullopt);
    EXPECT_FALSE(KeyExists(HKEY_LOCAL_MACHINE, activeSetupKey));
    EXPECT_FALSE(KeyExists(HKEY_CURRENT_USER, activeSetupKey));
    EXPECT_FALSE(KeyExists(HKEY_LOCAL_MACHINE, uninstallKey));

    // What belongs to the user stays.
    EXPECT_EQ(ReadFileBytes(SettingsPath()), settings);
    EXPECT_EQ(ReadString(HKEY_CURRENT_USER, userKey, L"UpdateCode"), L"0");
    const std::wstring log = ReadLog(TempFolder() + L"KontaktaUninstall.log");
    EXPECT_NE(log.find(L"Die Einstellungen der Benutzer bleiben erhalten"), std::wstring::npos) << Narrow(log);
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

    // The user is in the settings: the close request waits for the sheet.
    Kontakta running(dir + L"Kontakta.exe");
    ASSERT_TRUE(StartsWithoutMessage(running));
    Kontakta second(dir + L"Kontakta.exe");
    ASSERT_TRUE(second.Start());
    ASSERT_EQ(second.WaitForExit(15000), std::optional<DWORD>(0));
    const HWND sheet = e2e::FindWindowOf(running.Pid(), L"Kontakta - Konfigurationsmwenü", 10000);
    ASSERT_NE(sheet, nullptr);

    EXPECT_EQ(InstallSilently(StageSetup(true)), std::optional<DWORD>(3));
    EXPECT_TRUE(running.Running());
    EXPECT_EQ(ReadString(HKEY_LOCAL_MACHINE, uninstallKey, L"DisplayVersion"), L"3.1");
    EXPECT_EQ(ReadString(HKEY_LOCAL_MACHINE, runKey, L"Kontakta"), std::nullopt);
    const std::optional<FILETIME> afterSetup = LastWriteTime(dir + L"Kontakta.exe");
    ASSERT_TRUE(afterSetup.has_value());
    EXPECT_EQ(::CompareFileTime(&*afterSetup, &*installed), 0);
    EXPECT_NE(ReadLog(dir + L"KontaktaSetup.log").find(L"Abgebrochen: Kontakta läuft noch"), std::wstring::npos);

    // Leaving the settings ends the program, as asked.
    e2e::PressButton(sheet, IDOK);
    EXPECT_EQ(running.WaitForExit(15000), std::optional<DWORD>(0));

    // Kontakta.exe in use where the uninstaller cannot ask it to close (run
    // in place with _?=, the uninstaller reports its own exit code).
    const std::wstring uninstall = L"\"" + dir + L"Uninstall.exe\" /S _?=" + DefaultInstallDirectory();
    Kontakta elsewhere(dir + L"Kontakta.exe");
    ASSERT_TRUE(elsewhere.Start(true));
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
