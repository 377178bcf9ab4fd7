// Latching ("Einrasten") and the holders of each key and button.
//
// SensorLatches: per sensor, the first press holds the button or key
// combination down and the next press of the same sensor lets it go; the
// switch's releases do nothing.
//
// InputHolders: how many actions hold each key or button, so that one that
// lets go of a key another still holds sends no up (a latched SHIFT with
// another sensor's SHIFT+X: SHIFT stays down after X). Keys and buttons are
// named by their virtual-key codes (VK_LBUTTON 0x01, VK_RBUTTON 0x02,
// VK_MBUTTON 0x04 for the buttons). Neither class is thread-safe: the one
// thread that sends input owns them.
#pragma once

#include <array>
#include <cstdint>
#include <vector>

namespace kontakta {

class SensorLatches {
public:
    enum class Step {
        Hold,    // send the press and keep it held
        LetGo,   // send the release
        Nothing  // a switch release of a latched sensor
    };
    // Sensor `sensor` (0 to 7) counted a press or a release.
    Step Press(int sensor);
    static Step Release(int) { return Step::Nothing; }

    bool Latched(int sensor) const;
    bool AnyLatched() const;
    // The sensor's input was let go from elsewhere (box loss, pause, lock,
    // "Alle Tasten loslassen", the sensor switched off): its next press
    // latches afresh.
    void Forget(int sensor);
    void ForgetAll() { latched.fill(false); }

private:
    std::array<bool, 8> latched{};
};

class InputHolders {
public:
    // One more holder of `virtualKey`: true when it was not held, so the
    // caller sends the down.
    bool Hold(uint8_t virtualKey);
    // One holder fewer: true when that was the last, so the caller sends the
    // up. A release of an input nobody holds is ignored (false).
    bool Release(uint8_t virtualKey);
    int Holders(uint8_t virtualKey) const { return counts[virtualKey]; }
    bool AnyHeld() const;

    // Forgets every holder and returns the inputs whose up the caller sends:
    // the plain keys first, then SHIFT, CTRL, ALT and the Windows keys, then
    // the mouse buttons, so no modifier turns a key's up into a shortcut and
    // no button is let go under a held modifier before the keys.
    std::vector<uint8_t> ReleaseAll();

private:
    std::array<uint16_t, 256> counts{};
};

}  // namespace kontakta
