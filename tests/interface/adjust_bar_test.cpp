#include <gtest/gtest.h>

#include <climits>
#include <functional>
#include <vector>

#include "interface/adjust_bar.h"
#include "tests/interface/widget_fixture.h"

namespace {

TEST(Adjust, OperationsKeepTheValueInItsRangeOrWrapAsTheModeSays) {
    struct Case {
        const char* what;
        std::function<void(sc_Adjust&, sc_Adjust&)> ops; // this, other (0..9, value 3)
        int32_t max, min, value;
    };
    const Case cases[] = {
        {"larger argument is the max", [](sc_Adjust& x, sc_Adjust&) { x.bSet(10, 2, 50, 0); }, 10, 2, 10},
        {"order does not matter", [](sc_Adjust& x, sc_Adjust&) { x.bSet(2, 10, -5, 0); }, 10, 2, 2},
        {"a fresh value clamps", [](sc_Adjust& x, sc_Adjust&) { x.vSetMax(5), x.lAdd(9); }, 5, 0, 5},
        {"wrap past max", [](sc_Adjust& x, sc_Adjust&) { x.bSet(3, 9, 9, 1), x.lAdd(1); }, 9, 3, 3},
        {"wrap past min", [](sc_Adjust& x, sc_Adjust&) { x.bSet(3, 9, 3, 1), x.lSub(1); }, 9, 3, 9},
        {"other modes", [](sc_Adjust& x, sc_Adjust&) { x.bSet(0, 9, 9, 7), x.lAdd(5); }, 9, 0, 14},
        {"32 bits", [](sc_Adjust& x, sc_Adjust&) { x.bSet(0, INT32_MAX, INT32_MAX, 7), x.lAdd(5); },
         INT32_MAX, 0, INT32_MAX},
        {"max raised to min", [](sc_Adjust& x, sc_Adjust&) { x.bSet(4, 9, 8, 0), x.vSetMax(1); }, 4, 4, 4},
        {"sub max", [](sc_Adjust& x, sc_Adjust&) { x.bSet(0, 9, 9, 0), x.vSubMax(3); }, 6, 0, 6},
        {"ratio", [](sc_Adjust& x, sc_Adjust& o) { x.bSet(0, 99, 0, 0), x.vSetRatio(o); }, 99, 0, 30},
        {"inverse", [](sc_Adjust& x, sc_Adjust& o) { x.bSet(0, 99, 0, 0), x.vSetInverseRatio(o); }, 99, 0,
         70},
        {"negative ratio raised to min",
         [](sc_Adjust& x, sc_Adjust& o) { o.bSet(-9, 9, -5, 0), x.bSet(2, 40, 20, 0), x.vSetRatio(o); }, 40,
         2, 2},
        {"an emptied range is no ratio",
         [](sc_Adjust& x, sc_Adjust& o) { o.vSubMax(20), x.bSet(0, 99, 5, 0), x.vSetRatio(o); }, 99, 0, 5},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        sc_Adjust x, other;
        other.bSet(0, 9, 3, 0);
        c.ops(x, other);
        EXPECT_EQ(std::vector<int32_t>({x.lMax, x.lMin, x.lValue}),
                  std::vector<int32_t>({c.max, c.min, c.value}));
    }
    sc_Adjust hundred, ten, twoHundred, emptied, wide, one;
    hundred.bSet(0, 99, 0, 0);
    ten.bSet(0, 9, 0, 0);
    twoHundred.bSet(0, 199, 0, 0);
    emptied.bSet(0, 9, 0, 0);
    emptied.vSubMax(20);
    wide.bSet(INT32_MIN, INT32_MAX, 0, 0);
    one.bSet(5, 5, 5, 0);
    EXPECT_EQ(hundred.lGetRatio(ten), 10);
    EXPECT_EQ(hundred.lGetRatio(twoHundred), 0);
    EXPECT_EQ(hundred.lGetRatio(emptied), 0);
    EXPECT_EQ(wide.lGetRatio(one), INT32_MAX) << "a ratio past 32 bits stops at the limit";
}

class Bar : public krxtest::Widgets {
protected:
    void SetUp() override {
        Widgets::SetUp();
        object = Object(layout::kObjectScrollBar);
        ASSERT_NE(object, nullptr);
        bar.vSetUp(object, kX, kY, &owner, layout::kBarButtonX, nullptr);
    }
    // Frames of ms until the time has passed; the times (from the first)
    // at which the bar changed.
    std::vector<int32_t> Hold(int32_t ms, uint32_t step) {
        std::vector<int32_t> changes;
        const int32_t start = g_lNowTick;
        while (g_lNowTick - start <= ms) {
            if (bar.lShow()) changes.push_back(g_lNowTick - start);
            Frame(step);
        }
        return changes;
    }

