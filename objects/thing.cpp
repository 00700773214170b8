#include "objects/thing.h"

#include "engine/device/frame_time.h"
#include "engine/sprite/memory_control.h"
#include "engine/sprite/sprite_tree.h"
#include "game/attrib.h"
#include "game/map.h"
#include "game/map_sort.h"
#include "game/sound.h"
#include "interface/form.h"
#include "network/transmit.h"
#include "objects/all_object.h"
#include "objects/bullet.h"
#include "objects/enemy.h"
#include "objects/outline.h"
#include "objects/prop.h"
#include "platform/byte_reader.h"
#include "platform/random.h"
#include "platform/trace.h"

sc_AllThing* g_pAllThing = nullptr;

namespace {

constexpr int32_t kBreakFrameMs = 50;
constexpr int32_t kSortKind = 3;

// A pointer into a thing that is going away must not outlive it.
void ForgetTarget(const sc_Thing* thing) {
    if (g_pForm && g_pForm->pTarget == &thing->oPos) g_pForm->vSetTarget(nullptr);
}

} // namespace

sc_Thing::sc_Thing() = default;

sc_Thing::~sc_Thing() { vFreeImage(); }

sc_Thing::sc_Thing(const sc_Thing& other) : sc_NodeEx(other) { vCopyData(&other); }

sc_Thing& sc_Thing::operator=(const sc_Thing& other) {
    if (this != &other) {
        sc_NodeEx::operator=(other);
        vCopyData(&other);
    }
    return *this;
}

void sc_Thing::vCopyData(const sc_NodeEx* source) {
    if (source == this || !b_IsExactly<sc_Thing>(source)) return;
    const auto& p = *static_cast<const sc_Thing*>(source);
    oStrFile.vCopy(&p.oStrFile);
    oImgFile.vCopy(&p.oImgFile);
    lObject = p.lObject;
    lStatus = p.lStatus;
    lDirection = p.lDirection;
    lFrameDelay = p.lFrameDelay;
    lId = p.lId;
    bPushable = p.bPushable;
    lReserved = p.lReserved;
    lLife = p.lLife;
    lBreakObject = p.lBreakObject;
    oBreakSound.vCopy(&p.oBreakSound);
}

bool sc_Thing::bReadAttrib(sc_ByteReader& in) {
    // The data file comes before the table file in this table only.
    attrib::bReadText(in, oImgFile);
    attrib::bReadText(in, oStrFile);
    in.Read(lObject);
    in.Read(lStatus);
    in.Read(lDirection);
    in.Read(lFrameDelay);
    in.Read(lId);
    in.Read(bPushable);
    in.Read(lReserved);
    in.Read(lLife);
    in.Read(lBreakObject);
    attrib::bReadText(in, oBreakSound);
    return in.Ok();
}

bool sc_Thing::bLoad(sc_ByteReader& in) {
    oStrFile.bLoad(in);
    oImgFile.bLoad(in);
    in.Read(lObject, lStatus, lDirection, lFrameDelay, oPos.x, oPos.y, lId, bPushable, lReserved, lLife, lBreakObject);
    for (int32_t i = 0; i < kDropSlots; ++i) in.Read(lDropChance[i], lDropKind[i]);
    if (!in.Ok()) return false;
    if (lId < 0 || lId >= sc_Attrib::kThingRows) {
        in.Fail("names a thing row outside the table");
        return false;
    }
    if (const sc_Thing* prototype = g_pAttrib ? g_pAttrib->pGetThing(lId) : nullptr) vCopyData(prototype);
    return true;
}

void sc_Thing::vSave(sc_ByteWriter& out) const {
    oStrFile.vSave(out);
    oImgFile.vSave(out);
    out.Write(lObject, lStatus, lDirection, lFrameDelay, oPos.x, oPos.y, lId, bPushable, lReserved, lLife, lBreakObject);
    for (int32_t i = 0; i < kDropSlots; ++i) out.Write(lDropChance[i], lDropKind[i]);
}

