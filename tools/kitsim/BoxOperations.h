// What the virtual input box and the command line do to the simulated boxes
// of the shared control. Shared by both, so a change made one way looks the
// same as a change made the other way.
#pragma once

#include <string>

#include "KitSimControl.h"

namespace kitsim {

constexpr uint32_t inputCount = 8;

// Holds (held = true) or lets go box input `input` (1..8) of device `device`
// (1..maxDevices). Other inputs keep their state, whoever set them.
void SetInputHeld(Control& control, uint32_t device, uint32_t input, bool held);

// Plugs or unplugs the boxes, then tells the top-level windows as Windows
// does when a device arrives or leaves.
void SetPlugged(Control& control, bool plugged);

// Sets how many boxes are present when plugged (0..maxDevices) and tells the
// top-level windows.
void SetDeviceCount(Control& control, uint32_t count);

// Sends WM_DEVICECHANGE with DBT_DEVNODES_CHANGED to every top-level window,
// skipping windows that do not answer within half a second.
void BroadcastDeviceChange();

// The value a read of `device` gives now, false if the read would fail
// (unplugged, not present, reads fail).
bool CurrentInputValue(const Control& control, uint32_t device, uint32_t& value);

// "2, 5": the held inputs in order, empty when none is held.
std::wstring HeldInputsText(uint32_t pressed);

}  // namespace kitsim
