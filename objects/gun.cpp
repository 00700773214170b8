#include "objects/gun.h"

#include <algorithm>
#include <cmath>

#include "engine/device/dir_surface.h"
#include "engine/device/frame_time.h"
#include "engine/device/mouse.h"
#include "engine/sprite/memory_control.h"
#include "engine/sprite/sprite_tree.h"
#include "game/geometry.h"
#include "game/work.h"
#include "interface/form.h"
#include "network/transmit.h"
#include "objects/all_object.h"
#include "objects/bullet.h"
#include "objects/outline.h"
#include "platform/byte_reader.h"
#include "platform/random.h"
#include "platform/trace.h"

namespace {

int32_t Now() { return g_lNowTick; }

// Main weapon kind -> bullet row; a kind outside the table fires row 0.
constexpr int32_t kMainBullet[15] = {26, 41, 27, 29, 50, 51, 10, 15, 19, 24, 24, 26, 18, 18, 17};
// Second weapon kind -> bullet row.
constexpr int32_t kSubBullet[12] = {36, 42, 43, 32, 44, 45, 34, 46, 47, 33, 48, 49};

constexpr int32_t kStandardFlight = 1;
constexpr int32_t kStraightFlight = 0;
constexpr int32_t kHomingFlight = 2;
constexpr int32_t kWaveFlight = 3;
constexpr int32_t kParallelOffset = 16;

// The main weapon is the chosen item card; -1 when there is none.
int32_t MainKind() {
    const sc_Form* f = g_pForm;
    if (!f || f->lItem < 0 || f->lItem >= sc_Form::kItemCards) return -1;
    return f->pItemCards[f->lItem].lId;
}

} // namespace

sc_Gun::~sc_Gun() {
    vClear();
    vFreeImage();
}

void sc_Gun::vClear() { bLeftDouble = bRightDouble = 0; }

void sc_Gun::vSet(sc_Point* pViewPoint, sc_Point* pOwnerPosition, sc_Character* pNewOwner) {
    vClear();
    pView = pViewPoint;
    pPosition = pOwnerPosition;
    pOwner = pNewOwner;
}

void sc_Gun::vLoadImage(const char* pStr, const char* pImg, int32_t lObject) {
    if (!pStr || !pImg) return;
    vFreeImage();
    if (!g_pMemoryControl) return;
    pImage = g_pMemoryControl->pGetObject(pStr, pImg, lObject);
    if (!pImage) return;
    pIdleStatus = pImage->pGetStatusAt(0);
    pFireStatus = pImage->pGetStatusAt(1);
    pStatus = pIdleStatus;
    pDir = pStatus ? pStatus->pGetDirAt(0) : nullptr;
    lDirection = 0;
}

void sc_Gun::vFreeImage() {
    if (pImage && g_pMemoryControl) g_pMemoryControl->vFree(pImage);
    pImage = nullptr;
    pIdleStatus = pFireStatus = pStatus = nullptr;
    pDir = nullptr;
    lDirection = 0;
}

bool sc_Gun::bOwnerIsControlled() const {
    return pOwner && g_pAllCharacter && pOwner->lIndex == g_pAllCharacter->lControlled;
}

bool sc_Gun::bBlocked() const {
    // The panel under the mouse holds back this machine's own player only;
    // a request from another machine was made under that player's panel.
    return bOwnerIsControlled() && g_pWork && g_pWork->oScene.bFireBlocked;
}

void sc_Gun::vStartFireAnimation() {
    bFiring = 1;
    bFrame = 0;
    pStatus = pFireStatus;
    pDir = pStatus ? pStatus->pGetDirAt(lDirection) : nullptr;
}

void sc_Gun::vAimAtMouse() {
    const sc_Point view = pView ? *pView : sc_Point();
    oAim.oSet(view.x + g_oMousePoint.x, view.y + g_oMousePoint.y);
}

void sc_Gun::vFire(int32_t lNewDirection, int32_t bFire) {
    if (bFire) vFireMain();
    vSetDirection(lNewDirection);
}

