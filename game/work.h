#pragma once
#include <cstdint>

#include "engine/base/point.h"
#include "engine/platform/window.h"

// The application object: the main window, the display and the scene in one.
// The window's idle hook runs one frame.
class sc_Work : public sc_Window {
public:
    static constexpr int32_t kFrameSkipBlockSize = 2000;

    sc_Work();
    ~sc_Work() override;

    int32_t bOnCreate(plat::WindowHandle window) override;
    void vOnIdle() override;

    // Answers whether this frame should be drawn when frames are skipped.
    int32_t bFrameSkip();

private:
    int32_t m_lFrameSkipCounter = 0;
};

extern sc_Work* g_pWork;
extern sc_Point g_oScreenSize;
extern uint8_t g_aFrameSkipBlock[sc_Work::kFrameSkipBlockSize];
