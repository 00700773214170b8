#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/tile2d/tile_fixture.h"
#include "tile2d/byte_utils.h"
#include "tile2d/colour_fill.h"

namespace {

using namespace t2dtest;

// A pitched buffer with guard pixels around it.
class FillTest : public TileTest {
protected:
    static constexpr uint32_t kH = 12, kPitch = 24;
    void SetUp() override {
        TileTest::SetUp();
        m_px.assign(kPitch * kH, 0x1111);
    }
    uint16_t& P(uint32_t x, uint32_t y) { return m_px[y * kPitch + x]; }
    uint32_t Size() const { return static_cast<uint32_t>(m_px.size()); }
    std::vector<uint16_t> m_px;
};

uint32_t Chan(uint16_t p, uint32_t shift) {
    return p >> shift & 31;
}

TEST_F(FillTest, ColoursFollowThePixelMode) {
    EXPECT_EQ(l_PixelFromRGB(0xFFFFFF), 0x7FFF7FFFu);
    EXPECT_EQ(l_PixelFromRGB(0x000000), 0u);
    // 0x84 = 132: 33 on the 0-63 scale, 16 in five bits.
    EXPECT_EQ(l_PixelFromRGB(0x840000), 0x40004000u);
    for (uint8_t mode : {1, 2, 3}) {
        v_SetPixelMode(mode);
        EXPECT_EQ(l_PixelFromRGB(0xFFFFFF), 0xFFFFFFFFu) << int(mode);
    }
    v_SetPixelMode(1);
    EXPECT_EQ(l_ModeColour(0x840000) & 0xFFFF, 33u << 10) << "six-bit red keeps its low bit";
    v_SetPixelMode(3);
    EXPECT_EQ(l_ModeColour(0x000084) & 0xFFFF, 33u);
    EXPECT_EQ(l_ModeColour(0x008400) & 0xFFFF, 16u << 6);
}

TEST_F(FillTest, ColourEscapeAndPaletteTriplets) {
    char buf[9] = "xxxxxxxx";
    EXPECT_EQ(l_MakeColourEscape(0xFFFFFF, buf, 8), 8u);
    EXPECT_EQ(std::string(buf, 8), "/3F3F3F_");
    l_MakeColourEscape(0x000000, buf, 8);
    EXPECT_EQ(std::string(buf, 8), "/000000_");
    l_MakeColourEscape(0x28A0FC, buf, 8); // 10, 40, 63
    EXPECT_EQ(std::string(buf, 8), "/0A283F_");
    EXPECT_EQ(l_MakeColourEscape(0xFFFFFF, buf, 7), 0u);
    EXPECT_EQ(buf[8], '\0');

    Bytes pal;
    for (uint32_t i = 0; i < 256; ++i)
        Put16(pal, i == 1 ? (31u << 10 | 1u << 5 | 16u) : i);
    Bytes rgb(768, 0xEE);
    EXPECT_EQ(l_PaletteToRGB(pal.data(), 512, rgb.data(), 768), 256u);
    EXPECT_EQ(rgb[3], 248);
    EXPECT_EQ(rgb[4], 8);
    EXPECT_EQ(rgb[5], 128);
    // A short destination gets whole triplets only.
    Bytes small(7, 0xEE);
    EXPECT_EQ(l_PaletteToRGB(pal.data(), 512, small.data(), 7), 2u);
    EXPECT_EQ(small[6], 0xEE);
}

TEST_F(FillTest, FillsStayInsideTheirRectangleAndBuffer) {
    v_FillBox(2, 3, 4, 2, 0xFF0000, m_px.data(), Size(), kPitch);
    EXPECT_EQ(P(2, 3), 0x7C00);
    EXPECT_EQ(P(5, 4), 0x7C00);
    EXPECT_EQ(P(6, 3), 0x1111);
    EXPECT_EQ(P(2, 5), 0x1111);
    EXPECT_EQ(P(1, 3), 0x1111);

    // Rows that would leave the buffer are cut, not written past it.
    std::vector<uint16_t> guarded(kPitch * kH + 8, 0xDEAD);
    v_FillBox(20, 10, 10, 5, 0xFFFFFF, guarded.data(), kPitch * kH, kPitch);
    EXPECT_EQ(guarded[kPitch * kH - 1], 0x7FFF);
    EXPECT_EQ(guarded[kPitch * kH], 0xDEAD);
    v_FillBox(-3, 0, 5, 1, 0xFFFFFF, guarded.data(), kPitch * kH, kPitch);
    EXPECT_EQ(guarded[0], 0x7FFF);
    EXPECT_EQ(guarded[1], 0x7FFF);
    EXPECT_EQ(guarded[2], 0xDEAD);
    v_FillBox(0, 0, 0, 5, 0xFFFFFF, m_px.data(), Size(), kPitch);
    v_FillBox(0, 0, 5, -1, 0xFFFFFF, m_px.data(), Size(), kPitch);
    EXPECT_EQ(P(0, 0), 0x1111);
}

TEST_F(FillTest, PlacesNearTheIntegerLimitsDoNotWrapIntoTheBuffer) {
    // With a pitch of 2^31, column 2^31 of row 1 would wrap onto pixel 0 if
    // x + column were added in 32 bits.
    constexpr uint32_t kHalf = 0x80000000u;
    v_FillGradientH(INT32_MAX, 1, 3, 1, 0xFFFFFF, 0xFFFFFF, m_px.data(), Size(), kHalf);
    v_BlendFrame(INT32_MAX - 1, 1, 4, 1, 1, 0xFFFFFF, m_px.data(), Size(), kHalf, 63);
    v_FillGradientV(0, INT32_MAX, 2, 4, 0xFFFFFF, 0xFFFFFF, m_px.data(), Size(), kPitch);
    v_FillBox(INT32_MIN, INT32_MAX, 4, 3, 0xFFFFFF, m_px.data(), Size(), UINT32_MAX);
    v_DarkenRect(INT32_MAX, INT32_MAX, 4, 3, m_px.data(), Size(), UINT32_MAX, 5);
    for (uint16_t p : m_px)
        ASSERT_EQ(p, 0x1111);
}

TEST_F(FillTest, DarkenGoesThroughTheMultiplyTable) {
    P(0, 0) = 31 << 10 | 16 << 5 | 1;
    v_DarkenRect(0, 0, 1, 1, m_px.data(), Size(), kPitch, 32); // row 31: halves
    EXPECT_EQ(P(0, 0), 15 << 10 | 8 << 5 | 0);
    P(1, 0) = 0x7FFF;
    v_DarkenRect(1, 0, 1, 1, m_px.data(), Size(), kPitch, 0);
    EXPECT_EQ(P(1, 0), 0x7FFF) << "level 0 keeps the pixel (row 63)";
    v_DarkenRect(1, 0, 1, 1, m_px.data(), Size(), kPitch, 200);
    EXPECT_EQ(P(1, 0), 0) << "levels above 63 act as 63 (row 0)";
}

TEST_F(FillTest, BlendFrameLeavesTheInterior) {
    std::vector<uint16_t> big(16 * 24, 0x1111);
    v_BlendFrame(0, 0, 15, 24, 10, 0xFFFFFF, big.data(), static_cast<uint32_t>(big.size()), 16, 63 + 64);
    // Border 10 on 15 columns: 7 each side and the middle column left.
    for (uint32_t x = 0; x < 15; ++x)
        EXPECT_EQ(big[12 * 16 + x] == 0x1111, x == 7) << x;
    EXPECT_EQ(big[9 * 16 + 7], 0x7FFF) << "alpha 127 & 63: the colour itself";
    EXPECT_EQ(big[14 * 16 + 7], 0x7FFF);
    EXPECT_EQ(big[13 * 16 + 7], 0x1111);
    EXPECT_EQ(big[12 * 16 + 15], 0x1111);
    // Border 10 on 10 rows: 5 top and 5 bottom rows cover everything.
    v_BlendFrame(0, 0, 15, 10, 10, 0xFFFFFF, m_px.data(), Size(), kPitch, 63);
    EXPECT_EQ(P(7, 4), 0x7FFF);
    EXPECT_EQ(P(7, 5), 0x7FFF);
    EXPECT_EQ(P(15, 0), 0x1111);

    m_px.assign(kPitch * kH, 0x1111);
    v_BlendFrame(1, 1, 6, 6, 2, 0xFF0000, m_px.data(), Size(), kPitch, 31);
    const uint16_t blended = Blend555(31, 0x7C00, 0x1111);
    EXPECT_EQ(P(1, 1), blended);
    EXPECT_EQ(P(6, 2), blended);
    EXPECT_EQ(P(3, 3), 0x1111);
    EXPECT_EQ(P(4, 4), 0x1111);
    EXPECT_EQ(P(2, 4), blended);
    EXPECT_EQ(P(5, 4), blended);
    EXPECT_EQ(P(3, 5), blended);
    EXPECT_EQ(P(7, 3), 0x1111);
}

TEST_F(FillTest, VerticalGradientStepsPerRow) {
    std::vector<uint16_t> tall(4 * 64, 0x1111);
    v_FillGradientV(0, 0, 4, 64, 0x000000, 0xFFFFFF, tall.data(), static_cast<uint32_t>(tall.size()), 4);
    EXPECT_EQ(tall[0], 0);
    // Step 255 * 1024 / 64 = 4080; row 63 holds 257,040 >> 12 = 62, 31 in five bits.
    EXPECT_EQ(tall[63 * 4 + 3], 0x7FFF);
    // Row 32: 130,560 >> 12 = 31, 15 in five bits.
    EXPECT_EQ(tall[32 * 4], 15 << 10 | 15 << 5 | 15);
    for (uint32_t r = 1; r < 64; ++r)
        EXPECT_GE(Chan(tall[r * 4], 10), Chan(tall[(r - 1) * 4], 10));

    v_FillGradientV(0, 0, 3, 1, 0xFF8000, 0x000000, m_px.data(), Size(), kPitch);
    EXPECT_EQ(P(0, 0), 31 << 10 | 16 << 5);
    EXPECT_EQ(P(3, 0), 0x1111);
    v_FillGradientV(0, 1, 3, 0, 0xFF8000, 0x000000, m_px.data(), Size(), kPitch); // no rows: no division
    EXPECT_EQ(P(0, 1), 0x1111);

    // Downwards: red from 255 to 0 over 4 rows, step 65,280.
    v_FillGradientV(0, 2, 1, 4, 0xFF0000, 0x000000, m_px.data(), Size(), kPitch);
    EXPECT_EQ(P(0, 2), 31 << 10);
    EXPECT_EQ(P(0, 3), 23 << 10); // 195,840 >> 12 = 47
    EXPECT_EQ(P(0, 5), 7 << 10);  // 65,280 >> 12 = 15
}

TEST_F(FillTest, HorizontalAndAddingGradients) {
    v_FillGradientH(0, 0, 4, 2, 0x0000FF, 0x000000, m_px.data(), Size(), kPitch);
    EXPECT_EQ(P(0, 0), 31);
    EXPECT_EQ(P(0, 1), 31);
    EXPECT_EQ(P(3, 1), 7);
    EXPECT_EQ(P(4, 0), 0x1111);
    v_FillGradientH(0, 2, 0, 2, 0x0000FF, 0x000000, m_px.data(), Size(), kPitch);
    EXPECT_EQ(P(0, 2), 0x1111);

    P(0, 3) = 30 << 10 | 2 << 5 | 0;
    v_AddGradientV(0, 3, 1, 1, 0x100810, 0, m_px.data(), Size(), kPitch); // 4 >> 1 = 2, 2 >> 1 = 1, 2
    EXPECT_EQ(P(0, 3), 31 << 10 | 3 << 5 | 2) << "red saturates, the others add";
    P(5, 3) = 0x7FFF;
    v_AddGradientH(5, 3, 1, 1, 0xFFFFFF, 0xFFFFFF, m_px.data(), Size(), kPitch);
    EXPECT_EQ(P(5, 3), 0x7FFF);
}

TEST(ByteUtils, CounterStrings) {
    auto inc = [](std::string s) {
        l_IncrementCounterString(s.data(), static_cast<uint32_t>(s.size()), static_cast<int32_t>(s.size()) - 1);
        return s;
    };
    EXPECT_EQ(inc("A9"), "B0");
    EXPECT_EQ(inc("Zz"), "Aa");
    EXPECT_EQ(inc("1-9"), "1-0");
    EXPECT_EQ(inc("a-"), "a-");
    EXPECT_EQ(inc("0099"), "0100");
    std::string s = "99";
    EXPECT_EQ(l_IncrementCounterString(s.data(), 2, 1), 1u);
    EXPECT_EQ(l_IncrementCounterString(s.data(), 2, 2), 0u);
    EXPECT_EQ(s, "00");
}

TEST(ByteUtils, TransformsAndTables) {
    uint8_t b[4] = {0x81, 0x0F, 7, 9};
    EXPECT_EQ(l_RotateBytesLeft(b, 2, 9), 2u);
    EXPECT_EQ(b[0], 0x03);
    EXPECT_EQ(b[1], 0x1E);
    l_RotateBytesRight(b, 2, 3);
    EXPECT_EQ(b[0], 0x60);
    EXPECT_EQ(b[1], 0xC3);
    l_RotateBytesLeft(b, 1, 8);
    EXPECT_EQ(b[0], 0x60);
    l_InvertBytes(b, 1);
    EXPECT_EQ(b[0], 0x9F);
    l_SwapByteValues(b, 4, 7, 9);
    EXPECT_EQ(b[2], 9);
    EXPECT_EQ(b[3], 7);
    l_ReplaceByteValue(b, 4, 7, 1);
    EXPECT_EQ(b[3], 1);
    l_ReplaceOtherByteValues(b, 4, 9, 0);
    EXPECT_EQ((std::vector<uint8_t>(b, b + 4)), (std::vector<uint8_t>{0, 0, 9, 0}));

    const int32_t t[3] = {5, -7, INT32_MAX};
    EXPECT_EQ(l_GetTableEntryPlus(1, t, 3, 10), 3);
    EXPECT_EQ(l_GetTableEntryPlus(2, t, 3, 1), INT32_MIN);
    EXPECT_EQ(l_GetTableEntryPlus(3, t, 3, 10), 10);
    EXPECT_EQ(l_GetTableEntryPlus(-1, t, 3, 10), 10);

    std::vector<uint8_t> lookup(65536);
    v_SetLookupTable(lookup.data(), 65535);
    EXPECT_EQ(p_LookupTable(), nullptr);
    v_SetLookupTable(lookup.data(), 65536);
    EXPECT_EQ(p_LookupTable(), lookup.data());
    v_SetLookupTable(nullptr, 0);
}

} // namespace
