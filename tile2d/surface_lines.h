#pragma once
// Single pixels and lines on the current surface (v_SelectSurface), in
// colours given as 0xRRGGBB. Pixels outside the surface are not written.
#include <cstdint>

// Level 63 or more writes the colour; below it, blends it at that level as
// the code-byte tiles do.
void v_BlendPixel(int32_t x, int32_t y, uint32_t rgb, uint32_t level);

// In a namespace of their own: the page library has a v_DrawLine of the same
// signature for its drawing pages.
namespace t2d {
// Both ends included, clipped to the surface by moving each outside end
// onto the edge. The minor axis steps on a 16.16 fraction grown by
// floor(65536 / n) * (minor difference + 1) per pixel, so a diagonal may
// fall one pixel short of its far end.
void v_DrawLine(int32_t x1, int32_t y1, int32_t x2, int32_t y2, uint32_t rgb);
// The same pixels added to the surface, each channel saturating.
void v_DrawLineAdd(int32_t x1, int32_t y1, int32_t x2, int32_t y2, uint32_t rgb);
} // namespace t2d
