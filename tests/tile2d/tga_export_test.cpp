#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/support/temp_dir.h"
#include "tests/tile2d/tile_fixture.h"
#include "tile2d/tga_export.h"

namespace {

using namespace t2dtest;

class TgaTest : public TileTest {};

Bytes Header(uint16_t w, uint16_t h, uint8_t bits) {
    Bytes b{0, 0, 2, 0, 0, 0, 0, 0, 0, 0, 0, 0};
    Put16(b, w);
    Put16(b, h);
    b.push_back(bits);
    b.push_back(0);
    return b;
}

TEST_F(TgaTest, CentresEachRowAndWritesBottomUp) {
    // Red 31; blue 31 with green 16.
    const Bytes src = Image16(0, 0, {0x7C00, 0x021F});
    Bytes out(40, 0xEE);
    const Bytes body(src.begin() + 4, src.end());
    ASSERT_EQ(v_SaveTga24(body.data(), 4, out.data(), 40, 2, 1, 4, 4), 30u);
    Bytes want = Header(4, 1, 24);
    want.insert(want.end(), {0, 0, 0, 0, 0, 0xF8, 0xF8, 0x80, 0, 0, 0, 0});
    EXPECT_EQ(Bytes(out.begin(), out.begin() + 30), want);
    EXPECT_EQ(out[30], 0xEE);

    // Two rows of a pitched source: the first row lands last.
    const std::vector<uint16_t> rows = {0x0001, 0x0002, 0xFFFF, 0x0003, 0x0004, 0xFFFF};
    const Bytes pitched = Image16(0, 0, rows);
    Bytes out16(64, 0xEE);
    ASSERT_EQ(v_SaveTga16(pitched.data() + 4, 12, out16.data(), 64, 2, 2, 6, 3), 18u + 12u);
    want = Header(3, 2, 16);
    for (uint16_t p : {3, 4, 0, 1, 2, 0})
        Put16(want, p);
    EXPECT_EQ(Bytes(out16.begin(), out16.begin() + 30), want);
}

TEST_F(TgaTest, ChannelsAreWidenedByTheirWidth) {
    Bytes out(64, 0);
    const Bytes px = Image16(0, 0, {0xFFFF});
    for (uint8_t mode : {1, 2, 3}) {
        v_SetPixelMode(mode);
        ASSERT_EQ(v_SaveTga24(px.data() + 4, 2, out.data(), 64, 1, 1, 2, 1), 21u);
        // Six-bit channels times 4 (252), five-bit ones times 8 (248).
        EXPECT_EQ(out[18], mode == 3 ? 252 : 248) << int(mode);
        EXPECT_EQ(out[19], mode == 2 ? 252 : 248) << int(mode);
        EXPECT_EQ(out[20], mode == 1 ? 252 : 248) << int(mode);
        ASSERT_EQ(v_SaveTga16(px.data() + 4, 2, out.data(), 64, 1, 1, 2, 1), 20u);
        EXPECT_EQ(Get16(out, 18), 0x7FFF) << int(mode);
    }
    // Mode 2: red 17, green 45 (of 63), blue 9 keep their top five bits.
    v_SetPixelMode(2);
    const Bytes p2 = Image16(0, 0, {static_cast<uint16_t>(17 << 11 | 45 << 5 | 9)});
    v_SaveTga16(p2.data() + 4, 2, out.data(), 64, 1, 1, 2, 1);
    EXPECT_EQ(Get16(out, 18), 17 << 10 | 22 << 5 | 9);
    v_SetPixelMode(1);
    const Bytes p1 = Image16(0, 0, {static_cast<uint16_t>(45 << 10 | 3 << 5 | 1)});
    v_SaveTga16(p1.data() + 4, 2, out.data(), 64, 1, 1, 2, 1);
    EXPECT_EQ(Get16(out, 18), 22 << 10 | 3 << 5 | 1);
}

TEST_F(TgaTest, WideCellsUseTheLowHalfAndADoublePitch) {
    Bytes src;
    for (uint32_t v : {0xAAAA0001u, 0xBBBB0002u, 0xCCCC0003u, 0xDDDD0004u})
        Put32(src, v);
    Bytes out(64, 0);
    ASSERT_EQ(v_SaveTga24Wide(src.data(), 16, out.data(), 64, 1, 2, 4, 1), 24u);
    EXPECT_EQ(out[18], 3 * 8) << "second row (cell 2) comes first";
    EXPECT_EQ(out[21], 1 * 8);
}

TEST_F(TgaTest, RefusesWhatDoesNotFit) {
    const Bytes px = Image16(0, 0, {1, 2, 3, 4});
    Bytes out(64, 0xEE);
    EXPECT_EQ(v_SaveTga24(px.data() + 4, 8, out.data(), 29, 2, 1, 4, 4), 0u) << "output one byte short";
    EXPECT_EQ(v_SaveTga24(px.data() + 4, 8, out.data(), 64, 4, 1, 8, 2), 0u) << "W narrower than w";
    EXPECT_EQ(v_SaveTga16(px.data() + 4, 7, out.data(), 64, 2, 2, 4, 2), 0u) << "source one byte short";
    EXPECT_EQ(v_SaveTga16(px.data() + 4, 8, out.data(), 64, 2, 2, 4, 0x10000), 0u);
    EXPECT_EQ(out[0], 0xEE);
    EXPECT_EQ(v_SaveTga16(nullptr, 0, out.data(), 64, 0, 0, 0, 4), 18u) << "no rows: the header alone";
    // An empty block with rows: every output pixel is padding.
    out.assign(64, 0xEE);
    ASSERT_EQ(v_SaveTga24(nullptr, 0, out.data(), 64, 0, 2, 4, 2), 30u);
    EXPECT_EQ(Bytes(out.begin(), out.begin() + 18), Header(2, 2, 24));
    EXPECT_EQ(Bytes(out.begin() + 18, out.begin() + 30), Bytes(12, 0));
    EXPECT_EQ(out[30], 0xEE);
}

TEST_F(TgaTest, FileHoldsThePictureBytes) {
    krxtest::TempDir dir;
    const Bytes px = Image16(0, 0, {0x7FFF});
    Bytes out(32, 0);
    const uint32_t n = v_SaveTga16(px.data() + 4, 2, out.data(), 32, 1, 1, 2, 1);
    ASSERT_EQ(n, 20u);
    ASSERT_TRUE(b_WriteTgaFile((dir.Path() / "000001.tga").string(), out.data(), n));
    Bytes want = Header(1, 1, 16);
    Put16(want, 0x7FFF);
    EXPECT_EQ(dir.Read("000001.tga"), std::string(want.begin(), want.end()));
    EXPECT_FALSE(b_WriteTgaFile((dir.Path() / "missing" / "x.tga").string(), out.data(), n));
    EXPECT_FALSE(b_WriteTgaFile((dir.Path() / "short.tga").string(), out.data(), 17));
}

} // namespace
