#include "game/geometry.h"

#include <cmath>
#include <cstdlib>
#include <limits>

#include "engine/device/dir_key.h"
#include "engine/device/dir_surface.h"
#include "game/map.h"
#include "game/work.h"
#include "platform/input.h"

namespace {

// Integer arithmetic of the original registers: 32 bits that wrap.
int32_t Wrap(int64_t v) {
    return static_cast<int32_t>(static_cast<uint32_t>(static_cast<uint64_t>(v)));
}

// Truncation toward zero as the processor does it: a value that does not fit
// (or is not a number) becomes the lowest 32-bit integer.
int32_t Trunc(double v) {
    if (!(v > -2147483649.0 && v < 2147483648.0)) return std::numeric_limits<int32_t>::min();
    return static_cast<int32_t>(v);
}

int32_t Direction(int32_t x0, int32_t y0, int32_t x1, int32_t y1, int32_t half, int32_t width,
                  int32_t steps) {
    if (x0 == x1 && y0 == y1) return 0;
    const double a = std::atan2(static_cast<double>(x1) - x0, 2.0 * (static_cast<double>(y1) - y0));
    const int32_t v = Trunc(3141.0 - 1000.0 * a + half);
    const int32_t d = v / width;
    return d >= steps ? 0 : d;
}

// The angle of a line in degrees, 0 right and 90 up; the y difference is
// not doubled here.
int32_t LineAngle(int32_t x0, int32_t y0, int32_t x1, int32_t y1) {
    const double a = std::atan2(static_cast<double>(x1) - x0, static_cast<double>(y1) - y0);
    int32_t g = Trunc((1000.0 * a - 3141.0) * 360.0 / 6282.0 + 90.0);
    if (g < 0) g += 360;
    return g;
}

// Where p lies against the edge from s to e: negative on the inner side of
// a quad whose corners run left, top, right, bottom.
int32_t Side(int32_t sx, int32_t sy, int32_t ex, int32_t ey, int32_t px, int32_t py) {
    return Wrap(int64_t{ey - sy} * (px - sx) - int64_t{py - sy} * (ex - sx));
}

bool Inside(const int16_t* a, int32_t px, int32_t py) {
    for (int i = 0; i < 4; ++i) {
        const int j = (i + 1) & 3;
        if (Side(a[2 * i], a[2 * i + 1], a[2 * j], a[2 * j + 1], px, py) >= 0) return false;
    }
    return true;
}

int32_t StepUp(int32_t v, int32_t steps) {
    return v + 1 >= steps ? 0 : v + 1;
}
int32_t StepDown(int32_t v, int32_t steps) {
    return v - 1 < 0 ? steps - 1 : v - 1;
}

} // namespace

int32_t l_GetKeyBoardDirection() {
    if (!g_pDirKey) return -1;
    sc_DirKey& k = *g_pDirKey;
    k.bGetKeyState(0);
    const bool up = k.bIsKeyDown(plat::key::Up) || k.bIsKeyDown(plat::key::W);
    const bool right = k.bIsKeyDown(plat::key::Right) || k.bIsKeyDown(plat::key::D);
    const bool down = k.bIsKeyDown(plat::key::Down) || k.bIsKeyDown(plat::key::S);
    const bool left = k.bIsKeyDown(plat::key::Left) || k.bIsKeyDown(plat::key::A);
    // The first of up, right, down and left that is held decides; a key
    // beside it turns it half a step, the opposite key is ignored.
    if (up) return right ? 2 : left ? 14 : 0;
    if (right) return down ? 6 : 4;
    if (down) return left ? 10 : 8;
    if (left) return 12;
    return -1;
}

int32_t l_GetDirection8(int32_t x0, int32_t y0, int32_t x1, int32_t y1) {
    return Direction(x0, y0, x1, y1, 392, 784, 8);
}

int32_t l_GetDirection16(int32_t x0, int32_t y0, int32_t x1, int32_t y1) {
    return Direction(x0, y0, x1, y1, 196, 392, 16);
}

int32_t l_GetDirection32(int32_t x0, int32_t y0, int32_t x1, int32_t y1) {
    return Direction(x0, y0, x1, y1, 98, 196, 32);
}

int32_t l_IsNotOpposite16(int32_t d1, int32_t d2) {
    const int32_t o = d1 < 8 ? d1 + 8 : d1 - 8;
    const int32_t up1 = StepUp(o, 16), down1 = StepDown(o, 16);
    return !(d2 == o || d2 == up1 || d2 == StepUp(up1, 16) || d2 == down1 || d2 == StepDown(down1, 16));
}

int32_t l_IsNotOpposite8(int32_t d1, int32_t d2) {
    const int32_t o = d1 < 4 ? d1 + 4 : d1 - 4;
    return !(d2 == o || d2 == StepUp(o, 8) || d2 == StepDown(o, 8));
}

