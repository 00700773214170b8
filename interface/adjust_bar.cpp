#include "interface/adjust_bar.h"

#include <cstdlib>
#include <limits>

#include "engine/device/frame_time.h"
#include "engine/device/mouse.h"
#include "engine/sprite/sprite_tree.h"
#include "game/work.h"

namespace {

// Results beyond 32 bits stop at the nearest representable value.
int32_t Saturate(__int128 v) {
    if (v > std::numeric_limits<int32_t>::max()) return std::numeric_limits<int32_t>::max();
    if (v < std::numeric_limits<int32_t>::min()) return std::numeric_limits<int32_t>::min();
    return static_cast<int32_t>(v);
}

__int128 Magnitude(int32_t v) {
    return v < 0 ? -static_cast<__int128>(v) : static_cast<__int128>(v);
}

} // namespace

// ------------------------------------------------------------- sc_Adjust

int32_t sc_Adjust::bSet(int32_t a, int32_t b, int32_t value, uint32_t mode) {
    vClear();
    lMode = mode;
    lMax = a >= b ? a : b;
    lMin = a >= b ? b : a;
    if (value > lMax) value = lMax;
    if (value < lMin) value = lMin;
    lValue = lInitial = value;
    return 1;
}

int32_t sc_Adjust::lAdd(int32_t step) {
    const __int128 v = static_cast<__int128>(lValue) + step;
    if (lMode == kClamp && v > lMax)
        lValue = lMax;
    else if (lMode == kWrap && v > lMax)
        lValue = lMin;
    else
        lValue = Saturate(v);
    return lValue;
}

int32_t sc_Adjust::lSub(int32_t step) {
    const __int128 v = static_cast<__int128>(lValue) - step;
    if (lMode == kClamp && v < lMin)
        lValue = lMin;
    else if (lMode == kWrap && v < lMin)
        lValue = lMax;
    else
        lValue = Saturate(v);
    return lValue;
}

void sc_Adjust::vSetValue(int32_t v) {
    lValue = v;
    if (lValue > lMax) lValue = lMax;
    if (lValue < lMin) lValue = lMin;
}

void sc_Adjust::vSetMax(int32_t v) {
    lMax = v < lMin ? lMin : v;
    if (lValue > lMax) lValue = lMax;
}

void sc_Adjust::vSetMin(int32_t v) {
    lMin = v > lMax ? lMax : v;
    if (lValue < lMin) lValue = lMin;
}

void sc_Adjust::vAddMax(int32_t n) {
    lMax = Saturate(static_cast<__int128>(lMax) + n);
}

void sc_Adjust::vSubMax(int32_t n) {
    lMax = Saturate(static_cast<__int128>(lMax) - n);
    if (lValue > lMax) lValue = lMax;
}

void sc_Adjust::vAddMin(int32_t n) {
    lMin = Saturate(static_cast<__int128>(lMin) + n);
    if (lValue < lMin) lValue = lMin;
}

void sc_Adjust::vSubMin(int32_t n) {
    lMin = Saturate(static_cast<__int128>(lMin) - n);
}

int32_t sc_Adjust::lGetRatio(const sc_Adjust& other) const {
    // A range made empty by vSubMax or vAddMin would divide by zero.
    if (other.lRange() <= 0) return 0;
    return Saturate(static_cast<__int128>(lRange()) / other.lRange());
}

void sc_Adjust::vSetRatio(const sc_Adjust& other) {
    if (other.lRange() <= 0) return;
    __int128 v = static_cast<__int128>(lRange()) * Magnitude(other.lValue) / other.lRange();
    if (other.lValue < 0) v = -v;
    vSetValue(Saturate(v));
}

void sc_Adjust::vSetInverseRatio(const sc_Adjust& other) {
    if (other.lRange() <= 0) return;
    const __int128 v =
        static_cast<__int128>(lRange()) * (other.lRange() - Magnitude(other.lValue)) / other.lRange();
    vSetValue(Saturate(v));
}

// ---------------------------------------------------------------- sc_Bar

namespace {

const sc_GameImgWithShadow* FirstFrame(const sc_GameObject* object, int32_t status) {
    const sc_GameStatus* s = object ? object->pGetStatusAt(status) : nullptr;
    const sc_GameDir* d = s ? s->pGetDirAt(0) : nullptr;
    return d ? d->pGetFrameAt(0) : nullptr;
}

int32_t HeightOf(const sc_GameImg* img) {
    return img ? img->lGetHeight() : 0;
}

} // namespace

void sc_Bar::vReset() {
    oPoint.oSet(0, 0);
    bDragging = 0;
    lStep = 1;
    lRepeatTime = 0;
    bShown = 1;
}

