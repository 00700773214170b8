#pragma once
// Per-pixel arithmetic and frame walks shared by the blend and paletted
// blitters (not part of the library's interface).
#include <cstdint>

#include "pagefont/page_detail.h"
#include "pagefont/pixel_format.h"

namespace pf_detail {

// The current pixel format, read once per call.
struct Fmt {
    uint32_t rm, gm, bm, rs;
    int32_t rmax, gmax, bmax;
    uint32_t half;

    static Fmt Current() {
        Fmt f;
        f.rm = g_lRedMask & 0xFFFF;
        f.gm = g_lGreenMask & 0xFFFF;
        f.bm = g_lBlueMask & 0xFFFF;
        f.rs = static_cast<uint32_t>(g_qRedShift & 15);
        f.rmax = static_cast<int32_t>(f.rm >> f.rs);
        f.gmax = static_cast<int32_t>(f.gm >> 5);
        f.bmax = static_cast<int32_t>(f.bm);
        f.half = g_lHalfMask & 0xFFFF;
        return f;
    }
    int32_t R(uint32_t p) const { return static_cast<int32_t>((p & rm) >> rs); }
    int32_t G(uint32_t p) const { return static_cast<int32_t>((p & gm) >> 5); }
    int32_t B(uint32_t p) const { return static_cast<int32_t>(p & bm); }
    // Channels back into a pixel, each kept inside its own field.
    uint16_t Pack(int32_t r, int32_t g, int32_t b) const {
        return static_cast<uint16_t>(((static_cast<uint32_t>(r) << rs) & rm) |
                                     ((static_cast<uint32_t>(g) << 5) & gm) |
                                     (static_cast<uint32_t>(b) & bm));
    }

