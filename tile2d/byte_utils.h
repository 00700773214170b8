#pragma once
// Small byte operations of the 2D library: in-place byte transforms,
// counter strings and table access.
#include <cstdint>

// table[index] + add on 32-bit entries (wrapping); an index outside the
// table's `entries` gives add.
int32_t l_GetTableEntryPlus(int32_t index, const int32_t* table, uint32_t entries, int32_t add);

// The 256 x 256 byte table (row = weight, column = channel value) read by
// the weighted 24-bit image drawer. A table shorter than 65,536 bytes is
// not kept: the drawer then finds none.
void v_SetLookupTable(const uint8_t* table, uint32_t bytes);
const uint8_t* p_LookupTable();

// In-place transforms of count bytes; each returns count. Rotations take
// the bit count modulo 8.
uint32_t l_RotateBytesLeft(uint8_t* buffer, uint32_t count, uint32_t bits);
uint32_t l_RotateBytesRight(uint8_t* buffer, uint32_t count, uint32_t bits);
uint32_t l_InvertBytes(uint8_t* buffer, uint32_t count);
// Bytes a become b and bytes b become a.
uint32_t l_SwapByteValues(uint8_t* buffer, uint32_t count, uint8_t a, uint8_t b);
// Bytes a become b.
uint32_t l_ReplaceByteValue(uint8_t* buffer, uint32_t count, uint8_t a, uint8_t b);
// Bytes other than a become b.
uint32_t l_ReplaceOtherByteValues(uint8_t* buffer, uint32_t count, uint8_t a, uint8_t b);

// Adds one to a counter of digits and letters ending at buffer[last]: 9
// wraps to 0, Z to A, z to a, carrying left; any other character stops the
// carry. Returns 1 when the carry ran out of buffer[0] (and is lost), else 0.
// A last index outside the `bytes` of the buffer changes nothing.
uint32_t l_IncrementCounterString(char* buffer, uint32_t bytes, int32_t last);
