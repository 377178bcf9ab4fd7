// What the program does when Windows announces the end of the session, a
// change of the session (fast user switching, a remote connection, the lock
// screen) or a change of the power state. Portable, so the choice is tested
// natively; the main window carries the steps out.
#pragma once

#include <cstdint>

namespace kontakta {

namespace session {

// The messages and codes decided on, with their values in the Windows
// headers (the main window checks that they agree).
constexpr uint32_t queryEndSessionMessage = 0x0011;  // WM_QUERYENDSESSION
constexpr uint32_t endSessionMessage = 0x0016;       // WM_ENDSESSION
constexpr uint32_t powerBroadcastMessage = 0x0218;   // WM_POWERBROADCAST
constexpr uint32_t sessionChangeMessage = 0x02B1;    // WM_WTSSESSION_CHANGE

constexpr uint64_t consoleConnect = 0x1;         // WTS_CONSOLE_CONNECT
constexpr uint64_t consoleDisconnect = 0x2;      // WTS_CONSOLE_DISCONNECT
constexpr uint64_t remoteConnect = 0x3;          // WTS_REMOTE_CONNECT
constexpr uint64_t remoteDisconnect = 0x4;       // WTS_REMOTE_DISCONNECT
constexpr uint64_t sessionLock = 0x7;            // WTS_SESSION_LOCK
constexpr uint64_t sessionUnlock = 0x8;          // WTS_SESSION_UNLOCK
constexpr uint64_t powerSuspend = 0x4;           // PBT_APMSUSPEND
constexpr uint64_t powerResumeSuspend = 0x7;     // PBT_APMRESUMESUSPEND
constexpr uint64_t powerResumeAutomatic = 0x12;  // PBT_APMRESUMEAUTOMATIC

// The steps for one message, carried out in the order of the fields.
struct Steps {
    bool saveSettings = false;       // write the settings file
    bool releaseHeldInputs = false;  // let go of every key and button a sensor holds
    bool closeKit = false;           // close the box, and keep it closed until reopenKit
    bool reopenKit = false;          // open the box again at once
    bool retryReleases = false;      // send again the releases that Windows refused
    bool tearDown = false;           // the whole shutdown: the session ends now

    bool operator==(const Steps&) const = default;
};

// The steps for `message` with its wParam; none for any other message or code.
//  - The end of the session is first only asked for, and may be cancelled
//    afterwards: the query saves and lets go, and only the confirmed end
//    (WM_ENDSESSION with TRUE) tears down; a cancelled end (FALSE) changes
//    nothing, so the program goes on as before.
//  - A session in the background (disconnected from the console or from its
//    remote connection) neither acts on sensors nor holds the box, which the
//    session in front may want; it opens the box again when it is connected.
//  - The lock screen and sleep let go of held input: nobody can release a
//    stuck key there. After sleep the box is opened again at once.
//  - The notification of a lock or a disconnect arrives after the input
//    desktop has switched, so Windows refuses the releases sent then; they
//    are sent again on unlock and on connect.
Steps StepsFor(uint32_t message, uint64_t wParam);

}  // namespace session

}  // namespace kontakta
