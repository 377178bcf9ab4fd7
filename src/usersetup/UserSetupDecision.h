// What the per-user step of the installation decides for one user, without
// Windows: what to write into "UpdateCode" so that the program copies the
// installed default settings only for a user who has no settings file yet.
//
// The program treats a missing "UpdateCode" like "1" and then copies the
// defaults over the user's settings.dat at its next start; whether it finds
// the value is UpdateCodeMeaning's answer (settings/SettingsFile.h), which
// the program itself uses. The fault this guards against is an update that
// wipes out a switch user's configuration.
#pragma once

#include <cstdint>

namespace usersetup {

// Whether the user's settings.dat is there; Unknown when its folder could
// not be asked (an unreachable redirected Documents folder, no access).
enum class SettingsFile { Missing, Present, Unknown };

enum class UpdateCodeChange {
    Leave,      // keep the value as it is
    WriteOne,   // "1": copy the defaults at the next start
    WriteZero,  // "0": keep the user's file
    GiveUp,     // change nothing and report a failure
};

// No settings file: "1", so the program has a file to start with. A settings
// file: never "1"; "0" only where the program would find no value, anything
// else stays. Without knowing about the file nothing is written: "1" could
// cost the user's file, and "0" without a file would stop the program.
UpdateCodeChange DecideUpdateCode(SettingsFile settingsFile, bool programFindsUpdateCode);

// Who uses the desktop of the setup's session, as the elevated setup sees it:
// the owner of the shell (Explorer) compared with the setup's own user.
enum class DesktopUser {
    NoShell,     // no shell in this session (a console, a deployment tool)
    Same,        // the setup runs as the desktop user (elevated by consent)
    Other,       // another user: an administrator typed a password for the desktop user
    Unreadable,  // there is a shell, but its user could not be asked
};

enum class PrepareWhom {
    ThisUser,     // the step runs as the setup's own user
    DesktopUser,  // the step runs as the desktop user, unelevated
    Nobody,       // Active Setup prepares the desktop user at the next logon
};

// With over-the-shoulder elevation the setup runs as the administrator whose
// password was typed, in the desktop user's session: it is the desktop user
// who will use Kontakta, and the administrator's profile is left alone.
// Without a shell there is no one else the setup could mean.
PrepareWhom DecideWhomToPrepare(DesktopUser desktop);

// Exit codes of KontaktaUserSetup.exe.
enum ExitCode : int {
    Done = 0,
    NoDocumentsFolder = 2,     // the shell named no Documents folder
    UserFolderNotCreated = 3,  // "Kontakta User Files" could not be made
    SettingsFileUnknown = 4,   // settings.dat could not be asked about
    UserKeyNotOpened = 5,      // HKCU Software\KORVA\Kontakta could not be opened or created
    UpdateCodeNotWritten = 6,  // "UpdateCode" could not be written
    // Only with /desktop or /start, run by the setup:
    DesktopUserPrepared = 10,    // the step ran as the desktop user, who is not the setup's user
    DesktopUserNotReached = 11,  // the step could not run as the desktop user
    KontaktaNotStarted = 12,     // Kontakta could not be started for the desktop user
};

}  // namespace usersetup
