#include "tile2d/rle_sprites.h"

#include "tile2d/image_convert.h"
#include "tile2d/indexed_images.h"
#include "tile2d/rle_walk.h"
#include "tile2d/tile_walk.h"

using namespace t2d_rle;
using t2d_detail::AnchorOffset;
using t2d_detail::Channels;

namespace t2d_rle {

uint16_t* PrivatePalette() {
    static uint16_t palette[256];
    return palette;
}

void ConvertToPrivate(const uint8_t* palette555, uint32_t n) {
    uint16_t* out = PrivatePalette();
    const uint8_t mode = g_oGfx.bPixelMode;
    for (uint32_t i = 0; i < n && i < 256; ++i)
        out[i] = w_ConvertPixel(Load16(palette555 + 2 * i), mode);
}

} // namespace t2d_rle

namespace {

enum class Layout { P, PA, K, KA, Pc, Pn };

struct Sprite {
    const uint16_t* colours = nullptr; // private or current palette, when not read from the image
    const uint8_t* palette = nullptr;  // in the image
    int32_t ax = 0, ay = 0;
    uint32_t w = 0, h = 0;
    uint8_t key = 0;
    const uint8_t* codes = nullptr;
    const uint8_t* end = nullptr;

    uint16_t Colour(uint8_t v) const { return colours ? colours[v] : Load16(palette + 2 * v); }
};

bool ReadKeySize(const uint8_t* image, uint32_t bytes, uint32_t keyAt, Sprite& s) {
    if (bytes < keyAt + 5) return false;
    s.key = image[keyAt];
    const uint32_t size = Load32(image + keyAt + 1);
    s.w = size & 0xFFFF;
    s.h = size >> 16;
    s.codes = image + keyAt + 5;
    s.end = image + bytes;
    return true;
}

void ReadAnchor(const uint8_t* at, Sprite& s) {
    const uint32_t a = Load32(at);
    s.ax = AnchorOffset(static_cast<uint16_t>(a));
    s.ay = AnchorOffset(static_cast<uint16_t>(a >> 16));
}

bool ReadSprite(Layout lay, const uint8_t* image, uint32_t bytes, Sprite& s) {
    if (!image) return false;
    switch (lay) {
    case Layout::P:
        s.palette = image;
        return ReadKeySize(image, bytes, 512, s);
    case Layout::PA:
        if (!ReadKeySize(image, bytes, 516, s)) return false;
        s.palette = image;
        ReadAnchor(image + 512, s);
        return true;
    case Layout::K:
        return ReadKeySize(image, bytes, 0, s);
    case Layout::KA:
        if (!ReadKeySize(image, bytes, 4, s)) return false;
        ReadAnchor(image, s);
        return true;
    case Layout::Pc:
        if (!ReadKeySize(image, bytes, 512, s)) return false;
        ConvertToPrivate(image, 256);
        s.colours = PrivatePalette();
        return true;
    case Layout::Pn: {
        if (bytes < 1) return false;
        const uint32_t n = image[0] + 1u;
        if (!ReadKeySize(image, bytes, 1 + 2 * n, s)) return false;
        ConvertToPrivate(image + 1, n);
        s.colours = PrivatePalette();
        return true;
    }
    }
    return false;
}

// paint(first byte, pixels, value, sprite) for every visible piece of a run.
template <class Paint>
void Draw(Layout lay, bool mirror, int32_t x, int32_t y, const uint8_t* image, uint32_t bytes, uint16_t* dest,
          int32_t pitch, Paint&& paint) {
    Sprite s;
    if (!ReadSprite(lay, image, bytes, s)) return;
    int64_t addr;
    const int64_t X = static_cast<int64_t>(x) + (mirror ? -s.ax : s.ax), Y = static_cast<int64_t>(y) + s.ay;
    if (!FirstAddress(dest, X, Y, pitch, 2, addr)) return;
    const Range rg = Range::Screen();
    if (!rg.Opens(addr)) return;
    KeyCodes rd{s.codes, s.end, s.key};
    WalkRuns<2>(rd, s.w, s.h, addr, 2 * static_cast<int64_t>(pitch), mirror, true, rg,
                [&](uint8_t* p, uint32_t n, uint8_t v) { paint(p, n, v, s); });
}

void Fill(uint8_t* p, uint32_t n, uint16_t c) {
    for (uint32_t i = 0; i < n; ++i)
        Store16(p + 2 * i, c);
}

template <class Op>
void Each(uint8_t* p, uint32_t n, Op&& op) {
    for (uint32_t i = 0; i < n; ++i)
        Store16(p + 2 * i, op(Load16(p + 2 * i)));
}

// Opaque colours: c, or c through fn, value 0 skipped unless solid.
template <class Fn>
void DrawColour(Layout lay, bool solid, int32_t x, int32_t y, const uint8_t* image, uint32_t bytes, uint16_t* dest,
                int32_t pitch, Fn&& fn) {
    Draw(lay, false, x, y, image, bytes, dest, pitch, [&](uint8_t* p, uint32_t n, uint8_t v, const Sprite& s) {
        if (v || solid) Fill(p, n, fn(s.Colour(v)));
    });
}

uint16_t Same(uint16_t c) {
    return c;
}

// op(colour, destination) for every pixel of a value other than 0.
template <class Op>
void DrawMix(Layout lay, bool mirror, bool solid, int32_t x, int32_t y, const uint8_t* image, uint32_t bytes,
             uint16_t* dest, int32_t pitch, Op&& op) {
    Draw(lay, mirror, x, y, image, bytes, dest, pitch, [&](uint8_t* p, uint32_t n, uint8_t v, const Sprite& s) {
        if (!v && !solid) return;
        const uint16_t c = s.Colour(v);
        Each(p, n, [&](uint16_t d) { return op(c, d); });
    });
}

uint16_t Fade(const Channels& ch, uint32_t level, uint16_t c) {
    const uint32_t lv[3] = {level & 63, level & 63, level & 63};
    return ch.Scale(lv, c);
}

uint32_t Top(const Channels& ch, int c) {
    return ch.mask[c] >> ch.shift[c];
}

// min(d + T[L][c], top) per channel, through the add tables when made.
uint16_t AddScaled(const Channels& ch, uint32_t level, uint16_t c, uint16_t d) {
    uint32_t out = 0;
    for (int k = 0; k < 3; ++k) {
        const uint32_t t = ch.T[(level & 63) * 64 + ch.Get(c, k)], dk = ch.Get(d, k);
        const uint8_t* add = g_oGfx.apAdd[k];
        const uint32_t sum = add ? add[dk * 256 + t] : std::min(dk + t, Top(ch, k));
        out |= sum << ch.shift[k];
    }
    return static_cast<uint16_t>(out);
}

uint16_t Bright(const Channels& ch, uint32_t shift, uint16_t c) {
    shift = std::min(shift, 16u); // any shift from 6 on overflows every lit channel
    uint32_t out = 0;
    for (int k = 0; k < 3; ++k)
        out |= std::min(ch.Get(c, k) << shift, Top(ch, k)) << ch.shift[k];
    return static_cast<uint16_t>(out);
}

uint16_t HalveDest(const Channels& ch, uint8_t v, uint16_t c, uint16_t d) {
    return v >= 254 ? ch.HalfOf(d) : c;
}

void Shade(bool mirror, bool bright, uint32_t shift, int32_t x, int32_t y, const uint8_t* image, uint32_t bytes,
           uint16_t* dest, int32_t pitch) {
    const Channels ch = Channels::Current();
    // The shadow table has 16 rows: before v_SetShadowLevels only 240 and
    // up can be shadow values.
    const uint32_t threshold = std::max<uint32_t>(g_oGfx.bShadowThreshold, 240);
    Draw(Layout::PA, mirror, x, y, image, bytes, dest, pitch,
         [&](uint8_t* p, uint32_t n, uint8_t v, const Sprite& s) {
             if (!v) return;
             if (v < threshold) {
                 const uint16_t c = s.Colour(v);
                 Fill(p, n, bright ? Bright(ch, shift, c) : c);
             } else if (v == 255) {
                 Each(p, n, [&](uint16_t d) { return ch.HalfOf(d); });
             } else {
                 const uint32_t row = g_oGfx.abShadowRow[255 - v] & 63;
                 const uint32_t lv[3] = {row, row, row};
                 Each(p, n, [&](uint16_t d) { return ch.Scale(lv, d); });
             }
         });
}

void PalImage(int32_t x, int32_t y, const uint8_t* image, uint32_t bytes, uint16_t* dest, int32_t pitch,
              bool half) {
    if (!image || bytes < 516) return;
    const uint32_t size = Load32(image + 512);
    int64_t addr;
    if (!FirstAddress(dest, x, y, pitch, 2, addr)) return;
    const Range rg = Range::Screen();
    if (!rg.Opens(addr)) return;
    const Channels ch = Channels::Current();
    PlainCodes rd{image + 516, image + bytes};
    WalkRuns<2>(rd, size & 0xFFFF, size >> 16, addr, 2 * static_cast<int64_t>(pitch), false, false, rg,
                [&](uint8_t* p, uint32_t n, uint8_t v) {
                    if (!v) return;
                    const uint16_t c = Load16(image + 2 * v);
                    if (half)
                        Each(p, n, [&](uint16_t d) { return ch.Half(c, d); });
                    else
                        Fill(p, n, c);
                });
}

} // namespace

