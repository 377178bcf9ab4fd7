#include "sensors/HeldInputs.h"

namespace {

bool IsModifier(unsigned key)
{
    return key == VirtualKeys::Shift || key == VirtualKeys::Control || key == VirtualKeys::Alt;
}

struct Button {
    uint32_t down;
    uint32_t up;
};

constexpr Button allButtons[] = {
    {MouseFlags::LeftDown, MouseFlags::LeftUp},
    {MouseFlags::RightDown, MouseFlags::RightUp},
    {MouseFlags::MiddleDown, MouseFlags::MiddleUp},
};

}  // namespace

HeldInputs::HeldInputs(InputSink& target) : target(target) {}

bool HeldInputs::SendMouseButton(uint32_t flags)
{
    std::lock_guard<std::mutex> guard(lock);
    const bool inserted = target.SendMouseButton(flags);
    for (const Button& button : allButtons) {
        if (flags & button.down) buttons |= button.down;
        if (flags & button.up) buttons &= ~button.down;
    }
    return inserted;
}

void HeldInputs::SendKey(uint8_t virtualKey, bool down)
{
    std::lock_guard<std::mutex> guard(lock);
    target.SendKey(virtualKey, down);
    keys.set(virtualKey, down);
}

void HeldInputs::ReleaseAll()
{
    std::lock_guard<std::mutex> guard(lock);
    // The key first, then its modifiers, as a user's fingers would let go.
    for (unsigned key = 0; key < 256; ++key) {
        if (keys.test(key) && !IsModifier(key)) target.SendKey(static_cast<uint8_t>(key), false);
    }
    for (unsigned key : {unsigned(VirtualKeys::Shift), unsigned(VirtualKeys::Control), unsigned(VirtualKeys::Alt)}) {
        if (keys.test(key)) target.SendKey(static_cast<uint8_t>(key), false);
    }
    keys.reset();
    for (const Button& button : allButtons) {
        if (buttons & button.down) target.SendMouseButton(button.up);
    }
    buttons = 0;
}

bool HeldInputs::IsKeyHeld(uint8_t virtualKey) const
{
    std::lock_guard<std::mutex> guard(lock);
    return keys.test(virtualKey);
}

bool HeldInputs::IsButtonHeld(uint32_t downFlag) const
{
    std::lock_guard<std::mutex> guard(lock);
    return (buttons & downFlag) != 0;
}

bool HeldInputs::AnythingHeld() const
{
    std::lock_guard<std::mutex> guard(lock);
    return keys.any() || buttons != 0;
}
