#include <gtest/gtest.h>

#include <functional>

#include "tests/tile2d/tile_fixture.h"
#include "tile2d/rle_sprites.h"
#include "tile2d/scaled_images.h"

namespace {

using namespace t2dtest;

using Draw = void (*)(int32_t, int32_t, const uint8_t*, uint32_t, uint32_t, uint32_t, uint16_t*, uint32_t, uint32_t);

uint32_t Size(const Bytes& b) {
    return static_cast<uint32_t>(b.size());
}

class ScaledImageTest : public TileTest {
protected:
    void SetUp() override {
        TileTest::SetUp();
        m_pal = TestPalette();
        FillPattern();
    }
    uint16_t* Dest() { return m_buf.data() + kGuard; }
    uint32_t Count() const { return m_w * m_h; }

    // Layout P, or PA with the raw anchor word, coded in key runs.
    Bytes Paletted(uint32_t w, uint32_t h, const std::vector<uint8_t>& idx, const uint32_t* anchor = nullptr,
                   uint8_t key = 0xF7) const {
        Bytes b;
        for (uint16_t c : m_pal)
            Put16(b, c);
        if (anchor) Put32(b, *anchor);
        b.push_back(key);
        Put32(b, w | h << 16);
        const Bytes codes = KeyRuns(idx, key);
        b.insert(b.end(), codes.begin(), codes.end());
        return b;
    }
    // The surface after drawing source pixel (cols[i], rows[j]) at (X + i,
    // Y + j): op(source pixel, old pixel), -1 to leave it.
    std::vector<uint16_t> Sampled(const std::vector<uint16_t>& before, const std::vector<uint16_t>& src, uint32_t sw,
                                  const std::vector<uint32_t>& cols, const std::vector<uint32_t>& rows, int64_t X,
                                  int64_t Y, const std::function<int32_t(uint16_t, uint16_t)>& op) const {
        std::vector<uint16_t> px = before;
        for (size_t j = 0; j < rows.size(); ++j)
            for (size_t i = 0; i < cols.size(); ++i) {
                const int64_t x = X + static_cast<int64_t>(i), y = Y + static_cast<int64_t>(j);
                if (x < 0 || y < 0 || x >= m_w || y >= m_h) continue;
                uint16_t& d = px[static_cast<size_t>(y * m_w + x)];
                const int32_t v = op(src[rows[j] * sw + cols[i]], d);
                if (v >= 0) d = static_cast<uint16_t>(v);
            }
        return px;
    }
    std::vector<uint16_t> Colours(const std::vector<uint8_t>& idx, bool zeroIsZero) const {
        std::vector<uint16_t> c;
        for (uint8_t v : idx)
            c.push_back(zeroIsZero && v == 0 ? uint16_t{0} : m_pal[v]);
        return c;
    }
    static int32_t Copy(uint16_t c, uint16_t) { return c; }
    static int32_t Key(uint16_t c, uint16_t) { return c ? c : -1; }

