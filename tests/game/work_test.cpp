#include <gtest/gtest.h>

#include "game/entry.h"
#include "game/work.h"
#include "tests/support/headless_run.h"

namespace {

class SpyWork : public sc_Work {
public:
    int32_t bOnCreate(plat::WindowHandle w) override {
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
        sc_Window::vRegister(0, "KRX", 0, 0);
    }
};

TEST_F(Work, CreateReachesTheHandlerInsideCreate) {
    SpyWork work;
    EXPECT_EQ(g_pWork, &work);
    work.vCreate("KRX Project", 0, 0, 0);
    EXPECT_TRUE(work.insideCreate);
    EXPECT_EQ(g_oScreenSize.oPlain(), (ss_PlainPoint{800, 600}));
    EXPECT_EQ(Backend().CreatedTitles(), std::vector<std::string>{"KRX Project"});
}

TEST_F(Work, APostedCloseGivesOneMoreIdlePassAndZero) {
    SpyWork work;
    work.vCreate("KRX Project", 0, 0, 0);
    int idlesBeforeClose = -1;
    Backend().At(5, [&](plat::HeadlessBackend&) {
        idlesBeforeClose = work.idles;
        plat::PostMessage(work.pGetHwnd(), plat::MSG_CLOSE, 0, 0);
    });
    EXPECT_EQ(work.lRun(), 0);
    EXPECT_EQ(idlesBeforeClose, 4);
    EXPECT_EQ(work.idles, 5);
    EXPECT_EQ(Backend().Passes(), 6u);
}

TEST_F(Work, TwoQueuedMessagesTakeTwoPasses) {
    SpyWork work;
    work.vCreate("KRX Project", 0, 0, 0);
    Backend().At(2, [&](plat::HeadlessBackend&) {
        plat::PostMessage(work.pGetHwnd(), plat::MSG_COMMAND, 0, 0);
        plat::PostMessage(work.pGetHwnd(), plat::MSG_CLOSE, 0, 0);
    });
    EXPECT_EQ(work.lRun(), 0);
    // Pass 2 takes the command, pass 3 the close, pass 4 the quit.
    EXPECT_EQ(Backend().Passes(), 4u);
    EXPECT_EQ(work.idles, 3);
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

TEST_F(Work, TheEntryFailsCleanlyWhenTheWindowCannotBeMade) {
    Backend().FailNextWindow();
    EXPECT_EQ(l_KrxMain(), 1);
    EXPECT_EQ(Backend().Passes(), 0u); // no frame ran
}

} // namespace
