#include "game/all_string.h"

void sc_AllString::vLoad(const char* pName) {
    if (!pName) return;
    vClear();
}

const char* sc_AllString::pGetString(int32_t, int32_t) const { return nullptr; }
