#pragma once
#include <cstdint>

#include "engine/base/point.h"

// One mouse button's per-frame machine: the raw level in, the events out.
class ss_MouseButton {
public:
    enum : int8_t { kIdle = 0, kPressed = 1, kHeld = 3, kClick = 4, kDrag = 5, kDrop = 6, kDouble = 7 };
    static constexpr int32_t kDoubleMs = 300;
    static constexpr int32_t kDragPixels = 5;

    ss_MouseButton() = default;
    virtual ~ss_MouseButton();

    void vUpdate(int32_t down);

    int8_t cState = kIdle;
    int32_t lPressTime = 0;
    int32_t lReleaseTime = 0;
    sc_Point oPressPoint;
    sc_Point oReleasePoint;
};

// The cursor and the three button machines, refreshed once a frame.
class sc_MouseControl {
public:
    sc_MouseControl() = default;
    virtual ~sc_MouseControl() = default;

    void vUpdate();
    // Every button at rest, no press remembered.
    void vReset();
    sc_Point oGetPoint(int32_t* x, int32_t* y) const;
    int32_t bIsIdle() const;
    int32_t bIsAnyButton() const;

    int32_t bLeftPressed() const { return m_aButton[0].cState == ss_MouseButton::kPressed; }
    int32_t bLeftDown() const { return IsDown(m_aButton[0]); }
    int32_t bLeftClick() const { return m_aButton[0].cState == ss_MouseButton::kClick; }
    int32_t bLeftDrag() const { return m_aButton[0].cState == ss_MouseButton::kDrag; }
    int32_t bLeftDrop() const { return m_aButton[0].cState == ss_MouseButton::kDrop; }
    int32_t bLeftDouble() const { return m_aButton[0].cState == ss_MouseButton::kDouble; }
    sc_Point oLeftPressPoint() const { return m_aButton[0].oPressPoint; }
    sc_Point oLeftReleasePoint() const { return m_aButton[0].oReleasePoint; }

    int32_t bMiddlePressed() const { return m_aButton[1].cState == ss_MouseButton::kPressed; }
    int32_t bMiddleDown() const { return IsDown(m_aButton[1]); }
    int32_t bMiddleClick() const { return m_aButton[1].cState == ss_MouseButton::kClick; }
    int32_t bMiddleDrag() const { return m_aButton[1].cState == ss_MouseButton::kDrag; }
    int32_t bMiddleDrop() const { return m_aButton[1].cState == ss_MouseButton::kDrop; }
    int32_t bMiddleDouble() const { return m_aButton[1].cState == ss_MouseButton::kDouble; }
    sc_Point oMiddlePressPoint() const { return m_aButton[1].oPressPoint; }
    sc_Point oMiddleReleasePoint() const { return m_aButton[1].oReleasePoint; }

    int32_t bRightPressed() const { return m_aButton[2].cState == ss_MouseButton::kPressed; }
    int32_t bRightDown() const { return IsDown(m_aButton[2]); }
    int32_t bRightClick() const { return m_aButton[2].cState == ss_MouseButton::kClick; }
    int32_t bRightDrag() const { return m_aButton[2].cState == ss_MouseButton::kDrag; }
    int32_t bRightDrop() const { return m_aButton[2].cState == ss_MouseButton::kDrop; }
    int32_t bRightDouble() const { return m_aButton[2].cState == ss_MouseButton::kDouble; }
    sc_Point oRightPressPoint() const { return m_aButton[2].oPressPoint; }
    sc_Point oRightReleasePoint() const { return m_aButton[2].oReleasePoint; }

    const ss_MouseButton& oButton(int index) const { return m_aButton[index]; }

private:
    static int32_t IsDown(const ss_MouseButton& b) {
        return b.cState == ss_MouseButton::kPressed || b.cState == ss_MouseButton::kHeld;
    }

    // Left, middle, right.
    ss_MouseButton m_aButton[3];
    sc_Point m_oLastPoint;
    int32_t m_bNotMoved = 1;
};

class sc_GameMouse : public sc_MouseControl {
public:
    sc_GameMouse() = default;
    ~sc_GameMouse() override = default;

    // Updates the machines, then the eight-way direction of the cursor seen
    // from the screen centre.
    int32_t lUpdateDirection();
    // Whether the left button is down now (or was pressed since the last
    // ask), read at the moment of the call, apart from the machines.
    int32_t bLeftButtonHeld() const;

private:
    uint8_t m_cDirection = 255;
};

// Eight directions clockwise from up (0..7), -1 for (0, 0).
int8_t l_GetDirection(int32_t dx, int32_t dy);

extern sc_Point g_oMousePoint;
extern sc_GameMouse g_oGameMouse;
