#include "sensors/CActionControl.h"

#include "res/resource.h"

using namespace kontakta;

namespace {
constexpr UINT WM_STOP_REPEAT_TIMERS = WM_APP + 1;
constexpr UINT WM_START_DELAY_TIMER = WM_APP + 2;
constexpr UINT WM_START_RATE_TIMER = WM_APP + 3;
}  // namespace

CActionControl::CActionControl(InputSink& input, KeyboardSettings& settings)
    : win::Dialog(IDD_HIDDEN_WINDOW), repeat(input, settings, *this)
{
}

void CActionControl::PerformKeyAction(const SensorAction& record, bool pressed)
{
    repeat.PerformKeyAction(record, pressed);
}

void CActionControl::StopRepeat()
{
    repeat.Stop();
}

BOOL CActionControl::DestroyWindow()
{
    repeat.Stop();
    return win::Dialog::DestroyWindow();
}

BOOL CActionControl::OnInitDialog()
{
    postTarget = GetSafeHwnd();
    return FALSE;  // hidden: takes no focus
}

void CActionControl::OnDestroy()
{
    postTarget = nullptr;
}

void CActionControl::OnTimer(UINT_PTR id)
{
    if (id == RepeatDelayTimer) {
        KillTimer(RepeatDelayTimer);
        repeat.OnDelayTimer(delayGeneration);
    } else if (id == RepeatRateTimer) {
        repeat.OnRateTimer(rateGeneration);
    }
}

INT_PTR CActionControl::OnMessage(UINT message, WPARAM wParam, LPARAM lParam, bool& handled)
{
    const auto milliseconds = static_cast<UINT>(wParam);
    const auto generation = static_cast<uint32_t>(lParam);
    switch (message) {
    case WM_STOP_REPEAT_TIMERS:
        KillTimer(RepeatDelayTimer);
        KillTimer(RepeatRateTimer);
        break;
    case WM_START_DELAY_TIMER:
        delayGeneration = generation;
        SetTimer(RepeatDelayTimer, milliseconds);
        break;
    case WM_START_RATE_TIMER:
        rateGeneration = generation;
        SetTimer(RepeatRateTimer, milliseconds);
        break;
    default: handled = false; return 0;
    }
    handled = true;
    return TRUE;
}

void CActionControl::StopRepeatTimers()
{
    Post(WM_STOP_REPEAT_TIMERS, 0, 0);
}

void CActionControl::StartDelayTimer(uint32_t milliseconds, uint32_t generation)
{
    Post(WM_START_DELAY_TIMER, milliseconds, generation);
}

void CActionControl::StartRateTimer(uint32_t milliseconds, uint32_t generation)
{
    Post(WM_START_RATE_TIMER, milliseconds, generation);
}

void CActionControl::Post(UINT message, uint32_t milliseconds, uint32_t generation)
{
    // The window may be destroyed by the other thread meanwhile; a message
    // posted to a dead window is simply dropped.
    const HWND window = postTarget.load();
    if (window) ::PostMessageW(window, message, milliseconds, static_cast<LPARAM>(generation));
}
