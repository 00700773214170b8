#include "objects/mine.h"

#include <algorithm>

#include "engine/blit/blit_bounds.h"
#include "engine/device/dir_surface.h"
#include "engine/device/frame_time.h"
#include "engine/sprite/game_img.h"
#include "engine/sprite/memory_control.h"
#include "engine/sprite/sprite_tree.h"
#include "game/geometry.h"
#include "game/sound.h"
#include "game/work.h"
#include "network/transmit.h"
#include "objects/all_object.h"
#include "objects/enemy.h"
#include "objects/outline.h"
#include "platform/byte_reader.h"
#include "platform/random.h"
#include "platform/trace.h"

sc_AllMine* g_pAllMine = nullptr;

namespace {

constexpr const char* kMinePackStr = "P_MINE\\P_MINE.STR";
constexpr const char* kMinePackImg = "P_MINE\\P_MINE.IMG";
constexpr const char* kOtherPackStr = "P_OTHER\\P_OTHER.STR";
constexpr const char* kOtherPackImg = "P_OTHER\\P_OTHER.IMG";
constexpr const char* kLandSound = "WAV\\MAINDOWN.WAV";
constexpr int32_t kDeliveryFrameMs = 100;
constexpr int32_t kPreviewLevel = 16;

bool Due(int32_t lNext) {
    return g_lNowTick >= lNext;
}

// The frame at an index, or the last one when the index is past the end.
const sc_GameImgWithShadow* FrameOrLast(const sc_GameDir* pDir, int32_t lIndex) {
    if (!pDir || pDir->lGetFrameCount() < 1) return nullptr;
    return pDir->pGetFrameAt(std::clamp(lIndex, 0, pDir->lGetFrameCount() - 1));
}

bool IsLastFrame(const sc_GameDir* pDir, int32_t lIndex) {
    return pDir && lIndex >= pDir->lGetFrameCount() - 1;
}

void ShowPlain(const sc_GameImgWithShadow* pFrame, int32_t x, int32_t y) {
    if (pFrame && g_pWorkSurface) pFrame->vShow(x, y, g_pWorkSurface);
}

// The placing preview where it cannot go: darkened through its alpha map.
void ShowDarkened(const sc_GameImg* pFrame, int32_t x, int32_t y, int32_t lLevel) {
    if (!pFrame || !pFrame->pGetAlpha() || !pFrame->pGetPixels() || !g_pWorkSurface || !g_pWorkBuffer) return;
    const int32_t w = g_pWorkSurface->lGetWidth(), h = g_pWorkSurface->lGetHeight();
    const sc_Point at = pFrame->oGetOffset();
    const int64_t ax = int64_t{x} + at.x, ay = int64_t{y} + at.y;
    if (ax >= w || ay >= h || ax + pFrame->lGetWidth() <= 0 || ay + pFrame->lGetHeight() <= 0) return;
    v_Blt555AlphaMapDarken(static_cast<int32_t>(ax), static_cast<int32_t>(ay), pFrame->lGetWidth(),
                           pFrame->lGetHeight(), w, h, static_cast<uint32_t>(lLevel), pFrame->pGetAlpha(),
                           pFrame->pGetPixels(), g_pWorkBuffer);
}

} // namespace

// -------------------------------------------------------------------- mine

sc_Mine::sc_Mine() = default;

sc_Mine::~sc_Mine() {
    vReset();
}

void sc_Mine::vCopyData(const sc_NodeEx* source) {
    if (b_IsExactly<sc_Mine>(source)) vReset();
}

void sc_Mine::vReset() {
    lFrameDelay = 50;
    oPos.oSet(0, 0);
    lKind = lBreakAnim = bArmed = lFacing = lState = 0;
    lNextFrame = lNextSearch = lNextBreakFrame = 0;
    cFrame = cBreakFrame = 0;
    bPlaced = bBlocked = bDone = bDestroyed = 0;
    if (g_pMemoryControl) g_pMemoryControl->vFree(pObject);
    pObject = nullptr;
    pBreakDir = nullptr;
}

