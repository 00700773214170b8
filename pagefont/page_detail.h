#pragma once
// Helpers shared by the library's routines (not part of its interface).
#include <algorithm>
#include <cstdint>

#include "pagefont/draw_page.h"
#include "platform/unaligned.h"

namespace pf_detail {

// Images and runs may sit at any byte address.
using plat::Load16;
using plat::Load32;
using plat::Store16;

inline uint8_t* TargetAt(int32_t x, int32_t y) {
    return g_pTargetPixels + static_cast<intptr_t>(y) * g_lTargetPitch + static_cast<intptr_t>(x) * 2;
}

inline bool TargetUsable() {
    return g_pTargetPixels != nullptr && g_lTargetWidth > 0 && g_lTargetHeight > 0;
}

// The visible part of a w x h source placed with its top-left corner at
// (x, y) on a page of pageW x pageH pixels.
struct Frame {
    int32_t srcRow = 0; // first source row drawn
    int32_t srcCol = 0; // first source column drawn
    int32_t dstX = 0, dstY = 0;
    int32_t cols = 0, rows = 0;
};

// False when nothing is visible.
inline bool ClipFrame(int32_t x, int32_t y, int32_t w, int32_t h, int32_t pageW, int32_t pageH, Frame& f) {
    if (w <= 0 || h <= 0 || pageW <= 0 || pageH <= 0) return false;
    if (x >= pageW || y >= pageH) return false;
    const int64_t right = int64_t{x} + w - 1;
    const int64_t bottom = int64_t{y} + h - 1;
    if (right < 0 || bottom < 0) return false;
    const int32_t cutTop = y < 0 ? -y : 0;
    const int32_t cutLeft = x < 0 ? -x : 0;
    const int32_t lastRow = static_cast<int32_t>(bottom < pageH ? bottom : pageH - 1);
    const int32_t lastCol = static_cast<int32_t>(right < pageW ? right : pageW - 1);
    f.srcRow = cutTop;
    f.srcCol = cutLeft;
    f.dstX = x + cutLeft;
    f.dstY = y + cutTop;
    f.cols = lastCol - f.dstX + 1;
    f.rows = lastRow - f.dstY + 1;
    return f.cols > 0 && f.rows > 0;
}

// Raw 16-bit image header.
inline int32_t ImageRowBytes(const uint8_t* img) {
    return Load16(img);
}
inline int32_t ImageRows(const uint8_t* img) {
    return Load16(img + 2);
}

// Walks the units of one run-length row: [u8 N][N bytes][u8 S] until the
// units add up to rowLen. For every opaque run, run(p, data, n, N) is called
// with its byte position p in the row, its data, its length cut to the row
// (n) and its full length (N). `at` is the record offset of the row and moves
// behind it. False when the record ends first or a unit is empty (such a row
// would never end): the caller then stops drawing the whole image.
template <class Run>
bool WalkRleRow(const uint8_t* img, size_t& at, size_t recordBytes, int32_t rowLen, Run&& run) {
    int32_t p = 0;
    while (p < rowLen) {
        if (at >= recordBytes) return false;
        const int32_t n = img[at++];
        if (static_cast<size_t>(n) >= recordBytes - at) return false; // the run and its S byte
        if (n > 0) run(p, img + at, n < rowLen - p ? n : rowLen - p, n);
        at += static_cast<size_t>(n);
        const int32_t s = img[at++];
        if (n + s == 0) return false;
        p += n + s;
    }
    return true;
}

// Skips `rows` rows; false when the record ends first.
inline bool SkipRleRows(const uint8_t* img, size_t& at, size_t recordBytes, int32_t rowLen, int32_t rows) {
    for (int32_t r = 0; r < rows; ++r)
        if (!WalkRleRow(img, at, recordBytes, rowLen, [](int32_t, const uint8_t*, int32_t, int32_t) {}))
            return false;
    return true;
}

} // namespace pf_detail
