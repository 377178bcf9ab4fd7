// The program's message boxes: German texts with an OK button (the exit
// question also has Cancel), captioned like every message box of the program
// with its file name without extension.
#pragma once

#include <windows.h>

#include <string>

#include "settings/SettingsFile.h"

std::wstring ApplicationTitle();

// Shows `text` with an OK button; returns when the user closed it.
void ShowMessage(HWND owner, const std::u16string& text);
// Asks with OK and Cancel; true for OK.
bool AskOkCancel(HWND owner, const std::u16string& text);

// The settings' version message, as a message box.
class MessageBoxSink : public kontakta::MessageSink {
public:
    explicit MessageBoxSink(HWND (*owner)() = nullptr) : owner(owner) {}
    void ShowMessage(const std::u16string& text) override;

private:
    HWND (*owner)();
};
