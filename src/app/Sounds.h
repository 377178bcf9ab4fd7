// The program's two sounds.
#pragma once

#include "sensors/ActionServices.h"

// The press sound: the wave resource "Beep" of the program's own module,
// played without waiting.
void PlayPressSound();

// The speaker beep of 800 Hz for 100 ms; blocks for its length.
void ErrorBeep();

class Win32Sounds : public Sounds {
public:
    void PlayPressSound() override { ::PlayPressSound(); }
    void ErrorBeep() override { ::ErrorBeep(); }
};
