#include "tile2d/scaled_images.h"

#include <algorithm>
#include <array>

#include "tile2d/bounded_rows.h"
#include "tile2d/rle_walk.h"
#include "tile2d/tile_walk.h"

using t2d_detail::Channels;
using t2d_detail::ClipSpan;
using t2d_detail::Load16;
using t2d_detail::Load32;

ss_ScaledCall g_oScaledCall;

namespace {

__extension__ using Wide = __int128;

// Source position of output k along one axis, with the whole step q and
// the 32-bit fraction f of source size / target size.
struct Axis {
    uint32_t q = 0, f = 0;
    Axis(uint32_t from, uint32_t to)
        : q(from / to), f(static_cast<uint32_t>(0xFFFFFFFFull * (from % to) / to)) {}
    // The accumulator starts at one fraction step, so position k has seen
    // the carries of k + 1 steps.
    uint64_t At(uint64_t k) const { return k * q + (((k + 1) * f) >> 32); }
    uint32_t AccAt(uint64_t k) const { return static_cast<uint32_t>((k + 1) * f); }
    void Step(uint64_t& pos, uint32_t& acc) const {
        pos += q;
        const uint32_t before = acc;
        acc += f;
        if (acc < before) ++pos;
    }
};

// A 16-bit image read in place; only the rows held whole are available.
struct Source16 {
    const uint8_t* px = nullptr;
    uint32_t w = 0, h = 0, rows = 0;
    const uint8_t* row = nullptr;

    bool Read(const uint8_t* image, uint32_t bytes) {
        if (!image || bytes < 4) return false;
        const uint32_t size = Load32(image);
        w = size & 0xFFFF;
        h = size >> 16;
        if (!w || !h) return false;
        rows = std::min<uint32_t>(h, (bytes - 4) / (2 * w));
        px = image + 4;
        return true;
    }
    bool Seek(uint64_t r) {
        if (r >= rows) return false;
        row = px + r * w * 2;
        return true;
    }
    uint16_t Pixel(uint64_t c) const { return Load16(row + c * 2); }
};

// One decoded source row of a paletted image. Shared by every call, as the
// library's scratch state is; it holds the widest row a size word allows.
std::array<uint16_t, 65536> g_aRow;

// A paletted run-coded image decoded row by row, front to back: rows before
// the one wanted are decoded and dropped, runs carrying on across them.
struct SourcePal {
    const uint8_t* palette = nullptr;
    uint32_t w = 0, h = 0;
    int32_t ax = 0, ay = 0; // raw anchor codes
    bool transparent = false;
    t2d_rle::KeyCodes rd{nullptr, nullptr, 0};
    uint32_t left = 0; // pixels of the current run not yet decoded
    uint8_t value = 0;
    int64_t decoded = -1; // the row in g_aRow

