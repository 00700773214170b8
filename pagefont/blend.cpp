#include "pagefont/blend.h"

#include "pagefont/blend_ops.h"

using namespace pf_detail;

namespace {

// A raw image's pixels through a per-pixel operation.
template <class Op> void RawBlend(int32_t x, int32_t y, const void* image, Op op) {
    if (!image) return;
    const auto* img = static_cast<const uint8_t*>(image);
    const int32_t stride = ImageRowBytes(img);
    const uint8_t* px = img + 4;
    ForRawFrame(x, y, stride >> 1, ImageRows(img), [&](uint8_t* dst, int32_t row, int32_t col, int32_t cols) {
        const uint8_t* s = px + static_cast<size_t>(row) * stride + 2 * static_cast<size_t>(col);
        for (int32_t c = 0; c < cols; ++c)
            Store16(dst + 2 * c, op(Load16(s + 2 * c), Load16(dst + 2 * c)));
    });
}

template <class Op> void RleBlend(int32_t x, int32_t y, const void* image, uint32_t recordBytes, Op op) {
    if (!image || recordBytes < 4) return;
    const auto* img = static_cast<const uint8_t*>(image);
    ForRleFrame(x, y, img, 4, recordBytes, 2, ImageRowBytes(img) >> 1, ImageRows(img),
                [&](uint8_t* dst, const uint8_t* src, int32_t, int32_t count, int32_t) {
                    for (int32_t c = 0; c < count; ++c)
                        Store16(dst + 2 * c, op(Load16(src + 2 * c), Load16(dst + 2 * c)));
                    return true;
                });
}

template <class Op> void RectBlend(int32_t x1, int32_t y1, int32_t x2, int32_t y2, uint32_t color, Op op) {
    ForRectFrame(x1, y1, x2, y2, [&](uint8_t* dst, int32_t count) {
        for (int32_t c = 0; c < count; ++c)
            Store16(dst + 2 * c, op(color & 0xFFFF, Load16(dst + 2 * c)));
    });
}

// Raw pixels with an alpha byte each (rows `stride` apart in both).
void AlphaRaw(int32_t x, int32_t y, const uint8_t* img, const uint8_t* alpha, int32_t level, bool mirror) {
    const Fmt fmt = Fmt::Current();
    const int32_t rowBytes = ImageRowBytes(img);
    const int32_t w = rowBytes >> 1;
    const uint8_t* px = img + 4;
    ForRawFrame(x, y, w, ImageRows(img), [&](uint8_t* dst, int32_t row, int32_t col, int32_t cols) {
        const uint8_t* s = px + static_cast<size_t>(row) * rowBytes + 2 * static_cast<size_t>(col);
        const uint8_t* a = alpha + static_cast<size_t>(row) * w + col;
        if (!mirror) {
            AlphaRun(
                fmt, dst, [s](int32_t i) { return Load16(s + 2 * i); }, a, cols, level);
            return;
        }
        for (int32_t c = 0; c < cols; ++c) {
            uint8_t* d = dst + 2 * (cols - 1 - c);
            int32_t av = a[c];
            if (level >= 0) {
                av = (av * level) >> 8;
                if (av) Store16(d, fmt.Blend(Load16(s + 2 * c), Load16(d), av));
            } else {
                Store16(d, fmt.Alpha(Load16(s + 2 * c), Load16(d), av));
            }
        }
    });
}

void AlphaRecord(int32_t x, int32_t y, const void* record, int32_t level, bool mirror) {
    if (!record) return;
    const auto* rec = static_cast<const uint8_t*>(record);
    AlphaRaw(x, y, p_GetRelativePointer(rec), rec + 4, level, mirror);
}

void RleAlphaRecord(int32_t x, int32_t y, const void* record, int32_t level, uint32_t recordBytes) {
    if (!record || recordBytes < 8) return;
    const auto* rec = static_cast<const uint8_t*>(record);
    const uint32_t offset = Load32(rec);
    if (offset > recordBytes - 4) return;
    // The alpha bytes run from byte 4 up to the image (or the record's end).
    const size_t alphaEnd = offset > 4 ? offset : recordBytes;
    const uint8_t* img = rec + offset;
    const Fmt fmt = Fmt::Current();
    size_t alphaAt = 4;
    ForRleFrame(x, y, img, 4, recordBytes - offset, 2, ImageRowBytes(img) >> 1, ImageRows(img),
                [&](uint8_t* dst, const uint8_t* src, int32_t first, int32_t count, int32_t runPixels) {
                    if (static_cast<size_t>(runPixels) > alphaEnd - alphaAt) return false;
                    if (count)
                        AlphaRun(
                            fmt, dst, [src](int32_t i) { return Load16(src + 2 * i); }, rec + alphaAt + first,
                            count, level);
                    alphaAt += static_cast<size_t>(runPixels);
                    return true;
                });
}

} // namespace

void v_PutImageHalf(int32_t x, int32_t y, const void* image) {
    const Fmt fmt = Fmt::Current();
    RawBlend(x, y, image, [&](uint32_t s, uint32_t d) { return fmt.Half(s, d); });
}

void v_PutRleImageHalf(int32_t x, int32_t y, const void* image, uint32_t recordBytes) {
    const Fmt fmt = Fmt::Current();
    RleBlend(x, y, image, recordBytes, [&](uint32_t s, uint32_t d) { return fmt.Half(s, d); });
}

void v_FillRectHalf(int32_t x1, int32_t y1, int32_t x2, int32_t y2, uint32_t color) {
    const Fmt fmt = Fmt::Current();
    RectBlend(x1, y1, x2, y2, color, [&](uint32_t s, uint32_t d) { return fmt.Half(s, d); });
}

