#include "app/CKontaktaDlg.h"

#include <shlobj.h>
#include <wtsapi32.h>

#include <algorithm>
#include <atomic>
#include <cstring>
#include <cwchar>

#include "app/AppMessages.h"
#include "app/CStartPicture.h"
#include "app/Sounds.h"
#include "app/LatchedView.h"
#include "app/ProgramObjects.h"
#include "texts/Texts.h"
#include "app/TrayIcon.h"
#include "win/Utilities.h"
#include "res/resource.h"
#include "sensors/SensorActivity.h"
#include "settings/LiveProfiles.h"
#include "settings/RegistryValues.h"
#include "settings/SettingsFile.h"
#include "settings/SettingsLog.h"
#include "settings/StartupValues.h"
#include "settings/Win32Registry.h"
#include "ui/CEditAction.h"
#include "ui/CSetup.h"
#include "win/Handle.h"
#include "win/Text.h"

using namespace kontakta;

namespace {

// Opens an existing key; the program never creates its keys.
win::RegistryKey OpenKey(HKEY root, const std::u16string& path)
{
    win::RegistryKey key;
    if (::RegOpenKeyW(root, win::Wide(path).c_str(), key.Put()) != ERROR_SUCCESS) return win::RegistryKey();
    return key;
}

// Read by the polling thread too (CKontaktaDlg::Current).
std::atomic<HWND> mainWindow{nullptr};
HWND MainWindow()
{
    return mainWindow;
}

// The window the foreground hook reports to (user-interface thread only).
CKontaktaDlg* foregroundOwner = nullptr;

static_assert(session::queryEndSessionMessage == WM_QUERYENDSESSION && session::endSessionMessage == WM_ENDSESSION &&
              session::powerBroadcastMessage == WM_POWERBROADCAST &&
              session::sessionChangeMessage == WM_WTSSESSION_CHANGE);
static_assert(session::consoleConnect == WTS_CONSOLE_CONNECT && session::consoleDisconnect == WTS_CONSOLE_DISCONNECT &&
              session::remoteConnect == WTS_REMOTE_CONNECT && session::remoteDisconnect == WTS_REMOTE_DISCONNECT &&
              session::sessionLock == WTS_SESSION_LOCK && session::sessionUnlock == WTS_SESSION_UNLOCK);
static_assert(session::powerSuspend == PBT_APMSUSPEND && session::powerResumeSuspend == PBT_APMRESUMESUSPEND &&
              session::powerResumeAutomatic == PBT_APMRESUMEAUTOMATIC);

bool RunsElevated()
{
    win::Handle token;
    if (!::OpenProcessToken(::GetCurrentProcess(), TOKEN_QUERY, token.Put())) return false;
    TOKEN_ELEVATION elevation{};
    DWORD size = 0;
    return ::GetTokenInformation(token.Get(), TokenElevation, &elevation, sizeof elevation, &size) &&
           elevation.TokenIsElevated != 0;
}

}  // namespace

CKontaktaDlg::CKontaktaDlg() : win::Dialog(IDD_KONTAKTA_DIALOG) {}

