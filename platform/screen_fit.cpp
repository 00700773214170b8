#include "platform/screen_fit.h"

#include <algorithm>

namespace plat {

ScreenFit FitPicture(int32_t pictureWidth, int32_t pictureHeight, int32_t screenWidth, int32_t screenHeight) {
    ScreenFit fit;
    if (pictureWidth <= 0 || pictureHeight <= 0 || screenWidth <= 0 || screenHeight <= 0) return fit;
    fit.factor = std::max(1, std::min(screenWidth / pictureWidth, screenHeight / pictureHeight));
    // The side that runs out first sets the size; the other keeps the shape.
    const int64_t w = screenWidth, h = screenHeight;
    if (w * pictureHeight <= h * pictureWidth) {
        fit.width = screenWidth;
        fit.height = static_cast<int32_t>(w * pictureHeight / pictureWidth);
    } else {
        fit.height = screenHeight;
        fit.width = static_cast<int32_t>(h * pictureWidth / pictureHeight);
    }
    fit.x = (screenWidth - fit.width) / 2;
    fit.y = (screenHeight - fit.height) / 2;
    return fit;
}

void ScreenToPicture(const ScreenFit& fit, int32_t pictureWidth, int32_t pictureHeight, int32_t sx, int32_t sy,
                     int32_t& x, int32_t& y) {
    x = y = 0;
    if (fit.width <= 0 || fit.height <= 0 || pictureWidth <= 0 || pictureHeight <= 0) return;
    // Picture pixel i covers screen pixels from x + i * width / pictureWidth
    // up to the next one's start: the inverse, rounded down.
    const auto along = [](int64_t s, int32_t start, int32_t size, int32_t picture) {
        const int64_t at = (s - start) * picture;
        const int64_t i = at >= 0 ? at / size : -1;
        return static_cast<int32_t>(std::clamp<int64_t>(i, 0, picture - 1));
    };
    x = along(sx, fit.x, fit.width, pictureWidth);
    y = along(sy, fit.y, fit.height, pictureHeight);
}

} // namespace plat
