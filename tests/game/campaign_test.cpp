// The campaign in the real program, headless: a player clicks from the top
// menu through a new save, the story, the briefing, the character and the
// arms into the first mission, wins it and comes back to the menus.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "engine/sprite/sprite_tree.h"
#include "game/work.h"
#include "interface/layout.h"
#include "platform/input.h"
#include "platform/window.h"
#include "tests/support/game_dir.h"
#include "tests/support/headless_run.h"

namespace {

namespace fs = std::filesystem;
using plat::HeadlessBackend;

sc_Scene& TheScene() { return g_pWork->oScene; }

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

class Campaign : public krxtest::HeadlessTest {
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
    void Run() {
        Backend().At(1, [](HeadlessBackend& b) { b.KeyDown(plat::key::Escape); });
        Backend().At(5, [](HeadlessBackend& b) { b.KeyUp(plat::key::Escape); });
        Backend().At(6, [this](HeadlessBackend& b) { m_player.Start(b); });
        Backend().SetPassBudget(40000);
        m_work.vCreate("KRX Project", 0, 0, 0);
        ASSERT_EQ(m_work.lRun(), 0);
        EXPECT_TRUE(m_player.Done());
    }

    krxtest::GameDir m_dir;
    std::unique_ptr<krxtest::ScopedCwd> m_cwd;
    Player m_player;
    sc_Work m_work;
};

bool OnScreen(sc_Scene& s, int32_t screen) {
    return s.lState == sc_Scene::kStateMenus && s.oInterFace.lScreen == screen;
}

// The save's progress, or -1 when it is not a whole save.
int32_t SavedProgress(const char* path) {
    std::ifstream f(path, std::ios::binary);
    uint8_t b[12];
    if (!f.read(reinterpret_cast<char*>(b), 12) || f.peek() != EOF) return -1;
    return static_cast<int32_t>(b[0] | b[1] << 8 | b[2] << 16 | static_cast<uint32_t>(b[3]) << 24);
}

const sc_GameImgWithShadow* BriefingFrame(sc_Scene& s, int32_t dir, int32_t frame) {
    sc_GameObject* menus = s.oInterFace.pMenuObject;
    sc_GameStatus* st = menus ? menus->pGetStatusAt(layout::kMenuBriefing) : nullptr;
    sc_GameDir* d = st ? st->pGetDirAt(dir) : nullptr;
    return d ? d->pGetFrameAt(frame) : nullptr;
}

TEST_F(Campaign, ANewSaveLeadsThroughTheMenusIntoTheFirstMissionAndBackWithItsProgress) {
    using namespace layout;
    Player& p = m_player;
    p.WaitFor("the top menu", [](sc_Scene& s) { return OnScreen(s, sc_InterFace::kScreenTop); });
    p.Frames(30);
    p.Click(kTopButtons[0], kTopButton);
    p.WaitFor("the ID screen", [](sc_Scene& s) { return OnScreen(s, sc_InterFace::kScreenId); });
    p.Key(0x1E); // a
    p.Key(0x2E); // c
    p.Key(0x12); // e
    p.Key(plat::key::Enter);
    p.Frames(30);
    p.Do([](sc_Scene& s) {
        EXPECT_EQ(SavedProgress("SAVE/ace.SAV"), 0) << "the new ID's save";
        EXPECT_STREQ(s.oGate.pGetSaveName(0), "ace");
    });
    p.Click(kSaveSlot.x + 10, kSaveSlot.y + 8);
    p.Do([](sc_Scene& s) { EXPECT_STREQ(s.oGate.oSaveName.pGetText(), "SAVE\\ace.SAV"); });
    p.Click(kNavBack, kNavButton);
    p.WaitFor("the story", [](sc_Scene& s) { return OnScreen(s, sc_InterFace::kScreenStory); });
    p.Frames(60);
    p.Click(kNavNext, kNavButton);
    p.WaitFor("the briefing", [](sc_Scene& s) { return OnScreen(s, sc_InterFace::kScreenMission); });
    // Enter held turns every page once it has typed, the last one too. The
    // first mission's pictures follow the dialogue's records: A, then C from
    // record 14, B with the pair 5 and 7 from 18, the pair gone from 23.
    struct Seen {
        int32_t cursor, back, pair;
        bool pairFrames, music;
    };
    auto seen = std::make_shared<std::vector<Seen>>();
    p.Then([seen](sc_Scene& s, HeadlessBackend& b) {
        sc_InterFace& m = s.oInterFace;
        b.KeyDown(plat::key::Enter);
        if (m.bMissionTalkDone) return true;
        const bool frames = m.pPairA == BriefingFrame(s, kPairDir, 5) && m.pPairB == BriefingFrame(s, kPairDir, 7);
        seen->push_back({m.oMissionTalk.lCursor, m.lMissionBack, m.bPair, frames,
                         s.oSound.bIsListed("WAV\\MISSION03.WAV") != 0});
        return false;
    });
    p.Key(plat::key::Enter);
    p.Do([seen](sc_Scene&) {
        ASSERT_GT(seen->size(), 2u);
        // A frame chooses the pictures by the records paged before it, so
        // each sample shows what the cursor of the sample before chose.
        int32_t music = 0;
        for (size_t i = 1; i < seen->size(); ++i) {
            const Seen& v = (*seen)[i];
            const int32_t c = (*seen)[i - 1].cursor;
            SCOPED_TRACE(c);
            music += v.music;
            EXPECT_EQ(v.back, c < 14 ? 0 : c < 18 ? 2 : 1);
            EXPECT_EQ(v.pair, c >= 18 && c <= 22 ? 1 : 0);
            EXPECT_TRUE(!v.pair || v.pairFrames);
        }
        EXPECT_GE(seen->back().cursor, 23) << "every record came onto a page";
        // It restarts whenever it ends, so it is listed in all but a few frames.
        EXPECT_GT(music * 10, static_cast<int32_t>(seen->size()) * 9) << "the mission's music plays";
    });
    p.Click(kNavNext, kNavButton);
    p.WaitFor("the character screen", [](sc_Scene& s) { return OnScreen(s, sc_InterFace::kScreenChar); });
    p.Click(kCharButtons.x + kCharButtonPitch * 2 + 20, kCharButtons.y + 20);
    p.Frames(80);
    p.Click(kNavNext, kNavButton);
    p.WaitFor("the arms screen", [](sc_Scene& s) { return OnScreen(s, sc_InterFace::kScreenArms); });
    p.Frames(60);
    // The first card offered (card 6), then one more point on defence.
    p.Click(kGridHome.x + kWeaponButton.w / 2, kGridHome.y + kWeaponButton.h / 2);
    p.Click(kIncrease.x + 3, kArmsRows[0] + 5);
    p.Frames(20);
    p.Do([](sc_Scene& s) {
        EXPECT_EQ(s.oForm.lFormType, 2);
        EXPECT_EQ(s.oForm.pArmedSlots[0].lId, 6);
        EXPECT_EQ(s.oForm.lPointUsed, 36);
    });
    p.Click(kNavNext, kNavButton);
    p.WaitFor("mission play", [](sc_Scene& s) { return s.lState == sc_Scene::kStatePlay; });
    p.Do([](sc_Scene& s) {
        EXPECT_STREQ(s.oGate.oMissionFile.pGetText(), "MAP\\wrd02001.BUD");
        const sc_Character* hero = s.oForm.pCharacter;
        ASSERT_NE(hero, nullptr);
        EXPECT_EQ(hero->lDefence, s.oForm.oSlider2.lGetValue() * 5) << "the chosen form";
        EXPECT_EQ(s.oForm.pArmed, &s.oForm.pArmedSlots[0]);
    });
    p.Frames(250);
    p.WaitFor("the way back to the menus", [](sc_Scene& s) { return OnScreen(s, sc_InterFace::kScreenId); }, 3000);
    p.Frames(40);
    p.Do([](sc_Scene& s) {
        EXPECT_EQ(SavedProgress("SAVE/ace.SAV"), 1) << "the first mission is won";
        EXPECT_EQ(s.oForm.lProgress, 1);
    });
    // A second ID becomes the selected save; Delete held for a while takes
    // it alone, and the next press the first.
    p.Key(0x30); // b
    p.Key(0x18); // o
    p.Key(plat::key::Enter);
    p.Do([](sc_Scene& s) {
        EXPECT_EQ(SavedProgress("SAVE/bo.SAV"), 0);
        EXPECT_STREQ(s.oGate.oSaveName.pGetText(), "SAVE\\bo.SAV");
    });
    p.Then([](sc_Scene&, HeadlessBackend& b) {
        b.KeyDown(plat::key::Delete);
        return true;
    });
    p.Frames(10);
    p.Do([](sc_Scene&) {
        EXPECT_FALSE(fs::exists("SAVE/bo.SAV"));
        EXPECT_TRUE(fs::exists("SAVE/ace.SAV")) << "one save a press, and none selected after it";
    });
    p.Key(plat::key::Delete);
    p.Do([](sc_Scene&) { EXPECT_TRUE(fs::exists("SAVE/ace.SAV")) << "none was selected"; });
    p.Click(kSaveSlot.x + 10, kSaveSlot.y + 8);
    p.Key(plat::key::Delete);
    p.Do([](sc_Scene& s) {
        EXPECT_FALSE(fs::exists("SAVE/ace.SAV"));
        EXPECT_FALSE(fs::exists("SAVE/bo.SAV"));
        EXPECT_EQ(s.oGate.pGetSaveName(0), nullptr);
    });
    Run();
}

TEST_F(Campaign, TheGunIsBlockedAndTheCursorAnArrowWhileTheMouseIsOverThePanel) {
    Player& p = m_player;
    p.WaitFor("the top menu", [](sc_Scene& s) { return OnScreen(s, sc_InterFace::kScreenTop); });
    // The second mission plays on: its objective is a thing to destroy.
    p.Do([](sc_Scene& s) {
        s.oForm.lMission = 1;
        s.oGate.vSetMission(&s.oForm);
        s.oInterFace.lScreen = sc_InterFace::kScreenStart;
    });
    p.WaitFor("mission play", [](sc_Scene& s) { return s.lState == sc_Scene::kStatePlay; });
    struct Case {
        int32_t x, y, blocked;
    };
    for (const Case c : {Case{400, 300, 0}, Case{400, 590, 1}, Case{750, 300, 1}, Case{620, 20, 1},
                         Case{100, 200, 0}, Case{600, 520, 1}}) {
        p.Then([c](sc_Scene&, HeadlessBackend& b) {
            b.MoveMouse(c.x, c.y);
            return true;
        });
        p.Frames(2);
        p.Do([c](sc_Scene& s) {
            SCOPED_TRACE(testing::Message() << c.x << ", " << c.y);
            ASSERT_EQ(s.lState, sc_Scene::kStatePlay);
            EXPECT_EQ(s.bFireBlocked, c.blocked);
            EXPECT_EQ(s.oCursor.lKind, c.blocked ? 0 : 1);
        });
    }
    Run();
}

} // namespace
