#include "objects/character.h"

#include <algorithm>
#include <climits>
#include <cmath>
#include <functional>

#include "engine/device/dir_key.h"
#include "engine/device/dir_surface.h"
#include "engine/device/frame_time.h"
#include "engine/sprite/memory_control.h"
#include "engine/sprite/sprite_tree.h"
#include "game/geometry.h"
#include "game/map.h"
#include "game/map_sort.h"
#include "game/sound.h"
#include "game/work.h"
#include "interface/form.h"
#include "interface/operator_panel.h"
#include "network/dir_play.h"
#include "network/transmit.h"
#include "objects/all_object.h"
#include "objects/bullet.h"
#include "objects/enemy.h"
#include "objects/prop.h"
#include "objects/thing.h"
#include "platform/input.h"
#include "platform/random.h"
#include "platform/trace.h"

sc_AllCharacter* g_pAllCharacter = nullptr;

namespace {

// Hit points, drain, attack and defence may come from a peer's records: a
// loss stops at the ends of the range rather than wrapping past them.
int32_t Less(int32_t lValue, int64_t lLoss) {
    return static_cast<int32_t>(std::clamp<int64_t>(int64_t{lValue} - lLoss, INT32_MIN, INT32_MAX));
}

constexpr const char* kWalkSound = "WAV\\CHARWALK.WAV";
constexpr const char* kFlySound = "WAV\\CHARFLY.WAV";
constexpr const char* kFlyTalkSound = "WAV\\CHARFLYTALK.WAV";
constexpr const char* kHitSound = "WAV\\ONATTACK.WAV";
constexpr int32_t kWalkSoundMs = 400;
constexpr int32_t kTimerMs = 10'000;
// The map's margin that no character steps into.
constexpr int32_t kMargin = 16;
constexpr int32_t kNetPlayState = 10;

int32_t Now() {
    return g_lNowTick;
}

bool NetworkBattle() {
    return g_pWork && g_pWork->oScene.lState == kNetPlayState;
}

sc_Point MapSize() {
    return g_pMap ? g_pMap->oBackground.oMapSize : sc_Point();
}

// The screen offset of a map position: every object's picture is placed
// with its anchor (400, 300) of the pack's canvas on the position.
int16_t ScreenX(int32_t x) {
    return static_cast<int16_t>(int64_t{x} - 400);
}
int16_t ScreenY(int32_t y) {
    return static_cast<int16_t>(int64_t{y} - 300);
}

// Where a map coordinate lands on the work surface; positions from the
// network may lie anywhere, so the sum is kept within 32 bits.
int32_t OnSurface(int32_t p, int32_t anchor, int32_t view) {
    return static_cast<int32_t>(std::clamp<int64_t>(int64_t{p} - anchor - view, INT32_MIN, INT32_MAX));
}

// Sprite directions of more than 127 frames are outside the frame index.
int32_t Frames(const sc_GameDir* dir) {
    return dir ? std::min(dir->lGetFrameCount(), 127) : 0;
}

struct ss_Quad {
    int16_t x[4], y[4];
};

// Marks 0, 3, 1, 2 (left, top, right, bottom) of a direction around a
// position, in 16-bit map pixels.
ss_Quad QuadOf(const sc_GameDir& dir, const sc_Point& at) {
    static constexpr int32_t kOrder[4] = {0, 3, 1, 2};
    ss_Quad q{};
    for (int32_t i = 0; i < 4; ++i) {
        const sc_GamePoint m = dir.oGetMark(kOrder[i]);
        q.x[i] = static_cast<int16_t>(ScreenX(at.x) + m.x);
        q.y[i] = static_cast<int16_t>(ScreenY(at.y) + m.y);
    }
    return q;
}

bool Overlap(const ss_Quad& a, const ss_Quad& b) {
    return l_IsQuadOverlap(a.x[0], a.y[0], a.x[1], a.y[1], a.x[2], a.y[2], a.x[3], a.y[3], b.x[0], b.y[0],
                           b.x[1], b.y[1], b.x[2], b.y[2], b.x[3], b.y[3]) != 0;
}

int32_t Wrap16(int32_t d) {
    return d >= 16 ? 0 : d < 0 ? 15 : d;
}

} // namespace

// ------------------------------------------------------------ sc_Character

sc_Character::~sc_Character() {
    vClear();
}

void sc_Character::vClear() {
    vResetState();
    sc_NodeEx::vClear();
}

