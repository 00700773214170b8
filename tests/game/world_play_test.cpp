// The world in the real program: a mission started from the menus shows its
// buildings standing on the ground where the mission file puts them.
#include <gtest/gtest.h>

#include <map>
#include <memory>
#include <vector>

#include "engine/sprite/sprite_tree.h"
#include "game/work.h"
#include "platform/input.h"
#include "tests/support/game_dir.h"
#include "tests/support/headless_run.h"

namespace {

using plat::HeadlessBackend;

class WorldPlay : public krxtest::HeadlessTest {
protected:
    void SetUp() override {
        HeadlessTest::SetUp();
        m_cwd = std::make_unique<krxtest::ScopedCwd>(m_dir.Path());
        sc_Window::vRegister(0, "KRX", 0, 0);
        Backend().OnShow([this](const uint16_t* px, int32_t w, int32_t h) {
            m_presents[Backend().Passes()].assign(px, px + w * h);
        });
    }
    void TearDown() override {
        m_cwd.reset();
        HeadlessTest::TearDown();
    }

    krxtest::GameDir m_dir;
    std::unique_ptr<krxtest::ScopedCwd> m_cwd;
    std::map<uint64_t, std::vector<uint16_t>> m_presents;
    sc_Work m_work;
};

TEST_F(WorldPlay, TheDefaultMissionShowsItsBuildingsOverTheGround) {
    // Escape over the two movies, then the menus start the default mission.
    Backend().At(1, [](HeadlessBackend& b) { b.KeyDown(plat::key::Escape); });
    Backend().At(5, [](HeadlessBackend& b) { b.KeyUp(plat::key::Escape); });
    // The default mission file is loaded; the form's mission is one won only
    // by reaching a place, so the play goes on.
    Backend().At(7, [](HeadlessBackend&) {
        g_pWork->oScene.oInterFace.lScreen = sc_InterFace::kScreenStart;
        g_pWork->oScene.oForm.lMission = 5;
    });
    // The view on the first building, its anchor in the middle of the screen.
    sc_Point anchor;
    sc_Point shown; // where the building's picture covers the screen
    Backend().At(12, [&](HeadlessBackend&) {
        sc_Scene& s = g_pWork->oScene;
        ASSERT_EQ(s.lState, sc_Scene::kStatePlay);
        // The loading picture would fade over the first seconds of play.
        s.oLoading.vFree();
        sc_AllBuilding& all = s.oMap.oSetting.oAllBuilding;
        ASSERT_GT(all.lGetCount(), 0);
        while (all.lGetCount() > 1)
            all.oList.vDelete(1); // the first alone
        const sc_Building* b = s.oMap.oSetting.oAllBuilding.pGetBuilding(0);
        ASSERT_EQ(b->bLoaded, 1);
        anchor = b->oPos;
        // The characters stay out of it: none is shown, the view holds.
        s.oAllObject.oAllCharacter.bLoaded = 0;
        s.oAllObject.oAllCharacter.oFollow.oSet(anchor.x - 400, anchor.y - 300);
        // A point of the picture just above the anchor mark: the front corner
        // of its walls.
        shown.oSet(400, 300 - 8);
    });
    Backend().At(14, [](HeadlessBackend&) { g_pWork->oScene.oMap.oSetting.oAllBuilding.vClear(); });
    Backend().SetPassBudget(15);
    m_work.vCreate("KRX Project", 0, 0, 0);
    ASSERT_EQ(m_work.lRun(), 0);

    const std::vector<uint16_t>& with = m_presents.at(13);
    const std::vector<uint16_t>& without = m_presents.at(14);
    // The building covers the ground above its anchor (the ground elsewhere
    // may animate between the two frames).
    int32_t changed = 0;
    for (int32_t y = 40; y <= 300; ++y)
        for (int32_t x = 300; x < 500; ++x)
            changed += with[y * 800 + x] != without[y * 800 + x];
    EXPECT_GT(changed, 2000);
    EXPECT_NE(with[shown.y * 800 + shown.x], without[shown.y * 800 + shown.x]);
    EXPECT_EQ(with[(300 + 30) * 800 + 400], without[(300 + 30) * 800 + 400]) << "nothing below its anchor";
}

} // namespace