void sc_Thing::vReset() {
    vFreeImage();
    oStrFile.vClear();
    oImgFile.vClear();
    oBreakSound.vClear();
    lObject = lStatus = lDirection = 0;
    lFrameDelay = 50;
    oPos.oSet(0, 0);
    lIndex = lId = bPushable = lReserved = 0;
    lLife = 1;
    lBreakObject = 0;
    for (int32_t i = 0; i < kDropSlots; ++i) {
        lDropChance[i] = i == 0 ? 100 : 0;
        lDropKind[i] = -1;
    }
    pView = nullptr;
    pBreakImage = nullptr;
    lFrameTime = lBreakFrameTime = 0;
    cFrame = cBreakFrame = 0;
    bFinished = bBreaking = bNear = 0;
}

void sc_Thing::vClear() {
    sc_NodeEx::vClear();
    vReset();
}

void sc_Thing::vSet(sc_Point* pViewPoint) {
    vClear();
    pView = pViewPoint;
}

void sc_Thing::vLoadImage() {
    vFreeImage();
    if (g_pMemoryControl)
        pImage = g_pMemoryControl->pGetDir(oStrFile.pGetText(), oImgFile.pGetText(), lObject, lStatus, lDirection);
    bLoaded = pImage ? 1 : 0;
}

void sc_Thing::vFreeImage() {
    if (pImage && g_pMemoryControl) g_pMemoryControl->vFree(pImage);
    pImage = nullptr;
    bLoaded = 0;
}

int32_t sc_Thing::lGetDropKind() const {
    const int32_t r = plat::RandScaled(100);
    for (int32_t i = 0; i < kDropSlots; ++i)
        if (r <= lDropChance[i]) return lDropKind[i];
    return -1;
}

bool sc_Thing::bIsBlocked() {
    const sc_Point size = g_pMap ? g_pMap->oBackground.oMapSize : sc_Point();
    if (oPos.x < 1 || oPos.x >= size.x || oPos.y < 1 || oPos.y >= size.y) return true;
    if (g_pMap->oSetting.oMapLocate.bIsBlocked(oPos)) return true;
    return g_pAllThing && g_pAllThing->bHitThing(this);
}

bool sc_Thing::bHitThing(const sc_Thing* pOther) const {
    if (!pOther || pOther == this) return false;
    return b_OutlinesTouch(pImage, oPos, pOther->pImage, pOther->oPos);
}

bool sc_Thing::bHitBullet(const sc_Bullet* pBullet) {
    if (!b_HasAuthority() || !pBullet) return false;
    if (!b_OutlinesTouch(pImage, oPos, pBullet->pFlyDir, pBullet->oPos)) return false;
    // Enemy fire stops here without harm.
    if (pBullet->lOwnerKind == 0) lLife -= pBullet->lAttack;
    return true;
}

bool sc_Thing::bHitCharacter(const sc_Character* pCharacter) {
    if (!pCharacter) return false;
    if (!b_OutlinesTouch(pImage, oPos, pCharacter->pDir, pCharacter->oPosition)) return false;
    if (bPushable) vPush(pCharacter->lFacing);
    return true;
}

bool sc_Thing::bHitEnemy(const sc_Enemy* pEnemy) const {
    return pEnemy && b_OutlinesTouch(pImage, oPos, pEnemy->pDir, pEnemy->oPos);
}

void sc_Thing::vPush(int32_t lPushDirection) {
    static constexpr int32_t kStep[8][2] = {{0, -4}, {8, -4}, {8, 0}, {8, 4}, {0, 4}, {-8, 4}, {-8, 0}, {-8, -4}};
    const int32_t d = lPushDirection / 2;
    if (d < 0 || d > 7) return;
    oPos.oOffset(kStep[d][0], kStep[d][1]);
    if (bIsBlocked()) oPos.oOffsetBack(kStep[d][0], kStep[d][1]);
}