void sc_Character::vResetState() {
    bPresent = 0;
    lFrameTime = 50;
    lNextFrame = 0;
    bFrame = 0;
    lNextEffectFrame = 0;
    bEffectFrame = 0;
    vFreeImage();
}

void sc_Character::vSetUp(sc_Point* pViewPoint) {
    vClear();
    pView = pViewPoint;
    oWalkStep.oSet(12, 6);
    oFlyStep.oSet(24, 12);
    oStep = oWalkStep;
    oGun.vSet(pViewPoint, &oPosition, this);
    lMaxHitPoints = lHitPoints = 10000;
    lMaxFly = lFly = 1000;
    lMaxCharge = lCharge = 1000;
    lMaxEnergy = lEnergy = 1000;
    lFlyCost = 5;
    lFlyRegen = 10;
    lChargeDrain = 10;
    lEnergyRegen = 5;
}

void sc_Character::vLoadImage(const char* pStr, const char* pImg, int32_t lObject) {
    if (!pStr || !pImg) return;
    vFreeImage();
    if (!g_pMemoryControl) return;
    pImage = g_pMemoryControl->pGetObject(pStr, pImg, lObject);
    if (!pImage) return;
    pStandStatus = pImage->pGetStatusAt(kStandStatus);
    pMoveStatus = pImage->pGetStatusAt(kWalkStatus);
    pDeathStatus = pImage->pGetStatusAt(kDeathStatus);
    pStatus = pStandStatus;
    lFacing = 0;
    lShownDir = 0;
    pDir = pDirOf(pStatus);
    oGun.vLoadImage(pStr, pImg, lObject + 1);
    // A body without a standing picture is not shown.
    bPresent = pDir ? 1 : 0;
}

void sc_Character::vFreeImage() {
    if (pImage) {
        if (g_pMemoryControl) g_pMemoryControl->vFree(pImage);
        pImage = nullptr;
        pStandStatus = pMoveStatus = pDeathStatus = pStatus = nullptr;
        pDir = nullptr;
        lFacing = 0;
    }
    oGun.vFreeImage();
    bPresent = 0;
}

sc_GameDir* sc_Character::pDirOf(sc_GameStatus* pOfStatus) const {
    if (!pOfStatus || pOfStatus->lGetDirCount() == 0) return nullptr;
    const int32_t count = pOfStatus->lGetDirCount();
    int32_t d = lShownDir;
    if (bFlying || (pOfStatus == pDeathStatus)) d /= 2;
    // A status of fewer directions shown while not flying (the legs still
    // in the air) takes the nearest of its own.
    if (d >= count) d = lShownDir * count / 16;
    return pOfStatus->pGetDirAt(std::clamp(d, 0, count - 1));
}

bool sc_Character::bIsDying() const {
    return pStatus && pStatus == pDeathStatus;
}

bool sc_Character::bIsControlled() const {
    return g_pAllCharacter && g_pAllCharacter->lControlled == lIndex;
}

void sc_Character::vSetFacing(int32_t lDirection) {
    if (lDirection < 0 || lDirection > 15) return;
    lFacing = lDirection;
    pDir = pDirOf(pStatus);
}

void sc_Character::vWalk(int32_t lDirection) {
    if (lHitPoints <= 0) return;
    const bool host = b_HasAuthority();
    if (host && bFlying) {
        if (lFly > lFlyCost) {
            lFly -= lFlyCost;
        } else {
            lFly = 0;
            vFly(0);
        }
    }
    if (!host && lFly == 0) vFly(0);
    if (host && lDrain != 0) lHitPoints = Less(lHitPoints, lDrain);
    pStatus = pMoveStatus;
    bMoving = 1;
    // The body keeps facing its way, or a right angle to it; otherwise it
    // looks where the gun points. Flying, it faces the way it goes.
    if (bFlying || lShownDir == lFacing || l_IsSide16(lFacing, lShownDir))
        lShownDir = lFacing;
    else
        lShownDir = oGun.lDirection;

    // The step follows the facing held so far; the new direction steers
    // the next one.
    const int32_t sx = oStep.x, sy = oStep.y;
    static constexpr int32_t kVector[8][2] = {{0, -1}, {1, -1}, {1, 0},  {1, 1},
                                              {0, 1},  {-1, 1}, {-1, 0}, {-1, -1}};
    const int32_t* v = kVector[(lFacing & 15) / 2];
    const int32_t vx = v[0] * sx, vy = v[1] * sy;
    oPosition.oOffset(vx, vy);

    if (lNextWalkSound < Now()) {
        lNextWalkSound = Now() + kWalkSoundMs;
        v_PlaySound(kWalkSound, 0);
    }

    // Probe a little further on, half a cell ahead in the step's sense.
    const int32_t px = vx < 0 ? -16 : 16, py = vy < 0 ? -8 : 8;
    oPosition.oOffset(px, py);
    if (host) {
        if (bIsBlocked()) {
            oPosition.oOffsetBack(vx, vy);
            bBlocked = 1;
        } else {
            bBlocked = 0;
        }
    }
    oPosition.oOffsetBack(px, py);
    vSetFacing(lDirection);
}

