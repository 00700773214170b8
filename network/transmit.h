#pragma once
#include <cstdint>

// The record buffer of network battles: packs one frame's game records into
// a message, sends it and hands received records to their families.
//
// Until the records exist nothing is sent or received.
class sc_Transmit {
public:
    sc_Transmit();
    virtual ~sc_Transmit();
    sc_Transmit(const sc_Transmit&) = delete;
    sc_Transmit& operator=(const sc_Transmit&) = delete;

    // At most one message a frame, applied before anything moves.
    void vReceive();
};

extern sc_Transmit* g_pTransmit;
