#include "objects/bullet.h"

#include <algorithm>
#include <cmath>

#include "engine/device/frame_time.h"
#include "engine/sprite/memory_control.h"
#include "engine/sprite/sprite_tree.h"
#include "game/attrib.h"
#include "game/geometry.h"
#include "game/map.h"
#include "game/sound.h"
#include "interface/form.h"
#include "network/transmit.h"
#include "objects/all_object.h"
#include "objects/enemy.h"
#include "objects/outline.h"
#include "objects/thing.h"
#include "platform/byte_reader.h"
#include "platform/random.h"
#include "platform/trace.h"

sc_AllBullet* g_pAllBullet = nullptr;

namespace {

constexpr const char* kBulletStr = "P_BULLET\\P_BULLET.STR";
constexpr const char* kBulletImg = "P_BULLET\\P_BULLET.IMG";
constexpr const char* kSpriteStr = "P_SPRITY\\P_SPRITY.STR";
constexpr const char* kSpriteImg = "P_SPRITY\\P_SPRITY.IMG";

constexpr int32_t kStepMs = 30;
constexpr int32_t kFrameMs = 50;
constexpr int32_t kBeamSpacing = 4;
constexpr int32_t kBeamSprites = 512;

// Direction dir of status `status` of a picture object; null for anything
// the object does not have.
sc_GameDir* DirOf(sc_GameObject* object, int32_t status, int32_t dir) {
    if (!object) return nullptr;
    sc_GameStatus* s = object->pGetStatusAt(status);
    return s ? s->pGetDirAt(dir) : nullptr;
}

// Steps a frame counter of a direction when its time has come: the next
// time is set, and the counter moves on (wrapping, or held at the last
// frame). Gives whether it stepped.
bool Due(int32_t& lNext, int32_t lPeriod) {
    if (g_lNowTick <= lNext) return false;
    lNext = g_lNowTick + lPeriod;
    return true;
}

} // namespace

sc_Bullet::sc_Bullet() = default;

sc_Bullet::~sc_Bullet() = default;

void sc_Bullet::vCopyData(const sc_NodeEx* source) {
    if (source == this || !b_IsExactly<sc_Bullet>(source)) return;
    const auto& p = *static_cast<const sc_Bullet*>(source);
    lId = p.lId;
    if (!bPassMarked) bPassMarked = p.bPassMarked;
    lSpeed = p.lSpeed;
    lRange = p.lRange;
    lHitAnim = p.lHitAnim;
    lSplitKind = p.lSplitKind;
    lSplitCount = p.lSplitCount;
    lTrailAnim1 = p.lTrailAnim1;
    lTrailAnim2 = p.lTrailAnim2;
    for (int32_t i = 0; i < kSpeedSteps; ++i) {
        lSpeedAt[i] = p.lSpeedAt[i];
        lSpeedTo[i] = p.lSpeedTo[i];
    }
    sFireWav.vCopy(&p.sFireWav);
    sHitWav.vCopy(&p.sHitWav);
    sText3.vCopy(&p.sText3);
    sText4.vCopy(&p.sText4);
    lAttack = p.lAttack;
    lImage = p.lImage;
    lEnergyCost = p.lEnergyCost;
}

bool sc_Bullet::bReadAttrib(sc_ByteReader& in) {
    in.Read(lId);
    in.Read(bPassMarked);
    in.Read(lSpeed);
    in.Read(lRange);
    in.Read(lSide);
    in.Read(lHitAnim);
    in.Read(lSplitKind);
    in.Read(lSplitCount);
    in.Read(lTrailAnim1);
    in.Read(lTrailAnim2);
    for (int32_t& v : lSpeedAt) in.Read(v);
    for (int32_t& v : lSpeedTo) in.Read(v);
    attrib::bReadText(in, sFireWav);
    attrib::bReadText(in, sHitWav);
    attrib::bReadText(in, sText3);
    attrib::bReadText(in, sText4);
    in.Read(lAttack);
    in.Read(lImage);
    in.Read(lEnergyCost);
    in.Skip(4);
    return in.Ok();
}

