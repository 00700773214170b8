#pragma once
#include <array>
#include <cstdint>
#include <memory>
#include <span>
#include <string>

#include "engine/base/node.h"
#include "engine/base/point.h"
#include "network/records.h"
#include "objects/gun.h"

class sc_Bullet;
class sc_Enemy;
class sc_GameDir;
class sc_GameImgWithShadow;
class sc_GameObject;
class sc_GameStatus;

// One player's character on the isometric map: its sprite from the CHAR
// pack, position and facing, walking and flying steps, meters, the gun it
// carries, its hit tests, its death and remains, and its two network
// records (kind 1, a walk request; kind 3, its whole state).
//
// Directions count 16 steps clockwise from up. The body shows lShownDir,
// the legs walk lFacing; the flying and dying statuses hold 8 directions,
// so they show lShownDir / 2.
class sc_Character : public sc_NodeEx {
public:
    enum : int32_t { kStandStatus = 0, kWalkStatus = 1, kFlyStatus = 2, kDeathStatus = 3 };

    sc_Character() = default;
    ~sc_Character() override;
    // Holds pictures of the sprite cache: a copy is made only as a blank
    // clone through the node.
    sc_Character(const sc_Character&) = delete;
    sc_Character& operator=(const sc_Character&) = delete;

    std::unique_ptr<sc_NodeEx> pNew() const override { return std::make_unique<sc_Character>(); }
    // A clone starts from the constructor's values: nothing is copied.
    void vCopyData(const sc_NodeEx*) override {}

    void vClear();
    void vResetState();
    // Steps, meters and the gun's bindings; the view is not owned.
    void vSetUp(sc_Point* pViewPoint);
    // The body is object `object` of the pack, the gun the one after it.
    void vLoadImage(const char* pStr, const char* pImg, int32_t lObject);
    void vFreeImage();

    // One walk or fly step toward the direction (0..15), at most one per 50 ms.
    void vWalk(int32_t lDirection);
    // Whether the position may not be held: the map's margin, the grid, the
    // other characters, then the things, items and mines in that order.
    bool bIsBlocked();
    // Ends a step once its animation has run its first quarter.
    void vStop();
    void vFly(int32_t bOn);
    // 0..15; other values are ignored.
    void vSetFacing(int32_t lDirection);
    // Starts the death once.
    void vDie();
    void vSetInvisible(int32_t bOn);
    void vSetDrain(int32_t lValue);

    // Per frame: the body's turn toward the gun, the timers, the show-list
    // entry and the cell under it.
    void vAddSort();
    const sc_GameImgWithShadow* pGetFrame();
    const sc_GameImgWithShadow* pGetRemainsFrame();
    const sc_GameImgWithShadow* pGetEffectFrame();
    void vShow();

    bool bHitCharacter(const sc_Character* pOther) const;
    // Applies the damage unless X is held on this machine.
    bool bHitBullet(const sc_Bullet* pBullet);
    bool bHitEnemy(const sc_Enemy* pEnemy) const;

    // The records as they travel; the send operations append them.
    ss_WalkRecord oWalkRecord(int32_t lDirection) const;
    ss_StateRecord oStateRecord() const;
    void vPack() const;
    void vSendWalk(int32_t lDirection) const;
    void vUnpack(const ss_StateRecord& r);
    // On the authority: whether the next shot a peer asks for with this
    // character comes after the gun's cool-down (one may come early).
    bool bTakePeerShot();
    void vApplyState(const sc_Point& oNewPosition, int32_t bNewPresent, int32_t lNewFacing,
                     int32_t bNewMoving, int32_t bNewBlocked);

    // The container's controlled character is this one.
    bool bIsControlled() const;
    // Dying or dead: the death status is shown.
    bool bIsDying() const;
    const sc_GameDir* pGetDir() const { return pDir; }

