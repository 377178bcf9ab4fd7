// The per-user step KontaktaUserSetup.exe of this build, run as Active Setup
// runs it, against what a user may already have: the settings file, the key,
// the "UpdateCode" value in every form, a redirected Documents folder. And
// what the built programs say about themselves.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstdint>
#include <cwchar>
#include <cstring>
#include <string>
#include <vector>

#include "InstallerSupport.h"

using namespace installertest;

namespace {

std::optional<DWORD> RunUserSetup()
{
    return RunToEnd(L"\"" + BuiltFile(L"KontaktaUserSetup.exe") + L"\"", 30000);
}

struct StoredUpdateCode {
    const char* what;
    DWORD type;
    std::wstring text;  // for string types
    DWORD number;       // for REG_DWORD
};

void Store(const StoredUpdateCode& value)
{
    if (value.type == REG_DWORD) {
        ASSERT_TRUE(
            WriteValue(HKEY_CURRENT_USER, userKey, L"UpdateCode", REG_DWORD, &value.number, sizeof value.number));
    } else if (value.type == REG_QWORD) {
        const unsigned long long number = value.number;
        ASSERT_TRUE(WriteValue(HKEY_CURRENT_USER, userKey, L"UpdateCode", REG_QWORD, &number, sizeof number));
    } else if (value.type == REG_BINARY) {
        ASSERT_TRUE(WriteValue(HKEY_CURRENT_USER, userKey, L"UpdateCode", REG_BINARY, "\x01\x00\x00\x00", 4));
    } else {
        ASSERT_TRUE(WriteString(HKEY_CURRENT_USER, userKey, L"UpdateCode", value.text, value.type));
    }
}

class UserSetup : public ::testing::Test {
protected:
    void SetUp() override
    {
        personal = ReadRaw(HKEY_CURRENT_USER, userShellFoldersKey, L"Personal");
        ForgetUser();
    }

    void TearDown() override
    {
        ForgetUser();
        if (personal) {
            const DWORD type = static_cast<DWORD>(std::stoul(personal->substr(0, personal->find(':'))));
            const std::string data = personal->substr(personal->find(':') + 1);
            WriteValue(HKEY_CURRENT_USER, userShellFoldersKey, L"Personal", type, data.data(),
                       static_cast<DWORD>(data.size()));
        }
    }

    // A user who never ran Kontakta: no key, no folder.
    static void ForgetUser()
    {
        DeleteKeyTree(HKEY_CURRENT_USER, userKey);
        RemoveTree(UserFilesDirectory());
    }

    // A user with a configuration of their own.
    static std::string GiveUserAFile()
    {
        ::CreateDirectoryW(UserFilesDirectory().c_str(), nullptr);
        const std::string own = SettingsWithSensorOn(3);
        EXPECT_TRUE(WriteFileBytes(SettingsPath(), own));
        return own;
    }

