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

// Unpacks a point stored in one 32-bit value: x in the low half, y in the
// high half, each a signed 16-bit number.
inline ss_PlainPoint o_UnpackPoint(uint32_t packed) {
    return ss_PlainPoint{static_cast<int16_t>(packed & 0xFFFF), static_cast<int16_t>(packed >> 16)};
}

inline uint32_t l_PackPoint(int32_t x, int32_t y) {
    return (static_cast<uint32_t>(static_cast<uint16_t>(x))) |
           (static_cast<uint32_t>(static_cast<uint16_t>(y)) << 16);
}

// A point of two signed 32-bit coordinates; y grows downwards.
class sc_Point : public ss_PlainPoint {
public:
    sc_Point() = default;
    sc_Point(int32_t px, int32_t py) : ss_PlainPoint{px, py} {}
    explicit sc_Point(uint32_t packed) : ss_PlainPoint(o_UnpackPoint(packed)) {}
    sc_Point(const sc_Point&) = default;
    sc_Point& operator=(const sc_Point&) = default;
    virtual ~sc_Point() = default;

    ss_PlainPoint oSet(int32_t px, int32_t py);
    ss_PlainPoint oOffset(int32_t dx, int32_t dy);
    ss_PlainPoint oOffsetBack(int32_t dx, int32_t dy);
    ss_PlainPoint oPlus(int32_t dx, int32_t dy) const;
    ss_PlainPoint oMinus(int32_t dx, int32_t dy) const;
    int32_t bEqual(int32_t px, int32_t py) const { return x == px && y == py; }

    ss_PlainPoint oSetPacked(uint32_t p);
    ss_PlainPoint oOffsetPacked(uint32_t p);
    ss_PlainPoint oOffsetBackPacked(uint32_t p);
    ss_PlainPoint oPlusPacked(uint32_t p) const;
    ss_PlainPoint oMinusPacked(uint32_t p) const;
    int32_t bEqualPacked(uint32_t p) const;

    ss_PlainPoint oPlain() const { return ss_PlainPoint{x, y}; }

    // The 8-byte record: x, then y, 4 bytes each. The file forms transfer
    // field by field and leave a field that was not read as it was; the
    // reader form takes the whole record or changes nothing.
    void vWrite(sc_File& file) const;
    void vRead(sc_File& file);
    void vWrite(sc_ByteWriter& out) const;
    bool bRead(sc_ByteReader& in);
};
