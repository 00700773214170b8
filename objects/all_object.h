#pragma once
#include <cstdint>
#include <memory>

#include "engine/base/node.h"
#include "engine/base/point.h"
#include "interface/text_widgets.h"
#include "objects/bullet.h"
#include "objects/character.h"
#include "objects/death.h"
#include "objects/mine.h"
#include "objects/prop.h"

class sc_GameDir;
class sc_GameImg;
class sc_GameImgWithShadow;
class sc_GameObject;

// The moving population of a mission and the object passes of every play
// frame around the show list. The families below hold only what the other
// families and the game flow use of them until their own sources take them
// over.

class sc_AllObject {
public:
    // How long the view shakes, in steps of the shake.
    static constexpr int32_t kShakeSteps = 10;
    static constexpr int32_t kSendMs = 50;

    sc_AllObject();
    virtual ~sc_AllObject();
    sc_AllObject(const sc_AllObject&) = delete;
    sc_AllObject& operator=(const sc_AllObject&) = delete;

    // Gives the pictures back, stops every order and puts out the blast,
    // forgetting the bombers' target; the shake runs its course.
    void vClear();
    // A mission's population: one character on the first start point.
    void vLoad(sc_Point* pViewPoint);
    // A battle's: one character per room player on its own start point.
    void vLoadNet(sc_Point* pViewPoint);
    // Before, during and after the show list.
    void vPrevSortShow();
    void vShow();
    void vNextSortShow();
    void vStartShake();
    // A jagged line of 2 x 2 dots between two points less the view.
    void vDrawLightning(int32_t x1, int32_t y1, int32_t x2, int32_t y2);
    // Every 50 ms: the authority sends the state of everything, any other
    // machine the requests appended as they happened.
    void vHostSend();
    void vClientSend();

    // The orders (orders.cpp). An order slot bought on the operator panel
    // is taken while no other order is under way, aimed with the mouse, and
    // brought by the airplane; on arrival it waits until it is delivered: a
    // bomber run, or a mine dropped or thrown onto the target.
    bool bOrderBusy() const;
    void vTakeOrder();
    void vAimOrder();
    void vStartAirStrike();
    void vShowAirplane();
    void vShowOrder();
    void vShowBomberRun6();
    void vShowBomberRun5();
    // When no blast runs: a blast of kind 0 or 1 around the bomber run's
    // impact point.
    void vStartBlast(int32_t lKind);
    void vShowBlast();

    sc_Point* pGetView() const { return pView; }

    // Object 4 of P_SPRITY and its first direction's frames.
    sc_GameObject* pEffectImage = nullptr;
    const sc_GameDir* pEffectFrames = nullptr;
    // Object 7 or 8 of P_SPRITY while a bomber run needs it.
    sc_GameObject* pBomberImage = nullptr;
    // Object 1 of P_OTHER.
    sc_GameObject* pAirplaneImage = nullptr;
    sc_Point* pView = nullptr;
    int32_t lHostSendTime = 0;
    int32_t lClientSendTime = 0;
    // An order is being aimed with the mouse.
    int32_t bAiming = 0;
    sc_AllCharacter oAllCharacter;
    sc_AllBullet oAllBullet;
    sc_AllProp oAllProp;
    sc_AllMine oAllMine;
    sc_AllDeath oAllDeath;
    int32_t bShake = 0;
    int32_t lShakeSteps = 0;
    sc_Point oShakeSaved;
    // The order's cursor that follows the mouse while aiming.
    sc_Mine oMine;
    // The screen-origin point of a bomber run.
    sc_Point oBomberTarget;
    int32_t bBomberRun6 = 0;
    int32_t bBomberRun5 = 0;
    // 0 before the impact, 1 after.
    int32_t lBomberState = 0;
    int8_t bBomberFrame = 0;
    int32_t lBomberNextFrame = 0;
    // The straight-line movers of the bombers and of the airplane between
    // its screen points.
    sc_MoveForm oBomberPath;
    sc_Point oAirplaneStart;
    sc_Point oAirplaneEnd;
    sc_MoveForm oAirplanePath;
    int32_t lBlastKind = 0;
    int32_t bBlast = 0;
    int8_t bBlastFrame = 0;
    int32_t lBlastNextFrame = 0;
    int32_t bAirplaneFlying = 0;
    // The map point of the aimed order.
    sc_Point oTarget;
    int32_t bDelivered = 0;
    int32_t bBlocked = 0;
    // The airplane has arrived: the order waits to be carried out.
    int32_t bPending = 0;
    // The order is thrown rather than dropped.
    int32_t bThrow = 0;

private:
    void vBomberImpact();
    void vEndBomberRun(int32_t& bRun);

    // The characters, the loading screen's steps and the pictures both
    // loads share; then the battle adds its players.
    void vLoadCommon(sc_Point* pViewPoint, bool bNetwork);
    void vFreeImages();
    void vShowScores();
};

// Draws a frame at (x, y) plus its offset onto the work surface, every
// pixel's alpha capped at the level (0..31); a frame without an alpha map
// is blended at the level.
void v_ShowFaded(const sc_GameImg& oFrame, int32_t x, int32_t y, int32_t lLevel);
// Whether this machine holds authority: the scene's flag, which single play
// sets too; true without a scene.
bool b_HasAuthority();
// Whether the mine an order slot brings searches and fires.
bool b_IsArmedMineSlot(int32_t lSlot);

extern sc_AllObject* g_pAllObject;
