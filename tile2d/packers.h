#pragma once
// Byte-level image packing. A plain image is a size word (width in the low
// 16 bits, height in the high) and width x height value bytes. Every routine
// takes the bytes each buffer holds right after its pointer; a packer or
// unpacker whose input is short or whose output would not fit returns 0
// (an unpacker may have written part of its output by then).
//
// Key-run block: key byte, size word, codes (a byte other than the key is one
// value; key, count 1 to 255, value is a run). The key is the value that
// occurs least, the lowest on a tie; the key itself and runs of 4 or more are
// written as runs.
// Z064 block: size word, codes (b < 64 one value, b + 64 two, b + 128 three,
// b + 192 then a count of 4 to 255), "Z064". Z128 block: size word, codes
// (b < 128 one value, b + 128 then a count of 2 to 255), "Z128".
// Runs in every format may go on past a row end.
#include <cstdint>

// Key-run block of the first dataLen value bytes; the block's length.
uint32_t l_PackPalRle(const uint8_t* plain, uint32_t plainBytes, uint8_t* out, uint32_t outBytes, uint32_t dataLen);
// The same block followed by "Z256".
uint32_t l_PackZ256(const uint8_t* plain, uint32_t plainBytes, uint8_t* out, uint32_t outBytes, uint32_t dataLen);
// Byte run-length block of any bytes: escape byte, u32 length of the whole
// block, then key-run codes with the escape as the key.
uint32_t l_PackRle8(const uint8_t* data, uint32_t length, uint8_t* out, uint32_t outBytes);
// Anchored paletted sprite: the 256 RGB triplets as 5-5-5 colours, the
// anchor codes (negative offsets as their size, others + 5000), then the
// key-run block of the image; returns 516 + the block's length.
uint32_t l_PackPalRleAnchor(const uint8_t* plain, uint32_t plainBytes, const uint8_t* rgb768, int32_t xOffset,
                            int32_t yOffset, uint8_t* out, uint32_t outBytes);
// A paletted sprite (palette, then a key-run block) at half size: pixel (i, j)
// of the width / 2 x height / 2 result is pixel (2i, 2j). The sprite is
// unpacked into work, halved into half, and the result (palette, key-run
// block) left in work; returns 512 + the block's length.
uint32_t l_HalvePalRle(const uint8_t* sprite, uint32_t spriteBytes, uint8_t* work, uint32_t workBytes, uint8_t* half,
                       uint32_t halfBytes);
// Plain image of a key-run block: 4 + width x height.
uint32_t l_UnpackPalRle(const uint8_t* block, uint32_t blockBytes, uint8_t* out, uint32_t outBytes);
uint32_t l_UnpackRunCodes(const uint8_t* block, uint32_t blockBytes, uint8_t* out, uint32_t outBytes);
// Values must lie below 64 (128); larger ones are packed into other codes.
uint32_t l_PackRle64(const uint8_t* plain, uint32_t plainBytes, uint8_t* out, uint32_t outBytes, uint32_t dataLen);
uint32_t l_PackRle128(const uint8_t* plain, uint32_t plainBytes, uint8_t* out, uint32_t outBytes, uint32_t dataLen);
uint32_t l_UnpackZ064(const uint8_t* block, uint32_t blockBytes, uint8_t* out, uint32_t outBytes);
uint32_t l_UnpackZ128(const uint8_t* block, uint32_t blockBytes, uint8_t* out, uint32_t outBytes);
// From the last four bytes: "Z064" 0x80, "Z128" 0x100, any byte then "256"
// 0x200, else those bytes as a little-endian u32; 0 for a block shorter.
uint32_t l_GetPackType(const uint8_t* block, uint32_t blockBytes);

// Compact-palette images, drawn opaque through their 5-5-5 palette converted
// to the current mode, clipped to the screen range as the run-coded sprites
// are (nothing when the first pixel is outside it, no pixel written outside
// it):
//   Z064Image64   64 x u16 at 0, size at 128, Z064 codes from 132
//   Z064Image     count byte n - 1, n x u16, size, Z064 codes
//   Z128Image128  128 x u16 at 0, size at 256, Z128 codes from 260
//   Z128Image     count byte n - 1, n x u16, size, Z128 codes
void v_ShowZ064Image64(int32_t x, int32_t y, const uint8_t* image, uint32_t bytes, uint16_t* dest, int32_t pitch);
void v_ShowZ064Image(int32_t x, int32_t y, const uint8_t* image, uint32_t bytes, uint16_t* dest, int32_t pitch);
void v_ShowZ128Image128(int32_t x, int32_t y, const uint8_t* image, uint32_t bytes, uint16_t* dest, int32_t pitch);
void v_ShowZ128Image(int32_t x, int32_t y, const uint8_t* image, uint32_t bytes, uint16_t* dest, int32_t pitch);
