// The operator's orders carried out by the object layer: the aimed order
// and its preview, the air-strike airplane that brings it, the two bomber
// runs, the blast after their impact, and the delivery of ordered mines.
#include <algorithm>
#include <cmath>

#include "engine/device/dir_surface.h"
#include "engine/device/frame_time.h"
#include "engine/device/mouse.h"
#include "engine/sprite/game_img.h"
#include "engine/sprite/memory_control.h"
#include "engine/sprite/sprite_tree.h"
#include "game/geometry.h"
#include "game/map.h"
#include "game/sound.h"
#include "game/work.h"
#include "interface/form.h"
#include "interface/operator_panel.h"
#include "objects/all_object.h"
#include "objects/enemy.h"
#include "objects/thing.h"
#include "platform/random.h"

namespace {

constexpr const char* kSpriteStr = "P_SPRITY\\P_SPRITY.STR";
constexpr const char* kSpriteImg = "P_SPRITY\\P_SPRITY.IMG";
constexpr int32_t kBomber6Object = 7;
constexpr int32_t kBomber5Object = 8;
constexpr int32_t kBomber6FrameMs = 150;
constexpr int32_t kBomber5FrameMs = 50;
constexpr int32_t kBomber5Level = 20;
constexpr int32_t kBomber6LastFrame = 11;
constexpr int32_t kBlastFrameMs = 150;
constexpr int64_t kBlastReach2 = 250'000; // squared radius 500
constexpr int32_t kBlastDamage = 10'000;
constexpr int32_t kAimReach = 200;
constexpr int32_t kAirplaneStep = 32;

// The slot of an order: 0 a thrown mine, 5 and 6 the bomber runs, the
// others dropped mines. Only the sentry mine of slot 4 searches and fires;
// the others act on what touches them.
constexpr int32_t kThrownSlot = 0;
constexpr int32_t kSentrySlot = 4;
constexpr int32_t kBomber5Slot = 5;
constexpr int32_t kBomber6Slot = 6;

int32_t R(int32_t n) {
    return plat::RandScaled(n);
}

bool Due(int32_t lNext) {
    return g_lNowTick >= lNext;
}

// The frame at an index of a direction, wrapping past its end.
const sc_GameImgWithShadow* FrameOf(const sc_GameObject* pObject, int32_t lDir, int32_t lFrame) {
    const sc_GameStatus* s = pObject ? pObject->pGetStatusAt(0) : nullptr;
    const sc_GameDir* d = s ? s->pGetDirAt(lDir) : nullptr;
    if (!d || d->lGetFrameCount() < 1) return nullptr;
    return d->pGetFrameAt(((lFrame % d->lGetFrameCount()) + d->lGetFrameCount()) % d->lGetFrameCount());
}

int32_t FrameCount(const sc_GameObject* pObject, int32_t lDir) {
    const sc_GameStatus* s = pObject ? pObject->pGetStatusAt(0) : nullptr;
    const sc_GameDir* d = s ? s->pGetDirAt(lDir) : nullptr;
    return d ? d->lGetFrameCount() : 0;
}

void ShowPlain(const sc_GameImgWithShadow* pFrame, int32_t x, int32_t y) {
    if (pFrame && g_pWorkSurface) pFrame->vShow(x, y, g_pWorkSurface);
}

sc_GameObject* Take(int32_t lObject) {
    return g_pMemoryControl ? g_pMemoryControl->pGetObject(kSpriteStr, kSpriteImg, lObject) : nullptr;
}

void Give(sc_GameObject*& pObject) {
    if (g_pMemoryControl) g_pMemoryControl->vFree(pObject);
    pObject = nullptr;
}

} // namespace

bool b_IsArmedMineSlot(int32_t lSlot) {
    return lSlot == kSentrySlot;
}

bool sc_AllObject::bOrderBusy() const {
    return bAiming || bAirplaneFlying || bPending;
}

