#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/tile2d/text_fixture.h"
#include "tile2d/numbers.h"

namespace {

using namespace t2dtest;

constexpr uint16_t kBg = 0x1111;
constexpr char kHex[] = "0123456789ABCDEF";

class NumberGlyphTest : public GlyphTextTest {
protected:
    // Digit k of kHex: one pixel at column 0 of row k, so that a cell reads
    // back as its digit.
    void SetUp() override {
        GlyphTextTest::SetUp();
        std::vector<std::pair<uint8_t, std::vector<uint8_t>>> g;
        for (uint8_t k = 0; k < 16; ++k) {
            std::vector<uint8_t> rows(15, 0);
            rows[k % 15] = 0x80;
            if (k == 15) rows[0] = 0xC0; // F: two pixels, unlike 0
            g.push_back({static_cast<uint8_t>(kHex[k]), rows});
        }
        LoadGlyphs(g);
    }
    // The digits drawn from (x, y) on, cell by cell, until an empty cell.
    std::string Read(uint32_t x, uint32_t y) const {
        std::string s;
        for (uint32_t cx = x; cx + 8 <= m_w; cx += 8) {
            int row = -1;
            for (uint32_t r = 0; r < 15; ++r)
                if (At(cx, y + r) != kBg && At(cx, y + r) != Half(kBg) && row < 0) row = static_cast<int>(r);
            if (row < 0) break;
            s += row == 0 && At(cx + 1, y) == At(cx, y) ? 'F' : kHex[row];
        }
        return s;
    }
    static uint16_t Half(uint16_t p) { return static_cast<uint16_t>((p >> 1) & 0x3DEF); }
    void Clear() { std::fill(m_buf.begin() + kGuard, m_buf.end() - kGuard, kBg); }
    uint16_t* Dest() { return m_buf.data() + kGuard; }
};

TEST_F(NumberGlyphTest, DecimalDigitsWithoutLeadingZeros) {
    MakeSurface(96, 20, kBg);
    v_ShowNumberPlain(0, 0, 0, Dest(), DestPixels(), Pitch(), 0xFFFFFF);
    EXPECT_EQ(Read(0, 0), "0");
    Clear();
    v_ShowNumberPlain(0, 0, 4294967295u, Dest(), DestPixels(), Pitch(), 0xFFFFFF);
    EXPECT_EQ(Read(0, 0), "4294967295");
    Clear();
    v_ShowNumber(0, 0, 1020, Dest(), DestPixels(), Pitch(), 0xFFFFFF);
    EXPECT_EQ(Read(0, 0), "1020");
}

TEST_F(NumberGlyphTest, FixedCountsKeepTheLowestDigits) {
    MakeSurface(96, 20, kBg);
    const auto zero = [&](uint32_t v, uint32_t n) {
        Clear();
        v_ShowNumberZero(0, 0, v, Dest(), DestPixels(), Pitch(), 0xFFFFFF, n);
        return Read(0, 0);
    };
    EXPECT_EQ(zero(12345, 3), "345");
    EXPECT_EQ(zero(7, 3), "007");
    EXPECT_EQ(zero(4294967295u, 10), "4294967295");
    EXPECT_EQ(zero(42, 0), "");
    EXPECT_EQ(zero(42, 12), "0000000042") << "above 10 acts as 10";
    const auto hex = [&](uint32_t v, uint32_t n) {
        Clear();
        v_ShowNumberHex(0, 0, v, Dest(), DestPixels(), Pitch(), 0xFFFFFF, n);
        return Read(0, 0);
    };
    EXPECT_EQ(hex(0x1A2B, 4), "1A2B");
    EXPECT_EQ(hex(0xFEDCBA98, 2), "98");
    EXPECT_EQ(hex(0xFEDCBA98, 10), "00FEDCBA98");
}

TEST_F(NumberGlyphTest, ColourShadowAndGradient) {
    FillPattern();
    const auto before = Pixels();
    v_ShowNumber(0, 0, 1, Dest(), DestPixels(), Pitch(), 0xFF8000);
    // '1': pixel at row 1, column 0; half shadow right and below.
    EXPECT_EQ(At(0, 1), 0x7C00 | 16 << 5);
    EXPECT_EQ(At(1, 1), Half(before[m_w + 1]));
    EXPECT_EQ(At(0, 2), Half(before[2 * m_w]));
    v_ShowNumberPlain(16, 0, 1, Dest(), DestPixels(), Pitch(), 0x0000FF);
    EXPECT_EQ(At(16, 1), 0x1F);
    EXPECT_EQ(At(17, 1), before[m_w + 17]);
    v_ShowNumberGradient(32, 0, 9, Dest(), DestPixels(), Pitch(), 0xFFFFFF, 0x000000);
    const uint16_t* g = l_MakeTextGradient(0xFFFFFF, 0x000000, 15);
    EXPECT_EQ(At(32, 9), g[9]);
    EXPECT_EQ(At(33, 9), Half(before[9 * m_w + 33]));
}

// --- image strings and image drawers ------------------------------------------

class NumberImageTest : public TileTest {
protected:
    void SetUp() override {
        TileTest::SetUp();
        MakeSurface(64, 16, kBg);
        auto* p = reinterpret_cast<uint8_t*>(Dest());
        v_SetScreenRange(p, p + size_t{m_w} * m_h * 2, nullptr);
        m_pal.assign(256, 0);
        for (uint32_t i = 0; i < 256; ++i)
            m_pal[i] = static_cast<uint16_t>(0x0400 + i);
    }
    void TearDown() override {
        for (uint32_t s = 0; s < 5; ++s)
            v_SetImageSet(nullptr, 0, nullptr, 0, s);
        TileTest::TearDown();
    }
    uint16_t* Dest() { return m_buf.data() + kGuard; }
    int32_t Pitch() const { return static_cast<int32_t>(m_w); }

