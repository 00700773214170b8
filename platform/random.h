#pragma once
#include <cstdint>

namespace plat {

// The one generator of the program, the classic linear congruence:
// state = state * 214013 + 2531011, result (state >> 16) & 0x7FFF.
constexpr int32_t kRandMax = 0x7FFF;

void SeedRandom(uint32_t seed);
int32_t Rand();

// rand() * n / 32767 in 64-bit arithmetic, as the game scales its draws.
int32_t RandScaled(int32_t n);

} // namespace plat
