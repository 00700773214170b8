#include "tile2d/indexed_images.h"

#include <algorithm>
#include <cstring>

#include "tile2d/rle_walk.h"

using namespace t2d_rle;

namespace {

const uint16_t* g_pCurrentPalette = nullptr;

// Each channel's top 5 or 6 bits in the layout of the mode.
uint16_t RgbToMode(uint32_t r, uint32_t g, uint32_t b, uint8_t mode) {
    switch (mode) {
    case 1: return static_cast<uint16_t>((r >> 2) << 10 | (g >> 3) << 5 | b >> 3);
    case 2: return static_cast<uint16_t>((r >> 3) << 11 | (g >> 2) << 5 | b >> 3);
    case 3: return static_cast<uint16_t>((r >> 3) << 11 | (g >> 3) << 6 | b >> 2);
    default: return static_cast<uint16_t>((r >> 3) << 10 | (g >> 3) << 5 | b >> 3);
    }
}

// Hands every visible piece of the image, placed at (x, y) in a width x
// height buffer, to paint(buffer index, pixels, value).
template <class Paint>
void ClipWalk(int32_t x, int32_t y, const uint8_t* image, uint32_t bytes, int32_t width, int32_t height,
              Paint&& paint) {
    if (!image || bytes < 5 || width <= 0 || height <= 0) return;
    const uint32_t size = Load32(image + 1);
    const uint32_t w = size & 0xFFFF, h = size >> 16;
    if (w == 0 || y >= height || x >= width || static_cast<int64_t>(w) <= -static_cast<int64_t>(x)) return;
    const int64_t colL = x < 0 ? -static_cast<int64_t>(x) : 0;
    const int64_t colR = std::min<int64_t>(w, static_cast<int64_t>(width) - x);
    const int64_t rowT = y < 0 ? -static_cast<int64_t>(y) : 0;
    const int64_t rowB = std::min<int64_t>(h, static_cast<int64_t>(height) - y);
    if (rowT >= rowB) return;
    KeyCodes rd{image + 5, image + bytes, image[0]};
    int64_t row = 0, col = 0;
    uint32_t n;
    uint8_t v;
    while (rd.Next(n, v)) {
        while (n) {
            const uint32_t m = std::min<uint32_t>(n, static_cast<uint32_t>(w - col));
            if (row >= rowT) {
                const int64_t a = std::max(col, colL), b = std::min<int64_t>(col + m, colR);
                if (a < b)
                    paint(static_cast<size_t>((y + row) * width + x + a), static_cast<uint32_t>(b - a), v);
            }
            col += m;
            n -= m;
            if (col == w) {
                col = 0;
                if (++row >= rowB) return;
            }
        }
    }
}

} // namespace

void l_ConvertPalette(const uint8_t* rgb768, uint16_t* dest256, uint8_t mode) {
    if (!rgb768 || !dest256) return;
    const uint8_t m = mode <= 3 ? mode : 0;
    for (uint32_t i = 0; i < 256; ++i) {
        const uint8_t* c = rgb768 + 3 * i;
        dest256[i] = static_cast<uint16_t>(RgbToMode(c[0], c[1], c[2], m) | (m == 0 ? 0x8000 : 0));
    }
    g_pCurrentPalette = dest256;
}

const uint16_t* p_CurrentPalette() {
    return g_pCurrentPalette;
}

void v_ShowRle8Clip16(int32_t x, int32_t y, const uint8_t* image, uint32_t bytes, uint16_t* dest, int32_t width,
                      int32_t height) {
    const uint16_t* pal = g_pCurrentPalette;
    if (!pal || !dest) return;
    ClipWalk(x, y, image, bytes, width, height, [&](size_t at, uint32_t n, uint8_t v) {
        if (v) std::fill_n(dest + at, n, pal[v]);
    });
}

void v_ShowRle8Clip8(int32_t x, int32_t y, const uint8_t* image, uint32_t bytes, uint8_t* dest, int32_t width,
                     int32_t height) {
    if (!dest) return;
    ClipWalk(x, y, image, bytes, width, height, [&](size_t at, uint32_t n, uint8_t v) {
        if (v) std::fill_n(dest + at, n, v);
    });
}

