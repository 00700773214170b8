// The player's character in a generated mission, run headless through the
// whole program: walking, flying, the view, death and remains.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <functional>
#include <memory>
#include <vector>

#include "engine/sprite/sprite_tree.h"
#include "engine/device/dir_surface.h"
#include "engine/device/mouse.h"
#include "game/work.h"
#include "objects/gun.h"
#include "objects/building.h"
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

// The mission starts on pass 8 and plays from pass 9.
constexpr uint64_t kPlay = 9;

class CharacterPlay : public krxtest::MissionPlay {
protected:
    // The own character's position at the start of every pass from..to.
    void Track(uint64_t from, uint64_t to) {
        for (uint64_t p = from; p <= to; ++p)
            At(p, [this](sc_Scene&, HeadlessBackend&) { m_track.push_back(Own().oPosition); });
    }
    // The distinct steps the tracked positions took, in order.
    std::vector<sc_Point> Steps() const {
        std::vector<sc_Point> steps;
        for (size_t i = 1; i < m_track.size(); ++i)
            if (!(m_track[i] == m_track[i - 1]))
                steps.emplace_back(m_track[i].x - m_track[i - 1].x, m_track[i].y - m_track[i - 1].y);
        return steps;
    }

    std::vector<sc_Point> m_track;
};

TEST_F(CharacterPlay, SpaceWithUpFliesAlongTheLastFacingFirstAndSpendsTheFlyMeter) {
    int32_t flyBefore = 0;
    At(kPlay, [](sc_Scene& s, HeadlessBackend& b) {
        Own().oPosition.oSet(800, 600);
        s.oMap.oSetting.oAllThing.vClear(); // nothing in the way but the ground
        b.KeyDown(plat::key::Right);
    });
    At(kPlay + 3, [&](sc_Scene&, HeadlessBackend& b) {
        b.KeyUp(plat::key::Right);
        b.KeyDown(plat::key::Up);
        b.KeyDown(plat::key::Space);
        flyBefore = Own().lFly;
    });
    Track(kPlay + 3, kPlay + 41);
    int32_t flyAfter = 0;
    At(kPlay + 41, [&](sc_Scene&, HeadlessBackend&) { flyAfter = Own().lFly; });
    Run(kPlay + 42);
    const std::vector<sc_Point> steps = Steps();
    ASSERT_GE(steps.size(), 3u);
    // The first flying step still goes right, the way the character faced.
    // The form's speed s lengthens both steps.
    const int32_t speed = Own().oWalkStep.x - 12;
    EXPECT_EQ(steps[0].oPlain(), (ss_PlainPoint{24 + speed, 0}));
    for (size_t i = 1; i < steps.size(); ++i)
        EXPECT_EQ(steps[i].oPlain(), (ss_PlainPoint{0, -(12 + speed)})) << i;
    EXPECT_EQ(flyBefore - flyAfter, 5 * static_cast<int32_t>(steps.size()));
}

// Walking one way until blocked: the last step's probe, half a cell ahead,
// lay on free cells, the next one would not, and the character then holds
// still.
void ExpectStoppedBy(const std::vector<sc_Point>& track, int32_t dx, int32_t px) {
    ASSERT_GE(track.size(), 41u);
    const sc_Point last = track.back();
    const sc_MapLocate& grid = TheScene().oMap.oSetting.oMapLocate;
    EXPECT_FALSE(grid.bIsBlocked(sc_Point(last.x + px, last.y + 8)));
    EXPECT_TRUE(grid.bIsBlocked(sc_Point(last.x + dx + px, last.y + 8)));
    EXPECT_EQ(track[track.size() - 40].oPlain(), last.oPlain()) << "the last 40 passes hold still";
}

TEST_F(CharacterPlay, RightTowardAWallStopsWhereTheProbedCellsAreFree) {
    // From the first start point the town lies to the right.
    At(kPlay, [](sc_Scene&, HeadlessBackend& b) { b.KeyDown(plat::key::Right); });
    Track(kPlay + 1, kPlay + 120);
    Run(kPlay + 121);
    const int32_t step = Own().oWalkStep.x;
    ExpectStoppedBy(m_track, step, 16);
    EXPECT_LT(m_track.back().x, TheScene().oMap.oBackground.oMapSize.x - 200) << "a wall, not the map's edge";
    const std::vector<sc_Point> steps = Steps();
    for (size_t i = 1; i < steps.size(); ++i)
        EXPECT_EQ(steps[i].oPlain(), (ss_PlainPoint{step, 0})) << i;
}

TEST_F(CharacterPlay, LeftAtTheMapsEdgeStopsInsideTheMarginAndStays) {
    // An open row from x 64 on.
    At(kPlay, [](sc_Scene&, HeadlessBackend& b) {
        Own().oPosition.oSet(240, 832);
        b.KeyDown(plat::key::Left);
    });
    Track(kPlay + 1, kPlay + 120);
    Run(kPlay + 121);
    ExpectStoppedBy(m_track, -Own().oWalkStep.x, -16);
    EXPECT_GT(m_track.back().x, 16);
    EXPECT_LE(m_track.back().x, 100);
}

