#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <vector>

#include "sensors/PointerMotion.h"

using namespace actions;

namespace {

constexpr uint64_t ms = 1000;

// Drives a mover at 100 updates a second from `from` to `to` and returns
// every position it gave.
std::vector<Point> Drive(PointerMover& mover, uint64_t from, uint64_t to, uint64_t every = 10 * ms)
{
    std::vector<Point> positions;
    for (uint64_t now = from; now <= to; now += every)
        if (const auto p = mover.Advance(now)) positions.push_back(*p);
    return positions;
}

Point Last(const std::vector<Point>& positions, Point otherwise)
{
    return positions.empty() ? otherwise : positions.back();
}

}  // namespace

TEST(PointerSpeeds, Curve_ShouldRiseEvenlyFromStartToTop_AndHoldEveryValueToItsRange)
{
    const PointerSpeeds defaults;
    EXPECT_EQ(defaults, (PointerSpeeds{50, 600, 1500}));
    EXPECT_EQ(TapMicroseconds(defaults), 200 * ms) << "10 pixels at the start speed";
    EXPECT_DOUBLE_EQ(PointerSpeedAt(defaults, 0), 50);
    EXPECT_DOUBLE_EQ(PointerSpeedAt(defaults, 750 * ms), 325);
    EXPECT_DOUBLE_EQ(PointerSpeedAt(defaults, 1500 * ms), 600);
    EXPECT_DOUBLE_EQ(PointerSpeedAt(defaults, 9000 * ms), 600);
    // The distance is the integral of the speed: 1.5 s at the mean of 50 and 600, then 600 px/s.
    EXPECT_NEAR(PointerDistanceAt(defaults, 1500 * ms), 487.5, 1e-9);
    EXPECT_NEAR(PointerDistanceAt(defaults, 2500 * ms), 1087.5, 1e-9);

    EXPECT_EQ(ClampPointerSpeeds({0, 0, 0}), (PointerSpeeds{5, 50, 0}));
    EXPECT_EQ(ClampPointerSpeeds({9999, 9999, 99999}), (PointerSpeeds{500, 3000, 5000}));
    EXPECT_DOUBLE_EQ(PointerSpeedAt({100, 800, 0}, 0), 800) << "no acceleration time: the top speed at once";
    EXPECT_DOUBLE_EQ(PointerSpeedAt({400, 100, 1000}, 500 * ms), 400) << "a top below the start is the start";
}

TEST(PointerMover, Press_ShouldMoveOnePixelAtOnce_AndMoveOnByItselfOnlyAfterTheTapTime)
{
    const std::pair<PointerDirection, Point> taps[] = {
        {PointerDirection::Up, {500, 499}},       {PointerDirection::Down, {500, 501}},
        {PointerDirection::Left, {499, 500}},     {PointerDirection::Right, {501, 500}},
        {PointerDirection::UpLeft, {499, 499}},   {PointerDirection::UpRight, {501, 499}},
        {PointerDirection::DownLeft, {499, 501}}, {PointerDirection::DownRight, {501, 501}},
    };
    for (const auto& [direction, expected] : taps) {
        PointerMover mover;
        mover.SetDesktop(Desktop({{0, 0, 1920, 1080}}));
        EXPECT_EQ(mover.Press(2, direction, {500, 500}, 1000 * ms), expected);
        EXPECT_TRUE(Drive(mover, 1000 * ms, 1200 * ms).empty()) << "a tap is one pixel, however often polled";
        mover.Release(2);
        EXPECT_TRUE(Drive(mover, 1200 * ms, 3000 * ms).empty());
        EXPECT_FALSE(mover.NextUpdateAt()) << "nothing to wake for while nothing is held";
    }

    // Held on: the start speed first (50 px/s), accelerating as the curve says.
    PointerMover mover;
    ASSERT_EQ(mover.Press(0, PointerDirection::Right, {100, 100}, 0), (Point{101, 100}));
    EXPECT_EQ(mover.NextUpdateAt(), 210 * ms);
    const std::vector<Point> moves = Drive(mover, 0, 1200 * ms);
    ASSERT_FALSE(moves.empty());
    EXPECT_EQ(moves.front(), (Point{102, 100})) << "the first pixel of the motion follows the tap";
    const double expected = 101 + PointerDistanceAt({}, 1000 * ms);
    EXPECT_NEAR(moves.back().x, expected, 1.0);
    mover.Release(0);
    EXPECT_FALSE(mover.Advance(1210 * ms)) << "the release stops the pointer at once";
}

