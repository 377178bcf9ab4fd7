// The "Allgemein" page of the settings sheet: a row for each sensor with the
// button that opens its action editor, its group and action, and the box that
// switches it on; below them the box of the press sound. The page works on
// the live settings: every click takes effect at the polling thread's next
// cycle, and only the sheet's OK writes the file.
#pragma once

#include <array>

#include "sensors/SensorAction.h"
#include "ui/CNewStatic.h"
#include "ui/SheetServices.h"
#include "win/PropertySheet.h"

class CSetup1 : public win::PropertyPage {
public:
    explicit CSetup1(SheetServices& services);

    // Rows and boxes from the live settings.
    void FillFromSettings();
    // Every row's texts, box and look from its record and its options
    // (actionOptions). A keyboard action without a key or a run-file action
    // without a target switches its sensor off; a later group never does.
    void RefreshRows();
    // Rows 7 and 8 are hidden for a six-input box; their records stay.
    void ShowRowsFor(int32_t deviceKind);
    // The sheet's OK: the boxes into the live settings. Without the page's
    // window nothing is stored.
    void StoreToSettings();
    // The system colours changed or a high-contrast theme was switched on
    // or off (`highContrastOn`: whether one is on now): the rows are painted
    // again in the colours that fit.
    void SystemColoursChanged(bool highContrastOn);
    // Opens the action editor of sensor `number` (1 to 8).
    void EditSensorAction(int number);

    const CNewStatic& GroupStatic(int number) const { return groupStatics[number - 1]; }
    const CNewStatic& ActionStatic(int number) const { return actionStatics[number - 1]; }

protected:
    BOOL OnInitDialog() override;
    bool OnCommand(WORD id, WORD code, HWND control) override;

private:
    void OnSensorCheck(int number);
    void OnBeepCheck();

    SheetServices& services;
    int beepOption = 0;
    std::array<CNewStatic, sensorCount> groupStatics;
    std::array<CNewStatic, sensorCount> actionStatics;
    std::array<HWND, sensorCount> sensorChecks{};
    std::array<bool, sensorCount> rowMissing{};
    int32_t shownKind = -1;
    bool highContrast = false;
};
