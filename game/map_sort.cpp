#include "game/map_sort.h"

sc_MapSort* g_pMapSort = nullptr;

sc_MapSort::sc_MapSort() { g_pMapSort = this; }

sc_MapSort::~sc_MapSort() {
    if (g_pMapSort == this) g_pMapSort = nullptr;
}

void sc_MapSort::vClear() {
    lCount = 0;
    m_pView = nullptr;
}

void sc_MapSort::vInit(sc_Point* pViewPoint) {
    vClear();
    m_pView = pViewPoint;
}

void sc_MapSort::vShow() { lCount = 0; }
