#include <gtest/gtest.h>

#include <functional>

#include "tests/tile2d/tile_fixture.h"
#include "tile2d/image_convert.h"
#include "tile2d/indexed_images.h"
#include "tile2d/rle_sprites.h"
#include "tile2d/tile_tables.h"

namespace {

using namespace t2dtest;

uint32_t Size(const Bytes& b) {
    return static_cast<uint32_t>(b.size());
}

uint32_t Ch(uint16_t p, int k) {
    return p >> (10 - 5 * k) & 31;
}
uint16_t Pack(const uint32_t c[3]) {
    return static_cast<uint16_t>(c[0] << 10 | c[1] << 5 | c[2]);
}
// Per-channel f(colour channel, destination channel) in mode 0.
uint16_t PerChannel(uint16_t s, uint16_t d, const std::function<uint32_t(uint32_t, uint32_t)>& f) {
    uint32_t c[3];
    for (int k = 0; k < 3; ++k)
        c[k] = f(Ch(s, k), Ch(d, k));
    return Pack(c);
}

// Returns the new pixel, or -1 to leave it.
using PixelOp = std::function<int32_t(uint8_t value, uint16_t colour, uint16_t dest)>;

class RleSpriteTest : public TileTest {
protected:
    void SetUp() override {
        TileTest::SetUp();
        m_pal = TestPalette();
        m_pal[1] = 0x7FFF;
        m_pal[2] = (20 << 10) | (9 << 5) | 3;
        ScreenIsSurface();
        FillPattern();
    }
    uint16_t* Dest() { return m_buf.data() + kGuard; }
    int32_t Pitch() const { return static_cast<int32_t>(m_w); }
    void ScreenIsSurface() {
        auto* p = reinterpret_cast<uint8_t*>(Dest());
        v_SetScreenRange(p, p + size_t{m_w} * m_h * 2, nullptr);
    }

    Bytes Palette() const {
        Bytes b;
        for (uint16_t c : m_pal)
            Put16(b, c);
        return b;
    }
    static Bytes KeyBlock(uint32_t w, uint32_t h, const std::vector<uint8_t>& idx, uint8_t key) {
        Bytes b{key};
        Put32(b, w | h << 16);
        const Bytes codes = KeyRuns(idx, key);
        b.insert(b.end(), codes.begin(), codes.end());
        return b;
    }
    Bytes SpriteP(uint32_t w, uint32_t h, const std::vector<uint8_t>& idx, uint8_t key = 0xF7) const {
        Bytes b = Palette();
        const Bytes k = KeyBlock(w, h, idx, key);
        b.insert(b.end(), k.begin(), k.end());
        return b;
    }
    Bytes SpritePA(int32_t ax, int32_t ay, uint32_t w, uint32_t h, const std::vector<uint8_t>& idx,
                   uint8_t key = 0xF7) const {
        Bytes b = Palette();
        Put32(b, AnchorWord(ax, ay));
        const Bytes k = KeyBlock(w, h, idx, key);
        b.insert(b.end(), k.begin(), k.end());
        return b;
    }

    // The surface after drawing idx (w x h) with column c of row r at linear
    // position (Y + r) * pitch + X + c, or X - 1 - c when mirrored.
    std::vector<uint16_t> Want(const std::vector<uint16_t>& before, const std::vector<uint8_t>& idx, uint32_t w,
                               uint32_t h, int64_t X, int64_t Y, bool mirror, const PixelOp& op) const {
        std::vector<uint16_t> px = before;
        for (uint32_t r = 0; r < h; ++r)
            for (uint32_t c = 0; c < w; ++c) {
                const int64_t at = (Y + r) * m_w + (mirror ? X - 1 - c : X + c);
                if (at < 0 || at >= static_cast<int64_t>(px.size())) continue;
                const uint8_t v = idx[size_t{r} * w + c];
                const int32_t out = op(v, m_pal[v], px[static_cast<size_t>(at)]);
                if (out >= 0) px[static_cast<size_t>(at)] = static_cast<uint16_t>(out);
            }
        return px;
    }

