#include "engine/device/mouse.h"

#include <cmath>

#include "engine/device/frame_time.h"
#include "platform/input.h"

sc_Point g_oMousePoint;
sc_GameMouse g_oGameMouse;

// Set by the application once the display exists; the mouse direction
// measures from its centre.
extern sc_Point g_oScreenSize;

ss_MouseButton::~ss_MouseButton() {
    cState = kIdle;
    lPressTime = lReleaseTime = 0;
    oPressPoint.oSet(0, 0);
    oReleasePoint.oSet(0, 0);
}

void ss_MouseButton::vUpdate(int32_t down) {
    const int32_t now = g_lNowTick;
    const sc_Point& cursor = g_oMousePoint;
    if (down) {
        if (lReleaseTime < lPressTime) {
            if (cState == kPressed) cState = kHeld;
            const int32_t dx = oPressPoint.x - cursor.x, dy = oPressPoint.y - cursor.y;
            if ((dx != 0 || dy != 0) && (dx < -kDragPixels || dx > kDragPixels || dy < -kDragPixels || dy > kDragPixels))
                cState = kDrag;
        } else {
            cState = (now - lPressTime < kDoubleMs) ? kDouble : kPressed;
            lPressTime = now;
            oPressPoint = cursor;
        }
    } else {
        if (lPressTime >= lReleaseTime) {
            if (cState == kDrag)
                cState = kDrop;
            else if (cState == kPressed || cState == kHeld)
                cState = kClick;
            else
                cState = kIdle;
            lReleaseTime = now;
            oReleasePoint = cursor;
        } else {
            cState = kIdle;
        }
    }
}

void sc_MouseControl::vReset() {
    for (ss_MouseButton& b : m_aButton) {
        b.cState = ss_MouseButton::kIdle;
        b.lPressTime = b.lReleaseTime = 0;
        b.oPressPoint.oSet(0, 0);
        b.oReleasePoint.oSet(0, 0);
    }
    m_bNotMoved = 1;
}

void sc_MouseControl::vUpdate() {
    int32_t x = 0, y = 0;
    plat::GetCursor(x, y);
    g_oMousePoint.oSet(x, y);
    if (g_oMousePoint.bEqual(m_oLastPoint.x, m_oLastPoint.y)) {
        m_bNotMoved = 1;
    } else {
        m_bNotMoved = 0;
        m_oLastPoint = g_oMousePoint;
    }
    // The 16-bit answer sign-extends; any bit set counts as down.
    auto level = [](plat::MouseButton b) { return static_cast<int32_t>(static_cast<int16_t>(plat::QueryMouseButton(b))); };
    m_aButton[0].vUpdate(level(plat::kMouseLeft));
    m_aButton[2].vUpdate(level(plat::kMouseRight));
    m_aButton[1].vUpdate(level(plat::kMouseMiddle));
}

sc_Point sc_MouseControl::oGetPoint(int32_t* x, int32_t* y) const {
    if (x) *x = g_oMousePoint.x;
    if (y) *y = g_oMousePoint.y;
    return g_oMousePoint;
}

int32_t sc_MouseControl::bIsIdle() const {
    return m_aButton[0].cState == 0 && m_aButton[1].cState == 0 && m_aButton[2].cState == 0 && m_bNotMoved;
}

int32_t sc_MouseControl::bIsAnyButton() const {
    return m_aButton[0].cState != 0 || m_aButton[1].cState != 0 || m_aButton[2].cState != 0;
}

int32_t sc_GameMouse::lUpdateDirection() {
    vUpdate();
    m_cDirection = static_cast<uint8_t>(
        l_GetDirection(g_oMousePoint.x - (g_oScreenSize.x >> 1), g_oMousePoint.y - (g_oScreenSize.y >> 1)));
    return m_cDirection;
}

int32_t sc_GameMouse::bLeftButtonHeld() const { return plat::QueryMouseButton(plat::kMouseLeft) != 0; }

int8_t l_GetDirection(int32_t dx, int32_t dy) {
    if (dx == 0 && dy == 0) return -1;
    const int32_t a = static_cast<int32_t>(std::atan2(static_cast<double>(dx), static_cast<double>(dy)) * 1000.0);
    if (a > 2489) return 0;
    if (a > 1796) return 1;
    if (a > 1344) return 2;
    if (a > 652) return 3;
    if (a > -652) return 4;
    if (a > -1344) return 5;
    if (a > -1796) return 6;
    if (a > -2489) return 7;
    return 0;
}
