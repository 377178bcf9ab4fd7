// The rows of the sensor page as the page shows them: the texts of a record's
// group and action, whether its action is missing, and the colours of each
// look. The Win32 page sets its statics and check boxes from these.
#pragma once

#include <cstdint>
#include <string>

#include "sensors/ActionOptions.h"
#include "sensors/SensorAction.h"

namespace kontakta {

enum class RowLook { Enabled, Disabled, Missing };
struct RowView {
    std::u16string groupText;
    std::u16string actionText;
    RowLook look;
};

// The row of `record` as the page shows it: group name (empty for a group outside the table), the
// action text (mouse action name; for Keyboard the keyText or "###### KEINE TASTE AUSGEWÄHLT ######"
// when empty; for RunFile the path or "###### KEINE AKTION AUSGEWÄHLT ######" when empty; empty for
// an unknown group). A missing keyboard key or run-file path switches the record off
// (record.enabled = 0). Look: Enabled when record.enabled != 0 (after that), else Missing when the
// action is missing, else Disabled. Never reads past a field (texts are bounded by their widths).
RowView DescribeRow(SensorAction& record);
// The same with what the sensor has beyond its block record. A later group
// (3 to 5) shows its name and action ("Mauszeiger bewegen", "nach links
// oben") and is never missing anything; a key action shows "WIN+" among its
// modifiers ("STRG+WIN+D"), or a modifier alone ("UMSCHALT"), which is an
// action without a key; a
// latched key or press/release mouse action ends in " (eingerastet)".
RowView DescribeRow(SensorAction& record, const kontakta::SensorExtras& extras);

constexpr uint32_t defaultColour = 0xFFFFFFFF;        // "use the system colour"
constexpr uint32_t activeRowColour = 0x00B5FFB5;      // RGB(181,255,181) as a Windows COLORREF
constexpr uint32_t missingActionColour = 0x00CFD6FF;  // RGB(255,214,207) as a Windows COLORREF
struct RowColours {
    uint32_t groupBack;
    uint32_t actionBack;
};  // text colours are always the default
RowColours ColoursOf(RowLook look);

// Whether row `sensor` (1..8) is shown for a box of `deviceKind` (2 = six inputs hides 7 and 8).
// A number outside 1..8 is no row.
bool RowShown(int sensor, int32_t deviceKind);

// The kind of box that rows 7 and 8 are decided from: the kind of the open box, or while none is open
// (unplugged, or closed to be opened again) the kind of the box that was open last; 0 until a box was open.
// One decision for the opening of the sheet and for every refresh while it is open. User-interface thread.
class LastOpenKind {
public:
    // Notes the kind of the box open now (0: none) and returns the kind to decide from.
    int32_t Note(int32_t kindNow)
    {
        if (kindNow != 0) last = kindNow;
        return last;
    }

private:
    int32_t last = 0;
};

}  // namespace kontakta
