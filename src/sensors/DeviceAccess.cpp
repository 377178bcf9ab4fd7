#include "sensors/DeviceAccess.h"

#include "texts/Texts.h"

#include <algorithm>

#include "sensors/SensorAction.h"

namespace kontakta {

namespace {

// The kit numbers its devices from 1. A count beyond this is not believed:
// no real set is that large, and the loop below runs on the user-interface
// thread.
constexpr uint32_t maxDevicesLooked = 64;

void Release(KitHandle& handle, Kit& kit)
{
    if (handle.handle == 0 || handle.borrowed) return;
    kit.CloseDevices(handle.handle);
    handle.handle = 0;
}

}  // namespace

const char16_t* DeviceKindName(DeviceKind kind)
{
    return texts::DeviceName(int32_t(kind));
}

DeviceAccess::DeviceAccess(Kit& kit, InterfaceCounter& counter, OneShotTimer& reopenTimer, OneShotTimer& retryTimer,
                           std::atomic<bool>& readFailed)
    : kit(kit), counter(counter), reopenTimer(reopenTimer), retryTimer(retryTimer), readFailed(readFailed)
{
}

DeviceAccess::~DeviceAccess()
{
    std::lock_guard<std::mutex> guard(lock);
    Release(device, kit);
    ReleaseKitLocked();
}

void DeviceAccess::ReleaseKitLocked()
{
    Release(kitSet, kit);
    // The box's handle belonged to the set that is gone: forget it, so that
    // nothing can read through it any more.
    device = KitHandle{};
    deviceKind = DeviceKind::None;
}

void DeviceAccess::Start()
{
    OpenDevice();
    retryTimer.Start(retryMilliseconds);
}

bool DeviceAccess::OpenDevice()
{
    std::lock_guard<std::mutex> guard(lock);
    isOpen = false;
    Release(device, kit);
    ReleaseKitLocked();

    kitSet = KitHandle{kit.OpenDevices(), 0, false};
    deviceCount = kit.DeviceCount();

    KitHandle chosen;
    DeviceKind chosenKind = DeviceKind::None;
    const uint32_t looked = std::min(deviceCount, maxDevicesLooked);
    for (uint32_t number = 1; number <= looked && chosenKind == DeviceKind::None; ++number) {
        KitHandle candidate{kit.DeviceHandle(number), 0, true};
        candidate.productId = kit.ProductId(candidate.handle);
        uint32_t value = 0;
        if (!kit.Read(candidate.handle, value)) continue;
        idCode = static_cast<uint8_t>(~value & 0x0F);
        if (candidate.productId != boxProductId) continue;
        if (idCode == idCodeEightInputs)
            chosenKind = DeviceKind::EightInputs;
        else if (idCode == idCodeSixInputs)
            chosenKind = DeviceKind::SixInputs;
        if (chosenKind != DeviceKind::None) chosen = candidate;
    }

    if (chosenKind == DeviceKind::None) {
        ReleaseKitLocked();
        readFailed = true;  // no box is open: the tray and the sheet show it missing
        return false;
    }
    device = chosen;
    deviceKind = chosenKind;
    char16_t serial[9] = {};
    kit.SerialNumber(device.handle, serial);
    serial[8] = u'\0';
    std::copy(std::begin(serial), std::end(serial), serialText);
    // Report id 0, then both port bytes with all bits set: every input high.
    const uint8_t report[3] = {0x00, 0xFF, 0xFF};
    kit.Write(device.handle, 0, report, sizeof report);
    readFailed = false;
    isOpen = true;
    return true;
}

void DeviceAccess::CountInterfaces()
{
    if (slowWorkHeld) {
        countPending = true;
        return;
    }
    countPending = false;
    const int32_t count = counter.CountMatchingInterfaces();
    {
        std::lock_guard<std::mutex> guard(lock);
        if (count == interfaceCount) return;
        interfaceCount = count;
    }
    reopenTimer.Start(reopenDelayMilliseconds);
}

void DeviceAccess::OnReopenTimer()
{
    if (heldClosed) return;
    if (slowWorkHeld) {
        reopenPending = true;
        return;
    }
    reopenPending = false;
    OpenDevice();
}

void DeviceAccess::OnRetryTimer()
{
    if (heldClosed) return;  // ReopenNow starts the retry again
    retryTimer.Start(retryMilliseconds);
    if (!slowWorkHeld && readFailed && kit.Loaded()) OpenDevice();
}

void DeviceAccess::HoldSlowWork(bool held)
{
    if (held == slowWorkHeld) return;
    slowWorkHeld = held;
    if (held) return;
    if (countPending) CountInterfaces();
    if (reopenPending) OnReopenTimer();
}

void DeviceAccess::ReopenNow()
{
    heldClosed = false;
    reopenPending = false;
    OpenDevice();
    retryTimer.Start(retryMilliseconds);
}

bool DeviceAccess::ReadInputs(uint32_t& value, DeviceKind& kind)
{
    if (readFailed) return false;
    std::lock_guard<std::mutex> guard(lock);
    uint32_t read = 0;
    if (device.handle == 0 || !kit.Read(device.handle, read)) {
        readFailed = true;
        return false;
    }
    value = read;
    kind = deviceKind;
    return true;
}

void DeviceAccess::CloseKit()
{
    heldClosed = true;
    std::lock_guard<std::mutex> guard(lock);
    ReleaseKitLocked();
    readFailed = true;
    isOpen = false;
}

DeviceKind DeviceAccess::Kind() const
{
    std::lock_guard<std::mutex> guard(lock);
    return deviceKind;
}

bool DeviceAccess::IsOpen() const
{
    std::lock_guard<std::mutex> guard(lock);
    return isOpen;
}

uint8_t DeviceAccess::IdCode() const
{
    std::lock_guard<std::mutex> guard(lock);
    return idCode;
}

uint32_t DeviceAccess::LastDeviceCount() const
{
    std::lock_guard<std::mutex> guard(lock);
    return deviceCount;
}

int32_t DeviceAccess::InterfaceCount() const
{
    std::lock_guard<std::mutex> guard(lock);
    return interfaceCount;
}

std::u16string DeviceAccess::SerialText() const
{
    std::lock_guard<std::mutex> guard(lock);
    return std::u16string(serialText, FieldLength(serialText, 9));
}

}  // namespace kontakta
