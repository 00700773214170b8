#include "game/attrib.h"

sc_Attrib* g_pAttrib = nullptr;

sc_Attrib::sc_Attrib() { g_pAttrib = this; }

sc_Attrib::~sc_Attrib() {
    vClear();
    if (g_pAttrib == this) g_pAttrib = nullptr;
}

void sc_Attrib::vClear() {}
void sc_Attrib::vLoad() { vClear(); }
