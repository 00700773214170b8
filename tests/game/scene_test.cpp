#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <functional>
#include <map>
#include <vector>

#include "engine/base/file.h"
#include "engine/device/frame_time.h"
#include "game/work.h"
#include "platform/input.h"
#include "platform/png.h"
#include "platform/trace.h"
#include "tests/game/top_menu.h"
#include "tests/support/game_dir.h"
#include "tests/support/headless_run.h"

namespace {

namespace fs = std::filesystem;
using plat::HeadlessBackend;

struct Frame {
    int32_t state;
    int32_t now;
};

// Notes the state each frame starts in.
class SpyWork : public sc_Work {
public:
    void vShow() override {
        frames.push_back({oScene.lState, g_lNowTick});
        sc_Work::vShow();
    }
    std::vector<Frame> frames;
};

sc_Scene& TheScene() { return g_pWork->oScene; }

// The states in the order they were entered.
std::vector<int32_t> Path(const std::vector<Frame>& frames) {
    std::vector<int32_t> path;
    for (const Frame& f : frames)
        if (path.empty() || path.back() != f.state) path.push_back(f.state);
    return path;
}

// The first frame at or after `from` that starts in the state; -1 if none.
int FirstIn(const std::vector<Frame>& frames, int32_t state, size_t from = 0) {
    for (size_t i = from; i < frames.size(); ++i)
        if (frames[i].state == state) return static_cast<int>(i);
    return -1;
}

// Pixels of the F7 overlay's box that are not the top menu's own.
int CountText(const std::vector<uint16_t>& px) {
    static const std::vector<uint16_t> menu = krxtest::TopMenuPicture();
    int text = 0;
    for (int y = 20; y < 76; ++y)
        for (int x = 20; x < 140; ++x) text += px[y * 800 + x] != menu[y * 800 + x];
    return text;
}

class Scene : public krxtest::HeadlessTest {
protected:
    void SetUp() override {
        HeadlessTest::SetUp();
        m_cwd = std::make_unique<krxtest::ScopedCwd>(m_dir.Path());
        sc_Window::vRegister(0, "KRX", 0, 0);
        // Every present, by the pass it was made in.
        Backend().OnShow([this](const uint16_t* px, int32_t w, int32_t h) {
            m_presents[Backend().Passes()].assign(px, px + w * h);
        });
    }
    void TearDown() override {
        m_cwd.reset();
        HeadlessTest::TearDown();
    }

    // Runs the program for the given passes with Escape held over the two
    // movies (passes 1 to 4), so the menus start on pass 6.
    void Run(uint64_t passes, bool skipMovies = true) {
        if (skipMovies) {
            Backend().At(1, [](HeadlessBackend& b) { b.KeyDown(plat::key::Escape); });
            Backend().At(5, [](HeadlessBackend& b) { b.KeyUp(plat::key::Escape); });
        }
        Backend().SetPassBudget(passes);
        m_work.vCreate("KRX Project", 0, 0, 0);
        ASSERT_EQ(m_work.lRun(), 0);
    }
    void At(uint64_t pass, std::function<void(sc_Scene&, HeadlessBackend&)> fn) {
        Backend().At(pass, [fn](HeadlessBackend& b) { fn(TheScene(), b); });
    }

