#include <gtest/gtest.h>

#include <string>
#include <tuple>
#include <utility>

#include "platform/screen_fit.h"

namespace {

// The rectangle on screens of several sizes, and the picture pixel under a
// few screen pixels of each, the black borders included.
TEST(ScreenFit, WholeFactorThenTheLargestRectangleCentredAndTheMouseMappedBack) {
    const struct {
        int32_t w, h, factor, x, y, width, height;
        bool exact;
        int32_t sx, sy, px, py;
    } cases[] = {
        {800, 600, 1, 0, 0, 800, 600, true, 799, 599, 799, 599},
        {1024, 768, 1, 0, 0, 1024, 768, false, 512, 384, 400, 300}, // 1.28 all in the smooth step
        {1024, 768, 1, 0, 0, 1024, 768, false, 2, 1, 1, 0},
        {1920, 1080, 1, 240, 0, 1440, 1080, false, 239, 540, 0, 300}, // twice is too tall
        {1920, 1080, 1, 240, 0, 1440, 1080, false, 1679, 1079, 799, 599},
        {1600, 1200, 2, 0, 0, 1600, 1200, true, 3, 3, 1, 1},
        {2560, 1440, 2, 320, 0, 1920, 1440, false, 2239, -5, 799, 0},
        {3840, 2160, 3, 480, 0, 2880, 2160, false, 483, 3, 0, 0},
        {1280, 1024, 1, 0, 32, 1280, 960, false, 100, 31, 62, 0}, // bands above and below
        {640, 480, 1, 0, 0, 640, 480, false, 639, 479, 798, 598}, // smaller: some pixels have no screen pixel
        {0, 0, 1, 0, 0, 0, 0, false, 10, 10, 0, 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::to_string(c.w) + "x" + std::to_string(c.h) + " at " + std::to_string(c.sx));
        const plat::ScreenFit f = plat::FitPicture(800, 600, c.w, c.h);
        EXPECT_EQ(std::tuple(f.factor, f.x, f.y, f.width, f.height, f.Exact(800, 600)),
                  std::tuple(c.factor, c.x, c.y, c.width, c.height, c.exact));
        int32_t x = -1, y = -1;
        plat::ScreenToPicture(f, 800, 600, c.sx, c.sy, x, y);
        EXPECT_EQ(std::pair(x, y), std::pair(c.px, c.py));
    }
}

} // namespace
