#pragma once
#include <cstdint>
#include <vector>

#include "platform/screen_fit.h"

namespace krxtest {

// What the SDL presenter puts on a screen of another size: the picture
// enlarged by the fit's whole factor with nearest pixels, then blended into
// the fit's rectangle. The 5-5-5 colour expected at a screen pixel inside
// that rectangle.
uint16_t PresentedPixel(const std::vector<uint16_t>& picture, int32_t width, int32_t height,
                        const plat::ScreenFit& fit, int32_t sx, int32_t sy);

// Whether two 5-5-5 colours differ by at most one step in each channel (the
// renderer rounds its blend in its own way).
bool NearlySame(uint16_t a, uint16_t b);

} // namespace krxtest
