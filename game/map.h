#pragma once
#include <cstdint>

#include "engine/base/point.h"
#include "game/background.h"
#include "game/map_sort.h"
#include "game/setting.h"

// The world of one mission: the view point (the map coordinate at the
// screen's top-left pixel), the ground, the show list and the placed
// content, which all keep a pointer to that one view point.
class sc_Map {
public:
    sc_Map();
    virtual ~sc_Map();
    sc_Map(const sc_Map&) = delete;
    sc_Map& operator=(const sc_Map&) = delete;

    void vClear() {}
    void vInit();
    // A mission file such as "MAP\wrd02001.BUD": its ground (the map named
    // by the ".STR" form of the name), then its placed content. Null does
    // nothing.
    void vLoad(const char* pName);
    // The ground, the placed content, the show list. The mission frame
    // calls the three itself, with the object passes between them.
    void vShow();
    // The mission file's writer; null does nothing.
    void vSave(const char* pName);

    sc_Point oViewPoint;
    sc_Background oBackground;
    sc_MapSort oMapSort;
    sc_Setting oSetting;
};

extern sc_Map* g_pMap;