    uint16_t Half(uint32_t s, uint32_t d) const {
        return static_cast<uint16_t>(((s >> 1) & half) + ((d >> 1) & half));
    }
    uint16_t Add(uint32_t s, uint32_t d) const {
        return Pack(std::min(R(s) + R(d), rmax), std::min(G(s) + G(d), gmax), std::min(B(s) + B(d), bmax));
    }
    // pd, ps: destination and source percent.
    uint16_t Mix(uint32_t s, uint32_t d, uint32_t pd, uint32_t ps) const {
        auto ch = [&](int32_t sv, int32_t dv, int32_t mx) {
            const uint64_t v =
                (uint64_t{pd} * static_cast<uint32_t>(dv) + uint64_t{ps} * static_cast<uint32_t>(sv)) / 100;
            return static_cast<int32_t>(std::min<uint64_t>(v, static_cast<uint64_t>(mx)));
        };
        return Pack(ch(R(s), R(d), rmax), ch(G(s), G(d), gmax), ch(B(s), B(d), bmax));
    }
    // d + floor((s - d) x a / 256), a in 1..254.
    uint16_t Blend(uint32_t s, uint32_t d, int32_t a) const {
        auto ch = [a](int32_t sv, int32_t dv) { return dv + (((sv - dv) * a) >> 8); };
        return Pack(ch(R(s), R(d)), ch(G(s), G(d)), ch(B(s), B(d)));
    }
    // The four-lane form: d + floor((s - d + 64) x a / 256) - floor(a / 4).
    uint16_t BlendLane(uint32_t s, uint32_t d, int32_t a) const {
        auto ch = [a](int32_t sv, int32_t dv) { return dv + (((sv - dv + 64) * a) >> 8) - (a >> 2); };
        return Pack(ch(R(s), R(d)), ch(G(s), G(d)), ch(B(s), B(d)));
    }
    uint16_t Alpha(uint32_t s, uint32_t d, int32_t a) const {
        if (a == 0) return static_cast<uint16_t>(d);
        if (a >= 255) return static_cast<uint16_t>(s);
        return Blend(s, d, a);
    }
    uint16_t Shadow(uint32_t d, int32_t a) const {
        if (a == 0) return static_cast<uint16_t>(d);
        if (a >= 255) return 0;
        const int32_t k = 255 - a;
        return Pack((R(d) * k) >> 8, (G(d) * k) >> 8, (B(d) * k) >> 8);
    }
};

// Levels above 255 are taken as 255, so a scaled alpha never reaches the
// copy value and no channel leaves its field.
inline int32_t ClampLevel(uint32_t level) {
    return level > 255 ? 255 : static_cast<int32_t>(level);
}

// Blends `count` pixels through their alpha bytes, grouped as the four-lane
// blitters group them: one pixel alone when the count is odd, then one pair
// when half the rest is odd (both scalar), then groups of four, left alone
// when all four alphas are 0, copied when all are 255 (not with a level),
// else blended with the four-lane formula. level < 0: no level.
template <class Src>
void AlphaRun(const Fmt& fmt, uint8_t* dst, Src src, const uint8_t* alpha, int32_t count, int32_t level) {
    auto scalar = [&](int32_t i) {
        int32_t a = alpha[i];
        uint8_t* d = dst + 2 * i;
        if (level >= 0) {
            a = (a * level) >> 8;
            if (a) Store16(d, fmt.Blend(src(i), Load16(d), a));
        } else {
            Store16(d, fmt.Alpha(src(i), Load16(d), a));
        }
    };
    int32_t i = 0;
    if (count & 1) scalar(i++);
    if (((count - i) / 2) & 1) {
        scalar(i++);
        scalar(i++);
    }
    for (; i + 3 < count; i += 4) {
        const uint8_t* a = alpha + i;
        if ((a[0] | a[1] | a[2] | a[3]) == 0) continue;
        if (level < 0 && (a[0] & a[1] & a[2] & a[3]) == 255) {
            for (int32_t k = 0; k < 4; ++k)
                Store16(dst + 2 * (i + k), src(i + k));
            continue;
        }
        for (int32_t k = 0; k < 4; ++k) {
            const int32_t ak = level < 0 ? a[k] : (a[k] * level) >> 8;
            uint8_t* d = dst + 2 * (i + k);
            Store16(d, fmt.BlendLane(src(i + k), Load16(d), ak));
        }
    }
}

// Calls row(dst, srcRow, srcCol, cols) for each visible row of a w x h source
// at (x, y) on the current target.
template <class Row> void ForRawFrame(int32_t x, int32_t y, int32_t w, int32_t h, Row&& row) {
    Frame f;
    if (!TargetUsable() || !ClipFrame(x, y, w, h, g_lTargetWidth, g_lTargetHeight, f)) return;
    for (int32_t r = 0; r < f.rows; ++r)
        row(TargetAt(f.dstX, f.dstY + r), f.srcRow + r, f.srcCol, f.cols);
}

// Calls fill(dst, count) for each row of the inclusive rectangle clipped to
// the target. Reversed corners draw nothing.
template <class Fill> void ForRectFrame(int32_t x1, int32_t y1, int32_t x2, int32_t y2, Fill&& fill) {
    if (!TargetUsable()) return;
    if (x1 >= g_lTargetWidth || y1 >= g_lTargetHeight || x2 < 0 || y2 < 0) return;
    x1 = std::max(x1, 0);
    y1 = std::max(y1, 0);
    x2 = std::min(x2, g_lTargetWidth - 1);
    y2 = std::min(y2, g_lTargetHeight - 1);
    if (x2 < x1 || y2 < y1) return;
    for (int32_t y = y1; y <= y2; ++y)
        fill(TargetAt(x1, y), x2 - x1 + 1);
}

// Walks a run-length image whose rows start at img + at, `unit` bytes a
// source pixel (2 for 16-bit pixels, 1 for palette indexes), rows of w
// pixels and h rows, placed at (x, y). For every run of every row, drawn or
// not, run(dst, src, firstPixel, count, runPixels) is called: dst and src
// point at the first drawn pixel (count pixels from pixel firstPixel of the
// run), count is 0 for what is not drawn, runPixels is the run's full
// length. run returns false to stop the whole walk.
template <class Run>
void ForRleFrame(int32_t x, int32_t y, const uint8_t* img, size_t at, size_t recordBytes, int32_t unit,
                 int32_t w, int32_t h, Run&& run) {
    Frame f;
    if (!TargetUsable() || !ClipFrame(x, y, w, h, g_lTargetWidth, g_lTargetHeight, f)) return;
    const int32_t rowLen = w * unit;
    const int64_t visFrom = int64_t{f.srcCol} * unit;
    const int64_t visTo = visFrom + int64_t{f.cols} * unit;
    bool stop = false;
    for (int32_t r = 0; r < f.srcRow + f.rows && !stop; ++r) {
        const bool drawn = r >= f.srcRow;
        uint8_t* rowDst = drawn ? TargetAt(f.dstX, f.dstY + r - f.srcRow) : nullptr;
        const bool ok = WalkRleRow(
            img, at, recordBytes, rowLen, [&](int32_t p, const uint8_t* data, int32_t n, int32_t full) {
                if (stop) return;
                const int64_t a = std::max<int64_t>(p, visFrom);
                const int64_t b = std::min<int64_t>(int64_t{p} + n, visTo);
                const int32_t count = drawn && a < b ? static_cast<int32_t>((b - a) / unit) : 0;
                uint8_t* dst = count ? rowDst + (a - visFrom) * (2 / unit) : nullptr;
                const int32_t first = count ? static_cast<int32_t>((a - p) / unit) : 0;
                if (!run(dst, count ? data + (a - p) : data, first, count, full / unit)) stop = true;
            });
        if (!ok) return;
    }
}

} // namespace pf_detail
