#include <gtest/gtest.h>

#include "engine/blit/blit_mask.h"
#include "tests/engine/blit/blit_test_util.h"

using namespace blittest;

namespace {

constexpr uint16_t kBack = 0x0421;

// A destination with its mask, both dstW x dstH.
struct Masked {
    Image dst;
    std::vector<uint8_t> mask;
    Masked(int32_t w, int32_t h, uint16_t back, uint8_t weight)
        : dst(w, h, back), mask(size_t(w) * h, weight) {}
    uint8_t& m(int32_t x, int32_t y) { return mask[size_t(y) * dst.w + x]; }
};

// One source pixel at the left of a group over one destination pixel.
template <class Draw> uint16_t DrawOne(uint16_t s, uint16_t d, uint8_t weight, Draw draw) {
    Masked t(4, 1, d, weight);
    Image src(4, 1);
    src.at(0, 0) = s;
    draw(t.mask.data(), src.data(), t.dst.data());
    return t.dst.at(0, 0);
}

auto Blend() {
    return [](const uint8_t* m, const uint16_t* s, uint16_t* d) {
        v_Blt555MaskBlend(0, 0, 4, 1, 4, 1, m, s, d);
    };
}
auto Brighten(uint32_t l) {
    return [l](const uint8_t* m, const uint16_t* s, uint16_t* d) {
        v_Blt555MaskBrighten(0, 0, 4, 1, 4, 1, l, m, s, d);
    };
}
auto Darken(uint32_t l) {
    return [l](const uint8_t* m, const uint16_t* s, uint16_t* d) {
        v_Blt555MaskDarken(0, 0, 4, 1, 4, 1, l, m, s, d);
    };
}
auto Alpha(uint32_t cap) {
    return [cap](const uint8_t* m, const uint16_t* s, uint16_t* d) {
        v_Blt555MaskAlpha(0, 0, 4, 1, 4, 1, cap, m, s, d);
    };
}

TEST(BlitMask, WeightsBlendAndWeightZeroRewritesTheDestination) {
    EXPECT_EQ(DrawOne(Rgb(31, 0, 0), 0, 16, Blend()), Rgb(15, 0, 0));
    EXPECT_EQ(DrawOne(Grey(20), Grey(9), 32, Blend()), Grey(20));
    EXPECT_EQ(DrawOne(Grey(20), Grey(9), 200, Blend()), Grey(20)) << "weights past 32 count as 32";
    // Weight 0 computes the destination again, which drops bit 15.
    EXPECT_EQ(DrawOne(Grey(20), 0x8000 | Grey(9), 0, Blend()), Grey(9));
}

TEST(BlitMask, BrightenBlendsAnUncappedSourceAndCapsAfter) {
    for (uint8_t weight : {0, 7, 16, 31, 32}) {
        const uint16_t s = Rgb(3, 17, 30), d = Rgb(29, 11, 2);
        EXPECT_EQ(DrawOne(s, d, weight, Brighten(0)), DrawOne(s, d, weight, Blend())) << int(weight);
    }
    // b = 20 + 10 = 30; (30 x 31) div 32 = 29.
    EXPECT_EQ(DrawOne(Grey(20), 0, 31, Brighten(16)), Grey(29));
    // b = 28 + 14 = 42 goes into the blend as it is: (42 x 24 + 4 x 8) div 32 = 32, capped.
    EXPECT_EQ(DrawOne(Grey(28), Grey(4), 24, Brighten(16)), Grey(31));
}

TEST(BlitMask, DarkenRoundsBlueDownAndGreenRedUpUnlessCapped) {
    EXPECT_EQ(DrawOne(Grey(7), 0, 32, Darken(16)), Rgb(4, 3, 3));
    EXPECT_EQ(DrawOne(Grey(7), 0, 32,
                      [](const uint8_t* m, const uint16_t* s, uint16_t* d) {
                          v_Blt555MaskAlphaDarken(0, 0, 4, 1, 4, 1, 32, 16, m, s, d);
                      }),
              Grey(4));
    EXPECT_EQ(DrawOne(Grey(31), Grey(8), 16, Darken(64)), Grey(4));
}

TEST(BlitMask, CapLimitsEveryWeight) {
    const uint16_t s = Grey(31), d = 0;
    EXPECT_EQ(DrawOne(s, d, 20, Alpha(8)), Grey(31 * 8 / 32));
    EXPECT_EQ(DrawOne(s, d, 5, Alpha(8)), Grey(31 * 5 / 32));
    EXPECT_EQ(DrawOne(s, Grey(13), 31, Alpha(0)), Grey(13));
    EXPECT_EQ(DrawOne(s, d, 20, Alpha(0x108)), Grey(31 * 8 / 32)) << "the cap is a byte";
    // Brighten with a cap: b = 20 + 10 = 30, at min(31, 12) = 12.
    EXPECT_EQ(DrawOne(Grey(20), 0, 31,
                      [](const uint8_t* m, const uint16_t* sp, uint16_t* dp) {
                          v_Blt555MaskAlphaBrighten(0, 0, 4, 1, 4, 1, 12, 16, m, sp, dp);
                      }),
              Grey(30 * 12 / 32));
}

TEST(BlitMask, RowsHaveNoTailAndNarrowSpritesDrawNothing) {
    Masked t(16, 3, kBack, 32);
    Image src(10, 2, Grey(5));
    v_Blt555MaskBlend(1, 0, 10, 2, 16, 3, t.mask.data(), src.data(), t.dst.data());
    EXPECT_EQ(ChangedColumns(t.dst, 0, kBack), Range(1, 8));
    EXPECT_EQ(ChangedColumns(t.dst, 1, kBack), Range(1, 8));
    Image narrow(3, 1, Grey(5));
    v_Blt555MaskBlend(0, 2, 3, 1, 16, 3, t.mask.data(), narrow.data(), t.dst.data());
    EXPECT_EQ(ChangedColumns(t.dst, 2, kBack), std::vector<int32_t>{});
    // A group of four transparent pixels is not written, whatever the weight.
    Image holes(8, 1, Grey(5));
    for (int x = 4; x < 8; ++x)
        holes.at(x, 0) = 0;
    t.dst.at(13, 2) = 0x8000 | kBack;
    v_Blt555MaskBlend(8, 2, 8, 1, 16, 3, t.mask.data(), holes.data(), t.dst.data());
    EXPECT_EQ(ChangedColumns(t.dst, 2, kBack), (std::vector<int32_t>{8, 9, 10, 11, 13}));
    EXPECT_EQ(t.dst.at(13, 2), 0x8000 | kBack);
}

TEST(BlitMask, TheMaskIsFixedToTheDestination) {
    Masked t(40, 30, 0, 0);
    t.m(10, 5) = 16;
    t.m(11, 6) = 32;
    Image src(4, 2, Rgb(31, 0, 0));
    v_Blt555MaskAlphaBrighten(10, 5, 4, 2, 40, 30, 32, 0, t.mask.data(), src.data(), t.dst.data());
    EXPECT_EQ(t.dst.at(10, 5), Rgb(15, 0, 0));
    EXPECT_EQ(t.dst.at(11, 6), Rgb(31, 0, 0)) << "the next row's weights lie dstW bytes on";
    EXPECT_EQ(t.dst.at(11, 5), 0);
    // Moved by one pixel, the sprite meets other weights.
    Masked u(40, 30, 0, 0);
    u.m(10, 5) = 16;
    v_Blt555MaskBlend(9, 5, 4, 2, 40, 30, u.mask.data(), src.data(), u.dst.data());
    EXPECT_EQ(u.dst.at(10, 5), Rgb(15, 0, 0));
    EXPECT_EQ(u.dst.at(9, 5), 0);
    // Clipped at the top left, the first drawn pixel still uses its own weight.
    Masked v(40, 30, 0, 0);
    v.m(0, 0) = 32;
    Image big(8, 8, Rgb(0, 31, 0));
    v_Blt555MaskBrighten(-2, -3, 8, 8, 40, 30, 0, v.mask.data(), big.data(), v.dst.data());
    EXPECT_EQ(v.dst.at(0, 0), Rgb(0, 31, 0));
    EXPECT_EQ(v.dst.at(1, 0), 0);
}

TEST(BlitMask, NoMaskDrawsNothing) {
    Image src(8, 2, Grey(5)), dst(8, 2, kBack);
    v_Blt555MaskBlend(0, 0, 8, 2, 8, 2, nullptr, src.data(), dst.data());
    v_Blt555MaskAlphaDarken(0, 0, 8, 2, 8, 2, 16, 4, nullptr, src.data(), dst.data());
    EXPECT_EQ(ChangedColumns(dst, 0, kBack), std::vector<int32_t>{});
}

} // namespace