void sc_Gun::vFireMain() {
    if (g_pAllObject && g_pAllObject->bAiming) return;
    vStartFireAnimation();
    if (!b_HasAuthority() || bBlocked() || !pOwner) return;
    if (bOwnerIsControlled()) vAimAtMouse();
    pOwner->lCharge -= 2 * pOwner->lChargeDrain;
    pOwner->lEnergy -= g_pForm ? g_pForm->lShotMark : 0;
    if (pOwner->lEnergy < 1) pOwner->lEnergy = 0;
    vMakeMainBullets();
}

void sc_Gun::vFireSub() {
    vStartFireAnimation();
    if (!b_HasAuthority() || bBlocked() || !pOwner) return;
    if (bOwnerIsControlled()) vAimAtMouse();
    pOwner->lEnergy -= g_pForm ? g_pForm->lShotMark : 0;
    if (pOwner->lEnergy < 1) pOwner->lEnergy = 0;
    vMakeSubBullets();
}

void sc_Gun::vSetIdle() {
    if (pStatus == pIdleStatus) return;
    bFiring = 0;
    bFrame = 0;
    pStatus = pIdleStatus;
    pDir = pStatus ? pStatus->pGetDirAt(lDirection) : nullptr;
}

void sc_Gun::vSetDirection(int32_t d) {
    if (d < 0 || d > 15 || d == lDirection) return;
    pDir = pStatus ? pStatus->pGetDirAt(d) : nullptr;
    lDirection = d;
}

const sc_GameImgWithShadow* sc_Gun::pGetFrame() {
    if (!pDir || pDir->lGetFrameCount() < 1) return nullptr;
    if (lNextFrame < Now()) {
        lNextFrame = Now() + lFrameTime;
        if (++bFrame >= pDir->lGetFrameCount()) {
            bFrame = 0;
            if (bFiring) vSetIdle();
        }
    }
    if (!pDir || bFrame < 0 || bFrame >= pDir->lGetFrameCount()) bFrame = 0;
    return pDir ? pDir->pGetFrameAt(bFrame) : nullptr;
}

void sc_Gun::vMouseControl() {
    if (!pOwner || !pPosition) return;
    const int32_t now = Now();
    const bool host = b_HasAuthority();
    const sc_Point view = pView ? *pView : sc_Point();
    const int32_t a = l_GetDirection16(pPosition->x, pPosition->y, g_oMousePoint.x + view.x, g_oMousePoint.y + view.y);
    if (pOwner->lCharge < pOwner->lMaxCharge) pOwner->lCharge += 2;

    // A double-click gives one more shot at most, not one a frame.
    if (bLeftDouble) bLeftDouble = g_oGameMouse.bLeftDouble() ? 1 : 0;
    if (bRightDouble) bRightDouble = g_oGameMouse.bRightDouble() ? 1 : 0;
    const int32_t coolDown = pOwner->lEnergy > 100 ? kShortCoolMs : kLongCoolMs;
    // This machine's requests stay home while its panel blocks fire.
    const bool blocked = bBlocked();

    if ((g_oGameMouse.bRightPressed() || (g_oGameMouse.bRightDouble() && !bRightDouble)) && lNextFire < now) {
        lNextFire = now + coolDown;
        bRightDouble = 1;
        if (host) {
            vFireSub();
            vSetDirection(a);
        } else if (!blocked) {
            vSendFire(a, 1);
        }
    }
    if ((g_oGameMouse.bLeftPressed() || (g_oGameMouse.bLeftDouble() && !bLeftDouble)) && lNextFire < now) {
        lNextFire = now + coolDown;
        bLeftDouble = 1;
        if (host)
            vFire(a, 1);
        else if (!blocked)
            vSendFire(a, 1);
    } else {
        if (!host && a != lDirection && lNextAimSend < now) {
            lNextAimSend = now + kAimSendMs;
            vSendFire(a, 0);
        }
        vSetDirection(a);
    }

    if (g_oGameMouse.bLeftButtonHeld()) {
        if (lHoldUntil == 0) {
            lHoldUntil = now + kHoldMs;
            lChargePower = 0;
        } else if (lHoldUntil < now) {
            lChargePower = 0;
            pOwner->lCharge = std::max(pOwner->lCharge - pOwner->lChargeDrain, 0);
        }
    } else {
        if (lHoldUntil != 0 && lHoldUntil < now) {
            lChargePower = pOwner->lMaxCharge - pOwner->lCharge;
            pOwner->lCharge = pOwner->lMaxCharge;
            vAimAtMouse();
            if (!blocked) vSendFire(lDirection, 0);
        }
        lHoldUntil = 0;
    }
    if (pOwner->lEnergy < pOwner->lMaxEnergy) pOwner->lEnergy += pOwner->lEnergyRegen;
}

