#pragma once
#include <cstddef>
#include <cstdint>
#include <memory>
#include <span>

#include "engine/base/member.h"
#include "engine/base/node.h"
#include "engine/base/point.h"
#include "engine/base/rect.h"
#include "network/records.h"

class sc_Bullet;
class sc_ByteReader;
class sc_ByteWriter;
class sc_Character;
class sc_GameDir;
class sc_GameImgWithShadow;
class sc_GameObject;
class sc_GameStatus;

// One enemy unit placed by the mission file. Its attribute fields come from
// its row of the enemy table; the position and the drop table come from the
// mission file.
//
// Mission-file record (little-endian): the pack's table path and data path
// (each a 4-byte length counting the terminating zero, 0 for none, then the
// bytes), lObject, lFrameDelay, oPos, oStep, lId, bMelee, bStationary,
// lTurnTime, lStepTime, lStepRand, lFireTime, lFireRand, oWanderBox,
// oSightBox, oAttackBox, lHitPoints, lDeathAnim, lBurst, lReward,
// lBulletKind, lShotHeight, lShotDistance, then the five drop slots as
// (threshold, kind) pairs; 4 bytes a field, points x then y.
class sc_Enemy : public sc_NodeEx {
public:
    // One row of the enemy table: the fields below, then 16 bytes not kept.
    static constexpr uint32_t kAttribBytes = 180;
    static constexpr int32_t kDropSlots = 5;
    // The shortest mission record: two empty paths and 37 fields.
    static constexpr size_t kRecordMinBytes = 8 + 37 * 4;

    sc_Enemy();
    // A copy takes what vCopyData takes; the sprite object is never shared.
    sc_Enemy(const sc_Enemy& other);
    sc_Enemy& operator=(const sc_Enemy& other);
    ~sc_Enemy() override;

    std::unique_ptr<sc_NodeEx> pNew() const override { return std::make_unique<sc_Enemy>(); }
    // The attribute fields, sPackStr to lShotDistance.
    void vCopyData(const sc_NodeEx* source) override;

    // Reads one table row field by field; a field that does not arrive keeps
    // its value. False when the row was cut.
    bool bReadAttrib(sc_ByteReader& in);

    // Clears the children and the run-time state, keeps the view and starts
    // wandering in a box centred where the enemy stands.
    void vSet(sc_Point* pViewPoint);
    // Not loaded, frame delay 50, timers and frame 0, no target, not melee,
    // asleep, status 0; the sprite object given back.
    void vReset();
    // The sprite object from the cache: status 0 idle, status 1 attack, a
    // third status a second attack; facing 0. Loaded when the pack has it.
    void vLoadImage();
    void vFreeImage();
    // Direction d (0..7) of the shown status; other values are ignored.
    void vSetDirection(int32_t d);
    // 0 wander (the wander box centred where it stands), 1 chase, 2 attack:
    // the animation follows.
    void vSetStatus(int32_t s);
    // One move: a step in the current facing (tested one cell ahead), then
    // the new facing d.
    void vMove(int32_t d);
    // The blocking and contact tests of a move at the probed position.
    bool bIsBlocked();
    // The wander timer of status 0.
    void vWander();
    // Strictly inside the attack box centred on the enemy.
    bool bIsPointIn(const sc_Point& oPoint) const;
    // The other enemy, chasing something, has a corner of its outline
    // inside this one's.
    bool bHitOther(const sc_Enemy* pOther) const;
    // A character's bullet touching the enemy hurts it (authority only).
    bool bHitBullet(const sc_Bullet* pBullet);
    // The item kind to drop, -1 none.
    int32_t lGetDropKind() const;
    void vUpdate();
    void vShow();

    // One mission record, then the prototype of row lId. A key outside the
    // table leaves the enemy without pictures: it is never loaded.
    bool bLoad(sc_ByteReader& in);
    void vSave(sc_ByteWriter& out) const;

    ss_EnemyRecord oRecord() const;
    // The record into the network buffer while something changed.
    void vPack();
    void vUnpack(const ss_EnemyRecord& rec);

    // The direction whose marks give the enemy's outline, or null.
    const sc_GameDir* pGetDir() const { return pDir; }
    // Whether a prototype key names a row of the enemy table.
    static bool bIsKey(int32_t lKey);

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
    int32_t bTargetMark = 0; // a received record's target field, kept only
    int32_t lDropAt[kDropSlots] = {100, 0, 0, 0, 0};
    int32_t lDropKind[kDropSlots] = {-1, -1, -1, -1, -1};
};

// The enemies of a mission, in mission-file order.
class sc_AllEnemy {
public:
    sc_AllEnemy();
    virtual ~sc_AllEnemy();
    sc_AllEnemy(const sc_AllEnemy&) = delete;
    sc_AllEnemy& operator=(const sc_AllEnemy&) = delete;

    // Every sprite object given back, every enemy deleted; inactive.
    void vClear();
    // vClear, keeps the view; active.
    void vSet(sc_Point* pViewPoint);
    // Appends a blank enemy bound to the view, lNetId its place in the list.
    sc_Enemy* pAdd();
    // The section: a 4-byte count, then the records, each enemy set up where
    // it stands. The count is checked against the bytes left before anything
    // is made.
    bool bLoad(sc_ByteReader& in);
    void vSave(sc_ByteWriter& out) const;
    // Every enemy's sprite object; active.
    void vLoadImage();
    // Every enemy's sprite object given back; inactive.
    void vFreeImage();

    // Authority only: some other enemy's outline touches this chasing one.
    bool bHitTest(const sc_Enemy* pEnemy) const;
    // A bullet's hit on an enemy (authority only). A homing shot that hits
    // nothing turns toward the enemy nearest to where it was fired from.
    bool bBulletHitTest(sc_Bullet* pBullet) const;
    // The position of the nearest awake enemy strictly within the radius;
    // the earlier one on a tie; null for none.
    const sc_Point* pFindNearest(const sc_Point& oPoint, int32_t lRadius) const;
    // Every frame: radar points, the removal of the dead (with their burst,
    // drop and kill count), then every enemy's behaviour.
    void vUpdate();
    // The records of the awake and the dying enemies.
    void vSend();
    void vReceive(const ss_EnemyRecord& r);

    int32_t lGetCount() const { return oList.lGetCount(); }
    // Null outside the list.
    sc_Enemy* pGetEnemy(int32_t index) const { return oList.pGetNodeAs<sc_Enemy>(index); }

    sc_NodeEx oList;
    sc_Point* pView = nullptr;
    int32_t bActive = 0;
};

extern sc_AllEnemy* g_pAllEnemy;
