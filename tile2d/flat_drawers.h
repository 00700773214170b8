#pragma once
// Colour variants of the paletted-tile drawer (layout as v_ShowTileFlat).
// Index 0 leaves the surface unless the name says Opaque. Levels are
// multiply-table rows and use their low 6 bits: row k scales by (k + 1) / 64.
#include <cstdint>

void v_ShowTileFlatLevel(int32_t x, int32_t y, const uint8_t* tile, uint32_t bytes, uint32_t level);
void v_ShowTileFlatOpaque(int32_t x, int32_t y, const uint8_t* tile, uint32_t bytes);
void v_ShowTileFlatOpaqueLevel(int32_t x, int32_t y, const uint8_t* tile, uint32_t bytes, uint32_t level);
void v_ShowTileFlatTint(int32_t x, int32_t y, const uint8_t* tile, uint32_t bytes, uint32_t red, uint32_t green,
                        uint32_t blue);
// Each channel (colour + surface) / 2.
void v_ShowTileFlatHalf(int32_t x, int32_t y, const uint8_t* tile, uint32_t bytes);
// Blend over the surface as the code-byte stream blends at a level.
void v_ShowTileFlatBlend(int32_t x, int32_t y, const uint8_t* tile, uint32_t bytes, uint32_t level);
void v_ShowTileFlatBlendRGB(int32_t x, int32_t y, const uint8_t* tile, uint32_t bytes, uint32_t red,
                            uint32_t green, uint32_t blue);
// The scaled colour added to the surface, each channel saturating.
void v_ShowTileFlatAddLevel(int32_t x, int32_t y, const uint8_t* tile, uint32_t bytes, uint32_t level);
void v_ShowTileFlatAddRGB(int32_t x, int32_t y, const uint8_t* tile, uint32_t bytes, uint32_t red, uint32_t green,
                          uint32_t blue);
// Indices below the shadow threshold are colours; 255 halves the surface;
// the threshold to 254 darken it through shadow row 255 - index.
void v_ShowTileFlatShadow(int32_t x, int32_t y, const uint8_t* tile, uint32_t bytes);
