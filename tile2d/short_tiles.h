#pragma once
// Short-header RGB-palette tiles: palette at 2, form byte at 770, anchor at
// 776, size at 780 and from 784 an unpacked grid of units, row after row.
// Form 0: one index byte per unit, drawn opaquely. Otherwise two bytes,
// level then index: level 0 leaves the surface, 63 and up draws the colour,
// others blend as the code-byte stream does. Units beyond `bytes` are not
// drawn.
#include <cstdint>

void v_ShowTileShort(int32_t x, int32_t y, const uint8_t* tile, uint32_t bytes);
// The source rectangle (sx, sy, w, h), cut to the tile, with its top-left at
// (x, y) plus the anchor.
void v_ShowTileShortRect(int32_t x, int32_t y, int32_t sx, int32_t sy, int32_t w, int32_t h, const uint8_t* tile,
                         uint32_t bytes);
// Two-byte units (the form byte is not tested) stretched to width x height
// with the top-left at (x, y), no anchor; stepped as v_ShowTileScaled and
// clipped to the surface.
void v_ShowTileShortScaled(int32_t x, int32_t y, const uint8_t* tile, uint32_t bytes, int32_t width,
                           int32_t height);
// The two-byte unit at (x, y) as level | index << 8; 0 outside the tile.
int32_t l_GetImagePixel(const uint8_t* tile, uint32_t bytes, int32_t x, int32_t y);
