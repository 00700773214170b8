#include <gtest/gtest.h>

#include <utility>
#include <vector>

#include "tile2d/key_repeat.h"

namespace {

constexpr uint32_t kKeyA = 'A', kKey2 = '2';

TEST(KeyCharacter, RepeatsAfter240ThenEvery30) {
    uint8_t state[256] = {};
    l_GetKeyCharacter(state, 256, 1); // clears every timer
    const uint32_t t0 = 10'000'000;
    state[kKeyA] = 0x81;
    EXPECT_EQ(l_GetKeyCharacter(state, 256, t0), uint32_t{'A'});
    EXPECT_EQ(state[kKeyA], 0x80) << "the toggle bit is cleared";
    std::vector<uint32_t> at;
    for (uint32_t t = 10; t < 300; t += 10)
        if (l_GetKeyCharacter(state, 256, t0 + t)) at.push_back(t);
    EXPECT_EQ(at, (std::vector<uint32_t>{240, 270}));

    state[16] = 0x80; // Shift
    state[kKeyA] = 0;
    l_GetKeyCharacter(state, 256, t0 + 400);
    state[kKeyA] = 0x80;
    EXPECT_EQ(l_GetKeyCharacter(state, 256, t0 + 410), uint32_t{'a'});
    state[16] = 0;
    state[kKeyA] = 0;
    state[0x25] = 0x80; // an arrow key has no character
    EXPECT_EQ(l_GetKeyCharacter(state, 256, t0 + 420), 255u | 0x25u << 8);
    state[0x25] = 0;
    state[0xBB] = 0x80;
    state[0xDC] = 0x80; // both down: the lower code is delivered first
    EXPECT_EQ(l_GetKeyCharacter(state, 256, t0 + 430), uint32_t{'='});
    EXPECT_EQ(l_GetKeyCharacter(state, 256, t0 + 431), uint32_t{'\\'});
    EXPECT_EQ(l_GetKeyCharacter(state, 256, t0 + 432), 0u);
    EXPECT_EQ(l_GetKeyCharacter(state, 200, t0 + 900), 0u);
}

TEST(KeyCharacter, TableHas117Entries) {
    uint32_t filled = 0;
    for (uint32_t k = 0; k < 256; ++k) {
        uint8_t state[256] = {};
        l_GetKeyCharacter(state, 256, 1);
        state[k] = 0x80;
        const uint32_t c = l_GetKeyCharacter(state, 256, 10'000'000);
        if (c) ++filled;
        const std::pair<uint32_t, uint32_t> known[] = {{16, 0}, {'5', '5'}, {58, ';'}, {13, 13}, {0, 255}};
        for (const auto& [key, expected] : known) {
            if (k == key) {
                EXPECT_EQ(c, expected) << k;
            }
        }
    }
    EXPECT_EQ(filled, 117u);
    uint8_t state[256] = {};
    l_GetKeyCharacter(state, 256, 1);
    state[16] = state[kKey2] = 0x80;
    EXPECT_EQ(l_GetKeyCharacter(state, 256, 10'000'000), uint32_t{'@'});
}

} // namespace
