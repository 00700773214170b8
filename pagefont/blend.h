#pragma once
#include <cstdint>

// Blends of 16-bit images with the current target: 50 percent, saturating
// add, percent mix, per-pixel alpha (0..255) with an optional level, and
// 8-bit alpha maps. All clip to the target's edges.
//
// Records, little-endian:
// - raw and RLE 16-bit images as in image_put.h;
// - alpha plane: an alpha map (alpha_map.h) beside a raw image; its header
//   is skipped, its rows are the image's width apart;
// - alpha image: u32 offset (from the record's start) of a raw image, then
//   from byte 4 one alpha byte per pixel of that image, row by row;
// - RLE alpha image: u32 offset of an RLE image, then from byte 4 one alpha
//   byte per opaque pixel, in the order the runs are stored.
// RLE forms take the record's size and never read past it; runs are
// always cut to their row.
//
// Alpha: 0 leaves the page, 255 writes the source, between them each channel
// becomes d + floor((s - d) x a / 256). Rows are blended in the grouping of
// the four-lane blitters: a single pixel when the count is odd, a pair when
// half the rest is odd, then groups of four whose result is
// d + floor((s - d + 64) x a / 256) - floor(a / 4) (at most 1 above the
// single-pixel result). With a level L (0..255), a becomes floor(a x L / 256)
// and nothing is copied whole.

void v_PutImageHalf(int32_t x, int32_t y, const void* image);
void v_PutRleImageHalf(int32_t x, int32_t y, const void* image, uint32_t recordBytes);
void v_FillRectHalf(int32_t x1, int32_t y1, int32_t x2, int32_t y2, uint32_t color);

void v_PutImageAdd(int32_t x, int32_t y, const void* image);
void v_PutRleImageAdd(int32_t x, int32_t y, const void* image, uint32_t recordBytes);
void v_FillRectAdd(int32_t x1, int32_t y1, int32_t x2, int32_t y2, uint32_t color);

// Each channel min(floor((Pd x d + Ps x s) / 100), max). Mind the orders.
void v_PutImageMix(int32_t x, int32_t y, const void* image, uint32_t destPercent, uint32_t srcPercent);
void v_PutRleImageMix(int32_t x, int32_t y, const void* image, uint32_t srcPercent, uint32_t destPercent,
                      uint32_t recordBytes);
void v_FillRectMix(int32_t x1, int32_t y1, int32_t x2, int32_t y2, uint32_t color, uint32_t colorPercent,
                   uint32_t destPercent);

void v_PutImageAlphaPlane(int32_t x, int32_t y, const void* image, const void* plane);
void v_PutAlphaImage(int32_t x, int32_t y, const void* record);
// The visible span of each row laid down right to left (one pixel at a time).
void v_PutAlphaImageMirror(int32_t x, int32_t y, const void* record);
void v_PutRleAlphaImage(int32_t x, int32_t y, const void* record, uint32_t recordBytes);
void v_PutAlphaImageLevel(int32_t x, int32_t y, const void* record, uint32_t level);
void v_PutAlphaImageLevelMirror(int32_t x, int32_t y, const void* record, uint32_t level);
void v_PutRleAlphaImageLevel(int32_t x, int32_t y, const void* record, uint32_t level,
                             uint32_t recordBytes);

// One colour through an 8-bit map: d + floor((c - d) x a / 256), 255 the colour.
void v_PutAlphaMap8Color(int32_t x, int32_t y, const void* map, uint32_t color);
// Darkens through an 8-bit map: floor(d x (255 - a) / 256), 255 black.
void v_PutShadowMap(int32_t x, int32_t y, const void* map);

// One run of lengthBytes / 2 pixels through its alpha bytes, grouped as above.
void v_RleAlphaRow(uint8_t* dst, const uint8_t* src, int32_t lengthBytes, const uint8_t* alpha);
void v_RleAlphaLevelRow(uint8_t* dst, const uint8_t* src, int32_t lengthBytes, const uint8_t* alpha,
                        uint32_t level);
