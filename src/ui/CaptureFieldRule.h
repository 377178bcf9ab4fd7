// When the key capture field of the action editor takes a key and when it
// lets the dialog have it, so that the field can capture every key (Tab,
// Enter, Esc, Space and ALT+TAB included) and yet never traps a keyboard
// user in it:
//
// - a click into the field arms it;
// - reached any other way (Tab, Shift+Tab, the editor placing the focus) it
//   is disarmed, so tabbing through captures nothing;
// - Space or Enter arms a disarmed field;
// - an armed field captures the next key combination, whatever it is, and
//   is then disarmed;
// - a disarmed field lets every other key act as in any dialog: Tab and
//   Shift+Tab leave it, Esc is Cancel, ALT with a letter is an access key.
//
// A key that the field took (the one that armed it, the one it captured)
// stays the field's until it is released: its auto-repeat neither captures
// again, nor arms again, nor reaches the dialog. The Win32 field feeds the
// key messages that reach it (and the ALT+TAB that its low-level hook takes)
// through this; it owns no window state, so it is tested natively.
#pragma once

#include <cstdint>

namespace kontakta {

enum class FieldKey {
    PassOn,   // the dialog's: the field does nothing with it
    Arm,      // consumed: the field is armed now
    Track,    // consumed: a modifier of the armed field, tracked by the capture
    Capture,  // consumed: the capture takes it, and the field is disarmed now
    Swallow,  // consumed: the repeat of a key the field took; nothing happens
};

// Whether `key` is SHIFT, CTRL or ALT (0x10 to 0x12), which only the
// capture tracks.
bool IsModifierKey(uint8_t key);

class CaptureFieldRule {
public:
    // The field got the focus in any way but a click: disarmed.
    void Focused();
    // The field lost the focus: disarmed, and it holds no key any more.
    void Left();
    // A click into the field (with the focus already there or coming with
    // it): armed.
    void Clicked();

    // A key-down reached the field. `repeat`: the key was down already (the
    // auto-repeat); `ctrl` and `alt`: held with it.
    FieldKey KeyDown(uint8_t key, bool repeat, bool ctrl, bool alt);
    // A key-up reached the field.
    void KeyUp(uint8_t key);
    // The low-level hook saw the key-down of ALT+TAB (it tells no repeat).
    // Capture: armed, the field captures it and is disarmed. Swallow: the TAB
    // of a captured ALT+TAB is still held, this is its repeat. Both go
    // nowhere else. PassOn: Windows switches windows, as in any dialog.
    FieldKey AltTab();

    bool Armed() const { return armed; }
    // Whether the low-level hook that takes ALT+TAB is needed: while armed,
    // and while the TAB of a captured ALT+TAB is held, so that its
    // auto-repeat does not switch windows after all.
    bool WantsHook() const { return armed || heldKey == tabKey; }

private:
    static constexpr uint8_t tabKey = 0x09;
    bool armed = false;
    uint8_t heldKey = 0;  // the key the field took, until its key-up; 0: none
};

}  // namespace kontakta
