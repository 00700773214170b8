#include "interface/form.h"

#include <algorithm>

#include "engine/device/mouse.h"
#include "engine/sprite/memory_control.h"
#include "engine/sprite/sprite_tree.h"
#include "game/all_string.h"
#include "game/work.h"
#include "interface/layout.h"
#include "objects/all_object.h"

sc_Form* g_pForm = nullptr;

namespace {

// Dictionary groups the form reads.
enum : int32_t {
    kGroupMissions = 0,
    kGroupWeapons = 1, // three texts a card
    kGroupItems = 2,
    kGroupFirstLines = 3, // character type 0; types 1-4 in the next four
    kGroupLabels = 8,
};

// Money and slider values come back from save files: sums stop at the
// limits of 32 bits instead of wrapping.
int32_t Add(int32_t a, int64_t b) {
    const int64_t r = int64_t{a} + b;
    return static_cast<int32_t>(std::clamp<int64_t>(r, INT32_MIN, INT32_MAX));
}

void SetText(sc_MemberString& member, const char* text) {
    member.vClear();
    member.vSet(text);
}

void DropPictures(sc_Weapons& card) {
    card.pIcon = nullptr;
    card.oButton.pImageSet = nullptr;
    card.oButton.pHitImage = nullptr;
}

void ShowLook(const sc_InterFaceButton& button, int32_t look) {
    if (const sc_GameImgWithShadow* f = button.pGetLookFrame(look))
        f->oImage().vShow(button.oPoint.x, button.oPoint.y, g_pWorkSurface);
}

void ShowNumberPicture(sc_TextToPicture* picture, int32_t x, int32_t y, int32_t value) {
    if (!picture) return;
    picture->vSetNumber(value);
    picture->oPoint.oSet(x, y);
    picture->vShow();
}

} // namespace

sc_Form::sc_Form() {
    g_pForm = this;
    // Character type 0's presets; the gate sets every other type's.
    oSlider1.bSet(400, 65, 126, sc_Adjust::kClamp);
    oSlider2.bSet(150, 52, 58, sc_Adjust::kClamp);
    oSlider3.bSet(150, 50, 62, sc_Adjust::kClamp);
    oSlider4.bSet(150, 40, 50, sc_Adjust::kClamp);
    for (int32_t i = 0; i < kWeaponCards; ++i)
        pSlotIndex[static_cast<size_t>(i)] = i;
}

sc_Form::~sc_Form() {
    vReset();
    if (g_pForm == this) g_pForm = nullptr;
}

const char* sc_Form::pString(int32_t group, int32_t index) const {
    return pStrings ? pStrings->pGetString(group, index) : nullptr;
}

void sc_Form::vLoad(sc_AllString* pDictionary) {
    pStrings = pDictionary ? pDictionary : g_pWork ? &g_pWork->oScene.oAllString : nullptr;
    for (int32_t i = 0; i < kWeaponCards; ++i) {
        pSlotIndex[static_cast<size_t>(i)] = i;
        pWeaponCards[static_cast<size_t>(i)].lAmmo = 100 + i;
    }
    lHoverCard = 0;
    // Two cards stay hidden until the first mission has been loaded.
    pSlotIndex[4] = pSlotIndex[11] = -1;
    pArmed = &pArmedSlots[0];
    pItemChoice = {3, 4, 5};
    lItem = 3;
    for (int32_t i = 0; i < kTextLines; ++i) {
        sc_RunText& line = pTexts[static_cast<size_t>(i)];
        if (i + 1 < kTextLines)
            line.vSetUp(&pTexts[static_cast<size_t>(i + 1)], layout::kTextStepMs, layout::kTextLine.x,
                        layout::kTextLine.y + layout::kTextLinePitch * i);
        else
            line.vSetUp(nullptr, layout::kTextStepMs, layout::kLastTextLine.x, layout::kLastTextLine.y);
    }
    for (int32_t i = 0; i < kMissions; ++i) {
        sc_InterFaceRectButton& b = pMissionButtons[static_cast<size_t>(i)];
        b.vSetRect(layout::kMissionButton.x, layout::kMissionButton.y + layout::kMissionButtonSize.h * i,
                   layout::kMissionButtonSize.w, layout::kMissionButtonSize.h);
        SetText(b.oCaption, pString(kGroupMissions, i));
    }
}

sc_GameObject* sc_Form::pTakePackObject() {
    // One use is held however often the menus load: vReset gives it back.
    if (!pPackObject && g_pMemoryControl)
        pPackObject = g_pMemoryControl->pGetObject(layout::kPackStr, layout::kPackImg, layout::kObjectCards);
    return pPackObject;
}

