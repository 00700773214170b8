#pragma once
// Code-byte RGB-palette tiles (long header; the form byte is not tested)
// stretched to width x height by nearest source pixel: columns step in 10-bit
// fixed point (w * 1024 / width), rows in 16.16 (h * 65536 / height); the
// anchor offsets are scaled by target size / size. Clipped to the surface.
#include <cstdint>

void v_ShowTileScaled(int32_t x, int32_t y, int32_t width, int32_t height, const uint8_t* tile, uint32_t bytes);
// Codes through level-table row `level`, as v_ShowTileLevel.
void v_ShowTileScaledLevel(int32_t x, int32_t y, int32_t width, int32_t height, const uint8_t* tile,
                           uint32_t bytes, uint32_t level);
void v_ShowTileScaledGrey(int32_t x, int32_t y, int32_t width, int32_t height, const uint8_t* tile,
                          uint32_t bytes);
void v_ShowTileScaledGreyLevel(int32_t x, int32_t y, int32_t width, int32_t height, const uint8_t* tile,
                               uint32_t bytes, uint32_t level);
