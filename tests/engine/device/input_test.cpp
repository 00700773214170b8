#include <gtest/gtest.h>

#include <vector>

#include "engine/device/dir_key.h"
#include "engine/device/direct2d.h"
#include "engine/device/frame_time.h"
#include "engine/device/mouse.h"
#include "platform/input.h"
#include "tests/support/headless_run.h"

namespace {

class Mouse : public krxtest::HeadlessTest {
protected:
    void SetUp() override {
        HeadlessTest::SetUp();
        g_oScreenSize.oSet(800, 600);
        g_lNowTick = 10'000'000;
    }
    // One frame: the time moves on, then the machines update.
    int Frame(sc_GameMouse& m, int32_t dt = 20) {
        g_lNowTick += dt;
        m.lUpdateDirection();
        return m.oButton(0).cState;
    }
};

TEST_F(Mouse, PressHoldReleaseGivesPressedHeldClickIdle) {
    sc_GameMouse m;
    Backend().ButtonDown(plat::kMouseLeft);
    EXPECT_EQ(Frame(m), 1);
    EXPECT_TRUE(m.bLeftPressed());
    EXPECT_TRUE(m.bLeftDown());
    EXPECT_EQ(Frame(m), 3);
    EXPECT_TRUE(m.bLeftDown());
    Backend().ButtonUp(plat::kMouseLeft);
    EXPECT_EQ(Frame(m), 4);
    EXPECT_TRUE(m.bLeftClick());
    EXPECT_EQ(Frame(m), 0);
}

TEST_F(Mouse, AMoveOfMoreThanFivePixelsWhileHeldIsADrag) {
    for (int move : {6, 5}) {
        sc_GameMouse m;
        Backend().MoveMouse(100, 100);
        Backend().ButtonDown(plat::kMouseLeft);
        std::vector<int> states{Frame(m, 1000)};
        Backend().MoveMouse(100 + move, 100);
        states.push_back(Frame(m));
        Backend().ButtonUp(plat::kMouseLeft);
        states.push_back(Frame(m));
        states.push_back(Frame(m));
        if (move == 6)
            EXPECT_EQ(states, (std::vector<int>{1, 5, 6, 0}));
        else
            EXPECT_EQ(states, (std::vector<int>{1, 3, 4, 0}));
    }
}

TEST_F(Mouse, ADragStaysADragWhenTheCursorComesBack) {
    sc_GameMouse m;
    Backend().MoveMouse(10, 10);
    Backend().ButtonDown(plat::kMouseLeft);
    Frame(m);
    Backend().MoveMouse(10, 30);
    EXPECT_EQ(Frame(m), 5);
    Backend().MoveMouse(10, 10);
    EXPECT_EQ(Frame(m), 5);
}

TEST_F(Mouse, SecondPressUnder300MsFromTheFirstIsADouble) {
    for (int gap : {299, 300}) {
        sc_GameMouse m;
        Backend().ButtonDown(plat::kMouseLeft);
        EXPECT_EQ(Frame(m, 1000), 1);
        Backend().ButtonUp(plat::kMouseLeft);
        Frame(m, 100);
        Backend().ButtonDown(plat::kMouseLeft);
        const int second = Frame(m, gap - 100);
        EXPECT_EQ(second, gap == 299 ? 7 : 1) << gap;
        Backend().ButtonUp(plat::kMouseLeft);
        // The release of a double press is no click.
        EXPECT_EQ(Frame(m), gap == 299 ? 0 : 4);
        Frame(m, 1000);
    }
}

// A clock that starts again (a program made anew in the same process) after
// a press at a later time: the first press reads as a double until the
// machines are reset, then as a plain press.
TEST_F(Mouse, AResetForgetsPressesOfAnEarlierClock) {
    for (bool reset : {false, true}) {
        sc_GameMouse m;
        Backend().ButtonDown(plat::kMouseLeft);
        Frame(m, 50'000);
        Backend().ButtonUp(plat::kMouseLeft);
        Frame(m);
        g_lNowTick = 10'000'000;
        if (reset) m.vReset();
        Backend().ButtonDown(plat::kMouseLeft);
        EXPECT_EQ(Frame(m), reset ? 1 : 7) << reset;
        Backend().ButtonUp(plat::kMouseLeft);
        Frame(m);
    }
}

TEST_F(Mouse, AClickBetweenTwoFramesIsStillSeen) {
    sc_GameMouse m;
    Frame(m);
    Backend().Click(plat::kMouseLeft);
    EXPECT_EQ(Frame(m), 1);
    EXPECT_EQ(Frame(m), 4);
    EXPECT_EQ(Frame(m), 0);
}

TEST_F(Mouse, ButtonsUpdateInTheirOwnMachines) {
    sc_GameMouse m;
    Backend().ButtonDown(plat::kMouseRight);
    Frame(m);
    EXPECT_TRUE(m.bRightPressed());
    EXPECT_FALSE(m.bLeftPressed());
    EXPECT_FALSE(m.bMiddlePressed());
    EXPECT_TRUE(m.bIsAnyButton());
    Backend().ButtonUp(plat::kMouseRight);
    Frame(m);
    EXPECT_TRUE(m.bRightClick());
    Frame(m);
    EXPECT_TRUE(m.bIsIdle());
    Backend().MoveMouse(5, 5);
    Frame(m);
    EXPECT_FALSE(m.bIsIdle()); // moved this frame
    EXPECT_EQ(g_oMousePoint.oPlain(), (ss_PlainPoint{5, 5}));
}

TEST_F(Mouse, HeldReadsTheButtonAtTheMomentOfTheCall) {
    sc_GameMouse m;
    EXPECT_FALSE(m.bLeftButtonHeld());
    Backend().ButtonDown(plat::kMouseLeft);
    EXPECT_TRUE(m.bLeftButtonHeld());
    EXPECT_EQ(m.oButton(0).cState, 0); // the machine has not run
    Backend().ButtonUp(plat::kMouseLeft);
    EXPECT_FALSE(m.bLeftButtonHeld());
}

TEST_F(Mouse, DirectionFromTheScreenCentre) {
    EXPECT_EQ(l_GetDirection(1, 0), 2);
    EXPECT_EQ(l_GetDirection(0, 1), 4);
    EXPECT_EQ(l_GetDirection(0, -1), 0);
    EXPECT_EQ(l_GetDirection(-1, 0), 6);
    EXPECT_EQ(l_GetDirection(1, 1), 3);
    EXPECT_EQ(l_GetDirection(4, 1), 3);
    EXPECT_EQ(l_GetDirection(5, 1), 2);
    EXPECT_EQ(l_GetDirection(1, -1), 1);
    EXPECT_EQ(l_GetDirection(-1, -1), 7);
    EXPECT_EQ(l_GetDirection(-1, 1), 5);
    EXPECT_EQ(l_GetDirection(0, 0), -1);
    sc_GameMouse m;
    Backend().MoveMouse(799, 300);
    EXPECT_EQ(m.lUpdateDirection(), 2);
    Backend().MoveMouse(400, 300);
    EXPECT_EQ(m.lUpdateDirection(), 255);
}

class Keyboard : public krxtest::HeadlessTest {};

TEST_F(Keyboard, IsKeyDownKeepsTheTableWhileGetKeyStateReadsAnew) {
    sc_DirKey keys;
    EXPECT_EQ(g_pDirKey, &keys);
    ASSERT_TRUE(keys.bInit(0, 0));
    Backend().KeyDown(plat::key::Space);
    EXPECT_EQ(keys.bIsKeyDown(plat::key::Space), 0); // not read yet
    EXPECT_EQ(keys.bGetKeyState(0), 0);              // key 0: refresh only
    EXPECT_EQ(keys.bIsKeyDown(plat::key::Space), 0x80);
    Backend().KeyUp(plat::key::Space);
    EXPECT_EQ(keys.bIsKeyDown(plat::key::Space), 0x80); // same frame, same answer
    EXPECT_EQ(keys.bGetKeyState(plat::key::Space), 0);  // the device now
    EXPECT_EQ(keys.bIsKeyDown(plat::key::Space), 0);
}

TEST_F(Keyboard, ATapBetweenTwoReadsIsNotSeen) {
    sc_DirKey keys;
    keys.bInit(0, 0);
    keys.bGetKeyState(0);
    Backend().KeyDown(plat::key::Enter);
    Backend().KeyUp(plat::key::Enter);
    EXPECT_EQ(keys.bGetKeyState(plat::key::Enter), 0);
}

TEST_F(Keyboard, WithoutADeviceEveryTestIsZeroAndAFailedReadClearsTheTable) {
    {
        sc_DirKey keys;
        Backend().KeyDown(plat::key::Escape);
        EXPECT_EQ(keys.bGetKeyState(plat::key::Escape), 0); // never initialised
        EXPECT_EQ(keys.bIsKeyDown(plat::key::Escape), 0);
    }
    sc_DirKey keys;
    ASSERT_TRUE(keys.bInit(0, 0));
    EXPECT_EQ(keys.bGetKeyState(plat::key::Escape), 0x80);
    Backend().SetKeyboardPresent(false); // the window lost the keyboard
    EXPECT_EQ(keys.bGetKeyState(plat::key::Escape), 0);
    EXPECT_EQ(keys.bIsKeyDown(plat::key::Escape), 0);
    sc_DirKey none;
    EXPECT_FALSE(none.bInit(0, 0));
}

TEST(KeyControl, FlagsAreTakenOnce) {
    sc_KeyControl k;
    EXPECT_EQ(k.bIsDown(5), 0);
    k.vPress(5);
    EXPECT_EQ(k.bIsDown(5), 0x80);
    EXPECT_EQ(k.bGetAndClear(5), 0x80);
    EXPECT_EQ(k.bGetAndClear(5), 0);
    k.vPress(7);
    k.vRelease(7);
    EXPECT_EQ(k.bIsDown(7), 0);
}

} // namespace
