#pragma once
// Uncompressed images drawn into a buffer of 16-bit pixels of the current
// mode, rectangle copies between pitched buffers, and nearest-pixel scaling.
//
// Images: a size word (width in the low, height in the high 16 bits), then
// the pixels top row first: 2 bytes each (16-bit), 3 (24-bit: blue, green,
// red) or 1 (8-bit: an index into a palette of red, green, blue triplets).
// Each image is followed by the bytes available from its start; only the
// rows it holds whole are drawn.
//
// Drawing places pixel (0, 0) at dst + y * pitch + x (pitch in pixels) and
// does not clip, but nothing is written outside the dstPixels of the
// destination. Except where said, drawing also stops before the first row
// whose address lies at or beyond the end of the screen range
// (v_SetScreenRange): with no range set, that is before the first row.
// Levels and alphas are multiply-table rows and use their low 6 bits.
#include <cstdint>

// Rows cut at the right at column `pitch` and at the bottom at row
// heightLimit.
void v_ShowImage24Clip(int32_t x, int32_t y, const uint8_t* image, uint32_t bytes, uint16_t* dst, uint32_t dstPixels,
                       uint32_t pitch, uint32_t heightLimit);
// Each channel byte v of pixel i becomes lookup[weights[i]][v] (the table of
// v_SetLookupTable) before it is converted; a non-zero writeBack also stores
// the new bytes in the image. Nothing is drawn without a lookup table, and
// only the rows the weights cover are drawn.
void v_ShowImage24Map(int32_t x, int32_t y, uint8_t* image, uint32_t bytes, uint16_t* dst, uint32_t dstPixels,
                      uint32_t pitch, const uint8_t* weights, uint32_t weightBytes, uint32_t writeBack);
// No transparent index; a palette of fewer than 768 bytes draws nothing.
void v_ShowImage8Rgb(int32_t x, int32_t y, const uint8_t* image, uint32_t bytes, const uint8_t* palette,
                     uint32_t paletteBytes, uint16_t* dst, uint32_t dstPixels, uint32_t pitch);

void v_ShowImage16(int32_t x, int32_t y, const uint8_t* image, uint32_t bytes, uint16_t* dst, uint32_t dstPixels,
                   uint32_t pitch);
// Each row moved right by its lead-in (a u32 byte count per row, half of it
// in pixels), which is painted black; rows without a lead-in are not drawn.
void v_ShowImage16Shear(int32_t x, int32_t y, const uint8_t* image, uint32_t bytes, uint16_t* dst,
                        uint32_t dstPixels, uint32_t pitch, const uint8_t* leadIn, uint32_t leadInBytes);
// floor((c + d) / 2) per channel.
void v_ShowImage16Half(int32_t x, int32_t y, const uint8_t* image, uint32_t bytes, uint16_t* dst, uint32_t dstPixels,
                       uint32_t pitch);
// T[level][c] per channel.
void v_ShowImage16Fade(int32_t x, int32_t y, const uint8_t* image, uint32_t bytes, uint16_t* dst, uint32_t dstPixels,
                       uint32_t pitch, uint32_t level);
// Rewrites the image's own pixels as T[level][c].
void v_FadeImage16(uint8_t* image, uint32_t bytes, uint32_t level);
void v_ShowImage16FadeShear(int32_t x, int32_t y, const uint8_t* image, uint32_t bytes, uint16_t* dst,
                            uint32_t dstPixels, uint32_t pitch, uint32_t level, const uint8_t* leadIn,
                            uint32_t leadInBytes);
// T[a][c] + T[63 - a][d] per channel.
void v_ShowImage16Alpha(int32_t x, int32_t y, const uint8_t* image, uint32_t bytes, uint16_t* dst, uint32_t dstPixels,
                        uint32_t pitch, uint32_t alpha);
void v_FillRectAlpha(int32_t x, int32_t y, int32_t w, int32_t h, uint32_t rgb, uint16_t* dst, uint32_t dstPixels,
                     uint32_t pitch, uint32_t alpha);
// d + T[level][c] per channel, saturating.
void v_ShowImage16AddScaled(int32_t x, int32_t y, const uint8_t* image, uint32_t bytes, uint16_t* dst,
                            uint32_t dstPixels, uint32_t pitch, uint32_t level);
