#include "engine/base/rect.h"

#include "engine/base/file.h"
#include "engine/base/game_point.h"
#include "platform/byte_reader.h"

ss_Rect ss_Rect::XYWH(int32_t x, int32_t y, int32_t w, int32_t h) {
    ss_Rect r;
    r.vSetXYWH(x, y, w, h);
    return r;
}

ss_Rect& ss_Rect::vSet(int32_t l, int32_t t, int32_t r, int32_t b) {
    left = l;
    top = t;
    right = r;
    bottom = b;
    return *this;
}

void ss_Rect::vSetXYWH(int32_t x, int32_t y, int32_t w, int32_t h) {
    left = x;
    top = y;
    right = x + w - 1;
    bottom = y + h - 1;
}

ss_PlainRect ss_Rect::oSet(int32_t l, int32_t t, int32_t r, int32_t b) {
    vSet(l, t, r, b);
    return oPlain();
}

int32_t ss_Rect::bEqual(int32_t l, int32_t t, int32_t r, int32_t b) const {
    return left == l && top == t && right == r && bottom == b;
}

int32_t ss_Rect::bOverlap(int32_t l, int32_t t, int32_t r, int32_t b) const {
    const bool horizontal = (left <= l && right >= l) || (left >= l && left <= r);
    const bool vertical = (top <= t && bottom >= t) || (top >= t && top <= b);
    return horizontal && vertical;
}

int32_t ss_Rect::bInside(int32_t x, int32_t y) const {
    return !(x < left || x > right || y < top || y > bottom);
}

ss_Rect& ss_Rect::vOffset(int32_t dx, int32_t dy) {
    left += dx;
    right += dx;
    top += dy;
    bottom += dy;
    return *this;
}

ss_Rect& ss_Rect::vMoveTo(int32_t x, int32_t y) {
    right += x - left;
    bottom -= top - y;
    left = x;
    top = y;
    return *this;
}

void ss_Rect::lClip(int32_t w, int32_t h) {
    if (left < 0) left = 0;
    if (top < 0) top = 0;
    if (right >= w) right = w - 1;
    if (bottom >= h) bottom = h - 1;
}

ss_PlainRect ss_Rect::oSetGameRect(const sc_GameRect& r) {
    return oSet(r.left, r.top, r.right, r.bottom);
}

void ss_Rect::vWrite(sc_File& file) const {
    file.lWriteField(left);
    file.lWriteField(top);
    file.lWriteField(right);
    file.lWriteField(bottom);
}

void ss_Rect::vRead(sc_File& file) {
    file.lReadField(left);
    file.lReadField(top);
    file.lReadField(right);
    file.lReadField(bottom);
}

void ss_Rect::vWrite(sc_ByteWriter& out) const { out.Write(left, top, right, bottom); }

bool ss_Rect::bRead(sc_ByteReader& in) { return in.Read(left, top, right, bottom); }
