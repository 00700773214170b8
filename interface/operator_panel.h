#pragma once
#include <cstdint>

class sc_Form;

// The in-game panel drawn over the map in every play frame: meters, radar,
// target arrow, money and the orders for sale.
//
// Until the panel is built it draws nothing.
class sc_InterFaceOperator {
public:
    sc_InterFaceOperator();
    virtual ~sc_InterFaceOperator();
    sc_InterFaceOperator(const sc_InterFaceOperator&) = delete;
    sc_InterFaceOperator& operator=(const sc_InterFaceOperator&) = delete;

    void vLoad(sc_Form* pForm);
    void vFree() {}
    void vShow() {}
    // A map position as a dot on the radar.
    void vShowRadarPoint(int32_t, int32_t, int32_t) {}

    sc_Form* pGetForm() const { return m_pForm; }

private:
    sc_Form* m_pForm = nullptr;
};

// The shortcut characters and enemies use for their radar dots.
void v_ShowRadarPoint(int32_t x, int32_t y, int32_t lColour);

extern sc_InterFaceOperator* g_pInterFaceOperator;
