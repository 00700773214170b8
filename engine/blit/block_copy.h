#pragma once
#include <cstdint>

// Block copies between a pitched buffer (element (row, col) at row x pitch +
// col) and a packed block (w x h, rows adjacent), for bytes and 16-bit words.
// Nothing is checked beyond the clipping of v_BltKeyClip16: blocks must lie
// inside both buffers. A block with no rows or no columns copies nothing.

// The w x h block at (x, y) of the pitched src into the packed dst. All four
// copy every element: the pair and four-byte forms take any width too.
void v_CopyRectFrom16(int32_t x, int32_t y, int32_t w, int32_t h, int32_t pitch, const uint16_t* src,
                      uint16_t* dst);
void v_CopyRectFrom16Word(int32_t x, int32_t y, int32_t w, int32_t h, int32_t pitch, const uint16_t* src,
                          uint16_t* dst);
void v_CopyRectFrom8(int32_t x, int32_t y, int32_t w, int32_t h, int32_t pitch, const uint8_t* src,
                     uint8_t* dst);
void v_CopyRectFrom8Dword(int32_t x, int32_t y, int32_t w, int32_t h, int32_t pitch, const uint8_t* src,
                          uint8_t* dst);

// The packed w x h byte block src into the top-left corner of the pitched
// dst; the rest of dst is untouched.
void v_CopyRectTo8(int32_t w, int32_t h, int32_t pitch, const uint8_t* src, uint8_t* dst);

// Fills the w x h rectangle at (x, y) with the low 16 bits of value, in pairs
// of elements: an odd w paints one element more at the right of every row
// where that element is still inside the row (x + w < pitch).
void v_FillRect16(int32_t x, int32_t y, int32_t w, int32_t h, int32_t pitch, uint32_t value, uint16_t* dst);

// Copies the packed w x h block src, placed at (x, y) of the pitched dst,
// inside the inclusive clip rectangle, skipping source words 0. The caller
// keeps the rectangle inside dst; crossed edges copy nothing.
void v_BltKeyClip16(int32_t x, int32_t y, int32_t w, int32_t h, int32_t pitch, int32_t clipLeft,
                    int32_t clipTop, int32_t clipRight, int32_t clipBottom, const uint16_t* src,
                    uint16_t* dst);
