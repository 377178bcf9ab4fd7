// The setup started without administrator rights, as Windows starts an
// administrator's program without elevation: with a token in which the group
// Administrators only denies. Wine has no UAC prompt; what it shows is the
// setup's own decision to start itself again for an installation for all
// users, and the exit code it hands on.
#include "InstallerScenarioSupport.h"
#include "win/Handle.h"

using namespace installertest;

namespace {

// Runs a command line with the group Administrators made deny-only, and
// waits until it and every process it started have ended. The exit code and
// how many processes ran in all, none on time-out or when the token could
// not be made.
struct Ended {
    DWORD exitCode;
    DWORD processes;
};
std::optional<Ended> RunWithoutAdministratorRights(const std::wstring& commandLine)
{
    HANDLE own = nullptr;
    if (!::OpenProcessToken(::GetCurrentProcess(), TOKEN_ALL_ACCESS, &own)) return std::nullopt;
    const win::Handle ownToken(own);
    BYTE sid[SECURITY_MAX_SID_SIZE];
    DWORD sidSize = sizeof sid;
    if (!::CreateWellKnownSid(WinBuiltinAdministratorsSid, nullptr, sid, &sidSize)) return std::nullopt;
    SID_AND_ATTRIBUTES denied{sid, 0};
    HANDLE restricted = nullptr;
    if (!::CreateRestrictedToken(own, 0, 1, &denied, 0, nullptr, 0, nullptr, &restricted)) return std::nullopt;
    const win::Handle restrictedToken(restricted);

    const win::Handle job(::CreateJobObjectW(nullptr, nullptr));
    std::wstring line = commandLine;
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    win::ProcessInformation info;
    if (!job || !::CreateProcessAsUserW(restricted, nullptr, line.data(), nullptr, nullptr, FALSE, CREATE_SUSPENDED,
                                        nullptr, L"C:\\", &startup, info.Put()))
        return std::nullopt;
    ::AssignProcessToJobObject(job.Get(), info.Process());
    ::ResumeThread(info.Thread());
    info.CloseThread();
    JOBOBJECT_BASIC_ACCOUNTING_INFORMATION accounting{};
    const bool ended = e2e::WaitFor(
        [&] {
            return ::QueryInformationJobObject(job.Get(), JobObjectBasicAccountingInformation, &accounting,
                                               sizeof accounting, nullptr) &&
                   accounting.ActiveProcesses == 0;
        },
        90000);
    DWORD code = 0;
    ::GetExitCodeProcess(info.Process(), &code);
    if (!ended) return std::nullopt;
    return Ended{code, accounting.TotalProcesses};
}

TEST_F(Installer, WithoutAdministratorRightsForThisUserItInstallsAndForAllUsersItAsksOnceAndHandsOnTheRefusal)
{
    // For this user: installed, nothing for the machine.
    std::optional<Ended> ended = RunWithoutAdministratorRights(L"\"" + StageSetup(true) + L"\" /S /CURRENTUSER");
    ASSERT_TRUE(ended.has_value());
    EXPECT_EQ(ended->exitCode, 0u);
    EXPECT_NE(ReadString(HKEY_CURRENT_USER, machineKey, L"Directory")
                  .value_or(L"")
                  .find(L"\\AppData\\Local\\Programs\\KORVA\\Kontakta\\"),
              std::wstring::npos);
    EXPECT_FALSE(KeyExists(HKEY_LOCAL_MACHINE, L"Software\\KORVA"));
    EXPECT_FALSE(KeyExists(HKEY_LOCAL_MACHINE, uninstallKey));

    // For all users: the setup starts itself once more, elevated on Windows.
    // Wine starts that copy with the same rights, so it refuses (740) as a
    // copy that was refused the rights does, without asking again, and the
    // first setup ends with its exit code. Nothing else runs before the
    // installation, so the one more process is that copy.
    ended = RunWithoutAdministratorRights(L"\"" + StageSetup(true) + L"\" /S");
    ASSERT_TRUE(ended.has_value());
    EXPECT_EQ(ended->exitCode, 740u);
    EXPECT_EQ(ended->processes, 2u) << "the setup did not start itself again exactly once";
    EXPECT_FALSE(KeyExists(HKEY_LOCAL_MACHINE, L"Software\\KORVA"));
    EXPECT_FALSE(FileExists(DefaultInstallDirectory()));
}

TEST_F(Installer, WithoutAdministratorRightsTheUninstallerForThisUserRunsAndTheOneForAllUsersAsksOnce)
{
    // The uninstaller hands over to a copy of itself in the temporary folder.
    const std::optional<Ended> installed =
        RunWithoutAdministratorRights(L"\"" + StageSetup(true) + L"\" /S /CURRENTUSER");
    ASSERT_TRUE(installed.has_value());
    ASSERT_EQ(installed->exitCode, 0u);
    const std::optional<std::wstring> forMe = ReadString(HKEY_CURRENT_USER, uninstallKey, L"QuietUninstallString");
    ASSERT_TRUE(forMe.has_value());
    std::optional<Ended> ended = RunWithoutAdministratorRights(Expand(*forMe));
    ASSERT_TRUE(ended.has_value());
    EXPECT_EQ(ended->processes, 2u) << "the uninstaller for this user asked for rights";
    EXPECT_FALSE(KeyExists(HKEY_CURRENT_USER, uninstallKey));
    EXPECT_FALSE(KeyExists(HKEY_CURRENT_USER, machineKey));

    // For all users: its copy starts itself once more, and without the
    // rights (as in Wine) nothing is removed.
    ASSERT_EQ(InstallSilently(StageSetup(true)), std::optional<DWORD>(0));
    const std::optional<std::wstring> forAll = ReadString(HKEY_LOCAL_MACHINE, uninstallKey, L"QuietUninstallString");
    ASSERT_TRUE(forAll.has_value());
    ended = RunWithoutAdministratorRights(Expand(*forAll));
    ASSERT_TRUE(ended.has_value());
    EXPECT_EQ(ended->processes, 3u) << "the uninstaller for all users did not start itself again exactly once";
    EXPECT_TRUE(KeyExists(HKEY_LOCAL_MACHINE, uninstallKey));
    EXPECT_TRUE(FileExists(DefaultInstallDirectory() + L"\\Kontakta.exe"));
}

}  // namespace
