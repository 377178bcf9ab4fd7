// The settings file on a real file system, with other programs holding it the
// way backup and sync clients do: reading beside them, waiting out a short
// exclusive hold, and a save that replaces the file whole or not at all.
#include <windows.h>

#include <gtest/gtest.h>

#include <thread>

#include "TestSupport.h"
#include "settings/Win32SettingsStorage.h"
#include "win/Handle.h"
#include "win/Text.h"

using namespace kontakta;

namespace {

using testsupport::FileExists;
using testsupport::ReadFileBytes;
using testsupport::WriteFileBytes;

std::vector<uint8_t> Bytes(const std::string& text)
{
    return std::vector<uint8_t>(text.begin(), text.end());
}

class SettingsStorageTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        folder = testsupport::MakeTempDirectory(L"storage");
        file = folder + L"settings.dat";
        // Wine hands out process ids again: a folder of an earlier run may be there.
        for (const wchar_t* name : {L"settings.dat.tmp", L"settings.dat.old", L"missing.dat", L"missing.dat.tmp"})
            ::DeleteFileW((folder + name).c_str());
        ASSERT_TRUE(WriteFileBytes(file, "old content with a tail"));
    }

    // Opens the file as another program would, with its sharing.
    static win::File Hold(const std::wstring& path, DWORD access, DWORD sharing)
    {
        return win::File(::CreateFileW(path.c_str(), access, sharing, nullptr, OPEN_EXISTING, 0, nullptr));
    }

    std::u16string Path() const { return win::Utf16(file); }

    Win32SettingsStorage storage;
    std::wstring folder;
    std::wstring file;
};

TEST_F(SettingsStorageTest, ReadsBesideAReaderAndWaitsOutAShortExclusiveHold)
{
    std::vector<uint8_t> bytes;
    {
        const win::File backup = Hold(file, GENERIC_READ, FILE_SHARE_READ);
        ASSERT_TRUE(backup);
        ASSERT_EQ(storage.ReadStart(Path(), 3, bytes), SettingsStorage::ReadResult::Read);
        EXPECT_EQ(bytes, Bytes("old"));
    }
    {
        win::File exclusive = Hold(file, GENERIC_READ, 0);
        ASSERT_TRUE(exclusive);
        std::thread letGo([&] {
            ::Sleep(150);
            exclusive.Reset();
        });
        EXPECT_EQ(storage.ReadStart(Path(), 100, bytes), SettingsStorage::ReadResult::Read);
        letGo.join();
        EXPECT_EQ(bytes, Bytes("old content with a tail"));
    }
    {
        const win::File exclusive = Hold(file, GENERIC_READ, 0);
        EXPECT_EQ(storage.ReadStart(Path(), 100, bytes), SettingsStorage::ReadResult::CannotOpen)
            << "a hold that lasts is given up after a while";
    }
    EXPECT_EQ(storage.ReadStart(win::Utf16(folder + L"none.dat"), 100, bytes), SettingsStorage::ReadResult::Missing);
}