void v_PutImageAdd(int32_t x, int32_t y, const void* image) {
    const Fmt fmt = Fmt::Current();
    RawBlend(x, y, image, [&](uint32_t s, uint32_t d) { return fmt.Add(s, d); });
}

void v_PutRleImageAdd(int32_t x, int32_t y, const void* image, uint32_t recordBytes) {
    const Fmt fmt = Fmt::Current();
    RleBlend(x, y, image, recordBytes, [&](uint32_t s, uint32_t d) { return fmt.Add(s, d); });
}

void v_FillRectAdd(int32_t x1, int32_t y1, int32_t x2, int32_t y2, uint32_t color) {
    const Fmt fmt = Fmt::Current();
    RectBlend(x1, y1, x2, y2, color, [&](uint32_t s, uint32_t d) { return fmt.Add(s, d); });
}

void v_PutImageMix(int32_t x, int32_t y, const void* image, uint32_t destPercent, uint32_t srcPercent) {
    const Fmt fmt = Fmt::Current();
    RawBlend(x, y, image, [&](uint32_t s, uint32_t d) { return fmt.Mix(s, d, destPercent, srcPercent); });
}

void v_PutRleImageMix(int32_t x, int32_t y, const void* image, uint32_t srcPercent, uint32_t destPercent,
                      uint32_t recordBytes) {
    const Fmt fmt = Fmt::Current();
    RleBlend(x, y, image, recordBytes,
             [&](uint32_t s, uint32_t d) { return fmt.Mix(s, d, destPercent, srcPercent); });
}

void v_FillRectMix(int32_t x1, int32_t y1, int32_t x2, int32_t y2, uint32_t color, uint32_t colorPercent,
                   uint32_t destPercent) {
    const Fmt fmt = Fmt::Current();
    RectBlend(x1, y1, x2, y2, color,
              [&](uint32_t s, uint32_t d) { return fmt.Mix(s, d, destPercent, colorPercent); });
}

void v_PutImageAlphaPlane(int32_t x, int32_t y, const void* image, const void* plane) {
    if (!image || !plane) return;
    AlphaRaw(x, y, static_cast<const uint8_t*>(image), static_cast<const uint8_t*>(plane) + 4, -1, false);
}

void v_PutAlphaImage(int32_t x, int32_t y, const void* record) {
    AlphaRecord(x, y, record, -1, false);
}
void v_PutAlphaImageMirror(int32_t x, int32_t y, const void* record) {
    AlphaRecord(x, y, record, -1, true);
}
void v_PutRleAlphaImage(int32_t x, int32_t y, const void* record, uint32_t recordBytes) {
    RleAlphaRecord(x, y, record, -1, recordBytes);
}

void v_PutAlphaImageLevel(int32_t x, int32_t y, const void* record, uint32_t level) {
    AlphaRecord(x, y, record, ClampLevel(level), false);
}
void v_PutAlphaImageLevelMirror(int32_t x, int32_t y, const void* record, uint32_t level) {
    AlphaRecord(x, y, record, ClampLevel(level), true);
}
void v_PutRleAlphaImageLevel(int32_t x, int32_t y, const void* record, uint32_t level, uint32_t recordBytes) {
    RleAlphaRecord(x, y, record, ClampLevel(level), recordBytes);
}

void v_PutAlphaMap8Color(int32_t x, int32_t y, const void* map, uint32_t color) {
    if (!map) return;
    const Fmt fmt = Fmt::Current();
    const auto* m = static_cast<const uint8_t*>(map);
    const int32_t w = Load16(m);
    ForRawFrame(x, y, w, Load16(m + 2), [&](uint8_t* dst, int32_t row, int32_t col, int32_t cols) {
        const uint8_t* a = m + 4 + static_cast<size_t>(row) * w + col;
        for (int32_t c = 0; c < cols; ++c)
            Store16(dst + 2 * c, fmt.Alpha(color & 0xFFFF, Load16(dst + 2 * c), a[c]));
    });
}

void v_PutShadowMap(int32_t x, int32_t y, const void* map) {
    if (!map) return;
    const Fmt fmt = Fmt::Current();
    const auto* m = static_cast<const uint8_t*>(map);
    const int32_t w = Load16(m);
    ForRawFrame(x, y, w, Load16(m + 2), [&](uint8_t* dst, int32_t row, int32_t col, int32_t cols) {
        const uint8_t* a = m + 4 + static_cast<size_t>(row) * w + col;
        for (int32_t c = 0; c < cols; ++c)
            Store16(dst + 2 * c, fmt.Shadow(Load16(dst + 2 * c), a[c]));
    });
}

void v_RleAlphaRow(uint8_t* dst, const uint8_t* src, int32_t lengthBytes, const uint8_t* alpha) {
    if (!dst || !src || !alpha || lengthBytes < 2) return;
    AlphaRun(
        Fmt::Current(), dst, [src](int32_t i) { return Load16(src + 2 * i); }, alpha, lengthBytes / 2, -1);
}

void v_RleAlphaLevelRow(uint8_t* dst, const uint8_t* src, int32_t lengthBytes, const uint8_t* alpha,
                        uint32_t level) {
    if (!dst || !src || !alpha || lengthBytes < 2) return;
    AlphaRun(
        Fmt::Current(), dst, [src](int32_t i) { return Load16(src + 2 * i); }, alpha, lengthBytes / 2,
        ClampLevel(level));
}
