#include "game/background.h"

#include <cstdlib>
#include <cstring>

#include "engine/device/dir_surface.h"
#include "game/work.h"
#include "tile2d/map_image.h"

void sc_Background::vInit(sc_Point* pViewPoint) {
    // Without a work surface the layer gets an empty one and draws nothing,
    // rather than into whatever surface it was given last.
    const sc_DirSurface* s = g_pWorkSurface;
    vInit(pViewPoint, s ? s->pGetBuffer() : nullptr, s ? s->lGetWidth() : 0, s ? s->lGetHeight() : 0);
}

void sc_Background::vInit(sc_Point* pViewPoint, uint16_t* pPixels, int32_t lWidth, int32_t lHeight) {
    m_pView = pViewPoint;
    if (!pPixels || lWidth <= 0 || lHeight <= 0 || lWidth > 0xFFFF || lHeight > 0xFFFF) pPixels = nullptr;
    const auto w = static_cast<uint16_t>(pPixels ? lWidth : 0),
               h = static_cast<uint16_t>(pPixels ? lHeight : 0);
    l_InitMapImage(0, pPixels, w, h);
}

int16_t sc_Background::lMapNumber(const char* pName) {
    const size_t n = std::strlen(pName);
    const size_t end = n > 4 ? n - 4 : 0, start = end > 4 ? end - 4 : 0;
    char digits[5] = {};
    std::memcpy(digits, pName + start, end - start);
    return static_cast<int16_t>(std::atoi(digits));
}

int32_t sc_Background::bLoad(const char* pName) {
    if (!pName) return 0;
    l_LoadMapImage(static_cast<uint16_t>(lMapNumber(pName)));
    oMapSize.oSet(l_GetMapImageWidth(), l_GetMapImageHeight());
    return 1;
}

void sc_Background::vShow() {
    if (!m_pView) return;
    v_SetMapImageView(static_cast<uint32_t>(m_pView->x), static_cast<uint32_t>(m_pView->y));
    v_ShowMapImage();
}

void sc_Background::vFree() {
    m_pView = nullptr;
    l_FreeMapImage();
}
