#pragma once
#include <cstdint>

// Further routines of the blit set, sharing the conventions of blit_bounds.h.

// The uniform alpha blend of a brightened (darkened) sprite, drawn only in
// the destination rows windowTop..windowBottom and in the groups of four,
// counted from the first visible column, that hold columns
// windowLeft..windowRight (all inclusive). The last span mod 4 pixels of a
// row are never drawn. An alpha of 0 is read as 31.
void v_Blt555AlphaBrightenWindow(int32_t x, int32_t y, int32_t w, int32_t h, int32_t dstW, int32_t dstH,
                                 int32_t windowTop, int32_t windowBottom, int32_t windowLeft,
                                 int32_t windowRight, uint32_t alpha, uint32_t level, const uint16_t* src,
                                 uint16_t* dst);
void v_Blt555AlphaDarkenWindow(int32_t x, int32_t y, int32_t w, int32_t h, int32_t dstW, int32_t dstH,
                               int32_t windowTop, int32_t windowBottom, int32_t windowLeft,
                               int32_t windowRight, uint32_t alpha, uint32_t level, const uint16_t* src,
                               uint16_t* dst);

// Blends one colour over the rectangle (x, y, w, h) clipped to the
// destination, in whole groups of four per row (no tail). Colour 0 is the key
// and draws nothing; alpha 0 gives the destination's channels.
void v_Fill555Alpha(int32_t x, int32_t y, int32_t w, int32_t h, int32_t dstW, int32_t dstH, uint32_t alpha,
                    uint32_t colour, uint16_t* dst);

// 1 when the byte mask src (w x h) placed at (x, y) shares a set bit with the
// destination mask (dstW x dstH) under it, else 0. Rows are tested in groups
// of eight bytes; the last span mod 8 bytes of a row are not looked at.
int32_t v_MaskOverlap8(int32_t x, int32_t y, int32_t w, int32_t h, int32_t dstW, int32_t dstH,
                       const uint8_t* src, const uint8_t* dst);

// dst gets (w div 8) x (h div 8) pixels, rows packed: the top-left pixel of
// every 8 x 8 cell, without averaging.
void v_Shrink555By8(int32_t w, int32_t h, const uint16_t* src, uint16_t* dst);