bool v_ConvertTga24(const uint8_t* tga, uint32_t tgaBytes, uint8_t* out, uint32_t outBytes, uint8_t keyBlue,
                    uint8_t keyGreen, uint8_t keyRed) {
    if (!tga || !out || tgaBytes < 18 || tga[2] != 2 || tga[16] != 24) return false;
    const uint32_t w = Load16(tga + 12), h = Load16(tga + 14);
    // The pixels follow the header and an identification field of the
    // length byte 0 gives.
    const uint32_t start = 18u + tga[0];
    const uint64_t pixels = uint64_t{w} * h;
    if (start > tgaBytes || pixels * 3 > tgaBytes - start || 4 + pixels * 2 > outBytes) return false;
    const bool topDown = (tga[17] & 0x20) != 0;
    const uint8_t mode = g_oGfx.bPixelMode <= 3 ? g_oGfx.bPixelMode : 0;
    Store32(out, w | h << 16);
    // Stored bottom row first unless bit 5 of the descriptor says top first.
    for (uint32_t r = 0; r < h; ++r) {
        const uint8_t* src = tga + start + (topDown ? size_t{r} : size_t{h} - 1 - r) * w * 3;
        uint8_t* dst = out + 4 + size_t{r} * w * 2;
        for (uint32_t c = 0; c < w; ++c) {
            const uint8_t b = src[3 * c], g = src[3 * c + 1], red = src[3 * c + 2];
            uint16_t p = 0;
            if (b != keyBlue || g != keyGreen || red != keyRed) p = std::max<uint16_t>(RgbToMode(red, g, b, mode), 1);
            Store16(dst + 2 * c, p);
        }
    }
    return true;
}

uint32_t v_CutTga24(int32_t x, int32_t y, int32_t w, int32_t h, uint32_t tgaWidth, uint32_t tgaHeight, uint8_t* out,
                    uint32_t outBytes, const uint8_t* source, uint32_t sourceBytes, int32_t sourcePitch) {
    if (!out || tgaWidth > 0xFFFF || tgaHeight > 0xFFFF) return 0;
    const uint64_t total = 18 + uint64_t{tgaWidth} * tgaHeight * 3;
    if (total > outBytes) return 0;
    std::memset(out, 0, static_cast<size_t>(total));
    out[2] = 2;
    Store16(out + 12, static_cast<uint16_t>(tgaWidth));
    Store16(out + 14, static_cast<uint16_t>(tgaHeight));
    out[16] = 24;
    const int64_t cols = std::clamp<int64_t>(w, 0, tgaWidth), rows = std::clamp<int64_t>(h, 0, tgaHeight);
    for (int64_t i = 0; i < rows; ++i) {
        uint8_t* dst = out + 18 + static_cast<size_t>(tgaHeight - 1 - i) * tgaWidth * 3;
        for (int64_t j = 0; j < cols; ++j) {
            // The pixel index fits in 64 bits; its byte offset need not.
            const int64_t at = (y + i) * sourcePitch + x + j;
            if (!source || at < 0 || at >= static_cast<int64_t>(sourceBytes / 3)) continue;
            std::memcpy(dst + 3 * j, source + 3 * at, 3);
        }
    }
    return static_cast<uint32_t>(total);
}

void l_FillBytes(uint8_t* dest, uint32_t count, uint32_t pattern) {
    if (!dest) return;
    uint32_t i = 0;
    for (; count - i >= 4; i += 4)
        Store32(dest + i, pattern);
    if (count - i >= 2) {
        Store16(dest + i, static_cast<uint16_t>(pattern));
        i += 2;
    }
    if (count - i >= 1) dest[i] = static_cast<uint8_t>(pattern);
}

uint32_t l_CopyLine(const uint8_t* source, uint32_t sourceBytes, uint8_t* dest, uint32_t destBytes,
                    uint32_t maximum) {
    if (!dest || destBytes == 0) return 0;
    uint32_t limit = std::min(sourceBytes, destBytes - 1);
    if (maximum) limit = std::min(limit, maximum);
    uint32_t n = 0;
    while (source && n < limit && source[n] >= 0x20) {
        dest[n] = source[n];
        ++n;
    }
    dest[n] = 0;
    return n;
}

void l_CopyBytes(const uint8_t* source, uint8_t* dest, uint32_t count) {
    if (source && dest && count) std::memmove(dest, source, count);
}

void l_SwapBytes(uint8_t* a, uint8_t* b, uint32_t count) {
    if (!a || !b) return;
    for (uint32_t i = 0; i < count; ++i)
        std::swap(a[i], b[i]);
}
