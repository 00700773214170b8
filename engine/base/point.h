#pragma once
#include <cstdint>

class sc_File;
class sc_ByteReader;
class sc_ByteWriter;

// The plain point that point operations return by value.
struct ss_PlainPoint {
    int32_t x = 0;
    int32_t y = 0;
    bool operator==(const ss_PlainPoint&) const = default;
};

// Packs a point into one 32-bit value: x in the low half, y in the high
// half, each cut to 16 bits.
inline uint32_t l_PackPoint(int32_t x, int32_t y) {
    return (static_cast<uint32_t>(static_cast<uint16_t>(x))) |
           (static_cast<uint32_t>(static_cast<uint16_t>(y)) << 16);
}

// The operations shared by the 32-bit point and the 16-bit sprite point.
// Plain is the record of two coordinates that results are returned in;
// arithmetic wraps at the coordinates' width, as the registers did.
template <class Plain> class sc_PointOf : public Plain {
public:
    using Coord = decltype(Plain::x);

    sc_PointOf() = default;
    sc_PointOf(Coord px, Coord py) : Plain{px, py} {}
    // x from the low half, y from the high half, each a signed 16-bit number.
    explicit sc_PointOf(uint32_t packed) : Plain(oUnpack(packed)) {}
    sc_PointOf(const sc_PointOf&) = default;
    sc_PointOf& operator=(const sc_PointOf&) = default;
    virtual ~sc_PointOf() = default;

    Plain oSet(Coord px, Coord py);
    Plain oOffset(Coord dx, Coord dy);
    Plain oOffsetBack(Coord dx, Coord dy);
    Plain oPlus(Coord dx, Coord dy) const;
    Plain oMinus(Coord dx, Coord dy) const;
    int32_t bEqual(Coord px, Coord py) const { return this->x == px && this->y == py; }

    Plain oSetPacked(uint32_t p);
    Plain oOffsetPacked(uint32_t p);
    Plain oOffsetBackPacked(uint32_t p);
    Plain oPlusPacked(uint32_t p) const;
    Plain oMinusPacked(uint32_t p) const;
    int32_t bEqualPacked(uint32_t p) const;

    Plain oPlain() const { return Plain{this->x, this->y}; }

    // The record: x, then y, each of the coordinates' width. The file forms
    // transfer field by field and leave a field that was not read as it was;
    // the reader form takes the whole record or changes nothing.
    void vWrite(sc_File& file) const;
    void vRead(sc_File& file);
    void vWrite(sc_ByteWriter& out) const;
    bool bRead(sc_ByteReader& in);

    static Plain oUnpack(uint32_t packed) {
        return Plain{static_cast<Coord>(static_cast<int16_t>(packed & 0xFFFF)),
                     static_cast<Coord>(static_cast<int16_t>(packed >> 16))};
    }
};

extern template class sc_PointOf<ss_PlainPoint>;

// A point of two signed 32-bit coordinates; y grows downwards.
class sc_Point : public sc_PointOf<ss_PlainPoint> {
public:
    using sc_PointOf::sc_PointOf;
    sc_Point() = default;
};
