#pragma once
// Conversion of stored 5-5-5 images and palettes into a pixel mode, in place.
// Modes other than 1, 2 or 3 act as mode 0. Every routine takes the size of
// the bytes it may touch and leaves alone an image that does not fit in it.
#include <cstdint>

// The table holds tableBytes / 4 offsets into data (dataBytes long). A set
// top bit names a 16-bit image; "N@" an RGB-palette tile, whose 768 colour
// bytes become 256 16-bit colours; anything else a paletted tile, whose
// entry 0 keeps its stored value. With n from 1 to 256 the last n palette
// entries of every paletted tile are then zeroed. An image named by several
// entries is converted once.
void v_ConvertImageBank(const uint8_t* table, uint8_t* data, uint32_t tableBytes, uint32_t dataBytes,
                        uint8_t mode, uint32_t n);
// 256 entries, entry 0 included; then zeroes the last n when n is 1 to 256.
void v_ConvertPalette(void* palette, uint8_t mode, uint32_t n);
void v_ConvertPalette64(void* palette, uint8_t mode);

// Each image of the bank opens with four 512-byte palettes, one per mode:
// the mode's palette is kept at the image's start, the other three removed,
// and the table's offsets moved down to match (1,536 bytes per image). Stores
// the mode. Stops at the first image that does not fit in the data left.
void v_SelectBankPalettes(uint8_t* table, uint8_t* data, uint32_t tableBytes, uint32_t dataBytes,
                              uint8_t mode);
// The same for one image of size bytes.
void v_SelectImagePalette(uint8_t* image, uint32_t size, uint8_t mode);

// A 5-5-5 pixel in the layout of a mode.
uint16_t w_ConvertPixel(uint16_t p, uint8_t mode);
