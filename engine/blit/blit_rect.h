#pragma once
#include <cstdint>

// The sprite blitters of blit_bounds.h drawing only inside an inclusive clip
// rectangle given in destination pixels (and inside the destination). Every
// drawn pixel gets exactly the result of the bounds-clipped twin. Argument
// order: x, y, w, h, dstW, dstH, clipTop, clipBottom, clipLeft, clipRight,
// the twin's effect words, src, dst.
//
// A rectangle with clipBottom <= clipTop draws nothing, a one-row rectangle
// included; one with clipLeft > clipRight is an empty span. The rectangle
// may reach past the destination and is cut to it.

void v_Blt555KeyClip(int32_t x, int32_t y, int32_t w, int32_t h, int32_t dstW, int32_t dstH, int32_t clipTop,
                     int32_t clipBottom, int32_t clipLeft, int32_t clipRight, const uint16_t* src,
                     uint16_t* dst);
// Every source word copied, the key 0 included, groups and tail alike.
void v_Blt555OpaqueClip(int32_t x, int32_t y, int32_t w, int32_t h, int32_t dstW, int32_t dstH,
                        int32_t clipTop, int32_t clipBottom, int32_t clipLeft, int32_t clipRight,
                        const uint16_t* src, uint16_t* dst);
void v_Blt555BrightenClip(int32_t x, int32_t y, int32_t w, int32_t h, int32_t dstW, int32_t dstH,
                          int32_t clipTop, int32_t clipBottom, int32_t clipLeft, int32_t clipRight,
                          uint32_t level, const uint16_t* src, uint16_t* dst);
void v_Blt555DarkenClip(int32_t x, int32_t y, int32_t w, int32_t h, int32_t dstW, int32_t dstH,
                        int32_t clipTop, int32_t clipBottom, int32_t clipLeft, int32_t clipRight,
                        uint32_t level, const uint16_t* src, uint16_t* dst);
void v_Blt555AlphaClip(int32_t x, int32_t y, int32_t w, int32_t h, int32_t dstW, int32_t dstH,
                       int32_t clipTop, int32_t clipBottom, int32_t clipLeft, int32_t clipRight,
                       uint32_t alpha, const uint16_t* src, uint16_t* dst);
void v_Blt555AlphaBrightenClip(int32_t x, int32_t y, int32_t w, int32_t h, int32_t dstW, int32_t dstH,
                               int32_t clipTop, int32_t clipBottom, int32_t clipLeft, int32_t clipRight,
                               uint32_t alpha, uint32_t level, const uint16_t* src, uint16_t* dst);
void v_Blt555AlphaDarkenClip(int32_t x, int32_t y, int32_t w, int32_t h, int32_t dstW, int32_t dstH,
                             int32_t clipTop, int32_t clipBottom, int32_t clipLeft, int32_t clipRight,
                             uint32_t alpha, uint32_t level, const uint16_t* src, uint16_t* dst);
void v_Blt555TintClip(int32_t x, int32_t y, int32_t w, int32_t h, int32_t dstW, int32_t dstH, int32_t clipTop,
                      int32_t clipBottom, int32_t clipLeft, int32_t clipRight, uint32_t addColour,
                      uint32_t subColour, const uint16_t* src, uint16_t* dst);
void v_Blt555TintAlphaBrightenClip(int32_t x, int32_t y, int32_t w, int32_t h, int32_t dstW, int32_t dstH,
                                   int32_t clipTop, int32_t clipBottom, int32_t clipLeft, int32_t clipRight,
                                   uint32_t addColour, uint32_t subColour, uint32_t alpha, uint32_t level,
                                   const uint16_t* src, uint16_t* dst);
void v_Blt555ColourMapsClip(int32_t x, int32_t y, int32_t w, int32_t h, int32_t dstW, int32_t dstH,
                            int32_t clipTop, int32_t clipBottom, int32_t clipLeft, int32_t clipRight,
                            const uint16_t* addMap, const uint16_t* subMap, const uint16_t* src,
                            uint16_t* dst);
void v_Blt555AlphaMapClip(int32_t x, int32_t y, int32_t w, int32_t h, int32_t dstW, int32_t dstH,
                          int32_t clipTop, int32_t clipBottom, int32_t clipLeft, int32_t clipRight,
                          const uint8_t* alphaMap, const uint16_t* src, uint16_t* dst);
void v_Blt555AlphaMapFadeClip(int32_t x, int32_t y, int32_t w, int32_t h, int32_t dstW, int32_t dstH,
                              int32_t clipTop, int32_t clipBottom, int32_t clipLeft, int32_t clipRight,
                              uint32_t level, const uint8_t* alphaMap, const uint16_t* src, uint16_t* dst);
void v_Blt555AlphaMapLightenClip(int32_t x, int32_t y, int32_t w, int32_t h, int32_t dstW, int32_t dstH,
                                 int32_t clipTop, int32_t clipBottom, int32_t clipLeft, int32_t clipRight,
                                 uint32_t level, const uint8_t* alphaMap, const uint16_t* src, uint16_t* dst);
void v_Blt555AlphaMapDarkenClip(int32_t x, int32_t y, int32_t w, int32_t h, int32_t dstW, int32_t dstH,
                                int32_t clipTop, int32_t clipBottom, int32_t clipLeft, int32_t clipRight,
                                uint32_t level, const uint8_t* alphaMap, const uint16_t* src, uint16_t* dst);
