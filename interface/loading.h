#pragma once
#include <cstdint>

// The loading picture with its progress bar, shown while a mission or a
// battle loads inside one frame and faded out over the first frames of play.
//
// Until the picture is built it shows nothing.
class sc_Loading {
public:
    sc_Loading();
    virtual ~sc_Loading();
    sc_Loading(const sc_Loading&) = delete;
    sc_Loading& operator=(const sc_Loading&) = delete;

    void vLoad() {}
    void vFree() { lPercent = 0; }
    // 1..99; other values change nothing.
    void vSetPercent(int32_t lNewPercent);
    void vFinish() {}
    // Every play frame.
    void vCountDown() {}

    int32_t lPercent = 0;
};

extern sc_Loading* g_pLoading;
