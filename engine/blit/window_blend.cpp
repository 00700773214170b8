#include "engine/blit/window_blend.h"

#include <algorithm>
#include <cstring>

#include "engine/blit/blit_draw.h"

namespace {

void v_AlphaWindow(int32_t x, int32_t y, int32_t w, int32_t h, int32_t dstW, int32_t dstH, int32_t windowTop,
                   int32_t windowBottom, int32_t windowLeft, int32_t windowRight, int32_t a, int32_t k,
                   const uint16_t* src, uint16_t* dst) {
    if (!src || !dst) return;
    const ss_BlitRegion r = o_ClipToBounds(x, y, w, h, dstW, dstH);
    if (!r.bDrawable()) return;
    // The window's columns widen to whole groups counted from the first
    // visible column.
    const int32_t groups = r.span / 4;
    const int64_t right = int64_t{windowRight} - r.firstColumn;
    const int64_t left = int64_t{windowLeft} - r.firstColumn;
    if (right < 0 || left >= r.span) return;
    const int64_t firstGroup = left <= 0 ? 0 : left / 4;
    const int64_t lastGroup = std::min<int64_t>(right / 4, groups - 1);
    if (firstGroup > lastGroup) return;
    const int32_t n = static_cast<int32_t>(lastGroup - firstGroup + 1) * 4;
    const std::ptrdiff_t offset = static_cast<std::ptrdiff_t>(firstGroup) * 4;
    int32_t row = r.firstRow;
    v_ForEachRow(r, [&](std::ptrdiff_t s, std::ptrdiff_t d) {
        if (row >= windowTop && row <= windowBottom)
            Chosen(&ScalarKernels::v_AlphaK, &FastKernels::v_AlphaK)(src + s + offset, dst + d + offset, n, a, k);
        ++row;
    });
}

int32_t l_WindowAlpha(uint32_t alpha) {
    const int32_t a = px555::ClampAlpha(alpha);
    return a == 0 ? 31 : a;
}

} // namespace

void v_Blt555AlphaBrightenWindow(int32_t x, int32_t y, int32_t w, int32_t h, int32_t dstW, int32_t dstH,
                                 int32_t windowTop, int32_t windowBottom, int32_t windowLeft,
                                 int32_t windowRight, uint32_t alpha, uint32_t level, const uint16_t* src,
                                 uint16_t* dst) {
    const int32_t a = l_WindowAlpha(alpha);
    v_AlphaWindow(x, y, w, h, dstW, dstH, windowTop, windowBottom, windowLeft, windowRight, a,
                  px555::BrightenK(a, px555::LowByte(level)), src, dst);
}

void v_Blt555AlphaDarkenWindow(int32_t x, int32_t y, int32_t w, int32_t h, int32_t dstW, int32_t dstH,
                               int32_t windowTop, int32_t windowBottom, int32_t windowLeft,
                               int32_t windowRight, uint32_t alpha, uint32_t level, const uint16_t* src,
                               uint16_t* dst) {
    const int32_t a = l_WindowAlpha(alpha);
    v_AlphaWindow(x, y, w, h, dstW, dstH, windowTop, windowBottom, windowLeft, windowRight, a,
                  px555::DarkenK(a, px555::LowByte(level)), src, dst);
}

void v_Fill555Alpha(int32_t x, int32_t y, int32_t w, int32_t h, int32_t dstW, int32_t dstH, uint32_t alpha,
                    uint32_t colour, uint16_t* dst) {
    const auto c = static_cast<uint16_t>(colour);
    const int32_t a = px555::ClampAlpha(alpha);
    // Alpha 0 still rewrites every pixel with its own channels (bit 15 cleared,
    // as computed pixels are); only the key colour draws nothing.
    if (!dst || c == 0) return;
    const ss_BlitRegion r = o_ClipToBounds(x, y, w, h, dstW, dstH);
    const int32_t n = r.span & ~3;
    v_ForEachRow(r, [&](std::ptrdiff_t, std::ptrdiff_t d) {
        for (int32_t i = 0; i < n; ++i)
            dst[d + i] = px555::Alpha(c, dst[d + i], a);
    });
}

int32_t v_MaskOverlap8(int32_t x, int32_t y, int32_t w, int32_t h, int32_t dstW, int32_t dstH,
                       const uint8_t* src, const uint8_t* dst) {
    if (!src || !dst) return 0;
    const ss_BlitRegion r = o_ClipToBounds(x, y, w, h, dstW, dstH);
    if (r.rows <= 0 || r.span < 8) return 0;
    const int32_t n = r.span & ~7;
    std::ptrdiff_t s = r.srcStart;
    std::ptrdiff_t d = r.dstStart;
    for (int32_t row = 0; row < r.rows; ++row, s += r.srcPitch, d += r.dstPitch) {
        for (int32_t i = 0; i < n; i += 8) {
            uint64_t a, b;
            std::memcpy(&a, src + s + i, 8);
            std::memcpy(&b, dst + d + i, 8);
            if ((a & b) != 0) return 1;
        }
    }
    return 0;
}

void v_Shrink555By8(int32_t w, int32_t h, const uint16_t* src, uint16_t* dst) {
    if (!src || !dst || w < 8 || h < 8) return;
    const int32_t cols = w / 8;
    const int32_t rows = h / 8;
    for (int32_t i = 0; i < rows; ++i)
        for (int32_t j = 0; j < cols; ++j)
            dst[static_cast<std::ptrdiff_t>(i) * cols + j] =
                src[static_cast<std::ptrdiff_t>(i) * 8 * w + j * 8];
}