void sc_Form::vLoadWeaponList(sc_InterFaceButton** ppOwner) {
    sc_GameObject* object = pTakePackObject();
    sc_GameStatus* icons = object ? object->pGetStatusAt(layout::kWeaponIconStatus) : nullptr;
    for (int32_t i = 0; i < kWeaponCards; ++i) {
        sc_Weapons& card = pWeaponCards[static_cast<size_t>(i)];
        sc_GameStatus* button = object ? object->pGetStatusAt(layout::kWeaponButtonFirst + i) : nullptr;
        if (!button) card.oButton.vClear();
        card.vSet(i, 0, 0, layout::kWeaponIconPoint.x, layout::kWeaponIconPoint.y,
                  icons ? icons->pGetDirAt(i / 3) : nullptr, button, ppOwner);
        SetText(card.oName, pString(kGroupWeapons, 3 * i));
        SetText(card.oText2, pString(kGroupWeapons, 3 * i + 1));
        SetText(card.oText3, pString(kGroupWeapons, 3 * i + 2));
    }
    vRefreshArmedSlots();
}

void sc_Form::vLoadItemList(sc_InterFaceButton** ppOwner) {
    sc_GameObject* object = pTakePackObject();
    sc_GameStatus* icons = object ? object->pGetStatusAt(layout::kItemIconStatus) : nullptr;
    for (int32_t i = 0; i < kItemCards; ++i) {
        sc_Weapons& card = pItemCards[static_cast<size_t>(i)];
        sc_GameStatus* button = object ? object->pGetStatusAt(layout::kItemButtonFirst + i) : nullptr;
        if (!button) card.oButton.vClear();
        card.vSet(i, 0, 0, layout::kItemIconPoint.x, layout::kItemIconPoint.y,
                  icons ? icons->pGetDirAt(i) : nullptr, button, ppOwner);
        SetText(card.oName, pString(kGroupItems, i));
    }
    pHoverItem = nullptr;
}

void sc_Form::vRefreshArmedSlots() {
    for (sc_Weapons& slot : pArmedSlots) {
        if (slot.lId < 0 || slot.lId >= kWeaponCards) continue;
        const sc_Weapons& card = pWeaponCards[static_cast<size_t>(slot.lId)];
        slot.oButton = card.oButton;
        slot.pIcon = card.pIcon;
        slot.lFrame = 0;
    }
}

void sc_Form::vReset() {
    pCharacter = nullptr;
    pTarget = nullptr;
    lOrderSlot = -1;
    if (pPackObject && g_pMemoryControl) g_pMemoryControl->vFree(pPackObject);
    pPackObject = nullptr;
    // The cards' pictures went back with the object: nothing may draw them
    // until the menus load the cards again.
    for (sc_Weapons& card : pWeaponCards)
        DropPictures(card);
    for (sc_Weapons& card : pItemCards)
        DropPictures(card);
    for (sc_Weapons& slot : pArmedSlots)
        DropPictures(slot);
    pHoverItem = nullptr;
    pSlotIndex.fill(-1);
}

void sc_Form::vSetCharacter(sc_Character* pNewCharacter) {
    vReset();
    pCharacter = pNewCharacter;
    lOrderSlot = -1;
    if (pCharacter) {
        bArmsSpent = 1;
        pCharacter->lScore = lMoney;
        pCharacter->lDefence = Add(0, int64_t{oSlider2.lValue} * 5);
        const int32_t speed = oSlider4.lValue / 20;
        pCharacter->oWalkStep.oOffset(speed, speed);
        pCharacter->oFlyStep.oOffset(speed, speed);
    }
    // From the first mission on every weapon card is offered.
    for (int32_t i = 0; i < kWeaponCards; ++i)
        pSlotIndex[static_cast<size_t>(i)] = i;
}

// ------------------------------------------------------------- sliders

void sc_Form::vIncrease(sc_Adjust& slider, int32_t step) {
    if (lPointUsed + 1 > lPointLimit || int64_t{slider.lValue} + step > slider.lMax) return;
    slider.lAdd(step);
    ++lPointUsed;
}

void sc_Form::vDecrease(sc_Adjust& slider, int32_t step) {
    if (lPointUsed - 1 < kPointFloor || int64_t{slider.lValue} - step < slider.lMin) return;
    slider.lSub(step);
    --lPointUsed;
}

