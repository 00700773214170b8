#pragma once
#include <cstdint>

// The frame time: the tick count in milliseconds taken at the start of every
// frame. Every timer and animation of the game compares against it.
extern int32_t g_lNowTick;
