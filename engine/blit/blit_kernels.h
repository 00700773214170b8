#pragma once
#include <cstdint>

// Row kernels: one visible row of n pixels (n >= 4), drawn as n div 4 groups
// of four and then the n mod 4 tail pixels. Callers without a tail pass n
// rounded down to whole groups. Uniform alphas arrive clamped to 0..32 and
// levels as 0..255. Maps are addressed with the source's pixel index.
//
// The scalar set is the reference; the vector set replaces the kernels that
// the benchmark shows to pay and inherits the rest.
struct ScalarKernels {
    static void v_Copy(const uint16_t* s, uint16_t* d, int32_t n);
    static void v_Key(const uint16_t* s, uint16_t* d, int32_t n);
    static void v_Brighten(const uint16_t* s, uint16_t* d, int32_t n, int32_t level);
    static void v_Darken(const uint16_t* s, uint16_t* d, int32_t n, int32_t level);
    static void v_Alpha(const uint16_t* s, uint16_t* d, int32_t n, int32_t a);
    static void v_AlphaK(const uint16_t* s, uint16_t* d, int32_t n, int32_t a, int32_t k);
    static void v_Tint(const uint16_t* s, uint16_t* d, int32_t n, uint16_t add, uint16_t sub);
    static void v_TintAlphaK(const uint16_t* s, uint16_t* d, int32_t n, uint16_t add, uint16_t sub, int32_t a,
                             int32_t k);
    // A null map adds or subtracts nothing.
    static void v_ColourMaps(const uint16_t* s, uint16_t* d, int32_t n, const uint16_t* addMap,
                             const uint16_t* subMap);
    static void v_AlphaMap(const uint16_t* s, uint16_t* d, int32_t n, const uint8_t* am);
    static void v_AlphaMapFade(const uint16_t* s, uint16_t* d, int32_t n, int32_t level, const uint8_t* am);
    static void v_AlphaMapDarken(const uint16_t* s, uint16_t* d, int32_t n, int32_t level, const uint8_t* am);
    static void v_AlphaMapLighten(const uint16_t* s, uint16_t* d, int32_t n, int32_t level,
                                  const uint8_t* am);
};

#if defined(__SSE2__)
struct Sse2Kernels : ScalarKernels {
    static void v_Key(const uint16_t* s, uint16_t* d, int32_t n);
    static void v_Brighten(const uint16_t* s, uint16_t* d, int32_t n, int32_t level);
    static void v_Darken(const uint16_t* s, uint16_t* d, int32_t n, int32_t level);
    static void v_Alpha(const uint16_t* s, uint16_t* d, int32_t n, int32_t a);
    static void v_AlphaK(const uint16_t* s, uint16_t* d, int32_t n, int32_t a, int32_t k);
    static void v_Tint(const uint16_t* s, uint16_t* d, int32_t n, uint16_t add, uint16_t sub);
    static void v_TintAlphaK(const uint16_t* s, uint16_t* d, int32_t n, uint16_t add, uint16_t sub, int32_t a,
                             int32_t k);
    static void v_ColourMaps(const uint16_t* s, uint16_t* d, int32_t n, const uint16_t* addMap,
                             const uint16_t* subMap);
    static void v_AlphaMap(const uint16_t* s, uint16_t* d, int32_t n, const uint8_t* am);
    static void v_AlphaMapFade(const uint16_t* s, uint16_t* d, int32_t n, int32_t level, const uint8_t* am);
    static void v_AlphaMapDarken(const uint16_t* s, uint16_t* d, int32_t n, int32_t level, const uint8_t* am);
    static void v_AlphaMapLighten(const uint16_t* s, uint16_t* d, int32_t n, int32_t level,
                                  const uint8_t* am);
};
using FastKernels = Sse2Kernels;
#else
using FastKernels = ScalarKernels;
#endif
