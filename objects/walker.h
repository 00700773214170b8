#pragma once
// What the enemies and the animals share: the 8-direction step, the
// 32-bit arithmetic their positions and boxes use, the timers, and their
// entry in the show list.
#include <cstdint>

#include "engine/base/point.h"

class sc_GameDir;

namespace walker {

// Positions and sizes come from the mission file and the tables: sums and
// products of them wrap at 32 bits.
int32_t Add32(int32_t a, int32_t b);
int32_t Mul32(int32_t a, int32_t b);

// Whether a tick on the frame clock has come.
bool Due(int32_t lNext);
// The shared random generator's draw in 0..n.
int32_t R(int32_t n);

// One step of a walker facing d (0 north, clockwise) with the step size of
// its table row; no step for a facing outside 0..7.
sc_Point Step8(int32_t d, const sc_Point& oStep);

// The walker's outline marks of a direction at its position into the show
// list, with its kind; forced entries are kept off the screen too.
void AddToSort(const sc_GameDir* pDir, const sc_Point& oPos, uint32_t lKind, void* pObject, int32_t bForce);

} // namespace walker
