// The shared control of the kit stand-in: the simulated input boxes and a
// record of the calls the stand-in received. It lives in a named shared memory
// block, so the stand-in library (loaded by Kontakta), the virtual input box,
// the command line and the tests all see the same devices.
//
// Everything in the block is a lock-free atomic; any process may write any
// field at any time. This header is for development tools and tests only.
#pragma once

#include <windows.h>

#include <atomic>
#include <cstdint>

namespace kitsim {

constexpr wchar_t mappingName[] = L"KontaktaKitSimulatorControl";
constexpr uint32_t controlMagic = 0x4B534D31;  // "KSM1"
constexpr uint32_t maxDevices = 4;
constexpr uint32_t callLogSize = 256;

// The box's product id and the identification codes of its two variants.
constexpr uint16_t boxProductId = 0x1501;
constexpr uint32_t idCodeEightInputs = 2;
constexpr uint32_t idCodeSixInputs = 6;

struct Device {
    std::atomic<uint32_t> productId;    // what ordinal 11 answers
    std::atomic<uint32_t> idCode;       // low four bits of the first port, before inversion by the reader
    std::atomic<uint32_t> pressed;      // bit n-1 set: box input n is held (n = 1..8)
    std::atomic<uint32_t> readsFail;    // nonzero: every read of this device fails
    std::atomic<uint32_t> rawOverride;  // nonzero: reads return rawValue instead of the composed value
    std::atomic<uint32_t> rawValue;
    wchar_t serial[9];  // what ordinal 12 fills in (written before devices are counted)
};

enum CallKind : uint32_t {
    CallOpen = 1,          // ordinal 1
    CallClose = 2,         // ordinal 2
    CallWrite = 4,         // ordinal 4
    CallRead = 5,          // ordinal 5
    CallCount = 8,         // ordinal 8
    CallDeviceHandle = 9,  // ordinal 9
    CallProductId = 11,    // ordinal 11
    CallSerial = 12,       // ordinal 12
};

struct CallRecord {
    std::atomic<uint32_t> sequence;  // 1-based position in the log; 0 = not written yet
    std::atomic<uint32_t> kind;      // CallKind
    std::atomic<uint32_t> device;    // device number 1..n the handle belongs to, 0 for a set handle
    std::atomic<uint32_t> argument;  // pipe for writes, device number for ordinal 9
    std::atomic<uint32_t> length;    // bytes of a write
    std::atomic<uint32_t> bytes;     // first four bytes of a write, little-endian
    std::atomic<uint32_t> result;    // what the call returned (low 32 bits)
};

struct Control {
    std::atomic<uint32_t> magic;
    std::atomic<uint32_t> plugged;      // zero: the boxes are unplugged (no devices, reads fail)
    std::atomic<uint32_t> deviceCount;  // devices present when plugged, 0..maxDevices
    Device devices[maxDevices];

    // Counters of the calls received, over all processes.
    std::atomic<uint32_t> opens;
    std::atomic<uint32_t> closes;
    std::atomic<uint32_t> reads;
    std::atomic<uint32_t> failedReads;
    std::atomic<uint32_t> writes;
    // Reads or other calls with a handle of an open set that was already
    // closed. A correct program never makes one.
    std::atomic<uint32_t> callsOnReleasedHandles;
    // Microseconds that each read takes (default 0), to widen races in tests.
    std::atomic<uint32_t> readDelayMicroseconds;

    std::atomic<uint32_t> callLogNext;  // number of calls logged so far
    CallRecord callLog[callLogSize];    // ring: call i lies at (i - 1) % callLogSize
};

// The value a read of `device` returns: the box pulls a pressed input low, so
// a held input reads as a 0 bit; the low four bits carry the inverted
// identification code; every other bit reads as 1. Input n of an eight-input
// box is bit 7 + n, input n of a six-input box is bit 14 - n.
inline uint32_t ComposeInputValue(uint32_t idCode, uint32_t pressed)
{
    uint32_t lowActive = idCode & 0x0F;
    for (uint32_t input = 1; input <= 8; ++input) {
        if (!(pressed & (1u << (input - 1)))) continue;
        if (idCode == idCodeSixInputs) {
            if (input <= 6) lowActive |= 1u << (14 - input);
        } else {
            lowActive |= 1u << (7 + input);
        }
    }
    return ~lowActive;
}

// The devices a read or an open finds now: deviceCount when plugged (at most
// maxDevices), else none.
inline uint32_t PresentDeviceCount(const Control& control)
{
    if (!control.plugged.load()) return 0;
    const uint32_t count = control.deviceCount.load();
    return count < maxDevices ? count : maxDevices;
}

// A plain copy of one call record.
struct CallCopy {
    uint32_t sequence, kind, device, argument, length, bytes, result;
};

// Copies the record of call `sequence` (1-based) from the ring. False if that
// record was not written yet, was overwritten by a later call or is being
// written just now. The writer clears `sequence`, fills the fields and then
// stores `sequence` last; a copy counts only if `sequence` read the same
// before and after the fields.
inline bool CopyCall(const Control& control, uint32_t sequence, CallCopy& copy)
{
    if (sequence == 0) return false;
    const CallRecord& record = control.callLog[(sequence - 1) % callLogSize];
    if (record.sequence.load(std::memory_order_acquire) != sequence) return false;
    copy.sequence = sequence;
    copy.kind = record.kind.load(std::memory_order_relaxed);
    copy.device = record.device.load(std::memory_order_relaxed);
    copy.argument = record.argument.load(std::memory_order_relaxed);
    copy.length = record.length.load(std::memory_order_relaxed);
    copy.bytes = record.bytes.load(std::memory_order_relaxed);
    copy.result = record.result.load(std::memory_order_relaxed);
    std::atomic_thread_fence(std::memory_order_acquire);
    return record.sequence.load(std::memory_order_relaxed) == sequence;
}

// Opens (creating on first use) the shared control. Returns null on failure.
// The view stays mapped for the life of the process. The first process to
// create it gets one plugged eight-input box with serial "00001234".
Control* OpenControl();

// Puts the control back to one plugged eight-input box, nothing held, all
// counters and the call log cleared.
void ResetControl(Control& control);

}  // namespace kitsim
