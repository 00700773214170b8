#include <gtest/gtest.h>

#include "pagefont/alpha_map.h"
#include "tests/pagefont/page_fixture.h"

namespace {

using pftest::PageTest;

std::vector<uint8_t> Map(int32_t w, int32_t h, const std::vector<uint8_t>& a) {
    std::vector<uint8_t> v;
    pftest::Put16(v, static_cast<uint32_t>(w));
    pftest::Put16(v, static_cast<uint32_t>(h));
    v.insert(v.end(), a.begin(), a.end());
    return v;
}

TEST_F(PageTest, AlphaMapBlendsInSixteenthsRoundingDown) {
    MakeTarget(4, 1, 0x7fff);
    const std::vector<uint8_t> m = Map(4, 1, {0, 15, 8, 1});
    v_PutAlphaMapColor(0, 0, m.data(), 0x0000);
    EXPECT_EQ(At(0, 0), 0x7fff) << "0 leaves the pixel";
    EXPECT_EQ(At(1, 0), 0x0000) << "15 writes the colour";
    EXPECT_EQ(At(2, 0), 0x3def) << "31 + floor(-31 * 8 / 16) = 15 in every channel";
    EXPECT_EQ(At(3, 0), 0x77bd) << "31 + floor(-31 / 16) = 29: floor, not truncation";
    // Upwards the floor rounds toward the destination: 0 + floor(31 * 1 / 16) = 1.
    MakeTarget(1, 1, 0x0000, 1);
    const std::vector<uint8_t> one = Map(1, 1, {1});
    v_PutAlphaMapColor(0, 0, one.data(), 0x7fff);
    EXPECT_EQ(At(0, 0), (1 << 10) | (1 << 5) | 1);
}

TEST_F(PageTest, AlphaMapChannelsStayInTheirFields) {
    MakeTarget(1, 1, 0x7c1f); // red and blue full, green 0
    const std::vector<uint8_t> m = Map(1, 1, {7});
    v_PutAlphaMapColor(0, 0, m.data(), 0x03e0);
    // red 31 + floor(-31*7/16) = 17, green floor(31*7/16) = 13, blue 17
    EXPECT_EQ(At(0, 0), (17 << 10) | (13 << 5) | 17);
    v_SetPixelFormat(4);
    Set(0, 0, 0x0000);
    v_PutAlphaMapColor(0, 0, m.data(), 0xffff);
    EXPECT_EQ(At(0, 0), (13 << 11) | (27 << 5) | 13) << "green has 6 bits in 5-6-5";
}

TEST_F(PageTest, AlphaMapClipsOnEverySide) {
    const int32_t w = 3, h = 2;
    const std::vector<uint8_t> m = Map(w, h, {15, 15, 15, 15, 15, 15});
    MakeTarget(5, 4);
    v_PutAlphaMapColor(-w + 1, 0, m.data(), 7);
    EXPECT_EQ(At(0, 0), 7);
    EXPECT_EQ(At(1, 0), 0) << "only the last column shows";
    v_PutAlphaMapColor(4, 2, m.data(), 8);
    EXPECT_EQ(At(4, 2), 8);
    EXPECT_EQ(At(4, 3), 8);
    EXPECT_EQ(At(3, 2), 0);
    // Rows above the page are skipped: a map at y = -1 shows its second row.
    const std::vector<uint8_t> rows = Map(1, 2, {0, 15});
    v_PutAlphaMapColor(2, -1, rows.data(), 9);
    EXPECT_EQ(At(2, 0), 9);
    v_PutAlphaMapColor(5, 0, m.data(), 1);
    v_PutAlphaMapColor(0, 4, m.data(), 1);
    v_PutAlphaMapColor(-3, 0, m.data(), 1);
    v_PutAlphaMapColor(0, -2, m.data(), 1);
    for (uint16_t v : Snapshot())
        EXPECT_NE(v, 1);
}

TEST_F(PageTest, AlphaValuesAboveFifteenCountAsFull) {
    MakeTarget(2, 1, 0x1234);
    const std::vector<uint8_t> m = Map(2, 1, {16, 255});
    v_PutAlphaMapColor(0, 0, m.data(), 0x0421);
    EXPECT_EQ(At(0, 0), 0x0421);
    EXPECT_EQ(At(1, 0), 0x0421);
}

} // namespace