int32_t sc_Gun::lChargedBullet(int32_t lPower) {
    if (lPower <= 0) return -1;
    if (lPower < 300) return 6;
    if (lPower < 600) return 7;
    return 8;
}

void sc_Gun::vShow() {
    if (!pOwner || !pPosition) return;
    const sc_GameImgWithShadow* f = pGetFrame();
    const sc_Point view = pView ? *pView : sc_Point();
    const int32_t x = l_ScreenOf(pPosition->x, 400, view.x), y = l_ScreenOf(pPosition->y, 300, view.y);
    if (f && pOwner->bVisible && pOwner->lAlpha == 31) {
        // An invisible owner's gun shows faintly on its own machine only.
        if (!pOwner->bInvisible)
            v_ShowPlain(f, x, y);
        else if (bOwnerIsControlled())
            v_ShowFaded(*f, x, y, 8);
    } else if (f) {
        v_ShowFaded(*f, x, y, pOwner->lAlpha);
    }

    if (b_HasAuthority() && !bBlocked() && lChargePower != 0) {
        const int32_t type = lChargedBullet(lChargePower);
        if (type >= 0 && g_pAllBullet)
            g_pAllBullet->pAdd(0, pOwner->lIndex, type, *pPosition, oAim, pOwner->bOnKind3Cell, kStraightFlight,
                               plat::RandScaled(3), pOwner->lMuzzleHeight, pOwner->lShotValue);
        lChargePower = 0;
    }
}

void sc_Gun::vMakeRecord(int32_t d, int32_t bFire, ss_FireRecord& rec) const {
    rec.lIndex = pOwner ? pOwner->lIndex : 0;
    rec.bFire = bFire;
    rec.lDirection = d;
    rec.oAim = oAim.oPlain();
    rec.lChargePower = lChargePower;
    rec.oOwner = pPosition ? pPosition->oPlain() : ss_PlainPoint{};
}

void sc_Gun::vSendFire(int32_t d, int32_t bFire) {
    if (b_HasAuthority()) return;
    vAimAtMouse();
    ss_FireRecord rec;
    vMakeRecord(d, bFire, rec);
    v_SendRecord(rec);
    lHoldUntil = 0;
    // The release has gone out once; later aim and fire records must not
    // make the authority fire it again.
    lChargePower = 0;
}

// ---------------------------------------------------------------- the shots

void sc_Gun::vShot(int32_t lType, sc_Point oTarget, int32_t lFlight, int32_t lSide) {
    if (!g_pAllBullet || !pOwner || !pPosition) return;
    g_pAllBullet->pAdd(0, pOwner->lIndex, lType, *pPosition, oTarget, pOwner->bOnKind3Cell, lFlight, lSide,
                       pOwner->lMuzzleHeight, pOwner->lShotValue);
}

void sc_Gun::vMakeMainBullets() {
    if (!pOwner || !pPosition) return;
    int32_t kind = -1;
    if (g_pWork && g_pWork->oScene.lState == sc_Scene::kStateNetPlay)
        kind = pOwner->lModel * 3;
    else
        kind = MainKind();
    const bool known = kind >= 0 && kind < 15;
    const int32_t type = known ? kMainBullet[kind] : 0;
    const sc_Point p = *pPosition;
    const sc_Point v(oAim.x - p.x, oAim.y - p.y);
    auto turned = [&](int32_t angle) {
        const sc_Point r = o_RotatePoint(v, angle);
        return sc_Point(p.x + r.x, p.y + r.y);
    };
    if (kind == 10) {
        for (int32_t angle : {15, -15}) vShot(type, turned(angle), kStraightFlight, 0);
    } else if (kind == 11) {
        for (int32_t angle : {15, -15, 30, -30}) vShot(type, turned(angle), kStraightFlight, 0);
    } else if (kind == 13) {
        vShot(type, oAim, kWaveFlight, plat::RandScaled(2));
    } else if (kind == 14) {
        vShot(type, oAim, kWaveFlight, 0);
        vShot(type, oAim, kWaveFlight, 1);
    }
    vShot(type, oAim, kStandardFlight, 0);
}

