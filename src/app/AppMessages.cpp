#include "app/AppMessages.h"

#include "win/Text.h"

using namespace kontakta;

std::wstring ApplicationTitle()
{
    wchar_t path[MAX_PATH];
    const DWORD length = ::GetModuleFileNameW(nullptr, path, MAX_PATH);
    std::wstring name(path, length);
    name = name.substr(name.find_last_of(L"\\/") + 1);
    const size_t dot = name.find_last_of(L'.');
    return dot == std::wstring::npos ? name : name.substr(0, dot);
}

void ShowMessage(HWND owner, const std::u16string& text)
{
    ::MessageBoxW(owner, win::Wide(text).c_str(), ApplicationTitle().c_str(),
                  MB_OK | MB_ICONEXCLAMATION | MB_SETFOREGROUND);
}

bool AskOkCancel(HWND owner, const std::u16string& text)
{
    return ::MessageBoxW(owner, win::Wide(text).c_str(), ApplicationTitle().c_str(),
                         MB_OKCANCEL | MB_ICONQUESTION | MB_SETFOREGROUND) == IDOK;
}

void MessageBoxSink::ShowMessage(const std::u16string& text)
{
    ::ShowMessage(owner ? owner() : nullptr, text);
}
