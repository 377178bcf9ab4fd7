// The sensors that move the pointer and turn the wheel, driven by the
// polling thread's clock: a press acts at once (one pixel, one notch), and
// while sensors are held the thread calls Advance at NextDue() at the
// latest, without ever sleeping inside an action.
#pragma once

#include <array>
#include <cstdint>
#include <optional>

#include "sensors/ActionOptions.h"
#include "sensors/ActionServices.h"
#include "sensors/PointerMotion.h"
#include "sensors/PointerServices.h"
#include "sensors/WheelRepeat.h"

namespace kontakta {

class PointerActions {
public:
    // `keyboard` gives the wheel its repeat delay where its timing names none.
    PointerActions(PointerDevice& device, KeyboardSettings& keyboard) : device(device), keyboard(keyboard) {}

    // Sensor `sensor` (0 to 7) counted a press at `now` (microseconds) with
    // `extras` of the pointer or the wheel group; `options` give the speeds
    // and the wheel's timing. Anything else does nothing.
    void Press(int sensor, const kontakta::SensorExtras& extras, const kontakta::ActionsSettings& options,
               uint64_t now);
    // The sensor's press ended.
    void Release(int sensor);
    // Moves the pointer and turns the wheels as far as `now` asks.
    void Advance(uint64_t now);
    // When Advance is needed next; nothing while no pointer or wheel sensor
    // is held, so an idle poll need not wake for them.
    std::optional<uint64_t> NextDue() const;
    // Every pointer and wheel sensor let go: nothing moves or turns on.
    void LetGo();

private:
    PointerDevice& device;
    KeyboardSettings& keyboard;
    kontakta::PointerMover mover;
    kontakta::PixelRect virtualDesktop;
    std::array<kontakta::WheelRepeat, 8> wheels{};
    std::array<kontakta::WheelDirection, 8> wheelDirections{};
};

}  // namespace kontakta
