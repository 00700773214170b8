#include "tile2d/frame_decoders.h"

#include <algorithm>

#include "tile2d/tile_walk.h"

using namespace t2d_detail;

namespace {

constexpr uint64_t kLinearEnd = 320 * 240, kWideEnd = 640 * 480, kLine = 640;

// 6-bit channels, red first.
struct C6 {
    uint32_t c[3];
};

struct Fitter {
    uint32_t shift[3];
    bool six[3];
    Fitter() {
        const ss_GfxState& g = g_oGfx;
        if (!g.lRedMask) {
            *this = Fitter(0);
            return;
        }
        shift[0] = g.bRedShift;
        shift[1] = g.bGreenShift;
        shift[2] = 0;
        six[0] = (g.lRedMask >> g.bRedShift) == 63;
        six[1] = (g.lGreenMask >> g.bGreenShift) == 63;
        six[2] = g.lBlueMask == 63;
    }
    explicit Fitter(int) : shift{10, 5, 0}, six{false, false, false} {}
    uint16_t operator()(const C6& v) const {
        uint32_t p = 0;
        for (int k = 0; k < 3; ++k)
            p |= (six[k] ? v.c[k] : v.c[k] >> 1) << shift[k];
        return static_cast<uint16_t>(p);
    }
};

C6 Lower(C6 v, uint32_t div) {
    for (uint32_t& x : v.c)
        x -= x / div;
    return v;
}

C6 Halve(C6 v) {
    for (uint32_t& x : v.c)
        x /= 2;
    return v;
}

// Calls run(colour, transparent, count) for each run the frame holds; stops
// when it returns false.
template <class Run>
void ForRuns(const uint8_t* frame, uint32_t bytes, Run&& run) {
    if (!frame || bytes < 4) return;
    const uint32_t runs = std::min(Load32(frame) / 4, (bytes - 4) / 4);
    for (uint32_t i = 0; i < runs; ++i) {
        const uint32_t v = Load32(frame + 4 + uint64_t{i} * 4);
        const C6 c{{(v >> 16 & 0xFF) / 4, (v >> 8 & 0xFF) / 4, (v & 0xFF) / 4}};
        if (!run(c, (v & 0xFFFFFF) == 0, v >> 24)) return;
    }
}

struct Target {
    uint16_t* p;
    uint64_t limit;
    void Set(uint64_t at, uint16_t v) const {
        if (at < limit) p[at] = v;
    }
};

// The wide walk: put(target, even-line position, odd-line offset, colour)
// for every frame pixel of a colour run.
template <class Put>
void WalkWide(const uint8_t* frame, uint32_t bytes, uint16_t* dst, uint32_t dstPixels, uint32_t w, Put&& put) {
    if (!dst || w == 0) return;
    const Target t{dst, std::min<uint64_t>(kWideEnd, dstPixels)};
    const uint64_t line = uint64_t{2} * w;
    uint64_t pos = 0, rowLeft = w;
    ForRuns(frame, bytes, [&](const C6& c, bool transparent, uint32_t n) {
        // A run longer than what is left of the row goes on at the start of
        // the next even line, as often as it needs.
        while (n) {
            const uint32_t m = static_cast<uint32_t>(std::min<uint64_t>(n, rowLeft));
            if (!transparent)
                for (uint32_t k = 0; k < m && pos + 2 * k < t.limit; ++k)
                    put(t, pos + 2 * k, line, c);
            pos += uint64_t{2} * m;
            rowLeft -= m;
            n -= m;
            if (rowLeft == 0) {
                pos += line;
                rowLeft = w;
            }
            if (pos >= t.limit && n) break;
        }
        return pos < kWideEnd && pos < t.limit;
    });
}

} // namespace

void v_ShowRunFrame(const uint8_t* frame, uint32_t bytes, uint16_t* dst, uint32_t dstPixels) {
    if (!dst) return;
    const Fitter fit;
    const uint64_t limit = std::min<uint64_t>(kLinearEnd, dstPixels);
    uint64_t pos = 0;
    ForRuns(frame, bytes, [&](const C6& c, bool transparent, uint32_t n) {
        if (!transparent) {
            const uint16_t px = fit(c);
            const uint64_t end = std::min(pos + n, limit);
            for (uint64_t i = pos; i < end; ++i)
                dst[i] = px;
        }
        pos += n;
        return pos < limit;
    });
}

