#include "tile2d/plain_blits.h"

#include <cstring>

#include "tile2d/bounded_rows.h"
#include "tile2d/byte_utils.h"
#include "tile2d/colour_fill.h"
#include "tile2d/tile_walk.h"

using namespace t2d_detail;

namespace {

struct Image {
    uint32_t w = 0, h = 0; // h: the rows held whole
    uint32_t storedH = 0;
    const uint8_t* px = nullptr;
};

bool ReadImage(const uint8_t* p, uint32_t bytes, uint32_t unit, Image& im) {
    if (!p || bytes < 4) return false;
    const uint32_t s = Load32(p);
    im.w = s & 0xFFFF;
    im.storedH = s >> 16;
    if (im.w == 0) return false;
    im.h = std::min<uint32_t>(im.storedH, (bytes - 4) / (im.w * unit));
    im.px = p + 4;
    return im.h != 0;
}

// The screen-range test made before each row: the row's address at or
// beyond the range's end stops the drawing.
bool PastScreenEnd(const uint16_t* dst, int64_t at) {
    const int64_t addr = static_cast<int64_t>(reinterpret_cast<uintptr_t>(dst)) + at * 2;
    return addr >= static_cast<int64_t>(reinterpret_cast<uintptr_t>(g_oGfx.pScreenEnd));
}

// fn(row, pixel index of the row's first pixel) for rows 0 .. rows - 1.
template <class RowFn>
void ForRows(int64_t x, int64_t y, uint32_t rows, const uint16_t* dst, uint32_t pitch, bool screenTest, RowFn&& fn) {
    for (uint32_t r = 0; r < rows; ++r) {
        const int64_t at = Offset(y + r, pitch, x);
        if (screenTest && PastScreenEnd(dst, at)) return;
        fn(r, at);
    }
}

// op(image pixel, destination pixel) over every pixel of a 16-bit image;
// `key` leaves the destination where the image pixel is 0.
template <class Op>
void Show16(int32_t x, int32_t y, const uint8_t* image, uint32_t bytes, uint16_t* dst, uint32_t dstPixels,
            uint32_t pitch, bool key, Op&& op) {
    Image im;
    if (!ReadImage(image, bytes, 2, im)) return;
    ForRows(x, y, im.h, dst, pitch, true, [&](uint32_t r, int64_t at) {
        const uint8_t* row = im.px + uint64_t{r} * im.w * 2;
        ClipSpan(dst, dstPixels, at, im.w, [&](uint16_t* d, int64_t cut, uint32_t n) {
            for (uint32_t i = 0; i < n; ++i) {
                const uint16_t c = Load16(row + (cut + i) * 2);
                if (!key || c) d[i] = op(c, d[i]);
            }
        });
    });
}

// Show16 with a lead-in of black pixels before each row.
template <class Op>
void Show16Shear(int32_t x, int32_t y, const uint8_t* image, uint32_t bytes, uint16_t* dst, uint32_t dstPixels,
                 uint32_t pitch, const uint8_t* leadIn, uint32_t leadInBytes, Op&& op) {
    Image im;
    if (!ReadImage(image, bytes, 2, im) || !leadIn) return;
    const uint32_t rows = std::min(im.h, leadInBytes / 4);
    ForRows(x, y, rows, dst, pitch, true, [&](uint32_t r, int64_t at) {
        const int64_t lead = Load32(leadIn + uint64_t{r} * 4) / 2;
        ClipSpan(dst, dstPixels, at, lead, [](uint16_t* d, int64_t, uint32_t n) { std::fill_n(d, n, uint16_t{0}); });
        const uint8_t* row = im.px + uint64_t{r} * im.w * 2;
        ClipSpan(dst, dstPixels, at + lead, im.w, [&](uint16_t* d, int64_t cut, uint32_t n) {
            for (uint32_t i = 0; i < n; ++i)
                d[i] = op(Load16(row + (cut + i) * 2), d[i]);
        });
    });
}

uint16_t Colour24(uint32_t r, uint32_t g, uint32_t b) {
    return static_cast<uint16_t>(l_ModeColour(r << 16 | g << 8 | b));
}

uint32_t Level(uint32_t v) {
    return v & 63;
}

// A rectangle copy: op(source pixel, destination pixel, mask byte) for the
// w x h block at (x, y) of the source; `skip(c, m)` passes a pixel over.
template <class Skip, class Op>
void Copy16(int32_t x, int32_t y, int32_t w, int32_t h, uint16_t* dst, uint32_t dstPixels, uint32_t dstPitch,
            const uint16_t* src, uint32_t srcPixels, uint32_t srcPitch, const uint8_t* mask, uint32_t maskBytes,
            bool screenTest, Skip&& skip, Op&& op) {
    if (!src || w <= 0 || h <= 0) return;
    ForRows(0, 0, static_cast<uint32_t>(h), dst, dstPitch, screenTest, [&](uint32_t r, int64_t at) {
        const int64_t from = Offset(int64_t{y} + r, srcPitch, x);
        ClipSpan(dst, dstPixels, at, w, [&](uint16_t* d, int64_t cut, uint32_t n) {
            for (uint32_t i = 0; i < n; ++i) {
                const int64_t s = from + cut + i;
                if (s < 0 || s >= int64_t{srcPixels}) continue;
                uint8_t m = 255;
                if (mask) {
                    if (s >= int64_t{maskBytes}) continue;
                    m = mask[s];
                }
                const uint16_t c = src[s];
                if (!skip(c, m)) d[i] = op(c, d[i], m);
            }
        });
    });
}

// Source offsets of the scaled pixels along one axis: pos(k) for k < count.
struct ScaleAxis {
    uint32_t q, f;
    ScaleAxis(uint32_t from, uint32_t to)
        : q(from / to), f(static_cast<uint32_t>(0xFFFFFFFFull * (from % to) / to)) {}
    // One step: move by q, and by one more when the accumulator carries.
    void Step(uint64_t& pos, uint32_t& acc) const {
        pos += q;
        const uint32_t before = acc;
        acc += f;
        if (acc < before) ++pos;
    }
};

// put(output row, output column, source pixel) for every scaled pixel; a
// source pixel outside the `rows` present ends the walk.
template <class Get, class Put>
void Scale(uint32_t srcW, uint32_t srcH, uint32_t rows, uint32_t newW, uint32_t newH, Get&& get, Put&& put) {
    if (!srcW || !srcH || !newW || !newH) return;
    const ScaleAxis ax(srcW, newW), ay(srcH, newH);
    uint64_t row = 0;
    uint32_t accY = ay.f;
    for (uint32_t j = 0; j < newH; ++j) {
        if (row >= rows) return;
        uint64_t col = 0;
        uint32_t accX = ax.f;
        for (uint32_t i = 0; i < newW; ++i) {
            if (col >= srcW) break;
            put(j, i, get(row, col));
            ax.Step(col, accX);
        }
        ay.Step(row, accY);
    }
}

void ShowScaled(int32_t x, int32_t y, const uint8_t* image, uint32_t bytes, uint32_t newW, uint32_t newH,
                uint16_t* dst, uint32_t dstPixels, uint32_t pitch, bool key) {
    Image im;
    if (!ReadImage(image, bytes, 2, im)) return;
    Scale(
        im.w, im.storedH, im.h, newW, newH, [&](uint64_t r, uint64_t c) { return Load16(im.px + (r * im.w + c) * 2); },
        [&](uint32_t j, uint32_t i, uint16_t c) {
            if (key && c == 0) return;
            const int64_t at = Offset(int64_t{y} + j, pitch, int64_t{x} + i);
            if (at >= 0 && at < int64_t{dstPixels} && dst) dst[at] = c;
        });
}

} // namespace

