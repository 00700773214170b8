#include <gtest/gtest.h>

#include <string>

#include "engine/blit/blit_draw.h"
#include "tests/engine/blit/blit_test_util.h"

using namespace blittest;

namespace {

// Alpha maps as sprites have them: runs of 0 and of 31 (so that both group
// shortcuts occur at every alignment) with soft values, and some bytes past
// 32, in between.
std::vector<uint8_t> SoftAlpha(size_t n, std::mt19937& rng) {
    std::vector<uint8_t> a(n);
    std::uniform_int_distribution<int> kind(0, 9), run(1, 9), soft(0, 40);
    for (size_t i = 0; i < n;) {
        const int k = kind(rng);
        const uint8_t v = k < 3 ? 0 : k < 7 ? 31 : 255;
        for (int r = run(rng); r > 0 && i < n; --r, ++i)
            a[i] = v == 255 ? static_cast<uint8_t>(soft(rng)) : v;
    }
    return a;
}

// The vector kernels draw what the scalar reference draws, word for word,
// for sprites at every clip position across the destination's edges and at
// every x mod 4, bounds-clipped and rectangle-clipped.
// What one draw hands the effects: source, maps, effect words.
struct Inputs {
    const uint16_t* src;
    const uint8_t* alpha;
    const uint16_t* addMap;
    const uint16_t* subMap;
    uint32_t a, level;
    uint16_t add, sub;
};

const char* const kEffects[] = {"Key",
                                "Brighten",
                                "Darken",
                                "Alpha",
                                "AlphaBrighten",
                                "AlphaDarken",
                                "Tint",
                                "TintAlphaBrighten",
                                "ColourMaps",
                                "AlphaMap",
                                "AlphaMapFade",
                                "AlphaMapDarken",
                                "AlphaMapLighten"};

template <class D>
void Draw(const std::string& effect, const ss_BlitRegion& r, const Inputs& in, uint16_t* d) {
    const uint16_t* s = in.src;
    if (effect == "Key") D::v_Key(r, s, d);
    if (effect == "Brighten") D::v_Brighten(r, in.level, s, d);
    if (effect == "Darken") D::v_Darken(r, in.level, s, d);
    if (effect == "Alpha") D::v_Alpha(r, in.a, s, d);
    if (effect == "AlphaBrighten") D::v_AlphaBrighten(r, in.a, in.level, s, d);
    if (effect == "AlphaDarken") D::v_AlphaDarken(r, in.a, in.level, s, d);
    if (effect == "Tint") D::v_Tint(r, in.add, in.sub, s, d);
    if (effect == "TintAlphaBrighten") D::v_TintAlphaBrighten(r, in.add, in.sub, in.a, in.level, s, d);
    if (effect == "ColourMaps") D::v_ColourMaps(r, in.addMap, in.subMap, s, d);
    if (effect == "AlphaMap") D::v_AlphaMap(r, in.alpha, s, d);
    if (effect == "AlphaMapFade") D::v_AlphaMapFade(r, in.level, in.alpha, s, d);
    if (effect == "AlphaMapDarken") D::v_AlphaMapDarken(r, in.level, in.alpha, s, d);
    if (effect == "AlphaMapLighten") D::v_AlphaMapLighten(r, in.level, in.alpha, s, d);
}

// The vector kernels draw what the scalar reference draws, word for word,
// for sprites at every clip position across the destination's edges and at
// every x mod 4, bounds-clipped and rectangle-clipped, with effect words over
// their whole byte range.
TEST(BlitSimd, VectorKernelsEqualTheReference) {
    std::mt19937 rng(11);
    const int32_t dw = 28, dh = 6, h = 3;
    Image base(dw, dh);
    FillRandom(base.px, rng, 5);
    int compared = 0;
    for (const std::string effect : kEffects) {
        for (int32_t w : {1, 5, 8, 13, 19, 32}) {
            Image src(w, h);
            FillRandom(src.px, rng, 35);
            const auto alpha = SoftAlpha(src.px.size(), rng);
            std::vector<uint16_t> add(src.px.size()), sub(src.px.size());
            FillRandom(add, rng, 30);
            FillRandom(sub, rng, 30);
            for (int32_t x = -w - 1; x <= dw + 1; ++x) {
                for (int32_t y : {-2, 0, 4}) {
                    const Inputs in{src.data(),
                                    alpha.data(),
                                    x % 3 == 0 ? nullptr : add.data(),
                                    x % 5 == 0 ? nullptr : sub.data(),
                                    static_cast<uint32_t>(rng() % 300),
                                    static_cast<uint32_t>(x % 2 ? rng() % 40 : rng() % 300),
                                    static_cast<uint16_t>(rng()),
                                    static_cast<uint16_t>(rng())};
                    const ss_BlitRegion regions[] = {
                        o_ClipToBounds(x, y, w, h, dw, dh),
                        o_ClipToRect(x, y, w, h, dw, dh, 1, 4, static_cast<int32_t>(rng() % 12),
                                     static_cast<int32_t>(10 + rng() % 20)),
                    };
                    for (const auto& r : regions) {
                        Image want = base, got = base;
                        Draw<BlitReference>(effect, r, in, want.data());
                        Draw<BlitFast>(effect, r, in, got.data());
                        ASSERT_EQ(got.px, want.px) << effect << " w " << w << " at " << x << "," << y
                                                   << " alpha " << in.a << " level " << in.level;
                        ++compared;
                    }
                }
            }
        }
    }
    EXPECT_GT(compared, 5000);
}

// The same at the ends of every range, where 16-bit lanes saturate or wrap:
// alpha 0, 31, 32 and bytes past it, levels up to 255, white and near-black
// words with and without bit 15, alpha groups of 0, 31 and mixed, over rows
// that use the eight-pixel step, the four-pixel step and the tail.
TEST(BlitSimd, VectorKernelsEqualTheReferenceAtRangeEnds) {
    const uint16_t words[] = {0, 0x7FFF, 0xFFFF, 0x0001, 0x8000, 0x7C00, 0x03E0, 0x001F, 0x8421};
    const uint8_t alphaBytes[] = {0, 31, 32, 1, 255, 16};
    const int32_t w = 23; // two eight-pixel steps, one of four, a tail of three
    Image src(w, 1), base(w, 1), add(w, 1), sub(w, 1);
    std::vector<uint8_t> am(w);
    for (int32_t i = 0; i < w; ++i) {
        src.px[size_t(i)] = words[size_t(i) % 9];
        base.px[size_t(i)] = words[size_t(i + 4) % 9];
        add.px[size_t(i)] = words[size_t(i + 2) % 9];
        sub.px[size_t(i)] = words[size_t(i + 7) % 9];
        // Groups of 0s, of 31s, then mixed bytes.
        am[size_t(i)] = i < 4 ? 0 : i < 12 ? 31 : alphaBytes[size_t(i) % 6];
    }
    const ss_BlitRegion r = o_ClipToBounds(0, 0, w, 1, w, 1);
    for (const std::string effect : kEffects) {
        for (uint32_t a : {0u, 1u, 16u, 31u, 32u, 33u, 255u}) {
            for (uint32_t level : {0u, 1u, 16u, 31u, 32u, 64u, 128u, 255u}) {
                for (auto [addC, subC] :
                     {std::pair<uint16_t, uint16_t>{0x7FFF, 0}, {0, 0x7FFF}, {0xFFFF, 0x8421}}) {
                    const Inputs in{src.data(), am.data(), add.data(), sub.data(), a, level, addC, subC};
                    Image want = base, got = base;
                    Draw<BlitReference>(effect, r, in, want.data());
                    Draw<BlitFast>(effect, r, in, got.data());
                    ASSERT_EQ(got.px, want.px) << effect << " alpha " << a << " level " << level;
                }
            }
        }
    }
}

} // namespace