void sc_Mine::vClear() {
    sc_NodeEx::vClear();
    vReset();
}

void sc_Mine::vSet(sc_Point* pViewPoint, int32_t lNewKind, sc_Point oAt, int32_t bNewArmed) {
    vClear();
    pView = pViewPoint;
    lKind = lNewKind;
    bArmed = bNewArmed;
    if (g_pMemoryControl) pObject = g_pMemoryControl->pGetObject(kMinePackStr, kMinePackImg, lKind);
    if (g_pAllBullet && g_pAllBullet->pHitObject)
        if (const sc_GameStatus* hits = g_pAllBullet->pHitObject->pGetStatusAt(0))
            pBreakDir = hits->pGetDirAt(lBreakAnim);
    oPos = oAt;
    bSend = b_HasAuthority() ? 1 : 0;
    bActive = 1;
}

const sc_GameDir* sc_Mine::pGetOutlineDir() const {
    if (!pObject) return nullptr;
    const sc_GameStatus* s = pObject->pGetStatusAt(0);
    return s ? s->pGetDirAt(0) : nullptr;
}

bool sc_Mine::bHitCharacter(const sc_Character* pCharacter) const {
    return pCharacter && b_OutlinesTouch(pGetOutlineDir(), oPos, pCharacter->pDir, pCharacter->oPosition);
}

bool sc_Mine::bHitEnemy(const sc_Enemy* pEnemy) const {
    return pEnemy && b_OutlinesTouch(pGetOutlineDir(), oPos, pEnemy->pDir, pEnemy->oPos);
}

void sc_Mine::vSearch() {
    if (!b_HasAuthority() || !bArmed || !bPlaced || !Due(lNextSearch)) return;
    lNextSearch = g_lNowTick + kSearchMs;
    const sc_Point* target = g_pAllEnemy ? g_pAllEnemy->pFindNearest(oPos, kSearchRadius) : nullptr;
    if (!target) {
        lState = kIdle;
        return;
    }
    lState = kFiring;
    if (g_pAllBullet) g_pAllBullet->pAdd(0, 0, kBulletType, oPos, *target, 1, 0, 1, 20, 30);
    lFacing = l_GetDirection8(oPos.x, oPos.y, target->x, target->y);
}

const sc_GameImgWithShadow* sc_Mine::pGetFrame() {
    if (!pObject) return nullptr;
    const sc_GameStatus* status = pObject->pGetStatusAt(lState);
    const sc_GameDir* dir = status ? status->pGetDirAt(lFacing) : nullptr;
    if (!dir || dir->lGetFrameCount() < 1) return nullptr;
    if (cFrame < 0 || cFrame >= dir->lGetFrameCount()) cFrame = 0;
    if (Due(lNextFrame)) {
        lNextFrame = g_lNowTick + lFrameDelay;
        if (++cFrame >= dir->lGetFrameCount()) {
            cFrame = 0;
            if (lState == kDeploying) {
                // The deploy animation plays once; then the idle one loops.
                lState = kIdle;
                const sc_GameStatus* idle = pObject->pGetStatusAt(lState);
                dir = idle ? idle->pGetDirAt(lFacing) : nullptr;
                if (!dir || dir->lGetFrameCount() < 1) return nullptr;
            }
        }
    }
    return dir->pGetFrameAt(cFrame);
}

const sc_GameImgWithShadow* sc_Mine::pGetBreakFrame() {
    if (!pBreakDir || pBreakDir->lGetFrameCount() < 1) {
        // Nothing to play: the break is over at once.
        bDone = 1;
        return nullptr;
    }
    if (cBreakFrame < 0 || cBreakFrame >= pBreakDir->lGetFrameCount()) cBreakFrame = 0;
    const sc_GameImgWithShadow* frame = pBreakDir->pGetFrameAt(cBreakFrame);
    if (Due(lNextBreakFrame)) {
        lNextBreakFrame = g_lNowTick + lFrameDelay;
        if (++cBreakFrame >= pBreakDir->lGetFrameCount()) {
            cBreakFrame = 0;
            bDone = 1;
        }
    }
    return frame;
}