const sc_GameImgWithShadow* sc_Thing::pGetFrame() {
    if (!pImage || pImage->lGetFrameCount() < 1) return nullptr;
    if (lFrameTime < g_lNowTick) {
        lFrameTime = g_lNowTick + lFrameDelay;
        if (++cFrame >= pImage->lGetFrameCount()) cFrame = 0;
    }
    if (cFrame >= pImage->lGetFrameCount()) cFrame = 0;
    return pImage->pGetFrameAt(cFrame);
}

const sc_GameImgWithShadow* sc_Thing::pGetBreakFrame() {
    if (!pBreakImage || pBreakImage->lGetFrameCount() < 1) {
        // Nothing to show: the destruction is over at once.
        bFinished = 1;
        return nullptr;
    }
    if (lBreakFrameTime < g_lNowTick) {
        lBreakFrameTime = g_lNowTick + kBreakFrameMs;
        if (++cBreakFrame >= pBreakImage->lGetFrameCount()) {
            cBreakFrame = 0;
            bFinished = 1;
        }
    }
    if (cBreakFrame >= pBreakImage->lGetFrameCount()) cBreakFrame = 0;
    return pBreakImage->pGetFrameAt(cBreakFrame);
}

void sc_Thing::vAddSort() {
    if (!bLoaded || !pImage) return;
    bNear = g_pAllCharacter && g_pAllCharacter->bNear(oPos.x, oPos.y) ? 1 : 0;
    if (!g_pMapSort) return;
    const auto at = [&](int32_t m, bool y) {
        const sc_GamePoint& p = pImage->oGetMark(m);
        return static_cast<int16_t>(l_Wrap(y ? int64_t{p.y} + oPos.y - 300 : int64_t{p.x} + oPos.x - 400));
    };
    g_pMapSort->vAdd(at(0, false), at(0, true), at(1, false), at(1, true), at(2, false), at(2, true), kSortKind,
                     this, lLife < 1 ? 1 : 0);
}

void sc_Thing::vShow() {
    if (!bLoaded) return;
    if (lLife < 1 && !bBreaking) {
        // The destruction: an effect of the bullets' hit pictures, and the
        // remains left on the ground.
        sc_GameObject* effects = g_pAllBullet ? g_pAllBullet->pHitObject : nullptr;
        sc_GameStatus* status = effects ? effects->pGetStatusAt(0) : nullptr;
        pBreakImage = status ? status->pGetDirAt(lBreakObject) : nullptr;
        if (g_pAllDeath) g_pAllDeath->pAdd(plat::RandScaled(3), oPos);
        bBreaking = 1;
    }
    const sc_Point view = pView ? *pView : sc_Point();
    const int32_t x = l_ScreenOf(oPos.x, 400, view.x), y = l_ScreenOf(oPos.y, 300, view.y);
    v_ShowPlain(bBreaking ? pGetBreakFrame() : pGetFrame(), x, y);
}

void sc_Thing::vMakeRecord(ss_ThingRecord& rec) const {
    rec.lIndex = lIndex;
    rec.oPos = oPos.oPlain();
    rec.lLife = lLife;
    rec.bNear = bNear;
}

void sc_Thing::vSend() {
    ss_ThingRecord rec;
    vMakeRecord(rec);
    v_SendRecord(rec);
}

void sc_Thing::vUnpack(const ss_ThingRecord& rec) {
    oPos.oSet(rec.oPos.x, rec.oPos.y);
    lLife = rec.lLife;
    bNear = rec.bNear;
}

// ---------------------------------------------------------------- sc_AllThing

// As with the enemies: the first container made keeps the pointer.
sc_AllThing::sc_AllThing() {
    if (!g_pAllThing) g_pAllThing = this;
}

sc_AllThing::~sc_AllThing() {
    vClear();
    if (g_pAllThing == this) g_pAllThing = nullptr;
}

void sc_AllThing::vClear() {
    for (int32_t i = 0; i < lGetCount(); ++i)
        if (const sc_Thing* t = pGetThing(i)) ForgetTarget(t);
    oList.vClear();
    bActive = 0;
}

void sc_AllThing::vSet(sc_Point* pViewPoint) {
    vClear();
    pView = pViewPoint;
}

