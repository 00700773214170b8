#include <gtest/gtest.h>

#include <string>

#include "platform/png.h"
#include "tests/support/reader_checks.h"
#include "tests/support/temp_dir.h"

namespace {

TEST(Png555, EveryColourSurvivesARoundTrip) {
    krxtest::TempDir dir;
    // All 32768 colours in a 256 x 128 picture, read from a wider buffer.
    const int w = 256, h = 128, pitch = 260;
    std::vector<uint16_t> px(static_cast<size_t>(pitch * h), 0xFFFF);
    for (int i = 0; i < w * h; ++i)
        px[static_cast<size_t>((i / w) * pitch + i % w)] = static_cast<uint16_t>(i);
    const std::string path = (dir.Path() / "all.png").string();
    ASSERT_TRUE(plat::WritePng555(path, px.data(), w, h, pitch));
    std::vector<uint16_t> back;
    int bw = 0, bh = 0;
    ASSERT_TRUE(plat::ReadPng555(path, back, bw, bh));
    ASSERT_EQ(bw, w);
    ASSERT_EQ(bh, h);
    for (int i = 0; i < w * h; ++i)
        ASSERT_EQ(back[static_cast<size_t>(i)], i) << i;
}

TEST(Png555, BadFilesAreRefused) {
    krxtest::TempDir dir;
    const uint16_t px[4] = {0x7fff, 0, 0x1234, 0x4321};
    const std::string good = (dir.Path() / "good.png").string();
    ASSERT_TRUE(plat::WritePng555(good, px, 2, 2, 2));
    const std::string bytes = dir.Read("good.png");
    std::vector<uint16_t> out;
    int w = 0, h = 0;
    EXPECT_FALSE(plat::ReadPng555((dir.Path() / "none.png").string(), out, w, h));
    for (size_t len = 0; len + 1 < bytes.size(); len += (len < 64 ? 1 : 7)) {
        const auto p = dir.Write("cut.png", bytes.substr(0, len));
        // A cut in the trailer may still decode; anything else must fail
        // cleanly with the outputs cleared.
        if (!plat::ReadPng555(p.string(), out, w, h)) {
            EXPECT_TRUE(out.empty());
            EXPECT_EQ(w, 0);
        }
    }
    EXPECT_FALSE(plat::WritePng555(good, px, 0, 2, 2));
    EXPECT_FALSE(plat::WritePng555(good, px, 2, 2, 1));
    EXPECT_FALSE(plat::WritePng555((dir.Path() / "no/such/dir.png").string(), px, 2, 2, 2));
}

} // namespace

namespace {

TEST(Png555, PicturesWiderThanTheCapAreRefusedBeforeAllocating) {
    krxtest::TempDir dir;
    std::vector<uint16_t> row(4097, 0x1F);
    const std::string wide = (dir.Path() / "wide.png").string();
    ASSERT_TRUE(plat::WritePng555(wide, row.data(), 4097, 1, 4097));
    std::vector<uint16_t> out;
    int w = 0, h = 0;
    {
        krxtest::TraceCapture trace;
        EXPECT_FALSE(plat::ReadPng555(wide, out, w, h));
        ASSERT_EQ(trace.Lines().size(), 1u);
        EXPECT_EQ(trace.Lines()[0].source, wide);
        EXPECT_EQ(trace.Lines()[0].reason, "has a size out of range");
    }
    EXPECT_TRUE(out.empty());
    const std::string edge = (dir.Path() / "edge.png").string();
    ASSERT_TRUE(plat::WritePng555(edge, row.data(), 4096, 1, 4096));
    EXPECT_TRUE(plat::ReadPng555(edge, out, w, h));
    EXPECT_EQ(w, 4096);
}

} // namespace
