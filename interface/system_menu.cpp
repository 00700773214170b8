#include "interface/system_menu.h"

sc_InterFaceSystem* g_pInterFaceSystem = nullptr;

sc_InterFaceSystem::sc_InterFaceSystem() { g_pInterFaceSystem = this; }

sc_InterFaceSystem::~sc_InterFaceSystem() {
    vFree();
    if (g_pInterFaceSystem == this) g_pInterFaceSystem = nullptr;
}

void sc_InterFaceSystem::vLoad(sc_Form* pForm) {
    vFree();
    m_pForm = pForm;
}
