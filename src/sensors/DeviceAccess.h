// Finding, opening and reading the input box through the box maker's kit
// library. The kit is reached through a narrow interface, so the choice of
// the device and the re-open rules are tested without the library.
#pragma once

#include <atomic>
#include <cstdint>
#include <mutex>
#include <string>

namespace kontakta {

enum class DeviceKind : int32_t {
    None = 0,
    EightInputs = 1,
    SixInputs = 2,
};

// "Kein Eingabegerät", "Kontakta KT8", "Kontakta KT6".
const char16_t* DeviceKindName(DeviceKind kind);

// Identity of the input box on the bus.
constexpr uint16_t boxVendorId = 0x07C0;
constexpr uint16_t boxProductId = 0x1501;
// Identification codes of the two variants, in the inverted low four bits of
// the input value.
constexpr uint8_t idCodeEightInputs = 2;
constexpr uint8_t idCodeSixInputs = 6;
// After the set of matching devices changed, the box is re-opened this much
// later, so that the burst of device messages of one plug leads to one re-open.
constexpr uint32_t reopenDelayMilliseconds = 1500;
// While the box cannot be read it is opened again this often. After sleep, a
// USB reset, a hub power event or a glitch on a long sensor cable the number
// of matching devices is often the same as before, so no device change would
// ever bring the box back.
constexpr uint32_t retryMilliseconds = 2000;

// The operations of the kit library that the program uses. A handle is an
// opaque pointer-sized value; 0 means none.
class Kit {
public:
    virtual ~Kit() = default;
    virtual bool Loaded() const = 0;                      // the library is there, with every call
    virtual uintptr_t OpenDevices() = 0;                  // opens all devices: the open set
    virtual void CloseDevices(uintptr_t set) = 0;         // closes the set and its device handles
    virtual uint32_t DeviceCount() = 0;                   // devices in the open set, numbered from 1
    virtual uintptr_t DeviceHandle(uint32_t number) = 0;  // belongs to the open set
    virtual uint16_t ProductId(uintptr_t device) = 0;
    virtual bool Read(uintptr_t device, uint32_t& value) = 0;  // the device's current input value
    virtual void SerialNumber(uintptr_t device, char16_t (&serial)[9]) = 0;
    virtual void Write(uintptr_t device, uint32_t pipe, const uint8_t* report, uint32_t length) = 0;
};

// Counts the present HID interfaces with the box's vendor and product id.
class InterfaceCounter {
public:
    virtual ~InterfaceCounter() = default;
    virtual int32_t CountMatchingInterfaces() = 0;
};

// A one-shot timer; starting it while it runs starts it anew.
class OneShotTimer {
public:
    virtual ~OneShotTimer() = default;
    virtual void Start(uint32_t milliseconds) = 0;
};

// A kit handle with what the program learnt about it. A borrowed handle
// belongs to an open set: it is never closed by itself.
struct KitHandle {
    uintptr_t handle = 0;
    uint16_t productId = 0;
    bool borrowed = false;
};

// The state and decisions of the device access. Everything but ReadInputs
// runs on the user-interface thread, ReadInputs on the polling thread.
// Opening and reading exclude each other, so a read never reaches a handle
// that an open is releasing. Whenever no box is open, `readFailed` (the flag
// it is given, shared with the polling and the main window) is set, so the
// tray and the settings sheet show the box as missing.
//
// Besides a device change, two things open the box again: the retry, every
// 2 s while the box cannot be read (and the kit library is there), and
// ReopenNow. CloseKit holds the box closed: neither the retry nor a device
// change opens it until ReopenNow is called (a session in the background
// must not hold the box, nor act on it).
class DeviceAccess {
public:
    DeviceAccess(Kit& kit, InterfaceCounter& counter, OneShotTimer& reopenTimer, OneShotTimer& retryTimer,
                 std::atomic<bool>& readFailed);
    ~DeviceAccess();
    DeviceAccess(const DeviceAccess&) = delete;
    DeviceAccess& operator=(const DeviceAccess&) = delete;

    // The first open, when the window is created: OpenDevice, then the
    // retry timer starts.
    void Start();

    // Closes the open set, opens it anew and chooses the first device that
    // is the box: product id 0x1501 and identification code 2 or 6. The chosen
    // box gets the report 00 FF FF on pipe 0, and the box counts as readable
    // again; without a box it counts as unreadable. Returns whether a box was
    // chosen.
    bool OpenDevice();

    // A device-change message arrived: count the matching interfaces and, if
    // the count changed, (re)start the re-open timer.
    void CountInterfaces();

    // The re-open timer expired: OpenDevice, unless the kit is held closed.
    void OnReopenTimer();

    // The retry timer expired: it runs again in 2 s, and the box is opened
    // again if it cannot be read, the kit library is there and the kit is not
    // held closed. An open costs the kit's own look at the attached devices,
    // on this thread, once in 2 s while the box is missing; nothing while it
    // works.
    void OnRetryTimer();

    // Holds back the slow work of the timers and of a device change (the
    // kit's look at the attached devices, the count of the interfaces) while
    // `held`: the key capture field's low-level hook lives on this thread,
    // and Windows calls it for every key of the session and removes it
    // silently when the thread is busy past the hook timeout. Meanwhile a
    // retry only starts its timer again, and a device change and an expired
    // re-open are noted; the end of the hold counts and re-opens as noted.
    void HoldSlowWork(bool held);
    bool SlowWorkHeld() const { return slowWorkHeld; }

    // Opens the box again at once, whatever its state, and ends the hold of
    // CloseKit: on resume from sleep, where the old handle may be dead before
    // any read noticed it, and when the session is connected again.
    void ReopenNow();

    // Reads the box's input value and the kind of box it came from. False,
    // without calling the kit, while the box counts as unreadable; a failing
    // read makes it unreadable until the next successful OpenDevice.
    bool ReadInputs(uint32_t& value, DeviceKind& kind);

    // Closes the open set (and so the box's handle), marks the box unreadable
    // and holds it closed until ReopenNow: at shutdown, and when the session
    // goes to the background. A running polling thread finds the box
    // unreadable at its next cycle and lets go of what the sensors hold.
    void CloseKit();
    bool HeldClosed() const { return heldClosed; }

    DeviceKind Kind() const;
    bool IsOpen() const;
    uint8_t IdCode() const;
    uint32_t LastDeviceCount() const;
    int32_t InterfaceCount() const;
    std::u16string SerialText() const;

private:
    void ReleaseKitLocked();

    Kit& kit;
    InterfaceCounter& counter;
    OneShotTimer& reopenTimer;
    OneShotTimer& retryTimer;
    std::atomic<bool>& readFailed;
    // User-interface thread only.
    bool heldClosed = false;
    bool slowWorkHeld = false;
    bool countPending = false;   // a device change came while the slow work was held
    bool reopenPending = false;  // the re-open timer expired meanwhile

    mutable std::mutex lock;
    DeviceKind deviceKind = DeviceKind::None;
    KitHandle kitSet;  // the open set, from the kit's open call
    KitHandle device;  // the chosen box, borrowed from the open set
    uint8_t idCode = 0;
    uint32_t deviceCount = 0;
    int32_t interfaceCount = 0;
    char16_t serialText[9] = {};
    bool isOpen = false;
};

}  // namespace kontakta
