#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "engine/device/window.h"
#include "platform/window.h"
#include "tests/support/headless_run.h"

namespace {

// A window that writes down what the loop made it do.
class Probe : public sc_Window {
public:
    int32_t bOnCreate(WindowHandle w) override {
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
    int32_t bOnMouseMove(uintptr_t, intptr_t lParam) override {
        moves.push_back(lParam);
        return 1;
    }
    int32_t bOnRButtonDown(uintptr_t, intptr_t) override {
        ++rightDowns;
        return 1;
    }
    int32_t bOnLButtonUp(uintptr_t, intptr_t) override {
        ++leftUps;
        return 1;
    }

    plat::HeadlessBackend* backend = nullptr;
    WindowHandle createdWith = 0;
    WindowHandle handleDuringCreate = 99;
    int32_t createAnswer = 1;
    int creates = 0, idles = 0, paints = 0, sizes = 0, rightDowns = 0, leftUps = 0;
    std::vector<intptr_t> moves;
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
    EXPECT_EQ(l_SendMessage(probe.pGetHwnd(), MSG_SIZE, 0, 0), 0); // bound: reaches the object
    EXPECT_EQ(probe.sizes, 1);
    EXPECT_EQ(probe.paints, 1); // shown and updated once
    EXPECT_EQ(Backend().Shows(), 1);
    EXPECT_STREQ(probe.pGetTitle(), "KRX Project");
    EXPECT_EQ(probe.lGetStyle(), kStylePopup);
    EXPECT_EQ(probe.lGetExStyle(), kExStyleTopmost);
    EXPECT_EQ(probe.lGetWidth(), kUseDefault);
    EXPECT_EQ(plat::WindowTitle(), "KRX Project");
    EXPECT_TRUE(probe.oGetText().bIsDark());
    EXPECT_EQ(probe.oGetText().lGetTextColor(), sc_Text::kWhite);
}

TEST_F(WindowLoop, AFailedCreateLeavesNoWindow) {
    probe.createAnswer = 0;
    probe.vCreate("KRX Project", 0, 0, 0);
    EXPECT_EQ(probe.pGetHwnd(), 0u);
    EXPECT_FALSE(plat::IsWindowOpen());
}

TEST_F(WindowLoop, OneMessagePerPassAndNoIdleOnTheQuitPass) {
    probe.vCreate("KRX Project", 0, 0, 0);
    Backend().At(3, [&](plat::HeadlessBackend&) {
        plat::PostEvent(plat::Event::Mouse(true, plat::Button::Right, 1, 2));
        plat::PostEvent(plat::Event::Mouse(true, plat::Button::Right, 1, 2));
    });
    Backend().CloseAt(10);
    EXPECT_EQ(probe.lRun(), 0);
    EXPECT_EQ(probe.rightDowns, 2);
    // Passes 1..10 idle (the close pass included); pass 11 takes the quit.
    EXPECT_EQ(Backend().Passes(), 11u);
    EXPECT_EQ(probe.idles, 10);
    EXPECT_EQ(probe.passAtIdle.back(), 10u);
    EXPECT_FALSE(b_IsWindow(probe.pGetHwnd()));
    EXPECT_FALSE(plat::IsWindowOpen());
}

TEST_F(WindowLoop, TwoQueuedMessagesTakeTwoPasses) {
    probe.vCreate("KRX Project", 0, 0, 0);
    int commandsSeenAtPass[3] = {0, 0, 0};
    Backend().At(1, [&](plat::HeadlessBackend&) {
        plat::PostEvent(plat::Event::Mouse(false, plat::Button::Left, 0, 0));
        plat::PostEvent(plat::Event::Mouse(false, plat::Button::Left, 0, 0));
    });
    Backend().At(2, [&](plat::HeadlessBackend&) { commandsSeenAtPass[1] = probe.leftUps; });
    Backend().At(3, [&](plat::HeadlessBackend&) { commandsSeenAtPass[2] = probe.leftUps; });
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
    EXPECT_TRUE(b_IsWindow(child.pGetHwnd()));
    EXPECT_FALSE(b_PostClose(child.pGetHwnd())); // only the game window takes posted closes
    l_SendMessage(child.pGetHwnd(), MSG_CLOSE, 0, 0);
    EXPECT_FALSE(b_IsWindow(child.pGetHwnd()));
    plat::Event e;
    EXPECT_FALSE(plat::PeekEvent(e));
    EXPECT_TRUE(b_IsWindow(probe.pGetHwnd()));
}

TEST_F(WindowLoop, NamesAreCutAt31Bytes) {
    plat::ResetWindowSystem();
    const char* longName = "ABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789";
    sc_Window::vRegister(0, longName, 0, 0);
    EXPECT_EQ(std::strlen(sc_Window::pGetClassName()), 31u);
    probe.vCreate(longName, 0, 0, 0);
    EXPECT_NE(probe.pGetHwnd(), 0u);
    EXPECT_EQ(std::strlen(probe.pGetTitle()), 31u);
    EXPECT_EQ(plat::WindowTitle(), std::string(longName, 31));
}

TEST_F(WindowLoop, AWindowWithNoObjectBoundTakesTheDefault) {
    probe.vCreate("KRX Project", 0, 0, 0);
    Probe child;
    child.vCreate(nullptr, probe.pGetHwnd(), 0, 0);
    const WindowHandle gone = child.pGetHwnd();
    l_SendMessage(probe.pGetHwnd(), MSG_CLOSE, 0, 0); // children close first, then the window
    EXPECT_FALSE(b_IsWindow(gone));
    EXPECT_FALSE(b_IsWindow(probe.pGetHwnd()));
    // The numbers of gone windows find no object: default handling, no slot.
    const int paints = probe.paints;
    EXPECT_EQ(sc_Window::l_WindowProc(probe.pGetHwnd(), MSG_PAINT, 0, 0), 0);
    EXPECT_EQ(sc_Window::l_WindowProc(12345, MSG_SIZE, 0, 0), 0);
    EXPECT_EQ(probe.paints, paints);
    EXPECT_EQ(probe.sizes, 0);
}

TEST_F(WindowLoop, EventsReachTheSlotsAsMessagesAndDieWithTheWindow) {
    probe.vCreate("KRX Project", 0, 0, 0);
    for (const plat::Event& e : {plat::Event::MouseMove(640, 480), plat::Event::Paint(),
                                 plat::Event::Key(true, 0x1C), plat::Event::Activate(false),
                                 plat::Event::Timer(3), plat::Event::Mouse(true, plat::Button::Middle, 1, 1)})
        plat::PostEvent(e);
    // A move queued behind the close is taken on pass 8 but reaches nobody.
    Backend().At(7, [](plat::HeadlessBackend&) {
        plat::PostEvent(plat::Event::Close());
        plat::PostEvent(plat::Event::MouseMove(1, 1));
    });
    EXPECT_EQ(probe.lRun(), 0);
    EXPECT_EQ(probe.moves, std::vector<intptr_t>{480 << 16 | 640});
    EXPECT_EQ(probe.paints, 2); // the update at creation and the queued one
    EXPECT_EQ(Backend().Paints(), 2);
    EXPECT_EQ(Backend().Passes(), 9u);
}

TEST_F(WindowLoop, TextSchemes) {
    probe.vCreate("KRX Project", 0, 0, 0);
    sc_Text& t = probe.oGetText();
    EXPECT_TRUE(t.bIsTransparent());
    t.lSetColor(0x123456, 0x654321, 1);
    t.lSetBkMode(0); // dark scheme: opaque black whatever was stored
    EXPECT_FALSE(t.bIsTransparent());
    EXPECT_EQ(t.lGetBkColor(), 0u);
    t.lSetDark(0);
    EXPECT_TRUE(t.bIsTransparent());
    EXPECT_EQ(t.lGetTextColor(), sc_Text::kDark);
    t.lSetBkMode(0);
    EXPECT_EQ(t.lGetBkColor(), sc_Text::kWhite);
    sc_Text unbound;
    EXPECT_EQ(unbound.lSetBkMode(1), 0);
}

} // namespace
