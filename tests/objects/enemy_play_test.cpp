// The first mission played headless through the whole program: an enemy
// shoots the player (not with X held), the player shoots it dead, the other
// enemies die, and the mission is won when none is left.
#include <gtest/gtest.h>

#include <cstdlib>
#include <functional>
#include <memory>
#include <vector>

#include "game/work.h"
#include "objects/enemy.h"
#include "platform/input.h"
#include "tests/support/mission_play.h"

namespace {

using plat::HeadlessBackend;

sc_Scene& TheScene() {
    return g_pWork->oScene;
}
sc_Character& Own() {
    return *TheScene().oAllObject.oAllCharacter.pGetControlled();
}
sc_AllEnemy& Enemies() {
    return TheScene().oMap.oSetting.oAllEnemy;
}

// The mission starts on pass 8 and plays from pass 9; a pass is 16 ms.
constexpr uint64_t kPlay = 9;

// Plain ground from a to b, sampled every 8 pixels, and one cell around
// b: no cell that stops a walk or a shot, no thing within 60 pixels.
bool Open(const sc_Point& a, const sc_Point& b) {
    const sc_Setting& setting = TheScene().oMap.oSetting;
    auto clear = [&setting](const sc_Point& p) {
        if (setting.oMapLocate.lGetCell(p) != 0) return false;
        for (int32_t i = 0; i < setting.oAllThing.lGetCount(); ++i) {
            const sc_Point& t = setting.oAllThing.pGetThing(i)->oPos;
            if (std::abs(t.x - p.x) < 60 && std::abs(t.y - p.y) < 60) return false;
        }
        return true;
    };
    for (int32_t i = 0; i <= 32; ++i)
        if (!clear(sc_Point(a.x + (b.x - a.x) * i / 32, a.y + (b.y - a.y) * i / 32))) return false;
    for (int32_t dx : {-16, 0, 16})
        for (int32_t dy : {-8, 0, 8})
            if (!clear(sc_Point(b.x + dx, b.y + dy))) return false;
    return true;
}

class EnemyPlay : public krxtest::MissionPlay {
protected:
    void ChooseMission(sc_Scene& s) override {
        s.oForm.lMission = 0;
        s.oForm.lProgress = 0;
        s.oGate.vSetMission(&s.oForm);
    }
};

TEST_F(EnemyPlay, AnEnemyShootsThePlayerIsShotDeadAndTheFirstMissionIsWonWhenNoneIsLeft) {
    sc_Enemy* foe = nullptr;
    int32_t enemies = 0, kills = 0, score = 0, reward = 0, damage = 0, deaths = 0;
    bool placed = false;
    At(kPlay, [&](sc_Scene& s, HeadlessBackend&) {
        enemies = Enemies().lGetCount();
        ASSERT_GT(enemies, 1);
        // The first rifleman stands still 156 from the player on open
        // ground; the others hold their fire.
        for (int32_t i = 0; i < enemies; ++i) {
            sc_Enemy* e = Enemies().pGetEnemy(i);
            if (!foe && e->lId == 0)
                foe = e;
            else
                e->bNoFire = 1;
        }
        ASSERT_NE(foe, nullptr);
        // Shots fly at gun height over the ground outlines, so the two stand
        // in a column, where each one's shots cross the other's feet; at 156
        // apart a step of the foe's shot lands on the player's outline.
        const sc_Point start = Own().oPosition;
        for (int32_t dx = 0; dx < 1200 && !placed; dx += 16)
            for (int32_t sx : {1, -1})
                for (int32_t sy : {1, -1}) {
                    const sc_Point own(start.x + sx * dx, start.y), at(own.x, own.y + sy * 156);
                    if (!placed && Open(own, at) && Open(at, own)) {
                        foe->oPos = at;
                        Own().oPosition = own;
                        placed = true;
                    }
                }
        ASSERT_TRUE(placed);
        foe->oStep.oSet(0, 0);
        foe->lFireRand = 0;
        // The rifle; the foe dies at the third of its bullets.
        s.oForm.pItemCards[0].lId = 0;
        s.oForm.lItem = 0;
        const int32_t attack = s.oAttrib.pGetBullet(26)->lAttack;
        foe->lHitPoints = 2 * attack + 1;
        reward = foe->lReward;
        const int32_t hurt = s.oAttrib.pGetBullet(foe->lBulletKind)->lAttack - Own().lDefence;
        damage = hurt <= 0 ? 50 : hurt;
        Own().lHitPoints = Own().lMaxHitPoints = 100'000;
        kills = s.oForm.lKills;
        score = Own().lScore;
        deaths = s.oAllObject.oAllDeath.oList.lGetCount();
    });
    // Shot at until hit, then with X held for as long again.
    std::vector<int32_t> health;
    Each(kPlay + 1, kPlay + 400, [&](sc_Scene&, HeadlessBackend&) { health.push_back(Own().lHitPoints); });
    At(kPlay + 200, [](sc_Scene&, HeadlessBackend& b) { b.KeyDown(plat::key::X); });
    // Then the others die, and the player fires every 256 ms with the mouse
    // on the foe.
    At(kPlay + 400, [&](sc_Scene&, HeadlessBackend&) {
        for (int32_t i = 0; i < Enemies().lGetCount(); ++i)
            if (Enemies().pGetEnemy(i) != foe) Enemies().pGetEnemy(i)->lHitPoints = 0;
    });
    std::vector<int32_t> foeHealth, scores;
    int32_t lastKills = 0, foeGoneAt = -1;
    Each(kPlay + 400, kPlay + 700, [&](sc_Scene& s, HeadlessBackend& b) {
        bool here = false;
        for (int32_t i = 0; i < Enemies().lGetCount(); ++i)
            here |= Enemies().pGetEnemy(i) == foe;
        if (foeGoneAt < 0 && !here) foeGoneAt = static_cast<int32_t>(foeHealth.size());
        if (foeGoneAt < 0) {
            foeHealth.push_back(foe->lHitPoints);
            b.MoveMouse(foe->oPos.x - s.oMap.oViewPoint.x, foe->oPos.y - s.oMap.oViewPoint.y);
        }
        scores.push_back(Own().lScore);
        lastKills = s.oForm.lKills;
    });
    for (uint64_t p = kPlay + 410; p < kPlay + 700; p += 16)
        At(p, [](sc_Scene&, HeadlessBackend& b) { b.Click(plat::kMouseLeft); });
    int32_t progress = -1, state = -1, deathsAfter = 0;
    At(kPlay + 700, [&](sc_Scene& s, HeadlessBackend&) {
        progress = s.oForm.lProgress;
        state = s.lState;
        deathsAfter = s.oAllObject.oAllDeath.oList.lGetCount();
    });
    Run(kPlay + 701);

    // The first hit takes the bullet's attack less the defence (or 50);
    // with X held nothing more.
    size_t hit = 0;
    for (size_t i = 1; i < 200 && !hit; ++i)
        if (health[i] != health[i - 1]) hit = i;
    ASSERT_GT(hit, 0u) << "the foe fires at the player";
    EXPECT_EQ(health[hit - 1] - health[hit], damage);
    EXPECT_EQ(health[205], health.back());
    // The third hit takes it below 1; it is still hit while it dies, but
    // rewards once.
    ASSERT_GT(foeGoneAt, 0) << "the foe dies and leaves the list";
    std::vector<int32_t> steps;
    for (size_t i = 1; i < foeHealth.size(); ++i)
        if (foeHealth[i] != foeHealth[i - 1]) steps.push_back(foeHealth[i]);
    ASSERT_GE(steps.size(), 3u);
    EXPECT_GE(steps[1], 1);
    EXPECT_LT(steps[2], 1);
    EXPECT_EQ(scores.back() - score, reward);
    EXPECT_GT(deathsAfter, deaths);
    EXPECT_EQ(lastKills - kills, enemies);
    // No enemy left: the mission is won and the next one opens.
    EXPECT_EQ(progress, 1);
    EXPECT_EQ(state, sc_Scene::kStateMissionOver);
}

} // namespace
