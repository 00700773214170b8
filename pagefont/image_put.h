#pragma once
#include <cstdint>

// Puts of 16-bit images onto the current target, clipped to it.
//
// Raw image: u16 row length in bytes, u16 rows, then the pixels row by row.
// RLE image: the same header, then per row units of [u8 N][N bytes of
// pixels][u8 S]: an opaque run of N bytes followed by S transparent bytes,
// until the units add up to the row length.
//
// The RLE routines take the record's size and never read past it. Runs are always cut to their row's length, and a
// row that cannot end (an empty unit) stops the drawing.

void v_PutImage(int32_t x, int32_t y, const void* image);
void v_PutImageFlipV(int32_t x, int32_t y, const void* image);
void v_PutImageMirror(int32_t x, int32_t y, const void* image);
void v_PutImageMirrorFlipV(int32_t x, int32_t y, const void* image);
// Copies every pixel whose value differs from the key.
void v_PutImageColorKey(int32_t x, int32_t y, const void* image, int32_t key);
void v_PutRleImage(int32_t x, int32_t y, const void* image, uint32_t recordBytes);
// Writes a raw image of the inclusive rectangle, clamped to the target, into
// the buffer (4 + rows x row bytes); nothing when no part lies on the target.
void v_GetImage(int32_t x1, int32_t y1, int32_t x2, int32_t y2, void* buffer);
