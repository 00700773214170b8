#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "engine/device/dir_surface.h"
#include "engine/device/direct2d.h"
#include "engine/device/frame_time.h"
#include "platform/clock.h"
#include "platform/display.h"
#include "pagefont/draw_page.h"
#include "pagefont/font.h"
#include "pagefont/font_writer.h"
#include "tests/support/headless_run.h"
#include "tests/support/temp_dir.h"

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

// These read the fonts of the generated data set.
class DisplayDataSet : public Display {};

TEST_F(DisplayDataSet, TheFirstLockLoadsTheFontsOnceAndLaterLocksOnlyReattach) {
    krxtest::ScopedCwd cwd(krxtest::DataDir());
    g_bFontsLoaded = 0;
    Recorder d;
    ASSERT_TRUE(d.bInit(0, 800, 600, 16, 100));
    sc_DirSurface* s = d.pCreateSurface(-1, -1, -1);
    uint16_t* px = s->pLock();
    ASSERT_NE(px, nullptr);
    EXPECT_EQ(g_bFontsLoaded, 1);
    ASSERT_NE(g_oFontWriter.pGetFont(0), nullptr);
    EXPECT_EQ(g_oFontWriter.pGetFont(0)->lGetGlyphCount(), 95);
    EXPECT_EQ(g_pTargetPixels, reinterpret_cast<uint8_t*>(px));
    EXPECT_EQ(g_lTargetPitch, 1600);
    uint32_t fg = 0, bg = 0;
    g_oFontWriter.vGetColor(&fg, &bg);
    EXPECT_EQ(fg, 0x0F0Bu);
    s->vUnlock();

    // A second lock neither reselects the page nor reconfigures the writers.
    ASSERT_TRUE(l_CreatePage(1, 16, 16));
    l_SelectPage(1);
    uint8_t* other = g_pTargetPixels;
    g_oFontWriter.vSetColor(0x7FFF, 0, 16);
    EXPECT_EQ(s->pLock(), px);
    EXPECT_EQ(g_pTargetPixels, other);
    g_oFontWriter.vGetColor(&fg, &bg);
    EXPECT_EQ(fg, 0x7FFFu);
    EXPECT_EQ(g_aDrawPage[0].pPixels, reinterpret_cast<uint8_t*>(px));
    s->vUnlock();
    v_FreePage(1);
    l_AttachPage(0, px, 1600, 800, 600);
    l_SelectPage(0);
    g_oFontWriter.vSetColor(0x0F0B, 0, 16);
}

TEST_F(DisplayDataSet, TextCallsOnAnySurfaceLandOnTheTargetAndMeasureEightPerByte) {
    krxtest::ScopedCwd cwd(krxtest::DataDir());
    g_bFontsLoaded = 0;
    Recorder d;
    ASSERT_TRUE(d.bInit(0, 800, 600, 16, 100));
    sc_DirSurface* work = d.pCreateSurface(-1, -1, -1);
    sc_DirSurface* text = d.pCreateTextSurface(12, 1);
    uint16_t* px = work->pLock();
    text->vShowString(100, 200, "X", 800, 600, nullptr);
    text->vShowString(300, 200, nullptr, 800, 600, nullptr); // nothing
    text->vShowNumber(400, 200, -7, 800, 600, nullptr);
    auto litIn = [&](int x0, int x1) {
        int n = 0;
        for (int y = 200; y < 216; ++y)
            for (int x = x0; x < x1; ++x) n += px[y * 800 + x] == 0x0F0B;
        return n;
    };
    EXPECT_GT(litIn(100, 108), 10);
    EXPECT_EQ(litIn(300, 320), 0);
    EXPECT_GT(litIn(400, 408), 0);  // the minus sign
    EXPECT_GT(litIn(409, 417), 5);  // the 7, one advance on
    EXPECT_EQ(text->lTextWidth("\xA4\x40"), 16);
    EXPECT_EQ(text->lTextWidth(""), 0);
    EXPECT_EQ(text->lTextWidth(nullptr), 0);
    work->vUnlock();
}

// A surface whose pixels sit between two guard bands of its own block.
class GuardedSurface : public sc_DirSurface {
public:
    static constexpr size_t kGuard = 4096;
    static constexpr uint16_t kPattern = 0xA5C3;
    bool GuardsIntact() const {
        const auto intact = [](auto from, auto to) {
            return std::all_of(from, to, [](uint16_t v) { return v == kPattern; });
        };
        return intact(block.begin(), block.begin() + kGuard) && intact(block.end() - kGuard, block.end());
    }
    std::vector<uint16_t> block;

protected:
    uint16_t* pAllocate(size_t pixels) override {
        block.assign(pixels + 2 * kGuard, kPattern);
        std::fill_n(block.begin() + kGuard, pixels, uint16_t{0});
        return block.data() + kGuard;
    }
};

TEST_F(DisplayDataSet, PageZeroNeverSpansMoreThanTheLockedSurface) {
    krxtest::ScopedCwd cwd(krxtest::DataDir());
    g_bFontsLoaded = 0;
    Recorder d;
    ASSERT_TRUE(d.bInit(0, 800, 600, 16, 100));
    // A whole screen of 0x1234 to copy onto page 0.
    ASSERT_TRUE(l_CreatePage(1, 800, 600));
    std::fill_n(reinterpret_cast<uint16_t*>(p_GetPagePixels(1)), 800 * 600, uint16_t{0x1234});

    struct Case {
        int32_t width, height, pageWidth, pageHeight;
    };
    for (const Case c : {Case{64, 32, 64, 32}, Case{1024, 24, 800, 24}, Case{100, 700, 100, 600}}) {
        SCOPED_TRACE(c.width);
        GuardedSurface s;
        ASSERT_TRUE(s.bCreate(&d, c.width, c.height, 1));
        uint16_t* px = s.pLock();
        ASSERT_EQ(px, s.block.data() + GuardedSurface::kGuard);
        EXPECT_EQ(l_GetPageWidth(0), c.pageWidth);
        EXPECT_EQ(l_GetPageHeight(0), c.pageHeight);
        EXPECT_EQ(l_GetPagePitch(0), c.width * 2);
        l_SelectPage(0);
        g_oFontWriter.vShowString(
            0, 40, "XXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXX");
        g_oFontWriter.vShowString(
            40, 8, "XXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXX");
        v_CopyPageRect(0, 0, 0, 1, 0, 0, 799, 599);
        EXPECT_TRUE(s.GuardsIntact());
        // Every pixel of the page is reached, none past it.
        const size_t inside = static_cast<size_t>(c.width) * c.pageHeight;
        for (size_t i = 0; i < inside; ++i)
            ASSERT_EQ(px[i], static_cast<int32_t>(i % c.width) < c.pageWidth ? 0x1234 : 0) << i;
        for (size_t i = inside; i < static_cast<size_t>(c.width) * c.height; ++i)
            ASSERT_EQ(px[i], 0) << i;
        s.vUnlock();
        v_FreePage(0);
    }
    v_FreePage(1);

    // The work surface keeps its full 800 x 600 page.
    sc_DirSurface* work = d.pCreateSurface(-1, -1, -1);
    uint16_t* px = work->pLock();
    EXPECT_EQ(p_GetPagePixels(0), reinterpret_cast<uint8_t*>(px));
    EXPECT_EQ(l_GetPageWidth(0), 800);
    EXPECT_EQ(l_GetPageHeight(0), 600);
    EXPECT_EQ(l_GetPagePitch(0), 1600);
    work->vUnlock();
    l_SelectPage(0);
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
