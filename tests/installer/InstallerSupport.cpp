#include "InstallerSupport.h"

#include <shellapi.h>
#include <shlobj.h>

#include <algorithm>
#include <cstring>
#include <filesystem>

#include "E2eSupport.h"
#include "win/Handle.h"

namespace installertest {

namespace {

std::wstring Environment(const wchar_t* name)
{
    wchar_t value[1024] = {};
    const DWORD length = ::GetEnvironmentVariableW(name, value, 1024);
    return length > 0 && length < 1024 ? std::wstring(value, length) : std::wstring();
}

// The 64-bit view, as the setup writes it; this test program is 64-bit too.
constexpr REGSAM view = KEY_WOW64_64KEY;

using Key = win::RegistryKey;

bool Open(HKEY root, const std::wstring& path, REGSAM access, Key& key)
{
    return ::RegOpenKeyExW(root, path.c_str(), 0, access | view, key.Put()) == ERROR_SUCCESS;
}

}  // namespace

std::wstring DefaultInstallDirectory()
{
    return L"C:\\Program Files\\KORVA\\Kontakta";
}

std::wstring BuiltSetup()
{
    return Environment(L"KONTAKTA_SETUP");
}
std::wstring KitStandIn()
{
    return Environment(L"KONTAKTA_KIT_STANDIN");
}
std::wstring BuiltFile(const std::wstring& name)
{
    return testsupport::ProgramDirectory() + name;
}

std::wstring StageSetup(bool withKitLibrary, const std::optional<std::string>& kitLibrary)
{
    static int staged = 0;
    const std::wstring folder = L"C:\\Download" + std::to_wstring(++staged) + L"\\";
    std::filesystem::create_directories(std::filesystem::path(folder));
    const std::wstring setup = folder + L"KontaktaSetup.exe";
    ::CopyFileW(BuiltSetup().c_str(), setup.c_str(), FALSE);
    if (kitLibrary)
        WriteFileBytes(folder + L"iowkit.dll", *kitLibrary);
    else if (withKitLibrary)
        ::CopyFileW(KitStandIn().c_str(), (folder + L"iowkit.dll").c_str(), FALSE);
    return setup;
}

std::optional<DWORD> RunProcessToEnd(const std::wstring& commandLine, DWORD milliseconds)
{
    std::wstring line = commandLine;
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    win::ProcessInformation info;
    if (!::CreateProcessW(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr, L"C:\\", &startup, info.Put()))
        return std::nullopt;
    info.CloseThread();
    const bool ended =
        e2e::WaitFor([&] { return ::WaitForSingleObject(info.Process(), 0) == WAIT_OBJECT_0; }, milliseconds);
    DWORD code = 0;
    ::GetExitCodeProcess(info.Process(), &code);
    if (!ended) return std::nullopt;
    return code;
}

std::optional<DWORD> RunToEnd(const std::wstring& commandLine, DWORD milliseconds)
{
    const win::Handle job(::CreateJobObjectW(nullptr, nullptr));
    if (!job) return std::nullopt;
    std::wstring line = commandLine;
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    win::ProcessInformation info;
    if (!::CreateProcessW(nullptr, line.data(), nullptr, nullptr, FALSE, CREATE_SUSPENDED, nullptr, L"C:\\", &startup,
                          info.Put()))
        return std::nullopt;
    ::AssignProcessToJobObject(job.Get(), info.Process());
    ::ResumeThread(info.Thread());
    info.CloseThread();
    const bool ended = e2e::WaitFor(
        [&] {
            JOBOBJECT_BASIC_ACCOUNTING_INFORMATION accounting{};
            if (!::QueryInformationJobObject(job.Get(), JobObjectBasicAccountingInformation, &accounting,
                                             sizeof accounting, nullptr))
                return ::WaitForSingleObject(info.Process(), 0) == WAIT_OBJECT_0;
            return accounting.ActiveProcesses == 0;
        },
        milliseconds);
    DWORD code = 0;
    ::GetExitCodeProcess(info.Process(), &code);
    if (!ended) return std::nullopt;
    return code;
}

bool KeyExists(HKEY root, const std::wstring& key)
{
    Key opened;
    return Open(root, key, KEY_READ, opened);
}

std::optional<std::string> ReadRaw(HKEY root, const std::wstring& key, const std::wstring& name)
{
    Key opened;
    if (!Open(root, key, KEY_QUERY_VALUE, opened)) return std::nullopt;
    DWORD type = 0;
    DWORD bytes = 0;
    if (::RegQueryValueExW(opened.Get(), name.c_str(), nullptr, &type, nullptr, &bytes) != ERROR_SUCCESS)
        return std::nullopt;
    std::string data(bytes, '\0');
    if (::RegQueryValueExW(opened.Get(), name.c_str(), nullptr, &type, reinterpret_cast<BYTE*>(data.data()), &bytes) !=
        ERROR_SUCCESS)
        return std::nullopt;
    data.resize(bytes);
    return std::to_string(type) + ":" + data;
}

std::optional<DWORD> ValueType(HKEY root, const std::wstring& key, const std::wstring& name)
{
    Key opened;
    if (!Open(root, key, KEY_QUERY_VALUE, opened)) return std::nullopt;
    DWORD type = 0;
    if (::RegQueryValueExW(opened.Get(), name.c_str(), nullptr, &type, nullptr, nullptr) != ERROR_SUCCESS)
        return std::nullopt;
    return type;
}

std::optional<std::wstring> ReadString(HKEY root, const std::wstring& key, const std::wstring& name)
{
    Key opened;
    if (!Open(root, key, KEY_QUERY_VALUE, opened)) return std::nullopt;
    DWORD type = 0;
    DWORD bytes = 0;
    if (::RegQueryValueExW(opened.Get(), name.c_str(), nullptr, &type, nullptr, &bytes) != ERROR_SUCCESS)
        return std::nullopt;
    if (type != REG_SZ && type != REG_EXPAND_SZ) return std::nullopt;
    std::wstring text(bytes / sizeof(wchar_t) + 1, L'\0');
    if (::RegQueryValueExW(opened.Get(), name.c_str(), nullptr, &type, reinterpret_cast<BYTE*>(text.data()), &bytes) !=
        ERROR_SUCCESS)
        return std::nullopt;
    text.resize(wcsnlen(text.c_str(), bytes / sizeof(wchar_t)));
    return text;
}

std::optional<DWORD> ReadNumber(HKEY root, const std::wstring& key, const std::wstring& name)
{
    Key opened;
    if (!Open(root, key, KEY_QUERY_VALUE, opened)) return std::nullopt;
    DWORD type = 0;
    DWORD number = 0;
    DWORD bytes = sizeof number;
    if (::RegQueryValueExW(opened.Get(), name.c_str(), nullptr, &type, reinterpret_cast<BYTE*>(&number), &bytes) !=
            ERROR_SUCCESS ||
        type != REG_DWORD)
        return std::nullopt;
    return number;
}

bool WriteValue(HKEY root, const std::wstring& key, const std::wstring& name, DWORD type, const void* data, DWORD bytes)
{
    Key created;
    if (::RegCreateKeyExW(root, key.c_str(), 0, nullptr, 0, KEY_SET_VALUE | view, nullptr, created.Put(), nullptr) !=
        ERROR_SUCCESS)
        return false;
    return ::RegSetValueExW(created.Get(), name.c_str(), 0, type, static_cast<const BYTE*>(data), bytes) ==
           ERROR_SUCCESS;
}

bool WriteString(HKEY root, const std::wstring& key, const std::wstring& name, const std::wstring& value, DWORD type)
{
    return WriteValue(root, key, name, type, value.c_str(), static_cast<DWORD>((value.size() + 1) * sizeof(wchar_t)));
}

void DeleteValue(HKEY root, const std::wstring& key, const std::wstring& name)
{
    Key opened;
    if (Open(root, key, KEY_SET_VALUE, opened)) ::RegDeleteValueW(opened.Get(), name.c_str());
}

void DeleteKeyTree(HKEY root, const std::wstring& key)
{
    ::RegDeleteTreeW(root, key.c_str());
}

bool IsDirectory(const std::wstring& path)
{
    const DWORD attributes = ::GetFileAttributesW(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

std::optional<FILETIME> LastWriteTime(const std::wstring& path)
{
    WIN32_FILE_ATTRIBUTE_DATA data{};
    if (!::GetFileAttributesExW(path.c_str(), GetFileExInfoStandard, &data)) return std::nullopt;
    return data.ftLastWriteTime;
}

bool SetLastWriteTime(const std::wstring& path, const FILETIME& time)
{
    const win::File file(::CreateFileW(path.c_str(), FILE_WRITE_ATTRIBUTES, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                       OPEN_EXISTING, 0, nullptr));
    if (!file) return false;
    const BOOL set = ::SetFileTime(file.Get(), nullptr, nullptr, &time);
    return set != FALSE;
}

bool Later(const FILETIME& a, const FILETIME& b)
{
    return ::CompareFileTime(&a, &b) > 0;
}

std::wstring ReadLog(const std::wstring& path)
{
    const std::string bytes = ReadFileBytes(path);
    std::wstring text(bytes.size() / sizeof(wchar_t), L'\0');
    if (!text.empty()) std::memcpy(text.data(), bytes.data(), text.size() * sizeof(wchar_t));
    if (!text.empty() && text[0] == 0xFEFF) text.erase(0, 1);
    return text;
}

void RemoveTree(const std::wstring& path)
{
    std::error_code ignored;
    std::filesystem::remove_all(std::filesystem::path(path), ignored);
}

std::wstring DocumentsFolder()
{
    wchar_t documents[MAX_PATH] = {};
    ::SHGetSpecialFolderPathW(nullptr, documents, CSIDL_PERSONAL, FALSE);
    return documents;
}

std::wstring UserFilesDirectory()
{
    return DocumentsFolder() + L"\\Kontakta User Files\\";
}
std::wstring SettingsPath()
{
    return UserFilesDirectory() + L"settings.dat";
}

std::wstring TempFolder()
{
    wchar_t temp[MAX_PATH] = {};
    ::GetTempPathW(MAX_PATH, temp);
    return temp;
}

std::string SettingsWithSensorOn(int sensor)
{
    std::string bytes = ReadFileBytes(BuiltFile(L"o_settings.dat"));
    const size_t enabledFlag = 4 + 628 * size_t(sensor - 1);  // first field of the sensor's record
    if (bytes.size() > enabledFlag) bytes[enabledFlag] = 1;
    return bytes;
}

std::wstring Expand(const std::wstring& command)
{
    wchar_t expanded[2048] = {};
    const DWORD length = ::ExpandEnvironmentStringsW(command.c_str(), expanded, 2048);
    return length > 0 && length <= 2048 ? std::wstring(expanded) : command;
}

}  // namespace installertest
