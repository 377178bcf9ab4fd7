// Which keys a real keyboard sends with the extended-key prefix (E0), so that
// a synthetic key event can carry the same flag. Programs that read scan codes
// (games, remote desktops, virtual machines) tell the keys apart by it, and
// without it Windows takes an arrow, Insert, Delete, Home, End, Page Up or
// Page Down for the numeric keypad key of the same scan code (a digit while
// Num Lock is on).
#pragma once

#include <cstdint>

namespace kontakta {

// The key event flags of the system's keyboard input.
namespace KeyEventFlags {
constexpr uint32_t ExtendedKey = 0x0001;
constexpr uint32_t KeyUp = 0x0002;
}  // namespace KeyEventFlags

// True for the keys of the extended set: the arrows and the block above them,
// Print Screen, Break, Num Lock, the keypad's Divide, the Windows and Apps
// keys, Sleep, the right-hand CTRL and ALT, and the browser, volume, media and
// launch keys. False for everything else, also for the keys whose extended
// twin has the same virtual-key code (the keypad's Enter): the main key is
// the one meant.
bool IsExtendedKey(uint8_t virtualKey);

// The flags of one key event of `virtualKey`: key up or down, extended or not.
uint32_t KeyEventFlagsFor(uint8_t virtualKey, bool down);

}  // namespace kontakta