void sc_Bullet::vReset() {
    pFlyDir = pHitDir = pTrailDir1 = pTrailDir2 = nullptr;
    pView = nullptr;
    lNetId = 0;
    lFlyFrameTime = lHitFrameTime = lStepTime = 0;
    cFlyFrame = cHitFrame = 0;
    for (int32_t i = 0; i < kTrailPoints; ++i) {
        lTrailFrameTime[i] = 0;
        cTrailFrame[i] = 0;
    }
    bActive = 0;
    lId = 0;
    lTravelled = 0;
    lRange = 0;
    lDirection = 0;
    lStartDistance = 0;
    lEnergyCost = 0;
    lTrailAnim1 = lTrailAnim2 = -1;
}

void sc_Bullet::vClear() {
    sc_NodeEx::vClear();
    vReset();
}

void sc_Bullet::vPickFlyDir() {
    pFlyDir = DirOf(g_pAllBullet ? g_pAllBullet->pBulletObject : nullptr, lImage, lDirection);
}

void sc_Bullet::vSetUp(sc_Point* pViewPoint, int32_t lNewOwnerKind, int32_t lNewOwnerId, int32_t lNewDirection,
                       int32_t lType, sc_Point oFrom, sc_Point oTo, int32_t bNewPassMarked, int32_t lNewFlight,
                       int32_t lNewSide, int32_t lNewStartDistance) {
    vClear();
    lOwnerKind = lNewOwnerKind;
    lOwnerId = lNewOwnerId;
    pView = pViewPoint;
    lDirection = lNewDirection;
    lFlight = lNewFlight;
    lId = lType;
    oStart = oFrom;
    oTarget = oTo;
    bActive = 1;
    bPassMarked = bNewPassMarked;
    lSide = lNewSide;
    bSend = b_HasAuthority() ? 1 : 0;
    oPos = oFrom;
    int64_t dx = int64_t{oTo.x} - oFrom.x, dy = int64_t{oTo.y} - oFrom.y;
    if (dx == 0 && dy == 0) dx = dy = 1;
    if (g_pAttrib) vCopyData(g_pAttrib->pGetBullet(lType));

    vPickFlyDir();
    sc_GameObject* hits = g_pAllBullet ? g_pAllBullet->pHitObject : nullptr;
    if (lTrailAnim1 != -1) pTrailDir1 = DirOf(g_pAllBullet ? g_pAllBullet->pTrailObject1 : nullptr, 0, lTrailAnim1);
    if (lTrailAnim2 != -1) pTrailDir2 = DirOf(g_pAllBullet ? g_pAllBullet->pTrailObject2 : nullptr, 0, lTrailAnim2);
    pHitDir = DirOf(hits, 0, lHitAnim);

    // Apart by up to 2^32 each way: squared, they no longer fit 64 bits.
    const double len = std::hypot(static_cast<double>(dx), static_cast<double>(dy));
    // |lRange * dx / len| is at most |lRange|: it fits before the sum wraps.
    oTarget.oSet(l_Wrap(oFrom.x + static_cast<int64_t>(std::trunc(lRange * static_cast<double>(dx) / len))),
                 l_Wrap(oFrom.y + static_cast<int64_t>(std::trunc(lRange * static_cast<double>(dy) / len))));

    lStartDistance = lTravelled = lNewStartDistance;
    v_GetLinePoint(oStart.x, oStart.y, oTarget.x, oTarget.y, &oPos.x, &oPos.y, lRange, lTravelled);
    oPrev = oPos;
    if (sFireWav.pGetText()) v_PlaySound(sFireWav.pGetText(), 0);
}

