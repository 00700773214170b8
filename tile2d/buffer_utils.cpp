#include "tile2d/buffer_utils.h"

#include <cstring>

#include "tile2d/bounded_rows.h"
#include "tile2d/colour_fill.h"
#include "tile2d/tile_walk.h"

using namespace t2d_detail;

namespace {

// A caller's buffer; accesses that do not lie wholly inside it are refused.
template <class Byte>
struct Buf {
    Byte* p;
    uint64_t n;
    bool Has(int64_t at, uint64_t size) const {
        return p && at >= 0 && static_cast<uint64_t>(at) <= n && size <= n - static_cast<uint64_t>(at);
    }
    bool Get16(int64_t at, uint16_t& v) const {
        if (!Has(at, 2)) return false;
        v = Load16(p + at);
        return true;
    }
};
using In = Buf<const uint8_t>;
using Out = Buf<uint8_t>;

// op(source pixel, target pixel) -> new target pixel, over a w x h block;
// `skipZero` leaves the target where the source pixel is 0.
template <class Op>
void ForBlock(In s, Out t, uint32_t w, uint32_t h, uint64_t srcPitch, uint64_t tgtPitch, bool skipZero, Op&& op) {
    for (uint32_t r = 0; r < h; ++r) {
        for (uint32_t i = 0; i < w; ++i) {
            const int64_t sa = Offset(r, srcPitch, 2 * int64_t{i}), ta = Offset(r, tgtPitch, 2 * int64_t{i});
            uint16_t a, b;
            if (!s.Get16(sa, a) || !t.Get16(ta, b)) continue;
            if (skipZero && a == 0) continue;
            Store16(t.p + ta, op(a, b));
        }
    }
}

void Put16(Out t, int64_t at, uint16_t v) {
    if (t.Has(at, 2)) Store16(t.p + at, v);
}

// The 2 x 2 square of each source pixel: make(p, q, b, b2, isLastRow, out)
// fills the four target pixels (top-left, top-right, bottom-left,
// bottom-right); q is the next pixel in memory, b and b2 those below p and q.
template <class Make, class Op>
void Double(In s, Out t, uint32_t w, uint32_t h, uint32_t srcPitch, uint32_t tgtPitch, Make&& make, Op&& op) {
    for (uint32_t y = 0; y < h; ++y) {
        for (uint32_t x = 0; x < w; ++x) {
            const int64_t at = Offset(y, srcPitch, x) * 2;
            uint16_t p;
            if (!s.Get16(at, p)) continue;
            uint16_t q = p, b = p, b2 = p;
            s.Get16(at + 2, q);
            const bool last = y + 1 == h;
            if (!last) {
                const int64_t below = Offset(int64_t{y} + 1, srcPitch, x) * 2;
                s.Get16(below, b);
                s.Get16(below + 2, b2);
            }
            uint16_t px[4];
            make(p, q, b, b2, last, px);
            const int64_t top = Offset(int64_t{2} * y, tgtPitch, int64_t{4} * x);
            const int64_t next = Offset(int64_t{2} * y + 1, tgtPitch, int64_t{4} * x);
            const int64_t at4[4] = {top, top + 2, next, next + 2};
            for (int k = 0; k < 4; ++k) {
                uint16_t d;
                if (t.Get16(at4[k], d)) Store16(t.p + at4[k], op(px[k], d));
            }
        }
    }
}

uint16_t Keep(uint16_t s, uint16_t) {
    return s;
}

uint16_t g_aDebugCells[kDebugColumns * kDebugRows] = {};

// The cells are one run of memory, so text past column 79 goes on at the
// start of the next row.
void PutCell(int64_t col, int64_t row, uint8_t ch, uint8_t attribute) {
    const int64_t at = row * kDebugColumns + col;
    if (at < 0 || at >= int64_t{kDebugColumns} * kDebugRows) return;
    g_aDebugCells[at] = static_cast<uint16_t>(ch | attribute << 8);
}

bool FitsImage(uint32_t w, uint32_t h, uint32_t unit, uint32_t targetBytes) {
    return w <= 0xFFFF && h <= 0xFFFF && 4 + uint64_t{w} * h * unit <= targetBytes;
}

// Copies a w x h block of `unit`-byte pixels from source + at (rows
// pitchBytes apart) into a block image.
void Grab(int64_t at, uint32_t w, uint32_t h, uint32_t unit, uint8_t* target, uint32_t targetBytes,
          const uint8_t* source, uint32_t sourceBytes, uint64_t pitchBytes) {
    if (!target || !FitsImage(w, h, unit, targetBytes)) return;
    const In s{source, sourceBytes};
    const uint64_t row = uint64_t{w} * unit;
    if (w && h && !s.Has(at, (h - 1) * pitchBytes + row)) return;
    Store32(target, w | h << 16);
    for (uint32_t r = 0; r < h && row; ++r)
        std::memcpy(target + 4 + r * row, source + at + static_cast<int64_t>(r * pitchBytes), row);
}

void Put8(int64_t x, int64_t y, const uint8_t* image, uint32_t imageBytes, uint8_t* target, uint32_t targetBytes,
          uint32_t pitchBytes, bool key) {
    if (!image || imageBytes < 4) return;
    const uint32_t w = Load32(image) & 0xFFFF;
    if (w == 0) return;
    const uint32_t h = std::min<uint32_t>(Load32(image) >> 16, (imageBytes - 4) / w);
    for (uint32_t r = 0; r < h; ++r) {
        const uint8_t* src = image + 4 + uint64_t{r} * w;
        ClipSpan(target, targetBytes, Offset(y + r, pitchBytes, x), w, [&](uint8_t* d, int64_t cut, uint32_t n) {
            for (uint32_t i = 0; i < n; ++i)
                if (!key || src[cut + i]) d[i] = src[cut + i];
        });
    }
}

} // namespace

