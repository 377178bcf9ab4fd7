// What the tray icon's tip and the on-screen indicator say about latched
// input, from what the polling thread publishes (the latched sensors) and
// the live records and options of those sensors. Portable.
//
// The polling thread lets go of a latch whose sensor's record or extras
// changed at its next cycle (sensors/SensorPolling.h), so the live records
// name what is held, at most a poll late.
#pragma once

#include <cstdint>
#include <string>

#include "sensors/ActionOptions.h"
#include "sensors/SensorAction.h"

namespace kontakta {

// What one latched sensor holds: "Links", "Mitte", "Rechts" for a button,
// "UMSCHALT", "STRG", "ALT", "WIN" for a modifier alone, else the record's
// key text ("STRG+C"), with "WIN+" after its other modifiers for WIN.
std::u16string LatchedInputName(const SensorAction& record, const kontakta::SensorExtras& extras);

// The names of the sensors in `latchedBits` (bit n-1: sensor n), sensor 1
// first, joined by ", "; empty when none is latched.
std::u16string DescribeLatched(uint32_t latchedBits, const SensorActions& records,
                               const kontakta::ActionsSettings& options);

// The indicator's text: a line for what is latched and one for the pause,
// each only when it applies; empty when there is nothing to show (the
// indicator is then hidden).
std::u16string IndicatorText(const std::u16string& latched, bool paused);

}  // namespace kontakta
