// KontaktaUserSetup.exe: the per-user step of the installation. Windows runs it
// once for every user at logon (Active Setup), and the setup runs it at once
// for the user who installs. It prepares what Kontakta expects of a user and
// never creates itself: the folder "<Documents>\Kontakta User Files\" and the
// key HKCU Software\KORVA\Kontakta with "UpdateCode" (see UserSetupDecision.h).
// It never touches settings.dat, shows no window and tells its result only by
// its exit code (usersetup::ExitCode).
#include <windows.h>
#include <shlobj.h>

#include <string>

#include "texts/Texts.h"
#include "settings/SettingsFile.h"
#include "setup/UserSetupDecision.h"

namespace {

using namespace usersetup;

static_assert(uint32_t(ValueType::String) == REG_SZ && uint32_t(ValueType::ExpandString) == REG_EXPAND_SZ &&
                  uint32_t(ValueType::Binary) == REG_BINARY && uint32_t(ValueType::Number) == REG_DWORD &&
                  uint32_t(ValueType::MultiString) == REG_MULTI_SZ && uint32_t(ValueType::Number64) == REG_QWORD,
              "the value types carry the numbers Windows gives them");

std::wstring Wide(const std::u16string& text) { return std::wstring(text.begin(), text.end()); }

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

StoredValue ReadStoredValue(HKEY key, const wchar_t* name)
{
    StoredValue value;
    DWORD type = 0;
    DWORD bytes = 0;
    // Without a buffer the call reports the type and the whole size.
    if (::RegQueryValueExW(key, name, nullptr, &type, nullptr, &bytes) == ERROR_SUCCESS) {
        value.exists = true;
        value.type = type;
        value.bytes = bytes;
    }
    return value;
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
    const std::wstring userFiles = Wide(texts::UserFilesDirectoryFor(std::u16string(documents.begin(), documents.end())));
    if (!MakeFolder(userFiles)) return UserFolderNotCreated;

    const SettingsFile settingsFile = SettingsFileState(userFiles + Wide(settingsFileName));
    // Nothing is known about the user's file: leave the registry alone rather
    // than guess (see DecideUpdateCode).
    if (settingsFile == SettingsFile::Unknown) return SettingsFileUnknown;

    const std::wstring keyPath = Wide(texts::UserKeyPath());
    HKEY key = nullptr;
    DWORD disposition = 0;
    if (::RegCreateKeyExW(HKEY_CURRENT_USER, keyPath.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE,
                          KEY_QUERY_VALUE | KEY_SET_VALUE, nullptr, &key, &disposition) != ERROR_SUCCESS)
        return UserKeyNotOpened;

    const bool programFindsValue = ProgramFindsValue(ReadStoredValue(key, L"UpdateCode"));
    bool written = true;
    switch (DecideUpdateCode(settingsFile, programFindsValue)) {
    case UpdateCodeChange::WriteOne:
        written = WriteString(key, L"UpdateCode", L"1");
        break;
    case UpdateCodeChange::WriteZero:
        written = WriteString(key, L"UpdateCode", L"0");
        break;
    case UpdateCodeChange::Leave:
    case UpdateCodeChange::GiveUp:
        break;
    }
    ::RegCloseKey(key);
    if (written) return Done;
    // A key of ours without a value would make the program copy the defaults
    // over a file it has: take it away again; without a key it copies nothing.
    if (disposition == REG_CREATED_NEW_KEY) ::RegDeleteKeyW(HKEY_CURRENT_USER, keyPath.c_str());
    return UpdateCodeNotWritten;
}

}  // namespace

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) { return PrepareUser(); }
