// The program's sounds.
#pragma once

#include <cstddef>

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

// The sound of a switch to profile `number` (1 to 8): that many short equal
// tones ("Profile1" to "Profile8"), played without waiting, also when the
// press sound is off. How long it plays, for what follows it.
void PlayProfileSound(size_t number);
unsigned ProfileSoundMilliseconds(size_t number);

class Win32Sounds : public kontakta::Sounds {
public:
    void PlayPressSound() override { ::PlayPressSound(); }
    void ErrorBeep() override { ::ErrorBeep(); }
    void PlayLatchSound() override { ::PlayLatchSound(); }
    void PlayUnlatchSound() override { ::PlayUnlatchSound(); }
};