// The Key forms leave the destination where the image pixel is 0.
void v_ShowImage16Key(int32_t x, int32_t y, const uint8_t* image, uint32_t bytes, uint16_t* dst, uint32_t dstPixels,
                      uint32_t pitch);
void v_ShowImage16KeyAddScaled(int32_t x, int32_t y, const uint8_t* image, uint32_t bytes, uint16_t* dst,
                               uint32_t dstPixels, uint32_t pitch, uint32_t level);
// floor((d + T[level][c]) / 2) per channel.
void v_ShowImage16KeyAddHalf(int32_t x, int32_t y, const uint8_t* image, uint32_t bytes, uint16_t* dst,
                             uint32_t dstPixels, uint32_t pitch, uint32_t level);
void v_ShowImage16KeyFade(int32_t x, int32_t y, const uint8_t* image, uint32_t bytes, uint16_t* dst,
                          uint32_t dstPixels, uint32_t pitch, uint32_t level);
void v_ShowImage16KeyHalf(int32_t x, int32_t y, const uint8_t* image, uint32_t bytes, uint16_t* dst,
                          uint32_t dstPixels, uint32_t pitch);

// The w x h block at (x, y) of the source to the destination's top-left;
// pitches in pixels. Pixels outside either buffer are passed over. The plain
// copies make no screen-range test; the others test the destination rows.
void v_CopyRect24(int32_t x, int32_t y, int32_t w, int32_t h, uint8_t* dst, uint32_t dstBytes, uint32_t dstPitch,
                  const uint8_t* src, uint32_t srcBytes, uint32_t srcPitch);
void v_CopyRect16(int32_t x, int32_t y, int32_t w, int32_t h, uint16_t* dst, uint32_t dstPixels, uint32_t dstPitch,
                  const uint16_t* src, uint32_t srcPixels, uint32_t srcPitch);
void v_CopyRect16Key(int32_t x, int32_t y, int32_t w, int32_t h, uint16_t* dst, uint32_t dstPixels, uint32_t dstPitch,
                     const uint16_t* src, uint32_t srcPixels, uint32_t srcPitch);
// The mask has one byte per source pixel, laid out with the source's pitch;
// 0 skips the pixel.
void v_CopyRect16Mask(int32_t x, int32_t y, int32_t w, int32_t h, uint16_t* dst, uint32_t dstPixels,
                      uint32_t dstPitch, const uint16_t* src, uint32_t srcPixels, uint32_t srcPitch,
                      const uint8_t* mask, uint32_t maskBytes);
// Mask byte m blends at m / 4 (255 copies); 0 skips.
void v_CopyRect16MaskAlpha(int32_t x, int32_t y, int32_t w, int32_t h, uint16_t* dst, uint32_t dstPixels,
                           uint32_t dstPitch, const uint16_t* src, uint32_t srcPixels, uint32_t srcPitch,
                           const uint8_t* mask, uint32_t maskBytes);

// Nearest-pixel scaling with 32-bit fractional steps. Writes the new size
// (u16 width, u16 height) and the scaled pixels; nothing when a size is 0 or
// above 65,535 or the output cannot hold it all.
void v_ScaleImage16(const uint8_t* image, uint32_t bytes, uint8_t* output, uint32_t outBytes, uint32_t newWidth,
                    uint32_t newHeight);
// Drawn at (x, y) without a screen-range test. A size of 0 draws nothing.
void v_ShowImage16Scaled(int32_t x, int32_t y, const uint8_t* image, uint32_t bytes, uint32_t newWidth,
                         uint32_t newHeight, uint16_t* dst, uint32_t dstPixels, uint32_t pitch);
void v_ShowRect16Scaled(int32_t x, int32_t y, const uint16_t* src, uint32_t srcPixels, uint32_t newWidth,
                        uint32_t newHeight, uint16_t* dst, uint32_t dstPixels, uint32_t pitch, uint32_t srcWidth,
                        uint32_t srcHeight, uint32_t srcPitch);
void v_ShowImage16ScaledKey(int32_t x, int32_t y, const uint8_t* image, uint32_t bytes, uint32_t newWidth,
                            uint32_t newHeight, uint16_t* dst, uint32_t dstPixels, uint32_t pitch);
