#include "game/map_locate.h"

#include <array>

#include "engine/device/dir_surface.h"
#include "engine/image/image.h"
#include "game/work.h"

void sc_MapLocate::vInit(sc_Point* pViewPoint) {
    vClear();
    m_pView = pViewPoint;
    constexpr int32_t w = sc_ImageLocate::kCellW, h = sc_ImageLocate::kCellH;
    std::array<uint16_t, w * h> pixels;
    std::array<uint8_t, w * h> alpha;
    pixels.fill(31);
    alpha.fill(128);
    sc_Image picture;
    picture.vSet555(w, h, pixels.data(), alpha.data());
    m_oMarker[0].vSetImage(&picture, 1);
    // The same half-transparent cell recoloured: blue, then red, then green.
    const auto recolour = [&](uint8_t red, uint8_t green, uint8_t blue) {
        for (int32_t y = 0; y < h; ++y)
            for (int32_t x = 0; x < w; ++x) {
                sc_Color& c = picture.oAt(x, y);
                c.red = red;
                c.green = green;
                c.blue = blue;
            }
    };
    recolour(255, 0, 0);
    m_oMarker[1].vSetImage(&picture, 1);
    recolour(0, 255, 0);
    m_oMarker[2].vSetImage(&picture, 1);
}

int32_t sc_MapLocate::lCellAt(int32_t column, int32_t row) const {
    if (!oLocate.pGetCells()) return 0;
    const uint8_t* cell = oLocate.pGetCell(column, row);
    return cell ? *cell : kOutside;
}

int32_t sc_MapLocate::lGetCell(sc_Point oPoint) const {
    return lCellAt(oPoint.x >> 4, oPoint.y >> 3);
}

int32_t sc_MapLocate::bIsBlocked(sc_Point oPoint) const {
    // The cell itself, then its neighbours clockwise from the right.
    static constexpr int32_t kAround[9][2] = {{0, 0},  {1, 0},   {1, 1},  {0, 1}, {-1, 1},
                                              {-1, 0}, {-1, -1}, {0, -1}, {1, -1}};
    const int32_t c = oPoint.x >> 4, r = oPoint.y >> 3;
    for (const auto& d : kAround) {
        const int32_t v = lCellAt(c + d[0], r + d[1]);
        if (v == 1 || v == 2) return 1;
    }
    return 0;
}

void sc_MapLocate::vSetCell(int32_t x, int32_t y, int32_t lValue) {
    if (uint8_t* cell = oLocate.pGetCell(x >> 4, y >> 3)) *cell = static_cast<uint8_t>(lValue);
}

int32_t sc_MapLocate::lGetAreaCell(sc_GamePoint p1, sc_GamePoint p2, sc_GamePoint p3, sc_GamePoint p4) const {
    for (const sc_GamePoint& p : {p1, p2, p3, p4})
        if (const int32_t v = lGetCell(sc_Point(p.x, p.y))) return v;
    const int32_t mx = (p3.x - p1.x) / 2 + p1.x, my = (p3.y - p1.y) / 2 + p1.y;
    return lGetCell(sc_Point(mx, my));
}

void sc_MapLocate::vShowGrid() const {
    if (!g_pWorkSurface || !m_pView || !oLocate.pGetCells()) return;
    const int32_t columns = oLocate.lGetColumns(), rows = oLocate.lGetRows();
    for (int32_t r = 0; r < rows; ++r)
        for (int32_t c = 0; c < columns; ++c) {
            const int32_t v = *oLocate.pGetCell(c, r);
            if (v < 1 || v > 3) continue;
            m_oMarker[v - 1].vShow(sc_ImageLocate::kCellW * c - m_pView->x,
                                   sc_ImageLocate::kCellH * r - m_pView->y, g_pWorkSurface);
        }
}
