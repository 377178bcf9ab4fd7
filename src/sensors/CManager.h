// The hidden window that owns the polling thread. Creating the window starts
// the thread at time-critical priority; it idles until start-up has finished
// and then reads the box every 20 ms and runs the sensors' actions.
#pragma once

#include <windows.h>

#include "sensors/SensorPolling.h"
#include "win/Dialog.h"
#include "win/Handle.h"

class CManager : public win::Dialog {
public:
    CManager(SensorSource& source, ActionContext& actions);
    ~CManager() override;

    // The stop handshake: signals the thread, keeps messages flowing for
    // 20 ms, then waits for the thread's last act while still dispatching
    // messages, so that an action waiting for this thread can finish. Returns
    // at once when no thread runs.
    void StopPolling();

    // Stops the polling, then destroys the window.
    BOOL DestroyWindow() override;

    bool ThreadStarted() const { return threadStarted; }
    HANDLE ThreadHandle() const { return thread.Get(); }
    const SensorPoller& Poller() const { return poller; }

protected:
    BOOL OnInitDialog() override;

private:
    static unsigned __stdcall SensorPollThread(void* parameter);

    win::Handle stopEvent;      // auto-reset: asks the thread to end
    win::Handle finishedEvent;  // auto-reset: the thread's last act
    bool threadStarted = false;
    win::Handle thread;
    SensorPoller poller;
};
