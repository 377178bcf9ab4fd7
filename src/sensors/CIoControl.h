// The hidden window of the device access. It opens the input box while it is
// created, receives the device-change broadcast that every top-level window
// gets, re-opens the box 1500 ms after the set of matching devices changed,
// and every 2 s while the box cannot be read. Everything but ReadInputs is
// for the user-interface thread that created the window.
#pragma once

#include <atomic>

#include "sensors/DeviceAccess.h"
#include "sensors/SensorPolling.h"
#include "win/Dialog.h"

class CIoControl : public win::Dialog, public kontakta::SensorSource {
public:
    enum TimerId : UINT_PTR { ReopenTimer = 1, RetryTimer = 2 };

    // Whether the slow work of the timers and of a device change must wait
    // (DeviceAccess::HoldSlowWork); asked before each of them.
    using SlowWorkMustWait = bool (*)();

    // `readFailed` is the flag shared with the polling and the main window.
    CIoControl(kontakta::Kit& kit, kontakta::InterfaceCounter& counter, std::atomic<bool>& readFailed,
               SlowWorkMustWait mustWait = nullptr);

    bool OpenDevice() { return access.OpenDevice(); }
    void CountInterfaces() { access.CountInterfaces(); }
    // The polling thread's read.
    bool ReadInputs(uint32_t& value, kontakta::DeviceKind& kind) override { return access.ReadInputs(value, kind); }

    // Opens the box again at once and ends the hold of CloseKit: on resume
    // from sleep (WM_POWERBROADCAST with PBT_APMRESUMEAUTOMATIC) and when the
    // session is connected again (WM_WTSSESSION_CHANGE, console or remote
    // connect).
    void ReopenNow() { access.ReopenNow(); }

    // Closes the kit and holds it closed, with the box shown as missing,
    // until ReopenNow: at shutdown, after the polling has stopped, and when
    // the session is disconnected. The polling thread lets go of held keys
    // and buttons by itself at its next cycle, when it finds the box
    // unreadable.
    void CloseKit() { access.CloseKit(); }

    kontakta::DeviceKind deviceKind() const { return access.Kind(); }
    const kontakta::DeviceAccess& Access() const { return access; }

    // Closes the kit, then destroys the window.
    BOOL DestroyWindow() override;

protected:
    BOOL OnInitDialog() override;
    void OnTimer(UINT_PTR id) override;
    INT_PTR OnMessage(UINT message, WPARAM wParam, LPARAM lParam, bool& handled) override;

private:
    // One of the window's timers, started afresh by each Start.
    class WindowTimer : public kontakta::OneShotTimer {
    public:
        WindowTimer(CIoControl& owner, UINT_PTR id) : owner(owner), id(id) {}
        void Start(uint32_t milliseconds) override { owner.SetTimer(id, milliseconds); }

    private:
        CIoControl& owner;
        UINT_PTR id;
    };

    void UpdateSlowWorkHold();

    SlowWorkMustWait mustWait;
    WindowTimer reopenTimer{*this, ReopenTimer};
    WindowTimer retryTimer{*this, RetryTimer};
    kontakta::DeviceAccess access;
};
