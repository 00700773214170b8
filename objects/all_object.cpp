#include "objects/all_object.h"

#include <algorithm>
#include <climits>
#include <cmath>
#include <utility>
#include <vector>

#include "engine/blit/blit_bounds.h"
#include "engine/device/dir_surface.h"
#include "engine/device/frame_time.h"
#include "engine/sprite/memory_control.h"
#include "engine/sprite/sprite_tree.h"
#include "game/geometry.h"
#include "game/map.h"
#include "game/work.h"
#include "interface/form.h"
#include "interface/loading.h"
#include "interface/menus.h"
#include "network/dir_play.h"
#include "network/transmit.h"
#include "objects/animal.h"
#include "objects/enemy.h"
#include "objects/thing.h"
#include "platform/random.h"

sc_AllObject* g_pAllObject = nullptr;

namespace {

constexpr const char* kCharStr = "CHAR\\CHAR.STR";
constexpr const char* kCharImg = "CHAR\\CHAR.IMG";
constexpr const char* kSpriteStr = "P_SPRITY\\P_SPRITY.STR";
constexpr const char* kSpriteImg = "P_SPRITY\\P_SPRITY.IMG";
constexpr const char* kOtherStr = "P_OTHER\\P_OTHER.STR";
constexpr const char* kOtherImg = "P_OTHER\\P_OTHER.IMG";
constexpr int32_t kEffectObject = 4, kAirplaneObject = 1;
constexpr int32_t kNetPlayState = 10;
constexpr int32_t kMaxPlayers = 4;
// The word for destroyed, in Big5.
constexpr char kDestroyed[] = "\xBA\x52\xB7\xB4";

int32_t r(int32_t n) {
    return plat::RandScaled(n);
}

void Loading(int32_t lPercent) {
    if (g_pLoading) g_pLoading->vSetPercent(lPercent);
}

sc_GameObject* Get(const char* str, const char* img, int32_t object) {
    return g_pMemoryControl ? g_pMemoryControl->pGetObject(str, img, object) : nullptr;
}

void Free(sc_GameObject*& object) {
    if (object && g_pMemoryControl) g_pMemoryControl->vFree(object);
    object = nullptr;
}

// Start point i of the mission, or (0, 0) outside the eight.
sc_Point StartPoint(int32_t i) {
    if (!g_pMap || i < 0 || i >= sc_Setting::kStartPoints) return {};
    return g_pMap->oSetting.oStartPoint[i];
}

} // namespace

bool b_HasAuthority() {
    return !g_pWork || g_pWork->oScene.bHost;
}

void v_ShowFaded(const sc_GameImg& oFrame, int32_t x, int32_t y, int32_t lLevel) {
    if (!g_pWorkSurface || !g_pWorkBuffer || !oFrame.pGetPixels()) return;
    const int32_t w = g_pWorkSurface->lGetWidth(), h = g_pWorkSurface->lGetHeight();
    const sc_Point at = oFrame.oGetOffset();
    const int64_t ax = int64_t{x} + at.x, ay = int64_t{y} + at.y;
    // Wholly off the surface: nothing to draw (and no sum to overflow).
    if (ax >= w || ay >= h || ax + oFrame.lGetWidth() <= 0 || ay + oFrame.lGetHeight() <= 0) return;
    const auto level = static_cast<uint32_t>(std::clamp(lLevel, 0, 31));
    if (oFrame.pGetAlpha())
        v_Blt555AlphaMapFade(static_cast<int32_t>(ax), static_cast<int32_t>(ay), oFrame.lGetWidth(),
                             oFrame.lGetHeight(), w, h, level, oFrame.pGetAlpha(), oFrame.pGetPixels(),
                             g_pWorkBuffer);
    else
        v_Blt555Alpha(static_cast<int32_t>(ax), static_cast<int32_t>(ay), oFrame.lGetWidth(),
                      oFrame.lGetHeight(), w, h, level, oFrame.pGetPixels(), g_pWorkBuffer);
}

// ------------------------------------------------------------ sc_AllObject

sc_AllObject::sc_AllObject() {
    g_pAllObject = this;
}

sc_AllObject::~sc_AllObject() {
    vClear();
    if (g_pAllObject == this) g_pAllObject = nullptr;
}

void sc_AllObject::vFreeImages() {
    Free(pEffectImage);
    pEffectFrames = nullptr;
    Free(pBomberImage);
    Free(pAirplaneImage);
}

void sc_AllObject::vClear() {
    vFreeImages();
    bAiming = bPending = bThrow = 0;
    bBomberRun6 = bBomberRun5 = 0;
    lBomberState = 0;
    bBomberFrame = 0;
    lBomberNextFrame = 0;
    bAirplaneFlying = 0;
    // A blast burning when its mission ends would strike whatever stands
    // near its point in the next one.
    bBlast = 0;
    bBlastFrame = 0;
    lBlastNextFrame = 0;
    oBomberTarget.oSet(0, 0);
}

