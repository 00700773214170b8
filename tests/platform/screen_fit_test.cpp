#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/screen_fit.h"

namespace {

using plat::ScreenFit;

TEST(ScreenFit, WholeFactorThenTheLargestRectangleOfThePicturesShapeCentred) {
    const struct {
        int32_t w, h;
        ScreenFit fit;
        bool exact;
    } cases[] = {
        {800, 600, {1, 0, 0, 800, 600}, true},
        {1024, 768, {1, 0, 0, 1024, 768}, false},     // 1.28: all of it the smooth step
        {1920, 1080, {1, 240, 0, 1440, 1080}, false}, // twice is 1200 high: too tall
        {1600, 1200, {2, 0, 0, 1600, 1200}, true},
        {2560, 1440, {2, 320, 0, 1920, 1440}, false},
        {3840, 2160, {3, 480, 0, 2880, 2160}, false},
        {1280, 1024, {1, 0, 32, 1280, 960}, false}, // bands above and below
        {640, 480, {1, 0, 0, 640, 480}, false},     // smaller than the picture
        {801, 600, {1, 0, 0, 800, 600}, true},      // an odd column stays black
        {0, 0, {1, 0, 0, 0, 0}, false},
    };
    for (const auto& c : cases) {
        const ScreenFit fit = plat::FitPicture(800, 600, c.w, c.h);
        SCOPED_TRACE(std::to_string(c.w) + "x" + std::to_string(c.h));
        EXPECT_EQ(fit.factor, c.fit.factor);
        EXPECT_EQ(fit.x, c.fit.x);
        EXPECT_EQ(fit.y, c.fit.y);
        EXPECT_EQ(fit.width, c.fit.width);
        EXPECT_EQ(fit.height, c.fit.height);
        EXPECT_EQ(fit.Exact(800, 600), c.exact);
    }
}

TEST(ScreenFit, EveryScreenPixelPointsAtThePicturePixelDrawnThere) {
    const struct {
        int32_t w, h, sx, sy, x, y;
    } cases[] = {
        {1024, 768, 0, 0, 0, 0},        {1024, 768, 1023, 767, 799, 599},
        {1024, 768, 512, 384, 400, 300}, {1024, 768, 1, 1, 0, 0}, // 1.28 screen pixels a picture pixel
        {1024, 768, 2, 2, 1, 1},         {1920, 1080, 240, 0, 0, 0},
        {1920, 1080, 239, 540, 0, 300},  {1920, 1080, 1679, 1079, 799, 599},
        {1920, 1080, 1680, 5, 799, 2},   {1920, 1080, -50, 99999, 0, 599},
        {1600, 1200, 3, 3, 1, 1},        {1600, 1200, 1599, 1198, 799, 599},
        {1280, 1024, 100, 31, 62, 0},    {1280, 1024, 100, 32, 62, 0},
        {1280, 1024, 100, 992, 62, 599}, {0, 0, 10, 10, 0, 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::to_string(c.w) + "x" + std::to_string(c.h) + " at " + std::to_string(c.sx) + "," +
                     std::to_string(c.sy));
        int32_t x = -1, y = -1;
        plat::ScreenToPicture(plat::FitPicture(800, 600, c.w, c.h), 800, 600, c.sx, c.sy, x, y);
        EXPECT_EQ(x, c.x);
        EXPECT_EQ(y, c.y);
    }
    // Across a whole row every picture column is reached, in order, each by
    // as many screen pixels as its neighbours give or take one.
    const ScreenFit fit = plat::FitPicture(800, 600, 1024, 768);
    std::vector<int32_t> width(800, 0);
    int32_t last = 0;
    for (int32_t sx = 0; sx < 1024; ++sx) {
        int32_t x = 0, y = 0;
        plat::ScreenToPicture(fit, 800, 600, sx, 0, x, y);
        ASSERT_GE(x, last);
        ASSERT_LE(x, last + 1);
        last = x;
        ++width[static_cast<size_t>(x)];
    }
    for (int32_t w : width) {
        EXPECT_GE(w, 1);
        EXPECT_LE(w, 2);
    }
}

} // namespace
