#include "objects/enemy.h"

#include <algorithm>
#include <functional>

#include "engine/blit/blit_bounds.h"
#include "engine/device/dir_surface.h"
#include "engine/device/frame_time.h"
#include "engine/sprite/game_img.h"
#include "engine/sprite/memory_control.h"
#include "engine/sprite/sprite_tree.h"
#include "game/attrib.h"
#include "game/geometry.h"
#include "game/map.h"
#include "game/map_sort.h"
#include "game/sound.h"
#include "game/work.h"
#include "interface/form.h"
#include "interface/operator_panel.h"
#include "network/transmit.h"
#include "objects/all_object.h"
#include "objects/mine.h"
#include "objects/outline.h"
#include "objects/thing.h"
#include "objects/walker.h"
#include "platform/byte_reader.h"
#include "platform/random.h"
#include "platform/trace.h"

sc_Enemy::sc_Enemy() = default;

sc_Enemy::sc_Enemy(const sc_Enemy& other) : sc_NodeEx(other) {
    vCopyData(&other);
}

sc_Enemy& sc_Enemy::operator=(const sc_Enemy& other) {
    if (this != &other) {
        sc_NodeEx::operator=(other);
        vCopyData(&other);
    }
    return *this;
}

sc_Enemy::~sc_Enemy() {
    vFreeImage();
}

void sc_Enemy::vCopyData(const sc_NodeEx* source) {
    if (source == this || !b_IsExactly<sc_Enemy>(source)) return;
    const auto& p = *static_cast<const sc_Enemy*>(source);
    sPackStr.vCopy(&p.sPackStr);
    sPackImg.vCopy(&p.sPackImg);
    lObject = p.lObject;
    lFrameDelay = p.lFrameDelay;
    oStep = p.oStep;
    lId = p.lId;
    bMelee = p.bMelee;
    bStationary = p.bStationary;
    lTurnTime = p.lTurnTime;
    lStepTime = p.lStepTime;
    lStepRand = p.lStepRand;
    lFireTime = p.lFireTime;
    lFireRand = p.lFireRand;
    oWanderBox = p.oWanderBox;
    oSightBox = p.oSightBox;
    oAttackBox = p.oAttackBox;
    lHitPoints = p.lHitPoints;
    lDeathAnim = p.lDeathAnim;
    lBurst = p.lBurst;
    lReward = p.lReward;
    lBulletKind = p.lBulletKind;
    lShotHeight = p.lShotHeight;
    lShotDistance = p.lShotDistance;
}

bool sc_Enemy::bReadAttrib(sc_ByteReader& in) {
    attrib::bReadText(in, sPackStr);
    attrib::bReadText(in, sPackImg);
    in.Read(lObject);
    in.Read(lFrameDelay);
    attrib::bReadPoint(in, oStep);
    in.Read(lId);
    in.Read(bMelee);
    in.Read(bStationary);
    in.Read(lTurnTime);
    in.Read(lStepTime);
    in.Read(lStepRand);
    in.Read(lFireTime);
    in.Read(lFireRand);
    attrib::bReadPoint(in, oWanderBox);
    attrib::bReadPoint(in, oSightBox);
    attrib::bReadPoint(in, oAttackBox);
    in.Read(lHitPoints);
    in.Read(lDeathAnim);
    in.Read(lBurst);
    in.Read(lReward);
    in.Read(lBulletKind);
    in.Read(lShotHeight);
    in.Read(lShotDistance);
    in.Skip(16);
    return in.Ok();
}

using walker::Add32;
using walker::Due;
using walker::R;

