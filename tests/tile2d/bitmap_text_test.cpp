#include <gtest/gtest.h>

#include <bit>
#include <string>
#include <vector>

#include "tests/tile2d/text_fixture.h"
#include "tile2d/bitmap_text.h"

namespace {

using namespace t2dtest;

constexpr uint16_t kBg = 0x1111;
constexpr uint16_t kWhite = 0xFFFF;

uint16_t Halved(uint16_t p) {
    return static_cast<uint16_t>((p >> 1) & 0x3DEF);
}

// A zero-ended copy on the heap with nothing after the terminator, so that a
// read past it is caught by the address sanitizer.
std::vector<char> Exact(const std::string& s) {
    return std::vector<char>(s.c_str(), s.c_str() + s.size() + 1);
}

class BitmapTextTest : public GlyphTextTest {
protected:
    // 'A' one pixel at the top-left, 'B' a 2 x 2 block, 'C' a vertical bar
    // over all 15 rows, 'D' an L of (0,1) and (1,0).
    void SetUp() override {
        GlyphTextTest::SetUp();
        LoadGlyphs({{'A', {0x80}},
                    {'B', {0xC0, 0xC0}},
                    {'C', std::vector<uint8_t>(15, 0x80)},
                    {'D', {0x40, 0x80}},
                    {'/', {0x01}}});
    }
    void Draw(const std::string& s, void (*fn)(int32_t, int32_t, const char*, uint16_t*, uint32_t, int32_t),
              int32_t x = 4, int32_t y = 4) {
        const std::vector<char> t = Exact(s);
        fn(x, y, t.data(), Dest(), DestPixels(), Pitch());
    }
    std::vector<uint16_t> Blank() const { return std::vector<uint16_t>(size_t{m_w} * m_h, kBg); }
    uint16_t& P(std::vector<uint16_t>& v, uint32_t x, uint32_t y) const { return v[size_t{y} * m_w + x]; }
};

TEST_F(BitmapTextTest, EmptyStringAndNullTextDrawNothing) {
    Draw("", v_ShowText);
    v_ShowTextHalfShadow(0, 0, nullptr, Dest(), DestPixels(), Pitch());
    v_ShowTextFont(0, 0, nullptr, Dest(), DestPixels(), Pitch(), 0);
    EXPECT_EQ(Pixels(), Blank());
}

TEST_F(BitmapTextTest, ShowTextLaysShadowOfOneThatLaterPixelsOverwrite) {
    Draw("AB", v_ShowText);
    auto want = Blank();
    // 'A': the pixel, then 1 right, below and below-right.
    P(want, 4, 4) = kWhite;
    P(want, 5, 4) = P(want, 4, 5) = P(want, 5, 5) = 1;
    // 'B' at x 12: its own pixels overwrite the shadows of earlier ones.
    for (uint32_t y : {4u, 5u})
        for (uint32_t x : {12u, 13u})
            P(want, x, y) = kWhite;
    P(want, 14, 4) = P(want, 14, 5) = 1;
    P(want, 12, 6) = P(want, 13, 6) = P(want, 14, 6) = 1;
    EXPECT_EQ(Pixels(), want);
}

TEST_F(BitmapTextTest, ColourEscapeGivesFullRedInEveryMode) {
    const uint16_t red[4] = {0x7C00, 0xFC00, 0xF800, 0xF800};
    for (uint8_t mode = 0; mode < 4; ++mode) {
        v_SetPixelMode(mode);
        std::fill(m_buf.begin() + kGuard, m_buf.end() - kGuard, kBg);
        Draw("/3F0000_A", v_ShowTextPlain, 0, 0);
        EXPECT_EQ(At(0, 0), red[mode]) << int(mode);
        Draw("/3F0000_A", v_ShowText, 8, 0);
        EXPECT_EQ(At(8, 0), red[mode]) << int(mode);
    }
}

TEST_F(BitmapTextTest, EscapeTestsAndTheirFallBackToASlash) {
    // No "_" seven bytes on: "/" is a character ('/' glyph: its last column).
    Draw("/3F00A", v_ShowTextPlain, 0, 0);
    EXPECT_EQ(At(7, 0), kWhite);
    EXPECT_EQ(At(8 * 5, 0), kWhite) << "the 'A' after five cells";
    // A space among the digits: only the strict member refuses it.
    MakeSurface(64, 48, kBg);
    Draw("/3F0 00_A", v_ShowTextPlain, 0, 0);
    EXPECT_EQ(At(7, 0), kBg) << "taken as an escape";
    EXPECT_EQ(At(0, 0) & 0x7C00, 0x7C00);
    Draw("/3F0 00_A", v_ShowText, 0, 20);
    EXPECT_EQ(At(7, 20), kWhite) << "drawn as a slash";
}

TEST_F(BitmapTextTest, EscapeLookAheadStopsAtTheTerminator) {
    // The "_" test must not read the bytes after a short string's end.
    for (const char* s : {"/", "/3", "/3F00", "/3F0000", "A/12345678901"}) {
        MakeSurface(64, 48, kBg);
        Draw(s, v_ShowText, 0, 0);
        Draw(s, v_ShowTextGradient, 0, 20);
    }
    EXPECT_EQ(At(15, 0), kWhite) << "the last string's slash is drawn";
    std::vector<uint8_t> out(64 * 48, 0x55);
    const std::vector<char> t = Exact("/1");
    v_ShowText8(0, 0, t.data(), out.data(), static_cast<uint32_t>(out.size()), 64);
    EXPECT_EQ(out[7], 0xFF);
}

TEST_F(BitmapTextTest, ControlBytesAreSpacesAndHighSlotsAreBlank) {
    Draw("\nA", v_ShowTextPlain, 0, 0);
    Draw("\x80\x9F\xFF"
         "A",
         v_ShowTextPlain, 0, 20);
    auto want = Blank();
    P(want, 8, 0) = kWhite;
    P(want, 24, 20) = kWhite;
    EXPECT_EQ(Pixels(), want);
}

TEST_F(BitmapTextTest, HalfShadowHalvesNeighboursOncePerGlyphPixel) {
    FillPattern();
    const auto before = Pixels();
    Draw("D", v_ShowTextHalfShadow, 4, 4);
    auto want = before;
    // (5,4) then (4,5) drawn; (5,5) is below one and right of the other.
    P(want, 6, 4) = Halved(P(want, 6, 4));
    P(want, 5, 5) = Halved(Halved(P(want, 5, 5)));
    P(want, 4, 6) = Halved(P(want, 4, 6));
    P(want, 5, 4) = P(want, 4, 5) = kWhite;
    EXPECT_EQ(Pixels(), want);
}

TEST_F(BitmapTextTest, ColourArgumentsUseTheEscapeScale) {
    v_SetPixelMode(2); // 5-6-5
    v_ShowTextPlainRGB(0, 0, "A", Dest(), DestPixels(), Pitch(), 0x3F, 0x21, 0x101);
    EXPECT_EQ(At(0, 0), (31 << 11) | (0x21 << 5) | 0);
    v_ShowTextHalfShadowRGB(8, 0, "A", Dest(), DestPixels(), Pitch(), 2, 3, 5);
    EXPECT_EQ(At(8, 0), (1 << 11) | (3 << 5) | 2);
    EXPECT_EQ(At(9, 0), 0x0888) << "half of 0x1111 in 5-6-5";

    // Values past 3F keep their low byte and are placed unmasked, spilling
    // into the channel above as the fitted value does.
    v_SetPixelMode(0);
    v_ShowTextPlainRGB(16, 0, "A", Dest(), DestPixels(), Pitch(), 0x140, 0, 0x40);
    EXPECT_EQ(At(16, 0), 0x8000 | 0x0020);
    Draw("/7E0000_A", v_ShowTextPlain, 24, 0);
    EXPECT_EQ(At(24, 0), 0xFC00);
}

TEST_F(BitmapTextTest, AlphaLevelsBlendThroughTheMultiplyTable) {
    FillPattern();
    const uint16_t d = At(4, 4);
    for (uint32_t a : {0u, 31u, 63u, 64u, 127u}) {
        Set(4, 4, d);
        v_ShowTextAlpha(4, 4, "/3F1F00_A", Dest(), DestPixels(), Pitch(), a);
        EXPECT_EQ(At(4, 4), Blend555(a & 63, 0x7C00 | 15 << 5, d)) << a;
        EXPECT_EQ(At(5, 4), static_cast<uint16_t>((5 * 977 + 4 * 331) & 0x7FFF)) << "no shadow";
    }
    Set(4, 4, d);
    v_ShowTextAlpha(4, 4, "A", Dest(), DestPixels(), Pitch(), 63);
    EXPECT_EQ(At(4, 4), Blend555(63, 0x7FFF, d));
}

TEST_F(BitmapTextTest, GradientTableFollowsTheStepFormula) {
    const uint16_t* g = l_MakeTextGradient(0xFFFFFF, 0x808080, 15);
    EXPECT_EQ(g[0], 0x7FFF);
    EXPECT_EQ(g[14], (16 << 10) | (16 << 5) | 16);
    // Row 7: 255 * 1024 - 7 * floor(127 * 1024 / 14) over 1024, then >> 2, >> 1.
    const uint32_t v7 = static_cast<uint32_t>((255 * 1024 - 7 * (127 * 1024 / 14)) / 1024) >> 3;
    EXPECT_EQ(g[7], (v7 << 10) | (v7 << 5) | v7);
    EXPECT_EQ(g[15], g[14]) << "rows past the count keep the end colour";
    EXPECT_EQ(g[99], g[14]);
    // Rising channel, falling channel, and one row only (no slope).
    g = l_MakeTextGradient(0x00FF00, 0xFF0000, 2);
    EXPECT_EQ(g[0], 31 << 5);
    EXPECT_EQ(g[1], 31 << 10);
    g = l_MakeTextGradient(0x102030, 0xFFFFFF, 1);
    EXPECT_EQ(g[0], (0x10 >> 3) << 10 | (0x20 >> 3) << 5 | 0x30 >> 3);
    EXPECT_EQ(g[50], g[0]);
    g = l_MakeTextGradient(0, 0xFFFFFF, 0);
    EXPECT_EQ(g[1], 0x7FFF) << "a count of 0 is two rows";
    g = l_MakeTextGradient(0, 0xFFFFFF, 1000);
    EXPECT_EQ(g[99], 0x7FFF) << "counts above 100 are 100";
}

TEST_F(BitmapTextTest, GradientMembersColourEachGlyphRow) {
    Draw("C", v_ShowTextGradient, 0, 0);
    const uint16_t* g = l_MakeTextGradient(0xFFFFFF, 0x808080, 15);
    for (uint32_t r = 0; r < 15; ++r)
        EXPECT_EQ(At(0, r), g[r]) << r;
    // The twelve-digit escape rebuilds it; the six-digit one is a plain slash.
    Draw("/FF00000000FF_C", v_ShowTextGradient, 8, 0);
    g = l_MakeTextGradient(0xFF0000, 0x0000FF, 15);
    for (uint32_t r = 0; r < 15; ++r)
        EXPECT_EQ(At(8, r), g[r]) << r;
    v_ShowTextGradientRGB(16, 20, "C", Dest(), DestPixels(), Pitch(), 0x00FF00, 0x000000);
    g = l_MakeTextGradient(0x00FF00, 0x000000, 15);
    EXPECT_EQ(At(16, 20), g[0]);
    EXPECT_EQ(At(16, 34), g[14]);
    EXPECT_EQ(At(17, 34), Halved(kBg));
    v_ShowTextGradientRGBShadow(32, 20, "C", Dest(), DestPixels(), Pitch(), 0x00FF00, 0x000000);
    EXPECT_EQ(At(32, 34), g[14]);
    EXPECT_EQ(At(33, 34), 1);
    EXPECT_EQ(At(32, 35), 1);
}

class Big5TextTest : public BitmapTextTest {
protected:
    void SetUp() override {
        BitmapTextTest::SetUp();
        m_font.assign(13910 * 30, 0);
        // Glyph 0 (A440): pixels at (0,0), (0,15) and in row 14 (never drawn).
        Glyph(0)[0] = 0x80;
        Glyph(0)[1] = 0x01;
        Glyph(0)[28] = 0xFF;
        // Symbol glyph 13094 (A140): pixel (1,8).
        Glyph(13094)[3] = 0x80;
        v_SetBig5Font(m_font.data(), static_cast<uint32_t>(m_font.size()));
    }
    uint8_t* Glyph(uint32_t n) { return m_font.data() + 30 * n; }
    std::vector<uint8_t> m_font;
};

TEST_F(Big5TextTest, GlyphNumbersFollowTheFourBlocks) {
    EXPECT_EQ(l_GetBig5GlyphIndex(0xA4, 0x40), 0);
    EXPECT_EQ(l_GetBig5GlyphIndex(0xA4, 0xA1), 63);
    EXPECT_EQ(l_GetBig5GlyphIndex(0xC6, 0x7E), 5400);
    EXPECT_EQ(l_GetBig5GlyphIndex(0xC9, 0x40), 5401);
    EXPECT_EQ(l_GetBig5GlyphIndex(0xF9, 0xFE), 13093);
    EXPECT_EQ(l_GetBig5GlyphIndex(0xA1, 0x40), 13094);
    EXPECT_EQ(l_GetBig5GlyphIndex(0xA3, 0xBF), 13501);
    EXPECT_EQ(l_GetBig5GlyphIndex(0xC6, 0xA1), 13502);
    EXPECT_EQ(l_GetBig5GlyphIndex(0xC8, 0xFE), 13909);
    // Outside the blocks.
    EXPECT_EQ(l_GetBig5GlyphIndex(0xFA, 0x40), -1);
    EXPECT_EQ(l_GetBig5GlyphIndex(0xA4, 0x7F), -1);
    EXPECT_EQ(l_GetBig5GlyphIndex(0xA4, 0xA0), -1);
    EXPECT_EQ(l_GetBig5LinearIndex(0xA1, 0x40), 0);
    EXPECT_EQ(l_GetBig5LinearIndex(0xA2, 0xA1), 157 + 63);
    EXPECT_EQ(l_GetBig5LinearIndex(0xA1, 0x7F), 63);
}

TEST_F(Big5TextTest, PairsDrawFourteenRowsWithTheDoubleByteShadow) {
    Draw("\xA4\x40"
         "A",
         v_ShowText, 0, 0);
    auto want = Blank();
    P(want, 0, 0) = P(want, 15, 0) = kWhite;
    P(want, 1, 0) = P(want, 0, 1) = 1;
    P(want, 1, 1) = 0;
    P(want, 16, 0) = kWhite; // 'A' after 16 pixels overwrites the 1 right of (15,0)
    P(want, 15, 1) = 1;
    P(want, 16, 1) = 0;
    P(want, 17, 0) = P(want, 17, 1) = 1;
    P(want, 16, 1) = 1; // then 'A's own shadow below
    EXPECT_EQ(Pixels(), want);
    for (uint32_t x = 0; x < 16; ++x)
        EXPECT_EQ(At(x, 14), kBg) << "row 14 is not drawn";
}

TEST_F(Big5TextTest, LoneLeadAndBadPairsFallBack) {
    // A lead before the terminator is one single-byte cell; the string ends.
    Draw("A\xA4", v_ShowTextPlain, 0, 0);
    EXPECT_EQ(At(0, 0), kWhite);
    // A lead before a non-trail is single-byte: 'A' lands 8 further.
    Draw("\xA4\x20"
         "A",
         v_ShowTextPlain, 0, 20);
    EXPECT_EQ(At(16, 20), kWhite);
    // Pairs outside the blocks show a blank 16-pixel cell.
    Draw("\xFA\x40"
         "A\xA4\x90"
         "A",
         v_ShowTextPlain, 0, 30);
    EXPECT_EQ(At(16, 30), kWhite);
    EXPECT_EQ(At(40, 30), kWhite);
    Draw("\xA1\x40", v_ShowTextPlain, 0, 40);
    EXPECT_EQ(At(8, 41), kWhite);
}

TEST_F(Big5TextTest, GlyphsOutsideAShortFontDrawNothing) {
    v_SetBig5Font(m_font.data(), 29); // not even glyph 0 fits
    const std::vector<char> t = Exact("\xA4\x40"
                                      "A");
    v_ShowTextPlain(0, 0, t.data(), Dest(), DestPixels(), Pitch());
    auto want = Blank();
    P(want, 16, 0) = kWhite;
    EXPECT_EQ(Pixels(), want);
}

TEST_F(BitmapTextTest, NothingIsWrittenOutsideTheDestination) {
    // Strings running off every edge of a small destination inside the
    // surface: the guards (fixture) and the pixels around it stay.
    const uint32_t off = 10 * m_w + 10, n = 5 * m_w;
    for (int32_t x : {-20, -3, 0, 60, 63}) {
        for (int32_t y : {-20, -1, 3, 4}) {
            v_ShowText(x, y, "BBBBBBBBBB", Dest() + off, n, Pitch());
            v_ShowTextHalfShadow(x, y, "CCCC", Dest() + off, n, Pitch());
            v_ShowText24(x, y, "AAAA", Dest() + off, n, Pitch(), 9);
            v_ShowHangulText(x, y, "CC", Dest() + off, n, Pitch());
        }
    }
    for (uint32_t i = 0; i < DestPixels(); ++i)
        if (i < off || i >= off + n) {
            ASSERT_EQ(Dest()[i], kBg) << i;
        }
    // A null destination draws nothing at all.
    v_ShowText(0, 0, "A", nullptr, 100, Pitch());
}

TEST_F(BitmapTextTest, Text24UsesItsOwnSingleByteGlyphsAndShadowDistance) {
    std::vector<uint8_t> font(998424 + 48 * 256, 0);
    font[998424 + 48 * 'A'] = 0x80;            // (0,0)
    font[998424 + 48 * 1 + 2 * 23 + 1] = 0x01; // code 1: (23,15)
    font[72 * 13094 + 3 * 23 + 2] = 0x01;      // A140: (23,23)
    v_SetBig5Font(font.data(), static_cast<uint32_t>(font.size()));
    FillPattern();
    const auto before = Pixels();
    v_ShowText24(0, 0, "A\x01\xA1\x40\rA", Dest(), DestPixels(), Pitch(), 2);
    auto want = before;
    P(want, 0, 0) = kWhite;
    P(want, 2, 2) = Halved(P(want, 2, 2));
    P(want, 16 + 15, 23) = kWhite;
    P(want, 16 + 17, 25) = Halved(P(want, 33, 25));
    P(want, 32 + 23, 23) = kWhite;
    P(want, 32 + 25, 25) = Halved(P(want, 57, 25));
    EXPECT_EQ(Pixels(), want) << "0x0D ends the text";
    v_SetBig5Font(nullptr, 0);
}

TEST_F(BitmapTextTest, EightBitMemberWritesBytesWithZeroShadow) {
    std::vector<uint8_t> out(40 * 20, 0x55);
    v_ShowText8(1, 1, "A/7E_A/Z_", out.data(), static_cast<uint32_t>(out.size()), 40);
    std::vector<uint8_t> want(out.size(), 0x55);
    want[41] = 0xFF;
    want[42] = want[81] = want[82] = 0;
    want[49] = 0x7E;
    want[50] = want[89] = want[90] = 0;
    // "/Z_" has no "_" three bytes on: a slash (its last column) at x 17.
    want[64] = 0x7E;
    want[65] = want[104] = want[105] = 0;
    EXPECT_EQ(out, want);
    // Off the last row: what fits is drawn, nothing past the buffer.
    v_ShowText8(36, 19, "BBBB", out.data(), static_cast<uint32_t>(out.size()), 40);
    EXPECT_EQ(out[19 * 40 + 36], 0xFF);
    EXPECT_EQ(out[19 * 40 + 38], 0);
    EXPECT_EQ(out[19 * 40 + 39], 0x55);
}

class SlotTextTest : public BitmapTextTest {
protected:
    // Single-byte font 5 x 3, glyphs of 2 bytes, spacing 1; 'A' (glyph 33)
    // lights bits 0, 7 and 14: (0,0), (1,2) and (2,4), running on across
    // bytes. Double-byte font 4 x 2, glyph 1 (A141) lights (1,3).
    void SetUp() override {
        BitmapTextTest::SetUp();
        m_single.assign(2 * 96, 0);
        m_single[2 * 33] = 0x81;
        m_single[2 * 33 + 1] = 0x02;
        m_double.assign(1 * 4, 0);
        m_double[1] = 0x01;
        v_SetFontSlot(5, 3, m_single.data(), Size(m_single), 2, 1, 4, 2, m_double.data(), Size(m_double), 1,
                      2, 3);
    }
    static uint32_t Size(const std::vector<uint8_t>& v) { return static_cast<uint32_t>(v.size()); }
    std::vector<uint8_t> m_single, m_double;
};

TEST_F(SlotTextTest, GlyphBitsRunOnAcrossRowsAndSpacesOnlyAdvance) {
    v_ShowTextFontPlain(0, 0, "A A", Dest(), DestPixels(), Pitch(), 3);
    auto want = Blank();
    for (uint32_t x0 : {0u, 12u}) {
        P(want, x0 + 0, 0) = kWhite;
        P(want, x0 + 2, 1) = kWhite;
        P(want, x0 + 4, 2) = kWhite;
    }
    EXPECT_EQ(Pixels(), want);
}

TEST_F(SlotTextTest, PairsUseTheLinearIndexAndShortFontsDrawNothing) {
    v_ShowTextFontPlainRGB(0, 0,
                           "\xA1\x41"
                           "A\xA1\x45"
                           "A",
                           Dest(), DestPixels(), Pitch(), 0xFF0000, 3);
    auto want = Blank();
    P(want, 3, 1) = 0x7C00;
    for (uint32_t x0 : {6u, 18u}) {
        P(want, x0, 0) = 0x7C00;
        P(want, x0 + 2, 1) = 0x7C00;
        P(want, x0 + 4, 2) = 0x7C00;
    }
    EXPECT_EQ(Pixels(), want) << "glyph 5 lies past the double-byte font";
    MakeSurface(64, 48, kBg);
    v_ShowTextFont(0, 0, "A", Dest(), DestPixels(), Pitch(), 5);
    EXPECT_EQ(Pixels(), Blank()) << "slot 5 does not exist";
}

TEST_F(SlotTextTest, ShadowOfZeroAndGradientOverTheDoubleByteHeight) {
    v_ShowTextFont(0, 0, "A", Dest(), DestPixels(), Pitch(), 3);
    EXPECT_EQ(At(0, 0), kWhite);
    EXPECT_EQ(At(1, 0), 0);
    EXPECT_EQ(At(0, 1), 0);
    EXPECT_EQ(At(1, 1), 0);
    v_ShowTextFontGradientRGB(0, 10, "A", Dest(), DestPixels(), Pitch(), 3, 0xFF0000, 0x0000FF);
    EXPECT_EQ(At(0, 10), 0x7C00);
    EXPECT_EQ(At(2, 11), 0x001F) << "two rows: the double-byte font's height";
    EXPECT_EQ(At(4, 12), 0x001F) << "rows past it keep the end colour";
    v_ShowTextFontGradient(0, 20, "/00FF00FF0000_A", Dest(), DestPixels(), Pitch(), 3);
    EXPECT_EQ(At(0, 20), 31 << 5);
    EXPECT_EQ(At(2, 21), 31 << 10);
}

TEST_F(SlotTextTest, AlphaMembers) {
    FillPattern();
    const auto before = Pixels();
    v_ShowTextFontAlphaRGB(0, 0, "A", Dest(), DestPixels(), Pitch(), 0x00FF00, 3, 64 + 40);
    EXPECT_EQ(At(0, 0), Blend555(40, 31 << 5, before[0]));
    EXPECT_EQ(At(1, 0), before[1]);
    v_ShowTextFontAlpha(0, 10, "A", Dest(), DestPixels(), Pitch(), 3, 20);
    EXPECT_EQ(At(0, 10), Blend555(20, 0xFFFF, before[10 * m_w]));
    v_ShowTextFontGradientAlphaRGB(0, 20, "A", Dest(), DestPixels(), Pitch(), 3, 0xFF0000, 0x0000FF, 63);
    EXPECT_EQ(At(2, 21), Blend555(63, 0x1F, before[21 * m_w + 2]));
    v_ShowTextFontGradientAlpha(0, 30, "A", Dest(), DestPixels(), Pitch(), 3, 0);
    EXPECT_EQ(At(0, 30), Blend555(0, 0x7FFF, before[30 * m_w]));
}

TEST_F(BitmapTextTest, SmoothGlyphsBlendByTheirLevel) {
    // 4 x 1 glyph 'A' (33) with levels 15, 0, 7, 1; spacing 0.
    std::vector<uint8_t> single(2 * 40, 0);
    single[2 * 33] = 0xF0;
    single[2 * 33 + 1] = 0x71;
    v_SetCurrentFonts(4, 1, single.data(), static_cast<uint32_t>(single.size()), 2, 0, 0, 0, nullptr, 0, 0,
                      0);
    FillPattern();
    const auto before = Pixels();
    v_ShowTextSmoothRGB(0, 0, "AA", Dest(), DestPixels(), Pitch(), 0xFF0000);
    EXPECT_EQ(At(0, 0), 0x7C00);
    EXPECT_EQ(At(1, 0), before[1]);
    EXPECT_EQ(At(2, 0), Blend555(28, 0x7C00, before[2]));
    EXPECT_EQ(At(3, 0), Blend555(4, 0x7C00, before[3]));
    EXPECT_EQ(At(4, 0), 0x7C00);
    v_ShowTextSmooth(0, 5, "/003F00_A", Dest(), DestPixels(), Pitch());
    EXPECT_EQ(At(0, 5), 31 << 5);
}

class HangulTextTest : public BitmapTextTest {
protected:
    // Each component glyph names itself: initials in bytes 0-1 (set + 1,
    // number), medials in bytes 2-3, finals in bytes 4-5.
    void SetUp() override {
        BitmapTextTest::SetUp();
        m_font.assign(11520, 0);
        for (uint32_t s = 0; s < 8; ++s)
            for (uint32_t n = 0; n < 20; ++n)
                Mark(s * 640 + n * 32, 0, s, n);
        for (uint32_t s = 0; s < 4; ++s)
            for (uint32_t n = 0; n < 22; ++n)
                Mark(0x1400 + s * 704 + n * 32, 2, s, n);
        for (uint32_t s = 0; s < 4; ++s)
            for (uint32_t n = 0; n < 28; ++n)
                Mark(0x1F00 + s * 896 + n * 32, 4, s, n);
        v_SetHangulFont(m_font.data(), static_cast<uint32_t>(m_font.size()));
    }
    void Mark(uint32_t at, uint32_t byte, uint32_t set, uint32_t n) {
        m_font[at + byte] = static_cast<uint8_t>(set + 1);
        m_font[at + byte + 1] = static_cast<uint8_t>(n);
    }
    static uint16_t Code(uint32_t ini, uint32_t med, uint32_t fin) {
        return static_cast<uint16_t>(0x8000 | ini << 10 | med << 5 | fin);
    }
    std::vector<uint8_t> m_font;
};

TEST_F(HangulTextTest, ComponentsComeFromTheBankSetsTheOthersChoose) {
    // No final: initial 1 in set 0 (medial 1), medial 1 in set 0, final set
    // 0 glyph 0.
    const uint8_t* g = l_ComposeHangulGlyph(Code(2, 3, 1));
    EXPECT_EQ(std::vector<uint8_t>(g, g + 6), (std::vector<uint8_t>{1, 1, 1, 1, 1, 0}));
    // The far ends: initial 19, medial 21, final 27: sets 5, 3 and 1.
    g = l_ComposeHangulGlyph(Code(20, 29, 29));
    EXPECT_EQ(std::vector<uint8_t>(g, g + 6), (std::vector<uint8_t>{6, 19, 4, 21, 2, 27}));
    // Medial 12 (code 18) with final 17 (code 19), initial 10 (code 11).
    g = l_ComposeHangulGlyph(Code(11, 18, 19));
    EXPECT_EQ(std::vector<uint8_t>(g, g + 6), (std::vector<uint8_t>{8, 11 - 1, 4, 12, 2, 17}));
    // A medial that maps to 0: the initial alone.
    g = l_ComposeHangulGlyph(Code(5, 8, 2));
    EXPECT_EQ(std::vector<uint8_t>(g, g + 6), (std::vector<uint8_t>{2, 4, 0, 0, 0, 0}));
    // A short font leaves out what it does not hold.
    v_SetHangulFont(m_font.data(), 0x1400 + 32);
    g = l_ComposeHangulGlyph(Code(20, 29, 29));
    EXPECT_EQ(std::vector<uint8_t>(g, g + 6), (std::vector<uint8_t>{6, 19, 0, 0, 0, 0}));
}

TEST_F(HangulTextTest, CodesDrawSixteenRowsAndOtherBytesTheBuiltInTable) {
    m_font.assign(11520, 0);
    m_font[0] = 0x80;  // initial 0 of set 0: (0,0)
    m_font[31] = 0x01; // and (15,15)
    const std::string s = {'\x80', '\x21', 'A', '\x90', '\x05', 'A'};
    v_ShowHangulTextRGB(0, 0, s.c_str(), Dest(), DestPixels(), Pitch(), 0x3F, 0, 0);
    auto want = Blank();
    P(want, 0, 0) = P(want, 15, 15) = 0x7C00;
    P(want, 1, 0) = P(want, 0, 1) = Halved(kBg);
    P(want, 16, 15) = Halved(kBg);
    P(want, 15, 16) = Halved(kBg);
    P(want, 16, 0) = 0x7C00; // 'A'
    P(want, 17, 0) = P(want, 16, 1) = Halved(kBg);
    // 0x90 before 0x05 is a single byte (blank slot), 0x05 a space.
    P(want, 40, 0) = 0x7C00;
    P(want, 41, 0) = P(want, 40, 1) = Halved(kBg);
    EXPECT_EQ(Pixels(), want);
}

TEST_F(HangulTextTest, GradientMembersGiveTheSixteenthRowTheEndColour) {
    m_font.assign(11520, 0);
    for (int r = 0; r < 16; ++r)
        m_font[2 * r] = 0x80;
    v_ShowHangulTextGradientRGB(0, 0, "\x80\x21", Dest(), DestPixels(), Pitch(), 0xFFFFFF, 0xFF0000);
    EXPECT_EQ(At(0, 0), 0x7FFF);
    EXPECT_EQ(At(0, 14), 0x7C00);
    EXPECT_EQ(At(0, 15), 0x7C00);
    v_ShowHangulTextGradient(8, 20, "\x80\x21", Dest(), DestPixels(), Pitch());
    EXPECT_EQ(At(8, 20), 0x7FFF);
    EXPECT_EQ(At(8, 35), 100 >> 3);
    v_ShowHangulTextGradientRGBShadow(30, 20, "\x80\x21", Dest(), DestPixels(), Pitch(), 0xFFFFFF, 0x000000);
    EXPECT_EQ(At(31, 20), 1);
    EXPECT_EQ(At(30, 36), 1);
    v_ShowHangulTextAlpha(50, 0, "A", Dest(), DestPixels(), Pitch(), 0);
    EXPECT_EQ(At(50, 0), Blend555(0, 0xFFFF, kBg));
    v_ShowHangulText(50, 20, "/3F0000_A", Dest(), DestPixels(), Pitch());
    EXPECT_EQ(At(50, 20), 0x7C00);
}

TEST_F(GlyphTextTest, BuiltInTableHasDigitsAndLettersAndBlankHighSlots) {
    const uint8_t* t = p_GlyphTable();
    const auto lit = [&](uint32_t code) {
        uint32_t n = 0;
        for (int r = 0; r < 15; ++r)
            n += static_cast<uint32_t>(std::popcount(t[16 * code + r]));
        return n;
    };
    EXPECT_EQ(lit(' '), 0u);
    for (uint32_t c = 33; c < 127; ++c)
        EXPECT_GT(lit(c), 0u) << c;
    for (uint32_t c = 128; c < 256; ++c)
        EXPECT_EQ(lit(c), 0u) << c;
    std::vector<uint8_t> shortTable(128 * 15 - 1, 0xFF);
    EXPECT_FALSE(v_LoadGlyphTable(shortTable.data(), static_cast<uint32_t>(shortTable.size())));
    EXPECT_GT(lit('0'), 0u) << "a short source leaves the table";
    EXPECT_EQ(l_GetPrintableLength("ab\rcd", 10), 2u);
    EXPECT_EQ(l_GetPrintableLength("abcdef", 4), 4u);
}

} // namespace
