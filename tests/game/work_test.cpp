#include <gtest/gtest.h>

#include "engine/device/dir_surface.h"
#include "game/entry.h"
#include "game/work.h"
#include "platform/display.h"
#include "platform/input.h"
#include "platform/window.h"
#include "tests/game/top_menu.h"
#include "tests/support/game_dir.h"
#include "tests/support/headless_run.h"
#include "tests/support/temp_dir.h"

namespace {

class SpyWork : public sc_Work {
public:
    int32_t bOnCreate(WindowHandle w) override {
        insideCreate = pGetHwnd() == 0 && w != 0;
        return sc_Work::bOnCreate(w);
    }
    void vOnIdle() override {
        ++idles;
        sc_Work::vOnIdle();
    }
    bool insideCreate = false;
    int idles = 0;
};

class Work : public krxtest::HeadlessTest {
protected:
    void SetUp() override {
        HeadlessTest::SetUp();
        // The game writes its trace log where it runs.
        m_cwd = std::make_unique<krxtest::ScopedCwd>(m_dir.Path());
        sc_Window::vRegister(0, "KRX", 0, 0);
    }
    void TearDown() override {
        m_cwd.reset();
        HeadlessTest::TearDown();
    }

private:
    krxtest::TempDir m_dir;
    std::unique_ptr<krxtest::ScopedCwd> m_cwd;
};

TEST_F(Work, CreateSetsUpTheDisplayInsideCreate) {
    SpyWork work;
    EXPECT_EQ(g_pWork, &work);
    ss_PlainRect rect{1, 2, 3, 4};
    work.vGetScreenRect(&rect);
    EXPECT_EQ(rect, (ss_PlainRect{0, 0, 0, 0}));
    work.vCreate("KRX Project", 0, 0, 0);
    EXPECT_TRUE(work.insideCreate);
    EXPECT_EQ(g_oScreenSize.oPlain(), (ss_PlainPoint{800, 600}));
    work.vSpareA();
    work.vSpareB();
    work.vGetScreenRect(&rect);
    EXPECT_EQ(rect, (ss_PlainRect{0, 0, 800, 600}));
    ASSERT_NE(g_pWorkSurface, nullptr);
    ASSERT_NE(g_pTextSurface, nullptr);
    EXPECT_EQ(g_pWorkSurface->lGetId(), 1);
    EXPECT_EQ(g_pTextSurface->lGetId(), 0);
    EXPECT_EQ(Backend().CreatedTitles(), std::vector<std::string>{"KRX Project"});
}

TEST_F(Work, APostedCloseGivesOneMoreIdlePassAndZero) {
    SpyWork work;
    work.vCreate("KRX Project", 0, 0, 0);
    int idlesBeforeClose = -1;
    Backend().At(5, [&](plat::HeadlessBackend&) {
        idlesBeforeClose = work.idles;
        b_PostClose(work.pGetHwnd());
    });
    EXPECT_EQ(work.lRun(), 0);
    EXPECT_EQ(idlesBeforeClose, 4);
    EXPECT_EQ(work.idles, 5);
    EXPECT_EQ(Backend().Passes(), 6u);
    // The last idle pass ran after the window was gone: it drew but showed nothing.
    EXPECT_EQ(Backend().Presents(), 4);
}

TEST_F(Work, TwoQueuedMessagesTakeTwoPasses) {
    SpyWork work;
    work.vCreate("KRX Project", 0, 0, 0);
    Backend().At(2, [&](plat::HeadlessBackend&) {
        plat::PostEvent(plat::Event::Activate(true));
        b_PostClose(work.pGetHwnd());
    });
    EXPECT_EQ(work.lRun(), 0);
    // Pass 2 takes the activation, pass 3 the close, pass 4 the quit.
    EXPECT_EQ(Backend().Passes(), 4u);
    EXPECT_EQ(work.idles, 3);
}

TEST_F(Work, F6ClosesTheProgramOnTheFrameItIsSeen) {
    SpyWork work;
    work.vCreate("KRX Project", 0, 0, 0);
    Backend().At(7, [](plat::HeadlessBackend& b) { b.KeyDown(plat::key::F6); });
    EXPECT_EQ(work.lRun(), 0);
    // Seen by frame 7's control step, handled on pass 8, quit on pass 9; F6
    // still held on pass 8 posts nothing more to the dead window.
    EXPECT_EQ(Backend().Passes(), 9u);
}

TEST_F(Work, FrameSkipWithAnEvenWordAlwaysDrawsAndAnOddOneEveryEighth) {
    SpyWork work;
    for (int i = 0; i < 20; ++i) EXPECT_TRUE(work.bFrameSkip());
    g_aFrameSkipBlock[sc_Work::kFrameSkipBlockSize - 4] = 1;
    std::vector<int> drawn;
    for (int i = 1; i <= 17; ++i)
        if (work.bFrameSkip()) drawn.push_back(i);
    EXPECT_EQ(drawn, (std::vector<int>{1, 9, 17}));
}

TEST_F(Work, TheEntryRunsUntilClosedAndReturnsZero) {
    Backend().SetPassBudget(30);
    EXPECT_EQ(l_KrxMain(), 0);
    EXPECT_EQ(Backend().Passes(), 31u);
    EXPECT_EQ(g_pWork, nullptr);
}

TEST_F(Work, TheEntryFailsCleanlyWhenTheWindowOrDisplayCannotBeMade) {
    Backend().FailNextWindow();
    EXPECT_EQ(l_KrxMain(), 1);
    EXPECT_EQ(Backend().Passes(), 0u); // no frame ran
    plat::ResetWindowSystem();
    // Both the asked mode and the fall-back refused.
    struct Refuse : plat::HeadlessBackend {
        bool OpenDisplay(int32_t, int32_t) override { return false; }
    };
    plat::InstallBackend(std::make_unique<Refuse>());
    EXPECT_EQ(l_KrxMain(), 1);
}

// The overlay's font comes from the generated data set.
class WorkDataSet : public Work {};

TEST_F(WorkDataSet, TheF7OverlayDrawsTheFrameRateInTheGamesColours) {
    krxtest::GameDir dir;
    krxtest::ScopedCwd cwd(dir.Path());
    // Escape skips the two movies, which own the screen while they play.
    Backend().At(1, [](plat::HeadlessBackend& b) { b.KeyDown(plat::key::Escape); });
    Backend().At(5, [](plat::HeadlessBackend& b) { b.KeyUp(plat::key::Escape); });
    Backend().At(3, [](plat::HeadlessBackend& b) {
        b.KeyDown(plat::key::F7);
        b.MoveMouse(123, 45);
    });
    Backend().SetPassBudget(10);
    ASSERT_EQ(l_KrxMain(), 0);
    const std::vector<uint16_t>& px = Backend().LastPresent();
    ASSERT_EQ(px.size(), 800u * 600u);
    // "Frame: " at (20, 20): 8x16 cells 9 pixels apart, one-bit glyphs in
    // 0x0F0B on a transparent background (the shadow is for the smooth fonts)
    // over the top menu.
    const std::vector<uint16_t> menu = krxtest::TopMenuPicture();
    int text = 0, other = 0;
    for (int y = 20; y < 36; ++y)
        for (int x = 20; x < 20 + 7 * 9; ++x) {
            const uint16_t p = px[y * 800 + x];
            if (p == 0x0F0B) ++text;
            else if (p != menu[y * 800 + x]) ++other;
        }
    EXPECT_GT(text, 40);
    EXPECT_EQ(other, 0);
    // Nothing left of where the text was asked to start.
    int firstColumn = 0;
    for (int y = 20; y < 36; ++y) firstColumn += px[y * 800 + 19] == 0x0F0B;
    EXPECT_EQ(firstColumn, 0);
    // Nothing drawn below the overlay's lines (the cursor stands above them)
    // but the top menu and its buttons.
    for (int y = 100; y < 600; y += 7)
        for (int x = 0; x < 800; x += 5)
            if (!krxtest::OnTopMenuButton(x, y)) {
                ASSERT_EQ(px[y * 800 + x], menu[y * 800 + x]) << x << "," << y;
            }
}

} // namespace
