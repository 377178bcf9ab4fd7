// The modal dialog in which the user chooses what one sensor does: the action
// group in a combo box and, in the frame below it, the panel of that group.
// All six panels live as long as the dialog and edit the same working copy:
// the sensor's record, its extras (a later group, latch, WIN, a modifier
// alone) and the speeds, wheel and scan timing that all sensors share. Switching
// the group only changes which panel is visible. OK gathers the panels into
// the copy and writes it, switched on, into the live record and the live
// options; Cancel and the close box change nothing.
//
//     CEditAction editor;
//     editor.SetSensor(n, sensorActions.Get(n - 1));  // with actionOptions.Get()
//     editor.DoModal(pageWindow);
#pragma once

#include <windows.h>

#include "sensors/ActionOptions.h"
#include "sensors/SensorAction.h"
#include "ui/CEditPanels.h"
#include "win/Dialog.h"

class CEditAction : public win::Dialog {
public:
    CEditAction();
    ~CEditAction() override;

    // Sensor `number` (1 to 8) with a copy of its record and of the live
    // options (actionOptions).
    void SetSensor(int number, const SensorAction& record);
    void SetSensor(int number, const SensorAction& record, const kontakta::ActionsSettings& options);

    // What the panels fill themselves from.
    const SensorAction& WorkingCopy() const { return workingCopy; }
    const kontakta::ActionsSettings& Options() const { return options; }
    const kontakta::SensorExtras& Extras() const { return options.sensors[size_t(sensorNumber - 1)]; }
    int SensorNumber() const { return sensorNumber; }

    // Destroys the panels, then the dialog.
    BOOL DestroyWindow() override;

protected:
    BOOL OnInitDialog() override;
    void OnOK() override;
    bool OnCommand(WORD id, WORD code, HWND control) override;
    INT_PTR OnMessage(UINT message, WPARAM wParam, LPARAM lParam, bool& handled) override;

private:
    void OnShowWindow(bool shown);
    void OnGroupChange();
    void ShowGroupPanel();
    // Puts `panel` into the frame, after the group field in the tab order.
    void PlacePanel(win::Dialog& panel, UINT flags);
    // Gathers the panels into `workingCopy`; false (and the copy unchanged)
    // when the run-file group is chosen with a target too long for the
    // record, and the user was told so.
    bool CollectPanels();
    // The group that OK stores: the selected one, else the entry named
    // exactly by the typed text, else the one whose panel is shown.
    int ChosenGroup();
    win::Dialog* Panel(int group);

    SensorAction workingCopy{};
    kontakta::ActionsSettings options;
    int sensorNumber = 1;
    CEditMouseAction mousePanel;
    CEditKeyAction keyPanel;
    CEditRunFileAction runFilePanel;
    CEditPointerAction pointerPanel;
    CEditWheelAction wheelPanel;
    CEditControlAction controlPanel;
    int shownGroup = 0;
    RECT panelRect{};
};

// The editor being shown; the panels read its working copy through it. Set
// when the editor initialises, cleared when it goes.
extern CEditAction* currentEditor;
