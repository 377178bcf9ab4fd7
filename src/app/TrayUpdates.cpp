#include "app/TrayUpdates.h"

bool TrayUpdates::Due(bool unreadable, uint64_t now)
{
    if (known && unreadable == shownUnreadable && now - setAt < reassertMilliseconds) return false;
    known = true;
    shownUnreadable = unreadable;
    setAt = now;
    return true;
}