void sc_Bullet::vFly() {
    if (!Due(lStepTime, kStepMs)) return;
    if (lTravelled >= lRange || bStopped) {
        // Nothing moves: the path is used up, or the hit is showing.
        if (lTravelled > lRange || (lTravelled == lRange && !bStopped)) bFinished = 1;
        return;
    }
    const int32_t s = lSide ? -1 : 1;
    auto straight = [&] { v_GetLinePoint(oStart.x, oStart.y, oTarget.x, oTarget.y, &oPos.x, &oPos.y, lRange, lTravelled); };
    auto turn = [&] {
        lDirection = l_GetDirection32(oPrev.x, oPrev.y, oPos.x, oPos.y);
        vPickFlyDir();
        oPrev = oPos;
    };
    switch (lFlight) {
    case 0:
    case 1:
    case 4:
    case 5: straight(); break;
    case 2:
        if (lTravelled < int64_t{lRange} * 3 / 4)
            v_GetWavePoint(oStart.x, oStart.y, oTarget.x, oTarget.y, &oPos, lRange,
                           l_Wrap(int64_t{lTravelled} + lTravelled / 4), l_Wrap((int64_t{lRange} - lTravelled) * s / 16),
                           1);
        else
            straight();
        turn();
        break;
    case 3:
        v_GetWavePoint(oStart.x, oStart.y, oTarget.x, oTarget.y, &oPos, lRange, lTravelled,
                       l_Wrap(int64_t{s} * lTravelled / 4), 3);
        turn();
        break;
    case 6: v_GetBouncePoint(oStart.x, oStart.y, oTarget.x, oTarget.y, &oPos, lRange, lTravelled, 100, 3); break;
    default: break;
    }

    lTravelled = l_Wrap(int64_t{lTravelled} + lSpeed);
    for (int32_t i = 0; i < kSpeedSteps; ++i)
        if (lTravelled > lSpeedAt[i]) lSpeed = lSpeedTo[i];

    const bool stop = bStop();
    if (!stop && lFlight == 4) {
        // A beam covers three speeds a step.
        for (int32_t i = 0; i < 2; ++i) {
            straight();
            lTravelled = l_Wrap(int64_t{lTravelled} + lSpeed);
            if (bStop()) {
                bStopped = 1;
                break;
            }
        }
    }
    if (stop) {
        bStopped = 1;
        if (lFlight == 1 && g_pAllBullet)
            g_pAllBullet->vFireEx(lOwnerKind, lOwnerId, lSplitKind, oPos, oStart, bPassMarked, lSplitCount);
    }
    if (lTrailAnim1 != 0 || lTrailAnim2 != 0) {
        for (int32_t i = kTrailPoints - 1; i > 0; --i) oTrail[i] = oTrail[i - 1];
        oTrail[0] = oPos;
    }
}

bool sc_Bullet::bStop() {
    const sc_Point size = g_pMap ? g_pMap->oBackground.oMapSize : sc_Point();
    if (oPos.x < 1 || oPos.x >= size.x || oPos.y < 1 || oPos.y >= size.y) return true;
    if (lFlight != 2) {
        const int32_t cell = g_pMap->oSetting.oMapLocate.lGetCell(oPos);
        if (cell == 1 || (cell == 3 && !bPassMarked)) return true;
        if (g_pAllThing && g_pAllThing->bHitBullet(this)) return true;
    }
    if (g_pAllCharacter && g_pAllCharacter->bBulletHitTest(this)) return true;
    // The enemies' test comes last; enemy bullets pass through enemies.
    return g_pAllEnemy && g_pAllEnemy->bBulletHitTest(this);
}

const sc_GameImgWithShadow* sc_Bullet::pGetFlyFrame() {
    if (!pFlyDir || pFlyDir->lGetFrameCount() < 1) return nullptr;
    if (Due(lFlyFrameTime, kFrameMs) && ++cFlyFrame >= pFlyDir->lGetFrameCount()) cFlyFrame = 0;
    if (cFlyFrame < 0 || cFlyFrame >= pFlyDir->lGetFrameCount()) cFlyFrame = 0;
    return pFlyDir->pGetFrameAt(cFlyFrame);
}

const sc_GameImgWithShadow* sc_Bullet::pGetHitFrame() {
    if (!pHitDir || pHitDir->lGetFrameCount() < 1) return nullptr;
    if (Due(lHitFrameTime, kFrameMs)) {
        if (cHitFrame == 0 && sHitWav.pGetText()) v_PlaySound(sHitWav.pGetText(), 0);
        if (++cHitFrame >= pHitDir->lGetFrameCount()) {
            cHitFrame = 0;
            // Elsewhere the hit loops until the authority's record ends it.
            if (b_HasAuthority()) bFinished = 1;
        }
    }
    if (cHitFrame < 0 || cHitFrame >= pHitDir->lGetFrameCount()) cHitFrame = 0;
    return pHitDir->pGetFrameAt(cHitFrame);
}

