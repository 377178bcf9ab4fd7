#include "app/TrayUpdates.h"

namespace kontakta {

TrayState TrayStateOf(bool unreadable, bool paused, bool latched)
{
    if (paused) return TrayState::Paused;
    if (unreadable) return TrayState::Unreadable;
    return latched ? TrayState::Latched : TrayState::Readable;
}

bool TrayUpdates::Due(TrayState state, uint64_t now, uint32_t detail)
{
    if (known && state == shown && detail == shownDetail && now - setAt < reassertMilliseconds) return false;
    known = true;
    shown = state;
    shownDetail = detail;
    setAt = now;
    return true;
}

}  // namespace kontakta