int32_t sc_Bar::lGetHeight() const {
    return HeightOf(image);
}

void sc_Bar::vSetUp(sc_GameObject* pObject, int32_t x, int32_t y, sc_InterFaceButton** ppOwner,
                    int32_t lButtonX, sc_Adjust* pLinked) {
    vReset();
    image = FirstFrame(pObject, 0);
    const int32_t h = lGetHeight();
    oPoint.oSet(x, y);
    const int32_t bx = x + lButtonX;
    sc_GameStatus* up = pObject ? pObject->pGetStatusAt(1) : nullptr;
    sc_GameStatus* down = pObject ? pObject->pGetStatusAt(2) : nullptr;
    sc_GameStatus* thumb = pObject ? pObject->pGetStatusAt(3) : nullptr;
    const int32_t upH = HeightOf(FirstFrame(pObject, 1));
    const int32_t downH = HeightOf(FirstFrame(pObject, 2));
    const int32_t thumbH = HeightOf(FirstFrame(pObject, 3));
    oUp.vSetUp(up, bx, y, ppOwner);
    oDown.vSetUp(down, bx, y + h - downH, ppOwner);
    oThumb.vSetUp(thumb, bx, y, ppOwner);
    // The thumb runs from below the up arrow to above the down arrow.
    oPosition.bSet(h - thumbH - downH, upH, upH, sc_Adjust::kClamp);
    // The thumb's looks are drawn with their top at the bar's y (the frames
    // are the cache's, shared with every other user of the pack).
    for (int32_t look = 0; thumb && look < 3; ++look)
        if (sc_GameDir* dir = thumb->pGetDirAt(look))
            if (sc_GameImgWithShadow* frame = dir->pGetFrameAt(0))
                frame->vSetOffset(frame->oGetOffset().x, 0);
    if (pLinked) vSetStep(pLinked);
    vPlaceThumb();
}

void sc_Bar::vSetStep(const sc_Adjust* pLinked) {
    if (pLinked) lStep = oPosition.lGetRatio(*pLinked);
}

int32_t sc_Bar::vSetFromLinked(const sc_Adjust* pLinked) {
    if (!pLinked) return oPosition.lGetValue();
    vSetStep(pLinked);
    oPosition.vSetRatio(*pLinked);
    vPlaceThumb();
    return oPosition.lGetValue();
}

void sc_Bar::vPlaceThumb() {
    vSetThumb(oThumb.oPoint.x, oPosition.lGetValue() + oPoint.y);
}

bool sc_Bar::bArrowStep(sc_InterFaceButton& arrow) {
    if (!arrow.lShow()) return false;
    const ss_MouseButton& left = g_oGameMouse.oButton(0);
    const bool newPress =
        (g_oGameMouse.bLeftPressed() || g_oGameMouse.bLeftDouble()) && left.lPressTime != m_lSteppedPress;
    if (newPress) {
        m_lSteppedPress = left.lPressTime;
        lRepeatTime = g_lNowTick + kRepeatMs;
        return true;
    }
    if ((g_oGameMouse.bLeftDown() || g_oGameMouse.bLeftDouble()) && lRepeatTime < g_lNowTick) {
        lRepeatTime = g_lNowTick + kRepeatMs;
        return true;
    }
    return false;
}

int32_t sc_Bar::lShow() {
    if (!bShown) return 0;
    int32_t changed = 0;
    if (image) image->vShow(oPoint.x, oPoint.y, g_pWorkSurface);
    const sc_Point& mouse = g_oMousePoint;
    const int32_t h = lGetHeight();
    // A press on the track's opaque parts jumps the thumb there.
    if (image && mouse.y > oPoint.y && mouse.y < oPoint.y + h &&
        image->lGetAlpha(oPoint.x, oPoint.y, mouse.x, mouse.y) != 0 && g_oGameMouse.bLeftPressed()) {
        oPosition.vSetValue(mouse.y - oPoint.y);
        vPlaceThumb();
        changed = 1;
    }
    if (bArrowStep(oUp)) {
        oPosition.lSub(lStep);
        vPlaceThumb();
        changed = 1;
    }
    if (bArrowStep(oDown)) {
        oPosition.lAdd(lStep);
        vPlaceThumb();
        changed = 1;
    }
    if (oThumb.lShow()) bDragging = 1;
    if (g_oGameMouse.bLeftDrop() || !g_oGameMouse.bLeftButtonHeld()) bDragging = 0;
    if (bDragging) {
        oPosition.vSetValue(mouse.y - oPoint.y);
        vPlaceThumb();
        return 1;
    }
    return changed;
}
