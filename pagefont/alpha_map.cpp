#include "pagefont/alpha_map.h"

#include "pagefont/page_detail.h"
#include "pagefont/pixel_format.h"

using namespace pf_detail;

void v_PutAlphaMapColor(int32_t x, int32_t y, const void* map, uint32_t color) {
    if (!map || !TargetUsable()) return;
    const auto* m = static_cast<const uint8_t*>(map);
    const int32_t w = Load16(m);
    Frame f;
    if (!ClipFrame(x, y, w, Load16(m + 2), g_lTargetWidth, g_lTargetHeight, f)) return;
    const uint32_t rm = g_lRedMask, gm = g_lGreenMask, bm = g_lBlueMask;
    const uint32_t rs = static_cast<uint32_t>(g_qRedShift);
    const int32_t cr = static_cast<int32_t>((color & rm) >> rs);
    const int32_t cg = static_cast<int32_t>((color & gm) >> 5);
    const int32_t cb = static_cast<int32_t>(color & bm);
    const uint8_t* alpha = m + 4 + static_cast<size_t>(f.srcRow) * w + f.srcCol;
    for (int32_t r = 0; r < f.rows; ++r) {
        const uint8_t* a = alpha + static_cast<size_t>(r) * w;
        uint8_t* d = TargetAt(f.dstX, f.dstY + r);
        for (int32_t c = 0; c < f.cols; ++c, d += 2) {
            const int32_t v = a[c];
            if (v == 0) continue;
            if (v >= 15) {
                Store16(d, static_cast<uint16_t>(color));
                continue;
            }
            const uint32_t p = Load16(d);
            const int32_t dr = static_cast<int32_t>((p & rm) >> rs);
            const int32_t dg = static_cast<int32_t>((p & gm) >> 5);
            const int32_t db = static_cast<int32_t>(p & bm);
            // Arithmetic shifts: the blend rounds toward minus infinity.
            const int32_t nr = dr + (((cr - dr) * v) >> 4);
            const int32_t ng = dg + (((cg - dg) * v) >> 4);
            const int32_t nb = db + (((cb - db) * v) >> 4);
            const uint32_t out = ((static_cast<uint32_t>(nr) << rs) & rm) |
                                 ((static_cast<uint32_t>(ng) << 5) & gm) | (static_cast<uint32_t>(nb) & bm);
            Store16(d, static_cast<uint16_t>(out));
        }
    }
}
