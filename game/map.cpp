#include "game/map.h"

sc_Map* g_pMap = nullptr;

sc_Map::sc_Map() { g_pMap = this; }

sc_Map::~sc_Map() {
    if (g_pMap == this) g_pMap = nullptr;
}

void sc_Map::vInit() {
    vClear();
    oBackground.vInit(&oViewPoint);
    oMapSort.vInit(&oViewPoint);
    oSetting.vInit(&oViewPoint);
}

void sc_Map::vLoad(const char* pName) {
    if (!pName) return;
    vClear();
}
