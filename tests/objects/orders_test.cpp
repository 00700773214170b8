// The operator's orders on the object layer: aiming within reach, the
// airplane that brings the order, the bomber run and its blast, and the
// delivery of a mine.
#include <gtest/gtest.h>

#include "engine/device/mouse.h"
#include "platform/input.h"
#include "interface/form.h"
#include "interface/operator_panel.h"
#include "objects/all_object.h"
#include "tests/objects/fighter_scene.h"

namespace {

class Orders : public krxtest::FighterScene {
protected:
    void SetUp() override {
        FighterScene::SetUp();
        Layer().pView = &Scene().oMap.oViewPoint;
    }
    sc_AllObject& Layer() { return Scene().oAllObject; }
    // The frames of the layer's two passes that carry the orders.
    void OrderFrame(int32_t ms) {
        PlayFrame(ms);
        Layer().vAimOrder();
        Layer().vTakeOrder();
        Layer().vShowBomberRun6();
        Layer().vShowBomberRun5();
        Layer().vShowAirplane();
        Layer().vShowBlast();
        Layer().vShowOrder();
    }
};

TEST_F(Orders, AnOrderIsAimedWithinTwoHundredPixelsOfTheOwnCharacter) {
    AddCharacter(0, sc_Point(1000, 1000));
    Scene().oMap.oViewPoint.oSet(600, 700);
    g_pForm->lOrderSlot = 4;
    Layer().vTakeOrder();
    EXPECT_EQ(g_pForm->lOrderSlot, -1);
    ASSERT_EQ(Layer().bAiming, 1);
    EXPECT_EQ(Layer().oMine.bArmed, 1);
    g_pForm->lOrderSlot = 6; // another one waits while this is under way
    Layer().vTakeOrder();
    EXPECT_EQ(Layer().oMine.lKind, 4);
    for (auto [x, blocked] : {std::pair{200, 0}, {201, 1}, {-200, 0}}) {
        g_oMousePoint.oSet(400 + x, 300); // map point: the mouse plus the view
        Layer().vAimOrder();
        EXPECT_EQ(Layer().bBlocked, blocked) << x;
        EXPECT_EQ(Layer().oTarget.oPlain(), (ss_PlainPoint{1000 + x, 1000}));
    }
    // A click where the order may go sends the airplane and puts the
    // panel's list of orders back at its first.
    sc_Adjust& list = g_pInterFaceOperator->oScroll;
    list.vSetMax(8);
    list.vSetValue(3);
    Backend().MoveMouse(500, 300);
    Backend().Click(plat::kMouseLeft);
    Frame(16);
    Layer().vAimOrder();
    EXPECT_EQ(Layer().bAiming, 0);
    EXPECT_EQ(Layer().bAirplaneFlying, 1);
    EXPECT_EQ(list.lGetValue(), 0);
}

TEST_F(Orders, OrderSixsBlastKillsWithinFiveHundredAndSparesOneAtFiveHundred) {
    AddCharacter(0, sc_Point(200, 200));
    const sc_Point centre(2000, 1500);
    sc_Enemy* inside = AddEnemy(0, sc_Point(2000, 1999));
    sc_Enemy* edge = AddEnemy(0, sc_Point(2300, 1900)); // 300, 400: 500 away
    for (sc_Enemy* e : {inside, edge})
        e->lNextStep = kStart + 100'000;
    const int32_t edgeHitPoints = edge->lHitPoints;
    Layer().oMine.vSet(Layer().pView, 6, centre, 0);
    Layer().oTarget = centre;
    Layer().bPending = 1;
    int frames = 0;
    while ((Layer().bBomberRun6 || Layer().bBlast || Layer().bPending) && frames++ < 2000)
        OrderFrame(20);
    EXPECT_EQ(Layer().bDelivered, 1);
    EXPECT_LT(frames, 2000);
    // The one inside has died and gone; the one at the edge is untouched.
    ASSERT_EQ(Enemies().lGetCount(), 1);
    EXPECT_EQ(Enemies().pGetEnemy(0), edge);
    EXPECT_EQ(edge->lHitPoints, edgeHitPoints);
    EXPECT_EQ(Layer().pBomberImage, nullptr); // given back at the end of the run
}

TEST_F(Orders, ABlastWithNothingInRangeStillEndsAndNoneOutlivesItsMission) {
    Layer().oBomberTarget.oSet(-10'000, -10'000);
    Layer().vStartBlast(0);
    int frames = 0;
    while (Layer().bBlast && frames++ < 500)
        OrderFrame(20);
    EXPECT_EQ(Layer().bBlast, 0);
    Layer().vStartBlast(1);
    EXPECT_EQ(Layer().bBlast, 1); // a later blast starts again
    // Still burning when the mission ends: the next mission's enemy at the
    // old impact point is not hit.
    Layer().oBomberTarget.oSet(1600, 1200);
    Layer().vClear();
    sc_Enemy* enemy = AddEnemy(0, sc_Point(2000, 1500));
    enemy->lNextStep = kStart + 100'000;
    const int32_t hitPoints = enemy->lHitPoints;
    OrderFrame(20);
    EXPECT_EQ(enemy->lHitPoints, hitPoints);
    EXPECT_EQ(Layer().bBlast, 0);
}

TEST_F(Orders, TheAirplaneBringsADroppedOrThrownMineOntoTheTargetOnce) {
    AddCharacter(0, sc_Point(1000, 1000));
    for (int32_t slot : {2, 0}) { // dropped, thrown
        SCOPED_TRACE(slot);
        Mines().vClear();
        Mines().vLoad(&Scene().oMap.oViewPoint);
        Layer().oMine.vSet(Layer().pView, slot, sc_Point(1100, 1000), 0);
        Layer().oTarget.oSet(1100, 1000);
        Layer().bThrow = slot == 0 ? 1 : 0;
        Layer().vStartAirStrike();
        ASSERT_EQ(Layer().bAirplaneFlying, 1);
        int frames = 0;
        while (Mines().lGetCount() == 0 && frames++ < 2000)
            OrderFrame(20);
        for (int i = 0; i < 50; ++i)
            OrderFrame(20);
        ASSERT_EQ(Mines().lGetCount(), 1);
        EXPECT_EQ(Layer().bPending, 0);
        EXPECT_EQ(Mines().lProgress, 0); // ready for the next order
        EXPECT_EQ(Mines().pGetMine(0)->lKind, slot);
        EXPECT_EQ(Mines().pGetMine(0)->oPos.oPlain(), (ss_PlainPoint{1100, 1000}));
    }
}

} // namespace
