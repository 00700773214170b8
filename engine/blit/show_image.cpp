#include "engine/blit/show_image.h"

#include "engine/blit/blit_bounds.h"
#include "engine/blit/blit_mask.h"
#include "engine/blit/blit_rect.h"
#include "engine/blit/key_runs.h"

namespace {

// The effect arguments as the tests read them.
struct ss_Effects {
    int32_t alpha;      // signed byte
    int32_t brightness; // signed byte
    uint16_t addColour;
    uint16_t subColour;

    ss_Effects(int32_t a, int32_t b, uint32_t add, uint32_t sub)
        : alpha(static_cast<int8_t>(a)), brightness(static_cast<int8_t>(b)),
          addColour(static_cast<uint16_t>(add)), subColour(static_cast<uint16_t>(sub)) {}

    bool bColour() const { return addColour != 0 || subColour != 0; }
    // The level handed on: the byte itself, or its negation when darkening.
    uint32_t lLevel() const { return static_cast<uint32_t>(brightness < 0 ? -brightness : brightness); }
    uint32_t lAlpha() const { return static_cast<uint32_t>(alpha) & 0xFF; }
};

} // namespace

namespace {

void v_Show(int32_t x, int32_t y, int32_t w, int32_t h, int32_t dstW, int32_t dstH, int32_t alpha,
            int32_t brightness, uint32_t addColour, uint32_t subColour, const uint16_t* addMap,
            const uint16_t* subMap, const uint8_t* alphaMap, const uint16_t* src, uint16_t* dst,
            const sc_KeyRuns* runs) {
    if (!src || !dst) return;
    const ss_Effects e(alpha, brightness, addColour, subColour);
    if (x == 0 && y == 0 && dstW == 0) return v_Copy555Mmx(w, h, src, dst);
    if (dstH == 0) return v_Blt555Opaque(x, y, w, h, dstW, src, dst);
    if (addMap || subMap) return v_Blt555ColourMaps(x, y, w, h, dstW, dstH, addMap, subMap, src, dst);
    if (alphaMap) return v_Blt555AlphaMap(x, y, w, h, dstW, dstH, alphaMap, src, dst);
    if (e.brightness > 0 && e.bColour() && e.alpha != 0)
        return v_Blt555TintAlphaBrighten(x, y, w, h, dstW, dstH, e.addColour, e.subColour, e.lAlpha(),
                                         e.lLevel(), src, dst);
    if (e.brightness > 0 && e.alpha != 0)
        return v_Blt555AlphaBrighten(x, y, w, h, dstW, dstH, e.lAlpha(), e.lLevel(), src, dst);
    if (e.brightness < 0 && e.alpha != 0)
        return v_Blt555AlphaDarken(x, y, w, h, dstW, dstH, e.lAlpha(), e.lLevel(), src, dst);
    if (e.brightness > 0) return v_Blt555Brighten(x, y, w, h, dstW, dstH, e.lLevel(), src, dst);
    if (e.brightness < 0) return v_Blt555Darken(x, y, w, h, dstW, dstH, e.lLevel(), src, dst);
    if (e.alpha != 0) return v_Blt555Alpha(x, y, w, h, dstW, dstH, e.lAlpha(), src, dst);
    if (!e.bColour())
        return runs ? v_Blt555KeyRuns(x, y, w, h, dstW, dstH, *runs, src, dst)
                    : v_Blt555Key(x, y, w, h, dstW, dstH, src, dst);
    v_Blt555Tint(x, y, w, h, dstW, dstH, e.addColour, e.subColour, src, dst);
}

} // namespace

void v_ShowImage(int32_t x, int32_t y, int32_t w, int32_t h, int32_t dstW, int32_t dstH, int32_t alpha,
                 int32_t brightness, uint32_t addColour, uint32_t subColour, const uint16_t* addMap,
                 const uint16_t* subMap, const uint8_t* alphaMap, const uint16_t* src, uint16_t* dst) {
    v_Show(x, y, w, h, dstW, dstH, alpha, brightness, addColour, subColour, addMap, subMap, alphaMap, src, dst,
           nullptr);
}

void v_ShowImageKeyed(int32_t x, int32_t y, int32_t w, int32_t h, int32_t dstW, int32_t dstH, int32_t alpha,
                      int32_t brightness, uint32_t addColour, uint32_t subColour, const uint16_t* addMap,
                      const uint16_t* subMap, const uint8_t* alphaMap, const uint16_t* src, uint16_t* dst,
                      const sc_KeyRuns& runs) {
    v_Show(x, y, w, h, dstW, dstH, alpha, brightness, addColour, subColour, addMap, subMap, alphaMap, src, dst,
           &runs);
}

