#pragma once
#include <array>
#include <cstdint>

#include "engine/base/point.h"
#include "engine/base/rect.h"
#include "interface/adjust_bar.h"
#include "interface/buttons.h"
#include "interface/talk.h"
#include "interface/text_widgets.h"

class sc_Form;
class sc_GameObject;
class sc_GameImgWithShadow;

// The in-game panel drawn over the map in every play frame: the player's
// four meters, the radar, the arrow toward the target, the money, the
// weapon panel with the armed slots and the orders for sale. It also
// decides whether the mouse lies over it: the cursor and the gun follow.
class sc_InterFaceOperator {
public:
    static constexpr int32_t kOrders = 8;
    static constexpr int32_t kShownOrders = 7;
    static constexpr int32_t kAreas = 10;
    static constexpr int32_t kArrows = 16;
    static constexpr int32_t kCanvas = 128;
    static constexpr int32_t kOrderCosts[kOrders] = {500, 200, 300, 400, 600, 2500, 2000, 30};
    static constexpr const char* kUseWeaponSound = "WAV\\USEWEAPONS.WAV";
    static constexpr const char* kRadioFile = "ATTRIB\\SOS1.DB";

    sc_InterFaceOperator();
    virtual ~sc_InterFaceOperator();
    sc_InterFaceOperator(const sc_InterFaceOperator&) = delete;
    sc_InterFaceOperator& operator=(const sc_InterFaceOperator&) = delete;

    // At each mission load. The slides of the weapon panel and of the order
    // list and the radio call carry over from the last mission.
    void vLoad(sc_Form* pNewForm);
    void vFree();
    void vShow();
    // A map position as a 2 x 2 dot on the radar, when it lies within 60
    // radar pixels of the player's character.
    void vShowRadarPoint(int32_t x, int32_t y, int32_t lColour);
    // Buys an order: nothing unless it is 0..7 and the character's money
    // covers the cost; refused with its sound while a bought order is still
    // waiting, being aimed, flown in or carried out.
    void vUseSlot(int32_t lOrder, int32_t lCost);
    // A pick-up of money raises the counter at once.
    void vRaiseMoney(int32_t lAmount);
    // The radio call: its box slides in and its one page types; it goes off
    // once the last line has typed. A call already on is not restarted.
    void vStartRadio();
    void vShowRadio();

    sc_Form* pGetForm() const { return pForm; }

    sc_InterFaceButton* pPressedOwner = nullptr;
    sc_Form* pForm = nullptr;
    std::array<sc_GameObject*, 5> pObjects{};
    const sc_GameImgWithShadow* pBar = nullptr;
    std::array<const sc_GameImgWithShadow*, 4> pGauges{};
    int32_t bWeaponsHidden = 0;
    int32_t lWeaponsProgress = 0;
    sc_InterFaceButton oWeaponsButton;
    sc_Point oWeaponsPoint;
    const sc_GameImgWithShadow* pWeaponsPicture = nullptr;
    std::array<sc_InterFaceButton, 3> oSlotButtons;
    const sc_GameImgWithShadow* pPortrait = nullptr;
    const sc_GameImgWithShadow* pRadarBack = nullptr;
    const sc_GameImgWithShadow* pRadarCanvas = nullptr;
    sc_Point oRadarPoint;
    sc_TextToPicture oScaleSign;
    sc_TextToPicture oScaleNumber;
    sc_InterFaceButton oZoomButton;
    const sc_GameImgWithShadow* pMoneyBack = nullptr;
    int32_t lMoneyShown = 0;
    sc_TextToPicture oMoney;
    sc_Point oListPoint;
    sc_InterFaceButton oListButton;
    std::array<sc_InterFaceButton, kOrders> oOrderButtons;
    std::array<sc_TextToPicture, kOrders> oOrderCosts;
    sc_Bar oScrollBar;
    sc_Adjust oScroll;
    int32_t bListClosed = 0;
    int32_t lListProgress = 0;
    std::array<ss_Rect, kAreas> oAreas;
    std::array<const sc_GameImgWithShadow*, 2> pRadioPictures{};
    int32_t bRadio = 0;
    sc_Talk oRadio;
    sc_MoveForm oRadioSlide;
    sc_TextToPicture oAmmo;
    // The dots plotted since the last frame, drawn over the radar's canvas.
    std::array<uint16_t, kCanvas * kCanvas> oCanvas{};

private:
    void vShowGauges();
    void vShowRadar();
    void vShowMoney();
    void vShowWeapons();
    void vShowOrders();
    void vSetCursorAndFire();
    void vShowArrow();
    bool bNetwork() const;
};

// The shortcut characters and enemies use for their radar dots.
void v_ShowRadarPoint(int32_t x, int32_t y, int32_t lColour);

extern sc_InterFaceOperator* g_pInterFaceOperator;
