// A kit of simulated devices for the device-access tests. It hands out
// handles that name their open set, so that any use of a handle of a set that
// was closed is caught and counted.
#pragma once

#include <atomic>
#include <mutex>
#include <vector>

#include "Fakes.h"
#include "sensors/DeviceAccess.h"

using namespace kontakta;  // the tests speak of the core by its plain names

struct FakeDevice {
    uint16_t productId = boxProductId;
    uint8_t idCode = idCodeEightInputs;
    uint32_t pressedBits = 0;  // bits 8..15 of the box that read as pressed
    bool readFails = false;
};

class FakeKit : public Kit {
public:
    explicit FakeKit(EventLog* log = nullptr) : log(log) {}

    bool Loaded() const override { return loaded; }

    uintptr_t OpenDevices() override
    {
        std::lock_guard<std::mutex> guard(lock);
        Note("open");
        ++opens;
        if (nullSet || devices.empty()) return 0;
        openSet = ++setGeneration;
        return openSet << 8;
    }
    void CloseDevices(uintptr_t set) override
    {
        std::lock_guard<std::mutex> guard(lock);
        Note("close " + std::to_string(set >> 8));
        if ((set >> 8) == openSet) openSet = 0;
        ++closes;
    }
    uint32_t DeviceCount() override
    {
        std::lock_guard<std::mutex> guard(lock);
        Note("count");
        return reportedCount ? reportedCount : static_cast<uint32_t>(devices.size());
    }
    uintptr_t DeviceHandle(uint32_t number) override
    {
        std::lock_guard<std::mutex> guard(lock);
        if (number == 0 || number > devices.size()) return 0;
        return (static_cast<uintptr_t>(openSet) << 8) | number;
    }
    uint16_t ProductId(uintptr_t device) override
    {
        std::lock_guard<std::mutex> guard(lock);
        const FakeDevice* found = Find(device);
        return found ? found->productId : 0;
    }
    bool Read(uintptr_t device, uint32_t& value) override
    {
        std::lock_guard<std::mutex> guard(lock);
        ++reads;
        const FakeDevice* found = Find(device);
        if (!found || found->readFails) return false;
        value = ~(found->pressedBits | found->idCode);
        return true;
    }
    void SerialNumber(uintptr_t device, char16_t (&serial)[9]) override
    {
        std::lock_guard<std::mutex> guard(lock);
        Find(device);
        for (int i = 0; i < 8; ++i) serial[i] = static_cast<char16_t>(u'1' + i);
        serial[8] = 0;
    }
    void Write(uintptr_t device, uint32_t pipe, const uint8_t* report, uint32_t length) override
    {
        std::lock_guard<std::mutex> guard(lock);
        Find(device);
        std::string bytes;
        for (uint32_t i = 0; i < length; ++i) bytes += " " + Hex(report[i], 2);
        Note("write " + std::to_string(device & 0xFF) + " pipe " + std::to_string(pipe) + ":" + bytes);
    }

    // Set up between calls (or under the lock, from another thread).
    void SetPressed(size_t index, uint32_t bits)
    {
        std::lock_guard<std::mutex> guard(lock);
        devices[index].pressedBits = bits;
    }
    void SetReadFails(size_t index, bool fails)
    {
        std::lock_guard<std::mutex> guard(lock);
        devices[index].readFails = fails;
    }

    std::vector<FakeDevice> devices{FakeDevice{}};
    bool loaded = true;          // false: the library is missing
    bool nullSet = false;        // the open call gives no handle
    uint32_t reportedCount = 0;  // nonzero: the count call answers this
    std::atomic<int> reads{0};
    std::atomic<int> opens{0};
    std::atomic<int> closes{0};
    std::atomic<int> callsOnReleasedHandles{0};

private:
    // The device a handle names, or null; a handle of a closed set counts.
    const FakeDevice* Find(uintptr_t device)
    {
        const uintptr_t set = device >> 8;
        const size_t number = device & 0xFF;
        if (set == 0 || set != openSet) {
            if (device != 0) ++callsOnReleasedHandles;
            return nullptr;
        }
        return number >= 1 && number <= devices.size() ? &devices[number - 1] : nullptr;
    }
    void Note(const std::string& event)
    {
        if (log) log->Add("kit " + event);
    }

    std::mutex lock;
    EventLog* log;
    uintptr_t setGeneration = 0;
    uintptr_t openSet = 0;
};

class FakeCounter : public InterfaceCounter {
public:
    int32_t CountMatchingInterfaces() override
    {
        ++counts;
        return count;
    }
    int32_t count = 0;
    int counts = 0;  // how often the interfaces were counted
};

// A one-shot timer on a virtual clock: Advance() fires it when its time has
// come, and a restart moves its deadline.
class VirtualTimer : public OneShotTimer {
public:
    void Start(uint32_t milliseconds) override
    {
        deadline = now + milliseconds;
        running = true;
        ++starts;
    }
    // Moves the clock on; returns true if the timer fired.
    bool Advance(uint64_t milliseconds)
    {
        now += milliseconds;
        if (!running || now < deadline) return false;
        running = false;
        return true;
    }
    uint64_t now = 0;
    uint64_t deadline = 0;
    bool running = false;
    int starts = 0;
};
