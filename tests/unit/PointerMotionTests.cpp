#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <vector>

#include "sensors/PointerMotion.h"

using namespace kontakta;

namespace {

constexpr uint64_t ms = 1000;

PointerMover Mover(PointerSpeeds speeds, std::vector<PixelRect> monitors = {})
{
    PointerMover mover;
    mover.SetSpeeds(speeds);
    if (!monitors.empty()) mover.SetDesktop(Desktop(std::move(monitors)));
    return mover;
}

// Polls a mover every `every` from `from` to `to`; every position it gave.
std::vector<Point> Drive(PointerMover& mover, uint64_t from, uint64_t to, uint64_t every = 10 * ms)
{
    std::vector<Point> positions;
    for (uint64_t now = from; now <= to; now += every)
        if (const auto p = mover.Advance(now)) positions.push_back(*p);
    return positions;
}

Point Last(const std::vector<Point>& positions)
{
    return positions.empty() ? Point{} : positions.back();
}

}  // namespace

TEST(PointerSpeeds, CurveRisesEvenlyFromStartToTopAndHoldsEveryValueToItsRange)
{
    const PointerSpeeds defaults;
    EXPECT_EQ(defaults, (PointerSpeeds{50, 600, 1500}));
    EXPECT_EQ(TapMicroseconds(defaults), 200 * ms) << "10 pixels at the start speed";
    EXPECT_EQ(TapMicroseconds({500, 600, 0}), 20 * ms);
    for (const auto& [at, speed] : {std::pair{0ull, 50.0}, {750ull, 325.0}, {1500ull, 600.0}, {9000ull, 600.0}})
        EXPECT_DOUBLE_EQ(PointerSpeedAt(defaults, at * ms), speed) << at << " ms";
    // The integral of the speed: 1.5 s at the mean of 50 and 600, then 600 px/s.
    EXPECT_NEAR(PointerDistanceAt(defaults, 1500 * ms), 487.5, 1e-9);
    EXPECT_NEAR(PointerDistanceAt(defaults, 2500 * ms), 1087.5, 1e-9);
    EXPECT_EQ(ClampPointerSpeeds({0, 0, 0}), (PointerSpeeds{5, 50, 0}));
    EXPECT_EQ(ClampPointerSpeeds({9999, 9999, 99999}), (PointerSpeeds{500, 3000, 5000}));
    EXPECT_DOUBLE_EQ(PointerSpeedAt({100, 800, 0}, 0), 800) << "no acceleration time: the top speed at once";
    EXPECT_DOUBLE_EQ(PointerSpeedAt({400, 100, 1000}, 500 * ms), 400) << "a top below the start is the start";
}

TEST(PointerMover, PressMovesOnePixelAndMovesOnAlongTheCurveOnlyWhenHeldPastTheTapTime)
{
    const std::pair<PointerDirection, Point> taps[] = {
        {PointerDirection::Up, {0, -1}},       {PointerDirection::Down, {0, 1}},
        {PointerDirection::Left, {-1, 0}},     {PointerDirection::Right, {1, 0}},
        {PointerDirection::UpLeft, {-1, -1}},  {PointerDirection::UpRight, {1, -1}},
        {PointerDirection::DownLeft, {-1, 1}}, {PointerDirection::DownRight, {1, 1}},
    };
    for (const auto& [direction, step] : taps) {
        PointerMover mover = Mover({}, {{0, 0, 1920, 1080}});
        EXPECT_EQ(mover.Press(2, direction, {500, 500}, 1000 * ms), (Point{500 + step.x, 500 + step.y}));
        EXPECT_TRUE(Drive(mover, 1000 * ms, 1200 * ms).empty()) << "a tap is one pixel, however often polled";
        mover.Release(2);
        EXPECT_FALSE(mover.NextUpdateAt()) << "nothing to wake for while nothing is held";
    }

    PointerMover mover = Mover({});
    ASSERT_EQ(mover.Press(0, PointerDirection::Right, {100, 100}, 0), (Point{101, 100}));
    EXPECT_EQ(mover.NextUpdateAt(), 200 * ms + PointerMover::updateMicroseconds)
        << "the first update after the tap time";
    const std::vector<Point> moves = Drive(mover, 0, 1200 * ms);
    ASSERT_FALSE(moves.empty());
    EXPECT_EQ(moves.front(), (Point{102, 100})) << "the first pixel of the motion follows the tap";
    EXPECT_NEAR(moves.back().x, 101 + PointerDistanceAt({}, 1000 * ms), 1.0);
    mover.Follow({700, 300});  // a user or another program moved the pointer: it goes on from there
    const Point p = Last(Drive(mover, 1210 * ms, 1300 * ms));
    EXPECT_TRUE(p.y == 300 && p.x > 700 && p.x < 750) << p.x << "," << p.y;
    mover.Release(0);
    EXPECT_FALSE(mover.Advance(1310 * ms)) << "the release stops the pointer at once";
}

TEST(PointerMover, StepsAreAtMostAHundredthOfTheSpeedWhenPollsJitterOrComeLate)
{
    const PointerSpeeds fast{500, 3000, 500};
    PointerMover mover = Mover(fast);
    mover.Press(0, PointerDirection::DownRight, {0, 0}, 0);
    const uint64_t motionStart = TapMicroseconds(fast);
    Point previous{1, 1};
    int updates = 0;
    // Polls 7 to 12 ms apart, and one 200 ms late.
    for (uint64_t now = motionStart, i = 0; now < motionStart + 3000 * ms; ++i) {
        now += (i == 150) ? 200 * ms : (7 + i % 6) * ms;
        const auto p = mover.Advance(now);
        if (!p) continue;
        ++updates;
        // Each axis moves 1/sqrt(2) of the step; rounding to pixels adds at most one.
        const double limit = PointerSpeedAt(fast, now - motionStart) / 100 / std::sqrt(2.0) + 1;
        EXPECT_LE(std::abs(p->x - previous.x), limit) << "at " << now;
        EXPECT_EQ(p->x, p->y) << "a diagonal moves both axes alike";
        previous = *p;
    }
    EXPECT_GT(updates, 250) << "every poll of a fast pointer moves it";
}

