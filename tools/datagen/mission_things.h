#pragma once
// The things each mission file places, with their drop tables: a barrel
// and a crate near the first start place, the objective's things of the
// missions that have one, and the rest spread over the open ground, clear
// of water, rocks, walls, the building lots and each other.
#include <array>
#include <cstdint>
#include <vector>

#include "tools/datagen/world_layout.h"

namespace datagen {

struct PlacedThing {
    int32_t row = 0; // the thing table's row (key)
    MapPixel at;
    std::array<int32_t, 5> dropChance{}; // ascending thresholds 0..100
    std::array<int32_t, 5> dropKind{};   // item kind per slot, -1 none
};

// How far the outline of a thing of a kind (a P_THING object) reaches up
// behind its anchor over a mast; 0 when it is the ground diamond.
int32_t ThingOutlineRise(int32_t kind);

// Deterministic for a layout.
std::vector<PlacedThing> MissionThings(const WorldLayout& layout);

} // namespace datagen
