// The movie source on a generated movie.
#include <gtest/gtest.h>

#include <span>
#include <vector>

#include "platform/media/movie_source.h"
#include "tests/support/temp_dir.h"
#include "tools/datagen/movie_writer.h"

namespace {

TEST(MovieSource, ReportsSizeAndSound) {
    krxtest::TempDir dir;
    datagen::MovieSpec spec;
    spec.frames = 10;
    spec.sound = false;
    spec.fields = {0x5294, 0x5294, 0x5294, 0x5294};
    spec.width = 64;
    spec.height = 48;
    ASSERT_TRUE(datagen::WriteMovie(dir.Path() / "m.mpg", spec));
    auto source = plat::MovieSource::Open((dir.Path() / "m.mpg").string());
    ASSERT_TRUE(source);
    EXPECT_EQ(source->Width(), 64);
    EXPECT_EQ(source->Height(), 48);
    EXPECT_FALSE(source->HasSound());
    std::vector<uint16_t> pixels(64 * 48);
    // Too small a buffer is an error, not an overrun.
    EXPECT_EQ(source->NextFrame(std::span<uint16_t>(pixels.data(), 10), false), plat::MovieFrame::Error);
    int frames = 0;
    while (source->NextFrame(pixels, false) == plat::MovieFrame::Frame) ++frames;
    EXPECT_EQ(frames, 9);
}

} // namespace
