#include "sensors/MouseAction.h"

namespace {

struct ButtonFlags {
    uint32_t down;
    uint32_t up;
};

ButtonFlags ButtonOf(MouseActionKind kind)
{
    switch (kind) {
    case MouseActionKind::LeftPressRelease:
    case MouseActionKind::LeftClick:
    case MouseActionKind::DoubleClick:
        return {MouseFlags::LeftDown, MouseFlags::LeftUp};
    case MouseActionKind::MiddleClick:
    case MouseActionKind::MiddlePressRelease:
        return {MouseFlags::MiddleDown, MouseFlags::MiddleUp};
    case MouseActionKind::RightClick:
    case MouseActionKind::RightPressRelease:
        return {MouseFlags::RightDown, MouseFlags::RightUp};
    }
    return {0, 0};
}

}  // namespace

void SendMouseInput(uint32_t flags, InputSink& input, Sounds& sounds, Clock& clock)
{
    if (!input.SendMouseButton(flags)) sounds.ErrorBeep();
    clock.Sleep(5);
}

void PerformMouseAction(const SensorAction& record, bool pressed, InputSink& input, Sounds& sounds,
                        Clock& clock)
{
    if (record.mouseAction < 0 || record.mouseAction >= mouseActionCount) return;
    const auto kind = static_cast<MouseActionKind>(record.mouseAction);
    const ButtonFlags button = ButtonOf(kind);
    auto send = [&](uint32_t flags) { SendMouseInput(flags, input, sounds, clock); };

    switch (kind) {
    case MouseActionKind::LeftPressRelease:
    case MouseActionKind::MiddlePressRelease:
    case MouseActionKind::RightPressRelease:
        send(pressed ? button.down : button.up);
        break;
    case MouseActionKind::LeftClick:
    case MouseActionKind::MiddleClick:
    case MouseActionKind::RightClick:
        if (!pressed) break;
        send(button.down);
        clock.Sleep(100);
        send(button.up);
        break;
    case MouseActionKind::DoubleClick:
        if (!pressed) break;
        send(button.down);
        clock.Sleep(10);
        send(button.up);
        clock.Sleep(100);
        send(button.down);
        clock.Sleep(10);
        send(button.up);
        break;
    }
}

uint32_t PhysicalButtonFlags(uint32_t flags, bool buttonsSwapped)
{
    if (!buttonsSwapped) return flags;
    constexpr uint32_t left = MouseFlags::LeftDown | MouseFlags::LeftUp;
    constexpr uint32_t right = MouseFlags::RightDown | MouseFlags::RightUp;
    // Left down/up are bits 1 and 2, right down/up bits 3 and 4.
    return (flags & ~(left | right)) | ((flags & left) << 2) | ((flags & right) >> 2);
}
