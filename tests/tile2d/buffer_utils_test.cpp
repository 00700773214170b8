#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/tile2d/tile_fixture.h"
#include "tile2d/buffer_utils.h"
#include "tile2d/surface_lines.h"

namespace {

using namespace t2dtest;

// Pixel buffers as bytes, with helpers to read them back.
class BufferTest : public TileTest {
protected:
    static Bytes Px(const std::vector<uint16_t>& px) {
        Bytes b;
        for (uint16_t p : px)
            Put16(b, p);
        return b;
    }
    static std::vector<uint16_t> Un(const Bytes& b) {
        std::vector<uint16_t> px;
        for (size_t i = 0; i + 1 < b.size(); i += 2)
            px.push_back(Get16(b, i));
        return px;
    }
    static uint32_t N(const Bytes& b) { return static_cast<uint32_t>(b.size()); }
};

// Per-channel floor average in mode 0.
uint16_t Avg(uint16_t a, uint16_t b) {
    uint32_t out = 0;
    for (uint32_t sh : {10u, 5u, 0u})
        out |= (((a >> sh & 31) + (b >> sh & 31)) / 2) << sh;
    return static_cast<uint16_t>(out);
}

TEST_F(BufferTest, CopiesGoInGroupsOfEightRowsAndPairs) {
    std::vector<uint16_t> src(3 * 10);
    for (uint32_t i = 0; i < src.size(); ++i)
        src[i] = static_cast<uint16_t>(i + 1);
    const Bytes s = Px(src);
    Bytes t = Px(std::vector<uint16_t>(4 * 10, 0));
    v_CopyRect16(s.data(), N(s), t.data(), N(t), 3, 10, 6, 8);
    const auto out = Un(t);
    EXPECT_EQ(out[0], 1);
    EXPECT_EQ(out[1], 2);
    EXPECT_EQ(out[2], 0) << "an odd width loses its last pixel";
    EXPECT_EQ(out[7 * 4 + 1], 7 * 3 + 2);
    EXPECT_EQ(out[8 * 4], 0) << "rows past the last group of 8 are not copied";

    // A target too small for the block takes what lies inside it.
    Bytes small(8 * 2 + 1, 0xEE);
    v_CopyRect16(s.data(), N(s), small.data(), 8 * 2 - 1, 2, 8, 6, 4);
    EXPECT_EQ(Get16(small, 12), 10) << "row 3 of the source, first pixel";
    EXPECT_EQ(small[14], 0xEE);
    EXPECT_EQ(small[16], 0xEE);
}

TEST_F(BufferTest, HalvingAndPlainDoubling) {
    std::vector<uint16_t> src(5 * 4);
    for (uint32_t i = 0; i < src.size(); ++i)
        src[i] = static_cast<uint16_t>(100 + i);
    const Bytes s = Px(src);
    Bytes t = Px(std::vector<uint16_t>(6, 0));
    v_Reduce2(s.data(), N(s), t.data(), N(t), 4, 4, 5, 6);
    EXPECT_EQ(Un(t), (std::vector<uint16_t>{100, 102, 0, 110, 112, 0}));

    const Bytes two = Px({0x0101, 0x0202});
    Bytes big = Px(std::vector<uint16_t>(5 * 2, 0));
    v_Magnify2(two.data(), N(two), big.data(), N(big), 2, 1, 2, 10);
    EXPECT_EQ(Un(big), (std::vector<uint16_t>{0x0101, 0x0101, 0x0202, 0x0202, 0, 0x0101, 0x0101, 0x0202, 0x0202, 0}));

    const Bytes white = Px({0x7FFF});
    Bytes lv = Px(std::vector<uint16_t>(4, 0));
    v_Magnify2Level(white.data(), N(white), lv.data(), N(lv), 1, 1, 1, 4, 31 + 64);
    EXPECT_EQ(Un(lv), (std::vector<uint16_t>(4, 15 << 10 | 15 << 5 | 15)));

    // Doubling into a target one row short writes only the first row.
    Bytes cut(9, 0xEE);
    v_Magnify2(two.data(), N(two), cut.data(), 8, 2, 1, 2, 8);
    EXPECT_EQ(Get16(cut, 6), 0x0202);
    EXPECT_EQ(cut[8], 0xEE);
}

TEST_F(BufferTest, InterpolatingDoubles) {
    // 2 x 2 source, pitch 2: p q / b b2.
    const uint16_t p = 31 << 10, q = 31, b = 31 << 5, b2 = 0x7FFF;
    const Bytes s = Px({p, q, b, b2});
    Bytes soft = Px(std::vector<uint16_t>(16, 0));
    v_Magnify2Soft(s.data(), N(s), soft.data(), N(soft), 2, 2, 2, 8);
    auto o = Un(soft);
    EXPECT_EQ(o[0], p);
    EXPECT_EQ(o[1], Avg(p, q));
    EXPECT_EQ(o[4], Avg(p, b));
    EXPECT_EQ(o[5], Avg(p, b2));
    // The right neighbour of a row's last pixel is the next in memory: b.
    EXPECT_EQ(o[3], Avg(q, b));
    // The last source row gives two rows of (p, avg(p, q)); the last pixel's
    // neighbour lies outside the source and reads as the pixel itself.
    EXPECT_EQ(o[8], b);
    EXPECT_EQ(o[9], Avg(b, b2));
    EXPECT_EQ(o[12], b);
    EXPECT_EQ(o[13], Avg(b, b2));
    EXPECT_EQ(o[11], b2);
    EXPECT_EQ(o[15], b2);

    Bytes smooth = Px(std::vector<uint16_t>(16, 0));
    v_Magnify2Smooth(s.data(), N(s), smooth.data(), N(smooth), 2, 2, 2, 8);
    o = Un(smooth);
    EXPECT_EQ(o[1], Avg(p, q));
    EXPECT_EQ(o[4], Avg(p, b));
    EXPECT_EQ(o[5], Avg(Avg(Avg(p, b2), Avg(p, q)), Avg(p, b)));
    EXPECT_EQ(o[12], b);

    Bytes add = Px(std::vector<uint16_t>(16, 1 << 10 | 1));
    v_Magnify2SoftAdd(s.data(), N(s), add.data(), N(add), 2, 2, 2, 8);
    o = Un(add);
    EXPECT_EQ(o[0], 31 << 10 | 1) << "red saturates, blue adds";
    EXPECT_EQ(o[1], static_cast<uint16_t>(Avg(p, q) + (1 << 10 | 1)));
}

TEST_F(BufferTest, BlendsAndAdds) {
    const Bytes s = Px({0x7FFF, 0, 10 << 10, 0x0421, 0x7FFF});
    const Bytes base = Px({2 << 10 | 3, 0x0421, 30 << 10, 0x7FFF, 0x1111});

    Bytes t = base;
    v_BlendHalfPairs(s.data(), N(s), t.data(), N(t), 5, 1, 10, 10);
    auto o = Un(t);
    EXPECT_EQ(o[0], 16 << 10 | 15 << 5 | 17);
    EXPECT_EQ(o[1], 0);
    EXPECT_EQ(o[2], 20 << 10);
    EXPECT_EQ(o[4], 0x1111) << "an odd width loses its last pixel";

    t = base;
    v_BlendHalfKey(s.data(), N(s), t.data(), N(t), 5, 1, 10, 10);
    o = Un(t);
    EXPECT_EQ(o[1], 0x0421) << "a source pixel of 0 leaves the target";
    EXPECT_EQ(o[4], Avg(0x7FFF, 0x1111));

    t = base;
    v_AddRect(s.data(), N(s), t.data(), N(t), 5, 1, 10, 10);
    o = Un(t);
    EXPECT_EQ(o[0], 0x7FFF);
    EXPECT_EQ(o[2], 31 << 10);
    EXPECT_EQ(o[1], 0x0421);

    t = base;
    v_AddRectKey(s.data(), N(s), t.data(), N(t), 5, 1, 10, 10);
    EXPECT_EQ(Un(t)[3], 0x7FFF);

    t = base;
    v_ScaleRectLevel(s.data(), N(s), t.data(), N(t), 5, 1, 10, 10, 15);
    o = Un(t);
    EXPECT_EQ(o[0], 7 << 10 | 7 << 5 | 7);
    EXPECT_EQ(o[2], 2 << 10);
    EXPECT_EQ(o[4], 0x1111);

    // Six-bit red in mode 1: two tops average to the top.
    v_SetPixelMode(1);
    const Bytes hi = Px({0xFC00, 0xFC00});
    Bytes th = Px({0xFC00, 0xF800});
    v_BlendHalfPairs(hi.data(), N(hi), th.data(), N(th), 2, 1, 4, 4);
    EXPECT_EQ(Un(th), (std::vector<uint16_t>{0xFC00, 62 << 10}));
}

TEST_F(BufferTest, InterlacedAddWritesEveryOtherRow) {
    const Bytes s = Px({1, 2, 3, 4});
    Bytes t = Px(std::vector<uint16_t>(2 * 4, 1));
    v_AddRectInterlaced(s.data(), N(s), t.data(), N(t), 2, 2, 4, 4);
    EXPECT_EQ(Un(t), (std::vector<uint16_t>{2, 3, 1, 1, 4, 5, 1, 1}));
}

TEST_F(BufferTest, FillRectLosesTheOddPixel) {
    Bytes t = Px(std::vector<uint16_t>(2 * 6, 0));
    v_FillRect(2, 5, 2, 0xFFFFFF, t.data(), N(t), 6);
    const auto o = Un(t);
    EXPECT_EQ(o, (std::vector<uint16_t>{0, 0x7FFF, 0x7FFF, 0x7FFF, 0x7FFF, 0, 0, 0x7FFF, 0x7FFF, 0x7FFF, 0x7FFF, 0}));
    Bytes cut(6, 0xEE);
    v_FillRect(0, 4, 1, 0xFFFFFF, cut.data(), 5, 4);
    EXPECT_EQ(cut[3], 0x7F);
    EXPECT_EQ(cut[4], 0xEE);
}

TEST_F(BufferTest, GrabsAndPuts) {
    Bytes src8(6 * 4);
    for (uint32_t i = 0; i < src8.size(); ++i)
        src8[i] = static_cast<uint8_t>(i % 3 ? i : 0);
    Bytes img(4 + 3 * 2, 0xEE);
    v_GrabRect8(7, 3, 2, img.data(), N(img), src8.data(), N(src8), 6);
    EXPECT_EQ(img, (Bytes{3, 0, 2, 0, 7, 8, 0, 13, 14, 0}));
    Bytes none(4 + 3 * 2 - 1, 0xEE);
    v_GrabRect8(7, 3, 2, none.data(), N(none), src8.data(), N(src8), 6);
    EXPECT_EQ(none[0], 0xEE) << "a target short of the image gets nothing";
    v_GrabRect8(19, 3, 2, img.data(), N(img), src8.data(), N(src8), 6);
    EXPECT_EQ(img[4], 7) << "a block past the source's end is not grabbed";

    Bytes screen(5 * 3, 0xAA);
    v_PutImage8Key(3, 1, img.data(), N(img), screen.data(), N(screen), 5);
    EXPECT_EQ(Bytes(screen.begin() + 8, screen.end()), (Bytes{7, 8, 0xAA, 0xAA, 0xAA, 13, 14}));
    v_PutImage8(3, 1, img.data(), N(img), screen.data(), N(screen), 5);
    EXPECT_EQ(screen[10], 0);
    v_PutImage8(-1, 0, img.data(), N(img) - 1, screen.data(), N(screen), 5); // second row incomplete
    EXPECT_EQ(screen[0], 8);
    EXPECT_EQ(screen[4], 0xAA);

    const Bytes s16 = Px({1, 2, 3, 4, 5, 6, 7, 8});
    Bytes g16(4 + 2 * 2 * 2, 0);
    v_GrabRect16(1, 0, 2, 2, g16.data(), N(g16), s16.data(), N(s16), 4);
    EXPECT_EQ(Get32(g16, 0), 2u | 2u << 16);
    EXPECT_EQ((std::vector<uint16_t>{Get16(g16, 4), Get16(g16, 6), Get16(g16, 8), Get16(g16, 10)}),
              (std::vector<uint16_t>{2, 3, 6, 7}));
    Bytes s24(3 * 3 * 2);
    for (uint32_t i = 0; i < s24.size(); ++i)
        s24[i] = static_cast<uint8_t>(i);
    Bytes g24(4 + 2 * 3, 0);
    v_GrabRect24(1, 1, 2, 1, g24.data(), N(g24), s24.data(), N(s24), 3);
    EXPECT_EQ(Bytes(g24.begin() + 4, g24.end()), (Bytes{12, 13, 14, 15, 16, 17}));
}

TEST_F(BufferTest, FarPlacesAndPitchesTouchNothing) {
    // Positions whose products pass 2^63: each access is refused, none wraps.
    Bytes src(64, 0x11), tgt(64, 0xEE);
    const Bytes before = tgt;
    v_GrabRect16(0, INT32_MAX, 1, 1, tgt.data(), N(tgt), src.data(), N(src), UINT32_MAX);
    v_GrabRect24(INT32_MIN, INT32_MIN, 1, 1, tgt.data(), N(tgt), src.data(), N(src), UINT32_MAX);
    const Bytes img{1, 0, 3, 0, 7, 7, 7};
    v_PutImage8(0, INT32_MAX, img.data(), N(img), tgt.data(), N(tgt), UINT32_MAX);
    EXPECT_EQ(tgt, before);
    // Only the top half of the first square lies inside.
    v_Magnify2(src.data(), N(src), tgt.data(), N(tgt), 1, 3, UINT32_MAX, UINT32_MAX);
    EXPECT_EQ(Bytes(tgt.begin(), tgt.begin() + 5), (Bytes{0x11, 0x11, 0x11, 0x11, 0xEE}));
    EXPECT_EQ(Bytes(tgt.begin() + 4, tgt.end()), Bytes(before.begin() + 4, before.end()));
    tgt = before;
    // Interlaced target rows twice 2^32 - 1 bytes apart: only row 0 lands.
    v_AddRectInterlaced(src.data(), N(src), tgt.data(), N(tgt), 1, 2, 2, UINT32_MAX);
    EXPECT_EQ(Get16(tgt, 0), 0x7FFF) << "4 + 27, 8 + 23, 17 + 14";
    EXPECT_EQ(Bytes(tgt.begin() + 2, tgt.end()), Bytes(before.begin() + 2, before.end()));
}

TEST_F(BufferTest, DebugCellsAndMemoryAccess) {
    v_DebugNumber(2, 1, 0, 0x1F);
    const uint16_t* c = p_DebugCells();
    for (uint32_t i = 2; i < 11; ++i)
        EXPECT_EQ(c[80 + i], 0x1F20) << i;
    EXPECT_EQ(c[80 + 11], 0x1F30) << "the digit in column x + 9";
    v_DebugNumber(0, 2, 4294967295u, 7);
    EXPECT_EQ(c[160], 0x0734);
    EXPECT_EQ(c[169], 0x0735);
    v_DebugText(78, 24, "abc", 2);
    EXPECT_EQ(c[24 * 80 + 79], 0x0262);
    EXPECT_NE(c[0], 0x0263) << "text past the last cell is dropped, not wrapped to the top";
    v_DebugText(79, 2, "xy", 2);
    EXPECT_EQ(c[239], 0x0278);
    EXPECT_EQ(c[240], 0x0279) << "past column 79: the next row's start";
    v_DebugText(-1, 0, "pq", 2);
    EXPECT_EQ(c[0], 0x0271);

    uint8_t m[4] = {};
    v_Poke24(m, 4, 0xAABBCCDD);
    EXPECT_EQ(l_Peek32(m, 4), 0x00BBCCDDu) << "the low 24 bits, the top byte untouched";
    EXPECT_EQ(l_Peek24(m, 3), 0xBBCCDDu);
    EXPECT_EQ(l_Peek16(m, 2), 0xCCDDu);
    v_Poke16(m + 2, 2, 0x1234);
    EXPECT_EQ(l_Peek32(m, 4), 0x1234CCDDu);
    v_Poke32(m, 3, 0);
    EXPECT_EQ(l_Peek32(m, 3), 0u);
    EXPECT_EQ(l_Peek32(m, 4), 0x1234CCDDu);
    EXPECT_EQ(l_Difference(5, 3), -2);
    EXPECT_EQ(l_Difference(INT32_MIN, INT32_MAX), -1);
}

class LineTest : public TileTest {
protected:
    std::vector<std::pair<uint32_t, uint32_t>> Lit() const {
        std::vector<std::pair<uint32_t, uint32_t>> v;
        for (uint32_t y = 0; y < m_h; ++y)
            for (uint32_t x = 0; x < m_w; ++x)
                if (At(x, y) != 0x1111) v.emplace_back(x, y);
        return v;
    }
    using Pts = std::vector<std::pair<uint32_t, uint32_t>>;
};

TEST_F(LineTest, StepsOnTheFraction) {
    t2d::v_DrawLine(6, 3, 2, 3, 0xFFFFFF);
    EXPECT_EQ(Lit(), (Pts{{2, 3}, {3, 3}, {4, 3}, {5, 3}, {6, 3}}));
    MakeSurface(64, 48);
    t2d::v_DrawLine(0, 0, 1, 3, 0xFFFFFF);
    EXPECT_EQ(Lit(), (Pts{{0, 0}, {0, 1}, {1, 2}, {1, 3}}));
    // A diagonal of 3: the growth 21,845 * 3 first passes 65,535 at the
    // second step, so the line ends one pixel short of (2, 2).
    MakeSurface(64, 48);
    t2d::v_DrawLine(0, 0, 2, 2, 0xFFFFFF);
    EXPECT_EQ(Lit(), (Pts{{0, 0}, {0, 1}, {1, 2}}));
    MakeSurface(64, 48);
    t2d::v_DrawLine(5, 5, 5, 5, 0x00FF00);
    EXPECT_EQ(Lit(), (Pts{{5, 5}}));
    EXPECT_EQ(At(5, 5), 31 << 5);
}

TEST_F(LineTest, ClipsByMovingTheEnds) {
    // x1 = -4 moves to 0 and y1 by 4 * 9 / 9 = 4.
    t2d::v_DrawLine(-4, 0, 4, 8, 0xFFFFFF);
    EXPECT_EQ(Lit(), (Pts{{0, 4}, {0, 5}, {1, 6}, {2, 7}, {3, 8}}));
    MakeSurface(64, 48);
    t2d::v_DrawLine(60, 10, 70, 10, 0xFFFFFF);
    EXPECT_EQ(Lit(), (Pts{{60, 10}, {61, 10}, {62, 10}, {63, 10}}));
    MakeSurface(64, 48);
    t2d::v_DrawLine(-5, -5, -1, 30, 0xFFFFFF);
    t2d::v_DrawLine(10, 48, 20, 100, 0xFFFFFF);
    EXPECT_TRUE(Lit().empty());
    // Ends at the integer limits: the clipping products reach 2^63.
    t2d::v_DrawLine(INT32_MIN, INT32_MIN, 10, INT32_MAX, 0xFFFFFF);
    EXPECT_TRUE(Lit().empty()) << "the line crosses x 0 to 10 only near y = 2^31";
    // Passes beside the surface: its ends clip away.
    t2d::v_DrawLine(-1000000, -1000000, 2000000, 3000000, 0xFFFFFF);
    EXPECT_TRUE(Lit().empty());
    // Crosses it: clipped to (0, 0) - (47, 47), the fixture's guards intact.
    t2d::v_DrawLine(-1000000, -1000000, 1000000, 1000000, 0xFFFFFF);
    const Pts lit = Lit();
    EXPECT_EQ(lit.size(), 48u);
    EXPECT_EQ(lit.front(), (std::pair<uint32_t, uint32_t>{0, 0}));
    for (auto [x, y] : lit)
        EXPECT_LE(y - x, 1u) << x << "," << y;
}

TEST_F(LineTest, AddAndBlendedPixels) {
    Set(1, 1, 30 << 10 | 1);
    t2d::v_DrawLineAdd(0, 1, 2, 1, 0x100008);
    EXPECT_EQ(At(1, 1), 31 << 10 | 2);
    EXPECT_EQ(At(0, 1), static_cast<uint16_t>(0x1111 + (2 << 10 | 1)));

    v_BlendPixel(3, 3, 0xFFFFFF, 40);
    const uint16_t d = At(3, 3);
    EXPECT_EQ(d, Blend555(40, 0x7FFF, 0x1111));
    for (uint32_t sh : {10u, 5u, 0u})
        EXPECT_GT(d >> sh & 31, 0x1111u >> sh & 31) << sh;
    v_BlendPixel(4, 3, 0x0000FF, 63);
    EXPECT_EQ(At(4, 3), 31);
    v_BlendPixel(-1, 3, 0xFFFFFF, 63);
    v_BlendPixel(64, 0, 0xFFFFFF, 63);
}

} // namespace
