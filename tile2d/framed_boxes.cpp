#include "tile2d/framed_boxes.h"

#include <algorithm>

#include "tile2d/bounded_rows.h"
#include "tile2d/numbers.h"
#include "tile2d/rle_sprites.h"
#include "tile2d/scaled_images.h"
#include "tile2d/tile_walk.h"

using t2d_detail::Channels;
using t2d_detail::ClipSpan;
using t2d_detail::Load32;

namespace {

__extension__ using Wide = __int128;

struct IconBank {
    const uint8_t* p = nullptr;
    uint32_t bytes = 0;
} g_oIcons;

// Per-channel arithmetic on one pixel of the current mode.
struct Shade {
    Channels ch = Channels::Current();
    uint32_t Top(int c) const { return ch.mask[c] >> ch.shift[c]; }
    template <class Fn>
    uint16_t Map(uint16_t p, Fn&& fn) const {
        uint32_t out = 0;
        for (int c = 0; c < 3; ++c)
            out |= std::min<uint32_t>(fn(ch.Get(p, c)), Top(c)) << ch.shift[c];
        return static_cast<uint16_t>(out);
    }
};

// The box colours of one call.
struct Colours {
    uint16_t A = 0, H = 0, Q = 0, F = 0;
    Colours(uint32_t red, uint32_t green, uint32_t blue) {
        const Shade s;
        const uint32_t v[3] = {red & 63, green & 63, blue & 63};
        uint32_t a = 0;
        for (int c = 0; c < 3; ++c)
            a |= (s.Top(c) == 63 ? v[c] : v[c] >> 1) << s.ch.shift[c];
        A = static_cast<uint16_t>(a);
        H = s.Map(A, [](uint32_t c) { return c >> 1; });
        Q = s.Map(A, [](uint32_t c) { return c >> 2; });
        F = s.Map(A, [](uint32_t c) { return (c >> 1) + (c >> 2); });
    }
};

Wide FloorDiv(Wide a, Wide b) {
    const Wide q = a / b;
    return (a % b != 0 && a < 0) ? q - 1 : q;
}

// A rectangle's place in the destination; spans are given relative to its
// top-left pixel and cut to the buffer.
struct Box {
    uint16_t* dst;
    uint32_t n;
    uint32_t pitch;
    Wide base; // pixel index of the top-left

    Box(int32_t x, int32_t y, uint16_t* d, uint32_t dstPixels, uint32_t p)
        : dst(d), n(d ? dstPixels : 0), pitch(p), base(Wide{y} * p + x) {}