void v_ShowImageClip(int32_t x, int32_t y, int32_t w, int32_t h, int32_t dstW, int32_t dstH, int32_t alpha,
                     int32_t brightness, uint32_t addColour, uint32_t subColour, const uint16_t* addMap,
                     const uint16_t* subMap, int32_t clipLeft, int32_t clipTop, int32_t clipRight,
                     int32_t clipBottom, const uint8_t* alphaMap, const uint16_t* src, uint16_t* dst) {
    if (!src || !dst) return;
    const ss_Effects e(alpha, brightness, addColour, subColour);
    const int32_t t = clipTop, b = clipBottom, l = clipLeft, r = clipRight;
    if (x == 0 && y == 0 && dstW == 0) return v_Copy555Mmx(w, h, src, dst);
    if (dstH == 0) return v_Blt555Opaque(x, y, w, h, dstW, src, dst);
    if (addMap || subMap)
        return v_Blt555ColourMapsClip(x, y, w, h, dstW, dstH, t, b, l, r, addMap, subMap, src, dst);
    if (alphaMap) return v_Blt555AlphaMapClip(x, y, w, h, dstW, dstH, t, b, l, r, alphaMap, src, dst);
    if (e.brightness > 0 && e.bColour() && e.alpha != 0)
        return v_Blt555TintAlphaBrightenClip(x, y, w, h, dstW, dstH, t, b, l, r, e.addColour, e.subColour,
                                             e.lAlpha(), e.lLevel(), src, dst);
    if (e.brightness > 0 && e.alpha != 0)
        return v_Blt555AlphaBrightenClip(x, y, w, h, dstW, dstH, t, b, l, r, e.lAlpha(), e.lLevel(), src,
                                         dst);
    if (e.brightness < 0 && e.alpha != 0)
        return v_Blt555AlphaDarkenClip(x, y, w, h, dstW, dstH, t, b, l, r, e.lAlpha(), e.lLevel(), src, dst);
    if (e.brightness > 0)
        return v_Blt555BrightenClip(x, y, w, h, dstW, dstH, t, b, l, r, e.lLevel(), src, dst);
    if (e.brightness < 0) return v_Blt555DarkenClip(x, y, w, h, dstW, dstH, t, b, l, r, e.lLevel(), src, dst);
    if (e.alpha != 0) return v_Blt555AlphaClip(x, y, w, h, dstW, dstH, t, b, l, r, e.lAlpha(), src, dst);
    if (!e.bColour()) return v_Blt555KeyClip(x, y, w, h, dstW, dstH, t, b, l, r, src, dst);
    v_Blt555TintClip(x, y, w, h, dstW, dstH, t, b, l, r, e.addColour, e.subColour, src, dst);
}

void v_ShowImageMask(int32_t x, int32_t y, int32_t w, int32_t h, int32_t dstW, int32_t dstH, int32_t alpha,
                     int32_t brightness, uint32_t addColour, uint32_t subColour, const uint16_t* addMap,
                     const uint16_t* subMap, const uint8_t* alphaMap, const uint8_t* mask,
                     const uint16_t* src, uint16_t* dst) {
    if (!src || !dst) return;
    const ss_Effects e(alpha, brightness, addColour, subColour);
    if (x == 0 && y == 0 && dstW == 0) return v_Copy555Mmx(w, h, src, dst);
    if (dstH == 0) return v_Blt555Opaque(x, y, w, h, dstW, src, dst);
    if (addMap || subMap) return v_Blt555ColourMaps(x, y, w, h, dstW, dstH, addMap, subMap, src, dst);
    if (alphaMap) return v_Blt555AlphaMap(x, y, w, h, dstW, dstH, alphaMap, src, dst);
    if (e.brightness > 0 && e.bColour() && e.alpha != 0)
        return v_Blt555TintAlphaBrighten(x, y, w, h, dstW, dstH, e.addColour, e.subColour, e.lAlpha(),
                                         e.lLevel(), src, dst);
    const bool maskedAlpha = e.alpha != 0 && mask;
    if (e.brightness > 0 && maskedAlpha)
        return v_Blt555MaskAlphaBrighten(x, y, w, h, dstW, dstH, e.lAlpha(), e.lLevel(), mask, src, dst);
    if (e.brightness < 0 && maskedAlpha)
        return v_Blt555MaskAlphaDarken(x, y, w, h, dstW, dstH, e.lAlpha(), e.lLevel(), mask, src, dst);
    if (e.brightness > 0 && mask)
        return v_Blt555MaskBrighten(x, y, w, h, dstW, dstH, e.lLevel(), mask, src, dst);
    if (e.brightness < 0 && mask)
        return v_Blt555MaskDarken(x, y, w, h, dstW, dstH, e.lLevel(), mask, src, dst);
    if (maskedAlpha) return v_Blt555MaskAlpha(x, y, w, h, dstW, dstH, e.lAlpha(), mask, src, dst);
    if (!e.bColour()) {
        if (mask) return v_Blt555MaskBlend(x, y, w, h, dstW, dstH, mask, src, dst);
        return v_Blt555Key(x, y, w, h, dstW, dstH, src, dst);
    }
    v_Blt555Tint(x, y, w, h, dstW, dstH, e.addColour, e.subColour, src, dst);
}
