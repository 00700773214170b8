#include <gtest/gtest.h>

#include <vector>

#include "engine/base/cell_grid.h"
#include "engine/base/tick.h"
#include "engine/device/frame_time.h"
#include "platform/byte_reader.h"
#include "platform/random.h"
#include "tests/support/headless_run.h"

namespace {

using Cells = std::vector<uint32_t>;

TEST(CellGrid, StampIsCutAtTheGridEdges) {
    Cells grid(16, 0);
    const Cells block(4, 5);
    v_GridStamp(3, 3, 2, 2, 4, 4, block, grid);
    Cells expect(16, 0);
    expect[15] = 5;
    EXPECT_EQ(grid, expect);
}

TEST(CellGrid, NegativePositionsAreClipped) {
    Cells grid(9, 0);
    const Cells block = {1, 2, 3, 4};
    v_GridStamp(-1, -1, 2, 2, 3, 3, block, grid);
    EXPECT_EQ(grid, (Cells{4, 0, 0, 0, 0, 0, 0, 0, 0}));
    v_GridStamp(-5, 0, 2, 2, 3, 3, block, grid); // wholly outside
    EXPECT_EQ(grid, (Cells{4, 0, 0, 0, 0, 0, 0, 0, 0}));
    v_GridClear(-1, -1, 2, 2, 3, 3, block, grid);
    EXPECT_EQ(grid, Cells(9, 0));
}

TEST(CellGrid, CollectRecordsAllButImmediateRepeats) {
    Cells grid = {7, 7, 9, 7};
    const Cells block(4, 3);
    Cells list(8, 0);
    int32_t count = 0;
    v_GridStampCollect2(0, 0, 4, 1, 4, 1, count, list, block, grid);
    EXPECT_EQ(grid, (Cells{7, 7, 9, 7})); // untouched
    EXPECT_EQ(count, 2);
    EXPECT_EQ((Cells{list[0], list[1], list[2], list[3]}), (Cells{7, 9, 7, 0}));

    Cells list2(8, 0);
    count = 0;
    v_GridStampCollect(0, 0, 4, 1, 4, 1, count, list2, block, grid);
    EXPECT_EQ(grid, Cells(4, 3));
    EXPECT_EQ((Cells{list2[0], list2[1], list2[2]}), (Cells{7, 9, 7}));

    // Slot count is used as is when it is still 0; an id equal to it is not repeated.
    Cells list3 = {4, 0, 0};
    count = 0;
    Cells g3 = {4, 6};
    v_GridStampCollect2(0, 0, 2, 1, 2, 1, count, list3, Cells{1, 1}, g3);
    EXPECT_EQ(list3, (Cells{4, 6, 0}));
    EXPECT_EQ(count, 1);
}

TEST(CellGrid, BlockedCellsAndHolesInTheBlock) {
    Cells grid = {kGridBlocked, 2, 0, kGridBlocked};
    const Cells block = {8, 0, 8, 8};
    Cells list(4, 0);
    int32_t count = 0;
    v_GridStampCollect(0, 0, 2, 2, 2, 2, count, list, block, grid);
    EXPECT_EQ(grid, (Cells{kGridBlocked, 2, 8, kGridBlocked})); // the hole keeps 2
    EXPECT_EQ(list[0], 0u);
    v_GridClear(0, 0, 2, 2, 2, 2, block, grid);
    EXPECT_EQ(grid, (Cells{kGridBlocked, 2, 0, kGridBlocked}));
    v_GridStamp(0, 0, 2, 2, 2, 2, block, grid);
    EXPECT_EQ(grid, (Cells{8, 2, 8, 8}));
}

TEST(CellGrid, CollectListNeverOverflowsItsCapacity) {
    Cells grid = {1, 2, 3, 4, 5, 6};
    Cells list(3, 0);
    int32_t count = 0;
    v_GridStampCollect2(0, 0, 6, 1, 6, 1, count, list, Cells(6, 9), grid);
    EXPECT_EQ(list, (Cells{1, 2, 3}));
    EXPECT_EQ(count, 2);
    count = 5; // out of range from the caller: nothing recorded
    v_GridStampCollect(0, 0, 6, 1, 6, 1, count, list, Cells(6, 9), grid);
    EXPECT_EQ(list, (Cells{1, 2, 3}));
    EXPECT_EQ(grid, Cells(6, 9)); // the stamp itself still happens
}

TEST(CellGrid, UndersizedArraysDoNothing) {
    Cells grid(3, 0);
    v_GridStamp(0, 0, 2, 2, 2, 2, Cells(4, 1), grid); // grid holds 3 of 4 cells
    EXPECT_EQ(grid, Cells(3, 0));
    v_GridStamp(0, 0, 2, 2, 1, 3, Cells(3, 1), grid); // block holds 3 of 4 cells
    EXPECT_EQ(grid, Cells(3, 0));
}

TEST(CellGrid, FromMaskDropsTheLastSevenColumns) {
    std::vector<uint8_t> mask = {1, 0, 0, 0, 0, 0, 0, 1, //
                                 0, 1, 1, 1, 1, 1, 1, 1};
    Cells grid(2, 99);
    v_GridFromMask(8, 2, 5, mask, grid);
    EXPECT_EQ(grid, (Cells{5, 0}));

    std::vector<uint8_t> wide = {0, 3, 1, 1, 1, 1, 1, 1, 1};
    Cells g2(2, 99);
    v_GridFromMask(9, 1, 7, wide, g2);
    EXPECT_EQ(g2, (Cells{0, 7}));

    Cells untouched(4, 99);
    v_GridFromMask(7, 1, 5, std::vector<uint8_t>(7, 1), untouched);
    v_GridFromMask(3, 1, 5, std::vector<uint8_t>(3, 1), untouched);
    EXPECT_EQ(untouched, Cells(4, 99));
}

class TickTest : public krxtest::HeadlessTest {};

TEST_F(TickTest, PeriodicTimerIsDueOnceEvery101Ms) {
    Backend().SetNow(50'000);
    sc_Tick t;
    t.vSet(100, 0);
    std::vector<uint32_t> due;
    for (uint32_t ms = 0; ms <= 303; ++ms) {
        Backend().SetNow(50'000 + ms);
        if (t.bIsDue()) due.push_back(ms);
    }
    EXPECT_EQ(due, (std::vector<uint32_t>{0, 101, 202, 303}));
}

TEST_F(TickTest, RandomExtraStaysWithinItsPartWithoutOverflow) {
    plat::SeedRandom(1234);
    sc_Tick t;
    t.vSet(10, 0x7FFFFFFF); // rand * part overflows 32 bits
    Backend().SetNow(1'000'000);
    ASSERT_TRUE(t.bIsDue());
    // Reconstruct the draw: the next time is now + 10 + rand * part / 32767.
    plat::SeedRandom(1234);
    const int64_t extra = static_cast<int64_t>(plat::Rand()) * 0x7FFFFFFF / plat::kRandMax;
    ASSERT_GT(extra, 0);
    Backend().SetNow(static_cast<uint32_t>(1'000'000 + 10 + extra));
    EXPECT_FALSE(t.bIsDue());
    Backend().SetNow(static_cast<uint32_t>(1'000'000 + 10 + extra + 1));
    EXPECT_TRUE(t.bIsDue());
}

TEST_F(TickTest, BlinkerAlternatesItsTwoPhases) {
    Backend().SetNow(20'000);
    sc_Tick2 b;
    b.vSet(200, 800);
    auto at = [&](uint32_t ms) {
        Backend().SetNow(20'000 + ms);
        return b.bGetPhase();
    };
    EXPECT_EQ(at(0), -1);
    EXPECT_EQ(at(200), -1);
    EXPECT_EQ(at(201), 0);
    EXPECT_EQ(at(1001), 0);
    EXPECT_EQ(at(1002), -1);
    b.vReset();
    EXPECT_EQ(at(1003), -1); // reset: due at once, from phase 0 again
}

std::vector<int> Values(sc_LightAni& a, int n, int32_t start = 1000) {
    std::vector<int> out;
    for (int i = 0; i < n; ++i) out.push_back(a.cGetValue(start + 50 * i));
    return out;
}

TEST(LightAni, BounceClampsAndTurns) {
    sc_LightAni a;
    a.vSet(1, 50, 3, 31, -31);
    const std::vector<int> v = Values(a, 33);
    const std::vector<int> expect = {3,   6,   9,   12,  15,  18,  21,  24,  27,  30, 31,
                                     28,  25,  22,  19,  16,  13,  10,  7,   4,   1,  -2,
                                     -5, -8, -11, -14, -17, -20, -23, -26, -29, -31, -28};
    EXPECT_EQ(v, expect);
    // At most one step per call, however late.
    EXPECT_EQ(a.cGetValue(1'000'000), -25);
    EXPECT_EQ(a.cGetValue(1'000'001), -25);
}

TEST(LightAni, SawModesWrapToTheOtherBound) {
    sc_LightAni up;
    up.vSet(2, 50, 4, 10, 0);
    EXPECT_EQ(Values(up, 5), (std::vector<int>{4, 8, 0, 4, 8}));
    sc_LightAni down;
    down.vSet(3, 50, 4, 10, 0);
    EXPECT_EQ(Values(down, 4), (std::vector<int>{6, 2, 10, 6}));
}

TEST(LightAni, SumsBeyondEightBitsObeyTheBounds) {
    // 120 + 100 passes 127: stepped in int it clamps to the bound instead of
    // wrapping negative first.
    sc_LightAni a;
    a.vSet(1, 50, 100, 120, -120);
    EXPECT_EQ(Values(a, 4), (std::vector<int>{100, 120, 20, -80}));
    EXPECT_EQ(a.cGetValue(5000), -120);
    sc_LightAni saw;
    saw.vSet(2, 50, 100, 127, -128);
    EXPECT_EQ(Values(saw, 3), (std::vector<int>{-28, 72, -128}));
}

TEST(LightAni, StoppedReturnsZeroAndDefaultsStay) {
    sc_LightAni a; // stopped, with mode-1 settings kept
    EXPECT_EQ(a.cGetValue(100), 0);
    a.vSet(1, 50, 3, 31, -31);
    a.cGetValue(100);
    a.vStop();
    EXPECT_EQ(a.cGetValue(200), 0);

    g_lNowTick = 777;
    sc_LightAni f;
    f.vSet(1, 50, 5, 31, -31);
    EXPECT_EQ(f.cGetValue(), 5); // the frame time
    EXPECT_EQ(f.cGetValue(0), 5); // 777 < 827: not yet
    g_lNowTick = 827;
    EXPECT_EQ(f.cGetValue(), 10);
}

TEST(LightAni, RecordIsSixBytesAndReadRestarts) {
    sc_LightAni a;
    a.vSet(3, 0x0102, -3, 20, -20);
    sc_ByteWriter w;
    a.vWrite(w);
    EXPECT_EQ(w.Bytes(), (std::vector<uint8_t>{0x02, 0x01, 0xFD, 20, 0xEC, 3}));

    sc_LightAni b;
    sc_ByteReader r(w.Bytes());
    ASSERT_TRUE(b.bRead(r));
    EXPECT_EQ(b.cGetMode(), 3);
    EXPECT_EQ(b.cGetValue(10), 23); // starts at the upper bound, falling by -3
    sc_ByteReader cut(w.Bytes().data(), 5);
    sc_LightAni c;
    EXPECT_FALSE(c.bRead(cut));
    EXPECT_EQ(c.cGetMode(), 0);
}

} // namespace
