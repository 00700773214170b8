#include <cstring>

#include "engine/blit/blit_kernels.h"
#include "engine/blit/pixel555.h"

// The effect kernels skip a group of four transparent source pixels without
// touching the destination; since a transparent pixel keeps its destination
// anyway, a per-pixel key gives the same memory and is what is written here.
// The alpha-map kernels decide on whole groups (all alpha 0: untouched, even
// where the source is opaque; all 31: shortcut), so they keep the groups.

namespace {

template <class Px> inline void v_Keyed(const uint16_t* s, uint16_t* d, int32_t n, Px px) {
    for (int32_t i = 0; i < n; ++i)
        if (s[i] != 0) d[i] = px(i, s[i], d[i]);
}

inline uint32_t l_Group(const uint8_t* am) {
    uint32_t v;
    std::memcpy(&v, am, 4);
    return v;
}

// allOpaque(i) stores group i's shortcut; px(i, s, d, a) blends one pixel.
template <class AllOpaque, class Px>
inline void v_AlphaMapped(const uint16_t* s, uint16_t* d, int32_t n, const uint8_t* am, AllOpaque allOpaque,
                          Px px) {
    int32_t i = 0;
    for (; i + 4 <= n; i += 4) {
        const uint32_t group = l_Group(am + i);
        if (group == 0) continue;
        if (group == px555::kOpaqueGroup && allOpaque(i)) continue;
        for (int32_t k = i; k < i + 4; ++k)
            if (s[k] != 0) d[k] = px(s[k], d[k], am[k]);
    }
    for (; i < n; ++i)
        if (s[i] != 0) d[i] = px(s[i], d[i], am[i]);
}

} // namespace

void ScalarKernels::v_Copy(const uint16_t* s, uint16_t* d, int32_t n) {
    std::memcpy(d, s, static_cast<size_t>(n) * 2);
}

void ScalarKernels::v_Key(const uint16_t* s, uint16_t* d, int32_t n) {
    v_Keyed(s, d, n, [](int32_t, uint16_t sp, uint16_t) { return sp; });
}

void ScalarKernels::v_Brighten(const uint16_t* s, uint16_t* d, int32_t n, int32_t level) {
    v_Keyed(s, d, n, [level](int32_t, uint16_t sp, uint16_t) { return px555::Brighten(sp, level); });
}

void ScalarKernels::v_Darken(const uint16_t* s, uint16_t* d, int32_t n, int32_t level) {
    v_Keyed(s, d, n, [level](int32_t, uint16_t sp, uint16_t) { return px555::Darken(sp, level); });
}

void ScalarKernels::v_Alpha(const uint16_t* s, uint16_t* d, int32_t n, int32_t a) {
    v_Keyed(s, d, n, [a](int32_t, uint16_t sp, uint16_t dp) { return px555::Alpha(sp, dp, a); });
}

void ScalarKernels::v_AlphaK(const uint16_t* s, uint16_t* d, int32_t n, int32_t a, int32_t k) {
    v_Keyed(s, d, n, [a, k](int32_t, uint16_t sp, uint16_t dp) { return px555::AlphaK(sp, dp, a, k); });
}

void ScalarKernels::v_Tint(const uint16_t* s, uint16_t* d, int32_t n, uint16_t add, uint16_t sub) {
    v_Keyed(s, d, n, [add, sub](int32_t, uint16_t sp, uint16_t) { return px555::Tint(sp, add, sub); });
}

void ScalarKernels::v_TintAlphaK(const uint16_t* s, uint16_t* d, int32_t n, uint16_t add, uint16_t sub,
                                 int32_t a, int32_t k) {
    v_Keyed(s, d, n,
            [=](int32_t, uint16_t sp, uint16_t dp) { return px555::TintAlphaK(sp, dp, add, sub, a, k); });
}

void ScalarKernels::v_ColourMaps(const uint16_t* s, uint16_t* d, int32_t n, const uint16_t* addMap,
                                 const uint16_t* subMap) {
    v_Keyed(s, d, n, [=](int32_t i, uint16_t sp, uint16_t) {
        return px555::Tint(sp, addMap ? addMap[i] : 0, subMap ? subMap[i] : 0);
    });
}

void ScalarKernels::v_AlphaMap(const uint16_t* s, uint16_t* d, int32_t n, const uint8_t* am) {
    // A fully opaque group stores its source words as they are, 0 included.
    v_AlphaMapped(
        s, d, n, am,
        [&](int32_t i) {
            std::memcpy(d + i, s + i, 8);
            return true;
        },
        [](uint16_t sp, uint16_t dp, uint8_t a) { return px555::Alpha(sp, dp, px555::ClampAlpha(a)); });
}

void ScalarKernels::v_AlphaMapFade(const uint16_t* s, uint16_t* d, int32_t n, int32_t level,
                                   const uint8_t* am) {
    // A fully opaque group blends at the level itself, keyed as usual.
    const int32_t cap = px555::ClampAlpha(static_cast<uint32_t>(level));
    v_AlphaMapped(
        s, d, n, am,
        [&](int32_t i) {
            for (int32_t k = i; k < i + 4; ++k)
                if (s[k] != 0) d[k] = px555::Alpha(s[k], d[k], cap);
            return true;
        },
        [cap](uint16_t sp, uint16_t dp, uint8_t a) {
            return px555::Alpha(sp, dp, std::min<int32_t>(a, cap));
        });
}

void ScalarKernels::v_AlphaMapDarken(const uint16_t* s, uint16_t* d, int32_t n, int32_t level,
                                     const uint8_t* am) {
    v_AlphaMapped(
        s, d, n, am, [](int32_t) { return false; },
        [level](uint16_t sp, uint16_t dp, uint8_t a) {
            return px555::AlphaMapDarken(sp, dp, px555::ClampAlpha(a), level);
        });
}

void ScalarKernels::v_AlphaMapLighten(const uint16_t* s, uint16_t* d, int32_t n, int32_t level,
                                      const uint8_t* am) {
    v_AlphaMapped(
        s, d, n, am, [](int32_t) { return false; },
        [level](uint16_t sp, uint16_t dp, uint8_t a) {
            return px555::AlphaMapLighten(sp, dp, px555::ClampAlpha(a), level);
        });
}
