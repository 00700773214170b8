#pragma once
#include <cstdint>
#include <memory>

#include "engine/base/member.h"
#include "engine/base/node.h"
#include "engine/base/point.h"
#include "engine/base/rect.h"

class sc_ByteReader;
class sc_Character;
class sc_GameDir;
class sc_GameObject;
class sc_GameStatus;

// One enemy unit placed by the mission file. Its attribute fields come from
// its row of the enemy table; the position and the drop table come from the
// mission file.
class sc_Enemy : public sc_NodeEx {
public:
    // One row of the enemy table: the fields below, then 16 bytes not kept.
    static constexpr uint32_t kAttribBytes = 180;
    static constexpr int32_t kDropSlots = 5;

    sc_Enemy();
    ~sc_Enemy() override;

    std::unique_ptr<sc_NodeEx> pNew() const override { return std::make_unique<sc_Enemy>(); }
    // The attribute fields, sPackStr to lShotDistance.
    void vCopyData(const sc_NodeEx* source) override;

    // Reads one table row field by field; a field that does not arrive keeps
    // its value. False when the row was cut.
    bool bReadAttrib(sc_ByteReader& in);

    // Attribute fields, in the order of a table row.
    sc_MemberString sPackStr; // table file (.STR) of the sprite pack
    sc_MemberString sPackImg; // data file (.IMG)
    int32_t lObject = 0;      // object of the enemy in the pack
    int32_t lFrameDelay = 50; // ms per animation frame
    sc_Point oStep;           // one move
    int32_t lId = 0;          // prototype key
    int32_t bMelee = 0;
    int32_t bStationary = 0; // moves turn, aim and fire without advancing
    int32_t lTurnTime = 0;
    int32_t lStepTime = 0;
    int32_t lStepRand = 0;
    int32_t lFireTime = 0;
    int32_t lFireRand = 0;
    sc_Point oWanderBox; // width and height
    sc_Point oSightBox;
    sc_Point oAttackBox;
    int32_t lHitPoints = 0;
    int32_t lDeathAnim = 0; // direction of the hit-effect object
    int32_t lBurst = 0;     // bullets at death: 1 to lBurst + 1
    int32_t lReward = 0;
    int32_t lBulletKind = 0; // bullet row it fires
    int32_t lShotHeight = 0;
    int32_t lShotDistance = 0;

    // Run-time fields.
    sc_GameObject* pObject = nullptr;
    sc_GameStatus* pIdleAnim = nullptr;
    sc_GameStatus* pAttackAnim = nullptr;
    sc_GameStatus* pAnim = nullptr;
    sc_GameDir* pDir = nullptr;
    sc_GameDir* pDeathDir = nullptr;
    sc_Character* pTarget = nullptr;
    sc_Point* pView = nullptr;
    int32_t lNetId = 0;
    int32_t lNextFrame = 0;
    int32_t lNextDeathFrame = 0;
    int32_t lNextTurn = 0;
    int32_t lNextFire = 0;
    int32_t lNextStep = 0;
    int8_t cFrame = 0;
    int8_t cDeathFrame = 0;
    ss_Rect oBox;        // the wander box, inclusive
    int32_t lStatus = 0; // 0 wander, 1 chase, 2 attack
    int32_t bHasAltAttack = 0;
    sc_Point oPos;
    int32_t bLoaded = 0;
    int32_t bOnKind3Cell = 0;
    int32_t lAlpha = 31;
    int32_t lFacing = 0; // 0..7, 0 up, clockwise
    int32_t bDead = 0;
    int32_t bDying = 0;
    int32_t bAwake = 0;
    int32_t bNoFire = 0;
    int32_t bSend = 1;
    int32_t lDropAt[kDropSlots] = {100, 0, 0, 0, 0};
    int32_t lDropKind[kDropSlots] = {-1, -1, -1, -1, -1};
};

// The mission's enemies in mission-file order. Until the family's behaviour
// arrives this is the list and its view: what the mission objectives and the
// mission file need of it.
class sc_AllEnemy {
public:
    sc_AllEnemy();
    virtual ~sc_AllEnemy();
    sc_AllEnemy(const sc_AllEnemy&) = delete;
    sc_AllEnemy& operator=(const sc_AllEnemy&) = delete;

    // Deletes every enemy; inactive.
    void vClear();
    // vClear, then keeps the view and becomes active.
    void vSet(sc_Point* pViewPoint);
    // Appends a blank enemy bound to the view; its network identity is its
    // list index, the same on every machine.
    sc_Enemy* pAdd();
    // Null outside the list.
    sc_Enemy* pGetEnemy(int32_t lIndexInList) const { return oList.pGetNodeAs<sc_Enemy>(lIndexInList); }
    int32_t lGetCount() const { return oList.lGetCount(); }

    sc_NodeEx oList;
    sc_Point* pView = nullptr;
    int32_t bActive = 0;
};

extern sc_AllEnemy* g_pAllEnemy;
