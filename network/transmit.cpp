#include "network/transmit.h"

sc_Transmit* g_pTransmit = nullptr;

sc_Transmit::sc_Transmit() { g_pTransmit = this; }

sc_Transmit::~sc_Transmit() {
    if (g_pTransmit == this) g_pTransmit = nullptr;
}

void sc_Transmit::vReceive() {}

void sc_Transmit::vAddRecord(const void*, uint32_t) {}

void sc_Transmit::vFlush(uint32_t) {}
