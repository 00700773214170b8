#pragma once
#include <cstdint>

#include "engine/base/point.h"

// The ground of the mission under the view point: the object face of the
// map image layer. The layer itself is one global instance; the scene's map
// holds the only background.
class sc_Background {
public:
    sc_Background() = default;
    virtual ~sc_Background() { vFree(); }
    sc_Background(const sc_Background&) = delete;
    sc_Background& operator=(const sc_Background&) = delete;

    // Keeps the view point and sets the layer up on the work surface (its
    // memory never moves, so the pointer taken now stays good).
    void vInit(sc_Point* pViewPoint);
    // The same on any surface of width x height pixels, pitch = width.
    void vInit(sc_Point* pViewPoint, uint16_t* pPixels, int32_t lWidth, int32_t lHeight);
    // Loads the ground map the name names (see lMapNumber) and takes its
    // size. 0 for a null name, else 1 whatever the layer found.
    int32_t bLoad(const char* pName);
    // Draws the ground under the view point; nothing without one.
    void vShow();
    void vFree();

    sc_Point* pGetView() const { return m_pView; }

    // The ground map number in a name: the text of the four characters
    // before the last four ("MAP\wrd02001.STR" names 2001), read as a decimal
    // number up to the first non-digit. A name of fewer than eight
    // characters gives what stands before its last four, none giving 0.
    static int16_t lMapNumber(const char* pName);

    // The ground map's size in map pixels; (0, 0) before a load.
    sc_Point oMapSize;

private:
    sc_Point* m_pView = nullptr;
};
