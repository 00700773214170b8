#pragma once
// 8-bit run-coded sprites drawn into a buffer of 16-bit pixels of the current
// mode at destination + y * pitch + x (pitch in pixels). They clip only to
// the screen range: a sprite whose first pixel lies outside it draws nothing,
// a row that would start at or past its end stops the drawing, and no pixel
// outside it is written. `bytes` is what the image holds; decoding stops
// there. Runs go on across row ends. Unless the name says Solid, value 0 is
// transparent.
//
// Layouts (little-endian):
//   P   palette 256 x u16 at 0, key at 512, size at 513, codes from 517
//   PA  palette at 0, anchor at 512, key at 516, size at 517, codes from 521
//   K   key at 0, size at 1, codes from 5;  KA  anchor at 0, then as K
// Size: width in the low 16 bits, height in the high. Anchor: one 16-bit
// code per axis, below 5000 the offset -v, else v - 5000. Codes: a byte other
// than the key is one pixel; the key, a count and a value are a run.
// Mirrored members apply the x offset negated and write each row leftwards
// from the pixel before x, so column c lands at x - offset - 1 - c.
// Levels are multiply-table rows (low 6 bits): row k scales by (k + 1) / 64.
#include <cstdint>

void v_ShowPalRle(int32_t x, int32_t y, const uint8_t* image, uint32_t bytes, uint16_t* dest, int32_t pitch);
void v_ShowPalRleAnchor(int32_t x, int32_t y, const uint8_t* image, uint32_t bytes, uint16_t* dest, int32_t pitch);
void v_ShowPalRleSolid(int32_t x, int32_t y, const uint8_t* image, uint32_t bytes, uint16_t* dest, int32_t pitch);
void v_ShowPalRleSolidAnchor(int32_t x, int32_t y, const uint8_t* image, uint32_t bytes, uint16_t* dest,
                             int32_t pitch);
// Layout P with a 5-5-5 palette, converted to the mode before drawing.
void v_ShowPal555RleSolid(int32_t x, int32_t y, const uint8_t* image, uint32_t bytes, uint16_t* dest,
                          int32_t pitch);
// Short palette: count byte n - 1, n x u16 5-5-5, key, size, codes.
void v_ShowPalNRleSolid(int32_t x, int32_t y, const uint8_t* image, uint32_t bytes, uint16_t* dest,
                        int32_t pitch);
// Layout K through the current palette (l_ConvertPalette); draws nothing
// before one is set.
void v_ShowRleWithPalette(int32_t x, int32_t y, const uint8_t* image, uint32_t bytes, uint16_t* dest,
                          int32_t pitch);

// Alpha: per channel T[a][c] + T[63 - a][d], a = level & 63.
void v_ShowPalRleAlpha(int32_t x, int32_t y, const uint8_t* image, uint32_t bytes, uint16_t* dest, int32_t pitch,
                       uint32_t level);
void v_ShowPalRleAlphaSolid(int32_t x, int32_t y, const uint8_t* image, uint32_t bytes, uint16_t* dest,
                            int32_t pitch, uint32_t level);
void v_ShowPalRleAlphaAnchor(int32_t x, int32_t y, const uint8_t* image, uint32_t bytes, uint16_t* dest,
                             int32_t pitch, uint32_t level);
void v_ShowPalRleAlphaAnchorMirror(int32_t x, int32_t y, const uint8_t* image, uint32_t bytes, uint16_t* dest,
                                   int32_t pitch, uint32_t level);
// Fade: the colour through row `level` (63 keeps it).
void v_ShowPalRleFade(int32_t x, int32_t y, const uint8_t* image, uint32_t bytes, uint16_t* dest, int32_t pitch,
                      uint32_t level);
void v_ShowPalRleFadeAnchor(int32_t x, int32_t y, const uint8_t* image, uint32_t bytes, uint16_t* dest,
                            int32_t pitch, uint32_t level);
void v_ShowPalRleFadeSolid(int32_t x, int32_t y, const uint8_t* image, uint32_t bytes, uint16_t* dest,
                           int32_t pitch, uint32_t level);
void v_ShowPalRleFadeSolidAnchor(int32_t x, int32_t y, const uint8_t* image, uint32_t bytes, uint16_t* dest,
                                 int32_t pitch, uint32_t level);
// Lighten: each channel through the quotient tables' row `level`; draws
// nothing when no quotient tables were made.
void v_ShowPalRleLightenAnchor(int32_t x, int32_t y, const uint8_t* image, uint32_t bytes, uint16_t* dest,
                               int32_t pitch, uint32_t level);
// Half: each channel (c + d) / 2.
void v_ShowPalRleHalf(int32_t x, int32_t y, const uint8_t* image, uint32_t bytes, uint16_t* dest, int32_t pitch);
void v_ShowPalRleHalfAnchor(int32_t x, int32_t y, const uint8_t* image, uint32_t bytes, uint16_t* dest,
                            int32_t pitch);
