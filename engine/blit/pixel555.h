#pragma once
#include <algorithm>
#include <cstdint>

// Per-pixel arithmetic of the 5-5-5 blitters (blue bits 0-4, green 5-9,
// red 10-14). Every routine builds its results from these, so the scalar
// kernels and the tails of the vector kernels agree by construction.
namespace px555 {

constexpr uint16_t kBlue = 0x001F;
constexpr uint16_t kGreen = 0x03E0;
constexpr uint16_t kRed = 0x7C00;

// Uniform alphas and mask weights above 32 would overflow the 16-bit lanes of
// the group arithmetic; they are read as 32, the source alone.
inline int32_t ClampAlpha(uint32_t a) {
    return static_cast<int32_t>(std::min<uint32_t>(a & 0xFF, 32));
}
inline int32_t LowByte(uint32_t v) {
    return static_cast<int32_t>(v & 0xFF);
}

inline int32_t Ch(uint16_t p, int c) {
    return (p >> (5 * c)) & 31;
}

// Rebuilt pixels have bit 15 clear.
inline uint16_t Pack(int32_t b, int32_t g, int32_t r) {
    return static_cast<uint16_t>(b | (g << 5) | (r << 10));
}

// f(channel index, source channel, destination channel) -> new channel 0..31.
template <class F> inline uint16_t Map(uint16_t s, uint16_t d, F f) {
    return Pack(f(0, Ch(s, 0), Ch(d, 0)), f(1, Ch(s, 1), Ch(d, 1)), f(2, Ch(s, 2), Ch(d, 2)));
}

inline int32_t Blend(int32_t s, int32_t d, int32_t a) {
    return (s * a + d * (32 - a)) >> 5;
}

inline uint16_t Alpha(uint16_t s, uint16_t d, int32_t a) {
    return Map(s, d, [a](int, int32_t cs, int32_t cd) { return Blend(cs, cd, a); });
}

inline uint16_t Brighten(uint16_t s, int32_t level) {
    return Map(s, 0, [level](int, int32_t cs, int32_t) { return std::min(31, cs + cs * level / 32); });
}

// Blue loses s*L/32 rounded down; green and red, worked on in place in steps
// of 32, lose it rounded up.
inline uint16_t Darken(uint16_t s, int32_t level) {
    return Map(s, 0, [level](int c, int32_t cs, int32_t) {
        if (c == 0) return std::max(0, cs - cs * level / 32);
        return std::max(0, 32 * cs - cs * level) / 32;
    });
}

// The blend of a brightened or darkened source: K is alpha x (32 +- level).
inline uint16_t AlphaK(uint16_t s, uint16_t d, int32_t a, int32_t k) {
    return Map(s, d, [a, k](int, int32_t cs, int32_t cd) {
        return std::min(31, ((cs * k / 32) + cd * (32 - a)) / 32);
    });
}

inline int32_t BrightenK(int32_t a, int32_t level) {
    return a * (32 + level);
}
inline int32_t DarkenK(int32_t a, int32_t level) {
    return std::max(0, a * 32 - a * level);
}

inline uint16_t Tint(uint16_t s, uint16_t add, uint16_t sub) {
    return Map(s, 0, [add, sub](int c, int32_t cs, int32_t) {
        return std::min(31, std::max(0, cs + Ch(add, c) - Ch(sub, c)));
    });
}

inline uint16_t TintAlphaK(uint16_t s, uint16_t d, uint16_t add, uint16_t sub, int32_t a, int32_t k) {
    return Map(s, d, [=](int c, int32_t cs, int32_t cd) {
        const int32_t blended = ((cs * k / 32) + cd * (32 - a)) / 32;
        return std::min(31, std::max(0, blended + Ch(add, c) - Ch(sub, c)));
    });
}

inline uint16_t AlphaMapDarken(uint16_t s, uint16_t d, int32_t a, int32_t level) {
    return Map(s, d, [=](int, int32_t cs, int32_t cd) { return Blend(std::max(0, cs - level), cd, a); });
}

inline uint16_t AlphaMapLighten(uint16_t s, uint16_t d, int32_t a, int32_t level) {
    return Map(s, d, [=](int, int32_t cs, int32_t cd) { return Blend(std::min(31, cs + level), cd, a); });
}

// Four alpha-map bytes of 31: the group counts as fully opaque.
constexpr uint32_t kOpaqueGroup = 0x1F1F1F1Fu;

} // namespace px555
