// Things pushed, broken and dropping their items; items picked up.
#include <gtest/gtest.h>

#include "interface/form.h"
#include "objects/all_object.h"
#include "platform/byte_reader.h"
#include "platform/random.h"
#include "tests/objects/combat_scene.h"

namespace {

class ThingsAndItems : public krxtest::CombatScene {};

TEST_F(ThingsAndItems, TheDropTableIsReadInSlotOrderAgainstOneDraw) {
    sc_Thing t;
    t.lDropKind[0] = 2;
    for (int i = 0; i < 50; ++i) EXPECT_EQ(t.lGetDropKind(), 2); // (100, 0, 0, 0, 0)

    // All chances 0: slot 0 answers only a draw of 0.
    t.lDropChance[0] = 0;
    t.lDropKind[0] = 0;
    for (uint32_t seed = 1; seed < 200; ++seed) {
        plat::SeedRandom(seed);
        const bool zero = plat::RandScaled(100) == 0;
        plat::SeedRandom(seed);
        EXPECT_EQ(t.lGetDropKind(), zero ? 0 : -1) << seed;
    }
}

TEST_F(ThingsAndItems, APushMovesAlongTheFacingUnlessThatIsBlocked) {
    sc_Character* c = AddCharacter(0, sc_Point(1000, 1000));
    sc_Thing* crate = AddThing(0, sc_Point(1500, 1500));
    ASSERT_TRUE(crate->bPushable);
    // Toward the map's edge: x = 0 is off the map, so it stays at 8.
    crate->oPos.oSet(8, 1500);
    crate->vPush(12);
    EXPECT_EQ(crate->oPos.x, 8);
    // Against a wall: it moves a step at a time until the next step would
    // bring it within a cell of the wall.
    Scene().oMap.oSetting.oMapLocate.vSetCell(1520, 1500, 1);
    crate->oPos.oSet(1488, 1500);
    for (int i = 0; i < 4; ++i) crate->vPush(4);
    EXPECT_EQ(crate->oPos.x, 1496);
    Scene().oMap.oSetting.oMapLocate.vSetCell(1520, 1500, 0);
    // Into another thing: it stays.
    AddThing(1, sc_Point(1530, 1500));
    crate->oPos.oSet(1500, 1500);
    crate->vPush(4);
    EXPECT_EQ(crate->oPos.x, 1500);

    // A character touching it pushes it along its facing; a thing that is
    // not pushable only answers the touch.
    c->oPosition.oSet(1480, 1500);
    c->lFacing = 12;
    EXPECT_TRUE(Things().bHitCharacter(c));
    EXPECT_EQ(crate->oPos.x, 1492);
    sc_Thing* drum = AddThing(2, sc_Point(2000, 2000));
    ASSERT_FALSE(drum->bPushable);
    c->oPosition.oSet(2010, 2000);
    EXPECT_TRUE(drum->bHitCharacter(c));
    EXPECT_EQ(drum->oPos.x, 2000);
    c->oPosition.oSet(2500, 2000);
    EXPECT_FALSE(Things().bHitCharacter(c));
}

TEST_F(ThingsAndItems, ABulletStopsAtAThingButOnlyACharactersBulletHarmsIt) {
    sc_Thing* crate = AddThing(0, sc_Point(1300, 1000));
    crate->bNear = 1;
    const int32_t life = crate->lLife;
    // Bullets flying over the crate's own place at its middle's height.
    sc_Bullet* enemy = Bullets().pAdd(3, 0, 26, sc_Point(1300, 1040), sc_Point(1700, 1000), 0, 0, 0, 55, 0);
    EXPECT_TRUE(Things().bHitBullet(enemy));
    EXPECT_EQ(crate->lLife, life);
    sc_Bullet* own = Bullets().pAdd(0, 0, 26, sc_Point(1300, 1040), sc_Point(1700, 1000), 0, 0, 0, 55, 0);
    EXPECT_TRUE(Things().bHitBullet(own));
    EXPECT_EQ(crate->lLife, life - own->lAttack);
    // Things with no character near are not asked.
    crate->bNear = 0;
    EXPECT_FALSE(Things().bHitBullet(own));
}

TEST_F(ThingsAndItems, ABrokenThingBreaksOnceDropsItsItemAndGoes) {
    sc_Thing* a = AddThing(1, sc_Point(1000, 1000));
    sc_Thing* b = AddThing(1, sc_Point(1200, 1000));
    AddThing(0, sc_Point(1400, 1000));
    for (sc_Thing* t : {a, b}) {
        t->lDropKind[0] = sc_Prop::kMoney;
        t->lLife = 0;
    }
    // The form's arrow points at a thing that is about to go.
    g_pForm->vSetTarget(&b->oPos);

    int32_t frames = 0;
    while (Things().lGetCount() == 3 && frames < 100) {
        g_lNowTick += 16;
        Things().vUpdate();
        for (int32_t i = 0; i < Things().lGetCount(); ++i) Things().pGetThing(i)->vShow();
        ++frames;
    }
    EXPECT_GT(frames, 1);
    // Both went in the same pass, each leaving its item.
    ASSERT_EQ(Things().lGetCount(), 1);
    EXPECT_EQ(Things().pGetThing(0)->oPos.x, 1400);
    ASSERT_EQ(Props().lGetCount(), 2);
    EXPECT_EQ(Props().pGetProp(0)->lKind, sc_Prop::kMoney);
    EXPECT_EQ(Props().pGetProp(1)->oPos.x, 1200);
    EXPECT_EQ(g_pForm->pTarget, nullptr);

    // Without authority nothing is dropped; the thing still goes.
    SetHost(false);
    sc_Thing* c = Things().pGetThing(0);
    c->lLife = -5;
    c->lDropKind[0] = sc_Prop::kHealth;
    for (int i = 0; i < 100 && Things().lGetCount(); ++i) {
        g_lNowTick += 16;
        Things().vUpdate();
        if (Things().lGetCount()) Things().pGetThing(0)->vShow();
    }
    EXPECT_EQ(Things().lGetCount(), 0);
    EXPECT_EQ(Props().lGetCount(), 2);
    EXPECT_EQ(Props().pAdd(-1, sc_Point(10, 10)), nullptr);
}

TEST_F(ThingsAndItems, APickUpPaysTheToucherAndOnlyTheOwnPlayersForm) {
    sc_Character* own = AddCharacter(0, sc_Point(1000, 1000));
    sc_Character* other = AddCharacter(1, sc_Point(2000, 1000));
    g_pForm->pArmedSlots[0].lId = 4;
    g_pForm->pArmedSlots[0].lAmmo = 10;
    g_pForm->pArmedSlots[2].lId = -1;
    g_pForm->pArmedSlots[2].lAmmo = 10;
    const int32_t money = g_pForm->lMoney;

    struct Case {
        sc_Character* who;
        int32_t kind, hitPoints;
        int32_t hitPointsAfter, scoreGain, moneyGain, ammoAfter;
    };
    const Case cases[] = {
        {own, sc_Prop::kHealth, 9000, 10000, 0, 0, 10},
        {own, sc_Prop::kMoney, 10000, 10000, 400, 400, 10},
        {own, sc_Prop::kAmmo, 10000, 10000, 0, 400, 60},
        {other, sc_Prop::kMoney, 10000, 10000, 400, 400, 60},
        {other, sc_Prop::kAmmo, 10000, 10000, 0, 400, 60},
    };
    for (const Case& k : cases) {
        SCOPED_TRACE(k.kind);
        k.who->lHitPoints = k.hitPoints;
        const int32_t score = k.who->lScore;
        sc_Prop* p = Props().pAdd(k.kind, k.who->oPosition);
        ASSERT_NE(p, nullptr);
        EXPECT_TRUE(Props().bPickUp(k.who));
        EXPECT_TRUE(p->bTaken);
        EXPECT_EQ(k.who->lHitPoints, k.hitPointsAfter);
        EXPECT_EQ(k.who->lScore - score, k.scoreGain);
        EXPECT_EQ(g_pForm->lMoney - money, k.moneyGain);
        EXPECT_EQ(g_pForm->pArmedSlots[0].lAmmo, k.ammoAfter);
        EXPECT_EQ(g_pForm->pArmedSlots[2].lAmmo, 10);
        Props().vShow();
        EXPECT_EQ(Props().lGetCount(), 0);
    }

    // Two items underfoot: one a call, the first in list order.
    Props().pAdd(sc_Prop::kMoney, own->oPosition);
    Props().pAdd(sc_Prop::kHealth, own->oPosition);
    EXPECT_TRUE(Props().bPickUp(own));
    EXPECT_TRUE(Props().pGetProp(0)->bTaken);
    EXPECT_FALSE(Props().pGetProp(1)->bTaken);
    EXPECT_TRUE(Props().bPickUp(own));
    EXPECT_FALSE(Props().bPickUp(own));
    EXPECT_FALSE(Props().bPickUp(other));
}

TEST_F(ThingsAndItems, ItemsAreAnnouncedWithFreshIdentitiesAndFollowedElsewhere) {
    plat::SeedRandom(5);
    const int32_t first = Props().pAdd(sc_Prop::kAmmo, sc_Point(100, 100))->lId;
    plat::SeedRandom(5);
    sc_Prop* second = Props().pAdd(sc_Prop::kAmmo, sc_Point(100, 100));
    EXPECT_NE(second->lId, first);
    EXPECT_EQ(second->bNew, 0); // announced at once

    auto receive = [&](const ss_PropRecord& r) {
        sc_ByteWriter w;
        r.vWrite(w);
        ss_PropRecord in;
        if (in.bRead(w.Bytes())) Props().vReceive(in);
    };
    SetHost(false);
    Props().vClear();
    Props().vLoad(&Scene().oMap.oViewPoint);
    ss_PropRecord rec;
    rec.bNew = 1;
    rec.lId = 31337;
    rec.lKind = sc_Prop::kMoney;
    rec.oPos = {1500, 900};
    receive(rec);
    ASSERT_EQ(Props().lGetCount(), 1);
    EXPECT_EQ(Props().pGetProp(0)->lId, 31337);
    EXPECT_EQ(Props().pGetProp(0)->bLoaded, 1);
    // Taken on the authority: taken here, and gone at the next pass.
    rec.bNew = 0;
    rec.bTaken = 1;
    receive(rec);
    Props().vShow();
    EXPECT_EQ(Props().lGetCount(), 0);

    // Here the own character's finds are looked for every frame.
    sc_Character* own = AddCharacter(0, sc_Point(700, 700));
    rec.bNew = 1;
    rec.bTaken = 0;
    rec.oPos = own->oPosition.oPlain();
    const int32_t money = g_pForm->lMoney;
    receive(rec);
    Props().vShow();
    EXPECT_EQ(g_pForm->lMoney, money + 400);
    Props().vShow();
    EXPECT_EQ(Props().lGetCount(), 0);
}

} // namespace
