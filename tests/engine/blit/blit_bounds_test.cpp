#include <gtest/gtest.h>

#include "engine/blit/blit_bounds.h"
#include "tests/engine/blit/blit_test_util.h"

using namespace blittest;

namespace {

// One pixel drawn over one destination pixel, at the left of a group of
// four (the other three source pixels transparent).
template <class Draw> uint16_t DrawOne(uint16_t s, uint16_t d, Draw draw) {
    Image src(4, 1), dst(4, 1, d);
    src.at(0, 0) = s;
    draw(src.data(), dst.data());
    return dst.at(0, 0);
}

TEST(BlitBounds, UniformAlphaArithmetic) {
    auto alpha = [](uint32_t a) {
        return [a](const uint16_t* s, uint16_t* d) { v_Blt555Alpha(0, 0, 4, 1, 4, 1, a, s, d); };
    };
    EXPECT_EQ(DrawOne(Rgb(31, 0, 0), 0, alpha(16)), Rgb(15, 0, 0));
    EXPECT_EQ(DrawOne(Rgb(31, 20, 9), Rgb(3, 4, 5), alpha(32)), Rgb(31, 20, 9));
    EXPECT_EQ(DrawOne(Rgb(31, 20, 9), Rgb(3, 4, 5), alpha(0)), Rgb(3, 4, 5));
    // (20 x 8 + 4 x 24) div 32 = 8 and so on per channel.
    EXPECT_EQ(DrawOne(Rgb(20, 31, 1), Rgb(4, 0, 30), alpha(8)), Rgb(8, 7, 22));
    // Only the low byte counts, and alphas above 32 give the source alone.
    EXPECT_EQ(DrawOne(Rgb(31, 0, 0), 0, alpha(0x310)), Rgb(15, 0, 0));
    EXPECT_EQ(DrawOne(Rgb(31, 20, 9), Rgb(3, 4, 5), alpha(200)), Rgb(31, 20, 9));
}

TEST(BlitBounds, BrightenAndDarkenRoundDifferently) {
    auto brighten = [](uint32_t l) {
        return [l](const uint16_t* s, uint16_t* d) { v_Blt555Brighten(0, 0, 4, 1, 4, 1, l, s, d); };
    };
    auto darken = [](uint32_t l) {
        return [l](const uint16_t* s, uint16_t* d) { v_Blt555Darken(0, 0, 4, 1, 4, 1, l, s, d); };
    };
    EXPECT_EQ(DrawOne(Grey(7), 0, brighten(16)), Grey(10));
    EXPECT_EQ(DrawOne(Grey(25), 0, brighten(16)), Grey(31));
    EXPECT_EQ(DrawOne(Grey(7), 0, brighten(0)), Grey(7));
    // Blue 7 loses 3 (112 div 32), green and red lose 4 ((224 - 112) div 32).
    EXPECT_EQ(DrawOne(Grey(7), 0, darken(16)), Rgb(4, 3, 3));
    EXPECT_EQ(DrawOne(Grey(8), 0, darken(16)), Grey(4));
    EXPECT_EQ(DrawOne(Grey(31), 0, darken(32)), 0);
    EXPECT_EQ(DrawOne(Grey(31), 0, darken(255)), 0);
    EXPECT_EQ(DrawOne(Grey(31), 0, brighten(255)), Grey(31));
}

TEST(BlitBounds, AlphaBrightenAndDarken) {
    const uint16_t s = Rgb(20, 31, 0), d = Rgb(10, 31, 31);
    // K = 16 x 48 = 768: blue (20 x 768 div 32 + 10 x 16) div 32 = 20; green
    // (744 + 496) div 32 = 38, capped at 31; red 496 div 32 = 15.
    EXPECT_EQ(
        DrawOne(s, d, [](auto* sp, auto* dp) { v_Blt555AlphaBrighten(0, 0, 4, 1, 4, 1, 16, 16, sp, dp); }),
        Rgb(20, 31, 15));
    // K = 16 x 32 - 16 x 16 = 256: blue (160 + 160) div 32 = 10.
    EXPECT_EQ(
        DrawOne(s, d, [](auto* sp, auto* dp) { v_Blt555AlphaDarken(0, 0, 4, 1, 4, 1, 16, 16, sp, dp); }),
        Rgb(10, 23, 15));
    // A level past 32 floors K at 0: only the destination's half is left.
    EXPECT_EQ(
        DrawOne(s, d, [](auto* sp, auto* dp) { v_Blt555AlphaDarken(0, 0, 4, 1, 4, 1, 16, 40, sp, dp); }),
        Rgb(5, 15, 15));
}

TEST(BlitBounds, TintCapsAfterTheSubtraction) {
    auto tint = [](uint16_t add, uint16_t sub) {
        return [=](const uint16_t* s, uint16_t* d) { v_Blt555Tint(0, 0, 4, 1, 4, 1, add, sub, s, d); };
    };
    EXPECT_EQ(DrawOne(Grey(30), 0, tint(Grey(10), Grey(10))), Grey(30));
    EXPECT_EQ(DrawOne(Grey(5), 0, tint(0, Grey(10))), 0);
    EXPECT_EQ(DrawOne(Rgb(5, 20, 30), 0, tint(Rgb(1, 20, 0), Rgb(0, 0, 31))), Rgb(6, 31, 0));
    // The tinted blend: a = 16, level 0: (20 x 512 div 32 + 10 x 16) div 32 = 15, then + 3 - 1.
    EXPECT_EQ(DrawOne(Grey(20), Grey(10),
                      [](auto* sp, auto* dp) {
                          v_Blt555TintAlphaBrighten(0, 0, 4, 1, 4, 1, Grey(3), Grey(1), 16, 0, sp, dp);
                      }),
              Grey(17));
}

TEST(BlitBounds, ColourMapsTintEachPixelByItsOwnEntries) {
    Image src(4, 1, Grey(10)), dst(4, 1, Grey(1));
    const std::vector<uint16_t> add = {Grey(5), 0, Rgb(31, 0, 0), 0};
    const std::vector<uint16_t> sub = {0, Grey(4), 0, Grey(20)};
    v_Blt555ColourMaps(0, 0, 4, 1, 4, 1, add.data(), sub.data(), src.data(), dst.data());
    EXPECT_EQ(dst.px, (std::vector<uint16_t>{Grey(15), Grey(6), Rgb(31, 10, 10), 0}));
    // A missing map changes nothing in its direction.
    dst = Image(4, 1, Grey(1));
    v_Blt555ColourMaps(0, 0, 4, 1, 4, 1, nullptr, sub.data(), src.data(), dst.data());
    EXPECT_EQ(dst.px, (std::vector<uint16_t>{Grey(10), Grey(6), Grey(10), 0}));
}

TEST(BlitBounds, AlphaMapOpaqueGroupIsRawButTailPixelsBlend) {
    // Five columns: one group of four, one tail pixel; all alpha 31.
    Image src(5, 1, Grey(20)), dst(5, 1, Grey(4));
    src.at(1, 0) = 0;
    src.at(2, 0) = 0x8000 | Grey(20);
    src.at(4, 0) = 0;
    const std::vector<uint8_t> am(5, 31);
    v_Blt555AlphaMap(0, 0, 5, 1, 5, 1, am.data(), src.data(), dst.data());
    EXPECT_EQ(dst.at(0, 0), Grey(20));
    EXPECT_EQ(dst.at(1, 0), 0) << "the raw group stores the key word";
    EXPECT_EQ(dst.at(2, 0), 0x8000 | Grey(20)) << "raw words keep bit 15";
    EXPECT_EQ(dst.at(4, 0), Grey(4)) << "a transparent tail pixel keeps the destination";
    src.at(4, 0) = Grey(20);
    v_Blt555AlphaMap(0, 0, 5, 1, 5, 1, am.data(), src.data(), dst.data());
    EXPECT_EQ(dst.at(4, 0), Grey((31 * 20 + 4) / 32)) << "an opaque tail pixel blends at 31";
}

TEST(BlitBounds, AlphaMapGroupsOfZeroAlphaAreNotTouched) {
    const uint16_t marked = 0x8000 | Grey(9);
    Image src(8, 1, Grey(20)), dst(8, 1, marked);
    const std::vector<uint8_t> am = {0, 0, 0, 0, 0, 16, 32, 40};
    v_Blt555AlphaMap(0, 0, 8, 1, 8, 1, am.data(), src.data(), dst.data());
    for (int x = 0; x < 4; ++x)
        EXPECT_EQ(dst.at(x, 0), marked) << x;
    // In a group that is drawn, alpha 0 rebuilds the destination without bit 15.
    EXPECT_EQ(dst.at(4, 0), Grey(9));
    EXPECT_EQ(dst.at(5, 0), Grey((20 * 16 + 9 * 16) / 32));
    EXPECT_EQ(dst.at(6, 0), Grey(20));
    EXPECT_EQ(dst.at(7, 0), Grey(20)) << "alpha bytes past 32 count as 32";
}

TEST(BlitBounds, AlphaMapFadeCapsAtTheLevel) {
    Image src(8, 1, Grey(31)), dst(8, 1, 0);
    src.at(5, 0) = 0;
    const std::vector<uint8_t> am = {20, 4, 31, 0, 31, 31, 31, 31};
    v_Blt555AlphaMapFade(0, 0, 8, 1, 8, 1, 10, am.data(), src.data(), dst.data());
    EXPECT_EQ(dst.at(0, 0), Grey(31 * 10 / 32));
    EXPECT_EQ(dst.at(1, 0), Grey(31 * 4 / 32));
    EXPECT_EQ(dst.at(2, 0), Grey(31 * 10 / 32));
    EXPECT_EQ(dst.at(3, 0), 0);
    // The all-31 group blends at the level itself, keyed.
    EXPECT_EQ(dst.at(4, 0), Grey(31 * 10 / 32));
    EXPECT_EQ(dst.at(5, 0), 0);
    // At level 32 an all-31 group gives the source, a lone 31 still blends at 31.
    Image dst2(8, 1, 0);
    v_Blt555AlphaMapFade(0, 0, 8, 1, 8, 1, 32, am.data(), src.data(), dst2.data());
    EXPECT_EQ(dst2.at(2, 0), Grey(31 * 31 / 32));
    EXPECT_EQ(dst2.at(4, 0), Grey(31));
}

TEST(BlitBounds, AlphaMapDarkenAndLightenShiftTheSourceFirst) {
    Image src(4, 1, Grey(20)), dst(4, 1, Grey(8));
    const std::vector<uint8_t> am = {16, 31, 0, 32};
    v_Blt555AlphaMapDarken(0, 0, 4, 1, 4, 1, 25, am.data(), src.data(), dst.data());
    EXPECT_EQ(dst.px, (std::vector<uint16_t>{Grey(4), Grey(8 / 32), Grey(8), 0}));
    dst = Image(4, 1, Grey(8));
    v_Blt555AlphaMapLighten(0, 0, 4, 1, 4, 1, 5, am.data(), src.data(), dst.data());
    EXPECT_EQ(dst.px, (std::vector<uint16_t>{Grey((25 * 16 + 8 * 16) / 32), Grey((25 * 31 + 8) / 32), Grey(8),
                                             Grey(25)}));
}

TEST(BlitBounds, KeyCopiesWordsAndComputedPixelsDropBit15) {
    const uint16_t s = 0x8000 | Rgb(1, 2, 3);
    EXPECT_EQ(DrawOne(s, Grey(5), [](auto* sp, auto* dp) { v_Blt555Key(0, 0, 4, 1, 4, 1, sp, dp); }), s);
    EXPECT_EQ(DrawOne(s, Grey(5), [](auto* sp, auto* dp) { v_Blt555Brighten(0, 0, 4, 1, 4, 1, 0, sp, dp); }),
              Rgb(1, 2, 3));
    // 0x8000 is not the key: it draws black.
    EXPECT_EQ(
        DrawOne(0x8000, Grey(5), [](auto* sp, auto* dp) { v_Blt555Alpha(0, 0, 4, 1, 4, 1, 32, sp, dp); }), 0);
    // A transparent pixel keeps the destination word, bit 15 included.
    Image src(4, 1, Grey(3)), dst(4, 1, 0x8000 | Grey(5));
    src.at(2, 0) = 0;
    v_Blt555Alpha(0, 0, 4, 1, 4, 1, 16, src.data(), dst.data());
    EXPECT_EQ(dst.at(2, 0), 0x8000 | Grey(5));
    EXPECT_EQ(dst.at(1, 0), Grey(4));
}

// Region geometry, shown with the colour key on a destination of 12 x 6.
class BlitRegionTest : public ::testing::Test {
protected:
    static constexpr uint16_t kBack = 0x1234;
    Image dst{12, 6, kBack};
    Image Sprite(int32_t w, int32_t h) {
        Image s(w, h);
        for (int32_t y = 0; y < h; ++y)
            for (int32_t x = 0; x < w; ++x)
                s.at(x, y) = Rgb(x + 1, y + 1, 1);
        return s;
    }
    void Key(const Image& s, int32_t x, int32_t y) {
        v_Blt555Key(x, y, s.w, s.h, dst.w, dst.h, s.data(), dst.data());
    }
    bool Untouched() const {
        for (auto p : dst.px)
            if (p != kBack) return false;
        return true;
    }
};

TEST_F(BlitRegionTest, GroupsThenTailFromTheFirstVisibleColumn) {
    const Image s = Sprite(10, 2);
    Key(s, 1, 1);
    EXPECT_EQ(ChangedColumns(dst, 1, kBack), Range(1, 10)) << "8 in groups and a tail of 2";
    EXPECT_EQ(ChangedColumns(dst, 0, kBack), std::vector<int32_t>{});
    EXPECT_EQ(dst.at(10, 2), s.at(9, 1));
}

TEST_F(BlitRegionTest, PartlyOutsideIsCutAtEveryEdge) {
    const Image s = Sprite(8, 4);
    Key(s, -3, -2);
    EXPECT_EQ(dst.at(0, 0), s.at(3, 2));
    EXPECT_EQ(dst.at(4, 1), s.at(7, 3));
    EXPECT_EQ(ChangedColumns(dst, 0, kBack), Range(0, 4)) << "a span of 5: a group and a tail of one";
    EXPECT_EQ(ChangedColumns(dst, 2, kBack), std::vector<int32_t>{});
    Key(s, 6, 4);
    EXPECT_EQ(dst.at(11, 5), s.at(5, 1));
    EXPECT_EQ(ChangedColumns(dst, 4, kBack), Range(6, 11));
}

TEST_F(BlitRegionTest, SpansUnderFourDrawNothing) {
    const Image s = Sprite(8, 2);
    for (int32_t x : {9, 10, 11, -5, -6, -7}) {
        Key(s, x, 0);
        EXPECT_TRUE(Untouched()) << x;
    }
    Key(Sprite(3, 3), 0, 0);
    EXPECT_TRUE(Untouched());
    Key(s, 8, 0);
    EXPECT_EQ(ChangedColumns(dst, 0, kBack), Range(8, 11));
}

TEST_F(BlitRegionTest, OutsideOrEmptyDrawsNothing) {
    const Image s = Sprite(8, 2);
    Key(s, 0, 6);
    Key(s, 12, 0);
    Key(s, -8, 0);
    Key(s, 0, -2);
    v_Blt555Key(0, 0, 8, 0, dst.w, dst.h, s.data(), dst.data());
    v_Blt555Key(0, 0, -8, 2, dst.w, dst.h, s.data(), dst.data());
    v_Blt555Key(0, 0, 8, 2, dst.w, dst.h, nullptr, dst.data());
    v_Blt555Key(INT32_MAX - 2, INT32_MAX - 1, 8, 2, dst.w, dst.h, s.data(), dst.data());
    v_Blt555Key(INT32_MIN, INT32_MIN, 8, 2, dst.w, dst.h, s.data(), dst.data());
    EXPECT_TRUE(Untouched());
    v_Blt555AlphaMap(0, 0, 8, 2, dst.w, dst.h, nullptr, s.data(), dst.data());
    EXPECT_TRUE(Untouched()) << "no alpha map, nothing drawn";
}

TEST_F(BlitRegionTest, OpaqueClippedCopiesTheKeyToo) {
    Image s = Sprite(6, 1);
    s.at(1, 0) = 0;
    s.at(5, 0) = 0;
    v_Blt555OpaqueClipped(2, 3, 6, 1, dst.w, dst.h, s.data(), dst.data());
    for (int32_t x = 0; x < 6; ++x)
        EXPECT_EQ(dst.at(2 + x, 3), s.at(x, 0)) << x;
    EXPECT_EQ(dst.at(8, 3), kBack);
}

TEST(BlitCopy, WholeBufferCopyIsOneRunOfGroups) {
    Image src(6, 3), dst(6, 3, 0x7777);
    for (size_t i = 0; i < src.px.size(); ++i)
        src.px[i] = static_cast<uint16_t>(i);
    v_Copy555Mmx(6, 3, src.data(), dst.data());
    // (6 div 4) x 3 groups = 12 words from the start, the key included.
    for (size_t i = 0; i < 12; ++i)
        EXPECT_EQ(dst.px[i], i);
    for (size_t i = 12; i < 18; ++i)
        EXPECT_EQ(dst.px[i], 0x7777);
    v_Copy555Mmx(3, 3, src.data(), dst.data());
    v_Copy555Mmx(6, 0, src.data(), dst.data());
    EXPECT_EQ(dst.px[12], 0x7777);
}

TEST(BlitCopy, OpaqueBlockIgnoresTheKeyAndDropsTheRightRemainder) {
    Image src(8, 2), dst(16, 4, 0x7777);
    for (size_t i = 0; i < src.px.size(); ++i)
        src.px[i] = static_cast<uint16_t>(i);
    v_Blt555Opaque(2, 1, 8, 2, 16, src.data(), dst.data());
    for (int32_t y = 0; y < 2; ++y)
        for (int32_t x = 0; x < 8; ++x)
            EXPECT_EQ(dst.at(2 + x, 1 + y), src.at(x, y));
    EXPECT_EQ(dst.at(10, 1), 0x7777);
    // A width of 7 draws 4 columns per row, rows staying at their pitches.
    Image dst2(16, 4, 0x7777);
    Image src7(7, 2);
    for (size_t i = 0; i < src7.px.size(); ++i)
        src7.px[i] = static_cast<uint16_t>(100 + i);
    v_Blt555Opaque(0, 0, 7, 2, 16, src7.data(), dst2.data());
    EXPECT_EQ(dst2.at(3, 1), src7.at(3, 1));
    EXPECT_EQ(dst2.at(4, 0), 0x7777);
    EXPECT_EQ(dst2.at(4, 1), 0x7777);
}

} // namespace
