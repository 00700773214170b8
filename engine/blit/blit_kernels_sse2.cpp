#include "engine/blit/blit_kernels.h"

#if defined(__SSE2__)
#include <emmintrin.h>

#include <cstring>

// Eight pixels, two groups of four, per 128-bit step; a last whole group
// runs in the low half, and the tail goes to the scalar kernels, which hold
// the same per-pixel arithmetic.

namespace {

inline __m128i Load8(const uint16_t* p) {
    return _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
}
inline void Store8(uint16_t* p, __m128i v) {
    _mm_storeu_si128(reinterpret_cast<__m128i*>(p), v);
}
inline __m128i Load4(const uint16_t* p) {
    return _mm_loadl_epi64(reinterpret_cast<const __m128i*>(p));
}
inline void Store4(uint16_t* p, __m128i v) {
    _mm_storel_epi64(reinterpret_cast<__m128i*>(p), v);
}

// Alpha bytes widened to 16-bit lanes.
inline __m128i LoadAlpha8(const uint8_t* p) {
    return _mm_unpacklo_epi8(_mm_loadl_epi64(reinterpret_cast<const __m128i*>(p)), _mm_setzero_si128());
}
inline __m128i LoadAlpha4(const uint8_t* p) {
    int32_t v;
    std::memcpy(&v, p, 4);
    return _mm_unpacklo_epi8(_mm_cvtsi32_si128(v), _mm_setzero_si128());
}
inline uint64_t l_Bytes8(const uint8_t* p) {
    uint64_t v;
    std::memcpy(&v, p, 8);
    return v;
}

inline __m128i Select(__m128i mask, __m128i ifSet, __m128i ifClear) {
    return _mm_or_si128(_mm_and_si128(mask, ifSet), _mm_andnot_si128(mask, ifClear));
}

// Every lane of a group of four set when all four are set.
inline __m128i GroupAll(__m128i m) {
    m = _mm_and_si128(m, _mm_shufflehi_epi16(_mm_shufflelo_epi16(m, 0xB1), 0xB1));
    return _mm_and_si128(m, _mm_shufflehi_epi16(_mm_shufflelo_epi16(m, 0x4E), 0x4E));
}

// (s x a + d x (32 - a)) div 32 per channel, a in 0..32 per lane. Green is
// worked on in place and red one step down (in steps of 32), so every sum
// stays within 31 x 32 x 32 and fits the unsigned 16-bit lanes.
inline __m128i Blend(__m128i s, __m128i d, __m128i a) {
    const __m128i blue = _mm_set1_epi16(0x001F);
    const __m128i green = _mm_set1_epi16(0x03E0);
    const __m128i red = _mm_set1_epi16(0x7C00);
    const __m128i ia = _mm_sub_epi16(_mm_set1_epi16(32), a);
    const __m128i b = _mm_srli_epi16(_mm_add_epi16(_mm_mullo_epi16(_mm_and_si128(s, blue), a),
                                                   _mm_mullo_epi16(_mm_and_si128(d, blue), ia)),
                                     5);
    const __m128i g =
        _mm_and_si128(_mm_srli_epi16(_mm_add_epi16(_mm_mullo_epi16(_mm_and_si128(s, green), a),
                                                   _mm_mullo_epi16(_mm_and_si128(d, green), ia)),
                                     5),
                      green);
    const __m128i r =
        _mm_and_si128(_mm_add_epi16(_mm_mullo_epi16(_mm_and_si128(_mm_srli_epi16(s, 5), green), a),
                                    _mm_mullo_epi16(_mm_and_si128(_mm_srli_epi16(d, 5), green), ia)),
                      red);
    return _mm_or_si128(b, _mm_or_si128(g, r));
}

inline __m128i KeyLanes(__m128i s) {
    return _mm_cmpeq_epi16(s, _mm_setzero_si128());
}

inline __m128i AlphaMapLanes(__m128i s, __m128i d, __m128i a) {
    const __m128i zero = _mm_setzero_si128();
    const __m128i untouched = GroupAll(_mm_cmpeq_epi16(a, zero));
    const __m128i raw = GroupAll(_mm_cmpeq_epi16(a, _mm_set1_epi16(31)));
    const __m128i blended = Blend(s, d, _mm_min_epi16(a, _mm_set1_epi16(32)));
    return Select(raw, s, Select(_mm_or_si128(untouched, KeyLanes(s)), d, blended));
}

inline __m128i AlphaMapFadeLanes(__m128i s, __m128i d, __m128i a, __m128i cap) {
    const __m128i zero = _mm_setzero_si128();
    const __m128i untouched = GroupAll(_mm_cmpeq_epi16(a, zero));
    const __m128i opaque = GroupAll(_mm_cmpeq_epi16(a, _mm_set1_epi16(31)));
    const __m128i eff = Select(opaque, cap, _mm_min_epi16(a, cap));
    return Select(_mm_or_si128(untouched, KeyLanes(s)), d, Blend(s, d, eff));
}

// Lane widths of a step: eight pixels, or four in the low half.
struct Eight {
    static __m128i Load(const uint16_t* p) { return Load8(p); }
    static void Store(uint16_t* p, __m128i v) { Store8(p, v); }
    static __m128i Alpha(const uint8_t* p) { return LoadAlpha8(p); }
};
struct Four {
    static __m128i Load(const uint16_t* p) { return Load4(p); }
    static void Store(uint16_t* p, __m128i v) { Store4(p, v); }
    static __m128i Alpha(const uint8_t* p) { return LoadAlpha4(p); }
};

// A keyed row: px(width, s, d, i) computes the lanes at pixel i; transparent
// lanes keep the destination, and eight transparent pixels are not written.
template <class Px, class Tail>
inline void v_KeyedRow(const uint16_t* s, uint16_t* d, int32_t n, Px px, Tail tail) {
    int32_t i = 0;
    for (; i + 8 <= n; i += 8) {
        const __m128i sv = Load8(s + i);
        const __m128i key = KeyLanes(sv);
        if (_mm_movemask_epi8(key) == 0xFFFF) continue;
        const __m128i dv = Load8(d + i);
        Store8(d + i, Select(key, dv, px(Eight{}, sv, dv, i)));
    }
    if (i + 4 <= n) {
        const __m128i sv = Load4(s + i);
        const __m128i dv = Load4(d + i);
        Store4(d + i, Select(KeyLanes(sv), dv, px(Four{}, sv, dv, i)));
        i += 4;
    }
    if (i < n) tail(i);
}

// Channels as lanes of 0..31.
struct ss_Channels {
    __m128i c[3];
};
inline ss_Channels Split(__m128i p) {
    const __m128i m = _mm_set1_epi16(31);
    return {{_mm_and_si128(p, m), _mm_and_si128(_mm_srli_epi16(p, 5), m),
             _mm_and_si128(_mm_srli_epi16(p, 10), m)}};
}
inline __m128i Join(__m128i b, __m128i g, __m128i r) {
    return _mm_or_si128(b, _mm_or_si128(_mm_slli_epi16(g, 5), _mm_slli_epi16(r, 10)));
}
// f(channel index, source channel, destination channel) per channel.
template <class F> inline __m128i PerChannel(__m128i s, __m128i d, F f) {
    const ss_Channels a = Split(s), b = Split(d);
    return Join(f(0, a.c[0], b.c[0]), f(1, a.c[1], b.c[1]), f(2, a.c[2], b.c[2]));
}

inline __m128i Clamp31(__m128i v) {
    return _mm_min_epi16(_mm_max_epi16(v, _mm_setzero_si128()), _mm_set1_epi16(31));
}
// c x k div 32 for products up to 32 bits whose quotient fits 16.
inline __m128i MulShift5(__m128i c, __m128i k) {
    return _mm_or_si128(_mm_slli_epi16(_mm_mulhi_epu16(c, k), 11), _mm_srli_epi16(_mm_mullo_epi16(c, k), 5));
}
inline __m128i BlendK(__m128i cs, __m128i cd, __m128i k, __m128i ia) {
    return _mm_srli_epi16(_mm_add_epi16(MulShift5(cs, k), _mm_mullo_epi16(cd, ia)), 5);
}
inline __m128i BlendCh(__m128i cs, __m128i cd, __m128i a) {
    const __m128i ia = _mm_sub_epi16(_mm_set1_epi16(32), a);
    return _mm_srli_epi16(_mm_add_epi16(_mm_mullo_epi16(cs, a), _mm_mullo_epi16(cd, ia)), 5);
}
inline __m128i Set(int32_t v) {
    return _mm_set1_epi16(static_cast<int16_t>(v));
}

// An alpha-mapped row with only the all-zero group shortcut: shift(cs)
// gives the source channel that is blended.
template <class Shift, class Tail>
inline void v_AlphaMappedRow(const uint16_t* s, uint16_t* d, int32_t n, const uint8_t* am, Shift shift,
                             Tail tail) {
    auto lanes = [&](auto width, int32_t i) {
        const __m128i sv = width.Load(s + i);
        const __m128i dv = width.Load(d + i);
        const __m128i a = width.Alpha(am + i);
        const __m128i untouched = GroupAll(_mm_cmpeq_epi16(a, _mm_setzero_si128()));
        const __m128i eff = _mm_min_epi16(a, _mm_set1_epi16(32));
        const __m128i blended =
            PerChannel(sv, dv, [&](int, __m128i cs, __m128i cd) { return BlendCh(shift(cs), cd, eff); });
        width.Store(d + i, Select(_mm_or_si128(untouched, KeyLanes(sv)), dv, blended));
    };
    int32_t i = 0;
    for (; i + 8 <= n; i += 8)
        if (l_Bytes8(am + i) != 0) lanes(Eight{}, i);
    if (i + 4 <= n) {
        lanes(Four{}, i);
        i += 4;
    }
    if (i < n) tail(i);
}

} // namespace

