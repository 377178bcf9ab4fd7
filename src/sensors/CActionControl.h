// The hidden window that owns the key auto-repeat: its two timers run on the
// user-interface thread, while the presses and releases come from the polling
// thread. Requests to start and stop the timers are posted to the window, so
// they reach it in the order they were made.
#pragma once

#include <atomic>

#include "sensors/KeyAction.h"
#include "win/Dialog.h"

class CActionControl : public win::Dialog, private kontakta::RepeatTimers {
public:
    enum TimerId : UINT_PTR { RepeatDelayTimer = 1, RepeatRateTimer = 2 };

    CActionControl(kontakta::InputSink& input, kontakta::KeyboardSettings& settings);

    // A keyboard sensor changed state (polling thread).
    void PerformKeyAction(const SensorAction& record, bool pressed);
    // Ends any repetition (the box was lost, or the program ends).
    void StopRepeat();
    kontakta::KeyRepeat& Repeat() { return repeat; }
    // The window's handle, safe to read from the polling thread.
    HWND WindowForOtherThreads() const { return postTarget.load(); }

    // Stops the repetition, then destroys the window and its timers.
    BOOL DestroyWindow() override;

protected:
    BOOL OnInitDialog() override;
    void OnDestroy() override;
    void OnTimer(UINT_PTR id) override;
    INT_PTR OnMessage(UINT message, WPARAM wParam, LPARAM lParam, bool& handled) override;

private:
    void StopRepeatTimers() override;
    void StartDelayTimer(uint32_t milliseconds, uint32_t generation) override;
    void StartRateTimer(uint32_t milliseconds, uint32_t generation) override;
    void Post(UINT message, uint32_t milliseconds, uint32_t generation);

    kontakta::KeyRepeat repeat;
    std::atomic<HWND> postTarget{nullptr};  // the window, for the polling thread
    uint32_t delayGeneration = 0;           // user-interface thread only
    uint32_t rateGeneration = 0;
};
