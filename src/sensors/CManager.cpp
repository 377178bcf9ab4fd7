#include "sensors/CManager.h"

#include <objbase.h>
#include <process.h>

#include "win/Utilities.h"
#include "res/resource.h"

namespace {

class EventStop : public StopSignal {
public:
    explicit EventStop(HANDLE event) : event(event) {}
    bool IsSet() override { return Wait(0); }
    bool Wait(uint32_t milliseconds) override { return ::WaitForSingleObject(event, milliseconds) == WAIT_OBJECT_0; }

private:
    HANDLE event;
};

}  // namespace

CManager::CManager(SensorSource& source, ActionContext& actions)
    : win::Dialog(IDD_HIDDEN_WINDOW),
      stopEvent(::CreateEventW(nullptr, FALSE, FALSE, nullptr)),
      finishedEvent(::CreateEventW(nullptr, FALSE, FALSE, nullptr)),
      poller(source, actions)
{
}

CManager::~CManager() { StopPolling(); }

BOOL CManager::OnInitDialog()
{
    const uintptr_t started = ::_beginthreadex(nullptr, 0, SensorPollThread, this, 0, nullptr);
    if (started != 0) {
        thread.Reset(reinterpret_cast<HANDLE>(started));
        ::SetThreadPriority(thread.Get(), THREAD_PRIORITY_TIME_CRITICAL);
        threadStarted = true;
    }
    return FALSE;  // hidden: takes no focus
}

void CManager::StopPolling()
{
    if (!threadStarted) return;
    ::SetEvent(stopEvent.Get());
    WaitWithMessages(20);
    WaitForEventWithMessages(finishedEvent.Get());
    // The thread's last act was the event; let it leave completely.
    ::WaitForSingleObject(thread.Get(), INFINITE);
    threadStarted = false;
}

BOOL CManager::DestroyWindow()
{
    StopPolling();
    return win::Dialog::DestroyWindow();
}

unsigned __stdcall CManager::SensorPollThread(void* parameter)
{
    auto* self = static_cast<CManager*>(parameter);
    // The shell, asked to open a target on this thread, wants COM here.
    const HRESULT com = ::CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED | COINIT_DISABLE_OLE1DDE);
    EventStop stop(self->stopEvent.Get());
    RunPollLoop(self->poller, stop);
    if (SUCCEEDED(com)) ::CoUninitialize();
    ::SetEvent(self->finishedEvent.Get());
    return 0;
}
