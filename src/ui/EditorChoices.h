// The decisions of the action editor that need no window: which mouse
// actions may latch, what a sensor's extras are after OK from what its
// panels hold, the text a key action shows (with "WIN+" or a modifier
// alone), how a number typed into a speed or timing field is taken, and
// when the control panel shows the scan's timing.
// The Win32 editor reads its controls into EditorChoices and stores what
// these functions make of them; they are tested natively.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "sensors/ActionOptions.h"

namespace kontakta {

// The three press/release kinds: only they hold a button down, so only they
// can latch.
bool MouseActionLatches(int32_t mouseAction);

// What the editor's panels hold when OK is pressed.
struct EditorChoices {
    int32_t group = 0;         // the chosen group, 0 to 5
    int32_t mouseAction = -1;  // the mouse panel's selection, -1 for none
    bool mouseLatch = false;   // the mouse panel's "Einrasten"
    bool keyLatch = false;     // the key panel's "Einrasten"
    bool win = false;          // the key panel's WIN with the combination
    ModifierAlone modifierAlone = ModifierAlone::None;
    int32_t pointerDirection = -1;  // the selections of the later panels,
    int32_t wheelDirection = -1;    // -1 for none
    int32_t controlAction = -1;
};

// The sensor's extras after OK. A block group (0 to 2) has no later group; it
// latches only where its panel offers it (a press/release mouse action, any
// key action), and WIN and a modifier alone belong to the key group only, so
// that a sensor changed to another group is not held off in the block by a
// modifier it no longer uses. A later group takes its panel's action (the one
// it had when nothing is selected), and nothing of the key or mouse panel.
SensorExtras ExtrasOf(const EditorChoices& choices, const SensorExtras& before);

// The text of a key action: the modifier's name for a modifier alone, else
// the captured text with "WIN+" after its "STRG+", "SHIFT+" and "ALT+" when
// WIN is held with it.
std::u16string KeyActionText(const std::u16string& keyText, bool win, ModifierAlone modifierAlone);

// The key panel's list (texts::keyExtraNames): entry 0 the key alone, 1 the
// key with WIN, 2 to 5 a modifier alone (UMSCHALT, STRG, ALT, WIN) instead.
int KeyExtraEntry(bool win, ModifierAlone modifierAlone);
struct KeyExtra {
    bool win = false;
    ModifierAlone modifierAlone = ModifierAlone::None;
};
KeyExtra KeyExtraOf(int entry);  // an entry outside the list: the key alone

// The number in a speed or timing field held to [minimum, maximum]; nothing
// for a field without a number (it keeps the value in force). Only digits
// are typed (ES_NUMBER), but a pasted text may hold anything.
std::optional<uint32_t> FieldNumber(const std::u16string& text, uint32_t minimum, uint32_t maximum);

// Whether the control panel shows the scan's timing (the sweep time, the
// step time, "Fein nachführen"): for "Bildschirm abtasten", and only for it.
bool ShowsScanTiming(int32_t controlAction);

// A time in tenths of a second, as the step field shows it: "1,5", "5,0".
std::u16string TenthsText(uint32_t milliseconds);
// The seconds in a field of tenths ("1,5", "1.5", "2", ",5"), in
// milliseconds of whole tenths (a second decimal is rounded), held to
// [minimum, maximum]; nothing for a field without a number.
std::optional<uint32_t> TenthsFieldMilliseconds(const std::u16string& text, uint32_t minimum, uint32_t maximum);
// The step field's time after its spin button moved it by `tenths`: from the
// number it holds, or `inForce` for a field without one; held to the range.
uint32_t SteppedTenths(const std::u16string& text, int32_t tenths, uint32_t inForce, uint32_t minimum,
                       uint32_t maximum);

// What the control panel's scan fields hold: the sweep time in whole seconds,
// the step time in tenths, "Fein nachführen". A field without a number keeps
// `kept`'s time.
struct ScanFields {
    std::u16string sweepSeconds;
    std::u16string stepSeconds;
    bool refine = false;
};
ScanTiming ScanTimingOf(const ScanFields& fields, const ScanTiming& kept);

}  // namespace kontakta
