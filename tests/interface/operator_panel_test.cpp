#include <gtest/gtest.h>

#include <vector>

#include "game/cursor.h"
#include "interface/form.h"
#include "interface/operator_panel.h"
#include "objects/all_object.h"
#include "tests/interface/widget_fixture.h"

namespace {

class OperatorPanel : public krxtest::Widgets {
protected:
    void SetUp() override {
        Widgets::SetUp();
        g_pWorkBuffer = m_surface->pGetBuffer();
        m_cursor.vLoad();
        m_hero.oPosition.oSet(4800, 4800);
        m_hero.lScore = 3000;
        m_form.pCharacter = &m_hero;
        m_form.pArmedSlots[1].lId = 6;
        m_form.pArmedSlots[1].lAmmo = 64;
        m_panel.vLoad(&m_form);
    }
    void TearDown() override {
        m_panel.vFree();
        g_pWorkBuffer = nullptr;
        Widgets::TearDown();
    }
    // Play frames until the slides of the weapon panel and the list are done.
    void Settle() {
        for (int i = 0; i < 12; ++i, Frame()) m_panel.vShow();
    }
    void ClickAt(int32_t x, int32_t y) {
        Mouse(x, y);
        Frame(400);
        m_panel.vShow();
        Press();
        Frame();
        m_panel.vShow();
        Release();
        Frame();
        m_panel.vShow();
    }
    std::vector<uint16_t> Screen() const {
        const uint16_t* p = m_surface->pGetBuffer();
        return std::vector<uint16_t>(p, p + 800 * 600);
    }

    sc_Cursor m_cursor;
    sc_AllObject m_objects;
    sc_Character m_hero;
    sc_Form m_form;
    sc_InterFaceOperator m_panel;
};

TEST_F(OperatorPanel, RadarDotsStandWithinSixtyRadarPixelsOfTheCharacterAndShowForOneFrame) {
    const int32_t s = m_form.lRadarScale, cx = m_hero.oPosition.x, cy = m_hero.oPosition.y;
    ASSERT_EQ(s, 16);
    struct Case {
        int32_t dx, dy; // radar pixels from the character
        bool plotted;
    };
    const Case cases[] = {{0, -60, true}, {0, -61, false}, {60, 0, true},   {61, 0, false},
                          {-42, 42, true}, {43, 43, false}, {-60, 0, true}, {0, 60, true}};
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.dx << ", " << c.dy);
        m_panel.oCanvas.fill(0);
        m_panel.vShowRadarPoint(cx + c.dx * s, cy + c.dy * s, 0x7C00);
        const size_t at = static_cast<size_t>((64 + c.dy) * 128 + 64 + c.dx);
        EXPECT_EQ(m_panel.oCanvas[at] == 0x7C00, c.plotted);
        EXPECT_EQ(std::count(m_panel.oCanvas.begin(), m_panel.oCanvas.end(), 0x7C00), c.plotted ? 4 : 0);
    }
    // The frame's pass shows the dots once, then the canvas is clear.
    m_panel.oCanvas.fill(0);
    m_panel.vShowRadarPoint(cx + 60 * s, cy, 0x03E0);
    m_panel.vShow();
    EXPECT_EQ(Pixel(layout::kRadarCanvas.x + 124, layout::kRadarCanvas.y + 64), 0x03E0);
    EXPECT_EQ(std::count(m_panel.oCanvas.begin(), m_panel.oCanvas.end(), 0), 128 * 128);
    // Without a character there is nothing to measure from.
    m_form.pCharacter = nullptr;
    m_panel.vShowRadarPoint(cx, cy, 0x03E0);
    EXPECT_EQ(std::count(m_panel.oCanvas.begin(), m_panel.oCanvas.end(), 0), 128 * 128);
}

TEST_F(OperatorPanel, TheZoomButtonCyclesTheRadarScale) {
    std::vector<int32_t> scales;
    for (int i = 0; i < 5; ++i) {
        ClickAt(layout::kZoomButton.x + 4, layout::kZoomButton.y + 4);
        scales.push_back(m_form.lRadarScale);
        EXPECT_EQ(m_panel.oScaleNumber.lNumber, m_form.lRadarScale);
    }
    EXPECT_EQ(scales, (std::vector<int32_t>{20, 4, 8, 12, 16}));
}

