#include "sensors/ExtendedKeys.h"

namespace kontakta {

bool IsExtendedKey(uint8_t virtualKey)
{
    switch (virtualKey) {
    case 0x03:  // Break (CTRL+Pause)
    case 0x21:  // Page Up
    case 0x22:  // Page Down
    case 0x23:  // End
    case 0x24:  // Home
    case 0x25:  // Left
    case 0x26:  // Up
    case 0x27:  // Right
    case 0x28:  // Down
    case 0x2C:  // Print Screen
    case 0x2D:  // Insert
    case 0x2E:  // Delete
    case 0x5B:  // left Windows key
    case 0x5C:  // right Windows key
    case 0x5D:  // Apps (context menu)
    case 0x5F:  // Sleep
    case 0x6F:  // keypad Divide
    case 0x90:  // Num Lock
    case 0xA3:  // right CTRL
    case 0xA5:  // right ALT
        return true;
    default:
        // Browser, volume, media and launch keys: 0xA6 to 0xB7.
        return virtualKey >= 0xA6 && virtualKey <= 0xB7;
    }
}

uint32_t KeyEventFlagsFor(uint8_t virtualKey, bool down)
{
    return (IsExtendedKey(virtualKey) ? KeyEventFlags::ExtendedKey : 0) | (down ? 0 : KeyEventFlags::KeyUp);
}

}  // namespace kontakta