void sc_Mine::vShow() {
    if (!bActive || !pObject) return;
    const sc_Point view = pView ? *pView : sc_Point();
    const int32_t x = oPos.x - 400 - view.x, y = oPos.y - 300 - view.y;
    if (bDestroyed) {
        ShowPlain(pGetBreakFrame(), x, y);
        return;
    }
    vSearch();
    const sc_GameImgWithShadow* frame = pGetFrame();
    if (bPlaced)
        ShowPlain(frame, x, y);
    else if (bBlocked)
        ShowDarkened(frame, x, y, kPreviewLevel);
    else if (frame)
        v_ShowFaded(*frame, x, y, kPreviewLevel);
}

ss_MineRecord sc_Mine::oRecord() const {
    ss_MineRecord r;
    r.bNew = bSend;
    r.lNetId = lNetId;
    r.lKind = lKind;
    r.oPos = oPos.oPlain();
    r.bArmed = bArmed;
    r.bDestroyed = bDestroyed;
    r.lFacing = lFacing;
    return r;
}

void sc_Mine::vSend() {
    if (!bPlaced) return;
    v_SendRecord(oRecord());
    bSend = 0;
}

void sc_Mine::vSendAdd() const {
    ss_MineRequest r;
    r.lKind = lKind;
    r.oPos = oPos.oPlain();
    r.bArmed = bArmed;
    v_SendRecord(r);
}

void sc_Mine::vUnpack(const ss_MineRecord& rec) {
    bDestroyed = rec.bDestroyed;
    if (bArmed) lFacing = rec.lFacing;
}

// --------------------------------------------------------------- container

sc_AllMine::sc_AllMine() {
    g_pAllMine = this;
}

sc_AllMine::~sc_AllMine() {
    vClear();
    if (g_pAllMine == this) g_pAllMine = nullptr;
}

void sc_AllMine::vClear() {
    oList.vClear();
    m_oById.vClear();
    if (g_pMemoryControl) {
        g_pMemoryControl->vFree(pDropStatus);
        g_pMemoryControl->vFree(pThrowStatus);
    }
    pDropStatus = pThrowStatus = nullptr;
    pDropStart = pDropFall = pDropLand = pDropShadow = pDropCur = nullptr;
    pThrowStart = pThrowFly = pThrowImpact = pThrowLand = pThrowCur = nullptr;
    vResetDelivery();
    oDropPos.oSet(0, 0);
    bLoaded = 0;
}

void sc_AllMine::vLoad(sc_Point* pViewPoint) {
    vClear();
    pView = pViewPoint;
    bLoaded = 1;
    if (!g_pMemoryControl) return;
    pDropStatus = g_pMemoryControl->pGetStatus(kOtherPackStr, kOtherPackImg, 0, 0);
    pThrowStatus = g_pMemoryControl->pGetStatus(kOtherPackStr, kOtherPackImg, 0, 1);
    if (pDropStatus) {
        pDropStart = pDropStatus->pGetDirAt(0);
        pDropFall = pDropStatus->pGetDirAt(1);
        pDropLand = pDropStatus->pGetDirAt(2);
        pDropShadow = pDropStatus->pGetDirAt(3);
    }
    if (pThrowStatus) {
        pThrowStart = pThrowStatus->pGetDirAt(0);
        pThrowFly = pThrowStatus->pGetDirAt(1);
        pThrowImpact = pThrowStatus->pGetDirAt(2);
        pThrowLand = pThrowStatus->pGetDirAt(3);
    }
    pDropCur = pDropStart;
    pThrowCur = pThrowStart;
}

