#include "pagefont/image_put.h"

#include "pagefont/page_detail.h"

using namespace pf_detail;

namespace {

enum Order { kPlain = 0, kFlipV = 1, kMirror = 2 };

// The span of source rows and columns is the same for every orientation; only
// where it is laid down changes.
void PutRaw(int32_t x, int32_t y, const void* image, int order) {
    if (!image || !TargetUsable()) return;
    const auto* img = static_cast<const uint8_t*>(image);
    const int32_t stride = ImageRowBytes(img);
    Frame f;
    if (!ClipFrame(x, y, stride >> 1, ImageRows(img), g_lTargetWidth, g_lTargetHeight, f)) return;
    const uint8_t* src = img + 4 + static_cast<size_t>(f.srcRow) * stride + 2 * static_cast<size_t>(f.srcCol);
    for (int32_t r = 0; r < f.rows; ++r) {
        const uint8_t* s = src + static_cast<size_t>(r) * stride;
        uint8_t* d = TargetAt(f.dstX, (order & kFlipV) ? f.dstY + f.rows - 1 - r : f.dstY + r);
        if (order & kMirror) {
            for (int32_t c = 0; c < f.cols; ++c)
                std::memcpy(d + 2 * (f.cols - 1 - c), s + 2 * c, 2);
        } else {
            std::memmove(d, s, static_cast<size_t>(f.cols) * 2);
        }
    }
}

} // namespace

void v_PutImage(int32_t x, int32_t y, const void* image) {
    PutRaw(x, y, image, kPlain);
}
void v_PutImageFlipV(int32_t x, int32_t y, const void* image) {
    PutRaw(x, y, image, kFlipV);
}
void v_PutImageMirror(int32_t x, int32_t y, const void* image) {
    PutRaw(x, y, image, kMirror);
}
void v_PutImageMirrorFlipV(int32_t x, int32_t y, const void* image) {
    PutRaw(x, y, image, kMirror | kFlipV);
}

void v_PutImageColorKey(int32_t x, int32_t y, const void* image, int32_t key) {
    if (!image || !TargetUsable()) return;
    const auto* img = static_cast<const uint8_t*>(image);
    const int32_t stride = ImageRowBytes(img);
    Frame f;
    if (!ClipFrame(x, y, stride >> 1, ImageRows(img), g_lTargetWidth, g_lTargetHeight, f)) return;
    const uint8_t* src = img + 4 + static_cast<size_t>(f.srcRow) * stride + 2 * static_cast<size_t>(f.srcCol);
    for (int32_t r = 0; r < f.rows; ++r) {
        const uint8_t* s = src + static_cast<size_t>(r) * stride;
        uint8_t* d = TargetAt(f.dstX, f.dstY + r);
        for (int32_t c = 0; c < f.cols; ++c) {
            const uint16_t v = Load16(s + 2 * c);
            if (static_cast<int32_t>(v) != key) Store16(d + 2 * c, v);
        }
    }
}

void v_PutRleImage(int32_t x, int32_t y, const void* image, uint32_t recordBytes) {
    if (!image || recordBytes < 4 || !TargetUsable()) return;
    const auto* img = static_cast<const uint8_t*>(image);
    const int32_t rowLen = ImageRowBytes(img);
    Frame f;
    if (!ClipFrame(x, y, rowLen >> 1, ImageRows(img), g_lTargetWidth, g_lTargetHeight, f)) return;
    size_t at = 4;
    if (!SkipRleRows(img, at, recordBytes, rowLen, f.srcRow)) return;
    // Visible bytes of a row, counted from the image's left edge.
    const int64_t visFrom = 2 * int64_t{f.srcCol};
    const int64_t visTo = visFrom + 2 * int64_t{f.cols};
    for (int32_t r = 0; r < f.rows; ++r) {
        uint8_t* rowDst = TargetAt(f.dstX, f.dstY + r); // byte visFrom of the image
        const bool ok =
            WalkRleRow(img, at, recordBytes, rowLen, [&](int32_t p, const uint8_t* data, int32_t n, int32_t) {
                const int64_t a = std::max<int64_t>(p, visFrom);
                const int64_t b = std::min<int64_t>(int64_t{p} + n, visTo);
                if (a < b) std::memcpy(rowDst + (a - visFrom), data + (a - p), static_cast<size_t>(b - a));
            });
        if (!ok) return;
    }
}

void v_GetImage(int32_t x1, int32_t y1, int32_t x2, int32_t y2, void* buffer) {
    if (!buffer || !TargetUsable()) return;
    if (x1 < 0) x1 = 0;
    if (y1 < 0) y1 = 0;
    if (x2 >= g_lTargetWidth) x2 = g_lTargetWidth - 1;
    if (y2 >= g_lTargetHeight) y2 = g_lTargetHeight - 1;
    if (x2 < x1 || y2 < y1) return;
    auto* out = static_cast<uint8_t*>(buffer);
    const int32_t rowBytes = (x2 - x1) * 2 + 2;
    Store16(out, static_cast<uint16_t>(rowBytes));
    Store16(out + 2, static_cast<uint16_t>(y2 - y1 + 1));
    for (int32_t r = y1; r <= y2; ++r)
        std::memcpy(out + 4 + static_cast<size_t>(r - y1) * rowBytes, TargetAt(x1, r),
                    static_cast<size_t>(rowBytes));
}