namespace {

// A trail point's animation plays once and holds its last frame; older
// points step faster.
const sc_GameImgWithShadow* TrailFrame(sc_GameDir* dir, int32_t i, int32_t& lNext, int8_t& cFrame) {
    if (!dir || dir->lGetFrameCount() < 1 || i < 0 || i >= sc_Bullet::kTrailPoints) return nullptr;
    if (Due(lNext, 120 - 10 * i) && cFrame < dir->lGetFrameCount() - 1) ++cFrame;
    if (cFrame < 0 || cFrame >= dir->lGetFrameCount()) cFrame = 0;
    return dir->pGetFrameAt(cFrame);
}

} // namespace

const sc_GameImgWithShadow* sc_Bullet::pGetTrailFrame1(int32_t i) {
    if (i < 0 || i >= kTrailPoints) return nullptr;
    return TrailFrame(pTrailDir1, i, lTrailFrameTime[i], cTrailFrame[i]);
}

const sc_GameImgWithShadow* sc_Bullet::pGetTrailFrame2(int32_t i) {
    if (i < 0 || i >= kTrailPoints) return nullptr;
    return TrailFrame(pTrailDir2, i, lTrailFrameTime[i], cTrailFrame[i]);
}

int32_t sc_Bullet::lBeamSprites(int32_t lFrom, int32_t lTo, int32_t lPathRange) {
    // Along the path only, and never more sprites than a screen holds,
    // whatever a record says the beam has travelled.
    const int64_t from = std::max(lFrom, 0), to = std::min(lTo, lPathRange);
    if (to <= from) return 0;
    return static_cast<int32_t>(std::min<int64_t>((to - from + kBeamSpacing - 1) / kBeamSpacing, kBeamSprites));
}

void sc_Bullet::vShow() {
    if (!bActive) return;
    if (b_HasAuthority()) vFly();
    const sc_Point view = pView ? *pView : sc_Point();
    auto sx = [&](int32_t x) { return l_ScreenOf(x, 400, view.x); };
    auto sy = [&](int32_t y) { return l_ScreenOf(y, 300, view.y); };
    if (bStopped) {
        if (const sc_GameImgWithShadow* hit = pGetHitFrame()) v_ShowFaded(*hit, sx(oPos.x), sy(oPos.y), 24);
        return;
    }
    const sc_GameImgWithShadow* fly = pGetFlyFrame();
    v_ShowPlain(fly, sx(oPos.x), sy(oPos.y));
    if (lFlight == 5 && g_pAllObject) g_pAllObject->vDrawLightning(oStart.x, oStart.y, oPos.x, oPos.y);
    if (lFlight == 4 && fly) {
        const int32_t from = std::max(lStartDistance, 0), sprites = lBeamSprites(lStartDistance, lTravelled, lRange);
        for (int32_t n = 0; n < sprites; ++n) {
            sc_Point p = oStart;
            v_GetLinePoint(oStart.x, oStart.y, oTarget.x, oTarget.y, &p.x, &p.y, lRange, from + kBeamSpacing * n);
            v_ShowPlain(fly, sx(p.x), sy(p.y));
        }
    }
    if (lTrailAnim1 != -1)
        for (int32_t i = 1; i < kTrailPoints; ++i)
            if (const sc_GameImgWithShadow* f = pGetTrailFrame1(i)) v_ShowFaded(*f, sx(oTrail[i].x), sy(oTrail[i].y), 8);
    if (lTrailAnim2 != -1)
        for (int32_t i = 1; i < kTrailPoints; ++i) v_ShowPlain(pGetTrailFrame2(i), sx(oTrail[i].x), sy(oTrail[i].y));
}

