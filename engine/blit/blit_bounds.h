#pragma once
#include <cstdint>

// Sprite blitters on 5-5-5 pixels, clipped to the destination's bounds.
// Calling form: x, y (destination position of the source's top-left pixel,
// may be negative), w, h (source size, also its pitch), dstW, dstH
// (destination size, dstW its pitch), the effect words, src, dst. Alpha and
// level are read from the low byte, colours from the low 16 bits; a uniform
// alpha above 32 counts as 32. A source word 0 is transparent. Nothing is
// drawn without a source or a destination.
//
// Rows are drawn in groups of four from the first visible column, then a
// tail of up to three pixels; a visible span under four pixels draws
// nothing. Computed pixels have bit 15 clear; copied and untouched ones keep
// theirs. Alpha-map bytes run 0..31 and colour maps and alpha maps are laid
// out like the source.

// Copies (w div 4) x 4 x h pixels as one run: no position, key or effect.
void v_Copy555Mmx(int32_t w, int32_t h, const uint16_t* src, uint16_t* dst);
// Copies h rows of (w div 4) x 4 pixels to (x, y) with no clipping and no key;
// the caller keeps the block inside the destination.
void v_Blt555Opaque(int32_t x, int32_t y, int32_t w, int32_t h, int32_t dstW, const uint16_t* src,
                    uint16_t* dst);

// Opaque source words copied as they are.
void v_Blt555Key(int32_t x, int32_t y, int32_t w, int32_t h, int32_t dstW, int32_t dstH, const uint16_t* src,
                 uint16_t* dst);
// Per channel, s the source's and d the destination's (0..31), L the level:
// min(31, s + s x L div 32).
void v_Blt555Brighten(int32_t x, int32_t y, int32_t w, int32_t h, int32_t dstW, int32_t dstH, uint32_t level,
                      const uint16_t* src, uint16_t* dst);
// Blue max(0, s - s x L div 32); green and red lose s x L / 32 rounded up:
// max(0, 32 x s - s x L) div 32.
void v_Blt555Darken(int32_t x, int32_t y, int32_t w, int32_t h, int32_t dstW, int32_t dstH, uint32_t level,
                    const uint16_t* src, uint16_t* dst);
// (s x a + d x (32 - a)) div 32.
void v_Blt555Alpha(int32_t x, int32_t y, int32_t w, int32_t h, int32_t dstW, int32_t dstH, uint32_t alpha,
                   const uint16_t* src, uint16_t* dst);
// min(31, (s x K div 32 + d x (32 - a)) div 32) with K = a x (32 + L); the
// darkening twin has K = max(0, a x 32 - a x L).
void v_Blt555AlphaBrighten(int32_t x, int32_t y, int32_t w, int32_t h, int32_t dstW, int32_t dstH,
                           uint32_t alpha, uint32_t level, const uint16_t* src, uint16_t* dst);
void v_Blt555AlphaDarken(int32_t x, int32_t y, int32_t w, int32_t h, int32_t dstW, int32_t dstH,
                         uint32_t alpha, uint32_t level, const uint16_t* src, uint16_t* dst);
// min(31, max(0, s + add - sub)) with the colours' channels.
void v_Blt555Tint(int32_t x, int32_t y, int32_t w, int32_t h, int32_t dstW, int32_t dstH, uint32_t addColour,
                  uint32_t subColour, const uint16_t* src, uint16_t* dst);
// The alpha-brighten blend, then + add - sub, kept within 0..31.
void v_Blt555TintAlphaBrighten(int32_t x, int32_t y, int32_t w, int32_t h, int32_t dstW, int32_t dstH,
                               uint32_t addColour, uint32_t subColour, uint32_t alpha, uint32_t level,
                               const uint16_t* src, uint16_t* dst);
// A null map adds or subtracts nothing.
void v_Blt555ColourMaps(int32_t x, int32_t y, int32_t w, int32_t h, int32_t dstW, int32_t dstH,
                        const uint16_t* addMap, const uint16_t* subMap, const uint16_t* src, uint16_t* dst);
// Per pixel (s x a + d x (32 - a)) div 32. A group of four alpha bytes 0 is
// left alone; one of four 31s stores its source words raw, 0 included; tail
// pixels always blend. A null alpha map draws nothing.
void v_Blt555AlphaMap(int32_t x, int32_t y, int32_t w, int32_t h, int32_t dstW, int32_t dstH,
                      const uint8_t* alphaMap, const uint16_t* src, uint16_t* dst);
// The same at alpha min(a, L); a group of four alpha bytes 31 blends at L
// itself (keyed).
void v_Blt555AlphaMapFade(int32_t x, int32_t y, int32_t w, int32_t h, int32_t dstW, int32_t dstH,
                          uint32_t level, const uint8_t* alphaMap, const uint16_t* src, uint16_t* dst);
// The alpha-map blend of max(0, s - L); the lightening twin blends
// min(31, s + L). Groups of four alpha bytes 0 are left alone.
void v_Blt555AlphaMapDarken(int32_t x, int32_t y, int32_t w, int32_t h, int32_t dstW, int32_t dstH,
                            uint32_t level, const uint8_t* alphaMap, const uint16_t* src, uint16_t* dst);
void v_Blt555AlphaMapLighten(int32_t x, int32_t y, int32_t w, int32_t h, int32_t dstW, int32_t dstH,
                             uint32_t level, const uint8_t* alphaMap, const uint16_t* src, uint16_t* dst);
// Every source word copied, 0 included.
void v_Blt555OpaqueClipped(int32_t x, int32_t y, int32_t w, int32_t h, int32_t dstW, int32_t dstH,
                           const uint16_t* src, uint16_t* dst);
