#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "interface/buttons.h"
#include "interface/form.h"
#include "interface/text_widgets.h"
#include "platform/random.h"
#include "tests/interface/widget_fixture.h"

namespace {

using Typed = std::vector<std::pair<int32_t, int32_t>>;

class TextWidgets : public krxtest::Widgets {
protected:
    sc_GameStatus* Glyphs() {
        sc_GameObject* o = Object(layout::kObjectGlyphs);
        return o ? o->pGetStatusAt(0) : nullptr;
    }
    // Frames of 16 ms until both lines are typed: each change of what the
    // two lines have typed, in order.
    Typed Run(sc_RunText& first, sc_RunText& second) {
        Typed seen;
        for (int i = 0; i < 200 && !(first.bDone && second.bDone && i > 0); ++i) {
            first.lShow(0);
            const std::pair<int32_t, int32_t> now{first.lTyped, second.lTyped};
            if (seen.empty() || seen.back() != now) seen.push_back(now);
            Frame();
        }
        return seen;
    }
};

TEST_F(TextWidgets, ALineTypesABig5PairInOneStepAndHandsOverToTheNextLineWhenDone) {
    sc_RunText a, b;
    a.vSetUp(&b, 100, 100, 100);
    b.vSetUp(nullptr, 100, 100, 130);
    a.vSetText("A\xA4\x40");
    b.vSetText("BC");
    for (int i = 0; i < 3; ++i, Frame())
        a.lShow(1);
    EXPECT_EQ(a.lTyped + b.lTyped, 0) << "held, nothing types";
    EXPECT_EQ(Run(a, b), (Typed{{1, 0}, {3, 0}, {4, 1}, {4, 2}, {4, 3}}))
        << "the last step types the terminating zero; the next line starts in that frame";
    EXPECT_EQ(std::string(a.pGetShown()) + std::string(b.pGetShown()), "A\xA4\x40"
                                                                       "BC");
    // The typing head repeats the whole last character in white, 8 pixels on.
    auto white = [&]() {
        std::vector<int> px;
        for (int32_t y = 100; y < 116; ++y)
            for (int32_t x = 132; x < 148; ++x)
                px.push_back(Pixel(x, y) == 32767);
        return px;
    };
    Clear();
    EXPECT_EQ(a.lShow(0), 1) << "the whole chain is typed";
    const std::vector<int> head = white();
    Clear();
    v_ShowInterfaceHighlight(132, 100, "\xA4\x40", 32767);
    EXPECT_EQ(head, white()) << "the pair, not its trail byte alone";

    // An empty line is done in its first step and lets the next run at once.
    Frame(200);
    a.vSetText("");
    b.vSetText("X");
    a.lShow(0);
    EXPECT_EQ(Typed({{a.lTyped, b.lTyped}}), (Typed{{1, 1}}));
    EXPECT_EQ(a.lShow(0), 0);
    // A finished line linked into its own chain does not hang the frame.
    a.pNext = &a;
    for (int i = 0; i < 3; ++i, Frame(200))
        a.lShow(0);
    EXPECT_EQ(a.lShow(0), 0);
}

TEST_F(TextWidgets, LongTextsAreCutAt127BytesNeverInsideABig5Pair) {
    const std::string pair = "\xB0\x41";
    struct Case {
        std::string text;
        size_t kept;
    };
    const Case cases[] = {
        {std::string(200, 'a'), 127},
        {std::string(125, 'a') + pair, 127},
        {std::string(126, 'a') + pair, 126},
        {pair + std::string(126, 'b'), 127},
        {std::string(63, 'a') + pair + pair + std::string(59, 'c') + pair, 126},
        {"x\xA4", 2}, // a lead byte before the end stays a byte of its own
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text.size());
        sc_RunText line;
        line.vSetUp(nullptr, 0, 0, 0);
        line.vSetText(c.text.c_str());
        EXPECT_EQ(std::string(line.oText.pGetText()), c.text.substr(0, c.kept));
        EXPECT_EQ(line.lLength, static_cast<int32_t>(c.kept) + 1);
        for (int i = 0; i < 200 && !line.bDone; ++i) {
            line.lShow(0);
            Frame();
        }
        EXPECT_EQ(std::string(line.pGetShown()), c.text.substr(0, c.kept));
    }
}

TEST_F(TextWidgets, AMoveStepsAtMostEvery10MsAndStopsOnItsTarget) {
    struct Case {
        int32_t x1, y1, x2, y2, step;
        std::vector<int32_t> xs;
    };
    const Case cases[] = {
        {-300, 20, 20, 20, 64, {-236, -172, -108, -44, 20}},
        {100, 50, 0, 0, 30, {70, 40, 10, 0}},
        {0, 0, 50, 0, 16, {16, 32, 48, 50}}, // a start of (0, 0) after a reset moves too
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.x1);
        sc_MoveForm m;
        m.vReset();
        m.vMove(c.x1, c.y1, c.x2, c.y2, c.step);
        EXPECT_EQ(m.lX, c.x1) << "the first call only begins the move";
        std::vector<int32_t> xs;
        while (!m.bArrived() && xs.size() < 20) {
            Frame(11);
            m.vMove(c.x1, c.y1, c.x2, c.y2, c.step);
            m.vMove(c.x1, c.y1, c.x2, c.y2, c.step); // a second call in one frame does nothing
            xs.push_back(m.lX);
        }
        EXPECT_EQ(xs, c.xs);
        EXPECT_EQ(m.lY, c.y2);
        Frame(20);
        m.vMove(c.x1, c.y1, c.x2, c.y2, c.step);
        EXPECT_EQ(m.lX, c.x2) << "it stays";
    }
}

