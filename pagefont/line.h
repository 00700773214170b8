#pragma once
#include <cstdint>

// Lines, rectangles and single pixels on the current target.

// Region code of a point against the line clip rectangle: 1 left, 2 above,
// 4 right, 8 below.
void v_GetOutcode(int32_t* code, int32_t x, int32_t y);
// Cohen-Sutherland clipping of a segment to the line clip rectangle, in
// place, with truncating division. 1 if a part is left.
int32_t l_ClipLine(int32_t* x1, int32_t* y1, int32_t* x2, int32_t* y2);
// Clipped line, both end points drawn. Sets the clip rectangle to the target.
void v_DrawLine(int32_t x1, int32_t y1, int32_t x2, int32_t y2, uint32_t color);
// Outline through the four corners, each corner drawn once.
void v_DrawRect(int32_t x1, int32_t y1, int32_t x2, int32_t y2, uint32_t color);
// Filled rectangle, corners inclusive, clipped.
void v_FillRect(int32_t x1, int32_t y1, int32_t x2, int32_t y2, uint32_t color);
void v_PutPixel(int32_t x, int32_t y, uint16_t color);
// 0 outside the target.
int32_t l_GetPixel(int32_t x, int32_t y);
