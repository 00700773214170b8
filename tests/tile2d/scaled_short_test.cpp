#include <gtest/gtest.h>

#include "tests/tile2d/tile_fixture.h"
#include "tile2d/scaled_tiles.h"
#include "tile2d/short_tiles.h"
#include "tile2d/tile_drawers.h"
#include "tile2d/tile_tables.h"

namespace {

using namespace t2dtest;

uint32_t Size(const Bytes& b) {
    return static_cast<uint32_t>(b.size());
}

// A code-byte stream with skips that cross rows.
Bytes Stream(uint32_t pixels) {
    Bytes s;
    for (uint32_t at = 0; at < pixels; ++at) {
        if (at % 11 == 5) {
            s.push_back(0x40 + 9); // skip 10
            at += 9;
        } else {
            s.push_back(static_cast<uint8_t>(at % 3 == 0 ? 0x3F : (at * 7) % 63));
            s.push_back(static_cast<uint8_t>(at));
        }
    }
    return s;
}

class ScaledTest : public TileTest {
protected:
    uint16_t Code(int32_t u, uint16_t d) const {
        return (u & 0xFF) == 63 ? m_pal[u >> 8] : Blend555(u & 0xFF, m_pal[u >> 8], d);
    }
    std::vector<uint16_t> m_pal = TestPalette();
};

TEST_F(ScaledTest, OneToOneEqualsTheUnscaledDrawer) {
    const uint32_t w = 17, h = 9;
    const Bytes t = RgbTile(true, AnchorWord(-6, 3), w, h, m_pal, Stream(w * h));
    for (int32_t x : {-20, -3, 10, 55, 70})
        for (int32_t y : {-10, -1, 20, 45}) {
            FillPattern();
            v_ShowTile(x, y, t.data(), Size(t));
            const std::vector<uint16_t> plain = Pixels();
            FillPattern();
            v_ShowTileScaled(x, y, w, h, t.data(), Size(t));
            EXPECT_EQ(Pixels(), plain) << x << "," << y;
        }
}

TEST_F(ScaledTest, StepsPickNearestSourcePixelsAndScaleTheAnchor) {
    const uint32_t w = 7, h = 5;
    const Bytes s = Stream(w * h);
    const Bytes t = RgbTile(true, AnchorWord(-5, 4), w, h, m_pal, s);
    const std::vector<int32_t> units = DecodeCodeBytes(s, 0, w, h);
    struct Case {
        uint32_t tw, th;
    };
    for (const Case c : {Case{14, 10}, Case{3, 2}, Case{10, 7}, Case{7, 11}}) {
        SCOPED_TRACE(testing::Message() << c.tw << "x" << c.th);
        std::vector<int32_t> scaled(size_t{c.tw} * c.th);
        const uint32_t xStep = w * 1024 / c.tw, yStep = (h << 16) / c.th;
        for (uint32_t r = 0; r < c.th; ++r)
            for (uint32_t col = 0; col < c.tw; ++col)
                scaled[r * c.tw + col] = units[(r * yStep >> 16) * w + (col * xStep >> 10)];
        FillPattern();
        const std::vector<uint16_t> before = Pixels();
        v_ShowTileScaled(20, 20, c.tw, c.th, t.data(), Size(t));
        // Anchor offsets scale with truncation: -5 * tw / 7, 4 * th / 5.
        const int64_t X = 20 + (-5 * int64_t(c.tw)) / 7, Y = 20 + (4 * int64_t(c.th)) / 5;
        EXPECT_EQ(Pixels(), Expect(before, scaled, c.tw, c.th, X, Y, [&](int32_t u, uint16_t d) { return Code(u, d); }));
    }
    const std::vector<uint16_t> before = Pixels();
    v_ShowTileScaled(20, 20, 0, 5, t.data(), Size(t));
    v_ShowTileScaled(20, 20, 5, -1, t.data(), Size(t));
    EXPECT_EQ(Pixels(), before);
}

TEST_F(ScaledTest, ScaledVariantsAndClippedUpscale) {
    Bytes cb = RgbTile(true, AnchorWord(0, 0), 2, 1, m_pal, {0x3F, 1, 30, 2});
    cb[770] = 0; // the scaled drawers do not test the form byte
    v_MakeLevelTable();
    FillPattern();
    const uint16_t d = At(62, 40);
    v_ShowTileScaledLevel(62, 40, 4, 20, cb.data(), Size(cb), 63);
    EXPECT_EQ(At(62, 40), m_pal[1]);
    EXPECT_EQ(At(63, 47), m_pal[1]);
    FillPattern();
    v_ShowTileScaledLevel(60, 40, 4, 2, cb.data(), Size(cb), 0);
    EXPECT_EQ(At(62, 40), d) << "level 0 leaves the surface";
    std::vector<uint16_t> grey(0x8000);
    v_MakeGreyTable(grey.data());
    v_ShowTileScaledGrey(0, 0, 4, 2, cb.data(), Size(cb));
    EXPECT_EQ(At(1, 1), grey[m_pal[1]]);
    FillPattern();
    const uint16_t d2 = At(3, 0);
    v_ShowTileScaledGreyLevel(0, 0, 4, 2, cb.data(), Size(cb), 63);
    EXPECT_EQ(At(0, 0), grey[m_pal[1]]);
    EXPECT_EQ(At(3, 0), Blend555(30, grey[m_pal[2]], d2));
    const std::vector<uint16_t> before = Pixels();
    v_ShowTileScaled(0, 0, 4, 2, cb.data(), 803); // header cut short
    EXPECT_EQ(Pixels(), before);
}

class ShortTest : public TileTest {
protected:
    std::vector<uint16_t> m_pal = TestPalette();
};

TEST_F(ShortTest, OneByteUnitsAreOpaqueAndTwoByteUnitsBlendByLevel) {
    const Bytes one = ShortTile(0, AnchorWord(2, -1), 3, 2, m_pal, {0, 1, 2, 3, 4, 5});
    v_ShowTileShort(10, 10, one.data(), Size(one));
    EXPECT_EQ(At(12, 9), m_pal[0]) << "index 0 is drawn";
    EXPECT_EQ(At(14, 10), m_pal[5]);
    EXPECT_EQ(At(15, 10), 0x1111);

    const Bytes two = ShortTile(1, AnchorWord(0, 0), 4, 1, m_pal, {0, 9, 63, 9, 200, 8, 20, 7});
    FillPattern();
    const uint16_t d0 = At(0, 0), d3 = At(3, 0);
    v_ShowTileShort(0, 0, two.data(), Size(two));
    EXPECT_EQ(At(0, 0), d0) << "level 0 leaves the surface";
    EXPECT_EQ(At(1, 0), m_pal[9]);
    EXPECT_EQ(At(2, 0), m_pal[8]) << "levels above 63 are opaque";
    EXPECT_EQ(At(3, 0), Blend555(20, m_pal[7], d3));
    EXPECT_EQ(l_GetImagePixel(two.data(), Size(two), 3, 0), 20 | 7 << 8);
    EXPECT_EQ(l_GetImagePixel(two.data(), Size(two), 4, 0), 0);
    EXPECT_EQ(l_GetImagePixel(two.data(), Size(two) - 1, 3, 0), 0) << "unit cut off";
}

TEST_F(ShortTest, RectsClipAndTruncatedGridsStop) {
    Bytes grid;
    for (uint8_t i = 0; i < 30; ++i)
        grid.push_back(i);
    const Bytes t = ShortTile(0, AnchorWord(0, 0), 6, 5, m_pal, grid);
    v_ShowTileShortRect(-1, 0, 2, 1, 3, 10, t.data(), Size(t));
    // Units (2..4, 1..4) with (2, 1) at (-1, 0): column 2 clipped.
    EXPECT_EQ(At(0, 0), m_pal[9]);
    EXPECT_EQ(At(1, 3), m_pal[28]);
    EXPECT_EQ(At(2, 0), 0x1111);
    EXPECT_EQ(At(0, 4), 0x1111);

    MakeSurface(64, 48);
    const Bytes cut(t.begin(), t.end() - 8); // the last 8 units are missing
    v_ShowTileShort(0, 0, cut.data(), Size(cut));
    EXPECT_EQ(At(3, 3), m_pal[21]);
    EXPECT_EQ(At(4, 3), 0x1111);
    EXPECT_EQ(At(0, 4), 0x1111);
}

TEST_F(ShortTest, ScaledShortTilesAreClippedToTheSurface) {
    const Bytes t = ShortTile(0 /* not tested */, AnchorWord(30, 30), 2, 2, m_pal, {63, 1, 63, 2, 63, 3, 0, 4});
    v_ShowTileShortScaled(-1, -1, t.data(), Size(t), 4, 4);
    EXPECT_EQ(At(0, 0), m_pal[1]) << "no anchor";
    EXPECT_EQ(At(1, 0), m_pal[2]);
    EXPECT_EQ(At(2, 0), m_pal[2]);
    EXPECT_EQ(At(0, 2), m_pal[3]);
    EXPECT_EQ(At(1, 2), 0x1111);
    EXPECT_EQ(At(3, 0), 0x1111);
    v_ShowTileShortScaled(60, 44, t.data(), Size(t), 100, 100);
    EXPECT_EQ(At(63, 47), m_pal[1]);
    // Guards are checked on tear-down.
}

} // namespace
