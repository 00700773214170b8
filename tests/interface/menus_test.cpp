#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "game/all_string.h"
#include "game/gate.h"
#include "interface/form.h"
#include "interface/menus.h"
#include "tests/interface/widget_fixture.h"
#include "tests/support/game_dir.h"

namespace {

namespace fs = std::filesystem;

class Menus : public krxtest::Widgets {
protected:
    void SetUp() override {
        Widgets::SetUp();
        g_pWorkBuffer = m_surface->pGetBuffer();
        m_strings.vLoad(sc_AllString::kFileName);
        m_form.vLoad(&m_strings);
        m_gate.vInit();
        m_menus.vLoad(0);
    }
    void TearDown() override {
        m_menus.vFree();
        m_form.vReset();
        g_pWorkBuffer = nullptr;
        Widgets::TearDown();
    }
    void Show(int frames = 1) {
        for (int i = 0; i < frames; ++i, Frame()) m_menus.bShow();
    }
    // A click on the point, long after the last press.
    void ClickAt(int32_t x, int32_t y) {
        Mouse(x, y);
        Frame(400);
        m_menus.bShow();
        Press();
        Frame();
        m_menus.bShow();
        Release();
        Frame();
        m_menus.bShow();
    }
    void ClickAt(layout::Pos p, layout::Size s) { ClickAt(p.x + s.w / 2, p.y + s.h / 2); }
    void Type(uint8_t code) {
        Backend().KeyDown(code);
        Show();
        Backend().KeyUp(code);
        Show();
    }
    const sc_GameImgWithShadow* Briefing(int32_t dir, int32_t frame) {
        sc_GameStatus* s = m_menus.pMenuObject->pGetStatusAt(layout::kMenuBriefing);
        return s->pGetDirAt(dir)->pGetFrameAt(frame);
    }

