#include "ui/EditorChoices.h"

#include <algorithm>
#include <string>

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

bool ShowsScanTiming(int32_t controlAction)
{
    return controlAction == int32_t(ControlAction::ScanScreen);
}

std::u16string TenthsText(uint32_t milliseconds)
{
    const uint32_t tenths = (milliseconds + 50) / 100;
    std::u16string text;
    for (char c : std::to_string(tenths / 10)) text.push_back(char16_t(c));
    text.push_back(u',');  // the German decimal comma
    text.push_back(char16_t(u'0' + tenths % 10));
    return text;
}

std::optional<uint32_t> TenthsFieldMilliseconds(const std::u16string& text, uint32_t minimum, uint32_t maximum)
{
    uint64_t whole = 0;
    uint32_t decimals = 0;   // hundredths: the first two decimals
    int decimalPlaces = -1;  // -1: no comma yet
    bool digits = false;
    for (char16_t unit : text) {
        if (unit == u',' || unit == u'.') {
            if (decimalPlaces >= 0) return std::nullopt;  // a second comma
            decimalPlaces = 0;
            continue;
        }
        if (unit < u'0' || unit > u'9') return std::nullopt;
        digits = true;
        const uint32_t digit = uint32_t(unit - u'0');
        if (decimalPlaces < 0) {
            // Past the maximum it stays there; no overflow from a long paste.
            whole = std::min<uint64_t>(whole * 10 + digit, uint64_t(maximum) / 1000 + 1);
        } else if (decimalPlaces < 2) {
            decimals = decimals * 10 + digit;
            ++decimalPlaces;
        }
    }
    if (!digits) return std::nullopt;
    if (decimalPlaces == 1) decimals *= 10;
    const uint64_t tenths = whole * 10 + (decimals + 5) / 10;
    return uint32_t(std::clamp<uint64_t>(tenths * 100, minimum, maximum));
}

uint32_t SteppedTenths(const std::u16string& text, int32_t tenths, uint32_t inForce, uint32_t minimum, uint32_t maximum)
{
    const int64_t from = TenthsFieldMilliseconds(text, minimum, maximum).value_or(inForce);
    const int64_t to = from + int64_t(tenths) * 100;
    return uint32_t(std::clamp<int64_t>(to, minimum, maximum));
}

ScanTiming ScanTimingOf(const ScanFields& fields, const ScanTiming& kept)
{
    ScanTiming timing = kept;
    if (const auto seconds = FieldNumber(fields.sweepSeconds, minSweepMilliseconds / 1000, maxSweepMilliseconds / 1000))
        timing.sweepMilliseconds = *seconds * 1000;
    if (const auto step = TenthsFieldMilliseconds(fields.stepSeconds, minStepMilliseconds, maxStepMilliseconds))
        timing.stepMilliseconds = *step;
    timing.refine = fields.refine;
    return ClampScanTiming(timing);
}

}  // namespace kontakta
