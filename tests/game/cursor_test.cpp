#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "engine/device/frame_time.h"
#include "game/cursor.h"
#include "tests/support/reader_checks.h"
#include "tests/support/temp_dir.h"

namespace {

// Frame index after each pGetFrame at the given frame times.
std::vector<int> Steps(sc_Cursor& c, const std::vector<int32_t>& times) {
    std::vector<int> frames;
    for (int32_t t : times) {
        g_lNowTick = t;
        c.pGetFrame();
        frames.push_back(c.bFrame);
    }
    return frames;
}

TEST(Cursor, StepsOnTheFirstFrameAfterEach50MsWhateverTheFrameRate) {
    krxtest::ScopedCwd cwd(krxtest::DataDir());
    sc_Cursor c;
    EXPECT_EQ(g_pCursor, &c);
    c.vLoad();
    c.vSetCursor(1); // the cross-hair: four frames
    ASSERT_NE(c.pDir, nullptr);
    ASSERT_EQ(c.pDir->lGetFrameCount(), 4);
    // 16 ms frames: a step when the frame time passes the last step + 50.
    EXPECT_EQ(Steps(c, {1000, 1016, 1032, 1048, 1050, 1064, 1080, 1096, 1112, 1114, 1128, 1144, 1160, 1176, 1192}),
              (std::vector<int>{1, 1, 1, 1, 1, 2, 2, 2, 2, 2, 3, 3, 3, 3, 0}));
    // 100 ms frames: one step each, never two.
    EXPECT_EQ(Steps(c, {1300, 1400, 1500, 1600, 1700}), (std::vector<int>{1, 2, 3, 0, 1}));

    // The same kind again keeps the animation where it was.
    const int32_t next = c.lNextFrame;
    c.vSetCursor(1);
    EXPECT_EQ(c.bFrame, 1);
    EXPECT_EQ(c.lNextFrame, next);
    // A kind with fewer frames than the index shows its first until it steps.
    c.bFrame = 3;
    c.vSetCursor(0);
    g_lNowTick = next;
    EXPECT_EQ(c.pGetFrame(), c.pDir->pGetFrameAt(0));
    EXPECT_EQ(c.bFrame, 0);
    // A kind that names no direction draws nothing.
    c.vSetCursor(7);
    EXPECT_EQ(c.pDir, nullptr);
    g_lNowTick = next + 100;
    EXPECT_EQ(c.pGetFrame(), nullptr);
}

TEST(Cursor, AMissingOrBrokenPackDrawsNothing) {
    krxtest::TempDir dir;
    dir.Write("P_CURSOR/P_CURSOR.STR", "not a pack");
    dir.Write("P_CURSOR/P_CURSOR.IMG", "");
    for (bool present : {false, true}) {
        krxtest::ScopedCwd cwd(present ? dir.Path() : dir.Path() / "P_CURSOR");
        krxtest::TraceCapture trace;
        sc_Cursor c;
        c.vLoad();
        // Whichever way the pack fails, DEBUG.TXT names it.
        ASSERT_FALSE(trace.Lines().empty());
        EXPECT_NE(trace.Lines()[0].source.find("P_CURSOR"), std::string::npos) << trace.Lines()[0].source;
        EXPECT_EQ(c.oImageData.lGetObjectCount(), 0);
        EXPECT_EQ(c.pDir, nullptr);
        g_lNowTick = 5000;
        EXPECT_EQ(c.pGetFrame(), nullptr);
        c.vShow(); // no work surface, no pack: nothing happens
    }
}

} // namespace
