#pragma once
#include <cstddef>
#include <cstdint>

// The part of a sprite placed at (x, y) that a blitter draws. All edge
// arithmetic runs in 64 bits, so extreme positions and sizes clip instead of
// wrapping.
struct ss_BlitRegion {
    int32_t rows = 0;            // visible rows; <= 0 when nothing is visible
    int32_t span = 0;            // visible columns of every row
    int32_t firstRow = 0;        // destination row of the first visible row
    int32_t firstColumn = 0;     // destination column of the first visible column
    std::ptrdiff_t srcStart = 0; // source (and source-map) index of the first visible pixel
    std::ptrdiff_t dstStart = 0; // destination (and destination-mask) index of it
    int32_t srcPitch = 0;        // w
    int32_t dstPitch = 0;        // dstW

    // Rows are drawn in whole groups of four: a visible span of 1 to 3
    // pixels draws nothing, not even its tail.
    bool bDrawable() const { return rows > 0 && span >= 4; }
};

// Clips to the destination's bounds (0, 0, dstW, dstH).
ss_BlitRegion o_ClipToBounds(int32_t x, int32_t y, int32_t w, int32_t h, int32_t dstW, int32_t dstH);

// Clips to an inclusive clip rectangle cut to the destination. A rectangle
// with clipBottom <= clipTop is empty (so is a one-row rectangle); one with
// clipLeft > clipRight is an empty span.
ss_BlitRegion o_ClipToRect(int32_t x, int32_t y, int32_t w, int32_t h, int32_t dstW, int32_t dstH,
                           int32_t clipTop, int32_t clipBottom, int32_t clipLeft, int32_t clipRight);

// Calls row(srcIndex, dstIndex) for every visible row of a drawable region.
template <class Row> inline void v_ForEachRow(const ss_BlitRegion& r, Row&& row) {
    if (!r.bDrawable()) return;
    std::ptrdiff_t s = r.srcStart;
    std::ptrdiff_t d = r.dstStart;
    for (int32_t i = 0; i < r.rows; ++i, s += r.srcPitch, d += r.dstPitch)
        row(s, d);
}
