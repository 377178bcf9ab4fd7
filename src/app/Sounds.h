// The program's sounds.
#pragma once

#include "sensors/ActionServices.h"

// The press sound: the wave resource "Beep" of the program's own module,
// played without waiting.
void PlayPressSound();

// The speaker beep of 800 Hz for 100 ms; blocks for its length.
void ErrorBeep();

// The sounds of a pause ("Pause", two falling tones) and of its end
// ("Resume", two rising ones), which a user who cannot see the tray icon
// hears instead; played without waiting, also when the press sound is off.
void PlayPauseSound(bool paused);

class Win32Sounds : public kontakta::Sounds {
public:
    void PlayPressSound() override { ::PlayPressSound(); }
    void ErrorBeep() override { ::ErrorBeep(); }
};
