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

// A sensor latched its input, and latched input was let go: the wave
// resources "Latch" and "Unlatch", played without waiting.
void PlayLatchSound();
void PlayUnlatchSound();

class Win32Sounds : public kontakta::Sounds {
public:
    void PlayPressSound() override { ::PlayPressSound(); }
    void ErrorBeep() override { ::ErrorBeep(); }
    void PlayLatchSound() override { ::PlayLatchSound(); }
    void PlayUnlatchSound() override { ::PlayUnlatchSound(); }
};
