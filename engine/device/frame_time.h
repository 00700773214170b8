#pragma once
#include <cstdint>

// The frame time: the tick count in milliseconds taken at the start of every
// frame. Every timer and animation of the game compares against it.
extern int32_t g_lNowTick;

// Milliseconds from lThen to the frame time. The tick count wraps, so the
// difference is taken on 32 bits: right across the wrap.
inline int32_t l_MsSince(int32_t lThen) {
    return static_cast<int32_t>(static_cast<uint32_t>(g_lNowTick) - static_cast<uint32_t>(lThen));
}
