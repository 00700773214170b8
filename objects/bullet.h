#pragma once
#include <cstdint>
#include <memory>

#include "engine/base/member.h"
#include "engine/base/node.h"
#include "engine/base/point.h"

class sc_ByteReader;
class sc_GameDir;

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
