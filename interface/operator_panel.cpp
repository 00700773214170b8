#include "interface/operator_panel.h"

#include <algorithm>

#include "engine/blit/blit_bounds.h"
#include "engine/blit/blit_rect.h"
#include "engine/device/dir_surface.h"
#include "engine/device/mouse.h"
#include "engine/sprite/memory_control.h"
#include "engine/sprite/sprite_tree.h"
#include "game/cursor.h"
#include "game/geometry.h"
#include "game/work.h"
#include "interface/form.h"
#include "interface/layout.h"
#include "objects/all_object.h"

sc_InterFaceOperator* g_pInterFaceOperator = nullptr;

namespace {

// Where the arrow for each of the sixteen directions stands, clockwise from up.
constexpr layout::Pos kArrowPoints[sc_InterFaceOperator::kArrows] = {
    {710, -6}, {730, 2},   {750, 16}, {765, 32}, {773, 50}, {767, 80}, {755, 98}, {735, 115},
    {712, 122}, {688, 115}, {668, 100}, {654, 78}, {648, 54}, {654, 40}, {672, 18}, {692, 2}};

// The panel's areas that keep the mouse from the map: (x, y, width, height).
constexpr int32_t kFixedAreas[7][4] = {{590, 6, 195, 32},   {637, 43, 50, 20},  {0, 0, 0, 0},      {727, 148, 68, 28},
                                       {0, 580, 800, 20}, {0, 563, 234, 15}, {559, 562, 235, 16}};
constexpr int32_t kAreaWeapons = 7, kAreaList = 8;

// An area with both its far edges included: x to x + w, y to y + h.
void SetArea(ss_Rect& r, int32_t x, int32_t y, int32_t w, int32_t h) { r.vSet(x, y, x + w, y + h); }

constexpr int32_t kSlideStepWeapons = 12;
constexpr int32_t kSlideStepList = 16;
constexpr int32_t kZoomStep = 4, kZoomMax = 20;

const sc_GameImgWithShadow* Frame(sc_GameObject* object, int32_t status, int32_t dir, int32_t frame = 0) {
    sc_GameStatus* s = object ? object->pGetStatusAt(status) : nullptr;
    sc_GameDir* d = s ? s->pGetDirAt(dir) : nullptr;
    return d ? d->pGetFrameAt(frame) : nullptr;
}

sc_GameStatus* Status(sc_GameObject* object, int32_t status) { return object ? object->pGetStatusAt(status) : nullptr; }

void Draw(const sc_GameImgWithShadow* picture, int32_t x, int32_t y) {
    if (picture && g_pWorkSurface) picture->vShow(x, y, g_pWorkSurface);
}

// A picture through its alpha map, inside the clip rectangle (inclusive).
void DrawClipped(const sc_GameImgWithShadow* picture, int32_t x, int32_t y, int32_t left, int32_t top, int32_t right,
                 int32_t bottom) {
    if (!picture || !picture->pGetPixels() || !g_pWorkBuffer || !g_pWorkSurface) return;
    const sc_Point off = picture->oGetOffset();
    const int32_t w = g_pWorkSurface->lGetWidth(), h = g_pWorkSurface->lGetHeight();
    if (picture->pGetAlpha())
        v_Blt555AlphaMapClip(x + off.x, y + off.y, picture->lGetWidth(), picture->lGetHeight(), w, h, top, bottom, left,
                             right, picture->pGetAlpha(), picture->pGetPixels(), g_pWorkBuffer);
    else
        v_Blt555KeyClip(x + off.x, y + off.y, picture->lGetWidth(), picture->lGetHeight(), w, h, top, bottom, left, right,
                        picture->pGetPixels(), g_pWorkBuffer);
}

// The share of a picture's width a meter fills: none without a maximum,
// nothing below 0 and the whole width at most.
int32_t MeterLength(int32_t width, int32_t current, int32_t maximum) {
    if (maximum <= 0) return -1;
    const int64_t v = int64_t{width} * std::clamp(current, 0, maximum) / maximum;
    return static_cast<int32_t>(v);
}

sc_Character* Character(const sc_Form* form) { return form ? form->pCharacter : nullptr; }

bool LeftPressed() { return g_oGameMouse.bLeftPressed() != 0; }

} // namespace

