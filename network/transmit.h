#pragma once
#include <cstdint>

// The record buffer of network battles: packs one frame's game records into
// a message, sends it and hands received records to their families.
//
// Until the battle's session is wired in nothing is sent or received:
// appended records are dropped.
class sc_Transmit {
public:
    sc_Transmit();
    virtual ~sc_Transmit();
    sc_Transmit(const sc_Transmit&) = delete;
    sc_Transmit& operator=(const sc_Transmit&) = delete;

    // At most one message a frame, applied before anything moves.
    void vReceive();
    // Appends bytes of a record to the waiting message.
    void vAddRecord(const void* pBytes, uint32_t lCount);
    // Sends the waiting records to a player or group, if any wait.
    void vFlush(uint32_t lTo);
};

extern sc_Transmit* g_pTransmit;
