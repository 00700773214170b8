#pragma once
#include <cstdint>

#include "engine/base/point.h"

// The depth-sorted show list of one frame: standing objects enter it during
// the update passes and it draws them back to front.
//
// Until objects enter it the list stays empty.
class sc_MapSort {
public:
    sc_MapSort();
    virtual ~sc_MapSort();
    sc_MapSort(const sc_MapSort&) = delete;
    sc_MapSort& operator=(const sc_MapSort&) = delete;

    void vClear();
    void vInit(sc_Point* pViewPoint);
    // Draws the list in order and empties it.
    void vShow();

    sc_Point* pGetView() const { return m_pView; }

    int32_t lCount = 0;

private:
    sc_Point* m_pView = nullptr;
};

extern sc_MapSort* g_pMapSort;