void Sse2Kernels::v_Key(const uint16_t* s, uint16_t* d, int32_t n) {
    int32_t i = 0;
    for (; i + 8 <= n; i += 8) {
        const __m128i sv = Load8(s + i);
        const __m128i key = KeyLanes(sv);
        const int bits = _mm_movemask_epi8(key);
        if (bits == 0xFFFF) continue;
        if (bits == 0) {
            Store8(d + i, sv);
            continue;
        }
        Store8(d + i, Select(key, Load8(d + i), sv));
    }
    if (i + 4 <= n) {
        const __m128i sv = Load4(s + i);
        Store4(d + i, Select(KeyLanes(sv), Load4(d + i), sv));
        i += 4;
    }
    if (i < n) ScalarKernels::v_Key(s + i, d + i, n - i);
}

void Sse2Kernels::v_Alpha(const uint16_t* s, uint16_t* d, int32_t n, int32_t a) {
    const __m128i av = _mm_set1_epi16(static_cast<int16_t>(a));
    int32_t i = 0;
    for (; i + 8 <= n; i += 8) {
        const __m128i sv = Load8(s + i);
        const __m128i key = KeyLanes(sv);
        if (_mm_movemask_epi8(key) == 0xFFFF) continue;
        const __m128i dv = Load8(d + i);
        Store8(d + i, Select(key, dv, Blend(sv, dv, av)));
    }
    if (i + 4 <= n) {
        const __m128i sv = Load4(s + i);
        const __m128i dv = Load4(d + i);
        Store4(d + i, Select(KeyLanes(sv), dv, Blend(sv, dv, av)));
        i += 4;
    }
    if (i < n) ScalarKernels::v_Alpha(s + i, d + i, n - i, a);
}

