#include "interface/system_menu.h"

#include "engine/blit/blit_bounds.h"
#include "engine/device/dir_surface.h"
#include "engine/device/frame_time.h"
#include "engine/device/mouse.h"
#include "engine/sprite/memory_control.h"
#include "engine/sprite/sprite_tree.h"
#include "game/all_string.h"
#include "game/sound.h"
#include "game/work.h"
#include "interface/form.h"
#include "interface/layout.h"

sc_InterFaceSystem* g_pInterFaceSystem = nullptr;

namespace {

constexpr int32_t kTextGroup = 14;
// The texts and the bar go when the page has faded this far.
constexpr int32_t kTextsLevel = 16;
constexpr int32_t kFadeStepMs = 100;

const sc_GameImgWithShadow* FirstFrame(sc_GameObject* set, int32_t status) {
    sc_GameStatus* s = set ? set->pGetStatusAt(status) : nullptr;
    sc_GameDir* d = s ? s->pGetDirAt(0) : nullptr;
    return d ? d->pGetFrameAt(0) : nullptr;
}

void Draw(const sc_GameImgWithShadow* picture, layout::Pos at) {
    if (picture && g_pWorkSurface) picture->vShow(at.x, at.y, g_pWorkSurface);
}

} // namespace

sc_InterFaceSystem::sc_InterFaceSystem() { g_pInterFaceSystem = this; }

sc_InterFaceSystem::~sc_InterFaceSystem() {
    vFree();
    if (g_pInterFaceSystem == this) g_pInterFaceSystem = nullptr;
}

void sc_InterFaceSystem::vLoad(sc_Form* pNewForm) {
    vFree();
    pForm = pNewForm;
    if (g_pMemoryControl) {
        pMenuSet = g_pMemoryControl->pGetObject(layout::kPackStr, layout::kPackImg, layout::kObjectSystem);
        pPictureSet = g_pMemoryControl->pGetObject(layout::kPackStr, layout::kPackImg, layout::kObjectEnd);
    }
    for (int32_t i = 0; i < kButtons; ++i)
        oButtons[static_cast<size_t>(i)].vSetUp(pMenuSet ? pMenuSet->pGetStatusAt(i) : nullptr,
                                                layout::kSystemButtonFirst.x,
                                                layout::kSystemButtonFirst.y + layout::kSystemButtonPitch * i,
                                                &pPressedOwner);
    pMenuPicture = FirstFrame(pMenuSet, layout::kSystemMenuStatus);
    pVolumePage = FirstFrame(pMenuSet, layout::kVolumePageStatus);
    pVolumeStep = FirstFrame(pMenuSet, layout::kVolumeStepStatus);
    pBackground = FirstFrame(pPictureSet, layout::kEndBackStatus);
    pComplete = FirstFrame(pPictureSet, layout::kEndCompleteStatus);
    pFailure = FirstFrame(pPictureSet, layout::kEndFailureStatus);
    oVolume.bSet(10, 0, 8, sc_Adjust::kClamp);
    oVolumeBar.vSetXYWH(layout::kVolumeBar.x, layout::kVolumeBar.y, layout::kVolumeBarSize.w,
                        layout::kVolumeBarSize.h);
}

void sc_InterFaceSystem::vFree() {
    // The buttons point into the menu set: they go with it.
    for (sc_InterFaceButton& b : oButtons) b.vClear();
    pPressedOwner = nullptr;
    pMenuPicture = pVolumePage = pVolumeStep = pBackground = pComplete = pFailure = nullptr;
    if (g_pMemoryControl) {
        g_pMemoryControl->vFree(pMenuSet);
        g_pMemoryControl->vFree(pPictureSet);
    }
    pMenuSet = pPictureSet = nullptr;
    bMenuDrawn = 0;
    bPageShown = 0;
}

int32_t sc_InterFaceSystem::lShow() {
    if (g_oGameMouse.bLeftClick() || g_oGameMouse.bLeftDrop()) pPressedOwner = nullptr;
    if (!bMenuDrawn) {
        if (pMenuPicture && g_pWorkBuffer && g_pWorkSurface) {
            const sc_Point at = pMenuPicture->oGetOffset();
            v_Blt555Key(at.x, at.y, pMenuPicture->lGetWidth(), pMenuPicture->lGetHeight(),
                        g_pWorkSurface->lGetWidth(), g_pWorkSurface->lGetHeight(), pMenuPicture->pGetPixels(),
                        g_pWorkBuffer);
        }
        bMenuDrawn = 1;
    }
    Draw(pMenuPicture, {0, 0});
    Draw(pBackground, {0, 0});
    vDraw();

    int32_t result = kNothing;
    for (int32_t i = 0; i < kButtons; ++i) {
        if (!oButtons[static_cast<size_t>(i)].lShow() || !g_oGameMouse.bLeftPressed()) continue;
        v_PlayInterfaceSound(kClickSound, 0);
        result = i;
        if (i == kVolume)
            bPageShown = 1;
        else
            bMenuDrawn = 0;
        if (i == kQuit) return result;
    }
    return result;
}

void sc_InterFaceSystem::vDraw() {
    if (!bPageShown) return;
    const layout::Pos page = layout::kVolumePage;
    if (pVolumePage && pVolumePage->pGetAlpha() && g_pWorkBuffer && g_pWorkSurface) {
        const sc_Point off = pVolumePage->oGetOffset();
        v_Blt555AlphaMapFade(page.x + off.x, page.y + off.y, pVolumePage->lGetWidth(), pVolumePage->lGetHeight(),
                             g_pWorkSurface->lGetWidth(), g_pWorkSurface->lGetHeight(),
                             static_cast<uint32_t>(lPageFadeLevel), pVolumePage->pGetAlpha(),
                             pVolumePage->pGetPixels(), g_pWorkBuffer);
    }
    const sc_Point& mouse = g_oMousePoint;
    if (oVolumeBar.bInside(mouse.x, mouse.y)) {
        oVolume.vSetValue((mouse.x - oVolumeBar.left + 20) * 10 / (oVolumeBar.right - oVolumeBar.left - 20));
        if (g_pSound) g_pSound->vSetVolume(oVolume.lGetValue() * 1000 - 7000);
    }
    if (lPageFadeLevel > kTextsLevel) {
        for (int32_t i = 0; i < oVolume.lGetValue(); ++i)
            Draw(pVolumeStep, {layout::kVolumeStep.x + layout::kVolumeStepPitch * i, layout::kVolumeStep.y});
        const sc_AllString* strings = pForm ? pForm->pStrings : nullptr;
        for (int32_t i = 0; i < 9; ++i)
            v_ShowInterfaceString(layout::kVolumeTextX, layout::kVolumeTextY[i],
                                  strings ? strings->pGetString(kTextGroup, i) : nullptr);
    }
    if (pVolumePage && pVolumePage->lGetAlpha(page.x, page.y, mouse.x, mouse.y) != 0) {
        lPageFadeLevel = kOpaque;
    } else if (lPageFadeTime < g_lNowTick) {
        lPageFadeTime = g_lNowTick + kFadeStepMs;
        --lPageFadeLevel;
    }
    if (lPageFadeLevel <= 0) {
        lPageFadeLevel = kOpaque;
        lPageFadeTime = 0;
        bPageShown = 0;
    }
}

void sc_InterFaceSystem::vShowBackground() { Draw(pBackground, {0, 0}); }

void sc_InterFaceSystem::vShowMissionComplete() { Draw(pComplete, layout::kEndComplete); }

void sc_InterFaceSystem::vShowMissionFailure() { Draw(pFailure, layout::kEndFailure); }
