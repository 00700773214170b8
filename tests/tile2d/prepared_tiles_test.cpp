// Prepared ground tiles against the drawers that walk the tile's stream on
// every draw: the same surface after drawing, whatever the stream does
// (runs and skips across rows, empty runs, a stream cut short, index 0) and
// wherever the tile lands (cut by every edge, or off the surface).
#include <random>

#include "tests/tile2d/tile_fixture.h"
#include "tile2d/prepared_tiles.h"
#include "tile2d/tile_drawers.h"

namespace {

using namespace t2dtest;

class PreparedTileTest : public TileTest {
protected:
    void Noise(std::mt19937& rng) {
        for (uint32_t y = 0; y < m_h; ++y)
            for (uint32_t x = 0; x < m_w; ++x)
                Set(x, y, static_cast<uint16_t>(rng() & 0x7FFF));
    }
};

enum class Kind { kFlat, kRgbRuns, kRgbCode };

// A random stream of w x h pixels in the tile's own units, sometimes short
// of the whole picture and sometimes cut inside a unit.
Bytes RandomStream(std::mt19937& rng, Kind kind, uint8_t key, uint32_t w, uint32_t h) {
    Bytes s;
    const uint64_t want = uint64_t{w} * h * (rng() % 4 == 0 ? 1 : 2) / 2 + rng() % 8;
    for (uint64_t covered = 0; covered < want;) {
        if (kind == Kind::kRgbCode) {
            if (rng() % 4 == 0) {
                const uint8_t skip = static_cast<uint8_t>(0x40 + rng() % 0xC0);
                s.push_back(skip);
                covered += skip - 63u;
            } else {
                s.insert(s.end(), {static_cast<uint8_t>(rng() % 64), static_cast<uint8_t>(rng() % 4)});
                ++covered;
            }
        } else if (rng() % 3 == 0) {
            const uint8_t n = static_cast<uint8_t>(rng() % 3 == 0 ? rng() % 3 : rng() % 90);
            s.insert(s.end(), {key, n, static_cast<uint8_t>(rng() % 3)});
            covered += n;
        } else {
            uint8_t b = static_cast<uint8_t>(rng() % 6);
            if (b == key) b = 0;
            s.push_back(b);
            ++covered;
        }
    }
    if (rng() % 5 == 0 && !s.empty()) s.resize(s.size() - 1);
    return s;
}

TEST_F(PreparedTileTest, DrawsWhatTheStreamDrawersDraw) {
    std::mt19937 rng(27);
    std::vector<uint16_t> pal = TestPalette();
    for (int round = 0; round < 300; ++round) {
        const Kind kind = static_cast<Kind>(round % 3);
        const uint32_t w = 1 + rng() % 40, h = 1 + rng() % 30;
        const uint8_t key = static_cast<uint8_t>(rng() % 2 ? 0xFE : 4);
        const uint32_t anchor = AnchorWord(static_cast<int32_t>(rng() % 9) - 4, static_cast<int32_t>(rng() % 9) - 4);
        const Bytes stream = RandomStream(rng, kind, key, w, h);
        const Bytes tile = kind == Kind::kFlat ? FlatTile(anchor, key, w, h, pal, stream)
                                               : RgbTile(kind == Kind::kRgbCode, anchor, w, h, pal, stream, key);
        const auto bytes = static_cast<uint32_t>(tile.size());
        sc_PreparedTile prepared;
        ASSERT_TRUE(prepared.bPrepare(tile.data(), bytes, kind != Kind::kFlat));
        // Six-bit channels every other round, for the saturating add and the blend.
        v_SetPixelMode(round % 2 ? 1 : 0);
        for (int place = 0; place < 12; ++place) {
            const int32_t x = static_cast<int32_t>(rng() % 120) - 45, y = static_cast<int32_t>(rng() % 100) - 35;
            const bool additive = place % 2 != 0;
            const uint32_t seed = static_cast<uint32_t>(rng());
            std::mt19937 noise(seed);
            Noise(noise);
            if (kind != Kind::kFlat)
                v_ShowTile(x, y, tile.data(), bytes);
            else if (additive)
                v_ShowTileFlagged(x, y, tile.data(), bytes);
            else
                v_ShowTileFlat(x, y, tile.data(), bytes);
            const std::vector<uint16_t> expected = Pixels();
            noise.seed(seed);
            Noise(noise);
            prepared.vShow(x, y, additive);
            ASSERT_EQ(Pixels(), expected) << "round " << round << " at " << x << "," << y;
        }
    }
}

TEST_F(PreparedTileTest, ShortHeadersDrawNothingAndHugeTilesAreLeftToTheStream) {
    const std::vector<uint16_t> pal = TestPalette();
    const Bytes flat = FlatTile(AnchorWord(0, 0), 0xFE, 8, 8, pal, Bytes(64, 3));
    sc_PreparedTile p;
    for (const auto& [bytes, rgb] : {std::pair{uint32_t{520}, false}, std::pair{uint32_t{803}, true}}) {
        ASSERT_TRUE(p.bPrepare(flat.data(), bytes, rgb));
        const std::vector<uint16_t> before = Pixels();
        p.vShow(0, 0, false);
        EXPECT_EQ(Pixels(), before);
    }
    EXPECT_FALSE(p.bPrepare(FlatTile(AnchorWord(0, 0), 0xFE, 257, 256, pal, {}).data(), 600, false));

    // The bank refuses what it cannot prepare, so that the caller draws it.
    sc_PreparedTiles bank;
    const Bytes huge = FlatTile(AnchorWord(0, 0), 0xFE, 300, 300, pal, {});
    EXPECT_FALSE(bank.bShow(7, huge.data(), static_cast<uint32_t>(huge.size()), false, 0, 0, false));
    EXPECT_TRUE(bank.bShow(3, flat.data(), static_cast<uint32_t>(flat.size()), false, 0, 0, false));
    EXPECT_EQ(At(7, 7), pal[3]);
}

} // namespace
