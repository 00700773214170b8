// Drawing the ground under the view: the walk over the cells, the row count,
// the drawer each cell gets, and the generated ground map of the data set.
#include "tests/tile2d/map_image_fixture.h"

#include <map>

#include "tile2d/tile_drawers.h"

using namespace t2dtest;

namespace {

// Where a cell's point lands on the surface for a view at (vx, vy).
int64_t CellX(int64_t c, int64_t r, int32_t vx) {
    return (c + r) * 32 - 8192 - vx;
}
int64_t CellY(int64_t c, int64_t r, int32_t vy) {
    return (r - c) * 16 + 4064 - vy;
}

int32_t AnchorOf(uint16_t v) {
    return v < 5000 ? -static_cast<int32_t>(v) : v - 5000;
}

TEST_F(MapImageTest, TheWalkReachesEveryCellPointOnTheSurface) {
    MapGrid grid(512, 511);
    for (uint32_t c = 0; c < 512; ++c)
        for (uint32_t r = 0; r < 511; ++r)
            grid.Set(c, r, 1);
    Bank bank;
    bank.Add(DotTile(0x2345));
    PutMap(1, MapInfo(1, 0, 0, 800, 600), {}, grid);
    PutBank(1, bank);
    ASSERT_EQ(l_LoadMapImage(1), 1);

    // Views at the origin (the first cells of the top rows have negative
    // rows), at odd offsets, left of and above the origin, and far in.
    const int32_t views[][2] = {{0, 0}, {1, 1}, {63, 31}, {-40, -20}, {-1000, -700}, {2000, 1500}, {4321, 777}};
    for (const auto& v : views) {
        SCOPED_TRACE(testing::Message() << v[0] << ", " << v[1]);
        Clear();
        v_SetMapImageView(static_cast<uint32_t>(v[0]), static_cast<uint32_t>(v[1]));
        v_ShowMapImage();
        std::vector<uint16_t> want(size_t{m_w} * m_h, 0);
        for (int64_t c = 0; c < 512; ++c)
            for (int64_t r = 0; r < 511; ++r) {
                const int64_t x = CellX(c, r, v[0]), y = CellY(c, r, v[1]);
                if (x >= 0 && y >= 0 && x < m_w && y < m_h) want[static_cast<size_t>(y * m_w + x)] = 0x2345;
            }
        EXPECT_EQ(Pixels(), want);
    }
}

TEST_F(MapImageTest, ScreenRowsFollowTheMapHeight) {
    // The dot sits 64 pixels below the cell's point, so row 0 shows at y 0.
    std::vector<uint16_t> pal(256, 0);
    pal[5] = 0x0777;
    Bank bank;
    bank.Add(FlatTile(AnchorWord(0, 64), 200, 1, 1, pal, {5}));
    PutBank(1, bank);
    // View tile (10, 20): its point lands at (-128, -64).
    const uint32_t vx = static_cast<uint32_t>(-7104), vy = 4288;
    auto rowHasDots = [&](int32_t y) {
        for (uint32_t x = 0; x < m_w; ++x)
            if (At(x, y) == 0x0777) return true;
        return false;
    };
    auto drawWithHeight = [&](uint16_t height) {
        MapGrid grid(512, height);
        for (uint32_t c = 0; c < 512; ++c)
            for (uint32_t r = 0; r < 511; ++r)
                grid.Set(c, r, 1);
        PutMap(1, MapInfo(1, 0, 0, 800, 600), {}, grid);
        ASSERT_EQ(l_LoadMapImage(1), 1);
        Clear();
        v_SetMapImageView(vx, vy);
        v_ShowMapImage();
    };

    drawWithHeight(300); // min(45, 300 - 255 - 20 + 10) = 35 rows
    EXPECT_TRUE(rowHasDots(0));
    EXPECT_TRUE(rowHasDots(34 * 16));
    EXPECT_FALSE(rowHasDots(35 * 16));
    EXPECT_EQ(At(0, 0), 0x0777); // the third cell of row 0
    EXPECT_EQ(At(32, 16), 0x0777);
    drawWithHeight(266);
    EXPECT_TRUE(rowHasDots(0));
    EXPECT_FALSE(rowHasDots(16));
    drawWithHeight(265);
    EXPECT_EQ(std::count(m_buf.begin(), m_buf.end(), 0), static_cast<long>(m_w * m_h));
    Init(800, 800);
    drawWithHeight(0xFFFF); // never more than 45 rows
    EXPECT_TRUE(rowHasDots(44 * 16));
    EXPECT_FALSE(rowHasDots(45 * 16));
}

TEST_F(MapImageTest, EachCellGetsTheDrawerOfItsImageAndFlags) {
    std::vector<uint16_t> pal(256, 0);
    pal[5] = 0x7C10;
    Bank bank;
    const uint32_t flat = bank.Add(FlatTile(AnchorWord(0, 0), 200, 2, 1, pal, {5, 5}));
    Bytes rgb{'N', '@'};
    rgb.resize(2 + 768, 0);
    rgb[2 + 3 * 6] = 255; // index 6: red 255, green 0, blue 128
    rgb[2 + 3 * 6 + 2] = 128;
    rgb.push_back(1);
    rgb.resize(796, 0);
    Put32(rgb, AnchorWord(0, 0));
    Put32(rgb, 2 | 1 << 16);
    rgb.insert(rgb.end(), {0x3F, 6, 0x3F, 6});
    const uint32_t coded = bank.Add(rgb);
    const uint32_t wide = bank.AddEntry(0x80000000u); // a 16-bit image: not a ground tile
    const uint32_t beyond = bank.AddEntry(0x00100000u);

    struct Cell {
        uint32_t c, r;
        uint16_t value;
        uint16_t want;
    };
    const uint16_t under = 0x0421;
    const Cell cells[] = {
        {260, 10, static_cast<uint16_t>(flat), 0x7C10},          // drawn flat
        {259, 11, static_cast<uint16_t>(flat | 0x4000), 0x7C31}, // added, red saturating
        {258, 12, static_cast<uint16_t>(flat | 0x8000), 0x7C31},
        {257, 13, static_cast<uint16_t>(coded | 0xC000), 0x7C10}, // "N@" whatever the flags
        {256, 14, static_cast<uint16_t>(wide), under},
        {255, 15, static_cast<uint16_t>(beyond), under},
        {254, 16, 9, under}, // past the table
    };
    MapGrid grid(512, 511);
    for (const Cell& k : cells)
        grid.Set(k.c, k.r, k.value);
    PutMap(1, MapInfo(1, 0, 0, 800, 600), {}, grid);
    PutBank(1, bank);
    ASSERT_EQ(l_LoadMapImage(1), 1);
    Clear(under);
    v_SetMapImageView(0, 0);
    v_ShowMapImage();
    for (const Cell& k : cells) {
        const int64_t x = CellX(k.c, k.r, 0), y = CellY(k.c, k.r, 0);
        EXPECT_EQ(At(x, y), k.want) << k.c << ", " << k.r;
        EXPECT_EQ(At(x + 1, y), k.want);
        EXPECT_EQ(At(x + 2, y), under);
    }
}

// ---- the generated ground --------------------------------------------------

class GroundDataSet : public MapImageTest {
protected:
    void SetUp() override {
        MapImageTest::SetUp();
        m_cwd.reset();
        m_cwd.emplace(krxtest::DataDir());
        ASSERT_EQ(l_LoadMapImage(1), 1) << "the data set has no ground map 1";
    }

