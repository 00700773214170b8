#include <gtest/gtest.h>

#include <functional>
#include <string>

#include "engine/blit/blit_bounds.h"
#include "engine/blit/blit_mask.h"
#include "engine/blit/blit_rect.h"
#include "engine/blit/show_image.h"
#include "tests/engine/blit/blit_test_util.h"

using namespace blittest;

namespace {

// The dispatchers' routing, shown by comparing each call with a direct call
// of the routine that the order of tests picks.
class ShowImageTest : public ::testing::Test {
protected:
    static constexpr int32_t w = 8, h = 3, dw = 12, dh = 5, x = 1, y = 1;
    Image src{w, h}, base{dw, dh};
    std::vector<uint16_t> addMap = std::vector<uint16_t>(w * h, 0x0C63);
    std::vector<uint16_t> subMap = std::vector<uint16_t>(w * h, 0x0421);
    std::vector<uint8_t> alphaMap = std::vector<uint8_t>(w * h, 9);
    std::vector<uint8_t> mask = std::vector<uint8_t>(dw * dh, 20);
    const uint16_t add = 0x0842, sub = 0x0C21;

    void SetUp() override {
        std::mt19937 rng(3);
        FillRandom(src.px, rng, 20);
        FillRandom(base.px, rng, 0);
        for (size_t i = 0; i < mask.size(); ++i)
            mask[i] = static_cast<uint8_t>(i % 33);
    }

    struct Args {
        int32_t alpha = 0, brightness = 0;
        uint32_t addColour = 0, subColour = 0;
        const uint16_t* addMap = nullptr;
        const uint16_t* subMap = nullptr;
        const uint8_t* alphaMap = nullptr;
    };

