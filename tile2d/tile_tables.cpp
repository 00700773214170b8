#include "tile2d/tile_tables.h"

#include <algorithm>

#include "tile2d/pixel_mode.h"

void v_MakeGreyTable(uint16_t* table) {
    ss_GfxState& g = g_oGfx;
    if (!table) return;
    const bool mode0 = g.bPixelMode == 0 || g.bPixelMode > 3;
    const uint32_t entries = mode0 ? 0x8000u : 0x10000u;
    const uint32_t mask[3] = {g.lRedMask, g.lGreenMask, g.lBlueMask};
    const uint32_t shift[3] = {g.bRedShift, g.bGreenShift, 0};
    uint32_t extra[3]; // bits below the top five
    for (int c = 0; c < 3; ++c)
        extra[c] = mask[c] ? static_cast<uint32_t>(__builtin_popcount(mask[c])) - 5 : 0;
    for (uint32_t v = 0; v < entries; ++v) {
        uint32_t sum = 0;
        for (int c = 0; c < 3; ++c)
            sum += ((v & mask[c]) >> shift[c]) >> extra[c];
        const uint32_t grey = sum / 3;
        uint32_t out = 0;
        for (int c = 0; c < 3; ++c)
            out |= (grey << extra[c]) << shift[c];
        table[v] = static_cast<uint16_t>(out);
    }
    g.pGreyTable = table;
    g.lGreyEntries = entries;
}

void v_MakeLevelTable() {
    for (uint32_t k = 0; k < 64; ++k)
        for (uint32_t v = 0; v < 64; ++v)
            g_oGfx.aLevelTable[k * 64 + v] = static_cast<uint8_t>(k * v / 63);
}

void v_SetShadowLevels(uint32_t n) {
    if (n < 1 || n > 16) return;
    g_oGfx.bShadowThreshold = static_cast<uint8_t>(256 - n);
    const uint32_t step = 32 / n;
    for (uint32_t k = 0; k < 16; ++k)
        g_oGfx.abShadowRow[k] = static_cast<uint8_t>(std::min<uint32_t>(63, 31 + (k + 1) * step));
}
