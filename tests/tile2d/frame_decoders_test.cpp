#include <gtest/gtest.h>

#include <vector>

#include "tests/tile2d/tile_fixture.h"
#include "tile2d/frame_decoders.h"

namespace {

using namespace t2dtest;

struct RunSpec {
    uint32_t rgb, count;
};

Bytes Frame(const std::vector<RunSpec>& runs) {
    Bytes f;
    Put32(f, static_cast<uint32_t>(runs.size() * 4));
    for (const RunSpec& r : runs)
        Put32(f, (r.rgb & 0xFFFFFF) | r.count << 24);
    return f;
}

class FrameTest : public TileTest {
protected:
    static uint32_t N(const Bytes& b) { return static_cast<uint32_t>(b.size()); }
    std::vector<uint16_t> Screen(size_t n, uint16_t fill = 0x1111) { return std::vector<uint16_t>(n, fill); }
    static constexpr uint32_t kWide = 640 * 480;
};

TEST_F(FrameTest, LinearRunsSkipTransparentAndStopAtTheEnd) {
    auto s = Screen(16);
    const Bytes f = Frame({{0x000000, 5}, {0xFFFFFF, 3}, {0x0000FF, 0}, {0xFF0000, 2}});
    v_ShowRunFrame(f.data(), N(f), s.data(), 16);
    EXPECT_EQ(s[4], 0x1111);
    EXPECT_EQ(s[5], 0x7FFF);
    EXPECT_EQ(s[7], 0x7FFF);
    EXPECT_EQ(s[8], 0x7C00) << "a count of 0 writes nothing";
    EXPECT_EQ(s[10], 0x1111);

    // 76,800 pixels fill the buffer; the runs after them are not drawn.
    std::vector<RunSpec> runs(301, {0x00FF00, 255}); // 76,755 pixels
    runs.push_back({0x00FF00, 45});
    runs.push_back({0xFFFFFF, 10});
    const Bytes big = Frame(runs);
    auto screen = Screen(76800 + 8);
    v_ShowRunFrame(big.data(), N(big), screen.data(), 76800 + 8);
    EXPECT_EQ(screen[76799], 31 << 5);
    EXPECT_EQ(screen[76800], 0x1111);

    // A small buffer and a frame whose length word runs past its bytes.
    auto tiny = Screen(4);
    Bytes cut = Frame({{0xFFFFFF, 200}, {0xFF0000, 1}});
    cut.resize(8);
    v_ShowRunFrame(cut.data(), N(cut), tiny.data(), 4);
    EXPECT_EQ(tiny[3], 0x7FFF);
}

TEST_F(FrameTest, WideRowsDoubleEachPixelAndSkipOddLines) {
    const uint32_t w = 300, line = 2 * w;
    auto s = Screen(kWide);
    const Bytes f = Frame({{0x000000, 255}, {0x000000, 40}, {0x0000FF, 10}});
    v_ShowRunFrameWide(f.data(), N(f), s.data(), kWide, w);
    EXPECT_EQ(s[2 * 294 + 1], 0x1111);
    EXPECT_EQ(s[2 * 295], 31);
    EXPECT_EQ(s[2 * 299 + 1], 31);
    EXPECT_EQ(s[line + 0], 0x1111) << "the odd line is not written";
    EXPECT_EQ(s[2 * line + 0], 31) << "the rest goes on at line 2";
    EXPECT_EQ(s[2 * line + 9], 31);
    EXPECT_EQ(s[2 * line + 10], 0x1111);

    auto d = Screen(kWide);
    v_ShowRunFrameDouble(f.data(), N(f), d.data(), kWide, w);
    EXPECT_EQ(d[line + 2 * 295], 31);
    EXPECT_EQ(d[3 * line + 9], 31);
    EXPECT_EQ(d[3 * line + 10], 0x1111);
}

TEST_F(FrameTest, ScanAndShadeLines) {
    const uint32_t w = 320, line = 640;
    const Bytes red = Frame({{0xFF0000, 1}});
    auto s = Screen(kWide);
    v_ShowRunFrameScan8(red.data(), N(red), s.data(), kWide, w);
    EXPECT_EQ(s[line], 31 << 10) << "odd line: 63";
    EXPECT_EQ(s[0], 28 << 10) << "even line: 63 - 7 = 56";
    EXPECT_EQ(s[1], 28 << 10);
    v_SetPixelMode(1);
    v_ShowRunFrameScan4(red.data(), N(red), s.data(), kWide, w);
    EXPECT_EQ(s[0], 48 << 10) << "63 - 15 in six-bit red";
    EXPECT_EQ(s[line + 1], 63 << 10);

    v_SetPixelMode(0);
    const Bytes grey = Frame({{0x808080, 1}}); // 32 on the six-bit scale
    v_ShowRunFrameShade(grey.data(), N(grey), s.data(), kWide, w);
    const uint16_t full = 16 << 10 | 16 << 5 | 16, dim = 12 << 10 | 12 << 5 | 12, half = 8 << 10 | 8 << 5 | 8;
    EXPECT_EQ((std::vector<uint16_t>{s[0], s[1], s[line], s[line + 1]}), (std::vector<uint16_t>{dim, half, full, dim}));
}

TEST_F(FrameTest, SmoothInterpolatesTheBlocks) {
    const uint32_t line = 640;
    // Row 0: red, blue, then 318 transparent; row 1: green, white.
    const Bytes f = Frame({{0xFF0000, 1}, {0x0000FF, 1}, {0x000000, 255}, {0x000000, 63}, {0x00FF00, 1}, {0xFFFFFF, 1}});
    auto s = Screen(kWide);
    v_ShowRunFrameSmooth(f.data(), N(f), s.data(), kWide, 320);
    const uint16_t r = 0x7C00, b = 0x001F, g = 0x03E0, wh = 0x7FFF;
    EXPECT_EQ(s[0], r);
    EXPECT_EQ(s[1], 15 << 10 | 15) << "avg(red, blue)";
    EXPECT_EQ(s[line], 15 << 10 | 15 << 5) << "avg(red, green)";
    EXPECT_EQ(s[line + 1], 31 << 10 | 15 << 5 | 15) << "avg(red, white)";
    EXPECT_EQ(s[2], b);
    EXPECT_EQ(s[2 * line], g);
    EXPECT_EQ(s[2 * line + 2], wh);
    EXPECT_EQ(s[639], 0x1111) << "column 639 was never written";
    EXPECT_EQ(s[479 * line], 0x1111) << "line 479 is left";

    // A buffer short of 640 x 480 gets no write past its end.
    auto small = Screen(line * 5);
    v_ShowRunFrameSmooth(f.data(), N(f), small.data(), line * 5, 320);
    EXPECT_EQ(small[1], 15 << 10 | 15);
}

TEST_F(FrameTest, LongRunsOnNarrowFramesWrapRowByRow) {
    const uint32_t w = 4, line = 8;
    auto s = Screen(64);
    const Bytes f = Frame({{0xFFFFFF, 10}, {0xFF0000, 200}});
    v_ShowRunFrameWide(f.data(), N(f), s.data(), 64, w);
    for (uint32_t i = 0; i < 8; ++i) {
        EXPECT_EQ(s[i], 0x7FFF) << i;
        EXPECT_EQ(s[line + i], 0x1111) << i;
        EXPECT_EQ(s[2 * line + i], 0x7FFF) << i;
    }
    EXPECT_EQ(s[4 * line + 3], 0x7FFF);
    EXPECT_EQ(s[4 * line + 4], 0x7C00);
    EXPECT_EQ(s[5 * line], 0x1111);
    EXPECT_EQ(s[6 * line], 0x7C00);
    v_ShowRunFrameWide(f.data(), N(f), s.data(), 64, 0);
}

TEST_F(FrameTest, CorruptFramesStayInBounds) {
    // Random runs behind a length word far beyond the bytes, every prefix,
    // into buffers of exactly the size given (the sanitizer build checks).
    Bytes f;
    Put32(f, 0xFFFFFFF0u);
    uint32_t seed = 12345;
    for (uint32_t i = 0; i < 96; ++i) {
        seed = seed * 214013 + 2531011;
        f.push_back(static_cast<uint8_t>(seed >> 16));
    }
    using Decoder = void (*)(const uint8_t*, uint32_t, uint16_t*, uint32_t, uint32_t);
    const Decoder wide[] = {v_ShowRunFrameWide, v_ShowRunFrameDouble, v_ShowRunFrameScan8,
                            v_ShowRunFrameScan4, v_ShowRunFrameShade,  v_ShowRunFrameSmooth};
    std::vector<uint16_t> full(kWide), small(37);
    for (uint32_t n = 0; n <= f.size(); ++n) {
        for (Decoder d : wide) {
            d(f.data(), n, full.data(), kWide, 256);
            d(f.data(), n, small.data(), 37, 3);
        }
        std::vector<uint16_t> linear(10);
        v_ShowRunFrame(f.data(), n, linear.data(), 10);
    }
    v_ShowRunFrame(nullptr, 0, small.data(), 37);
    v_ShowRunFrameWide(f.data(), static_cast<uint32_t>(f.size()), nullptr, 0, 320);
    EXPECT_NE(full[0], 0x1111) << "the runs were drawn";
}

} // namespace
