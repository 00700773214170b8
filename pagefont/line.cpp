#include "pagefont/line.h"

#include <cstdlib>

#include "pagefont/page_detail.h"

using namespace pf_detail;

void v_GetOutcode(int32_t* code, int32_t x, int32_t y) {
    int32_t c = 0;
    if (x < g_lClipLeft) c |= 1;
    if (y < g_lClipTop) c |= 2;
    if (x > g_lClipRight) c |= 4;
    if (y > g_lClipBottom) c |= 8;
    *code = c;
}

int32_t l_ClipLine(int32_t* x1, int32_t* y1, int32_t* x2, int32_t* y2) {
    int32_t c1, c2;
    v_GetOutcode(&c1, *x1, *y1);
    v_GetOutcode(&c2, *x2, *y2);
    if ((c1 | c2) == 0) return 1;
    if (c1 & c2) return 0;
    int32_t ax = *x1, ay = *y1, bx = *x2, by = *y2;
    for (;;) {
        if (c1 == 0) {
            std::swap(ax, bx);
            std::swap(ay, by);
            std::swap(c1, c2);
        }
        // 64-bit products: far-away end points must not overflow.
        if (c1 & 1) {
            ay = static_cast<int32_t>(ay +
                                      (int64_t{by} - ay) * (int64_t{g_lClipLeft} - ax) / (int64_t{bx} - ax));
            ax = g_lClipLeft;
        } else if (c1 & 2) {
            ax = static_cast<int32_t>(ax +
                                      (int64_t{bx} - ax) * (int64_t{g_lClipTop} - ay) / (int64_t{by} - ay));
            ay = g_lClipTop;
        } else if (c1 & 4) {
            ay = static_cast<int32_t>(ay +
                                      (int64_t{by} - ay) * (int64_t{g_lClipRight} - ax) / (int64_t{bx} - ax));
            ax = g_lClipRight;
        } else {
            ax = static_cast<int32_t>(ax + (int64_t{bx} - ax) * (int64_t{g_lClipBottom} - ay) /
                                               (int64_t{by} - ay));
            ay = g_lClipBottom;
        }
        v_GetOutcode(&c1, ax, ay);
        if ((c1 | c2) == 0) break;
        if (c1 & c2) return 0;
    }
    *x1 = ax;
    *y1 = ay;
    *x2 = bx;
    *y2 = by;
    return 1;
}

void v_DrawLine(int32_t x1, int32_t y1, int32_t x2, int32_t y2, uint32_t color) {
    if (!TargetUsable()) return;
    g_lClipLeft = 0;
    g_lClipTop = 0;
    g_lClipRight = g_lTargetWidth - 1;
    g_lClipBottom = g_lTargetHeight - 1;
    if (!l_ClipLine(&x1, &y1, &x2, &y2)) return;
    if (x1 > x2) {
        std::swap(x1, x2);
        std::swap(y1, y2);
    }
    const uint16_t c = static_cast<uint16_t>(color);
    const int32_t rowStep = y2 > y1 ? 1 : -1;
    const int32_t dx = x2 - x1;
    const int32_t dy = std::abs(y2 - y1);
    int32_t x = x1, y = y1;
    if (dx == 0) {
        for (int32_t i = 0; i <= dy; ++i, y += rowStep)
            Store16(TargetAt(x, y), c);
        return;
    }
    if (dy == 0) {
        for (int32_t i = 0; i <= dx; ++i)
            Store16(TargetAt(x + i, y), c);
        return;
    }
    Store16(TargetAt(x, y), c);
    if (dx < dy) {
        int32_t e = 2 * dx - dy;
        for (int32_t i = 0; i < dy; ++i) {
            if (e > 0) {
                e += 2 * (dx - dy);
                ++x;
            } else {
                e += 2 * dx;
            }
            y += rowStep;
            Store16(TargetAt(x, y), c);
        }
    } else {
        int32_t e = 2 * dy - dx;
        for (int32_t i = 0; i < dx; ++i) {
            if (e > 0) {
                e += 2 * (dy - dx);
                y += rowStep;
            } else {
                e += 2 * dy;
            }
            ++x;
            Store16(TargetAt(x, y), c);
        }
    }
}

void v_DrawRect(int32_t x1, int32_t y1, int32_t x2, int32_t y2, uint32_t color) {
    v_DrawLine(x1, y1, x2 - 1, y1, color);
    v_DrawLine(x2, y1, x2, y2 - 1, color);
    v_DrawLine(x2, y2, x1 + 1, y2, color);
    v_DrawLine(x1, y2, x1, y1 + 1, color);
}

void v_FillRect(int32_t x1, int32_t y1, int32_t x2, int32_t y2, uint32_t color) {
    if (!TargetUsable()) return;
    if (x1 >= g_lTargetWidth || y1 >= g_lTargetHeight || x2 < 0 || y2 < 0) return;
    if (x1 < 0) x1 = 0;
    if (y1 < 0) y1 = 0;
    if (x2 >= g_lTargetWidth) x2 = g_lTargetWidth - 1;
    if (y2 >= g_lTargetHeight) y2 = g_lTargetHeight - 1;
    const uint16_t c = static_cast<uint16_t>(color);
    for (int32_t y = y1; y <= y2; ++y) {
        uint8_t* d = TargetAt(x1, y);
        for (int32_t x = x1; x <= x2; ++x, d += 2)
            Store16(d, c);
    }
}

void v_PutPixel(int32_t x, int32_t y, uint16_t color) {
    if (!TargetUsable() || x < 0 || y < 0 || x >= g_lTargetWidth || y >= g_lTargetHeight) return;
    Store16(TargetAt(x, y), color);
}

int32_t l_GetPixel(int32_t x, int32_t y) {
    if (!TargetUsable() || x < 0 || y < 0 || x >= g_lTargetWidth || y >= g_lTargetHeight) return 0;
    return Load16(TargetAt(x, y));
}
