#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "engine/platform/dir_surface.h"
#include "engine/platform/direct2d.h"
#include "engine/platform/frame_time.h"
#include "platform/clock.h"
#include "platform/display.h"
#include "tests/support/headless_run.h"

namespace {

// A display that writes down the order of a frame's steps.
class Recorder : public sc_Direct2D {
public:
    void vControl() override {
        steps.push_back("control");
        tickAtControl = g_lNowTick;
        lockedAtControl = work && work->pGetBuffer();
    }
    void vShow() override {
        steps.push_back("show");
        if (work) {
            uint16_t* px = work->pGetBuffer();
            buffers.push_back(px);
            if (px) px[0] = paint;
        }
    }
    std::vector<std::string> steps;
    std::vector<uint16_t*> buffers;
    int32_t tickAtControl = 0;
    bool lockedAtControl = true;
    sc_DirSurface* work = nullptr;
    uint16_t paint = 0x1234;
};

class Display : public krxtest::HeadlessTest {
protected:
    void TearDown() override {
        plat::CloseDisplay();
        HeadlessTest::TearDown();
    }
};

TEST_F(Display, AFrameStampsControlsLocksShowsUnlocksAndPresents) {
    Recorder d;
    ASSERT_TRUE(d.bInit(0, 800, 600, 16, 100));
    EXPECT_EQ(d.lGetFramePeriod(), 10);
    d.work = d.pCreateSurface(-1, -1, -1);
    ASSERT_NE(d.work, nullptr);
    Backend().SetNow(12'345'678);
    d.vFrame();
    EXPECT_EQ(d.steps, (std::vector<std::string>{"control", "show"}));
    EXPECT_EQ(d.tickAtControl, 12'345'678);
    EXPECT_FALSE(d.lockedAtControl);
    ASSERT_EQ(d.buffers.size(), 1u);
    EXPECT_NE(d.buffers[0], nullptr);
    EXPECT_EQ(d.work->pGetBuffer(), nullptr); // unlocked after the frame
    EXPECT_EQ(Backend().Presents(), 1);
    ASSERT_EQ(Backend().LastPresent().size(), 800u * 600u);
    EXPECT_EQ(Backend().LastPresent()[0], 0x1234);
}

TEST_F(Display, WithNoSurfaceTheCallbacksRunAndNothingIsPresented) {
    Recorder d;
    ASSERT_TRUE(d.bInit(0, 800, 600, 16, 0));
    EXPECT_EQ(d.lGetFramePeriod(), 30);
    d.vFrame();
    EXPECT_EQ(d.steps.size(), 2u);
    EXPECT_EQ(Backend().Presents(), 0);
}

TEST_F(Display, SurfacesTakeTheNextIdsAndIdZeroIsNeverShown) {
    Recorder d;
    ASSERT_TRUE(d.bInit(0, 800, 600, 16, 100));
    sc_DirSurface* a = d.pCreateSurface(-1, -1, -1);
    sc_DirSurface* b = d.pCreateSurface(-1, -1, 0);
    sc_DirSurface* text = d.pCreateTextSurface(12, 1);
    ASSERT_TRUE(a && b && text);
    EXPECT_EQ(a->lGetId(), 1);
    EXPECT_EQ(b->lGetId(), 2);
    EXPECT_EQ(a->lGetWidth(), 800);
    EXPECT_EQ(text->lGetId(), 0);
    EXPECT_EQ(text->lGetWidth(), 1024);
    EXPECT_EQ(text->lGetHeight(), 24);
    d.vLockAll();
    EXPECT_NE(a->pGetBuffer(), nullptr);
    EXPECT_EQ(text->pGetBuffer(), nullptr);
    d.vUnlockAll();
}

TEST_F(Display, AFailedSurfaceIsNotReturnedAndGivesItsIdBack) {
    Recorder d;
    EXPECT_EQ(d.pCreateSurface(800, 600, -1), nullptr); // no display yet
    ASSERT_TRUE(d.bInit(0, 800, 600, 16, 100));
    EXPECT_EQ(d.pCreateSurface(0, 600, -1), nullptr);
    EXPECT_EQ(d.pCreateSurface(1 << 20, 600, -1), nullptr);
    sc_DirSurface* s = d.pCreateSurface(-1, -1, -1);
    ASSERT_NE(s, nullptr);
    EXPECT_EQ(s->lGetId(), 1);
}

TEST_F(Display, TheLockGivesPitch1600AtTheSameAddressEveryFrame) {
    Recorder d;
    ASSERT_TRUE(d.bInit(0, 800, 600, 16, 100));
    d.work = d.pCreateSurface(-1, -1, -1);
    for (int i = 0; i < 3; ++i) d.vFrame();
    ASSERT_EQ(d.buffers.size(), 3u);
    EXPECT_EQ(d.buffers[0], d.buffers[1]);
    EXPECT_EQ(d.buffers[1], d.buffers[2]);
    EXPECT_EQ(d.work->lGetPitch(), 1600);
}

TEST_F(Display, TheMovieFlagSkipsThePresentButNotTheFrame) {
    Recorder d;
    int32_t movie = 1;
    d.vSetMovieFlag(&movie);
    ASSERT_TRUE(d.bInit(0, 800, 600, 16, 100));
    d.work = d.pCreateSurface(-1, -1, -1);
    d.vFrame();
    EXPECT_EQ(d.steps.size(), 2u);
    EXPECT_EQ(d.buffers.size(), 1u);
    EXPECT_EQ(Backend().Presents(), 0);
    movie = 0;
    d.vFrame();
    EXPECT_EQ(Backend().Presents(), 1);
}

TEST_F(Display, AFailedRestoreSkipsOneFramesPresent) {
    Recorder d;
    ASSERT_TRUE(d.bInit(0, 800, 600, 16, 100));
    d.work = d.pCreateSurface(-1, -1, -1);
    Backend().FailRestores(1);
    d.vFrame();
    EXPECT_EQ(Backend().Presents(), 0);
    d.vFrame();
    EXPECT_EQ(Backend().Presents(), 1);
}

TEST_F(Display, AModeThatCannotBeSetFallsBackTo800By600) {
    Recorder d;
    Backend().FailDisplayOpen();
    ASSERT_TRUE(d.bInit(0, 1024, 768, 16, 100));
    EXPECT_EQ(d.oGetScreenSize().oPlain(), (ss_PlainPoint{800, 600}));
    Recorder e;
    EXPECT_TRUE(e.bInit(0, 0, 0, 16, 100)); // no size: the desktop's
    EXPECT_GT(e.oGetScreenSize().x, 0);
}

TEST_F(Display, AMidFramePresentShowsThePartialFrame) {
    struct Loader : Recorder {
        void vShow() override {
            uint16_t* px = work->pGetBuffer();
            px[10] = 0x7C00;
            vPresent(); // as the loading screen does
            px[10] = 0x001F;
        }
    } d;
    ASSERT_TRUE(d.bInit(0, 800, 600, 16, 100));
    d.work = d.pCreateSurface(-1, -1, -1);
    std::vector<uint16_t> shown;
    Backend().OnShow([&](const uint16_t* px, int32_t, int32_t) { shown.push_back(px[10]); });
    d.vFrame();
    EXPECT_EQ(shown, (std::vector<uint16_t>{0x7C00, 0x001F}));
    EXPECT_EQ(Backend().Presents(), 2);
    EXPECT_EQ(Backend().LastPresent()[10], 0x001F);
}

TEST_F(Display, ReleaseTwiceIsHarmless) {
    Recorder d;
    ASSERT_TRUE(d.bInit(0, 800, 600, 16, 100));
    d.pCreateSurface(-1, -1, -1);
    d.vRelease();
    d.vRelease();
    EXPECT_FALSE(plat::IsDisplayOpen());
    EXPECT_EQ(d.pGetSurfaces(), nullptr);
}

} // namespace