sc_Thing* sc_AllThing::pAdd() {
    const sc_Thing blank;
    oList.vAdd(&blank);
    sc_Thing* t = pGetThing(lGetCount() - 1);
    if (t) {
        t->vSet(pView);
        t->lIndex = lGetCount() - 1;
    }
    return t;
}

bool sc_AllThing::bLoad(sc_ByteReader& in) {
    vClear();
    uint32_t count = 0;
    if (!in.ReadCount(count, sc_Thing::kRecordMinBytes)) return false;
    for (uint32_t i = 0; i < count; ++i) {
        sc_Thing* t = pAdd();
        if (!t || !t->bLoad(in)) {
            if (t) oList.vDelete(lGetCount() - 1);
            return false;
        }
    }
    return true;
}

void sc_AllThing::vSave(sc_ByteWriter& out) const {
    out.Write(static_cast<uint32_t>(lGetCount()));
    for (int32_t i = 0; i < lGetCount(); ++i)
        if (const sc_Thing* t = pGetThing(i)) t->vSave(out);
}

void sc_AllThing::vLoadImage() {
    for (int32_t i = 0; i < lGetCount(); ++i)
        if (sc_Thing* t = pGetThing(i)) t->vLoadImage();
    bActive = 1;
}

void sc_AllThing::vFreeImage() {
    for (int32_t i = 0; i < lGetCount(); ++i)
        if (sc_Thing* t = pGetThing(i)) t->vFreeImage();
}

bool sc_AllThing::bHitThing(const sc_Thing* pThing) const {
    for (int32_t i = 0; i < lGetCount(); ++i)
        if (const sc_Thing* t = pGetThing(i); t && t->bHitThing(pThing)) return true;
    return false;
}

bool sc_AllThing::bHitBullet(const sc_Bullet* pBullet) {
    for (int32_t i = 0; i < lGetCount(); ++i)
        if (sc_Thing* t = pGetThing(i); t && t->bNear && t->bHitBullet(pBullet)) return true;
    return false;
}

bool sc_AllThing::bHitCharacter(const sc_Character* pCharacter) {
    for (int32_t i = 0; i < lGetCount(); ++i)
        if (sc_Thing* t = pGetThing(i); t && t->bHitCharacter(pCharacter)) return true;
    return false;
}

bool sc_AllThing::bHitEnemy(const sc_Enemy* pEnemy) const {
    for (int32_t i = 0; i < lGetCount(); ++i)
        if (const sc_Thing* t = pGetThing(i); t && t->bHitEnemy(pEnemy)) return true;
    return false;
}

void sc_AllThing::vDelete(int32_t i) {
    if (const sc_Thing* t = pGetThing(i)) ForgetTarget(t);
    oList.vDelete(i);
}

void sc_AllThing::vUpdate() {
    if (!bActive) return;
    const bool host = b_HasAuthority();
    for (int32_t i = 0; i < lGetCount();) {
        sc_Thing* t = pGetThing(i);
        if (!t) {
            oList.vDelete(i);
            continue;
        }
        if (t->bBreaking) {
            if (host) t->vSend();
            if (g_pSound && t->oBreakSound.pGetText()) g_pSound->vPlay(t->oBreakSound.pGetText(), 0, 0);
        }
        if (t->bFinished) {
            if (host) {
                t->vSend();
                if (g_pAllProp) g_pAllProp->pAdd(t->lGetDropKind(), t->oPos);
            }
            // The walk goes on with the thing that takes this place.
            vDelete(i);
            continue;
        }
        t->vAddSort();
        ++i;
    }
}

void sc_AllThing::vSend() {
    for (int32_t i = 0; i < lGetCount(); ++i)
        if (sc_Thing* t = pGetThing(i)) t->vSend();
}

void sc_AllThing::vReceive(const ss_ThingRecord& rec) {
    for (int32_t i = 0; i < lGetCount(); ++i)
        if (sc_Thing* t = pGetThing(i); t && t->lIndex == rec.lIndex) t->vUnpack(rec);
}