void v_ShowRunFrameWide(const uint8_t* frame, uint32_t bytes, uint16_t* dst, uint32_t dstPixels, uint32_t w) {
    const Fitter fit;
    WalkWide(frame, bytes, dst, dstPixels, w, [&](const Target& t, uint64_t at, uint64_t, const C6& c) {
        const uint16_t px = fit(c);
        t.Set(at, px);
        t.Set(at + 1, px);
    });
}

void v_ShowRunFrameDouble(const uint8_t* frame, uint32_t bytes, uint16_t* dst, uint32_t dstPixels, uint32_t w) {
    const Fitter fit;
    WalkWide(frame, bytes, dst, dstPixels, w, [&](const Target& t, uint64_t at, uint64_t line, const C6& c) {
        const uint16_t px = fit(c);
        for (uint64_t a : {at, at + 1, at + line, at + line + 1})
            t.Set(a, px);
    });
}

namespace {

void Scan(const uint8_t* frame, uint32_t bytes, uint16_t* dst, uint32_t dstPixels, uint32_t w, uint32_t div) {
    const Fitter fit;
    WalkWide(frame, bytes, dst, dstPixels, w, [&](const Target& t, uint64_t at, uint64_t line, const C6& c) {
        const uint16_t full = fit(c), dim = fit(Lower(c, div));
        t.Set(at, dim);
        t.Set(at + 1, dim);
        t.Set(at + line, full);
        t.Set(at + line + 1, full);
    });
}

} // namespace

void v_ShowRunFrameScan8(const uint8_t* frame, uint32_t bytes, uint16_t* dst, uint32_t dstPixels, uint32_t w) {
    Scan(frame, bytes, dst, dstPixels, w, 8);
}

void v_ShowRunFrameScan4(const uint8_t* frame, uint32_t bytes, uint16_t* dst, uint32_t dstPixels, uint32_t w) {
    Scan(frame, bytes, dst, dstPixels, w, 4);
}

void v_ShowRunFrameShade(const uint8_t* frame, uint32_t bytes, uint16_t* dst, uint32_t dstPixels, uint32_t w) {
    const Fitter fit;
    WalkWide(frame, bytes, dst, dstPixels, w, [&](const Target& t, uint64_t at, uint64_t line, const C6& c) {
        const uint16_t full = fit(c), dim = fit(Lower(c, 4)), half = fit(Halve(c));
        t.Set(at, dim);
        t.Set(at + 1, half);
        t.Set(at + line, full);
        t.Set(at + line + 1, dim);
    });
}

void v_ShowRunFrameSmooth(const uint8_t* frame, uint32_t bytes, uint16_t* dst, uint32_t dstPixels, uint32_t w) {
    if (!dst || w == 0) return;
    const Fitter fit;
    WalkWide(frame, bytes, dst, dstPixels, w, [&](const Target& t, uint64_t at, uint64_t, const C6& c) {
        t.Set(at, fit(c));
        t.Set(at + 1, 0);
    });
    // The second pass reads only even-line, even-column pixels, which it
    // never writes, so the order of the blocks does not matter.
    const Channels ch = Channels::Current();
    const uint64_t limit = std::min<uint64_t>(kWideEnd, dstPixels);
    for (uint64_t r = 0; r < 239; ++r) {
        const uint64_t top = 2 * r * kLine, below = top + 2 * kLine;
        if (below + kLine > limit) break;
        for (uint64_t c = 0; c < 319; ++c) {
            const uint16_t p = dst[top + 2 * c];
            dst[top + 2 * c + 1] = ch.Half(p, dst[top + 2 * c + 2]);
            dst[top + kLine + 2 * c] = ch.Half(p, dst[below + 2 * c]);
            dst[top + kLine + 2 * c + 1] = ch.Half(p, dst[below + 2 * c + 2]);
        }
    }
}
