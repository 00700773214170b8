#include "engine/device/dir_surface.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

#include "engine/device/direct2d.h"
#include "engine/device/frame_parts.h"
#include "pagefont/draw_page.h"
#include "pagefont/font_writer.h"

sc_FontWriter g_oFontWriter;
sc_FontWriter g_oFontWriterAA;
int32_t g_bFontsLoaded = 0;

namespace {
// vShowString passes this colour on, but text takes the writer's own colour.
constexpr uint16_t kTextColor = 0x7FFF;
// A surface larger than this is refused rather than allocated.
constexpr int32_t kMaxSide = 8192;
} // namespace

sc_DirSurface::~sc_DirSurface() { vRelease(); }

int32_t sc_DirSurface::bCreate(sc_Direct2D* display, int32_t width, int32_t height, int32_t id) {
    m_oSize.oSet(width, height);
    g_pDirect2D = display;
    m_lId = id;
    if (!display || !display->bIsOpen() || width <= 0 || height <= 0 || width > kMaxSide || height > kMaxSide)
        return 0;
    m_lByteSize = width * height * (display->cGetBits() >> 3);
    m_pMemory = pAllocate(static_cast<size_t>(width) * height);
    return m_pMemory ? 1 : 0;
}

uint16_t* sc_DirSurface::pAllocate(size_t pixels) {
    m_aMemory.assign(pixels, 0);
    return m_aMemory.data();
}

void sc_DirSurface::vRelease() {
    m_pPixels = nullptr;
    m_pMemory = nullptr;
    m_aMemory.clear();
    m_aMemory.shrink_to_fit();
}

uint16_t* sc_DirSurface::pLock() {
    if (!m_pMemory) return nullptr;
    m_pPixels = m_pMemory;
    const int32_t pitch = m_oSize.x * 2;
    // Page 0 covers the screen's 800 x 600 but never more than the surface
    // holds, so text and page copies cannot run past a smaller surface.
    l_AttachPage(0, m_pPixels, pitch, std::min(800, m_oSize.x), std::min(600, m_oSize.y));
    m_lPitch = pitch;
    // The text writer draws into the page selected once; a surface made anew
    // (a second display in one process) must be selected again.
    static const uint16_t* s_pSelected = nullptr;
    if (g_bFontsLoaded && s_pSelected != m_pPixels) l_SelectPage(0);
    s_pSelected = m_pPixels;
    if (!g_bFontsLoaded) {
        l_SelectPage(0);
        g_oFontWriter.bLoadFont(0, "Fonts\\EM0816.FNT", 8, 16, 0, 1);
        g_oFontWriter.bLoadFont(1, "Fonts\\CM1616.FNT", 16, 16, 0, 1);
        g_oFontWriterAA.bLoadFont(0, "Fonts\\EC1018.FNT", 10, 18, 1, 1);
        g_oFontWriterAA.bLoadFont(1, "Fonts\\CC1818.FNT", 18, 18, 1, 1);
        g_oFontWriter.vSetShadow(31, 1);
        g_oFontWriterAA.vSetShadow(0, 1);
        g_oFontWriter.vSetSpacing(1, 0);
        g_oFontWriterAA.vSetSpacing(1, 4);
        g_oFontWriter.vSetColor(0x0F0B, 0, 16);
        g_bFontsLoaded = 1;
    }
    return m_pPixels;
}

void sc_DirSurface::vUnlock() { m_pPixels = nullptr; }

void sc_DirSurface::vShowOn(const plat::ScreenBuffer& screen) const {
    for (const sc_List* n = this; n; n = n->pGetNext()) {
        const auto* s = static_cast<const sc_DirSurface*>(n);
        if (s->m_lId == 0 || !s->m_pMemory) continue;
        const int32_t x0 = std::max(0, s->m_oPosition.x), y0 = std::max(0, s->m_oPosition.y);
        const int32_t x1 = std::min(screen.width, s->m_oPosition.x + s->m_oSize.x);
        const int32_t y1 = std::min(screen.height, s->m_oPosition.y + s->m_oSize.y);
        if (x0 >= x1) continue;
        for (int32_t y = y0; y < y1; ++y) {
            const uint16_t* src = s->m_pMemory + static_cast<size_t>(y - s->m_oPosition.y) * s->m_oSize.x +
                                  (x0 - s->m_oPosition.x);
            std::memcpy(screen.pixels + static_cast<size_t>(y) * screen.width + x0, src,
                        static_cast<size_t>(x1 - x0) * 2);
        }
    }
}

void sc_DirSurface::vShowText(uint16_t*, int32_t x, int32_t y, const char* text, uint16_t, int32_t, int32_t) {
    const sc_FramePartScope timed(ss_FramePart::kText);
    if (text) g_oFontWriter.vShowString(x, y, text);
}

void sc_DirSurface::vShowTextEx(int32_t x, int32_t y, int32_t, int32_t, const char* text, int32_t, int32_t,
                                int32_t, int32_t, uint16_t*) {
    const sc_FramePartScope timed(ss_FramePart::kText);
    if (text) g_oFontWriter.vShowString(x, y, text);
}

void sc_DirSurface::vShowString(int32_t x, int32_t y, const char* text, int32_t width, int32_t height,
                                uint16_t* pixels) {
    vShowText(pixels, x, y, text, kTextColor, width, height);
}

void sc_DirSurface::vShowNumber(int32_t x, int32_t y, int32_t number, int32_t width, int32_t height,
                                uint16_t* pixels) {
    char buf[16];
    std::snprintf(buf, sizeof buf, "%d", number);
    vShowString(x, y, buf, width, height, pixels);
}

int32_t sc_DirSurface::lTextWidth(const char* text) const {
    return text ? static_cast<int32_t>(std::strlen(text)) * 8 : 0;
}

// There is no system font to select: every text on a surface goes through
// the bitmap writers.
void sc_DirSurface::vSelectFont(int32_t, int32_t) {}