    struct Decoded {
        int32_t ax = 0, ay = 0;
        uint32_t w = 0, h = 0;
        bool rgb = false;
        std::vector<int32_t> units; // -1 where nothing is drawn
        std::vector<uint16_t> pal;
    };

    // Decodes tile n of the loaded (converted) bank with the plain decoders.
    const Decoded& Tile(uint32_t n) {
        auto it = m_tiles.find(n);
        if (it != m_tiles.end()) return it->second;
        const sc_MapImage& m = *g_pMapImage;
        Decoded d;
        const uint32_t entries = m.lGetTileTableSize() / 4;
        EXPECT_TRUE(n >= 1 && n <= entries) << n;
        if (n >= 1 && n <= entries) {
            const uint32_t off = Get32(Bytes(m.pGetTileTable(), m.pGetTileTable() + entries * 4), (n - 1) * 4);
            EXPECT_LT(off, m.lGetTileDataSize());
            const Bytes img(m.pGetTileData() + off, m.pGetTileData() + m.lGetTileDataSize());
            d.rgb = img[0] == 'N' && img[1] == '@';
            const size_t palAt = d.rgb ? 2 : 0, anchorAt = d.rgb ? 796 : 512, sizeAt = d.rgb ? 800 : 517;
            for (uint32_t i = 0; i < 256; ++i)
                d.pal.push_back(Get16(img, palAt + 2 * i));
            d.ax = AnchorOf(Get16(img, anchorAt));
            d.ay = AnchorOf(Get16(img, anchorAt + 2));
            d.w = Get16(img, sizeAt);
            d.h = Get16(img, sizeAt + 2);
            d.units = d.rgb ? DecodeCodeBytes(img, 804, d.w, d.h) : DecodeKeyRuns(img, 521, img[516], d.w, d.h);
            for (int32_t& u : d.units) {
                if (u < 0) continue;
                EXPECT_EQ(u & 0xFF, 63) << "ground tiles are opaque";
                if (!d.rgb && u >> 8 == 0) u = -1; // index 0 leaves the surface
            }
        }
        return m_tiles.emplace(n, std::move(d)).first->second;
    }

