// Small utilities of the Windows shell: a wait that keeps the thread's
// messages flowing, and the program's two sounds.
#pragma once

#include <windows.h>

#include <atomic>
#include <cstdint>

#include "sensors/ActionServices.h"

// Waits `milliseconds` in 2 ms steps while dispatching at most one message of
// the calling thread per step. Returns at once for 0. A wait started inside a
// handler that such a wait dispatched only sleeps, so handlers never nest
// more than once.
void WaitWithMessages(uint32_t milliseconds);

// Waits without limit for `event` while dispatching the calling thread's
// messages, so that another thread that waits for this thread's windows can
// finish. Returns false if the wait failed.
bool WaitForEventWithMessages(HANDLE event);

// The press sound: the wave resource "Beep", played without waiting.
void PlayPressSound();

// The speaker beep of 800 Hz for 100 ms; blocks for its length.
void ErrorBeep();

extern std::atomic<bool> pumpBusy;

class Win32Sounds : public Sounds {
public:
    void PlayPressSound() override { ::PlayPressSound(); }
    void ErrorBeep() override { ::ErrorBeep(); }
};