BOOL CKontaktaDlg::OnInitDialog()
{
    mainWindow = hwnd;
    ::SendMessageW(hwnd, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(appIcon));
    ::SendMessageW(hwnd, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(appIcon));
    // A second instance finds this one by this title and posts its request
    // for the settings. Windows drops messages from a process of lower
    // integrity (a normal start while this one runs with administrator
    // rights) unless the window lets them through; a normal instance keeps
    // the default, so that no sandboxed process can command it.
    ::SetWindowTextW(hwnd, win::Wide(texts::mainTitle).c_str());
    if (RunsElevated()) ::ChangeWindowMessageFilterEx(hwnd, WM_COMMAND, MSGFLT_ALLOW, nullptr);

    ReadInstallDirectory();
    ReadUpdateCode();

    wchar_t documents[MAX_PATH] = {};
    if (!::SHGetSpecialFolderPathW(nullptr, documents, CSIDL_PERSONAL, FALSE)) {
        ShowMessage(hwnd, texts::documentsMissing);
        EndDialog(0);
        return TRUE;
    }
    UserFilesDirectory = texts::UserFilesDirectoryFor(win::Utf16(documents));

    CStartPicture splash;
    splash.Create(hwnd);
    splash.ShowStatus(win::Wide(texts::SplashStatus()));

    settingsControl.Create();
    ioControl.Create();  // opens the input box
    lastOpenKind.Note(int32_t(ioControl.deviceKind()));
    manager.Create();  // starts the polling thread, which idles until the end of start-up
    actionControl.Create();
    msgBox.Create();

    MessageBoxSink versionMessages(&MainWindow);
    if (!LoadSettings(settingsStorage, versionMessages)) {
        settingsControl.DestroyWindow();
        ioControl.CloseKit();
        ioControl.DestroyWindow();
        manager.StopPolling();
        manager.DestroyWindow();
        actionControl.DestroyWindow();
        msgBox.DestroyWindow();
        splash.DestroyWindow();
        EndDialog(-1);
        return TRUE;
    }

    AddTrayIcon(hwnd);
    WaitWithMessages(1000);
    splash.DestroyWindow();
    ::ShowWindow(hwnd, SW_MINIMIZE);
    SetTimer(HideTimer, 0);
    SetTimer(TrayTimer, 100);
    if (win::RegistryKey key = OpenKey(HKEY_CURRENT_USER, texts::UserKeyPath())) {
        // The string "0": the character and its terminator.
        ::RegSetValueExW(key.Get(), L"UpdateCode", 0, REG_SZ, reinterpret_cast<const BYTE*>(L"0"), 4);
    }
    RegisterForSessionNotifications();
    // Out of context: the callback comes through this thread's message
    // loops, nothing runs inside other processes. Own windows do not count
    // (the tray menu takes the foreground while it is open).
    foregroundOwner = this;
    foregroundHook = ::SetWinEventHook(EVENT_SYSTEM_FOREGROUND, EVENT_SYSTEM_FOREGROUND, nullptr, &ForegroundChanged, 0,
                                       0, WINEVENT_OUTOFCONTEXT | WINEVENT_SKIPOWNPROCESS);
    startupPending = false;
    // The program in front now may have a profile. (The tip with the
    // profile's name is the tray timer's first tick: it comes only once the
    // window is hidden, and so tells that start-up has finished.)
    AskProgramRule();
    return TRUE;
}

void CKontaktaDlg::ReadInstallDirectory()
{
    // The same path in HKLM (an installation for all users) and in HKCU (one
    // for this user only); see ChooseInstallDirectory.
    auto readKey = [](HKEY root) {
        DirectoryKey read;
        const win::RegistryKey key = OpenKey(root, texts::MachineKeyPath());
        read.opened = bool(key);
        if (key) read.value = ReadRegistryValue(key.Get(), L"Directory");
        return read;
    };
    const InstallDirectoryChoice choice =
        ChooseInstallDirectory(readKey(HKEY_LOCAL_MACHINE), readKey(HKEY_CURRENT_USER));
    if (choice.reportMachineKeyMissing) ShowMessage(hwnd, texts::machineKeyMissing);
    if (!choice.directory) return;
    InstallDirectory = *choice.directory;
    if (!::SetCurrentDirectoryW(win::Wide(InstallDirectory).c_str()))
        ShowMessage(hwnd, texts::DirectoryInvalid(InstallDirectory));
}

void CKontaktaDlg::ReadUpdateCode()
{
    const win::RegistryKey key = OpenKey(HKEY_CURRENT_USER, texts::UserKeyPath());
    if (!key) {
        ShowMessage(hwnd, texts::userKeyMissing);
        return;  // UpdateCode stays 0
    }
    // Judged as the per-user step of the installation judges it: a value
    // that is not a string is there, and never asks for the defaults.
    static_assert(uint32_t(RegistryType::String) == REG_SZ && uint32_t(RegistryType::ExpandString) == REG_EXPAND_SZ);
    UpdateCode = UpdateCodeMeaning(ReadRegistryValue(key.Get(), L"UpdateCode")).code;
}

