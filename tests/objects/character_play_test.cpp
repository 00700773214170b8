// The player's character in a generated mission, run headless through the
// whole program: walking, flying, the view, death and remains.
#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <vector>

#include "engine/sprite/sprite_tree.h"
#include "game/work.h"
#include "platform/input.h"
#include "tests/support/game_dir.h"
#include "tests/support/headless_run.h"

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

class CharacterPlay : public krxtest::HeadlessTest {
protected:
    void SetUp() override {
        HeadlessTest::SetUp();
        m_cwd = std::make_unique<krxtest::ScopedCwd>(m_dir.Path());
        sc_Window::vRegister(0, "KRX", 0, 0);
        // Escape over the movies; the menus start the default mission.
        Backend().At(1, [](HeadlessBackend& b) { b.KeyDown(plat::key::Escape); });
        Backend().At(5, [](HeadlessBackend& b) { b.KeyUp(plat::key::Escape); });
        At(7, [](sc_Scene& s, HeadlessBackend&) { s.oInterFace.lScreen = sc_InterFace::kScreenStart; });
    }
    void TearDown() override {
        m_cwd.reset();
        HeadlessTest::TearDown();
    }
    void At(uint64_t pass, std::function<void(sc_Scene&, HeadlessBackend&)> fn) {
        Backend().At(pass, [fn](HeadlessBackend& b) { fn(TheScene(), b); });
    }
    // The own character's position at the start of every pass from..to.
    void Track(uint64_t from, uint64_t to) {
        for (uint64_t p = from; p <= to; ++p)
            At(p, [this](sc_Scene&, HeadlessBackend&) { m_track.push_back(Own().oPosition); });
    }
    void Run(uint64_t passes) {
        Backend().SetPassBudget(passes);
        m_work.vCreate("KRX Project", 0, 0, 0);
        ASSERT_EQ(m_work.lRun(), 0);
    }
    // The distinct steps the tracked positions took, in order.
    std::vector<sc_Point> Steps() const {
        std::vector<sc_Point> steps;
        for (size_t i = 1; i < m_track.size(); ++i)
            if (!(m_track[i] == m_track[i - 1]))
                steps.emplace_back(m_track[i].x - m_track[i - 1].x, m_track[i].y - m_track[i - 1].y);
        return steps;
    }

    krxtest::GameDir m_dir;
    std::unique_ptr<krxtest::ScopedCwd> m_cwd;
    sc_Work m_work;
    std::vector<sc_Point> m_track;
};

TEST_F(CharacterPlay, SpaceWithUpFliesAlongTheLastFacingFirstAndSpendsTheFlyMeter) {
    int32_t flyBefore = 0;
    At(kPlay, [](sc_Scene&, HeadlessBackend& b) {
        Own().oPosition.oSet(800, 600);
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
    EXPECT_EQ(steps[0].oPlain(), (ss_PlainPoint{24, 0}));
    for (size_t i = 1; i < steps.size(); ++i)
        EXPECT_EQ(steps[i].oPlain(), (ss_PlainPoint{0, -12})) << i;
    EXPECT_EQ(flyBefore - flyAfter, 5 * static_cast<int32_t>(steps.size()));
}

TEST_F(CharacterPlay, LeftAtTheMapsEdgeStopsInsideTheMarginAndStays) {
    At(kPlay, [](sc_Scene&, HeadlessBackend& b) {
        Own().oPosition.oSet(100, Own().oPosition.y);
        b.KeyDown(plat::key::Left);
    });
    Track(kPlay + 1, kPlay + 80);
    Run(kPlay + 81);
    const sc_Point last = m_track.back();
    // The last step's probe, 16 pixels further on, was clear of the 16-pixel
    // margin; the next one would not be.
    EXPECT_GT(last.x - 16, 16);
    EXPECT_LE(last.x - 12 - 16, 16);
    EXPECT_EQ(m_track[m_track.size() - 40].x, last.x) << "the last 40 passes hold still";
}

TEST_F(CharacterPlay, TheViewFollowsTheWalkingCharacterAndKeepsItOnScreen) {
    At(kPlay, [](sc_Scene&, HeadlessBackend& b) { b.KeyDown(plat::key::Right); });
    std::vector<sc_Point> views;
    for (uint64_t p = kPlay + 1; p < kPlay + 400; ++p)
        At(p, [&](sc_Scene& s, HeadlessBackend&) {
            views.push_back(s.oMap.oViewPoint);
            m_track.push_back(Own().oPosition);
        });
    Run(kPlay + 400);
    for (size_t i = 1; i < views.size(); ++i) {
        EXPECT_GE(views[i].x, views[i - 1].x);
        // Ahead of the middle, never past the screen's last quarter.
        const int32_t screenX = m_track[i].x - views[i].x;
        EXPECT_GE(screenX, 0) << i;
        EXPECT_LT(screenX, 700) << i;
    }
    EXPECT_GT(views.back().x - views.front().x, 600);
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

} // namespace
