#include "tile2d/pixel_mode.h"

ss_GfxState g_oGfx;

namespace {

struct ModeMasks {
    uint32_t red, green, blue;
    uint8_t redShift, greenShift;
    uint32_t redCarry, greenCarry, blueCarry;
    uint32_t belowRed, redBlue, redGreen;
};

constexpr ModeMasks kModes[4] = {
    {0x7C00, 0x03E0, 0x001F, 10, 5, 0xF8000, 0x7C00, 0x03E0, 0x03FF, 0x7C1F, 0x7FE0},   // 5-5-5
    {0xFC00, 0x03E0, 0x001F, 10, 5, 0x1F0000, 0x7C00, 0x03E0, 0x03FF, 0xFC1F, 0xFFE0},  // 6-5-5
    {0xF800, 0x07E0, 0x001F, 11, 5, 0x1F0000, 0xF800, 0x03E0, 0x07FF, 0xF81F, 0xFFE0},  // 5-6-5
    {0xF800, 0x07C0, 0x003F, 11, 6, 0x1F0000, 0xF800, 0x07C0, 0x07FF, 0xF83F, 0xFFC0},  // 5-5-6
};

} // namespace

void v_SetPixelMode(uint8_t mode) {
    ss_GfxState& g = g_oGfx;
    g.bPixelMode = mode;
    const ModeMasks& m = kModes[mode <= 3 ? mode : 0];
    g.lRedMask = m.red;
    g.lGreenMask = m.green;
    g.lBlueMask = m.blue;
    g.lRedMask2 = m.red | (m.red << 16);
    g.lGreenMask2 = m.green | (m.green << 16);
    g.lBlueMask2 = m.blue | (m.blue << 16);
    g.lRedCarry = m.redCarry;
    g.lGreenCarry = m.greenCarry;
    g.lBlueCarry = m.blueCarry;
    g.lBelowRedMask = m.belowRed;
    g.lRedBlueMask = m.redBlue;
    g.lRedGreenMask = m.redGreen;
    g.bRedShift = g.bRedShiftPack = m.redShift;
    g.bGreenShift = g.bGreenShiftPack = m.greenShift;
}

void v_SetScreenRange(uint8_t* start, uint8_t* end, uint8_t* third) {
    g_oGfx.pScreenStart = start;
    g_oGfx.pScreenEnd = end;
    g_oGfx.pScreenThird = third;
}

void v_SetSurface(uint32_t slot, uint16_t* pixels, uint32_t width, uint32_t height) {
    if (slot > 9) return;
    g_oGfx.aSurface[slot] = ss_GfxSurface{pixels, width, height};
}

void v_SelectSurface(uint32_t slot) {
    if (slot > 9) return;
    g_oGfx.oSurface = g_oGfx.aSurface[slot];
}