TEST(PointerMover, Steps_ShouldBeAtMostAHundredthOfTheSpeed_EvenForALateCaller)
{
    PointerMover mover;
    const PointerSpeeds fast{500, 3000, 500};
    mover.SetSpeeds(fast);
    mover.Press(0, PointerDirection::DownRight, {0, 0}, 0);
    const uint64_t motionStart = TapMicroseconds(fast);
    Point previous{1, 1};
    int updates = 0;
    // Polls 10 ms apart with jitter, and one caller 200 ms late.
    for (uint64_t now = motionStart, i = 0; now < motionStart + 3000 * ms; ++i) {
        now += (i == 150) ? 200 * ms : (7 + i % 6) * ms;
        const auto p = mover.Advance(now);
        if (!p) continue;
        ++updates;
        // Each axis moves 1/sqrt(2) of the step; rounding to pixels adds at most one.
        const double limit = PointerSpeedAt(fast, now - motionStart) / 100 / std::sqrt(2.0) + 1;
        EXPECT_LE(std::abs(p->x - previous.x), limit) << "at " << now;
        EXPECT_LE(std::abs(p->y - previous.y), limit) << "at " << now;
        EXPECT_EQ(p->x, p->y) << "a diagonal moves both axes alike";
        previous = *p;
    }
    EXPECT_GT(updates, 250) << "every poll of a fast pointer moves it";
}

TEST(PointerMover, HeldDirections_ShouldCombineAtTheSetSpeed_AndOppositeOnesCancel)
{
    const PointerSpeeds even{100, 100, 0};
    PointerMover mover;
    mover.SetSpeeds(even);
    mover.Press(0, PointerDirection::Right, {1000, 1000}, 0);
    mover.Press(1, PointerDirection::Down, {1001, 1000}, 50 * ms);
    const uint64_t start = TapMicroseconds(even);
    const Point end = Last(Drive(mover, start, start + 2000 * ms), {});
    const double dx = end.x - 1001, dy = end.y - 1001;
    EXPECT_NEAR(dx, dy, 1.0) << "right and down give down-right";
    EXPECT_NEAR(std::hypot(dx, dy), 200, 2.0) << "at the set speed, not faster";

    mover.Press(2, PointerDirection::Left, end, start + 2000 * ms);
    mover.Press(3, PointerDirection::Up, end, start + 2000 * ms);
    const Point tapped{end.x - 1, end.y - 1};  // the two taps
    EXPECT_TRUE(Drive(mover, start + 2010 * ms, start + 3000 * ms).empty()) << "opposite directions cancel";
    EXPECT_FALSE(mover.NextUpdateAt());
    mover.Release(2);
    mover.Release(3);
    mover.Release(1);
    const Point along = Last(Drive(mover, start + 3010 * ms, start + 4000 * ms), {});
    EXPECT_EQ(along.y, tapped.y);
    EXPECT_NEAR(along.x - tapped.x, 100, 2.0) << "the one left held moves on alone";

    // Two sensors of the same direction are not twice as fast.
    PointerMover twice;
    twice.SetSpeeds(even);
    twice.Press(0, PointerDirection::Up, {0, 5000}, 0);
    twice.Press(1, PointerDirection::Up, {0, 4999}, 0);
    EXPECT_NEAR(4998 - Last(Drive(twice, start, start + 1000 * ms), {}).y, 100, 2.0);
}

TEST(PointerMover, Follow_ShouldGoOnFromWhereTheUserPutThePointer)
{
    PointerMover mover;
    mover.SetSpeeds({100, 100, 0});
    mover.Press(0, PointerDirection::Right, {0, 0}, 0);
    Drive(mover, 0, 500 * ms);
    mover.Follow({700, 300});
    const Point p = Last(Drive(mover, 510 * ms, 600 * ms), {});
    EXPECT_EQ(p.y, 300);
    EXPECT_GT(p.x, 700);
    EXPECT_LT(p.x, 715);
}

