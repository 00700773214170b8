// The data set's font files, made by the generator's font code.
#include <gtest/gtest.h>

#include <string>

#include "pagefont/font.h"
#include "tools/datagen/font_files.h"

namespace {

using datagen::FontFileSpec;
using datagen::kGameFonts;

bool Blank(const std::vector<uint8_t>& file, int32_t glyph, int32_t bytes) {
    for (int32_t i = 0; i < bytes; ++i)
        if (file[static_cast<size_t>(glyph * bytes + i)]) return false;
    return true;
}

TEST(FontFiles, TheFourFilesHaveWholeGlyphsInTheGameLayout) {
    const int32_t expectBytes[4] = {16, 32, 90, 162};
    const int32_t expectCount[4] = {95, 89 * 157, 95, 89 * 157};
    for (int i = 0; i < 4; ++i) {
        const FontFileSpec& spec = kGameFonts[i];
        std::string note;
        const std::vector<uint8_t> file = datagen::BuildFontFile(spec, &note);
        EXPECT_TRUE(note.empty()) << note;
        const int32_t gb = datagen::GlyphBytes(spec);
        ASSERT_EQ(gb, expectBytes[i]) << spec.name;
        EXPECT_EQ(file.size(), static_cast<size_t>(expectCount[i] * gb)) << spec.name;
        // Space is blank, "A" is not; Big5 0xA4 0x40 (glyph 471) is a
        // character, 0xA3 0xFE (undefined) is blank.
        if (!spec.doubleByte) {
            EXPECT_TRUE(Blank(file, 0, gb)) << spec.name;
            EXPECT_FALSE(Blank(file, 'A' - 32, gb)) << spec.name;
        } else {
            EXPECT_FALSE(Blank(file, l_Big5Glyph(0xA4, 0x40), gb)) << spec.name;
            EXPECT_TRUE(Blank(file, l_Big5Glyph(0xA3, 0xFE), gb)) << spec.name;
            EXPECT_FALSE(Blank(file, l_Big5Glyph(0xF9, 0xD5), gb))
                << spec.name << ": the last lead is filled";
        }
        if (spec.bits == 4) {
            bool partial = false;
            for (uint8_t b : file)
                partial |= ((b >> 4) != 0 && (b >> 4) != 15) || ((b & 15) != 0 && (b & 15) != 15);
            EXPECT_TRUE(partial) << spec.name << ": anti-aliased levels between 0 and 15";
        }
    }
}

TEST(FontFiles, OneBitGlyphsArePixelExact) {
    // Unifont's "H": two columns joined by a bar, eight pixels a row.
    const std::vector<uint8_t> file = datagen::BuildFontFile(kGameFonts[0], nullptr);
    const uint8_t* h = file.data() + ('H' - 32) * 16;
    int rowsWithPosts = 0, bars = 0;
    for (int r = 0; r < 16; ++r) {
        if (h[r] == 0x42) ++rowsWithPosts;
        if (h[r] == 0x7E) ++bars;
    }
    EXPECT_GE(rowsWithPosts, 6);
    EXPECT_EQ(bars, 1);
}

TEST(FontFiles, BuildingIsDeterministicAndFallsBackWithoutTheFont) {
    EXPECT_EQ(datagen::BuildFontFile(kGameFonts[2], nullptr), datagen::BuildFontFile(kGameFonts[2], nullptr));
    for (const FontFileSpec& spec : kGameFonts) {
        std::string note;
        const std::vector<uint8_t> file = datagen::BuildFontFileFrom(spec, "/no/such/font.otf", &note);
        EXPECT_NE(note.find("procedural"), std::string::npos) << spec.name;
        EXPECT_EQ(file.size(), static_cast<size_t>(datagen::GlyphCount(spec) * datagen::GlyphBytes(spec)));
        const int32_t gb = datagen::GlyphBytes(spec);
        EXPECT_FALSE(Blank(file, spec.doubleByte ? l_Big5Glyph(0xA4, 0x40) : 'A' - 32, gb)) << spec.name;
        EXPECT_EQ(file, datagen::BuildFontFileFrom(spec, nullptr, nullptr)) << spec.name;
    }
}

} // namespace
