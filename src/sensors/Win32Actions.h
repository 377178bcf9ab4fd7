// The Win32 side of the action seams: synthetic input through SendInput and
// keybd_event, waits through Sleep, the keyboard settings of the system, and
// the shell.
#pragma once

#include <windows.h>

#include "sensors/ActionServices.h"

class CMsgBox;

class Win32Input : public InputSink {
public:
    bool SendMouseButton(uint32_t flags) override;
    void SendKey(uint8_t virtualKey, bool down) override;
};

class Win32Clock : public Clock {
public:
    void Sleep(uint32_t milliseconds) override;
};

class Win32KeyboardSettings : public KeyboardSettings {
public:
    bool GetKeyboardDelay(uint32_t& delay) override;
    bool GetKeyboardSpeed(uint32_t& speed) override;
};

// Opens targets with ShellExecuteW and reports refusals in the message window.
// `owner` gives the window that owns the shell's own dialogs.
class Win32Shell : public Shell {
public:
    using OwnerWindow = HWND (*)();
    Win32Shell(OwnerWindow owner, CMsgBox& messages);
    bool OpenTarget(const std::u16string& path) override;
    void ShowFailure(const std::u16string& text) override;

private:
    OwnerWindow owner;
    CMsgBox& messages;
};
