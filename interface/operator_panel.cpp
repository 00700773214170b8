#include "interface/operator_panel.h"

sc_InterFaceOperator* g_pInterFaceOperator = nullptr;

sc_InterFaceOperator::sc_InterFaceOperator() { g_pInterFaceOperator = this; }

sc_InterFaceOperator::~sc_InterFaceOperator() {
    vFree();
    if (g_pInterFaceOperator == this) g_pInterFaceOperator = nullptr;
}

void sc_InterFaceOperator::vLoad(sc_Form* pForm) {
    vFree();
    m_pForm = pForm;
}

void v_ShowRadarPoint(int32_t x, int32_t y, int32_t lColour) {
    if (g_pInterFaceOperator) g_pInterFaceOperator->vShowRadarPoint(x, y, lColour);
}