TEST(Desktop, PointerAtAnEdgeWithNoMonitorBeyond_ShouldSlideAlongIt)
{
    // A large primary monitor, a smaller one at 150% to its right and lower,
    // one above-left at negative coordinates, and a fourth beyond a gap.
    const Desktop desktop({{0, 0, 2560, 1440}, {2560, 400, 4480, 1480}, {-1920, -1080, 0, 0}, {5000, 0, 6000, 800}});
    EXPECT_EQ(desktop.Bounds(), (PixelRect{-1920, -1080, 6000, 1480}));

    EXPECT_EQ(desktop.Reach({0, 700}, {-3, 697}), (Point{0, 697})) << "the left edge of the primary: slides up";
    EXPECT_EQ(desktop.Reach({2559, 100}, {2562, 100}), (Point{2559, 100})) << "no monitor right of y 100";
    EXPECT_EQ(desktop.Reach({2559, 100}, {2562, 103}), (Point{2559, 103})) << "down-right slides down the edge";
    EXPECT_EQ(desktop.Reach({2559, 398}, {2562, 401}), (Point{2562, 401})) << "and crosses where a monitor begins";
    EXPECT_EQ(desktop.Reach({4000, 1479}, {4003, 1482}), (Point{4003, 1479})) << "the lower monitor's bottom edge";
    EXPECT_EQ(desktop.Reach({2000, 1439}, {2000, 1445}), (Point{2000, 1439}));
    EXPECT_EQ(desktop.Reach({1, 1}, {-2, -2}), (Point{-2, -2})) << "diagonally through the shared corner";
    EXPECT_EQ(desktop.Reach({-1000, -1}, {-1000, 5}), (Point{-1000, -1})) << "no monitor below it there";
    EXPECT_EQ(desktop.Reach({-1000, -1}, {-3000, 5}), (Point{-1920, -1})) << "down-left off both: the corner";
    EXPECT_EQ(desktop.Reach({4479, 500}, {4530, 500}), (Point{4479, 500})) << "a gap is never jumped";
    EXPECT_EQ(desktop.Reach({4600, 1600}, {4601, 1601}), (Point{4479, 1479})) << "from off the desktop: the nearest";

    // The mover uses it: a pointer pushed up-left from the primary's top edge slides left along it.
    PointerMover mover;
    mover.SetDesktop(Desktop({{0, 0, 1920, 1080}}));
    mover.SetSpeeds({100, 100, 0});
    EXPECT_EQ(mover.Press(0, PointerDirection::UpLeft, {800, 0}, 0), (Point{799, 0}));
    const std::vector<Point> slide = Drive(mover, 0, 2000 * ms);
    ASSERT_FALSE(slide.empty());
    for (const Point& p : slide) EXPECT_EQ(p.y, 0);
    EXPECT_NEAR(799 - slide.back().x, 100 / std::sqrt(2.0) * 1.9, 2.0) << "the motion along the edge goes on";
    EXPECT_FALSE(mover.Press(1, PointerDirection::Up, slide.back(), 2000 * ms)) << "a tap into the edge moves nothing";
}

TEST(AbsoluteCoordinates, EveryEdgePixel_ShouldComeBackToItself_ThroughWindowsInverse)
{
    const PixelRect desktops[] = {
        {0, 0, 1920, 1080},           {0, 0, 1366, 768},  {-2560, -400, 3840, 1440},
        {-1920, 0, 1920, 2160},       {0, 0, 7680, 4320}, {-7680, -4320, 15360, 4320},
        {0, 0, 1, 1},                 {100, 50, 1133, 857},
    };
    for (const PixelRect& d : desktops) {
        std::vector<Point> edge;
        for (int32_t x = d.left; x < d.right; ++x) edge.push_back({x, d.top}), edge.push_back({x, d.bottom - 1});
        for (int32_t y = d.top; y < d.bottom; ++y) edge.push_back({d.left, y}), edge.push_back({d.right - 1, y});
        edge.push_back({(d.left + d.right) / 2, (d.top + d.bottom) / 2});
        const int64_t w = d.right - d.left, h = d.bottom - d.top;
        for (const Point& p : edge) {
            const AbsolutePoint a = ToAbsolute(d, p);
            ASSERT_GE(a.x, 0);
            ASSERT_LE(a.x, 65535);
            ASSERT_GE(a.y, 0);
            ASSERT_LE(a.y, 65535);
            ASSERT_EQ(FromAbsolute(d, a), p) << "desktop " << d.left << "," << d.top << " pixel " << p.x << "," << p.y;
            // An inverse that rounds instead of taking the floor gives the same pixel.
            if (w < 32768 && h < 32768) {
                ASSERT_EQ(d.left + (a.x * w + 32768) / 65536, p.x);
                ASSERT_EQ(d.top + (a.y * h + 32768) / 65536, p.y);
            }
        }
        EXPECT_EQ(ToAbsolute(d, {d.left, d.top}), (AbsolutePoint{0, 0}));
        EXPECT_EQ(FromAbsolute(d, {65535, 65535}), (Point{d.right - 1, d.bottom - 1}))
            << "65535 is the lower-right corner";
        EXPECT_EQ(ToAbsolute(d, {d.right + 50, d.top - 50}), ToAbsolute(d, {d.right - 1, d.top}))
            << "a pixel off the desktop is held to it";
    }
}
