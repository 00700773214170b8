// Shows one mission's ground in a window, the way the mission frame draws
// it: the map loads the mission file's ground on the work surface and draws
// it under the view point every frame. The view glides over the whole range
// the game allows it (x 64 .. width - 799, y 0 .. height - 599) until an
// arrow key or W, A, S, D takes it over; F6 or Escape ends.
//
//   krx_ground_view <ground map number> [<view x> <view y>]
//
// Run in the data set's folder. With a view given it stays there (for
// screenshots). KRX_BACKEND=headless runs it without a window for
// KRX_PASSES passes.
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>

#include "engine/device/dir_key.h"
#include "engine/device/dir_surface.h"
#include "engine/device/direct2d.h"
#include "engine/device/window.h"
#include "game/map.h"
#include "game/work.h"
#include "platform/headless/headless_backend.h"
#include "platform/input.h"
#include "platform/sdl/sdl_backend.h"

namespace {

class sc_GroundView : public sc_Window, public sc_Direct2D {
public:
    sc_GroundView(int32_t number, bool still, int32_t x, int32_t y) : m_lNumber(number), m_bStill(still) {
        m_oMap.oViewPoint.oSet(x, y);
    }
    ~sc_GroundView() override { g_pWorkSurface = nullptr; }

    int32_t bOnCreate(WindowHandle window) override {
        if (!bInit(window, 800, 600, 16, 100)) return 0;
        g_pWorkSurface = pCreateSurface(800, 600, -1);
        if (!g_pWorkSurface) return 0;
        m_oKeys.bInit(0, window);
        return 1;
    }
    void vOnIdle() override { vFrame(); }

    void vControl() override {
        if (m_oKeys.bGetKeyState(plat::key::F6) || m_oKeys.bIsKeyDown(plat::key::Escape))
            b_PostClose(pGetHwnd());
        const int32_t dx = (m_oKeys.bIsKeyDown(plat::key::Right) || m_oKeys.bIsKeyDown(plat::key::D)) -
                           (m_oKeys.bIsKeyDown(plat::key::Left) || m_oKeys.bIsKeyDown(plat::key::A));
        const int32_t dy = (m_oKeys.bIsKeyDown(plat::key::Down) || m_oKeys.bIsKeyDown(plat::key::S)) -
                           (m_oKeys.bIsKeyDown(plat::key::Up) || m_oKeys.bIsKeyDown(plat::key::W));
        if (dx || dy) {
            m_bSteered = true;
            m_oMap.oViewPoint.oOffset(dx * 8, dy * 8);
        }
    }

    void vShow() override {
        // The work surface is locked now: its memory goes to the ground.
        if (!m_bLoaded) {
            char name[32];
            std::snprintf(name, sizeof name, "MAP\\wrd%05d.BUD", m_lNumber);
            m_oMap.vInit();
            m_oMap.vLoad(name);
            m_bLoaded = true;
        }
        const sc_Point& size = m_oMap.oBackground.oMapSize;
        const int32_t x0 = 64, x1 = std::max(x0, size.x - 799), y1 = std::max(0, size.y - 599);
        sc_Point& view = m_oMap.oViewPoint;
        if (!m_bStill && !m_bSteered) {
            // A slow figure of eight over the whole range, a few pixels a frame.
            const double t = m_lFrame++ / 600.0;
            view.oSet(x0 + static_cast<int32_t>((x1 - x0) * (0.5 + 0.5 * std::sin(t))),
                      static_cast<int32_t>(y1 * (0.5 + 0.5 * std::sin(2 * t))));
        }
        view.oSet(std::clamp(view.x, x0, x1), std::clamp(view.y, 0, y1));
        m_oMap.oBackground.vShow();
    }

private:
    sc_Map m_oMap;
    sc_DirKey m_oKeys;
    int32_t m_lNumber;
    bool m_bStill;
    bool m_bLoaded = false;
    bool m_bSteered = false;
    int64_t m_lFrame = 0;
};

} // namespace

int main(int argc, char** argv) {
    if (argc != 2 && argc != 4) {
        std::fprintf(stderr, "usage: krx_ground_view <ground map number> [<view x> <view y>]\n");
        return 2;
    }
    const char* backend = std::getenv("KRX_BACKEND");
    if (backend && std::strcmp(backend, "headless") == 0) {
        auto headless = std::make_unique<plat::HeadlessBackend>();
        const char* passes = std::getenv("KRX_PASSES");
        headless->SetPassBudget(passes ? std::strtoull(passes, nullptr, 10) : 100);
        plat::InstallBackend(std::move(headless));
    } else {
        plat::InstallBackend(std::make_unique<plat::SdlBackend>());
    }
    const bool still = argc == 4;
    auto view = std::make_unique<sc_GroundView>(std::atoi(argv[1]), still, still ? std::atoi(argv[2]) : 64,
                                                still ? std::atoi(argv[3]) : 0);
    sc_Window::vRegister(0, "KRX Ground", 0, 0);
    view->vCreate("KRX Ground", 0, 0, 0);
    int rc = 1;
    if (view->pGetHwnd() != 0) {
        view->lRun();
        rc = 0;
    } else {
        std::fprintf(stderr, "krx_ground_view: the display could not be set up\n");
    }
    view.reset();
    plat::ResetBackend();
    return rc;
}
