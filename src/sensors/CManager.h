// The hidden window that owns the polling thread. Creating the window starts
// the thread at time-critical priority; it idles until start-up has finished
// and then reads the box every 20 ms and runs the sensors' actions.
#pragma once

#include <windows.h>

#include <atomic>

#include "sensors/SensorPolling.h"
#include "win/Dialog.h"
#include "win/Handle.h"

class CManager : public win::Dialog {
public:
    // How the polling thread paces its 20 ms: a high-resolution waitable
    // timer (Windows 10 1803 and later), a plain waitable timer, which the
    // system's timer resolution (15.6 ms by default) rounds up, or, where no
    // timer can be made, a timed wait for the stop.
    enum class Pacing { NotYet, HighResolutionTimer, PlainTimer, TimedWait };

    CManager(kontakta::SensorSource& source, kontakta::ActionContext& actions, const kontakta::SharedState& shared);
    ~CManager() override;

    // The stop handshake, for the user-interface thread: signals the thread,
    // keeps messages flowing for 20 ms, then waits for the thread to end
    // while still dispatching messages, so that an action waiting for this
    // thread can finish. It runs once: a call made again from a message that
    // the waiting call dispatched (a logoff right after the exit) waits for
    // the same end of the thread, and later calls return at once. Returns at
    // once when no thread runs.
    void StopPolling();

    // Asks the polling thread to let go of every key and button the sensors
    // hold, at its next cycle (within 20 ms): when the session is locked or
    // disconnected and when it is about to end. Any thread; it does not wait.
    void ReleaseHeldInputsSoon() { poller.RequestRelease(); }

    // The same for a switch of profile (SensorPoller::RequestSwitchLetGo):
    // asked before the new profile's settings go into the live tables.
    void SwitchLetGoSoon() { poller.RequestSwitchLetGo(); }

    // Asks the polling thread to send again, at its next cycle, every
    // release that Windows refused (while the lock screen had the input):
    // when the session is unlocked or connected again. Any thread.
    void RetryRefusedReleasesSoon() { poller.RequestRetry(); }

    // Asks the polling thread to end a running scan at its next cycle, with
    // nothing done: when the monitors changed. Any thread; it does not wait.
    void CancelScanSoon() { poller.RequestScanCancel(); }

    // Stops the polling, then destroys the window.
    BOOL DestroyWindow() override;

    bool ThreadStarted() const { return state == State::Running || state == State::Stopping; }
    HANDLE ThreadHandle() const { return thread.Get(); }
    const kontakta::SensorPoller& Poller() const { return poller; }
    Pacing PacingInUse() const { return pacing; }

protected:
    BOOL OnInitDialog() override;

private:
    enum class State { NotStarted, Running, Stopping, Stopped };

    static unsigned __stdcall SensorPollThread(void* parameter);

    win::Handle stopEvent;            // auto-reset: asks the thread to end
    State state = State::NotStarted;  // user-interface thread only
    win::Handle thread;
    kontakta::SensorPoller poller;
    std::atomic<Pacing> pacing{Pacing::NotYet};
};
