// The seam between the pointer and wheel sensors and the system: the
// monitors, the pointer's position, absolute moves and wheel notches. The
// program implements it over Win32 (sensors/Win32Pointer.h); the tests with a
// recording fake.
#pragma once

#include "sensors/ActionGroups.h"
#include "sensors/PointerMotion.h"

namespace kontakta {

class PointerDevice {
public:
    virtual ~PointerDevice() = default;
    // The monitors as they are now, in physical pixels. Empty when they
    // cannot be read.
    virtual kontakta::Desktop ReadDesktop() = 0;
    // Where the pointer is, in physical pixels. False when it cannot be read
    // (another desktop has the input, as while the workstation is locked).
    virtual bool ReadPosition(kontakta::Point& position) = 0;
    // Puts the pointer on `position`, a pixel of `virtualDesktop` (the
    // bounding box of the monitors the position was reckoned on). False when
    // the system did not insert the move.
    virtual bool MoveTo(const kontakta::PixelRect& virtualDesktop, kontakta::Point position) = 0;
    // One notch of the wheel under the pointer. False when not inserted.
    virtual bool TurnWheel(kontakta::WheelDirection direction) = 0;
};

}  // namespace kontakta
