#pragma once
#include <cstdint>

#include "engine/base/point.h"
#include "engine/base/rect.h"

class sc_File;
class sc_ByteReader;
class sc_ByteWriter;

// The 16-bit point of sprite geometry. Arithmetic wraps in 16 bits.
struct ss_GamePoint {
    int16_t x = 0;
    int16_t y = 0;
    bool operator==(const ss_GamePoint&) const = default;
};

extern template class sc_PointOf<ss_GamePoint>;

class sc_GamePoint : public sc_PointOf<ss_GamePoint> {
public:
    using sc_PointOf::sc_PointOf;
    sc_GamePoint() = default;
    virtual ss_GamePoint oAssignPacked(uint32_t packed) { return oSetPacked(packed); }

    // With a non-zero flag keeps the longer of the two points (a tie goes to
    // the argument), with 0 the shorter (a tie keeps the object); length is
    // the larger absolute coordinate. 1 when the object was replaced.
    int32_t lTakeLonger(uint32_t p, int32_t flag);
    // y at column x on the line through the object and other; -32768 when
    // the line is vertical and does not pass through x.
    int16_t lLineY(const ss_GamePoint& other, int16_t px) const;
    // (x - a.x) * (b.y - y) / (b.x - x) + a.y; a.y when b.x equals x.
    int32_t lInterpolate(const ss_GamePoint& a, const ss_GamePoint& b) const;
};

struct ss_GameRect {
    int16_t left = 0;
    int16_t top = 0;
    int16_t right = 0;
    int16_t bottom = 0;
};

// The 16-bit inclusive rectangle. Plain results are the sign-extended edges.
class sc_GameRect : public ss_GameRect {
public:
    sc_GameRect() = default;
    sc_GameRect(int16_t l, int16_t t, int16_t r, int16_t b) : ss_GameRect{l, t, r, b} {}
    // Top-left from p1, bottom-right from p2.
    sc_GameRect(uint32_t p1, uint32_t p2) { oSetPacked(p1, p2); }
    // The (x, y, w, h) form; static since it also takes four integers.
    static sc_GameRect XYWH(int32_t px, int32_t py, int32_t w, int32_t h);
    sc_GameRect(const sc_GameRect&) = default;
    sc_GameRect& operator=(const sc_GameRect&) = default;
    virtual ~sc_GameRect() = default;

    ss_PlainRect oSet(int16_t l, int16_t t, int16_t r, int16_t b);
    ss_PlainRect oSetXYWH(int32_t px, int32_t py, int32_t w, int32_t h);
    int32_t bEqual(int16_t l, int16_t t, int16_t r, int16_t b) const;
    int32_t bOverlap(int16_t l, int16_t t, int16_t r, int16_t b) const;
    int32_t bInside(int16_t px, int16_t py) const;
    int32_t bInside(int32_t px, int32_t py) const;
    ss_PlainRect oSetPacked(uint32_t p1, uint32_t p2);
    int32_t bEqualPacked(uint32_t p1, uint32_t p2) const;
    int32_t bOverlapPacked(uint32_t p1, uint32_t p2) const;
    int32_t bInsidePacked(uint32_t p) const;
    sc_GameRect& vOffset(int16_t dx, int16_t dy);
    void vMoveTo(int16_t px, int16_t py);
    void lClip(int32_t w, int32_t h);
    int32_t lWidth() const { return right - left + 1; }
    int32_t lHeight() const { return bottom - top + 1; }

    ss_PlainRect oPlain() const { return ss_PlainRect{left, top, right, bottom}; }

    // The 8-byte record: left, top, right, bottom, 2 bytes each.
    void vWrite(sc_File& file) const;
    void vRead(sc_File& file);
    void vWrite(sc_ByteWriter& out) const;
    bool bRead(sc_ByteReader& in);
};
