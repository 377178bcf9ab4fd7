#include "sensors/CManager.h"

#include <process.h>

#include "win/Utilities.h"
#include "res/resource.h"

using namespace kontakta;

// Windows 10 1803 and later; older MinGW headers lack it.
#ifndef CREATE_WAITABLE_TIMER_HIGH_RESOLUTION
#define CREATE_WAITABLE_TIMER_HIGH_RESOLUTION 0x00000002
#endif

namespace {

// The polling thread's pacing: the stop event, the performance counter as
// the clock, and a waitable timer for the pause.
//
// A plain wait of 20 ms lasts until the first tick of the system's timer
// after 20 ms, about 31 ms at the default resolution of 15.6 ms; asking for
// a finer resolution (timeBeginPeriod) is ignored by Windows 11 for a process
// without a visible window. A high-resolution waitable timer keeps its time
// regardless. Where the system refuses the flag (before Windows 10 1803), a
// plain waitable timer, and where even that fails, the timed wait for the
// stop event.
//
// The timer is always set with a relative due time: relative times run on the
// system's interrupt time, which setting the clock does not move, while an
// absolute due time follows the time of day, and a clock set back would
// stall the polling. The schedule itself is absolute (NextPollDue); only each
// pause is handed to the timer as the time left until its due time.
class TimerPacing : public PollPacing {
public:
    explicit TimerPacing(HANDLE stopEvent) : stopEvent(stopEvent)
    {
        LARGE_INTEGER frequency;
        ::QueryPerformanceFrequency(&frequency);
        ticksPerSecond = frequency.QuadPart;
        timer.Reset(
            ::CreateWaitableTimerExW(nullptr, nullptr, CREATE_WAITABLE_TIMER_HIGH_RESOLUTION, TIMER_ALL_ACCESS));
        if (timer) {
            kind = CManager::Pacing::HighResolutionTimer;
            return;
        }
        timer.Reset(::CreateWaitableTimerExW(nullptr, nullptr, 0, TIMER_ALL_ACCESS));
        kind = timer ? CManager::Pacing::PlainTimer : CManager::Pacing::TimedWait;
    }

    CManager::Pacing Kind() const { return kind; }

    bool StopAsked() override { return ::WaitForSingleObject(stopEvent, 0) == WAIT_OBJECT_0; }

    int64_t NowMicroseconds() override
    {
        LARGE_INTEGER counter;
        ::QueryPerformanceCounter(&counter);
        // In two parts, so that the product cannot overflow after weeks of
        // running at a high counter frequency.
        const int64_t seconds = counter.QuadPart / ticksPerSecond;
        const int64_t rest = counter.QuadPart % ticksPerSecond;
        return seconds * 1000000 + rest * 1000000 / ticksPerSecond;
    }

    bool PauseUntil(int64_t due) override
    {
        const int64_t left = due - NowMicroseconds();
        if (left <= 0) return StopAsked();
        const DWORD milliseconds = static_cast<DWORD>((left + 999) / 1000);
        if (timer) {
            LARGE_INTEGER dueTime;
            dueTime.QuadPart = -left * 10;  // negative: relative, in 100 ns
            if (::SetWaitableTimer(timer.Get(), &dueTime, 0, nullptr, nullptr, FALSE)) {
                // The stop comes first in the array: when both are signalled,
                // the wait names the stop. The bound only guards against a
                // timer that never fires.
                const HANDLE handles[2] = {stopEvent, timer.Get()};
                const DWORD result = ::WaitForMultipleObjects(2, handles, FALSE, milliseconds + 100);
                if (result == WAIT_OBJECT_0) return true;
                if (result == WAIT_OBJECT_0 + 1 || result == WAIT_TIMEOUT) return false;
            }
        }
        return ::WaitForSingleObject(stopEvent, milliseconds) == WAIT_OBJECT_0;
    }

private:
    HANDLE stopEvent;
    win::Handle timer;
    int64_t ticksPerSecond = 1;
    CManager::Pacing kind = CManager::Pacing::TimedWait;
};

}  // namespace

CManager::CManager(SensorSource& source, ActionContext& actions, const SharedState& shared)
    : win::Dialog(IDD_HIDDEN_WINDOW),
      stopEvent(::CreateEventW(nullptr, FALSE, FALSE, nullptr)),
      poller(source, actions, shared)
{
}

CManager::~CManager()
{
    StopPolling();
}

BOOL CManager::OnInitDialog()
{
    ::ResetEvent(stopEvent.Get());
    const uintptr_t started = ::_beginthreadex(nullptr, 0, SensorPollThread, this, 0, nullptr);
    if (started != 0) {
        thread.Reset(reinterpret_cast<HANDLE>(started));
        ::SetThreadPriority(thread.Get(), THREAD_PRIORITY_TIME_CRITICAL);
        state = State::Running;
    }
    return FALSE;  // hidden: takes no focus
}

void CManager::StopPolling()
{
    switch (state) {
    case State::Running:
        state = State::Stopping;
        ::SetEvent(stopEvent.Get());
        WaitWithMessages(20);
        // The thread's own handle, not an event the thread sets: a handle
        // stays signalled once the thread has ended, so any number of waits
        // see the end, also one nested in a message this wait dispatched.
        WaitForEventWithMessages(thread.Get());
        state = State::Stopped;
        break;
    case State::Stopping:
        // Called from a message that the stop above dispatched: whoever
        // called goes on to close the kit, so the thread must have ended
        // here too.
        WaitForEventWithMessages(thread.Get());
        break;
    case State::NotStarted:
    case State::Stopped: break;
    }
}

BOOL CManager::DestroyWindow()
{
    StopPolling();
    return win::Dialog::DestroyWindow();
}

unsigned __stdcall CManager::SensorPollThread(void* parameter)
{
    auto* self = static_cast<CManager*>(parameter);
    // No COM here. A thread of a single-threaded apartment must dispatch
    // messages, or the calls and broadcasts that other programs send into
    // the apartment hang; this thread only waits for its timer. Nothing on it
    // needs COM: targets open on the shell worker's thread of its own
    // (Win32ShellWorker), which is an apartment that pumps.
    TimerPacing pacing(self->stopEvent.Get());
    self->pacing = pacing.Kind();
    RunPollLoop(self->poller, pacing);
    return 0;
}
