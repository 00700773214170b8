// Enemies: the record they send, the mission record of a key outside the
// table, the hits that hurt and reward, the drops, the nearest for mines and
// homing shots, the wander box, and the chase, attack, death and removal;
// the standard gun fired at the middle of what the screen draws of a standing
// character, enemy or thing hits it, close by or near the gun's range,
// whichever way it is fired.
#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <numbers>

#include "engine/device/dir_key.h"
#include "game/geometry.h"
#include "interface/form.h"
#include "objects/all_object.h"
#include "platform/byte_reader.h"
#include "platform/random.h"
#include "tests/objects/fighter_scene.h"
#include "tests/support/reader_checks.h"

namespace {

using krxtest::FighterScene;

constexpr int32_t kRifleman = 0, kTank = 1, kTurret = 4;

std::vector<uint8_t> Bytes(const ss_EnemyRecord& r) {
    sc_ByteWriter w;
    r.vWrite(w);
    return w.Bytes();
}

TEST(EnemyRecord, FortyEightBytesInOrderAndNothingAnEnemyCannotBe) {
    ss_EnemyRecord r;
    r.lNetId = 0x0102;
    r.oPos = {1200, -3};
    r.bLoaded = 1;
    r.lFacing = 5;
    r.lStatus = 2;
    r.bOnKind3Cell = 1;
    r.bTarget = 1;
    r.bAwake = 1;
    r.lHitPoints = -40;
    const std::vector<uint8_t> golden = {9,    0,    0, 0, 48,   0,    0,    0,    0x02, 0x01, 0,    0,
                                         0xB0, 0x04, 0, 0, 0xFD, 0xFF, 0xFF, 0xFF, 1,    0,    0,    0,
                                         5,    0,    0, 0, 2,    0,    0,    0,    1,    0,    0,    0,
                                         1,    0,    0, 0, 1,    0,    0,    0,    0xD8, 0xFF, 0xFF, 0xFF};
    EXPECT_EQ(Bytes(r), golden);
    ss_EnemyRecord back;
    ASSERT_TRUE(back.bRead(golden));
    EXPECT_EQ(Bytes(back), golden);
    krxtest::ExpectEveryPrefixRefused(golden,
                                      [](std::span<const uint8_t> b) { return ss_EnemyRecord().bRead(b); });
    // A status or facing no enemy has, or another kind, is refused whole.
    for (auto [offset, value] : {std::pair{28, 3}, {28, -1}, {24, 8}, {24, -1}, {0, 7}, {4, 40}}) {
        std::vector<uint8_t> bad = golden;
        bad[static_cast<size_t>(offset)] = static_cast<uint8_t>(value);
        if (value < 0)
            bad[static_cast<size_t>(offset) + 1] = bad[static_cast<size_t>(offset) + 2] =
                bad[static_cast<size_t>(offset) + 3] = 0xFF;
        krxtest::TraceCapture trace;
        EXPECT_FALSE(ss_EnemyRecord().bRead(bad)) << offset << " " << value;
        EXPECT_EQ(trace.Lines().size(), 1u);
    }
}

class EnemyBehaviour : public FighterScene {
protected:
    // A bullet fired by character 0 touching the enemy.
    sc_Bullet Shot(const sc_Enemy& e, int32_t attack, int32_t ownerKind = 0) {
        sc_Bullet b;
        b.lAttack = attack;
        b.lOwnerKind = ownerKind;
        b.lOwnerId = 0;
        b.pFlyDir = &m_foot;
        b.oPos = e.oPos;
        return b;
    }
    // Seeds the generator so that the next r(n) draw gives `roll`.
    static void NextRoll(int32_t n, int32_t roll) {
        for (uint32_t seed = 1;; ++seed) {
            plat::SeedRandom(seed);
            if (plat::RandScaled(n) == roll) {
                plat::SeedRandom(seed);
                return;
            }
        }
    }
};

TEST_F(EnemyBehaviour, AKeyOutsideTheTableIsReadPastAndNeverLoads) {
    sc_AllEnemy written;
    for (int32_t key : {100, kTank, -1}) {
        sc_Enemy* e = written.pAdd();
        e->lId = key;
        e->oPos.oSet(500 + key, 700);
    }
    sc_ByteWriter w;
    written.vSave(w);
    sc_ByteReader in(w.Bytes().data(), w.Size());
    ASSERT_TRUE(Enemies().bLoad(in));
    EXPECT_TRUE(in.AtEnd());
    Enemies().vLoadImage();
    ASSERT_EQ(Enemies().lGetCount(), 3);
    const std::array<int32_t, 3> loaded = {Enemies().pGetEnemy(0)->bLoaded, Enemies().pGetEnemy(1)->bLoaded,
                                           Enemies().pGetEnemy(2)->bLoaded};
    EXPECT_EQ(loaded, (std::array<int32_t, 3>{0, 1, 0}));
    const sc_Enemy& tank = *Enemies().pGetEnemy(1);
    EXPECT_EQ(tank.oPos.oPlain(), (ss_PlainPoint{501, 700}));
    EXPECT_EQ(tank.lHitPoints, Scene().oAttrib.pGetEnemy(kTank)->lHitPoints);
    // A record saying it is loaded does not make pictures appear.
    ss_EnemyRecord r = Enemies().pGetEnemy(0)->oRecord();
    r.bLoaded = 1;
    Enemies().pGetEnemy(0)->vUnpack(r);
    EXPECT_EQ(Enemies().pGetEnemy(0)->bLoaded, 0);
    Enemies().vUpdate(); // an unloaded enemy is skipped, not drawn from nothing
}

TEST_F(EnemyBehaviour, OnlyTheHitThatTakesItToZeroRewardsAndEnemyFireNeverHurts) {
    sc_Character* firer = AddCharacter(0, sc_Point(100, 100));
    sc_Enemy* e = AddEnemy(kRifleman, sc_Point(1000, 1000));
    e->lHitPoints = 100;
    e->lReward = 75;
    sc_Bullet own = Shot(*e, 60, 3);
    EXPECT_FALSE(Enemies().bBulletHitTest(&own));
    EXPECT_EQ(e->lHitPoints, 100);
    struct Step {
        int32_t hitPoints, score;
    };
    const int32_t before = Bullets().lGetCount();
    for (Step expect :
         {Step{40, 0}, Step{-20, 75}, Step{-80, 75}, Step{-140, 75}, Step{-200, 75}, Step{-260, 75}}) {
        sc_Bullet b = Shot(*e, 60);
        EXPECT_TRUE(Enemies().bBulletHitTest(&b));
        EXPECT_EQ(e->lHitPoints, expect.hitPoints);
        EXPECT_EQ(firer->lScore, expect.score);
    }
    EXPECT_GT(Bullets().lGetCount(), before); // the hits' sparks
    sc_Bullet wide = Shot(*e, 60);
    wide.oPos.oOffset(300, 0);
    EXPECT_FALSE(Enemies().bBulletHitTest(&wide));
}

TEST_F(EnemyBehaviour, TheDropIsTheFirstThresholdNotBelowTheRoll) {
    sc_Enemy e;
    EXPECT_EQ(e.lGetDropKind(), -1); // the constructed table drops nothing
    const int32_t at[5] = {30, 60, 100, 0, 0}, kind[5] = {5, 6, 7, -1, -1};
    std::copy(at, at + 5, e.lDropAt);
    std::copy(kind, kind + 5, e.lDropKind);
    for (auto [roll, expect] : {std::pair{0, 5}, {30, 5}, {31, 6}, {60, 6}, {61, 7}, {100, 7}}) {
        NextRoll(100, roll);
        EXPECT_EQ(e.lGetDropKind(), expect) << roll;
    }
}

TEST_F(EnemyBehaviour, TheNearestAwakeEnemyWithinTheRadiusEarlierOnATie) {
    const sc_Point mine(2000, 2000);
    sc_Enemy* asleep = AddEnemy(kRifleman, sc_Point(2100, 2000));
    sc_Enemy* first = AddEnemy(kRifleman, sc_Point(2000, 2600));
    sc_Enemy* tie = AddEnemy(kRifleman, sc_Point(2000, 1400));
    sc_Enemy* edge = AddEnemy(kRifleman, sc_Point(3000, 2000));
    asleep->bAwake = 0;
    first->bAwake = tie->bAwake = edge->bAwake = 1;
    EXPECT_EQ(Enemies().pFindNearest(mine, 1000), &first->oPos);
    first->bAwake = 0;
    EXPECT_EQ(Enemies().pFindNearest(mine, 1000), &tie->oPos);
    tie->bAwake = 0;
    EXPECT_EQ(Enemies().pFindNearest(mine, 1000), nullptr); // 1000 away is not within 1000
    EXPECT_EQ(Enemies().pFindNearest(mine, 1001), &edge->oPos);
}

TEST_F(EnemyBehaviour, AHomingShotThatHitsNothingTurnsToTheEnemyNearestItsStart) {
    AddEnemy(kRifleman, sc_Point(1800, 1000));
    AddEnemy(kRifleman, sc_Point(1000, 1900));
    for (auto [flight, start, target] :
         {std::tuple{2, sc_Point(1000, 1000), sc_Point(1800, 1000)},
          {0, sc_Point(1000, 1000), sc_Point(5, 5)},
          {2, sc_Point(3000, 3000), sc_Point(5, 5)}}) { // every enemy beyond 1131 of the start
        sc_Bullet b;
        b.lFlight = flight;
        b.oStart = start;
        b.oTarget.oSet(5, 5);
        b.pFlyDir = &m_foot;
        b.oPos.oSet(100, 100);
        EXPECT_FALSE(Enemies().bBulletHitTest(&b));
        EXPECT_EQ(b.oTarget.oPlain(), target.oPlain()) << flight;
    }
}

TEST_F(EnemyBehaviour, AWanderBoxSmallerThanTheProbeKeepsItInPlace) {
    sc_Enemy* e = AddEnemy(kRifleman, sc_Point(1500, 1500));
    e->oWanderBox.oSet(20, 10);
    e->vSetStatus(0);
    for (int32_t d = 0; d < 8; ++d) {
        e->lFacing = d;
        e->lNextTurn = 99'999'999;
        e->vMove(d);
        EXPECT_EQ(e->oPos.oPlain(), (ss_PlainPoint{1500, 1500})) << d;
        EXPECT_EQ(e->lNextTurn, 0);
    }
}

TEST_F(EnemyBehaviour, ACharacterInSightIsChasedAttackedAndShotAtHeadHeight) {
    sc_Character* c = AddCharacter(0, sc_Point(1000, 1500));
    sc_Enemy* e = AddEnemy(kRifleman, sc_Point(2200, 1500));
    const sc_Enemy& row = *Scene().oAttrib.pGetEnemy(kRifleman);
    ASSERT_GT(2200 - 1000, row.oSightBox.x / 2); // out of sight
    for (int i = 0; i < 40; ++i)
        PlayFrame(50);
    EXPECT_EQ(e->lStatus, 0);
    EXPECT_EQ(e->bAwake, 1); // it has looked
    EXPECT_TRUE(BulletsOf(row.lBulletKind).empty());
    // In sight, beyond the attack box: it chases.
    c->oPosition.oSet(e->oPos.x - row.oSightBox.x / 2 + 40, e->oPos.y);
    for (int i = 0; i < 100 && e->lStatus == 0; ++i)
        PlayFrame(50);
    EXPECT_EQ(e->lStatus, 1);
    // Within the attack box it attacks, standing still for the count.
    e->oStep.oSet(0, 0);
    c->oPosition.oSet(e->oPos.x - row.oAttackBox.x / 4, e->oPos.y + 20);
    for (int i = 0; i < 200 && BulletsOf(row.lBulletKind).empty(); ++i)
        PlayFrame(50);
    EXPECT_EQ(e->lStatus, 2);
    const std::vector<const sc_Bullet*> shots = BulletsOf(row.lBulletKind);
    ASSERT_FALSE(shots.empty());
    EXPECT_EQ(shots[0]->lOwnerKind, 3);
    EXPECT_EQ(shots[0]->lOwnerId, e->lNetId);
    const sc_Point start(e->oPos.x, e->oPos.y - row.lShotHeight);
    EXPECT_EQ(shots[0]->lDirection, l_GetDirection32(start.x, start.y, c->oPosition.x, c->oPosition.y - 30));

    // Its target's remains done: it fires no more and wanders again.
    c->bRemainsDone = 1;
    const size_t fired = BulletsOf(row.lBulletKind).size();
    e->lNextFire = 0;
    PlayFrame(50);
    EXPECT_EQ(e->lStatus, 0);
    EXPECT_EQ(e->pTarget, nullptr);
    EXPECT_EQ(BulletsOf(row.lBulletKind).size(), fired);
}

TEST_F(EnemyBehaviour, AStationaryTurretTurnsAndFiresWithoutMoving) {
    AddCharacter(0, sc_Point(1300, 1400));
    sc_Enemy* e = AddEnemy(kTurret, sc_Point(1400, 1400));
    const sc_Point at = e->oPos;
    for (int i = 0; i < 200; ++i)
        PlayFrame(50);
    EXPECT_EQ(e->oPos.oPlain(), at.oPlain());
    EXPECT_EQ(e->lStatus, 2);
    EXPECT_EQ(e->lFacing, 6); // toward the character on its left
    EXPECT_FALSE(BulletsOf(Scene().oAttrib.pGetEnemy(kTurret)->lBulletKind).empty());
}

TEST_F(EnemyBehaviour, ADeadEnemyBurstsDropsCountsAndLeavesTheList) {
    AddCharacter(0, sc_Point(100, 100));
    sc_Enemy* e = AddEnemy(kTank, sc_Point(1500, 1500));
    AddEnemy(kRifleman, sc_Point(500, 2500));
    e->lDropAt[0] = 100;
    e->lDropKind[0] = 2;
    const int32_t kills = g_pForm->lKills;
    sc_Point target = e->oPos;
    g_pForm->vSetTarget(&e->oPos);
    e->lHitPoints = 0;
    // A dying enemy stands still and fires no more.
    e->lStatus = 2;
    const int32_t deaths = Scene().oAllObject.oAllDeath.lGetCount();
    int frames = 0;
    while (Enemies().lGetCount() == 2 && frames < 200) {
        EXPECT_EQ(e->oPos.oPlain(), target.oPlain());
        PlayFrame(20);
        ++frames;
    }
    ASSERT_EQ(Enemies().lGetCount(), 1);
    EXPECT_GT(frames, 2); // the death effect played first
    EXPECT_EQ(Scene().oAllObject.oAllDeath.lGetCount(), deaths + 1);
    EXPECT_EQ(g_pForm->lKills, kills + 1);
    EXPECT_EQ(g_pForm->pTarget, nullptr);
    const int32_t burst = static_cast<int32_t>(BulletsOf(21).size());
    EXPECT_GE(burst, 1);
    EXPECT_LE(burst, Scene().oAttrib.pGetEnemy(kTank)->lBurst + 1);
    ASSERT_EQ(Props().lGetCount(), 1);
    EXPECT_EQ(Props().pGetProp(0)->lKind, 2);
}

TEST_F(FighterScene, TheStandardGunHitsTheMiddleOfWhatIsDrawnNineTimesInTenFromCloseToItsRange) {
    Scene().oForm.pItemCards[0].lId = 0; // the rifle, bullet 26
    Scene().oForm.lItem = 0;
    const sc_Point from(2000, 1500);
    sc_Character* firer = AddCharacter(1, from);
    constexpr int32_t kWays = 32;
    // Characters of the first and the tallest model, a rifleman, a barrel and
    // a signal tower.
    for (const int32_t target : {0, 4, 10, 20, 97})
        for (const int32_t distance : {50, 150, Scene().oAttrib.pGetBullet(26)->lRange - 60}) {
            SCOPED_TRACE(testing::Message() << "target " << target << " from " << distance);
            int32_t hits = 0;
            for (int32_t way = 0; way < kWays; ++way) {
                const double a = 2 * std::numbers::pi * way / kWays;
                const sc_Point at(from.x + static_cast<int32_t>(std::lround(distance * std::sin(a))),
                                  from.y - static_cast<int32_t>(std::lround(distance * std::cos(a))));
                sc_Character* c = target < 10 ? AddCharacter(2, at) : nullptr;
                sc_Enemy* e = target == 10 ? AddEnemy(0, at) : nullptr;
                sc_Thing* t = target >= 20 ? AddThing(target == 20 ? 1 : target, at) : nullptr;
                if (c) c->vLoadImage("CHAR\\CHAR.STR", "CHAR\\CHAR.IMG", 2 * target);
                if (c) c->vSetFacing((way / 2 + 8) % 16); // facing the firer
                if (e) e->vSetDirection((way / 4 + 4) % 8);
                if (t) t->bNear = 1;
                const sc_GameDir* dir = c ? c->pDir : e ? e->pGetDir() : t->pImage;
                const auto life = [&] { return c ? c->lHitPoints : e ? e->lHitPoints : t->lLife; };
                const int32_t before = life();
                const sc_GameImgWithShadow* f = dir->pGetFrameAt(0);
                firer->oGun.oAim.oSet(at.x - 400 + f->oGetOffset().x + f->lGetWidth() / 2,
                                      at.y - 300 + f->oGetOffset().y + f->lGetHeight() / 2);
                firer->oGun.vMakeMainBullets();
                for (int32_t step = 0; step < 60 && Bullets().lGetCount() > 0; ++step) {
                    Frame(31);
                    Bullets().vMove();
                }
                hits += life() < before;
                while (Bullets().lGetCount() > 0)
                    Bullets().oList.vDelete(0);
                if (c) Scene().oAllObject.oAllCharacter.oList.vDelete(1);
                if (e) Enemies().oList.vDelete(0);
                if (t) Things().oList.vDelete(0);
            }
            EXPECT_GE(hits * 10, kWays * 9) << hits << " of " << kWays;
        }
}

} // namespace
