#pragma once
#include <cstdint>

class sc_Form;

// The system menu that Escape opens during play (resume, volume, abandon,
// quit) and the pictures shown when a mission or a battle ends.
//
// Until the menu is built nothing is ever chosen and nothing is drawn.
class sc_InterFaceSystem {
public:
    enum : int32_t { kNothing = -1, kResume = 0, kVolume = 1, kAbandon = 2, kQuit = 3 };

    sc_InterFaceSystem();
    virtual ~sc_InterFaceSystem();
    sc_InterFaceSystem(const sc_InterFaceSystem&) = delete;
    sc_InterFaceSystem& operator=(const sc_InterFaceSystem&) = delete;

    void vLoad(sc_Form* pForm);
    void vFree() {}
    // What was chosen this frame.
    int32_t lShow() { return kNothing; }
    void vShowBackground() {}
    void vShowMissionComplete() {}
    void vShowMissionFailure() {}

    sc_Form* pGetForm() const { return m_pForm; }

private:
    sc_Form* m_pForm = nullptr;
};

extern sc_InterFaceSystem* g_pInterFaceSystem;
