#include <gtest/gtest.h>

#include <vector>

#include "platform/window.h"
#include "tests/support/headless_run.h"

namespace {

using plat::Event;
using plat::EventKind;

class WindowQueue : public krxtest::HeadlessTest {
protected:
    bool Open(bool answer = true) {
        return plat::OpenWindow("title", [&] {
            openDuringCreate = plat::IsWindowOpen();
            titleDuringCreate = plat::WindowTitle();
            ++creates;
            return answer;
        });
    }
    bool openDuringCreate = false;
    std::string titleDuringCreate;
    int creates = 0;
};

TEST_F(WindowQueue, CreateRunsInsideTheCallAndOneWindowAtATime) {
    ASSERT_TRUE(Open());
    EXPECT_EQ(creates, 1);
    EXPECT_TRUE(openDuringCreate);
    EXPECT_EQ(titleDuringCreate, "title");
    EXPECT_NE(plat::WindowSerial(), 0u);
    EXPECT_FALSE(Open()); // a second window is refused before its create
    EXPECT_EQ(creates, 1);
    plat::ShowWindow();
    plat::PaintWindow();
    EXPECT_EQ(Backend().Shows(), 1);
    EXPECT_EQ(Backend().Paints(), 1);
    EXPECT_EQ(Backend().CreatedTitles(), std::vector<std::string>{"title"});
}

TEST_F(WindowQueue, ARefusedCreateLeavesNoWindowAndSerialsAreNeverReused) {
    EXPECT_FALSE(Open(false));
    EXPECT_FALSE(plat::IsWindowOpen());
    EXPECT_EQ(plat::WindowSerial(), 0u);
    EXPECT_EQ(Backend().Destroys(), 1);
    Backend().FailNextWindow();
    EXPECT_FALSE(Open());
    EXPECT_EQ(creates, 1); // the backend refused before any create

    ASSERT_TRUE(Open());
    const uint32_t first = plat::WindowSerial();
    plat::CloseWindow();
    ASSERT_TRUE(Open());
    EXPECT_NE(plat::WindowSerial(), first);
    plat::ResetWindowSystem();
    ASSERT_TRUE(Open());
    EXPECT_GT(plat::WindowSerial(), first + 1);
}

TEST_F(WindowQueue, PeekDoesNotTakeTakeGoesInOrderAndMovesAndRepeatsMerge) {
    ASSERT_TRUE(Open());
    Event e;
    EXPECT_FALSE(plat::PeekEvent(e));
    EXPECT_FALSE(plat::PostEvent(Event{.kind = EventKind::Create}));
    const std::vector<Event> posted = {Event::Key(true, 0x1E), Event::MouseMove(1, 2),
                                       Event::MouseMove(3, 4), Event::Key(true, 0x1E),
                                       Event::Mouse(true, plat::Button::Right, 5, 6), Event::Key(true, 0x1E),
                                       Event::MouseMove(7, 8), Event::Timer(9)};
    for (const Event& p : posted)
        ASSERT_TRUE(plat::PostEvent(p));
    ASSERT_TRUE(plat::PeekEvent(e));
    ASSERT_TRUE(plat::PeekEvent(e));
    EXPECT_EQ(e.kind, EventKind::KeyDown);
    std::vector<Event> taken;
    while (plat::PeekEvent(e)) {
        ASSERT_TRUE(plat::TakeEvent(e));
        taken.push_back(e);
    }
    // The two moves in a row became the later one; a move after a click
    // stays; the repeats of a key whose press still waits add nothing.
    ASSERT_EQ(taken.size(), 5u);
    EXPECT_EQ(taken[0].key, 0x1E);
    EXPECT_EQ(taken[1].kind, EventKind::MouseMove);
    EXPECT_EQ(taken[1].x, 3);
    EXPECT_EQ(taken[1].y, 4);
    EXPECT_EQ(taken[2].kind, EventKind::ButtonDown);
    EXPECT_EQ(taken[2].button, plat::Button::Right);
    EXPECT_EQ(taken[3].x, 7);
    EXPECT_EQ(taken[4].timer, 9u);

    // Once the press is taken, or after the key's release, a press counts
    // again: a held key still repeats as fast as the frames take it.
    for (const Event& p : {Event::Key(true, 0x1E), Event::Key(false, 0x1E), Event::Key(true, 0x1E),
                           Event::Key(true, 0x1E), Event::Key(true, 0x30)})
        ASSERT_TRUE(plat::PostEvent(p));
    std::vector<EventKind> kinds;
    while (plat::PeekEvent(e) && plat::TakeEvent(e))
        kinds.push_back(e.kind);
    EXPECT_EQ(kinds, (std::vector<EventKind>{EventKind::KeyDown, EventKind::KeyUp, EventKind::KeyDown,
                                             EventKind::KeyDown}));
    ASSERT_TRUE(plat::PostEvent(Event::Key(true, 0x1E)));
    ASSERT_TRUE(plat::TakeEvent(e));
    EXPECT_EQ(e.key, 0x1E);
}

TEST_F(WindowQueue, QuitComesOnceNothingElseWaits) {
    ASSERT_TRUE(Open());
    plat::PostEvent(Event::Activate(true));
    plat::PostQuit(3);
    plat::PostEvent(Event::Paint());
    Event e;
    EXPECT_TRUE(plat::TakeEvent(e));
    EXPECT_EQ(e.kind, EventKind::Activate);
    EXPECT_TRUE(e.active);
    EXPECT_TRUE(plat::TakeEvent(e));
    EXPECT_EQ(e.kind, EventKind::Paint);
    EXPECT_FALSE(plat::TakeEvent(e));
    EXPECT_EQ(e.kind, EventKind::Quit);
    EXPECT_EQ(e.exitCode, 3);
    EXPECT_FALSE(plat::PeekEvent(e));
}

TEST_F(WindowQueue, WhatWasQueuedOutlivesTheWindowButNothingNewIsTaken) {
    ASSERT_TRUE(Open());
    plat::PostEvent(Event::Close());
    plat::PostEvent(Event::Key(false, 0x01));
    plat::CloseWindow();
    EXPECT_FALSE(plat::IsWindowOpen());
    EXPECT_EQ(plat::WindowTitle(), "");
    EXPECT_FALSE(plat::PostEvent(Event::Close()));
    plat::PostQuit(7);
    Event e;
    ASSERT_TRUE(plat::TakeEvent(e));
    EXPECT_EQ(e.kind, EventKind::Close);
    ASSERT_TRUE(plat::TakeEvent(e));
    EXPECT_EQ(e.kind, EventKind::KeyUp);
    EXPECT_FALSE(plat::TakeEvent(e));
    EXPECT_EQ(e.exitCode, 7);
}

TEST_F(WindowQueue, TimelineActsOnItsPassAndTheBudgetClosesOnce) {
    ASSERT_TRUE(Open());
    int fired = 0;
    Backend().At(3, [&](plat::HeadlessBackend&) { ++fired; });
    Backend().SetPassBudget(5);
    Event e;
    for (int i = 0; i < 4; ++i)
        EXPECT_FALSE(plat::PeekEvent(e));
    EXPECT_EQ(fired, 1);
    ASSERT_TRUE(plat::PeekEvent(e)); // pass 5
    EXPECT_EQ(e.kind, EventKind::Close);
    plat::TakeEvent(e);
    EXPECT_FALSE(plat::PeekEvent(e));
    EXPECT_EQ(Backend().Passes(), 6u);
}

} // namespace
