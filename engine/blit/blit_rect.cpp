#include "engine/blit/blit_rect.h"

#include "engine/blit/blit_draw.h"

#define KRX_CLIP_ARGS                                                                                        \
    int32_t x, int32_t y, int32_t w, int32_t h, int32_t dstW, int32_t dstH, int32_t clipTop,                 \
        int32_t clipBottom, int32_t clipLeft, int32_t clipRight
#define KRX_CLIP o_ClipToRect(x, y, w, h, dstW, dstH, clipTop, clipBottom, clipLeft, clipRight)

void v_Blt555KeyClip(KRX_CLIP_ARGS, const uint16_t* src, uint16_t* dst) {
    Chosen(&BlitReference::v_Key, &BlitFast::v_Key)(KRX_CLIP, src, dst);
}

void v_Blt555OpaqueClip(KRX_CLIP_ARGS, const uint16_t* src, uint16_t* dst) {
    Chosen(&BlitReference::v_Copy, &BlitFast::v_Copy)(KRX_CLIP, src, dst);
}

void v_Blt555BrightenClip(KRX_CLIP_ARGS, uint32_t level, const uint16_t* src, uint16_t* dst) {
    Chosen(&BlitReference::v_Brighten, &BlitFast::v_Brighten)(KRX_CLIP, level, src, dst);
}

void v_Blt555DarkenClip(KRX_CLIP_ARGS, uint32_t level, const uint16_t* src, uint16_t* dst) {
    Chosen(&BlitReference::v_Darken, &BlitFast::v_Darken)(KRX_CLIP, level, src, dst);
}

void v_Blt555AlphaClip(KRX_CLIP_ARGS, uint32_t alpha, const uint16_t* src, uint16_t* dst) {
    Chosen(&BlitReference::v_Alpha, &BlitFast::v_Alpha)(KRX_CLIP, alpha, src, dst);
}

void v_Blt555AlphaBrightenClip(KRX_CLIP_ARGS, uint32_t alpha, uint32_t level, const uint16_t* src,
                               uint16_t* dst) {
    Chosen(&BlitReference::v_AlphaBrighten, &BlitFast::v_AlphaBrighten)(KRX_CLIP, alpha, level, src, dst);
}

void v_Blt555AlphaDarkenClip(KRX_CLIP_ARGS, uint32_t alpha, uint32_t level, const uint16_t* src,
                             uint16_t* dst) {
    Chosen(&BlitReference::v_AlphaDarken, &BlitFast::v_AlphaDarken)(KRX_CLIP, alpha, level, src, dst);
}

void v_Blt555TintClip(KRX_CLIP_ARGS, uint32_t addColour, uint32_t subColour, const uint16_t* src,
                      uint16_t* dst) {
    Chosen(&BlitReference::v_Tint, &BlitFast::v_Tint)(KRX_CLIP, addColour, subColour, src, dst);
}

void v_Blt555TintAlphaBrightenClip(KRX_CLIP_ARGS, uint32_t addColour, uint32_t subColour, uint32_t alpha,
                                   uint32_t level, const uint16_t* src, uint16_t* dst) {
    Chosen(&BlitReference::v_TintAlphaBrighten, &BlitFast::v_TintAlphaBrighten)(KRX_CLIP, addColour, subColour, alpha, level, src, dst);
}

void v_Blt555ColourMapsClip(KRX_CLIP_ARGS, const uint16_t* addMap, const uint16_t* subMap,
                            const uint16_t* src, uint16_t* dst) {
    Chosen(&BlitReference::v_ColourMaps, &BlitFast::v_ColourMaps)(KRX_CLIP, addMap, subMap, src, dst);
}

void v_Blt555AlphaMapClip(KRX_CLIP_ARGS, const uint8_t* alphaMap, const uint16_t* src, uint16_t* dst) {
    Chosen(&BlitReference::v_AlphaMap, &BlitFast::v_AlphaMap)(KRX_CLIP, alphaMap, src, dst);
}

void v_Blt555AlphaMapFadeClip(KRX_CLIP_ARGS, uint32_t level, const uint8_t* alphaMap, const uint16_t* src,
                              uint16_t* dst) {
    Chosen(&BlitReference::v_AlphaMapFade, &BlitFast::v_AlphaMapFade)(KRX_CLIP, level, alphaMap, src, dst);
}

void v_Blt555AlphaMapLightenClip(KRX_CLIP_ARGS, uint32_t level, const uint8_t* alphaMap, const uint16_t* src,
                                 uint16_t* dst) {
    Chosen(&BlitReference::v_AlphaMapLighten, &BlitFast::v_AlphaMapLighten)(KRX_CLIP, level, alphaMap, src, dst);
}

void v_Blt555AlphaMapDarkenClip(KRX_CLIP_ARGS, uint32_t level, const uint8_t* alphaMap, const uint16_t* src,
                                uint16_t* dst) {
    Chosen(&BlitReference::v_AlphaMapDarken, &BlitFast::v_AlphaMapDarken)(KRX_CLIP, level, alphaMap, src, dst);
}

#undef KRX_CLIP_ARGS
#undef KRX_CLIP
