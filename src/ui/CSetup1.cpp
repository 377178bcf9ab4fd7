#include "ui/CSetup1.h"

#include "res/resource.h"
#include "sensors/ActionOptions.h"
#include "texts/Texts.h"
#include "ui/Appearance.h"
#include "ui/CEditAction.h"
#include "ui/SensorRows.h"
#include "win/Accessible.h"
#include "win/Text.h"

using namespace kontakta;

namespace {
int CheckId(int number)
{
    return IDC_ROW_CHECK_BASE + number;
}
int ButtonId(int number)
{
    return IDC_ROW_BUTTON_BASE + number;
}
int GroupId(int number)
{
    return IDC_ROW_GROUP_BASE + number;
}
int ActionId(int number)
{
    return IDC_ROW_ACTION_BASE + number;
}
}  // namespace

CSetup1::CSetup1(SheetServices& services)
    : win::PropertyPage(IDD_SETUP_GENERAL, win::Wide(texts::pageTitleGeneral)), services(services)
{
}

BOOL CSetup1::OnInitDialog()
{
    for (int number = 1; number <= sensorCount; ++number) sensorChecks[number - 1] = Item(CheckId(number));
    // A static that cannot be subclassed keeps its template look; its row
    // still works.
    for (int number = 1; number <= sensorCount; ++number)
        if (groupStatics[number - 1].Subclass(hwnd, GroupId(number))) groupStatics[number - 1].InitStyle();
    for (int number = 1; number <= sensorCount; ++number)
        if (actionStatics[number - 1].Subclass(hwnd, ActionId(number))) actionStatics[number - 1].InitStyle();
    // A screen reader hears whose box and button it is: the box has no text
    // and the button only the sensor's number.
    for (int number = 1; number <= sensorCount; ++number) {
        win::SetAccessibleName(Item(CheckId(number)), win::Wide(texts::RowSwitchName(number)));
        win::SetAccessibleName(Item(ButtonId(number)), win::Wide(texts::RowEditName(number)));
    }
    highContrast = win::HighContrastOn();
    FillFromSettings();
    return TRUE;
}

void CSetup1::FillFromSettings()
{
    beepOption = beepOnPress != 0 ? 1 : 0;
    for (int number = 1; number <= sensorCount; ++number)
        Check(CheckId(number), sensorActions.Get(number - 1).enabled != 0);
    ShowRowsFor(services.RowsDeviceKind());
    RefreshRows();
    Check(IDC_BEEP_CHECK, beepOption != 0);
}

void CSetup1::ShowRowsFor(int32_t deviceKind)
{
    if (deviceKind == shownKind) return;
    shownKind = deviceKind;
    for (int number = 7; number <= sensorCount; ++number) {
        const bool shown = RowShown(number, deviceKind);
        for (int id : {CheckId(number), GroupId(number), ActionId(number), ButtonId(number)}) ShowItem(id, shown);
    }
}

void CSetup1::RefreshRows()
{
    const kontakta::ActionsSettings options = actionOptions.Get();
    for (int number = 1; number <= sensorCount; ++number) {
        const int index = number - 1;
        SensorAction record = sensorActions.Get(index);
        const bool wasEnabled = record.enabled != 0;
        const RowView row = DescribeRow(record, options.sensors[size_t(index)]);
        // A missing action switches the sensor off in the live record. Only
        // this thread writes records, so the copy is still the live one.
        if (wasEnabled && record.enabled == 0) sensorActions.Set(index, record);
        rowMissing[index] = row.look == RowLook::Missing;

        SetItemText(GroupId(number), row.groupText);
        SetItemText(ActionId(number), row.actionText);
        const bool enabled = row.look == RowLook::Enabled;
        Check(CheckId(number), enabled);
        EnableItem(GroupId(number), enabled);
        EnableItem(ActionId(number), enabled);
        const RowLooks looks = LooksOf(row.look, highContrast);
        groupStatics[index].SetColors(looks.group.back, looks.group.text);
        actionStatics[index].SetColors(looks.action.back, looks.action.text);

        // A row switched off for want of a key or target says so in words:
        // the action static shows it ("KEINE TASTE AUSGEWÄHLT"), and the
        // box's description tells a screen reader.
        const RowNames names = NamesOf(number, row, record.actionGroup);
        win::SetAccessibleDescription(Item(CheckId(number)), win::Wide(names.switchDescription));
        win::SetAccessibleName(Item(GroupId(number)), win::Wide(names.groupName));
        win::SetAccessibleName(Item(ActionId(number)), win::Wide(names.actionName));
    }
}

void CSetup1::SystemColoursChanged(bool highContrastOn)
{
    if (!hwnd) return;
    highContrast = highContrastOn;
    for (CNewStatic& statics : groupStatics) statics.SystemColoursChanged();
    for (CNewStatic& statics : actionStatics) statics.SystemColoursChanged();
    RefreshRows();
}

void CSetup1::OnSensorCheck(int number)
{
    SensorAction record = sensorActions.Get(number - 1);
    record.enabled = IsChecked(CheckId(number)) ? 1 : 0;
    sensorActions.Set(number - 1, record);
    RefreshRows();
}

void CSetup1::OnBeepCheck()
{
    beepOption = IsChecked(IDC_BEEP_CHECK) ? 1 : 0;
    beepOnPress = beepOption;
}

void CSetup1::EditSensorAction(int number)
{
    {
        CEditAction editor;
        editor.SetSensor(number, sensorActions.Get(number - 1));
        // On OK the editor has written its copy back (switched on); on
        // Cancel the record is untouched.
        editor.DoModal(hwnd);
    }
    Check(CheckId(number), sensorActions.Get(number - 1).enabled != 0);
    RefreshRows();
}

void CSetup1::StoreToSettings()
{
    // Without its window the page has no boxes to read: unticked boxes that
    // do not exist would store every sensor as off and the sound too.
    if (!hwnd) return;
    OnBeepCheck();
    // Hidden rows 7 and 8 are stored like the others.
    for (int number = 1; number <= sensorCount; ++number) {
        SensorAction record = sensorActions.Get(number - 1);
        const uint8_t enabled = IsChecked(CheckId(number)) ? 1 : 0;
        if (record.enabled == enabled) continue;
        record.enabled = enabled;
        sensorActions.Set(number - 1, record);
    }
}

bool CSetup1::OnCommand(WORD id, WORD code, HWND)
{
    if (code != BN_CLICKED) return false;
    if (id > IDC_ROW_CHECK_BASE && id <= IDC_ROW_CHECK_BASE + sensorCount) {
        OnSensorCheck(id - IDC_ROW_CHECK_BASE);
        return true;
    }
    if (id > IDC_ROW_BUTTON_BASE && id <= IDC_ROW_BUTTON_BASE + sensorCount) {
        EditSensorAction(id - IDC_ROW_BUTTON_BASE);
        return true;
    }
    if (id == IDC_BEEP_CHECK) {
        OnBeepCheck();
        return true;
    }
    return false;
}
