// The hidden window of the device access. It opens the input box while it is
// created, receives the device-change broadcast that every top-level window
// gets, and re-opens the box 1500 ms after the set of matching devices changed.
#pragma once

#include "sensors/DeviceAccess.h"
#include "sensors/SensorPolling.h"
#include "win/Dialog.h"

class CIoControl : public win::Dialog, public SensorSource, private OneShotTimer {
public:
    enum TimerId : UINT_PTR { ReopenTimer = 1 };

    CIoControl(Kit& kit, InterfaceCounter& counter);

    bool OpenDevice() { return access.OpenDevice(); }
    void CountInterfaces() { access.CountInterfaces(); }
    bool ReadInputs(uint32_t& value, DeviceKind& kind) override { return access.ReadInputs(value, kind); }
    void CloseKit() { access.CloseKit(); }

    DeviceKind deviceKind() const { return access.Kind(); }
    const DeviceAccess& Access() const { return access; }

    // Closes the kit, then destroys the window.
    BOOL DestroyWindow() override;

protected:
    BOOL OnInitDialog() override;
    void OnTimer(UINT_PTR id) override;
    INT_PTR OnMessage(UINT message, WPARAM wParam, LPARAM lParam, bool& handled) override;

private:
    void Start(uint32_t milliseconds) override;

    DeviceAccess access;
};