sc_Mine* sc_AllMine::pAdd(int32_t lKind, sc_Point oAt, int32_t bArmed) {
    if (lKind == -1) return nullptr;
    oList.vAdd(sc_Mine());
    sc_Mine* mine = pGetMine(oList.lGetCount() - 1);
    mine->vSet(pView, lKind, oAt, bArmed);
    mine->bPlaced = 1;
    if (b_HasAuthority()) {
        // An identity no live mine holds, drawn again a bounded number of
        // times.
        int32_t id = 0;
        for (int32_t attempt = 0; attempt < 64 && (id == 0 || pFind(id)); ++attempt) id = plat::RandScaled(g_lNowTick);
        vSetNetId(mine, id);
        mine->vSend();
    }
    return mine;
}

bool sc_AllMine::bHitCharacter(const sc_Character* pCharacter) {
    if (!pCharacter) return false;
    for (int32_t i = 0; i < oList.lGetCount(); ++i) {
        sc_Mine* mine = pGetMine(i);
        if (!mine->bPlaced || !mine->bHitCharacter(pCharacter)) continue;
        if (!mine->bDestroyed && g_pAllDeath) g_pAllDeath->pAdd(0, mine->oPos);
        mine->bDestroyed = 1;
        return true;
    }
    return false;
}

bool sc_AllMine::bHitEnemy(sc_Enemy* pEnemy) {
    if (!pEnemy) return false;
    for (int32_t i = 0; i < oList.lGetCount(); ++i) {
        sc_Mine* mine = pGetMine(i);
        if (!mine->bPlaced || !mine->bHitEnemy(pEnemy)) continue;
        if (!mine->bDestroyed && g_pAllDeath) g_pAllDeath->pAdd(0, mine->oPos);
        mine->bDestroyed = 1;
        // The effect acts at every test while the broken mine is still there.
        switch (mine->lKind) {
        case 0:
            pEnemy->lHitPoints -= 200;
            break;
        case 1:
            pEnemy->bNoFire = 1;
            break;
        case 2:
            pEnemy->oStep.x /= 2;
            pEnemy->oStep.y /= 2;
            break;
        case 3:
            pEnemy->oWanderBox.oSet(0, 0);
            pEnemy->oSightBox.oSet(0, 0);
            pEnemy->oAttackBox.oSet(0, 0);
            break;
        default:
            break;
        }
        return true;
    }
    return false;
}

void sc_AllMine::vResetDelivery() {
    lNextFrame = 0;
    lFrame = 0;
    lProgress = 0;
    pDropCur = pDropStart;
    pThrowCur = pThrowStart;
}

bool sc_AllMine::bStepDelivery(const sc_GameDir*& cur) {
    if (!Due(lNextFrame)) return false;
    lNextFrame = g_lNowTick + kDeliveryFrameMs;
    ++lFrame;
    return cur && lFrame >= cur->lGetFrameCount();
}

bool sc_AllMine::bShowDrop(sc_Point oTarget) {
    const sc_Point view = pView ? *pView : sc_Point();
    if (lProgress < 1000) {
        v_GetWavePoint(oTarget.x, view.y + 100, oTarget.x, oTarget.y, &oDropPos, 1000, lProgress,
                       50 - (lProgress / 20 + 1), 3);
        lProgress += 10;
    } else {
        pDropCur = pDropLand;
    }
    const int32_t ox = -400 - view.x, oy = -300 - view.y;
    if (pDropCur != pDropLand)
        ShowPlain(FrameOrLast(pDropShadow, (lProgress - 10) * 5 / 1000), oDropPos.x + ox, oTarget.y + oy);
    if (bStepDelivery(pDropCur)) {
        if (pDropCur == pDropStart) {
            pDropCur = pDropFall;
            lFrame = 0;
        } else if (pDropCur == pDropFall) {
            lFrame = 0;
        } else {
            lFrame = pDropCur ? pDropCur->lGetFrameCount() - 1 : 0; // the landing holds its last frame
        }
    }
    ShowPlain(FrameOrLast(pDropCur, lFrame), oDropPos.x + ox, oDropPos.y + oy);
    if (pDropCur != pDropLand || !IsLastFrame(pDropCur, lFrame)) return false;
    vResetDelivery();
    if (g_pSound) g_pSound->vPlay(kLandSound, 0, 1);
    return true;
}

