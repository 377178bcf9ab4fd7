#include "ui/EditorChoices.h"

#include <algorithm>

#include "texts/Texts.h"

namespace kontakta {

bool MouseActionLatches(int32_t mouseAction)
{
    switch (mouseAction) {
    case int32_t(MouseActionKind::LeftPressRelease):
    case int32_t(MouseActionKind::MiddlePressRelease):
    case int32_t(MouseActionKind::RightPressRelease): return true;
    default: return false;
    }
}

SensorExtras ExtrasOf(const EditorChoices& choices, const SensorExtras& before)
{
    SensorExtras extras;  // no later group, no latch, no modifier
    switch (Group(choices.group)) {
    case Group::Mouse: extras.latch = choices.mouseLatch && MouseActionLatches(choices.mouseAction); return extras;
    case Group::Keyboard:
        extras.latch = choices.keyLatch;
        extras.modifierAlone = choices.modifierAlone;
        // A modifier alone is the whole action: no WIN beside it.
        extras.win = choices.win && choices.modifierAlone == ModifierAlone::None;
        return extras;
    case Group::RunFile: return extras;
    case Group::MovePointer:
    case Group::Wheel:
    case Group::Control: {
        const int32_t selected = choices.group == int32_t(Group::MovePointer) ? choices.pointerDirection
                                 : choices.group == int32_t(Group::Wheel)     ? choices.wheelDirection
                                                                              : choices.controlAction;
        extras.group = choices.group;
        if (selected >= 0 && selected < ActionCount(choices.group))
            extras.action = selected;
        else if (before.group == choices.group)
            extras.action = before.action;
        return extras;
    }
    }
    return extras;  // a group outside 0..5: the block's group applies
}

std::u16string KeyActionText(const std::u16string& keyText, bool win, ModifierAlone modifierAlone)
{
    const auto alone = int32_t(modifierAlone);
    if (alone > 0 && alone < modifierAloneCount) return texts::modifierAloneNames[alone];
    if (!win) return keyText;
    // WIN goes after the "STRG+", "SHIFT+" and "ALT+" that are held, as the
    // tip of a latched key says it (app/LatchedView.cpp).
    std::u16string text = keyText;
    size_t at = 0;
    for (const std::u16string prefix : {texts::ctrlPrefix, texts::shiftPrefix, texts::altPrefix})
        if (text.compare(at, prefix.size(), prefix) == 0) at += prefix.size();
    return text.insert(at, texts::winPrefix);
}

int KeyExtraEntry(bool win, ModifierAlone modifierAlone)
{
    const auto alone = int32_t(modifierAlone);
    if (alone > 0 && alone < modifierAloneCount) return 1 + alone;
    return win ? 1 : 0;
}

KeyExtra KeyExtraOf(int entry)
{
    KeyExtra extra;
    if (entry == 1) extra.win = true;
    if (entry >= 2 && entry <= modifierAloneCount) extra.modifierAlone = ModifierAlone(entry - 1);
    return extra;
}

std::optional<uint32_t> FieldNumber(const std::u16string& text, uint32_t minimum, uint32_t maximum)
{
    uint64_t value = 0;
    bool digits = false;
    for (char16_t unit : text) {
        if (unit < u'0' || unit > u'9') return std::nullopt;
        digits = true;
        // Past the maximum it stays there; no overflow from a long paste.
        value = std::min<uint64_t>(value * 10 + uint64_t(unit - u'0'), uint64_t(maximum) + 1);
    }
    if (!digits) return std::nullopt;
    return uint32_t(std::clamp<uint64_t>(value, minimum, maximum));
}

}  // namespace kontakta
