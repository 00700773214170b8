#include "engine/blit/blit_mask.h"

#include <algorithm>

#include "engine/blit/blit_region.h"
#include "engine/blit/pixel555.h"

namespace {

// boost(c, s) gives channel c's source value before the blend; it may pass
// 31, and only the blend's result is capped.
template <class Boost>
void v_Masked(int32_t x, int32_t y, int32_t w, int32_t h, int32_t dstW, int32_t dstH, int32_t cap,
              const uint8_t* mask, const uint16_t* src, uint16_t* dst, Boost boost) {
    if (!mask || !src || !dst) return;
    const ss_BlitRegion r = o_ClipToBounds(x, y, w, h, dstW, dstH);
    const int32_t n = r.span & ~3;
    v_ForEachRow(r, [&](std::ptrdiff_t si, std::ptrdiff_t di) {
        const uint16_t* s = src + si;
        uint16_t* d = dst + di;
        const uint8_t* m = mask + di;
        for (int32_t i = 0; i < n; i += 4) {
            if ((s[i] | s[i + 1] | s[i + 2] | s[i + 3]) == 0) continue;
            for (int32_t k = i; k < i + 4; ++k) {
                if (s[k] == 0) continue;
                const int32_t weight = std::min<int32_t>({m[k], cap, 32});
                d[k] = px555::Map(s[k], d[k], [&](int c, int32_t cs, int32_t cd) {
                    return std::min(31, (boost(c, cs) * weight + cd * (32 - weight)) / 32);
                });
            }
        }
    });
}

constexpr int32_t kNoCap = 32;

auto Plain() {
    return [](int, int32_t s) { return s; };
}
auto Brightened(uint32_t level) {
    return [l = px555::LowByte(level)](int, int32_t s) { return s + s * l / 32; };
}
auto DarkenedDown(uint32_t level) {
    return [l = px555::LowByte(level)](int, int32_t s) { return std::max(0, s - s * l / 32); };
}
// Green and red lose their share rounded up, as the in-place lanes compute it.
auto DarkenedMixed(uint32_t level) {
    return [l = px555::LowByte(level)](int c, int32_t s) {
        return c == 0 ? std::max(0, s - s * l / 32) : std::max(0, 32 * s - s * l) / 32;
    };
}

} // namespace

void v_Blt555MaskBlend(int32_t x, int32_t y, int32_t w, int32_t h, int32_t dstW, int32_t dstH,
                       const uint8_t* mask, const uint16_t* src, uint16_t* dst) {
    v_Masked(x, y, w, h, dstW, dstH, kNoCap, mask, src, dst, Plain());
}

void v_Blt555MaskBrighten(int32_t x, int32_t y, int32_t w, int32_t h, int32_t dstW, int32_t dstH,
                          uint32_t level, const uint8_t* mask, const uint16_t* src, uint16_t* dst) {
    v_Masked(x, y, w, h, dstW, dstH, kNoCap, mask, src, dst, Brightened(level));
}

void v_Blt555MaskDarken(int32_t x, int32_t y, int32_t w, int32_t h, int32_t dstW, int32_t dstH,
                        uint32_t level, const uint8_t* mask, const uint16_t* src, uint16_t* dst) {
    v_Masked(x, y, w, h, dstW, dstH, kNoCap, mask, src, dst, DarkenedMixed(level));
}

void v_Blt555MaskAlpha(int32_t x, int32_t y, int32_t w, int32_t h, int32_t dstW, int32_t dstH, uint32_t cap,
                       const uint8_t* mask, const uint16_t* src, uint16_t* dst) {
    v_Masked(x, y, w, h, dstW, dstH, px555::LowByte(cap), mask, src, dst, Plain());
}

void v_Blt555MaskAlphaBrighten(int32_t x, int32_t y, int32_t w, int32_t h, int32_t dstW, int32_t dstH,
                               uint32_t cap, uint32_t level, const uint8_t* mask, const uint16_t* src,
                               uint16_t* dst) {
    v_Masked(x, y, w, h, dstW, dstH, px555::LowByte(cap), mask, src, dst, Brightened(level));
}

void v_Blt555MaskAlphaDarken(int32_t x, int32_t y, int32_t w, int32_t h, int32_t dstW, int32_t dstH,
                             uint32_t cap, uint32_t level, const uint8_t* mask, const uint16_t* src,
                             uint16_t* dst) {
    v_Masked(x, y, w, h, dstW, dstH, px555::LowByte(cap), mask, src, dst, DarkenedDown(level));
}
