#include "settings/Win32SettingsStorage.h"

#include <windows.h>

#include <algorithm>
#include <new>

#include "settings/SettingsLog.h"
#include "win/Handle.h"
#include "win/Text.h"

using namespace kontakta;

namespace {

// Another program may hold the file for a moment in a way that shuts us out
// (a backup or sync client that shares nothing, a virus scanner, our own
// instance in another session saving): Windows then fails the call with a
// sharing or lock violation, or ReplaceFileW cannot remove the old file. Such
// holds are short, so the call is tried again, ten times at most, 50 ms
// apart, on the calling thread.
constexpr int attempts = 10;
constexpr DWORD pause = 50;

bool Held(DWORD error)
{
    return error == ERROR_SHARING_VIOLATION || error == ERROR_LOCK_VIOLATION ||
           error == ERROR_UNABLE_TO_REMOVE_REPLACED;
}

// Runs `attempt` (true on success, the reason in GetLastError otherwise)
// until it succeeds, fails for another reason, or the attempts are used up.
// The last error stays the attempt's.
template <typename Attempt>
bool RetryWhileHeld(Attempt attempt)
{
    for (int tried = 1;; ++tried) {
        if (attempt()) return true;
        const DWORD error = ::GetLastError();
        if (tried == attempts || !Held(error)) {
            ::SetLastError(error);
            return false;
        }
        ::Sleep(pause);
    }
}

constexpr DWORD chunk = 1 << 20;  // ReadFile and WriteFile take 32-bit lengths

bool NotThere(DWORD error)
{
    return error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND;
}

SettingsStorage::ReadResult ReadOnce(const std::wstring& path, size_t maxBytes, std::vector<uint8_t>& bytes)
{
    using ReadResult = SettingsStorage::ReadResult;
    const win::File file(::CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_DELETE, nullptr,
                                       OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) return NotThere(::GetLastError()) ? ReadResult::Missing : ReadResult::CannotOpen;
    LARGE_INTEGER size{};
    if (!::GetFileSizeEx(file.Get(), &size)) return ReadResult::Failed;
    const size_t wanted = static_cast<size_t>(std::min<unsigned long long>(size.QuadPart, maxBytes));
    try {
        bytes.assign(wanted, 0);
    } catch (const std::bad_alloc&) {
        ::SetLastError(ERROR_NOT_ENOUGH_MEMORY);
        return ReadResult::Failed;
    }
    size_t total = 0;
    while (total < wanted) {
        DWORD read = 0;
        if (!::ReadFile(file.Get(), bytes.data() + total, static_cast<DWORD>(std::min<size_t>(wanted - total, chunk)),
                        &read, nullptr)) {
            const DWORD error = ::GetLastError();  // across the handle's closing
            bytes.clear();
            ::SetLastError(error);
            return ReadResult::Failed;
        }
        if (read == 0) break;  // the file got shorter
        total += read;
    }
    bytes.resize(total);
    return ReadResult::Read;
}

// Writes the whole content into a new file of its own and flushes it.
bool WriteAndFlush(const std::wstring& path, const std::vector<uint8_t>& bytes)
{
    win::File file;
    if (!RetryWhileHeld([&] {
            file = win::File(
                ::CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
            return bool(file);
        }))
        return false;
    for (size_t total = 0; total < bytes.size();) {
        DWORD written = 0;
        if (!::WriteFile(file.Get(), bytes.data() + total,
                         static_cast<DWORD>(std::min<size_t>(bytes.size() - total, chunk)), &written, nullptr) ||
            written == 0)
            return false;
        total += written;
    }
    // The data has to be on the disk before a name points at it: NTFS
    // journals its own structures, not the data of files, so a file renamed
    // unflushed can hold zeros after a power loss instead of either content.
    return ::FlushFileBuffers(file.Get()) != FALSE;
}

// A rename on the same volume is one journaled step of the file system;
// written through, it is on the disk when the call returns.
bool MoveInPlace(const std::wstring& from, const std::wstring& to)
{
    return RetryWhileHeld([&] {
        return ::MoveFileExW(from.c_str(), to.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) != FALSE;
    });
}

// Puts `replacement` in the place of the existing file `target`.
bool Replace(Win32SettingsStorage::ReplaceFunction replaceFile, const std::wstring& target,
             const std::wstring& replacement, DWORD targetAttributes)
{
    // ReplaceFileW gives the new file the old one's attributes, access rights,
    // creation time and streams, and swaps the names in one step. The old
    // file goes by a name of ours ("<name>.old") on its way out, so that
    // wherever the step stops it can be found: without a backup name,
    // ERROR_UNABLE_TO_MOVE_REPLACEMENT_2 leaves it under a temporary name
    // that nobody is told.
    const std::wstring backup = target + L".old";
    ::DeleteFileW(backup.c_str());  // a leftover of a save that was cut short
    if (RetryWhileHeld([&] {
            return replaceFile(target.c_str(), replacement.c_str(), backup.c_str(), 0, nullptr, nullptr) != FALSE;
        })) {
        ::DeleteFileW(backup.c_str());
        return true;
    }
    const DWORD error = ::GetLastError();
    // ERROR_UNABLE_TO_MOVE_REPLACEMENT_2: "The replacement file still exists
    // under its original name; however, it has inherited the file streams and
    // attributes from the file it is replacing. The file to be replaced still
    // exists with a different name", the backup name. The file's own name is
    // free: finish the step, or else put the old file back under its name.
    // Judged by what is there rather than by the code, so that the old file
    // is never left under the backup name, whatever the code says.
    const bool oldFileAside = ::GetFileAttributesW(target.c_str()) == INVALID_FILE_ATTRIBUTES &&
                              ::GetFileAttributesW(backup.c_str()) != INVALID_FILE_ATTRIBUTES;
    if (oldFileAside) {
        if (MoveInPlace(replacement, target)) {
            ::DeleteFileW(backup.c_str());
            return true;
        }
        MoveInPlace(backup, target);
        return false;
    }
    switch (error) {
    case ERROR_UNABLE_TO_MOVE_REPLACEMENT:
        // With a backup name: "the replaced and replacement files retain
        // their original file names". The file is as it was.
        return false;
    case ERROR_NOT_SUPPORTED:
    case ERROR_INVALID_FUNCTION:
    case ERROR_INVALID_PARAMETER:
        // A file system that does not offer ReplaceFileW (some network
        // shares): a rename over the old file, which keeps at least its
        // attributes. (A read-only file never gets here: ReplaceFileW refuses
        // it with access denied, and so would any writer.)
        ::SetFileAttributesW(replacement.c_str(),
                             targetAttributes & (FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM |
                                                 FILE_ATTRIBUTE_ARCHIVE | FILE_ATTRIBUTE_NOT_CONTENT_INDEXED));
        return MoveInPlace(replacement, target);
    default:
        // Any other error: "the replaced and replacement files will retain
        // their original file names".
        return false;
    }
}

}  // namespace

bool Win32SettingsStorage::CopyFileOver(const std::u16string& from, const std::u16string& to)
{
    return RetryWhileHeld([&] { return ::CopyFileW(win::Wide(from).c_str(), win::Wide(to).c_str(), FALSE) != FALSE; });
}

SettingsStorage::ReadResult Win32SettingsStorage::ReadStart(const std::u16string& path, size_t maxBytes,
                                                            std::vector<uint8_t>& bytes)
{
    const std::wstring name = win::Wide(path);
    for (int tried = 1;; ++tried) {
        const ReadResult result = ReadOnce(name, maxBytes, bytes);
        if (result == ReadResult::Read || result == ReadResult::Missing || tried == attempts || !Held(::GetLastError()))
            return result;
        ::Sleep(pause);
    }
}

bool Win32SettingsStorage::WriteWhole(const std::u16string& path, const std::vector<uint8_t>& bytes, bool mayCreate)
{
    const std::wstring target = win::Wide(path);
    const DWORD attributes = ::GetFileAttributesW(target.c_str());
    const bool exists = attributes != INVALID_FILE_ATTRIBUTES;
    if (exists ? (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0 : !mayCreate || !NotThere(::GetLastError())) return false;

    // Beside the file, so that it goes in by a rename on the same volume.
    const std::wstring temporary = target + L".tmp";
    const bool written =
        WriteAndFlush(temporary, bytes) &&
        (exists ? Replace(replaceFile, target, temporary, attributes) : MoveInPlace(temporary, target));
    if (!written) ::DeleteFileW(temporary.c_str());
    return written;
}

bool SaveSettingsAtShutdown(SettingsStorage& storage)
{
    SYSTEMTIME now{};
    ::GetLocalTime(&now);
    return SaveSettingsOrLog(storage, LocalTime{now.wYear, now.wMonth, now.wDay, now.wHour, now.wMinute, now.wSecond});
}