void sc_Form::vIncreaseAdjust3() {
    const int32_t used = lPointUsed;
    vIncrease(oSlider3, lStep3);
    if (lPointUsed != used) vIncreaseAdjust4();
}

void sc_Form::vDecreaseAdjust3() {
    const int32_t used = lPointUsed;
    vDecrease(oSlider3, lStep3);
    if (lPointUsed != used) vDecreaseAdjust4();
}

// --------------------------------------------------------------- texts

void sc_Form::vSetTexts() {
    for (sc_RunText& line : pTexts)
        line.vClear();
    int32_t lines = 0;
    if (lFormType == 0)
        lines = kTextLines;
    else if (lFormType >= 1 && lFormType <= 4)
        lines = 10;
    for (int32_t i = 0; i < lines; ++i)
        if (const char* text = pString(kGroupFirstLines + lFormType, i))
            pTexts[static_cast<size_t>(i)].vSetText(text);
}

void sc_Form::vShowTexts() {
    pTexts[0].lShow(0);
}

void sc_Form::vShowMissionSelect() {
    const int32_t last = std::clamp(lProgress, -1, kMissions - 1);
    for (int32_t i = 0; i <= last; ++i)
        if (pMissionButtons[static_cast<size_t>(i)].lShow(0)) {
            v_PlayInterfaceSound(kClickSound, 0);
            lMission = i;
        }
    for (int32_t i = 0; i <= last; ++i)
        pMissionButtons[static_cast<size_t>(i)].bSelected = 0;
    if (lMission >= 0 && lMission < kMissions) pMissionButtons[static_cast<size_t>(lMission)].bSelected = 1;
}

// -------------------------------------------------------------- arming

void sc_Form::vCopyCard(sc_Weapons* pSlot, const sc_Weapons* pCard) {
    if (pSlot && pCard && pSlot != pCard) *pSlot = *pCard;
}

bool sc_Form::bCanArm(const sc_Weapons& card) const {
    return int64_t{oSlider1.lValue} - card.lWeight > 0 && lMoney > card.lPrice;
}

void sc_Form::vArm(sc_Weapons& slot, const sc_Weapons& card) {
    vCopyCard(&slot, &card);
    lMoney = Add(lMoney, -int64_t{card.lPrice});
    // Straight onto the values: what is taken here comes back exactly on
    // disarming, whatever the sliders' limits.
    oSlider1.lValue = Add(oSlider1.lValue, -int64_t{card.lWeight});
    oSlider4.lValue = Add(oSlider4.lValue, -int64_t{card.lWeight / 10});
    v_PlayInterfaceSound(kArmSound, 1);
}

void sc_Form::vGiveBack(sc_Weapons& slot, bool bPrice) {
    slot.lId = -1;
    // A free slot is no longer shown: a press it holds would lock every
    // other button of the screen for good.
    sc_InterFaceButton** cell = slot.oButton.pPressedOwner;
    if (cell && *cell == &slot.oButton) *cell = nullptr;
    if (bPrice) lMoney = Add(lMoney, slot.lPrice);
    oSlider1.lValue = Add(oSlider1.lValue, slot.lWeight);
    oSlider4.lValue = Add(oSlider4.lValue, slot.lWeight / 10);
}

void sc_Form::vDisarm(sc_Weapons& slot) {
    vGiveBack(slot, true);
    v_PlayInterfaceSound(kDisarmSound, 1);
}

void sc_Form::vReturnArms() {
    for (sc_Weapons& slot : pArmedSlots)
        if (slot.lId != -1) vGiveBack(slot, !bArmsSpent);
    bArmsSpent = 0;
}

void sc_Form::vArmCard(const sc_Weapons& card) {
    for (const sc_Weapons& slot : pArmedSlots)
        if (slot.lId == card.lId) return;
    const bool full =
        std::all_of(pArmedSlots.begin(), pArmedSlots.end(), [](const sc_Weapons& s) { return s.lId != -1; });
    for (sc_Weapons& slot : pArmedSlots) {
        if (slot.lId == -1) {
            if (bCanArm(card)) vArm(slot, card);
            return;
        }
        if (full) v_PlayInterfaceSound(kRefusedSound, 1);
    }
}

