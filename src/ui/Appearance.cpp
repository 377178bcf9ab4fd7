#include "ui/Appearance.h"

#include "sensors/SensorAction.h"
#include "texts/Texts.h"

namespace kontakta {

RowLooks LooksOf(RowLook look, bool highContrast)
{
    if (!highContrast) {
        const RowColours colours = ColoursOf(look);
        return {{colours.groupBack, defaultColour}, {colours.actionBack, defaultColour}};
    }
    const StaticLook off{SystemColour(SystemColourIndex::ButtonFace), SystemColour(SystemColourIndex::GrayText)};
    switch (look) {
    case RowLook::Enabled: {
        const StaticLook on{SystemColour(SystemColourIndex::Highlight), SystemColour(SystemColourIndex::HighlightText)};
        return {on, on};
    }
    case RowLook::Missing:
        return {off, {SystemColour(SystemColourIndex::Window), SystemColour(SystemColourIndex::GrayText)}};
    case RowLook::Disabled:
    default: return {off, off};
    }
}

StaticLook LampLook(bool pressed, bool highContrast)
{
    if (!highContrast) return {pressed ? pressedLampColour : defaultColour, defaultColour};
    if (pressed) return {SystemColour(SystemColourIndex::Highlight), SystemColour(SystemColourIndex::HighlightText)};
    return {SystemColour(SystemColourIndex::Window), SystemColour(SystemColourIndex::WindowText)};
}

std::u16string LampText(bool pressed, bool highContrast)
{
    return highContrast && pressed ? texts::lampPressed : u"";
}

RowNames NamesOf(int sensorNumber, const RowView& row, int32_t actionGroup)
{
    RowNames names{texts::RowSwitchName(sensorNumber), u"", texts::RowEditName(sensorNumber),
                   texts::RowGroupName(sensorNumber, row.groupText), u""};
    std::u16string action = row.actionText;
    if (row.look == RowLook::Missing) {
        const bool key = actionGroup == int32_t(ActionGroup::Keyboard);
        names.switchDescription = key ? texts::rowOffNoKey : texts::rowOffNoTarget;
        action = key ? texts::noKeyInWords : texts::noTargetInWords;
    }
    names.actionName = texts::RowActionName(sensorNumber, action);
    return names;
}

}  // namespace kontakta
