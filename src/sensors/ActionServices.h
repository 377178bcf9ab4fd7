// The narrow seams between the sensor logic and the operating system. The
// program implements them over Win32; the tests implement them with recording
// fakes. Each one is what the logic needs and nothing more.
#pragma once

#include <cstdint>
#include <string>

namespace kontakta {

// Mouse button event flags, as the system's mouse input takes them.
namespace MouseFlags {
constexpr uint32_t LeftDown = 0x0002;
constexpr uint32_t LeftUp = 0x0004;
constexpr uint32_t RightDown = 0x0008;
constexpr uint32_t RightUp = 0x0010;
constexpr uint32_t MiddleDown = 0x0020;
constexpr uint32_t MiddleUp = 0x0040;
}  // namespace MouseFlags

// Virtual-key codes of the modifiers that a key combination holds.
namespace VirtualKeys {
constexpr uint8_t Tab = 0x09;
constexpr uint8_t Shift = 0x10;
constexpr uint8_t Control = 0x11;
constexpr uint8_t Alt = 0x12;
constexpr uint8_t LeftWin = 0x5B;  // VK_LWIN, the Windows key of a combination
}  // namespace VirtualKeys

// Synthetic input.
class InputSink {
public:
    virtual ~InputSink() = default;
    // One mouse button event at the cursor's position. False when the system
    // did not insert it.
    virtual bool SendMouseButton(uint32_t flags) = 0;
    // One key event of `virtualKey`. The system's side gives it the key's
    // scan code and, for the extended keys, the extended flag. False when the
    // system did not insert it.
    virtual bool SendKey(uint8_t virtualKey, bool down) = 0;
    // A repeated key-down of a key that an action holds already (the key
    // auto-repeat). It goes out like any down; a sink that counts the
    // holders of each key (HeldInputs) counts no new holder for it.
    virtual bool RepeatKey(uint8_t virtualKey) { return SendKey(virtualKey, true); }
};

// Waiting. The polling thread's waits go through it so the tests run fast.
class Clock {
public:
    virtual ~Clock() = default;
    virtual void Sleep(uint32_t milliseconds) = 0;
};

// The sounds of the sensor actions.
class Sounds {
public:
    virtual ~Sounds() = default;
    // The short press sound, played without waiting for its end.
    virtual void PlayPressSound() = 0;
    // The 800 Hz, 100 ms speaker beep; blocks for its length.
    virtual void ErrorBeep() = 0;
    // A sensor latched its key or button ("Latch"), and latched input was
    // let go ("Unlatch"): short sounds of their own, played without waiting,
    // whether the press sound is on or not.
    virtual void PlayLatchSound() = 0;
    virtual void PlayUnlatchSound() = 0;
};

// The keyboard delay (0..3) and speed (0..31) settings of the system.
class KeyboardSettings {
public:
    virtual ~KeyboardSettings() = default;
    virtual bool GetKeyboardDelay(uint32_t& delay) = 0;
    virtual bool GetKeyboardSpeed(uint32_t& speed) = 0;
};

// The two timers that drive the key repetition. Both calls may come from any
// thread; the implementation hands them, in call order, to the thread that
// owns the timers. `generation` comes back with the expiry so that an expiry
// of a timer that was stopped meanwhile can be recognised and ignored.
class RepeatTimers {
public:
    virtual ~RepeatTimers() = default;
    virtual void StopRepeatTimers() = 0;
    virtual void StartDelayTimer(uint32_t milliseconds, uint32_t generation) = 0;
    virtual void StartRateTimer(uint32_t milliseconds, uint32_t generation) = 0;
};

// Opening a target through the shell.
class Shell {
public:
    virtual ~Shell() = default;
    // Asks the shell to open `path` with the verb "open". False when the
    // shell refused.
    virtual bool OpenTarget(const std::u16string& path) = 0;
};

// Telling the user what failed, while the program keeps running: a target
// that could not be opened, input that cannot reach its window. The message
// window implements it.
class FailureMessages {
public:
    virtual ~FailureMessages() = default;
    // Shows `text` in the non-modal message window, in front. Any thread;
    // must not wait for the user-interface thread.
    virtual void ShowFailure(const std::u16string& text) = 0;
};

// Kontakta steered by its own sensors.
class ControlRequests {
public:
    virtual ~ControlRequests() = default;
    // Pauses the sensors, or resumes them when paused, as the tray menu's
    // "Sensoren pausieren" does, with the sound that tells which. Called on
    // the polling thread; must not wait for the user-interface thread.
    virtual void TogglePause() = 0;
    // Makes the profile after the active one active ("Nächstes Profil"), as
    // the tray's submenu does. Called on the polling thread; must not wait
    // for the user-interface thread, which makes the switch.
    virtual void NextProfile() = 0;
    // Whether there is more than one profile, so that the scan's menu offers
    // "Nächstes Profil". Called on the polling thread; answers at once.
    virtual bool SeveralProfiles() { return false; }
};

}  // namespace kontakta
