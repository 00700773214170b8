#include <gtest/gtest.h>

#include <vector>

#include "engine/device/dir_surface.h"
#include "engine/device/direct2d.h"
#include "engine/device/frame_time.h"
#include "engine/sprite/memory_control.h"
#include "engine/sprite/sprite_tree.h"
#include "game/map_sort.h"
#include "game/work.h"
#include "objects/building.h"
#include "platform/display.h"
#include "tests/support/headless_run.h"
#include "tests/support/temp_dir.h"

namespace {

// A direction of three 8 x 4 frames of colours 1, 2, 3, each drawn at an
// offset of (-1, -2) from the drawing point; its anchor mark at (30, 40).
sc_GameDir ThreeFrames() {
    sc_GameDir dir;
    for (uint16_t colour : {1, 2, 3}) {
        const std::vector<uint16_t> px(8 * 4, colour);
        sc_GameImgWithShadow frame;
        frame.vSetPixels(8, 4, px.data(), nullptr);
        frame.vSetOffset(-1, -2);
        dir.vAdd(&frame);
    }
    dir.vSetMark(0, sc_GamePoint(0, 30));
    dir.vSetMark(1, sc_GamePoint(60, 30));
    dir.vSetMark(2, sc_GamePoint(30, 40));
    return dir;
}

class Building : public krxtest::HeadlessTest {
protected:
    void TearDown() override {
        g_pWorkSurface = nullptr;
        plat::CloseDisplay();
        HeadlessTest::TearDown();
    }
    uint16_t* Surface() {
        if (!m_display.bInit(0, 800, 600, 16, 0)) return nullptr;
        g_pWorkSurface = m_display.pCreateSurface(800, 600, -1);
        return g_pWorkSurface ? g_pWorkSurface->pLock() : nullptr;
    }
    sc_Direct2D m_display;
};

TEST_F(Building, ItsAnchorMarkStandsOnItsPositionAndItsFramesStepWithItsDelay) {
    uint16_t* px = Surface();
    ASSERT_NE(px, nullptr);
    sc_GameDir dir = ThreeFrames();
    sc_Point view(100, 50);
    sc_AllBuilding all;
    all.vSet(&view);
    sc_Building* b = all.pAdd();
    b->oPos.oSet(500, 400);
    b->lFrameDelay = 100;
    b->pImage = &dir;
    b->bLoaded = 1;

    // The frame steps on the first show after its time has passed.
    std::vector<uint16_t> shown;
    for (int32_t t : {1000, 1050, 1099, 1100, 1101, 1250, 1300, 1351}) {
        g_lNowTick = t;
        b->vShow();
        // Position - anchor mark + frame offset - view: (369, 308).
        shown.push_back(px[308 * 800 + 369]);
    }
    EXPECT_EQ(shown, (std::vector<uint16_t>{2, 2, 2, 2, 3, 1, 1, 2}));
    EXPECT_EQ(px[311 * 800 + 376], 2);
    EXPECT_EQ(px[308 * 800 + 377], 0);
    EXPECT_EQ(px[312 * 800 + 369], 0);
    EXPECT_EQ(px[307 * 800 + 369], 0);

    // A building without its picture is neither sorted nor drawn.
    sc_MapSort sort;
    all.bActive = 1;
    all.vShow();
    ASSERT_EQ(sort.lGetCount(), 1);
    EXPECT_EQ(sort.spSortData[0].x1, 470);
    EXPECT_EQ(sort.spSortData[0].y2, 390);
    sort.vShow();
    b->pImage = nullptr;
    b->bLoaded = 0;
    px[308 * 800 + 369] = 0;
    all.vShow();
    EXPECT_EQ(sort.lGetCount(), 0);
    b->vShow();
    EXPECT_EQ(px[308 * 800 + 369], 0);
}

TEST_F(Building, CopiesKeepThePlaceButNeverShareThePicture) {
    sc_GameDir dir = ThreeFrames();
    sc_Building b;
    b.oStrFile.vSet("P_HOUSE\\H.STR");
    b.oImgFile.vSet("P_HOUSE\\H.IMG");
    b.lDirection = 3;
    b.oPos.oSet(7, 8);
    b.pImage = &dir;
    b.bLoaded = 1;
    sc_NodeEx list;
    list.vAdd(b);
    const sc_Building* c = list.pGetNodeAs<sc_Building>(0);
    ASSERT_NE(c, nullptr);
    EXPECT_STREQ(c->oImgFile.pGetText(), "P_HOUSE\\H.IMG");
    EXPECT_EQ(std::pair(c->lDirection, c->oPos.y), std::pair(3, 8));
    EXPECT_EQ(c->pImage, nullptr);
    EXPECT_EQ(c->bLoaded, 0);
    b.pImage = nullptr;

    // The cache hands out nothing for a pack that is not there.
    krxtest::TempDir empty;
    krxtest::ScopedCwd cwd(empty.Path());
    sc_MemoryControl cache;
    b.vLoadImage();
    EXPECT_EQ(b.bLoaded, 0);
    EXPECT_EQ(cache.lGetEntryCount(), 0);
}

} // namespace