void sc_Gun::vMakeSubBullets() {
    sc_Weapons* card = g_pForm ? g_pForm->pArmed : nullptr;
    if (!card || !pPosition || card->lAmmo <= 0 || card->lId == -1) return;
    const int32_t kind = card->lId;
    const bool known = kind >= 0 && kind < 12;
    const int32_t type = known ? kSubBullet[kind] : 0;
    const sc_Point p = *pPosition;
    bool standard = true;
    if (kind >= 3 && kind <= 8) {
        vShot(type, oAim, kHomingFlight, 0);
        standard = false;
    } else if (kind == 10 || kind == 11) {
        for (int32_t offset : {-kParallelOffset, kParallelOffset}) {
            if (offset > 0 && kind == 10) break;
            sc_Point from, to;
            v_GetParallelLine(p.x, p.y, oAim.x, oAim.y, &from, &to, offset);
            if (g_pAllBullet && pOwner)
                g_pAllBullet->pAdd(0, pOwner->lIndex, type, from, to, pOwner->bOnKind3Cell, kStraightFlight, 0,
                                   pOwner->lMuzzleHeight, pOwner->lShotValue);
        }
    }
    if (standard) vShot(type, oAim, kStandardFlight, 0);
    card->lAmmo = std::max(card->lAmmo - 1, 0);
}

void v_DrawCrossHair() {
    if (!g_pWorkBuffer || !g_pWorkSurface) return;
    constexpr uint16_t kGreen = 992;
    constexpr int32_t kArm = 10;
    const int32_t w = g_pWorkSurface->lGetWidth(), h = g_pWorkSurface->lGetHeight();
    const sc_Point m = g_oMousePoint;
    for (int32_t d = -kArm; d <= kArm; ++d) {
        if (m.y >= 0 && m.y < h && m.x + d >= 0 && m.x + d < w) g_pWorkBuffer[m.y * w + m.x + d] = kGreen;
        if (m.x >= 0 && m.x < w && m.y + d >= 0 && m.y + d < h) g_pWorkBuffer[(m.y + d) * w + m.x] = kGreen;
    }
}

std::vector<sc_Point> o_TrailPoints(int32_t x1, int32_t y1, int32_t x2, int32_t y2) {
    const int64_t dx = int64_t{x2} - x1, dy = int64_t{y2} - y1;
    const auto length = static_cast<int64_t>(std::sqrt(static_cast<double>(dx * dx + dy * dy)));
    std::vector<sc_Point> points{sc_Point(x1, y1)};
    // A length past what the line walk takes is not a trail anyone draws.
    if (length <= 0 || length > INT32_MAX / 2) return points;
    const int64_t step = length / 16 + 4;
    for (int64_t done = step; done <= length; done += step) {
        int32_t px = x1, py = y1;
        v_GetLinePoint(x1, y1, x2, y2, &px, &py, static_cast<int32_t>(length), static_cast<int32_t>(done));
        points.emplace_back(px + plat::RandScaled(12) - 6, py + plat::RandScaled(12) - 6);
    }
    return points;
}

void v_DrawSpriteTrail(const sc_GameDir* pFrames, const sc_Point& oView, int32_t x1, int32_t y1, int32_t x2,
                       int32_t y2) {
    const sc_GameImgWithShadow* picture = pFrames ? pFrames->pFirstFrame() : nullptr;
    if (!picture || !g_pWorkSurface) return;
    // Pictures are placed by the screen's centre, as every sprite is.
    for (const sc_Point& p : o_TrailPoints(x1, y1, x2, y2))
        picture->vShow(p.x - oView.x - 400, p.y - oView.y - 300, g_pWorkSurface);
}
