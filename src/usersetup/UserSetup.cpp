// KontaktaUserSetup.exe: the per-user step of the installation. Windows runs it
// once for every user at logon (Active Setup). It prepares what Kontakta
// expects of a user and never creates itself: the folder "<Documents>\Kontakta
// User Files\" and the key HKCU Software\KORVA\Kontakta with "UpdateCode" (see
// UserSetupDecision.h). It never touches settings.dat.
//
// The setup, which runs elevated, calls it in two more ways, for the user at
// the desktop of its session (who is not the setup's user when an
// administrator typed a password for them):
//   /desktop  the step for the desktop user: here, or as that user (see
//             DecideWhomToPrepare);
//   /start    Kontakta.exe, beside this program, started for the desktop
//             user, unelevated.
// An installation for a single user has no Active Setup (its entry lives in
// HKLM): its setup, which runs as that user, runs the step without arguments
// itself.
// It shows no window and tells its result only by its exit code
// (usersetup::ExitCode). A step that failed at logon leaves Active Setup's
// mark unset, so that the next logon tries again:
//   /unmark   started by the failed step: removes the mark once Active Setup
//             has set it (see UnmarkWhenMarked).
#include <windows.h>
#include <shlobj.h>

#include <optional>
#include <string>
#include <vector>

#include "settings/RegistryValues.h"
#include "settings/SettingsFile.h"
#include "settings/Win32Registry.h"
#include "usersetup/UserSetupDecision.h"
#include "texts/Texts.h"
#include "win/Handle.h"

using namespace kontakta;