    // Layout P: palette, key, size, codes (value v at every pixel).
    Bytes Image(uint32_t w, uint32_t h, const Bytes& codes, uint8_t key = 0xF0) const {
        Bytes b;
        for (uint16_t c : m_pal)
            Put16(b, c);
        b.push_back(key);
        Put32(b, w | h << 16);
        b.insert(b.end(), codes.begin(), codes.end());
        return b;
    }
    // Image set: code c of `codes` is an image c + 1 wide, 1 high, of value
    // c + 1 (or 255 for every pixel when `own`).
    void MakeSet(const std::vector<uint32_t>& codes, bool own, uint32_t set = 1) {
        m_offsets.assign(256 * 4, 0xFF); // codes not listed: far past the data
        m_data.clear();
        for (uint32_t c : codes) {
            const uint32_t at = static_cast<uint32_t>(m_data.size());
            for (int k = 0; k < 4; ++k)
                m_offsets[4 * c + k] = static_cast<uint8_t>(at >> (8 * k));
            const uint8_t v = own ? 255 : static_cast<uint8_t>(c + 1);
            const Bytes img = Image(c % 16 + 1, 1, {0xF0, static_cast<uint8_t>(c % 16 + 1), v});
            m_data.insert(m_data.end(), img.begin(), img.end());
        }
        v_SetImageSet(m_offsets.data(), static_cast<uint32_t>(m_offsets.size()), m_data.data(),
                      static_cast<uint32_t>(m_data.size()), set);
    }
    std::vector<uint16_t> m_pal;
    Bytes m_offsets, m_data;
};

TEST_F(NumberImageTest, DigitImagesAdvanceByWidthPlusSpacing) {
    MakeSet({0, 1, 2, 3, 4, 5, 6, 7, 8, 9}, false);
    // 102: codes 1, 0, 2 of widths 2, 1, 3, plus spacing 2 each.
    EXPECT_EQ(v_ShowNumberImages(1, 2, 102, Dest(), Pitch(), 1, 2), 2 + 1 + 3 + 3 * 2);
    const uint32_t row = 2 * m_w;
    std::vector<uint16_t> want(size_t{m_w} * m_h, kBg);
    want[row + 1] = want[row + 2] = m_pal[2];
    want[row + 5] = m_pal[1];
    want[row + 8] = want[row + 9] = want[row + 10] = m_pal[3];
    EXPECT_EQ(Pixels(), want);
    // Value 0 is one image of code 0; negative spacing moves back.
    EXPECT_EQ(v_ShowNumberImages(0, 5, 0, Dest(), Pitch(), 1, 0), 1);
    EXPECT_EQ(At(0, 5), m_pal[1]);
    EXPECT_EQ(v_ShowNumberImages(0, 6, 11, Dest(), Pitch(), 1, -3), 2 + 2 - 6);
}

TEST_F(NumberImageTest, SetFiveAndMissingImages) {
    MakeSet({0, 1}, false);
    const auto before = Pixels();
    EXPECT_EQ(v_ShowNumberImages(0, 0, 1, Dest(), Pitch(), 5, 0), 0);
    EXPECT_EQ(v_ShowTextImages(0, 0, "A", Dest(), Pitch(), 7, 0), 0);
    EXPECT_EQ(v_ShowNumberImagesColour(0, 0, 1, Dest(), Pitch(), 5, 0, 0xFFFFFF), 0);
    EXPECT_EQ(Pixels(), before);
    v_SetImageSet(m_offsets.data(), 4, m_data.data(), 10, 9); // ignored
    // Digit 5 has no image: the pen moves by the spacing alone.
    EXPECT_EQ(v_ShowNumberImages(0, 0, 510, Dest(), Pitch(), 1, 1), 1 + 3 + 2);
    // A table or data too short for the code: nothing read past them.
    v_SetImageSet(m_offsets.data(), 4, m_data.data(), static_cast<uint32_t>(m_data.size()), 1);
    EXPECT_EQ(v_ShowNumberImages(0, 4, 10, Dest(), Pitch(), 1, 0), 1);
    v_SetImageSet(m_offsets.data(), static_cast<uint32_t>(m_offsets.size()), m_data.data(), 519, 1);
    EXPECT_EQ(v_ShowNumberImages(0, 8, 0, Dest(), Pitch(), 1, 0), 1) << "the header fits, the codes do not";
    EXPECT_EQ(At(0, 8), kBg);
}

TEST_F(NumberImageTest, TextImagesStopBelowSpaceAndColourMembersPaint255) {
    MakeSet({'A', 'B', ' '}, false, 2);
    EXPECT_EQ(v_ShowTextImages(0, 0, "AB A\nB", Dest(), Pitch(), 2, 0), 2 + 3 + 1 + 2);
    EXPECT_EQ(At(0, 0), m_pal['A' + 1]);
    EXPECT_EQ(At(7, 0), m_pal['A' + 1]);
    EXPECT_EQ(At(8, 0), kBg);
    MakeSet({'A', 3}, true, 2);
    EXPECT_EQ(v_ShowTextImagesColour(0, 3, "A", Dest(), Pitch(), 2, 0, 0x00FF00), 2);
    EXPECT_EQ(At(0, 3), 31 << 5);
    EXPECT_EQ(v_ShowNumberImagesColour(0, 4, 3, Dest(), Pitch(), 2, 0, 0xFF0000), 4);
    EXPECT_EQ(At(3, 4), 0x7C00);
    // The plain member draws 255 from the palette.
    EXPECT_EQ(v_ShowTextImages(0, 5, "A", Dest(), Pitch(), 2, 0), 2);
    EXPECT_EQ(At(0, 5), m_pal[255]);
}

TEST_F(NumberImageTest, DrawerRunsCrossRowsAndStopAtTheScreenRange) {
    // 3 x 4: a run of 7 of value 1 from the first pixel, value 0 holes.
    const Bytes img = Image(3, 4, {0xF0, 7, 1, 0, 2, 0xF0, 3, 3});
    l_ShowPalettedRle(img.data(), static_cast<uint32_t>(img.size()), Dest() + m_w * 12 + 2, Pitch());
    const uint16_t c1 = m_pal[1], c2 = m_pal[2], c3 = m_pal[3];
    const uint16_t want[4][3] = {{c1, c1, c1}, {c1, c1, c1}, {c1, kBg, c2}, {c3, c3, c3}};
    for (uint32_t r = 0; r < 4; ++r)
        for (uint32_t c = 0; c < 3; ++c)
            EXPECT_EQ(At(2 + c, 12 + r), want[r][c]) << r << "," << c;
    // Rows 14 and 15 are the last of the range: drawing stops there.
    MakeSurface(64, 16, kBg);
    auto* p = reinterpret_cast<uint8_t*>(Dest());
    v_SetScreenRange(p, p + size_t{m_w} * 14 * 2, nullptr);
    l_ShowPalettedRle(img.data(), static_cast<uint32_t>(img.size()), Dest() + m_w * 12 + 2, Pitch());
    EXPECT_EQ(At(2, 13), c1);
    EXPECT_EQ(At(2, 14), kBg);
    // A start outside the range draws nothing.
    l_ShowPalettedRle(img.data(), static_cast<uint32_t>(img.size()), Dest() + m_w * 14, Pitch());
    EXPECT_EQ(At(0, 14), kBg);
    EXPECT_EQ(v_ShowNumberImages(0, 14, 0, Dest(), Pitch(), 1, 0), 0) << "no set made: no image";
    // Truncated codes stop the drawing.
    MakeSurface(64, 16, kBg);
    v_SetScreenRange(reinterpret_cast<uint8_t*>(Dest()), reinterpret_cast<uint8_t*>(Dest() + m_w * m_h),
                     nullptr);
    l_ShowPalettedRle(img.data(), 519, Dest(), Pitch());
    EXPECT_EQ(At(0, 0), kBg) << "a run needs its count and value";
    l_ShowPalettedRle(img.data(), 100, Dest(), Pitch());
    EXPECT_EQ(Pixels(), std::vector<uint16_t>(size_t{m_w} * m_h, kBg));
}

TEST_F(NumberImageTest, AnchoredAndColourDrawers) {
    Bytes img;
    for (uint16_t c : m_pal)
        Put16(img, c);
    Put32(img, AnchorWord(3, -1));
    img.push_back(0xF0);
    Put32(img, 2 | 1 << 16);
    img.insert(img.end(), {4, 255});
    l_ShowPalettedRleAnchored(img.data(), static_cast<uint32_t>(img.size()), Dest() + m_w * 5, Pitch());
    EXPECT_EQ(At(3, 4), m_pal[4]);
    EXPECT_EQ(At(4, 4), m_pal[255]);
    const Bytes p = Image(2, 1, {4, 255});
    v_ShowTextImagesColour(0, 0, "", Dest(), Pitch(), 0, 0, 0x0000FF); // sets the held colour
    l_ShowPalettedRleColour(p.data(), static_cast<uint32_t>(p.size()), Dest() + m_w * 8, Pitch());
    EXPECT_EQ(At(0, 8), m_pal[4]);
    EXPECT_EQ(At(1, 8), 0x1F);
}

// --- formatting -----------------------------------------------------------------

TEST(NumberFormat, TenCharacterForms) {
    char b[16];
    std::memset(b, 'x', sizeof b);
    EXPECT_EQ(l_FormatDecimalZero10(42, b, sizeof b), 10u);
    EXPECT_STREQ(b, "0000000042");
    EXPECT_EQ(l_FormatDecimalSpace10(42, b, sizeof b), 10u);
    EXPECT_STREQ(b, "        42");
    const uint32_t big = 4294967295u;
    l_FormatDecimalZero10Ptr(&big, b, sizeof b);
    EXPECT_STREQ(b, "4294967295");
    l_FormatDecimalSpace10Ptr(&big, b, sizeof b);
    EXPECT_STREQ(b, "4294967295");
    EXPECT_EQ(l_FormatDecimalZero(12345, b, sizeof b, 3), 3u);
    EXPECT_STREQ(b, "345");
    EXPECT_EQ(l_FormatDecimalZero(7, b, sizeof b, 0), 0u);
    EXPECT_STREQ(b, "");
}

TEST(NumberFormat, DecimalReturnsItsDigitCount) {
    char b[11];
    EXPECT_EQ(l_FormatDecimal(0, b, sizeof b), 1u);
    EXPECT_STREQ(b, "0");
    EXPECT_EQ(l_FormatDecimal(4294967295u, b, sizeof b), 10u);
    EXPECT_STREQ(b, "4294967295");
    const uint32_t v = 908;
    EXPECT_EQ(l_FormatDecimalPtr(&v, b, sizeof b), 3u);
    EXPECT_STREQ(b, "908");
    EXPECT_EQ(l_FormatDecimalPtr(nullptr, b, sizeof b), 0u);
}

TEST(NumberFormat, ThousandsAreRightAlignedWithCommas) {
    char b[16];
    std::memset(b, 'x', sizeof b);
    l_FormatThousands(1000, b, sizeof b);
    EXPECT_EQ(std::string(b, 16), std::string("        1,000\0\0\0", 16));
    l_FormatThousands(4294967295u, b, sizeof b);
    EXPECT_STREQ(b, "4,294,967,295");
    l_FormatThousands(999, b, sizeof b);
    EXPECT_STREQ(b, "          999");
    l_FormatThousands(0, b, sizeof b);
    EXPECT_STREQ(b, "            0");
}

TEST(NumberFormat, SmallBuffersAreLeftAlone) {
    char b[16];
    std::memset(b, 'x', sizeof b);
    EXPECT_EQ(l_FormatDecimalZero10(1, b, 10), 0u);
    EXPECT_EQ(l_FormatDecimalSpace10(1, b, 10), 0u);
    EXPECT_EQ(l_FormatDecimal(12345, b, 5), 0u);
    EXPECT_EQ(l_FormatDecimalZero(1, b, 4, 4), 0u);
    EXPECT_EQ(l_FormatThousands(1, b, 13), 0u);
    EXPECT_EQ(std::string(b, 16), std::string(16, 'x'));
    EXPECT_EQ(l_FormatDecimal(12345, b, 6), 5u) << "digits and the zero fit";
    EXPECT_EQ(l_FormatThousands(1, b, 14), 13u);
    EXPECT_EQ(b[13], 0);
    EXPECT_EQ(b[14], 'x');
}

TEST(NumberFormat, ParseHexReadsTheLeadingToken) {
    EXPECT_EQ(l_ParseHex("1A2b rest"), 0x1A2Bu);
    EXPECT_EQ(l_ParseHex("ff\n"), 0xFFu);
    EXPECT_EQ(l_ParseHex(""), 0u);
    EXPECT_EQ(l_ParseHex(" 12"), 0u) << "a leading space ends an empty token";
    EXPECT_EQ(l_ParseHex("FFFFFFFF"), 0xFFFFFFFFu);
    EXPECT_EQ(l_ParseHex("123456789"), 0x23456789u) << "the lowest 32 bits";
    EXPECT_EQ(l_ParseHex("12G4"), 0x12u) << "a non-digit ends the token";
    EXPECT_EQ(l_ParseHex(nullptr), 0u);
}

} // namespace
