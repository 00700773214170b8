#pragma once
// The shared description of every ground map of the data set: for each map
// number its size, the terrain of each ground cell, the building lots of its
// town and open start places. The ground files (tiles chosen per cell) are
// written from it, and the mission files' occupancy grids and building places
// are derived from it, so that what is drawn and what blocks agree.
//
// Coordinates. Everything is in map pixels, the one coordinate system of the
// game world: object positions, the view point (the map pixel shown at the
// screen's top-left), the occupancy grid (cell of (x, y) = (x >> 4, y >> 3))
// and the ground all use it. The map's size (width, height) is what the
// ground reports as its map rectangle; the view is kept within x 64 ..
// width - 799 and y 0 .. height - 599, so the ground seen at any allowed view
// is x 64 .. width, y 0 .. height, all of it covered by tiles. Objects may
// stand at x 17 .. width - 17, but with the view clamped, positions left of
// x 64 are never on screen, and a character near the top or bottom edge
// would show only in part: a grid blocks those margins.
//
// Ground cells. The tile layer's cell (c, r), 0 <= c < 512, 0 <= r < 511,
// is a 64 x 31 diamond whose bounding box has its top-left at
// CellPoint(c, r) = ((c + r) * 32 - 8192, (r - c) * 16 + 4064); the diamonds
// tile the plane without gaps or overlaps (rows 0-15 of the box span x
// 30 - 2y .. 33 + 2y, rows 16-30 span 2 + 2j .. 61 - 2j, j = y - 16). A
// cell's terrain is the terrain of its diamond, and the pixel lookup At(x, y)
// answers with the diamond that covers the pixel, so a grid built from At
// matches the drawn ground exactly, up to the one-pixel steps of the diamond
// edges. The taller rock tile of Stone rises 16 pixels above its diamond; it
// blocks its own diamond only.
//
// Town. A town is a rectangle of cells (a rhombus on screen) ringed by a wall
// of Stone with a two-cell gate in the middle of each side; inside it a
// street one cell wide runs along the wall and between the lots, 3 x 3 cells
// each. Every lot is Town ground and free of roads; a building stands on a
// lot (its cells are given, and the ground pixel of the lot's centre).
// Roads leave the gates outwards to the map edges, crossing water as fords.
//
// Everything is a deterministic function of the map number.
#include <array>
#include <cstdint>
#include <vector>

namespace datagen {

enum class Terrain : uint8_t {
    Grass, // open ground
    Dirt,  // fields and shores: open ground
    Road,  // roads and fords: open ground
    Water, // blocks
    Stone, // rocks and town walls, drawn by the taller tile: blocks
    Town,  // paving of streets and lots: open ground
    Snow,  // open ground of the winter maps
};

// Water and Stone block movement; everything else is open.
constexpr bool Blocks(Terrain t) {
    return t == Terrain::Water || t == Terrain::Stone;
}

struct MapPixel {
    int32_t x = 0;
    int32_t y = 0;
};

// Inclusive rectangle of ground cells.
struct CellRect {
    int32_t c0 = 0, r0 = 0, c1 = -1, r1 = -1;
    bool Contains(int32_t c, int32_t r) const { return c >= c0 && c <= c1 && r >= r0 && r <= r1; }
};

// A building place: its cells, the map pixel at the middle of its rhombus,
// and the bounding box of its cells' diamonds in map pixels (inclusive).
struct Lot {
    CellRect cells;
    MapPixel centre;
    int32_t left = 0, top = 0, right = 0, bottom = 0;
};

constexpr int32_t kGroundColumns = 512;
constexpr int32_t kGroundRows = 511;

// Top-left of the cell's tile box, in map pixels.
constexpr MapPixel CellPoint(int32_t c, int32_t r) {
    return {(c + r) * 32 - 8192, (r - c) * 16 + 4064};
}

// The cell whose diamond covers a map pixel (cells may lie outside the grid).
struct Cell {
    int32_t c = 0, r = 0;
};
Cell CellAt(int32_t x, int32_t y);

class WorldLayout {
public:
    uint32_t number = 0;
    uint32_t puzzle = 0; // tile bank
    int32_t width = 0;   // map rectangle (0, 0, width, height)
    int32_t height = 0;
    bool winter = false; // Snow instead of Grass, glare on some snow cells
    CellRect town;       // the town with its wall ring
    std::vector<Lot> lots;
    // Eight places on open ground, at least 48 pixels from anything that
    // blocks, spread over the part of the map the view can centre on.
    std::array<MapPixel, 8> starts{};

    // Terrain of a ground cell; cells off the grid are Stone.
    Terrain CellTerrain(int32_t c, int32_t r) const;
    // Terrain of the diamond covering a map pixel.
    Terrain At(int32_t x, int32_t y) const { return At(CellAt(x, y)); }
    Terrain At(Cell cell) const { return CellTerrain(cell.c, cell.r); }

    // The terrain at occupancy-grid resolution: GridWidth() x GridHeight()
    // cells of 16 x 8 map pixels, row-major; cell (i, j) takes the terrain at
    // its middle pixel (16 i + 8, 8 j + 4).
    int32_t GridWidth() const { return (width + 15) / 16; }
    int32_t GridHeight() const { return (height + 7) / 8; }
    std::vector<Terrain> Raster() const;

    // Whether the cell's tile is drawn at all: the cells whose diamonds reach
    // into the map rectangle, with a margin.
    bool CellUsed(int32_t c, int32_t r) const;
    // A small per-cell number the ground uses to pick among a terrain's tile
    // variants; flagged cells (glare on snow) answer through Glare.
    uint32_t Variant(int32_t c, int32_t r) const;
    bool Glare(int32_t c, int32_t r) const;

    std::vector<uint8_t> cells; // kGroundColumns x kGroundRows terrains, row-major
};

// Every ground map the missions and battle maps show, in ascending order.
const std::vector<uint32_t>& GroundMapNumbers();

// The layout of one of them; an unknown number gives a small plain map.
WorldLayout BuildWorldLayout(uint32_t number);

} // namespace datagen
