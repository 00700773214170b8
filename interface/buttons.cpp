#include "interface/buttons.h"

#include "engine/device/dir_surface.h"
#include "engine/device/frame_time.h"
#include "engine/device/mouse.h"
#include "engine/sprite/sprite_tree.h"
#include "game/sound.h"
#include "game/work.h"
#include "pagefont/font_writer.h"

void v_ShowInterfaceString(int32_t x, int32_t y, const char* pText) {
    if (g_pTextSurface && pText) g_pTextSurface->vShowString(x, y, pText, 0, 0, nullptr);
}

void v_ShowInterfaceHighlight(int32_t x, int32_t y, const char* pText, uint32_t lColour) {
    if (!g_pTextSurface || !pText) return;
    g_oFontWriter.vSetColor(lColour, 0, sc_InterFaceRectButton::kTextLevel);
    g_pTextSurface->vShowText(nullptr, x, y, pText, 0, 0, 0);
    g_oFontWriter.vSetColor(sc_InterFaceRectButton::kTextColour, 0, sc_InterFaceRectButton::kTextLevel);
}

void v_ShowInterfaceNumber(int32_t x, int32_t y, int32_t lNumber) {
    if (g_pTextSurface) g_pTextSurface->vShowNumber(x, y, lNumber, 0, 0, nullptr);
}

void v_PlayInterfaceSound(const char* pName, int32_t lRepeat) {
    if (g_pSound) g_pSound->vPlay(pName, 0, lRepeat);
}

// --------------------------------------------------------- picture button

void sc_InterFaceButton::vClear() {
    pImageSet = nullptr;
    pHitImage = nullptr;
    bState = kNormal;
    bFrame = 0;
    lNextFrameTime = 0;
    lResult = 0;
    bEnabled = 1;
    oPoint.oSet(0, 0);
    pPressedOwner = nullptr;
}

void sc_InterFaceButton::vSetUp(sc_GameStatus* pStatus, int32_t x, int32_t y, sc_InterFaceButton** ppOwner) {
    vClear();
    pImageSet = pStatus;
    const sc_GameDir* normal = pStatus ? pStatus->pGetDirAt(kNormal) : nullptr;
    pHitImage = normal ? normal->pGetFrameAt(0) : nullptr;
    oPoint.oSet(x, y);
    pPressedOwner = ppOwner;
}

const sc_GameImgWithShadow* sc_InterFaceButton::pGetLookFrame(int32_t lLook) const {
    const sc_GameDir* dir = pImageSet ? pImageSet->pGetDirAt(lLook) : nullptr;
    return dir ? dir->pGetFrameAt(0) : nullptr;
}

const sc_GameImgWithShadow* sc_InterFaceButton::pGetFrame() {
    const sc_Point& mouse = g_oMousePoint;
    const bool inside = pHitImage && pHitImage->bIsInside(oPoint.x, oPoint.y, mouse.x, mouse.y);
    const bool free = !pPressedOwner || !*pPressedOwner || *pPressedOwner == this;
    uint8_t state = bState;
    if (inside && free) {
        state = kOver;
        if (g_oGameMouse.bLeftDown() || g_oGameMouse.bLeftDrag() || g_oGameMouse.bLeftDouble()) {
            if (pPressedOwner) *pPressedOwner = this;
            state = kPressed;
            lResult = 1;
        } else {
            if (pPressedOwner) *pPressedOwner = nullptr;
            lResult = 0;
        }
    } else if (!inside) {
        // The owner cell stays: a press taken here is kept until the mouse
        // comes back over this button with the button up.
        state = kNormal;
        lResult = 0;
    }

    const sc_GameDir* dir = pImageSet ? pImageSet->pGetDirAt(state) : nullptr;
    const int32_t frames = dir ? dir->lGetFrameCount() : 0;
    if (state != bState) {
        bState = state;
        if (bFrame >= frames) bFrame = 0;
    }
    if (frames <= 0) return nullptr;
    if (lNextFrameTime < g_lNowTick) {
        lNextFrameTime = g_lNowTick + pImageSet->wGetFrameTime();
        const int32_t next = bFrame + 1;
        bFrame = static_cast<int8_t>(next >= frames || next > INT8_MAX ? 0 : next);
    }
    if (bFrame < 0 || bFrame >= frames) bFrame = 0;
    return dir->pGetFrameAt(bFrame);
}

int32_t sc_InterFaceButton::lShow() {
    if (!bEnabled) return 0;
    if (const sc_GameImgWithShadow* frame = pGetFrame())
        frame->oImage().vShow(oPoint.x, oPoint.y, g_pWorkSurface);
    return lResult;
}

// --------------------------------------------------------- caption button

void sc_InterFaceRectButton::vSetRect(int32_t x, int32_t y, int32_t w, int32_t h) {
    vReset();
    oRect.vSetXYWH(x, y, w, h);
}

int32_t sc_InterFaceRectButton::lShow(int32_t bPlain) {
    const char* caption = oCaption.pGetText();
    if (!bEnabled || !caption) return 0;
    if (bPlain) {
        v_ShowInterfaceString(oRect.left, oRect.top, caption);
        return 0;
    }
    if (!oRect.bInside(g_oMousePoint.x, g_oMousePoint.y) && !bSelected) {
        v_ShowInterfaceString(oRect.left, oRect.top, caption);
        bHoverSounded = 0;
        return 0;
    }
    v_ShowInterfaceHighlight(oRect.left, oRect.top, caption, kHighlight);
    if (!bHoverSounded) {
        v_PlayInterfaceSound(kHoverSound, 1);
        bHoverSounded = 1;
    }
    if (bSelected) return 0;
    return g_oGameMouse.bLeftPressed() ? 1 : 0;
}
