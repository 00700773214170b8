#pragma once
#include <cstdint>

#include "engine/base/game_point.h"
#include "engine/base/point.h"
#include "engine/sprite/game_img.h"
#include "engine/sprite/image_locate.h"

// The walkability map of a mission: one byte per 16 x 8 pixel ground cell,
// column x >> 4, row y >> 3, read from the mission file.
//
// Cell values: 0 free; 1 blocks movement and stops bullets; 2 blocks
// movement only; 3 does not block movement but stops bullets that are not
// pass-marked and marks a character standing on it.
//
// Without a grid every cell reads 0. Cells outside the grid read 1, so
// objects stay off the edge and nothing is read past the grid.
class sc_MapLocate {
public:
    static constexpr int32_t kOutside = 1;

    sc_MapLocate() = default;
    virtual ~sc_MapLocate() = default;
    sc_MapLocate(const sc_MapLocate&) = delete;
    sc_MapLocate& operator=(const sc_MapLocate&) = delete;

    void vClear() { m_pView = nullptr; }
    // Keeps the view and builds the overlay's three cell markers.
    void vInit(sc_Point* pViewPoint);

    // The byte of the cell under the point.
    int32_t lGetCell(sc_Point oPoint) const;
    // 1 when the cell under the point or one of its eight neighbours holds 1
    // or 2: an object stays one whole cell away from every obstacle.
    int32_t bIsBlocked(sc_Point oPoint) const;
    // A point whose cell lies outside the grid changes nothing.
    void vSetCell(int32_t x, int32_t y, int32_t lValue);
    // The first non-zero cell under p1, p2, p3, p4, then under the middle of
    // p1 and p3; 0 when all are free.
    int32_t lGetAreaCell(sc_GamePoint p1, sc_GamePoint p2, sc_GamePoint p3, sc_GamePoint p4) const;
    // Paints the cells of values 1 (blue), 2 (red) and 3 (green) over the
    // work surface under the view.
    void vShowGrid() const;

    sc_Point* pGetView() const { return m_pView; }

    // The grid as the mission file holds it.
    sc_ImageLocate oLocate;

private:
    int32_t lCellAt(int32_t column, int32_t row) const;

    sc_GameImg m_oMarker[3];
    sc_Point* m_pView = nullptr;
};
