#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "game/all_string.h"
#include "game/gate.h"
#include "interface/form.h"
#include "interface/menus.h"
#include "objects/all_object.h"
#include "tests/interface/widget_fixture.h"

namespace {

class Form : public krxtest::Widgets {
protected:
    void SetUp() override {
        Widgets::SetUp();
        strings.vLoad(sc_AllString::kFileName);
        ASSERT_GT(strings.lGetGroupCount(), 8);
        form.vLoad(&strings);
        form.vLoadWeaponList(&owner);
        form.vLoadItemList(&owner);
        sc_GameObject* glyphs = Object(layout::kObjectGlyphs);
        number.vSetUp(glyphs ? glyphs->pGetStatusAt(0) : nullptr, 0, 0, 0, 100, nullptr);
    }
    // A click at the point, its frame drawn by the given screen part, then
    // the release drawn the same way.
    void Click(int32_t x, int32_t y, const std::function<void()>& show) {
        Mouse(x, y);
        Frame(400);
        show();
        Press();
        Frame();
        show();
        Release();
        Frame();
        show();
    }
    void ClickCard(int32_t offered) {
        Click(layout::kGridHomeX + layout::kGridPitch.x * (offered % 3) + 10,
              230 + layout::kGridPitch.y * (offered / 3) + 5,
              [this] { form.vShowArms(layout::kGridHomeX, 230, &number); });
    }
    void ClickSlot(int32_t s) {
        Click(layout::kArmedSlots[s].x + 10, layout::kArmedSlots[s].y + 5,
              [this] { form.vShowArms(layout::kGridHomeX, 230, &number); });
    }
    // The sounds an action starts, earlier ones having ended and been freed.
    int32_t SoundsOf(const std::function<void()>& action) {
        Frame(1000);
        m_sound.vSoundScan();
        const int32_t before = Sounds();
        action();
        return Sounds() - before;
    }
    std::vector<int32_t> Armed() const {
        std::vector<int32_t> ids;
        for (const sc_Weapons& s : form.pArmedSlots)
            ids.push_back(s.lId);
        return ids;
    }

