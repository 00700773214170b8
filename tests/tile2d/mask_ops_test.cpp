#include <gtest/gtest.h>

#include <string>

#include "tests/tile2d/tile_fixture.h"
#include "tile2d/mask_ops.h"

namespace {

using namespace t2dtest;

class MaskOpsTest : public TileTest {};

TEST_F(MaskOpsTest, AndAndUpperCaseCopies) {
    uint8_t a[4] = {0xFF, 0x0F, 0xA5, 0x00};
    const uint8_t b[4] = {0x3C, 0xFF, 0x0F, 0xFF};
    EXPECT_EQ(l_AndBytes(a, b, 3), 3u);
    EXPECT_EQ(a[0], 0x3C);
    EXPECT_EQ(a[1], 0x0F);
    EXPECT_EQ(a[2], 0x05);
    EXPECT_EQ(a[3], 0x00);

    const std::string in = "abz AZ 09 `{@[ -_.\xE1";
    std::string out(in.size() + 1, '#');
    EXPECT_EQ(l_CopyUpper(reinterpret_cast<const uint8_t*>(in.data()), reinterpret_cast<uint8_t*>(out.data()),
                          static_cast<uint32_t>(in.size())),
              in.size());
    EXPECT_EQ(out, "ABZ AZ 09 `{@[ -_.\xE1#");
}

Bytes Mask(uint32_t w, uint32_t h, uint8_t fill) {
    Bytes m;
    Put32(m, w | h << 16);
    m.resize(4 + size_t{w} * h, fill);
    return m;
}
uint8_t MaskAt(const Bytes& m, uint32_t w, uint32_t x, uint32_t y) {
    return m[4 + y * w + x];
}

TEST_F(MaskOpsTest, FeatherGradesTheRingsInwards) {
    Bytes m = Mask(10, 10, 255);
    Bytes scratch(100, 0x55);
    v_FeatherMask(m.data(), static_cast<uint32_t>(m.size()), 3, scratch.data(), 100);
    for (uint32_t y = 0; y < 10; ++y)
        for (uint32_t x = 0; x < 10; ++x) {
            const uint32_t ring = std::min(std::min(x, y), std::min(9 - x, 9 - y));
            ASSERT_EQ(MaskAt(m, 10, x, y), ring == 0 ? 253 : ring == 1 ? 254 : 255) << x << "," << y;
        }

    const Bytes before = m;
    v_FeatherMask(m.data(), static_cast<uint32_t>(m.size()), 1, scratch.data(), 100);
    EXPECT_EQ(m, before);
}

TEST_F(MaskOpsTest, FeatherFollowsHolesDiagonallyAndKeepsOtherBytes) {
    // A hole in the middle of a 9 x 9 mask, and one byte of another value.
    Bytes m = Mask(9, 9, 255);
    m[4 + 4 * 9 + 4] = 0;
    m[4 + 0 * 9 + 8] = 7;
    Bytes scratch(81);
    v_FeatherMask(m.data(), static_cast<uint32_t>(m.size()), 4, scratch.data(), 81);
    EXPECT_EQ(MaskAt(m, 9, 4, 4), 0);
    EXPECT_EQ(MaskAt(m, 9, 3, 3), 252) << "a diagonal neighbour counts";
    EXPECT_EQ(MaskAt(m, 9, 2, 4), 253);
    EXPECT_EQ(MaskAt(m, 9, 2, 2), 253);
    EXPECT_EQ(MaskAt(m, 9, 1, 4), 253) << "the outer ring's second ring";
    EXPECT_EQ(MaskAt(m, 9, 0, 4), 252);
    EXPECT_EQ(MaskAt(m, 9, 8, 0), 7);
    EXPECT_EQ(MaskAt(m, 9, 7, 1), 253) << "a byte of 7 is not an edge";
    EXPECT_EQ(MaskAt(m, 9, 4, 1), 253);

    // One pass on its own reports what it changed.
    Bytes one = Mask(3, 3, 255);
    EXPECT_EQ(l_FeatherPass(one.data(), static_cast<uint32_t>(one.size()), scratch.data(), 9, 200, 200), 8u);
    EXPECT_EQ(MaskAt(one, 3, 1, 1), 255);
    EXPECT_EQ(l_FeatherPass(one.data(), static_cast<uint32_t>(one.size()), scratch.data(), 9, 201, 200), 1u);
    EXPECT_EQ(MaskAt(one, 3, 1, 1), 201);
}

TEST_F(MaskOpsTest, FeatherNeedsTheWholeMaskAndScratch) {
    Bytes m = Mask(6, 5, 255);
    const Bytes before = m;
    Bytes scratch(30);
    for (uint32_t n = 0; n < m.size(); ++n)
        v_FeatherMask(m.data(), n, 3, scratch.data(), 30);
    v_FeatherMask(m.data(), static_cast<uint32_t>(m.size()), 3, scratch.data(), 29);
    v_FeatherMask(m.data(), static_cast<uint32_t>(m.size()), 3, nullptr, 30);
    EXPECT_EQ(m, before);
    // Ring counts from 255 up never use the level 0.
    v_FeatherMask(m.data(), static_cast<uint32_t>(m.size()), 100000, scratch.data(), 30);
    EXPECT_EQ(MaskAt(m, 6, 0, 0), 1);
    EXPECT_EQ(MaskAt(m, 6, 1, 1), 2);
    EXPECT_EQ(MaskAt(m, 6, 2, 2), 3);
}

// An image: a 2-byte tag, 256 triplets, then bytes of its own.
Bytes Image(uint8_t r, uint8_t g, uint8_t b) {
    Bytes im{'N', '@'};
    for (uint32_t k = 0; k < 256; ++k) {
        im.push_back(k == 1 ? 255 : r);
        im.push_back(k == 1 ? 128 : g);
        im.push_back(k == 1 ? 8 : b);
    }
    im.insert(im.end(), {0xAB, 0xCD});
    return im;
}

TEST_F(MaskOpsTest, AdjustTintsAndConvertsEveryPalette) {
    Bytes data = Image(200, 100, 40);
    EXPECT_EQ(data.size(), 772u);
    v_AdjustImagePalettes(nullptr, data.data(), 0, static_cast<uint32_t>(data.size()), 100, 100, 100);
    EXPECT_EQ(Get16(data, 2), (25 << 10) | (12 << 5) | 5) << "100% only converts";
    EXPECT_EQ(Get16(data, 4), (31 << 10) | (16 << 5) | 1);
    EXPECT_EQ(Get16(data, 2 + 2 * 255), (25 << 10) | (12 << 5) | 5);
    EXPECT_EQ(data[2 + 513], 200) << "the bytes after the new palette stay";
    EXPECT_EQ(data[770], 0xAB);

    // Two images, the first named twice and tinted once; an offset past the
    // data is passed over.
    Bytes bank = Image(200, 100, 40);
    const Bytes second = Image(10, 20, 30);
    bank.insert(bank.end(), second.begin(), second.end());
    Bytes table;
    for (uint32_t off : {0u, 772u, 0u, 1000u, 0xFFFFFFF0u})
        Put32(table, off);
    v_SetPixelMode(2);
    v_AdjustImagePalettes(table.data(), bank.data(), static_cast<uint32_t>(table.size()),
                          static_cast<uint32_t>(bank.size()), 50, 150, 200);
    // 200 * 50% = 100; 100 * 150% = 150; 40 * 200% = 80, in 5-6-5.
    EXPECT_EQ(Get16(bank, 2), (100 >> 3) << 11 | (150 >> 2) << 5 | 80 >> 3);
    EXPECT_EQ(Get16(bank, 4), (127 >> 3) << 11 | (192 >> 2) << 5 | 16 >> 3);
    EXPECT_EQ(Get16(bank, 772 + 2), (5 >> 3) << 11 | (30 >> 2) << 5 | 60 >> 3);
    EXPECT_EQ(Get16(bank, 772 + 4), (127 >> 3) << 11 | (192 >> 2) << 5 | 16 >> 3);
    v_SetPixelMode(0);
    Bytes bright = Image(200, 100, 40);
    v_AdjustImagePalettes(nullptr, bright.data(), 0, static_cast<uint32_t>(bright.size()), 200, 200, 200);
    EXPECT_EQ(Get16(bright, 2), (31 << 10) | (25 << 5) | 10) << "doubling holds at 255";
}

TEST_F(MaskOpsTest, AdjustLeavesImagesThatDoNotFit) {
    Bytes data = Image(200, 100, 40);
    const Bytes before = data;
    v_AdjustImagePalettes(nullptr, data.data(), 0, 769, 100, 100, 100);
    v_AdjustImagePalettes(nullptr, data.data(), 4, 772, 100, 100, 100);
    Bytes table;
    Put32(table, 1);
    v_AdjustImagePalettes(table.data(), data.data(), 3, 772, 100, 100, 100);
    v_AdjustImagePalettes(table.data(), data.data(), 4, 770, 100, 100, 100);
    v_AdjustImagePalettes(table.data(), nullptr, 4, 772, 100, 100, 100);
    EXPECT_EQ(data, before);
}

} // namespace
