#include "win/Utilities.h"

#include "win/Dialog.h"

std::atomic<bool> pumpBusy{false};

namespace {

// A WM_QUIT taken out of the queue during a wait belongs to the loop that
// runs the thread; it is put back when the wait ends.
struct QuitKeeper {
    bool seen = false;
    int code = 0;
    ~QuitKeeper()
    {
        if (seen) ::PostQuitMessage(code);
    }
};

// Dispatches one waiting message; false if there was none.
bool DispatchOneMessage(QuitKeeper& quit)
{
    MSG message;
    if (!::PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) return false;
    if (message.message == WM_QUIT) {
        quit.seen = true;
        quit.code = static_cast<int>(message.wParam);
        return true;
    }
    if (!win::Dialog::PreTranslate(message)) {
        ::TranslateMessage(&message);
        ::DispatchMessageW(&message);
    }
    return true;
}

}  // namespace

void WaitWithMessages(uint32_t milliseconds)
{
    const DWORD start = ::GetTickCount();
    if (milliseconds == 0) return;
    QuitKeeper quit;
    do {
        bool expected = false;
        if (pumpBusy.compare_exchange_strong(expected, true)) {
            DispatchOneMessage(quit);
            pumpBusy = false;
        }
        ::Sleep(2);
        // Unsigned 32-bit difference: a wrap of the tick count does no harm.
    } while (static_cast<DWORD>(::GetTickCount() - start) < milliseconds);
}

bool WaitForEventWithMessages(HANDLE event)
{
    QuitKeeper quit;
    for (;;) {
        const DWORD result = ::MsgWaitForMultipleObjectsEx(1, &event, INFINITE, QS_ALLINPUT, MWMO_INPUTAVAILABLE);
        if (result == WAIT_OBJECT_0) return true;
        if (result != WAIT_OBJECT_0 + 1) return false;
        while (DispatchOneMessage(quit)) {}
    }
}