// Both sides wrap by a whole turn, so that every direction has its two
// right angles (left, 12, has 8 and 0).
int32_t l_IsSide16(int32_t d1, int32_t d2) {
    const int32_t a = d1 + 4 >= 16 ? d1 + 4 - 16 : d1 + 4;
    const int32_t b = d1 - 4 < 0 ? d1 - 4 + 16 : d1 - 4;
    return d2 == a || d2 == b;
}

int32_t l_IsSide8(int32_t d1, int32_t d2) {
    const int32_t a = d1 + 2 >= 8 ? d1 + 2 - 8 : d1 + 2;
    const int32_t b = d1 - 2 < 0 ? d1 - 2 + 8 : d1 - 2;
    return d2 == a || d2 == b;
}

int32_t l_IsQuadOverlap(int16_t ax0, int16_t ay0, int16_t ax1, int16_t ay1, int16_t ax2, int16_t ay2,
                        int16_t ax3, int16_t ay3, int16_t bx0, int16_t by0, int16_t bx1, int16_t by1,
                        int16_t bx2, int16_t by2, int16_t bx3, int16_t by3) {
    if (bx2 < ax0 || bx0 > ax2 || by1 > ay3 || by3 < ay1) return 0;
    const int16_t a[8] = {ax0, ay0, ax1, ay1, ax2, ay2, ax3, ay3};
    const int16_t b[8] = {bx0, by0, bx1, by1, bx2, by2, bx3, by3};
    for (int i = 0; i < 4; ++i)
        if (Inside(a, b[2 * i], b[2 * i + 1])) return 1;
    return 0;
}

int32_t l_IsGameQuadOverlap(sc_GamePoint a0, sc_GamePoint a1, sc_GamePoint a2, sc_GamePoint a3,
                            sc_GamePoint b0, sc_GamePoint b1, sc_GamePoint b2, sc_GamePoint b3) {
    return l_IsQuadOverlap(a0.x, a0.y, a1.x, a1.y, a2.x, a2.y, a3.x, a3.y, b0.x, b0.y, b1.x, b1.y, b2.x, b2.y,
                           b3.x, b3.y);
}

int32_t l_IsPointInQuad(sc_GamePoint a0, sc_GamePoint a1, sc_GamePoint a2, sc_GamePoint a3, sc_GamePoint p) {
    const int16_t a[8] = {a0.x, a0.y, a1.x, a1.y, a2.x, a2.y, a3.x, a3.y};
    return Inside(a, p.x, p.y) ? 1 : 0;
}

void v_GetLinePoint(int32_t x0, int32_t y0, int32_t x1, int32_t y1, int32_t* pX, int32_t* pY, int32_t lTotal,
                    int32_t lDone) {
    if (!pX || !pY || lTotal <= lDone) return;
    if (x0 == x1 && y0 == y1) {
        *pX = x0;
        *pY = y0;
        return;
    }
    const double f = static_cast<double>(lDone) / lTotal;
    *pY = Wrap(int64_t{y0} + Trunc((static_cast<double>(y1) - y0) * f));
    *pX = Wrap(int64_t{x0} + Trunc((static_cast<double>(x1) - x0) * f));
}

sc_Point o_RotatePoint(sc_Point oVector, int32_t lAngle) {
    const int32_t x = oVector.x, y = oVector.y;
    if (x == 0 && y == 0) return sc_Point(0, 0);
    const int32_t squares = Wrap(int64_t{x} * x + int64_t{y} * y);
    const float length = std::sqrt(static_cast<float>(squares));
    const float a = -std::atan2(static_cast<float>(x), static_cast<float>(y));
    const float t = static_cast<float>((90.0 - lAngle) * 3.14 / 180.0);
    return sc_Point(Trunc(length * std::cos(a + t)), Trunc(length * std::sin(a + t)));
}

void v_GetWavePoint(int32_t x0, int32_t y0, int32_t x1, int32_t y1, sc_Point* pPoint, int32_t lTotal,
                    int32_t lDone, int32_t lAmplitude, int32_t lFrequency) {
    if (!pPoint || lTotal == 0) return;
    const int64_t dx = Wrap(int64_t{x1} - x0), dy = Wrap(int64_t{y1} - y0);
    int32_t g = LineAngle(x0, y0, x1, y1);
    const auto swing = [&](int32_t u) {
        return Trunc(-std::sin(static_cast<double>(lFrequency) * u * 3.14 / 180.0) * lAmplitude);
    };
    sc_Point p;
    if ((g >= 0 && g <= 45) || (g >= 136 && g <= 225) || (g >= 316 && g <= 360)) {
        const int32_t u = Wrap(std::llabs(int64_t{Wrap(dx * lDone)} / lTotal));
        p.oSet(u, swing(u));
    } else {
        const int32_t u = Wrap(std::llabs(int64_t{Wrap(dy * lDone)} / lTotal));
        p.oSet(swing(u), u);
        g += 90;
    }
    const sc_Point r = o_RotatePoint(p, g);
    pPoint->oSet(Wrap(int64_t{r.x} + x0), Wrap(int64_t{r.y} + y0));
}

