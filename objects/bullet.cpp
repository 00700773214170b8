#include "objects/bullet.h"

#include "platform/byte_reader.h"
#include "game/attrib.h"

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
