#pragma once
#include <cstdint>

#include "engine/base/point.h"

// The ground of the mission under the view point.
//
// Until the ground is wired in this loads and draws nothing.
class sc_Background {
public:
    sc_Background() = default;
    virtual ~sc_Background() { vFree(); }
    sc_Background(const sc_Background&) = delete;
    sc_Background& operator=(const sc_Background&) = delete;

    void vInit(sc_Point* pViewPoint) { m_pView = pViewPoint; }
    // 0 for a null name.
    int32_t bLoad(const char* pName);
    void vShow() {}
    void vFree() { m_pView = nullptr; }

    sc_Point* pGetView() const { return m_pView; }

    // The ground map's size in map pixels; (0, 0) before a load.
    sc_Point oMapSize;

private:
    sc_Point* m_pView = nullptr;
};
