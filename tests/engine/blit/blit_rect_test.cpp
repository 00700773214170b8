#include <gtest/gtest.h>

#include <functional>
#include <string>

#include "engine/blit/blit_bounds.h"
#include "engine/blit/blit_rect.h"
#include "tests/engine/blit/blit_test_util.h"

using namespace blittest;

namespace {

constexpr uint16_t kBack = 0x0421;

// An independent blend of two pixels per channel at alpha a.
uint16_t Mix(uint16_t s, uint16_t d, int a) {
    return Rgb((Blue(s) * a + Blue(d) * (32 - a)) / 32, (Green(s) * a + Green(d) * (32 - a)) / 32,
               (Red(s) * a + Red(d) * (32 - a)) / 32);
}

Image Counting(int32_t w, int32_t h) {
    Image s(w, h);
    for (size_t i = 0; i < s.px.size(); ++i)
        s.px[i] = static_cast<uint16_t>(1 + i % 0x7FFE);
    return s;
}

struct Clip {
    int32_t top, bottom, left, right;
};

void KeyClip(const Image& s, int32_t x, int32_t y, Image& d, Clip c) {
    v_Blt555KeyClip(x, y, s.w, s.h, d.w, d.h, c.top, c.bottom, c.left, c.right, s.data(), d.data());
}

TEST(BlitRect, GaugeClipDrawsBetweenTheInclusiveEdges) {
    const Image s = Counting(100, 1);
    Image d(200, 2, kBack);
    KeyClip(s, 10, 0, d, {0, 1, 12, 49});
    EXPECT_EQ(ChangedColumns(d, 0, kBack), Range(12, 49)) << "38 pixels: nine groups and a tail of two";
    EXPECT_EQ(d.at(12, 0), s.at(2, 0));
    EXPECT_EQ(d.at(49, 0), s.at(39, 0));
}

TEST(BlitRect, BarClipShowsItsFirstColumns) {
    const Image s = Counting(60, 3);
    Image d(100, 8, kBack);
    const int32_t x = 5;
    KeyClip(s, x, 2, d, {0, 600, 0, x + 37});
    for (int32_t y = 2; y < 5; ++y) {
        EXPECT_EQ(ChangedColumns(d, y, kBack), Range(x, x + 37));
        EXPECT_EQ(d.at(x + 37, y), s.at(37, y - 2));
    }
}

TEST(BlitRect, ARectangleBeyondTheDestinationIsCutToIt) {
    Image d(40, 30, kBack);
    const Image s = Counting(4, 4);
    KeyClip(s, 36, 26, d, {0, 30, 0, 40});
    EXPECT_EQ(d.at(39, 29), s.at(3, 3));
    EXPECT_EQ(ChangedColumns(d, 26, kBack), Range(36, 39));
    const Image big = Counting(8, 8);
    KeyClip(big, -2, -3, d, {-10, 100, -10, 100});
    EXPECT_EQ(d.at(0, 0), big.at(2, 3));
    EXPECT_EQ(ChangedColumns(d, 0, kBack), Range(0, 5));
}

TEST(BlitRect, EmptyRectanglesDrawNothing) {
    const Image s = Counting(16, 8);
    Image d(40, 30, kBack);
    const Image before = d;
    KeyClip(s, 0, 0, d, {3, 3, 0, 39});  // one row: empty
    KeyClip(s, 0, 0, d, {0, 29, 5, 5});  // one column: a span under four
    KeyClip(s, 0, 0, d, {0, 29, 12, 2}); // crossed columns
    KeyClip(s, 0, 0, d, {0, 29, INT32_MAX, INT32_MIN});
    KeyClip(s, 0, 0, d, {0, 29, 40, 60}); // right of the destination
    KeyClip(s, 0, 0, d, {-9, -1, 0, 39}); // above it
    KeyClip(s, 0, 0, d, {10, 20, 0, 39}); // below the sprite
    KeyClip(s, 20, 0, d, {0, 29, 0, 19}); // left of the sprite
    KeyClip(s, 0, 0, d, {0, 29, 13, 15}); // three columns
    EXPECT_EQ(d.px, before.px);
    KeyClip(s, 0, 0, d, {0, 29, 12, 15});
    EXPECT_EQ(ChangedColumns(d, 0, kBack), Range(12, 15));
}

TEST(BlitRect, OpaqueAndAlphaMapTwinsKeepTheirQuirks) {
    Image s = Counting(8, 1);
    s.at(2, 0) = 0;
    s.at(6, 0) = 0;
    Image d(8, 1, kBack);
    // Columns 1..6: a group from column 1, then a tail of two.
    v_Blt555OpaqueClip(0, 0, 8, 1, 8, 1, 0, 1, 1, 6, s.data(), d.data());
    EXPECT_EQ(d.at(0, 0), kBack);
    for (int32_t x = 1; x <= 6; ++x)
        EXPECT_EQ(d.at(x, 0), s.at(x, 0)) << x;
    EXPECT_EQ(d.at(7, 0), kBack);

    const std::vector<uint8_t> am(8, 31);
    Image d2(8, 1, kBack);
    v_Blt555AlphaMapClip(0, 0, 8, 1, 8, 1, 0, 1, 1, 6, am.data(), s.data(), d2.data());
    EXPECT_EQ(d2.at(2, 0), 0) << "the all-31 group from column 1 stores the key word";
    EXPECT_EQ(d2.at(6, 0), kBack) << "the tail keeps it";
    EXPECT_EQ(d2.at(5, 0), Mix(s.at(5, 0), kBack, 31));
}

// Every clip twin with a rectangle covering the destination draws exactly
// what its bounds-clipped twin draws: same effect words, same argument order.
TEST(BlitRect, TwinsMatchTheBoundsClippedRoutines) {
    std::mt19937 rng(7);
    const int32_t w = 13, h = 5, dw = 24, dh = 9;
    Image s(w, h), base(dw, dh);
    FillRandom(s.px, rng, 30);
    FillRandom(base.px, rng, 0);
    std::vector<uint16_t> add(size_t(w) * h), sub(size_t(w) * h);
    FillRandom(add, rng, 50);
    FillRandom(sub, rng, 50);
    for (auto& p : add)
        p &= 0x1CE7; // small channels, so that tints do not all saturate
    for (auto& p : sub)
        p &= 0x1CE7;
    std::vector<uint8_t> am(size_t(w) * h);
    for (size_t i = 0; i < am.size(); ++i)
        am[i] = static_cast<uint8_t>(i % 3 == 0 ? 31 : rng() % 33);
    using Bounds = std::function<void(int32_t, int32_t, uint16_t*)>;
    using Clipped = std::function<void(int32_t, int32_t, int32_t, int32_t, int32_t, int32_t, uint16_t*)>;
    const uint16_t* sp = s.data();
    const uint8_t* ap = am.data();
    const uint16_t *addp = add.data(), *subp = sub.data();
    struct Pair {
        std::string name;
        Bounds bounds;
        Clipped clipped;
    };
    const std::vector<Pair> pairs = {
        {"Key", [&](int32_t x, int32_t y, uint16_t* d) { v_Blt555Key(x, y, w, h, dw, dh, sp, d); },
         [&](auto x, auto y, auto t, auto b, auto l, auto r, uint16_t* d) {
             v_Blt555KeyClip(x, y, w, h, dw, dh, t, b, l, r, sp, d);
         }},
        {"Opaque",
         [&](int32_t x, int32_t y, uint16_t* d) { v_Blt555OpaqueClipped(x, y, w, h, dw, dh, sp, d); },
         [&](auto x, auto y, auto t, auto b, auto l, auto r, uint16_t* d) {
             v_Blt555OpaqueClip(x, y, w, h, dw, dh, t, b, l, r, sp, d);
         }},
        {"Brighten",
         [&](int32_t x, int32_t y, uint16_t* d) { v_Blt555Brighten(x, y, w, h, dw, dh, 12, sp, d); },
         [&](auto x, auto y, auto t, auto b, auto l, auto r, uint16_t* d) {
             v_Blt555BrightenClip(x, y, w, h, dw, dh, t, b, l, r, 12, sp, d);
         }},
        {"Darken", [&](int32_t x, int32_t y, uint16_t* d) { v_Blt555Darken(x, y, w, h, dw, dh, 12, sp, d); },
         [&](auto x, auto y, auto t, auto b, auto l, auto r, uint16_t* d) {
             v_Blt555DarkenClip(x, y, w, h, dw, dh, t, b, l, r, 12, sp, d);
         }},
        {"Alpha", [&](int32_t x, int32_t y, uint16_t* d) { v_Blt555Alpha(x, y, w, h, dw, dh, 11, sp, d); },
         [&](auto x, auto y, auto t, auto b, auto l, auto r, uint16_t* d) {
             v_Blt555AlphaClip(x, y, w, h, dw, dh, t, b, l, r, 11, sp, d);
         }},
        {"AlphaBrighten",
         [&](int32_t x, int32_t y, uint16_t* d) { v_Blt555AlphaBrighten(x, y, w, h, dw, dh, 11, 9, sp, d); },
         [&](auto x, auto y, auto t, auto b, auto l, auto r, uint16_t* d) {
             v_Blt555AlphaBrightenClip(x, y, w, h, dw, dh, t, b, l, r, 11, 9, sp, d);
         }},
        {"AlphaDarken",
         [&](int32_t x, int32_t y, uint16_t* d) { v_Blt555AlphaDarken(x, y, w, h, dw, dh, 11, 9, sp, d); },
         [&](auto x, auto y, auto t, auto b, auto l, auto r, uint16_t* d) {
             v_Blt555AlphaDarkenClip(x, y, w, h, dw, dh, t, b, l, r, 11, 9, sp, d);
         }},
        {"Tint",
         [&](int32_t x, int32_t y, uint16_t* d) { v_Blt555Tint(x, y, w, h, dw, dh, 0x0C63, 0x1042, sp, d); },
         [&](auto x, auto y, auto t, auto b, auto l, auto r, uint16_t* d) {
             v_Blt555TintClip(x, y, w, h, dw, dh, t, b, l, r, 0x0C63, 0x1042, sp, d);
         }},
        {"TintAlphaBrighten",
         [&](int32_t x, int32_t y, uint16_t* d) {
             v_Blt555TintAlphaBrighten(x, y, w, h, dw, dh, 0x0C63, 0x1042, 20, 5, sp, d);
         },
         [&](auto x, auto y, auto t, auto b, auto l, auto r, uint16_t* d) {
             v_Blt555TintAlphaBrightenClip(x, y, w, h, dw, dh, t, b, l, r, 0x0C63, 0x1042, 20, 5, sp, d);
         }},
        {"ColourMaps",
         [&](int32_t x, int32_t y, uint16_t* d) {
             v_Blt555ColourMaps(x, y, w, h, dw, dh, addp, subp, sp, d);
         },
         [&](auto x, auto y, auto t, auto b, auto l, auto r, uint16_t* d) {
             v_Blt555ColourMapsClip(x, y, w, h, dw, dh, t, b, l, r, addp, subp, sp, d);
         }},
        {"AlphaMap",
         [&](int32_t x, int32_t y, uint16_t* d) { v_Blt555AlphaMap(x, y, w, h, dw, dh, ap, sp, d); },
         [&](auto x, auto y, auto t, auto b, auto l, auto r, uint16_t* d) {
             v_Blt555AlphaMapClip(x, y, w, h, dw, dh, t, b, l, r, ap, sp, d);
         }},
        {"AlphaMapFade",
         [&](int32_t x, int32_t y, uint16_t* d) { v_Blt555AlphaMapFade(x, y, w, h, dw, dh, 17, ap, sp, d); },
         [&](auto x, auto y, auto t, auto b, auto l, auto r, uint16_t* d) {
             v_Blt555AlphaMapFadeClip(x, y, w, h, dw, dh, t, b, l, r, 17, ap, sp, d);
         }},
        {"AlphaMapLighten",
         [&](int32_t x, int32_t y, uint16_t* d) {
             v_Blt555AlphaMapLighten(x, y, w, h, dw, dh, 6, ap, sp, d);
         },
         [&](auto x, auto y, auto t, auto b, auto l, auto r, uint16_t* d) {
             v_Blt555AlphaMapLightenClip(x, y, w, h, dw, dh, t, b, l, r, 6, ap, sp, d);
         }},
        {"AlphaMapDarken",
         [&](int32_t x, int32_t y, uint16_t* d) { v_Blt555AlphaMapDarken(x, y, w, h, dw, dh, 6, ap, sp, d); },
         [&](auto x, auto y, auto t, auto b, auto l, auto r, uint16_t* d) {
             v_Blt555AlphaMapDarkenClip(x, y, w, h, dw, dh, t, b, l, r, 6, ap, sp, d);
         }},
    };
    for (const auto& p : pairs) {
        for (auto [x, y] : {std::pair{-3, -2}, std::pair{2, 1}, std::pair{15, 6}}) {
            Image want = base, got = base;
            p.bounds(x, y, want.data());
            p.clipped(x, y, 0, dh, -5, dw + 5, got.data());
            EXPECT_EQ(got.px, want.px) << p.name << " at " << x << "," << y;
            EXPECT_NE(want.px, base.px) << p.name;
        }
        // Every routine reads the rectangle's edges in the order top, bottom, left, right.
        Image got = base;
        p.clipped(0, 0, 2, 3, 4, 7, got.data());
        EXPECT_TRUE(SameOutside(got.px, base, 2, 3, 4, 7)) << p.name;
        EXPECT_NE(got.px, base.px) << p.name;
    }
}

} // namespace