bool sc_Character::bIsBlocked() {
    const sc_Point size = MapSize();
    const int32_t x = oPosition.x, y = oPosition.y;
    if (x <= kMargin || x >= size.x - kMargin || y <= kMargin || y >= size.y - kMargin) return true;
    if (g_pMap && g_pMap->oSetting.oMapLocate.bIsBlocked(oPosition)) return true;
    if (g_pAllCharacter && g_pAllCharacter->bHitTest(this)) return true;
    // A thing in the way is pushed; an item underfoot is taken.
    if (g_pAllThing && g_pAllThing->bHitCharacter(this)) return true;
    if (g_pAllProp && g_pAllProp->bPickUp(this)) return true;
    return g_pAllMine && g_pAllMine->bHitCharacter(this);
}

void sc_Character::vStop() {
    if (bIsDying()) return;
    // The step's animation runs its first quarter before the stop.
    if (pStatus && pStatus == pMoveStatus && bFrame < Frames(pDir) / 4) return;
    pStatus = pStandStatus;
    bMoving = 0;
    bFrame = 0;
    vSetFacing(lFacing);
    if (b_HasAuthority() && !bFlying) lFly = std::min(lFly + lFlyRegen, lMaxFly);
}

void sc_Character::vFly(int32_t bOn) {
    if (bOn && lFly < 1) return;
    bFlying = bOn;
    sc_GameStatus* fly = pImage ? pImage->pGetStatusAt(kFlyStatus) : nullptr;
    sc_GameStatus* walk = pImage ? pImage->pGetStatusAt(kWalkStatus) : nullptr;
    if (bOn) {
        if (pMoveStatus != fly) {
            v_PlaySound(kFlySound, 0);
            if (plat::RandScaled(6) == 0) v_PlaySound(kFlyTalkSound, 0);
            bFrame = 0;
        }
        pMoveStatus = fly;
        oStep = oFlyStep;
    } else {
        if (pMoveStatus != walk) bFrame = 0;
        pMoveStatus = walk;
        oStep = oWalkStep;
    }
}

void sc_Character::vDie() {
    if (bIsDying()) return;
    // Without a death to show, the character is gone at once.
    if (!pDeathStatus || !bPresent) {
        bRemainsDone = 1;
        return;
    }
    pStatus = pDeathStatus;
    bFrame = 0;
    vSetFacing(lFacing / 2);
}

void sc_Character::vSetInvisible(int32_t bOn) {
    if (bOn == bInvisible) return;
    bInvisible = bOn;
    if (bOn) lInvisibleUntil = Now() + kTimerMs;
}

void sc_Character::vSetDrain(int32_t lValue) {
    lDrain = lValue;
    if (lValue) lDrainUntil = Now() + kTimerMs;
}

void sc_Character::vAddSort() {
    if (!bPresent || !pDir) return;
    // The body turns away from the gun's opposite a step a frame, legs
    // moving; a fallen body does not turn (it would rise from its death).
    const int32_t gun = oGun.lDirection;
    if (lHitPoints >= 1 && !bFlying && !l_IsNotOpposite16(gun, lShownDir)) {
        const int32_t a = Wrap16(lShownDir + 1), b = Wrap16(lShownDir - 1);
        if (!l_IsNotOpposite16(gun, a))
            lShownDir = b;
        else if (!l_IsNotOpposite16(gun, b))
            lShownDir = a;
        if (pMoveStatus) pStatus = pMoveStatus;
        vSetFacing(lFacing);
        if (!pDir) return;
    }
    if (b_HasAuthority()) {
        if (bInvisible && lInvisibleUntil < Now()) vSetInvisible(0);
        if (lDrain != 0 && lDrainUntil < Now()) vSetDrain(0);
    }
    if (g_pMapSort) {
        const int16_t sx = ScreenX(oPosition.x), sy = ScreenY(oPosition.y);
        const sc_GamePoint m0 = pDir->oGetMark(0), m1 = pDir->oGetMark(1), m2 = pDir->oGetMark(2);
        g_pMapSort->vAdd(static_cast<int16_t>(sx + m0.x), static_cast<int16_t>(sy + m0.y),
                         static_cast<int16_t>(sx + m1.x), static_cast<int16_t>(sy + m1.y),
                         static_cast<int16_t>(sx + m2.x), static_cast<int16_t>(sy + m2.y),
                         sc_MapSort::kCharacter, this, 0);
    }
    bOnKind3Cell = g_pMap && g_pMap->oSetting.oMapLocate.lGetCell(oPosition) == 3 ? 1 : 0;
}

