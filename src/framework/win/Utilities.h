// Waits that keep the thread's messages flowing.
#pragma once

#include <windows.h>

#include <atomic>
#include <cstdint>

// Waits `milliseconds` in 2 ms steps while dispatching at most one message of
// the calling thread per step. Returns at once for 0. A wait started inside a
// handler that such a wait dispatched only sleeps, so handlers never nest
// more than once.
void WaitWithMessages(uint32_t milliseconds);

// Waits without limit for `event` while dispatching the calling thread's
// messages, so that another thread that waits for this thread's windows can
// finish. Returns false if the wait failed.
bool WaitForEventWithMessages(HANDLE event);

extern std::atomic<bool> pumpBusy;