sc_InterFaceOperator::sc_InterFaceOperator() {
    g_pInterFaceOperator = this;
    oRadarPoint.oSet(layout::kRadarCanvas.x, layout::kRadarCanvas.y);
    oListPoint.oSet(layout::kOrderList.x, layout::kOrderList.y);
}

sc_InterFaceOperator::~sc_InterFaceOperator() {
    vFree();
    if (g_pInterFaceOperator == this) g_pInterFaceOperator = nullptr;
}

void sc_InterFaceOperator::vLoad(sc_Form* pNewForm) {
    vFree();
    pForm = pNewForm;
    if (g_pMemoryControl)
        for (int32_t i = 0; i < static_cast<int32_t>(pObjects.size()); ++i)
            pObjects[static_cast<size_t>(i)] = g_pMemoryControl->pGetObject(layout::kPackStr, layout::kPackImg, i);
    sc_GameObject* panel = pObjects[layout::kObjectPanel];
    sc_GameObject* glyphs = pObjects[layout::kObjectGlyphs];
    sc_GameStatus* glyphSet = Status(glyphs, 0);

    pBar = Frame(panel, layout::kPanelBarStatus, layout::kPanelBarDir);
    for (int32_t i = 0; i < 4; ++i)
        pGauges[static_cast<size_t>(i)] = Frame(panel, layout::kPanelBarStatus, layout::kPanelGaugeDir + i);

    const layout::Pos rest = bWeaponsHidden ? layout::kWeaponsButtonHidden : layout::kWeaponsButtonShown;
    oWeaponsButton.vSetUp(Status(panel, layout::kWeaponsButtonStatus), rest.x, rest.y, &pPressedOwner);
    oWeaponsButton.vEnable(0);
    pWeaponsPicture = Frame(panel, layout::kWeaponsPanelStatus, 0);
    for (int32_t i = 0; i < 3; ++i) {
        const int32_t id = pForm ? pForm->pArmedSlots[static_cast<size_t>(i)].lId : -1;
        sc_InterFaceButton& slot = oSlotButtons[static_cast<size_t>(i)];
        slot.vSetUp(Status(pObjects[layout::kObjectCards], id < 0 ? 0 : id),
                    layout::kPanelSlot.x + layout::kPanelSlotPitch * i, layout::kPanelSlot.y, &pPressedOwner);
        slot.vEnable(0);
    }
    pPortrait = Frame(pObjects[layout::kObjectPortraits], 0, 0, pForm ? pForm->lFormType : 0);

    pRadarBack = Frame(panel, layout::kRadarStatus, layout::kRadarBackDir);
    pRadarCanvas = Frame(panel, layout::kRadarStatus, layout::kRadarCanvasDir);
    oCanvas.fill(0);
    oScaleSign.vSetUp(glyphSet, 0, layout::kScaleSign.x, layout::kScaleSign.y, 100, nullptr);
    oScaleSign.vSetText("x");
    oScaleNumber.vSetUp(glyphSet, 0, layout::kScaleNumber.x, layout::kScaleNumber.y, 100, nullptr);
    oScaleNumber.vSetNumber(pForm ? pForm->lRadarScale : 16);
    oZoomButton.vSetUp(Status(panel, layout::kZoomStatus), layout::kZoomButton.x, layout::kZoomButton.y,
                       &pPressedOwner);

    pMoneyBack = Frame(panel, layout::kZoomStatus, layout::kMoneyBackDir);
    lMoneyShown = 0;
    oMoney.vSetUp(glyphSet, 0, layout::kMoneyNumber.x, layout::kMoneyNumber.y, 100, nullptr);
    oMoney.vSetNumber(0);

    oListButton.vSetUp(Status(panel, layout::kListButtonStatus), layout::kListButton.x, layout::kListButton.y,
                       &pPressedOwner);
    for (int32_t i = 0; i < kOrders; ++i) {
        const int32_t y = layout::kOrderList.y + layout::kOrderPitch * i;
        oOrderButtons[static_cast<size_t>(i)].vSetUp(Status(panel, layout::kOrderStatusFirst + i), layout::kOrderList.x,
                                                      y, &pPressedOwner);
        sc_TextToPicture& cost = oOrderCosts[static_cast<size_t>(i)];
        cost.vSetUp(glyphSet, 0, layout::kOrderList.x, y, 100, nullptr);
        cost.vSetNumber(kOrderCosts[i]);
    }
    oScroll.bSet(8, 0, 0, sc_Adjust::kClamp);
    oScrollBar.vSetUp(pObjects[layout::kObjectScrollBar], 780, 180, &pPressedOwner, 5, &oScroll);
    oScrollBar.bShown = bListClosed ? 0 : 1;

    for (int32_t i = 0; i < 7; ++i)
        SetArea(oAreas[static_cast<size_t>(i)], kFixedAreas[i][0], kFixedAreas[i][1], kFixedAreas[i][2],
                kFixedAreas[i][3]);
    oAmmo.vSetUp(glyphSet, 0, 0, 0, 100, nullptr);
    pRadioPictures[0] = Frame(panel, layout::kPanelBarStatus, layout::kRadioBackDir);
    pRadioPictures[1] = Frame(panel, layout::kPanelBarStatus, layout::kRadioFrameDir);
}

