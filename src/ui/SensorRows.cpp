#include "ui/SensorRows.h"

#include "sensors/DeviceAccess.h"
#include "texts/Texts.h"
#include "ui/EditorChoices.h"

namespace kontakta {

namespace {

std::u16string FieldText(const char16_t* field, size_t width)
{
    return std::u16string(field, FieldLength(field, width));
}

// The name of a later group's action; empty for a value outside its list.
std::u16string LaterActionName(int32_t group, int32_t action)
{
    if (action < 0 || action >= kontakta::ActionCount(group)) return u"";
    switch (kontakta::Group(group)) {
    case kontakta::Group::MovePointer: return texts::pointerDirectionNames[action];
    case kontakta::Group::Wheel: return texts::wheelDirectionNames[action];
    case kontakta::Group::Control: return texts::controlActionNames[action];
    default: return u"";
    }
}

}  // namespace

RowView DescribeRow(SensorAction& record)
{
    return DescribeRow(record, kontakta::SensorExtras{});
}

RowView DescribeRow(SensorAction& record, const kontakta::SensorExtras& extras)
{
    RowView row{ActionGroupName(record.actionGroup), u"", RowLook::Disabled};
    bool missing = false;
    if (extras.group >= kontakta::blockGroupCount && extras.group < kontakta::groupCount) {
        // Moving the pointer, the wheel and steering Kontakta need no key or
        // target: such a row is on or off, never missing.
        row.groupText = texts::laterGroupNames[extras.group - kontakta::blockGroupCount];
        row.actionText = LaterActionName(extras.group, extras.action);
        row.look = record.enabled != 0 ? RowLook::Enabled : RowLook::Disabled;
        return row;
    }
    switch (record.actionGroup) {
    case int32_t(ActionGroup::Mouse):
        row.actionText = MouseActionName(record.mouseAction);
        if (extras.latch && kontakta::MouseActionLatches(record.mouseAction)) row.actionText += texts::latchedSuffix;
        break;
    case int32_t(ActionGroup::Keyboard): {
        const std::u16string keyText = FieldText(record.keyText, keyTextLength);
        // A modifier alone is an action without a key.
        missing = keyText.empty() && extras.modifierAlone == kontakta::ModifierAlone::None;
        if (missing) {
            row.actionText = texts::noKeySelected;
        } else {
            row.actionText = kontakta::KeyActionText(keyText, extras.win, extras.modifierAlone);
            if (extras.latch) row.actionText += texts::latchedSuffix;
        }
        break;
    }
    case int32_t(ActionGroup::RunFile):
        row.actionText = FieldText(record.path, pathLength);
        missing = row.actionText.empty();
        if (missing) row.actionText = texts::noActionSelected;
        break;
    default: break;
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
    case RowLook::Enabled: return {activeRowColour, activeRowColour};
    case RowLook::Missing: return {defaultColour, missingActionColour};
    case RowLook::Disabled:
    default: return {defaultColour, defaultColour};
    }
}

bool RowShown(int sensor, int32_t deviceKind)
{
    if (sensor < 1 || sensor > sensorCount) return false;
    // The six-input box has no inputs for sensors 7 and 8.
    return deviceKind != int32_t(DeviceKind::SixInputs) || sensor <= 6;
}

}  // namespace kontakta
