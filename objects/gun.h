#pragma once
#include <cstdint>
#include <span>
#include <vector>

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

// Aiming aids the game offers but does not use: its cursor does the aiming.
// A green cross-hair (colour 992) on the work surface at the mouse, cut to
// the surface.
void v_DrawCrossHair();
// The points of a trail from one map point to the other: one every
// length / 16 + 4 pixels from the first (as it is) up to the second, the
// others moved by up to 6 pixels each way.
std::vector<sc_Point> o_TrailPoints(int32_t x1, int32_t y1, int32_t x2, int32_t y2);
// The first frame of the given frames at each point of a trail, less the
// view.
void v_DrawSpriteTrail(const sc_GameDir* pFrames, const sc_Point& oView, int32_t x1, int32_t y1, int32_t x2,
                       int32_t y2);