TEST_F(SettingsStorageTest, SaveReplacesTheWholeFileBesideASyncClientOrLeavesItAsItWas)
{
    // A sync client reads with everything shared: the save goes ahead, and
    // its open file keeps showing the old content, never a mix.
    {
        const win::File sync = Hold(file, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE);
        ASSERT_TRUE(sync);
        EXPECT_TRUE(storage.WriteWhole(Path(), Bytes("new"), false));
        char seen[32] = {};
        DWORD read = 0;
        ASSERT_TRUE(::ReadFile(sync.Get(), seen, sizeof seen, &read, nullptr));
        EXPECT_EQ(std::string(seen, read), "old content with a tail");
    }
    EXPECT_EQ(ReadFileBytes(file), "new");
    EXPECT_FALSE(FileExists(file + L".tmp"));
    EXPECT_FALSE(FileExists(file + L".old"));

    // A reader that lets nobody replace the file: the save fails and the file
    // stays as it was, without a leftover beside it.
    {
        const win::File backup = Hold(file, GENERIC_READ, FILE_SHARE_READ);
        EXPECT_FALSE(storage.WriteWhole(Path(), Bytes("newer"), false));
    }
    EXPECT_EQ(ReadFileBytes(file), "new");
    EXPECT_FALSE(FileExists(file + L".tmp"));

    // What a save cut short by a power loss leaves beside the file is overwritten.
    ASSERT_TRUE(WriteFileBytes(file + L".tmp", std::string(10000, 'x')));
    EXPECT_TRUE(storage.WriteWhole(Path(), Bytes("newest"), false));
    EXPECT_EQ(ReadFileBytes(file), "newest");
    EXPECT_FALSE(FileExists(file + L".tmp"));

    // Only the log may be created.
    const std::wstring missing = folder + L"missing.dat";
    EXPECT_FALSE(storage.WriteWhole(win::Utf16(missing), Bytes("x"), false));
    EXPECT_FALSE(FileExists(missing));
    EXPECT_FALSE(FileExists(missing + L".tmp"));
    EXPECT_TRUE(storage.WriteWhole(win::Utf16(missing), Bytes("log"), true));
    EXPECT_EQ(ReadFileBytes(missing), "log");
}

// The outcomes of ReplaceFileW that a file system gives only rarely, played
// by a stand-in that does what the documentation says of them.
struct ReplaceStandIn {
    static inline DWORD error = 0;
    static inline bool holdReplacement = false;  // so that it cannot be moved either
    static inline win::File heldReplacement;

    static BOOL WINAPI Replace(LPCWSTR replaced, LPCWSTR replacement, LPCWSTR backup, DWORD, LPVOID, LPVOID)
    {
        // ERROR_UNABLE_TO_MOVE_REPLACEMENT_2: the replaced file has gone to
        // the backup name, the replacement still has its own.
        if (error == ERROR_UNABLE_TO_MOVE_REPLACEMENT_2 && !::MoveFileW(replaced, backup)) return FALSE;
        if (holdReplacement)
            heldReplacement = win::File(
                ::CreateFileW(replacement, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr));
        ::SetLastError(error);
        return FALSE;
    }
};

TEST_F(SettingsStorageTest, AReplacementThatStopsHalfwayIsFinishedOrTheOldFileIsPutBack)
{
    Win32SettingsStorage halfway(&ReplaceStandIn::Replace);

    // The old file under the backup name, the new one still beside it: the
    // step is finished.
    ReplaceStandIn::error = ERROR_UNABLE_TO_MOVE_REPLACEMENT_2;
    EXPECT_TRUE(halfway.WriteWhole(Path(), Bytes("new"), false));
    EXPECT_EQ(ReadFileBytes(file), "new");
    EXPECT_FALSE(FileExists(file + L".old"));
    EXPECT_FALSE(FileExists(file + L".tmp"));

    // ... and the new one cannot be moved either: the old file is back under
    // its own name, never left under another.
    ReplaceStandIn::holdReplacement = true;
    EXPECT_FALSE(halfway.WriteWhole(Path(), Bytes("newer"), false));
    ReplaceStandIn::heldReplacement.Reset();
    ReplaceStandIn::holdReplacement = false;
    EXPECT_EQ(ReadFileBytes(file), "new");
    EXPECT_FALSE(FileExists(file + L".old"));
    ::DeleteFileW((file + L".tmp").c_str());

    // With a backup name, ERROR_UNABLE_TO_MOVE_REPLACEMENT leaves both files
    // as they were.
    ReplaceStandIn::error = ERROR_UNABLE_TO_MOVE_REPLACEMENT;
    EXPECT_FALSE(halfway.WriteWhole(Path(), Bytes("newest"), false));
    EXPECT_EQ(ReadFileBytes(file), "new");
    EXPECT_FALSE(FileExists(file + L".old"));
    EXPECT_FALSE(FileExists(file + L".tmp"));
}

}  // namespace
