#include "engine/blit/block_copy.h"

#include <algorithm>
#include <cstddef>
#include <cstring>

namespace {

template <class T>
void v_CopyFrom(int32_t x, int32_t y, int32_t w, int32_t h, int32_t pitch, const T* src, T* dst) {
    if (!src || !dst || w <= 0 || h <= 0) return;
    const T* s = src + (static_cast<std::ptrdiff_t>(y) * pitch + x);
    for (int32_t r = 0; r < h; ++r, s += pitch, dst += w)
        std::memcpy(dst, s, sizeof(T) * static_cast<size_t>(w));
}

} // namespace

void v_CopyRectFrom16(int32_t x, int32_t y, int32_t w, int32_t h, int32_t pitch, const uint16_t* src,
                      uint16_t* dst) {
    v_CopyFrom(x, y, w, h, pitch, src, dst);
}

void v_CopyRectFrom16Word(int32_t x, int32_t y, int32_t w, int32_t h, int32_t pitch, const uint16_t* src,
                          uint16_t* dst) {
    v_CopyFrom(x, y, w, h, pitch, src, dst);
}

void v_CopyRectFrom8(int32_t x, int32_t y, int32_t w, int32_t h, int32_t pitch, const uint8_t* src,
                     uint8_t* dst) {
    v_CopyFrom(x, y, w, h, pitch, src, dst);
}

void v_CopyRectFrom8Dword(int32_t x, int32_t y, int32_t w, int32_t h, int32_t pitch, const uint8_t* src,
                          uint8_t* dst) {
    v_CopyFrom(x, y, w, h, pitch, src, dst);
}

void v_CopyRectTo8(int32_t w, int32_t h, int32_t pitch, const uint8_t* src, uint8_t* dst) {
    if (!src || !dst || w <= 0 || h <= 0) return;
    for (int32_t r = 0; r < h; ++r, src += w, dst += pitch)
        std::memcpy(dst, src, static_cast<size_t>(w));
}

void v_FillRect16(int32_t x, int32_t y, int32_t w, int32_t h, int32_t pitch, uint32_t value, uint16_t* dst) {
    if (!dst || w <= 0 || h <= 0) return;
    // The element pairs paint w rounded up to even, unless that would cross
    // into the next row (or past the end of the last).
    const int64_t painted = (w % 2 != 0 && int64_t{x} + w < pitch) ? int64_t{w} + 1 : w;
    uint16_t* d = dst + (static_cast<std::ptrdiff_t>(y) * pitch + x);
    for (int32_t r = 0; r < h; ++r, d += pitch)
        std::fill_n(d, painted, static_cast<uint16_t>(value));
}

void v_BltKeyClip16(int32_t x, int32_t y, int32_t w, int32_t h, int32_t pitch, int32_t clipLeft,
                    int32_t clipTop, int32_t clipRight, int32_t clipBottom, const uint16_t* src,
                    uint16_t* dst) {
    if (!src || !dst) return;
    const int64_t lastRow = std::min<int64_t>(int64_t{y} + h - 1, clipBottom);
    const int64_t lastColumn = std::min<int64_t>(int64_t{x} + w - 1, clipRight);
    const int64_t firstRow = std::max(y, clipTop);
    const int64_t firstColumn = std::max(x, clipLeft);
    if (lastRow < firstRow || lastColumn < firstColumn) return;
    for (int64_t row = firstRow; row <= lastRow; ++row) {
        const uint16_t* s = src + ((row - y) * w + (firstColumn - x));
        uint16_t* d = dst + (row * pitch + firstColumn);
        for (int64_t c = 0; c <= lastColumn - firstColumn; ++c)
            if (s[c] != 0) d[c] = s[c];
    }
}
