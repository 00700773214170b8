#include "engine/base/game_point.h"

#include <algorithm>
#include <cstdlib>

#include "engine/base/file.h"
#include "platform/byte_reader.h"

namespace {

int16_t W(int32_t v) { return static_cast<int16_t>(v); }

int32_t Length(int32_t x, int32_t y) { return std::max(std::abs(x), std::abs(y)); }

} // namespace

int32_t sc_GamePoint::lTakeLonger(uint32_t p, int32_t flag) {
    const ss_GamePoint u = sc_GamePoint::oUnpack(p);
    const int32_t m = Length(x, y);
    const int32_t n = Length(u.x, u.y);
    const bool replace = flag ? m <= n : m > n;
    if (!replace) return 0;
    oSet(u.x, u.y);
    return 1;
}

int16_t sc_GamePoint::lLineY(const ss_GamePoint& other, int16_t px) const {
    const int16_t dy = W(y - other.y);
    if (dy == 0) return y;
    const int16_t dx = W(x - other.x);
    if (dx == 0) return px == x ? y : int16_t{-32768};
    // |x - px| < 2^16 and |dy| <= 2^15, so the product fits in 32 bits.
    return W(y - ((x - px) * dy) / dx);
}

int32_t sc_GamePoint::lInterpolate(const ss_GamePoint& a, const ss_GamePoint& b) const {
    const int32_t div = b.x - x;
    if (div == 0) return a.y;
    // The product of two 17-bit differences can pass 32 bits: wrap it as the
    // 32-bit multiply did, then divide in 64 bits so INT_MIN / -1 cannot trap.
    const int32_t prod = static_cast<int32_t>(static_cast<uint32_t>(x - a.x) * static_cast<uint32_t>(b.y - y));
    const auto quot = static_cast<int32_t>(static_cast<uint32_t>(static_cast<int64_t>(prod) / div));
    return static_cast<int32_t>(static_cast<uint32_t>(quot) + static_cast<uint32_t>(a.y));
}

sc_GameRect sc_GameRect::XYWH(int32_t px, int32_t py, int32_t w, int32_t h) {
    sc_GameRect r;
    r.oSetXYWH(px, py, w, h);
    return r;
}

ss_PlainRect sc_GameRect::oSet(int16_t l, int16_t t, int16_t r, int16_t b) {
    left = l;
    top = t;
    right = r;
    bottom = b;
    return oPlain();
}

ss_PlainRect sc_GameRect::oSetXYWH(int32_t px, int32_t py, int32_t w, int32_t h) {
    // 32-bit sums wrapped before the cut, as the registers did.
    auto sum = [](int32_t a, int32_t b) {
        return W(static_cast<int32_t>(static_cast<uint32_t>(a) + static_cast<uint32_t>(b) - 1u));
    };
    return oSet(W(px), W(py), sum(px, w), sum(py, h));
}

int32_t sc_GameRect::bEqual(int16_t l, int16_t t, int16_t r, int16_t b) const {
    return left == l && top == t && right == r && bottom == b;
}

int32_t sc_GameRect::bOverlap(int16_t l, int16_t t, int16_t r, int16_t b) const {
    const bool horizontal = (left <= l && right >= l) || (left >= l && left <= r);
    const bool vertical = (top <= t && bottom >= t) || (top >= t && top <= b);
    return horizontal && vertical;
}

int32_t sc_GameRect::bInside(int16_t px, int16_t py) const {
    return bInside(static_cast<int32_t>(px), static_cast<int32_t>(py));
}

int32_t sc_GameRect::bInside(int32_t px, int32_t py) const {
    return !(px < left || px > right || py < top || py > bottom);
}

ss_PlainRect sc_GameRect::oSetPacked(uint32_t p1, uint32_t p2) {
    const ss_GamePoint a = sc_GamePoint::oUnpack(p1);
    const ss_GamePoint b = sc_GamePoint::oUnpack(p2);
    return oSet(a.x, a.y, b.x, b.y);
}

int32_t sc_GameRect::bEqualPacked(uint32_t p1, uint32_t p2) const {
    const ss_GamePoint a = sc_GamePoint::oUnpack(p1);
    const ss_GamePoint b = sc_GamePoint::oUnpack(p2);
    return bEqual(a.x, a.y, b.x, b.y);
}

int32_t sc_GameRect::bOverlapPacked(uint32_t p1, uint32_t p2) const {
    const ss_GamePoint a = sc_GamePoint::oUnpack(p1);
    const ss_GamePoint b = sc_GamePoint::oUnpack(p2);
    return bOverlap(a.x, a.y, b.x, b.y);
}

int32_t sc_GameRect::bInsidePacked(uint32_t p) const {
    const ss_GamePoint a = sc_GamePoint::oUnpack(p);
    return bInside(a.x, a.y);
}

sc_GameRect& sc_GameRect::vOffset(int16_t dx, int16_t dy) {
    left = W(left + dx);
    right = W(right + dx);
    top = W(top + dy);
    bottom = W(bottom + dy);
    return *this;
}

void sc_GameRect::vMoveTo(int16_t px, int16_t py) {
    right = W(right + (px - left));
    bottom = W(bottom - (top - py));
    left = px;
    top = py;
}

void sc_GameRect::lClip(int32_t w, int32_t h) {
    const int16_t cw = W(w);
    const int16_t ch = W(h);
    if (left < 0) left = 0;
    if (top < 0) top = 0;
    if (right >= cw) right = W(cw - 1);
    if (bottom >= ch) bottom = W(ch - 1);
}

void sc_GameRect::vWrite(sc_File& file) const {
    file.lWriteField(left);
    file.lWriteField(top);
    file.lWriteField(right);
    file.lWriteField(bottom);
}

void sc_GameRect::vRead(sc_File& file) {
    file.lReadField(left);
    file.lReadField(top);
    file.lReadField(right);
    file.lReadField(bottom);
}

void sc_GameRect::vWrite(sc_ByteWriter& out) const { out.Write(left, top, right, bottom); }

bool sc_GameRect::bRead(sc_ByteReader& in) { return in.Read(left, top, right, bottom); }
