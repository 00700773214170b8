#include "tile2d/surface_lines.h"

#include "tile2d/colour_fill.h"
#include "tile2d/tile_walk.h"

using namespace t2d_detail;

namespace {

int64_t Abs(int64_t v) {
    return v < 0 ? -v : v;
}

// Moves coordinate a (of an end) onto [0, limit - 1]; the same end's other
// coordinate b moves towards the far end's bf by floor(o * countB / countA),
// and both counts shrink. False when nothing is left to draw.
bool ClipEnd(int64_t& a, int64_t& b, int64_t bf, int64_t limit, int64_t& countA, int64_t& countB) {
    int64_t o = 0;
    if (a < 0) {
        o = -a;
        a = 0;
    } else if (a > limit - 1) {
        o = a - (limit - 1);
        a = limit - 1;
    }
    if (o == 0) return true;
    if (o >= countA) return false;
    // Both factors reach 2^32 for ends far outside the surface.
    const int64_t m = static_cast<int64_t>(static_cast<uint64_t>(o) * static_cast<uint64_t>(countB) /
                                           static_cast<uint64_t>(countA));
    if (m >= countB) return false;
    b += bf >= b ? m : -m;
    countA -= o;
    countB -= m;
    return true;
}

template <class Op>
void Line(int32_t x1_, int32_t y1_, int32_t x2_, int32_t y2_, uint32_t rgb, Op op) {
    const ss_GfxSurface& s = g_oGfx.oSurface;
    if (!s.pPixels || s.lWidth == 0 || s.lHeight == 0) return;
    const int64_t W = s.lWidth, H = s.lHeight;
    int64_t x1 = x1_, y1 = y1_, x2 = x2_, y2 = y2_;
    if ((x1 < 0 && x2 < 0) || (x1 >= W && x2 >= W) || (y1 < 0 && y2 < 0) || (y1 >= H && y2 >= H)) return;
    const uint16_t colour = static_cast<uint16_t>(l_ModeColour(rgb));
    int64_t cx = Abs(x2 - x1) + 1, cy = Abs(y2 - y1) + 1;
    if (!ClipEnd(x1, y1, y2, W, cx, cy) || !ClipEnd(x2, y2, y1, W, cx, cy) || !ClipEnd(y1, x1, x2, H, cy, cx) ||
        !ClipEnd(y2, x2, x1, H, cy, cx))
        return;
    const bool yMajor = cy >= cx;
    const int64_t n = yMajor ? cy : cx, minorCount = yMajor ? cx : cy;
    const int64_t sx = x2 >= x1 ? 1 : -1, sy = y2 >= y1 ? 1 : -1;
    const uint32_t grow = static_cast<uint32_t>((65536 / n) * minorCount);
    uint32_t frac = 0;
    int64_t x = x1, y = y1;
    for (int64_t i = 0; i < n; ++i) {
        if (x >= 0 && y >= 0 && x < W && y < H) {
            uint16_t& d = s.pPixels[y * W + x];
            d = op(colour, d);
        }
        frac += grow;
        const bool step = frac > 0xFFFF;
        frac &= 0xFFFF;
        if (yMajor) {
            y += sy;
            if (step) x += sx;
        } else {
            x += sx;
            if (step) y += sy;
        }
    }
}

} // namespace

void v_BlendPixel(int32_t x, int32_t y, uint32_t rgb, uint32_t level) {
    const ss_GfxSurface& s = g_oGfx.oSurface;
    if (!s.pPixels || x < 0 || y < 0 || static_cast<uint32_t>(x) >= s.lWidth || static_cast<uint32_t>(y) >= s.lHeight)
        return;
    const uint16_t colour = static_cast<uint16_t>(l_ModeColour(rgb));
    uint16_t& d = s.pPixels[static_cast<size_t>(y) * s.lWidth + static_cast<size_t>(x)];
    d = level >= 63 ? colour : Channels::Current().Blend(level, colour, d);
}

namespace t2d {

void v_DrawLine(int32_t x1, int32_t y1, int32_t x2, int32_t y2, uint32_t rgb) {
    Line(x1, y1, x2, y2, rgb, [](uint16_t c, uint16_t) { return c; });
}

void v_DrawLineAdd(int32_t x1, int32_t y1, int32_t x2, int32_t y2, uint32_t rgb) {
    const Channels ch = Channels::Current();
    Line(x1, y1, x2, y2, rgb, [&](uint16_t c, uint16_t d) { return ch.AddSat(c, d); });
}

} // namespace t2d