void v_ShowPalRleHalfAnchorMirror(int32_t x, int32_t y, const uint8_t* image, uint32_t bytes, uint16_t* dest,
                                  int32_t pitch);
// Add: each channel c + d, the top level when it overflows.
void v_ShowPalRleAdd(int32_t x, int32_t y, const uint8_t* image, uint32_t bytes, uint16_t* dest, int32_t pitch);
void v_ShowPalRleAddAnchor(int32_t x, int32_t y, const uint8_t* image, uint32_t bytes, uint16_t* dest,
                           int32_t pitch);
void v_ShowPalRleAddAnchorMirror(int32_t x, int32_t y, const uint8_t* image, uint32_t bytes, uint16_t* dest,
                                 int32_t pitch);
// Values 240 to 255 are transparent as well as 0.
void v_ShowPalRleAddAnchorLow(int32_t x, int32_t y, const uint8_t* image, uint32_t bytes, uint16_t* dest,
                              int32_t pitch);
// Scaled add: each channel min(d + T[level][c], top level).
void v_ShowPalRleAddScaled(int32_t x, int32_t y, const uint8_t* image, uint32_t bytes, uint16_t* dest,
                           int32_t pitch, uint32_t level);
void v_ShowPalRleAddScaledAnchor(int32_t x, int32_t y, const uint8_t* image, uint32_t bytes, uint16_t* dest,
                                 int32_t pitch, uint32_t level);
void v_ShowPalRleAddScaledAnchorMirror(int32_t x, int32_t y, const uint8_t* image, uint32_t bytes,
                                       uint16_t* dest, int32_t pitch, uint32_t level);
// The colour's channels chosen by the selector: 0 red, 1 green, 2 blue,
// 3 green and blue, 4 red and blue, 5 red and green; others give black.
void v_ShowPalRleChannelAnchor(int32_t x, int32_t y, const uint8_t* image, uint32_t bytes, uint16_t* dest,
                               int32_t pitch, uint32_t selector);
// No palette: value v darkens the destination through row v & 63.
void v_ShowRleDarkMap(int32_t x, int32_t y, const uint8_t* image, uint32_t bytes, uint16_t* dest, int32_t pitch);
void v_ShowRleDarkMapAnchor(int32_t x, int32_t y, const uint8_t* image, uint32_t bytes, uint16_t* dest,
                            int32_t pitch);
// No palette: each destination channel shifted right by v bits.
void v_ShowRleShiftShadow(int32_t x, int32_t y, const uint8_t* image, uint32_t bytes, uint16_t* dest,
                          int32_t pitch);
// Values 254 and 255 halve the destination; others draw their colour.
void v_ShowPalRleShadowAnchor(int32_t x, int32_t y, const uint8_t* image, uint32_t bytes, uint16_t* dest,
                              int32_t pitch);
// Shadow indices (v_SetShadowLevels): values from the threshold up darken the
// destination (255 halves it, others through shadow row 255 - v); values
// below it draw their colour, in the Bright members with each channel
// shifted left by `shift` and held at the top level.
void v_ShowPalRleShadeAnchor(int32_t x, int32_t y, const uint8_t* image, uint32_t bytes, uint16_t* dest,
                             int32_t pitch);
void v_ShowPalRleShadeBrightAnchor(int32_t x, int32_t y, const uint8_t* image, uint32_t bytes, uint16_t* dest,
                                   int32_t pitch, uint32_t shift);
void v_ShowPalRleShadeAnchorMirror(int32_t x, int32_t y, const uint8_t* image, uint32_t bytes, uint16_t* dest,
                                   int32_t pitch);
void v_ShowPalRleShadeBrightAnchorMirror(int32_t x, int32_t y, const uint8_t* image, uint32_t bytes,
                                         uint16_t* dest, int32_t pitch, uint32_t shift);
// Layout PA followed by height u32 row offsets (counted from the key byte).
// For a 1,280-pixel-wide buffer: the anchor's y offset moves by rows of
// 1,280 pixels. Rows above the screen range's third value are skipped
// through the row table. 254 and 255 halve the destination.
void v_ShowPalRleShadowRowsAnchor(int32_t x, int32_t y, const uint8_t* image, uint32_t bytes, uint16_t* dest,
                                  int32_t pitch);
// Not run-coded: palette at 0, size at 512, width x height values from 516.
void v_ShowPalImage(int32_t x, int32_t y, const uint8_t* image, uint32_t bytes, uint16_t* dest, int32_t pitch);
void v_ShowPalImageHalf(int32_t x, int32_t y, const uint8_t* image, uint32_t bytes, uint16_t* dest,
                        int32_t pitch);
// Layout K into an 8-bit buffer of destBytes bytes at dest + y * pitch + x,
// values as they are; no screen-range test, only the buffer bounds it.
void v_ShowRle8(int32_t x, int32_t y, const uint8_t* image, uint32_t bytes, uint8_t* dest, uint32_t destBytes,
                int32_t pitch);
