#include "game/gate.h"

#include "engine/device/dir_key.h"
#include "platform/input.h"

sc_Gate* g_pGate = nullptr;

sc_Gate::sc_Gate() {
    g_pGate = this;
    oMissionFile.vSet(kDefaultMission);
}

sc_Gate::~sc_Gate() {
    vResetSlot();
    if (g_pGate == this) g_pGate = nullptr;
}

int32_t sc_Gate::bMissionEnd() {
    if (g_pDirKey && g_pDirKey->bGetKeyState(plat::key::F5)) return 1;
    return 0;
}

void sc_Gate::vSave(const char*, int32_t) {}
