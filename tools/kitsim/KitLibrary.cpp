// The stand-in for the input box's kit library, built as iowkit.dll. It is a
// development and test tool: it answers Kontakta's calls from the simulated
// boxes of the shared control (KitSimControl.h) and records every call there.
// It is never installed or shipped as the box's kit.
//
// Exported by ordinal only (KitLibrary.def), with the call shapes the device
// access uses. Handles are opaque values that name the open set they came
// from, so a call with a handle of a set that was closed is caught, counted in
// callsOnReleasedHandles and fails; it never touches freed memory because
// there is none.
//
// One open set per process: ordinal 1 ends any set that is still open and
// starts a new one. Reads must stay cheap (Kontakta reads 50 times a second
// from a time-critical thread): no allocation, no lock, no file access, only
// atomics in the shared block.
#include <windows.h>

#include <atomic>
#include <cstdint>

#include "KitSimControl.h"

namespace {

using kitsim::Control;

// handle = tag << 48 | generation << 8 | device number (0 for the set itself).
// The tag makes stray values (pointers, small integers) invalid rather than
// released.
constexpr uint64_t handleTag = 0x4B53;  // "KS"
constexpr int tagShift = 48;
constexpr int generationShift = 8;
constexpr uint64_t generationMask = 0xFFFFFFFFull;
constexpr uint64_t deviceMask = 0xFF;

// The open set of this process: generation << 8 | device count, 0 if none.
// Generations start at 1 and are never reused.
std::atomic<uint64_t> openSet{0};
std::atomic<uint32_t> lastGeneration{0};

Control* Shared()
{
    // Opened on the first call, not in DllMain, which must not wait.
    static Control* const control = kitsim::OpenControl();
    return control;
}

void* MakeHandle(uint32_t generation, uint32_t device)
{
    const uint64_t value = (handleTag << tagShift) | (uint64_t(generation) << generationShift) | device;
    return reinterpret_cast<void*>(static_cast<uintptr_t>(value));
}

enum class HandleState { Valid, Invalid, Released };

struct Decoded {
    HandleState state = HandleState::Invalid;
    uint32_t device = 0;  // device number the handle names; 0 for the set handle
    uint32_t generation = 0;
};

Decoded Decode(void* handle)
{
    Decoded decoded;
    const uint64_t value = static_cast<uint64_t>(reinterpret_cast<uintptr_t>(handle));
    if ((value >> tagShift) != handleTag) return decoded;
    const uint64_t generationField = (value >> generationShift) & ((uint64_t(1) << (tagShift - generationShift)) - 1);
    if (generationField > generationMask || generationField == 0) return decoded;
    decoded.generation = static_cast<uint32_t>(generationField);
    decoded.device = static_cast<uint32_t>(value & deviceMask);

    const uint64_t set = openSet.load(std::memory_order_acquire);
    const uint32_t openGeneration = static_cast<uint32_t>(set >> generationShift);
    const uint32_t openCount = static_cast<uint32_t>(set & deviceMask);
    if (openGeneration != 0 && decoded.generation == openGeneration) {
        decoded.state = decoded.device <= openCount ? HandleState::Valid : HandleState::Invalid;
    } else if (decoded.generation <= lastGeneration.load(std::memory_order_acquire)) {
        decoded.state = HandleState::Released;
    }
    return decoded;
}

bool StillOpen(const Decoded& decoded)
{
    return static_cast<uint32_t>(openSet.load(std::memory_order_acquire) >> generationShift) == decoded.generation;
}

// A valid device handle whose device is present now.
bool DevicePresent(const Control& control, const Decoded& decoded)
{
    return decoded.state == HandleState::Valid && decoded.device >= 1 &&
           decoded.device <= kitsim::PresentDeviceCount(control);
}

void CountReleased(Control* control, const Decoded& decoded)
{
    if (control && decoded.state == HandleState::Released) control->callsOnReleasedHandles.fetch_add(1);
}

void LogCall(Control* control, uint32_t kind, uint32_t device, uint32_t argument, uint32_t length, uint32_t bytes,
             uint32_t result)
{
    if (!control) return;
    const uint32_t sequence = control->callLogNext.fetch_add(1) + 1;
    kitsim::CallRecord& record = control->callLog[(sequence - 1) % kitsim::callLogSize];
    // Cleared first, so a reader never takes half of this call for the
    // call that was there before (see kitsim::CopyCall).
    record.sequence.store(0, std::memory_order_relaxed);
    std::atomic_thread_fence(std::memory_order_release);
    record.kind.store(kind, std::memory_order_relaxed);
    record.device.store(device, std::memory_order_relaxed);
    record.argument.store(argument, std::memory_order_relaxed);
    record.length.store(length, std::memory_order_relaxed);
    record.bytes.store(bytes, std::memory_order_relaxed);
    record.result.store(result, std::memory_order_relaxed);
    record.sequence.store(sequence, std::memory_order_release);
}

const LONGLONG ticksPerSecond = [] {
    LARGE_INTEGER frequency;
    ::QueryPerformanceFrequency(&frequency);
    return frequency.QuadPart;
}();

// Waits at least `microseconds`: sleeps the bulk of a long wait, spins the
// rest, so that short delays are honoured too.
void WaitMicroseconds(uint32_t microseconds)
{
    if (microseconds == 0) return;
    LARGE_INTEGER start;
    ::QueryPerformanceCounter(&start);
    const LONGLONG ticks = static_cast<LONGLONG>(microseconds) * ticksPerSecond / 1000000;
    if (microseconds >= 2000) ::Sleep((microseconds - 1000) / 1000);
    for (;;) {
        LARGE_INTEGER now;
        ::QueryPerformanceCounter(&now);
        if (now.QuadPart - start.QuadPart >= ticks) return;
        YieldProcessor();
    }
}

}  // namespace

