#include <gtest/gtest.h>

#include <vector>

#include "tests/tile2d/tile_fixture.h"
#include "tile2d/byte_utils.h"
#include "tile2d/plain_blits.h"

namespace {

using namespace t2dtest;

// A 16 x 8 destination between guard pixels, the screen range covering it.
class BlitTest : public TileTest {
protected:
    static constexpr uint32_t kP = 16, kRows = 8, kG = 8;
    void SetUp() override {
        TileTest::SetUp();
        m_dst.assign(kP * kRows + 2 * kG, 0xDEAD);
        std::fill_n(m_dst.begin() + kG, kP * kRows, uint16_t{0x1111});
        RangeRows(kRows);
    }
    void TearDown() override {
        for (uint32_t i = 0; i < kG; ++i) {
            EXPECT_EQ(m_dst[i], 0xDEAD);
            EXPECT_EQ(m_dst[m_dst.size() - 1 - i], 0xDEAD);
        }
        TileTest::TearDown();
    }
    void RangeRows(uint32_t rows) {
        v_SetScreenRange(reinterpret_cast<uint8_t*>(D()), reinterpret_cast<uint8_t*>(D() + rows * kP), nullptr);
    }
    uint16_t* D() { return m_dst.data() + kG; }
    uint16_t& Px(uint32_t x, uint32_t y) { return m_dst[kG + y * kP + x]; }
    static uint32_t N(const Bytes& b) { return static_cast<uint32_t>(b.size()); }
    static constexpr uint32_t kPixels = kP * kRows;
    std::vector<uint16_t> m_dst;
};

Bytes Ramp16(uint32_t w, uint32_t h, uint16_t first = 1) {
    std::vector<uint16_t> px(size_t{w} * h);
    for (uint32_t i = 0; i < px.size(); ++i)
        px[i] = static_cast<uint16_t>(first + i);
    return Image16(w, h, px);
}

TEST_F(BlitTest, RowsStopAtTheScreenRangeEnd) {
    const Bytes img = Ramp16(3, 4);
    RangeRows(3); // the third image row (at y = 1) would start at the end
    v_ShowImage16(2, 1, img.data(), N(img), D(), kPixels, kP);
    EXPECT_EQ(Px(2, 1), 1);
    EXPECT_EQ(Px(4, 2), 6);
    EXPECT_EQ(Px(2, 3), 0x1111) << "two rows shown";
    v_SetScreenRange(nullptr, nullptr, nullptr);
    v_ShowImage16(0, 0, img.data(), N(img), D(), kPixels, kP);
    EXPECT_EQ(Px(0, 0), 0x1111) << "no range set: no row passes the test";
    // The plain copies and the scaled drawers make no test.
    v_ShowImage16Scaled(0, 0, img.data(), N(img), 3, 4, D(), kPixels, kP);
    EXPECT_EQ(Px(0, 0), 1);
}

TEST_F(BlitTest, WritesStayInsideTheDestination) {
    const Bytes img = Ramp16(4, 3);
    RangeRows(100);
    v_ShowImage16(14, 6, img.data(), N(img), D(), kPixels, kP);
    EXPECT_EQ(Px(15, 6), 2);
    EXPECT_EQ(Px(0, 7), 3) << "no clipping: a row runs on into the next";
    v_ShowImage16(-2, -1, img.data(), N(img), D(), kPixels, kP);
    EXPECT_EQ(Px(0, 0), 7);
    v_ShowImage16(0, 0, img.data(), N(img) - 1, D(), kPixels, kP); // last row incomplete
    EXPECT_EQ(Px(0, 1), 5);
    EXPECT_EQ(Px(0, 2), 0x1111);
    v_ShowImage16Scaled(10, 7, img.data(), N(img), 40, 40, D(), kPixels, kP);
    v_FillRectAlpha(-5, 6, 100, 9, 0xFFFFFF, D(), kPixels, kP, 63);
    EXPECT_EQ(Px(15, 7), 0x7FFF);
}

TEST_F(BlitTest, TwentyFourBitAndPaletteColours) {
    Bytes img;
    Put32(img, 10 | 2 << 16);
    for (uint32_t i = 0; i < 20; ++i)
        img.insert(img.end(), {0xFF, 0x80, static_cast<uint8_t>(8 * i)}); // blue, green, red
    v_ShowImage24Clip(kP - 3, 0, img.data(), N(img), D(), kPixels, kP, kRows);
    EXPECT_EQ(Px(13, 0), 16 << 5 | 31);
    EXPECT_EQ(Px(15, 0), 2 << 10 | 16 << 5 | 31);
    EXPECT_EQ(Px(0, 1), 0x1111) << "cut at the right: 3 columns";
    EXPECT_EQ(Px(13, 1), 10 << 10 | 16 << 5 | 31);
    v_ShowImage24Clip(0, 7, img.data(), N(img), D(), kPixels, kP, kRows);
    EXPECT_EQ(Px(0, 7), 16 << 5 | 31);
    v_ShowImage24Clip(kP, 2, img.data(), N(img), D(), kPixels, kP, kRows);
    v_ShowImage24Clip(0, kRows, img.data(), N(img), D(), kPixels, kP, kRows);
    EXPECT_EQ(Px(0, 2), 0x1111);

    v_SetPixelMode(2);
    v_ShowImage24Clip(0, 3, img.data(), N(img), D(), kPixels, kP, kRows);
    EXPECT_EQ(Px(1, 3), 1 << 11 | 32 << 5 | 31) << "six-bit green keeps its low bit";

    Bytes pal(768, 0);
    pal[3 * 7] = 0xF8;     // red
    pal[3 * 7 + 2] = 0x08; // blue
    const Bytes idx = {2, 0, 1, 0, 7, 0};
    v_SetPixelMode(0);
    v_ShowImage8Rgb(0, 4, idx.data(), N(idx), pal.data(), 768, D(), kPixels, kP);
    EXPECT_EQ(Px(0, 4), 31 << 10 | 1);
    EXPECT_EQ(Px(1, 4), 0) << "index 0 is drawn";
    v_ShowImage8Rgb(0, 5, idx.data(), N(idx), pal.data(), 767, D(), kPixels, kP);
    EXPECT_EQ(Px(0, 5), 0x1111);
}

TEST_F(BlitTest, WeightedColoursThroughTheLookupTable) {
    std::vector<uint8_t> table(65536);
    for (uint32_t wgt = 0; wgt < 256; ++wgt)
        for (uint32_t v = 0; v < 256; ++v)
            table[wgt * 256 + v] = static_cast<uint8_t>(wgt ? 255 - v : v);
    Bytes img;
    Put32(img, 2 | 1 << 16);
    img.insert(img.end(), {0, 0, 0, 0, 0, 0});
    const uint8_t weights[2] = {0, 1};
    v_SetLookupTable(nullptr, 0);
    v_ShowImage24Map(0, 0, img.data(), N(img), D(), kPixels, kP, weights, 2, 1);
    EXPECT_EQ(Px(0, 0), 0x1111) << "no table, nothing drawn";
    v_SetLookupTable(table.data(), 65536);
    v_ShowImage24Map(0, 0, img.data(), N(img), D(), kPixels, kP, weights, 2, 0);
    EXPECT_EQ(Px(0, 0), 0);
    EXPECT_EQ(Px(1, 0), 0x7FFF);
    EXPECT_EQ(img[7], 0) << "not written back";
    v_ShowImage24Map(0, 1, img.data(), N(img), D(), kPixels, kP, weights, 2, 1);
    EXPECT_EQ(img[7], 255);
    v_ShowImage24Map(0, 2, img.data(), N(img), D(), kPixels, kP, weights, 1, 1);
    EXPECT_EQ(Px(0, 2), 0x1111) << "weights short of a row";
    v_SetLookupTable(nullptr, 0);
}

TEST_F(BlitTest, EffectsPerPixel) {
    const uint16_t c = 20 << 10 | 10 << 5 | 4;
    const Bytes img = Image16(3, 1, {c, 0, 0x7FFF});
    const uint16_t d = 0x1111; // 4, 8, 17
    auto row = [&](uint32_t y) { return std::vector<uint16_t>{Px(0, y), Px(1, y), Px(2, y)}; };

    v_ShowImage16Key(0, 0, img.data(), N(img), D(), kPixels, kP);
    EXPECT_EQ(row(0), (std::vector<uint16_t>{c, d, 0x7FFF}));
    v_ShowImage16Half(0, 1, img.data(), N(img), D(), kPixels, kP);
    EXPECT_EQ(row(1), (std::vector<uint16_t>{12 << 10 | 9 << 5 | 10, 2 << 10 | 4 << 5 | 8, 17 << 10 | 19 << 5 | 24}));
    v_ShowImage16Fade(0, 2, img.data(), N(img), D(), kPixels, kP, 31 + 64);
    EXPECT_EQ(row(2), (std::vector<uint16_t>{10 << 10 | 5 << 5 | 2, 0, 15 << 10 | 15 << 5 | 15}));
    v_ShowImage16Alpha(0, 3, img.data(), N(img), D(), kPixels, kP, 40);
    EXPECT_EQ(row(3), (std::vector<uint16_t>{Blend555(40, c, d), Blend555(40, 0, d), Blend555(40, 0x7FFF, d)}));
    v_ShowImage16AddScaled(0, 4, img.data(), N(img), D(), kPixels, kP, 63);
    EXPECT_EQ(row(4), (std::vector<uint16_t>{24 << 10 | 18 << 5 | 21, d, 0x7FFF}));
    v_ShowImage16KeyAddHalf(0, 5, img.data(), N(img), D(), kPixels, kP, 31);
    EXPECT_EQ(row(5), (std::vector<uint16_t>{7 << 10 | 6 << 5 | 9, d, 9 << 10 | 11 << 5 | 16}));
    v_ShowImage16KeyHalf(0, 6, img.data(), N(img), D(), kPixels, kP);
    EXPECT_EQ(row(6)[1], d);
    v_ShowImage16KeyFade(0, 7, img.data(), N(img), D(), kPixels, kP, 31);
    EXPECT_EQ(row(7), (std::vector<uint16_t>{10 << 10 | 5 << 5 | 2, d, 15 << 10 | 15 << 5 | 15}));
    Px(1, 0) = 0x7FFF;
    v_ShowImage16KeyAddScaled(0, 0, img.data(), N(img), D(), kPixels, kP, 31);
    EXPECT_EQ(row(0), (std::vector<uint16_t>{30 << 10 | 15 << 5 | 6, 0x7FFF, 0x7FFF}));

    Bytes own = img;
    v_FadeImage16(own.data(), N(own), 31);
    EXPECT_EQ(Get16(own, 4), 10 << 10 | 5 << 5 | 2);
    EXPECT_EQ(Get16(own, 8), 15 << 10 | 15 << 5 | 15);
}

TEST_F(BlitTest, LeadInShiftsRowsAndPaintsBlack) {
    const Bytes img = Ramp16(2, 3);
    Bytes lead;
    for (uint32_t v : {0u, 8u})
        Put32(lead, v);
    v_ShowImage16Shear(1, 0, img.data(), N(img), D(), kPixels, kP, lead.data(), N(lead));
    EXPECT_EQ(Px(1, 0), 1);
    EXPECT_EQ(Px(1, 1), 0);
    EXPECT_EQ(Px(4, 1), 0);
    EXPECT_EQ(Px(5, 1), 3) << "8 bytes: 4 pixels right";
    EXPECT_EQ(Px(1, 2), 0x1111) << "a row without a lead-in is not drawn";
    Bytes huge;
    Put32(huge, 0xFFFFFFFF);
    v_ShowImage16FadeShear(0, 7, img.data(), N(img), D(), kPixels, kP, 63, huge.data(), 4);
    EXPECT_EQ(Px(15, 7), 0) << "a huge lead-in paints black up to the buffer's end";
}

TEST_F(BlitTest, RectangleCopies) {
    std::vector<uint16_t> src(4 * 3);
    for (uint32_t i = 0; i < src.size(); ++i)
        src[i] = static_cast<uint16_t>(i);
    const uint32_t n = static_cast<uint32_t>(src.size());
    v_CopyRect16(1, 1, 3, 2, D(), kPixels, kP, src.data(), n, 4);
    EXPECT_EQ(Px(0, 0), 5);
    EXPECT_EQ(Px(2, 1), 11);
    EXPECT_EQ(Px(3, 0), 0x1111);
    v_CopyRect16Key(0, 0, 2, 1, D(), kPixels, kP, src.data(), n, 4);
    EXPECT_EQ(Px(0, 0), 5) << "0 skipped";
    EXPECT_EQ(Px(1, 0), 1);
    v_CopyRect16(2, 2, 5, 5, D(), kPixels, kP, src.data(), n, 4); // beyond the source
    EXPECT_EQ(Px(0, 0), 10);
    EXPECT_EQ(Px(1, 0), 11);
    EXPECT_EQ(Px(2, 0), 7) << "source pixel 12 lies past the source";

    const std::vector<uint8_t> mask = {0, 255, 128, 4, 9, 9, 9, 9, 9, 9, 9, 9};
    v_CopyRect16Mask(0, 0, 4, 1, D(), kPixels, kP, src.data(), n, 4, mask.data(), 12);
    EXPECT_EQ(Px(4, 0), 0x1111);
    std::fill_n(D() + kP * 3, 4, uint16_t{0x7FFF});
    std::vector<uint16_t> white(12, 0x7C00);
    v_CopyRect16MaskAlpha(0, 0, 4, 1, D() + kP * 3, kPixels - kP * 3, kP, white.data(), 12, 4, mask.data(), 12);
    EXPECT_EQ(Px(0, 3), 0x7FFF);
    EXPECT_EQ(Px(1, 3), 0x7C00) << "mask 255: T[63][c] + T[0][d] = c";
    EXPECT_EQ(Px(2, 3), Blend555(32, 0x7C00, 0x7FFF));
    EXPECT_EQ(Px(3, 3), Blend555(1, 0x7C00, 0x7FFF));
    v_CopyRect16Mask(0, 1, 4, 1, D(), kPixels, kP, src.data(), n, 4, mask.data(), 5);
    EXPECT_EQ(Px(0, 0), 4) << "source row 1 through mask byte 4, the last present";
    EXPECT_EQ(Px(1, 0), 1) << "mask bytes past the end skip";

    std::vector<uint8_t> s24(3 * 4 * 2), d24(3 * 2 + 1, 0xEE);
    for (uint32_t i = 0; i < s24.size(); ++i)
        s24[i] = static_cast<uint8_t>(i);
    v_CopyRect24(2, 1, 3, 1, d24.data(), 6, 2, s24.data(), N(s24), 4);
    EXPECT_EQ(d24, (std::vector<uint8_t>{18, 19, 20, 21, 22, 23, 0xEE}));
}

TEST_F(BlitTest, ScalingStepsOnTheFraction) {
    const Bytes ten = Ramp16(10, 1, 0);
    Bytes out(4 + 5 * 2, 0xEE);
    v_ScaleImage16(ten.data(), N(ten), out.data(), N(out), 5, 1);
    EXPECT_EQ(Get32(out, 0), 5u | 1u << 16);
    for (uint32_t i = 0; i < 5; ++i)
        EXPECT_EQ(Get16(out, 4 + 2 * i), 2 * i);

    const Bytes four = Ramp16(4, 2, 0);
    Bytes big(4 + 8 * 4 * 2);
    v_ScaleImage16(four.data(), N(four), big.data(), N(big), 8, 4);
    std::vector<uint16_t> got;
    for (uint32_t i = 0; i < 32; ++i)
        got.push_back(Get16(big, 4 + 2 * i));
    EXPECT_EQ(std::vector<uint16_t>(got.begin(), got.begin() + 8), (std::vector<uint16_t>{0, 0, 1, 1, 2, 2, 3, 3}));
    EXPECT_EQ(got[8], 0) << "rows repeat like columns";
    EXPECT_EQ(got[16], 4);
    EXPECT_EQ(got[31], 7);

    Bytes none(4, 0xEE);
    v_ScaleImage16(four.data(), N(four), none.data(), 4, 0, 3);
    v_ScaleImage16(four.data(), N(four), none.data(), 4, 1, 1); // no room for the pixel
    EXPECT_EQ(none[0], 0xEE);

    v_ShowImage16ScaledKey(0, 0, ten.data(), N(ten), 5, 2, D(), kPixels, kP);
    EXPECT_EQ(Px(0, 0), 0x1111) << "source pixel 0 skipped";
    EXPECT_EQ(Px(1, 1), 2);
    std::vector<uint16_t> pitched = {1, 2, 99, 3, 4, 99};
    v_ShowRect16Scaled(0, 3, pitched.data(), 5, 4, 2, D(), kPixels, kP, 2, 2, 3);
    EXPECT_EQ((std::vector<uint16_t>{Px(0, 3), Px(1, 3), Px(2, 3), Px(3, 3), Px(0, 4), Px(3, 4)}),
              (std::vector<uint16_t>{1, 1, 2, 2, 3, 4}));
    v_ShowRect16Scaled(0, 5, pitched.data(), 4, 2, 2, D(), kPixels, kP, 2, 2, 3);
    EXPECT_EQ(Px(0, 6), 0x1111) << "the second row is not held whole";
}

TEST_F(BlitTest, FarPlacesDrawNothing) {
    // Row offsets far beyond 2^63 pixels or bytes: nothing wraps back in.
    const Bytes img = Ramp16(2, 3);
    RangeRows(kRows);
    v_ShowImage16(INT32_MIN, INT32_MIN, img.data(), N(img), D(), kPixels, UINT32_MAX);
    v_ShowImage16Scaled(0, INT32_MAX, img.data(), N(img), 2, 3, D(), kPixels, UINT32_MAX);
    v_ShowImage16ScaledKey(INT32_MAX, INT32_MAX, img.data(), N(img), 2, 3, D(), kPixels, UINT32_MAX);
    v_ShowRect16Scaled(0, INT32_MAX, D(), kPixels, 2, 3, D(), kPixels, UINT32_MAX, 2, 3, kP);
    v_CopyRect16Key(0, INT32_MAX, 2, 3, D(), kPixels, kP, D(), kPixels, UINT32_MAX);
    std::vector<uint8_t> cells(64, 0x5A);
    v_CopyRect24(0, INT32_MAX, 1, 3, cells.data(), 64, UINT32_MAX, cells.data(), 64, UINT32_MAX);
    v_CopyRect24(0, 0, 1, 3, cells.data() + 32, 32, UINT32_MAX, cells.data(), 32, 1);
    for (uint8_t c : cells)
        ASSERT_EQ(c, 0x5A);
    for (uint32_t i = 0; i < kPixels; ++i)
        ASSERT_EQ(D()[i], 0x1111) << i;
}

TEST_F(BlitTest, CorruptImagesStayInBounds) {
    // Size words far beyond the bytes, every prefix, exact-size buffers.
    Bytes img;
    Put32(img, 0xFFFF | 0xFFFFu << 16);
    for (uint32_t i = 0; i < 60; ++i)
        img.push_back(static_cast<uint8_t>(i * 37 + 1));
    Bytes pal(768, 0x80), weights(40, 3), lead(16, 0xFF);
    std::vector<uint8_t> table(65536, 7);
    v_SetLookupTable(table.data(), 65536);
    // The screen range must cover each small destination: one beyond it
    // would stop the drawing at the first row, depending on where the heap
    // put it.
    auto cover = [](std::vector<uint16_t>& d) {
        v_SetScreenRange(reinterpret_cast<uint8_t*>(d.data()), reinterpret_cast<uint8_t*>(d.data() + d.size()),
                         nullptr);
    };
    for (uint32_t w : {1u, 3u, 0xFFFFu}) {
        img[0] = static_cast<uint8_t>(w);
        img[1] = static_cast<uint8_t>(w >> 8);
        for (uint32_t n = 0; n <= img.size(); ++n) {
            std::vector<uint16_t> d(5);
            cover(d);
            const uint32_t dn = 5;
            v_ShowImage16(1, 1, img.data(), n, d.data(), dn, 2);
            v_ShowImage16Key(-3, 0, img.data(), n, d.data(), dn, 2);
            v_ShowImage16Shear(0, 0, img.data(), n, d.data(), dn, 2, lead.data(), 16);
            v_ShowImage24Clip(0, 0, img.data(), n, d.data(), dn, 2, 3);
            v_ShowImage8Rgb(0, 1, img.data(), n, pal.data(), 768, d.data(), dn, 2);
            Bytes own(img.begin(), img.begin() + n);
            v_ShowImage24Map(0, 0, own.data(), n, d.data(), dn, 2, weights.data(), 40, 1);
            v_FadeImage16(own.data(), n, 20);
            v_ShowImage16Scaled(0, 0, img.data(), n, 3, 3, d.data(), dn, 2);
            v_ShowImage16ScaledKey(0, 0, img.data(), n, 70000, 2, d.data(), dn, 2);
            std::vector<uint8_t> out(4 + 2 * 2 * 2);
            v_ScaleImage16(img.data(), n, out.data(), static_cast<uint32_t>(out.size()), 2, 2);
        }
    }
    v_SetLookupTable(nullptr, 0);
    // 65,535 rows claimed, one held: that row alone is drawn.
    img[0] = 3;
    img[1] = 0;
    std::vector<uint16_t> d(5, 0x1111);
    cover(d);
    v_ShowImage16(0, 0, img.data(), 4 + 3 * 2 + 5, d.data(), 5, 2);
    EXPECT_EQ(d[2], Get16(img, 8));
    EXPECT_EQ(d[3], 0x1111);
}

} // namespace
