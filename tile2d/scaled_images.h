#pragma once
// Images stretched or shrunk to a target width x height (pixels, both at
// least 1) by nearest source pixel, at dst + y * pitch + x (pitch in pixels).
//
// Steps per axis are source size / target size as a whole part and a 32-bit
// fraction; both fraction accumulators start at one step, so output pixel k
// samples source position k * whole + floor((k + 1) * fraction / 2^32).
//
// Nothing is clipped to a picture, but nothing is written outside the
// dstPixels of the destination, and `bytes` bounds every read of the image:
// drawing stops at the first source row the image does not hold. A source or
// target of zero width or height draws nothing.
//
// 16-bit images: a size word (width low 16 bits, height high 16), then the
// pixels of the current mode, top row first; pixel 0 is transparent.
// Paletted images: layout P (palette at 0, key at 512, size at 513, codes
// from 517) or PA (anchor at 512, key at 516, size at 517, codes from 521),
// key-run codes that carry across row ends.
#include <cstdint>

// Each channel (c + d) / 2.
void v_ShowScaled16Half(int32_t x, int32_t y, const uint8_t* image, uint32_t bytes, uint32_t width, uint32_t height,
                        uint16_t* dst, uint32_t dstPixels, uint32_t pitch);
// Each channel c + d, the channel's top level when it overflows.
void v_ShowScaled16Add(int32_t x, int32_t y, const uint8_t* image, uint32_t bytes, uint32_t width, uint32_t height,
                       uint16_t* dst, uint32_t dstPixels, uint32_t pitch);

// Anchored forms move (x, y) by the anchor scaled to the target: an offset
// code v below 5000 moves back by v * width / source width (never by more
// than x itself), a code from 5000 on forward by (v - 5000) * width / source
// width; the same with heights for y.
//
// Opaque: every index from the palette, index 0 included.
void v_ShowPalettedScaledAnchoredOpaque(int32_t x, int32_t y, const uint8_t* image, uint32_t bytes, uint32_t width,
                                        uint32_t height, uint16_t* dst, uint32_t dstPixels, uint32_t pitch);
void v_ShowPalettedScaledOpaque(int32_t x, int32_t y, const uint8_t* image, uint32_t bytes, uint32_t width,
                                uint32_t height, uint16_t* dst, uint32_t dstPixels, uint32_t pitch);
// The other forms decode index 0 as pixel 0 and leave the destination under
// every zero pixel, so a palette colour of 0 is transparent too.
void v_ShowPalettedScaledAnchored(int32_t x, int32_t y, const uint8_t* image, uint32_t bytes, uint32_t width,
                                  uint32_t height, uint16_t* dst, uint32_t dstPixels, uint32_t pitch);
void v_ShowPalettedScaled(int32_t x, int32_t y, const uint8_t* image, uint32_t bytes, uint32_t width,
                          uint32_t height, uint16_t* dst, uint32_t dstPixels, uint32_t pitch);
void v_ShowPalettedScaledAnchoredHalf(int32_t x, int32_t y, const uint8_t* image, uint32_t bytes, uint32_t width,
                                      uint32_t height, uint16_t* dst, uint32_t dstPixels, uint32_t pitch);
void v_ShowPalettedScaledHalf(int32_t x, int32_t y, const uint8_t* image, uint32_t bytes, uint32_t width,
                              uint32_t height, uint16_t* dst, uint32_t dstPixels, uint32_t pitch);
void v_ShowPalettedScaledAnchoredAdd(int32_t x, int32_t y, const uint8_t* image, uint32_t bytes, uint32_t width,
                                     uint32_t height, uint16_t* dst, uint32_t dstPixels, uint32_t pitch);
void v_ShowPalettedScaledAdd(int32_t x, int32_t y, const uint8_t* image, uint32_t bytes, uint32_t width,
                             uint32_t height, uint16_t* dst, uint32_t dstPixels, uint32_t pitch);

// The library's own form: the arguments of an opaque layout P drawing, set
// in this scratch record just before the call (the image panel does).
struct ss_ScaledCall {
    int32_t x = 0, y = 0;
    const uint8_t* pImage = nullptr;
    uint32_t lBytes = 0;
    uint32_t lWidth = 0, lHeight = 0;
    uint16_t* pDest = nullptr;
    uint32_t lDestPixels = 0;
    uint32_t lPitch = 0;
};
extern ss_ScaledCall g_oScaledCall;
// Draws g_oScaledCall's image opaque; returns the output rows drawn.
uint32_t l_ShowPalettedScaled();
