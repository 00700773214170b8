#include <gtest/gtest.h>

#include <climits>
#include <cstring>
#include <vector>

#include "tests/tile2d/tile_fixture.h"
#include "tile2d/indexed_images.h"

namespace {

using namespace t2dtest;

uint32_t Size(const Bytes& b) {
    return static_cast<uint32_t>(b.size());
}

class IndexedImageTest : public ::testing::Test {
protected:
    void SetUp() override {
        g_oGfx = ss_GfxState{};
        v_SetPixelMode(0);
        Bytes rgb(768);
        for (size_t i = 0; i < rgb.size(); ++i)
            rgb[i] = static_cast<uint8_t>(i * 5 + 3);
        l_ConvertPalette(rgb.data(), m_pal.data(), 0);
    }
    // Key-run image of w x h values.
    static Bytes Image(uint32_t w, uint32_t h, const std::vector<uint8_t>& idx, uint8_t key = 0xEE) {
        Bytes b{key};
        Put32(b, w | h << 16);
        const Bytes codes = KeyRuns(idx, key);
        b.insert(b.end(), codes.begin(), codes.end());
        return b;
    }
    // What a plain clipped copy of the image at (x, y) gives in a W x H buffer.
    template <class T, class Map>
    static std::vector<T> Want(std::vector<T> buf, int32_t W, int32_t H, const std::vector<uint8_t>& idx, uint32_t w,
                               uint32_t h, int32_t x, int32_t y, Map map) {
        for (uint32_t r = 0; r < h; ++r)
            for (uint32_t c = 0; c < w; ++c) {
                const int64_t X = x + int64_t{c}, Y = y + int64_t{r};
                const uint8_t v = idx[r * w + c];
                if (v && X >= 0 && Y >= 0 && X < W && Y < H) buf[static_cast<size_t>(Y * W + X)] = map(v);
            }
        return buf;
    }
    // The library keeps the current palette's address, so it outlives the test.
    static inline std::vector<uint16_t> m_pal = std::vector<uint16_t>(256);
};

TEST_F(IndexedImageTest, PaletteFromTripletsInEveryMode) {
    Bytes rgb(768, 0);
    rgb[0] = 255, rgb[1] = 128, rgb[2] = 8;
    static std::vector<uint16_t> out(256);
    const uint16_t want[4] = {0x8000 | 31 << 10 | 16 << 5 | 1, 63 << 10 | 16 << 5 | 1, 31 << 11 | 32 << 5 | 1,
                              31 << 11 | 16 << 6 | 2};
    for (uint8_t mode = 0; mode < 4; ++mode) {
        l_ConvertPalette(rgb.data(), out.data(), mode);
        EXPECT_EQ(out[0], want[mode]) << int{mode};
        EXPECT_EQ(out[1], mode == 0 ? 0x8000 : 0) << "mode 0 sets bit 15 even on black";
    }
    EXPECT_EQ(p_CurrentPalette(), out.data());
}

TEST_F(IndexedImageTest, ClippedOnAllFourSides) {
    // 6 x 4, a run of 10 starting 4 pixels before the end of row 0.
    std::vector<uint8_t> idx = {1, 2, 0, 3, 3, 3, 3, 3, 3, 3, 3, 3, 5, 0xEE, 6, 7, 8, 9, 9, 9, 9, 9, 0, 4};
    for (size_t i = 2; i < 12; ++i)
        idx[i] = 3;
    const Bytes img = Image(6, 4, idx);
    const int32_t W = 16, H = 10;
    auto colour = [&](uint8_t v) { return m_pal[v]; };
    const int32_t places[][2] = {{2, 1},  {-3, 2}, {W - 2, 0}, {5, -2}, {-5, -3}, {12, 8},
                                 {0, -4}, {W, 0},  {0, H},     {-6, 0}, {5, -100}};
    for (auto [x, y] : places) {
        std::vector<uint16_t> buf(W * H, 0x1234); // exact size, so an overrun shows under the sanitizer
        const std::vector<uint16_t> want = Want(buf, W, H, idx, 6, 4, x, y, colour);
        v_ShowRle8Clip16(x, y, img.data(), Size(img), buf.data(), W, H);
        EXPECT_EQ(buf, want) << x << "," << y;
        std::vector<uint8_t> b8(W * H, 0xAB);
        const std::vector<uint8_t> want8 = Want(b8, W, H, idx, 6, 4, x, y, [](uint8_t v) { return v; });
        v_ShowRle8Clip8(x, y, img.data(), Size(img), b8.data(), W, H);
        EXPECT_EQ(b8, want8) << x << "," << y;
    }
    // At x = -3 the first three columns are gone; at x = W - 2 two show.
    std::vector<uint8_t> b8(W * H, 0xAB);
    v_ShowRle8Clip8(-3, 0, img.data(), Size(img), b8.data(), W, H);
    EXPECT_EQ(b8[0], 3);
    EXPECT_EQ(b8[3], 0xAB);
    // Truncated images: every prefix, exact-size copies.
    for (size_t n = 0; n < img.size(); ++n) {
        const Bytes cut(img.begin(), img.begin() + static_cast<ptrdiff_t>(n));
        std::vector<uint16_t> buf(W * H, 0x1234);
        v_ShowRle8Clip16(1, 1, cut.data(), Size(cut), buf.data(), W, H);
    }
}

TEST_F(IndexedImageTest, NothingIntoAnEmptyBuffer) {
    const Bytes img = Image(2, 1, {1, 2});
    std::vector<uint16_t> buf(4, 7);
    v_ShowRle8Clip16(0, 0, img.data(), Size(img), buf.data(), 0, 4);
    v_ShowRle8Clip16(0, 0, img.data(), Size(img), buf.data(), 2, -1);
    EXPECT_EQ(buf, std::vector<uint16_t>(4, 7));
}

Bytes Tga(uint32_t w, uint32_t h, const Bytes& bgrBottomUp) {
    Bytes t(18, 0);
    t[2] = 2;
    t[12] = static_cast<uint8_t>(w), t[13] = static_cast<uint8_t>(w >> 8);
    t[14] = static_cast<uint8_t>(h), t[15] = static_cast<uint8_t>(h >> 8);
    t[16] = 24;
    t.insert(t.end(), bgrBottomUp.begin(), bgrBottomUp.end());
    return t;
}

TEST_F(IndexedImageTest, TgaConversion) {
    // 3 x 2, stored bottom row first: bottom = black, key, white; top = pure colours.
    const Bytes tga = Tga(3, 2, {0, 0, 0, 10, 20, 30, 255, 255, 255, 255, 0, 0, 0, 255, 0, 0, 0, 255});
    Bytes out(4 + 12, 0xCC);
    ASSERT_TRUE(v_ConvertTga24(tga.data(), Size(tga), out.data(), Size(out), 10, 20, 30));
    EXPECT_EQ(Get32(out, 0), 3u | 2u << 16);
    const uint16_t want[6] = {0x001F, 0x03E0, 0x7C00, 1, 0, 0x7FFF};
    for (int i = 0; i < 6; ++i)
        EXPECT_EQ(Get16(out, 4 + 2 * i), want[i]) << i;
    // The same picture after a 5-byte identification field, and stored top
    // row first (descriptor bit 5), reads the same; a field longer than the
    // file is refused.
    Bytes withId = tga;
    withId[0] = 5;
    withId.insert(withId.begin() + 18, {'n', 'a', 'm', 'e', '!'});
    Bytes topDown = Tga(3, 2, {255, 0, 0, 0, 255, 0, 0, 0, 255, 0, 0, 0, 10, 20, 30, 255, 255, 255});
    topDown[17] = 0x20;
    for (const Bytes* other : {&withId, &topDown}) {
        Bytes same(out.size(), 0xCC);
        ASSERT_TRUE(v_ConvertTga24(other->data(), Size(*other), same.data(), Size(same), 10, 20, 30));
        EXPECT_EQ(same, out);
    }
    withId[0] = 255;
    EXPECT_FALSE(v_ConvertTga24(withId.data(), Size(withId), out.data(), Size(out), 10, 20, 30));
    v_SetPixelMode(2);
    ASSERT_TRUE(v_ConvertTga24(tga.data(), Size(tga), out.data(), Size(out), 10, 20, 30));
    EXPECT_EQ(Get16(out, 4 + 2), 0x07E0) << "six green bits in mode 2";

    Bytes small(15);
    EXPECT_FALSE(v_ConvertTga24(tga.data(), Size(tga), small.data(), Size(small), 0, 0, 0));
    for (size_t n = 0; n < tga.size(); ++n) {
        const Bytes cut(tga.begin(), tga.begin() + static_cast<ptrdiff_t>(n));
        EXPECT_FALSE(v_ConvertTga24(cut.data(), Size(cut), out.data(), Size(out), 0, 0, 0));
    }
    Bytes rle = tga;
    rle[2] = 10;
    EXPECT_FALSE(v_ConvertTga24(rle.data(), Size(rle), out.data(), Size(out), 0, 0, 0));
    Bytes bits32 = tga;
    bits32[16] = 32;
    EXPECT_FALSE(v_ConvertTga24(bits32.data(), Size(bits32), out.data(), Size(out), 0, 0, 0));
}

TEST_F(IndexedImageTest, TgaCut) {
    // 4 x 3 source, pitch 5 pixels; pixel (x, y) = (x, y, 100).
    Bytes src;
    for (uint8_t y = 0; y < 3; ++y)
        for (uint8_t x = 0; x < 5; ++x)
            src.insert(src.end(), {x, y, 100});
    Bytes out(18 + 3 * 3 * 3 + 4, 0xCC);
    ASSERT_EQ(v_CutTga24(1, 1, 2, 2, 3, 3, out.data(), Size(out), src.data(), Size(src), 5), 18u + 27u);
    const Bytes header = {0, 0, 2, 0, 0, 0, 0, 0, 0, 0, 0, 0, 3, 0, 3, 0, 24, 0};
    EXPECT_EQ(Bytes(out.begin(), out.begin() + 18), header);
    // Stored rows bottom-up: row 2 holds source row 1, row 1 source row 2, row 0 zeros.
    const Bytes rows = {0, 0, 0, 0, 0, 0, 0, 0, 0,  //
                        1, 2, 100, 2, 2, 100, 0, 0, 0,  //
                        1, 1, 100, 2, 1, 100, 0, 0, 0};
    EXPECT_EQ(Bytes(out.begin() + 18, out.begin() + 45), rows);
    EXPECT_EQ(out[45], 0xCC);
    // A rectangle wider and taller than the TGA is cut to it; source pixels
    // beyond the source are zeros.
    ASSERT_EQ(v_CutTga24(3, 2, 9, 9, 3, 2, out.data(), Size(out), src.data(), Size(src), 5), 18u + 18u);
    const Bytes cut = {0, 0, 0, 0, 0, 0, 0, 0, 0,  // source row 3: none
                       3, 2, 100, 4, 2, 100, 0, 0, 0};
    EXPECT_EQ(Bytes(out.begin() + 18, out.begin() + 36), cut);
    EXPECT_EQ(v_CutTga24(0, 0, 1, 1, 3, 3, out.data(), 44, src.data(), Size(src), 5), 0u);
    // Far-off rectangles: offsets past 64 bits of bytes read nothing.
    ASSERT_EQ(v_CutTga24(INT32_MAX, INT32_MAX, 2, 2, 2, 2, out.data(), Size(out), src.data(), Size(src), INT32_MAX),
              18u + 12u);
    ASSERT_EQ(v_CutTga24(INT32_MIN, INT32_MAX, 2, 2, 2, 2, out.data(), Size(out), src.data(), Size(src), INT32_MIN),
              18u + 12u);
    EXPECT_EQ(Bytes(out.begin() + 18, out.begin() + 30), Bytes(12, 0));
    // A cut converts back to the source's colours.
    Bytes vivid;
    for (uint32_t y = 0; y < 3; ++y)
        for (uint32_t x = 0; x < 4; ++x)
            vivid.insert(vivid.end(), {static_cast<uint8_t>(x * 60), static_cast<uint8_t>(y * 100), 100});
    Bytes whole(18 + 4 * 3 * 3);
    ASSERT_GT(v_CutTga24(0, 0, 4, 3, 4, 3, whole.data(), Size(whole), vivid.data(), Size(vivid), 4), 0u);
    Bytes img(4 + 4 * 3 * 2);
    ASSERT_TRUE(v_ConvertTga24(whole.data(), Size(whole), img.data(), Size(img), 1, 1, 1));
    for (uint32_t y = 0; y < 3; ++y)
        for (uint32_t x = 0; x < 4; ++x)
            EXPECT_EQ(Get16(img, 4 + 2 * (y * 4 + x)), (100 >> 3) << 10 | (y * 100 >> 3) << 5 | (x * 60 >> 3));
}

TEST(ByteBlockTest, FillCopySwap) {
    Bytes b(10, 0);
    l_FillBytes(b.data(), 7, 0x44332211);
    EXPECT_EQ(b, (Bytes{0x11, 0x22, 0x33, 0x44, 0x11, 0x22, 0x11, 0, 0, 0}));
    for (uint32_t n : {0u, 1u, 2u, 3u, 5u}) {
        Bytes c(n + 1, 0);
        l_FillBytes(c.data(), n, 0xA1B2C3D4);
        EXPECT_EQ(c[n], 0) << n;
    }
    const char* text = "Hello\r\nworld";
    Bytes line(32, 0xFF);
    EXPECT_EQ(l_CopyLine(reinterpret_cast<const uint8_t*>(text), 12, line.data(), 32, 0), 5u);
    EXPECT_EQ(std::memcmp(line.data(), "Hello", 6), 0);
    EXPECT_EQ(l_CopyLine(reinterpret_cast<const uint8_t*>(text), 12, line.data(), 32, 3), 3u);
    EXPECT_EQ(std::memcmp(line.data(), "Hel", 4), 0);
    EXPECT_EQ(l_CopyLine(reinterpret_cast<const uint8_t*>(text), 4, line.data(), 32, 0), 4u) << "source end";
    EXPECT_EQ(l_CopyLine(reinterpret_cast<const uint8_t*>(text), 12, line.data(), 3, 0), 2u) << "room for the zero";
    EXPECT_EQ(line[2], 0);
    EXPECT_EQ(l_CopyLine(reinterpret_cast<const uint8_t*>(text), 12, line.data(), 0, 0), 0u);

    Bytes a = {1, 2, 3, 4, 5}, z = {9, 8, 7, 6, 5};
    l_SwapBytes(a.data(), z.data(), 3);
    EXPECT_EQ(a, (Bytes{9, 8, 7, 4, 5}));
    EXPECT_EQ(z, (Bytes{1, 2, 3, 6, 5}));
    l_CopyBytes(a.data(), a.data() + 1, 4);
    EXPECT_EQ(a, (Bytes{9, 9, 8, 7, 4}));
}

}  // namespace
