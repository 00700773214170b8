#include "interface/form.h"

sc_Form* g_pForm = nullptr;

sc_Form::sc_Form() { g_pForm = this; }

sc_Form::~sc_Form() {
    if (g_pForm == this) g_pForm = nullptr;
}