void sc_AllObject::vTakeOrder() {
    if (!g_pForm || g_pForm->lOrderSlot == -1 || bOrderBusy()) return;
    const int32_t slot = g_pForm->lOrderSlot;
    const sc_Point view = pView ? *pView : sc_Point();
    oMine.vSet(pView, slot, sc_Point(g_oMousePoint.x + view.x, g_oMousePoint.y + view.y),
               b_IsArmedMineSlot(slot));
    bAiming = 1;
    bThrow = slot == kThrownSlot ? 1 : 0;
    if (g_pSound) g_pSound->vPlay("WAV\\SITMAIN.WAV", 0, 1);
    g_pForm->lOrderSlot = -1;
}

void sc_AllObject::vAimOrder() {
    if (!bAiming) return;
    const sc_Point view = pView ? *pView : sc_Point();
    oTarget.oSet(g_oMousePoint.x + view.x, g_oMousePoint.y + view.y);
    oMine.oPos = oTarget;
    bBlocked = 0;
    const sc_Character* own = oAllCharacter.pGetControlled();
    const double dx = own ? oTarget.x - own->oPosition.x : 0.0, dy = own ? oTarget.y - own->oPosition.y : 0.0;
    if (!own || std::sqrt(dx * dx + dy * dy) > kAimReach) {
        bBlocked = 1;
    } else if (g_pMap && g_pMap->oSetting.oMapLocate.bIsBlocked(oTarget)) {
        bBlocked = 1;
    } else {
        for (int32_t i = 0; i < oAllCharacter.lGetCount() && !bBlocked; ++i)
            bBlocked = oMine.bHitCharacter(oAllCharacter.pGetCharacter(i)) ? 1 : 0;
        for (int32_t i = 0; g_pAllEnemy && i < g_pAllEnemy->lGetCount() && !bBlocked; ++i)
            bBlocked = oMine.bHitEnemy(g_pAllEnemy->pGetEnemy(i)) ? 1 : 0;
    }
    oMine.bBlocked = bBlocked;
    oMine.vShow();
    if (!bBlocked && g_oGameMouse.bLeftPressed()) {
        vStartAirStrike();
        bAiming = 0;
        if (g_pInterFaceOperator) g_pInterFaceOperator->oScroll.vSetValue(0);
    }
}

void sc_AllObject::vStartAirStrike() {
    if (bAirplaneFlying) return;
    bAirplaneFlying = 1;
    oAirplanePath.vReset();
    const int32_t k = R(8);
    if (g_pSound) {
        g_pSound->vPlay("WAV\\AIRPLANE.WAV", 0, 1);
        g_pSound->vPlay("WAV\\MAINDOWNTALK.WAV", 0, 1);
    }
    static constexpr int32_t kFlights[8][4] = {
        {-200, 300, 1000, 300},  {1000, 300, -200, 300},  {400, 800, 400, -200},   {400, -200, 400, 800},
        {-200, 800, 1000, -200}, {1000, -200, -200, 800}, {1000, 800, -200, -200}, {-200, -200, 1000, 800},
    };
    // k is 8 only when the draw is at its top: the last flight again.
    if (k < 8) {
        oAirplaneStart.oSet(kFlights[k][0], kFlights[k][1]);
        oAirplaneEnd.oSet(kFlights[k][2], kFlights[k][3]);
    }
}

void sc_AllObject::vShowAirplane() {
    if (!bAirplaneFlying) return;
    oAirplanePath.vMove(oAirplaneStart.x, oAirplaneStart.y, oAirplaneEnd.x, oAirplaneEnd.y, kAirplaneStep);
    if (pAirplaneImage) {
        const int32_t dir =
            l_GetDirection8(oAirplaneStart.x, oAirplaneStart.y, oAirplaneEnd.x, oAirplaneEnd.y);
        const sc_GameStatus* s = pAirplaneImage->pGetStatusAt(0);
        const sc_GameDir* d = s ? s->pGetDirAt(dir) : nullptr;
        if (d && d->lGetFrameCount() > 0)
            ShowPlain(d->pGetFrameAt(0), oAirplanePath.lX - 400, oAirplanePath.lY - 300);
    }
    if (oAirplanePath.bArrived()) {
        bAirplaneFlying = 0;
        bPending = 1;
    }
}