void sc_AllObject::vLoadCommon(sc_Point* pViewPoint, bool bNetwork) {
    vClear();
    pView = pViewPoint;
    oAllCharacter.vLoad(pViewPoint);
    if (bNetwork && g_pInterFace) oAllCharacter.lControlled = g_pInterFace->lNetOwnIndex;
    if (!bNetwork) oAllCharacter.lControlled = 0;
    Loading(50 + r(10));
    oAllBullet.vLoad(pViewPoint);
    Loading(55 + r(10));
    oAllProp.vLoad(pViewPoint);
    Loading(60 + r(10));
    oAllMine.vLoad(pViewPoint);
    Loading(65 + r(10));
    oAllDeath.vLoad(pViewPoint);
    Loading(70 + r(10));
    pEffectImage = Get(kSpriteStr, kSpriteImg, kEffectObject);
    if (pEffectImage && pEffectImage->pGetStatusAt(0))
        pEffectFrames = pEffectImage->pGetStatusAt(0)->pGetDirAt(0);
    pAirplaneImage = Get(kOtherStr, kOtherImg, kAirplaneObject);
}

namespace {

sc_Character* AddCharacter(sc_AllCharacter& all, int32_t lIndex, int32_t lModel) {
    sc_Character* c = all.pAdd();
    // A model the pack does not hold (a choice from another machine, a
    // save's form type) leaves the character without pictures.
    c->vLoadImage(kCharStr, kCharImg, lModel >= 0 && lModel < (1 << 20) ? lModel * 2 : -1);
    c->lIndex = lIndex;
    c->oPosition = StartPoint(lIndex);
    c->lModel = lModel;
    c->lMuzzleHeight = 40;
    c->lShotValue = 60;
    return c;
}

} // namespace

void sc_AllObject::vLoad(sc_Point* pViewPoint) {
    vLoadCommon(pViewPoint, false);
    AddCharacter(oAllCharacter, 0, g_pForm ? g_pForm->lFormType : 0);
}

void sc_AllObject::vLoadNet(sc_Point* pViewPoint) {
    vLoadCommon(pViewPoint, true);
    const int32_t players = g_pInterFace ? std::clamp(g_pInterFace->lNetPlayerCount, 0, kMaxPlayers) : 0;
    for (int32_t i = 0; i < players; ++i)
        AddCharacter(oAllCharacter, i, g_pInterFace->pNetCharacter[i]);
    oAllCharacter.vTakePlayers();
    const int32_t own = oAllCharacter.lControlled;
    if (g_pForm && g_pInterFace && own >= 0 && own < kMaxPlayers)
        g_pForm->lFormType = g_pInterFace->pNetCharacter[own];
}

void sc_AllObject::vPrevSortShow() {
    oAllDeath.vPrevSortShow();
    oAllCharacter.vPrevSortShow();
    oAllProp.vShow();
    oAllMine.vShow();
}

void sc_AllObject::vShow() {
    oAllCharacter.vUpdate();
    if (g_pAllThing) g_pAllThing->vUpdate();
    if (g_pAllEnemy) g_pAllEnemy->vUpdate();
    if (g_pAllAnimal) g_pAllAnimal->vUpdate();
    if (b_HasAuthority())
        vHostSend();
    else
        vClientSend();
    if (bShake) {
        if (lShakeSteps < kShakeSteps) {
            sc_Point& view = oAllCharacter.oFollow;
            v_StepShake(oShakeSaved.x - 10, oShakeSaved.y - 10, oShakeSaved.x + 10, oShakeSaved.y + 10,
                        &view.x, &view.y, &lShakeSteps, 2, 8);
        }
        if (lShakeSteps >= kShakeSteps) bShake = 0;
    }
    vAimOrder();
    vTakeOrder();
}

void sc_AllObject::vNextSortShow() {
    vShowBomberRun6();
    vShowBomberRun5();
    vShowAirplane();
    vShowBlast();
    oAllBullet.vMove();
    if (g_pWork && g_pWork->oScene.lState == kNetPlayState) vShowScores();
    vShowOrder();
}

void sc_AllObject::vShowScores() {
    if (!g_pInterFace || !g_pDirPlay || !g_pTextSurface) return;
    sc_DirSurface& text = *g_pTextSurface;
    const int32_t players = std::clamp(g_pInterFace->lNetPlayerCount, 0, kMaxPlayers);
    for (int32_t i = 0; i < players; ++i) {
        const int32_t y = 170 + 20 * i;
        text.vShowString(650, y, oAllCharacter.pPlayerName(i), g_oScreenSize.x, g_oScreenSize.y, g_pWorkBuffer);
        const sc_Character* c = oAllCharacter.pGetCharacter(i);
        if (!c) continue;
        if (c->lHitPoints < 1)
            text.vShowString(730, y, kDestroyed, g_oScreenSize.x, g_oScreenSize.y, g_pWorkBuffer);
        else
            text.vShowNumber(730, y, c->lHitPoints, g_oScreenSize.x, g_oScreenSize.y, g_pWorkBuffer);
    }
}