const sc_GameImgWithShadow* sc_Character::pGetFrame() {
    if (!pDir) return nullptr;
    const int32_t frames = Frames(pDir);
    if (frames == 0) return bIsDying() ? pGetRemainsFrame() : nullptr;
    const bool dying = bIsDying();
    if (lNextFrame < Now()) {
        lNextFrame = Now() + lFrameTime;
        if (dying) {
            if (bFrame < frames) ++bFrame;
        } else if (!l_IsNotOpposite16(lFacing, lShownDir)) {
            // Walking backwards runs the step the other way.
            bFrame = static_cast<int8_t>(bFrame <= 0 || bFrame > frames ? frames - 1 : bFrame - 1);
        } else {
            bFrame = static_cast<int8_t>(bFrame + 1 >= frames ? 0 : bFrame + 1);
        }
    }
    if (dying && bFrame >= frames) return pGetRemainsFrame();
    if (bFrame < 0 || bFrame >= frames) bFrame = 0;
    return pDir->pGetFrameAt(bFrame);
}

const sc_GameImgWithShadow* sc_Character::pGetRemainsFrame() {
    const sc_GameObject* hit = g_pAllObject ? g_pAllObject->oAllBullet.pHitObject : nullptr;
    const sc_GameStatus* status = hit ? hit->pGetStatusAt(0) : nullptr;
    const sc_GameDir* first = status ? status->pGetDirAt(0) : nullptr;
    const sc_GameDir* shown = status ? status->pGetDirAt(2) : nullptr;
    // The remains run direction 0's count of direction 2's frames, no more
    // than direction 2 holds; without them the character is simply gone.
    const int32_t frames = std::min(Frames(first), Frames(shown));
    if (frames == 0) {
        bRemainsDone = 1;
        return nullptr;
    }
    if (lNextRemainsFrame < Now()) {
        lNextRemainsFrame = Now() + lFrameTime;
        ++bRemainsFrame;
        if (bRemainsFrame >= frames) {
            bRemainsFrame = 0;
            bRemainsDone = 1;
        }
    }
    return shown->pGetFrameAt(bRemainsFrame);
}

const sc_GameImgWithShadow* sc_Character::pGetEffectFrame() {
    const sc_GameObject* effect = g_pAllObject ? g_pAllObject->oAllBullet.pEffectObject : nullptr;
    const sc_GameStatus* status = effect ? effect->pGetStatusAt(0) : nullptr;
    const sc_GameDir* dir = status ? status->pGetDirAt(0) : nullptr;
    const int32_t frames = Frames(dir);
    if (frames == 0) return nullptr;
    if (lNextEffectFrame < Now()) {
        lNextEffectFrame = Now() + lFrameTime;
        bEffectFrame = static_cast<int8_t>(bEffectFrame + 1 >= frames ? 0 : bEffectFrame + 1);
    }
    return dir->pGetFrameAt(bEffectFrame);
}

void sc_Character::vShow() {
    if (!bPresent) return;
    const sc_GameImgWithShadow* f = pGetFrame();
    const sc_Point view = pView ? *pView : sc_Point();
    const int32_t x = OnSurface(oPosition.x, 400, view.x), y = OnSurface(oPosition.y, 300, view.y);
    if (f) {
        if (!bVisible || lAlpha < 31) {
            lAlpha = bVisible ? std::min(lAlpha + 1, 31) : std::max(lAlpha - 1, 0);
            v_ShowFaded(*f, x, y, lAlpha);
        } else if (bInvisible) {
            // Only its own player sees an invisible character, faintly.
            if (bIsControlled()) v_ShowFaded(*f, x, y, 8);
        } else if (g_pWorkSurface) {
            f->vShow(x, y, g_pWorkSurface);
        }
    }
    if (!bFlying && !bIsDying()) oGun.vShow();
    if (NetworkBattle() && g_pAllCharacter && g_pTextSurface)
        g_pTextSurface->vShowString(OnSurface(oPosition.x, 25, view.x), OnSurface(oPosition.y, 100, view.y),
                                    g_pAllCharacter->pPlayerName(lIndex), g_oScreenSize.x, g_oScreenSize.y,
                                    g_pWorkBuffer);
}