BOOL CKontaktaDlg::DestroyWindow()
{
    Shutdown();
    // Windows wants the registration ended before its window goes.
    if (sessionNotifications) ::WTSUnRegisterSessionNotification(hwnd);
    sessionNotifications = false;
    const BOOL destroyed = win::Dialog::DestroyWindow();
    mainWindow = nullptr;
    return destroyed;
}

void CKontaktaDlg::Shutdown()
{
    // Once: the shutdown dispatches messages while it waits for the polling
    // thread, and a second request arriving then (the session's end right
    // after an exit) must not start it over; a later one finds it done.
    if (startupPending || shutdownStarted) return;
    shutdownStarted = true;
    SaveSettingsAtShutdown(settingsStorage);  // nobody may be there to read a message: a failure goes to the log
    actionControl.DestroyWindow();
    manager.StopPolling();
    manager.DestroyWindow();
    ioControl.CloseKit();
    ioControl.DestroyWindow();
    settingsControl.DestroyWindow();
    msgBox.DestroyWindow();
    KillTimer(TrayTimer);  // which would put the icon back
    KillTimer(SessionTimer);
    KillTimer(CloseTimer);
    KillTimer(SpeechTimer);
    speech.Close();
    if (foregroundHook) ::UnhookWinEvent(foregroundHook);
    foregroundHook = nullptr;
    foregroundOwner = nullptr;
    RemoveTrayIcon(hwnd);
    indicator.Destroy();
    scanDisplay.Destroy();  // the polling, which drives it, has stopped
}

void CKontaktaDlg::CarryOut(const session::Steps& steps)
{
    // Nothing to act on before start-up has finished or once the shutdown began.
    if (startupPending || shutdownStarted) return;
    if (steps.saveSettings) SaveSettingsAtShutdown(settingsStorage);  // as at shutdown: nobody may be there
    if (steps.releaseHeldInputs) manager.ReleaseHeldInputsSoon();
    // A closed kit counts as unreadable, so the icon and the sheet's status
    // line show the box missing; the polling lets go when it sees that.
    if (steps.closeKit) ioControl.CloseKit();
    if (steps.reopenKit) ioControl.ReopenNow();
    if (steps.retryReleases) manager.RetryRefusedReleasesSoon();
    if (steps.tearDown) {
        Shutdown();
        EndDialog(0);  // and ends: the Restart Manager (ENDSESSION_CLOSEAPP) waits for that
    }
}

void CKontaktaDlg::RegisterForSessionNotifications()
{
    // Early in a logon the Remote Desktop Services may not be running yet and
    // the registration fails; it is tried again every 2 s until it works.
    sessionNotifications = ::WTSRegisterSessionNotification(hwnd, NOTIFY_FOR_THIS_SESSION) != FALSE;
    if (sessionNotifications)
        KillTimer(SessionTimer);
    else
        SetTimer(SessionTimer, 2000);
}

void CKontaktaDlg::ConfirmExit()
{
    if (shutdownStarted || closeRequested) return;
    exitPromptOpen = true;
    if (AskOkCancel(hwnd, texts::ExitQuestion())) EndDialog(0);
    exitPromptOpen = false;
}

namespace {
// The settings sheet's view of the running program.
class ProgramSheetServices : public SheetServices {
public:
    ProgramSheetServices(CKontaktaDlg& program, LastOpenKind& lastOpenKind)
        : program(program), lastOpenKind(lastOpenKind)
    {
    }
    bool BoxUnreadable() override { return readFailed; }
    int32_t DeviceKindNow() override { return int32_t(ioControl.deviceKind()); }
    int32_t RowsDeviceKind() override { return lastOpenKind.Note(DeviceKindNow()); }
    bool SaveSettings() override { return ::SaveSettings(settingsStorage); }
    std::u16string SettingsFileName() override { return SettingsFilePath(); }
    kontakta::ProfileStore Profiles() override { return CurrentProfiles(); }
    bool ApplyProfiles(const kontakta::ProfileStore& edited) override
    {
        // The let-go is the polling thread's, at its next cycle, before the
        // new settings act (they are in the live tables by then).
        const bool activeChanges = ActiveProfileChanges(CurrentProfiles(), edited);
        if (AdoptProfiles(settingsStorage, edited, [] { manager.SwitchLetGoSoon(); }) != SaveResult::Saved)
            return false;
        program.ProfilesApplied(activeChanges);
        return true;
    }

private:
    CKontaktaDlg& program;
    LastOpenKind& lastOpenKind;
};
}  // namespace