void v_ShowPalRle(int32_t x, int32_t y, const uint8_t* image, uint32_t bytes, uint16_t* dest, int32_t pitch) {
    DrawColour(Layout::P, false, x, y, image, bytes, dest, pitch, Same);
}

void v_ShowPalRleAnchor(int32_t x, int32_t y, const uint8_t* image, uint32_t bytes, uint16_t* dest, int32_t pitch) {
    DrawColour(Layout::PA, false, x, y, image, bytes, dest, pitch, Same);
}

void v_ShowPalRleSolid(int32_t x, int32_t y, const uint8_t* image, uint32_t bytes, uint16_t* dest, int32_t pitch) {
    DrawColour(Layout::P, true, x, y, image, bytes, dest, pitch, Same);
}

void v_ShowPalRleSolidAnchor(int32_t x, int32_t y, const uint8_t* image, uint32_t bytes, uint16_t* dest,
                             int32_t pitch) {
    DrawColour(Layout::PA, true, x, y, image, bytes, dest, pitch, Same);
}

void v_ShowPal555RleSolid(int32_t x, int32_t y, const uint8_t* image, uint32_t bytes, uint16_t* dest,
                          int32_t pitch) {
    DrawColour(Layout::Pc, true, x, y, image, bytes, dest, pitch, Same);
}