void sc_InterFaceOperator::vFree() {
    for (sc_InterFaceButton* b : {&oWeaponsButton, &oZoomButton, &oListButton}) b->vClear();
    for (sc_InterFaceButton& b : oSlotButtons) b.vClear();
    for (sc_InterFaceButton& b : oOrderButtons) b.vClear();
    for (sc_TextToPicture& t : oOrderCosts) t.vReset();
    for (sc_TextToPicture* t : {&oScaleSign, &oScaleNumber, &oMoney, &oAmmo}) t->vReset();
    oScrollBar.vReset();
    oScrollBar.image = nullptr;
    pBar = pWeaponsPicture = pPortrait = pRadarBack = pRadarCanvas = pMoneyBack = nullptr;
    pGauges.fill(nullptr);
    pRadioPictures.fill(nullptr);
    pPressedOwner = nullptr;
    if (g_pMemoryControl)
        for (sc_GameObject* o : pObjects) g_pMemoryControl->vFree(o);
    pObjects.fill(nullptr);
}

bool sc_InterFaceOperator::bNetwork() const { return g_pWork && g_pWork->oScene.bNetwork; }

void sc_InterFaceOperator::vShow() {
    if (g_oGameMouse.bLeftClick() || g_oGameMouse.bLeftDrop()) pPressedOwner = nullptr;
    Draw(pBar, layout::kPanelBar.x, layout::kPanelBar.y);
    vShowGauges();
    vShowRadar();
    vShowMoney();
    vShowWeapons();
    vShowOrders();
    vSetCursorAndFire();
    vShowArrow();
    vShowRadio();
}