    // fn(pixel) for the count pixels from (col, row).
    template <class Fn>
    void Span(int64_t row, int64_t col, int64_t count, Fn&& fn) const {
        if (count <= 0) return;
        const Wide at = base + Wide{row} * pitch + col;
        if (at >= n || at + count <= 0) return;
        ClipSpan(dst, n, static_cast<int64_t>(at), count, [&](uint16_t* d, int64_t, uint32_t k) {
            for (uint32_t i = 0; i < k; ++i)
                d[i] = fn(d[i]);
        });
    }
    // The rows of [r0, r1) whose columns [c0, c1) can reach the buffer.
    void Rows(int64_t& r0, int64_t& r1, int64_t c0, int64_t c1) const {
        if (!pitch) {
            if (base + c1 <= 0 || base + c0 >= n) r1 = r0;
            return;
        }
        const Wide lo = FloorDiv(-base - c1, pitch) + 1;
        const Wide hi = FloorDiv(Wide{n} - base - c0 - 1, pitch) + 1;
        if (lo > r0) r0 = lo > r1 ? r1 : static_cast<int64_t>(lo);
        if (hi < r1) r1 = hi < r0 ? r0 : static_cast<int64_t>(hi);
    }
};

// The translucent boxes' two colours as mixing operations.
struct Mix {
    Channels ch = Channels::Current();
    uint16_t a, b;
    Mix(const Colours& c, uint32_t sunken) : a(sunken ? c.H : c.A), b(sunken ? c.A : c.H) {}
    auto With(uint16_t c) const {
        return [this, c](uint16_t d) { return ch.Half(c, d); };
    }
    auto Black() const {
        return [this](uint16_t d) { return ch.HalfOf(d); };
    }
};

// Rows [r0, r1) of a frame: side pixels each side in one colour, the rest
// in the other.
template <class Side, class Inner>
void FrameRows(const Box& box, int64_t r0, int64_t r1, int64_t left, int64_t w, int64_t side, Side&& s,
               Inner&& in) {
    box.Rows(r0, r1, left, left + w);
    for (int64_t r = r0; r < r1; ++r) {
        box.Span(r, left, side, s);
        box.Span(r, left + side, w - 2 * side, in);
        box.Span(r, left + w - side, side, s);
    }
}

template <class Fn>
void FullRows(const Box& box, int64_t r0, int64_t r1, int64_t left, int64_t w, Fn&& fn) {
    box.Rows(r0, r1, left, left + w);
    for (int64_t r = r0; r < r1; ++r)
        box.Span(r, left, w, fn);
}

// The 2-pixel frame box with its top-left at (left, top) of the box.
void Frame2(const Box& box, int64_t left, int64_t top, int64_t w, int64_t h, const Mix& m) {
    const auto a = m.With(m.a), b = m.With(m.b);
    FullRows(box, top, top + 2, left, w, a);
    FrameRows(box, top + 2, top + h - 2, left, w, 2, a, b);
    FullRows(box, top + h - 2, top + h, left, w, a);
}

// The raised bevel: put(destination, colour) writes or mixes each pixel.
template <class Put>
void Bevel(const Box& box, int64_t w, int64_t h, const Colours& c, Put&& put) {
    const auto in = [&](uint16_t colour) { return [&put, colour](uint16_t d) { return put(d, colour); }; };
    box.Span(0, 0, w - 1, in(c.A));
    box.Span(0, w - 1, 1, in(c.H));
    box.Span(1, 0, w - 2, in(c.A));
    box.Span(1, w - 2, 1, in(c.H));
    box.Span(1, w - 1, 1, in(c.Q));
    int64_t r0 = 2, r1 = h - 2;
    box.Rows(r0, r1, 0, w);
    for (int64_t r = r0; r < r1; ++r) {
        box.Span(r, 0, 2, in(c.A));
        box.Span(r, 2, w - 4, in(c.F));
        box.Span(r, w - 2, 2, in(c.Q));
    }
    box.Span(h - 2, 0, 1, in(c.A));
    box.Span(h - 2, 1, 1, in(c.H));
    box.Span(h - 2, 2, w - 2, in(c.Q));
    box.Span(h - 1, 0, 1, in(c.H));
    box.Span(h - 1, 1, w - 1, in(c.Q));
}

auto Write(uint16_t colour) {
    return [colour](uint16_t) { return colour; };
}

// Screen-range sprites confined to the destination as well: the range is
// narrowed to the part inside the destination for the call.
template <class Draw>
void InsideDest(uint16_t* dst, uint32_t dstPixels, Draw&& draw) {
    if (!dst || !g_oGfx.pScreenStart) return;
    uint8_t* const start = g_oGfx.pScreenStart;
    uint8_t* const end = g_oGfx.pScreenEnd;
    const uintptr_t lo = std::max(reinterpret_cast<uintptr_t>(start), reinterpret_cast<uintptr_t>(dst));
    const uintptr_t hi = std::min(reinterpret_cast<uintptr_t>(end), reinterpret_cast<uintptr_t>(dst + dstPixels));
    if (lo >= hi) return;
    g_oGfx.pScreenStart = start + (lo - reinterpret_cast<uintptr_t>(start));
    g_oGfx.pScreenEnd = start + (hi - reinterpret_cast<uintptr_t>(start));
    draw();
    g_oGfx.pScreenStart = start;
    g_oGfx.pScreenEnd = end;
}

bool Fits(int64_t v) {
    return v >= INT32_MIN && v <= INT32_MAX;
}

} // namespace

void v_MixFrameBox2(int32_t x, int32_t y, int32_t w, int32_t h, uint16_t* dst, uint32_t dstPixels, uint32_t pitch,
                    uint32_t red, uint32_t green, uint32_t blue, uint32_t sunken) {
    if (w < 4 || h < 4) return;
    Frame2(Box(x, y, dst, dstPixels, pitch), 0, 0, w, h, Mix(Colours(red, green, blue), sunken));
}