TEST_F(OperatorPanel, GaugesShowTheirMetersShareSkipWithoutAMaximumAndTakeNegativeMetersAsNone) {
    Settle();
    auto draw = [&](int32_t cur, int32_t max) {
        m_hero.lHitPoints = m_hero.lFly = m_hero.lCharge = m_hero.lEnergy = cur;
        m_hero.lMaxHitPoints = m_hero.lMaxFly = m_hero.lMaxCharge = m_hero.lMaxEnergy = max;
        Clear();
        m_panel.vShow();
        return Screen();
    };
    const std::vector<uint16_t> bare = draw(5, 0);
    // The share of each gauge's box that differs from the bare bar.
    auto shares = [&](const std::vector<uint16_t>& px) {
        std::vector<float> out;
        for (int32_t g = 0; g < 4; ++g) {
            const layout::Pos p = layout::kGauges[g];
            const layout::Size sz = layout::kGaugeSizes[g];
            int32_t n = 0;
            for (int32_t y = p.y; y < p.y + sz.h; ++y)
                for (int32_t x = p.x; x < p.x + sz.w; ++x) n += px[y * 800 + x] != bare[y * 800 + x];
            out.push_back(static_cast<float>(n) / static_cast<float>(sz.w * sz.h));
        }
        return out;
    };
    struct Case {
        int32_t cur, max;
        float filled;     // hit points and fly fill by the meter's share
        float complement; // charge and energy show the rest
    };
    const Case cases[] = {{10, 10, 1, 0}, {5, 10, 0.5f, 0.5f}, {0, 10, 0, 1}, {-7, 10, 0, 1}, {5, -3, 0, 0}};
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.cur << " of " << c.max);
        const std::vector<float> got = shares(draw(c.cur, c.max));
        EXPECT_NEAR(got[0], c.filled, 0.05f);
        EXPECT_NEAR(got[1], c.filled, 0.05f);
        EXPECT_NEAR(got[2], c.complement, 0.05f);
        EXPECT_NEAR(got[3], c.complement, 0.05f);
    }
}

TEST_F(OperatorPanel, OrdersAreBoughtWithTheCharactersMoneyOneAtATime) {
    // An order under way: 1 waiting to be delivered, 2 aimed, 3 flown in,
    // 4 bought and not yet taken (order 1). It refuses the next with a sound.
    struct Case {
        int32_t money, busy, order, cost;
        int32_t slot, moneyAfter;
    };
    const Case cases[] = {{1000, 0, 0, 500, 0, 500},   {100, 0, 1, 200, -1, 100},   {1000, 1, 2, 300, -1, 1000},
                          {1000, 2, 2, 300, -1, 1000}, {1000, 3, 2, 300, -1, 1000}, {1000, 4, 2, 300, 1, 1000},
                          {1000, 0, 8, 30, -1, 1000},  {1000, 0, -1, 30, -1, 1000}, {2500, 0, 5, 2500, 5, 0}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.order);
        m_hero.lScore = c.money;
        m_objects.bPending = c.busy == 1;
        m_objects.bAiming = c.busy == 2;
        m_objects.bAirplaneFlying = c.busy == 3;
        m_form.lOrderSlot = c.busy == 4 ? 1 : -1;
        const int32_t sounds = Sounds();
        m_panel.vUseSlot(c.order, c.cost);
        EXPECT_EQ(m_form.lOrderSlot, c.slot);
        EXPECT_EQ(m_hero.lScore, c.moneyAfter);
        EXPECT_EQ(Sounds() - sounds, c.busy ? 1 : 0);
    }
    // The list offers orders 0 to 6 at their cost; where order 7 would
    // stand there is no button.
    m_objects.bPending = m_objects.bAiming = m_objects.bAirplaneFlying = 0;
    Settle();
    for (int32_t order : {6, 7, 3}) {
        SCOPED_TRACE(order);
        m_hero.lScore = 5000;
        m_form.lOrderSlot = -1;
        ClickAt(layout::kOrderList.x + 40, layout::kOrderList.y + layout::kOrderPitch * order + 30);
        EXPECT_EQ(m_form.lOrderSlot, order == 7 ? -1 : order);
        EXPECT_EQ(m_hero.lScore, 5000 - (order == 7 ? 0 : sc_InterFaceOperator::kOrderCosts[order]));
        EXPECT_EQ(m_panel.lMoneyShown, m_hero.lScore) << "the counter follows the money";
    }
    // Closed, the list offers nothing.
    ClickAt(layout::kListButton.x + 10, layout::kListButton.y + 10);
    Settle();
    ASSERT_EQ(m_panel.bListClosed, 1);
    m_form.lOrderSlot = -1;
    ClickAt(layout::kOrderList.x + 40, layout::kOrderList.y + 30);
    EXPECT_EQ(m_form.lOrderSlot, -1);
}

