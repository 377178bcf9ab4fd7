#include "ui/CaptureFieldRule.h"

namespace kontakta {

namespace {
constexpr uint8_t keyShift = 0x10;   // VK_SHIFT
constexpr uint8_t keyMenu = 0x12;    // VK_MENU, the ALT key
constexpr uint8_t keyReturn = 0x0D;  // VK_RETURN
constexpr uint8_t keySpace = 0x20;   // VK_SPACE
}  // namespace

bool IsModifierKey(uint8_t key)
{
    return key >= keyShift && key <= keyMenu;
}

void CaptureFieldRule::Focused()
{
    armed = false;
    heldKey = 0;
}

void CaptureFieldRule::Left()
{
    // The key-up of a key held now goes to another window.
    armed = false;
    heldKey = 0;
}

void CaptureFieldRule::Clicked()
{
    armed = true;
}

FieldKey CaptureFieldRule::KeyDown(uint8_t key, bool repeat, bool ctrl, bool alt)
{
    if (repeat && key != 0 && key == heldKey) return FieldKey::Swallow;
    if (armed) {
        if (IsModifierKey(key)) return FieldKey::Track;
        // A key held from before the field was armed repeats: it is not the
        // next key combination, which starts with a press.
        if (repeat) return FieldKey::Swallow;
        armed = false;
        heldKey = key;
        return FieldKey::Capture;
    }
    // Space and Enter arm, as they press a button; with CTRL or ALT they are
    // something else (an access key, a shortcut) and go to the dialog, and a
    // held key's repeat never arms: after Space was captured, its repeat
    // would arm the field again.
    if ((key == keySpace || key == keyReturn) && !repeat && !ctrl && !alt) {
        armed = true;
        heldKey = key;
        return FieldKey::Arm;
    }
    return FieldKey::PassOn;
}

void CaptureFieldRule::KeyUp(uint8_t key)
{
    if (key == heldKey) heldKey = 0;
}

FieldKey CaptureFieldRule::AltTab()
{
    if (armed) {
        armed = false;
        heldKey = tabKey;
        return FieldKey::Capture;
    }
    return heldKey == tabKey ? FieldKey::Swallow : FieldKey::PassOn;
}

}  // namespace kontakta
