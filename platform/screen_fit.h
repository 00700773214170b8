#pragma once
#include <cstdint>

namespace plat {

// How the game's picture sits on a screen of another size: first enlarged
// by the largest whole factor that fits (nearest pixels, so every picture
// pixel becomes the same square), then smoothly scaled to the largest
// rectangle of the picture's shape that fits, centred, the rest black.
struct ScreenFit {
    int32_t factor = 1; // whole enlargement; at least 1
    // Where the picture lands, in screen pixels.
    int32_t x = 0, y = 0, width = 0, height = 0;

    // Whether the whole enlargement alone fills the rectangle.
    bool Exact(int32_t pictureWidth, int32_t pictureHeight) const {
        return width == pictureWidth * factor && height == pictureHeight * factor;
    }
};

ScreenFit FitPicture(int32_t pictureWidth, int32_t pictureHeight, int32_t screenWidth, int32_t screenHeight);

// The picture pixel shown at a screen pixel; one in the black borders
// takes the nearest edge.
void ScreenToPicture(const ScreenFit& fit, int32_t pictureWidth, int32_t pictureHeight, int32_t sx, int32_t sy,
                     int32_t& x, int32_t& y);

} // namespace plat
