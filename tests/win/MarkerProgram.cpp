// A tiny program for the run-file tests: it proves it was started by writing
// its command line into "kontakta_marker.txt" in the temporary folder. The
// file is written under another name and then renamed, so a test that sees
// the marker always sees all of it. A windows program, not a console one: a
// console window opening for it would take the focus from the test's window.
#include <windows.h>

#include <cwchar>
#include <string>

#include "win/Handle.h"

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int)
{
    wchar_t temp[MAX_PATH];
    ::GetTempPathW(MAX_PATH, temp);
    const std::wstring path = std::wstring(temp) + L"kontakta_marker.txt";
    const std::wstring partial = path + L"." + std::to_wstring(::GetCurrentProcessId());
    BOOL wrote = FALSE;
    {
        // Closed before the rename: a file still open for writing cannot be moved.
        const win::File file(::CreateFileW(partial.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr));
        if (!file) return 1;
        const wchar_t* line = ::GetCommandLineW();
        DWORD written = 0;
        wrote = ::WriteFile(file.Get(), line, static_cast<DWORD>(wcslen(line) * sizeof(wchar_t)), &written, nullptr);
    }
    if (!wrote || !::MoveFileExW(partial.c_str(), path.c_str(), MOVEFILE_REPLACE_EXISTING)) {
        ::DeleteFileW(partial.c_str());
        return 1;
    }
    return 0;
}
