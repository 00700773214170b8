#pragma once
// The enemies and animals of the mission files.
#include <cstdint>

#include "tools/datagen/world_layout.h"

class sc_Setting;

namespace datagen {

// The campaign's missions 0 .. 11 are ground maps 2001 .. 2012.
inline constexpr uint32_t kFirstMissionMap = 2001;
inline constexpr int32_t kMissions = 12;

// Adds the map's enemies and animals to a setting whose start points,
// occupancy grid and things are already in place. Everything stands on open
// ground the first start point can walk to, away from the start points, so
// every enemy of a mission can be reached and cleared; no enemy can fire at
// the mission's start until a few seconds after the loading picture has
// faded.
void PlaceFighters(const WorldLayout& w, sc_Setting& setting);

} // namespace datagen