bool sc_Character::bOverlaps(const sc_GameDir* pOtherDir, const sc_Point& oOtherPosition) const {
    if (!pDir || !pOtherDir) return false;
    return Overlap(QuadOf(*pDir, oPosition), QuadOf(*pOtherDir, oOtherPosition));
}

bool sc_Character::bHitCharacter(const sc_Character* pOther) const {
    if (!pOther || pOther == this || bDeparted || pOther->bDeparted) return false;
    return bOverlaps(pOther->pDir, pOther->oPosition);
}

bool sc_Character::bHitEnemy(const sc_Enemy* pEnemy) const {
    if (!pEnemy || bDeparted) return false;
    return bOverlaps(pEnemy->pDir, pEnemy->oPos);
}

bool sc_Character::bHitBullet(const sc_Bullet* pBullet) {
    if (!pBullet || bDeparted) return false;
    // A character's own shots pass through it.
    if (pBullet->lOwnerKind == 0 && pBullet->lOwnerId == lIndex) return false;
    if (!bOverlaps(pBullet->pFlyDir, pBullet->oPos)) return false;
    // X held keeps this machine's characters whole; the others still apply
    // the damage, and the authority's records prevail.
    if (!(g_pDirKey && g_pDirKey->bIsKeyDown(plat::key::X))) {
        const int64_t damage = int64_t{pBullet->lAttack} - lDefence;
        lHitPoints = Less(lHitPoints, damage <= 0 ? 50 : damage);
    }
    if (g_pAllObject)
        g_pAllObject->oAllBullet.vFire(0, lIndex, plat::RandScaled(6), oPosition, pView ? *pView : sc_Point(),
                                       1, 4);
    if (plat::RandScaled(5) == 0) v_PlaySound(kHitSound, 0);
    return true;
}

ss_WalkRecord sc_Character::oWalkRecord(int32_t lDirection) const {
    ss_WalkRecord r;
    r.lIndex = lIndex;
    r.lDirection = lDirection;
    r.bMoving = bMoving;
    r.bFlying = bFlying;
    r.oPos = oPosition.oPlain();
    return r;
}

ss_StateRecord sc_Character::oStateRecord() const {
    ss_StateRecord r;
    r.lIndex = lIndex;
    r.oPos = oPosition.oPlain();
    r.bPresent = bPresent;
    r.lFacing = lFacing;
    r.bMoving = bMoving;
    r.bBlocked = bBlocked;
    r.lGunDirection = oGun.lDirection;
    r.bGunFiring = oGun.bFiring;
    r.lHitPoints = lHitPoints;
    r.lFly = lFly;
    r.bFlying = bFlying;
    r.bInvisible = bInvisible;
    r.lDrain = lDrain;
    r.lScore = lScore;
    r.bNear = bNear;
    r.lShownDir = lShownDir;
    return r;
}

void sc_Character::vPack() const { v_SendRecord(oStateRecord()); }

void sc_Character::vSendWalk(int32_t lDirection) const { v_SendRecord(oWalkRecord(lDirection)); }

void sc_Character::vUnpack(const ss_StateRecord& r) {
    lHitPoints = r.lHitPoints;
    lFly = r.lFly;
    lScore = r.lScore;
    bNear = r.bNear;
    vSetInvisible(r.bInvisible);
    vSetDrain(r.lDrain);
    vApplyState(sc_Point(r.oPos.x, r.oPos.y), r.bPresent, r.lFacing, r.bMoving, r.bBlocked);
    // A falling body keeps its death: the state of the living does not
    // restart it.
    if ((!bIsControlled() || r.bGunFiring) && !bIsDying()) {
        lShownDir = r.lShownDir;
        oGun.vFire(r.lGunDirection, r.bGunFiring);
        vFly(r.bFlying);
    }
}

bool sc_Character::bTakePeerShot() {
    // Theoretical time of the next shot: a shot may come one cool-down
    // early, since records bunch up on the way, but not two.
    constexpr int32_t kCool = sc_Gun::kShortCoolMs;
    if (l_MsSince(lPeerShotDue) < -kCool) return false;
    if (l_MsSince(lPeerShotDue) > 0) lPeerShotDue = g_lNowTick;
    lPeerShotDue += kCool;
    return true;
}

