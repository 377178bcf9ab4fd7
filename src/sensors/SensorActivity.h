// What the polling thread shares with the settings' test page and the tray
// menu besides the records: the timing filters of each sensor, the live state
// of each switch with counters of the presses that counted and the touches
// that the filters ignored, and the two ways to hold the actions back (the
// test page's "Aktionen beim Testen aussetzen" and the tray's pause).
// Everything is atomic: the user-interface thread writes and reads while the
// polling thread runs, and neither waits for the other.
#pragma once

#include <array>
#include <atomic>
#include <cstdint>

#include "sensors/SensorAction.h"
#include "sensors/SensorFilter.h"

namespace kontakta {

// The hold times and lockouts of the eight sensors, sensor 1 first. A change
// takes effect at the next poll. Values are held to their ranges.
class FilterTable {
public:
    FilterTimes Get(int index) const;
    void Set(int index, FilterTimes times);
    std::array<FilterTimes, sensorCount> GetAll() const;
    void SetAll(const std::array<FilterTimes, sensorCount>& all);
    void Reset();  // all 0: every edge counts at once

private:
    std::array<std::atomic<uint32_t>, sensorCount> hold{};
    std::array<std::atomic<uint32_t>, sensorCount> lockout{};
};

class SensorActivity {
public:
    // Polling thread: the switch states of the last read (bit n-1: sensor n
    // pressed), and the events.
    void PublishSwitches(uint32_t pressedBits) { switches = pressedBits; }
    void CountPress(int index);
    void CountIgnoredTouch(int index);
    // Polling thread: the sensors whose input is latched now (bit n-1:
    // sensor n), for the tray icon and the indicator.
    void PublishLatched(uint32_t latchedBits) { latched = latchedBits; }
    // Polling thread: a scan runs, or a drag of an earlier scan is held.
    void PublishScanning(bool scanning) { scanBusy = scanning; }

    // Any thread.
    bool SwitchPressed(int index) const;
    uint32_t Presses(int index) const;
    uint32_t IgnoredTouches(int index) const;
    uint32_t LatchedSensors() const { return latched; }
    bool Scanning() const { return scanBusy; }
    void ResetCounters();

private:
    std::atomic<uint32_t> switches{0};  // bit n-1: sensor n pressed
    std::atomic<uint32_t> latched{0};   // bit n-1: sensor n latched
    std::atomic<bool> scanBusy{false};
    std::array<std::atomic<uint32_t>, sensorCount> presses{};
    std::array<std::atomic<uint32_t>, sensorCount> ignored{};
};

extern FilterTable sensorFilters;
extern SensorActivity sensorActivity;
// The test page holds the actions back while it is shown with its box ticked.
extern std::atomic<bool> actionsSuspended;
// "Sensoren pausieren" of the tray menu: no action runs until it is resumed.
extern std::atomic<bool> sensorsPaused;

}  // namespace kontakta
