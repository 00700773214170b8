#include "game/work.h"

#include <cstring>

#include "platform/clock.h"
#include "platform/random.h"

sc_Work* g_pWork = nullptr;
sc_Point g_oScreenSize;
uint8_t g_aFrameSkipBlock[sc_Work::kFrameSkipBlockSize] = {};

sc_Work::sc_Work() {
    g_pWork = this;
    std::memset(g_aFrameSkipBlock, 0, sizeof g_aFrameSkipBlock);
    plat::SeedRandom(plat::TickCount());
}

sc_Work::~sc_Work() {
    if (g_pWork == this) g_pWork = nullptr;
}

int32_t sc_Work::bOnCreate(plat::WindowHandle) {
    g_oScreenSize.oSet(800, 600);
    return 1;
}

void sc_Work::vOnIdle() {}

int32_t sc_Work::bFrameSkip() {
    int32_t word;
    std::memcpy(&word, g_aFrameSkipBlock + kFrameSkipBlockSize - 4, 4);
    if (word % 2 == 0) return 1;
    return (m_lFrameSkipCounter++ % 8) == 0;
}