bool sc_AllMine::bShowThrow(sc_Point oTarget) {
    const sc_Point view = pView ? *pView : sc_Point();
    if (lProgress < 1000) {
        v_GetLinePoint(oTarget.x, view.y + 100, oTarget.x, oTarget.y, &oDropPos.x, &oDropPos.y, 1000,
                       lProgress);
        lProgress += 30;
    } else {
        pThrowCur = pThrowLand;
    }
    if (bStepDelivery(pThrowCur)) {
        if (pThrowCur == pThrowStart) {
            pThrowCur = pThrowFly;
            lFrame = 0;
        } else if (pThrowCur == pThrowFly) {
            // It lands at the end of its flight, wherever the way down is.
            pThrowCur = pThrowLand;
            lFrame = pThrowLand ? pThrowLand->lGetFrameCount() - 1 : 0;
        } else {
            lFrame = 0;
        }
    }
    const int32_t ox = -400 - view.x, oy = -300 - view.y;
    ShowPlain(FrameOrLast(pThrowCur, lFrame), oDropPos.x + ox, oDropPos.y + oy);
    if (pThrowCur == pThrowLand)
        ShowPlain(FrameOrLast(pThrowImpact, lFrame), oTarget.x + ox, oTarget.y + oy - 20);
    if (pThrowCur != pThrowLand || !IsLastFrame(pThrowCur, lFrame)) return false;
    vResetDelivery();
    if (g_pSound) g_pSound->vPlay(kLandSound, 0, 1);
    return true;
}

void sc_AllMine::vShow() {
    if (!bLoaded) return;
    for (int32_t i = 0; i < oList.lGetCount();) {
        sc_Mine* mine = pGetMine(i);
        if (!mine->bDone) {
            ++i;
            continue;
        }
        if (b_HasAuthority()) mine->vSend();
        vDelete(i);
    }
    for (int32_t i = 0; i < oList.lGetCount(); ++i)
        pGetMine(i)->vShow();
}

void sc_AllMine::vSend() {
    for (int32_t i = 0; i < oList.lGetCount(); ++i)
        pGetMine(i)->vSend();
}

void sc_AllMine::vSetNetId(sc_Mine* mine, int32_t lNetId) {
    mine->lNetId = lNetId;
    m_oById.vAdd(lNetId, mine);
}

void sc_AllMine::vDelete(int32_t i) {
    if (const sc_Mine* mine = pGetMine(i)) m_oById.vRemove(mine->lNetId, mine);
    oList.vDelete(i);
}

void sc_AllMine::vReceiveAdd(const ss_MineRequest& r) {
    if (!b_HasAuthority()) return;
    if (lGetCount() >= kMaxReceived) return v_RefuseRecord(ss_MineRequest::kName, "more mines than lie at once");
    pAdd(r.lKind, sc_Point(r.oPos.x, r.oPos.y), r.bArmed);
}

void sc_AllMine::vReceive(const ss_MineRecord& r) {
    sc_Mine* mine = pFind(r.lNetId);
    if (r.bNew && !mine) {
        if (lGetCount() >= kMaxReceived) return v_RefuseRecord(ss_MineRecord::kName, "more new mines than lie at once");
        mine = pAdd(r.lKind, sc_Point(r.oPos.x, r.oPos.y), r.bArmed);
        if (mine) vSetNetId(mine, r.lNetId);
    }
    if (mine) mine->vUnpack(r);
}
