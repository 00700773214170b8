// The engine's movie on the SDL output, whose thread pulls the mixer in real
// time.
#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <vector>

#include "engine/device/movie.h"
#include "platform/audio.h"
#include "platform/backend.h"
#include "platform/sdl/sdl_audio.h"
#include "tests/support/temp_dir.h"
#include "tools/datagen/movie_writer.h"

namespace {

class MovieOnSdlAudio : public ::testing::Test {
protected:
    using Clock = std::chrono::steady_clock;

    void SetUp() override {
        // The dummy driver consumes sound at the real rate without a sound card.
        setenv("SDL_AUDIODRIVER", "dummy", 1);
        plat::ResetBackend();
        plat::ResetMixer();
        ASSERT_TRUE(plat::StartSdlAudio());
    }
    void TearDown() override {
        plat::StopSdlAudio();
        plat::ResetMixer();
    }
    static int64_t MsSince(Clock::time_point t) {
        return std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - t).count();
    }
};

TEST_F(MovieOnSdlAudio, MovieFollowsTheDeviceClock) {
    krxtest::TempDir dir;
    datagen::MovieSpec spec;
    spec.frames = 10;
    ASSERT_TRUE(datagen::WriteMovie(dir.Path() / "m.mpg", spec));
    std::vector<uint16_t> target(320 * 240);
    sc_Movie movie;
    movie.vSetDirectDraw(ss_MovieSurface{target.data(), 320, 240, false});
    movie.vSetRect(0, 0, 320, 240);
    ASSERT_EQ(movie.bOpen((dir.Path() / "m.mpg").c_str()), 1);
    ASSERT_EQ(movie.bPlay(), 1);
    const Clock::time_point start = Clock::now();
    int frames = 0;
    while (movie.bUpdate() && frames < 100) ++frames;
    // A frame that a busy machine delays past its time is skipped, as in
    // play: the count depends on the scheduler, the pace does not.
    EXPECT_GE(frames, 1);
    EXPECT_LE(frames, 10);
    // Ten frames at 25 a second take about 400 ms of sound.
    EXPECT_GE(MsSince(start), 300);
    EXPECT_LT(MsSince(start), 5000);
    EXPECT_EQ(target[0], spec.fields[0]);
}

} // namespace
