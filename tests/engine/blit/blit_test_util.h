#pragma once
#include <cstdint>
#include <random>
#include <vector>

namespace blittest {

inline uint16_t Rgb(int b, int g, int r) {
    return static_cast<uint16_t>(b | (g << 5) | (r << 10));
}
inline uint16_t Grey(int v) {
    return Rgb(v, v, v);
}
inline int Blue(uint16_t p) {
    return p & 31;
}
inline int Green(uint16_t p) {
    return (p >> 5) & 31;
}
inline int Red(uint16_t p) {
    return (p >> 10) & 31;
}

// A pixel buffer with its width as pitch.
struct Image {
    int32_t w = 0, h = 0;
    std::vector<uint16_t> px;
    Image(int32_t width, int32_t height, uint16_t fill = 0)
        : w(width), h(height), px(size_t(width) * height, fill) {}
    uint16_t& at(int32_t x, int32_t y) { return px[size_t(y) * w + x]; }
    uint16_t at(int32_t x, int32_t y) const { return px[size_t(y) * w + x]; }
    uint16_t* data() { return px.data(); }
    const uint16_t* data() const { return px.data(); }
};

// Columns of row y (of an image drawn on a background) that no longer hold
// the background value.
inline std::vector<int32_t> ChangedColumns(const Image& img, int32_t y, uint16_t background) {
    std::vector<int32_t> cols;
    for (int32_t x = 0; x < img.w; ++x)
        if (img.at(x, y) != background) cols.push_back(x);
    return cols;
}

inline std::vector<int32_t> Range(int32_t first, int32_t last) {
    std::vector<int32_t> v;
    for (int32_t i = first; i <= last; ++i)
        v.push_back(i);
    return v;
}

// True when every pixel outside the inclusive rectangle still holds the
// value it has in base.
inline bool SameOutside(const std::vector<uint16_t>& got, const Image& base, int32_t top, int32_t bottom,
                        int32_t left, int32_t right) {
    for (int32_t y = 0; y < base.h; ++y)
        for (int32_t x = 0; x < base.w; ++x)
            if ((y < top || y > bottom || x < left || x > right) &&
                got[size_t(y) * base.w + x] != base.at(x, y))
                return false;
    return true;
}

// Random 5-5-5 words, some with bit 15 set, a share of them the key 0.
inline void FillRandom(std::vector<uint16_t>& v, std::mt19937& rng, int keyPercent) {
    std::uniform_int_distribution<int> pct(0, 99);
    std::uniform_int_distribution<int> word(1, 0xFFFF);
    for (auto& p : v)
        p = pct(rng) < keyPercent ? 0 : static_cast<uint16_t>(word(rng));
}

} // namespace blittest
