#pragma once
#include <cstdint>
#include <memory>
#include <span>

#include "engine/base/member.h"
#include "engine/base/node.h"
#include "engine/base/point.h"
#include "network/records.h"
#include "objects/net_index.h"

class sc_ByteReader;
class sc_ByteWriter;
class sc_GameDir;
class sc_GameObject;
class sc_GameImgWithShadow;

// One shot in flight, built by copying its row of the bullet table and then
// set up from its firer, start and target.
class sc_Bullet : public sc_NodeEx {
public:
    // One row of the bullet table: the fields below, then 4 bytes not kept.
    static constexpr uint32_t kAttribBytes = 224;
    static constexpr int32_t kSpeedSteps = 5;
    static constexpr int32_t kTrailPoints = 10;

    sc_Bullet();
    ~sc_Bullet() override;

    std::unique_ptr<sc_NodeEx> pNew() const override { return std::make_unique<sc_Bullet>(); }
    // Every attribute field but lSide; bPassMarked only while this bullet's
    // own is 0, since a pass-marked firer outranks the table.
    void vCopyData(const sc_NodeEx* source) override;

    // Reads one table row field by field; a field that does not arrive keeps
    // its value. False when the row was cut.
    bool bReadAttrib(sc_ByteReader& in);

    // Sets a blank bullet up from its firer: the path from start toward
    // target, cut to the bullet's range, entered start distance units along.
    void vSetUp(sc_Point* pViewPoint, int32_t lNewOwnerKind, int32_t lNewOwnerId, int32_t lNewDirection,
                int32_t lType, sc_Point oFrom, sc_Point oTo, int32_t bNewPassMarked, int32_t lNewFlight,
                int32_t lNewSide, int32_t lNewStartDistance);
    // One step every 30 ms while the path lasts and nothing was hit; the
    // step after the path is used up finishes the bullet.
    void vFly();
    // Whether the bullet must stop where it is: the map's edge, a wall, a
    // thing, a character, an enemy, in that order. The family that was hit
    // takes the damage.
    bool bStop();
    // Flies (on the authority) and draws the bullet, its trail or its hit.
    void vShow();
    // How many sprites a beam shows, 4 units apart from where it started up
    // to (not including) how far it went, within its path and at most 512.
    static int32_t lBeamSprites(int32_t lFrom, int32_t lTo, int32_t lPathRange);
    // Advance each animation when due; the current frame, null without one.
    const sc_GameImgWithShadow* pGetFlyFrame();
    const sc_GameImgWithShadow* pGetHitFrame();
    const sc_GameImgWithShadow* pGetTrailFrame1(int32_t i);
    const sc_GameImgWithShadow* pGetTrailFrame2(int32_t i);

    void vMakeRecord(ss_BulletRecord& rec) const;
    // Appends the record to the transmit buffer; the new flag goes out once.
    void vPack();
    void vUnpack(const ss_BulletRecord& rec);

    void vClear();
    void vReset();
    // The flight picture of the current direction.
    void vPickFlyDir();

    // Attribute fields, in the order of a table row.
    int32_t lId = 0;          // prototype key; the bullet type
    int32_t bPassMarked = 0;  // not stopped by cells of value 3
    int32_t lSpeed = 0;       // map units per 30 ms step
    int32_t lRange = 0;       // length of the flight path
    int32_t lSide = 0;        // set by the firer; the table's value is never copied
    int32_t lHitAnim = 0;     // direction of the hit effect
    int32_t lSplitKind = 0;   // bullet row of the fragments
    int32_t lSplitCount = 0;  // 1 to lSplitCount + 1 fragments
    int32_t lTrailAnim1 = -1; // trail effect directions, -1 none
    int32_t lTrailAnim2 = -1;
    int32_t lSpeedAt[kSpeedSteps] = {}; // travelled-distance thresholds
    int32_t lSpeedTo[kSpeedSteps] = {}; // the speed past each threshold
    sc_MemberString sFireWav;
    sc_MemberString sHitWav;
    sc_MemberString sText3; // carried along, shown nowhere
    sc_MemberString sText4;
    int32_t lAttack = 0;     // damage dealt to what it hits
    int32_t lImage = 0;      // status of the flight pictures
    int32_t lEnergyCost = 0; // weapon energy a shot costs its firer

