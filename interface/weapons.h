#pragma once
#include <cstdint>

#include "engine/base/member.h"
#include "engine/base/point.h"
#include "interface/buttons.h"

class sc_GameDir;
class sc_GameStatus;
class sc_GameImgWithShadow;

// One card of the arsenal (a weapon or an item card), or one of the form's
// armed slots holding a copy of a weapon card: a picture button, an icon
// animation, an id (-1 for an empty card or a free slot), weight,
// ammunition, price and three texts. A copy owns copies of the texts.
class sc_Weapons {
public:
    static constexpr int32_t kIconFrameMs = 50;
    static constexpr int32_t kWeight = 143;
    static constexpr int32_t kAmmo = 36;
    static constexpr int32_t kPrice = 128;

    sc_Weapons() = default;
    sc_Weapons(const sc_Weapons&) = default;
    sc_Weapons& operator=(const sc_Weapons&) = default;
    virtual ~sc_Weapons() = default;

    // Everything but the ammunition and the button back to a fresh card.
    void vReset();
    void vSet(int32_t lNewId, int32_t lButtonX, int32_t lButtonY, int32_t lIconX, int32_t lIconY,
              sc_GameDir* pNewIcon, sc_GameStatus* pButtonStatus, sc_InterFaceButton** ppOwner);
    void vSetName(const char* pText) { oName.vSet(pText); }
    void vSetWeight(int32_t n) { lWeight = n; }
    void vSetAmmo(int32_t n) { lAmmo = n; }
    void vSetPrice(int32_t n) { lPrice = n; }
    // The icon frame to draw, stepping one frame every 50 ms; null without
    // an icon or frames.
    const sc_GameImgWithShadow* pGetFrame();
    void vShow();

    sc_GameDir* pIcon = nullptr;
    sc_InterFaceButton oButton;
    int32_t lId = -1;
    int32_t lWeight = kWeight;
    int32_t lAmmo = kAmmo;
    int32_t lPrice = kPrice;
    sc_MemberString oName;
    sc_MemberString oText2;
    sc_MemberString oText3;
    sc_Point oIconPoint;
    int32_t lFrame = 0;
    int32_t lFrameTime = 0;
};