    // The view drawn cell by cell from the tile geometry: the cell's point,
    // plus the anchor, is the image's top-left.
    std::vector<uint16_t> Reference(int32_t vx, int32_t vy) {
        std::vector<uint16_t> px(size_t{m_w} * m_h, 0);
        const uint8_t* layer = g_pMapImage->pGetMap() + 4;
        for (int64_t r = 0; r < 511; ++r)
            for (int64_t c = 0; c < 512; ++c) {
                const int64_t x = CellX(c, r, vx), y = CellY(c, r, vy);
                if (x >= m_w || y >= m_h || x + 128 < 0 || y + 128 < 0) continue;
                const uint16_t cell = static_cast<uint16_t>(layer[(r * 512 + c) * 2] | layer[(r * 512 + c) * 2 + 1] << 8);
                if ((cell & kMapTileMask) == 0) continue;
                EXPECT_EQ(cell & kMapFlagMask, 0);
                const Decoded& t = Tile(cell & kMapTileMask);
                for (uint32_t j = 0; j < t.h; ++j)
                    for (uint32_t i = 0; i < t.w; ++i) {
                        const int32_t u = t.units[size_t{j} * t.w + i];
                        const int64_t sx = x + t.ax + i, sy = y + t.ay + j;
                        if (u < 0 || sx < 0 || sy < 0 || sx >= m_w || sy >= m_h) continue;
                        uint16_t& p = px[static_cast<size_t>(sy * m_w + sx)];
                        EXPECT_EQ(p, 0) << "cells overlap at " << sx << ", " << sy;
                        p = t.pal[static_cast<uint32_t>(u) >> 8];
                    }
            }
        return px;
    }