void Sse2Kernels::v_AlphaMap(const uint16_t* s, uint16_t* d, int32_t n, const uint8_t* am) {
    int32_t i = 0;
    for (; i + 8 <= n; i += 8) {
        const uint64_t bytes = l_Bytes8(am + i);
        if (bytes == 0) continue;
        const __m128i sv = Load8(s + i);
        if (bytes == 0x1F1F1F1F1F1F1F1Full) {
            Store8(d + i, sv);
            continue;
        }
        Store8(d + i, AlphaMapLanes(sv, Load8(d + i), LoadAlpha8(am + i)));
    }
    if (i + 4 <= n) {
        Store4(d + i, AlphaMapLanes(Load4(s + i), Load4(d + i), LoadAlpha4(am + i)));
        i += 4;
    }
    if (i < n) ScalarKernels::v_AlphaMap(s + i, d + i, n - i, am + i);
}

void Sse2Kernels::v_AlphaMapFade(const uint16_t* s, uint16_t* d, int32_t n, int32_t level,
                                 const uint8_t* am) {
    const __m128i cap = _mm_set1_epi16(static_cast<int16_t>(level < 32 ? level : 32));
    int32_t i = 0;
    for (; i + 8 <= n; i += 8) {
        if (l_Bytes8(am + i) == 0) continue;
        Store8(d + i, AlphaMapFadeLanes(Load8(s + i), Load8(d + i), LoadAlpha8(am + i), cap));
    }
    if (i + 4 <= n) {
        Store4(d + i, AlphaMapFadeLanes(Load4(s + i), Load4(d + i), LoadAlpha4(am + i), cap));
        i += 4;
    }
    if (i < n) ScalarKernels::v_AlphaMapFade(s + i, d + i, n - i, level, am + i);
}

void Sse2Kernels::v_Brighten(const uint16_t* s, uint16_t* d, int32_t n, int32_t level) {
    const __m128i l = Set(level), top = Set(31);
    v_KeyedRow(
        s, d, n,
        [&](auto, __m128i sv, __m128i dv, int32_t) {
            return PerChannel(sv, dv, [&](int, __m128i c, __m128i) {
                return _mm_min_epi16(_mm_add_epi16(c, _mm_srli_epi16(_mm_mullo_epi16(c, l), 5)), top);
            });
        },
        [&](int32_t i) { ScalarKernels::v_Brighten(s + i, d + i, n - i, level); });
}

