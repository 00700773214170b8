#pragma once
// The real program, headless, in a folder of its own: Escape over both
// movies, then on pass 7 the menus start a mission chosen by the fixture
// (ChooseMission); the mission starts on pass 8 and plays from pass 9.
#include <functional>
#include <memory>

#include "game/work.h"
#include "platform/input.h"
#include "tests/support/game_dir.h"
#include "tests/support/headless_run.h"

namespace krxtest {

class MissionPlay : public HeadlessTest {
protected:
    void SetUp() override {
        HeadlessTest::SetUp();
        m_cwd = std::make_unique<ScopedCwd>(m_dir.Path());
        sc_Window::vRegister(0, "KRX", 0, 0);
        Backend().At(1, [](plat::HeadlessBackend& b) { b.KeyDown(plat::key::Escape); });
        Backend().At(5, [](plat::HeadlessBackend& b) { b.KeyUp(plat::key::Escape); });
        At(7, [this](sc_Scene& s, plat::HeadlessBackend&) {
            s.oInterFace.lScreen = sc_InterFace::kScreenStart;
            ChooseMission(s);
        });
    }
    void TearDown() override {
        m_cwd.reset();
        HeadlessTest::TearDown();
    }
    // By default the default mission file, with the objective of a mission
    // won only at a place off this map, so the play goes on.
    virtual void ChooseMission(sc_Scene& s) { s.oForm.lMission = 5; }

    static sc_Scene& TheScene() { return g_pWork->oScene; }
    void At(uint64_t pass, std::function<void(sc_Scene&, plat::HeadlessBackend&)> fn) {
        Backend().At(pass, [fn](plat::HeadlessBackend& b) { fn(TheScene(), b); });
    }
    // Every pass from..to.
    void Each(uint64_t from, uint64_t to, const std::function<void(sc_Scene&, plat::HeadlessBackend&)>& fn) {
        for (uint64_t p = from; p <= to; ++p) At(p, fn);
    }
    void Run(uint64_t passes) {
        Backend().SetPassBudget(passes);
        m_work.vCreate("KRX Project", 0, 0, 0);
        ASSERT_EQ(m_work.lRun(), 0);
    }

    GameDir m_dir;
    std::unique_ptr<ScopedCwd> m_cwd;
    sc_Work m_work;
};

} // namespace krxtest
