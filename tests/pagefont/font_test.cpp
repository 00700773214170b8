#include <gtest/gtest.h>

#include <filesystem>
#include <span>
#include <string>

#include "pagefont/font.h"
#include "tests/pagefont/page_fixture.h"
#include "tests/support/reader_checks.h"
#include "tests/support/temp_dir.h"

namespace {

class FontTest : public pftest::PageTest {
protected:
    krxtest::TempDir dir;
    std::unique_ptr<krxtest::ScopedCwd> cwd;
    void SetUp() override {
        PageTest::SetUp();
        cwd = std::make_unique<krxtest::ScopedCwd>(dir.Path());
    }
    void TearDown() override {
        cwd.reset();
        PageTest::TearDown();
    }
    void WriteFont(const char* name, const std::string& bytes) {
        dir.Write(std::string("Fonts/") + name, bytes);
    }
};

// A 1-bit 8 x 16 glyph whose rows are given bytes.
std::string Glyph816(uint8_t rowBits) {
    return std::string(16, static_cast<char>(rowBits));
}

TEST_F(FontTest, GlyphCountIsTheFileLengthOverTheGlyphBytes) {
    WriteFont("A.FNT", std::string(1600, '\xff') + "tail");
    for (int32_t preload : {0, 1}) {
        sc_Font f;
        ASSERT_EQ(f.bLoad("fonts\\a.fnt", 8, 16, preload), 1) << "the path is resolved case-insensitively";
        EXPECT_EQ(f.lGetGlyphCount(), 100);
        EXPECT_EQ(f.bIsPreloaded(), preload);
        MakeTarget(8, 16);
        f.vShowGlyph(0, 0, 100);
        f.vShowGlyph(0, 0, -1);
        EXPECT_EQ(At(0, 0), 0) << "outside the file: nothing";
        f.vShowGlyph(0, 0, 99);
        EXPECT_EQ(At(7, 15), 0x7fff) << "white by default";
        v_FreePage(0);
    }
}

TEST_F(FontTest, GlyphGeometryOfTheGameFonts) {
    WriteFont("X.FNT", std::string(400, '\0'));
    struct Case {
        int32_t w, h, kind, bytes, whole, pad;
    } cases[] = {{8, 16, 0, 16, 16, 0},    {16, 16, 0, 32, 32, 0}, {10, 18, 1, 90, 90, 0},
                 {18, 18, 1, 162, 162, 0}, {3, 3, 0, 2, 1, 7},     {3, 3, 1, 5, 4, 4}};
    for (const Case& c : cases) {
        std::unique_ptr<sc_Font> f =
            c.kind ? std::make_unique<sc_FontAntiAlias>() : std::make_unique<sc_Font>();
        ASSERT_EQ(f->bLoad("Fonts\\X.FNT", c.w, c.h, 1), 1);
        EXPECT_EQ(f->lGetGlyphBytes(), c.bytes) << c.w << "x" << c.h;
        EXPECT_EQ(f->lGetWholeBytes(), c.whole);
        EXPECT_EQ(f->lGetPaddingBits(), c.pad);
        EXPECT_EQ(f->lGetGlyphCount(), 400 / c.bytes);
    }
}

TEST_F(FontTest, OneBitGlyphsAreAContinuousBitStream) {
    // 3 x 3: bits 101 010 101, then the ninth pixel from bit 7 of byte 2.
    WriteFont("T.FNT", std::string("\xAA\x80", 2) + std::string("\x55\x00", 2));
    sc_Font f;
    ASSERT_EQ(f.bLoad("Fonts\\T.FNT", 3, 3, 1), 1);
    MakeTarget(6, 3, 0x1111);
    f.vSetColor(0x7c00, 0x001f, 16);
    f.vShowGlyph(0, 0, 0);
    f.vShowGlyph(3, 0, 1);
    const uint16_t F = 0x7c00, B = 0x001f;
    EXPECT_EQ(Snapshot(), (std::vector<uint16_t>{F, B, F, B, F, B, //
                                                 B, F, B, F, B, F, //
                                                 F, B, F, B, F, B}));
}

TEST_F(FontTest, TransparentAndOpaqueBackgrounds) {
    WriteFont("E.FNT", Glyph816(0xF0));
    sc_Font f;
    ASSERT_EQ(f.bLoad("Fonts\\E.FNT", 8, 16, 1), 1);
    MakeTarget(8, 16, 0x1234);
    f.vSetColor(0, 0, 16);
    f.vShowGlyph(0, 0, 0);
    EXPECT_EQ(Snapshot(), std::vector<uint16_t>(8 * 16, 0x1234))
        << "foreground 0 on background 0 shows nothing";
    f.vSetColor(0, 0x7fff, 16);
    f.vShowGlyph(0, 0, 0);
    EXPECT_EQ(At(0, 0), 0);
    EXPECT_EQ(At(4, 0), 0x7fff) << "an opaque cell";
    f.vSetColor(0x0f0b, 0, 16);
    Set(4, 5, 0x2222);
    f.vShowGlyph(0, 0, 0);
    EXPECT_EQ(At(3, 5), 0x0f0b);
    EXPECT_EQ(At(4, 5), 0x2222) << "transparent background keeps the page";
}

TEST_F(FontTest, ZoomDoublesOnlyWhileSet) {
    // 2 x 2 glyph: 1 0 / 0 1 (bits 1001 then padding).
    WriteFont("Z.FNT", std::string("\x90", 1));
    sc_Font f;
    ASSERT_EQ(f.bLoad("Fonts\\Z.FNT", 2, 2, 1), 1);
    MakeTarget(5, 5);
    f.vSetColor(9, 0, 16);
    f.vSetZoom(1);
    f.vShowGlyph(0, 0, 0);
    f.vSetZoom(0);
    f.vShowGlyph(3, 3, 0);
    EXPECT_EQ(Snapshot(), (std::vector<uint16_t>{9, 9, 0, 0, 0, //
                                                 9, 9, 0, 0, 0, //
                                                 0, 0, 9, 9, 0, //
                                                 0, 0, 9, 9, 0, //
                                                 0, 0, 0, 0, 9}));
}

TEST_F(FontTest, AntiAliasedLevelsShadowAndZoom) {
    // 2 x 1 glyph: coverage 15 and 1.
    WriteFont("AA.FNT", std::string("\xF1", 1));
    sc_FontAntiAlias f;
    ASSERT_EQ(f.bLoad("Fonts\\AA.FNT", 2, 1, 1), 1);
    MakeTarget(4, 3, 0x7fff);
    f.vSetColor(0, 0, 16);
    f.vShowGlyph(0, 0, 0);
    EXPECT_EQ(At(0, 0), 0) << "coverage 15 writes the colour";
    EXPECT_EQ(At(1, 0), 0x77bd) << "coverage 1: 31 + floor(-31 / 16)";
    // Level 8: 15 becomes 7, 1 becomes 0.
    Set(0, 0, 0x7fff);
    Set(1, 0, 0x7fff);
    f.vSetLevel(8);
    f.vShowGlyph(0, 0, 0);
    EXPECT_EQ(At(0, 0), (17 << 10) | (17 << 5) | 17);
    EXPECT_EQ(At(1, 0), 0x7fff);
    // Level 0 draws neither glyph nor shadow.
    const std::vector<uint16_t> before = Snapshot();
    f.vSetShadow(0x001f, 1);
    f.vSetLevel(0);
    f.vShowGlyph(0, 1, 0);
    EXPECT_EQ(Snapshot(), before);
    // Full level with a shadow one pixel right and down, under the glyph.
    f.vSetLevel(16);
    f.vSetColor(0x7c00, 0, 16);
    f.vShowGlyph(0, 1, 0);
    EXPECT_EQ(At(0, 1), 0x7c00);
    EXPECT_EQ(At(1, 2), 0x001f);
    // Zoomed: 4 x 2, then back at cell size.
    MakeTarget(4, 2, 0x7fff, 1);
    f.vSetShadowOffset(0);
    f.vSetZoom(1);
    f.vShowGlyph(0, 0, 0);
    EXPECT_EQ(At(1, 1), 0x7c00);
    EXPECT_EQ(At(2, 1), 0x7fbd) << "coverage 1: red stays 31, green and blue 29";
    EXPECT_EQ(At(3, 1), 0x7fbd);
    f.vSetZoom(0);
    Set(1, 0, 0x7fff);
    Set(2, 0, 0x7fff);
    f.vShowGlyph(0, 0, 0);
    EXPECT_EQ(At(0, 0), 0x7c00);
    EXPECT_EQ(At(1, 0), 0x7fbd);
    EXPECT_EQ(At(2, 0), 0x7fff) << "cell size again";
}

TEST_F(FontTest, ReloadingReplacesTheFirstLoad) {
    WriteFont("ONE.FNT", Glyph816(0xFF));
    WriteFont("TWO.FNT", Glyph816(0xFF) + Glyph816(0x00) + Glyph816(0x81));
    sc_Font f;
    ASSERT_EQ(f.bLoad("Fonts\\ONE.FNT", 8, 16, 0), 1);
    f.vSetColor(5, 0, 16);
    ASSERT_EQ(f.bLoad("Fonts\\TWO.FNT", 8, 16, 1), 1);
    EXPECT_EQ(f.lGetGlyphCount(), 3);
    EXPECT_EQ(f.lGetForeground(), 0x7fffu) << "a load resets the colours";
    EXPECT_EQ(f.bLoad("Fonts\\NONE.FNT", 8, 16, 1), 0);
    EXPECT_EQ(f.lGetGlyphCount(), 0);
    MakeTarget(8, 16);
    f.vShowGlyph(0, 0, 0); // a failed load draws nothing
    EXPECT_EQ(At(0, 0), 0);
}

TEST_F(FontTest, TruncatedAndEmptyFilesNeverReadPastTheirData) {
    const std::string full = Glyph816(0x81) + Glyph816(0x18);
    auto check = [&](std::span<const uint8_t> bytes) {
        WriteFont("CUT.FNT", std::string(bytes.begin(), bytes.end()));
        for (int32_t preload : {0, 1}) {
            sc_Font f;
            ASSERT_EQ(f.bLoad("Fonts\\CUT.FNT", 8, 16, preload), 1);
            EXPECT_EQ(f.lGetGlyphCount(), static_cast<int32_t>(bytes.size() / 16));
            MakeTarget(8, 16);
            f.vShowGlyph(0, 0, 0);
            f.vShowGlyph(0, 0, 1);
            EXPECT_EQ(At(0, 0), bytes.size() >= 16 ? 0x7fff : 0);
            v_FreePage(0);
        }
    };
    krxtest::ForEachPrefix(krxtest::AsBytes(full), check);
    check(krxtest::AsBytes(full));
}

// What is not a regular file, or holds more glyphs than any code can name,
// is refused before anything is read, with one trace line.
TEST_F(FontTest, FoldersAndOverlongFilesAreRefusedWithOneTraceLine) {
    dir.Write("Fonts/DIR.FNT/inside", "x");
    WriteFont("MAX.FNT", std::string(kMaxFontGlyphs, '\xff'));
    WriteFont("OVER.FNT", std::string(kMaxFontGlyphs + 1, '\xff'));
    WriteFont("HUGE.FNT", "");
    std::filesystem::resize_file(dir.Path() / "Fonts/HUGE.FNT", uintmax_t{1} << 31); // sparse
    struct Case {
        const char* name;
        const char* why;
    } refused[] = {{"Fonts\\DIR.FNT", "does not open"},
                   {"Fonts\\NONE.FNT", "does not open"},
                   {"Fonts\\OVER.FNT", "is longer than a font of 65536 glyphs"},
                   {"Fonts\\HUGE.FNT", "is longer than a font of 65536 glyphs"}};
    for (int32_t preload : {0, 1}) {
        for (const Case& c : refused) {
            krxtest::TraceCapture trace;
            sc_FontAntiAlias f;
            EXPECT_EQ(f.bLoad(c.name, 1, 2, preload), 0) << c.name;
            EXPECT_EQ(f.lGetGlyphCount(), 0);
            ASSERT_EQ(trace.Lines().size(), 1u) << c.name;
            EXPECT_EQ(trace.Lines()[0].source, c.name);
            EXPECT_EQ(trace.Lines()[0].reason, c.why);
        }
        krxtest::TraceCapture trace;
        sc_FontAntiAlias f;
        EXPECT_EQ(f.bLoad("Fonts\\MAX.FNT", 1, 2, preload), 1);
        EXPECT_EQ(f.lGetGlyphCount(), kMaxFontGlyphs);
        EXPECT_TRUE(trace.Lines().empty());
    }
}

TEST_F(FontTest, AGlyphThatCanNoLongerBeReadDrawsNothing) {
    WriteFont("S.FNT", Glyph816(0xFF) + Glyph816(0xFF));
    sc_Font f;
    ASSERT_EQ(f.bLoad("Fonts\\S.FNT", 8, 16, 0), 1);
    WriteFont("S.FNT", Glyph816(0xFF)); // the file shrinks behind the open handle
    MakeTarget(8, 16);
    f.vShowGlyph(0, 0, 1);
    EXPECT_EQ(At(0, 0), 0) << "a short read draws nothing";
    f.vShowGlyph(0, 0, 0);
    EXPECT_EQ(At(0, 0), 0x7fff);
}

TEST_F(FontTest, UnusableCellsAreRefused) {
    WriteFont("C.FNT", Glyph816(0xFF));
    sc_Font f;
    EXPECT_EQ(f.bLoad("Fonts\\C.FNT", 0, 16, 1), 0);
    EXPECT_EQ(f.bLoad("Fonts\\C.FNT", 8, -1, 1), 0);
    EXPECT_EQ(f.bLoad("Fonts\\C.FNT", 100000, 100000, 1), 0);
    EXPECT_EQ(f.bLoad(nullptr, 8, 16, 1), 0);
}

TEST(Big5Glyphs, NumberingByLeadAndTrail) {
    EXPECT_EQ(l_Big5Glyph(0xA1, 0x40), 0);
    EXPECT_EQ(l_Big5Glyph(0xA1, 0x7E), 62);
    EXPECT_EQ(l_Big5Glyph(0xA1, 0xA1), 63);
    EXPECT_EQ(l_Big5Glyph(0xA1, 0xFE), 156);
    EXPECT_EQ(l_Big5Glyph(0xA4, 0x40), 471);
    EXPECT_EQ(l_Big5Glyph(0xF9, 0xFE), 88 * 157 + 156);
}

} // namespace