    std::vector<uint16_t> m_pal;
};

std::vector<uint8_t> Indexes(uint32_t w, uint32_t h) {
    std::vector<uint8_t> idx(size_t{w} * h);
    for (size_t i = 0; i < idx.size(); ++i)
        idx[i] = static_cast<uint8_t>(i % 7 == 3 ? 0 : 1 + (i * 37) % 200);
    return idx;
}

TEST_F(ScaledImageTest, TargetOfTheSourceSizeMatchesThePlainDrawer) {
    const uint32_t w = 9, h = 6;
    const std::vector<uint8_t> idx = Indexes(w, h);
    const Bytes img = Paletted(w, h, idx);
    const auto before = TileTest::Pixels();
    v_ShowPalettedScaled(5, 7, img.data(), Size(img), w, h, Dest(), Count(), m_w);
    const auto scaled = TileTest::Pixels();

    m_buf.assign(m_buf.size(), kGuardValue);
    std::copy(before.begin(), before.end(), m_buf.begin() + kGuard);
    auto* p = reinterpret_cast<uint8_t*>(Dest());
    v_SetScreenRange(p, p + Count() * 2, nullptr);
    v_ShowPalRle(5, 7, img.data(), Size(img), Dest(), static_cast<int32_t>(m_w));
    EXPECT_EQ(scaled, TileTest::Pixels());
    EXPECT_NE(scaled, before);
}

TEST_F(ScaledImageTest, DoublingRepeatsEveryPixelAndRow) {
    const uint32_t w = 5, h = 3;
    const std::vector<uint8_t> idx = Indexes(w, h);
    const Bytes img = Paletted(w, h, idx);
    const auto before = TileTest::Pixels();
    v_ShowPalettedScaledOpaque(2, 1, img.data(), Size(img), 2 * w, 2 * h, Dest(), Count(), m_w);
    EXPECT_EQ(TileTest::Pixels(), Sampled(before, Colours(idx, false), w, {0, 0, 1, 1, 2, 2, 3, 3, 4, 4},
                                          {0, 0, 1, 1, 2, 2}, 2, 1, Copy));
}

// Both accumulators start at one fraction step: 2 -> 3 samples 0, 1, 1 (not
// 0, 0, 1) and 5 -> 3 samples 0, 2, 3 (not 0, 1, 3). Shrinking rows decodes
// and drops the rows in between, runs carrying across them.
TEST_F(ScaledImageTest, FractionAccumulatorsStartAtOneStep) {
    const uint32_t w = 5, h = 5;
    std::vector<uint8_t> idx = Indexes(w, h);
    std::fill(idx.begin() + 3, idx.begin() + 14, uint8_t{9}); // one run over three rows
    const Bytes img = Paletted(w, h, idx);
    const auto before = TileTest::Pixels();
    v_ShowPalettedScaledOpaque(0, 0, img.data(), Size(img), 3, 3, Dest(), Count(), m_w);
    const auto colours = Colours(idx, false);
    EXPECT_EQ(TileTest::Pixels(), Sampled(before, colours, w, {0, 2, 3}, {0, 2, 3}, 0, 0, Copy));

    const uint32_t sw = 2, sh = 2;
    const std::vector<uint8_t> small = {4, 5, 6, 7};
    const Bytes img2 = Paletted(sw, sh, small);
    const auto before2 = TileTest::Pixels();
    v_ShowPalettedScaledOpaque(20, 20, img2.data(), Size(img2), 3, 3, Dest(), Count(), m_w);
    EXPECT_EQ(TileTest::Pixels(), Sampled(before2, Colours(small, false), sw, {0, 1, 1}, {0, 1, 1}, 20, 20, Copy));
}

TEST_F(ScaledImageTest, AnchorsScaleWithTheTargetAndStopAtTheOrigin) {
    const uint32_t w = 4, h = 4;
    const std::vector<uint8_t> idx(16, 1);
    // x code 5010 at double width: 20 pixels right; y code 2 at height 6:
    // 2 * 6 / 4 = 3 up.
    uint32_t anchor = 5010 | 2u << 16;
    const Bytes img = Paletted(w, h, idx, &anchor);
    const auto before = TileTest::Pixels();
    v_ShowPalettedScaledAnchored(4, 10, img.data(), Size(img), 8, 6, Dest(), Count(), m_w);
    std::vector<uint32_t> cols(8, 0), rows(6, 0);
    EXPECT_EQ(TileTest::Pixels(), Sampled(before, Colours(idx, true), w, cols, rows, 24, 7, Copy));

    // x code 30 at x = 10 would move 30 left; it stops at 0.
    anchor = 30 | 5000u << 16;
    const Bytes img2 = Paletted(w, h, idx, &anchor);
    const auto before2 = TileTest::Pixels();
    v_ShowPalettedScaledAnchoredOpaque(10, 3, img2.data(), Size(img2), w, h, Dest(), Count(), m_w);
    EXPECT_EQ(TileTest::Pixels(), Sampled(before2, Colours(idx, false), w, {0, 1, 2, 3}, {0, 1, 2, 3}, 0, 3, Copy));
}

TEST_F(ScaledImageTest, IndexZeroIsOpaqueOnlyInTheOpaqueMembers) {
    m_pal[0] = 0x1234;
    m_pal[5] = 0; // a colour of 0 is a zero pixel, so transparent as well
    const std::vector<uint8_t> idx = {0, 5, 1, 2};
    const Bytes p = Paletted(4, 1, idx);
    uint32_t anchor = 5000 | 5000u << 16;
    const Bytes pa = Paletted(4, 1, idx, &anchor);

    const auto before = TileTest::Pixels();
    v_ShowPalettedScaledOpaque(0, 0, p.data(), Size(p), 4, 1, Dest(), Count(), m_w);
    v_ShowPalettedScaledAnchoredOpaque(0, 1, pa.data(), Size(pa), 4, 1, Dest(), Count(), m_w);
    v_ShowPalettedScaled(0, 2, p.data(), Size(p), 4, 1, Dest(), Count(), m_w);
    v_ShowPalettedScaledAnchored(0, 3, pa.data(), Size(pa), 4, 1, Dest(), Count(), m_w);
    for (uint32_t y : {0u, 1u}) {
        EXPECT_EQ(At(0, y), 0x1234);
        EXPECT_EQ(At(1, y), 0);
        EXPECT_EQ(At(2, y), m_pal[1]);
    }
    for (uint32_t y : {2u, 3u}) {
        EXPECT_EQ(At(0, y), before[y * m_w]);
        EXPECT_EQ(At(1, y), before[y * m_w + 1]);
        EXPECT_EQ(At(3, y), m_pal[2]);
    }
}

TEST_F(ScaledImageTest, HalfAndAddWorkPerChannel) {
    const uint16_t c = (30 << 10) | (3 << 5) | 17;
    m_pal[1] = c;
    const std::vector<uint8_t> idx = {1, 0};
    const Bytes p = Paletted(2, 1, idx);
    uint32_t anchor = 5000 | 5000u << 16;
    const Bytes pa = Paletted(2, 1, idx, &anchor);
    const Bytes i16 = Image16(2, 1, {c, 0});
    const uint16_t d = (5 << 10) | (8 << 5) | 20;
    const uint16_t half = (17 << 10) | (5 << 5) | 18, add = (31 << 10) | (11 << 5) | 31;
    for (uint32_t y = 0; y < 6; ++y) {
        Set(0, y, d);
        Set(1, y, d);
    }
    v_ShowPalettedScaledHalf(0, 0, p.data(), Size(p), 2, 1, Dest(), Count(), m_w);
    v_ShowPalettedScaledAnchoredHalf(0, 1, pa.data(), Size(pa), 2, 1, Dest(), Count(), m_w);
    v_ShowScaled16Half(0, 2, i16.data(), Size(i16), 2, 1, Dest(), Count(), m_w);
    v_ShowPalettedScaledAdd(0, 3, p.data(), Size(p), 2, 1, Dest(), Count(), m_w);
    v_ShowPalettedScaledAnchoredAdd(0, 4, pa.data(), Size(pa), 2, 1, Dest(), Count(), m_w);
    v_ShowScaled16Add(0, 5, i16.data(), Size(i16), 2, 1, Dest(), Count(), m_w);
    for (uint32_t y = 0; y < 6; ++y) {
        EXPECT_EQ(At(0, y), y < 3 ? half : add) << y;
        EXPECT_EQ(At(1, y), d) << "zero pixels leave the destination";
    }
    // A six-bit red channel saturates at 63.
    v_SetPixelMode(1);
    const uint16_t red40 = 40 << 10;
    const Bytes r16 = Image16(1, 1, {red40});
    Set(0, 10, 30 << 10);
    v_ShowScaled16Add(0, 10, r16.data(), Size(r16), 1, 1, Dest(), Count(), m_w);
    EXPECT_EQ(At(0, 10), 63 << 10);
}

TEST_F(ScaledImageTest, SixteenBitImagesShrink) {
    const uint32_t w = 6, h = 4;
    std::vector<uint16_t> px(w * h);
    for (uint32_t i = 0; i < px.size(); ++i)
        px[i] = static_cast<uint16_t>(0x0421 * (i % 31 + 1));
    const Bytes img = Image16(w, h, px);
    for (uint32_t y = 0; y < 4; ++y)
        for (uint32_t x = 0; x < 3; ++x)
            Set(x, y, 0);
    const auto before = TileTest::Pixels();
    v_ShowScaled16Add(0, 0, img.data(), Size(img), 3, 2, Dest(), Count(), m_w);
    // Onto black, adding copies: columns 0, 2, 4 of rows 0 and 2.
    EXPECT_EQ(TileTest::Pixels(), Sampled(before, px, w, {0, 2, 4}, {0, 2}, 0, 0, Copy));
    EXPECT_EQ(At(1, 1), px[2 * w + 2]);
}

// Every prefix of an image draws at most the rows it holds; images half off
// the buffer write only inside it (the fixture's guards check the rest).
TEST_F(ScaledImageTest, TruncatedAndMisplacedImagesStayInBounds) {
    const uint32_t w = 7, h = 5;
    const std::vector<uint8_t> idx = Indexes(w, h);
    uint32_t anchor = 3 | 5002u << 16;
    const Bytes p = Paletted(w, h, idx);
    const Bytes pa = Paletted(w, h, idx, &anchor);
    std::vector<uint16_t> px16(w * h, 0x2222);
    const Bytes i16 = Image16(w, h, px16);
    const auto before = TileTest::Pixels();
    for (uint32_t n = 0; n < Size(i16); ++n)
        v_ShowScaled16Half(3, 3, i16.data(), n, 14, 10, Dest(), Count(), m_w);
    // 20 bytes hold one whole 7-pixel row of 16-bit pixels: rows 0 and 1 of
    // the doubled output.
    m_buf.assign(m_buf.size(), kGuardValue);
    std::copy(before.begin(), before.end(), m_buf.begin() + kGuard);
    v_ShowScaled16Add(0, 0, i16.data(), 4 + 2 * w + 2, 14, 10, Dest(), Count(), m_w);
    EXPECT_NE(At(0, 1), before[m_w]);
    EXPECT_EQ(At(0, 2), before[2 * m_w]);

    for (uint32_t n = 0; n < Size(pa); ++n) {
        v_ShowPalettedScaledAnchoredAdd(1, 1, pa.data(), n, 30, 20, Dest(), Count(), m_w);
        v_ShowPalettedScaled(-5, 40, p.data(), n, 20, 20, Dest(), Count(), m_w);
    }
    for (int32_t x : {-40, -3, 60, 63}) {
        for (int32_t y : {-30, -2, 44, 47, 48, 1000}) {
            v_ShowPalettedScaledOpaque(x, y, p.data(), Size(p), 33, 9, Dest(), Count(), m_w);
            v_ShowScaled16Add(x, y, i16.data(), Size(i16), 3, 17, Dest(), Count(), m_w);
        }
    }
    // Huge targets only touch the buffer.
    v_ShowPalettedScaledOpaque(-1000000, -1000, p.data(), Size(p), 4000000u, 5000u, Dest(), Count(), m_w);
    v_ShowPalettedScaledAnchoredOpaque(0, 0, pa.data(), Size(pa), 0xFFFFFFFFu, 3, Dest(), Count(), m_w);
    EXPECT_TRUE(GuardsIntact());
}

TEST_F(ScaledImageTest, EmptySizesDrawNothing) {
    const auto before = TileTest::Pixels();
    const Bytes p = Paletted(4, 0, {});
    const Bytes i16 = Image16(0, 3, {});
    const std::vector<uint8_t> idx(4, 1);
    const Bytes q = Paletted(2, 2, idx);
    uint32_t anchor = 7 | 7u << 16;
    const Bytes pa = Paletted(0, 2, {}, &anchor);
    v_ShowPalettedScaled(0, 0, p.data(), Size(p), 4, 4, Dest(), Count(), m_w);
    v_ShowPalettedScaledAnchored(9, 9, pa.data(), Size(pa), 4, 4, Dest(), Count(), m_w);
    v_ShowScaled16Half(0, 0, i16.data(), Size(i16), 4, 4, Dest(), Count(), m_w);
    v_ShowPalettedScaledOpaque(0, 0, q.data(), Size(q), 0, 4, Dest(), Count(), m_w);
    v_ShowPalettedScaledOpaque(0, 0, q.data(), Size(q), 4, 0, Dest(), Count(), m_w);
    v_ShowPalettedScaledOpaque(0, 0, q.data(), Size(q), 4, 4, nullptr, Count(), m_w);
    EXPECT_EQ(TileTest::Pixels(), before);
}

TEST_F(ScaledImageTest, InternalFormReadsItsArgumentsFromTheScratchRecord) {
    const std::vector<uint8_t> idx = {0, 1, 2, 3};
    const Bytes p = Paletted(2, 2, idx);
    const auto before = TileTest::Pixels();
    g_oScaledCall = ss_ScaledCall{3, 2, p.data(), Size(p), 4, 4, Dest(), Count(), m_w};
    EXPECT_EQ(l_ShowPalettedScaled(), 4u);
    EXPECT_EQ(TileTest::Pixels(),
              Sampled(before, Colours(idx, false), 2, {0, 0, 1, 1}, {0, 0, 1, 1}, 3, 2, Copy));
    g_oScaledCall.lBytes = 517 + 2; // the codes of the first row only
    EXPECT_EQ(l_ShowPalettedScaled(), 2u);
    g_oScaledCall = ss_ScaledCall{};
}

} // namespace