void sc_Bullet::vMakeRecord(ss_BulletRecord& rec) const {
    rec.bNew = bSend;
    rec.lNetId = lNetId;
    rec.oPos = oPos.oPlain();
    rec.bActive = bActive;
    rec.oStart = oStart.oPlain();
    rec.oTarget = oTarget.oPlain();
    rec.lTravelled = lTravelled;
    rec.bFinished = bFinished;
    rec.bStopped = bStopped;
    rec.lOwnerKind = lOwnerKind;
    rec.lOwnerId = lOwnerId;
    rec.lId = lId;
    rec.lFlight = lFlight;
    rec.lDirection = lDirection;
}

void sc_Bullet::vPack() {
    ss_BulletRecord rec;
    vMakeRecord(rec);
    v_SendRecord(rec);
    bSend = 0;
}

void sc_Bullet::vUnpack(const ss_BulletRecord& rec) {
    oPos.oSet(rec.oPos.x, rec.oPos.y);
    bActive = rec.bActive;
    oStart.oSet(rec.oStart.x, rec.oStart.y);
    oTarget.oSet(rec.oTarget.x, rec.oTarget.y);
    lTravelled = rec.lTravelled;
    bFinished = rec.bFinished;
    bStopped = rec.bStopped;
    lOwnerKind = rec.lOwnerKind;
    lOwnerId = rec.lOwnerId;
    lId = rec.lId;
    lFlight = rec.lFlight;
    if (rec.lDirection != lDirection) {
        lDirection = rec.lDirection;
        // The picture is the bullet's own image status, as at set-up.
        vPickFlyDir();
    }
}

// ---------------------------------------------------------------- sc_AllBullet

sc_AllBullet::sc_AllBullet() { g_pAllBullet = this; }

sc_AllBullet::~sc_AllBullet() {
    vClear();
    if (g_pAllBullet == this) g_pAllBullet = nullptr;
}

void sc_AllBullet::vClear() {
    oList.vClear();
    m_oById.vClear();
    lMade = 0;
    for (sc_GameObject** p : {&pBulletObject, &pHitObject, &pTrailObject1, &pTrailObject2, &pEffectObject}) {
        if (*p && g_pMemoryControl) g_pMemoryControl->vFree(*p);
        *p = nullptr;
    }
    bLoaded = 0;
}

void sc_AllBullet::vLoad(sc_Point* pViewPoint) {
    vClear();
    pView = pViewPoint;
    if (g_pMemoryControl) {
        pBulletObject = g_pMemoryControl->pGetObject(kBulletStr, kBulletImg, 0);
        pHitObject = g_pMemoryControl->pGetObject(kSpriteStr, kSpriteImg, 0);
        pTrailObject1 = g_pMemoryControl->pGetObject(kSpriteStr, kSpriteImg, 2);
        pTrailObject2 = g_pMemoryControl->pGetObject(kSpriteStr, kSpriteImg, 3);
        pEffectObject = g_pMemoryControl->pGetObject(kSpriteStr, kSpriteImg, 6);
    }
    bLoaded = 1;
}

int32_t sc_AllBullet::lNewNetId() const {
    // An identity already live would make one record move two bullets: draw
    // again (a bounded number of times; the draws spread over 32 bits).
    int32_t id = 0;
    for (int32_t attempt = 0; attempt < 64; ++attempt) {
        const int64_t product = int64_t{plat::Rand()} * g_lNowTick;
        id = static_cast<int32_t>(static_cast<uint32_t>(product)) / plat::kRandMax;
        if (id != 0 && !pFind(id)) break;
    }
    return id;
}

sc_Bullet* sc_AllBullet::pFind(int32_t lNetId) const { return m_oById.pFind(lNetId); }

void sc_AllBullet::vSetNetId(sc_Bullet* b, int32_t lNetId) {
    b->lNetId = lNetId;
    m_oById.vAdd(lNetId, b);
}

void sc_AllBullet::vDelete(int32_t i) {
    if (const sc_Bullet* b = pGetBullet(i)) m_oById.vRemove(b->lNetId, b);
    oList.vDelete(i);
}

