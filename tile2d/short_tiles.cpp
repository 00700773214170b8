#include "tile2d/short_tiles.h"

#include "tile2d/tile_walk.h"

using namespace t2d_detail;

namespace {

struct ShortTile {
    TileHeader t;
    uint32_t unit = 2;
    uint64_t units = 0; // whole units present in the grid
};

bool ReadShort(const uint8_t* tile, uint32_t bytes, bool forceTwoByte, ShortTile& s) {
    if (!tile || bytes < kShortGrid) return false;
    s.t.palette = tile + kRgbPalette;
    ReadAnchorSize(tile, kShortAnchor, kShortSize, s.t);
    s.t.stream = tile + kShortGrid;
    s.unit = forceTwoByte || tile[kShortForm] != 0 ? 2 : 1;
    s.units = (bytes - kShortGrid) / s.unit;
    return s.t.w != 0 && s.t.h != 0;
}

inline uint16_t Unit(const ShortTile& s, const Channels& ch, const Palette& pal, uint64_t at, uint16_t d) {
    const uint8_t* u = s.t.stream + at * s.unit;
    if (s.unit == 1) return pal.c[u[0]];
    const uint32_t level = u[0];
    if (level == 0) return d;
    return level >= 63 ? pal.c[u[1]] : ch.Blend(level, pal.c[u[1]], d);
}

void DrawShort(int32_t x, int32_t y, const uint8_t* tile, uint32_t bytes, int64_t sx, int64_t sy, int64_t w,
               int64_t h, bool whole) {
    ShortTile s;
    if (!ReadShort(tile, bytes, false, s)) return;
    if (whole) { w = s.t.w; h = s.t.h; }
    Window win;
    if (!Place(static_cast<int64_t>(x) + s.t.ax, static_cast<int64_t>(y) + s.t.ay, sx, sy, w, h, s.t.w, s.t.h, win))
        return;
    Palette pal;
    pal.Load(s.t.palette, false);
    const Channels ch = Channels::Current();
    for (uint32_t j = 0; j < win.rows; ++j) {
        const uint64_t first = static_cast<uint64_t>(win.srcRow + j) * s.t.w + win.srcCol;
        if (first >= s.units) return;
        const uint32_t n = static_cast<uint32_t>(std::min<uint64_t>(win.cols, s.units - first));
        uint16_t* dst = win.dst + static_cast<size_t>(j) * win.pitch;
        for (uint32_t i = 0; i < n; ++i)
            dst[i] = Unit(s, ch, pal, first + i, dst[i]);
    }
}

} // namespace

void v_ShowTileShort(int32_t x, int32_t y, const uint8_t* tile, uint32_t bytes) {
    DrawShort(x, y, tile, bytes, 0, 0, 0, 0, true);
}

void v_ShowTileShortRect(int32_t x, int32_t y, int32_t sx, int32_t sy, int32_t w, int32_t h, const uint8_t* tile,
                         uint32_t bytes) {
    DrawShort(x, y, tile, bytes, sx, sy, w, h, false);
}

void v_ShowTileShortScaled(int32_t x, int32_t y, const uint8_t* tile, uint32_t bytes, int32_t width,
                           int32_t height) {
    ShortTile s;
    Window win;
    if (width <= 0 || height <= 0 || !ReadShort(tile, bytes, true, s) ||
        !PlaceWhole(x, y, static_cast<uint32_t>(width), static_cast<uint32_t>(height), win))
        return;
    const uint64_t xStep = (static_cast<uint64_t>(s.t.w) << 10) / static_cast<uint64_t>(width);
    const uint64_t yStep = (static_cast<uint64_t>(s.t.h) << 16) / static_cast<uint64_t>(height);
    Palette pal;
    pal.Load(s.t.palette, false);
    const Channels ch = Channels::Current();
    for (uint32_t j = 0; j < win.rows; ++j) {
        const uint64_t rowStart = (((win.srcRow + j) * yStep) >> 16) * s.t.w;
        uint16_t* dst = win.dst + static_cast<size_t>(j) * win.pitch;
        for (uint32_t i = 0; i < win.cols; ++i) {
            const uint64_t at = rowStart + (((win.srcCol + i) * xStep) >> 10);
            if (at < s.units) dst[i] = Unit(s, ch, pal, at, dst[i]);
        }
    }
}

int32_t l_GetImagePixel(const uint8_t* tile, uint32_t bytes, int32_t x, int32_t y) {
    ShortTile s;
    if (!ReadShort(tile, bytes, true, s)) return 0;
    if (x < 0 || y < 0 || static_cast<uint32_t>(x) >= s.t.w || static_cast<uint32_t>(y) >= s.t.h) return 0;
    const uint64_t at = static_cast<uint64_t>(y) * s.t.w + static_cast<uint32_t>(x);
    return at < s.units ? Load16(s.t.stream + at * 2) : 0;
}
