// The main window: a dialog without controls that nobody sees after the
// first moments. Its initialisation is the program's start-up; it owns the
// icon in the notification area with its two commands, the timers that hide
// the window and refresh the icon, and the shutdown.
#pragma once

#include <windows.h>

#include "win/Dialog.h"

class CKontaktaDlg : public win::Dialog {
public:
    enum TimerId : UINT_PTR { HideTimer = 1, TrayTimer = 2 };

    CKontaktaDlg();

    HICON appIcon = nullptr;
    bool settingsOpen = false;
    bool exitPromptOpen = false;

    // Runs the shutdown, then destroys the window.
    BOOL DestroyWindow() override;

    // Saves the settings, stops everything in order and removes the icon.
    // Does nothing while start-up has not finished; may run more than once.
    void Shutdown();
    // "Kontakta wirklich beenden?" with OK and Cancel; OK ends the program.
    void ConfirmExit();
    // Runs the settings sheet, unless it or the exit question is open.
    void OpenSettingsSheet();

protected:
    BOOL OnInitDialog() override;
    bool OnCommand(WORD id, WORD code, HWND control) override;
    void OnTimer(UINT_PTR id) override;
    INT_PTR OnMessage(UINT message, WPARAM wParam, LPARAM lParam, bool& handled) override;

private:
    void ReadInstallDirectory();
    void ReadUpdateCode();
    void OnTrayNotification(WPARAM id, LPARAM mouseMessage);
    void PaintMinimised();
};
