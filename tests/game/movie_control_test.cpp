// The game's movie calls on the scene's player and its movie-playing flag.
#include <gtest/gtest.h>

#include <memory>
#include <set>
#include <vector>

#include "engine/device/direct2d.h"
#include "engine/device/movie.h"
#include "game/movie_control.h"
#include "platform/audio.h"
#include "platform/display.h"
#include "platform/media/movie_source.h"
#include "tests/support/headless_run.h"
#include "tests/support/temp_dir.h"
#include "tools/datagen/movie_writer.h"

namespace {

class MovieControl : public krxtest::HeadlessTest {
protected:
    void SetUp() override {
        HeadlessTest::SetUp();
        datagen::MovieSpec spec;
        spec.frames = 10;
        ASSERT_TRUE(datagen::WriteMovie(m_dir.Path() / "MOVIE" / "Two.MPG", spec));
        m_cwd = std::make_unique<krxtest::ScopedCwd>(m_dir.Path());
        plat::ResetMixer();
        ASSERT_TRUE(plat::OpenDisplay(800, 600, 16));
        m_movie.vSetDirectDraw(ss_MovieSurface::oScreen());
        m_movie.vSetRect(0, 0, 800, 600);
    }
    void TearDown() override {
        m_movie.vRelease();
        plat::CloseDisplay();
        plat::ResetMixer();
        m_cwd.reset();
        HeadlessTest::TearDown();
    }

    krxtest::TempDir m_dir;
    std::unique_ptr<krxtest::ScopedCwd> m_cwd;
    sc_Movie m_movie;
};

TEST_F(MovieControl, GameMovieCallsSetAndClearTheFlag) {
    g_oScreenSize.oSet(800, 600);
    int32_t flag = 0;
    v_PlayMovie(m_movie, flag, "MOVIE\\NONE.MPG");
    EXPECT_EQ(flag, 1);
    EXPECT_EQ(m_movie.bUpdate(), 0);

    flag = 7;
    v_StopMovie(m_movie, flag);
    EXPECT_EQ(flag, 0);

    v_PlayMovie(m_movie, flag, "MOVIE\\Two.MPG");
    EXPECT_EQ(flag, 1);
    EXPECT_EQ(m_movie.oGetRect().lRight, 800);
    EXPECT_EQ(m_movie.oGetRect().lBottom, 600);
    EXPECT_EQ(plat::CountPlayingVoices(), 1);
    EXPECT_EQ(m_movie.bUpdate(), 1);
    v_StopMovie(m_movie, flag);
    EXPECT_EQ(flag, 0);
    EXPECT_FALSE(m_movie.bIsOpen());
    EXPECT_EQ(plat::CountVoices(), 0);
}

// The data set's movies show the game's world, not flat fields: pictures of
// many colours that change every second, with sound, for five seconds or more.
TEST(GeneratedMovies, EachShowsAMovingPictureWithSound) {
    krxtest::ScopedCwd cwd(krxtest::DataDir());
    for (const char* name : {"MOVIE\\Pramo.MPG", "MOVIE\\KRX-OPEN.MPG", "MOVIE\\KRX-END.MPG"}) {
        auto movie = plat::MovieSource::Open(name);
        ASSERT_TRUE(movie && movie->HasSound()) << name;
        std::vector<uint16_t> pixels(static_cast<size_t>(movie->Width()) * movie->Height()), last;
        int32_t frames = 0;
        for (; movie->NextFrame(pixels, false) == plat::MovieFrame::Frame; ++frames) {
            if (frames % 25 != 13 || frames < 25) continue; // past the fade-in
            EXPECT_NE(pixels, last) << name << " frame " << frames;
            EXPECT_GT(std::set<uint16_t>(pixels.begin(), pixels.end()).size(), 200u) << name << " frame " << frames;
            last = pixels;
        }
        EXPECT_GE(frames, 125) << name;
    }
}

} // namespace
