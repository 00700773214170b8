#include "tile2d/colour_fill.h"

#include "tile2d/bounded_rows.h"
#include "tile2d/tile_walk.h"

using namespace t2d_detail;

namespace {

// Shifts and widths of the current mode; before any mode is set, mode 0's.
struct ModeLayout {
    uint32_t shift[3];
    bool six[3]; // the channel has 64 levels
};

ModeLayout Layout() {
    const ss_GfxState& g = g_oGfx;
    if (!g.lRedMask) return {{10, 5, 0}, {false, false, false}};
    return {{g.bRedShift, g.bGreenShift, 0},
            {(g.lRedMask >> g.bRedShift) == 63, (g.lGreenMask >> g.bGreenShift) == 63, g.lBlueMask == 63}};
}

// Channels on the 0 to 63 scale, red first, fitted to the mode.
uint16_t Pixel6(const uint32_t c6[3]) {
    const ModeLayout m = Layout();
    uint32_t p = 0;
    for (int c = 0; c < 3; ++c)
        p |= (m.six[c] ? c6[c] : c6[c] >> 1) << m.shift[c];
    return static_cast<uint16_t>(p);
}

uint16_t Pixel(uint32_t rgb) {
    const uint32_t c6[3] = {(rgb >> 16 & 0xFF) >> 2, (rgb >> 8 & 0xFF) >> 2, (rgb & 0xFF) >> 2};
    return Pixel6(c6);
}

// Calls fn(row pointer, cut columns, length) for the visible part of each
// of the h rows of width w at (x, y).
template <class Fn>
void ForRows(int64_t x, int64_t y, int64_t w, int64_t h, uint16_t* dst, uint32_t dstPixels, uint32_t pitch,
             Fn&& fn) {
    if (w <= 0 || h <= 0) return;
    for (int64_t r = 0; r < h; ++r)
        ClipSpan(dst, dstPixels, Offset(y + r, pitch, x), w, [&](uint16_t* p, int64_t cut, uint32_t n) {
            fn(static_cast<int32_t>(r), p, static_cast<uint32_t>(cut), n);
        });
}

enum class GradientDir { Rows, Columns };

// Walks the colours of a gradient over `steps` rows or columns, calling
// fn(index, pixel) for each.
template <class Fn>
void WalkGradient(uint32_t start, uint32_t end, int32_t steps, Fn&& fn) {
    if (steps <= 0) return;
    int32_t cur[3], last[3], step[3];
    for (int c = 0; c < 3; ++c) {
        const int sh = 16 - 8 * c;
        cur[c] = static_cast<int32_t>(start >> sh & 0xFF) * 1024;
        last[c] = static_cast<int32_t>(end >> sh & 0xFF) * 1024;
        const int32_t d = last[c] - cur[c];
        step[c] = (d < 0 ? -d : d) / steps;
    }
    for (int32_t i = 0; i < steps; ++i) {
        const uint32_t c6[3] = {static_cast<uint32_t>(cur[0]) >> 12, static_cast<uint32_t>(cur[1]) >> 12,
                                static_cast<uint32_t>(cur[2]) >> 12};
        fn(i, Pixel6(c6));
        for (int c = 0; c < 3; ++c)
            cur[c] += cur[c] <= last[c] ? step[c] : -step[c];
    }
}

template <class Op>
void Gradient(GradientDir dir, int32_t x, int32_t y, int32_t w, int32_t h, uint32_t start, uint32_t end,
              uint16_t* dst, uint32_t dstPixels, uint32_t pitch, Op op) {
    if (w <= 0 || h <= 0) return;
    if (dir == GradientDir::Rows) {
        WalkGradient(start, end, h, [&](int32_t r, uint16_t colour) {
            ForRows(x, int64_t{y} + r, w, 1, dst, dstPixels, pitch, [&](int32_t, uint16_t* p, uint32_t, uint32_t n) {
                for (uint32_t i = 0; i < n; ++i)
                    p[i] = op(colour, p[i]);
            });
        });
    } else {
        WalkGradient(start, end, w, [&](int32_t c, uint16_t colour) {
            ForRows(int64_t{x} + c, y, 1, h, dst, dstPixels, pitch,
                    [&](int32_t, uint16_t* p, uint32_t, uint32_t) { *p = op(colour, *p); });
        });
    }
}

char HexDigit(uint32_t v) {
    return static_cast<char>(v < 10 ? '0' + v : 'A' + v - 10);
}

} // namespace

uint32_t l_PixelFromRGB(uint32_t rgb) {
    const uint32_t p = Pixel(rgb);
    return p | p << 16;
}

uint32_t l_ModeColour(uint32_t rgb) {
    return l_PixelFromRGB(rgb);
}

uint32_t l_MakeColourEscape(uint32_t rgb, char* buffer, uint32_t bytes) {
    if (!buffer || bytes < 8) return 0;
    buffer[0] = '/';
    for (int c = 0; c < 3; ++c) {
        const uint32_t v = (rgb >> (16 - 8 * c) & 0xFF) >> 2;
        buffer[1 + 2 * c] = HexDigit(v >> 4);
        buffer[2 + 2 * c] = HexDigit(v & 15);
    }
    buffer[7] = '_';
    return 8;
}

