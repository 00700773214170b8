#pragma once
#include <cstddef>
#include <cstdint>

#include "engine/base/point.h"
#include "game/map_locate.h"
#include "objects/animal.h"
#include "objects/building.h"
#include "objects/enemy.h"
#include "objects/thing.h"

class sc_ByteReader;
class sc_ByteWriter;

// What a mission file places on the map before play: buildings, things,
// enemies and animals, the occupancy grid and the players' start points
// (player i starts on point i).
//
// The mission file (".BUD"), little-endian, its sections one after another:
//   1. 8 start points, x then y, 4 bytes each;
//   2. the grid: in-file flag, file offset, width and height in cells,
//      origin x and y, has-cells flag (4 bytes each), then width x height
//      cell bytes row by row when the flag is set;
//   3. to 6. buildings, things, enemies, animals: each a 4-byte count, then
//      that many records of the family.
// A file is taken whole or not at all: a count larger than the bytes left,
// a record cut short or a thing row outside its table refuses it. An enemy
// or animal whose key lies outside its table is kept but never loads.
class sc_Setting {
public:
    static constexpr int32_t kStartPoints = 8;
    // A mission file holds at most this many bytes.
    static constexpr size_t kMaxFileBytes = size_t{8} << 20;

    // Start point i at (100 i + 100, 100).
    sc_Setting();
    virtual ~sc_Setting();
    sc_Setting(const sc_Setting&) = delete;
    sc_Setting& operator=(const sc_Setting&) = delete;

    // Empties the four families; the grid and the start points stay.
    void vClear();
    // vClear, then the grid and the families take the view.
    void vInit(sc_Point* pViewPoint);
    // The buildings enter the show list.
    void vShow();
    // Reads the named mission file and loads the pictures of what it
    // places, stepping the loading screen. 0 for a null name; 0 with the
    // content, the grid and the start points back to nothing and defaults
    // for a file that does not open or is refused.
    int32_t bLoad(const char* pName);
    // Writes the mission file anew (a longer old file leaves no tail);
    // nothing for a null name.
    void vSave(const char* pName) const;

    // The file's bytes, without pictures or loading screen; on refusal the
    // content, the grid and the start points are as after a failed bLoad.
    bool bRead(sc_ByteReader& in);
    void vWrite(sc_ByteWriter& out) const;

    sc_AllBuilding oAllBuilding;
    sc_AllThing oAllThing;
    sc_AllEnemy oAllEnemy;
    sc_AllAnimal oAllAnimal;
    sc_MapLocate oMapLocate;
    sc_Point oStartPoint[kStartPoints];

private:
    void vForget();
};
