#include "objects/enemy.h"

#include "platform/byte_reader.h"
#include "game/attrib.h"

sc_Enemy::sc_Enemy() = default;

sc_Enemy::~sc_Enemy() = default;

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

sc_AllEnemy* g_pAllEnemy = nullptr;

sc_AllEnemy::sc_AllEnemy() {
    g_pAllEnemy = this;
}

sc_AllEnemy::~sc_AllEnemy() {
    vClear();
    if (g_pAllEnemy == this) g_pAllEnemy = nullptr;
}

void sc_AllEnemy::vClear() {
    oList.vClear();
    bActive = 0;
}

void sc_AllEnemy::vSet(sc_Point* pViewPoint) {
    vClear();
    pView = pViewPoint;
    bActive = 1;
}

sc_Enemy* sc_AllEnemy::pAdd() {
    const sc_Enemy blank;
    oList.vAdd(&blank);
    const int32_t index = oList.lGetCount() - 1;
    sc_Enemy* enemy = pGetEnemy(index);
    enemy->pView = pView;
    enemy->lNetId = index;
    return enemy;
}
