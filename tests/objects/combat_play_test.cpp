// The fighting in a generated mission, run headless through the whole
// program with the mouse and the keys: a barrel shot to pieces, its money
// picked up, a crate pushed, health and ammunition found.
#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <vector>

#include "engine/device/frame_time.h"
#include "game/work.h"
#include "platform/input.h"
#include "tests/support/mission_play.h"

namespace {

using plat::HeadlessBackend;

sc_Scene& TheScene() { return g_pWork->oScene; }
sc_Character& Own() { return *TheScene().oAllObject.oAllCharacter.pGetControlled(); }
sc_AllThing& Things() { return TheScene().oMap.oSetting.oAllThing; }
sc_AllBullet& Bullets() { return TheScene().oAllObject.oAllBullet; }
sc_AllProp& Items() { return TheScene().oAllObject.oAllProp; }

// The mission starts on pass 8 and plays from pass 9; a pass is 16 ms.
constexpr uint64_t kPlay = 9;

// The thing of a table row nearest the first start; null when none.
sc_Thing* NearStart(int32_t row) {
    const sc_Point s = TheScene().oMap.oSetting.oStartPoint[0];
    sc_Thing* best = nullptr;
    int64_t bestD = INT64_MAX;
    for (int32_t i = 0; i < Things().lGetCount(); ++i) {
        sc_Thing* t = Things().pGetThing(i);
        const int64_t dx = t->oPos.x - s.x, dy = t->oPos.y - s.y, d = dx * dx + dy * dy;
        if (t->lId == row && d < bestD) {
            best = t;
            bestD = d;
        }
    }
    return best;
}

class CombatPlay : public krxtest::MissionPlay {
protected:
    // The mouse on a map point, as the last frame's view shows it.
    static void Aim(sc_Scene& s, HeadlessBackend& b, sc_Point at) {
        b.MoveMouse(at.x - s.oMap.oViewPoint.x, at.y - s.oMap.oViewPoint.y);
    }

};

TEST_F(CombatPlay, ABarrelShotToPiecesSoundsLeavesRemainsAndMoneyThatIsPickedUp) {
    sc_Thing* barrel = nullptr;
    sc_Point at, aim;
    int32_t life = 0, attack = 0, deaths = 0;
    At(kPlay, [&](sc_Scene& s, HeadlessBackend&) {
        barrel = NearStart(1);
        ASSERT_NE(barrel, nullptr);
        at = barrel->oPos;
        life = barrel->lLife;
        // The rifle (item card 0) from 150 pixels to the left, aimed at the
        // middle of the barrel's picture.
        const sc_GameImgWithShadow* f = barrel->pImage->pGetFrameAt(0);
        aim.oSet(at.x - 400 + f->oGetOffset().x + f->lGetWidth() / 2,
                 at.y - 300 + f->oGetOffset().y + f->lGetHeight() / 2);
        s.oForm.pItemCards[0].lId = 0;
        s.oForm.lItem = 0;
        // The panel's order list folded away: open, it covers the right edge
        // where the barrel comes to lie, and the gun holds fire over it.
        s.oInterFaceOperator.bListClosed = 1;
        s.oInterFaceOperator.lListProgress = 100;
        Own().oPosition.oSet(at.x - 150, at.y);
        deaths = s.oAllObject.oAllDeath.oList.lGetCount();
    });
    // The mouse kept on the barrel while the view settles; three shots,
    // each after the 200 ms cool-down.
    Each(kPlay + 1, kPlay + 130, [&](sc_Scene& s, HeadlessBackend& b) { Aim(s, b, aim); });
    for (uint64_t p : {kPlay + 40, kPlay + 80, kPlay + 120})
        At(p, [&](sc_Scene&, HeadlessBackend& b) { b.Click(plat::kMouseLeft); });
    // The first bullet: its travel and the time of each step.
    std::vector<std::pair<int32_t, int32_t>> flight;
    int32_t lifeAfterFirst = 0;
    Each(kPlay + 41, kPlay + 76, [&](sc_Scene&, HeadlessBackend&) {
        if (Bullets().lGetCount() == 0) return;
        const sc_Bullet* b = Bullets().pGetBullet(0);
        if (b->lId != 26) return;
        if (flight.empty() || flight.back().second != b->lTravelled) flight.emplace_back(g_lNowTick, b->lTravelled);
        if (b->bStopped && !lifeAfterFirst) lifeAfterFirst = barrel->lLife;
    });
    bool heard = false, remains = false;
    Each(kPlay + 121, kPlay + 200, [&](sc_Scene& s, HeadlessBackend&) {
        heard |= s.oSound.bIsListed("WAV\\BIGBOOM.WAV");
        remains |= s.oAllObject.oAllDeath.oList.lGetCount() > deaths;
    });
    // Then from level with it to the right, onto what it left.
    std::vector<sc_Point> track;
    std::vector<int32_t> money;
    At(kPlay + 200, [&](sc_Scene&, HeadlessBackend& b) {
        Own().oPosition.oSet(at.x - 150, at.y);
        b.KeyDown(plat::key::Right);
    });
    Each(kPlay + 200, kPlay + 300, [&](sc_Scene& s, HeadlessBackend&) {
        track.push_back(Own().oPosition);
        money.push_back(s.oForm.lMoney);
    });
    int32_t items = -1, itemKind = -1;
    sc_Point itemAt;
    At(kPlay + 199, [&](sc_Scene&, HeadlessBackend&) {
        items = Items().lGetCount();
        if (items == 1) {
            itemKind = Items().pGetProp(0)->lKind;
            itemAt = Items().pGetProp(0)->oPos;
        }
        attack = TheScene().oAttrib.pGetBullet(26)->lAttack;
    });
    Run(kPlay + 301);

    // Bullet 26 moves its speed every 30 ms, no oftener.
    ASSERT_GE(flight.size(), 3u);
    for (size_t i = 1; i < flight.size(); ++i) {
        EXPECT_GT(flight[i].first - flight[i - 1].first, 30) << i;
        EXPECT_EQ(flight[i].second - flight[i - 1].second, 24) << i;
    }
    EXPECT_EQ(lifeAfterFirst, life - attack);
    EXPECT_TRUE(heard);
    EXPECT_TRUE(remains);
    // The barrel is gone and its money lies where it stood.
    for (int32_t i = 0; i < Things().lGetCount(); ++i) EXPECT_FALSE(Things().pGetThing(i)->oPos == at);
    ASSERT_EQ(items, 1);
    EXPECT_EQ(itemKind, sc_Prop::kMoney);
    EXPECT_EQ(itemAt.oPlain(), at.oPlain());
    // Stepping onto it pays 400 and takes that step back.
    size_t paid = 0;
    for (size_t i = 1; i < money.size() && !paid; ++i)
        if (money[i] != money[i - 1]) paid = i;
    ASSERT_GT(paid, 0u);
    EXPECT_EQ(money[paid] - money[paid - 1], 400);
    EXPECT_EQ(track[paid].oPlain(), track[paid - 1].oPlain());
    EXPECT_EQ(Items().lGetCount(), 0);
    EXPECT_GT(track.back().x, track[paid].x) << "walks on afterwards";
}

TEST_F(CombatPlay, TheMouseFiresAfterTheCoolDownAndAHeldButtonChargesAShot) {
    // The five-way spread (item card 11): 200 ms between shots above 100
    // weapon energy, then 2000 ms at 100.
    At(kPlay, [](sc_Scene& s, HeadlessBackend& b) {
        s.oForm.pItemCards[11].lId = 11;
        s.oForm.lItem = 11;
        b.MoveMouse(600, 150);
    });
    At(kPlay + 40, [](sc_Scene&, HeadlessBackend&) { Own().lEnergy = Own().lMaxEnergy = 100; });
    std::vector<int32_t> made; // bullets of the spread made by each click
    int32_t before = 0;
    const auto spread = [] {
        int32_t n = 0;
        for (int32_t i = 0; i < Bullets().lGetCount(); ++i)
            n += Bullets().pGetBullet(i)->lId == 26;
        return n;
    };
    // 160 and 224 ms after the first click; then 960 and 2080 ms after the
    // fourth.
    for (uint64_t p : {kPlay + 10, kPlay + 20, kPlay + 24, kPlay + 50, kPlay + 110, kPlay + 180}) {
        At(p, [&](sc_Scene&, HeadlessBackend& b) {
            before = spread();
            b.Click(plat::kMouseLeft);
        });
        At(p + 1, [&](sc_Scene&, HeadlessBackend&) { made.push_back(spread() - before); });
    }
    // Held a second after the cool-down has run out: no shot at the press,
    // a charged one at the release.
    int32_t drained = 0, charged = -1;
    At(kPlay + 320, [](sc_Scene&, HeadlessBackend& b) { b.ButtonDown(plat::kMouseLeft); });
    At(kPlay + 383, [&](sc_Scene&, HeadlessBackend& b) {
        drained = Own().lMaxCharge - Own().lCharge;
        before = Bullets().lGetCount();
        b.ButtonUp(plat::kMouseLeft);
    });
    At(kPlay + 385, [&](sc_Scene&, HeadlessBackend&) {
        if (Bullets().lGetCount() == before + 1) charged = Bullets().pGetBullet(before)->lId;
    });
    Run(kPlay + 386);

    EXPECT_EQ(made, (std::vector<int32_t>{5, 0, 5, 5, 0, 5}));
    EXPECT_GT(drained, 200); // 10 a frame past the first 400 ms, less the 2 a frame regained
    EXPECT_EQ(charged, sc_Gun::lChargedBullet(drained));
    EXPECT_GE(charged, 6);
}

TEST_F(CombatPlay, ACrateIsPushedAlongTheWalkAndHealthAndAmmunitionAreFound) {
    sc_Thing* crate = nullptr;
    sc_Point start;
    At(kPlay, [&](sc_Scene& s, HeadlessBackend& b) {
        crate = NearStart(0);
        ASSERT_NE(crate, nullptr);
        start = crate->oPos;
        // From the left, level with it, walking right.
        Own().oPosition.oSet(start.x - 80, start.y);
        b.KeyDown(plat::key::Right);
        (void)s;
    });
    std::vector<sc_Point> pushed;
    Each(kPlay + 1, kPlay + 60, [&](sc_Scene&, HeadlessBackend&) {
        if (pushed.empty() || !(pushed.back() == crate->oPos)) pushed.push_back(crate->oPos);
    });
    At(kPlay + 61, [](sc_Scene&, HeadlessBackend& b) { b.KeyUp(plat::key::Right); });

    // Items laid on the way back to the left.
    int32_t ammoBefore = 0;
    At(kPlay + 70, [&](sc_Scene& s, HeadlessBackend& b) {
        Own().lHitPoints = 9000;
        s.oForm.pArmedSlots[0].lId = 3;
        s.oForm.pArmedSlots[1].lId = -1;
        ammoBefore = s.oForm.pArmedSlots[0].lAmmo;
        const sc_Point p = Own().oPosition;
        Items().pAdd(sc_Prop::kHealth, sc_Point(p.x - 60, p.y));
        Items().pAdd(sc_Prop::kAmmo, sc_Point(p.x - 140, p.y));
        b.KeyDown(plat::key::Left);
    });
    int32_t hitPoints = 0, ammo0 = 0, ammo1 = 0, ammo1Before = 0;
    At(kPlay + 70, [&](sc_Scene& s, HeadlessBackend&) { ammo1Before = s.oForm.pArmedSlots[1].lAmmo; });
    At(kPlay + 130, [&](sc_Scene& s, HeadlessBackend&) {
        hitPoints = Own().lHitPoints;
        ammo0 = s.oForm.pArmedSlots[0].lAmmo;
        ammo1 = s.oForm.pArmedSlots[1].lAmmo;
    });
    Run(kPlay + 131);

    // Pushed to the right, 8 pixels a push, as long as it was touched.
    ASSERT_GE(pushed.size(), 3u);
    for (size_t i = 1; i < pushed.size(); ++i)
        EXPECT_EQ((pushed[i] .oPlain()), (ss_PlainPoint{pushed[i - 1].x + 8, start.y})) << i;
    EXPECT_EQ(hitPoints, 10000);
    EXPECT_EQ(ammo0, ammoBefore + 50);
    EXPECT_EQ(ammo1, ammo1Before);
    EXPECT_EQ(Items().lGetCount(), 0);
}

} // namespace