    bool Read(const uint8_t* image, uint32_t bytes, bool anchored) {
        const uint32_t keyAt = anchored ? 516 : 512;
        if (!image || bytes < keyAt + 5) return false;
        palette = image;
        if (anchored) {
            const uint32_t a = Load32(image + 512);
            ax = static_cast<int32_t>(a & 0xFFFF);
            ay = static_cast<int32_t>(a >> 16);
        }
        const uint32_t size = Load32(image + keyAt + 1);
        w = size & 0xFFFF;
        h = size >> 16;
        rd = t2d_rle::KeyCodes{image + keyAt + 5, image + bytes, image[keyAt]};
        return w && h;
    }
    bool DecodeRow(bool keep) {
        uint32_t col = 0;
        while (col < w) {
            while (!left)
                if (!rd.Next(left, value)) return false;
            const uint32_t n = std::min(left, w - col);
            if (keep) {
                const uint16_t c = transparent && !value ? uint16_t{0} : Load16(palette + 2 * value);
                std::fill_n(g_aRow.begin() + col, n, c);
            }
            col += n;
            left -= n;
        }
        return true;
    }
    bool Seek(uint64_t r) {
        if (r >= h) return false;
        while (decoded < static_cast<int64_t>(r)) {
            if (!DecodeRow(decoded + 1 == static_cast<int64_t>(r))) return false;
            ++decoded;
        }
        return true;
    }
    uint16_t Pixel(uint64_t c) const { return g_aRow[c]; }
};

// Draws source (sw x sh) scaled to W x H with its top-left at (X, Y):
// put(destination pixel, source pixel) for every output pixel inside the
// buffer. Returns the output rows drawn.
template <class Source, class Put>
uint32_t Scale(Source& src, int64_t X, int64_t Y, uint32_t W, uint32_t H, uint16_t* dst, uint32_t dstPixels,
               uint32_t pitch, Put&& put) {
    if (!dst || !W || !H || !src.w || !src.h) return 0;
    const Axis ax(src.w, W), ay(src.h, H);
    // Rows move forward through the buffer: begin at the first that can
    // reach it and stop at the first past its end.
    const Wide first = Wide{Y} * pitch + X;
    if (first >= dstPixels) return 0;
    uint64_t j = 0;
    if (first + W <= 0) {
        if (!pitch) return 0;
        j = static_cast<uint64_t>((-first - W) / pitch + 1);
        if (j >= H) return 0;
    }
    int64_t at = static_cast<int64_t>(first + Wide{j} * pitch);
    uint64_t row = ay.At(j);
    uint32_t accY = ay.AccAt(j);
    uint32_t drawn = 0;
    for (; j < H; ++j) {
        if (at >= static_cast<int64_t>(dstPixels) || !src.Seek(row)) break;
        ClipSpan(dst, dstPixels, at, W, [&](uint16_t* d, int64_t cut, uint32_t n) {
            uint64_t col = ax.At(static_cast<uint64_t>(cut));
            uint32_t accX = ax.AccAt(static_cast<uint64_t>(cut));
            for (uint32_t i = 0; i < n; ++i) {
                put(d[i], src.Pixel(col));
                ax.Step(col, accX);
            }
        });
        ++drawn;
        at += pitch;
        ay.Step(row, accY);
    }
    return drawn;
}

template <class Put>
void Show16(int32_t x, int32_t y, const uint8_t* image, uint32_t bytes, uint32_t W, uint32_t H, uint16_t* dst,
            uint32_t dstPixels, uint32_t pitch, Put&& put) {
    Source16 src;
    if (!src.Read(image, bytes)) return;
    Scale(src, x, y, W, H, dst, dstPixels, pitch, [&](uint16_t& d, uint16_t c) {
        if (c) d = put(c, d);
    });
}

// The anchor scaled to the target: back by at most the position itself,
// or forward.
int64_t AnchorAxis(int64_t pos, uint32_t code, uint32_t target, uint32_t source) {
    if (code < 5000) {
        const int64_t off = static_cast<int64_t>(uint64_t{code} * target / source);
        return pos - (off > pos ? pos : off);
    }
    return pos + static_cast<int64_t>(uint64_t{code - 5000} * target / source);
}

enum class Mode { Opaque, Key, Half, Add };

uint32_t ShowPal(bool anchored, Mode mode, int32_t x, int32_t y, const uint8_t* image, uint32_t bytes, uint32_t W,
                 uint32_t H, uint16_t* dst, uint32_t dstPixels, uint32_t pitch) {
    SourcePal src;
    src.transparent = mode != Mode::Opaque;
    if (!src.Read(image, bytes, anchored) || !W || !H) return 0;
    int64_t X = x, Y = y;
    if (anchored) {
        X = AnchorAxis(X, static_cast<uint32_t>(src.ax), W, src.w);
        Y = AnchorAxis(Y, static_cast<uint32_t>(src.ay), H, src.h);
    }
    const Channels ch = Channels::Current();
    switch (mode) {
    case Mode::Opaque:
        return Scale(src, X, Y, W, H, dst, dstPixels, pitch, [](uint16_t& d, uint16_t c) { d = c; });
    case Mode::Key:
        return Scale(src, X, Y, W, H, dst, dstPixels, pitch, [](uint16_t& d, uint16_t c) {
            if (c) d = c;
        });
    case Mode::Half:
        return Scale(src, X, Y, W, H, dst, dstPixels, pitch, [&](uint16_t& d, uint16_t c) {
            if (c) d = ch.Half(c, d);
        });
    case Mode::Add:
        return Scale(src, X, Y, W, H, dst, dstPixels, pitch, [&](uint16_t& d, uint16_t c) {
            if (c) d = ch.AddSat(c, d);
        });
    }
    return 0;
}

} // namespace

