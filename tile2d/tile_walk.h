#pragma once
// Shared machinery of the tile drawers (not part of the library's interface):
// placement with the anchor, clipping to the current surface, the two pixel
// streams and the per-channel colour operations of the current mode.
#include <algorithm>
#include <cstdint>

#include "platform/unaligned.h"
#include "tile2d/blend_tables.h"
#include "tile2d/pixel_mode.h"

namespace t2d_detail {

using plat::Load16;
using plat::Load32;
using plat::Store16;
using plat::Store32;

// Anchor half: below 5000 a negative offset, from 5000 on a positive one.
inline int32_t AnchorOffset(uint16_t v) {
    return v < 5000 ? -static_cast<int32_t>(v) : static_cast<int32_t>(v) - 5000;
}

// The visible part of a source placed on the current surface.
struct Window {
    uint32_t srcCol = 0, srcRow = 0; // first source pixel drawn
    uint32_t cols = 0, rows = 0;
    uint16_t* dst = nullptr;         // surface pixel of (srcCol, srcRow)
    uint32_t pitch = 0;
    // Where source pixel (0, 0) would land, for drawers that work from the
    // unclipped origin.
    int64_t originX = 0, originY = 0;
};

// Places the source rectangle (sx, sy, rw, rh) of a w x h source with its
// top-left at (X, Y): first cut to the source, then to the surface. False
// when nothing remains.
inline bool Place(int64_t X, int64_t Y, int64_t sx, int64_t sy, int64_t rw, int64_t rh, uint32_t w, uint32_t h,
                  Window& win) {
    const ss_GfxSurface& s = g_oGfx.oSurface;
    if (!s.pPixels || s.lWidth == 0 || s.lHeight == 0) return false;
    if (sx < 0) { X -= sx; rw += sx; sx = 0; }
    if (sy < 0) { Y -= sy; rh += sy; sy = 0; }
    rw = std::min<int64_t>(rw, static_cast<int64_t>(w) - sx);
    rh = std::min<int64_t>(rh, static_cast<int64_t>(h) - sy);
    if (rw <= 0 || rh <= 0) return false;
    win.originX = X - sx;
    win.originY = Y - sy;
    if (X < 0) {
        if (-X >= rw) return false;
        sx -= X; rw += X; X = 0;
    }
    if (Y < 0) {
        if (-Y >= rh) return false;
        sy -= Y; rh += Y; Y = 0;
    }
    if (X >= s.lWidth || Y >= s.lHeight) return false;
    rw = std::min<int64_t>(rw, s.lWidth - X);
    rh = std::min<int64_t>(rh, s.lHeight - Y);
    win.srcCol = static_cast<uint32_t>(sx);
    win.srcRow = static_cast<uint32_t>(sy);
    win.cols = static_cast<uint32_t>(rw);
    win.rows = static_cast<uint32_t>(rh);
    win.pitch = s.lWidth;
    win.dst = s.pPixels + static_cast<size_t>(Y) * s.lWidth + static_cast<size_t>(X);
    return true;
}

inline bool PlaceWhole(int64_t X, int64_t Y, uint32_t w, uint32_t h, Window& win) {
    return Place(X, Y, 0, 0, w, h, w, h, win);
}

// Image header fields every anchored tile has.
struct TileHeader {
    const uint8_t* palette = nullptr;
    int32_t ax = 0, ay = 0;
    uint32_t w = 0, h = 0;
    const uint8_t* stream = nullptr;
    const uint8_t* end = nullptr;
    uint8_t key = 0;
    bool keyRun = false;
};

constexpr uint32_t kRgbPalette = 2, kRgbForm = 770, kRgbAnchor = 796, kRgbSize = 800, kRgbStream = 804;
constexpr uint32_t kFlatAnchor = 512, kFlatKey = 516, kFlatSize = 517, kFlatStream = 521;
constexpr uint32_t kShortForm = 770, kShortAnchor = 776, kShortSize = 780, kShortGrid = 784;

inline bool IsRgbTile(const uint8_t* tile, uint32_t bytes) {
    return tile && bytes >= 2 && tile[0] == 'N' && tile[1] == '@';
}

inline void ReadAnchorSize(const uint8_t* tile, uint32_t anchorAt, uint32_t sizeAt, TileHeader& t) {
    const uint32_t a = Load32(tile + anchorAt);
    t.ax = AnchorOffset(static_cast<uint16_t>(a));
    t.ay = AnchorOffset(static_cast<uint16_t>(a >> 16));
    const uint32_t s = Load32(tile + sizeAt);
    t.w = s & 0xFFFF;
    t.h = s >> 16;
}

// RGB-palette tile, long header; `forceCodeByte` for the drawers that do not
// test the form byte. False when the header does not fit.
inline bool ReadRgbTile(const uint8_t* tile, uint32_t bytes, bool forceCodeByte, TileHeader& t) {
    if (!tile || bytes < kRgbStream) return false;
    t.palette = tile + kRgbPalette;
    t.end = tile + bytes;
    t.keyRun = !forceCodeByte && tile[kRgbForm] == 0;
    if (t.keyRun) {
        if (bytes < kRgbStream + 1) return false;
        t.key = tile[kRgbSize];
        ReadAnchorSize(tile, kRgbAnchor, kRgbSize + 1, t);
        t.stream = tile + kRgbStream + 1;
    } else {
        ReadAnchorSize(tile, kRgbAnchor, kRgbSize, t);
        t.stream = tile + kRgbStream;
    }
    return true;
}

inline bool ReadFlatTile(const uint8_t* tile, uint32_t bytes, TileHeader& t) {
    if (!tile || bytes < kFlatStream) return false;
    t.palette = tile;
    t.key = tile[kFlatKey];
    ReadAnchorSize(tile, kFlatAnchor, kFlatSize, t);
    t.stream = tile + kFlatStream;
    t.end = tile + bytes;
    t.keyRun = true;
    return true;
}

// One decoded unit: n pixels of one index at one level code (63 opaque), or
// n pixels skipped.
struct Run {
    uint32_t n = 0;
    uint8_t code = 63;
    uint8_t index = 0;
    bool skip = false;
};

// Code bytes: 0x40 and up skip b - 63 pixels; 0x3F and below are followed
// by an index and give one pixel at that level.
struct CodeByteReader {
    const uint8_t* p;
    const uint8_t* end;
    bool Next(Run& r) {
        if (p >= end) return false;
        const uint8_t b = *p++;
        if (b >= 0x40) {
            r.n = b - 63u;
            r.skip = true;
            return true;
        }
        if (p >= end) return false;
        r.n = 1;
        r.skip = false;
        r.code = b;
        r.index = *p++;
        return true;
    }
};

// Key runs: the key byte, a count and an index stand for count pixels of the
// index; any other byte is one pixel of that index. A count of 0 gives none.
struct KeyRunReader {
    const uint8_t* p;
    const uint8_t* end;
    uint8_t key;
    bool Next(Run& r) {
        if (p >= end) return false;
        const uint8_t b = *p++;
        r.skip = false;
        r.code = 63;
        if (b != key) {
            r.n = 1;
            r.index = b;
            return true;
        }
        if (end - p < 2) return false;
        r.n = p[0];
        r.index = p[1];
        p += 2;
        return true;
    }
};

// Reads a stream of w-pixel rows from its start and hands each visible piece
// of a drawn run to paint(dst, n, run); runs and skips carry across rows, and
// reading stops after the last visible row or at the stream's end.
template <class Reader, class Paint>
void WalkStream(Reader& rd, uint32_t w, const Window& win, Paint&& paint) {
    Run r;
    // The rows above the window are read through without drawing.
    uint64_t through = static_cast<uint64_t>(win.srcRow) * w;
    uint32_t carried = 0; // pixels of r that reach the first visible row
    while (through) {
        if (!rd.Next(r)) return;
        if (r.n <= through) {
            through -= r.n;
            continue;
        }
        carried = r.n - static_cast<uint32_t>(through);
        through = 0;
    }
    const uint32_t colL = win.srcCol, colR = win.srcCol + win.cols;
    uint32_t rowsLeft = win.rows, col = 0;
    uint16_t* line = win.dst; // surface pixel of column colL on this row
    for (;;) {
        uint32_t n;
        if (carried) {
            n = carried;
            carried = 0;
        } else {
            if (!rd.Next(r)) return;
            n = r.n;
        }
        while (n) {
            const uint32_t m = std::min(n, w - col);
            if (!r.skip) {
                const uint32_t a = std::max(col, colL), b = std::min(col + m, colR);
                if (a < b) paint(line + (a - colL), b - a, r);
            }
            col += m;
            n -= m;
            if (col == w) {
                col = 0;
                if (--rowsLeft == 0) return;
                line += win.pitch;
            }
        }
    }
}

// WalkStream for code bytes, one pixel per call: paint(dst, code, index).
// Code-byte tiles spend a unit on every pixel, so this loop reads the bytes
// itself instead of going through runs.
template <class Paint>
void WalkCodeBytes(const uint8_t* p, const uint8_t* end, uint32_t w, const Window& win, Paint&& paint) {
    uint64_t through = static_cast<uint64_t>(win.srcRow) * w;
    uint64_t col = 0; // may exceed w after a skip, until the rows are counted off
    while (through) {
        if (p >= end) return;
        const uint8_t b = *p++;
        if (b >= 0x40) {
            const uint32_t n = b - 63u;
            if (n > through) {
                col = n - through;
                break;
            }
            through -= n;
        } else {
            if (p >= end) return;
            ++p;
            --through;
        }
    }
    const uint32_t colL = win.srcCol, colR = win.srcCol + win.cols;
    uint32_t rowsLeft = win.rows;
    uint16_t* line = win.dst;
    for (;;) {
        while (col >= w) {
            col -= w;
            if (--rowsLeft == 0) return;
            line += win.pitch;
        }
        if (p >= end) return;
        const uint8_t b = *p++;
        if (b >= 0x40) {
            col += b - 63u;
            continue;
        }
        if (p >= end) return;
        const uint8_t index = *p++;
        if (col >= colL && col < colR) paint(line + (col - colL), b, index);
        ++col;
    }
}

// Per-channel work in the current mode.
struct Channels {
    uint32_t mask[3];
    uint32_t shift[3];
    uint32_t carry[3];
    const uint8_t* T; // multiply table