    krxtest::GameDir m_dir;
    std::unique_ptr<krxtest::ScopedCwd> m_cwd;
    std::map<uint64_t, std::vector<uint16_t>> m_presents;
    SpyWork m_work;
};

TEST_F(Scene, EscapeHeldRunsTheStartStatesOnConsecutiveFrames) {
    Run(8);
    ASSERT_GE(m_work.frames.size(), 7u);
    const std::vector<int32_t> first{m_work.frames[0].state, m_work.frames[1].state, m_work.frames[2].state,
                                     m_work.frames[3].state, m_work.frames[4].state, m_work.frames[5].state,
                                     m_work.frames[6].state};
    EXPECT_EQ(first, (std::vector<int32_t>{0, 128, 7, 255, 1, 4, 4}));
    EXPECT_EQ(TheScene().bMoviePlaying, 0);
}

TEST_F(Scene, WithoutKeysBothMoviesPlayOutAndTheMenusFollow) {
    Run(900, false);
    const auto& f = m_work.frames;
    EXPECT_EQ(Path(f), (std::vector<int32_t>{0, 128, 7, 255, 1, 4}));
    // The tour lasts 6 s and the opening 5 s; while they play the work
    // surface is not shown.
    const int tour = FirstIn(f, 7), opening = FirstIn(f, 255), menus = FirstIn(f, 1);
    ASSERT_GT(tour, 0);
    ASSERT_GT(opening, 0);
    ASSERT_GT(menus, 0);
    EXPECT_NEAR(f[opening].now - f[tour].now, 6000, 200);
    EXPECT_NEAR(f[menus].now - f[opening].now, 5000, 200);
    // The movie shows its own frames: something other than black and the
    // cursor (at the top left) reached the screen.
    const auto during = m_presents.lower_bound(static_cast<uint64_t>(opening) + 10);
    ASSERT_NE(during, m_presents.end());
    EXPECT_NE(during->second[300 * 800 + 400], 0);
    const std::vector<uint16_t>& last = m_presents.rbegin()->second;
    const std::vector<uint16_t> menu = krxtest::TopMenuPicture();
    int other = 0;
    for (int y = 0; y < 600; ++y)
        for (int x = 0; x < 800; ++x)
            if (last[y * 800 + x] != menu[y * 800 + x] && (x > 40 || y > 40) && !krxtest::OnTopMenuButton(x, y))
                ++other;
    EXPECT_EQ(other, 0) << "the menus' frame shows the top menu, its buttons and the cursor";
}

TEST_F(Scene, TheTraceLogIsEmptiedAtStartAndTakesEveryTrace) {
    m_dir.Write("DEBUG.TXT", "the last run's lines");
    std::string atStart = "unread";
    At(2, [&](sc_Scene&, HeadlessBackend&) {
        atStart = m_dir.Read("DEBUG.TXT");
        plat::Trace("Fonts\\EM0816.FNT", "refused");
    });
    Run(6);
    EXPECT_EQ(atStart, "");
    EXPECT_NE(m_dir.Read("DEBUG.TXT").find(std::string("\0Fonts\\EM0816.FNT: refused\0", 27)), std::string::npos);
}

TEST_F(Scene, ScreenshotsAreTheShownFramesWithoutTheOverlay) {
    const int32_t mx = 300, my = 200;
    At(1, [&](sc_Scene&, HeadlessBackend& b) { b.MoveMouse(mx, my); });
    At(6, [](sc_Scene&, HeadlessBackend& b) { b.KeyDown(plat::key::F7); });
    At(8, [](sc_Scene& s, HeadlessBackend&) { s.bRecording = 1; });
    At(13, [](sc_Scene& s, HeadlessBackend&) { s.bRecording = 0; });
    At(15, [](sc_Scene&, HeadlessBackend& b) { b.KeyUp(plat::key::F7); });
    Run(18);

    // Frames are 16 ms apart: one shot on pass 8, the next once more than
    // 33 ms have passed, on pass 11.
    ASSERT_TRUE(fs::is_directory(m_dir.Path() / "SAVETGA"));
    EXPECT_TRUE(fs::exists(m_dir.Path() / "SAVETGA" / "000001.tga"));
    EXPECT_FALSE(fs::exists(m_dir.Path() / "SAVETGA" / "000002.tga"));
    const std::string tga = m_dir.Read("SAVETGA/000000.tga");
    ASSERT_EQ(tga.size(), 960'018u);
    EXPECT_EQ(tga.substr(0, 18), std::string("\0\0\2\0\0\0\0\0\0\0\0\0\x20\x03\x58\x02\x10\0", 18));

    // ImageMagick keeps a bottom-up file's rows as stored and notes the
    // orientation; -auto-orient puts them the right way up.
    ASSERT_EQ(std::system(("convert " + (m_dir.Path() / "SAVETGA" / "000000.tga").string() + " -auto-orient " +
                           (m_dir.Path() / "shot.png").string())
                              .c_str()),
              0);
    std::vector<uint16_t> shot;
    int w = 0, h = 0;
    ASSERT_TRUE(plat::ReadPng555((m_dir.Path() / "shot.png").string(), shot, w, h));
    ASSERT_EQ(w, 800);
    ASSERT_EQ(h, 600);
    ASSERT_TRUE(m_presents.count(8));
    EXPECT_TRUE(shot == m_presents[8]) << "the file is not the frame shown";
    int cursor = 0;
    for (uint16_t p : shot) cursor += p != 0;
    EXPECT_GT(cursor, 20);

    // F7 held from pass 6: the overlay shows while recording is off, never
    // in a recorded frame, and not once F7 is up.
    for (uint64_t pass : {7, 8, 9, 12, 14, 16}) ASSERT_TRUE(m_presents.count(pass)) << pass;
    EXPECT_GT(CountText(m_presents[7]), 40);
    EXPECT_EQ(CountText(m_presents[8]), 0);
    EXPECT_EQ(CountText(m_presents[12]), 0);
    EXPECT_GT(CountText(m_presents[14]), 40);
    EXPECT_EQ(CountText(m_presents[16]), 0);
}

TEST_F(Scene, AScreenshotThatCannotBeWrittenIsSkippedAndTriedAgain) {
    m_dir.Write("SAVETGA", "a file where the folder should be");
    At(8, [](sc_Scene& s, HeadlessBackend&) { s.bRecording = 1; });
    At(12, [&](sc_Scene&, HeadlessBackend&) { fs::remove(m_dir.Path() / "SAVETGA"); });
    Run(14);
    EXPECT_TRUE(fs::exists(m_dir.Path() / "SAVETGA" / "000000.tga"));
    const std::string log = m_dir.Read("DEBUG.TXT");
    const size_t first = log.find("screenshot not written");
    ASSERT_NE(first, std::string::npos);
    EXPECT_EQ(log.find("screenshot not written", first + 1), std::string::npos) << "one line for the run of failures";
}

TEST_F(Scene, TheCursorHotSpotFollowsTheMouse) {
    sc_GameImageData pack;
    {
        sc_CreateFileSquentialAccess table("P_CURSOR\\P_CURSOR.STR"), data("P_CURSOR\\P_CURSOR.IMG");
        ASSERT_TRUE(pack.bReadSplit(table, &data, nullptr));
    }
    const sc_GameImgWithShadow* arrow = pack.pGetFrameAt(0, 0, 0, 0);
    ASSERT_NE(arrow, nullptr);
    At(7, [](sc_Scene&, HeadlessBackend& b) { b.MoveMouse(300, 200); });
    At(8, [](sc_Scene&, HeadlessBackend& b) { b.MoveMouse(217, 431); });
    Run(10);
    // Off the buttons the frame is the top menu with the arrow drawn over it,
    // its frame offset placing the tip under the mouse.
    const std::vector<uint16_t> menu = krxtest::TopMenuPicture();
    for (auto [pass, mx, my] : {std::tuple{7, 300, 200}, std::tuple{8, 217, 431}}) {
        std::vector<uint16_t> expected = menu;
        arrow->oImage().vShowOn(mx - 400, my - 300, expected.data(), 800, 600, 0, 0, 0, 0);
        const std::vector<uint16_t>& px = m_presents.at(pass);
        int differ = 0, changed = 0;
        for (int y = 0; y < 600; ++y)
            for (int x = 0; x < 800; ++x) {
                if (krxtest::OnTopMenuButton(x, y)) continue;
                differ += px[y * 800 + x] != expected[y * 800 + x];
                changed += px[y * 800 + x] != menu[y * 800 + x];
            }
        EXPECT_EQ(differ, 0) << pass;
        EXPECT_GT(changed, 50) << pass;
    }
}

// A single-player mission from the menus to the menus.
TEST_F(Scene, AMissionWonWithF5HoldsItsEndAndReturnsToTheMenus) {
    At(7, [](sc_Scene& s, HeadlessBackend&) {
        s.oInterFace.lScreen = sc_InterFace::kScreenStart;
        s.oGate.vNewSave("SAVE\\Tester.SAV");
    });
    At(10, [](sc_Scene&, HeadlessBackend& b) { b.KeyDown(plat::key::F5); });
    At(11, [](sc_Scene&, HeadlessBackend& b) { b.KeyUp(plat::key::F5); });
    Run(10 + 10'000 / 16 + 10);
    const auto& f = m_work.frames;
    EXPECT_EQ(Path(f), (std::vector<int32_t>{0, 128, 7, 255, 1, 4, 2, 3, 6, 1, 4}));
    const sc_Scene& s = TheScene();
    EXPECT_EQ(s.bHost, 1);
    EXPECT_EQ(s.bNetwork, 0);
    EXPECT_EQ(s.bAfterMission, 1);
    EXPECT_EQ(s.oForm.lProgress, 1);
    EXPECT_EQ(s.oForm.lMission, 1);
    EXPECT_EQ(s.oInterFace.lScreen, 1) << "back at the player-ID screen";
    // The won mission is saved with the next one open.
    const std::string save = m_dir.Read("SAVE/Tester.SAV");
    ASSERT_EQ(save.size(), 12u);
    EXPECT_EQ(save.substr(0, 4), std::string("\x01\0\0\0", 4));
    // The end is held 10 s from the frame F5 was seen: the first frame at
    // the deadline leaves it.
    const int won = FirstIn(f, 6) - 1, back = FirstIn(f, 1, FirstIn(f, 6));
    ASSERT_GT(won, 0);
    ASSERT_GT(back, 1);
    EXPECT_LT(f[back - 2].now, f[won].now + 10'000);
    EXPECT_GE(f[back - 1].now, f[won].now + 10'000);
}

// One play frame with keys held and the form as given: where it leads.
TEST_F(Scene, APlayFrameEndsTheMissionOrOpensTheSystemMenu) {
    struct Case {
        std::vector<uint8_t> keys;
        int32_t progress, mission;
        bool dead;
        int32_t state, progressAfter, missionAfter;
        bool endMovie;
    };
    const uint8_t esc = plat::key::Escape, f5 = plat::key::F5;
    const Case cases[] = {
        {{}, 0, 0, false, 3, 0, 0, false},
        {{esc}, 0, 0, false, 5, 0, 0, false},
        {{f5}, 3, 3, false, 6, 4, 4, false},
        {{esc, f5}, 0, 0, false, 6, 1, 1, false},     // the mission end wins
        {{f5}, 5, 2, false, 6, 5, 2, false},          // a replayed mission opens nothing
        {{f5}, 11, 11, false, 6, 11, 11, true},       // the twelfth: end movie, clamped
        {{}, 2, 2, true, 6, 2, 2, false},             // the player's character is gone
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "case state " << c.state << " progress " << c.progress);
        TearDown();
        SetUp();
        At(7, [&c](sc_Scene& s, HeadlessBackend& b) {
            s.lState = sc_Scene::kStatePlay;
            s.oForm.lProgress = c.progress;
            s.oForm.lMission = c.mission;
            s.oMap.oSetting.oAllEnemy.pAdd(); // one enemy left: "no enemy left" is not met
            if (c.dead) {
                sc_Character* own = s.oAllObject.oAllCharacter.pAdd();
                own->bRemainsDone = 1;
                s.oForm.vSetCharacter(own);
            }
            for (uint8_t k : c.keys) b.KeyDown(k);
        });
        Run(9);
        const sc_Scene& s = TheScene();
        EXPECT_EQ(m_work.frames.at(7).state, c.state);
        EXPECT_EQ(s.oForm.lProgress, c.progressAfter);
        EXPECT_EQ(s.oForm.lMission, c.missionAfter);
        EXPECT_EQ(s.bMoviePlaying, c.endMovie ? 1 : 0);
        m_work.frames.clear();
    }
}

TEST_F(Scene, ABattleStartsFromTheLobbyAndEndsForEveryMachine) {
    enum Ending { kWin, kLose, kAlone };
    for (Ending ending : {kWin, kLose, kAlone}) {
        SCOPED_TRACE(ending);
        TearDown();
        SetUp();
        // The room starts its battle in the frame a mission would start too;
        // this machine is player 0, of one or of two.
        At(7, [ending](sc_Scene& s, HeadlessBackend&) {
            s.oInterFace.lScreen = sc_InterFace::kScreenStart;
            s.oInterFace.bNetStart = 1;
            s.oInterFace.lNetPlayerCount = ending == kAlone ? 1 : 2;
            s.oInterFace.lNetOwnIndex = 0;
            s.oInterFace.lNetMap = 6;
        });
        int32_t loaded = -1;
        bool ownIsFirst = false;
        At(10, [&](sc_Scene& s, HeadlessBackend&) {
            const sc_AllCharacter& all = s.oAllObject.oAllCharacter;
            loaded = all.lGetCount();
            ownIsFirst = s.oForm.pCharacter == all.pGetCharacter(0);
        });
        At(12, [ending](sc_Scene& s, HeadlessBackend&) {
            sc_AllCharacter& all = s.oAllObject.oAllCharacter;
            if (ending == kLose) {
                all.pGetCharacter(0)->bRemainsDone = 1;
                all.pGetCharacter(0)->lHitPoints = 0;
            } else {
                for (int32_t i = 1; i < all.lGetCount(); ++i) all.pGetCharacter(i)->bRemainsDone = 1;
            }
        });
        // The hand-over and leaving the room are not held back with the
        // picture: done on the first frame of the end.
        int32_t playersOnSecondFrame = -1;
        At(14, [&](sc_Scene& s, HeadlessBackend&) { playersOnSecondFrame = s.oInterFace.lNetPlayerCount; });
        Run(12 + 10'000 / 16 + 10);
        const sc_Scene& s = TheScene();
        const auto& f = m_work.frames;
        EXPECT_EQ(loaded, ending == kAlone ? 1 : 2) << "one character per room player";
        EXPECT_TRUE(ownIsFirst);
        if (ending == kAlone) {
            EXPECT_EQ(Path(f), (std::vector<int32_t>{0, 128, 7, 255, 1, 4, 8, 9, 10}));
            EXPECT_EQ(s.bHost, 1) << "the last player of the room holds authority";
            continue;
        }
        EXPECT_EQ(s.bHost, 0) << "player 0 of two does not hold authority";
        EXPECT_EQ(Path(f), (std::vector<int32_t>{0, 128, 7, 255, 1, 4, 8, 9, 10, ending == kWin ? 12 : 11, 1, 4}));
        EXPECT_EQ(f.at(12).state, ending == kWin ? 12 : 11);
        EXPECT_EQ(s.bNetwork, 1);
        EXPECT_EQ(s.bAfterMission, 0);
        EXPECT_EQ(s.oInterFace.lNetPlayerCount, 0);
        EXPECT_EQ(playersOnSecondFrame, 0);
        EXPECT_EQ(s.oForm.pCharacter, nullptr) << "the world is emptied";
        EXPECT_EQ(s.oForm.pTarget, nullptr);
        const int back = FirstIn(f, 1, 12);
        ASSERT_GT(back, 1);
        EXPECT_GE(f[back - 1].now, f[11].now + 10'000);
        EXPECT_LT(f[back - 2].now, f[11].now + 10'000);
        m_work.frames.clear();
    }
}

TEST(SceneMembers, EachRegistersItselfWhileItLives) {
    auto s = std::make_unique<sc_Scene>();
    const std::pair<const void*, const void*> registered[] = {
        {g_pMemoryControl, &s->oMemoryControl}, {g_pAttrib, &s->oAttrib}, {g_pSound, &s->oSound},
        {g_pCursor, &s->oCursor}, {g_pDebug, &s->oDebug}, {g_pMap, &s->oMap}, {g_pMapSort, &s->oMap.oMapSort},
        {g_pAllObject, &s->oAllObject}, {g_pAllCharacter, &s->oAllObject.oAllCharacter},
        {g_pAllProp, &s->oAllObject.oAllProp}, {g_pDirPlay, &s->oDirPlay}, {g_pTransmit, &s->oTransmit},
        {g_pForm, &s->oForm}, {g_pGate, &s->oGate}, {g_pInterFaceOperator, &s->oInterFaceOperator},
        {g_pInterFace, &s->oInterFace}, {g_pLoading, &s->oLoading}, {g_pInterFaceSystem, &s->oInterFaceSystem},
        {g_pDirKey, &s->oDirKey},
    };
    for (size_t i = 0; i < std::size(registered); ++i) EXPECT_EQ(registered[i].first, registered[i].second) << i;
    s.reset();
    for (const void* p : {(const void*)g_pMemoryControl, (const void*)g_pDebug, (const void*)g_pInterFaceSystem,
                          (const void*)g_pDirKey})
        EXPECT_EQ(p, nullptr);
}

} // namespace
