#include "game/work.h"

#include <cstring>

#include "engine/device/dir_surface.h"
#include "engine/device/mouse.h"
#include "platform/clock.h"
#include "platform/input.h"
#include "platform/random.h"

sc_Work* g_pWork = nullptr;
sc_DirSurface* g_pWorkSurface = nullptr;
sc_DirSurface* g_pTextSurface = nullptr;
uint16_t* g_pWorkBuffer = nullptr;
sc_KeyControl g_oKeyControl;
uint8_t g_aFrameSkipBlock[sc_Work::kFrameSkipBlockSize] = {};

sc_Work::sc_Work() {
    g_pWork = this;
    std::memset(g_aFrameSkipBlock, 0, sizeof g_aFrameSkipBlock);
    plat::SeedRandom(plat::TickCount());
    vSetMovieFlag(&oScene.bMoviePlaying);
}

sc_Work::~sc_Work() {
    // The surfaces die with the display below; forget them first.
    g_pWorkSurface = g_pTextSurface = nullptr;
    g_pWorkBuffer = nullptr;
    if (g_pWork == this) g_pWork = nullptr;
}

int32_t sc_Work::bOnCreate(WindowHandle window) {
    // The log opens before the display: the fonts load with the first
    // surface, and a font refused there belongs in DEBUG.TXT too.
    oScene.oDebug.vOpen(sc_Scene::kDebugLog);
    if (!bInit(window, 800, 600, 16, 100)) return 0;
    g_pWorkSurface = pCreateSurface(800, 600, -1);
    if (!g_pWorkSurface) return 0;
    g_oScreenSize.oSet(g_pWorkSurface->lGetWidth(), g_pWorkSurface->lGetHeight());
    g_pTextSurface = pCreateTextSurface(12, 1);
    if (!g_pTextSurface) return 0;
    // The buttons' press times belong to the clock of the program that set
    // them: one made again in the same process (as tests do) would read its
    // first click as a double click.
    g_oGameMouse.vReset();
    oScene.vInit();
    return 1;
}

void sc_Work::vOnIdle() { vFrame(); }

void sc_Work::vControl() {
    g_oKeyControl.vUpdate();
    if (g_pDirKey && g_pDirKey->bGetKeyState(plat::key::F6)) b_PostClose(pGetHwnd());
    g_oGameMouse.lUpdateDirection();
    oScene.vControl();
}

void sc_Work::vShow() {
    g_pWorkBuffer = g_pWorkSurface ? g_pWorkSurface->pGetBuffer() : nullptr;
    oScene.vMain();
}

void sc_Work::vGetScreenRect(ss_PlainRect* pOut) const {
    if (!pOut) return;
    const sc_Point& size = oGetScreenSize();
    *pOut = ss_PlainRect{0, 0, size.x, size.y};
}

int32_t sc_Work::bFrameSkip() {
    int32_t word;
    std::memcpy(&word, g_aFrameSkipBlock + kFrameSkipBlockSize - 4, 4);
    if (word % 2 == 0) return 1;
    return (m_lFrameSkipCounter++ % 8) == 0;
}