void v_ShowPalNRleSolid(int32_t x, int32_t y, const uint8_t* image, uint32_t bytes, uint16_t* dest,
                        int32_t pitch) {
    DrawColour(Layout::Pn, true, x, y, image, bytes, dest, pitch, Same);
}

void v_ShowRleWithPalette(int32_t x, int32_t y, const uint8_t* image, uint32_t bytes, uint16_t* dest,
                          int32_t pitch) {
    const uint16_t* current = p_CurrentPalette();
    if (!current) return;
    Draw(Layout::K, false, x, y, image, bytes, dest, pitch, [&](uint8_t* p, uint32_t n, uint8_t v, const Sprite&) {
        if (v) Fill(p, n, current[v]);
    });
}

void v_ShowPalRleAlpha(int32_t x, int32_t y, const uint8_t* image, uint32_t bytes, uint16_t* dest, int32_t pitch,
                       uint32_t level) {
    const Channels ch = Channels::Current();
    DrawMix(Layout::P, false, false, x, y, image, bytes, dest, pitch,
            [&](uint16_t c, uint16_t d) { return ch.Blend(level & 63, c, d); });
}

void v_ShowPalRleAlphaSolid(int32_t x, int32_t y, const uint8_t* image, uint32_t bytes, uint16_t* dest,
                            int32_t pitch, uint32_t level) {
    const Channels ch = Channels::Current();
    DrawMix(Layout::P, false, true, x, y, image, bytes, dest, pitch,
            [&](uint16_t c, uint16_t d) { return ch.Blend(level & 63, c, d); });
}

void v_ShowPalRleAlphaAnchor(int32_t x, int32_t y, const uint8_t* image, uint32_t bytes, uint16_t* dest,
                             int32_t pitch, uint32_t level) {
    const Channels ch = Channels::Current();
    DrawMix(Layout::PA, false, false, x, y, image, bytes, dest, pitch,
            [&](uint16_t c, uint16_t d) { return ch.Blend(level & 63, c, d); });
}

void v_ShowPalRleAlphaAnchorMirror(int32_t x, int32_t y, const uint8_t* image, uint32_t bytes, uint16_t* dest,
                                   int32_t pitch, uint32_t level) {
    const Channels ch = Channels::Current();
    DrawMix(Layout::PA, true, false, x, y, image, bytes, dest, pitch,
            [&](uint16_t c, uint16_t d) { return ch.Blend(level & 63, c, d); });
}

