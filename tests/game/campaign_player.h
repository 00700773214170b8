#pragma once
// A player scripted over the real program, headless: steps of clicks, keys
// and checks run one a frame from the menus' first frame on, and the fixture
// that runs them in a fresh game folder until the script ends.
#include <gtest/gtest.h>

#include <cstdint>
#include <fstream>
#include <functional>
#include <memory>
#include <optional>
#include <vector>

#include "game/work.h"
#include "interface/layout.h"
#include "platform/input.h"
#include "platform/window.h"
#include "tests/support/game_dir.h"
#include "tests/support/headless_run.h"

namespace krxtest {

using plat::HeadlessBackend;

inline sc_Scene& TheScene() { return g_pWork->oScene; }

// A player's script: steps run one after the other, at most one per frame;
// a step answers true once it is done.
class Player {
public:
    using Step = std::function<bool(sc_Scene&, HeadlessBackend&)>;

    void Then(Step s) { m_steps.push_back(std::move(s)); }
    void Do(std::function<void(sc_Scene&)> fn) {
        Then([fn](sc_Scene& s, HeadlessBackend&) {
            fn(s);
            return true;
        });
    }
    // Waits for the condition, at most the given frames (then the script
    // stops and the test fails).
    void WaitFor(const char* what, std::function<bool(sc_Scene&)> cond, int limit = 2000) {
        auto left = std::make_shared<int>(limit);
        Then([=, this](sc_Scene& s, HeadlessBackend&) {
            if (cond(s)) return true;
            if (--*left <= 0) {
                ADD_FAILURE() << "never came: " << what;
                m_failed = true;
            }
            return false;
        });
    }
    void Frames(int n) {
        auto left = std::make_shared<int>(n);
        Then([left](sc_Scene&, HeadlessBackend&) { return --*left <= 0; });
    }
    // A left click: the mouse rests on the point for a while (no double
    // click with the last), goes down for one frame and comes up.
    void Click(int32_t x, int32_t y) {
        Then([=](sc_Scene&, HeadlessBackend& b) {
            b.MoveMouse(x, y);
            return true;
        });
        Frames(25);
        Then([](sc_Scene&, HeadlessBackend& b) {
            b.ButtonDown(plat::kMouseLeft);
            return true;
        });
        Then([](sc_Scene&, HeadlessBackend& b) {
            b.ButtonUp(plat::kMouseLeft);
            return true;
        });
    }
    void Click(layout::Pos p, layout::Size s) { Click(p.x + s.w / 2, p.y + s.h / 2); }
    // A click on a point chosen by what the screen shows when the step comes;
    // none when the choice gives no point.
    void Click(std::function<std::optional<layout::Pos>(sc_Scene&)> where) {
        auto at = std::make_shared<std::optional<layout::Pos>>();
        auto wait = std::make_shared<int>(0);
        Then([=](sc_Scene& s, HeadlessBackend& b) {
            if (*wait == 0) {
                *at = where(s);
                if (!*at) return true;
                b.MoveMouse((*at)->x, (*at)->y);
            }
            if (++*wait < 25) return false;
            if (*wait == 25) {
                b.ButtonDown(plat::kMouseLeft);
                return false;
            }
            b.ButtonUp(plat::kMouseLeft);
            return true;
        });
    }
    // A key down for one frame, then up for one.
    void Key(uint8_t code) {
        Then([=](sc_Scene&, HeadlessBackend& b) {
            b.KeyDown(code);
            return true;
        });
        Then([=](sc_Scene&, HeadlessBackend& b) {
            b.KeyUp(code);
            return true;
        });
    }
    void Start(HeadlessBackend& b) { Schedule(b, b.Passes() + 1); }
    bool Done() const { return m_next >= m_steps.size(); }
    bool Failed() const { return m_failed; }
    // Ends the script after the step that calls it.
    void Stop() { m_failed = true; }

private:
    void Schedule(HeadlessBackend& b, uint64_t pass) {
        b.At(pass, [this](HeadlessBackend& backend) {
            if (m_failed || Done() || !g_pWork) return;
            if (m_steps[m_next](TheScene(), backend)) ++m_next;
            if (!Done() && !m_failed) Schedule(backend, backend.Passes() + 1);
            else plat::PostEvent(plat::Event::Close());
        });
    }

    std::vector<Step> m_steps;
    size_t m_next = 0;
    bool m_failed = false;
};

class Campaign : public HeadlessTest {
protected:
    void SetUp() override {
        HeadlessTest::SetUp();
        m_cwd = std::make_unique<ScopedCwd>(m_dir.Path());
        sc_Window::vRegister(0, "KRX", 0, 0);
    }
    void TearDown() override {
        m_cwd.reset();
        HeadlessTest::TearDown();
    }
    // The frame's step in milliseconds, 0 for the backend's own.
    void Run(uint64_t passes = 40000, uint32_t stepMs = 0) {
        Backend().At(1, [](HeadlessBackend& b) { b.KeyDown(plat::key::Escape); });
        Backend().At(5, [](HeadlessBackend& b) { b.KeyUp(plat::key::Escape); });
        Backend().At(6, [this](HeadlessBackend& b) { m_player.Start(b); });
        if (stepMs) Backend().SetStep(stepMs);
        Backend().SetPassBudget(passes);
        m_work.vCreate("KRX Project", 0, 0, 0);
        ASSERT_EQ(m_work.lRun(), 0);
        EXPECT_TRUE(m_player.Done());
    }

    GameDir m_dir;
    std::unique_ptr<ScopedCwd> m_cwd;
    Player m_player;
    sc_Work m_work;
};

inline bool OnScreen(sc_Scene& s, int32_t screen) {
    return s.lState == sc_Scene::kStateMenus && s.oInterFace.lScreen == screen;
}

// From the briefing on: Next, the third character taken, Next, until the
// arms screen shows; each screen is given the frames to settle.
inline void BriefingToArms(Player& p, int charFrames, int armsFrames) {
    using namespace layout;
    p.Click(kNavNext, kNavButton);
    p.WaitFor("the character screen", [](sc_Scene& s) { return OnScreen(s, sc_InterFace::kScreenChar); });
    p.Click(kCharButtons.x + kCharButtonPitch * 2 + 20, kCharButtons.y + 20);
    p.Frames(charFrames);
    p.Click(kNavNext, kNavButton);
    p.WaitFor("the arms screen", [](sc_Scene& s) { return OnScreen(s, sc_InterFace::kScreenArms); });
    p.Frames(armsFrames);
}

// The save's progress, or -1 when it is not a whole save.
inline int32_t SavedProgress(const char* path) {
    std::ifstream f(path, std::ios::binary);
    uint8_t b[12];
    if (!f.read(reinterpret_cast<char*>(b), 12) || f.peek() != EOF) return -1;
    return static_cast<int32_t>(b[0] | b[1] << 8 | b[2] << 16 | static_cast<uint32_t>(b[3]) << 24);
}

} // namespace krxtest
