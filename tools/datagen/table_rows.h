#pragma once
// What other generators take from the rows of the attribute tables.
#include <cstdint>

namespace datagen {

// The speed a row of BULLET.DB is fired at (map pixels per step), 0 for a
// row out of the table.
int32_t BulletRowSpeed(int32_t row);

// How an enemy of a row of ENEMY.DB moves and what it notices, in map
// pixels and milliseconds (all 0 for a row out of the table).
struct EnemyPace {
    int32_t stepX = 0, stepY = 0; // one move
    int32_t turnTime = 0;         // between random turns while wandering
    int32_t stepTime = 0;         // the least time between moves
    int32_t wanderW = 0, wanderH = 0;
    int32_t sightW = 0, sightH = 0;   // the box it notices a character in
    int32_t attackW = 0, attackH = 0; // the box it fires at a character in
};
EnemyPace EnemyRowPace(int32_t row);

} // namespace datagen
