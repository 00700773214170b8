// The scripted input of headless processes: a script's commands reach the
// keyboard, the mouse and the window at their passes; a script with one bad
// line schedules nothing.
#include <gtest/gtest.h>

#include <array>
#include <chrono>
#include <string>

#include "platform/headless/headless_backend.h"
#include "platform/headless/headless_script.h"
#include "platform/window.h"
#include "tests/support/reader_checks.h"

namespace {

struct Seen {
    uint8_t key30 = 0;
    int32_t x = 0, y = 0;
    uint16_t left = 0, right = 0;
    bool operator==(const Seen&) const = default;
};

Seen Look(plat::HeadlessBackend& b) {
    Seen s;
    std::array<uint8_t, 256> keys{};
    b.ReadKeys(keys.data());
    s.key30 = keys[0x1E];
    b.GetCursor(s.x, s.y);
    s.left = b.QueryMouseButton(0);
    s.right = b.QueryMouseButton(1);
    return s;
}

TEST(HeadlessScript, CommandsTakeEffectAtTheirPasses) {
    plat::HeadlessBackend b;
    const std::string script = "# a test\r\n"
                               "step 20\n"
                               "2 key 0x1E down   # A\n"
                               "2 mouse 400 300\n"
                               "3 press\n"
                               "  4 release left\n"
                               "4 key 30 up\n"
                               "5 click right\n"
                               "6 mouse 9000 -1\n";
    // -1 is no number.
    krxtest::TraceCapture trace;
    ASSERT_FALSE(plat::LoadScript(krxtest::AsBytes(script), b));
    EXPECT_EQ(trace.Lines().size(), 1u);
    ASSERT_TRUE(plat::LoadScript(krxtest::AsBytes(script.substr(0, script.rfind("6 mouse"))), b));
    const Seen expected[] = {
        {0, 0, 0, 0, 0}, {0x80, 400, 300, 0, 0}, {0x80, 400, 300, 0x8001, 0}, {0, 400, 300, 0, 0}, {0, 400, 300, 0, 1},
    };
    for (const Seen& e : expected) {
        b.BeginPass();
        SCOPED_TRACE(b.Passes());
        EXPECT_EQ(Look(b), e);
    }
    EXPECT_EQ(b.Now(), plat::HeadlessBackend().Now() + 4 * 20) << "the step is the script's";
}

TEST(HeadlessScript, AScriptWithABadLineSchedulesNothing) {
    const char* bad[] = {
        "0 close",          // passes count from 1
        "3 key 256 down",   // no such key
        "3 key 30 held",    // neither down nor up
        "3 press middle",   // a button of no script
        "3 jump",           // no such command
        "step 0",           // a pass takes time
        "realtime now",     // takes nothing
        "x close",          // a pass is a number
        "3 mouse 1",        // two coordinates
        "99999999999 close" // past every pass
    };
    for (const char* line : bad) {
        SCOPED_TRACE(line);
        plat::HeadlessBackend b;
        krxtest::TraceCapture trace;
        const std::string script = std::string("2 key 30 down\n") + line + "\n";
        EXPECT_FALSE(plat::LoadScript(krxtest::AsBytes(script), b));
        EXPECT_EQ(trace.Lines().size(), 1u);
        b.BeginPass();
        b.BeginPass();
        EXPECT_EQ(Look(b).key30, 0);
    }
}

TEST(HeadlessScript, RealTimePassesKeepPaceWithTheWallClock) {
    plat::HeadlessBackend b;
    ASSERT_TRUE(plat::LoadScript(krxtest::AsBytes("realtime\nstep 10\n"), b));
    const auto start = std::chrono::steady_clock::now();
    for (int i = 0; i < 11; ++i) b.BeginPass();
    EXPECT_GE(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(100));
}

} // namespace