namespace {

constexpr int32_t kDeathFrameMs = 50;
constexpr int32_t kNearestLimit = 1'280'000; // squared reach of a homing shot's choice
constexpr uint16_t kRadarColour = 0x7C00;

// The box of a width and height centred on a point (halves truncated).
ss_Rect CentredBox(const sc_Point& at, const sc_Point& size) {
    ss_Rect box;
    box.vSet(Add32(at.x, -(size.x / 2)), Add32(at.y, -(size.y / 2)), Add32(at.x, size.x / 2),
             Add32(at.y, size.y / 2));
    return box;
}

int64_t DistanceSquared(const sc_Point& a, const sc_Point& b) {
    const int64_t dx = int64_t{a.x} - b.x, dy = int64_t{a.y} - b.y;
    return dx * dx + dy * dy;
}

sc_Point ViewOf(const sc_Point* pView) {
    return pView ? *pView : sc_Point();
}

// Whether a pointer points at some byte of an object.
template <class T> bool bPointsInto(const void* p, const T& object) {
    const std::less_equal<const void*> le;
    const auto* first = reinterpret_cast<const unsigned char*>(&object);
    return p && le(first, p) && !le(first + sizeof(T), p);
}

// The target character is gone: its remains have run.
bool IsGone(const sc_Character* pCharacter) {
    return pCharacter && pCharacter->bRemainsDone;
}

} // namespace

bool sc_Enemy::bIsKey(int32_t lKey) {
    return lKey >= 0 && lKey < sc_Attrib::kEnemyRows;
}

void sc_Enemy::vSet(sc_Point* pViewPoint) {
    sc_NodeEx::vClear();
    vReset();
    pView = pViewPoint;
    vSetStatus(0);
}

void sc_Enemy::vReset() {
    bLoaded = 0;
    lFrameDelay = 50;
    lNextFrame = 0;
    cFrame = 0;
    lNextTurn = 0;
    lNextStep = 0;
    lStatus = 0;
    pTarget = nullptr;
    bMelee = 0;
    bAwake = 0;
    vFreeImage();
}

void sc_Enemy::vLoadImage() {
    vFreeImage();
    // A key outside the table never had a prototype: the enemy stays out.
    if (!g_pMemoryControl || !bIsKey(lId)) return;
    pObject = g_pMemoryControl->pGetObject(sPackStr.pGetText(), sPackImg.pGetText(), lObject);
    if (!pObject) return;
    bHasAltAttack = pObject->lGetStatusCount() >= 3 ? 1 : 0;
    pIdleAnim = pObject->pGetStatusAt(0);
    pAttackAnim = pObject->pGetStatusAt(1);
    pAnim = pIdleAnim;
    vSetDirection(0);
    bLoaded = 1;
}

void sc_Enemy::vFreeImage() {
    if (g_pMemoryControl) g_pMemoryControl->vFree(pObject);
    pObject = nullptr;
    pIdleAnim = pAttackAnim = pAnim = nullptr;
    pDir = pDeathDir = nullptr;
    lFacing = 0;
    bLoaded = 0;
}

void sc_Enemy::vSetDirection(int32_t d) {
    if (d < 0 || d > 7) return;
    pDir = pAnim ? pAnim->pGetDirAt(d) : nullptr;
    lFacing = d;
}

void sc_Enemy::vSetStatus(int32_t s) {
    lStatus = s;
    switch (s) {
    case 0:
        oBox = CentredBox(oPos, oWanderBox);
        break;
    case 1:
        if (pAnim != pIdleAnim && pIdleAnim) {
            pAnim = pIdleAnim;
            cFrame = 0;
            vSetDirection(lFacing);
        }
        break;
    case 2:
        if (pAnim != pAttackAnim) {
            if (bHasAltAttack && R(3) == 0) pAttackAnim = pObject ? pObject->pGetStatusAt(2) : nullptr;
            // Without an attack animation the idle one stays up.
            if (pAttackAnim) {
                pAnim = pAttackAnim;
                cFrame = 0;
                vSetDirection(lFacing);
            }
            if (bMelee && g_pSound) g_pSound->vPlay("WAV\\E.WAV", 0, 0);
        }
        break;
    default:
        break;
    }
}

void sc_Enemy::vWander() {
    if (!Due(lNextStep)) return;
    lNextStep = g_lNowTick + lStepTime + R(lStepRand);
    if (Due(lNextTurn)) {
        lNextTurn = g_lNowTick + lTurnTime;
        vMove(R(8));
    }
    vMove(lFacing);
}

