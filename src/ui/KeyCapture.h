// The decisions of the key capture field of the action editor: which key
// messages capture a key, which only track a modifier, the text shown for a
// capture, and what a capture writes into a sensor record. The Win32 field
// feeds it the key messages that reach it and the ALT+TAB that its low-level
// hook takes; it owns no window state, so it is tested natively.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "sensors/SensorAction.h"

namespace kontakta {

// "STRG+", "SHIFT+" and "ALT+" for the modifiers that are held, always in this
// order, then the system's name of the key; an empty name (the system has
// none) gives "Non-Standard-KeyCode".
std::u16string CaptureText(bool ctrl, bool shift, bool alt, const std::u16string& keyName);

class KeyCapture {
public:
    // A key-down reached the field (WM_KEYDOWN or WM_SYSKEYDOWN), key = low byte of wParam.
    // `keyName` is the system's name of the key, empty when it has none. Modifiers (0x10, 0x11, 0x12)
    // only set their tracked state and capture nothing. Returns true if a key was captured.
    bool KeyDown(uint8_t key, const std::u16string& keyName);
    // A key-up reached the field (WM_KEYUP or WM_SYSKEYUP).
    void KeyUp(uint8_t key);
    // ALT+TAB, seen by the low-level hook while the field has the focus.
    void CaptureAltTab();
    // The field starts over: no capture. The tracked modifiers are kept.
    void ClearCapture();

    bool HasCapture() const { return hasCapture; }
    const std::u16string& Text() const { return captureText; }
    uint8_t Key() const { return capturedKey; }
    // Of the capture.
    bool Ctrl() const { return capturedCtrl; }
    bool Shift() const { return capturedShift; }
    bool Alt() const { return capturedAlt; }
    // Tracked from the key messages that reached the field.
    bool CtrlDown() const { return ctrlDown; }
    bool ShiftDown() const { return shiftDown; }
    bool AltDown() const { return altDown; }
    // With a capture: writes virtualKey, ctrl, shift, alt and keyText (cut to 49 units and a
    // terminating zero, the rest of the field zeroed) into `record` and returns true. Without a
    // capture it changes nothing and returns false.
    bool StoreInto(SensorAction& record) const;

private:
    bool hasCapture = false;
    std::u16string captureText;
    uint8_t capturedKey = 0;
    bool capturedCtrl = false;
    bool capturedShift = false;
    bool capturedAlt = false;
    bool ctrlDown = false;
    bool shiftDown = false;
    bool altDown = false;
};

// Whether a low-level keyboard event is the ALT+TAB that the capture hook takes:
// code 0 (HC_ACTION), message 0x100 or 0x104, virtual key 9, flags with 0x20 (LLKHF_ALTDOWN).
// Also true for message 0x104 with key 9 without the flag: Wine's low-level hook does not set
// LLKHF_ALTDOWN for a key pressed while ALT is held, but reports it as WM_SYSKEYDOWN, which on
// Windows too means ALT is down.
bool IsAltTabEvent(int code, uint32_t message, uint32_t virtualKey, uint32_t flags);

// Copies `text` into a fixed-width zero-terminated field of `width` units: at most width - 1 units,
// then zeros up to the end. Returns false (and still copies what fits) if it had to cut.
// A field of width 0 receives nothing; it holds only the empty text.
bool CopyToField(char16_t* field, size_t width, const std::u16string& text);

}  // namespace kontakta
