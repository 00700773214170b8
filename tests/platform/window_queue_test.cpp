#include <gtest/gtest.h>

#include <vector>

#include "platform/window.h"
#include "tests/support/headless_run.h"

namespace {

struct Seen {
    plat::WindowHandle window;
    uint32_t message;
    uintptr_t wParam;
};
std::vector<Seen> g_seen;
intptr_t g_createAnswer = 0;
intptr_t g_userAtCreate = -1;

intptr_t Recorder(plat::WindowHandle w, uint32_t m, uintptr_t wp, intptr_t lp) {
    g_seen.push_back(Seen{w, m, wp});
    if (m == plat::MSG_CREATE) {
        auto* info = reinterpret_cast<plat::CreateInfo*>(lp);
        plat::SetWindowUserData(w, reinterpret_cast<intptr_t>(info->createParam));
        g_userAtCreate = plat::GetWindowUserData(w);
        return g_createAnswer;
    }
    if (m == plat::MSG_DESTROY && plat::GetParent(w) == 0) plat::PostQuitMessage(7);
    return plat::DefWindowProc(w, m, wp, lp);
}

class WindowQueue : public krxtest::HeadlessTest {
protected:
    void SetUp() override {
        HeadlessTest::SetUp();
        g_seen.clear();
        g_createAnswer = 0;
        g_userAtCreate = -1;
        plat::WindowClass cls;
        cls.name = "T";
        cls.proc = &Recorder;
        ASSERT_TRUE(plat::RegisterWindowClass(cls));
    }
    plat::WindowHandle Make(plat::WindowHandle parent = 0) {
        return plat::CreateWindow("T", "title", 0, 0, 0, 0, 10, 10, parent, &marker);
    }
    int marker = 0;
};

TEST_F(WindowQueue, ClassesNeedAProcedureAndAFreshName) {
    plat::WindowClass same;
    same.name = "T";
    same.proc = &Recorder;
    EXPECT_FALSE(plat::RegisterWindowClass(same));
    plat::WindowClass noProc;
    noProc.name = "U";
    EXPECT_FALSE(plat::RegisterWindowClass(noProc));
    EXPECT_EQ(plat::CreateWindow("U", "", 0, 0, 0, 0, 1, 1, 0, nullptr), 0u);
}

TEST_F(WindowQueue, CreateIsDeliveredInsideTheCallWithTheSlotUsable) {
    const plat::WindowHandle w = Make();
    ASSERT_NE(w, 0u);
    ASSERT_EQ(g_seen.size(), 1u);
    EXPECT_EQ(g_seen[0].message, plat::MSG_CREATE);
    EXPECT_EQ(g_seen[0].window, w);
    EXPECT_EQ(g_userAtCreate, reinterpret_cast<intptr_t>(&marker));
    EXPECT_EQ(plat::GetWindowUserData(w), reinterpret_cast<intptr_t>(&marker));
    EXPECT_EQ(plat::GetWindowTitle(w), "title");
}

TEST_F(WindowQueue, ARefusedCreateLeavesNoWindow) {
    g_createAnswer = -1;
    EXPECT_EQ(Make(), 0u);
    EXPECT_EQ(plat::MainWindow(), 0u);
    Backend().FailNextWindow();
    g_createAnswer = 0;
    EXPECT_EQ(Make(), 0u);
}

TEST_F(WindowQueue, UpdatePaintsOnceAtOnce) {
    const plat::WindowHandle w = Make();
    g_seen.clear();
    plat::ShowWindow(w);
    plat::UpdateWindow(w);
    ASSERT_EQ(g_seen.size(), 1u);
    EXPECT_EQ(g_seen[0].message, plat::MSG_PAINT);
    EXPECT_EQ(Backend().Shows(), 1);
}

TEST_F(WindowQueue, PeekDoesNotTakeAndGetTakesInOrder) {
    const plat::WindowHandle w = Make();
    plat::Message m;
    EXPECT_FALSE(plat::PeekMessage(m));
    ASSERT_TRUE(plat::PostMessage(w, plat::MSG_COMMAND, 1, 0));
    ASSERT_TRUE(plat::PostMessage(w, plat::MSG_COMMAND, 2, 0));
    ASSERT_TRUE(plat::PeekMessage(m));
    ASSERT_TRUE(plat::PeekMessage(m));
    EXPECT_EQ(m.wParam, 1u);
    ASSERT_TRUE(plat::GetMessage(m));
    EXPECT_EQ(m.wParam, 1u);
    ASSERT_TRUE(plat::GetMessage(m));
    EXPECT_EQ(m.wParam, 2u);
    EXPECT_FALSE(plat::PeekMessage(m));
}

TEST_F(WindowQueue, QuitComesAfterWhatWasQueuedBeforeIt) {
    const plat::WindowHandle w = Make();
    plat::PostMessage(w, plat::MSG_COMMAND, 9, 0);
    plat::PostQuitMessage(3);
    plat::Message m;
    EXPECT_TRUE(plat::GetMessage(m));
    EXPECT_EQ(m.wParam, 9u);
    EXPECT_FALSE(plat::GetMessage(m));
    EXPECT_EQ(m.message, plat::MSG_QUIT);
    EXPECT_EQ(m.wParam, 3u);
    EXPECT_FALSE(plat::PeekMessage(m));
}

TEST_F(WindowQueue, CloseDestroysAndMessagesForTheDeadAreDropped) {
    const plat::WindowHandle w = Make();
    const plat::WindowHandle child = Make(w);
    ASSERT_NE(child, 0u);
    plat::PostMessage(w, plat::MSG_CLOSE, 0, 0);
    plat::PostMessage(w, plat::MSG_COMMAND, 5, 0);
    plat::Message m;
    ASSERT_TRUE(plat::GetMessage(m));
    g_seen.clear();
    plat::DispatchMessage(m);
    // Close, then the child's destroy, then the window's; the quit follows.
    ASSERT_EQ(g_seen.size(), 3u);
    EXPECT_EQ(g_seen[0].message, plat::MSG_CLOSE);
    EXPECT_EQ(g_seen[1].window, child);
    EXPECT_EQ(g_seen[2].window, w);
    EXPECT_EQ(g_seen[2].message, plat::MSG_DESTROY);
    EXPECT_FALSE(plat::IsWindow(w));
    EXPECT_FALSE(plat::IsWindow(child));
    ASSERT_TRUE(plat::GetMessage(m));
    g_seen.clear();
    EXPECT_EQ(plat::DispatchMessage(m), 0);
    EXPECT_TRUE(g_seen.empty());
    EXPECT_FALSE(plat::PostMessage(w, plat::MSG_COMMAND, 0, 0));
    EXPECT_EQ(plat::SendMessage(w, plat::MSG_COMMAND, 0, 0), 0);
    EXPECT_EQ(plat::GetWindowUserData(w), 0);
    EXPECT_FALSE(plat::GetMessage(m));
    EXPECT_EQ(m.wParam, 7u);
}

TEST_F(WindowQueue, HandlesAreNeverReused) {
    const plat::WindowHandle a = Make();
    plat::DestroyWindow(a);
    const plat::WindowHandle b = Make();
    EXPECT_NE(a, b);
    EXPECT_FALSE(plat::IsWindow(a));
    EXPECT_EQ(plat::MainWindow(), b);
}

TEST_F(WindowQueue, TimelineActsOnItsPassAndTheBudgetClosesOnce) {
    const plat::WindowHandle w = Make();
    int fired = 0;
    Backend().At(3, [&](plat::HeadlessBackend&) { ++fired; });
    Backend().SetPassBudget(5);
    plat::Message m;
    for (int i = 0; i < 4; ++i) EXPECT_FALSE(plat::PeekMessage(m));
    EXPECT_EQ(fired, 1);
    ASSERT_TRUE(plat::PeekMessage(m)); // pass 5
    EXPECT_EQ(m.window, w);
    EXPECT_EQ(m.message, plat::MSG_CLOSE);
    plat::GetMessage(m);
    EXPECT_FALSE(plat::PeekMessage(m));
    EXPECT_EQ(Backend().Passes(), 6u);
}

TEST_F(WindowQueue, TextSettingsLastAndOutputIsRecorded) {
    const plat::WindowHandle w = Make();
    plat::TextContext* dc = plat::GetTextContext(w);
    ASSERT_NE(dc, nullptr);
    dc->textColor = 0xFFFFFF;
    dc->transparent = true;
    EXPECT_TRUE(plat::TextOut(w, 3, 4, "hi"));
    ASSERT_EQ(plat::GetTextContext(w)->written.size(), 1u);
    EXPECT_EQ(dc->written[0].text, "hi");
    EXPECT_EQ(dc->written[0].color, 0xFFFFFFu);
    EXPECT_TRUE(dc->written[0].transparent);
    plat::DestroyWindow(w);
    EXPECT_EQ(plat::GetTextContext(w), nullptr);
    EXPECT_FALSE(plat::TextOut(w, 0, 0, "x"));
}

} // namespace
