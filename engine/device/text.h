#pragma once
#include <cstdint>

// The window's text settings in one of two schemes: light on dark or dark on
// light. Every window sets one up; the game draws all its text with the
// bitmap fonts, so nothing is written with these settings.
class sc_Text {
public:
    static constexpr uint32_t kWhite = 0xFFFFFF;
    static constexpr uint32_t kDark = 0x0A121A; // 0x00BBGGRR

    sc_Text() = default;
    virtual ~sc_Text() = default;

    void vInit(uint32_t window, int32_t dark);
    int32_t lSetDark(int32_t dark);
    int32_t lSetColor(uint32_t text, uint32_t background, int32_t transparent);
    int32_t lSetBkMode(int32_t transparent);

    int32_t bIsDark() const { return m_lDark; }
    uint32_t lGetTextColor() const { return m_lTextColor; }
    // The background behind text: none, or an opaque colour.
    bool bIsTransparent() const { return m_bTransparent; }
    uint32_t lGetBkColor() const { return m_lBkColor; }

private:
    uint32_t m_lTextColor = 0;
    uint32_t m_lBackColor = 0;
    int32_t m_lDark = 0;
    uint32_t m_hWindow = 0;
    // The window keeps these between uses.
    bool m_bTransparent = false;
    uint32_t m_lBkColor = kWhite;
};
