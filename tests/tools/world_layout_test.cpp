#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

#include "tools/datagen/ground_builder.h"
#include "tools/datagen/world_layout.h"

namespace {

using datagen::BuildWorldLayout;
using datagen::Terrain;
using datagen::WorldLayout;

// The pixel lookup is the exact inverse of the diamond tiling: the cell it
// names covers the pixel, and no other cell around does.
TEST(WorldLayout, EveryMapPixelLiesInTheDiamondOfItsCell) {
    uint32_t seed = 7;
    for (int i = 0; i < 20000; ++i) {
        seed = seed * 1664525u + 1013904223u;
        const int32_t x = static_cast<int32_t>(seed >> 8) % 7000 - 200;
        const int32_t y = static_cast<int32_t>(seed >> 4 & 0x1FFF) % 6500 - 200;
        const datagen::Cell cell = datagen::CellAt(x, y);
        int32_t covering = 0;
        for (int32_t dr = -2; dr <= 2; ++dr)
            for (int32_t dc = -2; dc <= 2; ++dc) {
                const datagen::MapPixel p = datagen::CellPoint(cell.c + dc, cell.r + dr);
                if (datagen::InDiamond(x - p.x, y - p.y)) {
                    ++covering;
                    EXPECT_TRUE(dc == 0 && dr == 0) << x << ", " << y;
                }
            }
        ASSERT_EQ(covering, 1) << x << ", " << y;
    }
}

// What the world built on a layout relies on: the map's size, the town's
// place, lots and starts on open ground, and every start and lot reachable
// from the first start over open cells of the occupancy raster.
TEST(WorldLayout, EveryMapIsPlayableAsLaidOut) {
    for (uint32_t number : datagen::GroundMapNumbers()) {
        SCOPED_TRACE(number);
        const WorldLayout w = BuildWorldLayout(number);
        EXPECT_GE(w.width, 864);
        EXPECT_GE(w.height, 600);
        EXPECT_LE(std::max(w.width, w.height), 6000);

        for (int32_t r = w.town.r0 - 1; r <= w.town.r1 + 1; ++r)
            for (int32_t c = w.town.c0 - 1; c <= w.town.c1 + 1; ++c)
                ASSERT_NE(w.CellTerrain(c, r), Terrain::Water) << "the town stands in water";
        ASSERT_FALSE(w.lots.empty());
        for (const datagen::Lot& lot : w.lots) {
            for (int32_t r = lot.cells.r0; r <= lot.cells.r1; ++r)
                for (int32_t c = lot.cells.c0; c <= lot.cells.c1; ++c)
                    ASSERT_EQ(w.CellTerrain(c, r), Terrain::Town);
            EXPECT_EQ(w.At(lot.centre.x, lot.centre.y), Terrain::Town);
            EXPECT_TRUE(lot.left < lot.centre.x && lot.centre.x < lot.right && lot.top < lot.centre.y &&
                        lot.centre.y < lot.bottom);
        }

        const int32_t gw = w.GridWidth(), gh = w.GridHeight();
        const std::vector<Terrain> grid = w.Raster();
        ASSERT_EQ(grid.size(), static_cast<size_t>(gw) * gh);
        auto open = [&](int32_t i, int32_t j) {
            return i >= 0 && j >= 0 && i < gw && j < gh &&
                   !datagen::Blocks(grid[static_cast<size_t>(j) * gw + i]);
        };
        for (const datagen::MapPixel& s : w.starts) {
            EXPECT_TRUE(s.x >= 464 && s.x <= w.width - 399 && s.y >= 300 && s.y <= w.height - 299);
            for (int32_t j = (s.y - 48) >> 3; j <= (s.y + 48) >> 3; ++j)
                for (int32_t i = (s.x - 48) >> 4; i <= (s.x + 48) >> 4; ++i)
                    ASSERT_TRUE(open(i, j)) << "start " << s.x << ", " << s.y;
        }

        std::vector<uint8_t> seen(grid.size(), 0);
        std::vector<std::pair<int32_t, int32_t>> todo{{w.starts[0].x >> 4, w.starts[0].y >> 3}};
        seen[static_cast<size_t>(todo[0].second) * gw + todo[0].first] = 1;
        while (!todo.empty()) {
            const auto [i, j] = todo.back();
            todo.pop_back();
            for (const auto& [di, dj] : {std::pair{1, 0}, {-1, 0}, {0, 1}, {0, -1}})
                if (open(i + di, j + dj) && !seen[static_cast<size_t>(j + dj) * gw + i + di]) {
                    seen[static_cast<size_t>(j + dj) * gw + i + di] = 1;
                    todo.emplace_back(i + di, j + dj);
                }
        }
        auto reached = [&](const datagen::MapPixel& p) {
            return seen[static_cast<size_t>(p.y >> 3) * gw + (p.x >> 4)];
        };
        for (const datagen::MapPixel& s : w.starts)
            EXPECT_TRUE(reached(s)) << "start " << s.x << ", " << s.y << " is cut off";
        for (const datagen::Lot& lot : w.lots)
            EXPECT_TRUE(reached(lot.centre))
                << "lot " << lot.centre.x << ", " << lot.centre.y << " is walled in";
    }
}

} // namespace