void sc_Enemy::vMove(int32_t d) {
    const sc_Point step = walker::Step8(lFacing, oStep);
    if (!bStationary) oPos.oOffset(step.x, step.y);
    // The tests look one cell ahead.
    const sc_Point probe(step.x < 0 ? -16 : 16, step.y < 0 ? -8 : 8);
    oPos.oOffset(probe.x, probe.y);
    if (b_HasAuthority()) {
        if (g_pAllCharacter) {
            const ss_Rect sight = CentredBox(oPos, oSightBox);
            pTarget =
                g_pAllCharacter->bCollide(oPos, sight.left, sight.top, sight.right, sight.bottom, &bAwake);
        }
        if (bIsBlocked()) {
            if (!bStationary) oPos.oOffsetBack(step.x, step.y);
        } else {
            if (IsGone(pTarget)) {
                pTarget = nullptr;
                vSetStatus(0);
            }
            if (pTarget)
                vSetStatus(bIsPointIn(pTarget->oPosition) ? 2 : 1);
            else if (lStatus != 0)
                vSetStatus(0);
        }
        if (lStatus == 0 && !oBox.bInside(oPos.x, oPos.y)) {
            oPos.oOffsetBack(step.x, step.y);
            lNextTurn = 0;
        }
    }
    oPos.oOffsetBack(probe.x, probe.y);
    vSetDirection(d);
    bSend = 1;
}

bool sc_Enemy::bIsBlocked() {
    const sc_Point size = g_pMap ? g_pMap->oBackground.oMapSize : sc_Point();
    if (oPos.x < 17 || oPos.x >= size.x - 16 || oPos.y < 17 || oPos.y >= size.y - 16) {
        vSetStatus(0);
        return true;
    }
    if (IsGone(pTarget)) {
        pTarget = nullptr;
        vSetStatus(0);
    }
    if (g_pMap && g_pMap->oSetting.oMapLocate.bIsBlocked(oPos)) {
        vSetStatus(0);
        return true;
    }
    if (pTarget && g_pAllCharacter && g_pAllCharacter->bEnemyHitTest(this)) {
        if (!bMelee) {
            vSetStatus(0);
        } else if (pTarget->bHitEnemy(this) && Due(lNextFire)) {
            lNextFire = g_lNowTick + lFireTime + R(lFireRand);
            if (sc_GameStatus* attack = pObject ? pObject->pGetStatusAt(1) : nullptr) {
                pAttackAnim = pAnim = attack;
                cFrame = 0;
                vSetDirection(lFacing);
            }
            pTarget->lHitPoints -= 50;
            if (g_pAllBullet)
                g_pAllBullet->vFire(0, pTarget->lIndex, R(6), pTarget->oPosition, ViewOf(pView), 1, 2);
        }
        return true;
    }
    if (pTarget && g_pAllEnemy && g_pAllEnemy->bHitTest(this)) {
        vSetStatus(0);
        if (R(2) != 0) return true;
    }
    if (g_pAllThing && g_pAllThing->bHitEnemy(this)) {
        vSetStatus(0);
        return true;
    }
    return g_pAllMine && g_pAllMine->bHitEnemy(this);
}

bool sc_Enemy::bIsPointIn(const sc_Point& oPoint) const {
    const ss_Rect box = CentredBox(oPos, oAttackBox);
    return oPoint.x > box.left && oPoint.x < box.right && oPoint.y > box.top && oPoint.y < box.bottom;
}

bool sc_Enemy::bHitOther(const sc_Enemy* pOther) const {
    return pOther && pOther != this && pOther->pTarget &&
           b_OutlinesTouch(pDir, oPos, pOther->pDir, pOther->oPos);
}

bool sc_Enemy::bHitBullet(const sc_Bullet* pBullet) {
    if (!pBullet || pBullet->lOwnerKind == 3) return false;
    if (!b_OutlinesTouch(pDir, oPos, pBullet->pFlyDir, pBullet->oPos)) return false;
    if (g_pAllBullet) g_pAllBullet->vFire(3, lNetId, R(6), oPos, ViewOf(pView), 1, 2);
    const int64_t attack = pBullet->lAttack;
    const int64_t left = int64_t{lHitPoints} - attack;
    lHitPoints = static_cast<int32_t>(static_cast<uint32_t>(left));
    bSend = 1;
    // The reward goes with the hit that takes the hit points to 0 or below.
    if (left <= 0 && left > -attack && g_pAllCharacter)
        if (sc_Character* firer = g_pAllCharacter->pGetCharacter(pBullet->lOwnerId)) firer->lScore += lReward;
    return true;
}

