// Mouse button actions: a sensor's press and release become button events of
// the left, middle or right button at the cursor's current position.
#pragma once

#include "sensors/ActionServices.h"
#include "sensors/SensorAction.h"

// Sends one button event. An event that the system does not insert sounds the
// error beep; in every case it then waits 5 ms.
void SendMouseInput(uint32_t flags, InputSink& input, Sounds& sounds, Clock& clock);

// Performs the record's mouse action for a press (`pressed` true) or release.
// Press/release kinds follow the sensor; clicks and the double click run
// completely on the press. A mouse action outside the known kinds does nothing.
void PerformMouseAction(const SensorAction& record, bool pressed, InputSink& input, Sounds& sounds,
                        Clock& clock);

// The button flags to hand to the system for `flags`, where "Links" means the
// primary button and "Rechts" the secondary one. Injected button events name
// the physical buttons: with the buttons swapped for a left-handed user
// (SM_SWAPBUTTON), a left-button event is the secondary click. So with
// `buttonsSwapped` the left and right flags change places; the middle button
// stays.
uint32_t PhysicalButtonFlags(uint32_t flags, bool buttonsSwapped);