void CKontaktaDlg::OpenSettingsSheet()
{
    if (shutdownStarted || closeRequested || exitPromptOpen) return;
    if (settingsOpen) {
        // There is only one sheet; a user who asks for it again wants to see it.
        BringSheetToFront();
        return;
    }
    settingsOpen = true;
    {
        ProgramSheetServices services(*this, lastOpenKind);
        CSetup sheet(win::Wide(texts::SettingsCaption()), services);
        openSheet = &sheet;
        ::PostMessageW(hwnd, BringSheetMessage, 0, 0);  // dispatched by the sheet's own loop
        sheet.DoModal(hwnd);
        openSheet = nullptr;
    }
    settingsOpen = false;
    AskProgramRule();  // a switch that waited for the sheet
}

void CKontaktaDlg::BringSheetToFront()
{
    const HWND sheet = openSheet ? openSheet->GetSafeHwnd() : nullptr;
    if (!sheet) return;
    // Windows lets this process take the foreground when a second instance,
    // started by the user, passed its right on (AllowSetForegroundWindow),
    // or when the user clicked the icon. A dialog open over the sheet (the
    // action editor, a message) is the one to come to the front.
    ::SetForegroundWindow(::GetLastActivePopup(sheet));
}

// The close request of a setup must be answered at once: it waits a few
// seconds for the program to end and then gives up. But WM_CLOSE arrives in
// whatever message loop runs (the sheet's, the editor's, a message box's),
// and the main window's own loop, which ends the program, only returns when
// every loop started above it has returned. So each open window is closed,
// the innermost first: only the innermost window of a modal chain is enabled
// (Windows disables the owner of a modal dialog), and each one closed
// enables the one below it. A timer of this window takes the next step; any
// loop of the thread dispatches it.
void CKontaktaDlg::RequestClose()
{
    if (shutdownStarted) return;
    if (!closeRequested) {
        closeRequested = true;
        EndDialog(0);  // the main loop ends once the loops above it have
        ::EndMenu();   // the menu of the icon has a loop of its own
    }
    // During start-up only a message can be open; start-up ends the program
    // once it has finished, as the main loop never starts.
    if (CloseOpenWindows()) SetTimer(CloseTimer, 50);
}

bool CKontaktaDlg::CloseOpenWindows()
{
    bool open = false;
    auto askOnce = [this](HWND window, const auto& close) {
        if (!::IsWindowEnabled(window)) return;  // a window above it is still open
        for (HWND asked : askedToClose)
            if (asked == window) return;
        askedToClose.push_back(window);
        close();
    };
    // Message boxes (the exit question among them) and the file dialog: the
    // dialogs of this thread that are neither ours nor the sheet. WM_CLOSE
    // is their close box, which answers Cancel.
    struct Search {
        HWND sheet;
        std::vector<HWND> found;
    } search{openSheet ? openSheet->GetSafeHwnd() : nullptr, {}};
    ::EnumThreadWindows(
        ::GetCurrentThreadId(),
        [](HWND window, LPARAM data) -> BOOL {
            auto& search = *reinterpret_cast<Search*>(data);
            wchar_t className[16] = {};
            ::GetClassNameW(window, className, 16);
            if (window != search.sheet && std::wcscmp(className, L"#32770") == 0 && ::IsWindowVisible(window) &&
                !win::IsOurDialog(window))
                search.found.push_back(window);
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&search));
    for (HWND box : search.found) {
        open = true;
        askOnce(box, [box] { ::PostMessageW(box, WM_CLOSE, 0, 0); });
    }
    // The action editor, as its Cancel button: its working copy is dropped.
    if (currentEditor && currentEditor->GetSafeHwnd()) {
        open = true;
        CEditAction* editor = currentEditor;
        askOnce(editor->GetSafeHwnd(), [editor] { editor->EndDialog(IDCANCEL); });
    }
    // The sheet, as its close box: it writes no file. Its changes are in the
    // live settings already, which the shutdown saves.
    if (const HWND sheet = openSheet ? openSheet->GetSafeHwnd() : nullptr) {
        open = true;
        askOnce(sheet, [sheet] { ::PostMessageW(sheet, WM_CLOSE, 0, 0); });
    }
    return open;
}

