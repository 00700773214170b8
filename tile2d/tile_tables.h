#pragma once
// Tables of the tile drawers' colour variants.
#include <cstdint>

// Fills the caller's table with one entry per pixel value of the current
// mode (32,768 in mode 0, 65,536 in modes 1 to 3): the average of the three
// channels' top five bits, put back as the top five bits of every channel.
// The grey drawers read the table last made.
void v_MakeGreyTable(uint16_t* table);
// The library's own fade table: entry (k, v) = floor(k * v / 63).
void v_MakeLevelTable();
// n from 1 to 16 (others are ignored): indices from 256 - n up become
// shadow indices; shadow row k is multiply-table row 31 + (k + 1) * (32 / n).
void v_SetShadowLevels(uint32_t n);
