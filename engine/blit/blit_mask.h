#pragma once
#include <cstdint>

// Sprite blitters weighted by a destination mask: dstW x dstH bytes fixed to
// the destination (pitch dstW), one weight 0..32 per destination pixel, so
// how much of a sprite shows depends on where it lies. Clipped to the
// destination's bounds like blit_bounds.h; rows are drawn in whole groups of
// four and the last span mod 4 pixels of every row are never drawn. A group
// of four transparent source words is left alone; any other group is
// computed and written, even under weight 0. Cap and level are read from the
// low byte; weights (after the cap) above 32 count as 32. A null mask, source
// or destination draws nothing.

// (s x m + d x (32 - m)) div 32 per channel.
void v_Blt555MaskBlend(int32_t x, int32_t y, int32_t w, int32_t h, int32_t dstW, int32_t dstH,
                       const uint8_t* mask, const uint16_t* src, uint16_t* dst);
// The blend of b = s + s x L div 32 (uncapped), capped at 31 after it.
void v_Blt555MaskBrighten(int32_t x, int32_t y, int32_t w, int32_t h, int32_t dstW, int32_t dstH,
                          uint32_t level, const uint8_t* mask, const uint16_t* src, uint16_t* dst);
// The blend of a darkened source: blue loses s x L div 32 rounded down,
// green and red lose it rounded up.
void v_Blt555MaskDarken(int32_t x, int32_t y, int32_t w, int32_t h, int32_t dstW, int32_t dstH,
                        uint32_t level, const uint8_t* mask, const uint16_t* src, uint16_t* dst);
// The three below weigh by min(mask, cap).
void v_Blt555MaskAlpha(int32_t x, int32_t y, int32_t w, int32_t h, int32_t dstW, int32_t dstH, uint32_t cap,
                       const uint8_t* mask, const uint16_t* src, uint16_t* dst);
void v_Blt555MaskAlphaBrighten(int32_t x, int32_t y, int32_t w, int32_t h, int32_t dstW, int32_t dstH,
                               uint32_t cap, uint32_t level, const uint8_t* mask, const uint16_t* src,
                               uint16_t* dst);
// Every channel loses s x L div 32 rounded down.
void v_Blt555MaskAlphaDarken(int32_t x, int32_t y, int32_t w, int32_t h, int32_t dstW, int32_t dstH,
                             uint32_t cap, uint32_t level, const uint8_t* mask, const uint16_t* src,
                             uint16_t* dst);
