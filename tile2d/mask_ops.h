#pragma once
// Small byte operations of the box drawers: byte masks, upper-casing copies,
// graded mask edges, and the palette tint of an image bank.
#include <cstdint>

// destination[i] &= source[i] for count bytes; returns count.
uint32_t l_AndBytes(uint8_t* destination, const uint8_t* source, uint32_t count);
// Copies count bytes with a to z turned to A to Z; returns count.
uint32_t l_CopyUpper(const uint8_t* source, uint8_t* destination, uint32_t count);

// Masks: a u32 (width low 16 bits, height high 16), then width x height
// bytes. The scratch buffer needs width x height bytes; a mask or scratch
// buffer too short for the size word leaves the mask as it was.
//
// One ring: every byte of 255 with a neighbour (of eight) outside the mask,
// 0, or holding a level from `lowest` to 254 takes `level`. Returns the
// bytes changed.
uint32_t l_FeatherPass(uint8_t* mask, uint32_t maskBytes, uint8_t* scratch, uint32_t scratchBytes, uint8_t level,
                       uint8_t lowest);
// Grades the mask's edge over n - 1 rings: the ring next to the empty area
// takes 256 - n, each ring inwards one more, up to 254; the rest stays 255.
// Nothing happens for n below 2; n above 255 acts as 255, so that no ring is
// given the level 0 that means "empty".
void v_FeatherMask(uint8_t* mask, uint32_t maskBytes, uint32_t rings, uint8_t* scratch, uint32_t scratchBytes);

// For every image the table names (tableBytes / 4 u32 offsets into data;
// with no table and a size of 0, the one image at data) the 256 red, green,
// blue triplets after the image's 2-byte tag are scaled by the percentages
// (up to 100: c * p / 100; above: c + c * (p - 100) / 100, at most 255) and
// rewritten in place, front to back, as 256 pixels of the current mode.
// Images that do not fit in dataBytes are passed over; an image named by
// several entries is tinted once.
void v_AdjustImagePalettes(const uint8_t* table, uint8_t* data, uint32_t tableBytes, uint32_t dataBytes,
                           uint32_t red, uint32_t green, uint32_t blue);
