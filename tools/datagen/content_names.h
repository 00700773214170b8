#pragma once
// What the attribute tables name, in one place for every generator: the
// packs and sounds their rows point at, and the shape each of those packs
// must have so that every row finds its picture. The table generator writes
// rows from these; the pack generators of the families draw the objects,
// statuses and directions listed here.
#include <array>
#include <cstdint>

#include "tools/datagen/sound_names.h"

namespace datagen::content {

// ---------------------------------------------------------------- packs

// Things: object k of P_THING is thing kind k (kThingKinds below); each
// object has one status with one direction (the standing picture, animated).
inline constexpr const char* kThingPackStr = "P_THING\\P_THING.STR";
inline constexpr const char* kThingPackImg = "P_THING\\P_THING.IMG";

// Enemies: object k of P_ENEMY is enemy row k; status 0 idle and walking,
// status 1 attack, status 2 a second attack where kEnemyKinds says so; 8
// directions each.
inline constexpr const char* kEnemyPackStr = "P_ENEMY\\P_ENEMY.STR";
inline constexpr const char* kEnemyPackImg = "P_ENEMY\\P_ENEMY.IMG";

// Animals: object k of P_ANIMAL is animal row k; status 0 resting, status 1
// walking, 8 directions each.
inline constexpr const char* kAnimalPackStr = "P_ANIMAL\\P_ANIMAL.STR";
inline constexpr const char* kAnimalPackImg = "P_ANIMAL\\P_ANIMAL.IMG";

// Mines: object k of P_MINE is mine kind k (the operator's order k); status
// 0 deploying, 1 idle, 2 firing, 8 directions each, with the mine's ground
// outline on every direction.
inline constexpr const char* kMinePackStr = "P_MINE\\P_MINE.STR";
inline constexpr const char* kMinePackImg = "P_MINE\\P_MINE.IMG";
inline constexpr int32_t kMineKinds = 8;
inline constexpr int32_t kMineStatuses = 3;

// Bullets in flight: object 0 of P_BULLET has one status per bullet row
// (status = row, so a bullet's picture is the same whether it is picked by
// its image field or by its type) with 32 directions each.
inline constexpr const char* kBulletPackStr = "P_BULLET\\P_BULLET.STR";
inline constexpr const char* kBulletPackImg = "P_BULLET\\P_BULLET.IMG";

// Frames of every bullet direction (the flight animation flickers).
inline constexpr int32_t kBulletDirections = 32;
inline constexpr int32_t kBulletFrames = 2;

// Items on the ground: object 0 status 0 of P_PROP, one direction per item
// kind (the game's kinds: ammunition, health, money), each animated.
inline constexpr const char* kPropPackStr = "P_PROP\\P_PROP.STR";
inline constexpr const char* kPropPackImg = "P_PROP\\P_PROP.IMG";
enum ItemKind : int32_t { kItemAmmo = 0, kItemHealth = 1, kItemMoney = 2, kItemKinds = 3 };
inline constexpr int32_t kItemFrames = 4;

// Effects in P_SPRITY: object 0 status 0 holds the hit effects (bullet hits,
// enemy deaths, mine breaks) as directions 0 .. kHitEffects - 1; object 2
// status 0 the first trail effects and object 3 status 0 the second ones.
inline constexpr const char* kSpritePackStr = "P_SPRITY\\P_SPRITY.STR";
inline constexpr const char* kSpritePackImg = "P_SPRITY\\P_SPRITY.IMG";

// Directions of object 0 status 0 of P_SPRITY.
enum HitEffect : int32_t {
    kHitSpark = 0,    // small bullet hit
    kHitFlash = 1,    // energy hit
    kHitBlast = 2,    // explosion
    kHitBigBlast = 3, // large explosion
    kHitSmoke = 4,
    kHitFire = 5,
    kHitShock = 6,    // electric
    kHitDebris = 7,
    kHitEffects = 8
};
// Directions of object 2 (first trail) and object 3 (second trail), status 0.
enum TrailEffect : int32_t { kTrailNone = -1, kTrailSmoke = 0, kTrailGlow = 1, kTrailEffects = 2 };

// The other objects of P_SPRITY: 1 the deaths (status = death kind,
// kDeathDirs directions each), 4 the object layer's effect pictures, 5 a
// spare picture, 6 the characters' looping effect, 7 and 8 the two bomber runs
// (direction 0 the run, direction 1 its impact; object 7's impact runs at
// least kBomberImpactFrames frames).
inline constexpr int32_t kSpriteHitObject = 0;
inline constexpr int32_t kSpriteDeathObject = 1;
inline constexpr int32_t kSpriteTrailObject1 = 2;
inline constexpr int32_t kSpriteTrailObject2 = 3;
inline constexpr int32_t kSpriteEffectObject = 4;
inline constexpr int32_t kSpriteCharacterEffectObject = 6;
inline constexpr int32_t kSpriteBomberObject6 = 7;
inline constexpr int32_t kSpriteBomberObject5 = 8;
inline constexpr int32_t kSpriteObjects = 9;
inline constexpr int32_t kDeathKinds = 4; // wreck, smoke, fire, scorch
inline constexpr int32_t kDeathDirs = 3;
inline constexpr int32_t kBomberImpactFrames = 12;

// The players' characters: two objects per model m, 2m the body and 2m + 1
// its gun. Body statuses 0 standing and 1 walking with 16 directions, 2
// flying and 3 dying with 8; gun statuses 0 idle and 1 firing with 16.
inline constexpr const char* kCharPackStr = "CHAR\\CHAR.STR";
inline constexpr const char* kCharPackImg = "CHAR\\CHAR.IMG";
inline constexpr int32_t kCharModels = 5;

// P_OTHER: object 0 the mines' drop (status 0) and throw (status 1) with
// four directions each; object 1 the air-strike airplane, one status of 8
// directions.
inline constexpr const char* kOtherPackStr = "P_OTHER\\P_OTHER.STR";
inline constexpr const char* kOtherPackImg = "P_OTHER\\P_OTHER.IMG";
inline constexpr int32_t kOtherMineObject = 0;
inline constexpr int32_t kOtherAirplaneObject = 1;

// A thing's break animation is direction lBreakObject of the bullet family's
// first status; the values used are below kHitEffects, which every status of
// P_BULLET (32 directions) and of P_SPRITY object 0 holds.

// --------------------------------------------------------------- sounds
// Only names the sound generator writes (sound_names.h): its sounds for the
// tables, and the big explosion of its fixed list.
inline constexpr const char* kSoundGun = kFireSounds[0];
inline constexpr const char* kSoundCannon = kFireSounds[1];
inline constexpr const char* kSoundLaser = kFireSounds[2];
inline constexpr const char* kSoundRocket = kFireSounds[3];
inline constexpr const char* kSoundHit = kHitSounds[0];
inline constexpr const char* kSoundBlast = kHitSounds[1];
inline constexpr const char* kSoundSpark = kHitSounds[2];
inline constexpr const char* kSoundCrash = kBreakSounds[0];
inline constexpr const char* kSoundGlass = kBreakSounds[1];
inline constexpr const char* kSoundTimber = kBreakSounds[2];
inline constexpr const char* kSoundBigBoom = "WAV\\BIGBOOM.WAV";

// ------------------------------------------------------------- the rows

// Thing kinds: the P_THING objects. Kinds 10 to 14 are the mission targets.
struct ThingKind {
    const char* name;       // for the pack generator's drawing
    int32_t life;
    int32_t pushable;
    int32_t breakEffect;    // lBreakObject
    const char* breakSound; // one of the data set's sounds
    int32_t frames;         // frames of its one direction
};
inline constexpr std::array<ThingKind, 15> kThingKinds{{
    {"crate", 60, 1, kHitDebris, kSoundTimber, 1},
    {"barrel", 40, 1, kHitBlast, kSoundBigBoom, 1},
    {"fuel drum", 40, 0, kHitFire, kSoundBigBoom, 1},
    {"sandbags", 200, 0, kHitSmoke, kSoundCrash, 1},
    {"supply box", 80, 1, kHitDebris, kSoundTimber, 1},
    {"fuel tank", 300, 0, kHitBigBlast, kSoundBigBoom, 1},
    {"generator", 400, 0, kHitShock, kSoundCrash, 4},
    {"radar dish", 350, 0, kHitBlast, kSoundGlass, 8},
    {"antenna", 250, 0, kHitShock, kSoundCrash, 2},
    {"fence", 100, 0, kHitDebris, kSoundTimber, 1},
    {"power plant", 900, 0, kHitBigBlast, kSoundBigBoom, 4},       // key 59
    {"fuel depot", 400, 0, kHitBigBlast, kSoundBigBoom, 1},        // key 88
    {"signal tower", 500, 0, kHitBigBlast, kSoundBigBoom, 4},      // key 97
    {"command post", 800, 0, kHitBigBlast, kSoundBigBoom, 2},      // key 124
    {"missile launcher", 350, 0, kHitBigBlast, kSoundBigBoom, 2},  // key 152
}};

// A thing's frame delay: slower for the animated ones.
constexpr int32_t ThingFrameDelay(int32_t kind) {
    return kThingKinds[static_cast<size_t>(kind)].frames > 1 ? 120 : 50;
}

// Thing rows with a key: 0 .. kThingRowsUsed - 1 (row kThingRowsUsed holds
// -1 and ends the table). Missions place things by these keys.
inline constexpr int32_t kThingRowsUsed = 160;

// The thing keys the mission objectives test, and their kinds.
inline constexpr int32_t kThingKeyPowerPlant = 59;
inline constexpr int32_t kThingKeyFuelDepot = 88;
inline constexpr int32_t kThingKeySignalTower = 97;
inline constexpr int32_t kThingKeyCommandPost = 124;
inline constexpr int32_t kThingKeyMissileLauncher = 152;

// The kind (P_THING object) of a thing row.
constexpr int32_t ThingKindOfRow(int32_t row) {
    switch (row) {
    case kThingKeyPowerPlant: return 10;
    case kThingKeyFuelDepot: return 11;
    case kThingKeySignalTower: return 12;
    case kThingKeyCommandPost: return 13;
    case kThingKeyMissileLauncher: return 14;
    default: return row % 10;
    }
}

// Enemy rows, in key order: P_ENEMY object k is row k.
struct EnemyKind {
    const char* name;
    int32_t statuses;   // 2, or 3 with a second attack
    int32_t stationary; // turrets
};
inline constexpr std::array<EnemyKind, 10> kEnemyKinds{{
    {"rifleman", 2, 0},
    {"armoured tank", 3, 0}, // key 1: a mission target
    {"scout", 2, 0},
    {"grenadier", 2, 0},
    {"gun turret", 2, 1},
    {"rocket trooper", 3, 0},
    {"flame trooper", 2, 0},
    {"walker", 3, 0},
    {"missile turret", 2, 1},
    {"heavy gunner", 2, 0},
}};
inline constexpr int32_t kEnemyKeyTank = 1;

// Animal rows: P_ANIMAL object k is row k.
inline constexpr std::array<const char*, 4> kAnimalKinds{{"deer", "boar", "rabbit", "bird"}};

// Bullet rows with a key: 0 .. kBulletRowsUsed - 1; every row in that range
// is a usable bullet (the weapons, enemies, mines, volleys and splits only
// name rows below it).
inline constexpr int32_t kBulletRowsUsed = 52;

// ------------------------------------------------------------ buildings

// The packs the mission files name for their buildings. Every kind is one
// object of its pack with one status of one direction; the direction's
// footprint is a diamond of the given half sizes around the canvas anchor,
// so its anchor mark (the bottom corner) lies footHalfH below the middle of
// the diamond. A building stands on its footprint; the occupancy grid blocks
// the cells under it.
struct BuildingKind {
    const char* packStr;
    const char* packImg;
    int32_t object;
    const char* name; // for the pack generator's drawing
    int32_t footHalfW, footHalfH;
    int32_t height; // of its walls, in pixels
    int32_t frames;
};
inline constexpr const char* kHousePackStr = "P_HOUSE\\P_HOUSE.STR";
inline constexpr const char* kHousePackImg = "P_HOUSE\\P_HOUSE.IMG";
inline constexpr const char* kTowerPackStr = "P_TOWER\\P_TOWER.STR";
inline constexpr const char* kTowerPackImg = "P_TOWER\\P_TOWER.IMG";
inline constexpr const char* kWallPackStr = "P_WALL\\P_WALL.STR";
inline constexpr const char* kWallPackImg = "P_WALL\\P_WALL.IMG";
enum BuildingKindIndex : int32_t {
    kCottage,
    kHall,
    kBarn,
    kWatchTower,
    kSilo,
    kWalledYard,
    kRuinedWall,
    kBuildingKindCount
};
inline constexpr std::array<BuildingKind, kBuildingKindCount> kBuildingKinds{{
    {kHousePackStr, kHousePackImg, 0, "cottage", 72, 36, 56, 1},
    {kHousePackStr, kHousePackImg, 1, "hall", 88, 44, 72, 1},
    {kHousePackStr, kHousePackImg, 2, "barn", 80, 40, 64, 1},
    {kTowerPackStr, kTowerPackImg, 0, "watch tower", 36, 18, 150, 4},
    {kTowerPackStr, kTowerPackImg, 1, "silo", 44, 22, 110, 1},
    {kWallPackStr, kWallPackImg, 0, "walled yard", 88, 44, 30, 1},
    {kWallPackStr, kWallPackImg, 1, "ruined wall", 80, 40, 44, 1},
}};

} // namespace datagen::content