void sc_Character::vApplyState(const sc_Point& oNewPosition, int32_t bNewPresent, int32_t lNewFacing,
                               int32_t bNewMoving, int32_t bNewBlocked) {
    const bool controlled = bIsControlled();
    // The authority took the own step back.
    if (bNewBlocked && controlled) oPosition = oNewPosition;
    if (controlled) return;
    oPosition = oNewPosition;
    bPresent = bNewPresent && pDir ? 1 : 0;
    bMoving = bNewMoving;
    if (bIsDying()) return;
    if (!bNewMoving) {
        if (pStatus != pStandStatus) bFrame = 0;
        pStatus = pStandStatus;
    } else if (pMoveStatus) {
        pStatus = pMoveStatus;
    }
    vSetFacing(lNewFacing);
}

// --------------------------------------------------------- sc_AllCharacter

sc_AllCharacter::sc_AllCharacter() {
    g_pAllCharacter = this;
}

sc_AllCharacter::~sc_AllCharacter() {
    vClear();
    if (g_pAllCharacter == this) g_pAllCharacter = nullptr;
}

void sc_AllCharacter::vClear() {
    // The form's character and target point into the characters.
    if (g_pForm) {
        for (int32_t i = 0; i < oList.lGetCount(); ++i) {
            const sc_Character* c = pGetCharacter(i);
            const auto begin = reinterpret_cast<uintptr_t>(c), end = begin + sizeof(sc_Character);
            const auto target = reinterpret_cast<uintptr_t>(g_pForm->pTarget);
            if (target >= begin && target < end) g_pForm->pTarget = nullptr;
            if (g_pForm->pCharacter == c) g_pForm->pCharacter = nullptr;
        }
    }
    oList.vClear();
    bLoaded = 0;
    lNextStep = 0;
    lMeetings = 0;
    oPlayers = {};
    lNextWatch = 0;
}

void sc_AllCharacter::vLoad(sc_Point* pViewPoint) {
    vClear();
    pView = pViewPoint;
    bLoaded = 1;
}

sc_Character* sc_AllCharacter::pAdd() {
    sc_Character prototype;
    prototype.vSetUp(pView);
    oList.vAdd(&prototype);
    sc_Character* c = pGetCharacter(oList.lGetCount() - 1);
    if (c) c->vSetUp(pView);
    return c;
}

void sc_AllCharacter::vTakePlayers() {
    oPlayers = {};
    if (!g_pDirPlay) return;
    for (size_t i = 0; i < oPlayers.size(); ++i)
        oPlayers[i] = {g_pDirPlay->oPlayerTable[i].lId, g_pDirPlay->oPlayerTable[i].szName};
}

const char* sc_AllCharacter::pPlayerName(int32_t lIndex) const {
    return lIndex >= 0 && lIndex < kBattlePlayers ? oPlayers[static_cast<size_t>(lIndex)].oName.c_str() : "";
}

void sc_AllCharacter::vWatchPlayers() {
    if (!NetworkBattle() || !g_pDirPlay || g_pDirPlay->lOwnGroupId == 0) return;
    if (static_cast<int32_t>(static_cast<uint32_t>(lNextWatch) - static_cast<uint32_t>(Now())) > 0) return;
    lNextWatch = Now() + kWatchMs;
    // An enumeration that fails (the session moving to a new host) says
    // nothing about who left.
    if (!g_pDirPlay->bEnumGroupPlayers(g_pDirPlay->lOwnGroupId)) return;
    const auto& table = g_pDirPlay->oPlayerTable;
    for (int32_t i = 0; i < std::min(oList.lGetCount(), kBattlePlayers); ++i) {
        const uint32_t id = oPlayers[static_cast<size_t>(i)].lId;
        if (id != 0 && std::none_of(table.begin(), table.end(), [&](const auto& p) { return p.lId == id; }))
            vDepart(i);
    }
}

void sc_AllCharacter::vDepart(int32_t lIndex) {
    sc_Character* c = pGetCharacter(lIndex);
    if (!c || c->bDeparted || lIndex == lControlled) return;
    c->bDeparted = 1;
    // Out of every count: fallen, and its remains gone with it.
    c->lHitPoints = 0;
    c->bRemainsDone = 1;
    c->bMoving = c->bFlying = 0;
    plat::Trace("battle", "player " + std::to_string(lIndex) + " left the room; its character left the battle");
}

sc_Character* sc_AllCharacter::pGetCharacter(int32_t lIndexInList) const {
    return oList.pGetNodeAs<sc_Character>(lIndexInList);
}