void v_CopyRect16(const uint8_t* src, uint32_t srcBytes, uint8_t* target, uint32_t targetBytes, uint32_t w,
                  uint32_t h, uint32_t srcPitchBytes, uint32_t targetPitchBytes) {
    ForBlock(In{src, srcBytes}, Out{target, targetBytes}, w & ~1u, h & ~7u, srcPitchBytes, targetPitchBytes, false,
             Keep);
}

void v_Reduce2(const uint8_t* src, uint32_t srcBytes, uint8_t* target, uint32_t targetBytes, uint32_t w, uint32_t h,
               uint32_t srcPitch, uint32_t targetPitchBytes) {
    const In s{src, srcBytes};
    const Out t{target, targetBytes};
    for (uint32_t r = 0; r < h / 2; ++r)
        for (uint32_t i = 0; i < w / 2; ++i) {
            uint16_t p;
            if (s.Get16(Offset(int64_t{2} * r, srcPitch, 2 * int64_t{i}) * 2, p))
                Put16(t, Offset(r, targetPitchBytes, 2 * int64_t{i}), p);
        }
}

void v_Magnify2(const uint8_t* src, uint32_t srcBytes, uint8_t* target, uint32_t targetBytes, uint32_t w, uint32_t h,
                uint32_t srcPitch, uint32_t targetPitchBytes) {
    Double(In{src, srcBytes}, Out{target, targetBytes}, w, h, srcPitch, targetPitchBytes,
           [](uint16_t p, uint16_t, uint16_t, uint16_t, bool, uint16_t* o) { o[0] = o[1] = o[2] = o[3] = p; }, Keep);
}

void v_Magnify2Level(const uint8_t* src, uint32_t srcBytes, uint8_t* target, uint32_t targetBytes, uint32_t w,
                     uint32_t h, uint32_t srcPitch, uint32_t targetPitchBytes, uint32_t level) {
    const Channels ch = Channels::Current();
    const uint32_t lv[3] = {level & 63, level & 63, level & 63};
    Double(In{src, srcBytes}, Out{target, targetBytes}, w, h, srcPitch, targetPitchBytes,
           [&](uint16_t p, uint16_t, uint16_t, uint16_t, bool, uint16_t* o) { o[0] = o[1] = o[2] = o[3] = ch.Scale(lv, p); },
           Keep);
}

namespace {

auto SoftMaker(const Channels& ch) {
    return [&ch](uint16_t p, uint16_t q, uint16_t b, uint16_t b2, bool last, uint16_t* o) {
        o[0] = p;
        o[1] = ch.Half(p, q);
        o[2] = last ? o[0] : ch.Half(p, b);
        o[3] = last ? o[1] : ch.Half(p, b2);
    };
}

} // namespace