void v_ShowImage24Clip(int32_t x, int32_t y, const uint8_t* image, uint32_t bytes, uint16_t* dst, uint32_t dstPixels,
                       uint32_t pitch, uint32_t heightLimit) {
    Image im;
    if (!ReadImage(image, bytes, 3, im)) return;
    int64_t cols = im.w, rows = im.h;
    const int64_t overX = int64_t{x} + im.w - pitch, overY = int64_t{y} + im.storedH - heightLimit;
    if (overX > 0) {
        if (overX >= im.w) return;
        cols -= overX;
    }
    if (overY > 0) {
        if (overY >= im.storedH) return;
        rows = std::min<int64_t>(rows, im.storedH - overY);
    }
    ForRows(x, y, static_cast<uint32_t>(rows), dst, pitch, true, [&](uint32_t r, int64_t at) {
        const uint8_t* row = im.px + uint64_t{r} * im.w * 3;
        ClipSpan(dst, dstPixels, at, cols, [&](uint16_t* d, int64_t cut, uint32_t n) {
            for (uint32_t i = 0; i < n; ++i) {
                const uint8_t* p = row + (cut + i) * 3;
                d[i] = Colour24(p[2], p[1], p[0]);
            }
        });
    });
}

void v_ShowImage24Map(int32_t x, int32_t y, uint8_t* image, uint32_t bytes, uint16_t* dst, uint32_t dstPixels,
                      uint32_t pitch, const uint8_t* weights, uint32_t weightBytes, uint32_t writeBack) {
    const uint8_t* table = p_LookupTable();
    Image im;
    if (!table || !weights || !ReadImage(image, bytes, 3, im)) return;
    const uint32_t rows = std::min(im.h, weightBytes / im.w);
    uint8_t* px = image + 4;
    ForRows(x, y, rows, dst, pitch, true, [&](uint32_t r, int64_t at) {
        const uint64_t first = uint64_t{r} * im.w;
        ClipSpan(dst, dstPixels, at, im.w, [&](uint16_t* d, int64_t cut, uint32_t n) {
            for (uint32_t i = 0; i < n; ++i) {
                const uint64_t k = first + cut + i;
                const uint8_t* t = table + uint32_t{weights[k]} * 256;
                uint8_t* p = px + k * 3;
                const uint8_t b = t[p[0]], g = t[p[1]], rr = t[p[2]];
                if (writeBack) {
                    p[0] = b;
                    p[1] = g;
                    p[2] = rr;
                }
                d[i] = Colour24(rr, g, b);
            }
        });
    });
}

