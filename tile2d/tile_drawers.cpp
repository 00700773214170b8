#include "tile2d/tile_drawers.h"

#include "tile2d/tile_walk.h"

using namespace t2d_detail;

namespace {

constexpr uint32_t kNoLevel = 0xFFFFFFFFu;

struct RectArg {
    int64_t sx, sy, w, h;
};

void DrawRgb(int32_t x, int32_t y, const uint8_t* tile, uint32_t bytes, bool grey, uint32_t level,
             const RectArg* rect) {
    TileHeader t;
    if (!ReadRgbTile(tile, bytes, false, t)) return;
    const int64_t X = static_cast<int64_t>(x) + t.ax, Y = static_cast<int64_t>(y) + t.ay;
    Window win;
    const bool placed = rect ? Place(X, Y, rect->sx, rect->sy, rect->w, rect->h, t.w, t.h, win)
                             : PlaceWhole(X, Y, t.w, t.h, win);
    if (!placed) return;
    Palette pal;
    pal.Load(t.palette, grey);
    if (t.keyRun) {
        KeyRunReader rd{t.stream, t.end, t.key};
        WalkStream(rd, t.w, win, [&](uint16_t* dst, uint32_t n, const Run& r) {
            std::fill_n(dst, n, pal.c[r.index]);
        });
        return;
    }
    const Channels ch = Channels::Current();
    const uint8_t* fade = level == kNoLevel ? nullptr : g_oGfx.aLevelTable + (level & 63) * 64;
    if (fade) {
        WalkCodeBytes(t.stream, t.end, t.w, win, [&](uint16_t* dst, uint8_t code, uint8_t index) {
            code = fade[code];
            *dst = code == 63 ? pal.c[index] : ch.Blend(code, pal.c[index], *dst);
        });
        return;
    }
    WalkCodeBytes(t.stream, t.end, t.w, win, [&](uint16_t* dst, uint8_t code, uint8_t index) {
        *dst = code == 63 ? pal.c[index] : ch.Blend(code, pal.c[index], *dst);
    });
}

} // namespace

void v_ShowTile(int32_t x, int32_t y, const uint8_t* tile, uint32_t bytes) {
    DrawRgb(x, y, tile, bytes, false, kNoLevel, nullptr);
}

void v_ShowTileGrey(int32_t x, int32_t y, const uint8_t* tile, uint32_t bytes) {
    DrawRgb(x, y, tile, bytes, true, kNoLevel, nullptr);
}

void v_ShowTileLevel(int32_t x, int32_t y, const uint8_t* tile, uint32_t bytes, uint32_t level) {
    DrawRgb(x, y, tile, bytes, false, level & 63, nullptr);
}

void v_ShowTileGreyLevel(int32_t x, int32_t y, const uint8_t* tile, uint32_t bytes, uint32_t level) {
    DrawRgb(x, y, tile, bytes, true, level & 63, nullptr);
}

void v_ShowTileRect(int32_t x, int32_t y, int32_t sx, int32_t sy, int32_t w, int32_t h, const uint8_t* tile,
                    uint32_t bytes) {
    const RectArg r{sx, sy, w, h};
    DrawRgb(x, y, tile, bytes, false, kNoLevel, &r);
}

void v_ShowTileFlat(int32_t x, int32_t y, const uint8_t* tile, uint32_t bytes) {
    DrawFlat(x, y, tile, bytes, false,
             [](uint16_t* dst, uint32_t n, uint16_t c, uint8_t) { std::fill_n(dst, n, c); });
}

void v_ShowTileFlagged(int32_t x, int32_t y, const uint8_t* tile, uint32_t bytes) {
    const Channels ch = Channels::Current();
    DrawFlat(x, y, tile, bytes, false, [&](uint16_t* dst, uint32_t n, uint16_t c, uint8_t) {
        for (uint32_t i = 0; i < n; ++i)
            dst[i] = ch.AddSat(c, dst[i]);
    });
}

int32_t l_GetTilePixel(const uint8_t* tile, uint32_t bytes, int32_t x, int32_t y) {
    TileHeader t;
    if (!ReadRgbTile(tile, bytes, true, t)) return 0;
    if (x < 0 || y < 0 || static_cast<uint32_t>(x) >= t.w || static_cast<uint32_t>(y) >= t.h) return 0;
    const uint64_t target = static_cast<uint64_t>(y) * t.w + static_cast<uint32_t>(x);
    uint64_t at = 0;
    CodeByteReader rd{t.stream, t.end};
    Run r;
    while (rd.Next(r)) {
        if (target < at + r.n) return r.skip ? 0 : r.index * 256 + r.code;
        at += r.n;
    }
    return 0;
}
