#include <gtest/gtest.h>

#include "platform/clock.h"
#include "platform/random.h"
#include "platform/window.h"
#include "tests/support/headless_run.h"

namespace {

TEST(Random, SeedOneGivesTheClassicSequence) {
    plat::SeedRandom(1);
    EXPECT_EQ(plat::Rand(), 41);
    EXPECT_EQ(plat::Rand(), 18467);
    EXPECT_EQ(plat::Rand(), 6334);
    EXPECT_EQ(plat::Rand(), 26500);
}

TEST(Random, ReseedingRepeatsAndScaledStaysInRange) {
    plat::SeedRandom(12345);
    const int32_t a = plat::Rand(), b = plat::Rand();
    plat::SeedRandom(12345);
    EXPECT_EQ(plat::Rand(), a);
    EXPECT_EQ(plat::Rand(), b);
    for (int i = 0; i < 10000; ++i) {
        const int32_t r = plat::RandScaled(100);
        ASSERT_GE(r, 0);
        ASSERT_LE(r, 100);
    }
    // A large N must not overflow the product.
    for (int i = 0; i < 1000; ++i) ASSERT_GE(plat::RandScaled(2'000'000'000), 0);
}

using HeadlessClock = krxtest::HeadlessTest;

TEST_F(HeadlessClock, StartsAtTenMillionAndStepsPerPass) {
    Backend().SetStep(20);
    EXPECT_EQ(plat::TickCount(), plat::kTickStart);
    plat::Event e;
    plat::PeekEvent(e); // pass 1: no step yet
    EXPECT_EQ(plat::TickCount(), plat::kTickStart);
    plat::PeekEvent(e);
    plat::PeekEvent(e);
    EXPECT_EQ(plat::TickCount(), plat::kTickStart + 40);
    plat::Sleep(500);
    EXPECT_EQ(plat::TickCount(), plat::kTickStart + 540);
}

TEST(RealClock, StartsAtTenMillionAndDoesNotGoBack) {
    plat::RealClock c;
    const uint32_t a = c.Now();
    EXPECT_GE(a, plat::kTickStart);
    EXPECT_LT(a, plat::kTickStart + 1000);
    EXPECT_GE(c.Now(), a);
}

} // namespace
