#include <gtest/gtest.h>

#include "engine/base/point.h"
#include "engine/base/rect.h"

namespace {

TEST(Point, ConstructionAndPackedHalves) {
    EXPECT_EQ(sc_Point().oPlain(), (ss_PlainPoint{0, 0}));
    EXPECT_EQ(sc_Point(0xFFFFFFFFu).oPlain(), (ss_PlainPoint{-1, -1}));
    EXPECT_EQ(sc_Point(0x8000FFFFu).oPlain(), (ss_PlainPoint{-1, -32768}));
    EXPECT_EQ(sc_Point(l_PackPoint(-2, 5)).oPlain(), (ss_PlainPoint{-2, 5}));
    EXPECT_EQ(l_PackPoint(-2, 5), 0x0005FFFEu);
}

TEST(Point, PlusLeavesTheObjectWhileOffsetMovesIt) {
    sc_Point p(1, 1);
    EXPECT_EQ(p.oPlus(3, 4), (ss_PlainPoint{4, 5}));
    EXPECT_EQ(p.oPlain(), (ss_PlainPoint{1, 1}));
    EXPECT_EQ(p.oMinus(3, 4), (ss_PlainPoint{-2, -3}));
    EXPECT_EQ(p.oOffset(3, 4), (ss_PlainPoint{4, 5}));
    EXPECT_EQ(p.oPlain(), (ss_PlainPoint{4, 5}));
    EXPECT_EQ(p.oOffsetBack(4, 5), (ss_PlainPoint{0, 0}));
    EXPECT_TRUE(p.bEqual(0, 0));
    EXPECT_FALSE(p.bEqual(0, 1));
}

TEST(Point, PackedFormsMatchThePlainOnes) {
    sc_Point p(10, 20);
    const uint32_t d = l_PackPoint(-3, 7);
    EXPECT_EQ(p.oPlusPacked(d), p.oPlus(-3, 7));
    EXPECT_EQ(p.oMinusPacked(d), p.oMinus(-3, 7));
    p.oOffsetPacked(d);
    EXPECT_EQ(p.oPlain(), (ss_PlainPoint{7, 27}));
    p.oOffsetBackPacked(d);
    EXPECT_EQ(p.oPlain(), (ss_PlainPoint{10, 20}));
    EXPECT_TRUE(p.bEqualPacked(l_PackPoint(10, 20)));
    EXPECT_EQ(p.oSetPacked(0xFFFFFFFFu), (ss_PlainPoint{-1, -1}));
}

TEST(Rect, DefaultAndSizedForms) {
    ss_Rect r;
    EXPECT_EQ(r.lWidth(), 100);
    EXPECT_EQ(r.lHeight(), 100);
    ss_Rect empty = ss_Rect::XYWH(10, 20, 0, 0);
    EXPECT_EQ(empty.right, 9);
    EXPECT_EQ(empty.bottom, 19);
    EXPECT_EQ(empty.lWidth(), 0);
    EXPECT_EQ(empty.lHeight(), 0);
    ss_Rect e(1, 2, 3, 4);
    EXPECT_TRUE(e.bEqual(1, 2, 3, 4));
}

TEST(Rect, InsideIncludesEveryEdge) {
    ss_Rect r(10, 20, 30, 40);
    for (auto [x, y] : {std::pair{10, 20}, {30, 40}, {10, 40}, {30, 20}}) EXPECT_TRUE(r.bInside(x, y));
    for (auto [x, y] : {std::pair{9, 25}, {31, 25}, {15, 19}, {15, 41}}) EXPECT_FALSE(r.bInside(x, y));
}

TEST(Rect, OverlapCountsSharedEdgesAndContainment) {
    ss_Rect a(0, 0, 10, 10);
    EXPECT_TRUE(a.bOverlap(10, 0, 20, 10));  // touching along one column
    EXPECT_FALSE(a.bOverlap(11, 0, 20, 10)); // one column apart
    EXPECT_TRUE(a.bOverlap(2, 2, 3, 3));     // inside
    EXPECT_TRUE(a.bOverlap(-5, -5, 50, 50)); // around
    EXPECT_FALSE(a.bOverlap(0, 11, 10, 20));
}

TEST(Rect, OffsetMoveAndClip) {
    ss_Rect r(1, 2, 5, 6);
    r.vOffset(10, 20);
    EXPECT_TRUE(r.bEqual(11, 22, 15, 26));
    r.vMoveTo(0, 0);
    EXPECT_TRUE(r.bEqual(0, 0, 4, 4));
    ss_Rect c(-5, -5, 900, 700);
    c.lClip(800, 600);
    EXPECT_TRUE(c.bEqual(0, 0, 799, 599));
    ss_Rect outside(900, 10, 950, 20);
    outside.lClip(800, 600);
    EXPECT_LE(outside.lWidth(), 0);
}

TEST(Rect, AssignmentCopiesOnlyTheEdges) {
    ss_Rect a(1, 2, 3, 4);
    ss_Rect b;
    b = a;
    EXPECT_EQ(b.oPlain(), a.oPlain());
    sc_Point p(5, 6), q;
    q = p;
    EXPECT_EQ(q.oPlain(), p.oPlain());
}

} // namespace