int32_t sc_Enemy::lGetDropKind() const {
    const int32_t roll = R(100);
    for (int32_t i = 0; i < kDropSlots; ++i)
        if (lDropAt[i] >= roll) return lDropKind[i];
    return -1;
}

void sc_Enemy::vUpdate() {
    if (!bLoaded || !pDir) return;
    // A dying enemy neither moves nor fires.
    if (b_HasAuthority() && lHitPoints >= 1) {
        if (IsGone(pTarget)) {
            // The attack it was about to fire goes with its target.
            pTarget = nullptr;
            vSetStatus(0);
        }
        if (lStatus == 2 && !bMelee && Due(lNextFire) && pTarget) {
            lNextFire = g_lNowTick + lFireTime + R(lFireRand);
            if (sc_GameStatus* attack = pObject ? pObject->pGetStatusAt(1) : nullptr) {
                pAttackAnim = pAnim = attack;
                cFrame = 0;
                vSetDirection(lFacing);
            }
            if (!bNoFire && g_pAllBullet) {
                const sc_Point aim(pTarget->oPosition.x, pTarget->oPosition.y - 30);
                g_pAllBullet->pAdd(3, lNetId, lBulletKind, oPos, aim, bOnKind3Cell, 0, 1, lShotHeight,
                                   lShotDistance);
            }
        }
        if (lStatus == 0) {
            vWander();
        } else if ((lStatus == 1 || lStatus == 2) && Due(lNextStep) && pTarget) {
            lNextStep = g_lNowTick + lStepTime + R(lStepRand);
            vMove(l_GetDirection8(oPos.x, oPos.y, pTarget->oPosition.x, pTarget->oPosition.y));
        }
    }
    // The dying stay in the list wherever they are.
    walker::AddToSort(pDir, oPos, sc_MapSort::kEnemy, this, lHitPoints < 1 ? 1 : 0);
    bOnKind3Cell = g_pMap && g_pMap->oSetting.oMapLocate.lGetCell(oPos) == 3 ? 1 : 0;
}

void sc_Enemy::vShow() {
    if (!bLoaded) return;
    if (lHitPoints < 1 && !bDying) {
        pDeathDir = nullptr;
        if (g_pAllBullet && g_pAllBullet->pHitObject)
            if (sc_GameStatus* hits = g_pAllBullet->pHitObject->pGetStatusAt(0))
                pDeathDir = hits->pGetDirAt(lDeathAnim);
        if (g_pAllDeath) g_pAllDeath->pAdd(R(3), oPos);
        bDying = 1;
    }
    const sc_Point view = ViewOf(pView);
    const int32_t x = oPos.x - 400 - view.x, y = oPos.y - 300 - view.y;
    if (bDying) {
        if (!pDeathDir || pDeathDir->lGetFrameCount() < 1) {
            bDead = 1; // no effect to play
            return;
        }
        if (cDeathFrame < 0 || cDeathFrame >= pDeathDir->lGetFrameCount()) cDeathFrame = 0;
        const sc_GameImgWithShadow* frame = pDeathDir->pGetFrameAt(cDeathFrame);
        if (Due(lNextDeathFrame)) {
            lNextDeathFrame = g_lNowTick + kDeathFrameMs;
            if (++cDeathFrame >= pDeathDir->lGetFrameCount()) {
                cDeathFrame = 0;
                bDead = 1;
            }
        }
        if (g_pWorkSurface) frame->vShow(x, y, g_pWorkSurface);
        return;
    }
    if (!pDir || pDir->lGetFrameCount() < 1) return;
    if (cFrame < 0 || cFrame >= pDir->lGetFrameCount()) cFrame = 0;
    const sc_GameImgWithShadow* frame = pDir->pGetFrameAt(cFrame);
    if (Due(lNextFrame)) {
        lNextFrame = g_lNowTick + lFrameDelay;
        if (++cFrame >= pDir->lGetFrameCount()) {
            cFrame = 0;
            // One attack animation, then back to the idle one.
            if (pObject && pAnim == pObject->pGetStatusAt(1)) vSetStatus(1);
        }
    }
    if (!bAwake) {
        v_ShowFaded(*frame, x, y, lAlpha);
        return;
    }
    if (g_pWorkSurface) frame->vShow(x, y, g_pWorkSurface);
    if (IsGone(pTarget)) pTarget = nullptr;
}

