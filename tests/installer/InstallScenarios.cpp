// The setup and its uninstaller run as an administrator runs them, each
// scenario in a Wine prefix of its own (see run-installer-test), and what they
// leave behind checked from the outside: files, registry, shortcuts, and
// Kontakta started from the installation.
#include "InstallerScenarioSupport.h"

using namespace installertest;

namespace {

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
    for (const wchar_t* file :
         {L"Kontakta.exe", L"o_settings.dat", L"KontaktaUserSetup.exe", L"iowkit.dll", L"Uninstall.exe"})
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
    for (const wchar_t* file :
         {L"Kontakta.exe", L"o_settings.dat", L"KontaktaUserSetup.exe", L"Uninstall.exe", L"KontaktaSetup.log"})
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
    EXPECT_EQ(ReadString(HKEY_LOCAL_MACHINE, activeSetupKey, L"StubPath"), L"\"" + dir + L"\\KontaktaUserSetup.exe\"");
    EXPECT_TRUE(FileExists(dir + L"\\Kontakta.exe"));
    EXPECT_FALSE(FileExists(DefaultInstallDirectory()));

    // The program reads the whole value: it finds its default settings there.
    Kontakta program(dir + L"\\Kontakta.exe");
    ASSERT_TRUE(StartsWithoutMessage(program));
    EXPECT_EQ(ReadFileBytes(SettingsPath()), ReadFileBytes(BuiltFile(L"o_settings.dat")));
    EXPECT_EQ(ReadString(HKEY_CURRENT_USER, userKey, L"UpdateCode"), L"0");
    CloseCleanly(program);
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

}  // namespace
