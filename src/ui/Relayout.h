// The arithmetic of the settings sheet's re-layout for the font of its page
// templates: the sheet and every page grow or shrink by the ratio of the new
// font's average character width and line height to the old one's, and so do
// their children. The Win32 sheet measures the fonts, reads the rectangles and
// moves the windows; the numbers come from here.
#pragma once

#include <cstdint>
#include <string>

namespace relayout {

struct Metrics {
    int charWidth;   // average character width
    int lineHeight;  // character height + external leading
};
struct Rect {
    int left, top, right, bottom;
};

// All divisions truncate toward zero, also for negative coordinates (a child
// left of or above its parent's client area). Everything is computed in 64
// bits and the results are held to the range of int. Metrics of 0 or less, old
// or new (a font whose measuring failed), leave the rectangle unchanged.

// The window grows or shrinks around its centre and keeps its frame: `window` is its window rectangle,
// (clientWidth, clientHeight) its client size. Returns the new window rectangle.
Rect ScaleWindow(const Rect& window, int clientWidth, int clientHeight, Metrics oldFont, Metrics newFont);
// STATIC controls with any of the style bits 0x02, 0x04, 0x08 keep their size (the bitmap of the Info page);
// `className` is compared case-insensitively.
bool KeepsSize(const std::u16string& className, uint32_t style);
// A child's new rectangle in its parent's client coordinates from its old one `child` (for a combo box the
// caller passes the dropped-down rectangle's right and bottom). A child that keeps its size gets
// (keptWidth, keptHeight) at the scaled top-left corner.
Rect ScaleChild(const Rect& child, Metrics oldFont, Metrics newFont, bool keepsSize, int keptWidth, int keptHeight);

}  // namespace relayout
