// The installation for a single user, "Nur für mich installieren": silently
// with /CURRENTUSER, each scenario in a Wine prefix of its own (see
// run-installer-test). Wine has no UAC and its user is an administrator, so
// what shows that no elevation is needed is what the setup leaves: nothing of
// ours under HKEY_LOCAL_MACHINE or in Program Files, and a manifest of the
// setup and of its uninstaller that asks for the rights of whoever starts
// them.
#include <shlobj.h>

#include <filesystem>
#include <map>

#include "InstallerScenarioSupport.h"

using namespace installertest;

namespace {

const std::wstring uninstallList = L"Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall";

// Everything below a key, as text: the names, types and bytes of its values
// and of its subkeys' values. Empty for a key that is not there.
std::wstring KeyTreeText(HKEY root, const std::wstring& path)
{
    win::RegistryKey key;
    if (::RegOpenKeyExW(root, path.c_str(), 0, KEY_READ | KEY_WOW64_64KEY, key.Put()) != ERROR_SUCCESS) return {};
    std::wstring text = L"[" + path + L"]\n";
    for (DWORD index = 0;; ++index) {
        wchar_t name[16384];
        DWORD nameLength = 16384, type = 0, bytes = 0;
        if (::RegEnumValueW(key.Get(), index, name, &nameLength, nullptr, &type, nullptr, &bytes) != ERROR_SUCCESS)
            break;
        std::vector<BYTE> data(bytes + 2);
        nameLength = 16384;
        ::RegEnumValueW(key.Get(), index, name, &nameLength, nullptr, &type, data.data(), &bytes);
        text += std::wstring(name, nameLength) + L" " + std::to_wstring(type) + L" ";
        for (DWORD at = 0; at < bytes; ++at) text += std::to_wstring(data[at]) + L",";
        text += L"\n";
    }
    std::vector<std::wstring> subkeys;
    for (DWORD index = 0;; ++index) {
        wchar_t name[256];
        DWORD nameLength = 256;
        if (::RegEnumKeyExW(key.Get(), index, name, &nameLength, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS)
            break;
        subkeys.emplace_back(name, nameLength);
    }
    for (const std::wstring& subkey : subkeys) text += KeyTreeText(root, path + L"\\" + subkey);
    return text;
}

// Every file and folder below a folder, with the sizes of the files.
std::wstring FolderTreeText(const std::wstring& folder)
{
    std::map<std::wstring, uintmax_t> entries;
    std::error_code error;
    for (auto it = std::filesystem::recursive_directory_iterator(folder, error);
         !error && it != std::filesystem::recursive_directory_iterator(); it.increment(error))
        entries[it->path().wstring()] = it->is_regular_file() ? it->file_size() : 0;
    std::wstring text;
    for (const auto& [path, size] : entries) text += path + L" " + std::to_wstring(size) + L"\n";
    return text;
}

// What an installation for all users would have written: compared before
// and after, so that nothing there changes, nor anything another program
// keeps there.
std::wstring MachineState()
{
    return KeyTreeText(HKEY_LOCAL_MACHINE, L"Software\\KORVA") + KeyTreeText(HKEY_LOCAL_MACHINE, uninstallList) +
           KeyTreeText(HKEY_LOCAL_MACHINE, runKey) + KeyTreeText(HKEY_LOCAL_MACHINE, activeSetupKey) +
           FolderTreeText(L"C:\\Program Files") + FolderTreeText(L"C:\\Program Files (x86)") +
           FolderTreeText(StartMenuFolder());
}

std::wstring ShellFolder(int csidl)
{
    wchar_t path[MAX_PATH] = {};
    ::SHGetFolderPathW(nullptr, csidl, nullptr, SHGFP_TYPE_CURRENT, path);
    return path;
}

// Where Windows puts programs installed for one user (FOLDERID_UserProgramFiles).
std::wstring UserInstallDirectory()
{
    return ShellFolder(CSIDL_LOCAL_APPDATA) + L"\\Programs\\KORVA\\Kontakta";
}

std::wstring UserStartMenuFolder()
{
    return ShellFolder(CSIDL_PROGRAMS) + L"\\Kontakta\\";
}

std::optional<DWORD> InstallForThisUser(const std::wstring& setup)
{
    return RunToEnd(L"\"" + setup + L"\" /S /CURRENTUSER");
}

// The application manifest of a program file (RT_MANIFEST 1); empty if none.
std::string ManifestOf(const std::wstring& file)
{
    const HMODULE module =
        ::LoadLibraryExW(file.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE | LOAD_LIBRARY_AS_IMAGE_RESOURCE);
    if (!module) return {};
    std::string manifest;
    if (HRSRC resource = ::FindResourceW(module, MAKEINTRESOURCEW(1), MAKEINTRESOURCEW(24))) {
        if (HGLOBAL loaded = ::LoadResource(module, resource))
            manifest.assign(static_cast<const char*>(::LockResource(loaded)), ::SizeofResource(module, resource));
    }
    ::FreeLibrary(module);
    return manifest;
}

// Windows asks for elevation before it starts a program whose manifest
// requests "requireAdministrator" or, for an administrator, "highestAvailable";
// "asInvoker" (what NSIS writes for RequestExecutionLevel user) starts it
// with the rights of whoever starts it.
void ExpectNoElevationAskedFor(const std::wstring& file)
{
    const std::string manifest = ManifestOf(file);
    ASSERT_FALSE(manifest.empty()) << "no manifest in " << Narrow(file);
    EXPECT_NE(manifest.find("<requestedExecutionLevel level=\"asInvoker\""), std::string::npos) << manifest;
    EXPECT_EQ(manifest.find("requireAdministrator"), std::string::npos) << manifest;
    EXPECT_EQ(manifest.find("highestAvailable"), std::string::npos) << manifest;
}

// The text of another process's control: WM_GETTEXT, since GetWindowText
// answers only the caption Windows keeps, which an edit field's is not.
std::wstring ControlText(HWND control)
{
    wchar_t text[1024] = {};
    DWORD_PTR length = 0;
    if (!::SendMessageTimeoutW(control, WM_GETTEXT, 1024, reinterpret_cast<LPARAM>(text), SMTO_ABORTIFHUNG, 2000,
                               &length))
        return {};
    return std::wstring(text, std::min<DWORD_PTR>(length, 1023));
}

// A control of the wizard (its pages are child dialogs) by its class and
// text; none if it is not there.
HWND FindControl(HWND root, const wchar_t* className, const std::wstring& text)
{
    struct Search {
        const wchar_t* className;
        const std::wstring& text;
        HWND found = nullptr;
    } search{className, text};
    ::EnumChildWindows(
        root,
        [](HWND window, LPARAM data) -> BOOL {
            auto& search = *reinterpret_cast<Search*>(data);
            wchar_t name[64] = {};
            ::GetClassNameW(window, name, 64);
            if (::lstrcmpiW(name, search.className) == 0 && ControlText(window) == search.text &&
                ::IsWindowVisible(window)) {
                search.found = window;
                return FALSE;
            }
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&search));
    return search.found;
}

// The wizard's window: the visible top-level window of the setup's process
// that has the button "Abbrechen".
HWND WizardOf(DWORD pid)
{
    for (HWND window : e2e::WindowsOf(pid, true))
        if (FindControl(window, L"Button", L"Abbrechen")) return window;
    return nullptr;
}

// The wizard's "Weiter" button (its id is IDOK on every page, whatever its text).
void ClickNext(HWND wizard)
{
    ::PostMessageW(::GetDlgItem(wizard, IDOK), BM_CLICK, 0, 0);
}

TEST(SetupFile, ManifestAsksForTheRightsOfWhoeverStartsIt)
{
    ExpectNoElevationAskedFor(BuiltSetup());
}

TEST_F(Installer, ForThisUserSilentInstallAndUninstallLeaveTheMachineAloneAndKontaktaStartsFromTheUsersFolder)
{
    const std::wstring machineBefore = MachineState();
    ASSERT_EQ(InstallForThisUser(StageSetup(true)), std::optional<DWORD>(0));
    const std::wstring dir = UserInstallDirectory() + L"\\";
    EXPECT_EQ(MachineState(), machineBefore) << "the installation for this user wrote for the machine";

    // The files in the user's own program folder.
    EXPECT_TRUE(ReadFileBytes(dir + L"Kontakta.exe") == ReadFileBytes(BuiltFile(L"Kontakta.exe"))) << "Kontakta.exe";
    EXPECT_TRUE(ReadFileBytes(dir + L"o_settings.dat") == ReadFileBytes(BuiltFile(L"o_settings.dat")))
        << "o_settings.dat";
    EXPECT_TRUE(ReadFileBytes(dir + L"KontaktaUserSetup.exe") == ReadFileBytes(BuiltFile(L"KontaktaUserSetup.exe")))
        << "KontaktaUserSetup.exe";
    EXPECT_TRUE(ReadFileBytes(dir + L"iowkit.dll") == ReadFileBytes(KitStandIn())) << "iowkit.dll";
    ASSERT_TRUE(FileExists(dir + L"Uninstall.exe"));
    ExpectNoElevationAskedFor(dir + L"Uninstall.exe");
    const std::wstring log = ReadLog(dir + L"KontaktaSetup.log");
    EXPECT_NE(log.find(L"Ihre Einstellungen sind vorbereitet."), std::wstring::npos) << Narrow(log);
    EXPECT_NE(log.find(L"Installation abgeschlossen."), std::wstring::npos) << Narrow(log);

    // Under HKCU what an installation for all users writes under HKLM.
    EXPECT_EQ(ReadString(HKEY_CURRENT_USER, machineKey, L"Directory"), dir);
    EXPECT_EQ(ValueType(HKEY_CURRENT_USER, machineKey, L"Directory"), std::optional<DWORD>(REG_SZ));
    EXPECT_EQ(ReadString(HKEY_CURRENT_USER, runKey, L"Kontakta"), L"\"" + dir + L"Kontakta.exe\"");
    EXPECT_EQ(ReadString(HKEY_CURRENT_USER, uninstallKey, L"DisplayName"), L"KORVA Kontakta");
    EXPECT_EQ(ReadString(HKEY_CURRENT_USER, uninstallKey, L"DisplayVersion"), L"3.2");
    EXPECT_EQ(ReadString(HKEY_CURRENT_USER, uninstallKey, L"DisplayIcon"), dir + L"Kontakta.exe,0");
    EXPECT_EQ(ReadString(HKEY_CURRENT_USER, uninstallKey, L"UninstallString"),
              L"\"" + dir + L"Uninstall.exe\" /CURRENTUSER");
    EXPECT_EQ(ReadString(HKEY_CURRENT_USER, uninstallKey, L"InstallLocation"), UserInstallDirectory());
    EXPECT_EQ(ReadNumber(HKEY_CURRENT_USER, uninstallKey, L"KitLibraryInstalled"), std::optional<DWORD>(1));
    EXPECT_FALSE(KeyExists(HKEY_CURRENT_USER, activeSetupKey)) << "no Active Setup for a single user";
    EXPECT_EQ(ShortcutTarget(UserStartMenuFolder() + L"Kontakta.lnk"), dir + L"Kontakta.exe");
    EXPECT_EQ(ShortcutTarget(UserStartMenuFolder() + L"Kontakta deinstallieren.lnk"), dir + L"Uninstall.exe");

    // The per-user step ran: the same settings folder as for all users.
    EXPECT_EQ(ReadString(HKEY_CURRENT_USER, userKey, L"UpdateCode"), L"1");
    EXPECT_TRUE(IsDirectory(UserFilesDirectory()));

    // Kontakta as this user's logon starts it: it finds its folder under
    // HKCU (no message about the registry) and copies the defaults from it.
    Kontakta running(dir + L"Kontakta.exe");
    ASSERT_TRUE(StartsWithoutMessage(running));
    EXPECT_TRUE(ReadFileBytes(SettingsPath()) == ReadFileBytes(dir + L"o_settings.dat")) << "not the defaults";
    EXPECT_EQ(ReadString(HKEY_CURRENT_USER, userKey, L"UpdateCode"), L"0");
    EXPECT_TRUE(e2e::WaitFor([] { return e2e::TrayTipShown(readableTip); }, 3000));
    const std::string settings = ReadFileBytes(SettingsPath());
    ASSERT_FALSE(settings.empty());

    // The uninstaller that Windows' list of this user's programs starts
    // ends Kontakta, which saves; the machine stays as it was.
    const std::optional<std::wstring> quiet = ReadString(HKEY_CURRENT_USER, uninstallKey, L"QuietUninstallString");
    ASSERT_EQ(quiet, L"\"" + dir + L"Uninstall.exe\" /CURRENTUSER /S");
    ASSERT_EQ(RunToEnd(Expand(*quiet)), std::optional<DWORD>(0));
    EXPECT_EQ(running.WaitForExit(2000), std::optional<DWORD>(0)) << "Kontakta was not closed";
    EXPECT_EQ(MachineState(), machineBefore) << "the uninstallation for this user changed the machine";

    EXPECT_FALSE(FileExists(UserInstallDirectory())) << "the installation directory stayed";
    EXPECT_FALSE(FileExists(ShellFolder(CSIDL_LOCAL_APPDATA) + L"\\Programs\\KORVA"));
    EXPECT_FALSE(FileExists(UserStartMenuFolder()));
    EXPECT_FALSE(KeyExists(HKEY_CURRENT_USER, machineKey));
    EXPECT_EQ(ReadString(HKEY_CURRENT_USER, runKey, L"Kontakta"), std::nullopt);
    EXPECT_FALSE(KeyExists(HKEY_CURRENT_USER, uninstallKey));
    // What belongs to the user stays, as after an uninstallation for all users.
    EXPECT_TRUE(ReadFileBytes(SettingsPath()) == settings) << "the user's settings changed";
    EXPECT_EQ(ReadString(HKEY_CURRENT_USER, userKey, L"UpdateCode"), L"0");
}

TEST_F(Installer, AnInstallationForAllUsersAfterOneForThisUserFindsTheSettingsAndWins)
{
    ASSERT_EQ(InstallForThisUser(StageSetup(true)), std::optional<DWORD>(0));
    const std::wstring userDir = UserInstallDirectory() + L"\\";
    {
        Kontakta first(userDir + L"Kontakta.exe");
        ASSERT_TRUE(StartsWithoutMessage(first));
        CloseCleanly(first);
    }
    const std::string own = SettingsWithSensorOn(6);
    ASSERT_TRUE(WriteFileBytes(SettingsPath(), own));

    // /S alone installs for all users, as it always did.
    ASSERT_EQ(InstallSilently(StageSetup(true)), std::optional<DWORD>(0));
    const std::wstring machineDir = DefaultInstallDirectory() + L"\\";
    EXPECT_EQ(ReadString(HKEY_LOCAL_MACHINE, machineKey, L"Directory"), machineDir);
    EXPECT_EQ(ReadString(HKEY_CURRENT_USER, userKey, L"UpdateCode"), L"0") << "the user's settings would be replaced";
    EXPECT_TRUE(ReadFileBytes(SettingsPath()) == own) << "the user's settings changed";
    EXPECT_EQ(ReadString(HKEY_CURRENT_USER, machineKey, L"Directory"), userDir) << "the user's installation stays";

    // Whichever of the two starts, the machine's folder is the one it reads:
    // asked for the defaults, it copies those of the machine's installation,
    // told apart here by sensor 7.
    const std::string machineDefaults = SettingsWithSensorOn(7);
    ASSERT_TRUE(WriteFileBytes(machineDir + L"o_settings.dat", machineDefaults));
    ASSERT_TRUE(machineDefaults != ReadFileBytes(userDir + L"o_settings.dat"));
    ASSERT_TRUE(WriteString(HKEY_CURRENT_USER, userKey, L"UpdateCode", L"1"));
    Kontakta program(userDir + L"Kontakta.exe");
    ASSERT_TRUE(StartsWithoutMessage(program));
    // Start-up ends by writing "0": the copy is done by then (a tray tip
    // left by the first Kontakta can make the wait above end earlier).
    EXPECT_TRUE(e2e::WaitFor([] { return ReadString(HKEY_CURRENT_USER, userKey, L"UpdateCode") == L"0"; }, 20000));
    const std::string copied = ReadFileBytes(SettingsPath());
    size_t differs = 0;
    while (differs < copied.size() && differs < machineDefaults.size() && copied[differs] == machineDefaults[differs])
        ++differs;
    EXPECT_TRUE(copied == machineDefaults)
        << "not the defaults of the machine's folder: " << copied.size() << " bytes, " << machineDefaults.size()
        << " expected, first difference at " << differs;
    CloseCleanly(program);
}

// The wizard as a carer without administrator rights goes through it: the
// choice comes before anything else is asked, and "Nur für mich
// installieren" leads to the user's own folder.
TEST_F(Installer, TheWizardAsksForWhomBeforeTheFolderAndInstallsOnlyForThisUserWhenChosen)
{
    const std::wstring machineBefore = MachineState();
    Kontakta setup(StageSetup(true));
    ASSERT_TRUE(setup.Start());
    HWND wizard = nullptr;
    ASSERT_TRUE(e2e::WaitFor([&] { return (wizard = WizardOf(setup.Pid())) != nullptr; }, 20000));

    // The welcome, then the choice: for all users where nothing is installed.
    ClickNext(wizard);
    HWND forAll = nullptr, forMe = nullptr;
    ASSERT_TRUE(e2e::WaitFor(
        [&] {
            forAll = FindControl(wizard, L"Button", L"Für alle Benutzer installieren");
            forMe = FindControl(wizard, L"Button", L"Nur für mich installieren");
            return forAll && forMe;
        },
        10000));
    EXPECT_EQ(::SendMessageW(forAll, BM_GETCHECK, 0, 0), BST_CHECKED);
    EXPECT_EQ(::SendMessageW(forMe, BM_GETCHECK, 0, 0), BST_UNCHECKED);
    EXPECT_FALSE(FindControl(wizard, L"Edit", UserInstallDirectory())) << "the folder comes after the choice";

    ::SendMessageW(forMe, BM_CLICK, 0, 0);
    EXPECT_EQ(::SendMessageW(forMe, BM_GETCHECK, 0, 0), BST_CHECKED);
    ClickNext(wizard);
    // The folder page offers the user's own program folder.
    ASSERT_TRUE(e2e::WaitFor([&] { return FindControl(wizard, L"Edit", UserInstallDirectory()) != nullptr; }, 10000))
        << "the folder page does not offer " << Narrow(UserInstallDirectory());
    ClickNext(wizard);

    // Installed: the details stay until the user goes on.
    const std::wstring log = UserInstallDirectory() + L"\\KontaktaSetup.log";
    ASSERT_TRUE(e2e::WaitFor(
        [&] {
            return ReadLog(log).find(L"Installation abgeschlossen.") != std::wstring::npos &&
                   ::IsWindowEnabled(::GetDlgItem(wizard, IDOK));
        },
        30000));
    ClickNext(wizard);
    // The last page's "Kontakta jetzt starten" (with its access key) is left unticked.
    HWND start = nullptr;
    ASSERT_TRUE(
        e2e::WaitFor([&] { return (start = FindControl(wizard, L"Button", L"Kontakta jetzt &starten")) != nullptr; },
                     10000));
    if (::SendMessageW(start, BM_GETCHECK, 0, 0) == BST_CHECKED) ::SendMessageW(start, BM_CLICK, 0, 0);
    ClickNext(wizard);
    ASSERT_EQ(setup.WaitForExit(15000), std::optional<DWORD>(0));

    const std::wstring dir = UserInstallDirectory() + L"\\";
    EXPECT_TRUE(FileExists(dir + L"Kontakta.exe"));
    EXPECT_EQ(ReadString(HKEY_CURRENT_USER, machineKey, L"Directory"), dir);
    EXPECT_EQ(ReadString(HKEY_CURRENT_USER, runKey, L"Kontakta"), L"\"" + dir + L"Kontakta.exe\"");
    EXPECT_EQ(ReadString(HKEY_CURRENT_USER, userKey, L"UpdateCode"), L"1");
    EXPECT_EQ(MachineState(), machineBefore) << "the installation for this user wrote for the machine";
}

}  // namespace
