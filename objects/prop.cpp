#include "objects/prop.h"

#include <algorithm>

#include "engine/device/frame_time.h"
#include "engine/sprite/memory_control.h"
#include "engine/sprite/sprite_tree.h"
#include "interface/form.h"
#include "network/transmit.h"
#include "objects/all_object.h"
#include "objects/outline.h"
#include "platform/byte_reader.h"
#include "platform/random.h"
#include "platform/trace.h"

sc_AllProp* g_pAllProp = nullptr;

namespace {

constexpr const char* kPropStr = "P_PROP\\P_PROP.STR";
constexpr const char* kPropImg = "P_PROP\\P_PROP.IMG";

// The character this machine plays.
bool IsOwn(const sc_Character* c) { return g_pAllCharacter && c->lIndex == g_pAllCharacter->lControlled; }

// What taking an item does. The character changes wherever the touch is
// seen; the form (and through it the panel) only for this machine's own
// character, so that nobody is paid for another player's find.
void Apply(int32_t kind, sc_Character* c) {
    const bool own = IsOwn(c);
    switch (kind) {
    case sc_Prop::kAmmo:
        if (own && g_pForm)
            for (int32_t i = 0; i < 3; ++i)
                if (g_pForm->pArmedSlots[i].lId != -1) g_pForm->pArmedSlots[i].lAmmo += sc_Prop::kAmmoGain;
        break;
    case sc_Prop::kHealth:
        c->lHitPoints = std::min(c->lHitPoints + c->lMaxHitPoints / 3, c->lMaxHitPoints);
        break;
    case sc_Prop::kMoney:
        c->lScore += sc_Prop::kMoneyGain;
        if (own && g_pForm) g_pForm->lMoney += sc_Prop::kMoneyGain;
        break;
    default: break;
    }
}

} // namespace

sc_Prop::~sc_Prop() { vFreeImage(); }

void sc_Prop::vCopyData(const sc_NodeEx* source) {
    if (source != this && b_IsExactly<sc_Prop>(source)) vReset();
}

void sc_Prop::vReset() {
    vFreeImage();
    oStrFile.vClear();
    oImgFile.vClear();
    lObject = lStatus = lDirection = 0;
    lFrameDelay = 100;
    oPos.oSet(0, 0);
    lId = lKind = 0;
    pView = nullptr;
    lFrameTime = 0;
    cFrame = 0;
    bTaken = bNew = 0;
}

void sc_Prop::vClear() {
    sc_NodeEx::vClear();
    vReset();
}

void sc_Prop::vSet(sc_Point* pViewPoint, int32_t lNewKind, sc_Point oAt) {
    vClear();
    pView = pViewPoint;
    lKind = lNewKind;
    oPos = oAt;
    oStrFile.vSet(kPropStr);
    oImgFile.vSet(kPropImg);
    lObject = lStatus = 0;
    lDirection = lNewKind;
    vLoadImage();
    bNew = b_HasAuthority() ? 1 : 0;
}

void sc_Prop::vLoadImage() {
    vFreeImage();
    if (g_pMemoryControl)
        pImage = g_pMemoryControl->pGetDir(oStrFile.pGetText(), oImgFile.pGetText(), lObject, lStatus, lDirection);
    bLoaded = pImage ? 1 : 0;
}

void sc_Prop::vFreeImage() {
    if (pImage && g_pMemoryControl) g_pMemoryControl->vFree(pImage);
    pImage = nullptr;
    bLoaded = 0;
}

bool sc_Prop::bHitCharacter(const sc_Character* pCharacter) const {
    return pCharacter && b_OutlinesTouch(pImage, oPos, pCharacter->pDir, pCharacter->oPosition);
}

const sc_GameImgWithShadow* sc_Prop::pGetFrame() {
    if (!pImage || pImage->lGetFrameCount() < 1) return nullptr;
    if (lFrameTime < g_lNowTick) {
        lFrameTime = g_lNowTick + lFrameDelay;
        if (++cFrame >= pImage->lGetFrameCount()) cFrame = 0;
    }
    if (cFrame >= pImage->lGetFrameCount()) cFrame = 0;
    return pImage->pGetFrameAt(cFrame);
}

void sc_Prop::vShow() {
    if (!bLoaded) return;
    const sc_Point view = pView ? *pView : sc_Point();
    v_ShowPlain(pGetFrame(), l_ScreenOf(oPos.x, 400, view.x), l_ScreenOf(oPos.y, 300, view.y));
}

