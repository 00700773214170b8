#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <vector>

#include "engine/device/dir_key.h"
#include "game/geometry.h"
#include "game/map.h"
#include "platform/input.h"
#include "tests/support/headless_run.h"

namespace {

class KeyboardDirection : public krxtest::HeadlessTest {};

TEST_F(KeyboardDirection, TheFirstOfUpRightDownLeftDecidesAndANeighbourTurnsItHalfAStep) {
    namespace k = plat::key;
    struct Case {
        std::vector<uint8_t> keys;
        int32_t direction;
    };
    const Case cases[] = {
        {{}, -1},
        {{k::Up}, 0},
        {{k::W}, 0},
        {{k::Up, k::Right}, 2},
        {{k::W, k::D}, 2},
        {{k::Right}, 4},
        {{k::Right, k::S}, 6},
        {{k::Down}, 8},
        {{k::Down, k::A}, 10},
        {{k::Left}, 12},
        {{k::A, k::W}, 14},
        {{k::Up, k::W, k::Right, k::D, k::Down, k::S, k::Left, k::A}, 2}, // all eight: up and right win
        {{k::Up, k::Down}, 0},
        {{k::Right, k::Left}, 4},
        {{k::Up, k::Down, k::Left}, 14},
        {{k::Right, k::Down, k::Left}, 6},
        {{k::S, k::A, k::D}, 6},
    };
    sc_DirKey keys;
    ASSERT_TRUE(keys.bInit(0, 0));
    for (const Case& c : cases) {
        for (uint8_t key : c.keys)
            Backend().KeyDown(key);
        EXPECT_EQ(l_GetKeyBoardDirection(), c.direction) << "case " << (&c - cases);
        for (uint8_t key : c.keys)
            Backend().KeyUp(key);
    }
}

TEST(Geometry, DirectionsCountClockwiseFromUpWithTheVerticalDoubled) {
    struct Case {
        int32_t dx, dy, d8, d16, d32;
    };
    const Case
        cases[] =
            {
                {0, 0, 0, 0, 0},     {0, -1, 0, 0, 0}, {1, -1, 1, 1, 2},   {2, -1, 1, 2, 4},
                {1, 0, 2, 4, 8},     {0, 1, 4, 8, 16}, {-1, 0, 6, 12, 24}, {-1, -1, 7, 15, 30},
                {-1, -100, 0, 0, 0}, // up and very slightly left: the wrap gives 0, never the count
                {0, -5, 0, 0, 0},    {0, 5, 4, 8, 16},
            };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "(" << c.dx << ", " << c.dy << ")");
        // The start point must not matter.
        EXPECT_EQ(l_GetDirection8(100, -200, 100 + c.dx, -200 + c.dy), c.d8);
        EXPECT_EQ(l_GetDirection16(100, -200, 100 + c.dx, -200 + c.dy), c.d16);
        EXPECT_EQ(l_GetDirection32(100, -200, 100 + c.dx, -200 + c.dy), c.d32);
    }
}

TEST(Geometry, OppositeAndSideTestsWrapAroundTheCircle) {
    struct Case {
        int32_t d1, d2;
        bool notOpposite16, side16;
    };
    const Case cases16[] = {
        {0, 8, false, false}, {0, 6, false, false},  {0, 10, false, false}, {0, 5, true, false},
        {0, 11, true, false}, {0, 4, true, true},    {0, 12, true, true},   {7, 15, false, false},
        {7, 0, false, false}, {7, 1, false, false},  {7, 2, true, false},   {9, 15, false, false},
        {9, 0, false, false}, {12, 8, true, true},   {12, 0, true, true},   {14, 2, true, true},
        {2, 14, true, true},  {12, 4, false, false}, {4, 4, true, false},
    };
    for (const Case& c : cases16) {
        EXPECT_EQ(l_IsNotOpposite16(c.d1, c.d2) != 0, c.notOpposite16) << c.d1 << " " << c.d2;
        EXPECT_EQ(l_IsSide16(c.d1, c.d2) != 0, c.side16) << c.d1 << " " << c.d2;
    }
    const Case cases8[] = {
        {0, 4, false, false}, {0, 3, false, false}, {0, 5, false, false}, {0, 2, true, true},
        {0, 6, true, true},   {7, 3, false, false}, {7, 4, false, false}, {3, 0, false, false},
        {7, 1, true, true},   {6, 0, true, true},   {1, 7, true, true},
    };
    for (const Case& c : cases8) {
        EXPECT_EQ(l_IsNotOpposite8(c.d1, c.d2) != 0, c.notOpposite16) << c.d1 << " " << c.d2;
        EXPECT_EQ(l_IsSide8(c.d1, c.d2) != 0, c.side16) << c.d1 << " " << c.d2;
    }
}

