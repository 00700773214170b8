#include "tests/support/screen_model.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

namespace krxtest {

namespace {

// One axis: the picture pixels under the enlarged pixels either side of the
// screen pixel's centre, and the weight of the second.
void Sample(int32_t s, int32_t start, int32_t size, int32_t picture, int32_t k, int32_t& i0, int32_t& i1,
            double& f) {
    const double u = (s - start + 0.5) * picture * k / size - 0.5;
    const int32_t e0 = static_cast<int32_t>(std::floor(u));
    f = u - e0;
    i0 = std::clamp(e0, 0, picture * k - 1) / k;
    i1 = std::clamp(e0 + 1, 0, picture * k - 1) / k;
}

} // namespace

uint16_t PresentedPixel(const std::vector<uint16_t>& picture, int32_t width, int32_t height,
                        const plat::ScreenFit& fit, int32_t sx, int32_t sy) {
    int32_t x0, x1, y0, y1;
    double fx, fy;
    Sample(sx, fit.x, fit.width, width, fit.factor, x0, x1, fx);
    Sample(sy, fit.y, fit.height, height, fit.factor, y0, y1, fy);
    uint16_t out = 0;
    for (int shift : {0, 5, 10}) {
        // Blended in 8 bits, as the screen holds it, and read back in 5.
        const auto at = [&](int32_t x, int32_t y) {
            const int c = (picture[static_cast<size_t>(y) * width + x] >> shift) & 31;
            return (c << 3 | c >> 2) / 255.0;
        };
        const double top = at(x0, y0) * (1 - fx) + at(x1, y0) * fx;
        const double bottom = at(x0, y1) * (1 - fx) + at(x1, y1) * fx;
        out |= static_cast<uint16_t>((std::lround((top * (1 - fy) + bottom * fy) * 255) >> 3) << shift);
    }
    return out;
}

bool NearlySame(uint16_t a, uint16_t b) {
    for (int shift : {0, 5, 10})
        if (std::abs(((a >> shift) & 31) - ((b >> shift) & 31)) > 1) return false;
    return true;
}

} // namespace krxtest