void v_ShowScaled16Half(int32_t x, int32_t y, const uint8_t* image, uint32_t bytes, uint32_t width, uint32_t height,
                        uint16_t* dst, uint32_t dstPixels, uint32_t pitch) {
    const Channels ch = Channels::Current();
    Show16(x, y, image, bytes, width, height, dst, dstPixels, pitch,
           [&](uint16_t c, uint16_t d) { return ch.Half(c, d); });
}

void v_ShowScaled16Add(int32_t x, int32_t y, const uint8_t* image, uint32_t bytes, uint32_t width, uint32_t height,
                       uint16_t* dst, uint32_t dstPixels, uint32_t pitch) {
    const Channels ch = Channels::Current();
    Show16(x, y, image, bytes, width, height, dst, dstPixels, pitch,
           [&](uint16_t c, uint16_t d) { return ch.AddSat(c, d); });
}

void v_ShowPalettedScaledAnchoredOpaque(int32_t x, int32_t y, const uint8_t* image, uint32_t bytes, uint32_t width,
                                        uint32_t height, uint16_t* dst, uint32_t dstPixels, uint32_t pitch) {
    ShowPal(true, Mode::Opaque, x, y, image, bytes, width, height, dst, dstPixels, pitch);
}

void v_ShowPalettedScaledOpaque(int32_t x, int32_t y, const uint8_t* image, uint32_t bytes, uint32_t width,
                                uint32_t height, uint16_t* dst, uint32_t dstPixels, uint32_t pitch) {
    ShowPal(false, Mode::Opaque, x, y, image, bytes, width, height, dst, dstPixels, pitch);
}

void v_ShowPalettedScaledAnchored(int32_t x, int32_t y, const uint8_t* image, uint32_t bytes, uint32_t width,
                                  uint32_t height, uint16_t* dst, uint32_t dstPixels, uint32_t pitch) {
    ShowPal(true, Mode::Key, x, y, image, bytes, width, height, dst, dstPixels, pitch);
}

void v_ShowPalettedScaled(int32_t x, int32_t y, const uint8_t* image, uint32_t bytes, uint32_t width,
                          uint32_t height, uint16_t* dst, uint32_t dstPixels, uint32_t pitch) {
    ShowPal(false, Mode::Key, x, y, image, bytes, width, height, dst, dstPixels, pitch);
}

void v_ShowPalettedScaledAnchoredHalf(int32_t x, int32_t y, const uint8_t* image, uint32_t bytes, uint32_t width,
                                      uint32_t height, uint16_t* dst, uint32_t dstPixels, uint32_t pitch) {
    ShowPal(true, Mode::Half, x, y, image, bytes, width, height, dst, dstPixels, pitch);
}

void v_ShowPalettedScaledHalf(int32_t x, int32_t y, const uint8_t* image, uint32_t bytes, uint32_t width,
                              uint32_t height, uint16_t* dst, uint32_t dstPixels, uint32_t pitch) {
    ShowPal(false, Mode::Half, x, y, image, bytes, width, height, dst, dstPixels, pitch);
}

void v_ShowPalettedScaledAnchoredAdd(int32_t x, int32_t y, const uint8_t* image, uint32_t bytes, uint32_t width,
                                     uint32_t height, uint16_t* dst, uint32_t dstPixels, uint32_t pitch) {
    ShowPal(true, Mode::Add, x, y, image, bytes, width, height, dst, dstPixels, pitch);
}

void v_ShowPalettedScaledAdd(int32_t x, int32_t y, const uint8_t* image, uint32_t bytes, uint32_t width,
                             uint32_t height, uint16_t* dst, uint32_t dstPixels, uint32_t pitch) {
    ShowPal(false, Mode::Add, x, y, image, bytes, width, height, dst, dstPixels, pitch);
}

uint32_t l_ShowPalettedScaled() {
    const ss_ScaledCall& c = g_oScaledCall;
    return ShowPal(false, Mode::Opaque, c.x, c.y, c.pImage, c.lBytes, c.lWidth, c.lHeight, c.pDest, c.lDestPixels,
                   c.lPitch);
}
