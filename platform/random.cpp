#include "platform/random.h"

namespace plat {

namespace {
uint32_t g_state = 1;
}

void SeedRandom(uint32_t seed) { g_state = seed; }

int32_t Rand() {
    g_state = g_state * 214013u + 2531011u;
    return static_cast<int32_t>((g_state >> 16) & 0x7FFF);
}

int32_t RandScaled(int32_t n) {
    return static_cast<int32_t>(static_cast<int64_t>(Rand()) * n / kRandMax);
}

} // namespace plat
