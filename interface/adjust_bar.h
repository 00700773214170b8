#pragma once
#include <cstdint>

#include "engine/base/point.h"
#include "interface/buttons.h"

class sc_GameObject;
class sc_GameImg;

// A bounded integer: a value kept in min..max (both inclusive), stepped with
// clamping (mode 0) or wrap-around (mode 1), and mapped proportionally onto
// another. The fields are open: arming a weapon card moves a slider's value
// past its limits on purpose, and takes exactly that back on disarming.
class sc_Adjust {
public:
    enum : uint32_t { kClamp = 0, kWrap = 1 };

    sc_Adjust() = default;
    sc_Adjust(const sc_Adjust&) = default;
    sc_Adjust& operator=(const sc_Adjust&) = default;
    virtual ~sc_Adjust() = default;

    void vClear() { lMax = lMin = lValue = lInitial = 0; }
    // The larger of a and b is the max; the value is clamped into the range.
    int32_t bSet(int32_t a, int32_t b, int32_t value, uint32_t mode);
    int32_t lAdd(int32_t step);
    int32_t lSub(int32_t step);
    void vSetValue(int32_t v);
    void vSetMax(int32_t v);
    void vSetMin(int32_t v);
    void vAddMax(int32_t n);
    void vSubMax(int32_t n);
    void vAddMin(int32_t n);
    void vSubMin(int32_t n);
    int32_t bAtLimit() const { return lValue == lMax || lValue == lMin; }
    int32_t lGetValue() const { return lValue; }
    // max - min + 1, in 64 bits: the widest range does not fit in 32.
    int64_t lRange() const { return int64_t{lMax} - lMin + 1; }
    // This range over the other's, truncated; 0 when the other is empty.
    int32_t lGetRatio(const sc_Adjust& other) const;
    void vSetRatio(const sc_Adjust& other);
    void vSetInverseRatio(const sc_Adjust& other);
    void vCopy(const sc_Adjust& other) { *this = other; }

    uint32_t lMode = kClamp; // a fresh value clamps
    int32_t lMax = 0;
    int32_t lMin = 0;
    int32_t lValue = 0;
    int32_t lInitial = 0;
};

// A vertical scroll bar: a track picture, an up and a down arrow and a thumb
// (statuses 0 to 3 of one pack object), with the thumb's offset from the
// bar's top kept in an sc_Adjust. Linked to a second sc_Adjust, one unit of
// that value moves the thumb by a fixed number of pixels.
class sc_Bar {
public:
    static constexpr int32_t kRepeatMs = 200;

    sc_Bar() = default;
    virtual ~sc_Bar() = default;
    sc_Bar(const sc_Bar&) = delete;
    sc_Bar& operator=(const sc_Bar&) = delete;

    void vReset();
    void vSetUp(sc_GameObject* pObject, int32_t x, int32_t y, sc_InterFaceButton** ppOwner, int32_t lButtonX,
                sc_Adjust* pLinked);
    void vSetStep(const sc_Adjust* pLinked);
    int32_t vSetFromLinked(const sc_Adjust* pLinked);
    void vSetThumb(int32_t x, int32_t y) { oThumb.vSetPosition(x, y); }
    // One frame of drawing and mouse handling; 1 when the position changed.
    int32_t lShow();
    // The track's height, 0 without a picture.
    int32_t lGetHeight() const;

    const sc_GameImg* image = nullptr;
    sc_InterFaceButton oUp;
    sc_InterFaceButton oDown;
    sc_InterFaceButton oThumb;
    sc_Adjust oPosition;
    sc_Point oPoint;
    uint8_t bDragging = 0;
    int32_t lStep = 1;
    int32_t lRepeatTime = 0;
    int32_t bShown = 1;

private:
    // One arrow's frame: a step on its press, then one every kRepeatMs.
    bool bArrowStep(sc_InterFaceButton& arrow);
    void vPlaceThumb();

    // The press an arrow last stepped for, so that a press held as a
    // double-click steps once and then repeats like any other.
    int32_t m_lSteppedPress = -1;
};
