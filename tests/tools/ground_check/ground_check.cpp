// Draws a mission's ground at a view through the map, on a plain buffer, and
// compares it with a screenshot of the ground viewer showing the same view
// under a virtual X server (the picture enlarged by a whole factor, then
// smoothly to fill the screen, letterboxed).
//   ground_check <data dir> <ground map number> <view x> <view y> <screenshot.png>
#include <cstdio>
#include <cstdlib>
#include <vector>

#include "game/map.h"
#include "platform/png.h"
#include "platform/screen_fit.h"
#include "tests/support/screen_model.h"
#include "tests/support/temp_dir.h"

int main(int argc, char** argv) {
    if (argc != 6) {
        std::fprintf(stderr, "usage: ground_check <data dir> <number> <view x> <view y> <screenshot.png>\n");
        return 2;
    }
    std::vector<uint16_t> ground(800 * 600, 0);
    {
        krxtest::ScopedCwd cwd(argv[1]);
        char name[32];
        std::snprintf(name, sizeof name, "MAP\\wrd%05d.BUD", std::atoi(argv[2]));
        sc_Map map;
        map.vInit();
        map.oBackground.vInit(&map.oViewPoint, ground.data(), 800, 600);
        map.vLoad(name);
        map.oViewPoint.oSet(std::atoi(argv[3]), std::atoi(argv[4]));
        map.oBackground.vShow();
    }
    for (uint16_t p : ground)
        if (p == 0) {
            std::fprintf(stderr, "the ground leaves holes at this view\n");
            return 1;
        }

    std::vector<uint16_t> shot;
    int sw = 0, sh = 0;
    if (!plat::ReadPng555(argv[5], shot, sw, sh)) {
        std::fprintf(stderr, "cannot read %s\n", argv[5]);
        return 1;
    }
    const plat::ScreenFit fit = plat::FitPicture(800, 600, sw, sh);
    int compared = 0, mismatched = 0;
    for (int sy = fit.y; sy < fit.y + fit.height && sy < sh; ++sy)
        for (int sx = fit.x; sx < fit.x + fit.width && sx < sw; ++sx) {
            int x = 0, y = 0;
            plat::ScreenToPicture(fit, 800, 600, sx, sy, x, y);
            ++compared;
            mismatched += !krxtest::ShownFrom(ground, 800, 600, x, y, shot[static_cast<size_t>(sy) * sw + sx]);
        }
    std::printf("compared %d screen pixels with the ground, %d differ\n", compared, mismatched);
    return compared > 400000 && mismatched * 100 <= compared ? 0 : 1;
}