void sc_AllCharacter::vWalk(int32_t lDirection) {
    sc_Character* c = pGetControlled();
    if (!c) return;
    if (lDirection == -1)
        c->vFly(0);
    else
        c->vFly(g_pDirKey && g_pDirKey->bGetKeyState(plat::key::Space) ? 1 : 0);
    if (!(lNextStep < g_lNowTick)) return;
    lNextStep = g_lNowTick + 50;
    const bool host = b_HasAuthority();
    if (lDirection != -1) {
        c->vWalk(lDirection);
        if (!host) {
            c->bMoving = 1;
            c->vSendWalk(lDirection);
        }
    } else {
        c->vStop();
        if (!host) c->vSendWalk(c->lFacing);
    }
}

void sc_AllCharacter::vFollowView() {
    if (g_pAllObject && g_pAllObject->bShake) return;
    const sc_Character* c = pGetControlled();
    if (pView) oFollow = *pView;
    if (!c) return;
    // In 64 bits: a position sent by another machine may lie anywhere.
    int64_t x = oFollow.x, y = oFollow.y;
    const int64_t tx = int64_t{c->oPosition.x} - 400, ty = int64_t{c->oPosition.y} - 300;
    // Far away (a new start point): jump to it.
    if (std::abs(x - tx) > 800) x = tx - 400;
    if (std::abs(y - ty) > 600) y = ty - 300;
    x += x < tx ? 1 : x > tx ? -1 : 0;
    y += y < ty ? 1 : y > ty ? -1 : 0;
    // The further from the middle band, the faster the view catches up.
    static constexpr int32_t kBands[4][2] = {{1, 200}, {2, 150}, {3, 100}, {4, 50}};
    for (const auto& [k, m] : kBands) {
        if (x + m - 400 > tx)
            x -= k;
        else if (x + 400 - m < tx)
            x += k;
        if (y + m - 300 > ty)
            y -= k;
        else if (y + 300 - m < ty)
            y += k;
    }
    const sc_Point map = MapSize();
    const int64_t w = g_pWorkSurface ? g_pWorkSurface->lGetWidth() : 800;
    const int64_t h = g_pWorkSurface ? g_pWorkSurface->lGetHeight() : 600;
    x = std::min(std::max<int64_t>(x, 64), map.x - w + 1);
    y = std::min(std::max<int64_t>(y, 0), map.y - h + 1);
    oFollow.oSet(static_cast<int32_t>(std::clamp<int64_t>(x, INT32_MIN, INT32_MAX)),
                 static_cast<int32_t>(std::clamp<int64_t>(y, INT32_MIN, INT32_MAX)));
}

void sc_AllCharacter::vVisibility() {
    const sc_Character* c = pGetControlled();
    for (int32_t i = 0; i < oList.lGetCount(); ++i) {
        sc_Character* o = pGetCharacter(i);
        o->bVisible = 1;
        if (!c || !l_IsOnScreen(o->oPosition.x, o->oPosition.y)) continue;
        const int32_t block = l_GetLineBlock(c->oPosition.x, c->oPosition.y, o->oPosition.x, o->oPosition.y);
        if (block == 1) o->bVisible = 0;
        if (o != c && !o->bOnKind3Cell && !c->bOnKind3Cell && block == 3) o->bVisible = 0;
    }
}

void sc_AllCharacter::vUpdate() {
    if (!bLoaded) return;
    vVisibility();
    // A fallen character's gun neither turns nor fires.
    if (sc_Character* c = pGetControlled(); c && c->lHitPoints >= 1) c->oGun.vMouseControl();
    vWatchPlayers();
    for (int32_t i = 0; i < oList.lGetCount(); ++i) {
        sc_Character* o = pGetCharacter(i);
        if (o->bDeparted) continue;
        if (o->lHitPoints > 0) v_ShowRadarPoint(o->oPosition.x, o->oPosition.y, 31);
        if (!o->bRemainsDone) o->vAddSort();
        if (o->lHitPoints < 1) o->vDie();
    }
    vFollowView();
}

bool sc_AllCharacter::bHitTest(const sc_Character* pCharacter) const {
    for (int32_t i = 0; i < oList.lGetCount(); ++i) {
        const sc_Character* o = pGetCharacter(i);
        if (o->lHitPoints > 0 && o->bHitCharacter(pCharacter)) return true;
    }
    return false;
}

