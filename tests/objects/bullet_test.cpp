// Bullets in flight: the seven paths, the 30 ms step, the speed schedule,
// splits at the map's edge, the removal pass, volleys, hits on things and
// the records a machine without authority follows.
#include <gtest/gtest.h>

#include "engine/sprite/sprite_tree.h"
#include "game/attrib.h"
#include "objects/all_object.h"
#include "platform/byte_reader.h"
#include "platform/random.h"
#include "tests/objects/combat_scene.h"

namespace {

using Shot = krxtest::CombatScene::Shot;

class Bullet : public krxtest::CombatScene {
protected:
    // A rifle bullet (row 26: speed 24, range 700) from `from` toward `to`,
    // leaving from the ground.
    sc_Bullet* Fire(sc_Point from, sc_Point to, int32_t flight, int32_t type = 26) {
        return Bullets().pAdd(0, 0, type, from, to, 0, flight, 0, 0, 0);
    }
    // The bullet's step at the given time.
    void ShowAt(sc_Bullet* b, int32_t at) {
        g_lNowTick = at;
        b->vShow();
    }
};

TEST_F(Bullet, EachFlightKindStepsEvery30Ms) {
    struct Case {
        int32_t flight;
        int32_t travelledAfterTwoSteps;
        bool onTheLine; // stays on y = 1000 with x lagging one step behind
    };
    for (const Case& c : {Case{0, 48, true}, Case{1, 48, true}, Case{5, 48, true}, Case{4, 144, true},
                          Case{2, 48, false}, Case{3, 48, false}, Case{6, 48, false}}) {
        SCOPED_TRACE(c.flight);
        Bullets().oList.vClear();
        sc_Bullet* b = Fire(sc_Point(1000, 1000), sc_Point(1700, 1000), c.flight);
        ASSERT_EQ(b->oTarget.x, 1700);
        const int32_t t0 = g_lNowTick + 1;
        ShowAt(b, t0);
        ShowAt(b, t0 + 30); // not yet later than the next step
        EXPECT_EQ(b->lTravelled, c.travelledAfterTwoSteps / 2);
        ShowAt(b, t0 + 31);
        EXPECT_EQ(b->lTravelled, c.travelledAfterTwoSteps);
        for (int32_t i = 2; i < 8; ++i) ShowAt(b, t0 + 31 * i);
        if (c.onTheLine) {
            EXPECT_EQ(b->oPos.y, 1000);
            EXPECT_EQ(b->oPos.x, 1000 + b->lTravelled - b->lSpeed);
            EXPECT_EQ(b->lDirection, 8);
        } else {
            EXPECT_NE(b->oPos.y, 1000);
        }
        EXPECT_FALSE(b->bStopped || b->bFinished);
    }
}

TEST(BeamSprites, ABeamIsDrawnEvery4UnitsFromItsStartAlongItsPathOnly) {
    EXPECT_EQ(sc_Bullet::lBeamSprites(60, 144, 700), 21); // 60, 64 .. 140
    EXPECT_EQ(sc_Bullet::lBeamSprites(100, 50, 700), 0);
    // A record's travel beyond the path, or beyond any screen, draws no more.
    EXPECT_EQ(sc_Bullet::lBeamSprites(0, 2'000'000'000, 700), 175);
    EXPECT_EQ(sc_Bullet::lBeamSprites(-2'000'000'000, 2'000'000'000, 2'000'000'000), 512);
}

TEST_F(Bullet, TheSpeedFollowsTheScheduleAndTheRangeEndsTheFlight) {
    sc_Bullet* b = Fire(sc_Point(1000, 1000), sc_Point(2000, 1000), 0);
    const int32_t at[5] = {100, 200, 5000, 5000, 5000}, to[5] = {10, 40, 0, 0, 0};
    std::copy(at, at + 5, b->lSpeedAt);
    std::copy(to, to + 5, b->lSpeedTo);
    b->lRange = 1000;
    std::vector<int32_t> speeds;
    for (int32_t i = 1; i <= 14; ++i) {
        ShowAt(b, kStart + 31 * i);
        speeds.push_back(b->lSpeed);
    }
    // 24, 48, 72, 96: the fired speed; 120 is past 100: 10; 210 is past
    // 200: 40.
    EXPECT_EQ(speeds, (std::vector<int32_t>{24, 24, 24, 24, 10, 10, 10, 10, 10, 10, 10, 10, 10, 40}));

    // Reaching the range exactly without a hit finishes at the next step.
    sc_Bullet* c = Fire(sc_Point(1000, 1000), sc_Point(2000, 1000), 0);
    c->lRange = 48;
    ShowAt(c, kStart + 100);
    ShowAt(c, kStart + 131);
    EXPECT_EQ(c->lTravelled, 48);
    EXPECT_FALSE(c->bFinished);
    ShowAt(c, kStart + 162);
    EXPECT_TRUE(c->bFinished);
    EXPECT_FALSE(c->bStopped);
}

TEST_F(Bullet, FiredAtItsOwnStartItFliesToTheLowerRightAndAtTheFarthestPointTowardIt) {
    sc_Bullet* b = Fire(sc_Point(1000, 1000), sc_Point(1000, 1000), 0);
    EXPECT_EQ(b->oTarget.x - 1000, 494); // 700 / sqrt(2), truncated
    EXPECT_EQ(b->oTarget.y - 1000, 494);
    // 2^31 away each way: the squares' sum is past 64 bits.
    b = Fire(sc_Point(0, 0), sc_Point(INT32_MIN, INT32_MIN), 0);
    EXPECT_EQ(b->oTarget.x, -494);
    EXPECT_EQ(b->oTarget.y, -494);
}

TEST_F(Bullet, TheStandardShotSplitsAtTheMapsEdgeAPlainOneDoesNot) {
    const sc_Bullet* row = Scene().oAttrib.pGetBullet(8); // charge 3: 1 to 4 fragments of row 22
    for (int32_t flight : {0, 1}) {
        SCOPED_TRACE(flight);
        Bullets().oList.vClear();
        sc_Bullet* b = Fire(sc_Point(3900, 1000), sc_Point(4600, 1000), flight, 8);
        for (int32_t i = 1; !b->bStopped && i < 20; ++i) ShowAt(b, kStart + 31 * i);
        ASSERT_TRUE(b->bStopped);
        EXPECT_GE(b->oPos.x, 4000);
        const std::vector<Shot> shots = Shots();
        if (flight == 0) {
            EXPECT_EQ(shots.size(), 1u);
            continue;
        }
        ASSERT_GE(shots.size(), 2u);
        EXPECT_LE(shots.size(), size_t(row->lSplitCount) + 2);
        for (size_t i = 1; i < shots.size(); ++i) {
            EXPECT_EQ(shots[i], (Shot{row->lSplitKind, 0, 0}));
            EXPECT_EQ(Bullets().pGetBullet(static_cast<int32_t>(i))->lStartDistance, 50);
            EXPECT_EQ(Bullets().pGetBullet(static_cast<int32_t>(i))->oStart.x, b->oPos.x);
        }
    }
}

TEST_F(Bullet, WallsStopAllButTheHomingKindAndCoverStopsTheUnmarked) {
    sc_MapLocate& grid = Scene().oMap.oSetting.oMapLocate;
    struct Case {
        int32_t cell, passMarked, flight;
        bool stops;
    };
    for (const Case& c : {Case{1, 0, 0, true}, Case{1, 1, 1, true}, Case{1, 0, 2, false}, Case{3, 0, 0, true},
                          Case{3, 1, 0, false}, Case{3, 0, 2, false}, Case{2, 0, 0, false}}) {
        SCOPED_TRACE(testing::Message() << "cell " << c.cell << " marked " << c.passMarked << " flight " << c.flight);
        Bullets().oList.vClear();
        // Two cells thick: a step of 24 would pass over a single one.
        for (int32_t y = 500; y < 1500; y += 8) {
            grid.vSetCell(1304, y, c.cell);
            grid.vSetCell(1320, y, c.cell);
        }
        sc_Bullet* b = Bullets().pAdd(0, 0, 26, sc_Point(1000, 1000), sc_Point(1700, 1000), c.passMarked, c.flight, 0,
                                      0, 0);
        for (int32_t i = 1; !b->bStopped && i < 30; ++i) ShowAt(b, kStart + 31 * i);
        EXPECT_EQ(b->bStopped != 0, c.stops);
        if (c.stops) EXPECT_EQ((b->oPos.x - 1296) >> 5, 0);
        else EXPECT_GT(b->oPos.x, 1400);
    }
}

TEST_F(Bullet, FinishedBulletsGoAndTheNextIsStillSeen) {
    for (int i = 0; i < 4; ++i) Fire(sc_Point(1000 + 10 * i, 1000), sc_Point(1700, 1000), 0);
    Bullets().pGetBullet(1)->bFinished = 1;
    Bullets().pGetBullet(2)->bFinished = 1;
    Bullets().pGetBullet(3)->bStopped = 1;
    g_lNowTick += 100;
    Bullets().vMove();
    ASSERT_EQ(Bullets().lGetCount(), 2);
    EXPECT_EQ(Bullets().pGetBullet(0)->oStart.x, 1000);
    EXPECT_EQ(Bullets().pGetBullet(1)->oStart.x, 1030);
    // Both survivors were stepped in the same pass.
    EXPECT_EQ(Bullets().pGetBullet(0)->lTravelled, 24);
}

TEST_F(Bullet, VolleysFireTheirCountsInRandomDirections) {
    Bullets().vFire(0, 0, 1, sc_Point(1000, 1000), sc_Point(1100, 1000), 1, 1);
    EXPECT_EQ(Bullets().lGetCount(), 0); // only a draw of 32767 would give one
    Bullets().vFireEx(0, 0, 1, sc_Point(1000, 1000), sc_Point(1100, 1000), 1, 0);
    EXPECT_EQ(Shots(), (std::vector<Shot>{{1, 0, 0}}));
    for (int i = 0; i < 20; ++i) Bullets().vFire(3, 5, 2, sc_Point(1000, 1000), sc_Point(1100, 1000), 0, 3);
    EXPECT_GT(Bullets().lGetCount(), 20);
    EXPECT_LE(Bullets().lGetCount(), 61);
    for (int32_t i = 1; i < Bullets().lGetCount(); ++i) {
        const sc_Bullet* b = Bullets().pGetBullet(i);
        EXPECT_EQ(b->lFlight, 6);
        EXPECT_EQ(b->lStartDistance, 20);
        EXPECT_EQ(b->lOwnerKind, 3);
    }
}

TEST_F(Bullet, IdentitiesAreNotSharedByLiveBullets) {
    plat::SeedRandom(7);
    const int32_t first = Fire(sc_Point(1000, 1000), sc_Point(1700, 1000), 0)->lNetId;
    plat::SeedRandom(7);
    const int32_t second = Fire(sc_Point(1000, 1000), sc_Point(1700, 1000), 0)->lNetId;
    EXPECT_NE(first, second);
}

TEST_F(Bullet, AMachineWithoutAuthorityFollowsTheRecords) {
    // As the record buffer hands it on: read from its bytes first.
    auto receive = [&](const ss_BulletRecord& r) {
        sc_ByteWriter w;
        r.vWrite(w);
        ss_BulletRecord in;
        if (in.bRead(w.Bytes())) Bullets().vReceive(in);
    };
    ss_BulletRecord rec;
    rec.bNew = 1;
    rec.lNetId = 4242;
    rec.oStart = {1000, 1000};
    rec.oTarget = {1700, 1000};
    rec.oPos = {1100, 1000};
    rec.bActive = 1;
    rec.lTravelled = 100;
    rec.lId = 26;
    rec.lFlight = 1;
    rec.lDirection = 8;

    receive(rec);
    EXPECT_EQ(Bullets().lGetCount(), 0); // the authority flies its own

    SetHost(false);
    receive(rec);
    ASSERT_EQ(Bullets().lGetCount(), 1);
    sc_Bullet* b = Bullets().pGetBullet(0);
    EXPECT_EQ(b->lNetId, 4242);
    EXPECT_EQ(b->oPos.x, 1100);
    EXPECT_EQ(b->lFlight, 1);
    // Not flown here: only records move it.
    g_lNowTick += 500;
    Bullets().vMove();
    EXPECT_EQ(b->oPos.x, 1100);

    // A new direction re-picks the picture of the bullet's own image, even
    // when the record names another type.
    rec.bNew = 0;
    rec.lDirection = 5;
    rec.lId = 27;
    receive(rec);
    EXPECT_EQ(b->pFlyDir, Bullets().pBulletObject->pGetStatusAt(b->lImage)->pGetDirAt(5));
    EXPECT_EQ(b->lImage, 26);

    // Out-of-range pictures and unknown identities change nothing.
    rec.lDirection = 40;
    receive(rec);
    EXPECT_EQ(b->lDirection, 5);
    rec.lDirection = 6;
    rec.lNetId = 1;
    receive(rec);
    EXPECT_EQ(b->lDirection, 5);
    rec.lNetId = 4242;
    rec.bFinished = 1;
    receive(rec);
    Bullets().vMove();
    EXPECT_EQ(Bullets().lGetCount(), 0);
}

} // namespace