void sc_InterFaceOperator::vShowGauges() {
    const sc_Character* c = Character(pForm);
    if (!c) return;
    const int32_t current[4] = {c->lHitPoints, c->lFly, c->lCharge, c->lEnergy};
    const int32_t maximum[4] = {c->lMaxHitPoints, c->lMaxFly, c->lMaxCharge, c->lMaxEnergy};
    for (int32_t i = 0; i < 4; ++i) {
        const sc_GameImgWithShadow* gauge = pGauges[static_cast<size_t>(i)];
        if (!gauge) continue;
        const int32_t w = gauge->lGetWidth();
        const int32_t v = MeterLength(w, current[i], maximum[i]);
        if (v < 0) continue;
        const layout::Pos at = layout::kGauges[i];
        switch (i) {
        case 0: DrawClipped(gauge, at.x, at.y, at.x + w - v, 0, 800, 599); break;
        case 1: DrawClipped(gauge, at.x, at.y, 0, 0, v + 3, 599); break;
        case 2: DrawClipped(gauge, at.x, at.y, 0, 0, w - v + 2, 599); break;
        default: DrawClipped(gauge, at.x, at.y, v + 560, 0, 800, 599); break;
        }
    }
}

void sc_InterFaceOperator::vShowRadar() {
    Draw(pRadarBack, layout::kRadarBack.x, layout::kRadarBack.y);
    Draw(pRadarCanvas, oRadarPoint.x, oRadarPoint.y);
    if (g_pWorkBuffer && g_pWorkSurface)
        v_Blt555Key(oRadarPoint.x, oRadarPoint.y, kCanvas, kCanvas, g_pWorkSurface->lGetWidth(),
                    g_pWorkSurface->lGetHeight(), oCanvas.data(), g_pWorkBuffer);
    // Dots show for the one frame that plotted them.
    oCanvas.fill(0);

    if (oZoomButton.lShow() && LeftPressed() && pForm) {
        pForm->lRadarScale += kZoomStep;
        if (pForm->lRadarScale > kZoomMax) pForm->lRadarScale = kZoomStep;
        oScaleNumber.vSetNumber(pForm->lRadarScale);
    }
    oScaleSign.vShow();
    oScaleNumber.vShow();
}

void sc_InterFaceOperator::vShowMoney() {
    if (bNetwork()) return;
    Draw(pMoneyBack, layout::kMoneyBack.x, layout::kMoneyBack.y);
    if (const sc_Character* c = Character(pForm); c && c->lScore != lMoneyShown) {
        lMoneyShown = c->lScore;
        oMoney.vSetNumber(lMoneyShown);
    }
    oMoney.vShow();
}

void sc_InterFaceOperator::vRaiseMoney(int32_t lAmount) {
    lMoneyShown += lAmount;
    oMoney.vSetNumber(lMoneyShown);
}

