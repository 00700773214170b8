#pragma once
#include <cstdint>

#include "engine/base/game_point.h"
#include "engine/base/point.h"

// Directions, hit tests, paths and visibility on the isometric map.
//
// Directions count clockwise from up (toward smaller y): 8 steps (0 up,
// 2 right, 4 down, 6 left), 16 steps (0, 4, 8, 12) or 32 steps (0, 8, 16,
// 24). On the map a vector (dx, dy) is measured as (dx, 2 dy), so the step
// (2, -1) is 16-step direction 2. Pi appears as 3141 in the direction
// functions and as 3.14 in every degree-to-radian turn; paths and hit
// tests of the objects depend on those values.

// The walking direction the keyboard asks for, in sixteen steps clockwise
// from up (0, 2 .. 14), or -1 when no walking key is down. Reads the
// keyboard from the device once; an arrow and its letter (W, D, S, A) count
// as one key.
int32_t l_GetKeyBoardDirection();

// The direction from (x0, y0) to (x1, y1); 0 when the points are equal.
int32_t l_GetDirection8(int32_t x0, int32_t y0, int32_t x1, int32_t y1);
int32_t l_GetDirection16(int32_t x0, int32_t y0, int32_t x1, int32_t y1);
int32_t l_GetDirection32(int32_t x0, int32_t y0, int32_t x1, int32_t y1);

// False when d2 lies within two steps (one for eight directions) of the
// opposite of d1.
int32_t l_IsNotOpposite16(int32_t d1, int32_t d2);
int32_t l_IsNotOpposite8(int32_t d1, int32_t d2);
// True when d2 stands at a right angle to d1.
int32_t l_IsSide16(int32_t d1, int32_t d2);
int32_t l_IsSide8(int32_t d1, int32_t d2);

// Quadrilaterals are four corners in the order left, top, right, bottom.
// True when a corner of B lies strictly inside A; corners of A inside B and
// crossing edges are not looked for.
int32_t l_IsQuadOverlap(int16_t ax0, int16_t ay0, int16_t ax1, int16_t ay1, int16_t ax2, int16_t ay2,
                        int16_t ax3, int16_t ay3, int16_t bx0, int16_t by0, int16_t bx1, int16_t by1,
                        int16_t bx2, int16_t by2, int16_t bx3, int16_t by3);
int32_t l_IsGameQuadOverlap(sc_GamePoint a0, sc_GamePoint a1, sc_GamePoint a2, sc_GamePoint a3,
                            sc_GamePoint b0, sc_GamePoint b1, sc_GamePoint b2, sc_GamePoint b3);
int32_t l_IsPointInQuad(sc_GamePoint a0, sc_GamePoint a1, sc_GamePoint a2, sc_GamePoint a3, sc_GamePoint p);

// The point done/total of the way from (x0, y0) to (x1, y1). Nothing is
// written without both outputs or unless total > done.
void v_GetLinePoint(int32_t x0, int32_t y0, int32_t x1, int32_t y1, int32_t* pX, int32_t* pY, int32_t lTotal,
                    int32_t lDone);

// The vector turned by a whole number of degrees from +y toward +x, in
// single precision and cut toward zero (angle 0 may lose a unit).
sc_Point o_RotatePoint(sc_Point oVector, int32_t lAngle);

// A point of a wave path along the line: the wave swings across the line
// with the amplitude, once every 360 / frequency pixels of travel.
void v_GetWavePoint(int32_t x0, int32_t y0, int32_t x1, int32_t y1, sc_Point* pPoint, int32_t lTotal,
                    int32_t lDone, int32_t lAmplitude, int32_t lFrequency);

// One step of a shake between two corners: toward the first while the
// counter is odd, toward the second while it is even; the counter moves on
// once the point comes within counter x step x spread of its corner.
void v_StepShake(int32_t x0, int32_t y0, int32_t x1, int32_t y1, int32_t* pX, int32_t* pY, int32_t* pCounter,
                 int32_t lStep, int32_t lSpread);

// A point of a bouncing path: along the line, lifted by a sine of the
// point's x on entry whose height falls to 0 at the end. total 0 leaves the
// point as it is.
void v_GetBouncePoint(int32_t x0, int32_t y0, int32_t x1, int32_t y1, sc_Point* pPoint, int32_t lTotal,
                      int32_t lDone, int32_t lHeight, int32_t lFrequency);

// The line moved sideways by the offset (the gun's side-by-side shots).
void v_GetParallelLine(int32_t x0, int32_t y0, int32_t x1, int32_t y1, sc_Point* pStart, sc_Point* pEnd,
                       int32_t lOffset);

// True when the map point lies within the view widened by 200 pixels on
// each side (the map's view point and the work surface's size; 800 x 600
// before the surface exists).
int32_t l_IsOnScreen(int32_t x, int32_t y);

// The first value of the occupancy grid, sampled every 8 pixels from
// (x0, y0) on, that is neither 0 nor 2; 0 when there is none. Lines shorter
// than 8 pixels sample nothing.
int32_t l_GetLineBlock(int32_t x0, int32_t y0, int32_t x1, int32_t y1);
