#pragma once
#include <cstdint>

#include "engine/base/point.h"

class sc_Character;

// What a character uses of the gun it carries, until the gun is built: its
// aim direction among 16, its fire flag, aim point and charged power. It
// shows nothing and fires nothing.
class sc_Gun {
public:
    sc_Gun() = default;
    virtual ~sc_Gun() = default;
    sc_Gun(const sc_Gun&) = delete;
    sc_Gun& operator=(const sc_Gun&) = delete;

    void vSet(sc_Point* pViewPoint, sc_Point* pOwnerPosition, sc_Character* pOwnerCharacter) {
        pView = pViewPoint;
        pPosition = pOwnerPosition;
        pOwner = pOwnerCharacter;
    }
    void vLoadImage(const char*, const char*, int32_t) {}
    void vFreeImage() { lDirection = 0; }
    void vFire(int32_t lNewDirection, int32_t) { vSetDirection(lNewDirection); }
    // 0..15; anything else is ignored.
    void vSetDirection(int32_t d) {
        if (d >= 0 && d < 16) lDirection = d;
    }
    void vMouseControl() {}
    void vShow() {}

    sc_Character* pOwner = nullptr;
    sc_Point* pView = nullptr;
    sc_Point* pPosition = nullptr;
    int32_t lChargePower = 0;
    int32_t lDirection = 0;
    int32_t bFiring = 0;
    sc_Point oAim;
};