TEST_F(CharacterPlay, WalkingPastATowerBringsTheCharacterFromBehindItToItsFront) {
    // Down along the east side of the tower at (704, 593).
    At(kPlay, [](sc_Scene&, HeadlessBackend& b) {
        Own().oPosition.oSet(744, 480);
        b.KeyDown(plat::key::Down);
    });
    std::vector<bool> inFront;
    for (uint64_t p = kPlay + 2; p < kPlay + 120; ++p)
        At(p, [&](sc_Scene& s, HeadlessBackend&) {
            // What the last frame showed, in order; emptied for the next.
            ss_SortData* list = s.oMap.oMapSort.spSortData;
            const void* tower = s.oMap.oSetting.oAllBuilding.pGetBuilding(4);
            int32_t own = -1, other = -1;
            for (int32_t i = 0; i < sc_MapSort::kEntries && list[i].vpBuffer; ++i) {
                if (list[i].vpBuffer == &Own()) own = i;
                if (list[i].vpBuffer == tower) other = i;
            }
            ASSERT_TRUE(own >= 0 && other >= 0);
            if (inFront.empty() || inFront.back() != (own > other)) inFront.push_back(own > other);
            std::fill(list, list + sc_MapSort::kEntries, ss_SortData{});
        });
    Run(kPlay + 120);
    EXPECT_EQ(inFront, (std::vector<bool>{false, true}));
}

TEST_F(CharacterPlay, TheViewFollowsTheWalkingCharacterAndKeepsItOnScreen) {
    // Down an open column, from the top of the map.
    At(kPlay, [](sc_Scene&, HeadlessBackend& b) {
        Own().oPosition.oSet(560, 100);
        b.KeyDown(plat::key::Down);
    });
    std::vector<sc_Point> views;
    for (uint64_t p = kPlay + 1; p < kPlay + 300; ++p)
        At(p, [&](sc_Scene& s, HeadlessBackend&) {
            views.push_back(s.oMap.oViewPoint);
            m_track.push_back(Own().oPosition);
        });
    Run(kPlay + 300);
    for (size_t i = 0; i < views.size(); ++i) {
        const int32_t screenY = m_track[i].y - views[i].y;
        EXPECT_GE(screenY, 0) << i;
        EXPECT_LT(screenY, 600) << i;
    }
    // It walked some 450 pixels down from where the view stays at the
    // map's top; the view came along and has it in the lower middle.
    EXPECT_GT(m_track.back().y - m_track.front().y, 400);
    EXPECT_EQ(views.front().y, 0);
    EXPECT_GT(views.back().y, 100);
    const int32_t screenY = m_track.back().y - views.back().y;
    EXPECT_GT(screenY, 300);
    EXPECT_LT(screenY, 500);
}

TEST_F(CharacterPlay, AFallenCharacterDiesOnceLeavesItsRemainsAndEndsTheMission) {
    At(kPlay + 2, [](sc_Scene&, HeadlessBackend&) { Own().lHitPoints = 0; });
    struct Seen {
        bool dying;
        int8_t frame, remains;
        int32_t done, state;
    };
    std::vector<Seen> seen;
    for (uint64_t p = kPlay + 3; p < kPlay + 80; ++p)
        At(p, [&](sc_Scene& s, HeadlessBackend&) {
            const sc_Character& c = Own();
            seen.push_back({c.bIsDying(), c.bFrame, c.bRemainsFrame, c.bRemainsDone, s.lState});
        });
    Run(kPlay + 80);
    ASSERT_FALSE(seen.empty());
    const int32_t deathFrames = Own().pDeathStatus->pGetDirAt(0)->lGetFrameCount();
    // The death runs its frames once, then the remains once, in order.
    int32_t lastFrame = -1, lastRemains = 0, firstDone = -1;
    for (size_t i = 0; i < seen.size(); ++i) {
        const Seen& s = seen[i];
        EXPECT_TRUE(s.dying);
        if (s.done) {
            if (firstDone < 0) firstDone = static_cast<int32_t>(i);
            continue;
        }
        EXPECT_GE(s.frame, lastFrame);
        EXPECT_LE(s.frame, deathFrames);
        if (s.frame == deathFrames) {
            EXPECT_GE(s.remains, lastRemains);
        }
        lastFrame = s.frame;
        lastRemains = s.remains;
    }
    ASSERT_GT(firstDone, 0);
    EXPECT_EQ(lastFrame, deathFrames);
    EXPECT_GT(lastRemains, 0);
    EXPECT_EQ(seen.back().state, sc_Scene::kStateMissionOver);
}

