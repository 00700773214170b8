#include "game/geometry.h"

#include "engine/device/dir_key.h"
#include "platform/input.h"

int32_t l_GetKeyBoardDirection() {
    if (!g_pDirKey) return -1;
    sc_DirKey& k = *g_pDirKey;
    k.bGetKeyState(0);
    const bool up = k.bIsKeyDown(plat::key::Up) || k.bIsKeyDown(plat::key::W);
    const bool right = k.bIsKeyDown(plat::key::Right) || k.bIsKeyDown(plat::key::D);
    const bool down = k.bIsKeyDown(plat::key::Down) || k.bIsKeyDown(plat::key::S);
    const bool left = k.bIsKeyDown(plat::key::Left) || k.bIsKeyDown(plat::key::A);
    // The first of up, right, down and left that is held decides; a key
    // beside it turns it half a step, the opposite key is ignored.
    if (up) return right ? 2 : left ? 14 : 0;
    if (right) return down ? 6 : 4;
    if (down) return left ? 10 : 8;
    if (left) return 12;
    return -1;
}
