#pragma once
// Window-like boxes drawn into a buffer of 16-bit pixels of the current mode
// at dst + y * pitch + x (pitch in pixels): translucent framed boxes, opaque
// bevelled boxes, a tinted rectangle and a shaded image panel.
//
// Box colours come as red, green and blue on the 0 to 63 scale (the colour
// escape's), each cut to 6 bits and to 5 where the mode's channel has 5. From
// the colour A the boxes derive, per channel, A / 2 (the translucent boxes'
// second colour B), A / 4 and A / 2 + A / 4. Mixing with a colour sets each
// channel to (destination + colour) / 2.
//
// Nothing is clipped to a picture, but no pixel outside the dstPixels of the
// destination is written. A box smaller than its frame needs (named at each
// box) draws nothing. Images drawn inside boxes (icons, corners) are
// run-coded sprites and are bounded by the screen range as well.
#include <cstdint>

// Translucent boxes. A non-zero sunken swaps A and B.
//
// 2-pixel frame mixed with A, interior with B; at least 4 x 4.
void v_MixFrameBox2(int32_t x, int32_t y, int32_t w, int32_t h, uint16_t* dst, uint32_t dstPixels, uint32_t pitch,
                    uint32_t red, uint32_t green, uint32_t blue, uint32_t sunken);
// 1-pixel frame; at least 2 x 2.
void v_MixFrameBox1(int32_t x, int32_t y, int32_t w, int32_t h, uint16_t* dst, uint32_t dstPixels, uint32_t pitch,
                    uint32_t red, uint32_t green, uint32_t blue, uint32_t sunken);
// An outline of pixel value 0 (written, not mixed) whose corners curve in
// over 6 rows and columns, a 2-pixel band inside it mixed with A and the
// interior mixed with B; at least 12 x 12.
void v_MixRoundBox(int32_t x, int32_t y, int32_t w, int32_t h, uint16_t* dst, uint32_t dstPixels, uint32_t pitch,
                   uint32_t red, uint32_t green, uint32_t blue, uint32_t sunken);
// A 1-pixel outline where the destination is halved, then the box of
// v_MixFrameBox2 inside it; at least 6 x 6.
void v_MixFrameBoxOutlined(int32_t x, int32_t y, int32_t w, int32_t h, uint16_t* dst, uint32_t dstPixels,
                           uint32_t pitch, uint32_t red, uint32_t green, uint32_t blue, uint32_t sunken);
// v_MixFrameBox2, then four anchored paletted images (layout PA) on the
// corner pixels: top-left, top-right, bottom-left, bottom-right. The bank
// opens with four u32 offsets; image i is at bank + offset[i] + 16.
void v_MixFrameBoxCorners(int32_t x, int32_t y, int32_t w, int32_t h, uint16_t* dst, uint32_t dstPixels,
                          uint32_t pitch, uint32_t red, uint32_t green, uint32_t blue, uint32_t sunken,
                          const uint8_t* corners, uint32_t cornerBytes);
// Every pixel mixed with A.
void v_MixRect(int32_t x, int32_t y, int32_t w, int32_t h, uint16_t* dst, uint32_t dstPixels, uint32_t pitch,
               uint32_t red, uint32_t green, uint32_t blue);

// The icons of v_ShowBevelBox: a table of u32 offsets from the bank start;
// icon n is a layout P image at bank + offset[n] + 40.
void v_SetIconBank(const uint8_t* bank, uint32_t bytes);

// An opaque raised bevel, at least 4 x 4. Then the icon whose table entry
// lies at byte `icon` of the icon bank (4 * n; -1 for none) at (x + 2,
// y + 2); with a non-zero title flag a sunken strip over rows 3 to 20 with a
// raised 12 x 12 square at its right; then each field of the list, a sunken
// strip mixed with the destination. Fields are records of four u32 (x, y,
// width, height, the position relative to the box), ended by an x of
// 0xFFFFFFFF or by the end of fieldBytes; fields under 2 x 2 are passed
// over.
void v_ShowBevelBox(int32_t x, int32_t y, int32_t w, int32_t h, uint16_t* dst, uint32_t dstPixels, uint32_t pitch,
                    uint32_t red, uint32_t green, uint32_t blue, uint32_t title, const uint8_t* fields,
                    uint32_t fieldBytes, int32_t icon);
// The same raised bevel with each pixel mixed instead of written.
void v_ShowBevelBoxPlain(int32_t x, int32_t y, int32_t w, int32_t h, uint16_t* dst, uint32_t dstPixels,
                         uint32_t pitch, uint32_t red, uint32_t green, uint32_t blue);
// A layout P image (when given) scaled to w x h and drawn opaque, then a
// 3-pixel bevel shaded over the panel's edges by scaling the channels of
// the pixels there. Raised: top and left x 2 on the outer two pixels and
// x 1.5 on the third, bottom and right x 1/2 and x 3/4. Sunken: top and left
// x 1/4 and x 3/4, bottom and right x 2. Brightening holds at the channel's
// top level. Where two edges meet a pixel takes the nearer edge, the bottom
// or right one on a tie.
void v_ShowImagePanel(int32_t x, int32_t y, int32_t w, int32_t h, uint16_t* dst, uint32_t dstPixels, uint32_t pitch,
                      const uint8_t* image, uint32_t bytes, uint32_t sunken);
