#pragma once
// Bitmap text written straight into a buffer of 16-bit pixels of the current
// mode (one member: 8-bit). Fonts: the built-in 8 x 15 table, a Big5 font of
// 16 x 15 glyphs (30 bytes each, 14 rows drawn) or its 24-pixel sister, five
// numbered slots of free-size fonts, and a Johab font composed from three
// component banks.
//
// Every drawing member takes (x, y, text, dest, destPixels, pitch) first:
// the first pixel is dest + y * pitch + x, text is zero-ended, and pixels
// outside [dest, dest + destPixels) are neither read nor written (text is not
// clipped otherwise: it wraps round the row ends like the buffer does).
// Fonts are the caller's, with their size in bytes: a glyph that does not lie
// wholly inside its font draws nothing but still advances.
//
// Colour escape: "/RRGGBB_", each pair an upper-case hex value 00 to 3F; the
// gradient members use "/" + start RRGGBB + end RRGGBB + "_" on the 0 to 255
// scale. An escape must end before the terminator. Bytes below 0x20 show as
// spaces in the built-in members. A Big5 pair is a lead 0xA1 to 0xFE and a
// trail 0x40 to 0xFE; pairs outside the defined glyph blocks show a blank cell.
//
// Shadows: "1" members set the pixel right of every glyph pixel and the two
// below it to 1 (below-right 0 in double-byte glyphs); "0" members set the
// same three to 0; half-shadow members halve the right and lower neighbours;
// alpha members blend each glyph pixel T[a][text] + T[63 - a][dest].
#include <cstdint>

// --- set-up ---------------------------------------------------------------
void v_SetBig5Font(const uint8_t* font, uint32_t bytes);
void v_SetHangulFont(const uint8_t* font, uint32_t bytes);
// 128 packed glyphs of 15 bytes into codes 0 to 127; false, and the table
// unchanged, for fewer than 1,920 bytes.
bool v_LoadGlyphTable(const uint8_t* source, uint32_t bytes);
// Single-byte font, then double-byte font; spacing is added to the width to
// give the advance. Slots above 4 are ignored.
void v_SetFontSlot(uint32_t width1, uint32_t height1, const uint8_t* base1, uint32_t bytes1,
                   uint32_t glyphSize1, int32_t spacing1, uint32_t width2, uint32_t height2,
                   const uint8_t* base2, uint32_t bytes2, uint32_t glyphSize2, int32_t spacing2,
                   uint32_t slot);
// The 4-bit fonts of the smooth members.
void v_SetCurrentFonts(uint32_t width1, uint32_t height1, const uint8_t* base1, uint32_t bytes1,
                       uint32_t glyphSize1, int32_t spacing1, uint32_t width2, uint32_t height2,
                       const uint8_t* base2, uint32_t bytes2, uint32_t glyphSize2, int32_t spacing2);
// Metrics of the working pair, its glyph data kept; slot members load their
// slot over them.
void v_SetWorkingFontMetrics(uint32_t width1, uint32_t height1, uint32_t glyphSize1, int32_t spacing1,
                             uint32_t width2, uint32_t height2, uint32_t glyphSize2, int32_t spacing2);

// --- helpers the members share ----------------------------------------------
// Glyph number in the library's Big5 order (frequent, less frequent,
// symbols, supplementary symbols), -1 for a pair outside those blocks.
int32_t l_GetBig5GlyphIndex(uint8_t lead, uint8_t trail);
// (lead - 0xA1) * 157 + trail index (trail - 0x40 below 0x80, else - 0x62).
int32_t l_GetBig5LinearIndex(uint8_t lead, uint8_t trail);
// The 16 x 16 glyph of a Johab code (32 bytes, 2 per row), components the
// font does not hold left out.
const uint8_t* l_ComposeHangulGlyph(uint16_t code);
// 100 pixels, one per glyph row, from start to end 0xRRGGBB over `rows`
// rows (0 is taken as 2, above 100 as 100); rows past the count keep the end
// colour.
const uint16_t* l_MakeTextGradient(uint32_t start, uint32_t end, uint32_t rows);
uint32_t l_GetPrintableLength(const char* text, uint32_t maximum);
// The built-in table: 256 slots of 16 bytes (15 rows, MSB leftmost).
const uint8_t* p_GlyphTable();

// --- built-in + Big5 --------------------------------------------------------
// The escape is taken only when its six digits and "_" are all 0x21 or up.
void v_ShowText(int32_t x, int32_t y, const char* text, uint16_t* dest, uint32_t destPixels, int32_t pitch);
void v_ShowTextHalfShadow(int32_t x, int32_t y, const char* text, uint16_t* dest, uint32_t destPixels,
                          int32_t pitch);
void v_ShowTextPlain(int32_t x, int32_t y, const char* text, uint16_t* dest, uint32_t destPixels,
                     int32_t pitch);
// red, green, blue on the escape's 0 to 63 scale.
void v_ShowTextHalfShadowRGB(int32_t x, int32_t y, const char* text, uint16_t* dest, uint32_t destPixels,
                             int32_t pitch, uint32_t red, uint32_t green, uint32_t blue);
