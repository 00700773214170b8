#include "game/background.h"

int32_t sc_Background::bLoad(const char* pName) { return pName ? 1 : 0; }
