#include "ui/KeyCapture.h"

#include <algorithm>

#include "texts/Texts.h"

namespace kontakta {

namespace {

constexpr uint8_t keyShift = 0x10;    // VK_SHIFT
constexpr uint8_t keyControl = 0x11;  // VK_CONTROL
constexpr uint8_t keyMenu = 0x12;     // VK_MENU, the ALT key
constexpr uint8_t keyTab = 0x09;      // VK_TAB

constexpr int hookAction = 0;                  // HC_ACTION
constexpr uint32_t messageKeyDown = 0x100;     // WM_KEYDOWN
constexpr uint32_t messageSysKeyDown = 0x104;  // WM_SYSKEYDOWN
constexpr uint32_t flagAltDown = 0x20;         // LLKHF_ALTDOWN

}  // namespace

std::u16string CaptureText(bool ctrl, bool shift, bool alt, const std::u16string& keyName)
{
    std::u16string text;
    if (ctrl) text += texts::ctrlPrefix;
    if (shift) text += texts::shiftPrefix;
    if (alt) text += texts::altPrefix;
    text += keyName.empty() ? std::u16string(texts::unnamedKey) : keyName;
    return text;
}

bool KeyCapture::KeyDown(uint8_t key, const std::u16string& keyName)
{
    switch (key) {
    case keyControl: ctrlDown = true; return false;
    case keyShift: shiftDown = true; return false;
    case keyMenu: altDown = true; return false;
    default: break;
    }
    captureText = CaptureText(ctrlDown, shiftDown, altDown, keyName);
    capturedKey = key;
    capturedCtrl = ctrlDown;
    capturedShift = shiftDown;
    capturedAlt = altDown;
    hasCapture = true;
    return true;
}

void KeyCapture::KeyUp(uint8_t key)
{
    switch (key) {
    case keyControl: ctrlDown = false; break;
    case keyShift: shiftDown = false; break;
    case keyMenu:
        // ALT released forgets CTRL as well: ALT GR arrives as CTRL plus ALT,
        // and the pair is let go together.
        altDown = false;
        ctrlDown = false;
        break;
    default: break;
    }
}

void KeyCapture::CaptureAltTab()
{
    // ALT+TAB is a capture of its own, independent of the keyboard layout and
    // of the modifiers tracked so far; the tracking starts afresh.
    ctrlDown = shiftDown = altDown = false;
    captureText = texts::altTabText;
    capturedKey = keyTab;
    capturedCtrl = false;
    capturedShift = false;
    capturedAlt = true;
    hasCapture = true;
}

void KeyCapture::ClearCapture()
{
    hasCapture = false;
    captureText.clear();
    capturedKey = 0;
    capturedCtrl = capturedShift = capturedAlt = false;
}

bool KeyCapture::StoreInto(SensorAction& record) const
{
    if (!hasCapture) return false;
    record.virtualKey = capturedKey;
    record.ctrl = capturedCtrl ? 1 : 0;
    record.shift = capturedShift ? 1 : 0;
    record.alt = capturedAlt ? 1 : 0;
    CopyToField(record.keyText, keyTextLength, captureText);
    return true;
}

bool IsAltTabEvent(int code, uint32_t message, uint32_t virtualKey, uint32_t flags)
{
    if (code != hookAction || virtualKey != keyTab) return false;
    if (message == messageSysKeyDown) return true;
    return message == messageKeyDown && (flags & flagAltDown) != 0;
}

bool CopyToField(char16_t* field, size_t width, const std::u16string& text)
{
    if (width == 0) return text.empty();
    const size_t copied = std::min(text.size(), width - 1);
    std::copy_n(text.data(), copied, field);
    std::fill(field + copied, field + width, u'\0');
    return copied == text.size();
}

}  // namespace kontakta
