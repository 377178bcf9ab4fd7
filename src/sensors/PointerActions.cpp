#include "sensors/PointerActions.h"

#include <algorithm>

#include "sensors/KeyAction.h"

namespace kontakta {

using namespace kontakta;

void PointerActions::Press(int sensor, const SensorExtras& extras, const ActionsSettings& options, uint64_t now)
{
    if (sensor < 0 || sensor >= int(wheels.size())) return;
    const size_t index = size_t(sensor);
    if (extras.group == int32_t(Group::MovePointer) && extras.action >= 0 && extras.action < pointerDirectionCount) {
        // The monitors are read at each press, so a monitor added or taken
        // away since counts, and each press starts from where the pointer is
        // (a real mouse or another program may have moved it).
        Desktop desktop = device.ReadDesktop();
        Point current;
        if (desktop.Empty() || !device.ReadPosition(current)) return;
        virtualDesktop = desktop.Bounds();
        mover.SetDesktop(std::move(desktop));
        mover.SetSpeeds(options.pointer);
        if (const std::optional<Point> step = mover.Press(sensor, PointerDirection(extras.action), current, now))
            device.MoveTo(virtualDesktop, *step);
    } else if (extras.group == int32_t(Group::Wheel) && extras.action >= 0 && extras.action < wheelDirectionCount) {
        wheelDirections[index] = WheelDirection(extras.action);
        uint32_t delay = 1;  // the system's default when the setting cannot be read
        keyboard.GetKeyboardDelay(delay);
        const uint32_t delayMilliseconds = RepeatDelayMilliseconds(delay);
        for (int notch = wheels[index].Press(now, options.wheel, delayMilliseconds); notch > 0; --notch)
            device.TurnWheel(wheelDirections[index]);
    }
}

void PointerActions::Release(int sensor)
{
    if (sensor < 0 || sensor >= int(wheels.size())) return;
    mover.Release(sensor);
    wheels[size_t(sensor)].Release();
}

void PointerActions::Advance(uint64_t now)
{
    // A move the system refuses (another desktop has the input) is not
    // reported: the next step tries again, and a beep at every step would
    // drown everything else.
    if (const std::optional<Point> position = mover.Advance(now)) device.MoveTo(virtualDesktop, *position);
    for (size_t index = 0; index < wheels.size(); ++index)
        for (int notch = wheels[index].Advance(now); notch > 0; --notch) device.TurnWheel(wheelDirections[index]);
}

std::optional<uint64_t> PointerActions::NextDue() const
{
    std::optional<uint64_t> due = mover.NextUpdateAt();
    for (const WheelRepeat& wheel : wheels)
        if (const std::optional<uint64_t> notch = wheel.NextNotchAt()) due = due ? std::min(*due, *notch) : *notch;
    return due;
}

void PointerActions::LetGo()
{
    mover.ReleaseAll();
    for (WheelRepeat& wheel : wheels) wheel.Release();
}

}  // namespace kontakta
