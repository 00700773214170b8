#include "pagefont/palette.h"

#include "pagefont/blend_ops.h"

using namespace pf_detail;

namespace {

constexpr size_t kHeader = 516;

int32_t PalWidth(const uint8_t* img) {
    return Load16(img + 512);
}
int32_t PalRows(const uint8_t* img) {
    return Load16(img + 514);
}
uint16_t Lookup(const uint8_t* img, uint8_t index) {
    return Load16(img + 2 * index);
}

template <class Op> void PalRaw(int32_t x, int32_t y, const void* image, Op op) {
    if (!image) return;
    const auto* img = static_cast<const uint8_t*>(image);
    const int32_t w = PalWidth(img);
    ForRawFrame(x, y, w, PalRows(img), [&](uint8_t* dst, int32_t row, int32_t col, int32_t cols) {
        const uint8_t* s = img + kHeader + static_cast<size_t>(row) * w + col;
        for (int32_t c = 0; c < cols; ++c)
            Store16(dst + 2 * c, op(Lookup(img, s[c]), Load16(dst + 2 * c)));
    });
}

template <class Op> void PalRle(int32_t x, int32_t y, const void* image, uint32_t recordBytes, Op op) {
    if (!image || recordBytes < kHeader) return;
    const auto* img = static_cast<const uint8_t*>(image);
    ForRleFrame(x, y, img, kHeader, recordBytes, 1, PalWidth(img), PalRows(img),
                [&](uint8_t* dst, const uint8_t* src, int32_t, int32_t count, int32_t) {
                    for (int32_t c = 0; c < count; ++c)
                        Store16(dst + 2 * c, op(Lookup(img, src[c]), Load16(dst + 2 * c)));
                    return true;
                });
}

void PalAlphaRaw(int32_t x, int32_t y, const uint8_t* img, const uint8_t* alpha, int32_t level, bool mirror) {
    const Fmt fmt = Fmt::Current();
    const int32_t w = PalWidth(img);
    ForRawFrame(x, y, w, PalRows(img), [&](uint8_t* dst, int32_t row, int32_t col, int32_t cols) {
        const uint8_t* s = img + kHeader + static_cast<size_t>(row) * w + col;
        const uint8_t* a = alpha + static_cast<size_t>(row) * w + col;
        if (!mirror) {
            AlphaRun(
                fmt, dst, [img, s](int32_t i) { return Lookup(img, s[i]); }, a, cols, level);
            return;
        }
        for (int32_t c = 0; c < cols; ++c) {
            uint8_t* d = dst + 2 * (cols - 1 - c);
            Store16(d, fmt.Alpha(Lookup(img, s[c]), Load16(d), a[c]));
        }
    });
}

void PalAlphaRecord(int32_t x, int32_t y, const void* record, int32_t level, bool mirror) {
    if (!record) return;
    const auto* rec = static_cast<const uint8_t*>(record);
    PalAlphaRaw(x, y, p_GetRelativePointer(rec), rec + 4, level, mirror);
}

void PalRleAlphaRecord(int32_t x, int32_t y, const void* record, int32_t level, uint32_t recordBytes) {
    if (!record || recordBytes < 4 + kHeader) return;
    const auto* rec = static_cast<const uint8_t*>(record);
    const uint32_t offset = Load32(rec);
    if (offset > recordBytes - kHeader) return;
    const size_t alphaEnd = offset > 4 ? offset : recordBytes;
    const uint8_t* img = rec + offset;
    const Fmt fmt = Fmt::Current();
    size_t alphaAt = 4;
    ForRleFrame(x, y, img, kHeader, recordBytes - offset, 1, PalWidth(img), PalRows(img),
                [&](uint8_t* dst, const uint8_t* src, int32_t first, int32_t count, int32_t runPixels) {
                    if (static_cast<size_t>(runPixels) > alphaEnd - alphaAt) return false;
                    if (count)
                        AlphaRun(
                            fmt, dst, [img, src](int32_t i) { return Lookup(img, src[i]); },
                            rec + alphaAt + first, count, level);
                    alphaAt += static_cast<size_t>(runPixels);
                    return true;
                });
}

} // namespace

