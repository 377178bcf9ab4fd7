// The main window: a dialog without controls that nobody sees after the
// first moments. Its initialisation is the program's start-up; it owns the
// icon in the notification area with its two commands, the timers that hide
// the window and refresh the icon, the answers to session and power changes,
// and the shutdown.
#pragma once

#include <windows.h>

#include <vector>

#include "app/LatchIndicator.h"
#include "app/Speech.h"
#include "app/SessionEvents.h"
#include "app/TrayUpdates.h"
#include "settings/Profiles.h"
#include "ui/SensorRows.h"
#include "win/Dialog.h"

class CSetup;

class CKontaktaDlg : public win::Dialog {
public:
    enum TimerId : UINT_PTR { HideTimer = 1, TrayTimer = 2, SessionTimer = 3, CloseTimer = 4, SpeechTimer = 16 };
    // Posted to itself before the settings sheet runs; handled once the
    // sheet exists.
    static constexpr UINT BringSheetMessage = WM_APP + 1;
    // Posted by the polling thread when a sensor pauses or resumes the
    // sensors (the thread never waits for this one).
    static constexpr UINT TogglePauseMessage = WM_APP + 2;
    // Posted by the polling thread when a sensor asks for the next profile.
    static constexpr UINT NextProfileMessage = WM_APP + 16;

    CKontaktaDlg();

    // The main window while it exists, else null. Any thread.
    static HWND Current();

    HICON appIcon = nullptr;
    bool settingsOpen = false;
    bool exitPromptOpen = false;

    // Runs the shutdown, then destroys the window.
    BOOL DestroyWindow() override;

    // Saves the settings, stops everything in order and removes the icon.
    // Does nothing while start-up has not finished; runs once.
    void Shutdown();
    // "Kontakta wirklich beenden?" with OK and Cancel; OK ends the program.
    void ConfirmExit();
    // Runs the settings sheet and brings it to the front; if it is open
    // already, only brings it to the front. Does nothing while the exit
    // question is open or the program is closing or shutting down.
    void OpenSettingsSheet();
    // A close request (WM_CLOSE, as the setup sends it): closes whatever
    // window of the program is open, innermost first, an editor without
    // taking its working copy, the sheet and the exit question; then the
    // program shuts down as on exit, saving the live settings.
    void RequestClose();

    // Makes the profile at `index` active: the polling thread lets go of
    // everything held or latched first, then the new profile's settings
    // act. `byHand`: the user chose it (tray, sensor, sheet), so the file
    // keeps it active; the per-program rule's switches are not kept. Tells
    // the user which profile is active (AnnounceProfile). No switch while
    // the settings sheet is open (the sheet makes its own, ProfilesApplied),
    // while start-up has not finished or once the shutdown began.
    void SwitchProfile(size_t index, bool byHand);
    // The sheet made its profiles the program's; `activeChanged`: another
    // profile is active now (or the active one has other settings).
    void ProfilesApplied(bool activeChanged);

protected:
    BOOL OnInitDialog() override;
    bool OnCommand(WORD id, WORD code, HWND control) override;
    void OnTimer(UINT_PTR id) override;
    void OnCancel() override;
    INT_PTR OnMessage(UINT message, WPARAM wParam, LPARAM lParam, bool& handled) override;

private:
    void ReadInstallDirectory();
    void ReadUpdateCode();
    void OnTrayNotification(WPARAM id, LPARAM mouseMessage);
    void PaintMinimised();
    // The end of the session, a session change or a power change.
    void CarryOut(const kontakta::session::Steps& steps);
    void RegisterForSessionNotifications();
    void BringSheetToFront();
    // The tray menu's "Sensoren pausieren", also asked for by a sensor.
    void TogglePause();
    // One step of a close request; false once no window is left open.
    bool CloseOpenWindows();
    // The sound of the active profile's number, then its name spoken, and
    // the icon's tip at once.
    void AnnounceProfile();
    // The active profile's name for the tip; empty with a single profile.
    std::u16string ProfileTipName() const;
    void RefreshTrayNow();
    // The per-program rule (kontakta::DecideProgramProfile), asked when the
    // foreground changes, when a switch waited and nothing is held any more,
    // and when the sheet closes.
    void AskProgramRule();
    // Anything held, latched or being scanned: an automatic switch waits.
    bool BusyNow() const;
    static void CALLBACK ForegroundChanged(HWINEVENTHOOK hook, DWORD event, HWND window, LONG object, LONG child,
                                           DWORD thread, DWORD time);

    bool shutdownStarted = false;
    bool closeRequested = false;
    std::vector<HWND> askedToClose;  // each open window is asked once
    bool sessionNotifications = false;
    kontakta::TrayUpdates trayUpdates;
    LatchIndicator indicator;  // shown only when the option is on
    // The kind of box that was open last, for rows 7 and 8 of the sheet.
    kontakta::LastOpenKind lastOpenKind;
    CSetup* openSheet = nullptr;  // while the settings sheet runs
    Speech speech;
    std::u16string nameToSay;  // said when the profile's sound has played
    HWINEVENTHOOK foregroundHook = nullptr;
    kontakta::ProgramRuleState programRule;
    bool programRuleWaiting = false;  // a switch is due once nothing is busy
    HWND lastForeground = nullptr;    // as the tray timer saw it last
};