bool sc_Enemy::bLoad(sc_ByteReader& in) {
    sPackStr.bLoad(in);
    sPackImg.bLoad(in);
    in.Read(lObject, lFrameDelay);
    oPos.bRead(in);
    oStep.bRead(in);
    in.Read(lId, bMelee, bStationary, lTurnTime, lStepTime, lStepRand, lFireTime, lFireRand);
    oWanderBox.bRead(in);
    oSightBox.bRead(in);
    oAttackBox.bRead(in);
    in.Read(lHitPoints, lDeathAnim, lBurst, lReward, lBulletKind, lShotHeight, lShotDistance);
    for (int32_t i = 0; i < kDropSlots; ++i)
        in.Read(lDropAt[i], lDropKind[i]);
    if (!in) return false;
    // A key outside the table is kept: vLoadImage leaves such an enemy out.
    if (bIsKey(lId))
        if (const sc_Enemy* prototype = g_pAttrib ? g_pAttrib->pGetEnemy(lId) : nullptr) vCopyData(prototype);
    return true;
}

void sc_Enemy::vSave(sc_ByteWriter& out) const {
    sPackStr.vSave(out);
    sPackImg.vSave(out);
    out.Write(lObject, lFrameDelay);
    oPos.vWrite(out);
    oStep.vWrite(out);
    out.Write(lId, bMelee, bStationary, lTurnTime, lStepTime, lStepRand, lFireTime, lFireRand);
    oWanderBox.vWrite(out);
    oSightBox.vWrite(out);
    oAttackBox.vWrite(out);
    out.Write(lHitPoints, lDeathAnim, lBurst, lReward, lBulletKind, lShotHeight, lShotDistance);
    for (int32_t i = 0; i < kDropSlots; ++i)
        out.Write(lDropAt[i], lDropKind[i]);
}

// ------------------------------------------------------------------ record

ss_EnemyRecord sc_Enemy::oRecord() const {
    ss_EnemyRecord r;
    r.lNetId = lNetId;
    r.oPos = oPos.oPlain();
    r.bLoaded = bLoaded;
    r.lFacing = lFacing;
    r.lStatus = lStatus;
    r.bOnKind3Cell = bOnKind3Cell;
    r.bTarget = pTarget ? 1 : 0;
    r.bAwake = bAwake;
    r.lHitPoints = lHitPoints;
    return r;
}

void sc_Enemy::vPack() {
    if (!bSend) return;
    v_SendRecord(oRecord());
    bSend = 0;
}

void sc_Enemy::vUnpack(const ss_EnemyRecord& rec) {
    // The loaded flag stays this machine's own: it says whether the pictures
    // are here.
    oPos.oSet(rec.oPos.x, rec.oPos.y);
    lStatus = rec.lStatus;
    bOnKind3Cell = rec.bOnKind3Cell;
    bTargetMark = rec.bTarget;
    bAwake = rec.bAwake;
    lHitPoints = rec.lHitPoints;
    vSetStatus(lStatus);
    if (rec.lFacing != lFacing) vSetDirection(rec.lFacing);
}

// --------------------------------------------------------------- container

sc_AllEnemy* g_pAllEnemy = nullptr;

// The first container made is the world's; a passing one (a mission file read
// on the side) must not take the pointer away from it.
sc_AllEnemy::sc_AllEnemy() {
    if (!g_pAllEnemy) g_pAllEnemy = this;
}

sc_AllEnemy::~sc_AllEnemy() {
    vClear();
    if (g_pAllEnemy == this) g_pAllEnemy = nullptr;
}

void sc_AllEnemy::vClear() {
    vFreeImage();
    oList.vClear();
    bActive = 0;
}

void sc_AllEnemy::vSet(sc_Point* pViewPoint) {
    vClear();
    pView = pViewPoint;
    bActive = 1;
}

sc_Enemy* sc_AllEnemy::pAdd() { return walker::AddTo<sc_Enemy>(*this); }