    static constexpr int32_t kX = 780, kY = 180;
    sc_GameObject* object = nullptr;
    sc_InterFaceButton* owner = nullptr;
    sc_Bar bar;
};

TEST_F(Bar, AHeldArrowStepsOnThePressThenEvery200MsAndADoubleClickStepsAtOnce) {
    for (uint32_t frame : {16u, 50u}) {
        SCOPED_TRACE(frame);
        bar.oPosition.vSetValue(100);
        Mouse(kX + 8, kY + layout::kBarTrack.h - 4); // the down arrow
        Press();
        Frame();
        const std::vector<int32_t> expected =
            frame == 16 ? std::vector<int32_t>{0, 208, 416} : std::vector<int32_t>{0, 250, 500};
        EXPECT_EQ(Hold(500, frame), expected);
        EXPECT_EQ(bar.oPosition.lGetValue(), 103);
        Release();
        Frame(400);
        bar.lShow();
        Frame(400);
    }
    // Down, up and down again within 300 ms: the second press steps at once
    // and then repeats like the first.
    Mouse(kX + 8, kY + 4); // the up arrow
    Press();
    Frame();
    EXPECT_EQ(bar.lShow(), 1);
    Release();
    Frame();
    EXPECT_EQ(bar.lShow(), 0);
    Press();
    Frame();
    ASSERT_EQ(g_oGameMouse.bLeftDouble(), 1);
    EXPECT_EQ(Hold(300, 16), (std::vector<int32_t>{0, 208}));
    EXPECT_EQ(bar.oPosition.lGetValue(), 100);
}

TEST_F(Bar, ATrackPressJumpsTheThumbOnlyWhereThePictureIsOpaque) {
    struct Case {
        int32_t x, y;
        bool moves;
    };
    const int32_t rail = layout::kBarRail, gap = layout::kBarGap;
    const Case cases[] = {
        {kX + 1, kY + 120, true},                       // the left rail
        {kX + rail, kY + 130, false},                   // the gap beside it
        {kX + rail + gap - 1, kY + 140, false},         // the gap's other column
        {kX + layout::kBarButtonX + 2, kY + 150, true}, // the groove
        {kX + layout::kBarTrack.w - 1, kY + 160, true}, // the right rail
        {kX + 1, kY, false},                            // the top edge is outside
        {kX + 1, kY + layout::kBarTrack.h, false},
    };
    // The thumb runs from below the up arrow to above the down arrow.
    EXPECT_EQ(bar.oPosition.lMin, layout::kBarArrow.h);
    EXPECT_EQ(bar.oPosition.lMax, layout::kBarTrack.h - layout::kBarThumb.h - layout::kBarArrow.h);
    EXPECT_EQ(bar.oDown.oPoint.y, kY + layout::kBarTrack.h - layout::kBarArrow.h);
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.x - kX << ", " << c.y - kY);
        bar.oPosition.vSetValue(60);
        bar.vSetThumb(bar.oThumb.oPoint.x, kY + 60);
        Mouse(c.x, c.y);
        Press();
        Frame();
        const int32_t changed = bar.lShow();
        EXPECT_EQ(changed, c.moves ? 1 : 0);
        EXPECT_EQ(bar.oPosition.lGetValue(), c.moves ? c.y - kY : 60);
        EXPECT_EQ(bar.oThumb.oPoint.y, kY + bar.oPosition.lGetValue());
        Release();
        Frame();
        bar.lShow();
        Frame(400);
    }
}

} // namespace