// A diamond of half sizes (w, h) around (x, y): left, top, right, bottom.
struct Diamond {
    int16_t v[8];
    Diamond(int x, int y, int w, int h)
        : v{int16_t(x - w), int16_t(y), int16_t(x), int16_t(y - h),
            int16_t(x + w), int16_t(y), int16_t(x), int16_t(y + h)} {}
    sc_GamePoint P(int i) const { return sc_GamePoint(v[2 * i], v[2 * i + 1]); }
};

bool Overlap(const Diamond& a, const Diamond& b) {
    return l_IsQuadOverlap(a.v[0], a.v[1], a.v[2], a.v[3], a.v[4], a.v[5], a.v[6], a.v[7], b.v[0], b.v[1],
                           b.v[2], b.v[3], b.v[4], b.v[5], b.v[6], b.v[7]) != 0;
}

TEST(Geometry, AQuadOverlapsWhenACornerOfTheSecondLiesStrictlyInsideTheFirst) {
    const Diamond a(0, 0, 20, 10);
    struct Case {
        Diamond b;
        bool overlap;
    };
    const Case cases[] = {
        {Diamond(0, 0, 20, 10), false},   // identical: every corner on an edge
        {Diamond(5, 0, 20, 10), true},    // its left corner inside
        {Diamond(40, 0, 20, 10), false},  // touching corner to corner
        {Diamond(0, 0, 40, 20), false},   // around the first: only its corners are looked at
        {Diamond(0, 0, 10, 5), true},     // inside the first
        {Diamond(30, -5, 20, 10), false}, // its left corner on the first's upper-right edge
        {Diamond(29, -5, 20, 10), true},  // a pixel further in
        {Diamond(0, 100, 20, 10), false}, // far below
        {Diamond(-1000, 0, 20, 10), false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "case " << (&c - cases));
        EXPECT_EQ(Overlap(a, c.b), c.overlap);
        EXPECT_EQ(
            l_IsGameQuadOverlap(a.P(0), a.P(1), a.P(2), a.P(3), c.b.P(0), c.b.P(1), c.b.P(2), c.b.P(3)) != 0,
            c.overlap);
    }
    EXPECT_TRUE(l_IsPointInQuad(a.P(0), a.P(1), a.P(2), a.P(3), sc_GamePoint(19, 0)));
    EXPECT_FALSE(l_IsPointInQuad(a.P(0), a.P(1), a.P(2), a.P(3), sc_GamePoint(20, 0)));
}

// The distance of p from the line through a and b, and how far along it p lies.
double Across(double ax, double ay, double bx, double by, double px, double py) {
    const double dx = bx - ax, dy = by - ay;
    return std::abs(dy * (px - ax) - dx * (py - ay)) / std::hypot(dx, dy);
}

