#pragma once
// Painters of the ground tiles: 64 x 31 diamonds (see ground_builder.h) in
// the three forms the ground draws (paletted, RGB-palette code-byte, and the
// taller blocks that rise 16 pixels above their diamond), each a whole
// encoded image ready for a tile bank.
#include <cstdint>

#include "tools/datagen/ground_builder.h"

namespace datagen {

// Grass of sixteen greens with short blades; the seed varies the pattern.
Bytes GrassTile(uint32_t seed);
// Grass in strokes along the rows, as the mission grounds have it.
Bytes MeadowTile(uint32_t seed);
// Meadow with a few flowers in it.
Bytes FlowerGrassTile(uint32_t seed);
// Bare earth with pebbles.
Bytes DirtTile();
// A ploughed field: furrows along one axis of the cells, joining across cells.
Bytes FieldTile();
// Sand of a shore.
Bytes SandTile();
// A gravel road.
Bytes GravelTile();
// Paving of four slabs, RGB palette.
Bytes StoneTile();
// Cobbles, RGB palette.
Bytes CobbleTile();
// One of four frames of water, periodic over the cell: a fine one, and one
// of eight shades in broad bands.
Bytes WaterTile(uint32_t frame);
Bytes PondTile(uint32_t frame);
// Snow, and the glare drawn additively on flagged snow cells: white in
// every pixel of the diamond, so that adding it saturates to white whatever
// lies below.
Bytes SnowTile(uint32_t seed);
Bytes GlareTile();

// Taller tiles, 64 x 47, anchored 16 pixels above the cell's point: their
// lower 31 rows cover the diamond, the rest overlaps the cells behind.
// A rock mound in RGB palette whose outline blends into what lies behind it.
Bytes RockTile();
// A block of town wall, paletted, its top face and two sides in bricks.
Bytes WallTile();
constexpr uint32_t kTallTileH = 47;
constexpr int32_t kTallRise = 16;

} // namespace datagen