void CKontaktaDlg::OnCancel()
{
    // What a dialog makes of WM_CLOSE; the main window has no Cancel button.
    RequestClose();
}

bool CKontaktaDlg::OnCommand(WORD id, WORD, HWND)
{
    switch (id) {
    case ID_EXIT: ConfirmExit(); return true;
    case ID_SETTINGS: OpenSettingsSheet(); return true;
    case ID_PAUSE_SENSORS: TogglePause(); return true;
    case ID_RELEASE_ALL: manager.ReleaseHeldInputsSoon(); return true;
    }
    if (id >= ID_PROFILE_FIRST && id < ID_PROFILE_FIRST + maxProfiles) {
        SwitchProfile(size_t(id - ID_PROFILE_FIRST), true);
        return true;
    }
    return false;
}

void CKontaktaDlg::SwitchProfile(size_t index, bool byHand)
{
    // The sheet shows and edits the active profile: it switches itself.
    if (startupPending || shutdownStarted || settingsOpen) return;
    if (!SwitchLiveProfile(index, byHand, [] { manager.SwitchLetGoSoon(); })) return;
    if (byHand) {
        programRule = AfterManualSwitch(programRule);  // it wins until the foreground changes
        programRuleWaiting = false;
    }
    // Kontakta starts with the profile chosen last by hand: the file keeps
    // it at once. Nobody may be there to read a message: a failure goes to
    // the log, and the shutdown saves again.
    if (byHand) SaveSettingsAtShutdown(settingsStorage);
    AnnounceProfile();
}

void CKontaktaDlg::ProfilesApplied(bool activeChanged)
{
    if (!activeChanged) {
        RefreshTrayNow();  // a name may have changed
        return;
    }
    programRule = AfterManualSwitch(programRule);  // the sheet's choice is one by hand
    AnnounceProfile();
}

void CKontaktaDlg::AnnounceProfile()
{
    const ProfileStore& store = LiveProfiles();
    const size_t number = store.ActiveIndex() + 1;
    PlayProfileSound(number);
    // Said after the tones, which it would otherwise cover.
    nameToSay = store.Active().name;
    SetTimer(SpeechTimer, ProfileSoundMilliseconds(number) + 150);
    RefreshTrayNow();
}

std::u16string CKontaktaDlg::ProfileTipName() const
{
    const ProfileStore& store = LiveProfiles();
    return store.Count() > 1 ? store.Active().name : std::u16string();
}

namespace {

// The program of `window`, as a path; empty when it cannot be asked.
// PROCESS_QUERY_LIMITED_INFORMATION is the right Windows grants for
// processes of higher integrity too; another user's may still refuse it.
std::u16string ProgramOf(HWND window)
{
    DWORD process = 0;
    if (!window || !::GetWindowThreadProcessId(window, &process) || !process) return {};
    const win::Handle handle(::OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, process));
    if (!handle) return {};
    wchar_t path[MAX_PATH * 2] = {};
    DWORD size = ARRAYSIZE(path);
    if (!::QueryFullProcessImageNameW(handle.Get(), 0, path, &size)) return {};
    return win::Utf16(std::wstring(path, size));
}

bool AnyProgramNamed(const ProfileStore& store)
{
    for (const Profile& profile : store.All())
        if (!profile.programs.empty()) return true;
    return false;
}

}  // namespace

void CALLBACK CKontaktaDlg::ForegroundChanged(HWINEVENTHOOK, DWORD, HWND, LONG, LONG, DWORD, DWORD)
{
    // Called on this thread (out of context); the window is asked for anew,
    // as the event may be late.
    if (foregroundOwner) foregroundOwner->AskProgramRule();
}

