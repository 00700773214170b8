#pragma once
#include <cstdint>
#include <span>

#include "engine/base/point.h"
#include "network/records.h"

class sc_Character;
class sc_GameObject;
class sc_GameStatus;
class sc_GameDir;
class sc_GameImgWithShadow;

// The gun a player character carries: aimed in 16 directions, fired with
// the mouse for the controlled character, charged by holding the left
// button, and turned into bullets by the weapon shots below.
class sc_Gun {
public:
    static constexpr int32_t kShortCoolMs = 200;  // weapon energy above 100
    static constexpr int32_t kLongCoolMs = 2000;
    static constexpr int32_t kHoldMs = 400;       // a hold shorter than this charges nothing
    static constexpr int32_t kAimSendMs = 50;

    sc_Gun() = default;
    virtual ~sc_Gun();
    sc_Gun(const sc_Gun&) = delete;
    sc_Gun& operator=(const sc_Gun&) = delete;

    void vClear();
    void vSet(sc_Point* pViewPoint, sc_Point* pOwnerPosition, sc_Character* pNewOwner);
    void vLoadImage(const char* pStr, const char* pImg, int32_t lObject);
    void vFreeImage();
    // A main shot when fire is set, then the turn.
    void vFire(int32_t lNewDirection, int32_t bFire);
    void vFireMain();
    void vFireSub();
    void vSetIdle();
    // 0..15; anything else is ignored.
    void vSetDirection(int32_t d);
    const sc_GameImgWithShadow* pGetFrame();
    // Every frame, for the controlled character's gun only.
    void vMouseControl();
    // Draws the gun, then fires a charged shot that is waiting.
    void vShow();
    void vMakeRecord(int32_t d, int32_t bFire, ss_FireRecord& rec) const;
    void vSendFire(int32_t d, int32_t bFire);

    // The bullets of one pull of the trigger (authority only).
    void vMakeMainBullets();
    void vMakeSubBullets();
    // The bullet row of a charged shot of the given power, -1 for none.
    static int32_t lChargedBullet(int32_t lPower);

    sc_Character* pOwner = nullptr;
    sc_GameObject* pImage = nullptr;
    sc_GameStatus* pIdleStatus = nullptr;
    sc_GameStatus* pFireStatus = nullptr;
    sc_GameStatus* pStatus = nullptr;
    sc_GameDir* pDir = nullptr;
    sc_Point* pView = nullptr;
    sc_Point* pPosition = nullptr;
    int32_t lFrameTime = 50;
    int32_t lNextFrame = 0;
    int8_t bFrame = 0;
    int32_t lNextAimSend = 0;
    int32_t lNextFire = 0; // end of the cool-down both buttons share
    int32_t lHoldUntil = 0;
    int32_t lSubCount = 0;
    int32_t lChargePower = 0;
    int32_t lDirection = 0;
    int32_t bFiring = 0;
    sc_Point oAim;
    int32_t bLeftDouble = 0;
    int32_t bRightDouble = 0;

private:
    bool bOwnerIsControlled() const;
    // Whether this machine's panel holds back the shots of its own player.
    bool bBlocked() const;
    void vStartFireAnimation();
    void vAimAtMouse();
    void vShot(int32_t lType, sc_Point oTarget, int32_t lFlight, int32_t lSide);
};
