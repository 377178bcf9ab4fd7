#include "settings/Win32SettingsStorage.h"

#include <windows.h>

#include "win/Handle.h"
#include "win/Text.h"

bool Win32SettingsStorage::CopyFileOver(const std::u16string& from, const std::u16string& to)
{
    return ::CopyFileW(win::Wide(from).c_str(), win::Wide(to).c_str(), FALSE) != FALSE;
}

SettingsStorage::ReadResult Win32SettingsStorage::ReadStart(const std::u16string& path, size_t maxBytes,
                                                            std::vector<uint8_t>& bytes)
{
    const win::File file(::CreateFileW(win::Wide(path).c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING,
                                       FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) return ReadResult::CannotOpen;
    bytes.assign(maxBytes, 0);
    DWORD total = 0;
    while (total < maxBytes) {
        DWORD read = 0;
        if (!::ReadFile(file.Get(), bytes.data() + total, static_cast<DWORD>(maxBytes - total), &read, nullptr))
            return ReadResult::Failed;
        if (read == 0) break;  // end of file
        total += read;
    }
    bytes.resize(total);
    return ReadResult::Read;
}

bool Win32SettingsStorage::WriteStart(const std::u16string& path, const uint8_t* bytes, size_t length)
{
    const win::File file(::CreateFileW(win::Wide(path).c_str(), GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                                       FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) return false;
    LARGE_INTEGER oldSize{};
    if (!::GetFileSizeEx(file.Get(), &oldSize)) return false;

    auto setLength = [&](LONGLONG size) {
        LARGE_INTEGER at;
        at.QuadPart = size;
        return ::SetFilePointerEx(file.Get(), at, nullptr, FILE_BEGIN) && ::SetEndOfFile(file.Get());
    };
    const bool extended = oldSize.QuadPart < static_cast<LONGLONG>(length);
    if (extended && !setLength(static_cast<LONGLONG>(length))) {
        setLength(oldSize.QuadPart);
        return false;
    }

    LARGE_INTEGER start{};
    DWORD written = 0;
    const bool ok = ::SetFilePointerEx(file.Get(), start, nullptr, FILE_BEGIN) &&
                    ::WriteFile(file.Get(), bytes, static_cast<DWORD>(length), &written, nullptr) &&
                    written == length && ::FlushFileBuffers(file.Get());
    if (!ok && extended && written == 0) setLength(oldSize.QuadPart);
    return ok;
}
