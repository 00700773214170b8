#include "tools/datagen/layout_ground.h"

#include <algorithm>

#include "tools/datagen/ground_tiles.h"

namespace datagen {

MissionBank::MissionBank() {
    for (uint32_t i = 0; i < 3; ++i)
        grass[i] = bank.Add(MeadowTile(11 + i));
    flowers = bank.Add(FlowerGrassTile(14));
    field = bank.Add(FieldTile());
    sand = bank.Add(SandTile());
    gravel = bank.Add(GravelTile());
    paving = bank.Add(StoneTile());
    cobbles = bank.Add(CobbleTile());
    water = bank.Add(PondTile(0));
    for (uint32_t f = 1; f < 4; ++f)
        bank.Add(PondTile(f));
    snow[0] = bank.Add(SnowTile(15));
    snow[1] = bank.Add(SnowTile(16));
    glare = bank.Add(GlareTile());
    rock = bank.Add(RockTile());
    wall = bank.Add(WallTile());
}

namespace {

bool NextToWater(const WorldLayout& w, int32_t c, int32_t r) {
    return w.CellTerrain(c + 1, r) == Terrain::Water || w.CellTerrain(c - 1, r) == Terrain::Water ||
           w.CellTerrain(c, r + 1) == Terrain::Water || w.CellTerrain(c, r - 1) == Terrain::Water;
}

uint16_t CellOf(const WorldLayout& w, const MissionBank& b, int32_t c, int32_t r) {
    const uint32_t v = w.Variant(c, r);
    const CellRect& t = w.town;
    const CellRect nearTown{t.c0 - 5, t.r0 - 5, t.c1 + 5, t.r1 + 5};
    switch (w.CellTerrain(c, r)) {
    case Terrain::Grass:
        return static_cast<uint16_t>(v % 11 == 0 ? b.flowers : b.grass[v % 3]);
    case Terrain::Snow:
        // A quarter of the glaring cells glare: white ground under a label
        // leaves it unread.
        if (w.Glare(c, r) && v / 9 % 4 == 0) return static_cast<uint16_t>(b.glare | kGlareFlag);
        return static_cast<uint16_t>(b.snow[v & 1]);
    case Terrain::Dirt:
        if (NextToWater(w, c, r)) return static_cast<uint16_t>(b.sand);
        return static_cast<uint16_t>(b.field);
    case Terrain::Road:
        return static_cast<uint16_t>(nearTown.Contains(c, r) ? b.cobbles : b.gravel);
    case Terrain::Water:
        return static_cast<uint16_t>(b.water);
    case Terrain::Stone: {
        const bool ring = t.Contains(c, r) && (c == t.c0 || c == t.c1 || r == t.r0 || r == t.r1);
        return static_cast<uint16_t>(ring ? b.wall : b.rock);
    }
    case Terrain::Town:
        for (const Lot& lot : w.lots)
            if (lot.cells.Contains(c, r)) return static_cast<uint16_t>(b.paving | kLotFlag);
        return static_cast<uint16_t>(b.paving);
    }
    return 0;
}

} // namespace

GroundMap LayoutGround(const WorldLayout& w, const MissionBank& b) {
    GroundMap map;
    map.firstValue = w.number;
    map.puzzle = w.puzzle;
    const uint8_t name[] = "\xAF\xF3\xAD\xEC"; // two Big5 characters: grassland
    std::copy(name, name + 4, map.name.begin());
    // The header's points are never read: the lots' middles, then the starts.
    size_t k = 0;
    for (const Lot& lot : w.lots)
        if (k < map.points.size())
            map.points[k++] = {static_cast<uint32_t>(lot.centre.x), static_cast<uint32_t>(lot.centre.y)};
    for (const MapPixel& s : w.starts)
        if (k < map.points.size()) map.points[k++] = {static_cast<uint32_t>(s.x), static_cast<uint32_t>(s.y)};
    map.rect = {0, 0, static_cast<uint32_t>(w.width), static_cast<uint32_t>(w.height)};
    map.animations.push_back({b.water, b.water, b.water + 3, 4, 0});
    for (int32_t r = 0; r < kGroundRows; ++r)
        for (int32_t c = 0; c < kGroundColumns; ++c)
            if (w.CellUsed(c, r))
                map.Cell(0, static_cast<uint32_t>(c), static_cast<uint32_t>(r)) = CellOf(w, b, c, r);
    return map;
}

} // namespace datagen