void sc_InterFaceOperator::vShowWeapons() {
    const layout::Pos shown = layout::kWeaponsShown, hidden = layout::kWeaponsHidden;
    const bool sliding = lWeaponsProgress < 100;
    if (sliding) lWeaponsProgress = std::min(lWeaponsProgress + kSlideStepWeapons, 100);
    const int32_t p = lWeaponsProgress;
    const layout::Pos from = bWeaponsHidden ? shown : hidden, to = bWeaponsHidden ? hidden : shown;
    oWeaponsPoint.oSet(from.x + (to.x - from.x) * p / 100, from.y + (to.y - from.y) * p / 100);
    const bool done = lWeaponsProgress >= 100;
    if (!done || !bWeaponsHidden) {
        const layout::Size s = layout::kWeaponsPanel;
        DrawClipped(pWeaponsPicture, oWeaponsPoint.x, oWeaponsPoint.y, shown.x, shown.y, shown.x + s.w - 1,
                    shown.y + s.h - 1);
    }
    if (done) {
        const layout::Pos rest = bWeaponsHidden ? layout::kWeaponsButtonHidden : layout::kWeaponsButtonShown;
        oWeaponsButton.vSetPosition(rest.x, rest.y);
        oWeaponsButton.vEnable(1);
        for (sc_InterFaceButton& slot : oSlotButtons) slot.vEnable(bWeaponsHidden ? 0 : 1);
        if (!bWeaponsHidden) Draw(pPortrait, layout::kPanelPortrait.x, layout::kPanelPortrait.y);
    }

    if (pForm && done && !bWeaponsHidden) {
        for (int32_t i = 0; i < 3; ++i) {
            sc_Weapons& armed = pForm->pArmedSlots[static_cast<size_t>(i)];
            if (armed.lId < 0) continue;
            sc_InterFaceButton& slot = oSlotButtons[static_cast<size_t>(i)];
            if (slot.lShow() && LeftPressed()) {
                pForm->pArmed = &armed;
                v_PlayInterfaceSound(kUseWeaponSound, 1);
            }
            oAmmo.oPoint.oSet(slot.oPoint.x, slot.oPoint.y + layout::kAmmoBelow);
            oAmmo.vSetNumber(armed.lAmmo);
            oAmmo.vShow();
        }
        for (int32_t i = 0; i < 3; ++i) {
            const sc_Weapons& armed = pForm->pArmedSlots[static_cast<size_t>(i)];
            if (armed.lId < 0 || !pForm->pArmed || pForm->pArmed->lId != armed.lId) continue;
            const sc_InterFaceButton& slot = oSlotButtons[static_cast<size_t>(i)];
            Draw(slot.pGetLookFrame(layout::kLookPressed), slot.oPoint.x, slot.oPoint.y);
            oAmmo.oPoint.oSet(slot.oPoint.x, slot.oPoint.y + layout::kAmmoBelow);
            oAmmo.vSetNumber(pForm->pArmed->lAmmo);
            oAmmo.vShow();
        }
    }

    // Drawn last, over the panel's top edge.
    if (oWeaponsButton.lShow() && LeftPressed()) {
        bWeaponsHidden = bWeaponsHidden ? 0 : 1;
        lWeaponsProgress = 0;
        oWeaponsButton.vEnable(0);
        for (sc_InterFaceButton& slot : oSlotButtons) slot.vEnable(0);
    }
}

void sc_InterFaceOperator::vShowOrders() {
    if (bNetwork()) return;
    if (oListButton.lShow() && LeftPressed()) {
        bListClosed = bListClosed ? 0 : 1;
        lListProgress = 0;
        oScrollBar.bShown = bListClosed ? 0 : 1;
    }
    const bool sliding = lListProgress < 100;
    if (sliding) lListProgress = std::min(lListProgress + kSlideStepList, 100);
    const int32_t top = layout::kOrderList.y;
    const bool done = !sliding;
    if (bListClosed && done) return;
    // While it folds or unfolds the list's point runs between 180 and 210
    // and the orders stand that far apart; unfolded they stand 43 apart.
    const int32_t p = lListProgress;
    oListPoint.y = bListClosed ? 210 - 30 * p / 100 : 180 + 30 * p / 100;
    const int32_t first = oScroll.lGetValue();
    for (int32_t i = 0; i < kShownOrders && first + i < kOrders; ++i) {
        const int32_t order = first + i;
        const int32_t y = (!bListClosed && done) ? top + layout::kOrderPitch * i : top + (oListPoint.y - top) * i;
        sc_InterFaceButton& button = oOrderButtons[static_cast<size_t>(order)];
        sc_TextToPicture& cost = oOrderCosts[static_cast<size_t>(order)];
        button.vSetPosition(layout::kOrderList.x, y);
        cost.oPoint.oSet(layout::kOrderList.x, y);
        if (button.lShow() && LeftPressed()) vUseSlot(order, kOrderCosts[order]);
        cost.vShow();
    }
}

void sc_InterFaceOperator::vUseSlot(int32_t lOrder, int32_t lCost) {
    if (lOrder < 0 || lOrder >= kOrders || !pForm) return;
    // One order at a time, from the purchase until it is carried out: a
    // second one would take the first one's place after its price was paid.
    if (pForm->lOrderSlot != -1 || (g_pAllObject && g_pAllObject->bOrderBusy())) {
        v_PlayInterfaceSound(sc_Form::kRefusedSound, 1);
        return;
    }
    sc_Character* c = Character(pForm);
    if (!c || c->lScore < lCost) return;
    pForm->lOrderSlot = lOrder;
    c->lScore -= lCost;
    vStartRadio();
}

