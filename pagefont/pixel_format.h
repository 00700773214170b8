#pragma once
#include <cstdint>

// The pixel format of every page: 5-5-5 (code 2, the start value and the
// only one the game uses) or 5-6-5 (code 4). The blitters read the masks and
// the red shift below; nothing else depends on the format.

extern int32_t g_lPixelFormat;
extern uint32_t g_lRedMask;
extern uint32_t g_lGreenMask;
extern uint32_t g_lBlueMask;
extern uint64_t g_qRedMask4; // each mask in four 16-bit lanes
extern uint64_t g_qGreenMask4;
extern uint64_t g_qBlueMask4;
extern uint64_t g_qRedShift;
extern uint32_t g_lHalfMask; // clears each channel's low bit in two packed pixels
extern const uint64_t g_qRound4;

// 2 or 4 select that format; any other code sets the format code to 0 and
// leaves the rest. Returns the format code.
int32_t v_SetPixelFormat(int32_t code);
// Stores the masks as given and picks the format from red and green alone.
int32_t v_SetPixelMasks(uint32_t red, uint32_t green, uint32_t blue);
int32_t l_GetPixelFormat();
int32_t l_GetPixelMasks(uint32_t* red, uint32_t* green, uint32_t* blue);
// A pixel from 8-bit channels in the current format (0 in format 0).
uint32_t l_MakeColor(int32_t r, int32_t g, int32_t b);

// In-place conversions. Raw image: u16 row bytes, u16 rows, pixels. The RLE
// forms convert only the opaque pixels, never past recordBytes.
void v_ConvertImage555To565(void* image);
void v_ConvertImage565To555(void* image);
void v_ConvertRleImage555To565(void* image, uint32_t recordBytes);
void v_ConvertRleImage565To555(void* image, uint32_t recordBytes);
void v_ConvertPalette555To565(uint16_t* palette);
void v_ConvertPalette565To555(uint16_t* palette);

int32_t l_GetImageWidth(const void* image);
int32_t l_GetImageHeight(const void* image);
// Paletted image: 256 u16 palette entries, then u16 width and u16 rows.
int32_t l_GetPalImageWidth(const void* image);
int32_t l_GetPalImageHeight(const void* image);