    // Run-time fields.
    sc_GameDir* pFlyDir = nullptr;
    sc_GameDir* pHitDir = nullptr;
    sc_GameDir* pTrailDir1 = nullptr;
    sc_GameDir* pTrailDir2 = nullptr;
    sc_Point* pView = nullptr;
    int32_t lNetId = 0;
    int32_t lOwnerKind = 0; // 0 a character, 3 an enemy
    int32_t lOwnerId = 0;
    int32_t lFlyFrameTime = 0;
    int32_t lHitFrameTime = 0;
    int32_t lTrailFrameTime[kTrailPoints] = {};
    int32_t lStepTime = 0;
    int8_t cFlyFrame = 0;
    int8_t cHitFrame = 0;
    int8_t cTrailFrame[kTrailPoints] = {};
    int32_t lFlight = 0; // flight kind 0..6
    sc_Point oPos;
    int32_t bActive = 0;
    sc_Point oStart;
    sc_Point oTarget;
    sc_Point oPrev;
    int32_t lTravelled = 0;
    int32_t bFinished = 0;
    int32_t bStopped = 0;
    int32_t bSend = 0;
    int32_t lDirection = 0; // 32-step direction of the flight picture
    int32_t lStartDistance = 0;
    sc_Point oTrail[kTrailPoints]; // the last positions, newest first
};

// All live bullets of a mission or battle: they are made here for every
// firer, stepped and drawn once a frame and removed when finished. Only the
// authority flies them; the other machines follow the bullet records.
class sc_AllBullet {
public:
    sc_AllBullet();
    virtual ~sc_AllBullet();
    sc_AllBullet(const sc_AllBullet&) = delete;
    sc_AllBullet& operator=(const sc_AllBullet&) = delete;

    // Every bullet and every picture object let go.
    void vClear();
    void vLoad(sc_Point* pViewPoint);

    // One bullet from start toward target, leaving start height above the
    // start; the new bullet.
    sc_Bullet* pAdd(int32_t lOwnerKind, int32_t lOwnerId, int32_t lType, sc_Point oStart, sc_Point oTarget,
                    int32_t bPassMarked, int32_t lFlight, int32_t lSide, int32_t lStartHeight, int32_t lStartDistance);
    // A volley in random directions around the centre: 0 to count bouncing
    // bullets, or 1 to count + 1 straight ones for the Ex form.
    void vFire(int32_t lOwnerKind, int32_t lOwnerId, int32_t lType, sc_Point oCentre, sc_Point oReach,
               int32_t bPassMarked, int32_t lCount);
    void vFireEx(int32_t lOwnerKind, int32_t lOwnerId, int32_t lType, sc_Point oCentre, sc_Point oReach,
                 int32_t bPassMarked, int32_t lCount);
    // Per frame: finished bullets go (sent once more by the authority), then
    // every other one is shown.
    void vMove();
    void vSend();
    // More live bullets than any battle's firers keep in the air: a record
    // of a new bullet beyond them is refused.
    static constexpr int32_t kMaxReceived = 4096;
    // A received bullet record; the authority has its own bullets and
    // ignores them. A new bullet takes an identity no live one holds (a
    // record of a new bullet for one that lives updates that one).
    void vReceive(const ss_BulletRecord& rec);

    int32_t lGetCount() const { return oList.lGetCount(); }
    sc_Bullet* pGetBullet(int32_t i) const { return oList.pGetNodeAs<sc_Bullet>(i); }
    // The live bullet of a network identity, null for none.
    sc_Bullet* pFind(int32_t lNetId) const;

    sc_NodeEx oList;
    // Bullets made here since the list was last loaded, flown or taken from
    // records. Nothing of the game reads it: a machine that takes a bullet's
    // first and last records in one frame never holds it live between two.
    int32_t lMade = 0;
    sc_GameObject* pBulletObject = nullptr; // flight pictures, one status per picture
    sc_GameObject* pHitObject = nullptr;    // hit effects
    sc_GameObject* pTrailObject1 = nullptr;
    sc_GameObject* pTrailObject2 = nullptr;
    sc_GameObject* pEffectObject = nullptr; // kept for the characters
    sc_Point* pView = nullptr;
    int32_t bLoaded = 0;

private:
    void vSetNetId(sc_Bullet* b, int32_t lNetId);
    void vVolley(int32_t lOwnerKind, int32_t lOwnerId, int32_t lType, sc_Point oCentre, sc_Point oReach,
                 int32_t bPassMarked, int32_t lBullets, int32_t lFlight, int32_t lStartDistance);
    // A network identity no live bullet holds.
    int32_t lNewNetId() const;
    void vDelete(int32_t i);

    sc_NetIndex<sc_Bullet> m_oById;
};

extern sc_AllBullet* g_pAllBullet;
