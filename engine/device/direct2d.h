#pragma once
#include <cstdint>

#include "engine/base/point.h"

class sc_DirSurface;

// The display and the frame. vFrame stamps the frame time, runs the input
// callback, locks the listed surfaces, runs the draw callback, unlocks and
// presents them.
class sc_Direct2D {
public:
    sc_Direct2D();
    virtual ~sc_Direct2D();

    virtual void vControl() {}
    virtual void vShow() {}

    int32_t bInit(uintptr_t window, int32_t width, int32_t height, int8_t bits, int32_t rate);
    void vRelease();
    void vFrame();
    void vPresent();
    // Null when the surface cannot be made. A negative size takes the
    // screen's; an id of 0 or less takes the next id.
    sc_DirSurface* pCreateSurface(int32_t width, int32_t height, int32_t id);
    sc_DirSurface* pCreateTextSurface(int32_t height, int32_t charset);
    void vLockAll();
    void vUnlockAll();

    int8_t cGetBits() const { return m_cBits; }
    int32_t bIsOpen() const { return m_bOpen; }
    const sc_Point& oGetScreenSize() const { return m_oScreenSize; }
    int32_t lGetFramePeriod() const { return m_lFramePeriod; }
    sc_DirSurface* pGetSurfaces() const { return m_pSurfaces; }

    // While the pointed-to flag is non-zero a movie owns the screen and
    // frames are not presented.
    void vSetMovieFlag(const int32_t* flag) { m_pMovieFlag = flag; }

private:
    void vAddToList(sc_DirSurface* surface);

    int32_t m_bOpen = 0;
    int32_t m_lFramePeriod = 30;
    int32_t m_lSpare = 0;
    sc_Point m_oScreenSize;
    int8_t m_cBits = 16;
    int32_t m_lLastId = 0;
    sc_DirSurface* m_pSurfaces = nullptr;
    const int32_t* m_pMovieFlag = nullptr;
};

extern sc_Direct2D* g_pDirect2D;
// The screen size the game measures from: (800, 600) once the display is up.
extern sc_Point g_oScreenSize;