void v_PutPalImage(int32_t x, int32_t y, const void* image) {
    PalRaw(x, y, image, [](uint32_t s, uint32_t) { return static_cast<uint16_t>(s); });
}

void v_PutPalRleImage(int32_t x, int32_t y, const void* image, uint32_t recordBytes) {
    PalRle(x, y, image, recordBytes, [](uint32_t s, uint32_t) { return static_cast<uint16_t>(s); });
}

void v_PutPalImageHalf(int32_t x, int32_t y, const void* image) {
    const Fmt fmt = Fmt::Current();
    PalRaw(x, y, image, [&](uint32_t s, uint32_t d) { return fmt.Half(s, d); });
}

void v_PutPalRleImageHalf(int32_t x, int32_t y, const void* image, uint32_t recordBytes) {
    const Fmt fmt = Fmt::Current();
    PalRle(x, y, image, recordBytes, [&](uint32_t s, uint32_t d) { return fmt.Half(s, d); });
}

void v_PutPalImageAdd(int32_t x, int32_t y, const void* image) {
    const Fmt fmt = Fmt::Current();
    PalRaw(x, y, image, [&](uint32_t s, uint32_t d) { return fmt.Add(s, d); });
}

void v_PutPalRleImageAdd(int32_t x, int32_t y, const void* image, uint32_t recordBytes) {
    const Fmt fmt = Fmt::Current();
    PalRle(x, y, image, recordBytes, [&](uint32_t s, uint32_t d) { return fmt.Add(s, d); });
}

void v_PutPalImageMix(int32_t x, int32_t y, const void* image, uint32_t destPercent, uint32_t srcPercent) {
    const Fmt fmt = Fmt::Current();
    PalRaw(x, y, image, [&](uint32_t s, uint32_t d) { return fmt.Mix(s, d, destPercent, srcPercent); });
}

void v_PutPalRleImageMix(int32_t x, int32_t y, const void* image, uint32_t srcPercent, uint32_t destPercent,
                         uint32_t recordBytes) {
    const Fmt fmt = Fmt::Current();
    PalRle(x, y, image, recordBytes,
           [&](uint32_t s, uint32_t d) { return fmt.Mix(s, d, destPercent, srcPercent); });
}

void v_PutPalImageAlphaPlane(int32_t x, int32_t y, const void* image, const void* plane) {
    if (!image || !plane) return;
    PalAlphaRaw(x, y, static_cast<const uint8_t*>(image), static_cast<const uint8_t*>(plane) + 4, -1, false);
}

void v_PutPalAlphaImage(int32_t x, int32_t y, const void* record) {
    PalAlphaRecord(x, y, record, -1, false);
}
void v_PutPalAlphaImageMirror(int32_t x, int32_t y, const void* record) {
    PalAlphaRecord(x, y, record, -1, true);
}
void v_PutPalRleAlphaImage(int32_t x, int32_t y, const void* record, uint32_t recordBytes) {
    PalRleAlphaRecord(x, y, record, -1, recordBytes);
}
void v_PutPalAlphaImageLevel(int32_t x, int32_t y, const void* record, uint32_t level) {
    PalAlphaRecord(x, y, record, ClampLevel(level), false);
}
void v_PutPalRleAlphaImageLevel(int32_t x, int32_t y, const void* record, uint32_t level,
                                uint32_t recordBytes) {
    PalRleAlphaRecord(x, y, record, ClampLevel(level), recordBytes);
}

void v_PalRleAlphaRow(uint8_t* dst, const uint8_t* indexes, const uint16_t* palette, int32_t count,
                      const uint8_t* alpha) {
    if (!dst || !indexes || !palette || !alpha || count <= 0) return;
    AlphaRun(
        Fmt::Current(), dst, [indexes, palette](int32_t i) { return palette[indexes[i]]; }, alpha, count, -1);
}

void v_PalRleAlphaLevelRow(uint8_t* dst, const uint8_t* indexes, const uint16_t* palette, int32_t count,
                           const uint8_t* alpha, uint32_t level) {
    if (!dst || !indexes || !palette || !alpha || count <= 0) return;
    AlphaRun(
        Fmt::Current(), dst, [indexes, palette](int32_t i) { return palette[indexes[i]]; }, alpha, count,
        ClampLevel(level));
}