    sc_AllString strings;
    sc_InterFaceButton* owner = nullptr;
    sc_Form form;
    sc_TextToPicture number;
};

TEST_F(Form, LoadsItsCardsFromThePackAndAMissionBindsTheCharacterAndGivesThePicturesBack) {
    EXPECT_EQ(g_pForm, &form);
    EXPECT_EQ(form.pSlotIndex, (std::array<int32_t, 12>{0, 1, 2, 3, -1, 5, 6, 7, 8, 9, 10, -1}));
    sc_GameObject* cards = Object(layout::kObjectCards);
    ASSERT_EQ(form.pPackObject, cards);
    const sc_Weapons &weapon = form.pWeaponCards[7], &item = form.pItemCards[14];
    EXPECT_EQ(weapon.lAmmo, 107);
    EXPECT_EQ(weapon.oButton.pImageSet, cards->pGetStatusAt(7));
    EXPECT_EQ(weapon.pIcon, cards->pGetStatusAt(layout::kWeaponIconStatus)->pGetDirAt(2));
    EXPECT_STREQ(weapon.oText3.pGetText(), strings.pGetString(1, 23));
    EXPECT_EQ(item.oButton.pImageSet, cards->pGetStatusAt(layout::kItemButtonFirst + 14));
    EXPECT_EQ(item.pIcon, cards->pGetStatusAt(layout::kItemIconStatus)->pGetDirAt(14));
    EXPECT_STREQ(item.oName.pGetText(), strings.pGetString(2, 14));
    EXPECT_STREQ(form.pMissionButtons[11].oCaption.pGetText(), strings.pGetString(0, 11));
    EXPECT_EQ(form.pMissionButtons[11].oRect.bottom, 339) << "one row per button, none shared with the next";
    const int32_t uses = m_cache.lGetRefCount(cards);
    form.vLoadWeaponList(&owner);
    form.vLoadItemList(&owner);
    EXPECT_EQ(m_cache.lGetRefCount(cards), uses) << "loaded again, the form holds the pack object once";

    form.oSlider1.lValue = 400;
    ClickCard(0);
    ASSERT_EQ(Armed(), (std::vector<int32_t>{0, -1, -1}));
    sc_Character own;
    own.oWalkStep.oSet(12, 6);
    own.oFlyStep.oSet(24, 12);
    form.oSlider4.vSetValue(150);
    form.lMoney = 777;
    form.lOrderSlot = 3;
    form.vSetCharacter(&own);
    EXPECT_EQ(std::vector<int32_t>({form.lOrderSlot, own.lScore, own.lDefence}),
              std::vector<int32_t>({-1, 777, 290}))
        << "the character carries the form's money and slider 2's defence";
    EXPECT_EQ(std::vector<int32_t>({own.oWalkStep.x, own.oWalkStep.y, own.oFlyStep.x, own.oFlyStep.y}),
              std::vector<int32_t>({19, 13, 31, 19}))
        << "a twentieth of slider 4 added";
    EXPECT_EQ(form.pSlotIndex, (std::array<int32_t, 12>{0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11}));
    EXPECT_EQ(form.pPackObject, nullptr);
    EXPECT_EQ(m_cache.lGetRefCount(cards), uses - 1);
    EXPECT_EQ(form.pArmedSlots[0].oButton.pImageSet, nullptr)
        << "nothing points into the given-back pictures";
    EXPECT_EQ(form.pArmedSlots[0].lId, 0) << "the armed slot stays armed";
    // Back in the menus the slot takes its card's new pictures.
    form.vLoadWeaponList(&owner);
    EXPECT_EQ(form.pArmedSlots[0].oButton.pImageSet, form.pWeaponCards[0].oButton.pImageSet);
    EXPECT_EQ(form.pArmedSlots[0].pIcon, form.pWeaponCards[0].pIcon);
    form.vSetCharacter(nullptr);
    // Used up in the mission: emptied, the card gives back its load, not its price.
    form.vReturnArms();
    EXPECT_EQ((std::vector<int32_t>{Armed()[0], form.lMoney, form.oSlider1.lValue}),
              (std::vector<int32_t>{-1, 777, 400}));
}

TEST_F(Form, SliderStepsSpendPointsBetweenTheFloorAndTheMissionsLimit) {
    sc_InterFace menus;
    struct Budget {
        int32_t mission, limit;
    };
    for (const Budget b : {Budget{0, 40}, Budget{1, 45}, Budget{5, 65}, Budget{6, 70}, Budget{11, 70}}) {
        form.lMission = b.mission;
        menus.vSetFormPoints();
        EXPECT_EQ(form.lPointUsed, 35);
        EXPECT_EQ(form.lPointLimit, b.limit);
    }
    form.lMission = 1;
    menus.vSetFormPoints();
    for (int i = 0; i < 20; ++i)
        form.vIncreaseAdjust2();
    EXPECT_EQ(form.lPointUsed, 45);
    EXPECT_EQ(form.oSlider2.lValue, 58 + 2 * 10);
    // A smaller budget than the sliders hold takes them back to the presets.
    sc_Gate gate;
    form.lMission = 0;
    menus.vSetFormPoints();
    EXPECT_EQ((std::vector<int32_t>{form.lPointUsed, form.oSlider2.lValue}), (std::vector<int32_t>{35, 58}));
    form.lMission = 1;
    menus.vSetFormPoints();
    for (int i = 0; i < 10; ++i)
        form.vIncreaseAdjust2();
    for (int i = 0; i < 20; ++i)
        form.vDecreaseAdjust2();
    EXPECT_EQ(form.lPointUsed, 35);
    EXPECT_EQ(form.oSlider2.lValue, 58);

    // Slider 3 drags slider 4 along; at slider 4's top it still costs and moves 3.
    form.oSlider4.vSetValue(149);
    form.vIncreaseAdjust3();
    EXPECT_EQ(form.oSlider3.lValue, 64);
    EXPECT_EQ(form.oSlider4.lValue, 150);
    form.vIncreaseAdjust3();
    EXPECT_EQ(form.oSlider3.lValue, 66);
    EXPECT_EQ(form.oSlider4.lValue, 150);
    EXPECT_EQ(form.lPointUsed, 37);
    form.vDecreaseAdjust3();
    EXPECT_EQ(form.oSlider4.lValue, 148);
    // A step past a slider's max is refused and costs nothing.
    form.oSlider1.vSetValue(398);
    form.vIncreaseAdjust1();
    EXPECT_EQ(form.oSlider1.lValue, 398);
    EXPECT_EQ(form.lPointUsed, 36);

    // A new form has 30 points in use: nothing can be given back.
    sc_Form fresh;
    EXPECT_EQ(g_pForm, &fresh);
    EXPECT_EQ(fresh.lPointUsed, 30);
    fresh.vDecreaseAdjust2();
    EXPECT_EQ(fresh.oSlider2.lValue, 58);
    EXPECT_EQ(fresh.lPointUsed, 30);
}

TEST_F(Form, ArmingNeedsLoadAboveTheWeightAndMoneyAboveThePriceAndDisarmingGivesBackWhatItTook) {
    struct Case {
        int32_t load, money;
        bool arms;
    };
    const sc_Weapons& first = form.pWeaponCards[0];
    for (const Case c : {Case{first.lWeight, 1500, false}, Case{first.lWeight + 1, 1500, true},
                         Case{400, first.lPrice, false}, Case{400, first.lPrice + 1, true}}) {
        SCOPED_TRACE(testing::Message() << c.load << " " << c.money);
        form.oSlider1.lValue = c.load;
        form.lMoney = c.money;
        const int32_t speed = form.oSlider4.lValue;
        EXPECT_EQ(SoundsOf([this] { ClickCard(0); }), c.arms ? 1 : 0);
        EXPECT_EQ(Armed()[0], c.arms ? 0 : -1);
        if (!c.arms) continue;
        EXPECT_EQ(form.lMoney, c.money - first.lPrice);
        EXPECT_EQ(form.oSlider1.lValue, c.load - first.lWeight);
        EXPECT_EQ(form.oSlider4.lValue, speed - first.lWeight / 10) << "below its min: taken as it is";
        EXPECT_STREQ(form.pArmedSlots[0].oName.pGetText(), first.oName.pGetText());
        EXPECT_EQ(SoundsOf([this] { ClickCard(0); }), 0);
        EXPECT_EQ(Armed(), (std::vector<int32_t>{0, -1, -1})) << "a card is armed once";
        EXPECT_EQ(SoundsOf([this] { ClickSlot(0); }), 1);
        EXPECT_EQ(Armed()[0], -1);
        EXPECT_EQ(form.lMoney, c.money);
        EXPECT_EQ(form.oSlider1.lValue, c.load);
        EXPECT_EQ(form.oSlider4.lValue, speed);
    }
    // Three slots fill in order; a fourth card is refused, one sound for each
    // taken slot tried.
    form.oSlider1.lValue = 1000;
    form.lMoney = 100000;
    for (int32_t offered : {2, 0, 5})
        ClickCard(offered);
    EXPECT_EQ(Armed(), (std::vector<int32_t>{2, 0, 6}));
    EXPECT_EQ(SoundsOf([this] { ClickCard(1); }), 3);
    EXPECT_EQ(Armed(), (std::vector<int32_t>{2, 0, 6}));
    // The slot that took the press is gone once disarmed: the cards answer.
    ClickSlot(1);
    EXPECT_EQ(Armed(), (std::vector<int32_t>{2, -1, 6}));
    ClickCard(1);
    EXPECT_EQ(Armed(), (std::vector<int32_t>{2, 1, 6})) << "the freed slot is the first tried";
    EXPECT_EQ(form.lMoney, 100000 - 3 * first.lPrice);
}

TEST_F(Form, OnlyTheOpenMissionsAreOfferedAndTheChosenOneIsMarked) {
    const auto show = [this] { form.vShowMissionSelect(); };
    form.lProgress = 1;
    Click(300, 145, show); // mission 2's row
    EXPECT_EQ(form.lMission, 0);
    EXPECT_EQ(Sounds(), 1) << "only the hover sound of mission 0, marked as chosen; row 2 is not shown";
    EXPECT_EQ(form.pMissionButtons[0].bSelected, 1);
    Click(300, 125, show);
    EXPECT_EQ(form.lMission, 1);
    EXPECT_EQ(form.pMissionButtons[1].bSelected, 1);
    EXPECT_EQ(form.pMissionButtons[0].bSelected, 0);
    // A progress out of range (a damaged save) shows at most the twelve.
    for (int32_t progress : {-3, 1000}) {
        form.lProgress = progress;
        form.lMission = progress;
        Click(300, 335, show);
        EXPECT_EQ(form.lMission, progress < 0 ? progress : 11);
    }
}

TEST_F(Form, CharacterTextsComeFromTheirTypesGroupAndTypeOneAfterAnother) {
    struct Case {
        int32_t type, group, lines;
    };
    for (const Case c : {Case{0, 3, 12}, Case{3, 6, 10}, Case{9, -1, 0}}) {
        SCOPED_TRACE(c.type);
        form.lFormType = c.type;
        form.vSetTexts();
        for (int32_t i = 0; i < sc_Form::kTextLines; ++i) {
            const sc_RunText& line = form.pTexts[static_cast<size_t>(i)];
            if (i < c.lines)
                EXPECT_STREQ(line.oText.pGetText(), strings.pGetString(c.group, i));
            else
                EXPECT_EQ(line.lLength, 0);
        }
    }
    form.lFormType = 1;
    form.vSetTexts();
    for (int i = 0; i < 5; ++i) {
        form.vShowTexts();
        Frame(31);
    }
    EXPECT_GT(form.pTexts[0].lTyped, 0);
    EXPECT_EQ(form.pTexts[1].lTyped, 0) << "the second line waits for the first";
    EXPECT_EQ(form.pTexts[11].oPoint.y, layout::kLastTextLine.y);
}

TEST_F(Form, TheItemChoiceSoundsOncePerEntryAndAClickChoosesTheItem) {
    const auto show = [this] { form.vShowBuy(20, 316); };
    form.pItemChoice = {3, -1, 99};
    Mouse(60, 316 + 10);
    for (int i = 0; i < 4; ++i) {
        Frame();
        show();
    }
    EXPECT_EQ(form.pHoverItem, &form.pItemCards[3].oButton);
    EXPECT_EQ(Sounds(), 1);
    Mouse(300, 500);
    Frame(3000);
    show();
    m_sound.vSoundScan();
    EXPECT_EQ(form.pHoverItem, nullptr);
    EXPECT_EQ(Sounds(), 0);
    Mouse(60, 316 + 10);
    Frame();
    show();
    EXPECT_EQ(Sounds(), 1) << "entering again sounds again";
    form.pItemChoice = {3, 4, 5};
    Click(60, 316 + 34 + 10, show);
    EXPECT_EQ(form.lItem, 4);
}

} // namespace
