#include "ui/Relayout.h"

#include <algorithm>
#include <climits>

namespace relayout {

namespace {

bool Usable(Metrics oldFont, Metrics newFont)
{
    return oldFont.charWidth > 0 && oldFont.lineHeight > 0 && newFont.charWidth > 0 && newFont.lineHeight > 0;
}

// value × numerator / denominator; C++ integer division truncates toward zero.
int64_t Scale(int64_t value, int numerator, int denominator) { return value * numerator / denominator; }

int ToInt(int64_t value) { return int(std::clamp<int64_t>(value, INT_MIN, INT_MAX)); }

Rect MakeRect(int64_t left, int64_t top, int64_t right, int64_t bottom)
{
    return {ToInt(left), ToInt(top), ToInt(right), ToInt(bottom)};
}

}  // namespace

Rect ScaleWindow(const Rect& window, int clientWidth, int clientHeight, Metrics oldFont, Metrics newFont)
{
    if (!Usable(oldFont, newFont)) return window;
    const int64_t frameWidth = int64_t(window.right) - window.left - clientWidth;
    const int64_t frameHeight = int64_t(window.bottom) - window.top - clientHeight;
    const int64_t newClientWidth = Scale(clientWidth, newFont.charWidth, oldFont.charWidth);
    const int64_t newClientHeight = Scale(clientHeight, newFont.lineHeight, oldFont.lineHeight);
    const int64_t left = window.left - (newClientWidth - clientWidth) / 2;
    const int64_t top = window.top - (newClientHeight - clientHeight) / 2;
    return MakeRect(left, top, left + newClientWidth + frameWidth, top + newClientHeight + frameHeight);
}

bool KeepsSize(const std::u16string& className, uint32_t style)
{
    constexpr char16_t staticClass[] = u"STATIC";
    constexpr size_t staticLength = sizeof(staticClass) / sizeof(char16_t) - 1;
    if (className.size() != staticLength) return false;
    for (size_t i = 0; i < staticLength; ++i) {
        char16_t unit = className[i];
        if (unit >= u'a' && unit <= u'z') unit = char16_t(unit - u'a' + u'A');
        if (unit != staticClass[i]) return false;
    }
    // The low bits of a static's style are a kind, not flags: left (0) and
    // centred (0x01) text are scaled; right-aligned text (0x02), icons (0x03),
    // rectangles and frames (0x04 to 0x09) and bitmaps (0x0E) keep their size.
    return (style & 0x0Eu) != 0;
}

Rect ScaleChild(const Rect& child, Metrics oldFont, Metrics newFont, bool keepsSize, int keptWidth, int keptHeight)
{
    if (!Usable(oldFont, newFont)) return child;
    const int64_t left = Scale(child.left, newFont.charWidth, oldFont.charWidth);
    const int64_t top = Scale(child.top, newFont.lineHeight, oldFont.lineHeight);
    if (keepsSize) return MakeRect(left, top, left + keptWidth, top + keptHeight);
    return MakeRect(left, top, Scale(child.right, newFont.charWidth, oldFont.charWidth),
                    Scale(child.bottom, newFont.lineHeight, oldFont.lineHeight));
}

}  // namespace relayout
