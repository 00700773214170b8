#include "objects/death.h"

#include <algorithm>

#include "engine/device/frame_time.h"
#include "engine/sprite/memory_control.h"
#include "engine/sprite/sprite_tree.h"
#include "game/map_sort.h"
#include "objects/all_object.h"
#include "platform/random.h"

sc_AllDeath* g_pAllDeath = nullptr;

namespace {

constexpr const char* kSpriteStr = "P_SPRITY\\P_SPRITY.STR";
constexpr const char* kSpriteImg = "P_SPRITY\\P_SPRITY.IMG";
constexpr int32_t kDeathObject = 1;

} // namespace

void sc_Death::vCopyData(const sc_NodeEx* source) {
    if (b_IsExactly<sc_Death>(source)) vResetState();
}

void sc_Death::vResetState() {
    lFrameTime = 50;
    oPosition.oSet(0, 0);
    lKind = 0;
    lNextFrame = 0;
    bFrame = 0;
}

void sc_Death::vClear() {
    vResetState();
    sc_NodeEx::vClear();
}

void sc_Death::vSetUp(sc_Point* pViewPoint, int32_t lNewKind, const sc_Point& oAt,
                      const sc_GameDir* pNewDir) {
    vClear();
    pView = pViewPoint;
    lKind = lNewKind;
    oPosition = oAt;
    pDir = pNewDir;
    bActive = 1;
    lStart = g_lNowTick;
}

const sc_GameImgWithShadow* sc_Death::pGetFrame() {
    if (!pDir) return nullptr;
    const int32_t frames = pDir->lGetFrameCount();
    if (lNextFrame < g_lNowTick) {
        lNextFrame = g_lNowTick + lFrameTime;
        ++bFrame;
        if (bFrame >= frames) bFrame = 0;
    }
    return pDir->pGetFrameAt(bFrame);
}

void sc_Death::vAddSort() {
    if (!bActive || !pDir || !g_pMapSort) return;
    const int16_t sx = static_cast<int16_t>(oPosition.x - 400), sy = static_cast<int16_t>(oPosition.y - 300);
    const sc_GamePoint m0 = pDir->oGetMark(0), m1 = pDir->oGetMark(1), m2 = pDir->oGetMark(2);
    // Forced: remains are entered wherever they lie, so they fade on time.
    g_pMapSort->vAdd(static_cast<int16_t>(sx + m0.x), static_cast<int16_t>(sy + m0.y),
                     static_cast<int16_t>(sx + m1.x), static_cast<int16_t>(sy + m1.y),
                     static_cast<int16_t>(sx + m2.x), static_cast<int16_t>(sy + m2.y), sc_MapSort::kDeath,
                     this, 1);
}

void sc_Death::vShow() {
    if (!bActive || !pDir) return;
    // The elapsed time in 64 bits: a death kept past 69,000 s must not wrap.
    const int64_t elapsed = static_cast<int64_t>(g_lNowTick) - lStart;
    lAlpha = static_cast<int32_t>(std::max<int64_t>(0, 31 - elapsed * 31 / kFadeMs));
    if (const sc_GameImgWithShadow* f = pGetFrame()) {
        const sc_Point view = pView ? *pView : sc_Point();
        v_ShowFaded(*f, oPosition.x - 400 - view.x, oPosition.y - 300 - view.y, lAlpha);
    }
    if (lAlpha < 1) bDone = 1;
}

sc_AllDeath::sc_AllDeath() {
    g_pAllDeath = this;
}

sc_AllDeath::~sc_AllDeath() {
    vClear();
    if (g_pAllDeath == this) g_pAllDeath = nullptr;
}

void sc_AllDeath::vClear() {
    oList.vClear();
    bLoaded = 0;
    if (pImage && g_pMemoryControl) g_pMemoryControl->vFree(pImage);
    pImage = nullptr;
}

void sc_AllDeath::vLoad(sc_Point* pViewPoint) {
    vClear();
    pView = pViewPoint;
    if (g_pMemoryControl) pImage = g_pMemoryControl->pGetObject(kSpriteStr, kSpriteImg, kDeathObject);
    bLoaded = 1;
}

sc_Death* sc_AllDeath::pAdd(int32_t lKind, const sc_Point& oAt) {
    if (lKind == -1) return nullptr;
    const sc_Death blank;
    oList.vAdd(&blank);
    sc_Death* death = pGetDeath(lGetCount() - 1);
    // Directions 0 and 1, and 2 once in 32768 draws; both the kind and the
    // direction stay within the pack.
    const int32_t lDir = plat::RandScaled(2);
    const sc_GameDir* dir = nullptr;
    int32_t kind = lKind;
    if (pImage && pImage->lGetStatusCount() > 0) {
        kind = std::clamp(lKind, 0, pImage->lGetStatusCount() - 1);
        const sc_GameStatus* status = pImage->pGetStatusAt(kind);
        if (status->lGetDirCount() > 0) dir = status->pGetDirAt(std::min(lDir, status->lGetDirCount() - 1));
    }
    death->vSetUp(pView, kind, oAt, dir);
    // Nothing to show would never fade: it is finished instead.
    if (!dir || dir->lGetFrameCount() == 0) death->bDone = 1;
    return death;
}

void sc_AllDeath::vPrevSortShow() {
    if (!bLoaded) return;
    // Every finished death goes; the one that moves into the freed place is
    // looked at next.
    for (int32_t i = 0; i < oList.lGetCount();) {
        if (pGetDeath(i)->bDone)
            oList.vDelete(i);
        else
            ++i;
    }
    for (int32_t i = 0; i < oList.lGetCount(); ++i)
        pGetDeath(i)->vAddSort();
}
