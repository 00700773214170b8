#include <gtest/gtest.h>

#include <vector>

#include "engine/sprite/sprite_tree.h"
#include "interface/loading.h"
#include "tests/interface/widget_fixture.h"

namespace {

class LoadingScreen : public krxtest::Widgets {
protected:
    void SetUp() override {
        Widgets::SetUp();
        g_pWorkBuffer = m_surface->pGetBuffer();
    }
    void TearDown() override {
        m_loading.vFree();
        g_pWorkBuffer = nullptr;
        Widgets::TearDown();
    }
    // Whether segment i stands on the screen: a pixel in its middle shows
    // the segment's own colour.
    bool SegmentShown(int32_t i) const {
        const sc_GameImgWithShadow* s = m_loading.pSegments[static_cast<size_t>(i)];
        const sc_Point off = s->oGetOffset();
        const int32_t x = s->lGetWidth() / 2, y = s->lGetHeight() / 2;
        return Pixel(layout::kLoadingBar.x + off.x + x, layout::kLoadingBar.y + off.y + y) ==
               s->pGetPixels()[y * s->lGetWidth() + x];
    }
    int32_t SegmentsShown() const {
        int32_t n = 0;
        for (int32_t i = 0; i < sc_Loading::kSegments; ++i) n += SegmentShown(i);
        return n;
    }

    sc_Loading m_loading;
};

TEST_F(LoadingScreen, EachPercentDrawsItsSegmentsAndPresentsAtOnceOnlyWithinOneToNinetyNine) {
    m_loading.vLoad();
    ASSERT_NE(m_loading.pSet, nullptr);
    ASSERT_NE(m_loading.pSegments.back(), nullptr);
    struct Case {
        int32_t percent;
        int32_t shownPercent, segments, presents;
    };
    const Case cases[] = {{4, 4, 0, 1}, {5, 5, 1, 1}, {99, 99, 19, 1}, {0, 99, 19, 0}, {100, 99, 19, 0}, {-3, 99, 19, 0}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.percent);
        const int presents = Backend().Presents();
        m_loading.vSetPercent(c.percent);
        EXPECT_EQ(m_loading.lPercent, c.shownPercent);
        EXPECT_EQ(m_loading.oDigits.lNumber, c.shownPercent);
        EXPECT_EQ(SegmentsShown(), c.segments);
        EXPECT_EQ(Backend().Presents() - presents, c.presents);
    }
    // A second load keeps the pictures it holds.
    sc_GameObject* held = m_loading.pSet;
    m_loading.vLoad();
    EXPECT_EQ(m_loading.pSet, held);
    EXPECT_EQ(m_cache.lGetRefCount(held), 1);
}

TEST_F(LoadingScreen, TheFadeHoldsEachLevelFourTimesItPlusFiftyMillisecondsAndClosesAfter3480) {
    m_loading.vLoad();
    m_loading.vSetPercent(50);
    m_loading.vFinish();
    EXPECT_EQ(m_loading.bFinished, 1);
    EXPECT_EQ(m_loading.oDigits.lNumber, 99);
    const sc_GameImgWithShadow* back = m_loading.pBackground;
    ASSERT_NE(back, nullptr);
    const sc_Point off = back->oGetOffset();
    EXPECT_EQ(Pixel(400, 30), back->pGetPixels()[(30 - off.y) * back->lGetWidth() + 400 - off.x])
        << "the picture lies over the whole surface once the load is done";

    // Play frames one millisecond apart: every level's hold, in order.
    std::vector<int32_t> levels, holds;
    int32_t total = 0;
    for (int i = 0; i < 5000 && !m_loading.bClosed; ++i) {
        const int32_t before = m_loading.lFadeLevel;
        m_loading.vCountDown();
        if (m_loading.lFadeLevel != before && !m_loading.bClosed) {
            levels.push_back(m_loading.lFadeLevel);
            holds.push_back(m_loading.lNextFadeTime - g_lNowTick);
            total += holds.back();
        }
        Frame(1);
    }
    ASSERT_EQ(m_loading.bClosed, 1);
    ASSERT_EQ(levels.size(), 30u);
    EXPECT_EQ(levels.front(), 30);
    EXPECT_EQ(levels.back(), 1);
    EXPECT_EQ(holds.front(), 174);
    EXPECT_EQ(holds.back(), 58);
    EXPECT_EQ(total, 3480);
    EXPECT_EQ(m_loading.pSet, nullptr) << "the last step gives the pictures back";
    EXPECT_EQ(m_cache.lGetEntryCount(), 0);

    // Closed, a play frame draws nothing; the finished flag outlives the
    // pictures until the next load finishes again.
    Clear();
    m_loading.vCountDown();
    EXPECT_EQ(Count(0, 0, 800, 600, 0), 800 * 600);
    EXPECT_EQ(m_loading.bFinished, 1);
}

TEST_F(LoadingScreen, WithoutItsPicturesNothingIsDrawnButPercentsStillPresent) {
    krxtest::TempDir empty;
    krxtest::ScopedCwd elsewhere(empty.Path());
    m_loading.vLoad();
    EXPECT_EQ(m_loading.pSet, nullptr);
    Clear();
    const int presents = Backend().Presents();
    m_loading.vSetPercent(40);
    m_loading.vFinish();
    m_loading.vCountDown();
    EXPECT_EQ(Backend().Presents() - presents, 1);
    EXPECT_EQ(Count(0, 0, 800, 600, 0), 800 * 600);
}

} // namespace
