#pragma once
#include <cstdint>

// The blit dispatchers: every sprite bitmap reaches the destination through
// one of these, which picks exactly one blitter by a fixed order of tests on
// the effect arguments (the order decides which effects win):
//  1. x = y = dstW = 0: v_Copy555Mmx, whatever the effects;
//  2. dstH = 0: v_Blt555Opaque at (x, y) with pitch dstW;
//  3. addMap or subMap: colour maps;  4. alphaMap: alpha map;
//  5. brightness > 0, a colour and alpha: tint, alpha, brighten;
//  6. brightness > 0 and alpha: alpha brighten;  7. brightness < 0 and alpha:
//  alpha darken;  8. brightness > 0: brighten;  9. brightness < 0: darken;
//  10. alpha: alpha;  11. no colour: key;  12. tint.
// alpha and brightness are words whose low byte is a signed byte; the level
// handed on for a negative brightness is its negation (-128 gives 128).
// Colours are the low 16 bits. Nothing is drawn without a source or a
// destination.
void v_ShowImage(int32_t x, int32_t y, int32_t w, int32_t h, int32_t dstW, int32_t dstH, int32_t alpha,
                 int32_t brightness, uint32_t addColour, uint32_t subColour, const uint16_t* addMap,
                 const uint16_t* subMap, const uint8_t* alphaMap, const uint16_t* src, uint16_t* dst);

// v_ShowImage with the sprite's key runs (engine/blit/key_runs.h) drawing
// step 11: the same pixels, faster for sprites with long opaque runs.
class sc_KeyRuns;
void v_ShowImageKeyed(int32_t x, int32_t y, int32_t w, int32_t h, int32_t dstW, int32_t dstH, int32_t alpha,
                      int32_t brightness, uint32_t addColour, uint32_t subColour, const uint16_t* addMap,
                      const uint16_t* subMap, const uint8_t* alphaMap, const uint16_t* src, uint16_t* dst,
                      const sc_KeyRuns& runs);

// The same tests, steps 3 to 12 drawing with the rectangle-clipped twins
// inside the inclusive clip rectangle (steps 1 and 2 ignore it).
void v_ShowImageClip(int32_t x, int32_t y, int32_t w, int32_t h, int32_t dstW, int32_t dstH, int32_t alpha,
                     int32_t brightness, uint32_t addColour, uint32_t subColour, const uint16_t* addMap,
                     const uint16_t* subMap, int32_t clipLeft, int32_t clipTop, int32_t clipRight,
                     int32_t clipBottom, const uint8_t* alphaMap, const uint16_t* src, uint16_t* dst);

// Steps 1 to 5 as v_ShowImage; then, with a destination mask (dstW x dstH
// bytes): 6/7 brightness > 0 / < 0 with alpha: masked alpha brighten /
// darken; 8/9 brightness > 0 / < 0: masked brighten / darken; 10 alpha:
// masked alpha; 11 no colour: masked blend; 12 otherwise the plain tint.
// Without a mask, step 11 draws with the colour key alone.
void v_ShowImageMask(int32_t x, int32_t y, int32_t w, int32_t h, int32_t dstW, int32_t dstH, int32_t alpha,
                     int32_t brightness, uint32_t addColour, uint32_t subColour, const uint16_t* addMap,
                     const uint16_t* subMap, const uint8_t* alphaMap, const uint8_t* mask,
                     const uint16_t* src, uint16_t* dst);