TEST_F(TextWidgets, GlyphPicturesStandOnePitchApartAndOtherCharactersKeepAnEmptyPlace) {
    sc_TextToPicture n;
    n.vSetUp(Glyphs(), 2, 100, 200, 100, nullptr);
    const layout::Size cell = layout::kGlyphCell;
    ASSERT_EQ(n.lPitch, cell.w - 3);
    n.vSetNumber(1500);
    EXPECT_EQ(n.pGlyphs, (std::vector<uint8_t>{1, 5, 0, 0}));
    n.vSetText("a-Z");
    EXPECT_EQ(n.pGlyphs, (std::vector<uint8_t>{10, sc_TextToPicture::kNoGlyph, 61}));
    const int32_t advance = n.lPitch + n.lGap;
    Clear();
    n.vShow();
    auto ink = [&](int32_t x0, int32_t w) { return w * cell.h - Count(x0, 200, w, cell.h, 0); };
    EXPECT_GT(ink(100, cell.w - 1), 10);
    EXPECT_EQ(ink(100 + cell.w, 2 * advance - cell.w), 0) << "nothing for the minus sign";
    EXPECT_GT(ink(100 + 2 * advance, cell.w), 10);
    // The typed show adds a glyph a step, then shows the next picture.
    sc_TextToPicture next;
    next.vSetUp(Glyphs(), 0, 100, 240, 100, nullptr);
    next.vSetText("Q");
    n.pNext = &next;
    n.vSetText("ab");
    std::vector<int32_t> shown;
    for (int i = 0; i < 4; ++i, Frame(60)) {
        n.vShowTyped();
        shown.push_back(n.lShownCount * 10 + next.lShownCount);
    }
    EXPECT_EQ(shown, (std::vector<int32_t>{10, 10, 21, 21}));
}

TEST_F(TextWidgets, AFallingColumnShowsARowEvery100MsFadingOutAndRestartsWhenAllHaveCome) {
    sc_DownText column;
    column.vSetUp(Glyphs(), 4);
    plat::SeedRandom(7); // columns start one time in a hundred
    for (int i = 0; i < 2000 && column.cCount == 0; ++i)
        column.vStart(300);
    ASSERT_EQ(column.cCount, sc_DownText::kRows);
    const int32_t top = column.oPoint.y, start = g_lNowTick, pitch = column.lHeight + 4;
    auto rows = [&](uint32_t at) {
        Backend().SetNow(static_cast<uint32_t>(start) + at);
        Frame(0);
        Clear();
        column.vShow();
        std::vector<int> ink;
        for (int32_t r = 0; r < 6; ++r)
            ink.push_back(Count(300, top + r * pitch, 13, column.lHeight, 0) < 13 * column.lHeight);
        return ink;
    };
    EXPECT_EQ(rows(250), (std::vector<int>{1, 1, 1, 0, 0, 0}));
    EXPECT_EQ(rows(1650), (std::vector<int>{0, 0, 1, 1, 1, 1})) << "1550 ms after it came a row has faded";
    rows(4400);
    EXPECT_TRUE(column.cCount == 0 || column.pTimes[0] == g_lNowTick) << "all 45 have come: it starts again";
    // Glyphs beyond the frames of a short status draw nothing.
    column.vSetUp(Object(layout::kObjectScrollBar)->pGetStatusAt(0), 0);
    for (int i = 0; i < 2000 && column.cCount == 0; ++i)
        column.vStart(300);
    Frame(5000);
    column.vShow();
}

TEST(WeaponCard, IconsStepEvery50MsAndCopiesOwnTheirTexts) {
    sc_GameDir dir;
    sc_GameImgWithShadow frame;
    for (int i = 0; i < 4; ++i)
        dir.vAdd(&frame);
    sc_Weapons card;
    EXPECT_EQ(card.pGetFrame(), nullptr) << "no icon, nothing to draw";
    card.vSet(2, 0, 0, 570, 25, &dir, nullptr, nullptr);
    std::vector<int32_t> frames;
    for (int32_t t : {1000, 1020, 1049, 1051, 1080, 1102, 1153, 1204, 1255}) {
        g_lNowTick = t;
        card.pGetFrame();
        frames.push_back(card.lFrame);
    }
    EXPECT_EQ(frames, (std::vector<int32_t>{1, 1, 1, 2, 2, 3, 0, 1, 2}));
    card.lAmmo = 5;
    card.vReset();
    EXPECT_EQ(card.lAmmo, 5) << "a reset card keeps its ammunition";
    card.oName.vSet("name");
    sc_Weapons slot;
    sc_Form::vCopyCard(&slot, &card);
    card.oName.vSet("changed");
    EXPECT_STREQ(slot.oName.pGetText(), "name") << "a copy owns its texts";
}

} // namespace