    std::map<uint32_t, Decoded> m_tiles;
};

TEST_F(GroundDataSet, HeaderAndAnimation) {
    EXPECT_EQ(l_GetMapImageWidth(), 2400);
    EXPECT_EQ(l_GetMapImageHeight(), 1800);
    const sc_MapImage& m = *g_pMapImage;
    EXPECT_EQ(m.lGetPuzzle(), 1u);
    EXPECT_EQ(m.cGetNameLength(), 2);
    ASSERT_EQ(m.bGetAnimationCount(), 1);
    const ss_MapAnimation& a = g_pMapImage->rGetAnimation(0);
    EXPECT_EQ(a.bFrames, 4);
    EXPECT_EQ(a.lPeriod, 250u);
    EXPECT_LE(a.lLast, m.lGetTileTableSize() / 4);
    // The frames of the water differ from one another.
    for (uint32_t f = a.lFirst; f < a.lLast; ++f)
        EXPECT_NE(Tile(f).units, Tile(f + 1).units) << f;
}

TEST_F(GroundDataSet, EveryTileIsOneWholeDiamond) {
    const uint32_t entries = g_pMapImage->lGetTileTableSize() / 4;
    ASSERT_GE(entries, 5u);
    bool sawRgb = false, sawFlat = false;
    for (uint32_t n = 1; n <= entries; ++n) {
        SCOPED_TRACE(n);
        const Decoded& t = Tile(n);
        (t.rgb ? sawRgb : sawFlat) = true;
        ASSERT_EQ(t.w, 64u);
        ASSERT_EQ(t.h, 31u);
        // Drawn alone by the library's drawer, the tile fills exactly the
        // diamond, every pixel a colour.
        std::vector<uint16_t> px(64 * 31, 0);
        v_SetSurface(1, px.data(), 64, 31);
        v_SelectSurface(1);
        const uint8_t* data = g_pMapImage->pGetTileData();
        const uint8_t* table = g_pMapImage->pGetTileTable();
        const uint32_t at = static_cast<uint32_t>(table[(n - 1) * 4] | table[(n - 1) * 4 + 1] << 8 |
                                                  table[(n - 1) * 4 + 2] << 16 | table[(n - 1) * 4 + 3] << 24);
        const uint32_t bytes = g_pMapImage->lGetTileDataSize() - at;
        if (t.rgb)
            v_ShowTile(-t.ax, -t.ay, data + at, bytes);
        else
            v_ShowTileFlat(-t.ax, -t.ay, data + at, bytes);
        v_SelectSurface(0);
        for (uint32_t y = 0; y < 31; ++y)
            for (uint32_t x = 0; x < 64; ++x) {
                const bool inside = y < 16 ? x + 2 * y >= 30 && x <= 33 + 2 * y
                                           : x >= 2 + 2 * (y - 16) && x + 2 * (y - 16) <= 61;
                EXPECT_EQ(px[y * 64 + x] != 0, inside) << x << ", " << y;
            }
    }
    EXPECT_TRUE(sawRgb);
    EXPECT_TRUE(sawFlat);
}

TEST_F(GroundDataSet, TheGroundCoversEveryViewCellByCell) {
    const int32_t views[][2] = {{0, 0}, {1600, 1200}, {733, 517}, {1024, 0}, {0, 1200}, {390, 999}};
    for (const auto& v : views) {
        SCOPED_TRACE(testing::Message() << v[0] << ", " << v[1]);
        Clear();
        v_SetMapImageView(static_cast<uint32_t>(v[0]), static_cast<uint32_t>(v[1]));
        v_ShowMapImage();
        const std::vector<uint16_t> got = Pixels();
        EXPECT_EQ(std::count(got.begin(), got.end(), 0), 0) << "ground left a hole";
        EXPECT_TRUE(got == Reference(v[0], v[1]));
    }
    // The pond, the paving and the road show where the map puts them: pick a
    // cell of each kind near the middle of the map and check its centre.
    Clear();
    v_SetMapImageView(600, 450);
    v_ShowMapImage();
    const uint8_t* layer = g_pMapImage->pGetMap() + 4;
    std::map<uint32_t, int> seen;
    for (int64_t r = 0; r < 511; ++r)
        for (int64_t c = 0; c < 512; ++c) {
            const uint32_t tile = (layer[(r * 512 + c) * 2] | layer[(r * 512 + c) * 2 + 1] << 8) & kMapTileMask;
            const int64_t x = CellX(c, r, 600) + 32, y = CellY(c, r, 450) + 15;
            if (!tile || x < 0 || y < 0 || x >= m_w || y >= m_h) continue;
            const Decoded& t = Tile(tile);
            const int32_t u = t.units[size_t{15} * t.w + 32];
            ASSERT_GE(u, 0);
            EXPECT_EQ(At(x, y), t.pal[static_cast<uint32_t>(u) >> 8]);
            ++seen[tile];
        }
    EXPECT_GE(seen.size(), 4u) << "a view in the middle shows several kinds of ground";
}

} // namespace
