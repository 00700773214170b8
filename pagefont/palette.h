#pragma once
#include <cstdint>

// 8-bit paletted images on the current target. Every index, 0 included, is
// looked up in the image's own palette of 256 16-bit pixels and the value is
// then combined as the 16-bit blends of blend.h combine a source pixel.
//
// Records, little-endian:
// - paletted image: 256 x u16 palette, u16 width, u16 rows, then from byte
//   516 width x rows index bytes;
// - paletted RLE image: the same palette and header, then per row units of
//   [u8 N][N index bytes][u8 S] (N opaque, S skipped pixels) until the units
//   add up to the width;
// - paletted alpha image: u32 offset of a paletted image, then from byte 4
//   one alpha byte per pixel of it;
// - paletted RLE alpha image: u32 offset of a paletted RLE image, then from
//   byte 4 one alpha byte per opaque pixel in the order of the runs.
// RLE forms take the record's size and never read past it; runs are
// always cut to their row.

void v_PutPalImage(int32_t x, int32_t y, const void* image);
void v_PutPalRleImage(int32_t x, int32_t y, const void* image, uint32_t recordBytes);
void v_PutPalImageHalf(int32_t x, int32_t y, const void* image);
void v_PutPalRleImageHalf(int32_t x, int32_t y, const void* image, uint32_t recordBytes);
void v_PutPalImageAdd(int32_t x, int32_t y, const void* image);
void v_PutPalRleImageAdd(int32_t x, int32_t y, const void* image, uint32_t recordBytes);
void v_PutPalImageMix(int32_t x, int32_t y, const void* image, uint32_t destPercent, uint32_t srcPercent);
void v_PutPalRleImageMix(int32_t x, int32_t y, const void* image, uint32_t srcPercent, uint32_t destPercent,
                         uint32_t recordBytes);
void v_PutPalImageAlphaPlane(int32_t x, int32_t y, const void* image, const void* plane);
void v_PutPalAlphaImage(int32_t x, int32_t y, const void* record);
void v_PutPalAlphaImageMirror(int32_t x, int32_t y, const void* record);
void v_PutPalRleAlphaImage(int32_t x, int32_t y, const void* record, uint32_t recordBytes);
void v_PutPalAlphaImageLevel(int32_t x, int32_t y, const void* record, uint32_t level);
void v_PutPalRleAlphaImageLevel(int32_t x, int32_t y, const void* record, uint32_t level,
                                uint32_t recordBytes);

// One run of `count` pixels through their alpha bytes, grouped as in blend.h.
void v_PalRleAlphaRow(uint8_t* dst, const uint8_t* indexes, const uint16_t* palette, int32_t count,
                      const uint8_t* alpha);
void v_PalRleAlphaLevelRow(uint8_t* dst, const uint8_t* indexes, const uint16_t* palette, int32_t count,
                           const uint8_t* alpha, uint32_t level);