TEST(PointerMover, HeldDirectionsCombineAtTheSetSpeedAndCancelWhenOpposite)
{
    const PointerSpeeds even{100, 100, 0};
    const uint64_t start = TapMicroseconds(even);
    PointerMover mover = Mover(even);
    mover.Press(0, PointerDirection::Right, {1000, 1000}, 0);
    mover.Press(1, PointerDirection::Down, {1001, 1000}, 50 * ms);
    const Point end = Last(Drive(mover, start, start + 2000 * ms));
    const double dx = end.x - 1001, dy = end.y - 1001;
    EXPECT_NEAR(dx, dy, 1.0) << "right and down give down-right";
    EXPECT_NEAR(std::hypot(dx, dy), 200, 2.0) << "at the set speed, not faster";

    mover.Press(2, PointerDirection::Left, end, start + 2000 * ms);
    mover.Press(3, PointerDirection::Up, end, start + 2000 * ms);
    const Point tapped{end.x - 1, end.y - 1};  // the two taps
    EXPECT_TRUE(Drive(mover, start + 2010 * ms, start + 3000 * ms).empty()) << "opposite directions cancel";
    EXPECT_FALSE(mover.NextUpdateAt());
    for (int sensor : {2, 3, 1}) mover.Release(sensor);
    const Point along = Last(Drive(mover, start + 3010 * ms, start + 4000 * ms));
    EXPECT_EQ(along.y, tapped.y);
    EXPECT_NEAR(along.x - tapped.x, 100, 2.0) << "the one left held moves on alone";

    PointerMover twice = Mover(even);
    twice.Press(0, PointerDirection::Up, {0, 5000}, 0);
    twice.Press(1, PointerDirection::Up, {0, 4999}, 0);
    EXPECT_NEAR(4998 - Last(Drive(twice, start, start + 1000 * ms)).y, 100, 2.0) << "one direction twice: no faster";
}

TEST(Desktop, PointerSlidesAlongTheEdgeWhenNoMonitorIsBeyond)
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

    // The mover keeps to it: pushed up-left from the top edge, the pointer slides left along it.
    PointerMover mover = Mover({100, 100, 0}, {{0, 0, 1920, 1080}});
    EXPECT_EQ(mover.Press(0, PointerDirection::UpLeft, {800, 0}, 0), (Point{799, 0}));
    const std::vector<Point> slide = Drive(mover, 0, 2000 * ms);
    ASSERT_FALSE(slide.empty());
    for (const Point& p : slide) EXPECT_EQ(p.y, 0);
    EXPECT_NEAR(799 - slide.back().x, 100 / std::sqrt(2.0) * 1.9, 2.0) << "the motion along the edge goes on";
    EXPECT_FALSE(mover.Press(1, PointerDirection::Up, slide.back(), 2000 * ms)) << "a tap into the edge moves nothing";
}

TEST(AbsoluteCoordinates, EveryEdgePixelComesBackToItselfThroughAFlooringOrRoundingInverse)
{
    const PixelRect desktops[] = {
        {0, 0, 1920, 1080},     {0, 0, 1366, 768},    {-2560, -400, 3840, 1440},
        {-1920, 0, 1920, 2160}, {0, 0, 7680, 4320},   {-7680, -4320, 15360, 4320},
        {0, 0, 1, 1},           {100, 50, 1133, 857},
    };
    for (const PixelRect& d : desktops) {
        std::vector<Point> edge{{(d.left + d.right) / 2, (d.top + d.bottom) / 2}};
        for (int32_t x = d.left; x < d.right; ++x) edge.push_back({x, d.top}), edge.push_back({x, d.bottom - 1});
        for (int32_t y = d.top; y < d.bottom; ++y) edge.push_back({d.left, y}), edge.push_back({d.right - 1, y});
        const int64_t w = d.right - d.left, h = d.bottom - d.top;
        for (const Point& p : edge) {
            const AbsolutePoint a = ToAbsolute(d, p);
            ASSERT_TRUE(a.x >= 0 && a.x <= 65535 && a.y >= 0 && a.y <= 65535);
            ASSERT_EQ(FromAbsolute(d, a), p) << "desktop " << d.left << "," << d.top << " pixel " << p.x << "," << p.y;
            if (w < 32768 && h < 32768) {  // an inverse that rounds instead of flooring
                ASSERT_EQ(d.left + (a.x * w + 32768) / 65536, p.x);
                ASSERT_EQ(d.top + (a.y * h + 32768) / 65536, p.y);
            }
        }
        EXPECT_EQ(ToAbsolute(d, {d.left, d.top}), (AbsolutePoint{0, 0}));
        EXPECT_EQ(FromAbsolute(d, {65535, 65535}), (Point{d.right - 1, d.bottom - 1})) << "the lower-right corner";
        EXPECT_EQ(ToAbsolute(d, {d.right + 50, d.top - 50}), ToAbsolute(d, {d.right - 1, d.top})) << "held to it";
    }
}
