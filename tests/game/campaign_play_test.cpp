// The campaign in the real program, headless: a new save, then the missions
// started in order and won by walking and shooting towards each one's own
// objective, the progress saved after each (and after the twelfth the end
// movie).
#include <gtest/gtest.h>

#include <fstream>
#include <functional>
#include <memory>
#include <string>

#include "game/work.h"
#include "platform/input.h"
#include "platform/window.h"
#include "tests/game/mission_player.h"
#include "tests/support/game_dir.h"
#include "tests/support/headless_run.h"

namespace {

using plat::HeadlessBackend;

// The save's progress, or -1 when it is not a whole save.
int32_t SavedProgress(const char* path) {
    std::ifstream f(path, std::ios::binary);
    uint8_t b[12];
    if (!f.read(reinterpret_cast<char*>(b), 12) || f.peek() != EOF) return -1;
    return static_cast<int32_t>(b[0] | b[1] << 8 | b[2] << 16 | static_cast<uint32_t>(b[3]) << 24);
}

class CampaignPlay : public krxtest::HeadlessTest {
protected:
    void SetUp() override {
        HeadlessTest::SetUp();
        m_cwd = std::make_unique<krxtest::ScopedCwd>(m_dir.Path());
        sc_Window::vRegister(0, "KRX", 0, 0);
    }
    void TearDown() override {
        m_cwd.reset();
        HeadlessTest::TearDown();
    }

    // Runs the step every pass until it answers true, then the next one;
    // the first failure ends the script.
    void Every(std::function<bool(sc_Scene&, HeadlessBackend&)> step) { m_steps.push_back(std::move(step)); }
    void Schedule(HeadlessBackend& b) {
        b.At(b.Passes() + 1, [this](HeadlessBackend& backend) {
            if (m_next < m_steps.size() && g_pWork && !HasFailure() && m_steps[m_next](g_pWork->oScene, backend))
                ++m_next;
            if (m_next < m_steps.size() && !HasFailure()) Schedule(backend);
            else plat::PostEvent(plat::Event::Close());
        });
    }
    void PlayFromNewSave(int32_t missions);
    void Run(uint64_t passes) {
        Backend().At(1, [](HeadlessBackend& b) { b.KeyDown(plat::key::Escape); });
        Backend().At(5, [](HeadlessBackend& b) { b.KeyUp(plat::key::Escape); });
        Backend().At(6, [this](HeadlessBackend& b) { Schedule(b); });
        // A frame of 51 ms, as on a slow machine: the character takes a
        // step every frame.
        Backend().SetStep(51);
        Backend().SetPassBudget(passes);
        m_work.vCreate("KRX Project", 0, 0, 0);
        ASSERT_EQ(m_work.lRun(), 0);
        EXPECT_EQ(m_next, m_steps.size()) << "the script stopped at step " << m_next;
    }

    krxtest::GameDir m_dir;
    std::unique_ptr<krxtest::ScopedCwd> m_cwd;
    std::vector<std::function<bool(sc_Scene&, HeadlessBackend&)>> m_steps;
    size_t m_next = 0;
    sc_Work m_work;
};

// A new save, then the missions in order from the first, each started as
// the menus start it and won by the scripted player, its progress saved.
void CampaignPlay::PlayFromNewSave(int32_t missions) {
    Every([](sc_Scene& s, HeadlessBackend&) {
        if (s.lState != sc_Scene::kStateMenus) return false;
        s.oGate.vNewSave("SAVE\\hero.SAV");
        return true;
    });
    auto player = std::make_shared<krxtest::MissionPlayer>();
    for (int32_t m = 0; m < missions; ++m) {
        Every([m](sc_Scene& s, HeadlessBackend&) {
            if (s.lState != sc_Scene::kStateMenus) return false;
            EXPECT_EQ(s.oForm.lProgress, m);
            s.oForm.lMission = m;
            s.oGate.vSetMission(&s.oForm);
            s.oInterFace.lScreen = sc_InterFace::kScreenStart;
            return true;
        });
        Every([](sc_Scene& s, HeadlessBackend&) {
            if (s.lState != sc_Scene::kStatePlay) return false;
            EXPECT_GT(s.oMap.oSetting.oAllEnemy.lGetCount(), 0) << "enemies to fight";
            return true;
        });
        auto frames = std::make_shared<int32_t>(0);
        Every([m, player, frames](sc_Scene& s, HeadlessBackend& b) {
            if (s.lState == sc_Scene::kStatePlay) {
                // A mission not won in time ends the script.
                if (++*frames > 8000) {
                    ADD_FAILURE() << "mission " << m << " not won in time";
                    return false;
                }
                player->Frame(s, b);
                return false;
            }
            player->Release(b);
            player->Reset();
            SCOPED_TRACE(testing::Message() << "mission " << m << " after " << *frames << " frames");
            EXPECT_EQ(s.lState, sc_Scene::kStateMissionOver);
            const sc_Character* own = s.oAllObject.oAllCharacter.pGetCharacter(0);
            EXPECT_TRUE(own && !own->bRemainsDone) << "the character died";
            EXPECT_EQ(SavedProgress("SAVE/hero.SAV"), m + 1);
            if (m == sc_Gate::kMissions - 1) {
                EXPECT_EQ(s.bMoviePlaying, 1);
                EXPECT_TRUE(s.oMovie.bIsOpen()) << "the end movie";
            }
            return true;
        });
    }
}

// With the first gun alone the player clears the first mission's enemies and
// brings down the second's signal tower past its guards.
TEST_F(CampaignPlay, TheFirstMissionsAreWonByPlayFromANewSaveTheProgressSavedAfterEach) {
    PlayFromNewSave(2);
    Run(40000);
}

} // namespace
