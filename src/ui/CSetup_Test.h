// The "Test und Filter" page of the settings sheet: for each sensor a lamp
// that follows its switch live, its hold time and lockout in milliseconds,
// and the counts of the presses that counted and the touches the filters
// ignored since the page opened, so a carer can tune the times by watching.
// While the page is shown with "Aktionen beim Testen aussetzen" ticked, the
// presses light the lamps and count but perform no action. "Einrasten und
// Pause anzeigen" switches the on-screen indicator (app/LatchIndicator.h).
#pragma once

#include <array>

#include "sensors/SensorAction.h"
#include "ui/CNewStatic.h"
#include "win/PropertySheet.h"

class CSetup_Test : public win::PropertyPage {
public:
    enum TimerId : UINT_PTR { LampTimer = 1 };

    CSetup_Test();
    ~CSetup_Test() override;

    // Rows 7 and 8 are hidden for a six-input box.
    void ShowRowsFor(int32_t deviceKind);
    // The time fields and the indicator box from the live settings (after
    // OK made another profile's settings the live ones).
    void FillFromSettings();
    // The lamps and counters from the polling thread's state.
    void RefreshActivity();

    // The system colours changed or a high-contrast theme was switched on
    // or off (`highContrastOn`: whether one is on now).
    void SystemColoursChanged(bool highContrastOn);

    const CNewStatic& Lamp(int number) const { return lamps[size_t(number - 1)]; }

protected:
    BOOL OnInitDialog() override;
    bool OnCommand(WORD id, WORD code, HWND control) override;
    void OnSetActive() override;
    bool OnKillActive() override;
    void OnTimer(UINT_PTR id) override;
    void OnDestroy() override;

private:
    // A time field changed: its value, held to its range, goes to the live
    // filters at once.
    void OnTimeChanged(int id);
    void UpdateSuspension();

    std::array<CNewStatic, sensorCount> lamps;
    std::array<int, sensorCount> shownLamp{};  // -1 unknown, 0 released, 1 pressed
    std::array<uint64_t, sensorCount> shownCounts{};
    bool active = false;
    bool filling = false;
    int32_t shownKind = -1;
    bool highContrast = false;
};