void v_MixFrameBox1(int32_t x, int32_t y, int32_t w, int32_t h, uint16_t* dst, uint32_t dstPixels, uint32_t pitch,
                    uint32_t red, uint32_t green, uint32_t blue, uint32_t sunken) {
    if (w < 2 || h < 2) return;
    const Box box(x, y, dst, dstPixels, pitch);
    const Mix m(Colours(red, green, blue), sunken);
    const auto a = m.With(m.a), b = m.With(m.b);
    FullRows(box, 0, 1, 0, w, a);
    FrameRows(box, 1, h - 1, 0, w, 1, a, b);
    FullRows(box, h - 1, h, 0, w, a);
}

void v_MixRoundBox(int32_t x, int32_t y, int32_t w, int32_t h, uint16_t* dst, uint32_t dstPixels, uint32_t pitch,
                   uint32_t red, uint32_t green, uint32_t blue, uint32_t sunken) {
    if (w < 12 || h < 12) return;
    const Box box(x, y, dst, dstPixels, pitch);
    const Mix m(Colours(red, green, blue), sunken);
    const auto a = m.With(m.a), b = m.With(m.b);
    const auto outline = Write(0);
    // Left end of each row from the top (or bottom) edge inwards: outline
    // start and length, band length, and what fills the middle: 0 outline,
    // 1 band, 2 interior. The curve is its own mirror across the diagonal.
    struct End {
        int64_t at, outline, band, middle;
    };
    static constexpr End kEnds[7] = {{6, 0, 0, 0}, {4, 2, 0, 1}, {3, 1, 0, 1}, {2, 1, 3, 2},
                                     {1, 1, 2, 2}, {1, 1, 2, 2}, {0, 1, 2, 2}};
    const auto drawRow = [&](int64_t r, const End& e) {
        const int64_t band = e.at + e.outline, mid = band + e.band;
        box.Span(r, e.at, e.outline, outline);
        box.Span(r, w - band, e.outline, outline);
        box.Span(r, band, e.band, a);
        box.Span(r, w - mid, e.band, a);
        const int64_t n = w - 2 * mid;
        if (e.middle == 0) box.Span(r, mid, n, outline);
        else if (e.middle == 1) box.Span(r, mid, n, a);
        else box.Span(r, mid, n, b);
    };
    for (int64_t k = 0; k < 6; ++k) {
        drawRow(k, kEnds[k]);
        drawRow(h - 1 - k, kEnds[k]);
    }
    int64_t r0 = 6, r1 = h - 6;
    box.Rows(r0, r1, 0, w);
    for (int64_t r = r0; r < r1; ++r)
        drawRow(r, kEnds[6]);
}

void v_MixFrameBoxOutlined(int32_t x, int32_t y, int32_t w, int32_t h, uint16_t* dst, uint32_t dstPixels,
                           uint32_t pitch, uint32_t red, uint32_t green, uint32_t blue, uint32_t sunken) {
    if (w < 6 || h < 6) return;
    const Box box(x, y, dst, dstPixels, pitch);
    const Mix m(Colours(red, green, blue), sunken);
    const auto dark = m.Black();
    FullRows(box, 0, 1, 0, w, dark);
    int64_t r0 = 1, r1 = h - 1;
    box.Rows(r0, r1, 0, w);
    for (int64_t r = r0; r < r1; ++r) {
        box.Span(r, 0, 1, dark);
        box.Span(r, w - 1, 1, dark);
    }
    Frame2(box, 1, 1, int64_t{w} - 2, int64_t{h} - 2, m);
    FullRows(box, h - 1, h, 0, w, dark);
}