namespace {

using namespace usersetup;

static_assert(uint32_t(RegistryType::String) == REG_SZ && uint32_t(RegistryType::ExpandString) == REG_EXPAND_SZ &&
                  uint32_t(RegistryType::Binary) == REG_BINARY && uint32_t(RegistryType::Number) == REG_DWORD &&
                  uint32_t(RegistryType::MultiString) == REG_MULTI_SZ && uint32_t(RegistryType::Number64) == REG_QWORD,
              "the value types carry the numbers Windows gives them");

std::wstring Wide(const std::u16string& text)
{
    return std::wstring(text.begin(), text.end());
}

// Documents as the shell names it, with the call the program makes, so a
// redirected Documents folder is the one both of them use. Unlike the program
// it has the shell make the folder if it is not there yet (a new user, a new
// redirection): the program would not start without it.
bool DocumentsFolder(std::wstring& folder)
{
    wchar_t path[MAX_PATH] = {};
    if (!::SHGetSpecialFolderPathW(nullptr, path, CSIDL_PERSONAL, TRUE)) return false;
    folder = path;
    return !folder.empty();
}

bool IsFolder(const std::wstring& path)
{
    const DWORD attributes = ::GetFileAttributesW(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

// Makes the folder and any missing parent (a redirected Documents folder may
// not exist yet for a new user).
bool MakeFolder(std::wstring folder)
{
    while (folder.size() > 3 && folder.back() == L'\\') folder.pop_back();
    if (IsFolder(folder)) return true;
    ::SHCreateDirectoryExW(nullptr, folder.c_str(), nullptr);
    return IsFolder(folder);
}

SettingsFile SettingsFileState(const std::wstring& path)
{
    if (::GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES) return SettingsFile::Present;
    const DWORD error = ::GetLastError();
    return error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND ? SettingsFile::Missing
                                                                          : SettingsFile::Unknown;
}

bool WriteString(HKEY key, const wchar_t* name, const wchar_t* text)
{
    const DWORD bytes = static_cast<DWORD>((wcslen(text) + 1) * sizeof(wchar_t));
    return ::RegSetValueExW(key, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(text), bytes) == ERROR_SUCCESS;
}

int PrepareUser()
{
    std::wstring documents;
    if (!DocumentsFolder(documents)) return NoDocumentsFolder;
    const std::wstring userFiles =
        Wide(texts::UserFilesDirectoryFor(std::u16string(documents.begin(), documents.end())));
    if (!MakeFolder(userFiles)) return UserFolderNotCreated;

    const SettingsFile settingsFile = SettingsFileState(userFiles + Wide(settingsFileName));
    // Nothing is known about the user's file: leave the registry alone rather
    // than guess (see DecideUpdateCode).
    if (settingsFile == SettingsFile::Unknown) return SettingsFileUnknown;

    const std::wstring keyPath = Wide(texts::UserKeyPath());
    win::RegistryKey key;
    DWORD disposition = 0;
    if (::RegCreateKeyExW(HKEY_CURRENT_USER, keyPath.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE,
                          KEY_QUERY_VALUE | KEY_SET_VALUE, nullptr, key.Put(), &disposition) != ERROR_SUCCESS)
        return UserKeyNotOpened;

    // The program's own judgement of the value: whether it finds one at all.
    const bool programFindsValue = UpdateCodeMeaning(ReadRegistryValue(key.Get(), L"UpdateCode")).present;
    bool written = true;
    switch (DecideUpdateCode(settingsFile, programFindsValue)) {
    case UpdateCodeChange::WriteOne: written = WriteString(key.Get(), L"UpdateCode", L"1"); break;
    case UpdateCodeChange::WriteZero: written = WriteString(key.Get(), L"UpdateCode", L"0"); break;
    case UpdateCodeChange::Leave:
    case UpdateCodeChange::GiveUp: break;
    }
    key.Reset();
    if (written) return Done;
    // A key of ours without a value would make the program copy the defaults
    // over a file it has: take it away again; without a key it copies nothing.
    if (disposition == REG_CREATED_NEW_KEY) ::RegDeleteKeyW(HKEY_CURRENT_USER, keyPath.c_str());
    return UpdateCodeNotWritten;
}

// This program's folder, with a backslash.
std::wstring ThisFolder()
{
    wchar_t path[MAX_PATH] = {};
    const DWORD length = ::GetModuleFileNameW(nullptr, path, MAX_PATH);
    std::wstring folder(path, length < MAX_PATH ? length : 0);
    return folder.substr(0, folder.find_last_of(L'\\') + 1);
}

void EnablePrivilege(const wchar_t* name)
{
    HANDLE token = nullptr;
    if (!::OpenProcessToken(::GetCurrentProcess(), TOKEN_ADJUST_PRIVILEGES | TOKEN_QUERY, &token)) return;
    const win::Handle owned(token);
    TOKEN_PRIVILEGES privileges{};
    privileges.PrivilegeCount = 1;
    privileges.Privileges[0].Attributes = SE_PRIVILEGE_ENABLED;
    if (::LookupPrivilegeValueW(nullptr, name, &privileges.Privileges[0].Luid))
        ::AdjustTokenPrivileges(token, FALSE, &privileges, 0, nullptr, nullptr);
}

// The TOKEN_USER of a token, in a buffer of its own; empty if unreadable.
std::vector<BYTE> UserOfToken(HANDLE token)
{
    DWORD size = 0;
    ::GetTokenInformation(token, ::TokenUser, nullptr, 0, &size);
    std::vector<BYTE> user(size);
    if (size == 0 || !::GetTokenInformation(token, ::TokenUser, user.data(), size, &size)) user.clear();
    return user;
}

struct Desktop {
    DesktopUser user = DesktopUser::NoShell;
    win::Handle token;  // a primary token of the desktop's shell, when there is one
};

// The user at the desktop of this session is the one its shell (Explorer)
// runs as: the owner of the desktop window, or of the taskbar where no
// desktop window is registered (Wine). The shell runs unelevated, so its
// token is the desktop user's without administrator rights.
Desktop FindDesktop()
{
    Desktop desktop;
    HWND shell = ::GetShellWindow();
    if (!shell) shell = ::FindWindowW(L"Shell_TrayWnd", nullptr);
    DWORD processId = 0;
    if (!shell || !::GetWindowThreadProcessId(shell, &processId) || processId == 0) return desktop;

    desktop.user = DesktopUser::Unreadable;
    win::Handle process(::OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, processId));
    if (!process) {
        // Another user's process grants an administrator nothing; the debug
        // privilege, which an elevated administrator holds, opens it.
        EnablePrivilege(SE_DEBUG_NAME);
        process = win::Handle(::OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, processId));
    }
    HANDLE shellToken = nullptr;
    if (!process || !::OpenProcessToken(process.Get(), TOKEN_DUPLICATE | TOKEN_QUERY, &shellToken)) return desktop;
    const win::Handle ownedShellToken(shellToken);
    HANDLE primary = nullptr;
    if (!::DuplicateTokenEx(shellToken,
                            TOKEN_QUERY | TOKEN_ASSIGN_PRIMARY | TOKEN_DUPLICATE | TOKEN_ADJUST_DEFAULT |
                                TOKEN_ADJUST_SESSIONID,
                            nullptr, SecurityImpersonation, TokenPrimary, &primary))
        return desktop;
    win::Handle token(primary);

    HANDLE ownToken = nullptr;
    if (!::OpenProcessToken(::GetCurrentProcess(), TOKEN_QUERY, &ownToken)) return desktop;
    const win::Handle ownedOwnToken(ownToken);
    std::vector<BYTE> shellUser = UserOfToken(token.Get());
    std::vector<BYTE> ownUser = UserOfToken(ownToken);
    if (shellUser.empty() || ownUser.empty()) return desktop;
    const bool same = ::EqualSid(reinterpret_cast<TOKEN_USER*>(shellUser.data())->User.Sid,
                                 reinterpret_cast<TOKEN_USER*>(ownUser.data())->User.Sid) != FALSE;
    desktop.user = same ? DesktopUser::Same : DesktopUser::Other;
    desktop.token = std::move(token);
    return desktop;
}

// Starts a program with the desktop shell's token: in that user's session
// and profile, unelevated. CreateProcessWithTokenW needs the impersonation
// privilege, which an elevated administrator holds, and the Secondary Logon
// service. The process handle, or none.
std::optional<win::ProcessInformation> StartAs(const Desktop& desktop, const std::wstring& program)
{
    if (!desktop.token) return std::nullopt;
    EnablePrivilege(SE_IMPERSONATE_NAME);
    std::wstring commandLine = L"\"" + program + L"\"";
    const std::wstring folder = ThisFolder();
    wchar_t interactiveDesktop[] = L"winsta0\\default";
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    startup.lpDesktop = interactiveDesktop;
    win::ProcessInformation started;
    if (!::CreateProcessWithTokenW(desktop.token.Get(), LOGON_WITH_PROFILE, program.c_str(), commandLine.data(), 0,
                                   nullptr, folder.c_str(), &startup, started.Put()))
        return std::nullopt;
    return started;
}

// The key of Kontakta's per-user step that the setup writes under
// HKLM\Software\Microsoft\Active Setup\Installed Components (installer/
// Kontakta.nsi, ACTIVE_SETUP_GUID); Active Setup keeps its mark under the
// same path in HKCU.
constexpr wchar_t activeSetupKey[] =
    L"Software\\Microsoft\\Active Setup\\Installed Components\\{7B1D3A30-4D50-434B-B790-6B64FD25BD08}";

std::optional<std::wstring> ReadVersion(HKEY root)
{
    wchar_t version[64] = {};
    DWORD bytes = sizeof version - sizeof(wchar_t);
    DWORD type = 0;
    if (::RegGetValueW(root, activeSetupKey, L"Version", RRF_RT_REG_SZ, &type, version, &bytes) != ERROR_SUCCESS)
        return std::nullopt;
    return std::wstring(version);
}

// Active Setup compares the "Version" of a component in HKLM with the one in
// the user's HKCU and runs StubPath when the user's is missing or lower. Its
// exit code counts for nothing, as Microsoft describes the order: "If the
// HKCU key is not found in the registry then the contents of the string
// value StubPath is executed. The HKLM key is then copied to HKCU." (Active
// Setup is not documented as an API; this is the description on Microsoft's
// own blog archive, "Active Setup Registry Key : What it is and how to
// create in the package using Admin Studio Install Shield",
// docs.microsoft.com/en-us/archive/blogs/aruns_blog/.) So a step that failed
// would count as done for this version and never run again for the user.
// The failed step cannot stop the copy that follows its end; this helper,
// started by it, waits until the mark is the machine's version, as Active
// Setup leaves it, and removes it: without a mark the next logon runs the
// step again, as the setup's own immediate step leaves it. A mark already in
// place before the step ended is removed at once. Nothing is waited for
// without a component in HKLM; after a minute the helper gives up (the copy
// comes right after the step's end).
int UnmarkWhenMarked()
{
    const std::optional<std::wstring> machine = ReadVersion(HKEY_LOCAL_MACHINE);
    if (!machine) return Done;
    const ULONGLONG deadline = ::GetTickCount64() + 60000;
    do {
        if (ReadVersion(HKEY_CURRENT_USER) == machine) {
            ::RegDeleteKeyW(HKEY_CURRENT_USER, activeSetupKey);
            return Done;
        }
        ::Sleep(200);
    } while (::GetTickCount64() < deadline);
    return Done;
}

// Starts the helper above beside this process, which then ends with its
// failure. Out of the job of whoever started this one where the job lets
// it, so that nobody who waits for the step's processes waits for it.
void StartUnmarking()
{
    const std::wstring program = ThisFolder() + L"KontaktaUserSetup.exe";
    std::wstring commandLine = L"\"" + program + L"\" /unmark";
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    win::ProcessInformation started;
    for (const DWORD flags : {DWORD(CREATE_BREAKAWAY_FROM_JOB | DETACHED_PROCESS), DWORD(DETACHED_PROCESS)}) {
        if (::CreateProcessW(program.c_str(), commandLine.data(), nullptr, nullptr, FALSE, flags, nullptr, nullptr,
                             &startup, started.Put()))
            return;  // it runs on by itself; its handles close here
    }
}

// The step as Active Setup runs it at logon, and as the setup runs it for a
// desktop user who is not the setup's own (whose mark for this version, if
// any, goes on a failure too).
int PrepareUserAtLogon()
{
    const int result = PrepareUser();
    if (result != Done) StartUnmarking();
    return result;
}

// /desktop: the step for the user at the desktop.
int PrepareDesktopUser()
{
    const Desktop desktop = FindDesktop();
    switch (DecideWhomToPrepare(desktop.user)) {
    case PrepareWhom::ThisUser: return PrepareUser();
    case PrepareWhom::DesktopUser: break;
    case PrepareWhom::Nobody: return DesktopUserNotReached;
    }
    const std::optional<win::ProcessInformation> step = StartAs(desktop, ThisFolder() + L"KontaktaUserSetup.exe");
    DWORD exitCode = 0;
    if (!step || ::WaitForSingleObject(step->Process(), 60000) != WAIT_OBJECT_0 ||
        !::GetExitCodeProcess(step->Process(), &exitCode))
        return DesktopUserNotReached;
    return exitCode == Done ? DesktopUserPrepared : static_cast<int>(exitCode);
}

// /start: Kontakta for the user at the desktop, never with the setup's rights.
int StartKontakta()
{
    const Desktop desktop = FindDesktop();
    const std::wstring kontakta = ThisFolder() + L"Kontakta.exe";
    if (StartAs(desktop, kontakta)) return Done;
    if (desktop.user != DesktopUser::Same) return KontaktaNotStarted;
    // Without the Secondary Logon service (hardened systems turn it off) the
    // shell can still start it for its own user: Explorer, started with a
    // file, hands it to the Explorer that already runs in the session, which
    // opens it unelevated. Only for the setup's own user: for another one it
    // could run Kontakta as the administrator.
    wchar_t windows[MAX_PATH] = {};
    const UINT length = ::GetWindowsDirectoryW(windows, MAX_PATH);
    if (length == 0 || length >= MAX_PATH) return KontaktaNotStarted;
    const std::wstring explorer = std::wstring(windows) + L"\\explorer.exe";
    std::wstring commandLine = L"\"" + explorer + L"\" \"" + kontakta + L"\"";
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    win::ProcessInformation started;
    if (!::CreateProcessW(explorer.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                          started.Put()))
        return KontaktaNotStarted;
    return Done;
}

}  // namespace

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR commandLine, int)
{
    const std::wstring arguments = commandLine ? commandLine : L"";
    if (::CompareStringOrdinal(arguments.c_str(), -1, L"/desktop", -1, TRUE) == CSTR_EQUAL) return PrepareDesktopUser();
    if (::CompareStringOrdinal(arguments.c_str(), -1, L"/start", -1, TRUE) == CSTR_EQUAL) return StartKontakta();
    if (::CompareStringOrdinal(arguments.c_str(), -1, L"/unmark", -1, TRUE) == CSTR_EQUAL) return UnmarkWhenMarked();
    return PrepareUserAtLogon();
}
