#pragma once
// Small byte operations of the 2D library: keyboard characters with
// auto-repeat, in-place byte transforms, counter strings and table access.
#include <cstdint>

// The next character from a 256-byte key state (bit 7 down, bit 0 toggle;
// virtual key codes), with auto-repeat: a held key repeats first after
// 240 ms, then every 30 ms. Clears bit 0 of every byte of the state. The
// result is the character (Shift, code 16, picks the second of the pair), or
// 255 | code << 8 for a non-character key, or 0 when none is due. A state
// shorter than 256 bytes gives 0 and is left alone. A time of 0 reads as
// "not held" to the repeat timers.
uint32_t l_GetKeyCharacter(uint8_t* keyState, uint32_t bytes, uint32_t now);

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