extern "C" {

// Ordinal 1: opens every present device. Returns the handle of the new open
// set, or null when no device is present.
void* KitOpenDevices()
{
    Control* control = Shared();
    const uint32_t count = control ? kitsim::PresentDeviceCount(*control) : 0;
    void* set = nullptr;
    if (count == 0) {
        openSet.store(0, std::memory_order_release);
    } else {
        const uint32_t generation = lastGeneration.fetch_add(1) + 1;
        openSet.store((uint64_t(generation) << generationShift) | count, std::memory_order_release);
        set = MakeHandle(generation, 0);
    }
    if (control) {
        control->opens.fetch_add(1);
        LogCall(control, kitsim::CallOpen, 0, 0, 0, 0, static_cast<uint32_t>(reinterpret_cast<uintptr_t>(set)));
    }
    return set;
}

// Ordinal 2: closes the open set and with it all its device handles.
void KitCloseDevices(void* set)
{
    Control* control = Shared();
    const Decoded decoded = Decode(set);
    uint32_t closed = 0;
    if (decoded.state == HandleState::Valid && decoded.device == 0) {
        uint64_t expected = openSet.load(std::memory_order_acquire);
        if (static_cast<uint32_t>(expected >> generationShift) == decoded.generation)
            closed = openSet.compare_exchange_strong(expected, 0, std::memory_order_acq_rel) ? 1 : 0;
    }
    CountReleased(control, decoded);
    if (control) {
        control->closes.fetch_add(1);
        LogCall(control, kitsim::CallClose, decoded.device, 0, 0, 0, closed);
    }
}

// Ordinal 4: writes a report to `pipe` of the device. Returns the bytes
// written, 0 on failure.
ULONG KitWrite(void* device, ULONG pipe, const char* bytes, ULONG length)
{
    Control* control = Shared();
    const Decoded decoded = Decode(device);
    CountReleased(control, decoded);
    if (!control) return 0;
    uint32_t firstBytes = 0;
    if (bytes) {
        for (ULONG i = 0; i < length && i < 4; ++i)
            firstBytes |= uint32_t(static_cast<unsigned char>(bytes[i])) << (8 * i);
    }
    const bool written = bytes && length > 0 && pipe <= 1 && DevicePresent(*control, decoded);
    const ULONG result = written ? length : 0;
    control->writes.fetch_add(1);
    LogCall(control, kitsim::CallWrite, decoded.device, pipe, length, firstBytes, result);
    return result;
}

// Ordinal 5: reads the device's current input value. FALSE when the device is
// gone, its reads fail, or the handle is not one of the open set.
BOOL KitRead(void* device, DWORD* value)
{
    Control* control = Shared();
    if (!control) return FALSE;
    Decoded decoded = Decode(device);
    control->reads.fetch_add(1, std::memory_order_relaxed);
    WaitMicroseconds(control->readDelayMicroseconds.load(std::memory_order_relaxed));
    // A set closed while the read was under way counts as a read on a
    // released handle, as it would have read freed memory in the real kit.
    if (decoded.state == HandleState::Valid && !StillOpen(decoded)) decoded.state = HandleState::Released;
    CountReleased(control, decoded);

    BOOL result = FALSE;
    if (value && DevicePresent(*control, decoded)) {
        const kitsim::Device& simulated = control->devices[decoded.device - 1];
        if (!simulated.readsFail.load(std::memory_order_relaxed)) {
            *value = simulated.rawOverride.load(std::memory_order_relaxed)
                         ? simulated.rawValue.load(std::memory_order_relaxed)
                         : kitsim::ComposeInputValue(simulated.idCode.load(std::memory_order_relaxed),
                                                     simulated.pressed.load(std::memory_order_relaxed));
            result = TRUE;
        }
    }
    if (!result) control->failedReads.fetch_add(1, std::memory_order_relaxed);
    LogCall(control, kitsim::CallRead, decoded.device, 0, 0, 0, result ? 1 : 0);
    return result;
}

// Ordinal 8: the number of devices of the open set, numbered from 1. Without
// an open set, the number present now.
ULONG KitDeviceCount()
{
    Control* control = Shared();
    const uint64_t set = openSet.load(std::memory_order_acquire);
    ULONG count = 0;
    if (set != 0)
        count = static_cast<ULONG>(set & deviceMask);
    else if (control)
        count = kitsim::PresentDeviceCount(*control);
    LogCall(control, kitsim::CallCount, 0, 0, 0, 0, count);
    return count;
}

// Ordinal 9: the handle of device `number` (1-based) of the open set; null if
// there is no such device or no open set. It belongs to the set.
void* KitDeviceHandle(ULONG number)
{
    const uint64_t set = openSet.load(std::memory_order_acquire);
    const uint32_t generation = static_cast<uint32_t>(set >> generationShift);
    void* handle = nullptr;
    if (set != 0 && number >= 1 && number <= (set & deviceMask)) handle = MakeHandle(generation, number);
    LogCall(Shared(), kitsim::CallDeviceHandle, 0, number, 0, 0,
            static_cast<uint32_t>(reinterpret_cast<uintptr_t>(handle)));
    return handle;
}

// Ordinal 11: the device's product id, 0 for a handle that is not valid.
ULONG KitProductId(void* device)
{
    Control* control = Shared();
    const Decoded decoded = Decode(device);
    CountReleased(control, decoded);
    if (!control) return 0;
    ULONG productId = 0;
    if (decoded.state == HandleState::Valid && decoded.device >= 1)
        productId = control->devices[decoded.device - 1].productId.load() & 0xFFFF;
    LogCall(control, kitsim::CallProductId, decoded.device, 0, 0, 0, productId);
    return productId;
}

// Ordinal 12: fills in the device's serial number, eight characters and a
// terminating zero.
BOOL KitSerialNumber(void* device, wchar_t* serial)
{
    Control* control = Shared();
    const Decoded decoded = Decode(device);
    CountReleased(control, decoded);
    if (!control) return FALSE;
    BOOL result = FALSE;
    if (serial && decoded.state == HandleState::Valid && decoded.device >= 1) {
        const kitsim::Device& simulated = control->devices[decoded.device - 1];
        for (int i = 0; i < 8; ++i) serial[i] = simulated.serial[i];
        serial[8] = 0;
        result = TRUE;
    }
    LogCall(control, kitsim::CallSerial, decoded.device, 0, 0, 0, result ? 1 : 0);
    return result;
}

}  // extern "C"
