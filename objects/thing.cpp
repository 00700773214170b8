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
