#pragma once
// Numbers drawn with the built-in 8 x 15 glyphs (digits 8 pixels apart),
// numbers and strings drawn as rows of small paletted run-coded images, the
// drawers of those images, and numbers formatted into caller buffers.
#include <cstdint>

// Glyph numbers: (x, y, value, dest, destPixels, pitch) as the text members
// of bitmap_text.h, colour 0xRRGGBB. Digits most significant first.
void v_ShowNumber(int32_t x, int32_t y, uint32_t value, uint16_t* dest, uint32_t destPixels, int32_t pitch,
                  uint32_t colour);
void v_ShowNumberPlain(int32_t x, int32_t y, uint32_t value, uint16_t* dest, uint32_t destPixels,
                       int32_t pitch, uint32_t colour);
// The lowest `digits` digits with leading zeros, no shadow; counts above 10
// act as 10, 0 draws nothing.
void v_ShowNumberZero(int32_t x, int32_t y, uint32_t value, uint16_t* dest, uint32_t destPixels,
                      int32_t pitch, uint32_t colour, uint32_t digits);
void v_ShowNumberHex(int32_t x, int32_t y, uint32_t value, uint16_t* dest, uint32_t destPixels, int32_t pitch,
                     uint32_t colour, uint32_t digits);
// A 15-row vertical gradient from start to end, half shadow.
void v_ShowNumberGradient(int32_t x, int32_t y, uint32_t value, uint16_t* dest, uint32_t destPixels,
                          int32_t pitch, uint32_t start, uint32_t end);

// Image sets 0 to 4: code c is the image at data + u32 offset c of the
// table (layout P of rle_sprites.h). A code the table or data does not hold
// has no image: the pen moves by the spacing alone. Sets above 4 are ignored.
void v_SetImageSet(const uint8_t* offsets, uint32_t offsetBytes, const uint8_t* data, uint32_t dataBytes,
                   uint32_t set);
// Images drawn left to right from (x, y), each followed by its width (low 16
// bits of its size) plus `spacing`; they clip to the screen range as the
// image drawers do. Return the width drawn, 0 for a set above 4.
int32_t v_ShowNumberImages(int32_t x, int32_t y, uint32_t value, uint16_t* dest, int32_t pitch, uint32_t set,
                           int32_t spacing);
// Codes are the text's bytes up to the first below 0x20.
int32_t v_ShowTextImages(int32_t x, int32_t y, const char* text, uint16_t* dest, int32_t pitch, uint32_t set,
                         int32_t spacing);
// Index 255 drawn in the colour (0xRRGGBB).
int32_t v_ShowNumberImagesColour(int32_t x, int32_t y, uint32_t value, uint16_t* dest, int32_t pitch,
                                 uint32_t set, int32_t spacing, uint32_t colour);
int32_t v_ShowTextImagesColour(int32_t x, int32_t y, const char* text, uint16_t* dest, int32_t pitch,
                               uint32_t set, int32_t spacing, uint32_t colour);

// Paletted run-coded images at a destination pixel (pitch in pixels), index 0
// transparent: nothing when that pixel lies outside the screen range, and
// drawing stops at its end. Layout P; P with index 255 in the colour the
// colour image strings hold; PA moved by its anchor.
void l_ShowPalettedRle(const uint8_t* image, uint32_t bytes, uint16_t* dest, int32_t pitch);
void l_ShowPalettedRleColour(const uint8_t* image, uint32_t bytes, uint16_t* dest, int32_t pitch);
void l_ShowPalettedRleAnchored(const uint8_t* image, uint32_t bytes, uint16_t* dest, int32_t pitch);

// Formatting into a buffer of `bytes` bytes. Each writes its characters and
// a closing zero and returns the characters written; a buffer too small for
// them gets nothing (0 returned). The Ptr forms read the value through a
// pointer (null: nothing written).
uint32_t l_FormatDecimalZero10(uint32_t value, char* buffer, uint32_t bytes);
uint32_t l_FormatDecimalZero10Ptr(const uint32_t* value, char* buffer, uint32_t bytes);
// `width` characters, the lowest digits with leading zeros.
uint32_t l_FormatDecimalZero(uint32_t value, char* buffer, uint32_t bytes, uint32_t width);
uint32_t l_FormatDecimalSpace10(uint32_t value, char* buffer, uint32_t bytes);
uint32_t l_FormatDecimalSpace10Ptr(const uint32_t* value, char* buffer, uint32_t bytes);
// The digits from the start of the buffer; returns their count.
uint32_t l_FormatDecimal(uint32_t value, char* buffer, uint32_t bytes);
uint32_t l_FormatDecimalPtr(const uint32_t* value, char* buffer, uint32_t bytes);
// 13 characters right-aligned in spaces, commas between groups of three,
// then zero bytes up to 16 (as many as the buffer holds, at least one).
uint32_t l_FormatThousands(uint32_t value, char* buffer, uint32_t bytes);
// The hexadecimal token at the start of the text (ended by a byte below
// 0x21 or by a byte that is not a hex digit); past 8 digits the lowest 32
// bits are kept.
uint32_t l_ParseHex(const char* text);
