#include "tile2d/mask_ops.h"

#include <algorithm>
#include <set>

#include "platform/unaligned.h"
#include "tile2d/pixel_mode.h"

using plat::Load32;
using plat::Store16;

namespace {

struct Mask {
    uint32_t w = 0, h = 0;
    uint8_t* px = nullptr;
    bool Read(uint8_t* mask, uint32_t bytes, uint32_t scratchBytes) {
        if (!mask || bytes < 4) return false;
        const uint32_t size = Load32(mask);
        w = size & 0xFFFF;
        h = size >> 16;
        const uint64_t n = uint64_t{w} * h;
        if (n > bytes - 4 || n > scratchBytes) return false;
        px = mask + 4;
        return true;
    }
};

uint32_t Percent(uint32_t c, uint32_t p) {
    if (p <= 100) return static_cast<uint32_t>(uint64_t{c} * p / 100);
    return static_cast<uint32_t>(std::min<uint64_t>(c + uint64_t{c} * (p - 100) / 100, 255));
}

uint16_t RgbToMode(uint32_t r, uint32_t g, uint32_t b) {
    switch (g_oGfx.bPixelMode) {
    case 1:
        return static_cast<uint16_t>((r >> 2) << 10 | (g >> 3) << 5 | b >> 3);
    case 2:
        return static_cast<uint16_t>((r >> 3) << 11 | (g >> 2) << 5 | b >> 3);
    case 3:
        return static_cast<uint16_t>((r >> 3) << 11 | (g >> 3) << 6 | b >> 2);
    default:
        return static_cast<uint16_t>((r >> 3) << 10 | (g >> 3) << 5 | b >> 3);
    }
}

constexpr uint32_t kPaletteBytes = 2 + 256 * 3;

void Tint(uint8_t* image, uint32_t red, uint32_t green, uint32_t blue) {
    uint8_t* p = image + 2;
    // Pixel k lands on bytes 2k and 2k + 1, never past triplet k, which has
    // been read by then.
    for (uint32_t k = 0; k < 256; ++k) {
        const uint8_t* t = p + 3 * k;
        const uint16_t c = RgbToMode(Percent(t[0], red), Percent(t[1], green), Percent(t[2], blue));
        Store16(p + 2 * k, c);
    }
}

} // namespace

uint32_t l_AndBytes(uint8_t* destination, const uint8_t* source, uint32_t count) {
    if (!destination || !source) return 0;
    for (uint32_t i = 0; i < count; ++i)
        destination[i] &= source[i];
    return count;
}

uint32_t l_CopyUpper(const uint8_t* source, uint8_t* destination, uint32_t count) {
    if (!destination || !source) return 0;
    for (uint32_t i = 0; i < count; ++i) {
        const uint8_t c = source[i];
        destination[i] = c >= 'a' && c <= 'z' ? static_cast<uint8_t>(c - 'a' + 'A') : c;
    }
    return count;
}

uint32_t l_FeatherPass(uint8_t* mask, uint32_t maskBytes, uint8_t* scratch, uint32_t scratchBytes, uint8_t level,
                       uint8_t lowest) {
    Mask m;
    if (!scratch || !m.Read(mask, maskBytes, scratchBytes)) return 0;
    const int64_t w = m.w, h = m.h;
    std::fill_n(scratch, w * h, uint8_t{0});
    const auto edge = [&](int64_t x, int64_t y) {
        if (x < 0 || y < 0 || x >= w || y >= h) return true;
        const uint8_t v = m.px[y * w + x];
        return v == 0 || (v >= lowest && v <= 254);
    };
    // Up, up-left, left, down-left, down, down-right, right, up-right.
    static constexpr int kDx[8] = {0, -1, -1, -1, 0, 1, 1, 1};
    static constexpr int kDy[8] = {-1, -1, 0, 1, 1, 1, 0, -1};
    for (int64_t y = 0; y < h; ++y)
        for (int64_t x = 0; x < w; ++x) {
            if (m.px[y * w + x] != 255) continue;
            for (int k = 0; k < 8; ++k)
                if (edge(x + kDx[k], y + kDy[k])) {
                    scratch[y * w + x] = level;
                    break;
                }
        }
    uint32_t changed = 0;
    for (int64_t i = 0; i < w * h; ++i)
        if (scratch[i] && m.px[i] != scratch[i]) {
            m.px[i] = scratch[i];
            ++changed;
        }
    return changed;
}

void v_FeatherMask(uint8_t* mask, uint32_t maskBytes, uint32_t rings, uint8_t* scratch, uint32_t scratchBytes) {
    if (rings < 2) return;
    rings = std::min(rings, 255u);
    const uint8_t lowest = static_cast<uint8_t>(256 - rings);
    for (uint32_t k = 0; k + 1 < rings; ++k)
        l_FeatherPass(mask, maskBytes, scratch, scratchBytes, static_cast<uint8_t>(lowest + k), lowest);
}

void v_AdjustImagePalettes(const uint8_t* table, uint8_t* data, uint32_t tableBytes, uint32_t dataBytes,
                           uint32_t red, uint32_t green, uint32_t blue) {
    if (!data) return;
    if (!table) {
        if (tableBytes == 0 && dataBytes >= kPaletteBytes) Tint(data, red, green, blue);
        return;
    }
    std::set<uint32_t> done;
    for (uint32_t at = 0; at + 4 <= tableBytes; at += 4) {
        const uint32_t off = Load32(table + at);
        if (uint64_t{off} + kPaletteBytes > dataBytes || !done.insert(off).second) continue;
        Tint(data + off, red, green, blue);
    }
}
