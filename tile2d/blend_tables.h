#pragma once
// Blend tables, built in buffers the caller owns for the current pixel mode:
// the 64 x 64 multiply table (entry k * 64 + v = floor((k + 1) * v / 64)),
// one saturating-add table per channel (rows of 256 bytes) and, optionally,
// one quotient table per channel.
#include <cstdint>

// Add tables sit at +0, +16,384 and +32,768 of their buffer, quotient tables
// at +0, +4,096 and +8,192 of theirs. A null buffer leaves its tables unset.
void v_MakeBlendTables(uint8_t* multiply, uint8_t* add, uint8_t* quotient);

// The multiply table the drawers read: the caller's when made, else a
// built-in copy of the same values, so that drawing before set-up never
// reads through a null pointer.
const uint8_t* p_MultiplyTable();
