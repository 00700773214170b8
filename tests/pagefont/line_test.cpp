#include <gtest/gtest.h>

#include <set>
#include <utility>

#include "pagefont/line.h"
#include "tests/pagefont/page_fixture.h"

namespace {

using pftest::PageTest;
using Pixels = std::set<std::pair<int32_t, int32_t>>;

Pixels Lit(uint16_t color) {
    Pixels out;
    for (int32_t y = 0; y < g_lTargetHeight; ++y)
        for (int32_t x = 0; x < g_lTargetWidth; ++x)
            if (l_GetPixel(x, y) == color) out.insert({x, y});
    return out;
}

TEST_F(PageTest, OutcodesAndSegmentClipping) {
    g_lClipLeft = 0;
    g_lClipTop = 0;
    g_lClipRight = 9;
    g_lClipBottom = 9;
    int32_t code;
    v_GetOutcode(&code, -1, -1);
    EXPECT_EQ(code, 3);
    v_GetOutcode(&code, 10, 10);
    EXPECT_EQ(code, 12);
    v_GetOutcode(&code, 9, 0);
    EXPECT_EQ(code, 0);

    int32_t x1 = 2, y1 = 2, x2 = 5, y2 = 7;
    EXPECT_EQ(l_ClipLine(&x1, &y1, &x2, &y2), 1);
    EXPECT_EQ((std::vector<int32_t>{x1, y1, x2, y2}), (std::vector<int32_t>{2, 2, 5, 7}))
        << "inside: kept whole";
    x1 = -5, y1 = -5, x2 = -1, y2 = 20;
    EXPECT_EQ(l_ClipLine(&x1, &y1, &x2, &y2), 0) << "both left";
    // Crossing the left edge: y = 0 + 10 * (0 - -10) / (10 - -10) = 5; then
    // the points are exchanged and the far one moves onto the right edge
    // (y = 10 + -5 * -1 / -10 = 10, truncated) and the bottom edge
    // (x = 9 + -9 * -1 / -5 = 8, truncated).
    x1 = -10, y1 = 0, x2 = 10, y2 = 10;
    EXPECT_EQ(l_ClipLine(&x1, &y1, &x2, &y2), 1);
    EXPECT_EQ((std::vector<int32_t>{x1, y1, x2, y2}), (std::vector<int32_t>{8, 9, 0, 5}));
    // Truncation toward zero: y = 4 + (0 - 4) * 2 / 5 = 4 - 1.
    x1 = -2, y1 = 4, x2 = 3, y2 = 0;
    EXPECT_EQ(l_ClipLine(&x1, &y1, &x2, &y2), 1);
    EXPECT_EQ(x1, 0);
    EXPECT_EQ(y1, 3);
    // A segment passing a corner outside is rejected after clipping.
    x1 = -5, y1 = 3, x2 = 3, y2 = -5;
    EXPECT_EQ(l_ClipLine(&x1, &y1, &x2, &y2), 0);
}

TEST_F(PageTest, LinesSetTheBresenhamPixels) {
    MakeTarget(12, 12);
    v_DrawLine(0, 0, 4, 2, 1);
    EXPECT_EQ(Lit(1), (Pixels{{0, 0}, {1, 0}, {2, 1}, {3, 1}, {4, 2}}));
    v_DrawLine(0, 0, 10, 10, 2);
    const Pixels down = Lit(2);
    v_DrawLine(10, 10, 0, 0, 3);
    EXPECT_EQ(Lit(3), down) << "the direction does not change the pixels";
    EXPECT_EQ(down.size(), 11u);
    v_DrawLine(7, 1, 7, 6, 4);
    v_DrawLine(8, 6, 8, 1, 4);
    v_DrawLine(2, 11, 5, 11, 4);
    Pixels want;
    for (int y = 1; y <= 6; ++y)
        want.insert({7, y}), want.insert({8, y});
    for (int x = 2; x <= 5; ++x)
        want.insert({x, 11});
    EXPECT_EQ(Lit(4), want);
    v_DrawLine(1, 0, 3, 6, 5); // steep: dx 2, dy 6
    EXPECT_EQ(Lit(5), (Pixels{{1, 0}, {1, 1}, {2, 2}, {2, 3}, {2, 4}, {3, 5}, {3, 6}}));
}

TEST_F(PageTest, LinesOutsideOrAcrossTheTarget) {
    MakeTarget(8, 8, 9);
    v_DrawLine(-10, -3, -1, 20, 1);
    v_DrawLine(8, 0, 30, 30, 1);
    EXPECT_TRUE(Lit(1).empty());
    v_DrawLine(-4, 2, 11, 2, 1);
    EXPECT_EQ(Lit(1).size(), 8u);
    EXPECT_EQ(g_lClipRight, 7);
    EXPECT_EQ(g_lClipBottom, 7);
    v_DrawLine(-100000000, -100000000, 100000000, 100000000, 2); // no overflow on far end points
    EXPECT_EQ(Lit(2).size(), 8u);
}

TEST_F(PageTest, RectangleOutlinesAndFills) {
    MakeTarget(8, 6);
    v_DrawRect(0, 0, 3, 2, 1);
    EXPECT_EQ(Lit(1),
              (Pixels{{0, 0}, {1, 0}, {2, 0}, {3, 0}, {3, 1}, {3, 2}, {2, 2}, {1, 2}, {0, 2}, {0, 1}}));
    v_DrawRect(0, 0, 0, 0, 2);
    EXPECT_EQ(Lit(2), (Pixels{{0, 0}, {1, 0}, {0, 1}}));
    v_FillRect(-3, 4, 2, 40, 3);
    Pixels want;
    for (int y = 4; y < 6; ++y)
        for (int x = 0; x <= 2; ++x)
            want.insert({x, y});
    EXPECT_EQ(Lit(3), want);
    v_FillRect(8, 0, 10, 3, 4);
    v_FillRect(0, -5, 3, -1, 4);
    EXPECT_TRUE(Lit(4).empty());
}

TEST_F(PageTest, SinglePixels) {
    MakeTarget(4, 4, 7);
    v_PutPixel(3, 3, 0x1234);
    v_PutPixel(4, 0, 1);
    v_PutPixel(-1, 0, 1);
    EXPECT_EQ(l_GetPixel(3, 3), 0x1234);
    EXPECT_EQ(l_GetPixel(-1, 0), 0);
    EXPECT_EQ(l_GetPixel(0, 4), 0);
    EXPECT_TRUE(Lit(1).empty());
}

} // namespace
