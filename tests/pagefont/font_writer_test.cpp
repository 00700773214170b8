#include <gtest/gtest.h>

#include <string>

#include "pagefont/font_writer.h"
#include "pagefont/line.h"
#include "pagefont/string_table.h"
#include "tests/pagefont/page_fixture.h"
#include "tests/support/reader_checks.h"
#include "tests/support/temp_dir.h"

namespace {

constexpr uint16_t kInk = 0x0f0b;

// Test fonts whose glyph i carries i in its first row (most significant bit
// left) and a full second row, so a drawn cell tells which glyph it is.
std::string NumberedFont(int32_t cellWidth, int32_t glyphs) {
    std::string out;
    const int32_t rowBytes = cellWidth / 8;
    for (int32_t i = 0; i < glyphs; ++i) {
        std::string g(static_cast<size_t>(rowBytes * 16), '\0');
        for (int32_t b = 0; b < rowBytes; ++b) {
            g[static_cast<size_t>(b)] = static_cast<char>((i >> (8 * (rowBytes - 1 - b))) & 0xFF);
            g[static_cast<size_t>(rowBytes + b)] = '\xFF';
        }
        out += g;
    }
    return out;
}

class WriterTest : public pftest::PageTest {
protected:
    krxtest::TempDir dir;
    std::unique_ptr<krxtest::ScopedCwd> cwd;
    sc_FontWriter w;

