#include <gtest/gtest.h>

#include <vector>

#include "interface/buttons.h"
#include "tests/interface/widget_fixture.h"

namespace {

class Buttons : public krxtest::Widgets {
protected:
    sc_GameStatus* Status(int32_t object, int32_t status) {
        sc_GameObject* o = Object(object);
        return o ? o->pGetStatusAt(status) : nullptr;
    }
    // The looks of the buttons after one poll each, in order.
    std::vector<int> Poll(std::vector<sc_InterFaceButton*> buttons, std::vector<int>* results = nullptr) {
        std::vector<int> looks;
        for (sc_InterFaceButton* b : buttons) {
            const int32_t r = b->lShow();
            if (results) results->push_back(r);
            looks.push_back(b->bState);
        }
        return looks;
    }
};

using Looks = std::vector<int>;

TEST_F(Buttons, TheButtonThatTookThePressLocksItsGroupUntilTheMouseIsBackOverItWithTheButtonUp) {
    const layout::Size card = layout::kWeaponButton;
    sc_InterFaceButton* owner = nullptr;
    sc_InterFaceButton a, b;
    a.vSetUp(Status(layout::kObjectCards, 0), 100, 100, &owner);
    b.vSetUp(Status(layout::kObjectCards, 1), 100 + card.w / 2, 100, &owner);
    const int32_t both = 100 + card.w - 2, onlyA = 102, onlyB = 100 + card.w + 5, y = 105;

    Mouse(both, y);
    Frame();
    EXPECT_EQ(Poll({&a, &b}), (Looks{1, 1}));
    Press();
    std::vector<int> results;
    for (int i = 0; i < 4; ++i) {
        Frame();
        EXPECT_EQ(Poll({&a, &b}, &results), (Looks{2, 1})) << "only the first polled is pressed";
    }
    EXPECT_EQ(results, (std::vector<int>{1, 0, 1, 0, 1, 0, 1, 0})) << "held, it answers 1 in every frame";
    EXPECT_EQ(owner, &a);

    // Off the button that holds the press, and released: nothing else reacts.
    Mouse(onlyB, y);
    Frame();
    EXPECT_EQ(Poll({&a, &b}), (Looks{0, 1}));
    Release();
    Frame();
    Press();
    Frame();
    results.clear();
    EXPECT_EQ(Poll({&a, &b}, &results), (Looks{0, 1}));
    EXPECT_EQ(results, (std::vector<int>{0, 0}));
    Release();
    Frame();
    Poll({&a, &b});
    EXPECT_EQ(owner, &a);

    // Over it again with the button up frees the group.
    Mouse(onlyA, y);
    Frame();
    EXPECT_EQ(Poll({&a, &b}), (Looks{1, 0}));
    EXPECT_EQ(owner, nullptr);
    Mouse(onlyB, y);
    Frame(400);
    Press();
    Frame();
    results.clear();
    EXPECT_EQ(Poll({&a, &b}, &results), (Looks{0, 2}));
    EXPECT_EQ(results, (std::vector<int>{0, 1}));

    // A disabled button is neither drawn nor polled.
    b.vEnable(0);
    EXPECT_EQ(b.lShow(), 0);
}

TEST_F(Buttons, AButtonWithoutACellIsAGroupOfOneAndMissingLooksDrawNothing) {
    // The scroll bar's track has a single direction: only the normal look.
    struct Case {
        sc_GameStatus* status;
        bool normalDrawn, overDrawn;
    };
    const Case cases[] = {
        {Status(layout::kObjectCards, 3), true, true},
        {Status(layout::kObjectScrollBar, 0), true, false},
        {nullptr, false, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.status ? c.status->lGetDirCount() : -1);
        sc_InterFaceButton button;
        button.vSetUp(c.status, 300, 300, nullptr);
        Mouse(10, 10);
        Frame(400);
        Clear();
        EXPECT_EQ(button.lShow(), 0);
        EXPECT_EQ(Count(300, 300, 20, 20, 0) < 400, c.normalDrawn);
        Mouse(305, 305);
        Frame();
        Clear();
        EXPECT_EQ(button.lShow(), 0);
        EXPECT_EQ(Count(300, 300, 20, 20, 0) < 400, c.overDrawn);
        Press();
        Frame();
        EXPECT_EQ(button.lShow(), c.status ? 1 : 0) << "no cell: it takes the press by itself";
        EXPECT_EQ(button.bState, c.status ? 2 : 0);
        Release();
        Frame();
        button.lShow();
    }
}

TEST_F(Buttons, ACaptionTurnsRedUnderTheMouseSoundsOncePerEntryAndClicksInsideItsInclusiveRectangle) {
    sc_InterFaceRectButton button;
    button.vSetRect(100, 100, 200, 20); // 100..299 by 100..119, edges included
    button.vSetCaption("Mission");
    auto show = [&](int32_t plain = 0) {
        Clear();
        return button.lShow(plain);
    };
    auto red = [&] { return Count(100, 100, 200, 20, 31744); };
    auto plain = [&] { return Count(100, 100, 200, 20, 3851); };
    struct Step {
        int32_t x, y;
        bool press, selected;
        int32_t result, sounds;
        bool highlighted;
    };
    const Step steps[] = {
        {50, 50, false, false, 0, 0, false},  {150, 110, false, false, 0, 1, true},
        {151, 110, false, false, 0, 1, true}, {50, 50, false, false, 0, 1, false},
        {299, 119, false, false, 0, 2, true}, {299, 119, true, false, 1, 2, true},
        {300, 110, true, false, 0, 2, false}, {150, 120, true, false, 0, 2, false},
        {99, 110, true, false, 0, 2, false},  {150, 99, true, false, 0, 2, false},
        {50, 50, false, true, 0, 3, true}, // selected: red away from the mouse, sounding once
        {150, 110, true, true, 0, 3, true},
    };
    for (const Step& st : steps) {
        SCOPED_TRACE(testing::Message() << st.x << ", " << st.y);
        if (!st.press) Release();
        Mouse(st.x, st.y);
        Frame(st.press ? 400 : 16);
        if (st.press) {
            Press();
            Frame();
        }
        button.bSelected = st.selected;
        EXPECT_EQ(show(), st.result);
        EXPECT_EQ(Sounds(), st.sounds);
        EXPECT_EQ(red() > 20, st.highlighted);
        EXPECT_EQ(plain() > 20, !st.highlighted);
        if (st.result) {
            Frame();
            EXPECT_EQ(show(), 0) << "held: one click per press";
        }
        Release();
        Frame();
    }
    uint32_t colour = 0;
    g_oFontWriter.vGetColor(&colour, nullptr);
    EXPECT_EQ(colour, 3851u) << "the normal colour is back after the highlight";
    button.bSelected = 0;
    Mouse(150, 110);
    Frame(400);
    Press();
    Frame();
    EXPECT_EQ(show(1), 0) << "a plain caption only draws";
    EXPECT_GT(plain(), 20);
    button.oCaption.vClear();
    EXPECT_EQ(show(), 0);
    EXPECT_EQ(Count(100, 100, 200, 20, 0), 200 * 20) << "no caption, nothing drawn";
}

} // namespace
