#include "interface/weapons.h"

#include "engine/device/frame_time.h"
#include "engine/sprite/sprite_tree.h"
#include "game/work.h"

void sc_Weapons::vReset() {
    pIcon = nullptr;
    lId = -1;
    lWeight = kWeight;
    lPrice = kPrice;
    lFrame = 0;
    lFrameTime = 0;
}

void sc_Weapons::vSet(int32_t lNewId, int32_t lButtonX, int32_t lButtonY, int32_t lIconX, int32_t lIconY,
                      sc_GameDir* pNewIcon, sc_GameStatus* pButtonStatus, sc_InterFaceButton** ppOwner) {
    vReset();
    lId = lNewId;
    if (pButtonStatus) oButton.vSetUp(pButtonStatus, lButtonX, lButtonY, ppOwner);
    if (pNewIcon) pIcon = pNewIcon;
    oIconPoint.oSet(lIconX, lIconY);
}

const sc_GameImgWithShadow* sc_Weapons::pGetFrame() {
    const int32_t frames = pIcon ? pIcon->lGetFrameCount() : 0;
    if (frames <= 0) return nullptr;
    if (lFrameTime < g_lNowTick) {
        lFrameTime = g_lNowTick + kIconFrameMs;
        ++lFrame;
        if (lFrame >= frames) lFrame = 0;
    }
    if (lFrame < 0 || lFrame >= frames) lFrame = 0;
    return pIcon->pGetFrameAt(lFrame);
}

void sc_Weapons::vShow() {
    if (const sc_GameImgWithShadow* frame = pGetFrame())
        frame->oImage().vShow(oIconPoint.x, oIconPoint.y, g_pWorkSurface);
}