    std::vector<uint16_t> Run(const std::function<void(uint16_t*)>& draw) {
        Image d = base;
        draw(d.data());
        return d.px;
    }
};

TEST_F(ShowImageTest, TheFirstTestThatHoldsPicksTheRoutine) {
    const uint16_t* s = src.data();
    struct Case {
        std::string step;
        Args a;
        std::function<void(uint16_t*)> expected;
    };
    const std::vector<Case> cases = {
        {"3 colour maps win",
         {16, 5, add, sub, addMap.data(), nullptr, alphaMap.data()},
         [&](uint16_t* d) { v_Blt555ColourMaps(x, y, w, h, dw, dh, addMap.data(), nullptr, s, d); }},
        {"3 a subtractive map alone",
         {0, 0, 0, 0, nullptr, subMap.data(), nullptr},
         [&](uint16_t* d) { v_Blt555ColourMaps(x, y, w, h, dw, dh, nullptr, subMap.data(), s, d); }},
        {"4 alpha map over every uniform effect",
         {16, 5, add, sub, nullptr, nullptr, alphaMap.data()},
         [&](uint16_t* d) { v_Blt555AlphaMap(x, y, w, h, dw, dh, alphaMap.data(), s, d); }},
        {"5 tint, alpha and brighten",
         {16, 5, add, 0},
         [&](uint16_t* d) { v_Blt555TintAlphaBrighten(x, y, w, h, dw, dh, add, 0, 16, 5, s, d); }},
        {"6 alpha brighten",
         {16, 5},
         [&](uint16_t* d) { v_Blt555AlphaBrighten(x, y, w, h, dw, dh, 16, 5, s, d); }},
        {"7 alpha darken drops the colour",
         {16, -5, 0, sub},
         [&](uint16_t* d) { v_Blt555AlphaDarken(x, y, w, h, dw, dh, 16, 5, s, d); }},
        {"8 brighten drops the colour",
         {0, 10, 0, sub},
         [&](uint16_t* d) { v_Blt555Brighten(x, y, w, h, dw, dh, 10, s, d); }},
        {"9 darken", {0, -7, add, 0}, [&](uint16_t* d) { v_Blt555Darken(x, y, w, h, dw, dh, 7, s, d); }},
        {"9 darken by 128", {0, -128}, [&](uint16_t* d) { v_Blt555Darken(x, y, w, h, dw, dh, 128, s, d); }},
        {"9 brightness is the low byte, signed",
         {0, 0x1F0},
         [&](uint16_t* d) { v_Blt555Darken(x, y, w, h, dw, dh, 16, s, d); }},
        {"10 alpha drops the colour",
         {16, 0, add, 0},
         [&](uint16_t* d) { v_Blt555Alpha(x, y, w, h, dw, dh, 16, s, d); }},
        {"10 a negative alpha byte is set",
         {-16, 0},
         [&](uint16_t* d) { v_Blt555Alpha(x, y, w, h, dw, dh, 240, s, d); }},
        {"11 key", {0x100, 0}, [&](uint16_t* d) { v_Blt555Key(x, y, w, h, dw, dh, s, d); }},
        {"12 tint", {0, 0, add, sub}, [&](uint16_t* d) { v_Blt555Tint(x, y, w, h, dw, dh, add, sub, s, d); }},
    };
    const auto key = Run([&](uint16_t* d) { v_Blt555Key(x, y, w, h, dw, dh, s, d); });
    for (const auto& c : cases) {
        const Args& a = c.a;
        const auto got = Run([&](uint16_t* d) {
            v_ShowImage(x, y, w, h, dw, dh, a.alpha, a.brightness, a.addColour, a.subColour, a.addMap,
                        a.subMap, a.alphaMap, s, d);
        });
        EXPECT_EQ(got, Run(c.expected)) << c.step;
        if (c.step.rfind("11", 0) != 0) {
            EXPECT_NE(got, key) << c.step << ": the case must tell routines apart";
        }
    }
}

TEST_F(ShowImageTest, CopiesComeFirstAndIgnoreEveryEffect) {
    const uint16_t* s = src.data();
    // x = y = dstW = 0: the whole buffer, key words included.
    auto got = Run([&](uint16_t* d) {
        v_ShowImage(0, 0, w, h, 0, dh, 16, 5, add, sub, addMap.data(), subMap.data(), alphaMap.data(), s, d);
    });
    EXPECT_EQ(got, Run([&](uint16_t* d) { v_Copy555Mmx(w, h, s, d); }));
    EXPECT_TRUE(std::equal(src.px.begin(), src.px.end(), got.begin()));
    // dstH = 0: opaque at (x, y) with pitch dstW.
    got = Run([&](uint16_t* d) {
        v_ShowImage(x, y, w, h, dw, 0, 16, 5, add, sub, addMap.data(), subMap.data(), alphaMap.data(), s, d);
    });
    EXPECT_EQ(got, Run([&](uint16_t* d) { v_Blt555Opaque(x, y, w, h, dw, s, d); }));
    // The clip and mask twins make the same two tests before anything else.
    got = Run([&](uint16_t* d) {
        v_ShowImageClip(0, 0, w, h, 0, dh, 16, 5, add, sub, nullptr, nullptr, 5, 5, 5, 5, nullptr, s, d);
    });
    EXPECT_TRUE(std::equal(src.px.begin(), src.px.end(), got.begin()));
    got = Run([&](uint16_t* d) {
        v_ShowImageMask(x, y, w, h, dw, 0, 16, 5, add, sub, nullptr, nullptr, nullptr, mask.data(), s, d);
    });
    EXPECT_EQ(got, Run([&](uint16_t* d) { v_Blt555Opaque(x, y, w, h, dw, s, d); }));
}

TEST_F(ShowImageTest, NoSourceOrDestinationDrawsNothing) {
    const auto got = Run([&](uint16_t* d) {
        v_ShowImage(0, 0, w, h, 0, dh, 0, 0, 0, 0, nullptr, nullptr, nullptr, nullptr, d);
        v_ShowImageClip(x, y, w, h, dw, dh, 0, 0, 0, 0, nullptr, nullptr, 0, 0, 11, 4, nullptr, nullptr, d);
        v_ShowImageMask(x, y, w, h, dw, dh, 0, 0, 0, 0, nullptr, nullptr, nullptr, mask.data(), nullptr, d);
    });
    EXPECT_EQ(got, base.px);
    v_ShowImage(0, 0, w, h, 0, dh, 0, 0, 0, 0, nullptr, nullptr, nullptr, src.data(), nullptr);
    v_ShowImageMask(x, y, w, h, dw, dh, 0, 0, 0, 0, nullptr, nullptr, nullptr, nullptr, src.data(), nullptr);
}

TEST_F(ShowImageTest, ClipTwinHandsTheRectangleOnInItsOwnOrder) {
    const uint16_t* s = src.data();
    // Given as left, top, right, bottom; the routines take top, bottom, left, right.
    const int32_t l = 2, t = 1, r = 9, b = 3;
    struct Case {
        std::string step;
        Args a;
        std::function<void(uint16_t*)> expected;
    };
    const std::vector<Case> cases = {
        {"3",
         {16, 5, add, sub, addMap.data(), subMap.data(), alphaMap.data()},
         [&](uint16_t* d) {
             v_Blt555ColourMapsClip(x, y, w, h, dw, dh, t, b, l, r, addMap.data(), subMap.data(), s, d);
         }},
        {"4",
         {16, 5, add, sub, nullptr, nullptr, alphaMap.data()},
         [&](uint16_t* d) { v_Blt555AlphaMapClip(x, y, w, h, dw, dh, t, b, l, r, alphaMap.data(), s, d); }},
        {"5",
         {16, 5, add, sub},
         [&](uint16_t* d) {
             v_Blt555TintAlphaBrightenClip(x, y, w, h, dw, dh, t, b, l, r, add, sub, 16, 5, s, d);
         }},
        {"6",
         {16, 5},
         [&](uint16_t* d) { v_Blt555AlphaBrightenClip(x, y, w, h, dw, dh, t, b, l, r, 16, 5, s, d); }},
        {"7",
         {16, -5},
         [&](uint16_t* d) { v_Blt555AlphaDarkenClip(x, y, w, h, dw, dh, t, b, l, r, 16, 5, s, d); }},
        {"8",
         {0, 10, add},
         [&](uint16_t* d) { v_Blt555BrightenClip(x, y, w, h, dw, dh, t, b, l, r, 10, s, d); }},
        {"9", {0, -7}, [&](uint16_t* d) { v_Blt555DarkenClip(x, y, w, h, dw, dh, t, b, l, r, 7, s, d); }},
        {"10", {16, 0}, [&](uint16_t* d) { v_Blt555AlphaClip(x, y, w, h, dw, dh, t, b, l, r, 16, s, d); }},
        {"11", {}, [&](uint16_t* d) { v_Blt555KeyClip(x, y, w, h, dw, dh, t, b, l, r, s, d); }},
        {"12",
         {0, 0, 0, sub},
         [&](uint16_t* d) { v_Blt555TintClip(x, y, w, h, dw, dh, t, b, l, r, 0, sub, s, d); }},
    };
    for (const auto& c : cases) {
        const Args& a = c.a;
        const auto got = Run([&](uint16_t* d) {
            v_ShowImageClip(x, y, w, h, dw, dh, a.alpha, a.brightness, a.addColour, a.subColour, a.addMap,
                            a.subMap, l, t, r, b, a.alphaMap, s, d);
        });
        EXPECT_EQ(got, Run(c.expected)) << c.step;
        EXPECT_NE(got, base.px) << c.step;
        EXPECT_TRUE(SameOutside(got, base, t, b, l, r)) << c.step;
    }
}

TEST_F(ShowImageTest, MaskTwinWeighsByTheDestinationMask) {
    const uint16_t* s = src.data();
    const uint8_t* m = mask.data();
    struct Case {
        std::string step;
        Args a;
        const uint8_t* mask;
        std::function<void(uint16_t*)> expected;
    };
    const std::vector<Case> cases = {
        {"4 alpha map",
         {16, 5, 0, 0, nullptr, nullptr, alphaMap.data()},
         m,
         [&](uint16_t* d) { v_Blt555AlphaMap(x, y, w, h, dw, dh, alphaMap.data(), s, d); }},
        {"5 plain tint, alpha and brighten",
         {16, 5, add, 0},
         m,
         [&](uint16_t* d) { v_Blt555TintAlphaBrighten(x, y, w, h, dw, dh, add, 0, 16, 5, s, d); }},
        {"6",
         {16, 5},
         m,
         [&](uint16_t* d) { v_Blt555MaskAlphaBrighten(x, y, w, h, dw, dh, 16, 5, m, s, d); }},
        {"7", {16, -5}, m, [&](uint16_t* d) { v_Blt555MaskAlphaDarken(x, y, w, h, dw, dh, 16, 5, m, s, d); }},
        {"8", {0, 10, add}, m, [&](uint16_t* d) { v_Blt555MaskBrighten(x, y, w, h, dw, dh, 10, m, s, d); }},
        {"9", {0, -7}, m, [&](uint16_t* d) { v_Blt555MaskDarken(x, y, w, h, dw, dh, 7, m, s, d); }},
        {"10", {12, 0, add}, m, [&](uint16_t* d) { v_Blt555MaskAlpha(x, y, w, h, dw, dh, 12, m, s, d); }},
        {"11", {}, m, [&](uint16_t* d) { v_Blt555MaskBlend(x, y, w, h, dw, dh, m, s, d); }},
        {"12 plain tint",
         {0, 0, add, sub},
         m,
         [&](uint16_t* d) { v_Blt555Tint(x, y, w, h, dw, dh, add, sub, s, d); }},
        {"11 without a mask draws keyed",
         {},
         nullptr,
         [&](uint16_t* d) { v_Blt555Key(x, y, w, h, dw, dh, s, d); }},
        {"6 to 10 need the mask",
         {16, 5},
         nullptr,
         [&](uint16_t* d) { v_Blt555Key(x, y, w, h, dw, dh, s, d); }},
        {"12 without a mask",
         {16, -5, add},
         nullptr,
         [&](uint16_t* d) { v_Blt555Tint(x, y, w, h, dw, dh, add, 0, s, d); }},
    };
    for (const auto& c : cases) {
        const Args& a = c.a;
        const auto got = Run([&](uint16_t* d) {
            v_ShowImageMask(x, y, w, h, dw, dh, a.alpha, a.brightness, a.addColour, a.subColour, a.addMap,
                            a.subMap, a.alphaMap, c.mask, s, d);
        });
        EXPECT_EQ(got, Run(c.expected)) << c.step;
        EXPECT_NE(got, base.px) << c.step;
    }
}

} // namespace