TEST_F(CharacterPlay, ADeathIsHalfFadedAfterFiveSecondsAndGoneAfterTen) {
    sc_Death* death = nullptr;
    At(kPlay,
       [&](sc_Scene& s, HeadlessBackend&) { death = s.oAllObject.oAllDeath.pAdd(1, Own().oPosition); });
    // 16 ms a pass: 313 passes are 5008 ms.
    int32_t half = -1, count = -1;
    At(kPlay + 314, [&](sc_Scene&, HeadlessBackend&) { half = death->lAlpha; });
    At(kPlay + 630, [&](sc_Scene& s, HeadlessBackend&) { count = s.oAllObject.oAllDeath.lGetCount(); });
    Run(kPlay + 631);
    EXPECT_EQ(half, 16);
    EXPECT_EQ(count, 0);
}

TEST_F(CharacterPlay, AShakeRocksTheViewAroundWhereItWasAndThenEnds) {
    sc_Point saved;
    std::vector<sc_Point> views;
    At(kPlay + 60, [&](sc_Scene& s, HeadlessBackend&) {
        s.oAllObject.vStartShake();
        saved = s.oAllObject.oShakeSaved;
    });
    for (uint64_t p = kPlay + 61; p < kPlay + 200; ++p)
        At(p, [&](sc_Scene& s, HeadlessBackend&) {
            if (s.oAllObject.bShake) views.push_back(s.oMap.oViewPoint);
        });
    Run(kPlay + 200);
    ASSERT_GT(views.size(), 10u);
    EXPECT_LT(views.size(), 60u) << "the shake ends";
    bool moved = false;
    for (const sc_Point& v : views) {
        EXPECT_LE(std::abs(v.x - saved.x), 12);
        EXPECT_LE(std::abs(v.y - saved.y), 12);
        moved = moved || !(v == saved);
    }
    EXPECT_TRUE(moved);
}

TEST_F(CharacterPlay, LightningJoinsItsEndsInDotsThatStayOnTheSurface) {
    int32_t near1 = 0, near2 = 0, outside = 0, dots = 0;
    At(kPlay + 2, [&](sc_Scene& s, HeadlessBackend&) {
        s.oMap.oViewPoint.oSet(0, 0);
        uint16_t* px = g_pWorkBuffer;
        std::fill(px, px + 800 * 600, uint16_t{0});
        // From the middle to past the right edge.
        s.oAllObject.vDrawLightning(400, 300, 1000, 320);
        for (int32_t y = 0; y < 600; ++y)
            for (int32_t x = 0; x < 800; ++x) {
                if (px[y * 800 + x] != 29599) continue;
                ++dots;
                if (x < 1 || x > 798 || y < 1 || y > 598) ++outside;
                if (std::abs(x - 400) <= 2 && std::abs(y - 300) <= 2) ++near1;
                if (x >= 790) ++near2;
            }
    });
    Run(kPlay + 3);
    EXPECT_GT(dots, 200);
    EXPECT_GT(near1, 0);
    EXPECT_GT(near2, 0);
    EXPECT_EQ(outside, 0);
}

// The aiming aids the game offers without using them.
TEST_F(CharacterPlay, TheCrossHairAndTheTrailStayOnTheSurface) {
    // 500 long: the first point as given, then one every 35 pixels.
    const std::vector<sc_Point> trail = o_TrailPoints(100, 100, 400, 500);
    ASSERT_EQ(trail.size(), 15u);
    EXPECT_EQ(trail[0], sc_Point(100, 100));
    EXPECT_LE(std::hypot(trail.back().x - 400, trail.back().y - 500), 10 + 9);
    EXPECT_EQ(o_TrailPoints(7, 7, 7, 7).size(), 1u);
    std::vector<int32_t> greens;
    int32_t nearEnd = 0;
    At(kPlay + 2, [&](sc_Scene& s, HeadlessBackend&) {
        uint16_t* px = g_pWorkBuffer;
        // Whole in the middle, cut at the corners, gone an arm off the edge.
        for (const sc_Point& m : {sc_Point(400, 300), sc_Point(0, 0), sc_Point(799, 599), sc_Point(811, 300)}) {
            std::fill(px, px + 800 * 600, uint16_t{0});
            g_oMousePoint = m;
            v_DrawCrossHair();
            greens.push_back(static_cast<int32_t>(std::count(px, px + 800 * 600, uint16_t{992})));
        }
        // From the middle of the screen to past its right edge.
        std::fill(px, px + 800 * 600, uint16_t{0});
        g_pWorkSurface->pLock(); // between frames the surface is not locked
        v_DrawSpriteTrail(s.oAllObject.pEffectFrames, sc_Point(1000, 1000), 1400, 1300, 2100, 1300);
        g_pWorkSurface->vUnlock();
        for (int32_t y = 250; y < 350; ++y)
            nearEnd += static_cast<int32_t>(std::count_if(px + y * 800 + 750, px + y * 800 + 800, [](uint16_t p) { return p != 0; }));
    });
    Run(kPlay + 3);
    EXPECT_EQ(greens, (std::vector<int32_t>{41, 21, 21, 0}));
    EXPECT_GT(nearEnd, 0);
}

} // namespace