void sc_InterFaceOperator::vStartRadio() {
    if (bRadio) return;
    bRadio = 1;
    oRadio.bLoad(0, 0, layout::kRadioText.x, layout::kRadioText.y, kRadioFile, layout::kRadioLines);
    oRadioSlide.vReset();
}

void sc_InterFaceOperator::vShowRadio() {
    if (!bRadio) return;
    oRadioSlide.vMove(layout::kRadioStart.x, layout::kRadioStart.y, layout::kRadioHome.x, layout::kRadioHome.y, 64);
    Draw(pRadioPictures[0], oRadioSlide.lX + 20, oRadioSlide.lY + 20);
    Draw(pRadioPictures[1], oRadioSlide.lX, oRadioSlide.lY);
    if (oRadio.lShow()) {
        bRadio = 0;
        oRadio.oImage.vFree();
    }
}

void sc_InterFaceOperator::vSetCursorAndFire() {
    if (bWeaponsHidden)
        SetArea(oAreas[kAreaWeapons], 706, 551, 83, 13);
    else
        SetArea(oAreas[kAreaWeapons], 560, 482, 230, 82);
    const bool listOpen = !bNetwork() && !bListClosed;
    SetArea(oAreas[kAreaList], 708, 175, 83, 304);
    int32_t kind = 1;
    const sc_Point& m = g_oMousePoint;
    for (int32_t i = 0; i <= kAreaList; ++i) {
        if (i == kAreaList && !listOpen) continue;
        if (oAreas[static_cast<size_t>(i)].bInside(m.x, m.y)) kind = 0;
    }
    if (g_pCursor) g_pCursor->vSetCursor(kind);
    if (g_pWork) g_pWork->oScene.bFireBlocked = kind == 0 ? 1 : 0;
}

void sc_InterFaceOperator::vShowArrow() {
    const sc_Character* c = Character(pForm);
    if (!c || !pForm->pTarget) return;
    const int32_t d = l_GetDirection16(c->oPosition.x, c->oPosition.y, pForm->pTarget->x, pForm->pTarget->y);
    if (d < 0 || d >= kArrows) return;
    Draw(Frame(pObjects[layout::kObjectPanel], layout::kArrowStatus, 0, d), kArrowPoints[d].x, kArrowPoints[d].y);
}

void sc_InterFaceOperator::vShowRadarPoint(int32_t x, int32_t y, int32_t lColour) {
    const sc_Character* c = Character(pForm);
    const int32_t s = pForm ? pForm->lRadarScale : 0;
    if (!c || s <= 0) return;
    const int32_t px = x / s, py = y / s;
    const int64_t dx = int64_t{c->oPosition.x / s} - px, dy = int64_t{c->oPosition.y / s} - py;
    if (dx * dx + dy * dy >= 3601) return;
    const int64_t cx = px - (int64_t{c->oPosition.x / s} - kCanvas / 2);
    const int64_t cy = py - (int64_t{c->oPosition.y / s} - kCanvas / 2);
    const auto colour = static_cast<uint16_t>(lColour);
    for (int64_t yy = cy; yy < cy + 2; ++yy)
        for (int64_t xx = cx; xx < cx + 2; ++xx)
            if (xx >= 0 && yy >= 0 && xx < kCanvas && yy < kCanvas)
                oCanvas[static_cast<size_t>(yy * kCanvas + xx)] = colour;
}

void v_ShowRadarPoint(int32_t x, int32_t y, int32_t lColour) {
    if (g_pInterFaceOperator) g_pInterFaceOperator->vShowRadarPoint(x, y, lColour);
}
