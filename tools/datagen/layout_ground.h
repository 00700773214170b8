#pragma once
// The ground of a world layout: the tile bank the mission grounds share and
// the map (grid, header, animation) with each cell's tile chosen from the
// cell's terrain.
#include <cstdint>

#include "tools/datagen/ground_builder.h"
#include "tools/datagen/world_layout.h"

namespace datagen {

// The shared bank and the numbers of its tiles.
struct MissionBank {
    MissionBank();

    TileBank bank;
    uint32_t grass[3] = {}, flowers = 0, field = 0, sand = 0, gravel = 0, paving = 0, cobbles = 0;
    uint32_t water = 0, snow[2] = {}, glare = 0, rock = 0, wall = 0;
};

// Cell flags: lots are marked (their RGB-palette paving ignores it), the
// snow's glare is added to what lies below.
constexpr uint16_t kLotFlag = 0x4000;
constexpr uint16_t kGlareFlag = 0x8000;

GroundMap LayoutGround(const WorldLayout& w, const MissionBank& b);

} // namespace datagen