void sc_AllObject::vStartBlast(int32_t lKind) {
    if (bBlast) return;
    bBlast = 1;
    lBlastKind = lKind;
    bBlastFrame = 0;
    lBlastNextFrame = 0;
}

void sc_AllObject::vBomberImpact() {
    sc_Point at(oBomberTarget.x + 400, oBomberTarget.y + 300);
    if (g_pAllDeath) g_pAllDeath->pAdd(2, at);
    const sc_Character* own = oAllCharacter.pGetControlled();
    const int32_t owner = own ? own->lIndex : 0;
    const sc_Point reach = pView ? *pView : sc_Point();
    for (int32_t i = 0; i < 6; ++i)
        oAllBullet.vFire(0, owner, R(6), at, reach, 1, 3);
    at.oOffset(R(50), R(50));
    if (g_pAllDeath) g_pAllDeath->pAdd(R(3), at);
    at.oOffsetBack(R(100), R(100));
    if (g_pAllDeath) {
        g_pAllDeath->pAdd(R(3), at);
        g_pAllDeath->pAdd(3, at);
    }
    vStartShake();
    vStartBlast(1);
    lBomberState = 1;
}

void sc_AllObject::vShowBomberRun6() {
    if (!bBomberRun6) return;
    if (!pBomberImage) pBomberImage = Take(kBomber6Object);
    const sc_Point view = pView ? *pView : sc_Point();
    const int32_t x = oBomberTarget.x, y = oBomberTarget.y;
    oBomberPath.vMove(x, y - 400, x, y, 16);
    if (Due(lBomberNextFrame)) {
        lBomberNextFrame = g_lNowTick + kBomber6FrameMs;
        ++bBomberFrame;
        if (bBomberFrame >= std::max(1, FrameCount(pBomberImage, lBomberState))) bBomberFrame = 0;
    }
    ShowPlain(FrameOf(pBomberImage, lBomberState, bBomberFrame), oBomberPath.lX - view.x,
              oBomberPath.lY - view.y);
    if (oBomberPath.bArrived() && lBomberState == 0) {
        vBomberImpact();
        if (g_pSound) g_pSound->vPlay("WAV\\BIGBOOM.WAV", 0, 1);
    }
    // The run ends at frame 11 of its impact, or sooner on a shorter one.
    const int32_t last = std::min(kBomber6LastFrame, FrameCount(pBomberImage, 1) - 1);
    if (lBomberState == 1 && bBomberFrame >= std::max(0, last)) vEndBomberRun(bBomberRun6);
}

void sc_AllObject::vShowBomberRun5() {
    if (!bBomberRun5) return;
    if (!pBomberImage) pBomberImage = Take(kBomber5Object);
    const sc_Point view = pView ? *pView : sc_Point();
    const int32_t x = oBomberTarget.x, y = oBomberTarget.y;
    oBomberPath.vMove(x, y - 600, x, y - 300, 128);
    if (Due(lBomberNextFrame)) {
        lBomberNextFrame = g_lNowTick + kBomber5FrameMs;
        ++bBomberFrame;
    }
    if (lBomberState == 1) {
        const int32_t count = std::max(1, FrameCount(pBomberImage, 1));
        if (bBomberFrame >= count) bBomberFrame = static_cast<int8_t>(count - 1);
        if (const sc_GameImgWithShadow* f = FrameOf(pBomberImage, 1, bBomberFrame))
            v_ShowFaded(*f, oBomberPath.lTargetX - view.x, oBomberPath.lTargetY + 280 - view.y,
                        kBomber5Level);
    }
    if (const sc_GameImgWithShadow* f = FrameOf(pBomberImage, 0, bBomberFrame))
        v_ShowFaded(*f, oBomberPath.lX - view.x, oBomberPath.lY - view.y, kBomber5Level);
    if (oBomberPath.bArrived() && lBomberState == 0) {
        vBomberImpact();
        bBomberFrame = 0;
        lBomberNextFrame = 0;
    }
    if (lBomberState == 1 && bBomberFrame >= FrameCount(pBomberImage, 1) - 1) vEndBomberRun(bBomberRun5);
}

