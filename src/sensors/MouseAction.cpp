#include "sensors/MouseAction.h"

#include <algorithm>

namespace kontakta {

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
    case MouseActionKind::DoubleClick: return {MouseFlags::LeftDown, MouseFlags::LeftUp};
    case MouseActionKind::MiddleClick:
    case MouseActionKind::MiddlePressRelease: return {MouseFlags::MiddleDown, MouseFlags::MiddleUp};
    case MouseActionKind::RightClick:
    case MouseActionKind::RightPressRelease: return {MouseFlags::RightDown, MouseFlags::RightUp};
    }
    return {0, 0};
}

}  // namespace

std::vector<MouseStep> MouseActionSteps(const SensorAction& record, bool pressed)
{
    if (record.mouseAction < 0 || record.mouseAction >= mouseActionCount) return {};
    const auto kind = static_cast<MouseActionKind>(record.mouseAction);
    const ButtonFlags button = ButtonOf(kind);
    switch (kind) {
    case MouseActionKind::LeftPressRelease:
    case MouseActionKind::MiddlePressRelease:
    case MouseActionKind::RightPressRelease: return {{0, pressed ? button.down : button.up}};
    case MouseActionKind::LeftClick:
    case MouseActionKind::MiddleClick:
    case MouseActionKind::RightClick:
        if (!pressed) return {};
        return {{0, button.down}, {mouseEventGap + 100, button.up}};
    case MouseActionKind::DoubleClick:
        if (!pressed) return {};
        return {{0, button.down},
                {mouseEventGap + 10, button.up},
                {mouseEventGap + 100, button.down},
                {mouseEventGap + 10, button.up}};
    }
    return {};
}

void SendMouseInput(uint32_t flags, InputSink& input, Sounds& sounds, Clock& clock)
{
    if (!input.SendMouseButton(flags)) sounds.ErrorBeep();
    clock.Sleep(mouseEventGap);
}

void PerformMouseAction(const SensorAction& record, bool pressed, InputSink& input, Sounds& sounds, Clock& clock)
{
    bool first = true;
    for (const MouseStep& step : MouseActionSteps(record, pressed)) {
        // The event before has already waited its gap.
        if (!first) clock.Sleep(step.afterMilliseconds - mouseEventGap);
        first = false;
        SendMouseInput(step.flags, input, sounds, clock);
    }
}

void MouseSchedule::Add(const SensorAction& record, bool pressed, int64_t now)
{
    int64_t due = now;
    for (const MouseStep& step : MouseActionSteps(record, pressed)) {
        due += int64_t(step.afterMilliseconds) * 1000;
        // Behind what still waits, at least the gap after it, whichever
        // sensor asked for it: the events go out in the order they were asked
        // for, and a release never overtakes its click.
        if (!pending.empty()) due = std::max(due, pending.back().due + int64_t(mouseEventGap) * 1000);
        pending.push_back({due, step.flags});
    }
}

void MouseSchedule::SendDue(int64_t now, InputSink& input, Sounds& sounds)
{
    while (!pending.empty() && pending.front().due <= now) {
        const uint32_t flags = pending.front().flags;
        pending.pop_front();
        if (!input.SendMouseButton(flags)) sounds.ErrorBeep();
    }
}

std::optional<int64_t> MouseSchedule::NextDue() const
{
    if (pending.empty()) return std::nullopt;
    return pending.front().due;
}

uint32_t PhysicalButtonFlags(uint32_t flags, bool buttonsSwapped)
{
    if (!buttonsSwapped) return flags;
    constexpr uint32_t left = MouseFlags::LeftDown | MouseFlags::LeftUp;
    constexpr uint32_t right = MouseFlags::RightDown | MouseFlags::RightUp;
    // Left down/up are bits 1 and 2, right down/up bits 3 and 4.
    return (flags & ~(left | right)) | ((flags & left) << 2) | ((flags & right) >> 2);
}

uint32_t PhysicalButtons::Map(uint32_t flags, bool buttonsSwapped)
{
    struct Button {
        uint32_t down;
        uint32_t up;
    };
    uint32_t result =
        flags & ~(MouseFlags::LeftDown | MouseFlags::LeftUp | MouseFlags::RightDown | MouseFlags::RightUp);
    for (const Button button :
         {Button{MouseFlags::LeftDown, MouseFlags::LeftUp}, Button{MouseFlags::RightDown, MouseFlags::RightUp}}) {
        const uint32_t own = flags & (button.down | button.up);
        if (own == 0) continue;
        bool swapped = buttonsSwapped;
        if ((own & button.down) == 0 && (pressed.load() & button.down) != 0)
            swapped = (pressedSwapped.load() & button.down) != 0;  // the release follows its press
        result |= PhysicalButtonFlags(own, swapped);
        if (own & button.up) {
            pressed.fetch_and(~button.down);
            pressedSwapped.fetch_and(~button.down);
        } else {
            pressed.fetch_or(button.down);
            if (swapped)
                pressedSwapped.fetch_or(button.down);
            else
                pressedSwapped.fetch_and(~button.down);
        }
    }
    return result;
}

}  // namespace kontakta
