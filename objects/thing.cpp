#include "objects/thing.h"

#include "platform/byte_reader.h"
#include "game/attrib.h"

sc_Thing::sc_Thing() = default;

sc_Thing::~sc_Thing() = default;

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
    const sc_Thing blank;
    oList.vAdd(&blank);
    const int32_t index = oList.lGetCount() - 1;
    sc_Thing* thing = pGetThing(index);
    thing->pView = pView;
    thing->lIndex = index;
    return thing;
}
