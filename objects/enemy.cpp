#include "objects/enemy.h"

#include "engine/sprite/memory_control.h"
#include "engine/sprite/sprite_tree.h"
#include "game/attrib.h"
#include "platform/byte_reader.h"

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

void sc_Enemy::vSet(sc_Point* pViewPoint) {
    sc_NodeEx::vClear();
    vReset();
    pView = pViewPoint;
    // Wandering: the box is centred wherever the enemy stands. A mission
    // file's values may lie anywhere: the edges wrap at 32 bits.
    lStatus = 0;
    const auto at = [](int32_t a, int32_t b) {
        return static_cast<int32_t>(static_cast<uint32_t>(a) + static_cast<uint32_t>(b));
    };
    oBox.vSet(at(oPos.x, -(oWanderBox.x / 2)), at(oPos.y, -(oWanderBox.y / 2)), at(oPos.x, oWanderBox.x / 2),
              at(oPos.y, oWanderBox.y / 2));
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
    if (!g_pMemoryControl) return;
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
    if (lId < 0 || lId >= sc_Attrib::kEnemyRows) {
        in.Fail("names an enemy row outside the table");
        return false;
    }
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

sc_AllEnemy* g_pAllEnemy = nullptr;

sc_AllEnemy::sc_AllEnemy() {
    g_pAllEnemy = this;
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

sc_Enemy* sc_AllEnemy::pAdd() {
    oList.vAdd(sc_Enemy());
    const int32_t index = oList.lGetCount() - 1;
    sc_Enemy* e = pGetEnemy(index);
    e->vSet(pView);
    e->lNetId = index;
    return e;
}

bool sc_AllEnemy::bLoad(sc_ByteReader& in) {
    vClear();
    uint32_t count = 0;
    if (!in.ReadCount(count, sc_Enemy::kRecordMinBytes)) return false;
    for (uint32_t i = 0; i < count; ++i) {
        sc_Enemy* e = pAdd();
        if (!e->bLoad(in)) return false;
        e->vSet(pView);
    }
    return true;
}

void sc_AllEnemy::vSave(sc_ByteWriter& out) const {
    out.Write(static_cast<uint32_t>(oList.lGetCount()));
    for (int32_t i = 0; i < oList.lGetCount(); ++i)
        pGetEnemy(i)->vSave(out);
}

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
