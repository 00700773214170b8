#pragma once
#include <cstdint>

#include "engine/base/point.h"

// One object of the show list: three points of its ground footprint in map
// pixels, the side corners and then the anchor (where it stands), its kind
// and the object itself (not owned).
struct ss_SortData {
    int16_t x1 = 0, y1 = 0;
    int16_t x2 = 0, y2 = 0;
    int16_t x3 = 0, y3 = 0;
    uint32_t lKind = 0;
    void* vpBuffer = nullptr;
};

// The depth-sorted show list of one frame: standing objects enter it during
// the update passes, each placed before the first entry it stands behind,
// and the list draws them back to front and empties itself. Only the new
// entry is compared; the list is never re-sorted, so objects that never
// decide against each other keep the order in which they came.
class sc_MapSort {
public:
    static constexpr int32_t kEntries = 512;
    enum : uint32_t { kBuilding = 1, kCharacter = 2, kThing = 3, kEnemy = 4, kAnimal = 5, kDeath = 6 };

    sc_MapSort();
    virtual ~sc_MapSort();
    sc_MapSort(const sc_MapSort&) = delete;
    sc_MapSort& operator=(const sc_MapSort&) = delete;

    void vClear();
    void vInit(sc_Point* pViewPoint);
    // Enters one object. Unless forced, an object whose anchor lies off the
    // screen (widened by 200 pixels) is left out. A null object, or one that
    // comes when the list is full, is never taken.
    void vAdd(int16_t x1, int16_t y1, int16_t x2, int16_t y2, int16_t x3, int16_t y3, uint32_t lKind,
              void* vpObject, int32_t bForce);
    // Draws the list in order and empties it.
    void vShow();

    int32_t lGetCount() const { return m_lCount; }
    sc_Point* pGetView() const { return m_pView; }

    // Index 0 is drawn first (farthest back).
    ss_SortData spSortData[kEntries];

private:
    int32_t m_lCount = 0;
    sc_Point* m_pView = nullptr;
};

extern sc_MapSort* g_pMapSort;
