#pragma once
// 8-bit indexed images: the current palette, run-coded indexed images (layout
// K of rle_sprites.h, value 0 transparent) drawn with full clipping, 24-bit
// TGA conversion and cutting, and byte-block operations.
#include <cstdint>

// 256 RGB triplets into 16-bit pixels of the mode (each channel keeps its
// top 5 or 6 bits; mode 0, and any mode above 3, also sets bit 15). The
// destination becomes the current palette.
void l_ConvertPalette(const uint8_t* rgb768, uint16_t* dest256, uint8_t mode);
// The palette last made by l_ConvertPalette, null before.
const uint16_t* p_CurrentPalette();

// The image drawn with its top-left at (x, y) into a width x height buffer,
// clipped on all four sides; the 16-bit form goes through the current
// palette (nothing is drawn before one is set).
void v_ShowRle8Clip16(int32_t x, int32_t y, const uint8_t* image, uint32_t bytes, uint16_t* dest, int32_t width,
                      int32_t height);
void v_ShowRle8Clip8(int32_t x, int32_t y, const uint8_t* image, uint32_t bytes, uint8_t* dest, int32_t width,
                     int32_t height);

// An uncompressed 24-bit TGA (type 2, after its identification field, rows
// bottom-up or top-down) held in memory into a 16-bit image of
// the current mode: a size word, then the pixels top row first. The key
// colour becomes 0; any other colour that would give 0 gives 1. False, and
// nothing written, for another kind of TGA, a truncated one, or an output of
// fewer than 4 + 2 * width * height bytes.
bool v_ConvertTga24(const uint8_t* tga, uint32_t tgaBytes, uint8_t* out, uint32_t outBytes, uint8_t keyBlue,
                    uint8_t keyGreen, uint8_t keyRed);
// Writes a tgaWidth x tgaHeight TGA file image holding the w x h rectangle at
// (x, y) of a 24-bit source (pitch in pixels) at its top-left, zeros
// elsewhere. The rectangle is cut to the TGA's size; source pixels outside
// the source's bytes are written as zeros. Returns the bytes written, 0 when
// the output cannot hold 18 + 3 * tgaWidth * tgaHeight bytes.
uint32_t v_CutTga24(int32_t x, int32_t y, int32_t w, int32_t h, uint32_t tgaWidth, uint32_t tgaHeight, uint8_t* out,
                    uint32_t outBytes, const uint8_t* source, uint32_t sourceBytes, int32_t sourcePitch);

// count bytes of the pattern: whole words, then its low half, then its low
// byte, as count mod 4 requires.
void l_FillBytes(uint8_t* dest, uint32_t count, uint32_t pattern);
// Copies bytes until one below 0x20, `maximum` bytes (0: no limit), the end
// of the source or the last byte the destination can spare for the closing
// zero; adds the zero and returns the number copied. Nothing is written to a
// destination of 0 bytes.
uint32_t l_CopyLine(const uint8_t* source, uint32_t sourceBytes, uint8_t* dest, uint32_t destBytes,
                    uint32_t maximum);
// Overlapping blocks are copied as if through a separate buffer.
void l_CopyBytes(const uint8_t* source, uint8_t* dest, uint32_t count);
void l_SwapBytes(uint8_t* a, uint8_t* b, uint32_t count);