void v_ShowImage8Rgb(int32_t x, int32_t y, const uint8_t* image, uint32_t bytes, const uint8_t* palette,
                     uint32_t paletteBytes, uint16_t* dst, uint32_t dstPixels, uint32_t pitch) {
    Image im;
    if (!palette || paletteBytes < 768 || !ReadImage(image, bytes, 1, im)) return;
    uint16_t colours[256];
    for (uint32_t i = 0; i < 256; ++i)
        colours[i] = Colour24(palette[3 * i], palette[3 * i + 1], palette[3 * i + 2]);
    ForRows(x, y, im.h, dst, pitch, true, [&](uint32_t r, int64_t at) {
        const uint8_t* row = im.px + uint64_t{r} * im.w;
        ClipSpan(dst, dstPixels, at, im.w, [&](uint16_t* d, int64_t cut, uint32_t n) {
            for (uint32_t i = 0; i < n; ++i)
                d[i] = colours[row[cut + i]];
        });
    });
}

void v_ShowImage16(int32_t x, int32_t y, const uint8_t* image, uint32_t bytes, uint16_t* dst, uint32_t dstPixels,
                   uint32_t pitch) {
    Show16(x, y, image, bytes, dst, dstPixels, pitch, false, [](uint16_t c, uint16_t) { return c; });
}

void v_ShowImage16Shear(int32_t x, int32_t y, const uint8_t* image, uint32_t bytes, uint16_t* dst,
                        uint32_t dstPixels, uint32_t pitch, const uint8_t* leadIn, uint32_t leadInBytes) {
    Show16Shear(x, y, image, bytes, dst, dstPixels, pitch, leadIn, leadInBytes, [](uint16_t c, uint16_t) { return c; });
}

