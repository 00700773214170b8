#include "engine/device/direct2d.h"

#include "engine/device/dir_surface.h"
#include "engine/device/frame_parts.h"
#include "engine/device/frame_time.h"
#include "platform/clock.h"
#include "platform/display.h"

sc_Direct2D* g_pDirect2D = nullptr;
sc_Point g_oScreenSize;

namespace {
// What the desktop offers when no size is asked for.
constexpr int32_t kDesktopWidth = 800, kDesktopHeight = 600;
} // namespace

sc_Direct2D::sc_Direct2D() = default;

sc_Direct2D::~sc_Direct2D() {
    vRelease();
    if (g_pDirect2D == this) g_pDirect2D = nullptr;
}

int32_t sc_Direct2D::bInit(uintptr_t, int32_t width, int32_t height, int8_t bits, int32_t rate) {
    m_lFramePeriod = rate > 0 ? 1000 / rate : 30;
    if (width > 0 && height > 0)
        m_oScreenSize.oSet(width, height);
    else
        m_oScreenSize.oSet(kDesktopWidth, kDesktopHeight);
    if (bits > 0) m_cBits = bits;
    if (!plat::OpenDisplay(m_oScreenSize.x, m_oScreenSize.y, m_cBits)) {
        if (!plat::OpenDisplay(800, 600, 16)) return 0;
        m_oScreenSize.oSet(800, 600);
        m_cBits = 16;
    }
    m_bOpen = 1;
    return 1;
}

void sc_Direct2D::vRelease() {
    if (m_pSurfaces) {
        m_pSurfaces->vDeleteAll();
        m_pSurfaces = nullptr;
    }
    if (m_bOpen) {
        plat::CloseDisplay();
        m_bOpen = 0;
    }
}

void sc_Direct2D::vFrame() {
    g_lNowTick = static_cast<int32_t>(plat::TickCount());
    vControl();
    vLockAll();
    vShow();
    vUnlockAll();
    vPresent();
}

void sc_Direct2D::vPresent() {
    const sc_FramePartScope timed(ss_FramePart::kPresent);
    if (!m_pSurfaces || !m_bOpen) return;
    if (m_pMovieFlag && *m_pMovieFlag) return;
    if (!plat::RestoreDisplay()) return;
    const plat::ScreenBuffer screen = plat::Screen();
    if (!screen.pixels) return;
    m_pSurfaces->vShowOn(screen);
    plat::ShowScreen();
}

void sc_Direct2D::vAddToList(sc_DirSurface* surface) {
    if (!m_pSurfaces)
        m_pSurfaces = surface;
    else
        m_pSurfaces = static_cast<sc_DirSurface*>(m_pSurfaces->pInsertSorted(surface));
}

sc_DirSurface* sc_Direct2D::pCreateSurface(int32_t width, int32_t height, int32_t id) {
    if (width < 0) width = m_oScreenSize.x;
    if (height < 0) height = m_oScreenSize.y;
    bool tookId = false;
    if (id <= 0) {
        id = ++m_lLastId;
        tookId = true;
    }
    auto* surface = new sc_DirSurface; // owned by the list from here on
    if (!surface->bCreate(this, width, height, id)) {
        delete surface;
        if (tookId) --m_lLastId;
        return nullptr;
    }
    vAddToList(surface);
    return surface;
}

sc_DirSurface* sc_Direct2D::pCreateTextSurface(int32_t height, int32_t charset) {
    auto* surface = new sc_DirSurface;
    if (!surface->bCreate(this, 1024, 24, 0)) {
        delete surface;
        return nullptr;
    }
    vAddToList(surface);
    surface->vSelectFont(height, charset);
    return surface;
}

void sc_Direct2D::vLockAll() {
    for (sc_List* n = m_pSurfaces; n; n = n->pGetNext()) {
        auto* s = static_cast<sc_DirSurface*>(n);
        if (s->lGetId() != 0) s->pLock();
    }
}

void sc_Direct2D::vUnlockAll() {
    for (sc_List* n = m_pSurfaces; n; n = n->pGetNext()) {
        auto* s = static_cast<sc_DirSurface*>(n);
        if (s->lGetId() != 0) s->vUnlock();
    }
}
