#pragma once
#include <cstdint>

#include "engine/base/point.h"
#include "engine/base/rect.h"
#include "engine/device/direct2d.h"
#include "engine/device/dir_key.h"
#include "engine/device/window.h"
#include "game/scene.h"

class sc_DirSurface;

// The application object: the main window and the display in one, holding
// the scene. The window's idle hook runs one frame of the display, whose
// callbacks are the scene's input hook and game flow.
class sc_Work : public sc_Window, public sc_Direct2D {
public:
    static constexpr int32_t kFrameSkipBlockSize = 2000;

    sc_Work();
    ~sc_Work() override;

    int32_t bOnCreate(WindowHandle window) override;
    void vOnIdle() override;
    void vControl() override;
    void vShow() override;

    // Answers whether this frame should be drawn when frames are skipped.
    int32_t bFrameSkip();
    // Two members kept for the application's users; they do nothing.
    void vSpareA() {}
    void vSpareB() {}
    // The display's rectangle (0, 0, width, height) into the caller's
    // 16 bytes; all zero before the display is set up.
    void vGetScreenRect(ss_PlainRect* pOut) const;

    sc_Scene oScene;

private:
    int32_t m_lFrameSkipCounter = 0;
};

extern sc_Work* g_pWork;
extern sc_DirSurface* g_pWorkSurface;
extern sc_DirSurface* g_pTextSurface;
extern uint16_t* g_pWorkBuffer;
extern sc_KeyControl g_oKeyControl;
extern uint8_t g_aFrameSkipBlock[sc_Work::kFrameSkipBlockSize];
