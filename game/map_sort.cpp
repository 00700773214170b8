#include "game/map_sort.h"

#include <algorithm>

#include "game/debug.h"
#include "game/geometry.h"
#include "objects/all_object.h"
#include "objects/animal.h"
#include "objects/building.h"
#include "objects/enemy.h"
#include "objects/thing.h"

sc_MapSort* g_pMapSort = nullptr;

namespace {

// Whether the new entry n goes in front of e in the list, that is, whether
// e stands in front of it. The footprint points are sign-extended and the
// products wrap at 32 bits.
bool bGoesBefore(const ss_SortData& n, const ss_SortData& e) {
    if (e.x3 <= n.x3 && e.x2 > n.x1 && e.y2 > n.y3) return true;
    if (e.x3 > n.x3 && e.x1 <= n.x2 && e.y1 > n.y3) return true;
    const auto wrap = [](int64_t v) {
        return static_cast<int32_t>(static_cast<uint32_t>(static_cast<uint64_t>(v)));
    };
    // The new anchor against e's edges from its second point to its anchor
    // and from its anchor to its first point.
    const int32_t c = wrap(int64_t{e.y3 - e.y2} * (n.x3 - e.x2) - int64_t{n.y3 - e.y2} * (e.x3 - e.x2));
    const int32_t d = wrap(int64_t{e.y1 - e.y3} * (n.x3 - e.x3) - int64_t{n.y3 - e.y3} * (e.x1 - e.x3));
    return c < 0 && d < 0;
}

template <class T> void vShowAs(void* p) {
    static_cast<T*>(p)->vShow();
}

struct ss_ShowKind {
    const char* pLabel;
    void (*pShow)(void*);
};

// By kind 1 to 6.
constexpr ss_ShowKind kShowKinds[] = {
    {"( ( sc_Building * ) spSortData[ rlI ].vpBuffer ) -> vShow();", vShowAs<sc_Building>},
    {"( ( sc_Character * ) spSortData[ rlI ].vpBuffer ) -> vShow();", vShowAs<sc_Character>},
    {"( ( sc_Thing * ) spSortData[ rlI ].vpBuffer ) -> vShow();", vShowAs<sc_Thing>},
    {"( ( sc_Enemy * ) spSortData[ rlI ].vpBuffer ) -> vShow();", vShowAs<sc_Enemy>},
    {"( ( sc_Animal * ) spSortData[ rlI ].vpBuffer ) -> vShow();", vShowAs<sc_Animal>},
    {"( ( sc_Death * ) spSortData[ rlI ].vpBuffer ) -> vShow();", vShowAs<sc_Death>},
};

} // namespace

sc_MapSort::sc_MapSort() {
    g_pMapSort = this;
}

sc_MapSort::~sc_MapSort() {
    if (g_pMapSort == this) g_pMapSort = nullptr;
}

void sc_MapSort::vClear() {
    m_lCount = 0;
    std::fill(std::begin(spSortData), std::end(spSortData), ss_SortData{});
    m_pView = nullptr;
}

void sc_MapSort::vInit(sc_Point* pViewPoint) {
    vClear();
    m_pView = pViewPoint;
}

void sc_MapSort::vAdd(int16_t x1, int16_t y1, int16_t x2, int16_t y2, int16_t x3, int16_t y3, uint32_t lKind,
                      void* vpObject, int32_t bForce) {
    if (!vpObject || m_lCount >= kEntries) return;
    if (!bForce && !l_IsOnScreen(x3, y3)) return;
    const ss_SortData n{x1, y1, x2, y2, x3, y3, lKind, vpObject};
    int32_t p = 0;
    while (p < m_lCount && !bGoesBefore(n, spSortData[p]))
        ++p;
    std::copy_backward(spSortData + p, spSortData + m_lCount, spSortData + m_lCount + 1);
    spSortData[p] = n;
    ++m_lCount;
}

void sc_MapSort::vShow() {
    for (int32_t i = 0; i < m_lCount; ++i) {
        const ss_SortData& e = spSortData[i];
        if (e.lKind < kBuilding || e.lKind > kDeath) continue;
        const ss_ShowKind& k = kShowKinds[e.lKind - 1];
        if (g_pDebug) g_pDebug->vWrite(k.pLabel, i);
        if (k.pShow) k.pShow(e.vpBuffer);
    }
    m_lCount = 0;
}
