#pragma once
// Shared machinery of the run-coded sprites, packers and indexed images (not
// part of the library's interface). Addresses are byte positions held as
// 64-bit integers, so a sprite placed far outside its buffer never forms a
// pointer: a pointer is made only for pixels inside the bounding range.
#include <algorithm>
#include <cstdint>

#include "platform/unaligned.h"
#include "tile2d/pixel_mode.h"

namespace t2d_rle {

using plat::Load16;
using plat::Load32;
using plat::Store16;
using plat::Store32;

inline int64_t AddressOf(const void* p) {
    return static_cast<int64_t>(reinterpret_cast<intptr_t>(p));
}

// The bytes the drawing may touch: [base, base + (end - start)).
struct Range {
    uint8_t* base = nullptr;
    int64_t start = 0, end = 0;

    static Range Of(uint8_t* first, uint64_t bytes) {
        Range r;
        if (!first) return r;
        r.base = first;
        r.start = AddressOf(first);
        r.end = r.start + static_cast<int64_t>(std::min<uint64_t>(bytes, uint64_t{1} << 48));
        return r;
    }
    static Range Screen() {
        const ss_GfxState& g = g_oGfx;
        if (!g.pScreenStart || g.pScreenEnd <= g.pScreenStart) return {};
        return Of(g.pScreenStart, static_cast<uint64_t>(g.pScreenEnd - g.pScreenStart));
    }
    // The start test of the screen-range family: the first pixel's address.
    bool Opens(int64_t a) const { return base && a >= start && a < end; }
};

// destination + unit * (y * pitch + x), false when it is too far off to
// matter (no buffer is 2^60 bytes long).
inline bool FirstAddress(const void* dest, int64_t x, int64_t y, int64_t pitch, int64_t unit, int64_t& addr) {
    constexpr int64_t kFar = int64_t{1} << 60;
    const int64_t off = y * pitch + x; // |y|, |pitch| < 2^32 each
    if (!dest || off > kFar / 2 || off < -kFar / 2) return false;
    addr = AddressOf(dest) + unit * off;
    return true;
}

// Key-run codes: a byte other than the key is one pixel; the key, a count
// and a value are count pixels. Stops at the end of the bytes given.
struct KeyCodes {
    const uint8_t* p;
    const uint8_t* end;
    uint8_t key;
    bool Next(uint32_t& n, uint8_t& v) {
        if (p >= end) return false;
        const uint8_t b = *p++;
        if (b != key) {
            n = 1;
            v = b;
            return true;
        }
        if (end - p < 2) return false;
        n = p[0];
        v = p[1];
        p += 2;
        return true;
    }
};

// Value bytes, one pixel each.
struct PlainCodes {
    const uint8_t* p;
    const uint8_t* end;
    bool Next(uint32_t& n, uint8_t& v) {
        if (p >= end) return false;
        n = 1;
        v = *p++;
        return true;
    }
};

// Rows of w pixels from addr, rowBytes apart, each run handed as the pieces
// inside the range: paint(first byte, pixels, value). Runs go on across row
// ends. Mirrored rows are written leftwards from the pixel before addr. With
// endTest, a row that would start at or past the range end stops the walk.
template <int64_t kUnit, class Reader, class Paint>
void WalkRuns(Reader& rd, uint32_t w, uint32_t h, int64_t addr, int64_t rowBytes, bool mirror, bool endTest,
              const Range& rg, Paint&& paint) {
    if (w == 0 || h == 0 || !rg.base) return;
    uint32_t col = 0, rows = h, n;
    uint8_t v;
    while (rd.Next(n, v)) {
        while (n) {
            const uint32_t m = std::min(n, w - col);
            const int64_t lo = mirror ? addr - kUnit * (static_cast<int64_t>(col) + m) : addr + kUnit * col;
            const int64_t first = lo < rg.start ? (rg.start - lo + kUnit - 1) / kUnit : 0;
            const int64_t fit = rg.end > lo ? (rg.end - lo) / kUnit : 0;
            const int64_t last = std::min<int64_t>(m, fit);
            if (first < last)
                paint(rg.base + (lo + kUnit * first - rg.start), static_cast<uint32_t>(last - first), v);
            col += m;
            n -= m;
            if (col == w) {
                col = 0;
                if (--rows == 0) return;
                addr += rowBytes;
                if (endTest && addr >= rg.end) return;
            }
        }
    }
}

// The library's private palette: the Pc, Pn and compact-palette members
// convert their 5-5-5 palettes into it. Entries past a short palette keep
// what an earlier conversion left there.
uint16_t* PrivatePalette();
// n entries of a stored 5-5-5 palette into the private palette, in the
// current pixel mode.
void ConvertToPrivate(const uint8_t* palette555, uint32_t n);

} // namespace t2d_rle