void v_ShowImage16Half(int32_t x, int32_t y, const uint8_t* image, uint32_t bytes, uint16_t* dst, uint32_t dstPixels,
                       uint32_t pitch) {
    const Channels ch = Channels::Current();
    Show16(x, y, image, bytes, dst, dstPixels, pitch, false, [&](uint16_t c, uint16_t d) { return ch.Half(c, d); });
}

void v_ShowImage16Fade(int32_t x, int32_t y, const uint8_t* image, uint32_t bytes, uint16_t* dst, uint32_t dstPixels,
                       uint32_t pitch, uint32_t level) {
    const Channels ch = Channels::Current();
    const uint32_t lv[3] = {Level(level), Level(level), Level(level)};
    Show16(x, y, image, bytes, dst, dstPixels, pitch, false, [&](uint16_t c, uint16_t) { return ch.Scale(lv, c); });
}

void v_FadeImage16(uint8_t* image, uint32_t bytes, uint32_t level) {
    Image im;
    if (!ReadImage(image, bytes, 2, im)) return;
    const Channels ch = Channels::Current();
    const uint32_t lv[3] = {Level(level), Level(level), Level(level)};
    uint8_t* px = image + 4;
    for (uint64_t i = 0; i < uint64_t{im.w} * im.h; ++i)
        Store16(px + i * 2, ch.Scale(lv, Load16(px + i * 2)));
}

void v_ShowImage16FadeShear(int32_t x, int32_t y, const uint8_t* image, uint32_t bytes, uint16_t* dst,
                            uint32_t dstPixels, uint32_t pitch, uint32_t level, const uint8_t* leadIn,
                            uint32_t leadInBytes) {
    const Channels ch = Channels::Current();
    const uint32_t lv[3] = {Level(level), Level(level), Level(level)};
    Show16Shear(x, y, image, bytes, dst, dstPixels, pitch, leadIn, leadInBytes,
                [&](uint16_t c, uint16_t) { return ch.Scale(lv, c); });
}

void v_ShowImage16Alpha(int32_t x, int32_t y, const uint8_t* image, uint32_t bytes, uint16_t* dst, uint32_t dstPixels,
                        uint32_t pitch, uint32_t alpha) {
    const Channels ch = Channels::Current();
    Show16(x, y, image, bytes, dst, dstPixels, pitch, false,
           [&](uint16_t c, uint16_t d) { return ch.Blend(Level(alpha), c, d); });
}

void v_FillRectAlpha(int32_t x, int32_t y, int32_t w, int32_t h, uint32_t rgb, uint16_t* dst, uint32_t dstPixels,
                     uint32_t pitch, uint32_t alpha) {
    if (w <= 0 || h <= 0) return;
    const Channels ch = Channels::Current();
    const uint16_t colour = static_cast<uint16_t>(l_ModeColour(rgb));
    ForRows(x, y, static_cast<uint32_t>(h), dst, pitch, true, [&](uint32_t, int64_t at) {
        ClipSpan(dst, dstPixels, at, w, [&](uint16_t* d, int64_t, uint32_t n) {
            for (uint32_t i = 0; i < n; ++i)
                d[i] = ch.Blend(Level(alpha), colour, d[i]);
        });
    });
}

void v_ShowImage16AddScaled(int32_t x, int32_t y, const uint8_t* image, uint32_t bytes, uint16_t* dst,
                            uint32_t dstPixels, uint32_t pitch, uint32_t level) {
    const Channels ch = Channels::Current();
    const uint32_t lv[3] = {Level(level), Level(level), Level(level)};
    Show16(x, y, image, bytes, dst, dstPixels, pitch, false,
           [&](uint16_t c, uint16_t d) { return ch.AddSat(ch.Scale(lv, c), d); });
}

void v_ShowImage16Key(int32_t x, int32_t y, const uint8_t* image, uint32_t bytes, uint16_t* dst, uint32_t dstPixels,
                      uint32_t pitch) {
    Show16(x, y, image, bytes, dst, dstPixels, pitch, true, [](uint16_t c, uint16_t) { return c; });
}

