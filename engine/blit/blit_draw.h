#pragma once
#include <cstdint>

#include "engine/blit/blit_kernels.h"
#include "engine/blit/blit_region.h"
#include "engine/blit/pixel555.h"

// Every effect of the sprite blitters drawn over an already clipped region:
// the bounds-clipped and the rectangle-clipped routines differ only in the
// region they hand in. Effect words are read as the routines read them (low
// byte of alpha and level, alpha clamped to 32). BlitReference runs the
// scalar kernels, BlitFast the vector ones where they exist.
template <class K> struct BlitDraw {
    using Src = const uint16_t*;
    using Dst = uint16_t*;

    // A missing source or destination draws nothing.
    template <class Row> static void v_Rows(const ss_BlitRegion& r, Src src, Dst dst, Row&& row) {
        if (src && dst) v_ForEachRow(r, row);
    }

    static void v_Copy(const ss_BlitRegion& r, Src src, Dst dst) {
        v_Rows(r, src, dst, [&](auto s, auto d) { K::v_Copy(src + s, dst + d, r.span); });
    }
    static void v_Key(const ss_BlitRegion& r, Src src, Dst dst) {
        v_Rows(r, src, dst, [&](auto s, auto d) { K::v_Key(src + s, dst + d, r.span); });
    }
    static void v_Brighten(const ss_BlitRegion& r, uint32_t level, Src src, Dst dst) {
        const int32_t l = px555::LowByte(level);
        v_Rows(r, src, dst, [&](auto s, auto d) { K::v_Brighten(src + s, dst + d, r.span, l); });
    }
    static void v_Darken(const ss_BlitRegion& r, uint32_t level, Src src, Dst dst) {
        const int32_t l = px555::LowByte(level);
        v_Rows(r, src, dst, [&](auto s, auto d) { K::v_Darken(src + s, dst + d, r.span, l); });
    }
    static void v_Alpha(const ss_BlitRegion& r, uint32_t alpha, Src src, Dst dst) {
        const int32_t a = px555::ClampAlpha(alpha);
        v_Rows(r, src, dst, [&](auto s, auto d) { K::v_Alpha(src + s, dst + d, r.span, a); });
    }
    static void v_AlphaBrighten(const ss_BlitRegion& r, uint32_t alpha, uint32_t level, Src src, Dst dst) {
        const int32_t a = px555::ClampAlpha(alpha);
        const int32_t k = px555::BrightenK(a, px555::LowByte(level));
        v_Rows(r, src, dst, [&](auto s, auto d) { K::v_AlphaK(src + s, dst + d, r.span, a, k); });
    }
    static void v_AlphaDarken(const ss_BlitRegion& r, uint32_t alpha, uint32_t level, Src src, Dst dst) {
        const int32_t a = px555::ClampAlpha(alpha);
        const int32_t k = px555::DarkenK(a, px555::LowByte(level));
        v_Rows(r, src, dst, [&](auto s, auto d) { K::v_AlphaK(src + s, dst + d, r.span, a, k); });
    }
    static void v_Tint(const ss_BlitRegion& r, uint32_t addColour, uint32_t subColour, Src src, Dst dst) {
        const auto add = static_cast<uint16_t>(addColour);
        const auto sub = static_cast<uint16_t>(subColour);
        v_Rows(r, src, dst, [&](auto s, auto d) { K::v_Tint(src + s, dst + d, r.span, add, sub); });
    }
    static void v_TintAlphaBrighten(const ss_BlitRegion& r, uint32_t addColour, uint32_t subColour,
                                    uint32_t alpha, uint32_t level, Src src, Dst dst) {
        const auto add = static_cast<uint16_t>(addColour);
        const auto sub = static_cast<uint16_t>(subColour);
        const int32_t a = px555::ClampAlpha(alpha);
        const int32_t k = px555::BrightenK(a, px555::LowByte(level));
        v_Rows(r, src, dst,
               [&](auto s, auto d) { K::v_TintAlphaK(src + s, dst + d, r.span, add, sub, a, k); });
    }
    static void v_ColourMaps(const ss_BlitRegion& r, const uint16_t* addMap, const uint16_t* subMap, Src src,
                             Dst dst) {
        v_Rows(r, src, dst, [&](auto s, auto d) {
            K::v_ColourMaps(src + s, dst + d, r.span, addMap ? addMap + s : nullptr,
                            subMap ? subMap + s : nullptr);
        });
    }
    static void v_AlphaMap(const ss_BlitRegion& r, const uint8_t* alphaMap, Src src, Dst dst) {
        if (!alphaMap) return;
        v_Rows(r, src, dst, [&](auto s, auto d) { K::v_AlphaMap(src + s, dst + d, r.span, alphaMap + s); });
    }
    static void v_AlphaMapFade(const ss_BlitRegion& r, uint32_t level, const uint8_t* alphaMap, Src src,
                               Dst dst) {
        if (!alphaMap) return;
        const int32_t l = px555::LowByte(level);
        v_Rows(r, src, dst,
               [&](auto s, auto d) { K::v_AlphaMapFade(src + s, dst + d, r.span, l, alphaMap + s); });
    }
    static void v_AlphaMapDarken(const ss_BlitRegion& r, uint32_t level, const uint8_t* alphaMap, Src src,
                                 Dst dst) {
        if (!alphaMap) return;
        const int32_t l = px555::LowByte(level);
        v_Rows(r, src, dst,
               [&](auto s, auto d) { K::v_AlphaMapDarken(src + s, dst + d, r.span, l, alphaMap + s); });
    }
    static void v_AlphaMapLighten(const ss_BlitRegion& r, uint32_t level, const uint8_t* alphaMap, Src src,
                                  Dst dst) {
        if (!alphaMap) return;
        const int32_t l = px555::LowByte(level);
        v_Rows(r, src, dst,
               [&](auto s, auto d) { K::v_AlphaMapLighten(src + s, dst + d, r.span, l, alphaMap + s); });
    }
};

using BlitReference = BlitDraw<ScalarKernels>;
using BlitFast = BlitDraw<FastKernels>;

// The blitters draw with the reference kernels while this is set, so that a
// benchmark can show what the vector ones buy on whole frames. Off by default.
extern bool g_bScalarBlits;
inline void v_UseScalarBlits(bool on) { g_bScalarBlits = on; }
template <class F> inline F Chosen(F reference, F fast) { return g_bScalarBlits ? reference : fast; }
