#pragma once
#include <cstdint>

// Alpha map: u16 width in pixels, u16 rows, then one byte per pixel, row by
// row. For v_PutAlphaMapColor the values are coverage in sixteenths: 0 leaves
// the page pixel, 15 writes the colour; values above 15 count as 15.

// Blends one colour through the map onto the current target; each channel
// becomes d + floor((c - d) x a / 16).
void v_PutAlphaMapColor(int32_t x, int32_t y, const void* map, uint32_t color);
