// Runs the game headless with F7 held, captures the frame, and compares the
// overlay's fixed labels with a screenshot of the real program taken under a
// virtual X server (the picture enlarged by a whole factor, then smoothly
// to fill the screen, letterboxed).
//   frame_check <data dir> <screenshot.png> <capture out.png>
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <memory>
#include <vector>

#include "game/entry.h"
#include "platform/headless/headless_backend.h"
#include "platform/input.h"
#include "platform/png.h"
#include "platform/sdl/screen_fit.h"
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
    // The presenter enlarges the picture by a whole factor with nearest
    // pixels, then scales that smoothly into the letterboxed rectangle: each
    // screen pixel is expected to hold the blend of the four enlarged
    // pixels around its centre.
    const plat::ScreenFit fit = plat::FitPicture(800, 600, sw, sh);
    const int k = fit.factor;
    const auto channel = [&](int x0, int x1, int y0, int y1, double fx, double fy, int shift) {
        const auto at = [&](int x, int y) {
            const int c = (capture[static_cast<size_t>(y) * 800 + x] >> shift) & 31;
            return (c << 3 | c >> 2) / 255.0;
        };
        const double top = at(x0, y0) * (1 - fx) + at(x1, y0) * fx;
        const double bottom = at(x0, y1) * (1 - fx) + at(x1, y1) * fx;
        return static_cast<int>(std::lround((top * (1 - fy) + bottom * fy) * 255)) >> 3;
    };
    // One axis: the two picture pixels under the enlarged pixels either side
    // of the screen pixel's centre, and the weight of the second.
    const auto sample = [&](int s, int start, int size, int picture, int& i0, int& i1, double& f) {
        const double u = (s - start + 0.5) * picture * k / size - 0.5;
        const int e0 = static_cast<int>(std::floor(u));
        f = u - e0;
        i0 = std::clamp(e0, 0, picture * k - 1) / k;
        i1 = std::clamp(e0 + 1, 0, picture * k - 1) / k;
    };
    // The labels "Frame: ", "Mouse_X: " and "Mouse_Y: " (left of x 100); the
    // numbers after them differ between the two runs.
    int compared = 0, lit = 0, mismatched = 0;
    for (int sy = fit.y; sy < fit.y + fit.height; ++sy)
        for (int sx = fit.x; sx < fit.x + fit.width; ++sx) {
            int x0, x1, y0, y1;
            double fx, fy;
            sample(sx, fit.x, fit.width, 800, x0, x1, fx);
            sample(sy, fit.y, fit.height, 600, y0, y1, fy);
            if (x0 < 20 || x1 >= 98 || y0 < 20 || y1 >= 78) continue;
            const uint16_t s = shot[static_cast<size_t>(sy) * sw + sx];
            ++compared;
            if (capture[static_cast<size_t>(y0) * 800 + x0] & 0x7FFF) ++lit;
            for (int shift : {0, 5, 10})
                if (std::abs(channel(x0, x1, y0, y1, fx, fy, shift) - ((s >> shift) & 31)) > 1) {
                    ++mismatched;
                    break;
                }
        }
    std::printf("compared %d pixels, %d lit in the capture, %d differ\n", compared, lit, mismatched);
    if (lit < 100) {
        std::fprintf(stderr, "the capture shows no overlay\n");
        return 1;
    }
    // The renderer's own rounding of the blend may differ by a step.
    return mismatched * 20 <= compared ? 0 : 1;
}
