#include "ui/Relayout.h"

#include <algorithm>
#include <climits>

namespace kontakta {

namespace relayout {

namespace {

bool Usable(Metrics oldFont, Metrics newFont)
{
    return oldFont.charWidth > 0 && oldFont.lineHeight > 0 && newFont.charWidth > 0 && newFont.lineHeight > 0;
}

// value × numerator / denominator; C++ integer division truncates toward zero.
int64_t Scale(int64_t value, int numerator, int denominator)
{
    return value * numerator / denominator;
}

int ToInt(int64_t value)
{
    return int(std::clamp<int64_t>(value, INT_MIN, INT_MAX));
}

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
    // The low five bits of a static's style (SS_TYPEMASK) are its kind, not
    // flags: only the pictures keep their size.
    constexpr uint32_t typeMask = 0x1F;  // SS_TYPEMASK
    constexpr uint32_t icon = 0x03, bitmap = 0x0E, enhancedMetafile = 0x0F;
    const uint32_t kind = style & typeMask;
    return kind == icon || kind == bitmap || kind == enhancedMetafile;
}

bool Fits(const Rect& window, const Rect& work)
{
    return window.left >= work.left && window.top >= work.top && window.right <= work.right &&
           window.bottom <= work.bottom;
}

int NextFontHeight(int fontHeight, const Rect& scaledWindow, const Rect& work)
{
    const int64_t width = int64_t(scaledWindow.right) - scaledWindow.left;
    const int64_t height = int64_t(scaledWindow.bottom) - scaledWindow.top;
    const int64_t workWidth = int64_t(work.right) - work.left;
    const int64_t workHeight = int64_t(work.bottom) - work.top;
    if ((width <= workWidth && height <= workHeight) || fontHeight <= minimumFontHeight) return 0;
    if (width <= 0 || height <= 0 || workWidth <= 0 || workHeight <= 0) return minimumFontHeight;
    // The tighter side: workWidth / width < workHeight / height, without division.
    const bool byWidth = workWidth * height < workHeight * width;
    const int64_t proportional = byWidth ? fontHeight * workWidth / width : fontHeight * workHeight / height;
    return int(std::clamp<int64_t>(proportional, minimumFontHeight, fontHeight - 1));
}

Rect KeepInside(const Rect& window, const Rect& work)
{
    int64_t left = window.left;
    int64_t top = window.top;
    if (window.right > work.right) left -= int64_t(window.right) - work.right;
    if (window.bottom > work.bottom) top -= int64_t(window.bottom) - work.bottom;
    left = std::max<int64_t>(left, work.left);
    top = std::max<int64_t>(top, work.top);
    return MakeRect(left, top, left + (int64_t(window.right) - window.left),
                    top + (int64_t(window.bottom) - window.top));
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

}  // namespace kontakta
