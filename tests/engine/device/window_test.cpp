#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "engine/device/window.h"
#include "tests/support/headless_run.h"

namespace {

// A window that writes down what the loop made it do.
class Probe : public sc_Window {
public:
    int32_t bOnCreate(plat::WindowHandle w) override {
        createdWith = w;
        handleDuringCreate = pGetHwnd();
        ++creates;
        return createAnswer;
    }
    void vOnIdle() override {
        ++idles;
        passAtIdle.push_back(backend->Passes());
    }
    void vOnPaint() override {
        ++paints;
        sc_Window::vOnPaint();
    }
    int32_t bOnSize(intptr_t) override {
        ++sizes;
        return 0;
    }

    plat::HeadlessBackend* backend = nullptr;
    plat::WindowHandle createdWith = 0;
    plat::WindowHandle handleDuringCreate = 99;
    int32_t createAnswer = 1;
    int creates = 0, idles = 0, paints = 0, sizes = 0;
    std::vector<uint64_t> passAtIdle;
};

class WindowLoop : public krxtest::HeadlessTest {
protected:
    void SetUp() override {
        HeadlessTest::SetUp();
        sc_Window::vRegister(0, "KRX", 0, 0);
        probe.backend = &Backend();
    }
    Probe probe;
};

TEST_F(WindowLoop, CreateBindsTheObjectBeforeTheHandleIsStored) {
    probe.vCreate("KRX Project", 0, 0, 0);
    EXPECT_EQ(probe.creates, 1);
    EXPECT_NE(probe.createdWith, 0u);
    EXPECT_EQ(probe.handleDuringCreate, 0u); // still inside the create call
    EXPECT_EQ(probe.pGetHwnd(), probe.createdWith);
    EXPECT_EQ(plat::GetWindowUserData(probe.pGetHwnd()), reinterpret_cast<intptr_t>(&probe));
    EXPECT_EQ(probe.paints, 1); // shown and updated once
    EXPECT_EQ(Backend().Shows(), 1);
    EXPECT_STREQ(probe.pGetTitle(), "KRX Project");
    EXPECT_EQ(probe.lGetStyle(), plat::kStylePopup);
    EXPECT_EQ(probe.lGetExStyle(), plat::kExStyleTopmost);
    EXPECT_EQ(probe.lGetWidth(), plat::kUseDefault);
    EXPECT_TRUE(probe.oGetText().bIsDark());
    EXPECT_EQ(probe.oGetText().lGetTextColor(), sc_Text::kWhite);
}

TEST_F(WindowLoop, AFailedCreateLeavesNoWindow) {
    probe.createAnswer = 0;
    probe.vCreate("KRX Project", 0, 0, 0);
    EXPECT_EQ(probe.pGetHwnd(), 0u);
    EXPECT_EQ(plat::MainWindow(), 0u);
}

TEST_F(WindowLoop, OneMessagePerPassAndNoIdleOnTheQuitPass) {
    probe.vCreate("KRX Project", 0, 0, 0);
    Backend().At(3, [&](plat::HeadlessBackend&) {
        plat::PostMessage(probe.pGetHwnd(), plat::MSG_SIZE, 0, 0);
        plat::PostMessage(probe.pGetHwnd(), plat::MSG_SIZE, 0, 0);
    });
    Backend().CloseAt(10);
    EXPECT_EQ(probe.lRun(), 0);
    EXPECT_EQ(probe.sizes, 2);
    // Passes 1..10 idle (the close pass included); pass 11 takes the quit.
    EXPECT_EQ(Backend().Passes(), 11u);
    EXPECT_EQ(probe.idles, 10);
    EXPECT_EQ(probe.passAtIdle.back(), 10u);
    EXPECT_FALSE(plat::IsWindow(probe.pGetHwnd()));
}

TEST_F(WindowLoop, TwoQueuedMessagesTakeTwoPasses) {
    probe.vCreate("KRX Project", 0, 0, 0);
    int commandsSeenAtPass[3] = {0, 0, 0};
    Backend().At(1, [&](plat::HeadlessBackend&) {
        plat::PostMessage(probe.pGetHwnd(), plat::MSG_SIZE, 0, 0);
        plat::PostMessage(probe.pGetHwnd(), plat::MSG_SIZE, 0, 0);
    });
    Backend().At(2, [&](plat::HeadlessBackend&) { commandsSeenAtPass[1] = probe.sizes; });
    Backend().At(3, [&](plat::HeadlessBackend&) { commandsSeenAtPass[2] = probe.sizes; });
    Backend().CloseAt(3);
    probe.lRun();
    EXPECT_EQ(commandsSeenAtPass[1], 1);
    EXPECT_EQ(commandsSeenAtPass[2], 2);
}

TEST_F(WindowLoop, AChildWithAParentIs200SquareAndItsDeathDoesNotQuit) {
    probe.vCreate("KRX Project", 0, 0, 0);
    Probe child;
    child.backend = &Backend();
    child.vCreate(nullptr, probe.pGetHwnd(), 0, 0);
    EXPECT_EQ(child.lGetWidth(), 200);
    EXPECT_EQ(child.lGetHeight(), 200);
    EXPECT_STREQ(child.pGetTitle(), ""); // a null title keeps the buffer
    plat::SendMessage(child.pGetHwnd(), plat::MSG_CLOSE, 0, 0);
    plat::Message m;
    EXPECT_FALSE(plat::PeekMessage(m));
    EXPECT_TRUE(plat::IsWindow(probe.pGetHwnd()));
}

TEST_F(WindowLoop, NamesAreCutAt31Bytes) {
    plat::ResetWindowSystem();
    const char* longName = "ABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789";
    sc_Window::vRegister(0, longName, 0, 0);
    EXPECT_EQ(std::strlen(sc_Window::pGetClassName()), 31u);
    probe.vCreate(longName, 0, 0, 0);
    EXPECT_NE(probe.pGetHwnd(), 0u);
    EXPECT_EQ(std::strlen(probe.pGetTitle()), 31u);
    EXPECT_EQ(plat::GetWindowTitle(probe.pGetHwnd()), std::string(longName, 31));
}

TEST_F(WindowLoop, MessagesBeforeBindingGoToTheDefault) {
    // A window of the class not made through sc_Window has no object bound.
    const plat::WindowHandle w =
        plat::CreateWindow(sc_Window::pGetClassName(), "raw", 0, 0, 0, 0, 1, 1, 0, nullptr);
    ASSERT_NE(w, 0u);
    EXPECT_EQ(plat::GetWindowUserData(w), 0);
    plat::SendMessage(w, plat::MSG_CLOSE, 0, 0); // default handling destroys
    EXPECT_FALSE(plat::IsWindow(w));
}

TEST_F(WindowLoop, TextSchemes) {
    probe.vCreate("KRX Project", 0, 0, 0);
    sc_Text& t = probe.oGetText();
    plat::TextContext* dc = plat::GetTextContext(probe.pGetHwnd());
    ASSERT_NE(dc, nullptr);
    EXPECT_TRUE(dc->transparent);
    t.lSetColor(0x123456, 0x654321, 1);
    t.lSetBkMode(0); // dark scheme: opaque black whatever was stored
    EXPECT_FALSE(dc->transparent);
    EXPECT_EQ(dc->backgroundColor, 0u);
    t.lSetDark(0);
    t.lSetBkMode(0);
    EXPECT_EQ(dc->backgroundColor, sc_Text::kWhite);
    t.lNumberOut(5, 6, -42);
    ASSERT_FALSE(dc->written.empty());
    EXPECT_EQ(dc->written.back().text, "-42");
    EXPECT_EQ(dc->written.back().color, sc_Text::kDark);
}

} // namespace
