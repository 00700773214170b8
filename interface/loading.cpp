#include "interface/loading.h"

#include "engine/blit/blit_bounds.h"
#include "engine/device/dir_surface.h"
#include "engine/device/direct2d.h"
#include "engine/device/frame_time.h"
#include "engine/sprite/memory_control.h"
#include "engine/sprite/sprite_tree.h"
#include "game/work.h"
#include "interface/layout.h"

sc_Loading* g_pLoading = nullptr;

namespace {

const sc_GameImgWithShadow* FirstFrame(sc_GameObject* set, int32_t status, int32_t frame = 0) {
    sc_GameStatus* s = set ? set->pGetStatusAt(status) : nullptr;
    sc_GameDir* d = s ? s->pGetDirAt(0) : nullptr;
    return d ? d->pGetFrameAt(frame) : nullptr;
}

void Draw(const sc_GameImgWithShadow* picture, layout::Pos at) {
    if (picture && g_pWorkSurface) picture->vShow(at.x, at.y, g_pWorkSurface);
}

} // namespace

sc_Loading::sc_Loading() {
    g_pLoading = this;
    lFadeLevel = kOpaque;
}

sc_Loading::~sc_Loading() {
    vFree();
    if (g_pLoading == this) g_pLoading = nullptr;
}

void sc_Loading::vLoad() {
    if (pSet) return;
    vFree();
    if (!g_pMemoryControl) return;
    pSet = g_pMemoryControl->pGetObject(layout::kPackStr, layout::kPackImg, layout::kObjectLoading);
    if (!pSet) return;
    pBackground = FirstFrame(pSet, layout::kLoadingBackStatus);
    pBarFrame = FirstFrame(pSet, layout::kLoadingFrameStatus);
    for (int32_t i = 0; i < kSegments; ++i) pSegments[static_cast<size_t>(i)] = FirstFrame(pSet, layout::kLoadingSegmentStatus, i);
    oDigits.vSetUp(pSet->pGetStatusAt(layout::kLoadingDigitStatus), layout::kLoadingDigitGap, layout::kLoadingDigits.x,
                   layout::kLoadingDigits.y, 100, nullptr);
}

void sc_Loading::vFree() {
    lPercent = 0;
    oDigits.vReset();
    pBackground = pBarFrame = nullptr;
    pSegments.fill(nullptr);
    if (pSet && g_pMemoryControl) g_pMemoryControl->vFree(pSet);
    pSet = nullptr;
    lFadeLevel = kOpaque;
}

void sc_Loading::vSetPercent(int32_t lNewPercent) {
    if (lNewPercent < 1 || lNewPercent > 99) return;
    lPercent = lNewPercent;
    oDigits.vSetNumber(lNewPercent);
    vDraw();
    if (g_pDirect2D) g_pDirect2D->vPresent();
}

void sc_Loading::vDraw() {
    if (!pSet) return;
    Draw(pBackground, {0, 0});
    Draw(pBarFrame, layout::kLoadingBar);
    for (int32_t i = 0; i < lPercent / 5 && i < kSegments; ++i) Draw(pSegments[static_cast<size_t>(i)], layout::kLoadingBar);
    oDigits.vShow();
}

void sc_Loading::vFinish() {
    if (bFinished) return;
    if (pSet) {
        Draw(pBackground, {0, 0});
        Draw(pBarFrame, layout::kLoadingBar);
        for (const sc_GameImgWithShadow* segment : pSegments) Draw(segment, layout::kLoadingBar);
        oDigits.vSetNumber(99);
        oDigits.vShow();
    }
    bFinished = 1;
    vCopyBackground();
}

void sc_Loading::vCountDown() {
    if (!pSet || !bFinished) return;
    if (lNextFadeTime < g_lNowTick) {
        lNextFadeTime = g_lNowTick + 4 * lFadeLevel + 50;
        --lFadeLevel;
        if (lFadeLevel < 1) {
            bClosed = 1;
            vFree();
            return;
        }
    }
    vBlendBackground(lFadeLevel);
}

void sc_Loading::vCopyBackground() {
    if (!pBackground || !g_pWorkBuffer || !g_pWorkSurface) return;
    const sc_Point at = pBackground->oGetOffset();
    v_Blt555Key(at.x, at.y, pBackground->lGetWidth(), pBackground->lGetHeight(), g_pWorkSurface->lGetWidth(),
                g_pWorkSurface->lGetHeight(), pBackground->pGetPixels(), g_pWorkBuffer);
}

void sc_Loading::vBlendBackground(int32_t lAlpha) {
    if (!pBackground || !g_pWorkBuffer || !g_pWorkSurface) return;
    const sc_Point at = pBackground->oGetOffset();
    v_Blt555Alpha(at.x, at.y, pBackground->lGetWidth(), pBackground->lGetHeight(), g_pWorkSurface->lGetWidth(),
                  g_pWorkSurface->lGetHeight(), static_cast<uint32_t>(lAlpha), pBackground->pGetPixels(),
                  g_pWorkBuffer);
}
