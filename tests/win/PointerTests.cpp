// The pointer adapter with the real system: the monitors it reads, absolute
// moves that land on the very pixel asked for (the edges of the virtual
// desktop included), and wheel notches that reach the window under the
// pointer.
#include <windows.h>

#include <gtest/gtest.h>

#include "TestSupport.h"
#include "sensors/Win32Pointer.h"

using namespace kontakta;

using kontakta::PixelRect;
using kontakta::Point;

namespace {

class PointerAdapter : public ::testing::Test {
protected:
    Point Arrived(const PixelRect& desktop, Point asked)
    {
        EXPECT_TRUE(pointer.MoveTo(desktop, asked));
        Point where{};
        testsupport::PumpUntil([&] { return pointer.ReadPosition(where) && where == asked; }, 1000);
        return where;
    }

    Win32Pointer pointer;
};

TEST_F(PointerAdapter, MovesLandOnTheAskedPixelWhenItIsAnyEdgePixelOfTheDesktop)
{
    const kontakta::Desktop desktop = pointer.ReadDesktop();
    ASSERT_FALSE(desktop.Empty());
    const PixelRect bounds = desktop.Bounds();
    EXPECT_EQ(bounds.left, ::GetSystemMetrics(SM_XVIRTUALSCREEN));
    EXPECT_EQ(bounds.right - bounds.left, ::GetSystemMetrics(SM_CXVIRTUALSCREEN));

    // Every 7th pixel of the four edges, and every corner: the mapping must
    // give back the pixel itself, not its neighbour.
    std::vector<Point> pixels = {{bounds.left, bounds.top},
                                 {bounds.right - 1, bounds.top},
                                 {bounds.left, bounds.bottom - 1},
                                 {bounds.right - 1, bounds.bottom - 1}};
    for (int32_t x = bounds.left; x < bounds.right; x += 7) {
        pixels.push_back({x, bounds.top});
        pixels.push_back({x, bounds.bottom - 1});
    }
    for (int32_t y = bounds.top; y < bounds.bottom; y += 7) {
        pixels.push_back({bounds.left, y});
        pixels.push_back({bounds.right - 1, y});
    }
    int wrong = 0;
    for (const Point& pixel : pixels) {
        const Point where = Arrived(bounds, pixel);
        if (!(where == pixel) && ++wrong <= 5)
            ADD_FAILURE() << "asked " << pixel.x << "," << pixel.y << " got " << where.x << "," << where.y;
    }
    EXPECT_EQ(wrong, 0) << "of " << pixels.size() << " edge pixels";
}

TEST_F(PointerAdapter, WheelNotchesReachTheWindowUnderThePointerWhenTurnedEachWay)
{
    testsupport::TargetWindow target;
    ASSERT_TRUE(target.Activate());
    for (kontakta::WheelDirection direction : {kontakta::WheelDirection::Up, kontakta::WheelDirection::Down,
                                               kontakta::WheelDirection::Left, kontakta::WheelDirection::Right})
        EXPECT_TRUE(pointer.TurnWheel(direction));
    testsupport::PumpUntil([&] { return target.Received().size() >= 4; }, 2000);
    EXPECT_EQ(target.Describe(), "WHEEL +120 WHEEL -120 HWHEEL -120 HWHEEL +120");
}

}  // namespace