bool CKontaktaDlg::BusyNow() const
{
    // The polling thread publishes what is pressed, latched and scanned.
    for (int index = 0; index < sensorCount; ++index)
        if (sensorActivity.SwitchPressed(index)) return true;
    return sensorActivity.LatchedSensors() != 0 || sensorActivity.Scanning();
}

void CKontaktaDlg::AskProgramRule()
{
    programRuleWaiting = false;
    if (startupPending || shutdownStarted || !AnyProgramNamed(LiveProfiles())) return;
    const HWND foreground = ::GetForegroundWindow();
    // Our own windows (the sheet, a message, the tray menu) are no change
    // of program.
    DWORD process = 0;
    ::GetWindowThreadProcessId(foreground, &process);
    if (process == ::GetCurrentProcessId()) return;
    const std::u16string exe = ProgramOf(foreground);
    const ProgramRuleDecision decision =
        DecideProgramProfile(LiveProfiles(), programRule, exe, BusyNow(), settingsOpen || exitPromptOpen);
    programRule = decision.state;
    programRuleWaiting = decision.waiting;
    if (decision.activate) SwitchProfile(*decision.activate, false);
}

void CKontaktaDlg::RefreshTrayNow()
{
    trayUpdates.Forget();
    OnTimer(TrayTimer);
}

HWND CKontaktaDlg::Current()
{
    return mainWindow;
}

void CKontaktaDlg::TogglePause()
{
    // A pause lets go of what the sensors hold and holds every action back
    // until it is chosen again; it is not saved.
    sensorsPaused = !sensorsPaused;
    if (sensorsPaused) manager.ReleaseHeldInputsSoon();
    // The icon and its tip follow at once, not at the next tick.
    const TrayState state = TrayStateOf(readFailed, sensorsPaused);
    if (trayUpdates.Due(state, ::GetTickCount64())) RefreshTrayIcon(hwnd, state);
}

void CKontaktaDlg::OnTimer(UINT_PTR id)
{
    if (id == HideTimer) {
        KillTimer(HideTimer);
        ::ShowWindow(hwnd, SW_HIDE);
    } else if (id == TrayTimer) {
        // Checked in-process every tick; the shell is called only when due.
        // The polling thread publishes the latched sensors in an atomic.
        const uint32_t latched = sensorActivity.LatchedSensors();
        const bool paused = sensorsPaused;
        const kontakta::ActionsSettings options = actionOptions.Get();
        const std::u16string held = latched ? DescribeLatched(latched, sensorActions.GetAll(), options) : u"";
        const TrayState state = TrayStateOf(readFailed, paused, latched != 0);
        indicator.Show(options.showIndicator ? IndicatorText(held, paused) : u"");
        const ProfileStore& profiles = LiveProfiles();
        const uint32_t detail = state == TrayState::Latched    ? latched
                                : state == TrayState::Readable ? profiles.IdAt(profiles.ActiveIndex())
                                                               : 0;
        if (trayUpdates.Due(state, ::GetTickCount64(), detail)) {
            RefreshTrayIcon(hwnd, state, held, ProfileTipName());
            // Whenever the icon changes (a box found or lost) and now and
            // then, never every tick: the kind is read under the device's lock.
            lastOpenKind.Note(int32_t(ioControl.deviceKind()));
        }
        // The per-program rule: a switch that waited for quiet (the sheet
        // asks once it closes), and a change of the foreground that the
        // hook did not report (its events come asynchronously and are not
        // delivered everywhere: under Wine 8 none arrived).
        const HWND foreground = ::GetForegroundWindow();
        const bool foregroundChanged = foreground != lastForeground;
        lastForeground = foreground;
        if (!settingsOpen && (foregroundChanged || (programRuleWaiting && !BusyNow()))) AskProgramRule();
    } else if (id == SessionTimer) {
        RegisterForSessionNotifications();
    } else if (id == CloseTimer) {
        if (!CloseOpenWindows()) KillTimer(CloseTimer);
    } else if (id == SpeechTimer) {
        KillTimer(SpeechTimer);
        speech.Say(nameToSay);
    }
}