void v_StepShake(int32_t x0, int32_t y0, int32_t x1, int32_t y1, int32_t* pX, int32_t* pY, int32_t* pCounter,
                 int32_t lStep, int32_t lSpread) {
    if (!pX || !pY || !pCounter) return;
    if (x0 == x1 && y0 == y1) return;
    const bool odd = (*pCounter % 2) != 0;
    const int32_t tx = odd ? x0 : x1, ty = odd ? y0 : y1;
    *pX = Wrap(tx > *pX ? int64_t{*pX} + lStep : int64_t{*pX} - lStep);
    *pY = Wrap(ty > *pY ? int64_t{*pY} + lStep : int64_t{*pY} - lStep);
    const int64_t reach = int64_t{*pCounter} * lStep * lSpread;
    if (std::llabs(int64_t{tx} - *pX) <= reach || std::llabs(int64_t{ty} - *pY) <= reach)
        *pCounter = *pCounter + 1;
}

void v_GetBouncePoint(int32_t x0, int32_t y0, int32_t x1, int32_t y1, sc_Point* pPoint, int32_t lTotal,
                      int32_t lDone, int32_t lHeight, int32_t lFrequency) {
    if (!pPoint || lTotal == 0) return;
    const int32_t ox = Wrap(int64_t{Wrap(int64_t{x1} - x0)} * lDone / lTotal);
    const int32_t oy = Wrap(int64_t{Wrap(int64_t{y1} - y0)} * lDone / lTotal);
    const int32_t h = Wrap(int64_t{lHeight} * Wrap(int64_t{lTotal} - lDone) / lTotal);
    const double s = std::sin(static_cast<double>(lFrequency) * pPoint->x * 3.14 / 180.0);
    const int64_t lift = std::llabs(int64_t{Trunc(-s * h)});
    pPoint->oSet(Wrap(int64_t{x0} + ox), Wrap(int64_t{y0} + oy - lift));
}

void v_GetParallelLine(int32_t x0, int32_t y0, int32_t x1, int32_t y1, sc_Point* pStart, sc_Point* pEnd,
                       int32_t lOffset) {
    const int32_t g = LineAngle(x0, y0, x1, y1);
    const double dx = static_cast<double>(x1) - x0, dy = static_cast<double>(y1) - y0;
    const int32_t length = Trunc(std::sqrt(dx * dx + dy * dy));
    const sc_Point s = o_RotatePoint(sc_Point(0, lOffset), g);
    const sc_Point e = o_RotatePoint(sc_Point(length, lOffset), g);
    if (pStart) pStart->oSet(Wrap(int64_t{x0} + s.x), Wrap(int64_t{y0} + s.y));
    if (pEnd) pEnd->oSet(Wrap(int64_t{x0} + e.x), Wrap(int64_t{y0} + e.y));
}

int32_t l_IsOnScreen(int32_t x, int32_t y) {
    const int64_t vx = g_pMap ? g_pMap->oViewPoint.x : 0, vy = g_pMap ? g_pMap->oViewPoint.y : 0;
    int64_t w = 800, h = 600;
    if (g_pWorkSurface && g_pWorkSurface->lGetWidth() > 0) {
        w = g_pWorkSurface->lGetWidth();
        h = g_pWorkSurface->lGetHeight();
    }
    return vx - 200 <= x && x <= vx + w + 200 && vy - 200 <= y && y <= vy + h + 200;
}

int32_t l_GetLineBlock(int32_t x0, int32_t y0, int32_t x1, int32_t y1) {
    if (x0 == x1 && y0 == y1) return 0;
    const double dx = static_cast<double>(x1) - x0, dy = static_cast<double>(y1) - y0;
    const int32_t length = Trunc(std::sqrt(dx * dx + dy * dy));
    if (length <= 0 || !g_pMap) return 0;
    const sc_MapLocate& grid = g_pMap->oSetting.oMapLocate;
    for (int32_t i = 0; i < length / 8; ++i) {
        sc_Point p;
        v_GetLinePoint(x0, y0, x1, y1, &p.x, &p.y, length, 8 * i);
        const int32_t v = grid.lGetCell(p);
        if (v != 0 && v != 2) return v;
    }
    return 0;
}
