#pragma once
// The 2D library's shared state: pixel mode and channel masks, the blend
// tables the caller owns, the screen range and the surface table. One global
// instance, read by every drawing routine; nothing here is re-entrant.
#include <cstdint>

struct ss_GfxSurface {
    uint16_t* pPixels = nullptr;
    uint32_t lWidth = 0; // also the row pitch in pixels
    uint32_t lHeight = 0;
};

struct ss_GfxState {
    uint8_t bPixelMode = 0;
    uint32_t lRedMask = 0, lGreenMask = 0, lBlueMask = 0;
    uint32_t lRedMask2 = 0, lGreenMask2 = 0, lBlueMask2 = 0; // both halves, two pixels per value
    uint32_t lRedCarry = 0, lGreenCarry = 0, lBlueCarry = 0;
    uint32_t lBelowRedMask = 0, lRedBlueMask = 0, lRedGreenMask = 0;
    uint8_t bRedShift = 0, bRedShiftPack = 0;
    uint8_t bGreenShift = 0, bGreenShiftPack = 0;

    uint8_t* pMultiply = nullptr;           // 64 x 64
    uint8_t* apAdd[3] = {};                 // red, green, blue; 16,384 bytes each
    uint8_t* apQuotient[3] = {};            // red, green, blue; 4,096 bytes each

    uint8_t* pScreenStart = nullptr;
    uint8_t* pScreenEnd = nullptr;
    uint8_t* pScreenThird = nullptr;

    ss_GfxSurface aSurface[10];
    ss_GfxSurface oSurface; // the current one

    // Tile drawer tables: the caller's grey table (recorded when made) and
    // the library's own fade table.
    uint16_t* pGreyTable = nullptr;
    uint32_t lGreyEntries = 0; // 32,768 or 65,536 by the mode it was made for
    uint8_t aLevelTable[64 * 64] = {};

    // Shadow indices, shared with the run-coded sprites: indices from the
    // threshold up darken through these multiply-table rows.
    uint8_t bShadowThreshold = 0;
    uint8_t abShadowRow[16] = {};
};

extern ss_GfxState g_oGfx;

// Any mode other than 1, 2 or 3 loads mode 0's masks but is stored as given.
void v_SetPixelMode(uint8_t mode);
void v_SetScreenRange(uint8_t* start, uint8_t* end, uint8_t* third);
// Slots outside 0 to 9 are ignored.
void v_SetSurface(uint32_t slot, uint16_t* pixels, uint32_t width, uint32_t height);
void v_SelectSurface(uint32_t slot);
