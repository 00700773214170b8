#pragma once
#include <cstdint>

#include "engine/device/dir_key.h"

// The game container and its per-frame state machine. Members join as their
// subsystems are built; states without a step yet run nothing.
class sc_Scene {
public:
    enum : int32_t { kStateStart = 0, kStateTourMovie = 128 };

    sc_Scene();
    virtual ~sc_Scene();

    void vInit() { lState = kStateStart; }
    void vControl() {}
    void vMain();

    int32_t lState = 0;
    int32_t bNetwork = 0;
    int32_t bHost = 0;
    int32_t bMoviePlaying = 0;
    int32_t bFireBlocked = 0;
    int32_t lFrameRate = 0;
    int32_t lFrameCount = 0;
    int32_t lFrameRateTime = 0;
    int32_t bRecording = 0;
    sc_DirKey oDirKey;
    int32_t lEndTime = 0;
    int32_t bAfterMission = 0;

private:
    void vStart();
    void vTail();
};
