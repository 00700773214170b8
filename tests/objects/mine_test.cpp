// Mines: their records, the search and fire of an armed mine, what a touch
// does to an enemy by the mine's kind, and the removal after the break.
#include <gtest/gtest.h>

#include "game/geometry.h"
#include "objects/all_object.h"
#include "platform/byte_reader.h"
#include "tests/objects/fighter_scene.h"
#include "tests/support/reader_checks.h"

namespace {

using krxtest::FighterScene;

template <class R> std::vector<uint8_t> Bytes(const R& r) {
    sc_ByteWriter w;
    r.vWrite(w);
    return w.Bytes();
}

TEST(MineRecords, StateAndRequestInOrderAndNoKindBeyondThePack) {
    ss_MineRecord m;
    m.bNew = 1;
    m.lNetId = 0x01020304;
    m.lKind = 3;
    m.oPos = {1000, -2};
    m.bArmed = 1;
    m.lFacing = 7;
    const std::vector<uint8_t> state = {7, 0, 0, 0, 40, 0, 0,    0, 1, 0, 0,    0,    4,    3,
                                        2, 1, 3, 0, 0,  0, 0xE8, 3, 0, 0, 0xFE, 0xFF, 0xFF, 0xFF,
                                        1, 0, 0, 0, 0,  0, 0,    0, 7, 0, 0,    0};
    EXPECT_EQ(Bytes(m), state);
    ss_MineRequest q;
    q.lKind = 7;
    q.oPos = {300, 400};
    const std::vector<uint8_t> request = {8,    0, 0, 0, 24,   0, 0, 0, 7, 0, 0, 0,
                                          0x2C, 1, 0, 0, 0x90, 1, 0, 0, 0, 0, 0, 0};
    EXPECT_EQ(Bytes(q), request);
    ss_MineRecord m2;
    ss_MineRequest q2;
    ASSERT_TRUE(m2.bRead(state));
    ASSERT_TRUE(q2.bRead(request));
    EXPECT_EQ(Bytes(m2), state);
    EXPECT_EQ(Bytes(q2), request);
    krxtest::ExpectEveryPrefixRefused(state,
                                      [](std::span<const uint8_t> b) { return ss_MineRecord().bRead(b); });
    krxtest::ExpectEveryPrefixRefused(request,
                                      [](std::span<const uint8_t> b) { return ss_MineRequest().bRead(b); });
    for (uint8_t kind : {uint8_t{8}, uint8_t{0xFF}}) {
        std::vector<uint8_t> bad = state, badRequest = request;
        bad[16] = badRequest[8] = kind;
        if (kind == 0xFF)
            bad[17] = bad[18] = bad[19] = badRequest[9] = badRequest[10] = badRequest[11] = 0xFF;
        EXPECT_FALSE(ss_MineRecord().bRead(bad));
        EXPECT_FALSE(ss_MineRequest().bRead(badRequest));
    }
}

class MineBehaviour : public FighterScene {};

TEST_F(MineBehaviour, AnArmedMineFiresEveryHalfSecondAtTheNearestAwakeEnemy) {
    sc_Mine* armed = Mines().pAdd(4, sc_Point(2000, 2000), 1);
    sc_Mine* unarmed = Mines().pAdd(0, sc_Point(2000, 2400), 0);
    ASSERT_TRUE(armed && unarmed);
    sc_Enemy* sleeping = AddEnemy(0, sc_Point(2200, 2000));
    sc_Enemy* awake = AddEnemy(0, sc_Point(2000, 2900));
    // An enemy wakes at its first look round: this one never steps.
    sleeping->lNextStep = kStart + 100'000;
    awake->oStep.oSet(0, 0);
    for (int i = 0; i < 40; ++i) // two seconds
        PlayFrame(50);
    const std::vector<const sc_Bullet*> shots = BulletsOf(sc_Mine::kBulletType);
    EXPECT_GE(shots.size(), 4u);
    EXPECT_LE(shots.size(), 5u);
    // From 20 above the mine toward the awake one.
    for (const sc_Bullet* b : shots) {
        EXPECT_EQ(b->lOwnerKind, 0);
        EXPECT_EQ(b->oStart.oPlain(), (ss_PlainPoint{2000, 1980}));
        EXPECT_EQ(b->lDirection, l_GetDirection32(2000, 1980, awake->oPos.x, awake->oPos.y));
    }
    EXPECT_EQ(armed->lState, sc_Mine::kFiring);
    EXPECT_EQ(armed->lFacing, 4); // down toward it
    awake->bAwake = 0;
    awake->lNextStep = kStart + 100'000;
    const size_t before = BulletsOf(sc_Mine::kBulletType).size();
    for (int i = 0; i < 20; ++i)
        PlayFrame(50);
    EXPECT_EQ(BulletsOf(sc_Mine::kBulletType).size(), before);
    EXPECT_EQ(armed->lState, sc_Mine::kIdle);
}

TEST_F(MineBehaviour, ATouchBreaksTheMineOnceAndActsOnTheEnemyByKind) {
    struct Case {
        int32_t kind, hitPoints, noFire;
        sc_Point step, sight;
    };
    const sc_Enemy& row = *Scene().oAttrib.pGetEnemy(0);
    const Case cases[] = {
        {0, row.lHitPoints - 400, 0, row.oStep, row.oSightBox}, // again at the second test
        {1, row.lHitPoints, 1, row.oStep, row.oSightBox},
        {2, row.lHitPoints, 0, sc_Point(row.oStep.x / 4, row.oStep.y / 4), row.oSightBox},
        {3, row.lHitPoints, 0, row.oStep, sc_Point(0, 0)},
        {7, row.lHitPoints, 0, row.oStep, row.oSightBox},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.kind);
        Mines().vClear();
        Mines().vLoad(&Scene().oMap.oViewPoint);
        sc_Mine* mine = Mines().pAdd(c.kind, sc_Point(1000, 1000), 0);
        sc_Enemy* e = AddEnemy(0, sc_Point(1000, 1004)); // a corner inside the mine's outline
        const int32_t deaths = Scene().oAllObject.oAllDeath.lGetCount();
        EXPECT_TRUE(Mines().bHitEnemy(e));
        EXPECT_TRUE(Mines().bHitEnemy(e));
        EXPECT_EQ(mine->bDestroyed, 1);
        EXPECT_EQ(Scene().oAllObject.oAllDeath.lGetCount(), deaths + 1);
        EXPECT_EQ(e->lHitPoints, c.hitPoints);
        EXPECT_EQ(e->bNoFire, c.noFire);
        EXPECT_EQ(e->oStep.oPlain(), c.step.oPlain());
        EXPECT_EQ(e->oSightBox.oPlain(), c.sight.oPlain());
        e->oPos.oOffset(400, 0);
        EXPECT_FALSE(Mines().bHitEnemy(e));
    }
}

TEST_F(MineBehaviour, AnEnemyWalkingOntoABlastMineLosesAtEveryBlockedStepUntilTheMineIsGone) {
    Mines().pAdd(0, sc_Point(1500, 1500), 0);
    // A step down and right, then the probe one cell ahead, bring it just
    // below the mine's middle.
    sc_Enemy* e = AddEnemy(0, sc_Point(1476, 1491));
    e->lHitPoints = 10'000;
    e->lFacing = 3;
    e->lNextStep = kStart + 100'000; // it does not wander off meanwhile
    int32_t losses = 0;
    for (int i = 0; i < 100 && Mines().lGetCount() > 0; ++i) {
        const int32_t before = e->lHitPoints;
        e->vMove(3);
        EXPECT_EQ(e->oPos.oPlain(), (ss_PlainPoint{1476, 1491})); // taken back
        losses += before - e->lHitPoints == 200;
        PlayFrame(50);
    }
    EXPECT_EQ(Mines().lGetCount(), 0);
    EXPECT_GE(losses, 2);
    const int32_t left = e->lHitPoints;
    e->vMove(3);
    EXPECT_EQ(e->lHitPoints, left); // the mine is gone
}

} // namespace