void v_Magnify2Smooth(const uint8_t* src, uint32_t srcBytes, uint8_t* target, uint32_t targetBytes, uint32_t w,
                      uint32_t h, uint32_t srcPitch, uint32_t targetPitchBytes) {
    const Channels ch = Channels::Current();
    Double(In{src, srcBytes}, Out{target, targetBytes}, w, h, srcPitch, targetPitchBytes,
           [&](uint16_t p, uint16_t q, uint16_t b, uint16_t b2, bool last, uint16_t* o) {
               o[0] = p;
               o[1] = ch.Half(p, q);
               if (last) {
                   o[2] = o[0];
                   o[3] = o[1];
                   return;
               }
               o[2] = ch.Half(p, b);
               o[3] = ch.Half(ch.Half(ch.Half(p, b2), o[1]), o[2]);
           },
           Keep);
}

void v_Magnify2Soft(const uint8_t* src, uint32_t srcBytes, uint8_t* target, uint32_t targetBytes, uint32_t w,
                    uint32_t h, uint32_t srcPitch, uint32_t targetPitchBytes) {
    const Channels ch = Channels::Current();
    Double(In{src, srcBytes}, Out{target, targetBytes}, w, h, srcPitch, targetPitchBytes, SoftMaker(ch), Keep);
}

void v_Magnify2SoftAdd(const uint8_t* src, uint32_t srcBytes, uint8_t* target, uint32_t targetBytes, uint32_t w,
                       uint32_t h, uint32_t srcPitch, uint32_t targetPitchBytes) {
    const Channels ch = Channels::Current();
    Double(In{src, srcBytes}, Out{target, targetBytes}, w, h, srcPitch, targetPitchBytes, SoftMaker(ch),
           [&](uint16_t s, uint16_t d) { return ch.AddSat(s, d); });
}

void v_BlendHalfPairs(const uint8_t* src, uint32_t srcBytes, uint8_t* target, uint32_t targetBytes, uint32_t w,
                      uint32_t h, uint32_t srcPitchBytes, uint32_t targetPitchBytes) {
    const Channels ch = Channels::Current();
    ForBlock(In{src, srcBytes}, Out{target, targetBytes}, w & ~1u, h, srcPitchBytes, targetPitchBytes, false,
             [&](uint16_t s, uint16_t d) { return ch.Half(s, d); });
}

void v_BlendHalfKey(const uint8_t* src, uint32_t srcBytes, uint8_t* target, uint32_t targetBytes, uint32_t w,
                    uint32_t h, uint32_t srcPitchBytes, uint32_t targetPitchBytes) {
    const Channels ch = Channels::Current();
    ForBlock(In{src, srcBytes}, Out{target, targetBytes}, w, h, srcPitchBytes, targetPitchBytes, true,
             [&](uint16_t s, uint16_t d) { return ch.Half(s, d); });
}

void v_AddRect(const uint8_t* src, uint32_t srcBytes, uint8_t* target, uint32_t targetBytes, uint32_t w, uint32_t h,
               uint32_t srcPitchBytes, uint32_t targetPitchBytes) {
    const Channels ch = Channels::Current();
    ForBlock(In{src, srcBytes}, Out{target, targetBytes}, w, h, srcPitchBytes, targetPitchBytes, false,
             [&](uint16_t s, uint16_t d) { return ch.AddSat(s, d); });
}

void v_AddRectKey(const uint8_t* src, uint32_t srcBytes, uint8_t* target, uint32_t targetBytes, uint32_t w,
                  uint32_t h, uint32_t srcPitchBytes, uint32_t targetPitchBytes) {
    const Channels ch = Channels::Current();
    ForBlock(In{src, srcBytes}, Out{target, targetBytes}, w, h, srcPitchBytes, targetPitchBytes, true,
             [&](uint16_t s, uint16_t d) { return ch.AddSat(s, d); });
}

void v_AddRectInterlaced(const uint8_t* src, uint32_t srcBytes, uint8_t* target, uint32_t targetBytes, uint32_t w,
                         uint32_t h, uint32_t srcPitchBytes, uint32_t targetPitchBytes) {
    const Channels ch = Channels::Current();
    ForBlock(In{src, srcBytes}, Out{target, targetBytes}, w, h, srcPitchBytes, uint64_t{targetPitchBytes} * 2, false,
             [&](uint16_t s, uint16_t d) { return ch.AddSat(s, d); });
}

void v_ScaleRectLevel(const uint8_t* src, uint32_t srcBytes, uint8_t* target, uint32_t targetBytes, uint32_t w,
                      uint32_t h, uint32_t srcPitchBytes, uint32_t targetPitchBytes, uint32_t level) {
    const Channels ch = Channels::Current();
    const uint32_t lv[3] = {level & 63, level & 63, level & 63};
    ForBlock(In{src, srcBytes}, Out{target, targetBytes}, w & ~1u, h, srcPitchBytes, targetPitchBytes, false,
             [&](uint16_t s, uint16_t) { return ch.Scale(lv, s); });
}

