// How the rows of the sensor page and the lamps of the test page look, in the
// normal and in a high-contrast theme, and what a screen reader is told of
// them. A high-contrast theme asks every program to paint with the theme's
// system colours only; the state of a row or lamp is then also shown in
// words (a pressed lamp says "gedrückt"), not only by a colour.
#pragma once

#include <cstdint>
#include <string>

#include "ui/SensorRows.h"

namespace kontakta {

// The system colours that the looks use, by their index of GetSysColor.
enum class SystemColourIndex : uint32_t {
    Window = 5,
    WindowText = 8,
    Highlight = 13,
    HighlightText = 14,
    ButtonFace = 15,
    GrayText = 17,
};
// A colour of a look: a Windows COLORREF (0x00BBGGRR), `defaultColour` for
// the control's own, or a system colour as `SystemColour(index)` (the flag
// bit is never set in a COLORREF of an RGB colour).
constexpr uint32_t systemColourFlag = 0x80000000;
constexpr uint32_t SystemColour(SystemColourIndex index)
{
    return systemColourFlag | uint32_t(index);
}
constexpr bool IsSystemColour(uint32_t colour)
{
    return colour != defaultColour && (colour & systemColourFlag) != 0;
}

struct StaticLook {
    uint32_t back;
    uint32_t text;
};
struct RowLooks {
    StaticLook group;
    StaticLook action;
};

// The group and action statics of a row. Normally the colours of
// ColoursOf (green for a row that is on, light red behind a missing
// action), text in the default colour. In high contrast: a row that is on
// in the highlight colours, a row that is off on the button face in grey
// text, a missing action on the window colour in grey text (its words,
// "KEINE TASTE AUSGEWÄHLT", say why).
RowLooks LooksOf(RowLook look, bool highContrast);

constexpr uint32_t pressedLampColour = 0x0000C800;  // RGB(0,200,0) as a Windows COLORREF
// A lamp: green when pressed, else the default; in high contrast the
// highlight colours when pressed, else the window's colours.
StaticLook LampLook(bool pressed, bool highContrast);
// The text a lamp shows: none normally (the lamp is a colour), "gedrückt"
// while pressed in high contrast.
std::u16string LampText(bool pressed, bool highContrast);

// What a screen reader is told of row `sensorNumber` (1..8), after
// DescribeRow: the box's name and, for a row switched off for want of a key
// or target, its description in words (else empty); the button's name; the
// statics' names, with a missing action in words instead of the row's
// "######" text. `actionGroup` is the record's block group.
struct RowNames {
    std::u16string switchName;
    std::u16string switchDescription;
    std::u16string editName;
    std::u16string groupName;
    std::u16string actionName;
};
RowNames NamesOf(int sensorNumber, const RowView& row, int32_t actionGroup);

}  // namespace kontakta
