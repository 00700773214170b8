#include "objects/animal.h"

#include "platform/byte_reader.h"
#include "game/attrib.h"

sc_Animal::sc_Animal() = default;

sc_Animal::~sc_Animal() = default;

void sc_Animal::vCopyData(const sc_NodeEx* source) {
    if (source == this || !b_IsExactly<sc_Animal>(source)) return;
    const auto& p = *static_cast<const sc_Animal*>(source);
    sPackStr.vCopy(&p.sPackStr);
    sPackImg.vCopy(&p.sPackImg);
    lObject = p.lObject;
    lFrameDelay = p.lFrameDelay;
    oStep = p.oStep;
    lId = p.lId;
    lTurnTime = p.lTurnTime;
    lStepTime = p.lStepTime;
    lStepRand = p.lStepRand;
    oFrightBox = p.oFrightBox;
}

bool sc_Animal::bReadAttrib(sc_ByteReader& in) {
    attrib::bReadText(in, sPackStr);
    attrib::bReadText(in, sPackImg);
    in.Read(lObject);
    in.Read(lFrameDelay);
    attrib::bReadPoint(in, oStep);
    in.Read(lId);
    in.Read(lTurnTime);
    in.Read(lStepTime);
    in.Read(lStepRand);
    attrib::bReadPoint(in, oFrightBox);
    return in.Ok();
}
