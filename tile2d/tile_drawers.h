#pragma once
// Drawers of anchored tile-bank images into the current surface, clipped to
// it. Each takes the bytes available from the image's start (to the end of
// its bank): a stream that runs out ends the drawing there, and an image
// whose header does not fit draws nothing.
//
// RGB-palette tile ("N@"): palette at 2, form byte at 770, anchor at 796;
// code-byte form (form non-zero) size at 800, stream at 804; key-run form
// key at 800, size at 801, stream at 805.
// Paletted tile: palette at 0, anchor at 512, key at 516, size at 517,
// key-run stream at 521.
#include <cstdint>

// RGB-palette tile: code bytes blend at their level (0x3F opaque, 0x40 and
// up skip); key runs draw every index opaquely, index 0 too.
void v_ShowTile(int32_t x, int32_t y, const uint8_t* tile, uint32_t bytes);
// Paletted tile: index 0 leaves the surface, others are drawn opaquely.
void v_ShowTileFlat(int32_t x, int32_t y, const uint8_t* tile, uint32_t bytes);
// Paletted tile: index 0 leaves the surface, others are added to it with
// each channel saturating.
void v_ShowTileFlagged(int32_t x, int32_t y, const uint8_t* tile, uint32_t bytes);

// v_ShowTile with every palette colour through the grey table first (the
// colours unchanged until v_MakeGreyTable has made one).
void v_ShowTileGrey(int32_t x, int32_t y, const uint8_t* tile, uint32_t bytes);
// v_ShowTile with each code b of the code-byte form replaced by level-table
// entry (level, b); the key-run form is drawn as v_ShowTile draws it.
void v_ShowTileLevel(int32_t x, int32_t y, const uint8_t* tile, uint32_t bytes, uint32_t level);
void v_ShowTileGreyLevel(int32_t x, int32_t y, const uint8_t* tile, uint32_t bytes, uint32_t level);
// The source rectangle (sx, sy, w, h) of an RGB-palette tile, with its
// top-left at (x, y) plus the anchor; the rectangle is cut to the tile.
void v_ShowTileRect(int32_t x, int32_t y, int32_t sx, int32_t sy, int32_t w, int32_t h, const uint8_t* tile,
                    uint32_t bytes);

// The unit at (x, y) of a code-byte RGB-palette tile: index * 256 + code;
// 0 outside the tile, on a skipped pixel or past the stream's end.
int32_t l_GetTilePixel(const uint8_t* tile, uint32_t bytes, int32_t x, int32_t y);
