#pragma once
// What the bullet pack's outlines take from the bullet table.
#include <cstdint>

namespace datagen {

// The speed a row of BULLET.DB is fired at (map pixels per step), 0 for a
// row out of the table.
int32_t BulletRowSpeed(int32_t row);

} // namespace datagen
