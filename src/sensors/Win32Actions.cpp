#include "sensors/Win32Actions.h"

#include <shellapi.h>

#include "app/CMsgBox.h"
#include "win/Text.h"

bool Win32Input::SendMouseButton(uint32_t flags)
{
    INPUT input{};
    input.type = INPUT_MOUSE;
    input.mi.dx = 0;
    input.mi.dy = 0;
    input.mi.mouseData = 0;
    input.mi.dwFlags = flags;
    input.mi.time = 0;
    input.mi.dwExtraInfo = 0;
    return ::SendInput(1, &input, sizeof input) != 0;
}

void Win32Input::SendKey(uint8_t virtualKey, bool down)
{
    ::keybd_event(virtualKey, 0, down ? 0 : KEYEVENTF_KEYUP, 0);
}

void Win32Clock::Sleep(uint32_t milliseconds) { ::Sleep(milliseconds); }

bool Win32KeyboardSettings::GetKeyboardDelay(uint32_t& delay)
{
    UINT value = 0;
    if (!::SystemParametersInfoW(SPI_GETKEYBOARDDELAY, 0, &value, 0)) return false;
    delay = value;
    return true;
}

bool Win32KeyboardSettings::GetKeyboardSpeed(uint32_t& speed)
{
    DWORD value = 0;
    if (!::SystemParametersInfoW(SPI_GETKEYBOARDSPEED, 0, &value, 0)) return false;
    speed = value;
    return true;
}

Win32Shell::Win32Shell(OwnerWindow owner, CMsgBox& messages) : owner(owner), messages(messages) {}

bool Win32Shell::OpenTarget(const std::u16string& path)
{
    const std::wstring file = win::Wide(path);
    const HINSTANCE result =
        ::ShellExecuteW(owner ? owner() : nullptr, L"open", file.c_str(), nullptr, nullptr, SW_SHOWNORMAL);
    // ShellExecute reports success as a value greater than 32.
    return reinterpret_cast<uintptr_t>(result) > 32;
}

void Win32Shell::ShowFailure(const std::u16string& text) { messages.ShowText(text); }