uint32_t l_PaletteToRGB(const uint8_t* palette, uint32_t paletteBytes, uint8_t* destination, uint32_t destBytes) {
    if (!palette || !destination) return 0;
    const uint32_t n = std::min({256u, paletteBytes / 2, destBytes / 3});
    for (uint32_t i = 0; i < n; ++i) {
        const uint16_t p = Load16(palette + 2 * i);
        destination[3 * i] = static_cast<uint8_t>((p >> 10 & 31) << 3);
        destination[3 * i + 1] = static_cast<uint8_t>((p >> 5 & 31) << 3);
        destination[3 * i + 2] = static_cast<uint8_t>((p & 31) << 3);
    }
    return n;
}

void v_FillBox(int32_t x, int32_t y, int32_t w, int32_t h, uint32_t rgb, uint16_t* dst, uint32_t dstPixels,
               uint32_t pitch) {
    const uint16_t colour = Pixel(rgb);
    ForRows(x, y, w, h, dst, dstPixels, pitch,
            [&](int32_t, uint16_t* p, uint32_t, uint32_t n) { std::fill_n(p, n, colour); });
}

void v_DarkenRect(int32_t x, int32_t y, int32_t w, int32_t h, uint16_t* dst, uint32_t dstPixels, uint32_t pitch,
                  uint32_t level) {
    const Channels ch = Channels::Current();
    const uint32_t row = 63 - std::min(level, 63u);
    const uint32_t lv[3] = {row, row, row};
    ForRows(x, y, w, h, dst, dstPixels, pitch, [&](int32_t, uint16_t* p, uint32_t, uint32_t n) {
        for (uint32_t i = 0; i < n; ++i)
            p[i] = ch.Scale(lv, p[i]);
    });
}

void v_BlendFrame(int32_t x, int32_t y, int32_t w, int32_t h, uint32_t border, uint32_t rgb, uint16_t* dst,
                  uint32_t dstPixels, uint32_t pitch, uint32_t alpha) {
    if (w <= 0 || h <= 0) return;
    const Channels ch = Channels::Current();
    const uint16_t colour = Pixel(rgb);
    const uint32_t a = alpha & 63;
    const uint32_t bx = 2ull * border >= static_cast<uint32_t>(w) ? static_cast<uint32_t>(w) / 2 : border;
    const uint32_t by = 2ull * border >= static_cast<uint32_t>(h) ? static_cast<uint32_t>(h) / 2 : border;
    auto blend = [&](int32_t, uint16_t* p, uint32_t, uint32_t n) {
        for (uint32_t i = 0; i < n; ++i)
            p[i] = ch.Blend(a, colour, p[i]);
    };
    const int64_t mid = int64_t{h} - 2 * int64_t{by};
    ForRows(x, y, w, by, dst, dstPixels, pitch, blend);
    ForRows(x, int64_t{y} + by, bx, mid, dst, dstPixels, pitch, blend);
    ForRows(int64_t{x} + w - bx, int64_t{y} + by, bx, mid, dst, dstPixels, pitch, blend);
    ForRows(x, int64_t{y} + h - by, w, by, dst, dstPixels, pitch, blend);
}

void v_FillGradientV(int32_t x, int32_t y, int32_t w, int32_t h, uint32_t start, uint32_t end, uint16_t* dst,
                     uint32_t dstPixels, uint32_t pitch) {
    Gradient(GradientDir::Rows, x, y, w, h, start, end, dst, dstPixels, pitch, [](uint16_t c, uint16_t) { return c; });
}

void v_FillGradientH(int32_t x, int32_t y, int32_t w, int32_t h, uint32_t start, uint32_t end, uint16_t* dst,
                     uint32_t dstPixels, uint32_t pitch) {
    Gradient(GradientDir::Columns, x, y, w, h, start, end, dst, dstPixels, pitch,
             [](uint16_t c, uint16_t) { return c; });
}

void v_AddGradientV(int32_t x, int32_t y, int32_t w, int32_t h, uint32_t start, uint32_t end, uint16_t* dst,
                    uint32_t dstPixels, uint32_t pitch) {
    const Channels ch = Channels::Current();
    Gradient(GradientDir::Rows, x, y, w, h, start, end, dst, dstPixels, pitch,
             [&](uint16_t c, uint16_t d) { return ch.AddSat(c, d); });
}

void v_AddGradientH(int32_t x, int32_t y, int32_t w, int32_t h, uint32_t start, uint32_t end, uint16_t* dst,
                    uint32_t dstPixels, uint32_t pitch) {
    const Channels ch = Channels::Current();
    Gradient(GradientDir::Columns, x, y, w, h, start, end, dst, dstPixels, pitch,
             [&](uint16_t c, uint16_t d) { return ch.AddSat(c, d); });
}
