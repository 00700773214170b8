#include <gtest/gtest.h>

#include "game/all_string.h"
#include "interface/form.h"
#include "interface/system_menu.h"
#include "tests/interface/widget_fixture.h"

namespace {

class SystemMenu : public krxtest::Widgets {
protected:
    void SetUp() override {
        Widgets::SetUp();
        g_pWorkBuffer = m_surface->pGetBuffer();
        m_strings.vLoad(sc_AllString::kFileName);
        m_form.pStrings = &m_strings;
        m_menu.vLoad(&m_form);
        m_sound.vSetVolume(0);
    }
    void TearDown() override {
        m_menu.vFree();
        g_pWorkBuffer = nullptr;
        Widgets::TearDown();
    }
    static layout::Pos ButtonCentre(int32_t i) {
        return {layout::kSystemButtonFirst.x + layout::kSystemButton.w / 2,
                layout::kSystemButtonFirst.y + layout::kSystemButtonPitch * i + layout::kSystemButton.h / 2};
    }
    // A press and a release on the point (long after the last, so never a
    // double-click); what each of the two frames chose.
    std::pair<int32_t, int32_t> Click(layout::Pos at) {
        Mouse(at.x, at.y);
        Frame(400);
        m_menu.lShow();
        Press();
        Frame();
        const int32_t pressed = m_menu.lShow();
        Release();
        Frame();
        return {pressed, m_menu.lShow()};
    }

    sc_AllString m_strings;
    sc_Form m_form;
    sc_InterFaceSystem m_menu;
};

TEST_F(SystemMenu, EachButtonAnswersOnItsPressAndResumeAbandonQuitLetTheMenuBeLaidAgain) {
    struct Case {
        int32_t button, result, menuDrawn, pageShown;
    };
    const Case cases[] = {{0, sc_InterFaceSystem::kResume, 0, 0},
                          {2, sc_InterFaceSystem::kAbandon, 0, 0},
                          {3, sc_InterFaceSystem::kQuit, 0, 0},
                          {1, sc_InterFaceSystem::kVolume, 1, 1}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.button);
        m_sound.vStopAll();
        const int32_t voices = Sounds();
        const auto [pressed, released] = Click(ButtonCentre(c.button));
        EXPECT_EQ(pressed, c.result);
        EXPECT_EQ(released, sc_InterFaceSystem::kNothing) << "one answer per press";
        EXPECT_EQ(Sounds() - voices, 1);
        // The release frame laid the menu again; the choice is the press frame's.
        m_menu.bMenuDrawn = 1;
        Mouse(0, 0);
        Frame();
        m_menu.lShow();
        EXPECT_EQ(m_menu.bPageShown, c.pageShown);
    }
    EXPECT_EQ(Click({10, 10}).first, sc_InterFaceSystem::kNothing);
    // Abandoning lets the next frame lay the menu picture anew.
    Click(ButtonCentre(2));
    EXPECT_EQ(m_menu.bMenuDrawn, 1);
}

TEST_F(SystemMenu, TheVolumeFollowsTheCursorAlongTheBarWithoutAClickClampedToTen) {
    Click(ButtonCentre(1));
    ASSERT_EQ(m_menu.bPageShown, 1);
    EXPECT_EQ(m_menu.oVolume.lGetValue(), 8);
    struct Case {
        int32_t x, volume, sound;
    };
    const int32_t y = layout::kVolumeBar.y + 5;
    const Case cases[] = {{475, 0, -3000}, {502, 1, -3000}, {591, 4, -3000}, {592, 5, -2000},
                          {620, 6, -1000}, {700, 8, 0},     {768, 10, 0},    {474, 10, 0}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.x);
        Mouse(c.x, y);
        Frame();
        m_menu.lShow();
        EXPECT_EQ(m_menu.oVolume.lGetValue(), c.volume);
        EXPECT_EQ(m_sound.lGetVolume(), c.sound);
    }
    Mouse(620, layout::kVolumeBar.y + layout::kVolumeBarSize.h + 1);
    Frame();
    m_menu.lShow();
    EXPECT_EQ(m_menu.oVolume.lGetValue(), 10) << "below the bar nothing changes";
}

TEST_F(SystemMenu, TheVolumePageStaysUnderTheCursorAndFadesOutOnceItLeaves) {
    Click(ButtonCentre(1));
    // Resting on the page (over its texts) for ten seconds.
    Mouse(700, 350);
    for (int i = 0; i < 625; ++i, Frame()) m_menu.lShow();
    EXPECT_EQ(m_menu.lPageFadeLevel, sc_InterFaceSystem::kOpaque);
    EXPECT_EQ(m_menu.bPageShown, 1);

    // Off the page it loses a level every 100 ms: the bar and texts go at
    // 16, the page at 0, after 3.1 s.
    Mouse(100, 100);
    int32_t openFor = 0, textsFor = -1;
    for (int i = 0; i < 2000 && m_menu.bPageShown; ++i, Frame(4)) {
        m_menu.lShow();
        if (textsFor < 0 && m_menu.lPageFadeLevel <= 16) textsFor = openFor;
        openFor += 4;
    }
    EXPECT_EQ(m_menu.bPageShown, 0);
    EXPECT_NEAR(openFor, 3100, 60);
    EXPECT_NEAR(textsFor, 1500, 60);
    EXPECT_EQ(m_menu.lPageFadeLevel, sc_InterFaceSystem::kOpaque) << "ready for the next opening";
}

TEST_F(SystemMenu, TheEndPicturesStandWhereTheGameFlowAsks) {
    Clear();
    m_menu.vShowMissionComplete();
    const int32_t complete = 800 * 600 - Count(0, 0, 800, 600, 0);
    EXPECT_GT(complete, 0);
    EXPECT_EQ(Count(0, 0, 800, layout::kEndComplete.y, 0), 800 * layout::kEndComplete.y) << "nothing above it";
    Clear();
    m_menu.vShowMissionFailure();
    EXPECT_EQ(Count(0, 0, layout::kEndFailure.x, 600, 0), layout::kEndFailure.x * 600) << "nothing left of it";
    Clear();
    m_menu.vShowBackground();
    EXPECT_EQ(Count(0, 0, 800, 60, 0), 0) << "its frame covers the top of the screen";
    // Freed, nothing is drawn and nothing is held.
    m_menu.vFree();
    Clear();
    m_menu.vShowBackground();
    EXPECT_EQ(Count(0, 0, 800, 600, 0), 800 * 600);
    EXPECT_EQ(m_cache.lGetEntryCount(), 0);
}

} // namespace
