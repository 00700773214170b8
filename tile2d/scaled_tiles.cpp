#include "tile2d/scaled_tiles.h"

#include <vector>

#include "tile2d/tile_walk.h"

using namespace t2d_detail;

namespace {

constexpr uint32_t kNoLevel = 0xFFFFFFFFu;
constexpr uint16_t kSkipUnit = 0x00FF; // a code no stream pixel has

// Decodes a code-byte stream one row at a time; a stream that ends leaves
// the rest of the tile skipped.
struct RowDecoder {
    CodeByteReader rd;
    uint32_t w;
    Run run;
    uint32_t left = 0; // pixels of `run` not yet used

    void Row(uint16_t* out) {
        for (uint32_t col = 0; col < w;) {
            if (left == 0) {
                if (!rd.Next(run)) {
                    std::fill(out + col, out + w, kSkipUnit);
                    return;
                }
                left = run.n;
            }
            const uint32_t m = std::min(left, w - col);
            const uint16_t unit = run.skip ? kSkipUnit : static_cast<uint16_t>(run.code | run.index << 8);
            std::fill_n(out + col, m, unit);
            col += m;
            left -= m;
        }
    }
};

std::vector<uint16_t> s_row; // library scratch: one decoded source row

void DrawScaled(int32_t x, int32_t y, int32_t width, int32_t height, const uint8_t* tile, uint32_t bytes, bool grey,
                uint32_t level) {
    TileHeader t;
    if (width <= 0 || height <= 0 || !ReadRgbTile(tile, bytes, true, t) || t.w == 0 || t.h == 0) return;
    const int64_t X = x + static_cast<int64_t>(t.ax) * width / t.w;
    const int64_t Y = y + static_cast<int64_t>(t.ay) * height / t.h;
    Window win;
    if (!PlaceWhole(X, Y, static_cast<uint32_t>(width), static_cast<uint32_t>(height), win)) return;
    const uint64_t xStep = (static_cast<uint64_t>(t.w) << 10) / static_cast<uint64_t>(width);
    const uint64_t yStep = (static_cast<uint64_t>(t.h) << 16) / static_cast<uint64_t>(height);
    Palette pal;
    pal.Load(t.palette, grey);
    const Channels ch = Channels::Current();
    const uint8_t* fade = level == kNoLevel ? nullptr : g_oGfx.aLevelTable + (level & 63) * 64;

    s_row.resize(t.w);
    RowDecoder dec{CodeByteReader{t.stream, t.end}, t.w, Run{}};
    int64_t decoded = -1;
    for (uint32_t j = 0; j < win.rows; ++j) {
        const int64_t sy = static_cast<int64_t>(((win.srcRow + j) * yStep) >> 16);
        while (decoded < sy) {
            dec.Row(s_row.data());
            ++decoded;
        }
        uint16_t* dst = win.dst + static_cast<size_t>(j) * win.pitch;
        for (uint32_t i = 0; i < win.cols; ++i) {
            const uint16_t unit = s_row[static_cast<size_t>(((win.srcCol + i) * xStep) >> 10)];
            if (unit == kSkipUnit) continue;
            const uint32_t code = fade ? fade[unit & 0xFF] : (unit & 0xFF);
            const uint16_t c = pal.c[unit >> 8];
            dst[i] = code == 63 ? c : ch.Blend(code, c, dst[i]);
        }
    }
}

} // namespace

void v_ShowTileScaled(int32_t x, int32_t y, int32_t width, int32_t height, const uint8_t* tile, uint32_t bytes) {
    DrawScaled(x, y, width, height, tile, bytes, false, kNoLevel);
}

void v_ShowTileScaledLevel(int32_t x, int32_t y, int32_t width, int32_t height, const uint8_t* tile,
                           uint32_t bytes, uint32_t level) {
    DrawScaled(x, y, width, height, tile, bytes, false, level & 63);
}

void v_ShowTileScaledGrey(int32_t x, int32_t y, int32_t width, int32_t height, const uint8_t* tile,
                          uint32_t bytes) {
    DrawScaled(x, y, width, height, tile, bytes, true, kNoLevel);
}

void v_ShowTileScaledGreyLevel(int32_t x, int32_t y, int32_t width, int32_t height, const uint8_t* tile,
                               uint32_t bytes, uint32_t level) {
    DrawScaled(x, y, width, height, tile, bytes, true, level & 63);
}
