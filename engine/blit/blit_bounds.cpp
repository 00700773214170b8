#include "engine/blit/blit_bounds.h"

#include <cstring>

#include "engine/blit/blit_draw.h"

bool g_bScalarBlits = false;

#define KRX_FRAME x, y, w, h, dstW, dstH
#define KRX_FRAME_ARGS int32_t x, int32_t y, int32_t w, int32_t h, int32_t dstW, int32_t dstH

void v_Copy555Mmx(int32_t w, int32_t h, const uint16_t* src, uint16_t* dst) {
    if (!src || !dst || w < 4 || h < 1) return;
    std::memcpy(dst, src, static_cast<size_t>(w / 4) * 8 * static_cast<size_t>(h));
}

void v_Blt555Opaque(int32_t x, int32_t y, int32_t w, int32_t h, int32_t dstW, const uint16_t* src,
                    uint16_t* dst) {
    if (!src || !dst || w < 4 || h < 1) return;
    // Rows step by the full source and destination pitches, so a width that
    // is not a multiple of 4 drops its last pixels instead of shearing rows.
    const size_t bytes = static_cast<size_t>(w / 4) * 8;
    uint16_t* d = dst + (static_cast<std::ptrdiff_t>(y) * dstW + x);
    for (int32_t r = 0; r < h; ++r, src += w, d += dstW)
        std::memcpy(d, src, bytes);
}

void v_Blt555Key(KRX_FRAME_ARGS, const uint16_t* src, uint16_t* dst) {
    Chosen(&BlitReference::v_Key, &BlitFast::v_Key)(o_ClipToBounds(KRX_FRAME), src, dst);
}

void v_Blt555Brighten(KRX_FRAME_ARGS, uint32_t level, const uint16_t* src, uint16_t* dst) {
    Chosen(&BlitReference::v_Brighten, &BlitFast::v_Brighten)(o_ClipToBounds(KRX_FRAME), level, src, dst);
}

void v_Blt555Darken(KRX_FRAME_ARGS, uint32_t level, const uint16_t* src, uint16_t* dst) {
    Chosen(&BlitReference::v_Darken, &BlitFast::v_Darken)(o_ClipToBounds(KRX_FRAME), level, src, dst);
}

void v_Blt555Alpha(KRX_FRAME_ARGS, uint32_t alpha, const uint16_t* src, uint16_t* dst) {
    Chosen(&BlitReference::v_Alpha, &BlitFast::v_Alpha)(o_ClipToBounds(KRX_FRAME), alpha, src, dst);
}

void v_Blt555AlphaBrighten(KRX_FRAME_ARGS, uint32_t alpha, uint32_t level, const uint16_t* src,
                           uint16_t* dst) {
    Chosen(&BlitReference::v_AlphaBrighten, &BlitFast::v_AlphaBrighten)(o_ClipToBounds(KRX_FRAME), alpha, level, src, dst);
}

void v_Blt555AlphaDarken(KRX_FRAME_ARGS, uint32_t alpha, uint32_t level, const uint16_t* src, uint16_t* dst) {
    Chosen(&BlitReference::v_AlphaDarken, &BlitFast::v_AlphaDarken)(o_ClipToBounds(KRX_FRAME), alpha, level, src, dst);
}

void v_Blt555Tint(KRX_FRAME_ARGS, uint32_t addColour, uint32_t subColour, const uint16_t* src,
                  uint16_t* dst) {
    Chosen(&BlitReference::v_Tint, &BlitFast::v_Tint)(o_ClipToBounds(KRX_FRAME), addColour, subColour, src, dst);
}

void v_Blt555TintAlphaBrighten(KRX_FRAME_ARGS, uint32_t addColour, uint32_t subColour, uint32_t alpha,
                               uint32_t level, const uint16_t* src, uint16_t* dst) {
    Chosen(&BlitReference::v_TintAlphaBrighten, &BlitFast::v_TintAlphaBrighten)(o_ClipToBounds(KRX_FRAME), addColour, subColour, alpha, level, src, dst);
}

void v_Blt555ColourMaps(KRX_FRAME_ARGS, const uint16_t* addMap, const uint16_t* subMap, const uint16_t* src,
                        uint16_t* dst) {
    Chosen(&BlitReference::v_ColourMaps, &BlitFast::v_ColourMaps)(o_ClipToBounds(KRX_FRAME), addMap, subMap, src, dst);
}

void v_Blt555AlphaMap(KRX_FRAME_ARGS, const uint8_t* alphaMap, const uint16_t* src, uint16_t* dst) {
    Chosen(&BlitReference::v_AlphaMap, &BlitFast::v_AlphaMap)(o_ClipToBounds(KRX_FRAME), alphaMap, src, dst);
}

void v_Blt555AlphaMapFade(KRX_FRAME_ARGS, uint32_t level, const uint8_t* alphaMap, const uint16_t* src,
                          uint16_t* dst) {
    Chosen(&BlitReference::v_AlphaMapFade, &BlitFast::v_AlphaMapFade)(o_ClipToBounds(KRX_FRAME), level, alphaMap, src, dst);
}

void v_Blt555AlphaMapDarken(KRX_FRAME_ARGS, uint32_t level, const uint8_t* alphaMap, const uint16_t* src,
                            uint16_t* dst) {
    Chosen(&BlitReference::v_AlphaMapDarken, &BlitFast::v_AlphaMapDarken)(o_ClipToBounds(KRX_FRAME), level, alphaMap, src, dst);
}

void v_Blt555AlphaMapLighten(KRX_FRAME_ARGS, uint32_t level, const uint8_t* alphaMap, const uint16_t* src,
                             uint16_t* dst) {
    Chosen(&BlitReference::v_AlphaMapLighten, &BlitFast::v_AlphaMapLighten)(o_ClipToBounds(KRX_FRAME), level, alphaMap, src, dst);
}

void v_Blt555OpaqueClipped(KRX_FRAME_ARGS, const uint16_t* src, uint16_t* dst) {
    Chosen(&BlitReference::v_Copy, &BlitFast::v_Copy)(o_ClipToBounds(KRX_FRAME), src, dst);
}
#undef KRX_FRAME
#undef KRX_FRAME_ARGS