void v_FillRect(uint32_t byteOffset, uint32_t w, uint32_t h, uint32_t rgb, uint8_t* buffer, uint32_t bytes,
                uint32_t pitch) {
    const uint16_t colour = static_cast<uint16_t>(l_ModeColour(rgb));
    const Out t{buffer, bytes};
    for (uint32_t r = 0; r < h; ++r)
        for (uint32_t i = 0; i < (w & ~1u); ++i)
            Put16(t, int64_t{byteOffset} + Offset(r, pitch, i) * 2, colour);
}

void v_GrabRect8(uint32_t byteOffset, uint32_t w, uint32_t h, uint8_t* target, uint32_t targetBytes,
                 const uint8_t* source, uint32_t sourceBytes, uint32_t pitchBytes) {
    Grab(byteOffset, w, h, 1, target, targetBytes, source, sourceBytes, pitchBytes);
}

void v_GrabRect16(int32_t x, int32_t y, uint32_t w, uint32_t h, uint8_t* target, uint32_t targetBytes,
                  const uint8_t* source, uint32_t sourceBytes, uint32_t pitch) {
    Grab(Offset(y, pitch, x) * 2, w, h, 2, target, targetBytes, source, sourceBytes, uint64_t{pitch} * 2);
}

void v_GrabRect24(int32_t x, int32_t y, uint32_t w, uint32_t h, uint8_t* target, uint32_t targetBytes,
                  const uint8_t* source, uint32_t sourceBytes, uint32_t pitch) {
    Grab(Offset(y, pitch, x) * 3, w, h, 3, target, targetBytes, source, sourceBytes, uint64_t{pitch} * 3);
}

void v_PutImage8(int32_t x, int32_t y, const uint8_t* image, uint32_t imageBytes, uint8_t* target,
                 uint32_t targetBytes, uint32_t pitchBytes) {
    Put8(x, y, image, imageBytes, target, targetBytes, pitchBytes, false);
}

void v_PutImage8Key(int32_t x, int32_t y, const uint8_t* image, uint32_t imageBytes, uint8_t* target,
                    uint32_t targetBytes, uint32_t pitchBytes) {
    Put8(x, y, image, imageBytes, target, targetBytes, pitchBytes, true);
}

void v_DebugText(int32_t x, int32_t y, const char* text, uint8_t attribute) {
    if (!text) return;
    for (int64_t col = x; *text; ++text, ++col)
        PutCell(col, y, static_cast<uint8_t>(*text), attribute);
}

void v_DebugNumber(int32_t x, int32_t y, uint32_t value, uint8_t attribute) {
    for (int64_t i = 0; i < 9; ++i)
        PutCell(int64_t{x} + i, y, ' ', attribute);
    int64_t col = int64_t{x} + 9;
    do {
        PutCell(col--, y, static_cast<uint8_t>('0' + value % 10), attribute);
        value /= 10;
    } while (value);
}

const uint16_t* p_DebugCells() {
    return g_aDebugCells;
}

uint32_t l_Peek32(const uint8_t* p, uint32_t bytes) {
    return p && bytes >= 4 ? Load32(p) : 0;
}

uint32_t l_Peek16(const uint8_t* p, uint32_t bytes) {
    return p && bytes >= 2 ? Load16(p) : 0;
}

uint32_t l_Peek24(const uint8_t* p, uint32_t bytes) {
    return p && bytes >= 3 ? Load16(p) | static_cast<uint32_t>(p[2]) << 16 : 0;
}

void v_Poke32(uint8_t* p, uint32_t bytes, uint32_t value) {
    if (p && bytes >= 4) Store32(p, value);
}

void v_Poke16(uint8_t* p, uint32_t bytes, uint32_t value) {
    if (p && bytes >= 2) Store16(p, static_cast<uint16_t>(value));
}

void v_Poke24(uint8_t* p, uint32_t bytes, uint32_t value) {
    if (!p || bytes < 3) return;
    Store16(p, static_cast<uint16_t>(value));
    p[2] = static_cast<uint8_t>(value >> 16);
}

int32_t l_Difference(int32_t a, int32_t b) {
    return static_cast<int32_t>(static_cast<uint32_t>(b) - static_cast<uint32_t>(a));
}
