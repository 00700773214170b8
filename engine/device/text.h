#pragma once
#include <cstdint>

#include "platform/window.h"

// Text written straight onto a window in one of two schemes: light on dark or
// dark on light. The game draws its text elsewhere; every window sets one up.
class sc_Text {
public:
    static constexpr uint32_t kWhite = 0xFFFFFF;
    static constexpr uint32_t kDark = 0x0A121A; // 0x00BBGGRR

    sc_Text() = default;
    virtual ~sc_Text() = default;

    void vInit(plat::WindowHandle window, int32_t dark);
    int32_t lSetDark(int32_t dark);
    int32_t lSetColor(uint32_t text, uint32_t background, int32_t transparent);
    int32_t lSetBkMode(int32_t transparent);
    int32_t lTextOut(int32_t x, int32_t y, const char* text);
    int32_t lNumberOut(int32_t x, int32_t y, int32_t number);

    int32_t bIsDark() const { return m_lDark; }
    uint32_t lGetTextColor() const { return m_lTextColor; }

private:
    uint32_t m_lTextColor = 0;
    uint32_t m_lBackColor = 0;
    int32_t m_lDark = 0;
    plat::WindowHandle m_hWindow = 0;
};
