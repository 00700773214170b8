#include <gtest/gtest.h>

#include "tests/tile2d/tile_fixture.h"
#include "tile2d/tile_drawers.h"
#include "tile2d/tile_tables.h"

namespace {

using namespace t2dtest;

uint32_t Size(const Bytes& b) {
    return static_cast<uint32_t>(b.size());
}

struct Lcg {
    uint32_t s;
    uint32_t operator()(uint32_t n) {
        s = s * 1664525u + 1013904223u;
        return (s >> 8) % n;
    }
};

Bytes RandomCodeBytes(Lcg& rnd, uint32_t pixels) {
    Bytes s;
    for (uint32_t at = 0; at < pixels;) {
        if (rnd(4) == 0) {
            const uint8_t b = static_cast<uint8_t>(0x40 + rnd(0xC0));
            s.push_back(b);
            at += b - 63u;
        } else {
            s.push_back(static_cast<uint8_t>(rnd(4) == 0 ? 0x3F : rnd(0x3F)));
            s.push_back(static_cast<uint8_t>(rnd(256)));
            ++at;
        }
    }
    return s;
}

// Index picture of runs up to twice the width long, so runs cross rows.
std::vector<uint8_t> RandomRuns(Lcg& rnd, uint32_t w, uint32_t h, uint8_t key) {
    std::vector<uint8_t> px;
    const uint8_t choice[] = {0, 0, 1, 2, 3, 200, key};
    while (px.size() < size_t{w} * h) {
        const uint8_t v = choice[rnd(sizeof choice)];
        px.insert(px.end(), 1 + rnd(2 * w), v);
    }
    px.resize(size_t{w} * h);
    return px;
}

class DrawerTest : public TileTest {};

TEST_F(DrawerTest, AnchorPlacesTheTopLeftCorner) {
    MakeSurface(128, 128);
    const std::vector<uint16_t> pal = TestPalette();
    const Bytes flat = FlatTile(5010 | 3u << 16, 0xFE, 1, 1, pal, {5});
    v_ShowTileFlat(100, 100, flat.data(), Size(flat));
    EXPECT_EQ(At(110, 97), pal[5]);
    EXPECT_EQ(At(100, 100), 0x1111);
    const Bytes rgb = RgbTile(true, AnchorWord(-4, 7), 1, 1, pal, {0x3F, 9});
    v_ShowTile(100, 100, rgb.data(), Size(rgb));
    EXPECT_EQ(At(96, 107), pal[9]);
}

TEST_F(DrawerTest, CodeBytesSkipAcrossRowsAndBlendAtTheirLevel) {
    MakeSurface(64, 4, 0x2108);
    const std::vector<uint16_t> pal = TestPalette();
    Bytes s;
    for (int i = 0; i < 54; ++i)
        s.insert(s.end(), {0x3F, 1});
    s.push_back(0xFF); // the row's last 10 and 182 more
    s.insert(s.end(), {0x3F, 2, 20, 3});
    const Bytes t = RgbTile(true, AnchorWord(0, 0), 64, 4, pal, s);
    v_ShowTile(0, 0, t.data(), Size(t));
    EXPECT_EQ(At(53, 0), pal[1]);
    EXPECT_EQ(At(54, 0), 0x2108);
    for (uint32_t x = 0; x < 64; ++x) {
        EXPECT_EQ(At(x, 1), 0x2108);
        EXPECT_EQ(At(x, 2), 0x2108);
    }
    EXPECT_EQ(At(53, 3), 0x2108);
    EXPECT_EQ(At(54, 3), pal[2]) << "192 skipped pixels in all";
    EXPECT_EQ(At(55, 3), Blend555(20, pal[3], 0x2108));
    EXPECT_EQ(At(56, 3), 0x2108);
}

TEST_F(DrawerTest, KeyRunFormOfRgbTilesDrawsIndexZero) {
    const std::vector<uint16_t> pal = TestPalette();
    const Bytes t = RgbTile(false, AnchorWord(0, 0), 5, 1, pal, {0, 0x80, 3, 0, 7}, 0x80);
    v_ShowTile(2, 2, t.data(), Size(t));
    EXPECT_EQ(At(2, 2), pal[0]) << "literal index 0";
    EXPECT_EQ(At(3, 2), pal[0]);
    EXPECT_EQ(At(5, 2), pal[0]);
    EXPECT_EQ(At(6, 2), pal[7]);
    EXPECT_EQ(At(7, 2), 0x1111);
}

TEST_F(DrawerTest, FlatLeavesIndexZeroAndFlaggedAddsWithSaturation) {
    std::vector<uint16_t> pal = TestPalette();
    pal[1] = 0x7C00;
    pal[2] = 0x0421;
    // A run of index 0 crossing into row 1, then two literals.
    const Bytes t = FlatTile(AnchorWord(0, 0), 0xFE, 3, 2, pal, {0xFE, 4, 0, 1, 2});
    v_ShowTileFlat(0, 0, t.data(), Size(t));
    EXPECT_EQ(At(0, 0), 0x1111);
    EXPECT_EQ(At(2, 0), 0x1111);
    EXPECT_EQ(At(0, 1), 0x1111);
    EXPECT_EQ(At(1, 1), 0x7C00) << "the target advanced over the transparent run";
    EXPECT_EQ(At(2, 1), 0x0421);

    MakeSurface(8, 8, 0x4000);
    Set(2, 1, 0x03FF);
    v_ShowTileFlagged(0, 0, t.data(), Size(t));
    EXPECT_EQ(At(0, 0), 0x4000);
    EXPECT_EQ(At(1, 1), 0x7C00) << "red 31 + 16 saturates";
    EXPECT_EQ(At(2, 1), 0x07FF) << "green and blue 31 + 1 saturate, red 0 + 1 adds";
    Set(2, 1, 0x1042);
    v_ShowTileFlagged(0, 0, t.data(), Size(t));
    EXPECT_EQ(At(2, 1), 0x1463) << "unsaturated channels add";
}

TEST_F(DrawerTest, FlaggedSaturatesSixBitChannels) {
    v_SetPixelMode(2);
    std::vector<uint16_t> pal = TestPalette();
    pal[1] = 0x0400; // green 32 of 64
    const Bytes t = FlatTile(AnchorWord(0, 0), 0xFE, 2, 1, pal, {1, 1});
    Set(0, 0, 0x0400);
    Set(1, 0, 0x0200);
    v_ShowTileFlagged(0, 0, t.data(), Size(t));
    EXPECT_EQ(At(0, 0), 0x07E0);
    EXPECT_EQ(At(1, 0), 0x0600);
}

TEST_F(DrawerTest, RunsOfCountZeroDrawNothing) {
    const std::vector<uint16_t> pal = TestPalette();
    const Bytes t = FlatTile(AnchorWord(0, 0), 0xFE, 2, 1, pal, {0xFE, 0, 5, 6, 7});
    v_ShowTileFlat(0, 0, t.data(), Size(t));
    EXPECT_EQ(At(0, 0), pal[6]);
    EXPECT_EQ(At(1, 0), pal[7]);
}

// Every kind of tile at positions around and across every edge of the
// surface, against the unclipped picture decoded from the stream.
TEST_F(DrawerTest, ClippingMatchesTheUnclippedPictureOnEverySide) {
    MakeSurface(40, 30);
    const std::vector<uint16_t> pal = TestPalette();
    Lcg rnd{7};
    for (int round = 0; round < 6; ++round) {
        const uint32_t w = 1 + rnd(50), h = 1 + rnd(40);
        const int32_t ax = static_cast<int32_t>(rnd(20)) - 10, ay = static_cast<int32_t>(rnd(20)) - 10;
        const uint8_t key = static_cast<uint8_t>(0xF0 + rnd(16));
        const Bytes cb = RandomCodeBytes(rnd, w * h);
        const Bytes rgbCb = RgbTile(true, AnchorWord(ax, ay), w, h, pal, cb);
        const Bytes runs = KeyRuns(RandomRuns(rnd, w, h, key), key);
        const Bytes rgbKr = RgbTile(false, AnchorWord(ax, ay), w, h, pal, runs, key);
        const Bytes flat = FlatTile(AnchorWord(ax, ay), key, w, h, pal, runs);
        const std::vector<int32_t> cbUnits = DecodeCodeBytes(cb, 0, w, h);
        const std::vector<int32_t> krUnits = DecodeKeyRuns(runs, 0, key, w, h);
        std::vector<int32_t> flatUnits = krUnits;
        for (int32_t& u : flatUnits)
            if (u >= 0 && (u >> 8) == 0) u = -1;

        const int32_t xs[] = {-static_cast<int32_t>(w) - 12, -static_cast<int32_t>(w) + 11, -3, 5, 30, 39, 50};
        const int32_t ys[] = {-static_cast<int32_t>(h) - 12, -static_cast<int32_t>(h) + 11, -2, 4, 22, 29, 40};
        for (int32_t x : xs)
            for (int32_t y : ys) {
                SCOPED_TRACE(testing::Message() << "round " << round << " at " << x << "," << y << " size " << w
                                                << "x" << h);
                FillPattern();
                std::vector<uint16_t> before = Pixels();
                v_ShowTile(x, y, rgbCb.data(), Size(rgbCb));
                ASSERT_EQ(Pixels(), Expect(before, cbUnits, w, h, x + ax, y + ay, [&](int32_t u, uint16_t d) {
                              const uint32_t code = u & 0xFF;
                              return code == 63 ? pal[u >> 8] : Blend555(code, pal[u >> 8], d);
                          }));
                before = Pixels();
                v_ShowTile(x, y, rgbKr.data(), Size(rgbKr));
                ASSERT_EQ(Pixels(), Expect(before, krUnits, w, h, x + ax, y + ay,
                                           [&](int32_t u, uint16_t) { return pal[u >> 8]; }));
                FillPattern();
                before = Pixels();
                v_ShowTileFlat(x, y, flat.data(), Size(flat));
                ASSERT_EQ(Pixels(), Expect(before, flatUnits, w, h, x + ax, y + ay,
                                           [&](int32_t u, uint16_t) { return pal[u >> 8]; }));
                before = Pixels();
                v_ShowTileFlagged(x, y, flat.data(), Size(flat));
                ASSERT_EQ(Pixels(), Expect(before, flatUnits, w, h, x + ax, y + ay, [&](int32_t u, uint16_t d) {
                              uint32_t out = 0;
                              for (uint32_t sh : {10u, 5u, 0u})
                                  out |= std::min(31u, (pal[u >> 8] >> sh & 31u) + (d >> sh & 31u)) << sh;
                              return static_cast<uint16_t>(out);
                          }));
            }
    }
}

TEST_F(DrawerTest, TruncatedTilesDrawWhatTheirBytesHold) {
    const std::vector<uint16_t> pal = TestPalette();
    Lcg rnd{99};
    const uint32_t w = 13, h = 9;
    const uint8_t key = 0xF7;
    const Bytes cb = RandomCodeBytes(rnd, w * h);
    const Bytes runs = KeyRuns(RandomRuns(rnd, w, h, key), key);
    const Bytes rgb = RgbTile(true, AnchorWord(0, 0), w, h, pal, cb);
    const Bytes flat = FlatTile(AnchorWord(0, 0), key, w, h, pal, runs);
    for (uint32_t cut = 0; cut <= Size(rgb); cut += cut < 830 ? 1 : 3) {
        FillPattern();
        const std::vector<uint16_t> before = Pixels();
        // A copy of exactly `cut` bytes, so that any overread shows under the sanitizer.
        const Bytes part(rgb.begin(), rgb.begin() + cut);
        v_ShowTile(3, 3, part.data(), cut);
        const Bytes stream = cut > 804 ? Bytes(cb.begin(), cb.begin() + (cut - 804)) : Bytes{};
        ASSERT_EQ(Pixels(), Expect(before, DecodeCodeBytes(stream, 0, w, h), w, h, 3, 3, [&](int32_t u, uint16_t d) {
                      return (u & 0xFF) == 63 ? pal[u >> 8] : Blend555(u & 0xFF, pal[u >> 8], d);
                  })) << "cut at " << cut;
    }
    for (uint32_t cut = 0; cut <= Size(flat); ++cut) {
        FillPattern();
        const std::vector<uint16_t> before = Pixels();
        const Bytes part(flat.begin(), flat.begin() + cut);
        v_ShowTileFlat(3, 3, part.data(), cut);
        const Bytes stream = cut > 521 ? Bytes(runs.begin(), runs.begin() + (cut - 521)) : Bytes{};
        std::vector<int32_t> units = DecodeKeyRuns(stream, 0, key, w, h);
        for (int32_t& u : units)
            if (u >= 0 && (u >> 8) == 0) u = -1;
        ASSERT_EQ(Pixels(), Expect(before, units, w, h, 3, 3, [&](int32_t u, uint16_t) { return pal[u >> 8]; }))
            << "cut at " << cut;
    }
}

TEST_F(DrawerTest, NothingIsDrawnWithoutASurfaceOrPixels) {
    const std::vector<uint16_t> pal = TestPalette();
    const Bytes t = FlatTile(AnchorWord(0, 0), 0xFE, 2, 2, pal, {1, 2, 3, 4});
    const Bytes wide = FlatTile(AnchorWord(0, 0), 0xFE, 0, 5, pal, {1, 2, 3, 4});
    const std::vector<uint16_t> before = Pixels();
    v_ShowTileFlat(0, 0, wide.data(), Size(wide));
    v_ShowTileFlat(0, 0, nullptr, 1000);
    v_ShowTileFlat(-2, 0, t.data(), Size(t)) ;
    v_ShowTileFlat(0, 48, t.data(), Size(t));
    v_ShowTileFlat(64, 0, t.data(), Size(t));
    EXPECT_EQ(Pixels(), before);
    g_oGfx.oSurface = ss_GfxSurface{};
    v_ShowTileFlat(0, 0, t.data(), Size(t));
    v_ShowTile(0, 0, t.data(), Size(t));
    EXPECT_EQ(Pixels(), before);
    // Extreme positions do not overflow the placement.
    v_SelectSurface(0);
    v_ShowTileFlat(INT32_MIN, INT32_MAX, t.data(), Size(t));
    v_ShowTileFlat(INT32_MAX, INT32_MIN, t.data(), Size(t));
    EXPECT_EQ(Pixels(), before);
}

TEST_F(DrawerTest, LevelAndGreyVariants) {
    const std::vector<uint16_t> pal = TestPalette();
    const Bytes t = RgbTile(true, AnchorWord(0, 0), 3, 1, pal, {0x3F, 1, 40, 2, 0x41});
    const Bytes kr = RgbTile(false, AnchorWord(0, 0), 2, 1, pal, {4, 5}, 0xFE);
    v_MakeLevelTable();
    FillPattern();
    const uint16_t d0 = At(0, 0), d1 = At(1, 0);
    v_ShowTileLevel(0, 0, t.data(), Size(t), 32 + 64); // low six bits: 32
    EXPECT_EQ(At(0, 0), Blend555(32 * 63 / 63, pal[1], d0)) << "63 becomes 32";
    EXPECT_EQ(At(1, 0), Blend555(32 * 40 / 63, pal[2], d1));
    FillPattern();
    v_ShowTileLevel(0, 0, t.data(), Size(t), 0);
    EXPECT_EQ(At(0, 0), d0) << "level 0 leaves the surface";
    EXPECT_EQ(At(1, 0), d1);
    v_ShowTileLevel(0, 0, t.data(), Size(t), 63);
    EXPECT_EQ(At(0, 0), pal[1]);
    v_ShowTileLevel(0, 1, kr.data(), Size(kr), 0);
    EXPECT_EQ(At(0, 1), pal[4]) << "the key-run form is not faded";

    std::vector<uint16_t> grey(0x8000);
    v_MakeGreyTable(grey.data());
    FillPattern();
    v_ShowTileGrey(0, 0, t.data(), Size(t));
    EXPECT_EQ(At(0, 0), grey[pal[1]]);
    EXPECT_EQ(At(1, 0), Blend555(40, grey[pal[2]], d1));
    v_ShowTileGrey(0, 1, kr.data(), Size(kr));
    EXPECT_EQ(At(1, 1), grey[pal[5]]);
    FillPattern();
    v_ShowTileGreyLevel(0, 0, t.data(), Size(t), 32);
    EXPECT_EQ(At(0, 0), Blend555(32, grey[pal[1]], d0));
}

TEST_F(DrawerTest, RectDrawsPartOfTheTileAtTheAnchoredPoint) {
    const std::vector<uint16_t> pal = TestPalette();
    Lcg rnd{3};
    const uint32_t w = 20, h = 12;
    const Bytes cb = RandomCodeBytes(rnd, w * h);
    const Bytes t = RgbTile(true, AnchorWord(2, -1), w, h, pal, cb);
    const std::vector<int32_t> units = DecodeCodeBytes(cb, 0, w, h);
    struct Case {
        int32_t x, y, sx, sy, rw, rh;
    };
    const Case cases[] = {{5, 5, 3, 2, 6, 4}, {-4, 10, 0, 0, 20, 12}, {30, 40, -3, -2, 8, 30}, {1, 1, 15, 10, 40, 40}};
    for (const Case& c : cases) {
        FillPattern();
        const std::vector<uint16_t> before = Pixels();
        v_ShowTileRect(c.x, c.y, c.sx, c.sy, c.rw, c.rh, t.data(), Size(t));
        // The rectangle's units only, placed so that (sx, sy) lands on (x + 2, y - 1).
        std::vector<int32_t> cut(units.size(), -1);
        for (uint32_t r = 0; r < h; ++r)
            for (uint32_t col = 0; col < w; ++col)
                if (int32_t(col) >= c.sx && int32_t(col) < c.sx + c.rw && int32_t(r) >= c.sy && int32_t(r) < c.sy + c.rh)
                    cut[r * w + col] = units[r * w + col];
        EXPECT_EQ(Pixels(), Expect(before, cut, w, h, c.x + 2 - c.sx, c.y - 1 - c.sy, [&](int32_t u, uint16_t d) {
                      return (u & 0xFF) == 63 ? pal[u >> 8] : Blend555(u & 0xFF, pal[u >> 8], d);
                  }));
    }
}

TEST_F(DrawerTest, TilePixelFetch) {
    const std::vector<uint16_t> pal = TestPalette();
    const Bytes t = RgbTile(true, AnchorWord(-30, -30), 4, 2, pal, {0x3F, 7, 0x42, 12, 200, 0x3F, 1});
    EXPECT_EQ(l_GetTilePixel(t.data(), Size(t), 0, 0), 7 * 256 + 63);
    EXPECT_EQ(l_GetTilePixel(t.data(), Size(t), 1, 0), 0) << "skipped";
    EXPECT_EQ(l_GetTilePixel(t.data(), Size(t), 3, 0), 0);
    EXPECT_EQ(l_GetTilePixel(t.data(), Size(t), 0, 1), 200 * 256 + 12);
    EXPECT_EQ(l_GetTilePixel(t.data(), Size(t), 1, 1), 1 * 256 + 63);
    EXPECT_EQ(l_GetTilePixel(t.data(), Size(t), 2, 1), 0) << "past the stream's end";
    EXPECT_EQ(l_GetTilePixel(t.data(), Size(t), 4, 0), 0);
    EXPECT_EQ(l_GetTilePixel(t.data(), Size(t), -1, 0), 0);
    EXPECT_EQ(l_GetTilePixel(t.data(), 803, 0, 0), 0);
}

} // namespace
