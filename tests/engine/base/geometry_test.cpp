#include <gtest/gtest.h>

#include "engine/base/game_point.h"
#include "platform/byte_reader.h"

namespace {

TEST(GamePoint, PackedHalvesAndWrapping) {
    sc_GamePoint p(0x8000FFFFu);
    EXPECT_EQ(p.oPlain(), (ss_GamePoint{-1, -32768}));
    sc_GamePoint q(32767, 0);
    EXPECT_EQ(q.oOffset(1, -1), (ss_GamePoint{-32768, -1}));
    EXPECT_EQ(q.oPlus(-1, 1), (ss_GamePoint{32767, 0}));
    EXPECT_EQ(q.oPlain(), (ss_GamePoint{-32768, -1}));
    EXPECT_EQ(q.oOffsetBackPacked(l_PackPoint(1, 1)), (ss_GamePoint{32767, -2}));
    EXPECT_EQ(q.oMinusPacked(l_PackPoint(-1, 0)), (ss_GamePoint{-32768, -2}));
    EXPECT_TRUE(q.bEqualPacked(l_PackPoint(32767, -2)));
    sc_GamePoint* virt = &q;
    EXPECT_EQ(virt->oAssignPacked(l_PackPoint(-2, 5)), (ss_GamePoint{-2, 5}));
}

TEST(GamePoint, TakeLongerKeepsByFlagWithTies) {
    sc_GamePoint p(3, -7);
    EXPECT_EQ(p.lTakeLonger(l_PackPoint(5, 5), 1), 0);
    EXPECT_EQ(p.oPlain(), (ss_GamePoint{3, -7}));
    EXPECT_EQ(p.lTakeLonger(l_PackPoint(5, 5), 0), 1);
    EXPECT_EQ(p.oPlain(), (ss_GamePoint{5, 5}));
    // Ties: the flag takes the argument, flag 0 keeps the object.
    EXPECT_EQ(p.lTakeLonger(l_PackPoint(-5, 0), 1), 1);
    EXPECT_EQ(p.oPlain(), (ss_GamePoint{-5, 0}));
    EXPECT_EQ(p.lTakeLonger(l_PackPoint(0, 5), 0), 0);
    EXPECT_EQ(p.oPlain(), (ss_GamePoint{-5, 0}));
    // -32768 is the longest of all.
    EXPECT_EQ(p.lTakeLonger(l_PackPoint(-32768, 0), 1), 1);
}

TEST(GamePoint, LineYOnHorizontalVerticalAndSlopedLines) {
    const sc_GamePoint h(10, 4);
    for (int16_t x : {-100, 0, 10, 500}) EXPECT_EQ(h.lLineY(ss_GamePoint{20, 4}, x), 4);
    const sc_GamePoint v(10, 4);
    EXPECT_EQ(v.lLineY(ss_GamePoint{10, 40}, 10), 4);
    EXPECT_EQ(v.lLineY(ss_GamePoint{10, 40}, 11), -32768);
    const sc_GamePoint s(0, 0);
    EXPECT_EQ(s.lLineY(ss_GamePoint{10, 20}, 5), 10);
    EXPECT_EQ(s.lLineY(ss_GamePoint{3, 1}, 2), 0); // 0 - (-2 * -1) / -3 truncates to 0
    // dy wraps to -1 in 16 bits: 32767 + 65535 cut to 16 bits.
    const sc_GamePoint e(32767, 32767);
    EXPECT_EQ(e.lLineY(ss_GamePoint{32766, -32768}, -32768), 32766);
}

TEST(GamePoint, InterpolateTruncatesAndSurvivesAVerticalPair) {
    const sc_GamePoint o(10, 0);
    EXPECT_EQ(o.lInterpolate(ss_GamePoint{0, 5}, ss_GamePoint{13, 10}), 10 * 10 / 3 + 5);
    EXPECT_EQ(o.lInterpolate(ss_GamePoint{0, 5}, ss_GamePoint{7, 10}), -33 + 5);
    EXPECT_EQ(o.lInterpolate(ss_GamePoint{0, 5}, ss_GamePoint{10, 10}), 5); // b.x == x
    // Products past 32 bits wrap instead of being undefined.
    const sc_GamePoint w(32767, -32768);
    // 65535 * 65535 wraps to -131071, divided by -1.
    EXPECT_EQ(w.lInterpolate(ss_GamePoint{-32768, 0}, ss_GamePoint{32766, 32767}), 131071);
}

TEST(GamePoint, RecordIsFourLittleEndianBytes) {
    sc_ByteWriter w;
    sc_GamePoint(-1, -1).vWrite(w);
    sc_GamePoint(0x0102, -32768).vWrite(w);
    const std::vector<uint8_t> expect = {0xFF, 0xFF, 0xFF, 0xFF, 0x02, 0x01, 0x00, 0x80};
    EXPECT_EQ(w.Bytes(), expect);
    sc_ByteReader r(w.Bytes());
    sc_GamePoint a, b;
    ASSERT_TRUE(a.bRead(r));
    ASSERT_TRUE(b.bRead(r));
    EXPECT_EQ(a.oPlain(), (ss_GamePoint{-1, -1}));
    EXPECT_EQ(b.oPlain(), (ss_GamePoint{0x0102, -32768}));
    EXPECT_FALSE(a.bRead(r));
    EXPECT_EQ(a.oPlain(), (ss_GamePoint{-1, -1}));
}

TEST(GameRect, FormsSizesAndTests) {
    const sc_GameRect r = sc_GameRect::XYWH(0, 0, 16, 8);
    EXPECT_EQ(r.right, 15);
    EXPECT_EQ(r.bottom, 7);
    EXPECT_EQ(r.lWidth(), 16);
    EXPECT_EQ(r.lHeight(), 8);
    const sc_GameRect p(l_PackPoint(-2, -3), l_PackPoint(4, 5));
    EXPECT_TRUE(p.bEqual(-2, -3, 4, 5));
    EXPECT_TRUE(p.bEqualPacked(l_PackPoint(-2, -3), l_PackPoint(4, 5)));
    EXPECT_TRUE(p.bInside(int16_t{-2}, int16_t{5}));
    EXPECT_TRUE(p.bInside(4, -3));
    EXPECT_FALSE(p.bInside(5, 0));
    EXPECT_FALSE(p.bInside(70000, 0)); // the 32-bit form does not cut its arguments
    EXPECT_TRUE(p.bInsidePacked(l_PackPoint(0, 0)));
    EXPECT_TRUE(p.bOverlap(4, 5, 10, 10)); // shares a corner
    EXPECT_FALSE(p.bOverlap(5, 0, 10, 10));
    EXPECT_TRUE(p.bOverlapPacked(l_PackPoint(-10, -10), l_PackPoint(10, 10)));

    sc_GameRect m(10, 20, 30, 25);
    m.vMoveTo(0, 0);
    EXPECT_TRUE(m.bEqual(0, 0, 20, 5));
    m.vOffset(32767, 0);
    EXPECT_EQ(m.left, 32767);
    EXPECT_EQ(m.right, -32768 + 19);
    sc_GameRect c(-5, -5, 100, 100);
    c.lClip(50, 40);
    EXPECT_TRUE(c.bEqual(0, 0, 49, 39));

    ss_Rect wide;
    EXPECT_EQ(wide.oSetGameRect(sc_GameRect(-1, -2, 300, 400)), (ss_PlainRect{-1, -2, 300, 400}));
}

TEST(GameRect, RecordIsEightBytesInEdgeOrder) {
    sc_ByteWriter w;
    sc_GameRect(1, -2, 3, 0x0400).vWrite(w);
    const std::vector<uint8_t> expect = {1, 0, 0xFE, 0xFF, 3, 0, 0, 4};
    EXPECT_EQ(w.Bytes(), expect);
    sc_ByteReader r(w.Bytes());
    sc_GameRect back;
    ASSERT_TRUE(back.bRead(r));
    EXPECT_TRUE(back.bEqual(1, -2, 3, 0x0400));
}

} // namespace
