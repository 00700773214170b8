#pragma once
#include <cstdint>

// The walking direction the keyboard asks for, in sixteen steps clockwise
// from up (0, 2 .. 14), or -1 when no walking key is down. Reads the
// keyboard from the device once; an arrow and its letter (W, D, S, A) count
// as one key.
int32_t l_GetKeyBoardDirection();