TEST_F(OperatorPanel, TheCursorTurnsToTheArrowOverThePanelsAreas) {
    Settle();
    struct Case {
        int32_t x, y, weaponsHidden, listClosed, kind;
    };
    const Case cases[] = {{400, 300, 0, 0, 1}, {400, 590, 0, 0, 0}, {100, 570, 0, 0, 0}, {620, 20, 0, 0, 0},
                          {650, 50, 0, 0, 0},  {750, 300, 0, 0, 0}, {750, 300, 0, 1, 1}, {600, 520, 0, 0, 0},
                          {600, 520, 1, 0, 1}, {740, 556, 1, 0, 0}, {0, 0, 0, 0, 0},     {300, 570, 0, 0, 1}};
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.x << ", " << c.y);
        m_panel.bWeaponsHidden = c.weaponsHidden;
        m_panel.bListClosed = c.listClosed;
        Mouse(c.x, c.y);
        Frame();
        m_panel.vShow();
        EXPECT_EQ(m_cursor.lKind, c.kind);
    }
}

TEST_F(OperatorPanel, TheWeaponPanelSlidesAwayAndBackAndItsSlotsArmTheGun) {
    EXPECT_EQ(m_panel.oWeaponsButton.bEnabled, 0) << "not while it slides in";
    Settle();
    EXPECT_EQ(m_panel.oWeaponsButton.bEnabled, 1);
    EXPECT_EQ(m_panel.oSlotButtons[1].bEnabled, 1);
    // The taken slot arms the gun; the free ones do nothing.
    m_form.pArmed = &m_form.pArmedSlots[0];
    ClickAt(layout::kPanelSlot.x + 10, layout::kPanelSlot.y + 10);
    EXPECT_EQ(m_form.pArmed, &m_form.pArmedSlots[0]);
    const int32_t voices = Sounds();
    ClickAt(layout::kPanelSlot.x + layout::kPanelSlotPitch + 10, layout::kPanelSlot.y + 10);
    EXPECT_EQ(m_form.pArmed, &m_form.pArmedSlots[1]);
    EXPECT_EQ(Sounds() - voices, 1);

    ClickAt(layout::kWeaponsButtonShown.x + 10, layout::kWeaponsButtonShown.y + 5);
    EXPECT_EQ(m_panel.bWeaponsHidden, 1);
    EXPECT_EQ(m_panel.oSlotButtons[1].bEnabled, 0);
    Settle();
    EXPECT_EQ(m_panel.oWeaponsButton.oPoint.x, layout::kWeaponsButtonHidden.x);
    EXPECT_EQ(m_panel.oSlotButtons[1].bEnabled, 0) << "hidden slots take no clicks";
    ClickAt(layout::kWeaponsButtonHidden.x + 10, layout::kWeaponsButtonHidden.y + 5);
    Settle();
    EXPECT_EQ(m_panel.bWeaponsHidden, 0);
    EXPECT_EQ(m_panel.oWeaponsButton.oPoint.x, layout::kWeaponsButtonShown.x);
}

TEST_F(OperatorPanel, TheArrowPointsAtTheTargetAndThereIsNoneWithoutOne) {
    Settle();
    auto arrowBox = [&]() {
        int32_t lit = 0;
        for (int32_t y = 0; y < 14; ++y)
            for (int32_t x = 708; x < 732; ++x) lit += Pixel(x, y) != 0;
        return lit;
    };
    Clear();
    m_panel.vShow();
    const int32_t without = arrowBox();
    sc_Point north(m_hero.oPosition.x, m_hero.oPosition.y - 500);
    m_form.pTarget = &north;
    Clear();
    m_panel.vShow();
    EXPECT_GT(arrowBox(), without) << "the arrow for straight up stands at the top of the ring";
    sc_Point south(m_hero.oPosition.x, m_hero.oPosition.y + 500);
    m_form.pTarget = &south;
    Clear();
    m_panel.vShow();
    EXPECT_EQ(arrowBox(), without);
}

} // namespace
