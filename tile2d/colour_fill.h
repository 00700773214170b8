#pragma once
// Colours given as 0xRRGGBB turned into pixels of the current mode, and the
// rectangle fills, blends and gradients built on them.
//
// Rectangles are placed at dst + y * pitch + x (pitch in pixels) and are not
// clipped to any surface; `dstPixels` is the size of the buffer behind dst,
// and pixels that would fall outside it are not written. A width or height
// of 0 or less draws nothing.
#include <cstdint>

// Each channel cut to 6 bits, and to 5 where the mode has 5; the pixel is
// repeated in both 16-bit halves.
uint32_t l_PixelFromRGB(uint32_t rgb);
// The same; the form the library's own drawers call.
uint32_t l_ModeColour(uint32_t rgb);

// Writes "/RRGGBB_" (each channel on the 0 to 63 scale, two upper-case hex
// digits, no terminating zero) and returns 8; 0 and nothing written when the
// buffer holds fewer than 8 bytes.
uint32_t l_MakeColourEscape(uint32_t rgb, char* buffer, uint32_t bytes);

// 256 5-5-5 pixels (512 bytes) to 256 red, green, blue triplets (768 bytes),
// each channel shifted left by 3. Returns the triplets written: only whole
// entries that both buffers hold are converted.
uint32_t l_PaletteToRGB(const uint8_t* palette, uint32_t paletteBytes, uint8_t* destination, uint32_t destBytes);

void v_FillBox(int32_t x, int32_t y, int32_t w, int32_t h, uint32_t rgb, uint16_t* dst, uint32_t dstPixels,
               uint32_t pitch);
// Every channel through multiply-table row 63 - level; levels above 63 act
// as 63.
void v_DarkenRect(int32_t x, int32_t y, int32_t w, int32_t h, uint16_t* dst, uint32_t dstPixels, uint32_t pitch,
                  uint32_t level);
// The colour blended at alpha & 63 over a frame `border` pixels thick inside
// the rectangle; a border of half the side or more meets in the middle.
void v_BlendFrame(int32_t x, int32_t y, int32_t w, int32_t h, uint32_t border, uint32_t rgb, uint16_t* dst,
                  uint32_t dstPixels, uint32_t pitch, uint32_t alpha);

// Gradients from start to end colour, row by row (V) or column by column
// (H); the Add forms add the colour to each pixel, each channel saturating.
void v_FillGradientV(int32_t x, int32_t y, int32_t w, int32_t h, uint32_t start, uint32_t end, uint16_t* dst,
                     uint32_t dstPixels, uint32_t pitch);
void v_FillGradientH(int32_t x, int32_t y, int32_t w, int32_t h, uint32_t start, uint32_t end, uint16_t* dst,
                     uint32_t dstPixels, uint32_t pitch);
void v_AddGradientV(int32_t x, int32_t y, int32_t w, int32_t h, uint32_t start, uint32_t end, uint16_t* dst,
                    uint32_t dstPixels, uint32_t pitch);
void v_AddGradientH(int32_t x, int32_t y, int32_t w, int32_t h, uint32_t start, uint32_t end, uint16_t* dst,
                    uint32_t dstPixels, uint32_t pitch);
