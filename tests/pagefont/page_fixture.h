#pragma once
// Shared set-up of the page library tests: an owned page selected as the
// target, and builders of the library's image records.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <vector>

#include "pagefont/draw_page.h"
#include "pagefont/pixel_format.h"

namespace pftest {

class PageTest : public ::testing::Test {
protected:
    void SetUp() override { Reset(); }
    void TearDown() override { Reset(); }
    static void Reset() {
        v_FreeAllPages();
        for (DrawPage& p : g_aDrawPage)
            p = DrawPage{};
        g_pTargetPixels = nullptr;
        g_lTargetPitch = g_lTargetWidthBytes = g_lTargetWidth = g_lTargetHeight = 0;
        v_SetPixelFormat(2);
    }
    // An owned page of w x h pixels, selected, filled with `fill`.
    void MakeTarget(int32_t w, int32_t h, uint16_t fill = 0, int32_t page = 0) {
        ASSERT_EQ(l_CreatePage(page, w, h), 1);
        ASSERT_EQ(l_SelectPage(page), 1);
        for (int32_t y = 0; y < h; ++y)
            for (int32_t x = 0; x < w; ++x)
                Set(x, y, fill);
    }
    static uint16_t At(int32_t x, int32_t y) {
        uint16_t v;
        std::memcpy(&v, g_pTargetPixels + y * g_lTargetPitch + 2 * x, 2);
        return v;
    }
    static void Set(int32_t x, int32_t y, uint16_t v) {
        std::memcpy(g_pTargetPixels + y * g_lTargetPitch + 2 * x, &v, 2);
    }
    static std::vector<uint16_t> Snapshot() {
        std::vector<uint16_t> out;
        for (int32_t y = 0; y < g_lTargetHeight; ++y)
            for (int32_t x = 0; x < g_lTargetWidth; ++x)
                out.push_back(At(x, y));
        return out;
    }
};

inline void Put16(std::vector<uint8_t>& v, uint32_t x) {
    v.push_back(static_cast<uint8_t>(x));
    v.push_back(static_cast<uint8_t>(x >> 8));
}

// Raw 16-bit image of w x h pixels.
inline std::vector<uint8_t> RawImage(int32_t w, int32_t h, const std::vector<uint16_t>& px) {
    std::vector<uint8_t> v;
    Put16(v, static_cast<uint32_t>(w * 2));
    Put16(v, static_cast<uint32_t>(h));
    for (uint16_t p : px)
        Put16(v, p);
    return v;
}

// A w x h picture whose pixel (x, y) is distinct and never 0 unless `holes`
// says so (every pixel where (x + 2y) % 5 == 0 is then 0).
inline std::vector<uint16_t> Pattern(int32_t w, int32_t h, bool holes) {
    std::vector<uint16_t> px;
    for (int32_t y = 0; y < h; ++y)
        for (int32_t x = 0; x < w; ++x)
            px.push_back(holes && (x + 2 * y) % 5 == 0 ? 0 : static_cast<uint16_t>(1 + x + 64 * y));
    return px;
}

// RLE 16-bit image of a picture, runs of non-zero pixels opaque.
inline std::vector<uint8_t> RleImage(int32_t w, int32_t h, const std::vector<uint16_t>& px) {
    std::vector<uint8_t> v;
    Put16(v, static_cast<uint32_t>(w * 2));
    Put16(v, static_cast<uint32_t>(h));
    for (int32_t y = 0; y < h; ++y) {
        int32_t x = 0;
        while (x < w) {
            int32_t n = 0;
            while (x + n < w && n < 127 && px[y * w + x + n] != 0)
                ++n;
            v.push_back(static_cast<uint8_t>(2 * n));
            for (int32_t i = 0; i < n; ++i)
                Put16(v, px[y * w + x + i]);
            x += n;
            int32_t s = 0;
            while (x + s < w && s < 127 && px[y * w + x + s] == 0)
                ++s;
            v.push_back(static_cast<uint8_t>(2 * s));
            x += s;
        }
    }
    return v;
}

} // namespace pftest