void v_ShowPalRleFade(int32_t x, int32_t y, const uint8_t* image, uint32_t bytes, uint16_t* dest, int32_t pitch,
                      uint32_t level) {
    const Channels ch = Channels::Current();
    DrawColour(Layout::P, false, x, y, image, bytes, dest, pitch, [&](uint16_t c) { return Fade(ch, level, c); });
}

void v_ShowPalRleFadeAnchor(int32_t x, int32_t y, const uint8_t* image, uint32_t bytes, uint16_t* dest,
                            int32_t pitch, uint32_t level) {
    const Channels ch = Channels::Current();
    DrawColour(Layout::PA, false, x, y, image, bytes, dest, pitch, [&](uint16_t c) { return Fade(ch, level, c); });
}

void v_ShowPalRleFadeSolid(int32_t x, int32_t y, const uint8_t* image, uint32_t bytes, uint16_t* dest,
                           int32_t pitch, uint32_t level) {
    const Channels ch = Channels::Current();
    DrawColour(Layout::P, true, x, y, image, bytes, dest, pitch, [&](uint16_t c) { return Fade(ch, level, c); });
}

void v_ShowPalRleFadeSolidAnchor(int32_t x, int32_t y, const uint8_t* image, uint32_t bytes, uint16_t* dest,
                                 int32_t pitch, uint32_t level) {
    const Channels ch = Channels::Current();
    DrawColour(Layout::PA, true, x, y, image, bytes, dest, pitch, [&](uint16_t c) { return Fade(ch, level, c); });
}

void v_ShowPalRleLightenAnchor(int32_t x, int32_t y, const uint8_t* image, uint32_t bytes, uint16_t* dest,
                               int32_t pitch, uint32_t level) {
    const ss_GfxState& g = g_oGfx;
    if (!g.apQuotient[0] || !g.apQuotient[1] || !g.apQuotient[2]) return;
    const Channels ch = Channels::Current();
    const uint32_t row = (level & 63) * 64;
    DrawColour(Layout::PA, false, x, y, image, bytes, dest, pitch, [&](uint16_t c) {
        uint32_t out = 0;
        for (int k = 0; k < 3; ++k)
            out |= static_cast<uint32_t>(g.apQuotient[k][row + ch.Get(c, k)]) << ch.shift[k];
        return static_cast<uint16_t>(out);
    });
}

void v_ShowPalRleHalf(int32_t x, int32_t y, const uint8_t* image, uint32_t bytes, uint16_t* dest, int32_t pitch) {
    const Channels ch = Channels::Current();
    DrawMix(Layout::P, false, false, x, y, image, bytes, dest, pitch,
            [&](uint16_t c, uint16_t d) { return ch.Half(c, d); });
}

void v_ShowPalRleHalfAnchor(int32_t x, int32_t y, const uint8_t* image, uint32_t bytes, uint16_t* dest,
                            int32_t pitch) {
    const Channels ch = Channels::Current();
    DrawMix(Layout::PA, false, false, x, y, image, bytes, dest, pitch,
            [&](uint16_t c, uint16_t d) { return ch.Half(c, d); });
}

void v_ShowPalRleHalfAnchorMirror(int32_t x, int32_t y, const uint8_t* image, uint32_t bytes, uint16_t* dest,
                                  int32_t pitch) {
    const Channels ch = Channels::Current();
    DrawMix(Layout::PA, true, false, x, y, image, bytes, dest, pitch,
            [&](uint16_t c, uint16_t d) { return ch.Half(c, d); });
}

void v_ShowPalRleAdd(int32_t x, int32_t y, const uint8_t* image, uint32_t bytes, uint16_t* dest, int32_t pitch) {
    const Channels ch = Channels::Current();
    DrawMix(Layout::P, false, false, x, y, image, bytes, dest, pitch,
            [&](uint16_t c, uint16_t d) { return ch.AddSat(c, d); });
}

void v_ShowPalRleAddAnchor(int32_t x, int32_t y, const uint8_t* image, uint32_t bytes, uint16_t* dest,
                           int32_t pitch) {
    const Channels ch = Channels::Current();
    DrawMix(Layout::PA, false, false, x, y, image, bytes, dest, pitch,
            [&](uint16_t c, uint16_t d) { return ch.AddSat(c, d); });
}

void v_ShowPalRleAddAnchorMirror(int32_t x, int32_t y, const uint8_t* image, uint32_t bytes, uint16_t* dest,
                                 int32_t pitch) {
    const Channels ch = Channels::Current();
    DrawMix(Layout::PA, true, false, x, y, image, bytes, dest, pitch,
            [&](uint16_t c, uint16_t d) { return ch.AddSat(c, d); });
}