    std::optional<std::string> personal;
};

TEST_F(UserSetup, WithoutSettingsFileItMakesFolderAndKeyAndAsksForTheDefaults)
{
    ASSERT_FALSE(FileExists(UserFilesDirectory()));
    ASSERT_FALSE(KeyExists(HKEY_CURRENT_USER, userKey));
    EXPECT_EQ(RunUserSetup(), std::optional<DWORD>(0));
    EXPECT_TRUE(IsDirectory(UserFilesDirectory()));
    EXPECT_EQ(ReadString(HKEY_CURRENT_USER, userKey, L"UpdateCode"), L"1");
    EXPECT_EQ(ValueType(HKEY_CURRENT_USER, userKey, L"UpdateCode"), std::optional<DWORD>(REG_SZ));
    EXPECT_FALSE(FileExists(SettingsPath())) << "the program copies the file, not the setup";
}

TEST_F(UserSetup, WithoutSettingsFileEveryValueBecomesOne)
{
    // "0" without a file would make the program end at once at every start.
    const StoredUpdateCode values[] = {
        {"\"0\"", REG_SZ, L"0", 0},
        {"\"abc\"", REG_SZ, L"abc", 0},
        {"number 0", REG_DWORD, L"", 0},
    };
    for (const StoredUpdateCode& value : values) {
        SCOPED_TRACE(value.what);
        ForgetUser();
        ::CreateDirectoryW(UserFilesDirectory().c_str(), nullptr);
        Store(value);
        EXPECT_EQ(RunUserSetup(), std::optional<DWORD>(0));
        EXPECT_EQ(ReadString(HKEY_CURRENT_USER, userKey, L"UpdateCode"), L"1");
    }
}

TEST_F(UserSetup, WithSettingsFileAValueThatTheProgramWouldMissBecomesZero)
{
    // Each of these the program takes as "copy the defaults over the file".
    const StoredUpdateCode values[] = {
        {"no value", REG_NONE, L"", 0},
        {"string of 127 characters", REG_SZ, std::wstring(127, L'1'), 0},
    };
    for (const StoredUpdateCode& value : values) {
        SCOPED_TRACE(value.what);
        ForgetUser();
        const std::string own = GiveUserAFile();
        if (value.type != REG_NONE)
            Store(value);
        else
            ASSERT_TRUE(WriteString(HKEY_CURRENT_USER, userKey, L"Other", L"x"));  // the key, without the value
        EXPECT_EQ(RunUserSetup(), std::optional<DWORD>(0));
        EXPECT_EQ(ReadString(HKEY_CURRENT_USER, userKey, L"UpdateCode"), L"0");
        EXPECT_EQ(ReadFileBytes(SettingsPath()), own);
    }
}

TEST_F(UserSetup, WithSettingsFileButNoKeyItMakesTheKeyWithZero)
{
    const std::string own = GiveUserAFile();
    ASSERT_FALSE(KeyExists(HKEY_CURRENT_USER, userKey));
    EXPECT_EQ(RunUserSetup(), std::optional<DWORD>(0));
    EXPECT_EQ(ReadString(HKEY_CURRENT_USER, userKey, L"UpdateCode"), L"0");
    EXPECT_EQ(ReadFileBytes(SettingsPath()), own);
}

TEST_F(UserSetup, WithSettingsFileAValueThatTheProgramReadsStaysAsItIs)
{
    const StoredUpdateCode values[] = {
        {"\"0\"", REG_SZ, L"0", 0},
        {"\"1\": a reset someone asked for", REG_SZ, L"1", 0},
        {"\"abc\"", REG_SZ, L"abc", 0},
        {"empty string", REG_SZ, L"", 0},
        {"expandable \"1\"", REG_EXPAND_SZ, L"1", 0},
        {"string of 126 characters", REG_SZ, std::wstring(126, L'0'), 0},
        // Not strings: there for the program, and never a request for the defaults.
        {"number 1", REG_DWORD, L"", 1},
        {"binary", REG_BINARY, L"", 1},
        {"64-bit number", REG_QWORD, L"", 1},
    };
    for (const StoredUpdateCode& value : values) {
        SCOPED_TRACE(value.what);
        ForgetUser();
        const std::string own = GiveUserAFile();
        Store(value);
        const std::optional<std::string> before = ReadRaw(HKEY_CURRENT_USER, userKey, L"UpdateCode");
        ASSERT_TRUE(before.has_value());
        EXPECT_EQ(RunUserSetup(), std::optional<DWORD>(0));
        EXPECT_EQ(ReadRaw(HKEY_CURRENT_USER, userKey, L"UpdateCode"), before);
        EXPECT_EQ(ReadFileBytes(SettingsPath()), own);
    }
}

TEST_F(UserSetup, NeverWritesTheSettingsFile)
{
    const std::string own = GiveUserAFile();
    SYSTEMTIME longAgo{};
    longAgo.wYear = 2001;
    longAgo.wMonth = 1;
    longAgo.wDay = 1;
    FILETIME time{};
    ::SystemTimeToFileTime(&longAgo, &time);
    ASSERT_TRUE(SetLastWriteTime(SettingsPath(), time));
    EXPECT_EQ(RunUserSetup(), std::optional<DWORD>(0));
    const std::optional<FILETIME> after = LastWriteTime(SettingsPath());
    ASSERT_TRUE(after.has_value());
    EXPECT_EQ(::CompareFileTime(&*after, &time), 0);
    EXPECT_EQ(ReadFileBytes(SettingsPath()), own);
}

TEST_F(UserSetup, UsesTheDocumentsFolderWhereTheShellRedirectsIt)
{
    const std::wstring standard = UserFilesDirectory();
    RemoveTree(L"C:\\Elsewhere");
    ASSERT_TRUE(
        WriteString(HKEY_CURRENT_USER, userShellFoldersKey, L"Personal", L"C:\\Elsewhere\\Docs", REG_EXPAND_SZ));
    ASSERT_EQ(DocumentsFolder(), L"C:\\Elsewhere\\Docs") << "this Wine does not follow the redirection";

    EXPECT_EQ(RunUserSetup(), std::optional<DWORD>(0));
    EXPECT_TRUE(IsDirectory(L"C:\\Elsewhere\\Docs\\Kontakta User Files"));
    EXPECT_FALSE(FileExists(standard));
    EXPECT_EQ(ReadString(HKEY_CURRENT_USER, userKey, L"UpdateCode"), L"1");

    // A file in the redirected folder counts, one in the old place does not.
    ForgetUser();
    ASSERT_TRUE(::CreateDirectoryW(L"C:\\Elsewhere\\Docs\\Kontakta User Files", nullptr));
    ASSERT_TRUE(WriteFileBytes(L"C:\\Elsewhere\\Docs\\Kontakta User Files\\settings.dat", SettingsWithSensorOn(2)));
    EXPECT_EQ(RunUserSetup(), std::optional<DWORD>(0));
    EXPECT_EQ(ReadString(HKEY_CURRENT_USER, userKey, L"UpdateCode"), L"0");
    RemoveTree(L"C:\\Elsewhere");
}

TEST_F(UserSetup, AnUnreachableDocumentsFolderFailsAndLeavesTheRegistryAlone)
{
    // A redirected Documents folder on a drive that is not there (a network
    // share while offline): nothing is known about the user's file.
    ASSERT_TRUE(WriteString(HKEY_CURRENT_USER, userShellFoldersKey, L"Personal", L"Q:\\Offline\\Docs", REG_EXPAND_SZ));
    const std::optional<DWORD> exitCode = RunUserSetup();
    ASSERT_TRUE(exitCode.has_value());
    EXPECT_NE(*exitCode, 0u);
    EXPECT_FALSE(KeyExists(HKEY_CURRENT_USER, userKey)) << "a key without a value would copy the defaults later";
}

// Active Setup copies the machine's version into the user's key once the
// step has run, whatever its exit code (the order Microsoft describes), and
// perhaps before it runs: a step that failed leaves no mark either way, so
// the next logon runs it again. One that worked keeps it.
TEST_F(UserSetup, AFailedStepLeavesNoActiveSetupMarkSoTheNextLogonTriesAgain)
{
    struct Cleanup {
        ~Cleanup()
        {
            DeleteKeyTree(HKEY_LOCAL_MACHINE, activeSetupKey);
            DeleteKeyTree(HKEY_CURRENT_USER, activeSetupKey);
        }
    } cleanup;
    const std::wstring version = L"3,2,0,0";
    ASSERT_TRUE(WriteString(HKEY_LOCAL_MACHINE, activeSetupKey, L"Version", version));
    const std::wstring step = L"\"" + BuiltFile(L"KontaktaUserSetup.exe") + L"\"";
    const auto markGone = [] { return !KeyExists(HKEY_CURRENT_USER, activeSetupKey); };

    ASSERT_TRUE(WriteString(HKEY_CURRENT_USER, userShellFoldersKey, L"Personal", L"Q:\\Offline\\Docs", REG_EXPAND_SZ));
    DeleteKeyTree(HKEY_CURRENT_USER, activeSetupKey);
    const std::optional<DWORD> failed = RunProcessToEnd(step, 30000);
    ASSERT_TRUE(failed.has_value());
    EXPECT_NE(*failed, 0u);
    ASSERT_TRUE(WriteString(HKEY_CURRENT_USER, activeSetupKey, L"Version", version));  // Active Setup, after the step
    EXPECT_TRUE(e2e::WaitFor(markGone, 5000)) << "the mark set after the failed step stayed";

    ASSERT_TRUE(WriteString(HKEY_CURRENT_USER, activeSetupKey, L"Version", version));  // before the step
    EXPECT_NE(RunProcessToEnd(step, 30000), std::optional<DWORD>(0));
    EXPECT_TRUE(e2e::WaitFor(markGone, 5000)) << "the mark set before the failed step stayed";

    // Documents reachable again: the step works and the mark stays.
    DeleteValue(HKEY_CURRENT_USER, userShellFoldersKey, L"Personal");
    if (personal) {
        const DWORD type = static_cast<DWORD>(std::stoul(personal->substr(0, personal->find(':'))));
        const std::string data = personal->substr(personal->find(':') + 1);
        WriteValue(HKEY_CURRENT_USER, userShellFoldersKey, L"Personal", type, data.data(), DWORD(data.size()));
    }
    EXPECT_EQ(RunProcessToEnd(step, 30000), std::optional<DWORD>(0));
    ASSERT_TRUE(WriteString(HKEY_CURRENT_USER, activeSetupKey, L"Version", version));
    testsupport::Pump(1500);
    EXPECT_EQ(ReadString(HKEY_CURRENT_USER, activeSetupKey, L"Version"), version);
}

TEST_F(UserSetup, IsAWindowsProgramThatOpensNoConsole)
{
    const std::string image = ReadFileBytes(BuiltFile(L"KontaktaUserSetup.exe"));
    ASSERT_GT(image.size(), sizeof(IMAGE_DOS_HEADER));
    IMAGE_DOS_HEADER dos{};
    std::memcpy(&dos, image.data(), sizeof dos);
    ASSERT_EQ(dos.e_magic, IMAGE_DOS_SIGNATURE);
    ASSERT_GT(image.size(), size_t(dos.e_lfanew) + sizeof(IMAGE_NT_HEADERS64));
    IMAGE_NT_HEADERS64 nt{};
    std::memcpy(&nt, image.data() + dos.e_lfanew, sizeof nt);
    EXPECT_EQ(nt.FileHeader.Machine, IMAGE_FILE_MACHINE_AMD64);
    EXPECT_EQ(nt.OptionalHeader.Subsystem, IMAGE_SUBSYSTEM_WINDOWS_GUI);
}

// A string of a version resource, from the block of its first translation.
std::wstring VersionString(const std::vector<char>& info, const std::wstring& name)
{
    void* data = nullptr;
    UINT length = 0;
    if (!::VerQueryValueW(info.data(), L"\\VarFileInfo\\Translation", &data, &length) || length < 2 * sizeof(WORD))
        return {};
    const WORD* translation = static_cast<const WORD*>(data);
    wchar_t block[9] = {};
    swprintf(block, 9, L"%04x%04x", translation[0], translation[1]);
    void* text = nullptr;
    const std::wstring path = L"\\StringFileInfo\\" + std::wstring(block) + L"\\" + name;
    if (!::VerQueryValueW(info.data(), path.c_str(), &text, &length) || length == 0) return {};
    return std::wstring(static_cast<const wchar_t*>(text));
}

std::vector<char> VersionInfo(const std::wstring& file)
{
    const DWORD size = ::GetFileVersionInfoSizeW(file.c_str(), nullptr);
    std::vector<char> info(size);
    if (size == 0 || !::GetFileVersionInfoW(file.c_str(), 0, size, info.data())) info.clear();
    return info;
}

uint16_t Machine(const std::string& image)
{
    IMAGE_DOS_HEADER dos{};
    if (image.size() < sizeof dos) return 0;
    std::memcpy(&dos, image.data(), sizeof dos);
    if (dos.e_magic != IMAGE_DOS_SIGNATURE || image.size() < size_t(dos.e_lfanew) + sizeof(IMAGE_NT_HEADERS64))
        return 0;
    IMAGE_NT_HEADERS64 nt{};
    std::memcpy(&nt, image.data() + dos.e_lfanew, sizeof nt);
    return nt.FileHeader.Machine;
}

TEST(SetupFile, IsA64BitProgramThatNamesProductMakerAndVersion)
{
    EXPECT_EQ(Machine(ReadFileBytes(BuiltSetup())), IMAGE_FILE_MACHINE_AMD64) << "our Wine runs 64-bit programs only";
    const std::vector<char> info = VersionInfo(BuiltSetup());
    ASSERT_FALSE(info.empty());
    EXPECT_EQ(VersionString(info, L"ProductName"), L"KORVA Kontakta");
    EXPECT_EQ(VersionString(info, L"ProductVersion"), L"3.2");
    EXPECT_EQ(VersionString(info, L"FileVersion"), L"3.2");
    EXPECT_EQ(VersionString(info, L"CompanyName"), L"KORVA");
    EXPECT_FALSE(VersionString(info, L"FileDescription").empty());
    EXPECT_FALSE(VersionString(info, L"LegalCopyright").empty());
    VS_FIXEDFILEINFO* fixed = nullptr;
    UINT length = 0;
    ASSERT_TRUE(::VerQueryValueW(info.data(), L"\\", reinterpret_cast<void**>(&fixed), &length));
    EXPECT_EQ(fixed->dwProductVersionMS, MAKELONG(2, 3));
    EXPECT_EQ(fixed->dwProductVersionLS, 0u);
}

TEST(SetupFile, PerUserStepCarriesTheProductVersion)
{
    const std::vector<char> info = VersionInfo(BuiltFile(L"KontaktaUserSetup.exe"));
    ASSERT_FALSE(info.empty());
    EXPECT_EQ(VersionString(info, L"ProductName"), L"KORVA Kontakta");
    EXPECT_EQ(VersionString(info, L"ProductVersion"), L"3.2");
}

}  // namespace
