#include "app/TrayUpdates.h"

namespace kontakta {

TrayState TrayStateOf(bool unreadable, bool paused)
{
    if (paused) return TrayState::Paused;
    return unreadable ? TrayState::Unreadable : TrayState::Readable;
}

bool TrayUpdates::Due(TrayState state, uint64_t now)
{
    if (known && state == shown && now - setAt < reassertMilliseconds) return false;
    known = true;
    shown = state;
    setAt = now;
    return true;
}

}  // namespace kontakta
