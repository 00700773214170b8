#include "interface/menus.h"

#include <algorithm>

#include "engine/device/dir_surface.h"
#include "game/work.h"
#include "interface/form.h"

sc_InterFace* g_pInterFace = nullptr;

sc_InterFace::sc_InterFace() {
    g_pInterFace = this;
}

sc_InterFace::~sc_InterFace() {
    if (g_pInterFace == this) g_pInterFace = nullptr;
}

void sc_InterFace::vLoad(int32_t bAfterMission) {
    lScreen = bAfterMission ? 1 : 0;
    bNetStart = 0;
}

int32_t sc_InterFace::bShow() {
    // Every screen covers the whole picture, so nothing of the last frame
    // (the cursor above all) stays behind.
    if (g_pWorkBuffer && g_pWorkSurface)
        std::fill_n(g_pWorkBuffer,
                    static_cast<size_t>(g_pWorkSurface->lGetWidth()) * g_pWorkSurface->lGetHeight(),
                    uint16_t{0});
    return lScreen == kScreenStart ? 1 : 0;
}

void sc_InterFace::vSetFormPoints() {
    if (!g_pForm) return;
    const int32_t mission = g_pForm->lMission;
    g_pForm->lPointUsed = sc_Form::kPointFloor;
    g_pForm->lPointLimit = mission <= 5 ? 40 + 5 * std::max(mission, 0) : 70;
}
