#pragma once
// Decoders of run-coded 24-bit frames: a u32 byte length L of the run list,
// then L / 4 runs of (blue, green, red, count) bytes, left to right, top row
// first. A run whose colour bytes are all 0 passes over its pixels. Each
// channel is cut to 6 bits, the shaded forms derive their dimmer colours
// from those, and then it is fitted to the current mode.
//
// The frame is followed by its size in bytes: runs beyond it are not read.
// The destination by its size in pixels: nothing is written past it, nor
// past the decoder's own end (320 x 240 or 640 x 480 pixels).
#include <cstdint>

// One pixel per frame pixel, no rows; stops after the run that reaches
// 76,800 pixels.
void v_ShowRunFrame(const uint8_t* frame, uint32_t bytes, uint16_t* dst, uint32_t dstPixels);

// Frame rows of w pixels blown up into 640 x 480: frame row r goes to line
// 2r, each pixel twice side by side; a run that crosses a row end goes on at
// the start of line 2r + 2. A w of 0 draws nothing.
void v_ShowRunFrameWide(const uint8_t* frame, uint32_t bytes, uint16_t* dst, uint32_t dstPixels, uint32_t w);
// Line 2r + 1 receives the same pixels.
void v_ShowRunFrameDouble(const uint8_t* frame, uint32_t bytes, uint16_t* dst, uint32_t dstPixels, uint32_t w);
// Line 2r + 1 the colour, line 2r each 6-bit channel c lowered to
// c - c / 8 (Scan8) or c - c / 4 (Scan4).
void v_ShowRunFrameScan8(const uint8_t* frame, uint32_t bytes, uint16_t* dst, uint32_t dstPixels, uint32_t w);
void v_ShowRunFrameScan4(const uint8_t* frame, uint32_t bytes, uint16_t* dst, uint32_t dstPixels, uint32_t w);
// 2 x 2 blocks: line 2r (c - c / 4, c / 2), line 2r + 1 (c, c - c / 4).
void v_ShowRunFrameShade(const uint8_t* frame, uint32_t bytes, uint16_t* dst, uint32_t dstPixels, uint32_t w);
// Line 2r gets (colour, black) pairs; then, on 640-pixel lines, every block
// of 2 x 2 but the last column and row is filled with averages of its
// top-left pixel and the top-left pixels of its right, lower and lower-right
// neighbours. Needs w = 320 for the second pass to line up.
void v_ShowRunFrameSmooth(const uint8_t* frame, uint32_t bytes, uint16_t* dst, uint32_t dstPixels, uint32_t w);
