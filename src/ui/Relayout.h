// The arithmetic of the settings sheet's re-layout for the font of its page
// templates: the sheet and every page grow or shrink by the ratio of the new
// font's average character width and line height to the old one's, and so do
// their children. The Win32 sheet measures the fonts, reads the rectangles and
// moves the windows; the numbers come from here.
#pragma once

#include <cstdint>
#include <string>

namespace kontakta {

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
// STATIC controls of the picture kinds (style & SS_TYPEMASK: SS_ICON, SS_BITMAP, SS_ENHMETAFILE) keep their
// size (the bitmap of the Info page); text of any alignment, frames and rectangles are scaled. `className` is
// compared case-insensitively.
bool KeepsSize(const std::u16string& className, uint32_t style);

// Whether `window` lies wholly inside `work`.
bool Fits(const Rect& window, const Rect& work);
// The font for the re-layout must leave the sheet inside its monitor's work area (at a high DPI on a small
// screen the scaled sheet can be taller than the screen, its OK button out of reach). `scaledWindow` is the
// sheet scaled for a font of `fontHeight` pixels. Returns 0 when the sheet fits or the font is already at
// minimumFontHeight; else a smaller height to try, in proportion to the tighter of the two sides (at least
// one pixel less, never below minimumFontHeight).
constexpr int minimumFontHeight = 8;
int NextFontHeight(int fontHeight, const Rect& scaledWindow, const Rect& work);
// `window` moved into `work`, as far as its size allows: a window larger than the work area keeps its left
// and top edge (its caption and left column) inside.
Rect KeepInside(const Rect& window, const Rect& work);
// A child's new rectangle in its parent's client coordinates from its old one `child` (for a combo box the
// caller passes the dropped-down rectangle's right and bottom). A child that keeps its size gets
// (keptWidth, keptHeight) at the scaled top-left corner.
Rect ScaleChild(const Rect& child, Metrics oldFont, Metrics newFont, bool keepsSize, int keptWidth, int keptHeight);

}  // namespace relayout

}  // namespace kontakta