void v_ShowPalRleAddAnchorLow(int32_t x, int32_t y, const uint8_t* image, uint32_t bytes, uint16_t* dest,
                              int32_t pitch) {
    const Channels ch = Channels::Current();
    Draw(Layout::PA, false, x, y, image, bytes, dest, pitch, [&](uint8_t* p, uint32_t n, uint8_t v, const Sprite& s) {
        if (!v || v >= 240) return;
        const uint16_t c = s.Colour(v);
        Each(p, n, [&](uint16_t d) { return ch.AddSat(c, d); });
    });
}

void v_ShowPalRleAddScaled(int32_t x, int32_t y, const uint8_t* image, uint32_t bytes, uint16_t* dest,
                           int32_t pitch, uint32_t level) {
    const Channels ch = Channels::Current();
    DrawMix(Layout::P, false, false, x, y, image, bytes, dest, pitch,
            [&](uint16_t c, uint16_t d) { return AddScaled(ch, level, c, d); });
}

void v_ShowPalRleAddScaledAnchor(int32_t x, int32_t y, const uint8_t* image, uint32_t bytes, uint16_t* dest,
                                 int32_t pitch, uint32_t level) {
    const Channels ch = Channels::Current();
    DrawMix(Layout::PA, false, false, x, y, image, bytes, dest, pitch,
            [&](uint16_t c, uint16_t d) { return AddScaled(ch, level, c, d); });
}

void v_ShowPalRleAddScaledAnchorMirror(int32_t x, int32_t y, const uint8_t* image, uint32_t bytes,
                                       uint16_t* dest, int32_t pitch, uint32_t level) {
    const Channels ch = Channels::Current();
    DrawMix(Layout::PA, true, false, x, y, image, bytes, dest, pitch,
            [&](uint16_t c, uint16_t d) { return AddScaled(ch, level, c, d); });
}

void v_ShowPalRleChannelAnchor(int32_t x, int32_t y, const uint8_t* image, uint32_t bytes, uint16_t* dest,
                               int32_t pitch, uint32_t selector) {
    const ss_GfxState& g = g_oGfx;
    const uint32_t masks[6] = {g.lRedMask,   g.lGreenMask,    g.lBlueMask,
                               g.lGreenMask | g.lBlueMask, g.lRedBlueMask, g.lRedGreenMask};
    const uint32_t mask = selector < 6 ? masks[selector] : 0;
    DrawColour(Layout::PA, false, x, y, image, bytes, dest, pitch,
               [&](uint16_t c) { return static_cast<uint16_t>(c & mask); });
}

void v_ShowRleDarkMap(int32_t x, int32_t y, const uint8_t* image, uint32_t bytes, uint16_t* dest, int32_t pitch) {
    const Channels ch = Channels::Current();
    Draw(Layout::K, false, x, y, image, bytes, dest, pitch, [&](uint8_t* p, uint32_t n, uint8_t v, const Sprite&) {
        if (v) Each(p, n, [&](uint16_t d) { return Fade(ch, v, d); });
    });
}

void v_ShowRleDarkMapAnchor(int32_t x, int32_t y, const uint8_t* image, uint32_t bytes, uint16_t* dest,
                            int32_t pitch) {
    const Channels ch = Channels::Current();
    Draw(Layout::KA, false, x, y, image, bytes, dest, pitch, [&](uint8_t* p, uint32_t n, uint8_t v, const Sprite&) {
        if (v) Each(p, n, [&](uint16_t d) { return Fade(ch, v, d); });
    });
}

void v_ShowRleShiftShadow(int32_t x, int32_t y, const uint8_t* image, uint32_t bytes, uint16_t* dest,
                          int32_t pitch) {
    const Channels ch = Channels::Current();
    Draw(Layout::K, false, x, y, image, bytes, dest, pitch, [&](uint8_t* p, uint32_t n, uint8_t v, const Sprite&) {
        if (!v) return;
        Each(p, n, [&](uint16_t d) {
            uint32_t out = 0;
            if (v < 32)
                for (int k = 0; k < 3; ++k)
                    out |= (ch.Get(d, k) >> v) << ch.shift[k];
            return static_cast<uint16_t>(out);
        });
    });
}

