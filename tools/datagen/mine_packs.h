#pragma once
// The pictures of the mission's fighters and wildlife and of the ordered
// mines: P_ENEMY, P_ANIMAL and P_MINE are written by their own generator;
// the delivery animations are one object of the shared P_OTHER pack, whose
// writer takes it from here.
#include "tools/datagen/pack_builder.h"

namespace datagen {

// Object 0 of P_OTHER: status 0 the drop (directions start, fall, land and
// the falling crate's shadow), status 1 the throw (start, flight, impact
// burst, landed canister). The shadow has at least kDropShadowFrames frames,
// one per fifth of the fall.
inline constexpr int32_t kDropShadowFrames = 5;
ObjectDesc MineDeliveryObject();

PackDesc EnemyPack();
PackDesc AnimalPack();
PackDesc MinePack();

} // namespace datagen