void sc_Prop::vMakeRecord(ss_PropRecord& rec) const {
    rec.bNew = bNew;
    rec.lId = lId;
    rec.lKind = lKind;
    rec.oPos = oPos.oPlain();
    rec.bTaken = bTaken;
}

void sc_Prop::vSend() {
    ss_PropRecord rec;
    vMakeRecord(rec);
    v_SendRecord(rec);
    bNew = 0;
}

void sc_Prop::vUnpack(const ss_PropRecord& rec) { bTaken = rec.bTaken; }

// ----------------------------------------------------------------- sc_AllProp

sc_AllProp::sc_AllProp() { g_pAllProp = this; }

sc_AllProp::~sc_AllProp() {
    vClear();
    if (g_pAllProp == this) g_pAllProp = nullptr;
}

void sc_AllProp::vClear() {
    oList.vClear();
    m_oById.vClear();
    bActive = 0;
}

void sc_AllProp::vLoad(sc_Point* pViewPoint) {
    vClear();
    pView = pViewPoint;
    bActive = 1;
}

int32_t sc_AllProp::lNewId() const {
    // An identity already live would let one record take two items: draw
    // again, a bounded number of times.
    int32_t id = 0;
    for (int32_t attempt = 0; attempt < 64; ++attempt) {
        const int64_t product = int64_t{plat::Rand()} * g_lNowTick;
        id = static_cast<int32_t>(static_cast<uint32_t>(product)) / plat::kRandMax;
        if (id != 0 && !pFind(id)) break;
    }
    return id;
}

void sc_AllProp::vSetId(sc_Prop* p, int32_t lId) {
    p->lId = lId;
    m_oById.vAdd(lId, p);
}

void sc_AllProp::vDelete(int32_t i) {
    if (const sc_Prop* p = pGetProp(i)) m_oById.vRemove(p->lId, p);
    oList.vDelete(i);
}

sc_Prop* sc_AllProp::pAddItem(int32_t lKind, sc_Point oAt, bool bAnnounce) {
    if (lKind == -1) return nullptr;
    const sc_Prop blank;
    oList.vAdd(&blank);
    sc_Prop* p = pGetProp(lGetCount() - 1);
    if (!p) return nullptr;
    p->vSet(pView, lKind, oAt);
    if (bAnnounce) {
        vSetId(p, lNewId());
        p->vSend();
    }
    return p;
}

sc_Prop* sc_AllProp::pAdd(int32_t lKind, sc_Point oAt) { return pAddItem(lKind, oAt, b_HasAuthority()); }

bool sc_AllProp::bPickUp(sc_Character* pCharacter) {
    if (!pCharacter) return false;
    for (int32_t i = 0; i < lGetCount(); ++i) {
        sc_Prop* p = pGetProp(i);
        if (!p || p->bTaken || !p->bHitCharacter(pCharacter)) continue;
        p->bTaken = 1;
        Apply(p->lKind, pCharacter);
        return true;
    }
    return false;
}

void sc_AllProp::vShow() {
    if (!bActive) return;
    const bool host = b_HasAuthority();
    // A machine without authority never tests the walk of its own
    // character, so its finds are looked for here.
    if (!host && g_pAllCharacter) bPickUp(g_pAllCharacter->pGetCharacter(g_pAllCharacter->lControlled));
    for (int32_t i = 0; i < lGetCount();) {
        sc_Prop* p = pGetProp(i);
        if (!p || p->bTaken) {
            if (p && host) p->vSend();
            vDelete(i);
            continue;
        }
        ++i;
    }
    for (int32_t i = 0; i < lGetCount(); ++i)
        if (sc_Prop* p = pGetProp(i)) p->vShow();
}

void sc_AllProp::vSend() {
    for (int32_t i = 0; i < lGetCount(); ++i)
        if (sc_Prop* p = pGetProp(i)) p->vSend();
}

void sc_AllProp::vReceive(const ss_PropRecord& rec) {
    sc_Prop* p = pFind(rec.lId);
    if (rec.bNew && !p) {
        if (lGetCount() >= kMaxReceived) return v_RefuseRecord(ss_PropRecord::kName, "more new items than lie at once");
        // Made as the record says, not announced again from here.
        p = pAddItem(rec.lKind, sc_Point(rec.oPos.x, rec.oPos.y), false);
        if (p) {
            vSetId(p, rec.lId);
            p->bNew = 0;
        }
    }
    if (p) p->vUnpack(rec);
}