    void SetUp() override {
        PageTest::SetUp();
        dir.Write("Fonts/EM.FNT", NumberedFont(8, 256));
        dir.Write("Fonts/CM.FNT", NumberedFont(16, 1000));
        // 4-bit 4 x 4 cells, every pixel at full coverage.
        dir.Write("Fonts/AA.FNT", std::string(8 * 200, '\xFF'));
        cwd = std::make_unique<krxtest::ScopedCwd>(dir.Path());
    }
    void TearDown() override {
        cwd.reset();
        v_FreeStringTable();
        PageTest::TearDown();
    }
    // The game's settings for its text writer.
    void LoadGameWriter() {
        ASSERT_EQ(w.bLoadFont(0, "Fonts\\EM.FNT", 8, 16, 0, 1), 1);
        ASSERT_EQ(w.bLoadFont(1, "Fonts\\CM.FNT", 16, 16, 0, 1), 1);
        w.vSetShadow(31, 1);
        w.vSetSpacing(1, 0);
        w.vSetColor(kInk, 0, 16);
    }
    // The glyph number drawn with its cell at (x, y), or -1 when no cell is
    // there.
    static int32_t GlyphAt(int32_t x, int32_t y, int32_t width) {
        int32_t v = 0;
        for (int32_t c = 0; c < width; ++c) {
            if (l_GetPixel(x + c, y + 1) != kInk) return -1;
            v = v * 2 + (l_GetPixel(x + c, y) == kInk ? 1 : 0);
        }
        return v;
    }
};

TEST_F(WriterTest, StringsAdvanceNineAndSeventeenPixels) {
    LoadGameWriter();
    MakeTarget(80, 20);
    w.vShowString(0, 0, "AB");
    EXPECT_EQ(GlyphAt(0, 0, 8), 33);
    EXPECT_EQ(GlyphAt(9, 0, 8), 34);
    EXPECT_EQ(GlyphAt(18, 0, 8), -1);
    EXPECT_EQ(w.lShowChar(40, 0, 'A'), 9);
    EXPECT_EQ(w.lShowChar2(40, 0, 0xA4, 0x40), 17);
}

TEST_F(WriterTest, Big5PairsDrawTheirGlyphNumber) {
    LoadGameWriter();
    MakeTarget(80, 20);
    w.vShowString(2, 1,
                  "\xA4\x40"
                  "C"
                  "\xA1\xA1");
    EXPECT_EQ(GlyphAt(2, 1, 16), 471);
    EXPECT_EQ(GlyphAt(19, 1, 8), 'C' - 32);
    EXPECT_EQ(GlyphAt(28, 1, 16), 63);
}

TEST_F(WriterTest, LowLeadBytesSwallowTheirTrailAndDrawNothing) {
    LoadGameWriter();
    MakeTarget(80, 20);
    w.vShowString(0, 0, "A\nB");
    EXPECT_EQ(GlyphAt(0, 0, 8), 33);
    EXPECT_EQ(GlyphAt(9, 0, 8), -1);
    EXPECT_EQ(w.lShowChar2(0, 0, 10, 'B'), 0);
    EXPECT_EQ(w.lMeasureString("A\nB"), 8 + 16 + 1) << "the pair still counts as one code";
}

TEST_F(WriterTest, ALeadByteBeforeTheEndStopsEveryWalk) {
    LoadGameWriter();
    MakeTarget(80, 20);
    // Exactly sized, so the sanitizer build catches a step past the NUL.
    const std::vector<char> text{'A', '\xA4', '\0'};
    w.vShowString(0, 0, text.data());
    EXPECT_EQ(GlyphAt(0, 0, 8), 33);
    EXPECT_EQ(GlyphAt(9, 0, 16), -1);
    EXPECT_EQ(w.lMeasureString(text.data()), 8);
    w.vSetWindow(0, 0, 79, 19);
    w.vWindowString(text.data());
    EXPECT_EQ(w.lGetColumn(), 1);
    w.vHomeCursor();
    w.vTypeString(text.data());
    w.vHomeCursor();
    w.vTypeString(text.data());
    w.vHomeCursor();
    w.vTypeString(text.data());
    EXPECT_FALSE(w.bIsTyping()) << "the reveal ends at the lone lead byte";
}

TEST_F(WriterTest, WindowWrapsWhenTheNextCharacterReachesItsWidth) {
    LoadGameWriter();
    MakeTarget(120, 60);
    w.vSetWindow(0, 0, 99, 59);
    EXPECT_EQ(w.lGetCharAdvance(), 9);
    EXPECT_EQ(w.lGetLineAdvance(), 16);
    w.vWindowString("ABCDEFGHIJK");
    EXPECT_EQ(GlyphAt(90, 0, 8), 'K' - 32) << "90 + 9 = 99 still fits";
    EXPECT_EQ(w.lGetRow(), 0);
    EXPECT_EQ(w.lWindowChar('L'), 9);
    EXPECT_EQ(GlyphAt(0, 16, 8), 'L' - 32) << "99 + 9 = 108 starts the next line";
    EXPECT_EQ(w.lGetRow(), 1);
    EXPECT_EQ(w.lGetColumn(), 1);
    EXPECT_EQ(w.lWindowChar2(0xA4, 0x40), 17);
    EXPECT_EQ(GlyphAt(9, 16, 16), 471);
    w.vSetWindow(10, 5, 99, 59);
    EXPECT_EQ(w.lGetOffsetX(), 0);
    EXPECT_EQ(w.lGetOffsetY(), 0);
    EXPECT_EQ(w.lGetRow(), 0);
    w.vSetCursor(2, 3);
    EXPECT_EQ(w.lGetOffsetX(), 27);
    EXPECT_EQ(w.lGetOffsetY(), 32);
}

TEST_F(WriterTest, NewLineAtTheBottomKeepsTheLastLine) {
    LoadGameWriter();
    MakeTarget(100, 60);
    w.vSetWindow(0, 0, 99, 39);
    w.vWindowString("AB");
    w.vNewLine();
    w.vNewLine();
    EXPECT_EQ(w.lGetOffsetY(), 32);
    w.vWindowString("C");
    w.vNewLine();
    EXPECT_EQ(w.lGetOffsetY(), 32) << "32 + 16 reaches the window height";
    EXPECT_EQ(w.lGetOffsetX(), 0);
    EXPECT_EQ(w.lGetRow(), 2);
    v_FillRect(0, 0, 99, 59, 0);
    w.vWindowString("D");
    EXPECT_EQ(GlyphAt(0, 32, 8), 'D' - 32) << "drawn over the last line";
}

TEST_F(WriterTest, MeasuresCountCellsAndSpacingBetween) {
    LoadGameWriter();
    EXPECT_EQ(w.lMeasureString("AB\xA4\x40"), 8 + 8 + 16 + 2);
    EXPECT_EQ(w.lMeasureString(""), 0);
    EXPECT_EQ(w.lMeasureString("A"), 8);
    EXPECT_EQ(w.lMeasureHeight(nullptr), 16);
    w.vSetZoom(1);
    EXPECT_EQ(w.lMeasureString("A\xA4\x40"), 16 + 32 + 1);
    EXPECT_EQ(w.lMeasureHeight(""), 32);
}

TEST_F(WriterTest, PrintfFormsAreBounded) {
    LoadGameWriter();
    MakeTarget(80, 20);
    w.vPrintf(0, 0, "%c%d", 'A', 7);
    EXPECT_STREQ(g_szPrintfBuffer[0], "A7");
    EXPECT_EQ(GlyphAt(9, 0, 8), '7' - 32);
    const std::string longText(600, 'x');
    w.vPrintf(0, 0, "%s", longText.c_str());
    EXPECT_EQ(std::string(g_szPrintfBuffer[0]), longText.substr(0, 255));
    w.vSetWindow(0, 0, 79, 19);
    w.vWindowPrintf("%s!", longText.c_str());
    EXPECT_EQ(std::strlen(g_szPrintfBuffer[2]), 255u);
}

TEST_F(WriterTest, TableLinesAndTheirPrintfForms) {
    LoadGameWriter();
    MakeTarget(80, 40);
    dir.Write("T.TXT", "AB\r\nn=%d\r\n");
    ASSERT_EQ(l_LoadStringTable("t.txt"), 1);
    w.vShowTableLine(0, 0, 0);
    EXPECT_EQ(GlyphAt(9, 0, 8), 'B' - 32);
    w.vPrintfTableLine(0, 20, 1, 5);
    EXPECT_STREQ(g_szPrintfBuffer[1], "n=5");
    EXPECT_EQ(GlyphAt(18, 20, 8), '5' - 32);
    // Lines past the table draw nothing.
    const std::vector<uint16_t> before = Snapshot();
    w.vShowTableLine(0, 0, 2);
    w.vShowTableLine(0, 0, -1);
    w.vPrintfTableLine(0, 0, 9, 1);
    w.vWindowTableLine(7);
    w.vWindowPrintfTableLine(7, 1);
    EXPECT_EQ(Snapshot(), before);
}

TEST_F(WriterTest, MissingFontsDrawNothingAndKeepTheOldFont) {
    MakeTarget(80, 20);
    w.vShowString(0, 0, "A\xA4\x40");
    w.vSetWindow(0, 0, 79, 19);
    w.vWindowString("A\xA4\x40");
    w.vTypeString("A\xA4\x40");
    EXPECT_EQ(w.lMeasureString("AB"), 1 * 0) << "no font, no width";
    ASSERT_EQ(w.bLoadFont(0, "Fonts\\EM.FNT", 8, 16, 0, 1), 1);
    w.vSetColor(kInk, 0, 16);
    EXPECT_EQ(w.bLoadFont(1, "Fonts\\NOPE.FNT", 16, 16, 0, 1), 0);
    EXPECT_EQ(w.pGetFont(1), nullptr);
    EXPECT_EQ(w.lShowChar2(0, 0, 0xA4, 0x40), 0);
    w.vShowString(0, 0,
                  "\xA4\x40"
                  "A");
    EXPECT_EQ(GlyphAt(0, 0, 8), 33) << "the missing pair takes no room";
    sc_Font* single = w.pGetFont(0);
    EXPECT_EQ(w.bLoadFont(0, "Fonts\\NOPE.FNT", 8, 16, 0, 1), 0);
    EXPECT_EQ(w.bLoadFont(0, "Fonts\\EM.FNT", 8, 16, 2, 1), 0) << "unknown kind";
    EXPECT_EQ(w.bLoadFont(2, "Fonts\\EM.FNT", 8, 16, 0, 1), 0) << "unknown slot";
    EXPECT_EQ(w.pGetFont(0), single);
}

// A font with fewer glyphs than its slot's codes reach (a cut file) still
// draws what it holds, and is named in the trace; one that holds them all is
// not.
TEST_F(WriterTest, AFontShortOfItsCodesDrawsWhatItHoldsAndIsNamed) {
    MakeTarget(80, 20);
    dir.Write("Fonts/CUT.FNT", NumberedFont(8, 40));
    krxtest::TraceCapture trace;
    ASSERT_EQ(w.bLoadFont(0, "Fonts\\EM.FNT", 8, 16, 0, 1), 1);
    ASSERT_EQ(w.bLoadFont(0, "Fonts\\CUT.FNT", 8, 16, 0, 0), 1);
    ASSERT_EQ(w.bLoadFont(1, "Fonts\\CM.FNT", 16, 16, 0, 1), 1);
    ASSERT_EQ(trace.Lines().size(), 2u);
    EXPECT_EQ(trace.Lines()[0].source, "Fonts\\CUT.FNT");
    EXPECT_EQ(trace.Lines()[0].reason, "holds 40 glyphs of the 95 its codes reach");
    EXPECT_EQ(trace.Lines()[1].reason, "holds 1000 glyphs of the 13973 its codes reach");
    w.vSetColor(kInk, 0, 16);
    w.vShowString(0, 0, "z");
    EXPECT_EQ(GlyphAt(0, 0, 8), -1) << "past the last glyph";
    w.vShowString(0, 0, "G");
    EXPECT_EQ(GlyphAt(0, 0, 8), 'G' - 32);
}

TEST_F(WriterTest, SettingsReachBothFonts) {
    LoadGameWriter();
    uint32_t fg, bg;
    w.vGetColor(&fg, &bg);
    EXPECT_EQ(fg, kInk);
    EXPECT_EQ(bg, 0u);
    EXPECT_EQ(w.pGetFont(1)->lGetForeground(), kInk);
    EXPECT_EQ(w.pGetFont(1)->lGetShadowColor(), 31u);
    w.vSetShadowOffset(2);
    EXPECT_EQ(w.pGetFont(0)->lGetShadowColor(), 0u);
    EXPECT_EQ(w.pGetFont(1)->lGetShadowOffset(), 2);
    w.vSetLevel(5);
    EXPECT_EQ(w.lGetLevel(), 5);
    EXPECT_EQ(w.pGetFont(1)->lGetLevel(), 5);
    w.vSetAdvance(10, 20);
    EXPECT_EQ(w.lGetCharAdvance(), 11);
    EXPECT_EQ(w.lGetLineAdvance(), 20);
}

class TypewriterTest : public WriterTest {
protected:
    void SetUp() override {
        WriterTest::SetUp();
        ASSERT_EQ(w.bLoadFont(0, "Fonts\\AA.FNT", 4, 4, 1, 1), 1);
        ASSERT_EQ(w.bLoadFont(1, "Fonts\\AA.FNT", 4, 4, 1, 1), 1);
        w.vSetColor(0x7fff, 0, 16);
        w.vSetSpacing(1, 0);
        MakeTarget(60, 8);
        w.vSetWindow(0, 0, 59, 7);
    }
    // One frame: a clear page, the cursor homed, one step. Returns the level
    // seen in each of the first four character cells: 0 (not drawn), 8 or 16.
    std::vector<int> Step(const char* text) {
        v_FillRect(0, 0, 59, 7, 0);
        w.vHomeCursor();
        w.vTypeString(text);
        std::vector<int> levels;
        for (int i = 0; i < 4; ++i) {
            const int32_t p = l_GetPixel(5 * i, 0);
            levels.push_back(p == 0 ? 0 : p == 0x7fff ? 16 : p == ((13 << 10) | (13 << 5) | 13) ? 8 : -p);
        }
        return levels;
    }
};

TEST_F(TypewriterTest, EachCharacterFadesInOverTwoCalls) {
    EXPECT_EQ(Step("abc"), (std::vector<int>{8, 0, 0, 0}));
    EXPECT_TRUE(w.bIsTyping());
    EXPECT_EQ(Step("abc"), (std::vector<int>{16, 0, 0, 0}));
    EXPECT_EQ(Step("abc"), (std::vector<int>{16, 8, 0, 0}));
    EXPECT_EQ(Step("abc"), (std::vector<int>{16, 16, 0, 0}));
    EXPECT_EQ(Step("abc"), (std::vector<int>{16, 16, 8, 0}));
    EXPECT_EQ(Step("abc"), (std::vector<int>{16, 16, 16, 0}));
    EXPECT_FALSE(w.bIsTyping());
    EXPECT_EQ(Step("abc"), (std::vector<int>{16, 16, 16, 0})) << "a finished reveal draws the whole text";
    EXPECT_FALSE(w.bIsTyping());
    EXPECT_EQ(w.pGetFont(0)->lGetLevel(), 16);
}

TEST_F(TypewriterTest, ANewTextStartsOverAndClearingShowsItWhole) {
    Step("abc");
    Step("abc");
    Step("abc");
    EXPECT_EQ(Step("xyz"), (std::vector<int>{8, 0, 0, 0}));
    EXPECT_EQ(w.vClearTypeString(), 1);
    EXPECT_FALSE(w.bIsTyping());
    EXPECT_EQ(w.vClearTypeString(), 0);
    EXPECT_EQ(Step("xyz"), (std::vector<int>{16, 16, 16, 0}));
    EXPECT_EQ(Step("xy\xA4\x40"), (std::vector<int>{8, 0, 0, 0})) << "a different text";
}

TEST_F(TypewriterTest, LongTextsAreCutAndStillRecognised) {
    const std::string longText(1200, 'q');
    EXPECT_EQ(Step(longText.c_str()), (std::vector<int>{8, 0, 0, 0}));
    EXPECT_EQ(Step(longText.c_str()), (std::vector<int>{16, 0, 0, 0}));
    EXPECT_EQ(Step(longText.c_str()), (std::vector<int>{16, 8, 0, 0})) << "the same text goes on";
    EXPECT_EQ(w.vClearTypeString(), 1);
    Step(longText.c_str());
    EXPECT_FALSE(w.bIsTyping());
}

} // namespace