sc_Bullet* sc_AllBullet::pAdd(int32_t lOwnerKind, int32_t lOwnerId, int32_t lType, sc_Point oStart, sc_Point oTarget,
                              int32_t bPassMarked, int32_t lFlight, int32_t lSide, int32_t lStartHeight,
                              int32_t lStartDistance) {
    const sc_Bullet blank;
    oList.vAdd(&blank);
    sc_Bullet* b = pGetBullet(lGetCount() - 1);
    if (!b) return nullptr;
    ++lMade;
    oStart.y = l_Wrap(int64_t{oStart.y} - lStartHeight);
    const int32_t dir = l_GetDirection32(oStart.x, oStart.y, oTarget.x, oTarget.y);
    b->vSetUp(pView, lOwnerKind, lOwnerId, dir, lType, oStart, oTarget, bPassMarked, lFlight, lSide, lStartDistance);
    if (g_pForm) g_pForm->lShotMark = b->lEnergyCost;
    if (b_HasAuthority()) {
        vSetNetId(b, lNewNetId());
        b->vPack();
    }
    return b;
}

void sc_AllBullet::vVolley(int32_t lOwnerKind, int32_t lOwnerId, int32_t lType, sc_Point oCentre, sc_Point oReach,
                           int32_t bPassMarked, int32_t lBullets, int32_t lFlight, int32_t lStartDistance) {
    const sc_Point v(oReach.x - oCentre.x, oReach.y - oCentre.y);
    for (int32_t i = 0; i < lBullets; ++i) {
        const int32_t angle = plat::RandScaled(360);
        const sc_Point turned = o_RotatePoint(v, angle);
        const sc_Point target(oCentre.x + turned.x, oCentre.y + turned.y);
        pAdd(lOwnerKind, lOwnerId, lType, oCentre, target, bPassMarked, lFlight, 0, 0, lStartDistance);
    }
}

void sc_AllBullet::vFire(int32_t lOwnerKind, int32_t lOwnerId, int32_t lType, sc_Point oCentre, sc_Point oReach,
                         int32_t bPassMarked, int32_t lCount) {
    vVolley(lOwnerKind, lOwnerId, lType, oCentre, oReach, bPassMarked, plat::RandScaled(lCount), 6, 20);
}

void sc_AllBullet::vFireEx(int32_t lOwnerKind, int32_t lOwnerId, int32_t lType, sc_Point oCentre, sc_Point oReach,
                           int32_t bPassMarked, int32_t lCount) {
    vVolley(lOwnerKind, lOwnerId, lType, oCentre, oReach, bPassMarked, plat::RandScaled(lCount) + 1, 0, 50);
}

void sc_AllBullet::vMove() {
    if (!bLoaded) return;
    const bool host = b_HasAuthority();
    // Removal: after a deletion the bullet that moved into the freed place
    // is examined next, so each is seen once.
    for (int32_t i = 0; i < lGetCount();) {
        sc_Bullet* b = pGetBullet(i);
        if (b && host && (b->bStopped || b->bFinished)) b->vPack();
        if (!b || b->bFinished) {
            vDelete(i);
            continue;
        }
        ++i;
    }
    // Splits and volleys made while showing join the end of the list and are
    // shown in this same pass.
    for (int32_t i = 0; i < lGetCount(); ++i)
        if (sc_Bullet* b = pGetBullet(i)) b->vShow();
}

void sc_AllBullet::vSend() {
    for (int32_t i = 0; i < lGetCount(); ++i)
        if (sc_Bullet* b = pGetBullet(i)) b->vPack();
}

void sc_AllBullet::vReceive(const ss_BulletRecord& rec) {
    if (b_HasAuthority()) return;
    sc_Bullet* b = pFind(rec.lNetId);
    if (rec.bNew && !b) {
        if (lGetCount() >= kMaxReceived) return v_RefuseRecord(ss_BulletRecord::kName, "more new bullets than fly at once");
        // Network copies are not flown here: their flight kind rides in the
        // pass-marked place until the record sets it.
        b = pAdd(rec.lOwnerKind, rec.lOwnerId, rec.lId, sc_Point(rec.oStart.x, rec.oStart.y),
                 sc_Point(rec.oTarget.x, rec.oTarget.y), rec.lFlight, 0, 1, 20, 30);
        if (b) vSetNetId(b, rec.lNetId);
    }
    if (b) b->vUnpack(rec);
}
