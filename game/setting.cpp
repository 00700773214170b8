#include "game/setting.h"

void sc_Setting::vInit(sc_Point* pViewPoint) {
    vClear();
    m_pView = pViewPoint;
}

int32_t sc_Setting::bLoad(const char*) { return 0; }

void sc_Setting::vSave(const char*) {}
