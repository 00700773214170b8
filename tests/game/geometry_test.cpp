#include <gtest/gtest.h>

#include <vector>

#include "engine/device/dir_key.h"
#include "game/geometry.h"
#include "platform/input.h"
#include "tests/support/headless_run.h"

namespace {

using KeyboardDirection = krxtest::HeadlessTest;

TEST_F(KeyboardDirection, OneKeyOfEachPairAndItsNeighbourTurnIt) {
    namespace k = plat::key;
    struct Case {
        std::vector<uint8_t> keys;
        int32_t direction;
    };
    const Case cases[] = {
        {{}, -1},
        {{k::Up}, 0},           {{k::W, k::Right}, 2},      {{k::Up, k::A}, 14},
        {{k::Up, k::Down}, 0},  {{k::Up, k::Left, k::D}, 2}, {{k::D}, 4},
        {{k::Right, k::S}, 6},  {{k::Right, k::Left}, 4},  {{k::Down}, 8},
        {{k::S, k::Left}, 10},  {{k::A}, 12},              {{k::Space, k::X}, -1},
    };
    sc_DirKey keyboard;
    ASSERT_TRUE(keyboard.bInit(0, 0));
    for (const Case& c : cases) {
        for (int code = 0; code < 256; ++code) Backend().KeyUp(static_cast<uint8_t>(code));
        for (uint8_t key : c.keys) Backend().KeyDown(key);
        EXPECT_EQ(l_GetKeyBoardDirection(), c.direction) << testing::PrintToString(c.keys);
    }
    // Read from the device: the table holds what it saw for the tests after.
    EXPECT_TRUE(keyboard.bIsKeyDown(k::X));
}

} // namespace
