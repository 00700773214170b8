#include "game/map.h"

#include <cstring>

#include "interface/loading.h"

sc_Map* g_pMap = nullptr;

sc_Map::sc_Map() {
    g_pMap = this;
}

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
    // The ground's name: the mission file's with "STR" for its last three
    // characters, cut to 127 first.
    char ground[128] = {};
    std::strncpy(ground, pName, sizeof ground - 1);
    const size_t n = std::strlen(ground);
    if (n >= 3) std::memcpy(ground + n - 3, "STR", 3);
    oBackground.bLoad(ground);
    if (g_pLoading) g_pLoading->vSetPercent(30);
    oSetting.bLoad(pName);
}

void sc_Map::vShow() {
    oBackground.vShow();
    oSetting.vShow();
    oMapSort.vShow();
}

void sc_Map::vSave(const char* pName) {
    if (pName) oSetting.vSave(pName);
}
