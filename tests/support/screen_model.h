#pragma once
#include <algorithm>
#include <cstdint>
#include <vector>

namespace krxtest {

// Whether a screen pixel's 5-5-5 colour could come from picture pixel (x, y)
// as the presenter shows it: each channel within one step of the range its
// 3 x 3 neighbours span (the smooth step blends them).
inline bool ShownFrom(const std::vector<uint16_t>& picture, int32_t width, int32_t height, int32_t x, int32_t y,
                      uint16_t shown) {
    for (int shift : {0, 5, 10}) {
        int lo = 31, hi = 0;
        for (int32_t ny = std::max(y - 1, 0); ny <= std::min(y + 1, height - 1); ++ny)
            for (int32_t nx = std::max(x - 1, 0); nx <= std::min(x + 1, width - 1); ++nx) {
                const int c = (picture[static_cast<size_t>(ny) * width + nx] >> shift) & 31;
                lo = std::min(lo, c), hi = std::max(hi, c);
            }
        const int s = (shown >> shift) & 31;
        if (s < lo - 1 || s > hi + 1) return false;
    }
    return true;
}

} // namespace krxtest
