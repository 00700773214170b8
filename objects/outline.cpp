#include "objects/outline.h"

#include "engine/sprite/game_img.h"
#include "game/geometry.h"
#include "game/work.h"

bool b_OutlinesTouch(const ss_Outline& a, const ss_Outline& b) {
    return l_IsQuadOverlap(a.x[0], a.y[0], a.x[1], a.y[1], a.x[2], a.y[2], a.x[3], a.y[3], b.x[0], b.y[0], b.x[1],
                           b.y[1], b.x[2], b.y[2], b.x[3], b.y[3]) != 0;
}

void v_ShowPlain(const sc_GameImg* pFrame, int32_t x, int32_t y) {
    if (pFrame && g_pWorkSurface) pFrame->vShow(x, y, g_pWorkSurface);
}
