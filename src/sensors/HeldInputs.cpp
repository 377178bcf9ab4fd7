#include "sensors/HeldInputs.h"

#include <cstddef>

namespace kontakta {

namespace {

constexpr uint8_t rightWin = 0x5C;  // VK_RWIN

// In the order they are let go of after the plain keys.
constexpr unsigned modifiers[] = {VirtualKeys::Shift, VirtualKeys::Control, VirtualKeys::Alt, VirtualKeys::LeftWin,
                                  rightWin};

bool IsModifier(unsigned key)
{
    for (unsigned modifier : modifiers)
        if (key == modifier) return true;
    return false;
}

struct Button {
    uint32_t down;
    uint32_t up;
    uint8_t virtualKey;  // the holders are counted by it
};

constexpr Button allButtons[] = {
    {MouseFlags::LeftDown, MouseFlags::LeftUp, 0x01},      // VK_LBUTTON
    {MouseFlags::RightDown, MouseFlags::RightUp, 0x02},    // VK_RBUTTON
    {MouseFlags::MiddleDown, MouseFlags::MiddleUp, 0x04},  // VK_MBUTTON
};

}  // namespace

HeldInputs::HeldInputs(InputSink& target) : target(target) {}

bool HeldInputs::SendMouseButton(uint32_t flags)
{
    // Only the first holder's down and the last holder's up go out.
    uint32_t sending = flags;
    uint32_t firstHolds = 0;  // downs that are the first holder's
    for (const Button& button : allButtons) {
        if (flags & button.down) {
            if (holders.Hold(button.virtualKey))
                firstHolds |= button.down;
            else
                sending &= ~button.down;
        }
        if ((flags & button.up) && !holders.Release(button.virtualKey)) sending &= ~button.up;
    }
    if (sending == 0) return true;
    const bool inserted = SendButtonsNoted(sending);
    if (!inserted) {
        // Nothing went down: the refused press holds nothing.
        for (const Button& button : allButtons)
            if (firstHolds & button.down) holders.Release(button.virtualKey);
    }
    return inserted;
}

bool HeldInputs::SendButtonsNoted(uint32_t flags)
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
    if (down) {
        if (!holders.Hold(virtualKey)) return true;  // another action holds it down
        if (SendKeyNoted(virtualKey, true)) return true;
        holders.Release(virtualKey);  // nothing went down
        return false;
    }
    if (!holders.Release(virtualKey)) return true;  // still held by another, or by nobody
    return SendKeyNoted(virtualKey, false);
}

bool HeldInputs::RepeatKey(uint8_t virtualKey)
{
    return SendKeyNoted(virtualKey, true);
}

bool HeldInputs::SendKeyNoted(uint8_t virtualKey, bool down)
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
    for (unsigned key : modifiers) {
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
    ReleaseAllWithoutLock();
    // Nobody holds anything now: the next press of any action sends its down.
    holders = kontakta::InputHolders{};
}

void HeldInputs::ReleaseAllWithoutLock()
{
    const uint64_t everyKey[4] = {~uint64_t(0), ~uint64_t(0), ~uint64_t(0), ~uint64_t(0)};
    SendUps(everyKey, ~uint32_t(0));
}

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

bool HeldInputs::IsButtonHeld(uint32_t downFlag) const
{
    return (buttons.load() & downFlag) != 0;
}

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
