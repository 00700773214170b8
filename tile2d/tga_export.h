#pragma once
// TGA pictures of 16-bit buffers, written into memory: an 18-byte header
// (uncompressed true colour, rows bottom to top) and W x h pixels, each
// source row centred in W pixels with 0 on both sides.
#include <cstdint>
#include <string_view>

// Source rows are srcPitch bytes apart (twice that for the Wide form, whose
// pixels are 32-bit cells with the colour in the low 16 bits). Returns the
// bytes written, 18 + W * h * 3 (24-bit) or * 2 (16-bit); 0, with nothing
// written, when the output cannot hold them, the source does not hold the
// block, W is narrower than w, or W or h exceeds 65,535.
uint32_t v_SaveTga24(const uint8_t* src, uint32_t srcBytes, uint8_t* out, uint32_t outBytes, uint32_t w, uint32_t h,
                     uint32_t srcPitch, uint32_t W);
uint32_t v_SaveTga16(const uint8_t* src, uint32_t srcBytes, uint8_t* out, uint32_t outBytes, uint32_t w, uint32_t h,
                     uint32_t srcPitch, uint32_t W);
uint32_t v_SaveTga24Wide(const uint8_t* src, uint32_t srcBytes, uint8_t* out, uint32_t outBytes, uint32_t w,
                         uint32_t h, uint32_t srcPitch, uint32_t W);

// Writes a picture made by the above to a file (a data path, created or
// emptied). False when the file cannot be written whole.
bool b_WriteTgaFile(std::string_view dataPath, const uint8_t* tga, uint32_t bytes);
