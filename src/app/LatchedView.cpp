#include "app/LatchedView.h"

#include "texts/Texts.h"

namespace kontakta {

std::u16string LatchedInputName(const SensorAction& record, const kontakta::SensorExtras& extras)
{
    using kontakta::ModifierAlone;
    if (record.actionGroup == int32_t(ActionGroup::Mouse)) {
        switch (MouseActionKind(record.mouseAction)) {
        case MouseActionKind::LeftPressRelease: return texts::latchedLeft;
        case MouseActionKind::MiddlePressRelease: return texts::latchedMiddle;
        case MouseActionKind::RightPressRelease: return texts::latchedRight;
        default: return {};
        }
    }
    switch (extras.modifierAlone) {
    case ModifierAlone::Shift: return texts::modifierShift;
    case ModifierAlone::Ctrl: return texts::modifierCtrl;
    case ModifierAlone::Alt: return texts::modifierAlt;
    case ModifierAlone::Win: return texts::modifierWin;
    default: break;
    }
    std::u16string text(record.keyText, FieldLength(record.keyText, keyTextLength));
    if (!extras.win) return text;
    // The key text is "STRG+SHIFT+ALT+" as far as they are held, then the
    // key: WIN goes after those prefixes, as it is pressed after them.
    size_t at = 0;
    for (const std::u16string prefix : {texts::ctrlPrefix, texts::shiftPrefix, texts::altPrefix})
        if (text.compare(at, prefix.size(), prefix) == 0) at += prefix.size();
    return text.insert(at, texts::winPrefix);
}

std::u16string DescribeLatched(uint32_t latchedBits, const SensorActions& records,
                               const kontakta::ActionsSettings& options)
{
    std::u16string names;
    for (int index = 0; index < sensorCount; ++index) {
        if (!(latchedBits >> index & 1)) continue;
        const std::u16string name = LatchedInputName(records[size_t(index)], options.sensors[size_t(index)]);
        if (name.empty()) continue;
        if (!names.empty()) names += u", ";
        names += name;
    }
    return names;
}

std::u16string IndicatorText(const std::u16string& latched, bool paused)
{
    std::u16string text;
    if (!latched.empty()) text = texts::IndicatorLatched(latched);
    if (paused) {
        if (!text.empty()) text += u"\n";
        text += texts::indicatorPaused;
    }
    return text;
}

}  // namespace kontakta
