#include "ui/SensorRows.h"

#include "sensors/DeviceAccess.h"
#include "texts/Texts.h"

namespace kontakta {

namespace {

std::u16string FieldText(const char16_t* field, size_t width)
{
    return std::u16string(field, FieldLength(field, width));
}

}  // namespace

RowView DescribeRow(SensorAction& record)
{
    RowView row{ActionGroupName(record.actionGroup), u"", RowLook::Disabled};
    bool missing = false;
    switch (record.actionGroup) {
    case int32_t(ActionGroup::Mouse):
        row.actionText = MouseActionName(record.mouseAction);
        break;
    case int32_t(ActionGroup::Keyboard):
        row.actionText = FieldText(record.keyText, keyTextLength);
        missing = row.actionText.empty();
        if (missing) row.actionText = texts::noKeySelected;
        break;
    case int32_t(ActionGroup::RunFile):
        row.actionText = FieldText(record.path, pathLength);
        missing = row.actionText.empty();
        if (missing) row.actionText = texts::noActionSelected;
        break;
    default:
        break;
    }
    // A sensor without its key or target would do nothing: it is switched off
    // in the live record, so the polling thread skips it from its next cycle.
    if (missing) record.enabled = 0;
    if (record.enabled != 0)
        row.look = RowLook::Enabled;
    else
        row.look = missing ? RowLook::Missing : RowLook::Disabled;
    return row;
}

RowColours ColoursOf(RowLook look)
{
    switch (look) {
    case RowLook::Enabled:
        return {activeRowColour, activeRowColour};
    case RowLook::Missing:
        return {defaultColour, missingActionColour};
    case RowLook::Disabled:
    default:
        return {defaultColour, defaultColour};
    }
}

bool RowShown(int sensor, int32_t deviceKind)
{
    if (sensor < 1 || sensor > sensorCount) return false;
    // The six-input box has no inputs for sensors 7 and 8.
    return deviceKind != int32_t(DeviceKind::SixInputs) || sensor <= 6;
}

}  // namespace kontakta
