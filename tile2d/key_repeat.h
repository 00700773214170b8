#pragma once
// Keyboard characters with auto-repeat, read from a key state table.
#include <cstdint>

// The next character from a 256-byte key state (bit 7 down, bit 0 toggle;
// virtual key codes), with auto-repeat: a held key repeats first after
// 240 ms, then every 30 ms. Clears bit 0 of every byte of the state. The
// result is the character (Shift, code 16, picks the second of the pair), or
// 255 | code << 8 for a non-character key, or 0 when none is due. A state
// shorter than 256 bytes gives 0 and is left alone. A time of 0 reads as
// "not held" to the repeat timers.
uint32_t l_GetKeyCharacter(uint8_t* keyState, uint32_t bytes, uint32_t now);
