#include "app/SessionEvents.h"

namespace kontakta {

namespace session {

Steps StepsFor(uint32_t message, uint64_t wParam)
{
    switch (message) {
    case queryEndSessionMessage: return {.saveSettings = true, .releaseHeldInputs = true};
    case endSessionMessage: return {.tearDown = wParam != 0};
    case sessionChangeMessage:
        switch (wParam) {
        case consoleDisconnect:
        case remoteDisconnect: return {.releaseHeldInputs = true, .closeKit = true};
        case consoleConnect:
        case remoteConnect: return {.reopenKit = true, .retryReleases = true};
        case sessionLock: return {.releaseHeldInputs = true};
        case sessionUnlock: return {.retryReleases = true};
        }
        break;
    case powerBroadcastMessage:
        switch (wParam) {
        case powerSuspend: return {.releaseHeldInputs = true};
        case powerResumeAutomatic:
        case powerResumeSuspend: return {.reopenKit = true};
        }
        break;
    }
    return {};
}

}  // namespace session

}  // namespace kontakta
