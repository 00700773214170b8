#include <gtest/gtest.h>

#include "engine/blit/window_blend.h"
#include "tests/engine/blit/blit_test_util.h"

using namespace blittest;

namespace {

constexpr uint16_t kBack = 0x0421;

TEST(WindowBlend, TheWindowWidensToWholeGroups) {
    Image src(21, 4, Grey(20)), dst(30, 8, kBack);
    // Columns 9..20 of a sprite at column 3 fall in groups 1 to 4: columns 7..22.
    v_Blt555AlphaBrightenWindow(3, 2, 21, 4, 30, 8, 3, 4, 9, 20, 16, 0, src.data(), dst.data());
    for (int32_t y = 0; y < 8; ++y) {
        if (y == 3 || y == 4)
            EXPECT_EQ(ChangedColumns(dst, y, kBack), Range(7, 22)) << y;
        else
            EXPECT_EQ(ChangedColumns(dst, y, kBack), std::vector<int32_t>{}) << y;
    }
    EXPECT_EQ(dst.at(7, 3), Grey((20 * 16 + 1 * 16) / 32));
}

TEST(WindowBlend, WindowsBesideTheSpanDrawNothing) {
    Image src(21, 4, Grey(20)), dst(30, 8, kBack);
    const Image before = dst;
    v_Blt555AlphaBrightenWindow(3, 2, 21, 4, 30, 8, 0, 7, 0, 1, 16, 0, src.data(), dst.data());
    v_Blt555AlphaDarkenWindow(3, 2, 21, 4, 30, 8, 0, 7, 30, 35, 16, 0, src.data(), dst.data());
    // Column 23 is the sprite's undrawn last column.
    v_Blt555AlphaDarkenWindow(3, 2, 21, 4, 30, 8, 0, 7, 23, 29, 16, 0, src.data(), dst.data());
    v_Blt555AlphaDarkenWindow(3, 2, 21, 4, 30, 8, 6, 7, 0, 29, 16, 0, src.data(), dst.data());
    EXPECT_EQ(dst.px, before.px);
    // A window reaching left of the sprite starts at its first group.
    v_Blt555AlphaDarkenWindow(3, 2, 21, 4, 30, 8, 2, 2, -40, 3, 16, 0, src.data(), dst.data());
    EXPECT_EQ(ChangedColumns(dst, 2, kBack), Range(3, 6));
}

TEST(WindowBlend, BrightenAndDarkenFactors) {
    Image src(4, 1, Grey(20)), dst(4, 1, Grey(10));
    // Alpha 0 is read as 31: K = 31 x 32, (20 x 992 div 32 + 10) div 32 = 19.
    v_Blt555AlphaBrightenWindow(0, 0, 4, 1, 4, 1, 0, 0, 0, 3, 0, 0, src.data(), dst.data());
    EXPECT_EQ(dst.at(0, 0), Grey(19));
    // Brighten 16 at alpha 16: (20 x 768 div 32 + 10 x 16) div 32 = 20.
    dst = Image(4, 1, Grey(10));
    v_Blt555AlphaBrightenWindow(0, 0, 4, 1, 4, 1, 0, 0, 0, 3, 16, 16, src.data(), dst.data());
    EXPECT_EQ(dst.at(0, 0), Grey(20));
    // Darken 16 at alpha 16: (20 x 256 div 32 + 160) div 32 = 10.
    dst = Image(4, 1, Grey(10));
    v_Blt555AlphaDarkenWindow(0, 0, 4, 1, 4, 1, 0, 0, 0, 3, 16, 16, src.data(), dst.data());
    EXPECT_EQ(dst.at(0, 0), Grey(10));
}

TEST(WindowBlend, FillBlendsAColourInWholeGroups) {
    Image dst(16, 3, 0);
    v_Fill555Alpha(2, 1, 10, 1, 16, 3, 16, Rgb(31, 0, 0), dst.data());
    EXPECT_EQ(ChangedColumns(dst, 1, 0), Range(2, 9)) << "10 wide: 8 columns";
    EXPECT_EQ(dst.at(2, 1), Rgb(15, 0, 0));
    const Image before = dst;
    v_Fill555Alpha(0, 0, 16, 3, 16, 3, 16, 0, dst.data());
    v_Fill555Alpha(0, 0, 16, 3, 16, 3, 0, Grey(31), dst.data());
    EXPECT_EQ(dst.px, before.px);
    v_Fill555Alpha(-3, 0, 16, 1, 16, 3, 32, Grey(7), dst.data());
    EXPECT_EQ(ChangedColumns(dst, 0, 0), Range(0, 11));
    EXPECT_EQ(dst.at(0, 0), Grey(7));
    // Alpha 0 keeps the channels but, like every computed pixel, drops bit 15;
    // the key colour touches nothing.
    Image marked(8, 1, 0x8000 | Grey(9));
    v_Fill555Alpha(0, 0, 8, 1, 8, 1, 16, 0, marked.data());
    EXPECT_EQ(marked.at(0, 0), 0x8000 | Grey(9));
    v_Fill555Alpha(0, 0, 8, 1, 8, 1, 0, Grey(31), marked.data());
    EXPECT_EQ(marked.at(0, 0), Grey(9));
    EXPECT_EQ(marked.at(7, 0), Grey(9));
}

TEST(WindowBlend, MaskOverlapLooksAtWholeGroupsOfEight) {
    std::vector<uint8_t> src(20 * 2, 0), dst(30 * 4, 0);
    auto srcAt = [&](int x, int y) -> uint8_t& { return src[y * 20 + x]; };
    auto dstAt = [&](int x, int y) -> uint8_t& { return dst[y * 30 + x]; };
    srcAt(15, 1) = 0x10;
    srcAt(17, 0) = 0xFF;
    dstAt(5 + 17, 1) = 0xFF;
    EXPECT_EQ(v_MaskOverlap8(5, 1, 20, 2, 30, 4, src.data(), dst.data()), 0) << "column 17 is not looked at";
    dstAt(5 + 15, 2) = 0x30;
    EXPECT_EQ(v_MaskOverlap8(5, 1, 20, 2, 30, 4, src.data(), dst.data()), 1);
    dstAt(5 + 15, 2) = 0x0F;
    EXPECT_EQ(v_MaskOverlap8(5, 1, 20, 2, 30, 4, src.data(), dst.data()), 0) << "no bit in common";
    std::vector<uint8_t> narrow(7, 0xFF), full(30 * 4, 0xFF);
    EXPECT_EQ(v_MaskOverlap8(0, 0, 7, 1, 30, 4, narrow.data(), full.data()), 0);
    EXPECT_EQ(v_MaskOverlap8(25, 0, 8, 1, 30, 4, full.data(), full.data()), 0) << "a clipped span of 5";
    EXPECT_EQ(v_MaskOverlap8(-3, 3, 11, 1, 30, 4, full.data(), full.data()), 1);
}

TEST(WindowBlend, ShrinkTakesTheTopLeftPixelOfEveryCell) {
    Image src(32, 16);
    for (int32_t y = 0; y < 16; ++y)
        for (int32_t x = 0; x < 32; ++x)
            src.at(x, y) = static_cast<uint16_t>(y * 100 + x);
    Image dst(4, 2, 0xFFFF);
    v_Shrink555By8(32, 16, src.data(), dst.data());
    EXPECT_EQ(dst.px, (std::vector<uint16_t>{0, 8, 16, 24, 800, 808, 816, 824}));
}

} // namespace
