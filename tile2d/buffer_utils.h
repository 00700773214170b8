#pragma once
// Operations on plain pixel buffers: block copies, halving and doubling,
// blends and saturating adds of one block onto another, block fills, grabs
// and puts of 8-, 16- and 24-bit blocks, and small memory accessors.
//
// Every buffer is given as a byte pointer followed by its size in bytes;
// 16-bit pixels are in the current mode, little-endian, at any address.
// Pitches are in pixels unless the name says Bytes. Nothing is clipped to a
// picture, but a pixel is read or written only where it lies wholly inside
// its buffer: the others are passed over.
#include <cstdint>

// Source block w x h copied to the target; rows go in groups of 8 (the rows
// past the last whole group are not copied) and an odd width loses its last
// pixel.
void v_CopyRect16(const uint8_t* src, uint32_t srcBytes, uint8_t* target, uint32_t targetBytes, uint32_t w,
                  uint32_t h, uint32_t srcPitchBytes, uint32_t targetPitchBytes);
// Every other pixel of every other row of the w x h source block.
void v_Reduce2(const uint8_t* src, uint32_t srcBytes, uint8_t* target, uint32_t targetBytes, uint32_t w, uint32_t h,
               uint32_t srcPitch, uint32_t targetPitchBytes);
// Each source pixel of the w x h block becomes a 2 x 2 square.
void v_Magnify2(const uint8_t* src, uint32_t srcBytes, uint8_t* target, uint32_t targetBytes, uint32_t w, uint32_t h,
                uint32_t srcPitch, uint32_t targetPitchBytes);
// v_Magnify2 with each channel through multiply-table row level & 63.
void v_Magnify2Level(const uint8_t* src, uint32_t srcBytes, uint8_t* target, uint32_t targetBytes, uint32_t w,
                     uint32_t h, uint32_t srcPitch, uint32_t targetPitchBytes, uint32_t level);
// Interpolating doubles. A pixel's right neighbour is the next pixel in
// memory (the next row's first for the last column); a neighbour outside
// the source buffer reads as the pixel itself. The last source row makes
// two rows of (p, avg(p, q)).
void v_Magnify2Smooth(const uint8_t* src, uint32_t srcBytes, uint8_t* target, uint32_t targetBytes, uint32_t w,
                      uint32_t h, uint32_t srcPitch, uint32_t targetPitchBytes);
void v_Magnify2Soft(const uint8_t* src, uint32_t srcBytes, uint8_t* target, uint32_t targetBytes, uint32_t w,
                    uint32_t h, uint32_t srcPitch, uint32_t targetPitchBytes);
// v_Magnify2Soft added to the target, each channel saturating.
void v_Magnify2SoftAdd(const uint8_t* src, uint32_t srcBytes, uint8_t* target, uint32_t targetBytes, uint32_t w,
                       uint32_t h, uint32_t srcPitch, uint32_t targetPitchBytes);

// Target = floor((source + target) / 2) per channel, two pixels at a time
// (an odd width loses its last pixel).
void v_BlendHalfPairs(const uint8_t* src, uint32_t srcBytes, uint8_t* target, uint32_t targetBytes, uint32_t w,
                      uint32_t h, uint32_t srcPitchBytes, uint32_t targetPitchBytes);
// The same per pixel, leaving the target where the source pixel is 0.
void v_BlendHalfKey(const uint8_t* src, uint32_t srcBytes, uint8_t* target, uint32_t targetBytes, uint32_t w,
                    uint32_t h, uint32_t srcPitchBytes, uint32_t targetPitchBytes);
// Target = source + target per channel, saturating.
void v_AddRect(const uint8_t* src, uint32_t srcBytes, uint8_t* target, uint32_t targetBytes, uint32_t w, uint32_t h,
               uint32_t srcPitchBytes, uint32_t targetPitchBytes);
