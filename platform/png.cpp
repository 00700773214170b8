#include "platform/png.h"

#include <cstring>
#include <png.h>

#include "platform/trace.h"

namespace plat {

namespace {

// Pictures larger than this are refused on reading: screens and sprites are
// far smaller, and a tiny corrupt header must not ask for hundreds of
// megabytes.
constexpr uint32_t kMaxSide = 4096;

uint8_t Expand5(uint32_t v) {
    return static_cast<uint8_t>((v << 3) | (v >> 2));
}

} // namespace

bool WritePng555(const std::string& path, const uint16_t* pixels, int w, int h, int pitchPixels) {
    if (!pixels || w <= 0 || h <= 0 || pitchPixels < w) return false;
    std::vector<uint8_t> rgb(static_cast<size_t>(w) * static_cast<size_t>(h) * 3);
    for (int y = 0; y < h; ++y) {
        const uint16_t* row = pixels + static_cast<size_t>(y) * static_cast<size_t>(pitchPixels);
        uint8_t* out = rgb.data() + static_cast<size_t>(y) * static_cast<size_t>(w) * 3;
        for (int x = 0; x < w; ++x) {
            const uint32_t p = row[x];
            out[3 * x + 0] = Expand5((p >> 10) & 31);
            out[3 * x + 1] = Expand5((p >> 5) & 31);
            out[3 * x + 2] = Expand5(p & 31);
        }
    }
    png_image image;
    std::memset(&image, 0, sizeof image);
    image.version = PNG_IMAGE_VERSION;
    image.width = static_cast<png_uint_32>(w);
    image.height = static_cast<png_uint_32>(h);
    image.format = PNG_FORMAT_RGB;
    const int ok = png_image_write_to_file(&image, path.c_str(), 0, rgb.data(), w * 3, nullptr);
    png_image_free(&image);
    return ok != 0;
}

bool ReadPng555(const std::string& path, std::vector<uint16_t>& pixels, int& w, int& h) {
    pixels.clear();
    w = h = 0;
    png_image image;
    std::memset(&image, 0, sizeof image);
    image.version = PNG_IMAGE_VERSION;
    auto refuse = [&](const char* why) {
        Trace(path, why);
        png_image_free(&image);
        return false;
    };
    if (!png_image_begin_read_from_file(&image, path.c_str())) return refuse(image.message);
    if (image.width == 0 || image.height == 0 || image.width > kMaxSide || image.height > kMaxSide)
        return refuse("has a size out of range");
    image.format = PNG_FORMAT_RGB;
    std::vector<uint8_t> rgb(PNG_IMAGE_SIZE(image));
    if (!png_image_finish_read(&image, nullptr, rgb.data(), 0, nullptr)) return refuse(image.message);
    const int iw = static_cast<int>(image.width);
    const int ih = static_cast<int>(image.height);
    png_image_free(&image);
    pixels.resize(static_cast<size_t>(iw) * static_cast<size_t>(ih));
    for (size_t i = 0; i < pixels.size(); ++i) {
        const uint8_t* c = rgb.data() + 3 * i;
        pixels[i] = static_cast<uint16_t>(((c[0] >> 3) << 10) | ((c[1] >> 3) << 5) | (c[2] >> 3));
    }
    w = iw;
    h = ih;
    return true;
}

} // namespace plat
