// Remembers which keys and mouse buttons the program holds down, so that they
// can all be let go when the input box is lost, when the program ends, and
// even when it crashes. A switch user cannot press a physical key to free a
// stuck one.
#pragma once

#include <atomic>
#include <cstdint>

#include "sensors/ActionServices.h"
#include "sensors/Latch.h"

namespace kontakta {

// An InputSink in front of the real one: the down/up state of each key and
// button is noted on the way.
//
// Several actions may hold the same key or button (a latched SHIFT and
// another sensor's SHIFT+X), so it counts the holders of each
// (kontakta::InputHolders): a down goes out only for the first holder and an
// up only for the last, so SHIFT stays down after X. An up of something that
// nobody holds sends nothing. The counts belong to the polling thread, which
// sends every press and release; the key repetition's downs (RepeatKey, on
// the timers' thread) pass through uncounted.
//
// A release that the system refused stays noted as held, and as refused.
// Windows refuses input while another desktop has it (the lock screen, a
// consent prompt), and the session-change notification of a lock arrives
// after the desktop has switched: the releases sent then never arrive. They
// are sent again by RetryRefusedReleases (on unlock and on connect), and
// ReleaseAll ("Alle Tasten loslassen") still finds them. A refused press of
// something not held is not noted: nothing went down.
//
// It takes no lock. Windows calls a low-level hook of the user-interface
// thread from inside another thread's SendInput or keybd_event and waits for
// it, so a lock held around the real sink would stall both threads whenever
// the user-interface thread (sending a repeated key) waited for it. The
// notes are atomic words instead: a down is noted before it is sent and an
// up after, so whatever moment a crash picks, the crash path lets go of at
// least everything that is down. The callers keep two threads from sending
// events of the same key or button at once (KeyRepeat orders all key
// events; only the polling thread sends mouse events).
class HeldInputs : public InputSink {
public:
    explicit HeldInputs(InputSink& target);

    // Polling thread: counted as above. True also when nothing had to be
    // sent because another action holds the input.
    bool SendMouseButton(uint32_t flags) override;
    bool SendKey(uint8_t virtualKey, bool down) override;
    // The timers' thread: the repeated down of a held key, not counted.
    bool RepeatKey(uint8_t virtualKey) override;

    // Sends the up event of every key and button that is held, whoever holds
    // it, and forgets the holders: the plain keys first, then SHIFT, CTRL,
    // ALT and WIN, then the mouse buttons. Polling thread. Call it
    // after stopping the key repetition (KeyRepeat::Stop): a repeated
    // key-down still on its way could otherwise arrive after its key-up.
    void ReleaseAll();

    // The same for a program that is crashing, from whatever thread and
    // whatever another thread is doing: like ReleaseAll it waits for nothing,
    // and it leaves the polling thread's counts alone (the program ends).
    void ReleaseAllWithoutLock();

    // Sends again, in ReleaseAll's order, the up event of every key and
    // button whose release the system refused and that no accepted press
    // has taken up since. Call it, like ReleaseAll, after stopping the key
    // repetition.
    void RetryRefusedReleases();

    bool IsKeyHeld(uint8_t virtualKey) const;
    bool IsButtonHeld(uint32_t downFlag) const;
    bool AnythingHeld() const;
    // How many actions hold the key or button (VK_LBUTTON 0x01, VK_RBUTTON
    // 0x02, VK_MBUTTON 0x04). Polling thread.
    int Holders(uint8_t virtualKey) const { return holders.Holders(virtualKey); }
    // Whether a refused release waits to be sent again.
    bool ReleasesRefused() const;

private:
    // Sends the ups of the held keys and buttons among `keyMask` and
    // `buttonMask` (down flags), and notes the answers.
    void SendUps(const uint64_t (&keyMask)[4], uint32_t buttonMask);
    // One key event or button event as it goes out, noted, not counted.
    bool SendKeyNoted(uint8_t virtualKey, bool down);
    bool SendButtonsNoted(uint32_t flags);

    InputSink& target;
    kontakta::InputHolders holders;  // the polling thread's
    std::atomic<uint64_t> keys[4] = {};
    std::atomic<uint32_t> buttons{0};  // down flags of the held buttons
    std::atomic<uint64_t> refusedKeys[4] = {};
    std::atomic<uint32_t> refusedButtons{0};
};

}  // namespace kontakta
