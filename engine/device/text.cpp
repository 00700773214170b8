#include "engine/device/text.h"

#include <cstdio>

void sc_Text::vInit(plat::WindowHandle window, int32_t dark) {
    m_hWindow = window;
    if (plat::TextContext* dc = plat::GetTextContext(window)) dc->align = 0;
    lSetDark(dark);
}

int32_t sc_Text::lSetDark(int32_t dark) {
    m_lDark = dark;
    return dark ? lSetColor(kWhite, kDark, 1) : lSetColor(kDark, kWhite, 1);
}

int32_t sc_Text::lSetColor(uint32_t text, uint32_t background, int32_t transparent) {
    m_lTextColor = text;
    m_lBackColor = background;
    return lSetBkMode(transparent);
}

int32_t sc_Text::lSetBkMode(int32_t transparent) {
    plat::TextContext* dc = plat::GetTextContext(m_hWindow);
    if (!dc) return 0;
    if (transparent) {
        dc->transparent = true;
    } else {
        // The opaque background is black or white by scheme, not the stored colour.
        dc->backgroundColor = m_lDark ? 0 : kWhite;
        dc->transparent = false;
    }
    return 1;
}

int32_t sc_Text::lTextOut(int32_t x, int32_t y, const char* text) {
    plat::TextContext* dc = plat::GetTextContext(m_hWindow);
    if (!dc || !text) return 0;
    dc->textColor = m_lTextColor;
    return plat::TextOut(m_hWindow, x, y, text) ? 1 : 0;
}

int32_t sc_Text::lNumberOut(int32_t x, int32_t y, int32_t number) {
    char buf[16];
    std::snprintf(buf, sizeof buf, "%d", number);
    return lTextOut(x, y, buf);
}
