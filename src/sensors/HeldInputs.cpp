#include "sensors/HeldInputs.h"

#include <cstddef>

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
    uint32_t pressing = 0;
    uint32_t releasing = 0;
    for (const Button& button : allButtons) {
        if (flags & button.down) pressing |= button.down;
        if (flags & button.up) releasing |= button.down;
    }
    buttons.fetch_or(pressing & ~releasing);
    const bool inserted = target.SendMouseButton(flags);
    buttons.fetch_and(~releasing);
    return inserted;
}

void HeldInputs::SendKey(uint8_t virtualKey, bool down)
{
    std::atomic<uint64_t>& word = keys[virtualKey / 64];
    const uint64_t bit = uint64_t(1) << (virtualKey % 64);
    if (down) word.fetch_or(bit);
    target.SendKey(virtualKey, down);
    if (!down) word.fetch_and(~bit);
}

void HeldInputs::ReleaseAll()
{
    // Apart from the polling thread that calls this, only the timers' thread
    // sends, a repeated key-down, and the repetition was stopped before: the
    // stop waited for a key-down on its way, and no other can start. So every
    // up sent here comes after the down it answers, and nothing is sent
    // concurrently. The notes are cleared only after the ups are out, so a
    // crash in between still lets go of them.
    uint64_t heldKeys[4];
    for (size_t word = 0; word < 4; ++word) heldKeys[word] = keys[word].load();
    const uint32_t heldButtons = buttons.load();
    auto held = [&](unsigned key) { return (heldKeys[key / 64] >> (key % 64)) & 1; };

    // The key first, then its modifiers, as a user's fingers would let go.
    for (unsigned key = 0; key < 256; ++key) {
        if (held(key) && !IsModifier(key)) target.SendKey(static_cast<uint8_t>(key), false);
    }
    for (unsigned key : {unsigned(VirtualKeys::Shift), unsigned(VirtualKeys::Control), unsigned(VirtualKeys::Alt)}) {
        if (held(key)) target.SendKey(static_cast<uint8_t>(key), false);
    }
    for (size_t word = 0; word < 4; ++word) keys[word].fetch_and(~heldKeys[word]);
    for (const Button& button : allButtons) {
        if (heldButtons & button.down) target.SendMouseButton(button.up);
    }
    buttons.fetch_and(~heldButtons);
}

void HeldInputs::ReleaseAllWithoutLock() { ReleaseAll(); }

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