void v_MixFrameBoxCorners(int32_t x, int32_t y, int32_t w, int32_t h, uint16_t* dst, uint32_t dstPixels,
                          uint32_t pitch, uint32_t red, uint32_t green, uint32_t blue, uint32_t sunken,
                          const uint8_t* corners, uint32_t cornerBytes) {
    if (w < 4 || h < 4) return;
    v_MixFrameBox2(x, y, w, h, dst, dstPixels, pitch, red, green, blue, sunken);
    if (!corners || cornerBytes < 16) return;
    const int64_t right = int64_t{x} + w - 1, bottom = int64_t{y} + h - 1;
    const int64_t at[4][2] = {{x, y}, {right, y}, {x, bottom}, {right, bottom}};
    // The position form of l_ShowPalettedRleAnchored: a corner outside the
    // buffer never becomes a pixel address.
    InsideDest(dst, dstPixels, [&] {
        for (int i = 0; i < 4; ++i) {
            const uint64_t from = uint64_t{Load32(corners + 4 * i)} + 16;
            if (from >= cornerBytes || !Fits(at[i][0]) || !Fits(at[i][1])) continue;
            v_ShowPalRleAnchor(static_cast<int32_t>(at[i][0]), static_cast<int32_t>(at[i][1]), corners + from,
                               static_cast<uint32_t>(cornerBytes - from), dst, static_cast<int32_t>(pitch));
        }
    });
}

void v_MixRect(int32_t x, int32_t y, int32_t w, int32_t h, uint16_t* dst, uint32_t dstPixels, uint32_t pitch,
               uint32_t red, uint32_t green, uint32_t blue) {
    if (w < 1 || h < 1) return;
    const Mix m(Colours(red, green, blue), 0);
    FullRows(Box(x, y, dst, dstPixels, pitch), 0, h, 0, w, m.With(m.a));
}

void v_SetIconBank(const uint8_t* bank, uint32_t bytes) {
    g_oIcons = IconBank{bank, bank ? bytes : 0};
}

void v_ShowBevelBox(int32_t x, int32_t y, int32_t w, int32_t h, uint16_t* dst, uint32_t dstPixels, uint32_t pitch,
                    uint32_t red, uint32_t green, uint32_t blue, uint32_t title, const uint8_t* fields,
                    uint32_t fieldBytes, int32_t icon) {
    if (w < 4 || h < 4) return;
    const Box box(x, y, dst, dstPixels, pitch);
    const Colours c(red, green, blue);
    Bevel(box, w, h, c, [](uint16_t, uint16_t colour) { return colour; });

    // The icon takes the destination's pitch, so it lands where the box is
    // on buffers of any width.
    const IconBank& bank = g_oIcons;
    const Wide start = box.base + Wide{2} * pitch + 2;
    if (icon >= 0 && bank.p && uint64_t{static_cast<uint32_t>(icon)} + 4 <= bank.bytes && start >= 0 &&
        start < box.n) {
        const uint64_t from = uint64_t{Load32(bank.p + icon)} + 40;
        if (from < bank.bytes)
            InsideDest(dst, dstPixels, [&] {
                l_ShowPalettedRle(bank.p + from, static_cast<uint32_t>(bank.bytes - from),
                                  dst + static_cast<int64_t>(start), static_cast<int32_t>(pitch));
            });
    }

    if (title) {
        const int64_t W = w;
        box.Span(3, 4, W - 8, Write(c.Q));
        for (int64_t r = 4; r < 20; ++r) {
            box.Span(r, 4, 1, Write(c.Q));
            // The face goes in pixel pairs: an odd count leaves its last
            // pixel as it was.
            box.Span(r, 5, (W - 10) & ~int64_t{1}, Write(c.H));
            box.Span(r, W - 5, 1, Write(c.A));
        }
        box.Span(20, 4, W - 8, Write(c.A));
        const int64_t sq = W - 19;
        box.Span(6, sq, 12, Write(c.A));
        for (int64_t r = 7; r < 17; ++r) {
            box.Span(r, sq, 1, Write(c.A));
            box.Span(r, sq + 1, 10, Write(c.F));
            box.Span(r, sq + 11, 1, Write(c.Q));
        }
        box.Span(17, sq, 12, Write(c.Q));
    }

    if (!fields) return;
    const Channels ch = Channels::Current();
    const auto mix = [&](uint16_t colour) { return [&ch, colour](uint16_t d) { return ch.Half(colour, d); }; };
    for (uint64_t at = 0; at + 4 <= fieldBytes; at += 16) {
        const uint32_t fx = Load32(fields + at);
        if (fx == 0xFFFFFFFFu || at + 16 > fieldBytes) break;
        const int64_t left = static_cast<int32_t>(fx), top = static_cast<int32_t>(Load32(fields + at + 4));
        const int64_t fw = static_cast<int32_t>(Load32(fields + at + 8));
        const int64_t fh = static_cast<int32_t>(Load32(fields + at + 12));
        if (fw < 2 || fh < 2) continue;
        box.Span(top, left, fw, mix(c.Q));
        int64_t r0 = top + 1, r1 = top + fh - 1;
        box.Rows(r0, r1, left, left + fw);
        for (int64_t r = r0; r < r1; ++r) {
            box.Span(r, left, 1, mix(c.Q));
            box.Span(r, left + 1, fw - 2, mix(c.H));
            box.Span(r, left + fw - 1, 1, mix(c.A));
        }
        // The closing row is two pixels short on the right.
        box.Span(top + fh - 1, left, fw - 2, mix(c.A));
    }
}