    static Channels Current() {
        const ss_GfxState& g = g_oGfx;
        return Channels{{g.lRedMask, g.lGreenMask, g.lBlueMask},
                        {g.bRedShift, g.bGreenShift, 0},
                        {g.lRedCarry, g.lGreenCarry, g.lBlueCarry},
                        p_MultiplyTable()};
    }
    uint32_t Get(uint32_t p, int c) const { return (p & mask[c]) >> shift[c]; }

    // floor((b + 1) s / 64) + floor((64 - b) d / 64) per channel, b 0 to 63.
    uint16_t Blend(uint32_t b, uint16_t s, uint16_t d) const {
        const uint8_t* rs = T + b * 64;
        const uint8_t* rd = T + (63 - b) * 64;
        uint32_t out = 0;
        for (int c = 0; c < 3; ++c)
            out |= static_cast<uint32_t>(rs[Get(s, c)] + rd[Get(d, c)]) << shift[c];
        return static_cast<uint16_t>(out);
    }
    uint16_t BlendRGB(const uint32_t lv[3], uint16_t s, uint16_t d) const {
        uint32_t out = 0;
        for (int c = 0; c < 3; ++c)
            out |= static_cast<uint32_t>(T[lv[c] * 64 + Get(s, c)] + T[(63 - lv[c]) * 64 + Get(d, c)]) << shift[c];
        return static_cast<uint16_t>(out);
    }
    // Each channel through multiply-table row lv[c].
    uint16_t Scale(const uint32_t lv[3], uint16_t p) const {
        uint32_t out = 0;
        for (int c = 0; c < 3; ++c)
            out |= static_cast<uint32_t>(T[lv[c] * 64 + Get(p, c)]) << shift[c];
        return static_cast<uint16_t>(out);
    }
    // Channel sums that carry out become the channel's top level.
    uint16_t AddSat(uint16_t s, uint16_t d) const {
        const uint32_t r = (s & mask[0]) + (d & mask[0]);
        const uint32_t g = (s & mask[1]) + (d & mask[1]);
        const uint32_t b = (s & mask[2]) + (d & mask[2]);
        return static_cast<uint16_t>(((r & carry[0]) ? mask[0] : r) | ((g & carry[1]) ? mask[1] : g) |
                                     ((b & carry[2]) ? mask[2] : b));
    }
    uint16_t Half(uint16_t s, uint16_t d) const {
        uint32_t out = 0;
        for (int c = 0; c < 3; ++c)
            out |= ((Get(s, c) + Get(d, c)) / 2) << shift[c];
        return static_cast<uint16_t>(out);
    }
    uint16_t HalfOf(uint16_t d) const {
        uint32_t out = 0;
        for (int c = 0; c < 3; ++c)
            out |= (Get(d, c) / 2) << shift[c];
        return static_cast<uint16_t>(out);
    }
};

// The 256 colours of a palette, optionally through the grey table.
struct Palette {
    uint16_t c[256];
    void Load(const uint8_t* p, bool grey) {
        for (uint32_t i = 0; i < 256; ++i)
            c[i] = Load16(p + 2 * i);
        const uint16_t* table = g_oGfx.pGreyTable;
        if (!grey || !table) return;
        // A colour beyond the table (bit 15 in mode 0) looks up its low bits.
        const uint32_t limit = g_oGfx.lGreyEntries - 1;
        for (uint32_t i = 0; i < 256; ++i)
            c[i] = table[c[i] & limit];
    }
};

// Draws a paletted tile at (x, y) plus its anchor, clipped to the surface:
// paint(dst, n, colour, index) for every run, index 0 skipped unless the
// drawer is opaque.
template <class Paint>
void DrawFlat(int32_t x, int32_t y, const uint8_t* tile, uint32_t bytes, bool opaque, Paint&& paint) {
    TileHeader t;
    Window win;
    if (!ReadFlatTile(tile, bytes, t) ||
        !PlaceWhole(static_cast<int64_t>(x) + t.ax, static_cast<int64_t>(y) + t.ay, t.w, t.h, win))
        return;
    Palette pal;
    pal.Load(t.palette, false);
    KeyRunReader rd{t.stream, t.end, t.key};
    WalkStream(rd, t.w, win, [&](uint16_t* dst, uint32_t n, const Run& r) {
        if (r.index || opaque) paint(dst, n, pal.c[r.index], r.index);
    });
}

} // namespace t2d_detail