void sc_AllObject::vEndBomberRun(int32_t& bRun) {
    Give(pBomberImage);
    bRun = 0;
    lBomberState = 0;
    bBomberFrame = 0;
    lBomberNextFrame = 0;
    oBomberPath.vReset();
}

void sc_AllObject::vShowBlast() {
    if (!bBlast) return;
    const sc_GameStatus* hits = oAllBullet.pHitObject ? oAllBullet.pHitObject->pGetStatusAt(0) : nullptr;
    const sc_GameDir* dir = hits ? hits->pGetDirAt(lBlastKind == 0 ? 2 : 3) : nullptr;
    const int32_t count = dir ? dir->lGetFrameCount() : 0;
    if (count > 0 && bBlastFrame >= count) bBlastFrame = static_cast<int8_t>(count - 1);
    const sc_GameImgWithShadow* frame =
        count > 0 ? dir->pGetFrameAt(std::max<int32_t>(bBlastFrame, 0)) : nullptr;
    const sc_Point centre(oBomberTarget.x + 400, oBomberTarget.y + 300);
    const sc_Point view = pView ? *pView : sc_Point();
    auto inRange = [&centre](const sc_Point& p) {
        const int64_t dx = int64_t{p.x} - centre.x, dy = int64_t{p.y} - centre.y;
        return dx * dx + dy * dy < kBlastReach2;
    };
    for (int32_t i = 0; g_pAllEnemy && i < g_pAllEnemy->lGetCount(); ++i) {
        sc_Enemy* e = g_pAllEnemy->pGetEnemy(i);
        if (!inRange(e->oPos)) continue;
        ShowPlain(frame, e->oPos.x - view.x - 400, e->oPos.y - view.y - 300);
        e->lHitPoints -= kBlastDamage;
        e->bSend = 1;
    }
    for (int32_t i = 0; g_pAllThing && i < g_pAllThing->lGetCount(); ++i) {
        sc_Thing* t = g_pAllThing->pGetThing(i);
        if (!inRange(t->oPos)) continue;
        ShowPlain(frame, t->oPos.x - view.x - 400, t->oPos.y - view.y - 300);
        t->lLife -= kBlastDamage;
    }
    // The blast runs on its own clock: with nothing in range it still ends.
    if (!Due(lBlastNextFrame)) return;
    const bool first = lBlastNextFrame == 0;
    lBlastNextFrame = g_lNowTick + kBlastFrameMs;
    if (first) return;
    if (count < 1 || bBlastFrame >= count - 1)
        bBlast = 0;
    else
        ++bBlastFrame;
}

void sc_AllObject::vShowOrder() {
    if (!bPending) return;
    const int32_t kind = oMine.lKind;
    if (kind == kBomber6Slot || kind == kBomber5Slot) {
        // One bomber run at a time: the next waits for the sky to clear.
        if (bBomberRun6 || bBomberRun5) return;
        oBomberTarget.oSet(oTarget.x - 400, oTarget.y - 300);
        oBomberPath.vReset();
        lBomberState = 0;
        bBomberFrame = 0;
        lBomberNextFrame = 0;
        (kind == kBomber6Slot ? bBomberRun6 : bBomberRun5) = 1;
        bPending = 0;
        bDelivered = 1;
        return;
    }
    const bool landed = bThrow ? oAllMine.bShowThrow(oTarget) : oAllMine.bShowDrop(oTarget);
    if (!landed) return;
    bPending = 0;
    bDelivered = 1;
    if (b_HasAuthority()) {
        if (sc_Mine* mine = oAllMine.pAdd(kind, oTarget, oMine.bArmed)) mine->bSend = 1;
    } else {
        oMine.oPos = oTarget;
        oMine.vSendAdd();
    }
}
