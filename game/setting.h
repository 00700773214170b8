#pragma once
#include <cstdint>

#include "engine/base/point.h"

// What a mission file places on the map: buildings, things, enemies,
// animals, the occupancy grid and the players' start points.
//
// Until the mission file is read this places nothing.
class sc_Setting {
public:
    static constexpr int32_t kStartPoints = 8;

    sc_Setting() = default;
    virtual ~sc_Setting() { vClear(); }
    sc_Setting(const sc_Setting&) = delete;
    sc_Setting& operator=(const sc_Setting&) = delete;

    void vClear() {}
    void vInit(sc_Point* pViewPoint);
    // The buildings enter the show list.
    void vShow() {}
    // 0 for a null name or a file that does not open.
    int32_t bLoad(const char* pName);
    // Writes the mission file; null writes nothing.
    void vSave(const char* pName);

    sc_Point* pGetView() const { return m_pView; }

    sc_Point oStartPoint[kStartPoints];

private:
    sc_Point* m_pView = nullptr;
};
