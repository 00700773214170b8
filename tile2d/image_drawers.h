#pragma once
// Plain 16-bit images (a size word, width in the low and height in the high
// 16 bits, then width x height pixels) into and out of the current surface,
// clipped to it. No anchor. Rows beyond `bytes` are not drawn.
#include <cstdint>

// The surface filled from its top-left with the image as seen from image
// point (x, y): the image drawn at (-x, -y).
void v_ShowImageView(int32_t x, int32_t y, const uint8_t* image, uint32_t bytes);
void v_ShowImage(int32_t x, int32_t y, const uint8_t* image, uint32_t bytes);
// The image rectangle (sx, sy, w, h), cut to the image, drawn at (x, y).
void v_ShowImageRect(int32_t x, int32_t y, int32_t sx, int32_t sy, int32_t w, int32_t h, const uint8_t* image,
                     uint32_t bytes);
// Writes the size word, then the w x h block of the surface at (x, y) as an
// image of that size: pixels outside the surface, or rows beyond
// targetBytes, are not written. Sizes outside 0 to 65,535 write nothing.
void v_GrabImage(int32_t x, int32_t y, int32_t w, int32_t h, uint8_t* target, uint32_t targetBytes);
// The image region at (sx, sy) of the alpha map's size (the map: a size
// word, then one byte per pixel) drawn at (x, y) at level alpha / 4: 0 leaves
// the surface, 63 copies, others blend. A non-zero flag draws only surface
// pixels whose x + y is odd.
void v_ShowImageAlphaMap(int32_t x, int32_t y, int32_t sx, int32_t sy, const uint8_t* image, uint32_t imageBytes,
                         const uint8_t* map, uint32_t mapBytes, uint32_t flag);