void Sse2Kernels::v_Darken(const uint16_t* s, uint16_t* d, int32_t n, int32_t level) {
    const __m128i l = Set(level), zero = _mm_setzero_si128();
    v_KeyedRow(
        s, d, n,
        [&](auto, __m128i sv, __m128i dv, int32_t) {
            return PerChannel(sv, dv, [&](int ch, __m128i c, __m128i) {
                const __m128i cl = _mm_mullo_epi16(c, l);
                if (ch == 0) return _mm_max_epi16(_mm_sub_epi16(c, _mm_srli_epi16(cl, 5)), zero);
                return _mm_srli_epi16(_mm_max_epi16(_mm_sub_epi16(_mm_slli_epi16(c, 5), cl), zero), 5);
            });
        },
        [&](int32_t i) { ScalarKernels::v_Darken(s + i, d + i, n - i, level); });
}

void Sse2Kernels::v_AlphaK(const uint16_t* s, uint16_t* d, int32_t n, int32_t a, int32_t k) {
    const __m128i kv = Set(k), ia = Set(32 - a), top = Set(31);
    v_KeyedRow(
        s, d, n,
        [&](auto, __m128i sv, __m128i dv, int32_t) {
            return PerChannel(sv, dv, [&](int, __m128i cs, __m128i cd) {
                return _mm_min_epi16(BlendK(cs, cd, kv, ia), top);
            });
        },
        [&](int32_t i) { ScalarKernels::v_AlphaK(s + i, d + i, n - i, a, k); });
}

void Sse2Kernels::v_Tint(const uint16_t* s, uint16_t* d, int32_t n, uint16_t add, uint16_t sub) {
    const ss_Channels plus = Split(Set(add)), minus = Split(Set(sub));
    v_KeyedRow(
        s, d, n,
        [&](auto, __m128i sv, __m128i dv, int32_t) {
            return PerChannel(sv, dv, [&](int ch, __m128i c, __m128i) {
                return Clamp31(_mm_sub_epi16(_mm_add_epi16(c, plus.c[ch]), minus.c[ch]));
            });
        },
        [&](int32_t i) { ScalarKernels::v_Tint(s + i, d + i, n - i, add, sub); });
}

void Sse2Kernels::v_TintAlphaK(const uint16_t* s, uint16_t* d, int32_t n, uint16_t add, uint16_t sub,
                               int32_t a, int32_t k) {
    const ss_Channels plus = Split(Set(add)), minus = Split(Set(sub));
    const __m128i kv = Set(k), ia = Set(32 - a);
    v_KeyedRow(
        s, d, n,
        [&](auto, __m128i sv, __m128i dv, int32_t) {
            return PerChannel(sv, dv, [&](int ch, __m128i cs, __m128i cd) {
                return Clamp31(_mm_sub_epi16(_mm_add_epi16(BlendK(cs, cd, kv, ia), plus.c[ch]), minus.c[ch]));
            });
        },
        [&](int32_t i) { ScalarKernels::v_TintAlphaK(s + i, d + i, n - i, add, sub, a, k); });
}

void Sse2Kernels::v_ColourMaps(const uint16_t* s, uint16_t* d, int32_t n, const uint16_t* addMap,
                               const uint16_t* subMap) {
    v_KeyedRow(
        s, d, n,
        [&](auto width, __m128i sv, __m128i dv, int32_t i) {
            const ss_Channels plus = Split(addMap ? width.Load(addMap + i) : _mm_setzero_si128());
            const ss_Channels minus = Split(subMap ? width.Load(subMap + i) : _mm_setzero_si128());
            return PerChannel(sv, dv, [&](int ch, __m128i c, __m128i) {
                return Clamp31(_mm_sub_epi16(_mm_add_epi16(c, plus.c[ch]), minus.c[ch]));
            });
        },
        [&](int32_t i) {
            ScalarKernels::v_ColourMaps(s + i, d + i, n - i, addMap ? addMap + i : nullptr,
                                        subMap ? subMap + i : nullptr);
        });
}

void Sse2Kernels::v_AlphaMapDarken(const uint16_t* s, uint16_t* d, int32_t n, int32_t level,
                                   const uint8_t* am) {
    const __m128i l = Set(level), zero = _mm_setzero_si128();
    v_AlphaMappedRow(
        s, d, n, am, [&](__m128i c) { return _mm_max_epi16(_mm_sub_epi16(c, l), zero); },
        [&](int32_t i) { ScalarKernels::v_AlphaMapDarken(s + i, d + i, n - i, level, am + i); });
}

void Sse2Kernels::v_AlphaMapLighten(const uint16_t* s, uint16_t* d, int32_t n, int32_t level,
                                    const uint8_t* am) {
    const __m128i l = Set(level), top = Set(31);
    v_AlphaMappedRow(
        s, d, n, am, [&](__m128i c) { return _mm_min_epi16(_mm_add_epi16(c, l), top); },
        [&](int32_t i) { ScalarKernels::v_AlphaMapLighten(s + i, d + i, n - i, level, am + i); });
}

#endif