void v_ShowPalRleShadowAnchor(int32_t x, int32_t y, const uint8_t* image, uint32_t bytes, uint16_t* dest,
                              int32_t pitch) {
    const Channels ch = Channels::Current();
    Draw(Layout::PA, false, x, y, image, bytes, dest, pitch, [&](uint8_t* p, uint32_t n, uint8_t v, const Sprite& s) {
        if (!v) return;
        const uint16_t c = s.Colour(v);
        Each(p, n, [&](uint16_t d) { return HalveDest(ch, v, c, d); });
    });
}

void v_ShowPalRleShadeAnchor(int32_t x, int32_t y, const uint8_t* image, uint32_t bytes, uint16_t* dest,
                             int32_t pitch) {
    Shade(false, false, 0, x, y, image, bytes, dest, pitch);
}

void v_ShowPalRleShadeBrightAnchor(int32_t x, int32_t y, const uint8_t* image, uint32_t bytes, uint16_t* dest,
                                   int32_t pitch, uint32_t shift) {
    Shade(false, true, shift, x, y, image, bytes, dest, pitch);
}

void v_ShowPalRleShadeAnchorMirror(int32_t x, int32_t y, const uint8_t* image, uint32_t bytes, uint16_t* dest,
                                   int32_t pitch) {
    Shade(true, false, 0, x, y, image, bytes, dest, pitch);
}

void v_ShowPalRleShadeBrightAnchorMirror(int32_t x, int32_t y, const uint8_t* image, uint32_t bytes,
                                         uint16_t* dest, int32_t pitch, uint32_t shift) {
    Shade(true, true, shift, x, y, image, bytes, dest, pitch);
}

void v_ShowPalRleShadowRowsAnchor(int32_t x, int32_t y, const uint8_t* image, uint32_t bytes, uint16_t* dest,
                                  int32_t pitch) {
    constexpr int64_t kRowBytes = 2560;
    constexpr uint32_t kKey = 516, kTable = 521;
    Sprite s;
    if (!ReadSprite(Layout::PA, image, bytes, s)) return;
    if ((bytes - kTable) / 4 < s.h) return; // the row table must be whole
    int64_t addr;
    if (!FirstAddress(dest, static_cast<int64_t>(x) + s.ax, y, pitch, 2, addr)) return;
    addr += s.ay * kRowBytes;
    const Range rg = Range::Screen();
    if (!rg.Opens(addr)) return;
    const uint8_t* codes = image + kTable + 4 * static_cast<size_t>(s.h);
    uint32_t h = s.h;
    const int64_t third = AddressOf(g_oGfx.pScreenThird);
    if (addr < third) {
        const int64_t k = (third - addr + kRowBytes - 1) / kRowBytes;
        if (k >= h) return;
        const uint32_t offset = Load32(image + kTable + 4 * k);
        if (offset > bytes - kKey) return;
        codes = image + kKey + offset;
        h -= static_cast<uint32_t>(k);
        addr += k * kRowBytes;
    }
    const Channels ch = Channels::Current();
    KeyCodes rd{codes, s.end, s.key};
    WalkRuns<2>(rd, s.w, h, addr, 2 * static_cast<int64_t>(pitch), false, true, rg,
                [&](uint8_t* p, uint32_t n, uint8_t v) {
                    if (!v) return;
                    const uint16_t c = s.Colour(v);
                    Each(p, n, [&](uint16_t d) { return HalveDest(ch, v, c, d); });
                });
}

void v_ShowPalImage(int32_t x, int32_t y, const uint8_t* image, uint32_t bytes, uint16_t* dest, int32_t pitch) {
    PalImage(x, y, image, bytes, dest, pitch, false);
}

void v_ShowPalImageHalf(int32_t x, int32_t y, const uint8_t* image, uint32_t bytes, uint16_t* dest,
                        int32_t pitch) {
    PalImage(x, y, image, bytes, dest, pitch, true);
}

void v_ShowRle8(int32_t x, int32_t y, const uint8_t* image, uint32_t bytes, uint8_t* dest, uint32_t destBytes,
                int32_t pitch) {
    Sprite s;
    int64_t addr;
    if (!ReadSprite(Layout::K, image, bytes, s) || !FirstAddress(dest, x, y, pitch, 1, addr)) return;
    KeyCodes rd{s.codes, s.end, s.key};
    WalkRuns<1>(rd, s.w, s.h, addr, pitch, false, false, Range::Of(dest, destBytes),
                [](uint8_t* p, uint32_t n, uint8_t v) {
                    if (v) std::fill_n(p, n, v);
                });
}
