// Draws a mission's ground at a view through the map, on a plain buffer, and
// compares it with a screenshot of the ground viewer showing the same view
// under a virtual X server (the picture scaled to fill the screen,
// letterboxed, nearest neighbour).
//   ground_check <data dir> <ground map number> <view x> <view y> <screenshot.png>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <vector>

#include "game/map.h"
#include "platform/png.h"
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
    const double scale = std::min(sw / 800.0, sh / 600.0);
    const int ox = static_cast<int>((sw - 800 * scale) / 2), oy = static_cast<int>((sh - 600 * scale) / 2);
    auto close = [](uint16_t p, uint16_t q) {
        for (int shift : {0, 5, 10})
            if (std::abs(((p >> shift) & 31) - ((q >> shift) & 31)) > 1) return false;
        return true;
    };
    // Each screen pixel shows one ground pixel; rounding in the scaler may
    // pick a neighbour of the one expected.
    int compared = 0, mismatched = 0;
    for (int sy = oy; sy < oy + static_cast<int>(600 * scale) && sy < sh; ++sy)
        for (int sx = ox; sx < ox + static_cast<int>(800 * scale) && sx < sw; ++sx) {
            const int x = static_cast<int>((sx - ox) / scale), y = static_cast<int>((sy - oy) / scale);
            bool found = false;
            for (int dy = -1; dy <= 1 && !found; ++dy)
                for (int dx = -1; dx <= 1 && !found; ++dx) {
                    const int gx = x + dx, gy = y + dy;
                    found = gx >= 0 && gy >= 0 && gx < 800 && gy < 600 &&
                            close(ground[gy * 800 + gx] & 0x7FFF, shot[sy * sw + sx] & 0x7FFF);
                }
            ++compared;
            mismatched += !found;
        }
    std::printf("compared %d screen pixels with the ground, %d differ\n", compared, mismatched);
    return compared > 400000 && mismatched * 100 <= compared ? 0 : 1;
}