void v_ShowBevelBoxPlain(int32_t x, int32_t y, int32_t w, int32_t h, uint16_t* dst, uint32_t dstPixels,
                         uint32_t pitch, uint32_t red, uint32_t green, uint32_t blue) {
    if (w < 4 || h < 4) return;
    const Channels ch = Channels::Current();
    Bevel(Box(x, y, dst, dstPixels, pitch), w, h, Colours(red, green, blue),
          [&ch](uint16_t d, uint16_t colour) { return ch.Half(colour, d); });
}

void v_ShowImagePanel(int32_t x, int32_t y, int32_t w, int32_t h, uint16_t* dst, uint32_t dstPixels, uint32_t pitch,
                      const uint8_t* image, uint32_t bytes, uint32_t sunken) {
    if (w < 1 || h < 1) return;
    if (image) {
        g_oScaledCall = ss_ScaledCall{x,   y, image, bytes, static_cast<uint32_t>(w), static_cast<uint32_t>(h),
                                      dst, dstPixels, pitch};
        l_ShowPalettedScaled();
    }
    const Shade s;
    const auto twice = [&s](uint16_t p) { return s.Map(p, [](uint32_t c) { return c * 2; }); };
    const auto half = [&s](uint16_t p) { return s.Map(p, [](uint32_t c) { return c >> 1; }); };
    const auto quarter = [&s](uint16_t p) { return s.Map(p, [](uint32_t c) { return c >> 2; }); };
    const auto threeQ = [&s](uint16_t p) { return s.Map(p, [](uint32_t c) { return (c >> 1) + (c >> 2); }); };
    const auto oneHalf = [&s](uint16_t p) { return s.Map(p, [](uint32_t c) { return c + (c >> 1); }); };
    // Depth 0 to 2 from the top or left edge (light) or the bottom or right
    // edge (dark).
    const auto shade = [&](bool light, int64_t depth, uint16_t p) -> uint16_t {
        if (!sunken) {
            if (light) return depth < 2 ? twice(p) : oneHalf(p);
            return depth < 2 ? half(p) : threeQ(p);
        }
        if (light) return depth < 2 ? quarter(p) : threeQ(p);
        return twice(p);
    };
    const Box box(x, y, dst, dstPixels, pitch);
    const auto pixel = [&](int64_t r, int64_t c) {
        const int64_t lightD = std::min<int64_t>(r, c), darkD = std::min<int64_t>(h - 1 - r, w - 1 - c);
        const bool light = lightD < darkD;
        const int64_t depth = light ? lightD : darkD;
        if (depth < 3) box.Span(r, c, 1, [&](uint16_t p) { return shade(light, depth, p); });
    };
    int64_t r0 = 0, r1 = h;
    box.Rows(r0, r1, 0, w);
    for (int64_t r = r0; r < r1; ++r) {
        if (r < 3 || r >= int64_t{h} - 3) {
            // Only the columns inside the buffer are visited.
            const Wide at = box.base + Wide{r} * pitch;
            const int64_t c0 = at < 0 ? static_cast<int64_t>(std::min<Wide>(-at, w)) : 0;
            const int64_t c1 = static_cast<int64_t>(std::min<Wide>(w, Wide{dstPixels} - at));
            for (int64_t c = c0; c < c1; ++c)
                pixel(r, c);
        } else {
            for (int64_t c = 0; c < std::min<int64_t>(3, w); ++c) {
                pixel(r, c);
                if (w - 1 - c >= 3) pixel(r, w - 1 - c);
            }
        }
    }
}