    // Saves are written where the game runs: a folder of the test's own.
    krxtest::GameDir m_dir;
    krxtest::ScopedCwd m_here{m_dir.Path()};
    sc_AllString m_strings;
    sc_Form m_form;
    sc_Gate m_gate;
    sc_InterFace m_menus;
};

TEST_F(Menus, TheBriefingsBackgroundAndPicturesFollowTheRecordsOnPages) {
    // In order per mission: what stands after the records up to the cursor
    // are paged. Pair and single -1: off.
    struct Step {
        int32_t mission, cursor, back, pairA, pairB, single;
    };
    const Step steps[] = {
        {0, 0, 0, -1, -1, -1},  {0, 13, 0, -1, -1, -1}, {0, 14, 2, -1, -1, -1}, {0, 18, 1, 5, 7, -1},
        {0, 22, 1, 5, 7, -1},   {0, 23, 1, -1, -1, -1}, {0, 40, 1, -1, -1, -1},  {2, 0, 0, -1, -1, -1},
        {2, 9, 0, -1, -1, 1},   {2, 12, 0, 17, 50, -1}, {2, 16, 0, -1, -1, 1},   {6, 0, 1, -1, -1, 4},
        {6, 7, 1, 8, 24, -1},   {6, 14, 1, -1, -1, -1}, {8, 25, 2, -1, -1, -1},  {8, 27, 1, -1, -1, 6},
        {11, 0, 1, -1, -1, -1}, {11, 7, 2, -1, -1, -1}, {11, 12, 2, -1, -1, -1}, {11, 15, 1, 31, 40, -1},
    };
    for (const Step& s : steps) {
        SCOPED_TRACE(testing::Message() << "mission " << s.mission << ", record " << s.cursor);
        m_form.lMission = s.mission;
        m_menus.oMissionTalk.lCursor = s.cursor;
        m_menus.vShowMissionPicture();
        EXPECT_EQ(m_menus.lMissionBack, s.back);
        EXPECT_EQ(m_menus.bPair, s.pairA >= 0 ? 1 : 0);
        if (s.pairA >= 0) {
            EXPECT_EQ(m_menus.pPairA, Briefing(layout::kPairDir, s.pairA));
            EXPECT_EQ(m_menus.pPairB, Briefing(layout::kPairDir, s.pairB));
        }
        EXPECT_EQ(m_menus.bSingle, s.single >= 0 ? 1 : 0);
        if (s.single >= 0) {
            EXPECT_EQ(m_menus.pSingle, Briefing(layout::kSingleDir, s.single));
        }
    }
}

TEST_F(Menus, TheIdScreenMakesSavesOfTypedIdsAndContinuesToTheStoryOrTheBriefing) {
    ASSERT_EQ(m_menus.lScreen, sc_InterFace::kScreenTop);
    ClickAt(layout::kTopButtons[0], layout::kTopButton);
    ASSERT_EQ(m_menus.lScreen, sc_InterFace::kScreenId);
    Type(plat::key::Enter);
    EXPECT_TRUE(fs::is_empty("SAVE")) << "Enter on an empty line makes nothing";
    ClickAt(layout::kNavBack, layout::kNavButton);
    EXPECT_EQ(m_menus.lScreen, sc_InterFace::kScreenId) << "no save to continue";
    // Twelve letters: the line keeps nine.
    for (uint8_t key : {0x1E, 0x30, 0x2E, 0x20, 0x12, 0x21, 0x22, 0x23, 0x17, 0x24, 0x25, 0x26}) Type(key);
    ClickAt(layout::kNavNext, layout::kNavButton);
    EXPECT_TRUE(fs::is_regular_file("SAVE/abcdefghi.SAV"));
    EXPECT_EQ(m_menus.oKeyIn.lLength, 0);
    EXPECT_STREQ(m_gate.pGetSaveName(0), "abcdefghi");

    ClickAt(layout::kNavBack, layout::kNavButton);
    EXPECT_EQ(m_menus.lScreen, sc_InterFace::kScreenStory) << "the first mission begins with the story";
    ClickAt(layout::kNavBack, layout::kNavButton);
    ASSERT_EQ(m_menus.lScreen, sc_InterFace::kScreenId);
    m_form.lProgress = m_form.lMission = 3;
    ClickAt(layout::kNavBack, layout::kNavButton);
    EXPECT_EQ(m_menus.lScreen, sc_InterFace::kScreenMission);
    EXPECT_STREQ(m_gate.oMissionFile.pGetText(), "MAP\\wrd02004.BUD");
    EXPECT_EQ(m_menus.oMissionTalk.oImagePoint.x, layout::kBriefImage.x);
}

TEST_F(Menus, LeavingByTheTopButtonReplaysEverySlideInAndANavButtonSoundsOnceWhenEntered) {
    Backend().SetLocalTime(9, 5);
    ClickAt(layout::kTopButtons[0], layout::kTopButton);
    Show(60);
    ASSERT_TRUE(m_menus.pSlides[0].bArrived());
    EXPECT_EQ(m_menus.pSlides[0].lY, layout::kIdMissionPanel.y);
    // The clock shows the run's time of day, not the machine's.
    const auto digits = [](const sc_TextToPicture& t) {
        return t.cCount == 2 ? std::string{char('0' + t.pGlyphs[0] - sc_TextToPicture::cGlyphOf('0')),
                                           char('0' + t.pGlyphs[1] - sc_TextToPicture::cGlyphOf('0'))}
                             : std::string{};
    };
    EXPECT_EQ(digits(m_menus.oClockHour) + ":" + digits(m_menus.oClockMinute), "09:05");

    // Hovering the forward button: drawn two pixels up and right, one sound.
    const int32_t before = Sounds();
    Mouse(layout::kNavNext.x + 20, layout::kNavNext.y + 10);
    Frame();
    Show();
    const int32_t voices = Sounds();
    EXPECT_EQ(voices - before, 1);
    Show(20);
    EXPECT_EQ(m_menus.oNext.oPoint.x, layout::kNavNextOver.x);
    EXPECT_EQ(m_menus.oNext.oPoint.y, layout::kNavNextOver.y);
    EXPECT_LE(Sounds(), voices) << "no second hover sound while the mouse rests";

    ClickAt(layout::kNavTop, layout::kNavButton);
    ASSERT_EQ(m_menus.lScreen, sc_InterFace::kScreenTop);
    ClickAt(layout::kTopButtons[0], layout::kTopButton);
    ASSERT_EQ(m_menus.lScreen, sc_InterFace::kScreenId);
    EXPECT_LT(m_menus.pSlides[0].lY, 0) << "the panel comes down from above again";
}

TEST_F(Menus, AfterABattleWithoutAMissionTheMenusOpenOnTheTopScreen) {
    m_menus.lScreen = sc_InterFace::kScreenNet;
    m_menus.vLoad(0);
    EXPECT_EQ(m_menus.lScreen, sc_InterFace::kScreenTop);
    m_form.lFormType = 3;
    m_form.oSlider1.bSet(400, 65, 300, 0);
    m_menus.vLoad(1);
    EXPECT_EQ(m_menus.lScreen, sc_InterFace::kScreenId);
    EXPECT_EQ(m_form.oSlider1.lGetValue(), 94) << "the type's presets again";
    EXPECT_EQ(m_menus.bShow(), 0);
    m_menus.lScreen = sc_InterFace::kScreenStart;
    EXPECT_EQ(m_menus.bShow(), 1);
}

} // namespace
