#include "engine/device/text.h"

void sc_Text::vInit(uint32_t window, int32_t dark) {
    m_hWindow = window;
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
    if (!m_hWindow) return 0;
    m_bTransparent = transparent != 0;
    // The opaque background is black or white by scheme, not the stored colour.
    if (!transparent) m_lBkColor = m_lDark ? 0 : kWhite;
    return 1;
}