INT_PTR CKontaktaDlg::OnMessage(UINT message, WPARAM wParam, LPARAM lParam, bool& handled)
{
    handled = true;
    switch (message) {
    case WM_SYSCOMMAND:
        if ((wParam & 0xFFF0) == SC_MINIMIZE || (wParam & 0xFFF0) == SC_CLOSE) {
            // The window only hides; the program goes on in the notification area.
            ::ShowWindow(hwnd, SW_HIDE);
            return TRUE;
        }
        break;
    case WM_PAINT:
        if (::IsIconic(hwnd)) {
            PaintMinimised();
            return TRUE;
        }
        break;
    case WM_QUERYDRAGICON:
        // One of the messages whose result a dialog procedure returns directly.
        return reinterpret_cast<INT_PTR>(appIcon);
    case WM_HELP: return TRUE;  // F1 does nothing
    case WM_CLOSE: RequestClose(); return TRUE;
    case TrayCallbackMessage:
        OnTrayNotification(wParam, lParam);
        SetMsgResult(1);
        return TRUE;
    case WM_QUERYENDSESSION:
        // Only asked: another program or the user may still cancel the end.
        CarryOut(session::StepsFor(message, wParam));
        SetMsgResult(TRUE);  // the session may end
        return TRUE;
    case WM_ENDSESSION:
    case WM_WTSSESSION_CHANGE:
    case WM_POWERBROADCAST: CarryOut(session::StepsFor(message, wParam)); break;  // the default answers
    case BringSheetMessage: BringSheetToFront(); return TRUE;
    case Win32ScanDisplay::viewMessage: scanDisplay.OnViewMessage(); return TRUE;
    case Win32ScanDisplay::hideMessage:
        // Sent by the polling thread, which waits for the answer before it
        // sends a click, a drag or a wheel notch.
        scanDisplay.OnHideMessage();
        SetMsgResult(1);
        return TRUE;
    case WM_DISPLAYCHANGE:
        // Monitors added, removed or changed: a running scan's lines and
        // positions are of the old ones, so it ends with nothing done.
        if (!startupPending && !shutdownStarted) manager.CancelScanSoon();
        break;
    case TogglePauseMessage:
        // A switch user cannot see the icon change: the sound tells which.
        TogglePause();
        PlayPauseSound(sensorsPaused);
        return TRUE;
    case NextProfileMessage:
        // Like every action but the resume, not while paused (a pause may
        // have come between the sensor's press and this message).
        if (!sensorsPaused) SwitchProfile(LiveProfiles().NextIndex(), true);
        return TRUE;
    default:
        if (message == taskbarCreatedMessage && message != 0) {
            AddTrayIcon(hwnd);     // the new taskbar shows the default icon
            trayUpdates.Forget();  // until the next tick sets the state
            break;
        }
        break;
    }
    handled = false;
    return 0;
}

void CKontaktaDlg::OnTrayNotification(WPARAM id, LPARAM mouseMessage)
{
    if (id != trayIconId) return;
    if (mouseMessage == WM_LBUTTONDOWN)
        OpenSettingsSheet();
    else if (mouseMessage == WM_RBUTTONDOWN) {
        std::vector<std::u16string> names;
        for (const Profile& profile : LiveProfiles().All()) names.push_back(profile.name);
        ShowTrayMenu(hwnd, settingsOpen || exitPromptOpen, sensorsPaused, names, LiveProfiles().ActiveIndex());
    }
}

void CKontaktaDlg::PaintMinimised()
{
    PAINTSTRUCT paint;
    const HDC dc = ::BeginPaint(hwnd, &paint);
    ::SendMessageW(hwnd, WM_ICONERASEBKGND, reinterpret_cast<WPARAM>(dc), 0);
    RECT client;
    ::GetClientRect(hwnd, &client);
    const int width = ::GetSystemMetrics(SM_CXICON);
    const int height = ::GetSystemMetrics(SM_CYICON);
    ::DrawIcon(dc, (client.right - width + 1) / 2, (client.bottom - height + 1) / 2, appIcon);
    ::EndPaint(hwnd, &paint);
}