void v_AddRectKey(const uint8_t* src, uint32_t srcBytes, uint8_t* target, uint32_t targetBytes, uint32_t w,
                  uint32_t h, uint32_t srcPitchBytes, uint32_t targetPitchBytes);
// Source row r added onto target row 2r.
void v_AddRectInterlaced(const uint8_t* src, uint32_t srcBytes, uint8_t* target, uint32_t targetBytes, uint32_t w,
                         uint32_t h, uint32_t srcPitchBytes, uint32_t targetPitchBytes);
// The block copied with each channel through multiply-table row level & 63,
// two pixels at a time (an odd width loses its last pixel).
void v_ScaleRectLevel(const uint8_t* src, uint32_t srcBytes, uint8_t* target, uint32_t targetBytes, uint32_t w,
                      uint32_t h, uint32_t srcPitchBytes, uint32_t targetPitchBytes, uint32_t level);

// Fills w x h pixels from buffer + byteOffset with the colour 0xRRGGBB, two
// at a time: an odd width loses its last pixel.
void v_FillRect(uint32_t byteOffset, uint32_t w, uint32_t h, uint32_t rgb, uint8_t* buffer, uint32_t bytes,
                uint32_t pitch);

// Block images: a size word (width low, height high 16 bits), then the rows
// back to back. A grab writes nothing unless the target holds the whole
// image, the source the whole block, and both sides fit in 16 bits.
void v_GrabRect8(uint32_t byteOffset, uint32_t w, uint32_t h, uint8_t* target, uint32_t targetBytes,
                 const uint8_t* source, uint32_t sourceBytes, uint32_t pitchBytes);
void v_GrabRect16(int32_t x, int32_t y, uint32_t w, uint32_t h, uint8_t* target, uint32_t targetBytes,
                  const uint8_t* source, uint32_t sourceBytes, uint32_t pitch);
// Three bytes a pixel; the pitch counts 3-byte pixels.
void v_GrabRect24(int32_t x, int32_t y, uint32_t w, uint32_t h, uint8_t* target, uint32_t targetBytes,
                  const uint8_t* source, uint32_t sourceBytes, uint32_t pitch);
// An 8-bit block image copied to target + y * pitch + x; only the rows the
// image holds whole are drawn. The Key form leaves bytes of 0 out.
void v_PutImage8(int32_t x, int32_t y, const uint8_t* image, uint32_t imageBytes, uint8_t* target,
                 uint32_t targetBytes, uint32_t pitchBytes);
void v_PutImage8Key(int32_t x, int32_t y, const uint8_t* image, uint32_t imageBytes, uint8_t* target,
                    uint32_t targetBytes, uint32_t pitchBytes);

// The debugging writers fill the library's own 80 x 25 text cell buffer
// (character in the low byte, attribute in the high byte of each cell), one
// run of cells: text past column 79 goes on at the next row's start, and
// cells outside the buffer are not written.
constexpr uint32_t kDebugColumns = 80, kDebugRows = 25;
void v_DebugText(int32_t x, int32_t y, const char* text, uint8_t attribute);
// 9 blank cells from (x, y), then the value in decimal with its last digit
// in column x + 9.
void v_DebugNumber(int32_t x, int32_t y, uint32_t value, uint8_t attribute);
const uint16_t* p_DebugCells();

// Little-endian reads and writes at an address; 0 or nothing when fewer
// bytes than the access are available. 24 bits: 16 bits, then a byte.
uint32_t l_Peek32(const uint8_t* p, uint32_t bytes);
uint32_t l_Peek16(const uint8_t* p, uint32_t bytes);
uint32_t l_Peek24(const uint8_t* p, uint32_t bytes);
void v_Poke32(uint8_t* p, uint32_t bytes, uint32_t value);
void v_Poke16(uint8_t* p, uint32_t bytes, uint32_t value);
void v_Poke24(uint8_t* p, uint32_t bytes, uint32_t value);
// b - a, wrapping.
int32_t l_Difference(int32_t a, int32_t b);
