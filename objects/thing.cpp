#include "objects/thing.h"

#include "engine/sprite/memory_control.h"
#include "engine/sprite/sprite_tree.h"
#include "game/attrib.h"
#include "platform/byte_reader.h"

sc_Thing::sc_Thing() = default;

sc_Thing::~sc_Thing() {
    vFreeImage();
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

sc_Thing::sc_Thing(const sc_Thing& other) : sc_NodeEx(other) {
    vCopyData(&other);
}

sc_Thing& sc_Thing::operator=(const sc_Thing& other) {
    if (this != &other) {
        sc_NodeEx::operator=(other);
        vCopyData(&other);
    }
    return *this;
}

void sc_Thing::vLoadImage() {
    vFreeImage();
    if (!g_pMemoryControl) return;
    pImage =
        g_pMemoryControl->pGetDir(oStrFile.pGetText(), oImgFile.pGetText(), lObject, lStatus, lDirection);
    bLoaded = pImage ? 1 : 0;
}

void sc_Thing::vFreeImage() {
    if (g_pMemoryControl) {
        g_pMemoryControl->vFree(pImage);
        g_pMemoryControl->vFree(pBreakImage);
    }
    pImage = pBreakImage = nullptr;
    bLoaded = 0;
}

bool sc_Thing::bLoad(sc_ByteReader& in) {
    oStrFile.bLoad(in);
    oImgFile.bLoad(in);
    in.Read(lObject, lStatus, lDirection, lFrameDelay);
    oPos.bRead(in);
    in.Read(lId, bPushable, lReserved, lLife, lBreakObject);
    for (int32_t i = 0; i < kDropSlots; ++i)
        in.Read(lDropChance[i], lDropKind[i]);
    if (!in) return false;
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
    out.Write(lObject, lStatus, lDirection, lFrameDelay);
    oPos.vWrite(out);
    out.Write(lId, bPushable, lReserved, lLife, lBreakObject);
    for (int32_t i = 0; i < kDropSlots; ++i)
        out.Write(lDropChance[i], lDropKind[i]);
}

sc_AllThing* g_pAllThing = nullptr;

sc_AllThing::sc_AllThing() {
    g_pAllThing = this;
}

sc_AllThing::~sc_AllThing() {
    vClear();
    if (g_pAllThing == this) g_pAllThing = nullptr;
}

void sc_AllThing::vClear() {
    oList.vClear();
    bActive = 0;
}

void sc_AllThing::vSet(sc_Point* pViewPoint) {
    vClear();
    pView = pViewPoint;
}

sc_Thing* sc_AllThing::pAdd() {
    oList.vAdd(sc_Thing());
    const int32_t index = oList.lGetCount() - 1;
    sc_Thing* t = pGetThing(index);
    t->pView = pView;
    t->lIndex = index;
    return t;
}

bool sc_AllThing::bLoad(sc_ByteReader& in) {
    vClear();
    uint32_t count = 0;
    if (!in.ReadCount(count, sc_Thing::kRecordMinBytes)) return false;
    for (uint32_t i = 0; i < count; ++i)
        if (!pAdd()->bLoad(in)) return false;
    return true;
}

void sc_AllThing::vSave(sc_ByteWriter& out) const {
    out.Write(static_cast<uint32_t>(oList.lGetCount()));
    for (int32_t i = 0; i < oList.lGetCount(); ++i)
        pGetThing(i)->vSave(out);
}

void sc_AllThing::vLoadImage() {
    for (int32_t i = 0; i < oList.lGetCount(); ++i)
        pGetThing(i)->vLoadImage();
    bActive = 1;
}

void sc_AllThing::vFreeImage() {
    for (int32_t i = 0; i < oList.lGetCount(); ++i)
        pGetThing(i)->vFreeImage();
    bActive = 0;
}
