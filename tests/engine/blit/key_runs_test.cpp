#include <gtest/gtest.h>

#include "engine/blit/blit_bounds.h"
#include "engine/blit/key_runs.h"
#include "engine/blit/show_image.h"
#include "tests/engine/blit/blit_test_util.h"

using namespace blittest;

namespace {

// A sprite of opaque stretches of random lengths between transparent ones,
// a row fully opaque and one fully transparent among them.
Image Stretches(int32_t w, int32_t h, std::mt19937& rng) {
    Image s(w, h);
    std::uniform_int_distribution<int> len(1, 40), colour(1, 0x7FFF);
    for (int32_t y = 0; y < h; ++y) {
        bool opaque = y % 7 == 3 || (y % 7 != 5 && rng() % 2 == 0);
        for (int32_t x = 0; x < w;) {
            for (int n = y % 7 == 3 ? w : len(rng); n > 0 && x < w; --n, ++x)
                s.at(x, y) = opaque && y % 7 != 5 ? static_cast<uint16_t>(colour(rng)) : 0;
            opaque = !opaque;
        }
    }
    return s;
}

// The key blit from runs leaves the destination word for word as the key
// blit testing each pixel does, at positions across every edge, with spans
// under four pixels, and for runs made for another size.
TEST(KeyRuns, DrawWhatTheKeyBlitDraws) {
    std::mt19937 rng(27);
    const int32_t dw = 61, dh = 37;
    Image background(dw, dh);
    for (uint16_t& p : background.px)
        p = static_cast<uint16_t>(rng() | 0x8000); // bit 15 stays where nothing is drawn
    for (const auto& [w, h] : {std::pair{1, 1}, {3, 9}, {4, 4}, {23, 17}, {70, 45}, {200, 3}}) {
        const Image s = Stretches(w, h, rng);
        const Image wider = Stretches(w + 1, h, rng);
        sc_KeyRuns runs, stale;
        runs.vBuild(s.data(), w, h);
        stale.vBuild(wider.data(), w + 1, h);
        for (int32_t y = -h - 1; y <= dh + 1; y += 3) {
            for (int32_t x = -w - 1; x <= dw + 1; x += 2) {
                Image want = background, got = background, fallback = background;
                v_Blt555Key(x, y, w, h, dw, dh, s.data(), want.data());
                v_Blt555KeyRuns(x, y, w, h, dw, dh, runs, s.data(), got.data());
                ASSERT_EQ(got.px, want.px) << w << "x" << h << " at " << x << "," << y;
                v_Blt555KeyRuns(x, y, w, h, dw, dh, stale, s.data(), fallback.data());
                ASSERT_EQ(fallback.px, want.px);
            }
        }
    }
}

TEST(KeyRuns, KeptOnlyWhereTheyPay) {
    std::mt19937 rng(5);
    const Image stretches = Stretches(64, 16, rng);
    Image speckled(64, 16);
    for (size_t i = 0; i < speckled.px.size(); ++i)
        speckled.px[i] = i % 2 ? 0x1234 : 0;
    sc_KeyRuns runs;
    runs.vBuild(stretches.data(), 64, 16);
    EXPECT_TRUE(runs.bFits(64, 16));
    runs.vBuild(speckled.data(), 64, 16);
    EXPECT_FALSE(runs.bFits(64, 16)) << "one-pixel runs are slower than testing each pixel";
    runs.vBuild(stretches.data(), 0, 16);
    EXPECT_FALSE(runs.bFits(0, 16));
    runs.vBuild(nullptr, 64, 16);
    EXPECT_FALSE(runs.bFits(64, 16));
}

// The dispatcher hands the runs to the key step alone: every effect draws
// what it draws without them.
TEST(KeyRuns, TheDispatcherUsesThemForThePlainKeyOnly) {
    std::mt19937 rng(9);
    const Image s = Stretches(40, 30, rng);
    std::vector<uint8_t> alphaMap(s.px.size(), 31);
    sc_KeyRuns runs;
    runs.vBuild(s.data(), s.w, s.h);
    struct Effects {
        int32_t alpha, brightness;
        uint32_t add;
        bool map;
    };
    for (const Effects e : {Effects{0, 0, 0, false}, {16, 0, 0, false}, {0, 5, 0, false}, {0, -5, 0, false},
                            {0, 0, 0x0421, false}, {0, 0, 0, true}}) {
        Image want(50, 40, 0x1111), got(50, 40, 0x1111);
        const uint8_t* map = e.map ? alphaMap.data() : nullptr;
        v_ShowImage(7, -3, s.w, s.h, 50, 40, e.alpha, e.brightness, e.add, 0, nullptr, nullptr, map, s.data(),
                    want.data());
        v_ShowImageKeyed(7, -3, s.w, s.h, 50, 40, e.alpha, e.brightness, e.add, 0, nullptr, nullptr, map, s.data(),
                         got.data(), runs);
        EXPECT_EQ(got.px, want.px) << e.alpha << " " << e.brightness << " " << e.add;
    }
}

} // namespace
