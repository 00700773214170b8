#include "game/scene.h"

#include "engine/device/dir_surface.h"
#include "engine/device/frame_time.h"
#include "engine/device/mouse.h"
#include "game/work.h"
#include "platform/clock.h"
#include "platform/input.h"
#include "platform/random.h"

sc_Scene::sc_Scene() {
    lState = 0;
    bHost = 0;
}

sc_Scene::~sc_Scene() = default;

void sc_Scene::vMain() {
    switch (lState) {
    case kStateStart:
        vStart();
        break;
    default:
        break;
    }
    vTail();
}

void sc_Scene::vStart() {
    plat::SeedRandom(plat::TickCount());
    lFrameRate = lFrameCount = lFrameRateTime = lEndTime = 0;
    bRecording = bMoviePlaying = bFireBlocked = bAfterMission = 0;
    oDirKey.bInit(0, g_pWork ? g_pWork->pGetHwnd() : 0);
    lState = kStateTourMovie;
}

void sc_Scene::vTail() {
    ++lFrameCount;
    if (lFrameRateTime < g_lNowTick) {
        lFrameRateTime = g_lNowTick + 1000;
        lFrameRate = lFrameCount;
        lFrameCount = 0;
    }
    if (!bRecording && g_pDirKey && g_pDirKey->bGetKeyState(plat::key::F7) && g_pTextSurface) {
        sc_DirSurface& t = *g_pTextSurface;
        t.vShowString(20, 20, "Frame: ", g_oScreenSize.x, g_oScreenSize.y, g_pWorkBuffer);
        t.vShowNumber(100, 20, lFrameRate, g_oScreenSize.x, g_oScreenSize.y, g_pWorkBuffer);
        t.vShowString(20, 40, "Mouse_X: ", g_oScreenSize.x, g_oScreenSize.y, g_pWorkBuffer);
        t.vShowNumber(100, 40, g_oMousePoint.x, g_oScreenSize.x, g_oScreenSize.y, g_pWorkBuffer);
        t.vShowString(20, 60, "Mouse_Y: ", g_oScreenSize.x, g_oScreenSize.y, g_pWorkBuffer);
        t.vShowNumber(100, 60, g_oMousePoint.y, g_oScreenSize.x, g_oScreenSize.y, g_pWorkBuffer);
    }
}