void v_ShowImage16KeyAddScaled(int32_t x, int32_t y, const uint8_t* image, uint32_t bytes, uint16_t* dst,
                               uint32_t dstPixels, uint32_t pitch, uint32_t level) {
    const Channels ch = Channels::Current();
    const uint32_t lv[3] = {Level(level), Level(level), Level(level)};
    Show16(x, y, image, bytes, dst, dstPixels, pitch, true,
           [&](uint16_t c, uint16_t d) { return ch.AddSat(ch.Scale(lv, c), d); });
}

void v_ShowImage16KeyAddHalf(int32_t x, int32_t y, const uint8_t* image, uint32_t bytes, uint16_t* dst,
                             uint32_t dstPixels, uint32_t pitch, uint32_t level) {
    const Channels ch = Channels::Current();
    const uint32_t lv[3] = {Level(level), Level(level), Level(level)};
    Show16(x, y, image, bytes, dst, dstPixels, pitch, true,
           [&](uint16_t c, uint16_t d) { return ch.Half(ch.Scale(lv, c), d); });
}

void v_ShowImage16KeyFade(int32_t x, int32_t y, const uint8_t* image, uint32_t bytes, uint16_t* dst,
                          uint32_t dstPixels, uint32_t pitch, uint32_t level) {
    const Channels ch = Channels::Current();
    const uint32_t lv[3] = {Level(level), Level(level), Level(level)};
    Show16(x, y, image, bytes, dst, dstPixels, pitch, true, [&](uint16_t c, uint16_t) { return ch.Scale(lv, c); });
}

void v_ShowImage16KeyHalf(int32_t x, int32_t y, const uint8_t* image, uint32_t bytes, uint16_t* dst,
                          uint32_t dstPixels, uint32_t pitch) {
    const Channels ch = Channels::Current();
    Show16(x, y, image, bytes, dst, dstPixels, pitch, true, [&](uint16_t c, uint16_t d) { return ch.Half(c, d); });
}

void v_CopyRect24(int32_t x, int32_t y, int32_t w, int32_t h, uint8_t* dst, uint32_t dstBytes, uint32_t dstPitch,
                  const uint8_t* src, uint32_t srcBytes, uint32_t srcPitch) {
    if (!dst || !src || w <= 0 || h <= 0) return;
    for (int64_t r = 0; r < h; ++r)
        for (int64_t i = 0; i < w; ++i) {
            const int64_t s = Offset(int64_t{y} + r, srcPitch, int64_t{x} + i) * 3, d = Offset(r, dstPitch, i) * 3;
            if (s < 0 || s + 3 > int64_t{srcBytes} || d + 3 > int64_t{dstBytes}) continue;
            std::memcpy(dst + d, src + s, 3);
        }
}

void v_CopyRect16(int32_t x, int32_t y, int32_t w, int32_t h, uint16_t* dst, uint32_t dstPixels, uint32_t dstPitch,
                  const uint16_t* src, uint32_t srcPixels, uint32_t srcPitch) {
    Copy16(x, y, w, h, dst, dstPixels, dstPitch, src, srcPixels, srcPitch, nullptr, 0, false,
           [](uint16_t, uint8_t) { return false; }, [](uint16_t c, uint16_t, uint8_t) { return c; });
}

void v_CopyRect16Key(int32_t x, int32_t y, int32_t w, int32_t h, uint16_t* dst, uint32_t dstPixels, uint32_t dstPitch,
                     const uint16_t* src, uint32_t srcPixels, uint32_t srcPitch) {
    Copy16(x, y, w, h, dst, dstPixels, dstPitch, src, srcPixels, srcPitch, nullptr, 0, true,
           [](uint16_t c, uint8_t) { return c == 0; }, [](uint16_t c, uint16_t, uint8_t) { return c; });
}

