#include "engine/base/point.h"

#include "engine/base/file.h"
#include "platform/byte_reader.h"

namespace {
// Coordinates wrap like the 32-bit registers they were.
int32_t Add(int32_t a, int32_t b) {
    return static_cast<int32_t>(static_cast<uint32_t>(a) + static_cast<uint32_t>(b));
}
int32_t Sub(int32_t a, int32_t b) {
    return static_cast<int32_t>(static_cast<uint32_t>(a) - static_cast<uint32_t>(b));
}
} // namespace

ss_PlainPoint sc_Point::oSet(int32_t px, int32_t py) {
    x = px;
    y = py;
    return oPlain();
}

ss_PlainPoint sc_Point::oOffset(int32_t dx, int32_t dy) {
    x = Add(x, dx);
    y = Add(y, dy);
    return oPlain();
}

ss_PlainPoint sc_Point::oOffsetBack(int32_t dx, int32_t dy) {
    x = Sub(x, dx);
    y = Sub(y, dy);
    return oPlain();
}

ss_PlainPoint sc_Point::oPlus(int32_t dx, int32_t dy) const {
    sc_Point copy(*this);
    return copy.oOffset(dx, dy);
}

ss_PlainPoint sc_Point::oMinus(int32_t dx, int32_t dy) const {
    sc_Point copy(*this);
    return copy.oOffsetBack(dx, dy);
}

ss_PlainPoint sc_Point::oSetPacked(uint32_t p) {
    const ss_PlainPoint u = o_UnpackPoint(p);
    return oSet(u.x, u.y);
}

ss_PlainPoint sc_Point::oOffsetPacked(uint32_t p) {
    const ss_PlainPoint u = o_UnpackPoint(p);
    return oOffset(u.x, u.y);
}

ss_PlainPoint sc_Point::oOffsetBackPacked(uint32_t p) {
    const ss_PlainPoint u = o_UnpackPoint(p);
    return oOffsetBack(u.x, u.y);
}

ss_PlainPoint sc_Point::oPlusPacked(uint32_t p) const {
    const ss_PlainPoint u = o_UnpackPoint(p);
    return oPlus(u.x, u.y);
}

ss_PlainPoint sc_Point::oMinusPacked(uint32_t p) const {
    const ss_PlainPoint u = o_UnpackPoint(p);
    return oMinus(u.x, u.y);
}

int32_t sc_Point::bEqualPacked(uint32_t p) const {
    const ss_PlainPoint u = o_UnpackPoint(p);
    return bEqual(u.x, u.y);
}

void sc_Point::vWrite(sc_File& file) const {
    file.lWriteField(x);
    file.lWriteField(y);
}

void sc_Point::vRead(sc_File& file) {
    file.lReadField(x);
    file.lReadField(y);
}

void sc_Point::vWrite(sc_ByteWriter& out) const { out.Write(x, y); }

bool sc_Point::bRead(sc_ByteReader& in) { return in.Read(x, y); }
