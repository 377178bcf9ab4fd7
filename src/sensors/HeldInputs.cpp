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
    uint32_t held = buttons;
    for (const Button& button : allButtons) {
        if (flags & button.down) held |= button.down;
        if (flags & button.up) held &= ~button.down;
    }
    buttons = held;
    return inserted;
}

void HeldInputs::SendKey(uint8_t virtualKey, bool down)
{
    std::lock_guard<std::mutex> guard(lock);
    target.SendKey(virtualKey, down);
    const uint64_t bit = uint64_t(1) << (virtualKey % 64);
    if (down) keys[virtualKey / 64] |= bit;
    else keys[virtualKey / 64] &= ~bit;
}

void HeldInputs::ReleaseAll()
{
    std::lock_guard<std::mutex> guard(lock);
    ReleaseHeld();
}

void HeldInputs::ReleaseAllWithoutLock() { ReleaseHeld(); }

void HeldInputs::ReleaseHeld()
{
    // The key first, then its modifiers, as a user's fingers would let go.
    for (unsigned key = 0; key < 256; ++key) {
        if (IsKeyHeld(static_cast<uint8_t>(key)) && !IsModifier(key)) target.SendKey(static_cast<uint8_t>(key), false);
    }
    for (unsigned key : {unsigned(VirtualKeys::Shift), unsigned(VirtualKeys::Control), unsigned(VirtualKeys::Alt)}) {
        if (IsKeyHeld(static_cast<uint8_t>(key))) target.SendKey(static_cast<uint8_t>(key), false);
    }
    for (std::atomic<uint64_t>& word : keys) word = 0;
    const uint32_t held = buttons.exchange(0);
    for (const Button& button : allButtons) {
        if (held & button.down) target.SendMouseButton(button.up);
    }
}

bool HeldInputs::IsKeyHeld(uint8_t virtualKey) const
{
    return (keys[virtualKey / 64].load() >> (virtualKey % 64)) & 1;
}

bool HeldInputs::IsButtonHeld(uint32_t downFlag) const { return (buttons.load() & downFlag) != 0; }

bool HeldInputs::AnythingHeld() const
{
    for (const std::atomic<uint64_t>& word : keys)
        if (word.load() != 0) return true;
    return buttons.load() != 0;
}
