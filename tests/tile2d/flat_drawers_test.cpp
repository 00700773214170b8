#include <gtest/gtest.h>

#include <functional>

#include "tests/tile2d/tile_fixture.h"
#include "tile2d/flat_drawers.h"
#include "tile2d/tile_tables.h"

namespace {

using namespace t2dtest;

uint16_t Channelwise(uint16_t a, uint16_t b, const std::function<uint32_t(int, uint32_t, uint32_t)>& f) {
    uint32_t out = 0;
    int c = 0;
    for (uint32_t sh : {10u, 5u, 0u}) {
        out |= std::min(31u, f(c, a >> sh & 31, b >> sh & 31)) << sh;
        ++c;
    }
    return static_cast<uint16_t>(out);
}

class FlatFamilyTest : public TileTest {
protected:
    void SetUp() override {
        TileTest::SetUp();
        m_pal = TestPalette();
        m_pal[1] = 0x7FFF;
        m_pal[2] = (20 << 10) | (9 << 5) | 3;
        // Index 0, a run of index 1 across the row end, index 2, then the shadow indices.
        m_tile = FlatTile(AnchorWord(0, 0), 0xF0, 4, 2, m_pal, {0, 0xF0, 4, 1, 2, 254, 255});
    }
    // Draws with `draw` over the pattern; checks each pixel against f(unit colour, index, old pixel).
    void Check(const std::function<void(const uint8_t*, uint32_t)>& draw,
               const std::function<uint16_t(uint16_t, uint8_t, uint16_t)>& f) {
        FillPattern();
        const std::vector<uint16_t> before = Pixels();
        draw(m_tile.data(), static_cast<uint32_t>(m_tile.size()));
        const uint8_t idx[8] = {0, 1, 1, 1, 1, 2, 254, 255};
        for (uint32_t i = 0; i < 8; ++i) {
            const uint32_t x = i % 4, y = i / 4;
            EXPECT_EQ(At(x, y), f(m_pal[idx[i]], idx[i], before[y * m_w + x])) << "pixel " << i;
        }
        EXPECT_EQ(At(4, 0), before[4]);
    }
    std::vector<uint16_t> m_pal;
    Bytes m_tile;
};

TEST_F(FlatFamilyTest, ScaledColoursAndIndexZero) {
    auto keep0 = [](auto f) {
        return [f](uint16_t c, uint8_t i, uint16_t d) { return i == 0 ? d : f(c, d); };
    };
    Check([](const uint8_t* t, uint32_t n) { v_ShowTileFlatOpaque(1 - 1, 0, t, n); },
          [](uint16_t c, uint8_t, uint16_t) { return c; });
    Check([](const uint8_t* t, uint32_t n) { v_ShowTileFlatLevel(0, 0, t, n, 31 + 128); },
          keep0([](uint16_t c, uint16_t) {
              return Channelwise(c, 0, [](int, uint32_t s, uint32_t) { return 32 * s / 64; });
          }));
    Check([](const uint8_t* t, uint32_t n) { v_ShowTileFlatOpaqueLevel(0, 0, t, n, 15); },
          [](uint16_t c, uint8_t, uint16_t) {
              return Channelwise(c, 0, [](int, uint32_t s, uint32_t) { return 16 * s / 64; });
          });
    Check([](const uint8_t* t, uint32_t n) { v_ShowTileFlatTint(0, 0, t, n, 63, 31, 0); },
          keep0([](uint16_t c, uint16_t) {
              const uint32_t k[3] = {64, 32, 1};
              return Channelwise(c, 0, [&](int ch, uint32_t s, uint32_t) { return k[ch] * s / 64; });
          }));
}

TEST_F(FlatFamilyTest, BlendsHalvesAndSaturatingAdds) {
    auto keep0 = [](auto f) {
        return [f](uint16_t c, uint8_t i, uint16_t d) { return i == 0 ? d : f(c, d); };
    };
    Check([](const uint8_t* t, uint32_t n) { v_ShowTileFlatHalf(0, 0, t, n); },
          keep0([](uint16_t c, uint16_t d) {
              return Channelwise(c, d, [](int, uint32_t s, uint32_t e) { return (s + e) / 2; });
          }));
    Check([](const uint8_t* t, uint32_t n) { v_ShowTileFlatBlend(0, 0, t, n, 40); },
          keep0([](uint16_t c, uint16_t d) { return Blend555(40, c, d); }));
    Check([](const uint8_t* t, uint32_t n) { v_ShowTileFlatBlendRGB(0, 0, t, n, 0, 63, 10); },
          keep0([](uint16_t c, uint16_t d) {
              const uint32_t k[3] = {0, 63, 10};
              return Channelwise(c, d, [&](int ch, uint32_t s, uint32_t e) {
                  return (k[ch] + 1) * s / 64 + (64 - k[ch]) * e / 64;
              });
          }));
    Check([](const uint8_t* t, uint32_t n) { v_ShowTileFlatAddLevel(0, 0, t, n, 31); },
          keep0([](uint16_t c, uint16_t d) {
              return Channelwise(c, d, [](int, uint32_t s, uint32_t e) { return 32 * s / 64 + e; });
          }));
    Check([](const uint8_t* t, uint32_t n) { v_ShowTileFlatAddRGB(0, 0, t, n, 63, 0, 7); },
          keep0([](uint16_t c, uint16_t d) {
              const uint32_t k[3] = {64, 1, 8};
              return Channelwise(c, d, [&](int ch, uint32_t s, uint32_t e) { return k[ch] * s / 64 + e; });
          }));
}

TEST_F(FlatFamilyTest, ShadowIndicesDarkenTheSurface) {
    v_SetShadowLevels(4); // threshold 252; index 254 takes entry 1, row 47
    Check([](const uint8_t* t, uint32_t n) { v_ShowTileFlatShadow(0, 0, t, n); },
          [](uint16_t c, uint8_t i, uint16_t d) -> uint16_t {
              if (i == 0) return d;
              if (i == 255) return Channelwise(d, 0, [](int, uint32_t e, uint32_t) { return e / 2; });
              if (i == 254) return Channelwise(d, 0, [](int, uint32_t e, uint32_t) { return 48 * e / 64; });
              return c;
          });
    v_SetShadowLevels(1); // 254 is a colour now
    Check([](const uint8_t* t, uint32_t n) { v_ShowTileFlatShadow(0, 0, t, n); },
          [](uint16_t c, uint8_t i, uint16_t d) -> uint16_t {
              if (i == 0) return d;
              if (i == 255) return Channelwise(d, 0, [](int, uint32_t e, uint32_t) { return e / 2; });
              return c;
          });
}

TEST_F(FlatFamilyTest, ShadowBeforeSetUpStaysInsideItsTable) {
    // Threshold 0 would name shadow rows up to 255 of a 16-row table.
    const Bytes t = FlatTile(AnchorWord(0, 0), 0xF0, 3, 1, m_pal, {1, 2, 200});
    v_ShowTileFlatShadow(0, 0, t.data(), static_cast<uint32_t>(t.size()));
    EXPECT_EQ(At(0, 0), m_pal[1]);
    EXPECT_EQ(At(2, 0), m_pal[200]);
}

} // namespace