bool sc_AllCharacter::bBulletHitTest(const sc_Bullet* pBullet) const {
    for (int32_t i = 0; i < oList.lGetCount(); ++i) {
        sc_Character* o = pGetCharacter(i);
        if (o->lHitPoints > 0 && o->bHitBullet(pBullet)) return true;
    }
    return false;
}

bool sc_AllCharacter::bEnemyHitTest(const sc_Enemy* pEnemy) const {
    for (int32_t i = 0; i < oList.lGetCount(); ++i)
        if (pGetCharacter(i)->bHitEnemy(pEnemy)) return true;
    return false;
}

sc_Character* sc_AllCharacter::bCollide(const sc_Point&, int32_t lLeft, int32_t lTop, int32_t lRight,
                                        int32_t lBottom, int32_t* pFound) const {
    sc_Character* found = nullptr;
    for (int32_t i = 0; i < oList.lGetCount(); ++i) {
        sc_Character* o = pGetCharacter(i);
        const sc_Point& p = o->oPosition;
        if (o->bDeparted) continue;
        if (p.x >= lLeft && p.x <= lRight && p.y >= lTop && p.y <= lBottom) found = o;
    }
    // The caller has looked, whether or not anyone was there.
    if (pFound) *pFound = 1;
    return found;
}

bool sc_AllCharacter::bNear(int32_t x, int32_t y) const {
    for (int32_t i = 0; i < oList.lGetCount(); ++i) {
        const sc_Point& p = pGetCharacter(i)->oPosition;
        if (pGetCharacter(i)->bDeparted) continue;
        if (std::abs(int64_t{p.x} - x) <= 500 && std::abs(int64_t{p.y} - y) <= 400) return true;
    }
    return false;
}

void sc_AllCharacter::vSend() const {
    for (int32_t i = 0; i < oList.lGetCount(); ++i)
        if (!pGetCharacter(i)->bDeparted) pGetCharacter(i)->vPack();
}

void sc_AllCharacter::vReceiveWalk(const ss_WalkRecord& r) {
    sc_Character* c = pGetCharacter(r.lIndex);
    if (!b_HasAuthority() || !c || c->bDeparted) return;
    if (r.bMoving) {
        c->vWalk(r.lDirection);
    } else {
        c->vStop();
        c->oPosition.oSet(r.oPos.x, r.oPos.y);
    }
    c->vFly(r.bFlying);
}

void sc_AllCharacter::vReceiveFire(const ss_FireRecord& r) {
    sc_Character* c = pGetCharacter(r.lIndex);
    if (!b_HasAuthority() || !c || c->bDeparted) return;
    c->oGun.oAim.oSet(r.oAim.x, r.oAim.y);
    // The sender's gun fires no faster than its cool-down: a shot beyond
    // that only turns the gun, as a press during the cool-down does there.
    const bool shot = r.bFire && c->bTakePeerShot();
    if (r.bFire && !shot) v_RefuseRecord(ss_FireRecord::kName, "shot within the gun's cool-down");
    c->oGun.vFire(r.lDirection, shot ? 1 : 0);
    const bool charged = r.lChargePower != 0 && c->bTakePeerShot();
    if (r.lChargePower != 0 && !charged) v_RefuseRecord(ss_FireRecord::kName, "charged shot within the gun's cool-down");
    c->oGun.lChargePower = charged ? r.lChargePower : 0;
}

void sc_AllCharacter::vReceive(const ss_StateRecord& r) {
    sc_Character* c = pGetCharacter(r.lIndex);
    if (!c || c->bDeparted) return;
    c->vUnpack(r);
    vFollowView();
}

void sc_AllCharacter::vFindMeetings() {
    lMeetings = 0;
    for (int32_t i = 0; i < oList.lGetCount(); ++i)
        pGetCharacter(i)->bNear = 0;
    const bool host = b_HasAuthority();
    for (int32_t i = 0; i < oList.lGetCount(); ++i)
        for (int32_t j = 0; j < oList.lGetCount(); ++j) {
            if (i == j || lMeetings >= kMeetingSlots) continue;
            sc_Character* a = pGetCharacter(i);
            sc_Character* b = pGetCharacter(j);
            if (a->bDeparted || b->bDeparted) continue;
            const double dx = static_cast<double>(a->oPosition.x) - b->oPosition.x;
            const double dy = static_cast<double>(a->oPosition.y) - b->oPosition.y;
            if (std::sqrt(dx * dx + dy * dy) >= 200.0) continue;
            if (host) a->bNear = b->bNear = 1;
            oMeetA[lMeetings] = a->oPosition;
            oMeetB[lMeetings] = b->oPosition;
            ++lMeetings;
        }
}
