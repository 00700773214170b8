// Deaths fade out over 10 seconds and are removed; their kind and
// direction stay within the pack.
#include <gtest/gtest.h>

#include <algorithm>

#include "engine/device/frame_time.h"
#include "engine/sprite/memory_control.h"
#include "engine/sprite/sprite_tree.h"
#include "objects/death.h"
#include "platform/random.h"
#include "tests/support/temp_dir.h"

namespace {

class Deaths : public ::testing::Test {
protected:
    Deaths() : m_cwd(krxtest::DataDir()) {
        g_lNowTick = kStart;
        m_all.vLoad(&m_view);
    }
    static constexpr int32_t kStart = 10'000'000;

    krxtest::ScopedCwd m_cwd;
    sc_MemoryControl m_cache;
    sc_Point m_view;
    sc_AllDeath m_all;
};

TEST_F(Deaths, FadeFromFullToNothingOverTenSecondsAndAreRemovedByTheNextPass) {
    ASSERT_NE(m_all.pImage, nullptr);
    EXPECT_EQ(m_all.pAdd(-1, sc_Point(0, 0)), nullptr);
    EXPECT_EQ(m_all.lGetCount(), 0);
    sc_Death* first = m_all.pAdd(2, sc_Point(5000, 5000)); // far off the screen
    m_all.pAdd(0, sc_Point(100, 100));
    const struct {
        int32_t ms, level;
    } steps[] = {{0, 31}, {5000, 16}, {9677, 2}, {9999, 1}};
    for (const auto& s : steps) {
        g_lNowTick = kStart + s.ms;
        first->vShow();
        EXPECT_EQ(first->lAlpha, s.level) << s.ms;
        EXPECT_EQ(first->bDone, 0) << s.ms;
    }
    // Both finished deaths go in the same pass, next to each other.
    g_lNowTick = kStart + 10'000;
    for (int32_t i = 0; i < 2; ++i) m_all.pGetDeath(i)->vShow();
    EXPECT_EQ(first->lAlpha, 0);
    m_all.pAdd(1, sc_Point(0, 0));
    m_all.vPrevSortShow();
    ASSERT_EQ(m_all.lGetCount(), 1);
    EXPECT_EQ(m_all.pGetDeath(0)->lKind, 1);
}

TEST_F(Deaths, KindsAndDirectionsStayWithinThePackAndNothingToShowIsFinished) {
    const int32_t kinds = m_all.pImage->lGetStatusCount();
    for (int32_t kind : {-7, 0, kinds - 1, kinds, 1000}) {
        sc_Death* d = m_all.pAdd(kind, sc_Point(10, 10));
        EXPECT_EQ(d->lKind, std::clamp(kind, 0, kinds - 1));
        ASSERT_NE(d->pDir, nullptr);
        EXPECT_EQ(d->bDone, 0);
    }
    // Without the pictures a death would never fade: it is finished at once.
    sc_AllDeath bare;
    bare.pView = &m_view;
    bare.bLoaded = 1;
    sc_Death* d = bare.pAdd(2, sc_Point(0, 0));
    ASSERT_NE(d, nullptr);
    EXPECT_EQ(d->bDone, 1);
    bare.vPrevSortShow();
    EXPECT_EQ(bare.lGetCount(), 0);
}

} // namespace