TEST(Geometry, PathPointsFollowTheirLines) {
    int32_t x = -1, y = -1;
    v_GetLinePoint(0, 0, 100, 50, &x, &y, 4, 1);
    EXPECT_EQ(std::pair(x, y), std::pair(25, 12));
    v_GetLinePoint(0, 0, -7, -7, &x, &y, 2, 1); // cut toward zero
    EXPECT_EQ(std::pair(x, y), std::pair(-3, -3));
    v_GetLinePoint(0, 0, 100, 50, &x, &y, 4, 4); // done must stay below total
    v_GetLinePoint(0, 0, 100, 50, &x, nullptr, 4, 1);
    EXPECT_EQ(std::pair(x, y), std::pair(-3, -3));

    // Turns go from +y toward +x; 3.14 for pi costs a unit at whole turns.
    EXPECT_EQ(o_RotatePoint(sc_Point(0, 5), 0).oPlain(), (ss_PlainPoint{0, 4}));
    EXPECT_EQ(o_RotatePoint(sc_Point(0, 100), 90).oPlain(), (ss_PlainPoint{100, 0}));
    EXPECT_EQ(o_RotatePoint(sc_Point(0, 100), 180).oPlain(), (ss_PlainPoint{0, -99}));

    // A wave without amplitude runs on its line, whichever way the line goes;
    // with one it swings no further than the amplitude.
    const int32_t ends[][2] = {{100, 0}, {-100, 0}, {0, 100}, {0, -100}, {100, 100}, {-60, 90}, {90, -30}};
    for (const auto& e : ends)
        for (int32_t amplitude : {0, 12})
            for (int32_t done = 0; done <= 10; ++done) {
                sc_Point p;
                v_GetWavePoint(50, 60, 50 + e[0], 60 + e[1], &p, 10, done, amplitude, 90);
                EXPECT_LE(Across(50, 60, 50 + e[0], 60 + e[1], p.x, p.y), amplitude + 1.5)
                    << e[0] << "," << e[1] << " done " << done;
                EXPECT_LE(std::hypot(p.x - 50, p.y - 60), std::hypot(e[0], e[1]) + amplitude + 1);
            }

    // The bounce lifts by the sine of the x the point held, shrinking to 0.
    sc_Point b(1, 0);
    v_GetBouncePoint(0, 0, 100, 0, &b, 10, 5, 20, 90);
    EXPECT_EQ(b.oPlain(), (ss_PlainPoint{50, -9}));
    v_GetBouncePoint(0, 0, 100, 0, &b, 10, 10, 20, 90);
    EXPECT_EQ(b.oPlain(), (ss_PlainPoint{100, 0}));
}

TEST(Geometry, OnScreenMeansWithinTheViewWidenedBy200) {
    struct Case {
        int32_t x, y;
        bool on;
    };
    {
        // No map: the view stands at (0, 0) over 800 x 600.
        const Case cases[] = {{-200, -200, true}, {1000, 800, true}, {-201, 0, false}, {0, 801, false}};
        for (const Case& c : cases)
            EXPECT_EQ(l_IsOnScreen(c.x, c.y) != 0, c.on) << c.x << "," << c.y;
    }
    sc_Map map;
    map.oViewPoint.oSet(1000, 500);
    const Case cases[] = {{800, 300, true},   {2000, 1300, true}, {799, 300, false},
                          {2001, 700, false}, {900, 299, false},  {900, 1301, false}};
    for (const Case& c : cases)
        EXPECT_EQ(l_IsOnScreen(c.x, c.y) != 0, c.on) << c.x << "," << c.y;
}

TEST(Geometry, TheLineBlockIsTheFirstSampledCellThatStopsShots) {
    sc_Map map;
    // Row 0 of a 20 x 2 grid: 2 at column 3, 3 at column 6, 1 at column 9.
    std::vector<uint8_t> cells(40, 0);
    cells[3] = 2;
    cells[6] = 3;
    cells[9] = 1;
    map.oSetting.oMapLocate.oLocate.vSetCells(20, 2, cells.data());
    struct Case {
        int32_t x0, x1, block;
    };
    const Case cases[] = {
        {0, 120, 3},   // past the 2, which does not stop shots
        {112, 200, 1}, // the 3 lies behind the start
        {112, 143, 0}, // samples at 112, 120, 128: the 1 at 144 is out of reach
        {96, 103, 0},  // 7 pixels: no sample at all, even on a 3
        {96, 104, 3},  // 8: the start itself is sampled
        {160, 400, 1}, // leaves the grid at 320: outside stops it
        {5, 5, 0},
    };
    for (const Case& c : cases)
        EXPECT_EQ(l_GetLineBlock(c.x0, 4, c.x1, 4), c.block) << c.x0 << "->" << c.x1;
}

} // namespace