void v_CopyRect16Mask(int32_t x, int32_t y, int32_t w, int32_t h, uint16_t* dst, uint32_t dstPixels,
                      uint32_t dstPitch, const uint16_t* src, uint32_t srcPixels, uint32_t srcPitch,
                      const uint8_t* mask, uint32_t maskBytes) {
    if (!mask) return;
    Copy16(x, y, w, h, dst, dstPixels, dstPitch, src, srcPixels, srcPitch, mask, maskBytes, true,
           [](uint16_t, uint8_t m) { return m == 0; }, [](uint16_t c, uint16_t, uint8_t) { return c; });
}

void v_CopyRect16MaskAlpha(int32_t x, int32_t y, int32_t w, int32_t h, uint16_t* dst, uint32_t dstPixels,
                           uint32_t dstPitch, const uint16_t* src, uint32_t srcPixels, uint32_t srcPitch,
                           const uint8_t* mask, uint32_t maskBytes) {
    if (!mask) return;
    const Channels ch = Channels::Current();
    Copy16(x, y, w, h, dst, dstPixels, dstPitch, src, srcPixels, srcPitch, mask, maskBytes, true,
           [](uint16_t, uint8_t m) { return m == 0; },
           [&](uint16_t c, uint16_t d, uint8_t m) { return ch.Blend(m / 4u, c, d); });
}

void v_ScaleImage16(const uint8_t* image, uint32_t bytes, uint8_t* output, uint32_t outBytes, uint32_t newWidth,
                    uint32_t newHeight) {
    Image im;
    if (!output || !newWidth || !newHeight || newWidth > 0xFFFF || newHeight > 0xFFFF) return;
    if (4 + uint64_t{newWidth} * newHeight * 2 > outBytes || !ReadImage(image, bytes, 2, im)) return;
    Store16(output, static_cast<uint16_t>(newWidth));
    Store16(output + 2, static_cast<uint16_t>(newHeight));
    Scale(
        im.w, im.storedH, im.h, newWidth, newHeight,
        [&](uint64_t r, uint64_t c) { return Load16(im.px + (r * im.w + c) * 2); },
        [&](uint32_t j, uint32_t i, uint16_t c) { Store16(output + 4 + (uint64_t{j} * newWidth + i) * 2, c); });
}

void v_ShowImage16Scaled(int32_t x, int32_t y, const uint8_t* image, uint32_t bytes, uint32_t newWidth,
                         uint32_t newHeight, uint16_t* dst, uint32_t dstPixels, uint32_t pitch) {
    ShowScaled(x, y, image, bytes, newWidth, newHeight, dst, dstPixels, pitch, false);
}

void v_ShowRect16Scaled(int32_t x, int32_t y, const uint16_t* src, uint32_t srcPixels, uint32_t newWidth,
                        uint32_t newHeight, uint16_t* dst, uint32_t dstPixels, uint32_t pitch, uint32_t srcWidth,
                        uint32_t srcHeight, uint32_t srcPitch) {
    if (!src || !dst) return;
    // The rows the source holds whole.
    uint32_t rows = 0;
    if (srcWidth && srcPixels >= srcWidth) rows = srcPitch ? (srcPixels - srcWidth) / srcPitch + 1 : srcHeight;
    Scale(
        srcWidth, srcHeight, std::min(rows, srcHeight), newWidth, newHeight,
        [&](uint64_t r, uint64_t c) { return src[r * srcPitch + c]; },
        [&](uint32_t j, uint32_t i, uint16_t c) {
            const int64_t at = Offset(int64_t{y} + j, pitch, int64_t{x} + i);
            if (at >= 0 && at < int64_t{dstPixels}) dst[at] = c;
        });
}

void v_ShowImage16ScaledKey(int32_t x, int32_t y, const uint8_t* image, uint32_t bytes, uint32_t newWidth,
                            uint32_t newHeight, uint16_t* dst, uint32_t dstPixels, uint32_t pitch) {
    ShowScaled(x, y, image, bytes, newWidth, newHeight, dst, dstPixels, pitch, true);
}
