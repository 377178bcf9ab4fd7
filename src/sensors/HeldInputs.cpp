#include "sensors/HeldInputs.h"

#include <cstddef>

namespace kontakta {

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
    const uint32_t heldBefore = buttons.fetch_or(pressing & ~releasing);
    const bool inserted = target.SendMouseButton(flags);
    if (inserted) {
        buttons.fetch_and(~releasing);
        refusedButtons.fetch_and(~(pressing | releasing));
    } else {
        // Nothing went down; what was to go up is still down.
        buttons.fetch_and(~(pressing & ~releasing & ~heldBefore));
        refusedButtons.fetch_or(releasing & buttons.load());
    }
    return inserted;
}

bool HeldInputs::SendKey(uint8_t virtualKey, bool down)
{
    const size_t index = virtualKey / 64;
    const uint64_t bit = uint64_t(1) << (virtualKey % 64);
    std::atomic<uint64_t>& word = keys[index];
    const bool heldBefore = down ? (word.fetch_or(bit) & bit) != 0 : (word.load() & bit) != 0;
    const bool inserted = target.SendKey(virtualKey, down);
    if (inserted) {
        if (!down) word.fetch_and(~bit);
        refusedKeys[index].fetch_and(~bit);
    } else if (down) {
        if (!heldBefore) word.fetch_and(~bit);
    } else if (heldBefore) {
        refusedKeys[index].fetch_or(bit);
    }
    return inserted;
}

void HeldInputs::SendUps(const uint64_t (&keyMask)[4], uint32_t buttonMask)
{
    // The notes are cleared only after each up is out, so a crash in between
    // still lets go of it; an up the system refused stays noted, as refused.
    uint64_t heldKeys[4];
    for (size_t word = 0; word < 4; ++word) heldKeys[word] = keys[word].load() & keyMask[word];
    const uint32_t heldButtons = buttons.load() & buttonMask;
    auto held = [&](unsigned key) { return (heldKeys[key / 64] >> (key % 64)) & 1; };
    uint64_t refused[4] = {};
    auto release = [&](unsigned key) {
        if (!target.SendKey(static_cast<uint8_t>(key), false)) refused[key / 64] |= uint64_t(1) << (key % 64);
    };

    // The key first, then its modifiers, as a user's fingers would let go.
    for (unsigned key = 0; key < 256; ++key) {
        if (held(key) && !IsModifier(key)) release(key);
    }
    for (unsigned key : {unsigned(VirtualKeys::Shift), unsigned(VirtualKeys::Control), unsigned(VirtualKeys::Alt)}) {
        if (held(key)) release(key);
    }
    for (size_t word = 0; word < 4; ++word) {
        const uint64_t released = heldKeys[word] & ~refused[word];
        keys[word].fetch_and(~released);
        refusedKeys[word].fetch_and(~released);
        refusedKeys[word].fetch_or(refused[word]);
    }
    uint32_t refusedNow = 0;
    for (const Button& button : allButtons) {
        if ((heldButtons & button.down) && !target.SendMouseButton(button.up)) refusedNow |= button.down;
    }
    buttons.fetch_and(~(heldButtons & ~refusedNow));
    refusedButtons.fetch_and(~(heldButtons & ~refusedNow));
    refusedButtons.fetch_or(refusedNow);
}

void HeldInputs::ReleaseAll()
{
    // Apart from the polling thread that calls this, only the timers' thread
    // sends, a repeated key-down, and the repetition was stopped before: the
    // stop waited for a key-down on its way, and no other can start. So every
    // up sent here comes after the down it answers, and nothing is sent
    // concurrently.
    const uint64_t everyKey[4] = {~uint64_t(0), ~uint64_t(0), ~uint64_t(0), ~uint64_t(0)};
    SendUps(everyKey, ~uint32_t(0));
}

void HeldInputs::ReleaseAllWithoutLock() { ReleaseAll(); }

void HeldInputs::RetryRefusedReleases()
{
    uint64_t refused[4];
    for (size_t word = 0; word < 4; ++word) refused[word] = refusedKeys[word].load();
    SendUps(refused, refusedButtons.load());
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

bool HeldInputs::ReleasesRefused() const
{
    for (const std::atomic<uint64_t>& word : refusedKeys)
        if (word.load() != 0) return true;
    return refusedButtons.load() != 0;
}

}  // namespace kontakta
