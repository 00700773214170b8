#pragma once
#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include <ft2build.h>
#include FT_FREETYPE_H

namespace datagen {

// One of the game's bitmap font files: a headerless array of glyphs, each
// the cell's pixels as a continuous MSB-first bit stream (1 or 4 bits a
// pixel), padded to a byte only at the glyph's end. Single-byte fonts hold
// codes 32..126; double-byte fonts hold every Big5 lead 0xA1..0xF9 with the
// trails 0x40..0x7E and 0xA1..0xFE, 157 glyphs a lead, undefined codes blank.
struct FontFileSpec {
    const char* name; // file name inside Fonts/
    int32_t cellWidth;
    int32_t cellHeight;
    int32_t bits; // 1 or 4
    bool doubleByte;
};

// The four files the game loads.
extern const FontFileSpec kGameFonts[4];

int32_t GlyphBytes(const FontFileSpec& spec);
int32_t GlyphCount(const FontFileSpec& spec);

// The file's bytes. Glyphs are rendered from the system's fonts
// (fonts-unifont for the 8 x 16 font, the 16-pixel bitmaps of
// fonts-arphic-uming for the 16 x 16 one, its outlines for the 4-bit fonts);
// when a font is missing, simple procedural glyphs are drawn and `note` says
// so.
std::vector<uint8_t> BuildFontFile(const FontFileSpec& spec, std::string* note);

// The font collection's face with the traditional forms Big5 text is
// written in (unifont has one face, which is taken).
inline constexpr const char* kUmingBig5Family = "AR PL UMing TW";
// The face of a collection named `family`; the first face when none is or
// no family is asked for; null when the file does not open.
FT_Face OpenFace(FT_Library lib, const char* path, const char* family);
// The same from a given outline font file; procedural glyphs when it cannot
// be used.
std::vector<uint8_t> BuildFontFileFrom(const FontFileSpec& spec, const char* fontPath, std::string* note);

// Writes Fonts/<name> below `out` for each of the given files; messages go
// to stdout. False on a write failure.
bool WriteFontFiles(const std::filesystem::path& out, const std::vector<FontFileSpec>& specs);

} // namespace datagen
