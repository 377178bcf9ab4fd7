// The shared state of one poller or device access, owned by a test: records
// and filters at their defaults, no activity, the box readable, start-up
// finished, nothing paused or suspended, the press sound on. A test sets what
// it needs on its own object; nothing is left behind for the next test.
#pragma once

#include <atomic>
#include <cstdint>

#include "sensors/SharedState.h"

using namespace kontakta;  // the tests speak of the core by its plain names

struct TestState {
    SensorActionTable records;
    FilterTable filters;
    SensorActivity activity;
    std::atomic<int32_t> beepOnPress{1};
    std::atomic<bool> readFailed{false};
    std::atomic<bool> startupPending{false};
    std::atomic<bool> sensorsPaused{false};
    std::atomic<bool> actionsSuspended{false};
    kontakta::ActionOptionsTable options;
    const SharedState shared{records,        filters,       activity,         beepOnPress, readFailed,
                             startupPending, sensorsPaused, actionsSuspended, options};
};
