#pragma once
#include <cstdint>

#include "engine/base/point.h"
#include "engine/sprite/sprite_tree.h"

// 32-bit sums of positions and offsets that may come from a file or a
// record: they wrap, as the registers did, instead of overflowing.
inline int32_t l_Wrap(int64_t v) { return static_cast<int32_t>(static_cast<uint32_t>(static_cast<uint64_t>(v))); }
// The screen coordinate of a map coordinate under the view: v - half - view.
inline int32_t l_ScreenOf(int32_t v, int32_t half, int32_t view) { return l_Wrap(int64_t{v} - half - view); }

// The ground outline of an object drawn from a sprite direction at a map
// position: the direction's marks 0, 3, 1, 2 (left, back, right, front) moved
// by the position less (400, 300), where the picture's canvas starts. Every
// object-against-object test of the families compares two outlines.
struct ss_Outline {
    int16_t x[4] = {};
    int16_t y[4] = {};
};

// False without a direction: an object with no picture touches nothing.
inline bool b_GetOutline(const sc_GameDir* pDir, const sc_Point& oPos, ss_Outline& out) {
    if (!pDir) return false;
    static constexpr int32_t kOrder[4] = {0, 3, 1, 2};
    for (int32_t i = 0; i < 4; ++i) {
        const sc_GamePoint& m = pDir->oGetMark(kOrder[i]);
        out.x[i] = static_cast<int16_t>(l_Wrap(int64_t{m.x} + oPos.x - 400));
        out.y[i] = static_cast<int16_t>(l_Wrap(int64_t{m.y} + oPos.y - 300));
    }
    return true;
}

// Whether a corner of b lies inside a (the game's quadrilateral test).
bool b_OutlinesTouch(const ss_Outline& a, const ss_Outline& b);

// The two objects' outlines touch; false when either has no direction.
inline bool b_OutlinesTouch(const sc_GameDir* pA, const sc_Point& oA, const sc_GameDir* pB, const sc_Point& oB) {
    ss_Outline a, b;
    return b_GetOutline(pA, oA, a) && b_GetOutline(pB, oB, b) && b_OutlinesTouch(a, b);
}

class sc_GameImg;

// A frame on the work surface at (x, y) plus its draw offset, with no
// effects; nothing for null.
void v_ShowPlain(const sc_GameImg* pFrame, int32_t x, int32_t y);