void sc_AllObject::vStartShake() {
    bShake = 1;
    lShakeSteps = 0;
    oShakeSaved = oAllCharacter.oFollow;
}

namespace {

// The dots j = 0 .. n - 1 of a line lie at from + along * j / n on each
// axis: a run that only grows or only shrinks, so the dots between lo and
// hi are one span of j, [first, end), found by halving.
std::pair<int64_t, int64_t> OnScreenRun(int64_t from, int64_t along, int64_t n, int64_t lo, int64_t hi) {
    const auto at = [&](int64_t j) { return from + along * j / n; };
    const auto first = [&](int64_t begin, auto past) {
        int64_t end = n;
        while (begin < end) {
            const int64_t mid = begin + (end - begin) / 2;
            if (past(at(mid)))
                end = mid;
            else
                begin = mid + 1;
        }
        return begin;
    };
    if (along >= 0) {
        const int64_t in = first(0, [&](int64_t v) { return v >= lo; });
        return {in, first(in, [&](int64_t v) { return v > hi; })};
    }
    const int64_t in = first(0, [&](int64_t v) { return v <= hi; });
    return {in, first(in, [&](int64_t v) { return v < lo; })};
}

} // namespace

void sc_AllObject::vDrawLightning(int32_t x1, int32_t y1, int32_t x2, int32_t y2) {
    if (!g_pWorkBuffer || !g_pWorkSurface) return;
    const int64_t dx = int64_t{x2} - x1, dy = int64_t{y2} - y1;
    const auto length = static_cast<int64_t>(std::sqrt(static_cast<double>(dx * dx + dy * dy)));
    if (length <= 0 || length > INT32_MAX / 2) return;
    const int64_t step = length / 8 + 4;
    // The points of the walk: the first as it is, the inner ones jittered,
    // the end ones within a step of the end straight.
    std::vector<sc_Point> points;
    for (int64_t done = 0; done < length; done += step) {
        int32_t px = x1, py = y1;
        v_GetLinePoint(x1, y1, x2, y2, &px, &py, static_cast<int32_t>(length), static_cast<int32_t>(done));
        if (done > 0 && length - done >= step) {
            px += r(24) - 12;
            py += r(24) - 12;
        }
        points.emplace_back(px, py);
    }
    points.emplace_back(x2, y2);
    const sc_Point view = pView ? *pView : sc_Point();
    const int32_t w = g_pWorkSurface->lGetWidth(), h = g_pWorkSurface->lGetHeight();
    constexpr uint16_t kColour = 29599;
    const int64_t right = std::min(797, w - 2), bottom = std::min(597, h - 2);
    for (size_t i = 1; i < points.size(); ++i) {
        const sc_Point& a = points[i - 1];
        const sc_Point& b = points[i];
        // Only the dots on the screen are visited: the line may reach far
        // beyond it.
        const auto [fromX, toX] = OnScreenRun(a.x - int64_t{view.x}, int64_t{b.x} - a.x, step, 1, right);
        const auto [fromY, toY] = OnScreenRun(a.y - int64_t{view.y}, int64_t{b.y} - a.y, step, 1, bottom);
        for (int64_t j = std::max(fromX, fromY); j < std::min(toX, toY); ++j) {
            const int64_t x = a.x + (int64_t{b.x} - a.x) * j / step - view.x;
            const int64_t y = a.y + (int64_t{b.y} - a.y) * j / step - view.y;
            uint16_t* p = g_pWorkBuffer + y * w + x;
            p[0] = p[1] = p[w] = p[w + 1] = kColour;
        }
    }
}

void sc_AllObject::vHostSend() {
    if (!(lHostSendTime < g_lNowTick)) return;
    lHostSendTime = g_lNowTick + kSendMs;
    oAllCharacter.vSend();
    oAllBullet.vSend();
    if (g_pAllThing) g_pAllThing->vSend();
    oAllProp.vSend();
    if (g_pAllEnemy) g_pAllEnemy->vSend();
    if (g_pTransmit && g_pDirPlay) g_pTransmit->vFlush(g_pDirPlay->lOwnGroupId);
}

void sc_AllObject::vClientSend() {
    if (!(lClientSendTime < g_lNowTick)) return;
    lClientSendTime = g_lNowTick + kSendMs;
    if (g_pTransmit && g_pDirPlay) g_pTransmit->vFlush(g_pDirPlay->lOwnGroupId);
}
