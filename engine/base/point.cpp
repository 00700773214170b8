#include "engine/base/point.h"

#include <type_traits>

#include "engine/base/file.h"
#include "engine/base/game_point.h"
#include "platform/byte_reader.h"

namespace {
// Sums and differences wrap at the coordinates' width.
template <class C> C Add(C a, C b) {
    using U = std::make_unsigned_t<C>;
    return static_cast<C>(static_cast<U>(static_cast<U>(a) + static_cast<U>(b)));
}
template <class C> C Sub(C a, C b) {
    using U = std::make_unsigned_t<C>;
    return static_cast<C>(static_cast<U>(static_cast<U>(a) - static_cast<U>(b)));
}
} // namespace

template <class Plain> Plain sc_PointOf<Plain>::oSet(Coord px, Coord py) {
    this->x = px;
    this->y = py;
    return oPlain();
}

template <class Plain> Plain sc_PointOf<Plain>::oOffset(Coord dx, Coord dy) {
    this->x = Add(this->x, dx);
    this->y = Add(this->y, dy);
    return oPlain();
}

template <class Plain> Plain sc_PointOf<Plain>::oOffsetBack(Coord dx, Coord dy) {
    this->x = Sub(this->x, dx);
    this->y = Sub(this->y, dy);
    return oPlain();
}

template <class Plain> Plain sc_PointOf<Plain>::oPlus(Coord dx, Coord dy) const {
    sc_PointOf copy(*this);
    return copy.oOffset(dx, dy);
}

template <class Plain> Plain sc_PointOf<Plain>::oMinus(Coord dx, Coord dy) const {
    sc_PointOf copy(*this);
    return copy.oOffsetBack(dx, dy);
}

template <class Plain> Plain sc_PointOf<Plain>::oSetPacked(uint32_t p) {
    const Plain u = oUnpack(p);
    return oSet(u.x, u.y);
}

template <class Plain> Plain sc_PointOf<Plain>::oOffsetPacked(uint32_t p) {
    const Plain u = oUnpack(p);
    return oOffset(u.x, u.y);
}

template <class Plain> Plain sc_PointOf<Plain>::oOffsetBackPacked(uint32_t p) {
    const Plain u = oUnpack(p);
    return oOffsetBack(u.x, u.y);
}

template <class Plain> Plain sc_PointOf<Plain>::oPlusPacked(uint32_t p) const {
    const Plain u = oUnpack(p);
    return oPlus(u.x, u.y);
}

template <class Plain> Plain sc_PointOf<Plain>::oMinusPacked(uint32_t p) const {
    const Plain u = oUnpack(p);
    return oMinus(u.x, u.y);
}

template <class Plain> int32_t sc_PointOf<Plain>::bEqualPacked(uint32_t p) const {
    const Plain u = oUnpack(p);
    return bEqual(u.x, u.y);
}

template <class Plain> void sc_PointOf<Plain>::vWrite(sc_File& file) const {
    file.lWriteField(this->x);
    file.lWriteField(this->y);
}

template <class Plain> void sc_PointOf<Plain>::vRead(sc_File& file) {
    file.lReadField(this->x);
    file.lReadField(this->y);
}

template <class Plain> void sc_PointOf<Plain>::vWrite(sc_ByteWriter& out) const {
    out.Write(this->x, this->y);
}

template <class Plain> bool sc_PointOf<Plain>::bRead(sc_ByteReader& in) {
    return in.Read(this->x, this->y);
}

template class sc_PointOf<ss_PlainPoint>;
template class sc_PointOf<ss_GamePoint>;