void sc_Form::vShowArms(int32_t x, int32_t y, sc_TextToPicture* pNumber) {
    bCardHovered = 0;
    int32_t shown = 0;
    for (int32_t i = 0; i < kWeaponCards; ++i) {
        const int32_t index = pSlotIndex[static_cast<size_t>(i)];
        if (index < 0 || index >= kWeaponCards) continue;
        sc_Weapons& card = pWeaponCards[static_cast<size_t>(index)];
        const int32_t cx = x + layout::kGridPitch.x * (shown % layout::kGridColumns);
        const int32_t cy = y + layout::kGridPitch.y * (shown / layout::kGridColumns);
        ++shown;
        card.oButton.vSetPosition(cx, cy);
        if (card.oButton.lShow() && g_oGameMouse.bLeftPressed()) vArmCard(card);
        ShowNumberPicture(pNumber, cx, cy + layout::kAmmoBelow, card.lAmmo);
        if (card.oButton.bState == sc_InterFaceButton::kOver) {
            lHoverCard = index;
            v_ShowInterfaceString(layout::kHoverTexts[0].x, layout::kHoverTexts[0].y, card.oName.pGetText());
            v_ShowInterfaceString(layout::kHoverTexts[1].x, layout::kHoverTexts[1].y, card.oText2.pGetText());
            v_ShowInterfaceString(layout::kHoverTexts[2].x, layout::kHoverTexts[2].y, card.oText3.pGetText());
            bCardHovered = 1;
        }
    }
    if (lHoverCard < 0 || lHoverCard >= kWeaponCards) lHoverCard = 0;
    sc_Weapons& hovered = pWeaponCards[static_cast<size_t>(lHoverCard)];
    if (shown > 0)
        v_ShowInterfaceString(layout::kHoverName.x, layout::kHoverName.y, hovered.oName.pGetText());

    if (x == layout::kGridHomeX) {
        hovered.vShow();
        ShowLook(hovered.oButton, layout::kLookPressed);
        ShowNumberPicture(pNumber, hovered.oButton.oPoint.x, hovered.oButton.oPoint.y + layout::kAmmoBelow,
                          hovered.lAmmo);
        for (int32_t i = 0; i < 3; ++i)
            v_ShowInterfaceString(layout::kDetailLabels[i].x, layout::kDetailLabels[i].y,
                                  pString(kGroupLabels, i));
        v_ShowInterfaceNumber(layout::kDetailAmmo.x, layout::kDetailAmmo.y, hovered.lAmmo);
        v_ShowInterfaceNumber(layout::kDetailWeight.x, layout::kDetailWeight.y, hovered.lWeight);
        v_ShowInterfaceNumber(layout::kDetailPrice.x, layout::kDetailPrice.y, hovered.lPrice);
    }

    for (int32_t s = 0; s < kArmedSlots; ++s) {
        sc_Weapons& slot = pArmedSlots[static_cast<size_t>(s)];
        slot.oButton.vSetPosition(layout::kArmedSlots[s].x, layout::kArmedSlots[s].y);
        if (slot.lId == -1) continue;
        if (slot.oButton.lShow() && g_oGameMouse.bLeftPressed()) {
            vDisarm(slot);
            continue;
        }
        ShowNumberPicture(pNumber, slot.oButton.oPoint.x, slot.oButton.oPoint.y + layout::kAmmoBelow,
                          slot.lAmmo);
    }
}

void sc_Form::vShowBuy(int32_t x, int32_t y) {
    for (int32_t i = 0; i < kItemChoices; ++i) {
        const int32_t choice = pItemChoice[static_cast<size_t>(i)];
        if (choice < 0 || choice >= kItemCards) continue;
        sc_InterFaceButton& button = pItemCards[static_cast<size_t>(choice)].oButton;
        button.vSetPosition(x, y + layout::kItemPitch * i);
        const int32_t result = button.lShow();
        // The hover sound once per entry: leaving forgets the button.
        if (button.bState != sc_InterFaceButton::kNormal) {
            if (pHoverItem != &button) {
                v_PlayInterfaceSound(kHoverSound, 0);
                pHoverItem = &button;
            }
        } else if (pHoverItem == &button) {
            pHoverItem = nullptr;
        }
        if (result && g_oGameMouse.bLeftPressed()) {
            lItem = choice;
            v_PlayInterfaceSound(kArmSound, 1);
        }
    }
    if (lItem < 0 || lItem >= kItemCards) return;
    sc_Weapons& chosen = pItemCards[static_cast<size_t>(lItem)];
    ShowLook(chosen.oButton, layout::kLookPressed);
    chosen.vShow();
    if (!bCardHovered)
        v_ShowInterfaceString(layout::kItemName.x, layout::kItemName.y, chosen.oName.pGetText());
}