    // Draws over the pattern and compares the whole surface.
    void Check(const std::function<void()>& draw, const std::vector<uint8_t>& idx, uint32_t w, uint32_t h, int64_t X,
               int64_t Y, bool mirror, const PixelOp& op, const char* what) {
        FillPattern();
        const std::vector<uint16_t> want = Want(Pixels(), idx, w, h, X, Y, mirror, op);
        draw();
        EXPECT_EQ(Pixels(), want) << what;
    }

    std::vector<uint16_t> m_pal;
};

// Runs that cross the row end, the key value itself, value 0 and the top values.
const std::vector<uint8_t> kIdx = {0, 1, 1, 1, 1, 1, 2, 0xF7, 3, 3, 0, 0, 0, 0, 254, 255, 240, 241, 7, 7};
constexpr uint32_t kW = 5, kH = 4;

uint16_t Half(uint16_t c, uint16_t d) {
    return PerChannel(c, d, [](uint32_t a, uint32_t b) { return (a + b) / 2; });
}
uint16_t Add(uint16_t c, uint16_t d) {
    return PerChannel(c, d, [](uint32_t a, uint32_t b) { return std::min(a + b, 31u); });
}
uint32_t T(uint32_t k, uint32_t v) {
    return (k + 1) * v / 64;
}

PixelOp Skip0(std::function<uint16_t(uint16_t c, uint16_t d)> f) {
    return [f](uint8_t v, uint16_t c, uint16_t d) { return v ? int32_t{f(c, d)} : -1; };
}

TEST_F(RleSpriteTest, OpaqueMembersAndAnchors) {
    const Bytes p = SpriteP(kW, kH, kIdx), pa = SpritePA(-4, 3, kW, kH, kIdx);
    const uint32_t np = static_cast<uint32_t>(p.size()), npa = static_cast<uint32_t>(pa.size());
    auto colour = Skip0([](uint16_t c, uint16_t) { return c; });
    auto solid = [](uint8_t, uint16_t c, uint16_t) { return int32_t{c}; };
    Check([&] { v_ShowPalRle(6, 2, p.data(), np, Dest(), Pitch()); }, kIdx, kW, kH, 6, 2, false, colour, "P");
    Check([&] { v_ShowPalRleSolid(6, 2, p.data(), np, Dest(), Pitch()); }, kIdx, kW, kH, 6, 2, false, solid,
          "solid draws value 0 with entry 0");
    Check([&] { v_ShowPalRleAnchor(10, 2, pa.data(), npa, Dest(), Pitch()); }, kIdx, kW, kH, 6, 5, false, colour,
          "stored 4 moves left, 5003 down");
    Check([&] { v_ShowPalRleSolidAnchor(10, 2, pa.data(), npa, Dest(), Pitch()); }, kIdx, kW, kH, 6, 5, false, solid,
          "solid anchored");
    for (int32_t a : {0, 5000}) {
        Bytes z = SpritePA(0, 0, kW, kH, kIdx);
        t2dtest::Bytes code;
        Put32(code, static_cast<uint32_t>(a) | static_cast<uint32_t>(a) << 16);
        std::copy(code.begin(), code.end(), z.begin() + 512);
        Check([&] { v_ShowPalRleAnchor(3, 1, z.data(), Size(z), Dest(), Pitch()); }, kIdx, kW, kH, 3, 1, false,
              colour, "anchor 0 and 5000 both place at (x, y)");
    }
}

TEST_F(RleSpriteTest, RunsCrossRowsAndRowsWrapPastTheSurfaceEdge) {
    // One run longer than the whole width covers several rows.
    std::vector<uint8_t> idx(4 * 5, 9);
    idx[0] = 2;
    const Bytes p = SpriteP(4, 5, idx);
    ASSERT_EQ(p[517 + 1], 0xF7) << "the picture is a single long run after one pixel";
    auto colour = Skip0([](uint16_t c, uint16_t) { return c; });
    Check([&] { v_ShowPalRle(20, 3, p.data(), Size(p), Dest(), Pitch()); }, idx, 4, 5, 20, 3, false, colour,
          "long run");
    // Only the screen range clips: a row past the right edge goes on at the
    // start of the next surface row.
    Check([&] { v_ShowPalRle(62, 3, p.data(), Size(p), Dest(), Pitch()); }, idx, 4, 5, 62, 3, false, colour,
          "wrapped rows");
}

TEST_F(RleSpriteTest, ScreenRangeStartAndEnd) {
    const Bytes p = SpriteP(kW, kH, kIdx);
    auto* base = reinterpret_cast<uint8_t*>(Dest());
    const std::vector<uint16_t> before = Pixels();
    // First pixel one pixel before the range: nothing, though most would fit.
    v_SetScreenRange(base + 2 * (2 * m_w + 7), base + size_t{m_w} * m_h * 2, nullptr);
    v_ShowPalRle(6, 2, p.data(), Size(p), Dest(), Pitch());
    EXPECT_EQ(Pixels(), before);
    // Range ending inside the third row: the rows from there on are cut at the
    // end, and no pixel past it is written.
    const size_t endPixel = 4 * m_w + 8;
    v_SetScreenRange(base, base + 2 * endPixel, nullptr);
    std::vector<uint16_t> want = Want(before, kIdx, kW, kH, 6, 2, false, Skip0([](uint16_t c, uint16_t) { return c; }));
    std::copy(before.begin() + static_cast<ptrdiff_t>(endPixel), before.end(), want.begin() + static_cast<ptrdiff_t>(endPixel));
    v_ShowPalRle(6, 2, p.data(), Size(p), Dest(), Pitch());
    EXPECT_EQ(Pixels(), want);
    // No screen range set: nothing.
    FillPattern();
    const std::vector<uint16_t> again = Pixels();
    v_SetScreenRange(nullptr, nullptr, nullptr);
    v_ShowPalRle(6, 2, p.data(), Size(p), Dest(), Pitch());
    EXPECT_EQ(Pixels(), again);
    // Far-off positions (64-bit address arithmetic) draw nothing.
    ScreenIsSurface();
    v_ShowPalRle(INT32_MIN, INT32_MAX, p.data(), Size(p), Dest(), INT32_MAX);
    v_ShowPalRle(INT32_MAX, 0, p.data(), Size(p), Dest(), Pitch());
    EXPECT_EQ(Pixels(), again);
}

TEST_F(RleSpriteTest, AMirroredSpriteIsTheMirrorImageOfItsTwin) {
    const Bytes pa = SpritePA(-2, 1, kW, kH, kIdx);
    auto colour = Skip0([](uint16_t c, uint16_t) { return c; });
    // Alpha 63 copies the colour.
    Check([&] { v_ShowPalRleAlphaAnchorMirror(20, 4, pa.data(), Size(pa), Dest(), Pitch(), 63); }, kIdx, kW, kH, 22,
          5, true, colour, "mirror: the x offset is negated, columns run leftwards from x - 1");
    Check([&] { v_ShowPalRleHalfAnchorMirror(20, 4, pa.data(), Size(pa), Dest(), Pitch()); }, kIdx, kW, kH, 22, 5,
          true, Skip0(Half), "half mirror");
    Check([&] { v_ShowPalRleAddAnchorMirror(20, 4, pa.data(), Size(pa), Dest(), Pitch()); }, kIdx, kW, kH, 22, 5,
          true, Skip0(Add), "add mirror");
    // The mirrored column 0 of a sprite at x = 0 would fall before the range.
    FillPattern();
    const std::vector<uint16_t> before = Pixels();
    const Bytes flat = SpritePA(0, 0, kW, kH, kIdx);
    v_ShowPalRleAlphaAnchorMirror(3, 0, flat.data(), Size(flat), Dest(), Pitch(), 63);
    const std::vector<uint16_t> want = Want(before, kIdx, kW, kH, 3, 0, true, colour);
    EXPECT_EQ(Pixels(), want) << "pixels before the range start are dropped";
}

TEST_F(RleSpriteTest, BlendingEffects) {
    const Bytes p = SpriteP(kW, kH, kIdx), pa = SpritePA(1, 2, kW, kH, kIdx);
    const uint8_t* P = p.data();
    const uint8_t* PA = pa.data();
    const uint32_t np = Size(p), npa = Size(pa);
    auto alpha = [](uint32_t a) {
        return [a](uint16_t c, uint16_t d) {
            return PerChannel(c, d, [a](uint32_t s, uint32_t t) { return T(a, s) + T(63 - a, t); });
        };
    };
    Check([&] { v_ShowPalRleAlpha(4, 3, P, np, Dest(), Pitch(), 63); }, kIdx, kW, kH, 4, 3, false,
          Skip0([](uint16_t c, uint16_t) { return c; }), "alpha 63 copies");
    Check([&] { v_ShowPalRleAlpha(4, 3, P, np, Dest(), Pitch(), 0); }, kIdx, kW, kH, 4, 3, false,
          [](uint8_t, uint16_t, uint16_t) { return -1; }, "alpha 0 leaves the destination");
    Check([&] { v_ShowPalRleAlpha(4, 3, P, np, Dest(), Pitch(), 20 + 64); }, kIdx, kW, kH, 4, 3, false,
          Skip0(alpha(20)), "alpha uses the level's low 6 bits");
    Check([&] { v_ShowPalRleAlphaSolid(4, 3, P, np, Dest(), Pitch(), 40); }, kIdx, kW, kH, 4, 3, false,
          [&](uint8_t, uint16_t c, uint16_t d) { return int32_t{alpha(40)(c, d)}; }, "alpha solid");
    Check([&] { v_ShowPalRleAlphaAnchor(3, 1, PA, npa, Dest(), Pitch(), 40); }, kIdx, kW, kH, 4, 3, false,
          Skip0(alpha(40)), "alpha anchored");

    auto fade = [](uint32_t L) {
        return [L](uint16_t c, uint16_t) { return PerChannel(c, 0, [L](uint32_t s, uint32_t) { return T(L, s); }); };
    };
    Check([&] { v_ShowPalRleFade(4, 3, P, np, Dest(), Pitch(), 63); }, kIdx, kW, kH, 4, 3, false,
          Skip0([](uint16_t c, uint16_t) { return c; }), "fade 63 keeps the colour");
    Check([&] { v_ShowPalRleFade(4, 3, P, np, Dest(), Pitch(), 25); }, kIdx, kW, kH, 4, 3, false, Skip0(fade(25)),
          "fade");
    Check([&] { v_ShowPalRleFadeAnchor(3, 1, PA, npa, Dest(), Pitch(), 25); }, kIdx, kW, kH, 4, 3, false,
          Skip0(fade(25)), "fade anchored");
    Check([&] { v_ShowPalRleFadeSolid(4, 3, P, np, Dest(), Pitch(), 10); }, kIdx, kW, kH, 4, 3, false,
          [&](uint8_t, uint16_t c, uint16_t d) { return int32_t{fade(10)(c, d)}; }, "fade solid");
    Check([&] { v_ShowPalRleFadeSolidAnchor(3, 1, PA, npa, Dest(), Pitch(), 10); }, kIdx, kW, kH, 4, 3, false,
          [&](uint8_t, uint16_t c, uint16_t d) { return int32_t{fade(10)(c, d)}; }, "fade solid anchored");

    Check([&] { v_ShowPalRleHalf(4, 3, P, np, Dest(), Pitch()); }, kIdx, kW, kH, 4, 3, false, Skip0(Half), "half");
    Check([&] { v_ShowPalRleHalfAnchor(3, 1, PA, npa, Dest(), Pitch()); }, kIdx, kW, kH, 4, 3, false, Skip0(Half),
          "half anchored");
    Check([&] { v_ShowPalRleAdd(4, 3, P, np, Dest(), Pitch()); }, kIdx, kW, kH, 4, 3, false, Skip0(Add), "add");
    Check([&] { v_ShowPalRleAddAnchor(3, 1, PA, npa, Dest(), Pitch()); }, kIdx, kW, kH, 4, 3, false, Skip0(Add),
          "add anchored");
    Check([&] { v_ShowPalRleAddAnchorLow(3, 1, PA, npa, Dest(), Pitch()); }, kIdx, kW, kH, 4, 3, false,
          [](uint8_t v, uint16_t c, uint16_t d) { return v && v < 240 ? int32_t{Add(c, d)} : -1; },
          "add low: 240 to 255 are transparent too");

    auto scaled = [](uint32_t L) {
        return [L](uint16_t c, uint16_t d) {
            return PerChannel(c, d, [L](uint32_t s, uint32_t t) { return std::min(t + T(L, s), 31u); });
        };
    };
    Check([&] { v_ShowPalRleAddScaled(4, 3, P, np, Dest(), Pitch(), 30); }, kIdx, kW, kH, 4, 3, false,
          Skip0(scaled(30)), "scaled add");
    Check([&] { v_ShowPalRleAddScaledAnchor(3, 1, PA, npa, Dest(), Pitch(), 50); }, kIdx, kW, kH, 4, 3, false,
          Skip0(scaled(50)), "scaled add anchored");
    Check([&] { v_ShowPalRleAddScaledAnchorMirror(3, 1, PA, npa, Dest(), Pitch(), 50); }, kIdx, kW, kH, 2, 3, true,
          Skip0(scaled(50)), "scaled add mirrored");
}

TEST_F(RleSpriteTest, LightenThroughTheQuotientTables) {
    const Bytes pa = SpritePA(0, 0, kW, kH, kIdx);
    const std::vector<uint16_t> before = Pixels();
    v_ShowPalRleLightenAnchor(4, 3, pa.data(), Size(pa), Dest(), Pitch(), 30);
    EXPECT_EQ(Pixels(), before) << "no quotient tables: nothing is drawn";
    std::vector<uint8_t> quot(3 * 4096);
    v_MakeBlendTables(m_tables.data(), m_tables.data() + 4096, quot.data());
    // Mode 0 narrows every table: entry c is the 64-level entry 2c halved.
    auto q = [](uint32_t r, uint32_t c) {
        const uint32_t wide = r == 63 ? 63 : std::min(63u, 2 * c + (63 - 2 * c) / (63 - r));
        return wide / 2;
    };
    for (uint32_t L : {0u, 30u, 62u, 63u})
        Check([&] { v_ShowPalRleLightenAnchor(4, 3, pa.data(), Size(pa), Dest(), Pitch(), L); }, kIdx, kW, kH, 4, 3,
              false, Skip0([&](uint16_t c, uint16_t) {
                  return PerChannel(c, 0, [&](uint32_t s, uint32_t) { return q(L, s); });
              }),
              "lighten");
}

TEST_F(RleSpriteTest, ChannelDarknessAndShiftMembers) {
    const Bytes pa = SpritePA(0, 0, kW, kH, kIdx);
    const uint32_t masks[7] = {0x7C00, 0x03E0, 0x001F, 0x03FF, 0x7C1F, 0x7FE0, 0};
    for (uint32_t sel = 0; sel < 7; ++sel) {
        const uint32_t m = masks[sel];
        Check([&] { v_ShowPalRleChannelAnchor(4, 3, pa.data(), Size(pa), Dest(), Pitch(), sel == 6 ? 99 : sel); },
              kIdx, kW, kH, 4, 3, false, Skip0([m](uint16_t c, uint16_t) { return static_cast<uint16_t>(c & m); }),
              "channel filter");
    }
    // No palette: the values act on the destination.
    const std::vector<uint8_t> vals = {0, 5, 5, 5, 5, 63, 64, 127, 1, 2, 3, 4, 0, 31, 32, 200};
    Bytes k = {0xF0};
    Put32(k, 4 | 4 << 16);
    const Bytes codes = KeyRuns(vals, 0xF0);
    k.insert(k.end(), codes.begin(), codes.end());
    Bytes ka;
    Put32(ka, AnchorWord(2, -1));
    ka.insert(ka.end(), k.begin(), k.end());
    auto dark = [](uint8_t v, uint16_t, uint16_t d) {
        return v ? int32_t{PerChannel(d, 0, [v](uint32_t t, uint32_t) { return T(v & 63u, t); })} : -1;
    };
    Check([&] { v_ShowRleDarkMap(4, 3, k.data(), Size(k), Dest(), Pitch()); }, vals, 4, 4, 4, 3, false, dark,
          "darkness map");
    Check([&] { v_ShowRleDarkMapAnchor(4, 3, ka.data(), Size(ka), Dest(), Pitch()); }, vals, 4, 4, 6, 2, false, dark,
          "darkness map anchored");
    Check([&] { v_ShowRleShiftShadow(4, 3, k.data(), Size(k), Dest(), Pitch()); }, vals, 4, 4, 4, 3, false,
          [](uint8_t v, uint16_t, uint16_t d) {
              return v ? int32_t{PerChannel(d, 0, [v](uint32_t t, uint32_t) { return v < 32 ? t >> v : 0; })} : -1;
          },
          "shift shadow");
}

TEST_F(RleSpriteTest, ShadowAndShadeIndices) {
    const Bytes pa = SpritePA(0, 0, kW, kH, kIdx);
    auto halfOf = [](uint16_t d) { return PerChannel(d, 0, [](uint32_t t, uint32_t) { return t / 2; }); };
    Check([&] { v_ShowPalRleShadowAnchor(4, 3, pa.data(), Size(pa), Dest(), Pitch()); }, kIdx, kW, kH, 4, 3, false,
          [&](uint8_t v, uint16_t c, uint16_t d) { return !v ? -1 : v >= 254 ? int32_t{halfOf(d)} : int32_t{c}; },
          "254 and 255 halve the destination");

    v_SetShadowLevels(16); // 240 to 255: 255 halves, 255 - v picks row 31 + (k + 1) * 2
    auto shade = [&](uint32_t shift, bool bright) {
        return [=](uint8_t v, uint16_t c, uint16_t d) -> int32_t {
            if (!v) return -1;
            if (v == 255) return halfOf(d);
            if (v >= 240) {
                const uint32_t row = 31 + (255 - v + 1) * 2;
                return PerChannel(d, 0, [row](uint32_t t, uint32_t) { return T(row, t); });
            }
            if (!bright) return c;
            return PerChannel(c, 0, [shift](uint32_t s, uint32_t) {
                return s == 0 ? 0u : shift >= 5 ? 31u : std::min(s << shift, 31u);
            });
        };
    };
    Check([&] { v_ShowPalRleShadeAnchor(4, 3, pa.data(), Size(pa), Dest(), Pitch()); }, kIdx, kW, kH, 4, 3, false,
          shade(0, false), "shade");
    Check([&] { v_ShowPalRleShadeAnchorMirror(9, 3, pa.data(), Size(pa), Dest(), Pitch()); }, kIdx, kW, kH, 9, 3,
          true, shade(0, false), "shade mirrored");
    Check([&] { v_ShowPalRleShadeBrightAnchor(4, 3, pa.data(), Size(pa), Dest(), Pitch(), 2); }, kIdx, kW, kH, 4, 3,
          false, shade(2, true), "bright");
    Check([&] { v_ShowPalRleShadeBrightAnchorMirror(9, 3, pa.data(), Size(pa), Dest(), Pitch(), 40); }, kIdx, kW, kH,
          9, 3, true, shade(40, true), "bright mirrored, a huge shift saturates");
    // 240 maps to row 63: the destination stays as it was.
    FillPattern();
    const std::vector<uint16_t> before = Pixels();
    const Bytes only240 = SpritePA(0, 0, 2, 1, {240, 240});
    v_ShowPalRleShadeAnchor(4, 3, only240.data(), Size(only240), Dest(), Pitch());
    EXPECT_EQ(Pixels(), before);
    // Before any shadow levels only 240 and up are shadow values.
    v_SetShadowLevels(1);
    Check([&] { v_ShowPalRleShadeAnchor(4, 3, pa.data(), Size(pa), Dest(), Pitch()); }, kIdx, kW, kH, 4, 3, false,
          [&](uint8_t v, uint16_t c, uint16_t d) { return !v ? -1 : v == 255 ? int32_t{halfOf(d)} : int32_t{c}; },
          "one shadow level: only 255");
}

TEST_F(RleSpriteTest, ConvertedPalettesAndTheCurrentPalette) {
    v_SetPixelMode(2);
    v_MakeBlendTables(m_tables.data(), m_tables.data() + 4096, nullptr);
    const Bytes pc = SpriteP(kW, kH, kIdx);
    Check([&] { v_ShowPal555RleSolid(4, 3, pc.data(), Size(pc), Dest(), Pitch()); }, kIdx, kW, kH, 4, 3, false,
          [](uint8_t, uint16_t c, uint16_t) { return int32_t{w_ConvertPixel(c, 2)}; }, "5-5-5 palette in mode 2");
    // Short palette of 3 colours.
    std::vector<uint8_t> small = {0, 1, 2, 2, 2, 2, 1, 0, 1};
    Bytes pn = {2};
    for (int i = 0; i < 3; ++i)
        Put16(pn, m_pal[i]);
    pn.push_back(0xF7);
    Put32(pn, 3 | 3 << 16);
    const Bytes codes = KeyRuns(small, 0xF7);
    pn.insert(pn.end(), codes.begin(), codes.end());
    Check([&] { v_ShowPalNRleSolid(4, 3, pn.data(), Size(pn), Dest(), Pitch()); }, small, 3, 3, 4, 3, false,
          [](uint8_t, uint16_t c, uint16_t) { return int32_t{w_ConvertPixel(c, 2)}; }, "short palette");

    v_SetPixelMode(0);
    const Bytes k = KeyBlock(kW, kH, kIdx, 0xF7);
    Bytes rgb(768);
    for (size_t i = 0; i < rgb.size(); ++i)
        rgb[i] = static_cast<uint8_t>(i * 7);
    // The library keeps the palette's address: it must outlive the test.
    static std::vector<uint16_t> current(256);
    l_ConvertPalette(rgb.data(), current.data(), 0);
    Check([&] { v_ShowRleWithPalette(4, 3, k.data(), Size(k), Dest(), Pitch()); }, kIdx, kW, kH, 4, 3, false,
          [&](uint8_t v, uint16_t, uint16_t) { return v ? int32_t{current[v]} : -1; }, "current palette");
}

TEST_F(RleSpriteTest, RowIndexedSpriteSkipsRowsAboveTheThirdValue) {
    MakeSurface(1280, 12);
    ScreenIsSurface();
    FillPattern();
    // 3 x 6, each row its own codes (no run crosses a row).
    std::vector<uint8_t> idx;
    for (uint8_t r = 0; r < 6; ++r)
        idx.insert(idx.end(), {static_cast<uint8_t>(10 + r), 255, static_cast<uint8_t>(r ? 20 : 0)});
    Bytes img = Palette();
    Put32(img, AnchorWord(2, 3)); // the y offset moves by 1,280-pixel rows
    img.push_back(0xF7);
    Put32(img, 3 | 6 << 16);
    Bytes codes;
    std::vector<uint32_t> offsets;
    for (uint32_t r = 0; r < 6; ++r) {
        offsets.push_back(5 + 4 * 6 + static_cast<uint32_t>(codes.size()));
        codes.insert(codes.end(), idx.begin() + 3 * r, idx.begin() + 3 * r + 3);
    }
    for (uint32_t o : offsets)
        Put32(img, o);
    img.insert(img.end(), codes.begin(), codes.end());
    auto op = [](uint8_t v, uint16_t c, uint16_t d) {
        return !v ? -1 : v >= 254 ? int32_t{PerChannel(d, 0, [](uint32_t t, uint32_t) { return t / 2; })} : int32_t{c};
    };
    Check([&] { v_ShowPalRleShadowRowsAnchor(5, 0, img.data(), Size(img), Dest(), Pitch()); }, idx, 3, 6, 7, 3, false,
          op, "whole");
    // Third value at row 5: rows 0 and 1 (at surface rows 3, 4) are skipped.
    auto* base = reinterpret_cast<uint8_t*>(Dest());
    v_SetScreenRange(base, base + size_t{m_w} * m_h * 2, base + size_t{5} * 2560);
    std::vector<uint8_t> shown(idx.begin() + 6, idx.end());
    Check([&] { v_ShowPalRleShadowRowsAnchor(5, 0, img.data(), Size(img), Dest(), Pitch()); }, shown, 3, 4, 7, 5,
          false, op, "top-clipped through the row table");
    // Every row above the third value: nothing.
    v_SetScreenRange(base, base + size_t{m_w} * m_h * 2, base + size_t{10} * 2560);
    FillPattern();
    const std::vector<uint16_t> before = Pixels();
    v_ShowPalRleShadowRowsAnchor(5, 0, img.data(), Size(img), Dest(), Pitch());
    EXPECT_EQ(Pixels(), before);
    // A row offset pointing past the image draws nothing.
    v_SetScreenRange(base, base + size_t{m_w} * m_h * 2, base + size_t{5} * 2560);
    Bytes bad = img;
    bad[521 + 8] = 0xFF;
    bad[521 + 9] = 0xFF;
    v_ShowPalRleShadowRowsAnchor(5, 0, bad.data(), Size(bad), Dest(), Pitch());
    EXPECT_EQ(Pixels(), before);
}

TEST_F(RleSpriteTest, PlainPalettedImagesAndEightBitSprites) {
    Bytes pi = Palette();
    Put32(pi, kW | kH << 16);
    pi.insert(pi.end(), kIdx.begin(), kIdx.end());
    Check([&] { v_ShowPalImage(4, 3, pi.data(), Size(pi), Dest(), Pitch()); }, kIdx, kW, kH, 4, 3, false,
          Skip0([](uint16_t c, uint16_t) { return c; }), "plain paletted image");
    Check([&] { v_ShowPalImageHalf(4, 3, pi.data(), Size(pi), Dest(), Pitch()); }, kIdx, kW, kH, 4, 3, false,
          Skip0(Half), "plain paletted image, half");

    const Bytes k = KeyBlock(kW, kH, kIdx, 0xF7);
    std::vector<uint8_t> buf(10 * 6 + 8, 0xAA);
    // 10-byte rows, the buffer 6 rows (60 bytes) of a larger allocation.
    v_ShowRle8(3, 1, k.data(), Size(k), buf.data(), 60, 10);
    for (uint32_t r = 0; r < 6; ++r)
        for (uint32_t c = 0; c < 10; ++c) {
            const int32_t ir = static_cast<int32_t>(r) - 1, ic = static_cast<int32_t>(c) - 3;
            uint8_t want = 0xAA;
            if (ir >= 0 && ir < 4 && ic >= 0 && ic < 5 && kIdx[ir * 5 + ic]) want = kIdx[ir * 5 + ic];
            EXPECT_EQ(buf[r * 10 + c], want) << r << "," << c;
        }
    // Rows below the buffer's end are not written.
    v_ShowRle8(3, 4, k.data(), Size(k), buf.data(), 60, 10);
    for (size_t i = 60; i < buf.size(); ++i)
        EXPECT_EQ(buf[i], 0xAA);
}

TEST_F(RleSpriteTest, TruncatedImagesNeverReadPastTheirBytes) {
    const Bytes p = SpriteP(kW, kH, kIdx), pa = SpritePA(1, 1, kW, kH, kIdx);
    for (size_t n = 0; n <= pa.size(); ++n) {
        // Exact-size copies, so a read past the end shows under the sanitizer.
        const Bytes cp(p.begin(), p.begin() + static_cast<ptrdiff_t>(std::min(n, p.size())));
        const Bytes cpa(pa.begin(), pa.begin() + static_cast<ptrdiff_t>(n));
        v_ShowPalRle(4, 3, cp.data(), Size(cp), Dest(), Pitch());
        v_ShowPal555RleSolid(4, 3, cp.data(), Size(cp), Dest(), Pitch());
        v_ShowPalRleShadeAnchor(4, 3, cpa.data(), Size(cpa), Dest(), Pitch());
        v_ShowPalRleShadowRowsAnchor(4, 3, cpa.data(), Size(cpa), Dest(), Pitch());
        v_ShowPalImage(4, 3, cp.data(), Size(cp), Dest(), Pitch());
        const Bytes k(p.begin() + 512, p.begin() + 512 + static_cast<ptrdiff_t>(std::min<size_t>(n, p.size() - 512)));
        v_ShowRleDarkMap(4, 3, k.data(), Size(k), Dest(), Pitch());
        const Bytes pn(pa.begin() + 500, pa.begin() + 500 + static_cast<ptrdiff_t>(std::min<size_t>(n, pa.size() - 500)));
        v_ShowPalNRleSolid(4, 3, pn.data(), Size(pn), Dest(), Pitch());
    }
    // A huge stated size with few codes stops at the codes' end: the 20
    // pixels land on one long row.
    Bytes big = SpriteP(kW, kH, kIdx);
    std::fill_n(big.begin() + 513, 4, 0xFF);
    FillPattern();
    const std::vector<uint16_t> before = Pixels();
    v_ShowPalRle(0, 0, big.data(), Size(big), Dest(), Pitch());
    EXPECT_EQ(Pixels(), Want(before, kIdx, 20, 1, 0, 0, false, Skip0([](uint16_t c, uint16_t) { return c; })));
}

}  // namespace
