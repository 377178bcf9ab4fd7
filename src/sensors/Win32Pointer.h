// The Win32 side of the pointer seam. Every call runs with its thread
// per-monitor DPI aware (version 2) for its duration, so the monitors, the
// pointer's position and the moves are physical pixels on every monitor,
// whatever awareness the rest of the program's windows have. Moves are
// absolute over the virtual desktop, so their distance does not depend on
// the pointer speed or "Enhance pointer precision".
#pragma once

#include "sensors/PointerServices.h"

// The calling thread per-monitor DPI aware (version 2) while it lives, and
// its old awareness again after: windows created and placed meanwhile take
// physical pixels (the scan's overlay does so). Windows before 10, version
// 1607, have no awareness of a thread; there the process's stays.
class PhysicalPixels {
public:
    PhysicalPixels();
    ~PhysicalPixels();
    PhysicalPixels(const PhysicalPixels&) = delete;
    PhysicalPixels& operator=(const PhysicalPixels&) = delete;

private:
    void* previous = nullptr;  // the thread's DPI_AWARENESS_CONTEXT before
};

class Win32Pointer : public kontakta::PointerDevice {
public:
    kontakta::Desktop ReadDesktop() override;
    bool ReadPosition(kontakta::Point& position) override;
    bool MoveTo(const kontakta::PixelRect& virtualDesktop, kontakta::Point position) override;
    bool TurnWheel(kontakta::WheelDirection direction) override;
};
