// What the polling thread shares with the rest of the program: the sensors'
// records and filters, the activity it publishes for the test page, and the
// run-time flags. The poller is given these by reference and reaches for
// nothing else; the program gives it its process-wide objects
// (sensors/SensorAction.h, sensors/SensorActivity.h), wired once where the
// program is put together, and a test gives it objects of its own.
#pragma once

#include <atomic>
#include <cstdint>

#include "sensors/ActionOptions.h"
#include "sensors/SensorAction.h"
#include "sensors/SensorActivity.h"

namespace kontakta {

struct SharedState {
    const SensorActionTable& records;
    const FilterTable& filters;
    SensorActivity& activity;
    const std::atomic<int32_t>& beepOnPress;      // nonzero: a counted press plays the press sound
    const std::atomic<bool>& readFailed;          // the device access finds no readable box
    const std::atomic<bool>& startupPending;      // the main window has not finished starting
    const std::atomic<bool>& sensorsPaused;       // the tray's pause
    const std::atomic<bool>& actionsSuspended;    // the test page holds the actions back
    const kontakta::ActionOptionsTable& options;  // what the sensors have beyond their records
};

}  // namespace kontakta
