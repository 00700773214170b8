#pragma once
#include <array>
#include <cstdint>

#include "engine/base/member.h"
#include "interface/adjust_bar.h"
#include "interface/buttons.h"
#include "interface/text_widgets.h"
#include "interface/weapons.h"

class sc_AllString;
class sc_Character;
class sc_GameObject;
class sc_Point;

// The player's form: what outlives one mission and what the menus edit. The
// character type and four ability sliders under a point budget, the money,
// progress, selected mission and kills, the twelve weapon and fifteen item
// cards with the three armed slots, and during a mission the player's
// character, the operator order waiting to be placed and the point the
// panel's arrow aims at. It also draws the mission buttons, the character
// texts and the arming screen's card grids for the menus.
class sc_Form {
public:
    static constexpr int32_t kWeaponCards = 12;
    static constexpr int32_t kItemCards = 15;
    static constexpr int32_t kArmedSlots = 3;
    static constexpr int32_t kItemChoices = 3;
    static constexpr int32_t kTextLines = 12;
    static constexpr int32_t kMissions = 12;
    // Points in use never go below this by a decrease.
    static constexpr int32_t kPointFloor = 35;
    static constexpr const char* kClickSound = "WAV\\BUTTONCLICK.WAV";
    static constexpr const char* kHoverSound = "WAV\\BUTTONMOVE.WAV";
    static constexpr const char* kArmSound = "WAV\\ONARM.WAV";
    static constexpr const char* kDisarmSound = "WAV\\OFFARM.WAV";
    static constexpr const char* kRefusedSound = "WAV\\NOTUSE.WAV";

    sc_Form();
    virtual ~sc_Form();
    sc_Form(const sc_Form&) = delete;
    sc_Form& operator=(const sc_Form&) = delete;

    // Once, at program start: the cards, lines and mission buttons. Without
    // a dictionary the scene's is taken.
    void vLoad(sc_AllString* pDictionary = nullptr);
    // The cards' pictures, each time the menus load theirs; the buttons join
    // the menus' pressed-owner cell.
    void vLoadWeaponList(sc_InterFaceButton** ppOwner);
    void vLoadItemList(sc_InterFaceButton** ppOwner);
    // Drops the mission's character and target and gives the cards' pictures
    // back; hides every weapon card.
    void vReset();
    // The player's character of the mission just loaded (null for none).
    void vSetCharacter(sc_Character* pNewCharacter);
    // Kept, not copied: the point must outlive its use here.
    void vSetTarget(sc_Point* pPoint) { pTarget = pPoint; }

    // One step of a slider, each costing or giving back one point; slider 4
    // follows slider 3 without a point of its own.
    void vIncreaseAdjust1() { vIncrease(oSlider1, lStep1); }
    void vIncreaseAdjust2() { vIncrease(oSlider2, lStep2); }
    void vIncreaseAdjust3();
    void vIncreaseAdjust4() { oSlider4.lAdd(lStep3); }
    void vDecreaseAdjust1() { vDecrease(oSlider1, lStep1); }
    void vDecreaseAdjust2() { vDecrease(oSlider2, lStep2); }
    void vDecreaseAdjust3();
    void vDecreaseAdjust4() { oSlider4.lSub(lStep3); }

    void vSetTexts();
    void vShowTexts();
    void vShowMissionSelect();
    void vShowArms(int32_t x, int32_t y, sc_TextToPicture* pNumber);
    void vShowBuy(int32_t x, int32_t y);
    static void vCopyCard(sc_Weapons* pSlot, const sc_Weapons* pCard);

    // Whether a weapon card may be armed: weight below the load and price
    // below the money, both strictly.
    bool bCanArm(const sc_Weapons& card) const;
    void vArm(sc_Weapons& slot, const sc_Weapons& card);
    void vDisarm(sc_Weapons& slot);
    // Empties every armed slot as disarming does, silently; cards that went
    // into a mission were used up there and give back their load only.
    void vReturnArms();

    sc_InterFaceButton* pHoverItem = nullptr;
    sc_AllString* pStrings = nullptr;
    sc_Character* pCharacter = nullptr;
    std::array<sc_Weapons, kArmedSlots> pArmedSlots;
    sc_Weapons* pArmed = &pArmedSlots[0];
    int32_t lRadarScale = 16;
    sc_Point* pTarget = nullptr;
    int32_t lOrderSlot = -1;
    int32_t lFormType = 0;
    int32_t lPointLimit = 40;
    int32_t lPointUsed = 30;
    sc_Adjust oSlider1;
    sc_Adjust oSlider2;
    sc_Adjust oSlider3;
    sc_Adjust oSlider4;
    int32_t lStep1 = 4;
    int32_t lStep2 = 2;
    int32_t lStep3 = 2;
    int32_t lStep4 = 0;
    int32_t lMoney = 1500;
    int32_t lProgress = 0;
    int32_t lMission = 0;
    sc_GameObject* pPackObject = nullptr;
    std::array<sc_Weapons, kWeaponCards> pWeaponCards;
    std::array<int32_t, kWeaponCards> pSlotIndex{};
    int32_t lHoverCard = 0;
    std::array<sc_Weapons, kItemCards> pItemCards;
    std::array<int32_t, kItemChoices> pItemChoice{3, 4, 5};
    int32_t lItem = 3;
    std::array<sc_RunText, kTextLines> pTexts;
    std::array<sc_InterFaceRectButton, kMissions> pMissionButtons;
    int32_t lShotMark = 0;
    int32_t lKills = 0;
    sc_MemberString oText1;
    sc_MemberString oText2;
    sc_MemberString oText3;
    sc_MemberString oText4;
    int32_t bCardHovered = 0;
    // The armed cards went into a mission: their price is spent.
    int32_t bArmsSpent = 0;

private:
    void vIncrease(sc_Adjust& slider, int32_t step);
    void vDecrease(sc_Adjust& slider, int32_t step);
    // Takes object 1 of the interface pack once; the cards keep pointers
    // into it until vReset gives it back.
    sc_GameObject* pTakePackObject();
    // The armed slots point at the pictures of the weapon card they copied;
    // after the cards get new pictures, so do the slots.
    void vRefreshArmedSlots();
    const char* pString(int32_t group, int32_t index) const;
    void vArmCard(const sc_Weapons& card);
    void vGiveBack(sc_Weapons& slot, bool bPrice);
};

extern sc_Form* g_pForm;