    sc_Gun oGun;
    sc_GameObject* pImage = nullptr;
    sc_GameStatus* pStandStatus = nullptr;
    sc_GameStatus* pMoveStatus = nullptr;
    sc_GameStatus* pDeathStatus = nullptr;
    sc_GameStatus* pStatus = nullptr;
    sc_GameDir* pDir = nullptr;
    sc_Point* pView = nullptr;
    int32_t lIndex = 0;
    int32_t lFrameTime = 50;
    int32_t lNextFrame = 0;
    int32_t lNextEffectFrame = 0;
    int32_t lNextRemainsFrame = 0;
    int32_t lInvisibleUntil = 0;
    int32_t lDrainUntil = 0;
    int32_t lNextWalkSound = 0;
    int8_t bFrame = 0;
    int8_t bEffectFrame = 0;
    int8_t bRemainsFrame = 0;
    sc_Point oPosition;
    int32_t bPresent = 0;
    int32_t bVisible = 1;
    int32_t bOnKind3Cell = 0;
    int32_t lAlpha = 31;
    int32_t lFacing = 0;
    int32_t lShownDir = 0;
    int32_t bMoving = 0;
    int32_t bBlocked = 0;
    int32_t bFlying = 0;
    // The death and remains animations have run: the character is gone.
    int32_t bRemainsDone = 0;
    // Its player has left the battle's room: the character is out of the
    // battle, counted as fallen, and records about it are not applied.
    int32_t bDeparted = 0;
    sc_Point oStep;
    sc_Point oWalkStep;
    sc_Point oFlyStep;
    int32_t lMuzzleHeight = 0;
    int32_t lShotValue = 0;
    int32_t lMaxHitPoints = 0;
    int32_t lMaxFly = 0;
    int32_t lMaxCharge = 0;
    int32_t lMaxEnergy = 0;
    int32_t lHitPoints = 0;
    int32_t lFly = 0;
    int32_t lCharge = 0;
    int32_t lEnergy = 0;
    int32_t lFlyCost = 0;
    int32_t lFlyRegen = 0;
    int32_t lChargeDrain = 0;
    int32_t lEnergyRegen = 0;
    int32_t lDefence = 0;
    int32_t lModel = 0;
    int32_t bInvisible = 0;
    int32_t lDrain = 0;
    int32_t lScore = 0;
    int32_t bNear = 0;
    // When the next shot a peer asks for is due, on the authority.
    int32_t lPeerShotDue = 0;

private:
    // The direction of a status that shows lShownDir, by the invariant
    // above; null when the status holds no such direction.
    sc_GameDir* pDirOf(sc_GameStatus* pOfStatus) const;
    // The outline of the hit tests: marks 0, 3, 1, 2 of the shown direction
    // around the position.
    bool bOverlaps(const sc_GameDir* pOtherDir, const sc_Point& oOtherPosition) const;
};

// The players' characters, in player-index order, and what drives them:
// the controlled character's steps, the view that follows it, who sees
// whom, the hit tests the other families ask and the readers of the
// records of kinds 1, 2 and 3.
class sc_AllCharacter {
public:
    static constexpr int32_t kMeetingSlots = 12;

    sc_AllCharacter();
    virtual ~sc_AllCharacter();
    sc_AllCharacter(const sc_AllCharacter&) = delete;
    sc_AllCharacter& operator=(const sc_AllCharacter&) = delete;

    // Deletes every character; the form forgets what pointed into them.
    void vClear();
    void vLoad(sc_Point* pViewPoint);
    // Appends a character set up with the view and returns it.
    sc_Character* pAdd();
    // A network battle's players by character index, as the room's table
    // stands when the battle is loaded.
    void vTakePlayers();
    const char* pPlayerName(int32_t lIndex) const;
    // In a network battle, every kWatchMs: the character of each player no
    // longer in the room leaves the battle.
    void vWatchPlayers();
    // Takes a character out of the battle; never the controlled one.
    void vDepart(int32_t lIndex);
    // Every play frame with the keyboard's direction: 0, 2 .. 14, or -1.
    void vWalk(int32_t lDirection);
    void vFollowView();
    void vVisibility();
    void vUpdate();
    void vPrevSortShow() {}

    bool bHitTest(const sc_Character* pCharacter) const;
    bool bBulletHitTest(const sc_Bullet* pBullet) const;
    bool bEnemyHitTest(const sc_Enemy* pEnemy) const;
    // The last character whose position lies inside the rectangle (edges
    // included), or null; *pFound is set either way (the enemy has looked).
    sc_Character* bCollide(const sc_Point& oPoint, int32_t lLeft, int32_t lTop, int32_t lRight,
                           int32_t lBottom, int32_t* pFound) const;
    bool bNear(int32_t x, int32_t y) const;

    void vSend() const;
    // Appliers of a walk request (kind 1), a fire request (kind 2) and a
    // character's state (kind 3) as the record buffer read them; a record
    // naming no character is ignored, and the requests on the authority
    // only.
    void vReceiveWalk(const ss_WalkRecord& r);
    void vReceiveFire(const ss_FireRecord& r);
    void vReceive(const ss_StateRecord& r);
    void vFindMeetings();

    // Null outside the list.
    sc_Character* pGetCharacter(int32_t lIndexInList) const;
    sc_Character* pGetControlled() const { return pGetCharacter(lControlled); }
    int32_t lGetCount() const { return oList.lGetCount(); }

    sc_NodeEx oList;
    sc_Point oMeetA[kMeetingSlots];
    sc_Point oMeetB[kMeetingSlots];
    int32_t lMeetings = 0;
    sc_Point* pView = nullptr;
    // The view point that follows the controlled character; the game flow
    // copies it to the map's view every play frame.
    sc_Point oFollow;
    // The character this machine controls.
    int32_t lControlled = 0;
    static constexpr int32_t kBattlePlayers = 4;
    static constexpr int32_t kWatchMs = 250;
    struct ss_BattlePlayer {
        uint32_t lId = 0;
        std::string oName;
    };
    std::array<ss_BattlePlayer, kBattlePlayers> oPlayers{};
    int32_t lNextWatch = 0;
    int32_t bLoaded = 0;
    int32_t lNextStep = 0;
};

extern sc_AllCharacter* g_pAllCharacter;
