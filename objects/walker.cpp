#include "objects/walker.h"

#include "engine/base/game_point.h"
#include "engine/device/frame_time.h"
#include "engine/sprite/sprite_tree.h"
#include "game/map_sort.h"
#include "platform/random.h"

namespace walker {

int32_t Add32(int32_t a, int32_t b) {
    return static_cast<int32_t>(static_cast<uint32_t>(a) + static_cast<uint32_t>(b));
}

int32_t Mul32(int32_t a, int32_t b) {
    return static_cast<int32_t>(static_cast<uint32_t>(a) * static_cast<uint32_t>(b));
}

bool Due(int32_t lNext) {
    return g_lNowTick >= lNext;
}

int32_t R(int32_t n) {
    return plat::RandScaled(n);
}

sc_Point Step8(int32_t d, const sc_Point& oStep) {
    static constexpr int32_t kStepX[8] = {0, 1, 1, 1, 0, -1, -1, -1};
    static constexpr int32_t kStepY[8] = {-1, -1, 0, 1, 1, 1, 0, -1};
    if (d < 0 || d > 7) return sc_Point();
    return sc_Point(Mul32(kStepX[d], oStep.x), Mul32(kStepY[d], oStep.y));
}

void AddToSort(const sc_GameDir* pDir, const sc_Point& oPos, uint32_t lKind, void* pObject, int32_t bForce) {
    if (!g_pMapSort || !pDir) return;
    const int32_t x = oPos.x - 400, y = oPos.y - 300;
    const sc_GamePoint m0 = pDir->oGetMark(0), m1 = pDir->oGetMark(1), m2 = pDir->oGetMark(2);
    g_pMapSort->vAdd(static_cast<int16_t>(m0.x + x), static_cast<int16_t>(m0.y + y),
                     static_cast<int16_t>(m1.x + x), static_cast<int16_t>(m1.y + y),
                     static_cast<int16_t>(m2.x + x), static_cast<int16_t>(m2.y + y), lKind, pObject, bForce);
}

} // namespace walker
