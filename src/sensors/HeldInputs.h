// Remembers which keys and mouse buttons the program holds down, so that they
// can all be let go when the input box is lost, when the program ends, and
// even when it crashes. A switch user cannot press a physical key to free a
// stuck one.
#pragma once

#include <atomic>
#include <cstdint>
#include <mutex>

#include "sensors/ActionServices.h"

// An InputSink in front of the real one: every event passes through, and the
// down/up state of each key and button is noted on the way.
class HeldInputs : public InputSink {
public:
    explicit HeldInputs(InputSink& target);

    bool SendMouseButton(uint32_t flags) override;
    void SendKey(uint8_t virtualKey, bool down) override;

    // Sends the up event of every key and button that is held: the plain
    // keys first, then SHIFT, CTRL and ALT, then the mouse buttons.
    void ReleaseAll();

    // The same for a program that is crashing: takes no lock (the crashed
    // thread may hold it) and sends the up events straight to the system.
    void ReleaseAllWithoutLock();

    bool IsKeyHeld(uint8_t virtualKey) const;
    bool IsButtonHeld(uint32_t downFlag) const;
    bool AnythingHeld() const;

private:
    void ReleaseHeld();

    std::mutex lock;  // orders the events of the threads that send
    InputSink& target;
    // Written under the lock, readable without it.
    std::atomic<uint64_t> keys[4] = {};
    std::atomic<uint32_t> buttons{0};  // down flags of the held buttons
};
