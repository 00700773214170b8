#include "interface/loading.h"

sc_Loading* g_pLoading = nullptr;

sc_Loading::sc_Loading() { g_pLoading = this; }

sc_Loading::~sc_Loading() {
    vFree();
    if (g_pLoading == this) g_pLoading = nullptr;
}

void sc_Loading::vSetPercent(int32_t lNewPercent) {
    if (lNewPercent < 1 || lNewPercent > 99) return;
    lPercent = lNewPercent;
}
