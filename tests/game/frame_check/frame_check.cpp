// Runs the game headless with F7 held, captures the frame, and compares the
// overlay's fixed labels with a screenshot of the real program taken under a
// virtual X server (the picture enlarged by a whole factor, then smoothly
// to fill the screen, letterboxed).
//   frame_check <data dir> <screenshot.png> <capture out.png>
#include <cstdio>
#include <memory>
#include <vector>

#include "game/entry.h"
#include "platform/headless/headless_backend.h"
#include "platform/input.h"
#include "platform/png.h"
#include "platform/screen_fit.h"
#include "tests/support/screen_model.h"
#include "tests/support/temp_dir.h"

int main(int argc, char** argv) {
    if (argc != 4) {
        std::fprintf(stderr, "usage: frame_check <data dir> <screenshot.png> <capture.png>\n");
        return 2;
    }
    std::vector<uint16_t> capture;
    {
        krxtest::ScopedCwd cwd(argv[1]);
        auto backend = std::make_unique<plat::HeadlessBackend>();
        plat::HeadlessBackend& b = *backend;
        // Escape skips the two movies; the menus' frame is compared.
        b.At(1, [](plat::HeadlessBackend& hb) {
            hb.MoveMouse(400, 300);
            hb.KeyDown(plat::key::F7);
            hb.KeyDown(plat::key::Escape);
        });
        b.At(5, [](plat::HeadlessBackend& hb) { hb.KeyUp(plat::key::Escape); });
        b.SetPassBudget(20);
        b.OnShow([&](const uint16_t* px, int32_t w, int32_t h) { capture.assign(px, px + w * h); });
        plat::InstallBackend(std::move(backend));
        if (l_KrxMain() != 0) return 1;
        plat::ResetBackend();
    }
    if (capture.size() != 800u * 600u) {
        std::fprintf(stderr, "no frame was captured\n");
        return 1;
    }
    plat::WritePng555(argv[3], capture.data(), 800, 600, 800);

    std::vector<uint16_t> shot;
    int sw = 0, sh = 0;
    if (!plat::ReadPng555(argv[2], shot, sw, sh)) {
        std::fprintf(stderr, "cannot read %s\n", argv[2]);
        return 1;
    }
    const plat::ScreenFit fit = plat::FitPicture(800, 600, sw, sh);
    // The labels "Frame: ", "Mouse_X: " and "Mouse_Y: " (left of x 100); the
    // numbers after them differ between the two runs.
    int compared = 0, lit = 0, mismatched = 0;
    for (int sy = fit.y; sy < fit.y + fit.height; ++sy)
        for (int sx = fit.x; sx < fit.x + fit.width; ++sx) {
            int x = 0, y = 0;
            plat::ScreenToPicture(fit, 800, 600, sx, sy, x, y);
            if (x < 20 || x >= 98 || y < 20 || y >= 78) continue;
            ++compared;
            if (capture[y * 800 + x] & 0x7FFF) ++lit;
            mismatched += !krxtest::ShownFrom(capture, 800, 600, x, y, shot[static_cast<size_t>(sy) * sw + sx]);
        }
    std::printf("compared %d pixels, %d lit in the capture, %d differ\n", compared, lit, mismatched);
    if (lit < 100) {
        std::fprintf(stderr, "the capture shows no overlay\n");
        return 1;
    }
    return mismatched * 20 <= compared ? 0 : 1;
}
