// The layout of dialogs in another font: windows and children scaled, the
// pictures that keep their size, and the sheet fitted into its work area.
#include <gtest/gtest.h>

#include <tuple>

#include "ui/Relayout.h"

using namespace kontakta;

namespace {

using relayout::Metrics;
using relayout::Rect;
using Edges = std::tuple<int, int, int, int>;

constexpr Metrics oldFont{6, 13}, newFont{7, 16};

Edges Window(const Rect& window, int width, int height, Metrics from, Metrics to)
{
    const Rect r = relayout::ScaleWindow(window, width, height, from, to);
    return {r.left, r.top, r.right, r.bottom};
}

Edges Child(const Rect& child, Metrics from, Metrics to, bool keepsSize = false, int width = 0, int height = 0)
{
    const Rect r = relayout::ScaleChild(child, from, to, keepsSize, width, height);
    return {r.left, r.top, r.right, r.bottom};
}

TEST(Relayout, WindowGrowsAndShrinksAroundItsCentreKeepingItsFrame)
{
    const Rect window{100, 50, 508, 380};  // client 400 x 300, frame 8 x 30
    // 400 × 7 / 6 = 466, 300 × 16 / 13 = 369; left 100 − 66 / 2, top 50 − 69 / 2.
    EXPECT_EQ(Window(window, 400, 300, oldFont, newFont), Edges(67, 16, 541, 415));
    // 400 × 5 / 6 = 333, 300 × 11 / 13 = 253; −67 / 2 = −33 and −47 / 2 = −23, toward zero.
    EXPECT_EQ(Window(window, 400, 300, oldFont, {5, 11}), Edges(133, 73, 474, 356));
    EXPECT_EQ(Window(window, 400, 300, {0, 13}, newFont), Edges(100, 50, 508, 380));
    EXPECT_EQ(Window(window, 400, 300, oldFont, {7, 0}), Edges(100, 50, 508, 380));
}

TEST(Relayout, ChildrenScaleWithTruncationTowardZero)
{
    // −7 × 7 / 6 = −8 and −5 × 16 / 13 = −6 (rounding down would give −9 and −7).
    EXPECT_EQ(Child({-7, -5, 20, 14}, oldFont, newFont), Edges(-8, -6, 23, 17));
    // A combo box: the caller passes the dropped-down rectangle's right and
    // bottom, so the list height is scaled with the field.
    EXPECT_EQ(Child({258, 12, 414, 150}, oldFont, newFont), Edges(301, 14, 483, 184));
    // The bitmap keeps its 75 × 38 pixels at the scaled corner.
    EXPECT_EQ(Child({12, 12, 90, 45}, oldFont, newFont, true, 75, 38), Edges(14, 14, 89, 52));
    EXPECT_EQ(Child({12, 12, 90, 45}, {6, -1}, newFont, true, 75, 38), Edges(12, 12, 90, 45));
    // 1.5e9 × 2 does not fit 32 bits; the result does.
    EXPECT_EQ(Child({1500000000, -1500000000, 1500000003, 3}, {3, 3}, {2, 2}),
              Edges(1000000000, -1000000000, 1000000002, 2));
}

TEST(Relayout, OnlyStaticPicturesKeepTheirSize)
{
    EXPECT_TRUE(relayout::KeepsSize(u"Static", 0x5000000E));  // SS_BITMAP
    EXPECT_TRUE(relayout::KeepsSize(u"STATIC", 0x03));        // SS_ICON
    EXPECT_TRUE(relayout::KeepsSize(u"static", 0x0F));        // SS_ENHMETAFILE
    EXPECT_TRUE(relayout::KeepsSize(u"Static", 0x0E | 0x200)) << "SS_CENTERIMAGE does not change the kind";
    EXPECT_FALSE(relayout::KeepsSize(u"Static", 0x50000002)) << "right-aligned text is scaled";
    EXPECT_FALSE(relayout::KeepsSize(u"Static", 0x50000001)) << "centred text is scaled";
    EXPECT_FALSE(relayout::KeepsSize(u"Static", 0x0C)) << "SS_LEFTNOWORDWRAP text is scaled";
    EXPECT_FALSE(relayout::KeepsSize(u"Static", 0x07)) << "a frame is scaled";
    EXPECT_FALSE(relayout::KeepsSize(u"Static", 0x1E)) << "0x1E is no picture kind";
    EXPECT_FALSE(relayout::KeepsSize(u"Static", 0x1000));  // SS_SUNKEN left text
    EXPECT_FALSE(relayout::KeepsSize(u"Static", 0));
    EXPECT_FALSE(relayout::KeepsSize(u"Button", 0x0E));
    EXPECT_FALSE(relayout::KeepsSize(u"Statics", 0x0E));
}

TEST(Relayout, SheetGetsASmallerFontUntilItFitsItsWorkAreaAndIsMovedInside)
{
    const Rect work{0, 0, 1024, 728};
    EXPECT_EQ(relayout::NextFontHeight(27, {100, 0, 1124, 728}, work), 0) << "as large as the work area fits";
    // 1000 pixels tall in 728: 27 × 728 / 1000 = 19 (the width would allow 27 × 1024 / 900 = 30).
    EXPECT_EQ(relayout::NextFontHeight(27, {0, 0, 900, 1000}, work), 19);
    // Too wide: 27 × 1024 / 2048 = 13.
    EXPECT_EQ(relayout::NextFontHeight(27, {0, 0, 2048, 700}, work), 13);
    // Just one pixel too tall: still at least one pixel smaller.
    EXPECT_EQ(relayout::NextFontHeight(27, {0, 0, 800, 729}, work), 26);
    // Never below the smallest font; at it, the search ends.
    EXPECT_EQ(relayout::NextFontHeight(27, {0, 0, 800, 100000}, work), relayout::minimumFontHeight);
    EXPECT_EQ(relayout::NextFontHeight(relayout::minimumFontHeight, {0, 0, 800, 100000}, work), 0);
    EXPECT_EQ(relayout::NextFontHeight(27, {0, 0, 800, 900}, {0, 0, 0, 0}), relayout::minimumFontHeight);

    const auto inside = [&](const Rect& window) {
        const Rect r = relayout::KeepInside(window, {0, 40, 1024, 768});
        return Edges(r.left, r.top, r.right, r.bottom);
    };
    EXPECT_EQ(inside({10, 50, 510, 450}), Edges(10, 50, 510, 450)) << "inside: stays";
    EXPECT_EQ(inside({800, 600, 1300, 1000}), Edges(524, 368, 1024, 768)) << "past the right and bottom";
    EXPECT_EQ(inside({-30, 0, 470, 400}), Edges(0, 40, 500, 440)) << "past the left and top";
    EXPECT_EQ(inside({-50, -50, 1100, 900}), Edges(0, 40, 1150, 990)) << "too large: caption and left edge inside";
    EXPECT_TRUE(relayout::Fits({0, 40, 1024, 768}, {0, 40, 1024, 768}));
    EXPECT_FALSE(relayout::Fits({0, 39, 1024, 768}, {0, 40, 1024, 768}));
}

}  // namespace