bool sc_AllEnemy::bLoad(sc_ByteReader& in) { return walker::LoadInto<sc_Enemy>(*this, in); }

void sc_AllEnemy::vSave(sc_ByteWriter& out) const { walker::SaveFrom<sc_Enemy>(*this, out); }

void sc_AllEnemy::vLoadImage() {
    for (int32_t i = 0; i < oList.lGetCount(); ++i)
        pGetEnemy(i)->vLoadImage();
    bActive = 1;
}

void sc_AllEnemy::vFreeImage() {
    for (int32_t i = 0; i < oList.lGetCount(); ++i)
        pGetEnemy(i)->vFreeImage();
    bActive = 0;
}

bool sc_AllEnemy::bHitTest(const sc_Enemy* pEnemy) const {
    if (!b_HasAuthority() || !pEnemy) return false;
    for (int32_t i = 0; i < oList.lGetCount(); ++i)
        if (pGetEnemy(i)->bHitOther(pEnemy)) return true;
    return false;
}

bool sc_AllEnemy::bBulletHitTest(sc_Bullet* pBullet) const {
    if (!pBullet || !b_HasAuthority() || pBullet->lOwnerKind == 3) return false;
    int64_t best = kNearestLimit;
    const sc_Enemy* nearest = nullptr;
    for (int32_t i = 0; i < oList.lGetCount(); ++i) {
        sc_Enemy* e = pGetEnemy(i);
        if (pBullet->lFlight == 2) {
            const int64_t d = DistanceSquared(e->oPos, pBullet->oStart);
            if (d < best) {
                best = d;
                nearest = e;
            }
        }
        if (e->bHitBullet(pBullet)) return true;
    }
    // Homing shots turn toward the enemy nearest to where they were fired.
    if (nearest) pBullet->oTarget = nearest->oPos;
    return false;
}

const sc_Point* sc_AllEnemy::pFindNearest(const sc_Point& oPoint, int32_t lRadius) const {
    const int64_t limit = int64_t{lRadius} * lRadius;
    int64_t best = limit;
    const sc_Enemy* nearest = nullptr;
    for (int32_t i = 0; i < oList.lGetCount(); ++i) {
        const sc_Enemy* e = pGetEnemy(i);
        if (!e->bAwake) continue;
        const int64_t d = DistanceSquared(e->oPos, oPoint);
        if (d < best) {
            best = d;
            nearest = e;
        }
    }
    return nearest ? &nearest->oPos : nullptr;
}

void sc_AllEnemy::vUpdate() {
    if (!bActive) return;
    const bool host = b_HasAuthority();
    for (int32_t i = 0; i < oList.lGetCount();) {
        sc_Enemy* e = pGetEnemy(i);
        v_ShowRadarPoint(e->oPos.x, e->oPos.y, kRadarColour);
        if (host && e->bDying) e->vPack();
        if (!e->bDead) {
            ++i;
            continue;
        }
        if (host) {
            e->vPack();
            if (g_pAllBullet)
                g_pAllBullet->vFireEx(3, e->lNetId, 21, e->oPos, sc_Point(e->oPos.x, e->oPos.y + 100), 1,
                                      e->lBurst);
            const int32_t drop = e->lGetDropKind();
            if (drop != -1 && g_pAllProp) g_pAllProp->pAdd(drop, e->oPos);
        }
        if (g_pForm) {
            ++g_pForm->lKills;
            // The panel's arrow must not point into the enemy about to go.
            if (bPointsInto(g_pForm->pTarget, *e)) g_pForm->pTarget = nullptr;
        }
        oList.vDelete(i);
    }
    for (int32_t i = 0; i < oList.lGetCount(); ++i)
        pGetEnemy(i)->vUpdate();
}

void sc_AllEnemy::vSend() {
    for (int32_t i = 0; i < oList.lGetCount(); ++i)
        if (sc_Enemy* e = pGetEnemy(i); e->bAwake || e->bDying) e->vPack();
}

void sc_AllEnemy::vReceive(const ss_EnemyRecord& r) {
    for (int32_t i = 0; i < oList.lGetCount(); ++i)
        if (sc_Enemy* e = pGetEnemy(i); e->lNetId == r.lNetId) e->vUnpack(r);
}
