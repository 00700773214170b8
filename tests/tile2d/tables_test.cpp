#include <gtest/gtest.h>

#include "tests/tile2d/tile_fixture.h"
#include "tile2d/blend_tables.h"
#include "tile2d/pixel_mode.h"
#include "tile2d/tile_tables.h"

namespace {

class TablesTest : public ::testing::Test {
protected:
    void SetUp() override { g_oGfx = ss_GfxState{}; }
    void TearDown() override { g_oGfx = ss_GfxState{}; }
};

TEST_F(TablesTest, EachModeLoadsItsMasksShiftsAndCarries) {
    struct Row {
        uint8_t mode;
        uint32_t r, g, b;
        uint8_t rs, gs;
        uint32_t rc, gc, bc, below, rb, rg;
    };
    const Row rows[] = {
        {0, 0x7C00, 0x03E0, 0x001F, 10, 5, 0xF8000, 0x7C00, 0x03E0, 0x03FF, 0x7C1F, 0x7FE0},
        {1, 0xFC00, 0x03E0, 0x001F, 10, 5, 0x1F0000, 0x7C00, 0x03E0, 0x03FF, 0xFC1F, 0xFFE0},
        {2, 0xF800, 0x07E0, 0x001F, 11, 5, 0x1F0000, 0xF800, 0x03E0, 0x07FF, 0xF81F, 0xFFE0},
        {3, 0xF800, 0x07C0, 0x003F, 11, 6, 0x1F0000, 0xF800, 0x07C0, 0x07FF, 0xF83F, 0xFFC0},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(static_cast<int>(r.mode));
        v_SetPixelMode(r.mode);
        const ss_GfxState& g = g_oGfx;
        EXPECT_EQ(g.bPixelMode, r.mode);
        EXPECT_EQ(g.lRedMask, r.r);
        EXPECT_EQ(g.lGreenMask, r.g);
        EXPECT_EQ(g.lBlueMask, r.b);
        EXPECT_EQ(g.lRedMask2, r.r * 0x10001u);
        EXPECT_EQ(g.lGreenMask2, r.g * 0x10001u);
        EXPECT_EQ(g.lBlueMask2, r.b * 0x10001u);
        EXPECT_EQ(g.bRedShift, r.rs);
        EXPECT_EQ(g.bRedShiftPack, r.rs);
        EXPECT_EQ(g.bGreenShift, r.gs);
        EXPECT_EQ(g.bGreenShiftPack, r.gs);
        EXPECT_EQ(g.lRedCarry, r.rc);
        EXPECT_EQ(g.lGreenCarry, r.gc);
        EXPECT_EQ(g.lBlueCarry, r.bc);
        EXPECT_EQ(g.lBelowRedMask, r.below);
        EXPECT_EQ(g.lRedBlueMask, r.rb);
        EXPECT_EQ(g.lRedGreenMask, r.rg);
    }
    v_SetPixelMode(7);
    EXPECT_EQ(g_oGfx.bPixelMode, 7) << "the mode keeps the value given";
    EXPECT_EQ(g_oGfx.lRedMask, 0x7C00u);
    EXPECT_EQ(g_oGfx.lGreenCarry, 0x7C00u);
    EXPECT_EQ(g_oGfx.bRedShift, 10);
    EXPECT_EQ(g_oGfx.bGreenShift, 5);
}

TEST_F(TablesTest, SurfaceSlotsAndScreenRange) {
    uint16_t a[4], b[6];
    v_SetSurface(0, a, 2, 2);
    v_SetSurface(9, b, 3, 2);
    v_SetSurface(10, a, 7, 7); // no such slot
    v_SelectSurface(9);
    EXPECT_EQ(g_oGfx.oSurface.pPixels, b);
    EXPECT_EQ(g_oGfx.oSurface.lWidth, 3u);
    v_SelectSurface(12);
    EXPECT_EQ(g_oGfx.oSurface.pPixels, b) << "a bad slot keeps the current surface";
    v_SelectSurface(0);
    EXPECT_EQ(g_oGfx.oSurface.pPixels, a);
    EXPECT_EQ(g_oGfx.oSurface.lHeight, 2u);
    for (const ss_GfxSurface& s : g_oGfx.aSurface)
        EXPECT_NE(s.lWidth, 7u);
    auto* p = reinterpret_cast<uint8_t*>(a);
    v_SetScreenRange(p, p + 8, nullptr);
    EXPECT_EQ(g_oGfx.pScreenStart, p);
    EXPECT_EQ(g_oGfx.pScreenEnd, p + 8);
}

TEST_F(TablesTest, MultiplyTableScalesByRowPlusOneOver64) {
    std::vector<uint8_t> buf(53248, 0xAB);
    v_SetPixelMode(0);
    v_MakeBlendTables(buf.data(), buf.data() + 4096, nullptr);
    const uint8_t* t = buf.data();
    EXPECT_EQ(t[63 * 64 + 31], 31);
    EXPECT_EQ(t[0 * 64 + 31], 0);
    EXPECT_EQ(t[31 * 64 + 63], 31);
    EXPECT_EQ(t[62 * 64 + 63], 62);
    for (uint32_t b = 0; b <= 62; ++b)
        for (uint32_t s = 0; s < 64; s += 7)
            for (uint32_t d = 0; d < 64; d += 5)
                EXPECT_LE(t[b * 64 + s] + t[(63 - b) * 64 + d], std::max(s, d)) << "a blend never overshoots";
    EXPECT_EQ(p_MultiplyTable(), t);
    EXPECT_EQ(g_oGfx.apAdd[1], buf.data() + 4096 + 16384);
    EXPECT_EQ(g_oGfx.apQuotient[0], nullptr);
}

TEST_F(TablesTest, AddTablesSaturateAtEachChannelsTopLevel) {
    std::vector<uint8_t> buf(53248, 0xAB);
    v_SetPixelMode(0);
    v_MakeBlendTables(buf.data(), buf.data() + 4096, nullptr);
    const uint8_t* red = buf.data() + 4096;
    EXPECT_EQ(red[20 * 256 + 20], 31);
    EXPECT_EQ(red[3 * 256 + 4], 7);
    EXPECT_EQ(red[3 * 256 + 40], 0xAB) << "bytes past the channel's levels are not written";
    EXPECT_EQ(red[40 * 256 + 3], 0xAB);

    std::fill(buf.begin(), buf.end(), 0xAB);
    v_SetPixelMode(1);
    v_MakeBlendTables(buf.data(), buf.data() + 4096, nullptr);
    EXPECT_EQ(buf[4096 + 20 * 256 + 20], 40) << "red has 64 levels in mode 1";
    EXPECT_EQ(buf[4096 + 40 * 256 + 40], 63);
    EXPECT_EQ(buf[4096 + 16384 + 20 * 256 + 20], 31) << "green keeps 32";
    v_SetPixelMode(3);
    v_MakeBlendTables(buf.data(), buf.data() + 4096, nullptr);
    EXPECT_EQ(buf[4096 + 2 * 16384 + 30 * 256 + 30], 60) << "blue has 64 levels in mode 3";
}

TEST_F(TablesTest, QuotientTablesNarrowOnlyFiveBitChannels) {
    std::vector<uint8_t> mul(4096), add(3 * 16384), quo(3 * 4096, 0xCD);
    v_SetPixelMode(2); // red and blue 5 bits, green 6
    v_MakeBlendTables(mul.data(), add.data(), quo.data());
    auto full = [](uint32_t r, uint32_t c) {
        return r == 63 ? 63u : std::min(63u, c + (63 - c) / (63 - r));
    };
    const uint8_t* red = quo.data();
    const uint8_t* green = quo.data() + 4096;
    const uint8_t* blue = quo.data() + 8192;
    for (uint32_t r = 0; r < 64; ++r) {
        for (uint32_t c = 0; c < 64; ++c)
            ASSERT_EQ(green[r * 64 + c], full(r, c)) << r << "," << c;
        for (uint32_t c = 0; c < 32; ++c) {
            ASSERT_EQ(red[r * 64 + c], full(r, 2 * c) / 2) << r << "," << c;
            ASSERT_EQ(blue[r * 64 + c], red[r * 64 + c]);
        }
        for (uint32_t c = 32; c < 64; ++c)
            ASSERT_EQ(red[r * 64 + c], full(r, c)) << "the row's second half keeps the six-bit values";
    }
    EXPECT_EQ(green[0 * 64 + 0], 1);
    EXPECT_EQ(green[62 * 64 + 0], 63);
}

TEST_F(TablesTest, GreyTableAveragesTheTopFiveBits) {
    std::vector<uint16_t> grey(65536, 0xBEEF);
    v_SetPixelMode(0);
    v_MakeGreyTable(grey.data());
    EXPECT_EQ(grey[(31 << 10) | (0 << 5) | 2], (11 << 10) | (11 << 5) | 11);
    EXPECT_EQ(grey[0x7FFF], 0x7FFF);
    EXPECT_EQ(grey[0x8000], 0xBEEF) << "mode 0 fills 32,768 entries";
    EXPECT_EQ(g_oGfx.pGreyTable, grey.data());
    EXPECT_EQ(g_oGfx.lGreyEntries, 0x8000u);
    v_SetPixelMode(2);
    v_MakeGreyTable(grey.data());
    // red 31, green 63 (top five 31), blue 31: grey 31 in every channel, green's low bit clear.
    EXPECT_EQ(grey[0xFFFF], 0xFFDF);
    EXPECT_EQ(grey[(9 << 11) | (6 << 5) | 0], (4 << 11) | (8 << 5) | 4);
}

TEST_F(TablesTest, LevelTableAndShadowRows) {
    v_MakeLevelTable();
    EXPECT_EQ(g_oGfx.aLevelTable[63 * 64 + 63], 63);
    EXPECT_EQ(g_oGfx.aLevelTable[0 * 64 + 63], 0);
    EXPECT_EQ(g_oGfx.aLevelTable[32 * 64 + 62], 31);
    EXPECT_EQ(g_oGfx.aLevelTable[63 * 64 + 17], 17);

    v_SetShadowLevels(4);
    EXPECT_EQ(g_oGfx.bShadowThreshold, 252);
    EXPECT_EQ(g_oGfx.abShadowRow[0], 39);
    EXPECT_EQ(g_oGfx.abShadowRow[3], 63);
    v_SetShadowLevels(1);
    EXPECT_EQ(g_oGfx.bShadowThreshold, 255);
    EXPECT_EQ(g_oGfx.abShadowRow[0], 63);
    EXPECT_EQ(g_oGfx.abShadowRow[15], 63) << "rows past the table are held at its last";
    v_SetShadowLevels(0);
    v_SetShadowLevels(17);
    EXPECT_EQ(g_oGfx.bShadowThreshold, 255) << "n outside 1 to 16 is ignored";
}

} // namespace