void v_ShowTextPlainRGB(int32_t x, int32_t y, const char* text, uint16_t* dest, uint32_t destPixels,
                        int32_t pitch, uint32_t red, uint32_t green, uint32_t blue);
void v_ShowTextAlpha(int32_t x, int32_t y, const char* text, uint16_t* dest, uint32_t destPixels,
                     int32_t pitch, uint32_t alpha);
void v_ShowTextGradient(int32_t x, int32_t y, const char* text, uint16_t* dest, uint32_t destPixels,
                        int32_t pitch);
void v_ShowTextGradientRGB(int32_t x, int32_t y, const char* text, uint16_t* dest, uint32_t destPixels,
                           int32_t pitch, uint32_t start, uint32_t end);
void v_ShowTextGradientRGBShadow(int32_t x, int32_t y, const char* text, uint16_t* dest, uint32_t destPixels,
                                 int32_t pitch, uint32_t start, uint32_t end);
// 24-pixel font through the Big5 pointer: pairs 24 wide, single bytes (all
// codes, 0x0D ending the text as 0 does) 16 wide; half shadow at (d, d).
void v_ShowText24(int32_t x, int32_t y, const char* text, uint16_t* dest, uint32_t destPixels, int32_t pitch,
                  int32_t shadow);
// 8-bit buffer (pitch and advance in bytes); escape "/HH_" gives the byte,
// 0xFF before it; 0 shadow.
void v_ShowText8(int32_t x, int32_t y, const char* text, uint8_t* dest, uint32_t destBytes, int32_t pitch);

// --- font slots ---------------------------------------------------------------
void v_ShowTextFont(int32_t x, int32_t y, const char* text, uint16_t* dest, uint32_t destPixels,
                    int32_t pitch, uint32_t slot);
void v_ShowTextFontPlain(int32_t x, int32_t y, const char* text, uint16_t* dest, uint32_t destPixels,
                         int32_t pitch, uint32_t slot);
void v_ShowTextFontRGB(int32_t x, int32_t y, const char* text, uint16_t* dest, uint32_t destPixels,
                       int32_t pitch, uint32_t colour, uint32_t slot);
void v_ShowTextFontPlainRGB(int32_t x, int32_t y, const char* text, uint16_t* dest, uint32_t destPixels,
                            int32_t pitch, uint32_t colour, uint32_t slot);
void v_ShowTextFontGradient(int32_t x, int32_t y, const char* text, uint16_t* dest, uint32_t destPixels,
                            int32_t pitch, uint32_t slot);
void v_ShowTextFontGradientRGB(int32_t x, int32_t y, const char* text, uint16_t* dest, uint32_t destPixels,
                               int32_t pitch, uint32_t slot, uint32_t start, uint32_t end);
void v_ShowTextFontGradientAlphaRGB(int32_t x, int32_t y, const char* text, uint16_t* dest,
                                    uint32_t destPixels, int32_t pitch, uint32_t slot, uint32_t start,
                                    uint32_t end, uint32_t alpha);
void v_ShowTextFontGradientAlpha(int32_t x, int32_t y, const char* text, uint16_t* dest, uint32_t destPixels,
                                 int32_t pitch, uint32_t slot, uint32_t alpha);
void v_ShowTextFontAlpha(int32_t x, int32_t y, const char* text, uint16_t* dest, uint32_t destPixels,
                         int32_t pitch, uint32_t slot, uint32_t alpha);
void v_ShowTextFontAlphaRGB(int32_t x, int32_t y, const char* text, uint16_t* dest, uint32_t destPixels,
                            int32_t pitch, uint32_t colour, uint32_t slot, uint32_t alpha);
// 4-bit glyphs: 0 leaves the pixel, 15 takes the colour, v between blends
// at level 4 v.
void v_ShowTextSmooth(int32_t x, int32_t y, const char* text, uint16_t* dest, uint32_t destPixels,
                      int32_t pitch);
void v_ShowTextSmoothRGB(int32_t x, int32_t y, const char* text, uint16_t* dest, uint32_t destPixels,
                         int32_t pitch, uint32_t colour);

// --- built-in + Johab -----------------------------------------------------------
// A byte with its top bit set followed by one of 0x20 or up is a Johab code.
void v_ShowHangulText(int32_t x, int32_t y, const char* text, uint16_t* dest, uint32_t destPixels,
                      int32_t pitch);
void v_ShowHangulTextRGB(int32_t x, int32_t y, const char* text, uint16_t* dest, uint32_t destPixels,
                         int32_t pitch, uint32_t red, uint32_t green, uint32_t blue);
void v_ShowHangulTextAlpha(int32_t x, int32_t y, const char* text, uint16_t* dest, uint32_t destPixels,
                           int32_t pitch, uint32_t alpha);
void v_ShowHangulTextGradient(int32_t x, int32_t y, const char* text, uint16_t* dest, uint32_t destPixels,
                              int32_t pitch);
void v_ShowHangulTextGradientRGB(int32_t x, int32_t y, const char* text, uint16_t* dest, uint32_t destPixels,
                                 int32_t pitch, uint32_t start, uint32_t end);
void v_ShowHangulTextGradientRGBShadow(int32_t x, int32_t y, const char* text, uint16_t* dest,
                                       uint32_t destPixels, int32_t pitch, uint32_t start, uint32_t end);
