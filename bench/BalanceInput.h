// The soak's stand-in for the system's input: it keeps, as the system would,
// which keys and mouse buttons are down after the events so far, so that a
// key or button left down is seen whatever the program believes it holds.
// The polling thread and the key repetition's thread both send through it.
#pragma once

#include <bitset>
#include <cstdint>
#include <mutex>
#include <string>

#include "sensors/ActionServices.h"

using namespace kontakta;  // the tests speak of the core by its plain names

class BalanceInput : public InputSink {
public:
    bool SendMouseButton(uint32_t flags) override
    {
        std::lock_guard<std::mutex> guard(lock);
        ++events;
        // Each button's up flag is its down flag shifted left by one.
        for (uint32_t down : {MouseFlags::LeftDown, MouseFlags::RightDown, MouseFlags::MiddleDown}) {
            if (flags & down) buttons |= down;
            if (flags & (down << 1)) buttons &= ~down;
        }
        return true;
    }
    bool SendKey(uint8_t virtualKey, bool down) override
    {
        std::lock_guard<std::mutex> guard(lock);
        ++events;
        keys[virtualKey] = down;
        return true;
    }

    bool AnythingDown() const
    {
        std::lock_guard<std::mutex> guard(lock);
        return buttons != 0 || keys.any();
    }
    // "key 10, key 58, buttons 0002", for a report.
    std::string DownText() const
    {
        std::lock_guard<std::mutex> guard(lock);
        std::string text;
        for (size_t key = 0; key < keys.size(); ++key)
            if (keys[key]) text += "key " + std::to_string(key) + ", ";
        return text + "buttons " + std::to_string(buttons);
    }
    uint64_t Events() const
    {
        std::lock_guard<std::mutex> guard(lock);
        return events;
    }

private:
    mutable std::mutex lock;
    std::bitset<256> keys;
    uint32_t buttons = 0;
    uint64_t events = 0;
};
