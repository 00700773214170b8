// Captures a frame of the game run headless, and compares a screenshot of
// the real program taken under a virtual X server (the picture enlarged by
// a whole factor, then smoothly to fill the screen, letterboxed) with such a
// capture.
//   frame_check capture <data dir> <capture out.png> [<mission> [menu]]
//     the top menu with F7 held (its overlay's fixed labels at 20..97 x
//     20..77); or a mission (KRX_MISSION) once its loading picture has
//     faded and the view has come to rest, or with Escape held on into
//     play, its system menu; the mouse resting at game pixel (234, 195)
//   frame_check compare <capture.png> <screenshot.png> <least %> [<x> <y> <w> <h>]
//     succeeds when at least that share of the screen pixels showing the
//     picture's rectangle (all of it by default) could come from the capture
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "game/entry.h"
#include "game/scene.h"
#include "game/work.h"
#include "interface/loading.h"
#include "platform/headless/headless_backend.h"
#include "platform/input.h"
#include "platform/png.h"
#include "platform/screen_fit.h"
#include "tests/support/screen_model.h"
#include "tests/support/temp_dir.h"

namespace {

constexpr int kW = 800, kH = 600;

// What a capture shows.
enum class Shot { TopMenu, Mission, SystemMenu };

int Capture(const char* data, const char* out, int mission, Shot what) {
    std::vector<uint16_t> capture;
    bool systemMenu = false;
    {
        krxtest::ScopedCwd cwd(data);
        if (mission > 0) setenv("KRX_MISSION", std::to_string(mission).c_str(), 1);
        auto backend = std::make_unique<plat::HeadlessBackend>();
        plat::HeadlessBackend& b = *backend;
        // Escape skips the two movies by pass 4 and is up again before a
        // mission's first frame of play (pass 8), unless it is to open the
        // system menu there.
        b.At(1, [what](plat::HeadlessBackend& hb) {
            hb.MoveMouse(234, 195);
            if (what == Shot::TopMenu) hb.KeyDown(plat::key::F7);
            hb.KeyDown(plat::key::Escape);
        });
        if (what != Shot::SystemMenu) b.At(5, [](plat::HeadlessBackend& hb) { hb.KeyUp(plat::key::Escape); });
        // A mission's fade takes 3.5 s, some 220 passes; the view comes to
        // rest on the character a second later.
        b.SetPassBudget(what == Shot::Mission ? 600 : 20);
        bool closing = false;
        b.OnShow([&](const uint16_t* px, int32_t w, int32_t h) {
            if (what == Shot::Mission) {
                if (!g_pLoading || !g_pLoading->bClosed) return;
                if (!closing) b.CloseAt(b.Passes() + 120);
                closing = true;
            }
            capture.assign(px, px + w * h);
            systemMenu = g_pWork && g_pWork->oScene.lState == sc_Scene::kStateSystemMenu;
        });
        plat::InstallBackend(std::move(backend));
        if (l_KrxMain() != 0) return 1;
        plat::ResetBackend();
    }
    if (capture.size() != static_cast<size_t>(kW) * kH) {
        std::fprintf(stderr, what == Shot::Mission ? "the loading picture never faded\n" : "no frame was captured\n");
        return 1;
    }
    if (what == Shot::SystemMenu && !systemMenu) {
        std::fprintf(stderr, "Escape held into play did not open the system menu\n");
        return 1;
    }
    if (what == Shot::TopMenu) {
        int lit = 0;
        for (int y = 20; y < 78; ++y)
            for (int x = 20; x < 98; ++x) lit += (capture[y * kW + x] & 0x7FFF) != 0;
        if (lit < 100) {
            std::fprintf(stderr, "the capture shows no overlay\n");
            return 1;
        }
    }
    return plat::WritePng555(out, capture.data(), kW, kH, kW) ? 0 : 1;
}

int Compare(const char* capturePath, const char* shotPath, int least, int rx, int ry, int rw, int rh) {
    std::vector<uint16_t> capture, shot;
    int cw = 0, ch = 0, sw = 0, sh = 0;
    if (!plat::ReadPng555(capturePath, capture, cw, ch) || cw != kW || ch != kH) {
        std::fprintf(stderr, "cannot read the capture %s\n", capturePath);
        return 2;
    }
    if (!plat::ReadPng555(shotPath, shot, sw, sh)) {
        std::fprintf(stderr, "cannot read %s\n", shotPath);
        return 2;
    }
    const plat::ScreenFit fit = plat::FitPicture(kW, kH, sw, sh);
    int compared = 0, mismatched = 0;
    for (int sy = fit.y; sy < fit.y + fit.height && sy < sh; ++sy)
        for (int sx = fit.x; sx < fit.x + fit.width && sx < sw; ++sx) {
            int x = 0, y = 0;
            plat::ScreenToPicture(fit, kW, kH, sx, sy, x, y);
            if (x < rx || x >= rx + rw || y < ry || y >= ry + rh) continue;
            ++compared;
            mismatched += !krxtest::ShownFrom(capture, kW, kH, x, y, shot[static_cast<size_t>(sy) * sw + sx]);
        }
    std::printf("compared %d pixels, %d differ\n", compared, mismatched);
    return compared > 0 && static_cast<int64_t>(compared - mismatched) * 100 >= static_cast<int64_t>(least) * compared
               ? 0
               : 1;
}

} // namespace

int main(int argc, char** argv) {
    const std::string use = argc > 1 ? argv[1] : "";
    if (use == "capture" && argc >= 4 && argc <= 6 && (argc < 6 || std::strcmp(argv[5], "menu") == 0)) {
        const int mission = argc >= 5 ? std::atoi(argv[4]) : 0;
        const Shot what = mission <= 0 ? Shot::TopMenu : argc == 6 ? Shot::SystemMenu : Shot::Mission;
        return Capture(argv[2], argv[3], mission, what);
    }
    if (use == "compare" && argc == 5) return Compare(argv[2], argv[3], std::atoi(argv[4]), 0, 0, kW, kH);
    if (use == "compare" && argc == 9)
        return Compare(argv[2], argv[3], std::atoi(argv[4]), std::atoi(argv[5]), std::atoi(argv[6]),
                       std::atoi(argv[7]), std::atoi(argv[8]));
    std::fprintf(stderr, "usage: frame_check capture <data dir> <capture.png> [<mission> [menu]]\n"
                         "       frame_check compare <capture.png> <screenshot.png> <least %%> [<x> <y> <w> <h>]\n");
    return 2;
}
