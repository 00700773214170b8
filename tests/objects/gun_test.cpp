// The gun under the mouse: cool-downs, the double-click latch, the charged
// shot, the panel's fire block, and the bullets each weapon makes.
#include <gtest/gtest.h>

#include <set>

#include "engine/device/mouse.h"
#include "game/geometry.h"
#include "objects/all_object.h"
#include "objects/gun.h"
#include "platform/input.h"
#include "tests/objects/combat_scene.h"

namespace {

using Shot = krxtest::CombatScene::Shot;

class Gun : public krxtest::CombatScene {
protected:
    void SetUp() override {
        CombatScene::SetUp();
        owner = AddCharacter(0, sc_Point(1000, 1000));
        gun.vSet(&Scene().oMap.oViewPoint, &owner->oPosition, owner);
        // The chosen main weapon is item card 3, the second weapon the
        // first armed slot.
        g_pForm->pItemCards[3].lId = 0;
        Backend().MoveMouse(700, 300); // the map point (700, 300): up and to the left
    }
    // One frame of the controlled character's gun, as the game runs it.
    void Step(int32_t ms = 16) {
        Frame(ms);
        gun.vMouseControl();
        gun.vShow();
    }
    // Holds the left button for ms (pressed in the first frame), then lets go.
    void Hold(int32_t ms, int32_t frameMs = 16) {
        Backend().ButtonDown(plat::kMouseLeft);
        for (int32_t t = 0; t < ms; t += frameMs) Step(frameMs);
        Backend().ButtonUp(plat::kMouseLeft);
        Step(frameMs);
    }
    sc_Character* owner = nullptr;
    sc_Gun gun;
};

TEST_F(Gun, ADoubleClickGivesOneMoreShotAtMost) {
    Backend().Click(plat::kMouseLeft);
    Step(16);
    Step(90);
    // The second press comes inside the cool-down and is held (too short
    // to charge): its double state outlasts the cool-down and fires once
    // when that ends.
    Backend().ButtonDown(plat::kMouseLeft);
    for (int i = 0; i < 20; ++i) Step(16);
    Backend().ButtonUp(plat::kMouseLeft);
    Step(16);
    EXPECT_EQ(Bullets().lGetCount(), 2);
}

TEST_F(Gun, ThePanelHoldsBackOnlyThisMachinesOwnShots) {
    Scene().bFireBlocked = 1;
    const int32_t energy = owner->lEnergy, charge = owner->lCharge;
    gun.vFireMain();
    gun.vFireSub();
    EXPECT_EQ(gun.bFiring, 1);
    EXPECT_EQ(Bullets().lGetCount(), 0);
    EXPECT_EQ(owner->lEnergy, energy);
    EXPECT_EQ(owner->lCharge, charge);
    gun.lChargePower = 700;
    gun.vShow();
    EXPECT_EQ(Bullets().lGetCount(), 0); // waits for the panel to let go

    // Another machine's request was made under that player's own panel.
    sc_Character* other = AddCharacter(1, sc_Point(1200, 1000));
    sc_Gun remote;
    remote.vSet(&Scene().oMap.oViewPoint, &other->oPosition, other);
    remote.oAim.oSet(1500, 1000);
    remote.vFire(4, 1);
    remote.lChargePower = 700;
    remote.vShow();
    EXPECT_EQ((std::vector<int32_t>{Shots()[0].type, Shots()[1].type}), (std::vector<int32_t>{26, 8}));
    EXPECT_LT(other->lCharge, other->lMaxCharge);
}

TEST_F(Gun, AMachineWithoutAuthoritySendsAndForgetsItsRelease) {
    SetHost(false);
    Hold(1000);
    // Nothing is fired here, and the power went out with its record.
    EXPECT_EQ(Bullets().lGetCount(), 0);
    EXPECT_EQ(gun.lChargePower, 0);
    EXPECT_EQ(gun.bFiring, 0);
    EXPECT_EQ(owner->lCharge, owner->lMaxCharge);

    // Over the panel the release is not sent: its power stays for later.
    Scene().bFireBlocked = 1;
    Step(2100);
    Hold(1000);
    EXPECT_GT(gun.lChargePower, 0);
}

TEST_F(Gun, MainWeaponsFireTheirSpreadsBeforeTheStandardShot) {
    gun.oAim.oSet(1300, 900);
    struct Case {
        int32_t kind;
        std::vector<Shot> shots;
    };
    const Case cases[] = {
        {11, {{26, 0, 0}, {26, 0, 0}, {26, 0, 0}, {26, 0, 0}, {26, 1, 0}}},
        {14, {{17, 3, 0}, {17, 3, 1}, {17, 1, 0}}},
        {15, {{0, 1, 0}}}, // outside the table
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.kind);
        Bullets().oList.vClear();
        g_pForm->pItemCards[3].lId = c.kind;
        gun.vMakeMainBullets();
        EXPECT_EQ(Shots(), c.shots);
    }
    // The spread fans out; aimed at the owner's own feet, every turned
    // target is those feet.
    for (const bool atFeet : {false, true}) {
        Bullets().oList.vClear();
        g_pForm->pItemCards[3].lId = 11;
        if (atFeet) gun.oAim = owner->oPosition;
        gun.vMakeMainBullets();
        std::set<int32_t> dirs;
        for (int32_t i = 0; i < Bullets().lGetCount(); ++i) dirs.insert(Bullets().pGetBullet(i)->lDirection);
        EXPECT_EQ(dirs.size(), atFeet ? 1u : 5u);
    }

    // In a battle the character's model picks the weapon: model 2, kind 6.
    Scene().lState = sc_Scene::kStateNetPlay;
    owner->lModel = 2;
    g_pForm->pItemCards[3].lId = 0;
    Bullets().oList.vClear();
    gun.vMakeMainBullets();
    EXPECT_EQ(Shots(), (std::vector<Shot>{{10, 1, 0}}));
}

TEST_F(Gun, EachSecondWeaponSpendsOneShot) {
    gun.oAim.oSet(1300, 900);
    sc_Weapons& card = *g_pForm->pArmed;
    struct Case {
        int32_t kind, ammo;
        std::vector<Shot> shots;
        int32_t ammoAfter;
    };
    const Case cases[] = {
        {0, 5, {{36, 1, 0}}, 4},
        {3, 1, {{32, 2, 0}}, 0}, // the homing shot replaces the standard one
        {11, 2, {{49, 0, 0}, {49, 0, 0}, {49, 1, 0}}, 1},
        {12, 2, {{0, 1, 0}}, 1},
        {0, 0, {}, 0},
        {-1, 5, {}, 5},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.kind);
        Bullets().oList.vClear();
        card.lId = c.kind;
        card.lAmmo = c.ammo;
        gun.vMakeSubBullets();
        EXPECT_EQ(Shots(), c.shots);
        EXPECT_EQ(card.lAmmo, c.ammoAfter);
    }
    // Parallel shots leave beside the owner, on either side of the line.
    card.lId = 11;
    card.lAmmo = 1;
    Bullets().oList.vClear();
    gun.vMakeSubBullets();
    const sc_Point a = Bullets().pGetBullet(0)->oStart, b = Bullets().pGetBullet(1)->oStart,
                   c = Bullets().pGetBullet(2)->oStart;
    EXPECT_NE(a.x * 10000 + a.y, c.x * 10000 + c.y);
    EXPECT_EQ(a.x + b.x, 2 * c.x);
    EXPECT_EQ(a.y + b.y, 2 * c.y);
}

} // namespace
