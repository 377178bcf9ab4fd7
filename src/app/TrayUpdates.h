// When the icon in the notification area needs the shell. Every change asked
// of the shell wakes the taskbar's process, so the icon is set only when the
// box's state differs from what the icon shows, and otherwise once every few
// seconds, which brings back an icon that the shell lost without a word (the
// shell announces only a whole new taskbar). Portable; the main window asks
// it at every tick of its tray timer.
#pragma once

#include <cstdint>

namespace kontakta {

// What the icon shows: the box read, the box missing or unreadable, the
// sensors paused (which the icon shows whatever the box does), or input
// latched while the box is read and nothing is paused (both let go of it).
enum class TrayState { Readable, Unreadable, Paused, Latched };
TrayState TrayStateOf(bool unreadable, bool paused, bool latched = false);

class TrayUpdates {
public:
    static constexpr uint64_t reassertMilliseconds = 5000;

    // True when the icon is to be set now to show `state`; the answer
    // counts as done, so ask only when the shell is then called. `now` is a
    // monotonic clock in milliseconds. `detail` tells apart what the tip
    // says within a state (the latched sensors): a change of it is a change.
    bool Due(TrayState state, uint64_t now, uint32_t detail = 0);

    // The icon shows something else now (the shell was given the default
    // icon): the next question is answered with true.
    void Forget() { known = false; }

private:
    bool known = false;
    TrayState shown = TrayState::Readable;
    uint32_t shownDetail = 0;
    uint64_t setAt = 0;
};

}  // namespace kontakta
