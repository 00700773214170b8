// The movie player on generated movies, under the headless backend.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include "engine/device/direct2d.h"
#include "engine/device/movie.h"
#include "platform/audio.h"
#include "platform/clock.h"
#include "platform/display.h"
#include "platform/media/movie_source.h"
#include "tests/support/headless_run.h"
#include "tests/support/temp_dir.h"
#include "tools/datagen/movie_writer.h"

namespace {

namespace fs = std::filesystem;

// Two seconds at 25 frames a second, with sound.
datagen::MovieSpec TwoSeconds() {
    datagen::MovieSpec s;
    s.frames = 50;
    s.fields = {0x001F, 0x03E0, 0x7C00, 0x4210};
    return s;
}

datagen::MovieSpec Other() {
    datagen::MovieSpec s;
    s.frames = 50;
    s.fields = {0x7FE0, 0x7C1F, 0x03FF, 0x0C63};
    return s;
}

datagen::MovieSpec Short(bool sound) {
    datagen::MovieSpec s;
    s.frames = 10;
    s.sound = sound;
    s.fields = {0x5294, 0x5294, 0x5294, 0x5294};
    return s;
}

std::string ReadAll(const fs::path& p) {
    std::ifstream f(p, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(f), {});
}

void ExpectColour(uint16_t got, uint16_t want, int x, int y) {
    for (int shift : {0, 5, 10}) {
        const int g = (got >> shift) & 31, w = (want >> shift) & 31;
        EXPECT_LE(std::abs(g - w), 2) << "at " << x << "," << y << " channel " << shift << ": got " << std::hex
                                      << got << " want " << want;
    }
}

class MoviePlayer : public krxtest::HeadlessTest {
protected:
    static void SetUpTestSuite() {
        s_dir = std::make_unique<krxtest::TempDir>();
        const fs::path movie = s_dir->Path() / "MOVIE";
        ASSERT_TRUE(datagen::WriteMovie(movie / "Two.MPG", TwoSeconds()));
        ASSERT_TRUE(datagen::WriteMovie(movie / "Other.MPG", Other()));
        ASSERT_TRUE(datagen::WriteMovie(movie / "Mute.MPG", [] {
            datagen::MovieSpec s = TwoSeconds();
            s.sound = false;
            return s;
        }()));
        ASSERT_TRUE(datagen::WriteMovie(movie / "Short.MPG", Short(true)));
    }
    static void TearDownTestSuite() { s_dir.reset(); }

    void SetUp() override {
        HeadlessTest::SetUp();
        m_cwd = std::make_unique<krxtest::ScopedCwd>(s_dir->Path());
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

    // Updates until the movie ends; the number of updates that returned 1.
    int PlayOut(sc_Movie& movie, int limit = 1000) {
        int n = 0;
        while (n < limit && movie.bUpdate()) ++n;
        return n;
    }

    uint16_t ScreenAt(int x, int y) const { return plat::Screen().pixels[y * 800 + x]; }

    static std::unique_ptr<krxtest::TempDir> s_dir;
    std::unique_ptr<krxtest::ScopedCwd> m_cwd;
    sc_Movie m_movie;
};

std::unique_ptr<krxtest::TempDir> MoviePlayer::s_dir;

TEST_F(MoviePlayer, TwoSecondsGiveFiftyFramesPacedByTheClock) {
    ASSERT_EQ(m_movie.bOpen("MOVIE\\two.mpg"), 1);
    // Open is stopped: its sound is made but silent.
    EXPECT_EQ(plat::CountVoices(), 1);
    EXPECT_EQ(plat::CountPlayingVoices(), 0);
    ASSERT_EQ(m_movie.bPlay(), 1);
    EXPECT_EQ(plat::CountPlayingVoices(), 1);
    const uint32_t start = plat::TickCount();
    EXPECT_EQ(PlayOut(m_movie), 50);
    const uint32_t elapsed = plat::TickCount() - start;
    EXPECT_GE(elapsed, 1900u);
    EXPECT_LE(elapsed, 2100u);

    // The movie released itself, sound and all.
    EXPECT_FALSE(m_movie.bIsOpen());
    EXPECT_EQ(plat::CountVoices(), 0);
    EXPECT_EQ(m_movie.bUpdate(), 0);
    EXPECT_EQ(m_movie.bStop(), 1);
    m_movie.vRelease();
    EXPECT_EQ(m_movie.bPlay(), 0);
}

TEST_F(MoviePlayer, SoundReachesTheMixer) {
    ASSERT_EQ(m_movie.bOpen("MOVIE\\Two.MPG"), 1);
    ASSERT_EQ(m_movie.bPlay(), 1);
    for (int i = 0; i < 5; ++i) ASSERT_EQ(m_movie.bUpdate(), 1);
    // Pull a tenth of a second as a device would: the movie's tone.
    plat::AttachAudioDevice(true);
    std::vector<int16_t> out(plat::kAudioRate / 10 * 2);
    plat::MixAudio(out);
    plat::AttachAudioDevice(false);
    int peak = 0;
    for (int16_t v : out) peak = std::max(peak, std::abs(static_cast<int>(v)));
    EXPECT_GT(peak, 4000);
    EXPECT_LT(peak, 8000);
    // Both channels carry it.
    EXPECT_NE(out[100], 0);
    EXPECT_EQ(out[100], out[101]);
}

TEST_F(MoviePlayer, MovieWithoutSoundIsPacedByTicks) {
    ASSERT_EQ(m_movie.bOpen("MOVIE\\Mute.MPG"), 1);
    EXPECT_EQ(plat::CountVoices(), 0);
    ASSERT_EQ(m_movie.bPlay(), 1);
    const uint32_t start = plat::TickCount();
    // The game's own frames move the clock too: the movie does not wait
    // twice for the same time.
    int n = 0;
    while (m_movie.bUpdate()) {
        ++n;
        Backend().Wait(16);
        ASSERT_LT(n, 1000);
    }
    EXPECT_EQ(n, 50);
    const uint32_t elapsed = plat::TickCount() - start;
    EXPECT_GE(elapsed, 1900u);
    EXPECT_LE(elapsed, 2100u);
}

TEST_F(MoviePlayer, StopHaltsTheMediaClock) {
    ASSERT_EQ(m_movie.bOpen("MOVIE\\Two.MPG"), 1);
    ASSERT_EQ(m_movie.bPlay(), 1);
    for (int i = 0; i < 10; ++i) ASSERT_EQ(m_movie.bUpdate(), 1);
    ASSERT_EQ(m_movie.bStop(), 1);
    EXPECT_EQ(plat::CountPlayingVoices(), 0);
    // Stopped, the picture holds and no frame is used up.
    std::fill_n(plat::Screen().pixels, 800 * 600, 0);
    for (int i = 0; i < 5; ++i) ASSERT_EQ(m_movie.bUpdate(), 1);
    ExpectColour(ScreenAt(200, 150), TwoSeconds().fields[0], 200, 150);
    Backend().Wait(5000);
    ASSERT_EQ(m_movie.bPlay(), 1);
    // Nothing was skipped for the time spent stopped.
    EXPECT_EQ(PlayOut(m_movie), 40);
}

TEST_F(MoviePlayer, LateFramesAreSkipped) {
    ASSERT_EQ(m_movie.bOpen("MOVIE\\Two.MPG"), 1);
    ASSERT_EQ(m_movie.bPlay(), 1);
    ASSERT_EQ(m_movie.bUpdate(), 1);
    // The game stalls for half a second: the movie catches up, not lags.
    Backend().Wait(500);
    const int rest = PlayOut(m_movie);
    EXPECT_LT(rest, 45);
    EXPECT_GE(rest, 30);
}

TEST_F(MoviePlayer, EmptyPlayerAnswersZero) {
    sc_Movie movie;
    EXPECT_EQ(movie.bUpdate(), 0);
    EXPECT_EQ(movie.bPlay(), 0);
    EXPECT_EQ(movie.bStop(), 1);
    EXPECT_EQ(movie.bStep(), 0);
    movie.vRelease();
    // Without a destination nothing opens.
    EXPECT_EQ(movie.bOpen("MOVIE\\Two.MPG"), 0);
    EXPECT_EQ(plat::CountVoices(), 0);
    // Nothing was drawn.
    EXPECT_EQ(ScreenAt(400, 300), 0);
}

TEST_F(MoviePlayer, MissingFilesAndOverlongNamesAreRefused) {
    EXPECT_EQ(m_movie.bOpen("MOVIE\\NONE.MPG"), 0);
    EXPECT_EQ(m_movie.bOpen(nullptr), 0);
    EXPECT_EQ(m_movie.bUpdate(), 0);

    // 259 characters fit the name buffer with their zero; 260 do not,
    // though the platform would find the file.
    auto repeat = [](int n) {
        std::string s;
        for (int i = 0; i < n; ++i) s += ".\\";
        return s;
    };
    const std::string fits = repeat(123) + "MOVIE\\Two.MPG";
    const std::string over = repeat(119) + "MOVIE\\..\\MOVIE\\Two.MPG";
    ASSERT_EQ(fits.size(), 259u);
    ASSERT_EQ(over.size(), 260u);
    EXPECT_TRUE(plat::MovieSource::Open(over));
    EXPECT_EQ(m_movie.bOpen(fits.c_str()), 1);
    EXPECT_EQ(m_movie.bOpen(over.c_str()), 0);
    EXPECT_FALSE(m_movie.bIsOpen());
}

TEST_F(MoviePlayer, EmptyTruncatedAndCorruptFilesFailCleanly) {
    const std::string whole = ReadAll(s_dir->Path() / "MOVIE" / "Two.MPG");
    ASSERT_GT(whole.size(), 20000u);
    s_dir->Write("MOVIE/Empty.MPG", "");
    EXPECT_EQ(m_movie.bOpen("MOVIE\\Empty.MPG"), 0);
    s_dir->Write("MOVIE/Text.MPG", "this is not a movie at all");
    EXPECT_EQ(m_movie.bOpen("MOVIE\\Text.MPG"), 0);
    // The movie behind a hole of zeros longer than a picture is searched for.
    std::ofstream(s_dir->Path() / "MOVIE" / "Late.MPG").seekp(plat::MovieSource::kMaxSearchBytes) << whole;
    EXPECT_EQ(m_movie.bOpen("MOVIE\\Late.MPG"), 0);

    for (size_t cut : {size_t{1}, size_t{4}, size_t{14}, size_t{100}, size_t{2048}, size_t{8000}, whole.size() / 3,
                       whole.size() / 2, whole.size() - 100}) {
        SCOPED_TRACE(cut);
        s_dir->Write("MOVIE/Cut.MPG", whole.substr(0, cut));
        if (m_movie.bOpen("MOVIE\\Cut.MPG")) {
            m_movie.bPlay();
            // A cut movie ends early, never hangs.
            EXPECT_LT(PlayOut(m_movie), 51);
            EXPECT_FALSE(m_movie.bIsOpen());
        }
    }

    // Good headers, then noise: the damaged part is skipped or ends the
    // movie, within a bounded number of updates.
    std::string noisy = whole;
    uint32_t state = 12345;
    for (size_t i = 6000; i < noisy.size(); ++i) {
        state = state * 214013 + 2531011;
        noisy[i] = static_cast<char>(state >> 16);
    }
    s_dir->Write("MOVIE/Noise.MPG", noisy);
    if (m_movie.bOpen("MOVIE\\Noise.MPG")) {
        m_movie.bPlay();
        EXPECT_LT(PlayOut(m_movie), 60);
        EXPECT_FALSE(m_movie.bIsOpen());
    }
    // Noise in the middle only: the frames around it still play.
    std::string holed = whole;
    for (size_t i = whole.size() / 3; i < whole.size() / 3 + 3000; ++i) holed[i] = static_cast<char>(i * 7);
    s_dir->Write("MOVIE/Holed.MPG", holed);
    ASSERT_EQ(m_movie.bOpen("MOVIE\\Holed.MPG"), 1);
    m_movie.bPlay();
    const int shown = PlayOut(m_movie);
    EXPECT_GT(shown, 30);
    EXPECT_LT(shown, 60);
}

TEST_F(MoviePlayer, FieldsAreStretchedOntoTheWholeScreen) {
    ASSERT_EQ(m_movie.bOpen("MOVIE\\Two.MPG"), 1);
    EXPECT_EQ(m_movie.oGetSampleRect().lRight, 320);
    EXPECT_EQ(m_movie.oGetSampleRect().lBottom, 240);
    ASSERT_EQ(m_movie.bPlay(), 1);
    ASSERT_EQ(m_movie.bUpdate(), 1);
    const datagen::MovieSpec spec = TwoSeconds();
    // Every quarter, well inside it and near its inner corner (the field
    // edges in the movie are at 160 and 120, on the screen at 400 and 300).
    const int xs[2][3] = {{8, 200, 388}, {412, 600, 792}};
    const int ys[2][3] = {{6, 150, 290}, {310, 450, 594}};
    for (int q = 0; q < 4; ++q)
        for (int x : xs[q & 1])
            for (int y : ys[q >> 1]) ExpectColour(ScreenAt(x, y), spec.fields[q], x, y);
}

TEST_F(MoviePlayer, ReopeningReleasesTheRunningMovieAndItsSound) {
    ASSERT_EQ(m_movie.bOpen("MOVIE\\Two.MPG"), 1);
    ASSERT_EQ(m_movie.bPlay(), 1);
    for (int i = 0; i < 5; ++i) ASSERT_EQ(m_movie.bUpdate(), 1);
    EXPECT_EQ(plat::CountPlayingVoices(), 1);

    ASSERT_EQ(m_movie.bOpen("MOVIE\\Other.MPG"), 1);
    EXPECT_EQ(plat::CountPlayingVoices(), 0);
    EXPECT_EQ(plat::CountVoices(), 1);
    ASSERT_EQ(m_movie.bPlay(), 1);
    ASSERT_EQ(m_movie.bUpdate(), 1);
    ExpectColour(ScreenAt(200, 150), Other().fields[0], 200, 150);
    // The new movie runs its whole length.
    EXPECT_EQ(PlayOut(m_movie), 49);

    // A failed open releases the old movie too.
    ASSERT_EQ(m_movie.bOpen("MOVIE\\Two.MPG"), 1);
    ASSERT_EQ(m_movie.bPlay(), 1);
    EXPECT_EQ(m_movie.bOpen("MOVIE\\NONE.MPG"), 0);
    EXPECT_EQ(plat::CountVoices(), 0);
    EXPECT_EQ(m_movie.bUpdate(), 0);
}

TEST_F(MoviePlayer, ReopeningStopsTheOldSubMovieToo) {
    sc_Movie sub;
    sub.vSetDirectDraw(ss_MovieSurface::oScreen());
    sub.vSetRect(0, 0, 160, 120);
    ASSERT_EQ(sub.bOpen("MOVIE\\Short.MPG"), 1);
    ASSERT_EQ(m_movie.bOpen("MOVIE\\Two.MPG"), 1);
    m_movie.vSetSubMovie(&sub);
    ASSERT_EQ(m_movie.bPlay(), 1);
    ASSERT_EQ(m_movie.bUpdate(), 1);
    EXPECT_EQ(plat::CountPlayingVoices(), 2);

    // As a caller's stop and release before the open would: no sound of the
    // old set plays on.
    ASSERT_EQ(m_movie.bOpen("MOVIE\\Other.MPG"), 1);
    EXPECT_EQ(plat::CountPlayingVoices(), 0);
    EXPECT_TRUE(sub.bIsOpen());
    sub.vRelease();
}

TEST_F(MoviePlayer, SubMovieCycleDoesNotRecurse) {
    sc_Movie other;
    other.vSetDirectDraw(ss_MovieSurface::oScreen());
    other.vSetRect(0, 0, 160, 120);
    ASSERT_EQ(other.bOpen("MOVIE\\Short.MPG"), 1);
    ASSERT_EQ(m_movie.bOpen("MOVIE\\Two.MPG"), 1);
    m_movie.vSetSubMovie(&other);
    other.vSetSubMovie(&m_movie);
    EXPECT_EQ(m_movie.bPlay(), 1);
    EXPECT_EQ(plat::CountPlayingVoices(), 2);
    EXPECT_EQ(m_movie.bUpdate(), 1);
    EXPECT_EQ(m_movie.bStop(), 1);
    EXPECT_EQ(plat::CountPlayingVoices(), 0);
    m_movie.vSetSubMovie(nullptr);
    other.vSetSubMovie(nullptr);
}

TEST_F(MoviePlayer, StepDecodesWithoutPacingUntilTheEnd) {
    ASSERT_EQ(m_movie.bOpen("MOVIE\\Two.MPG"), 1);
    const uint32_t start = plat::TickCount();
    int steps = 0;
    while (m_movie.bIsOpen() && steps < 100) {
        EXPECT_EQ(m_movie.bStep(), 0);
        ++steps;
    }
    EXPECT_EQ(steps, 51);
    EXPECT_EQ(plat::TickCount(), start);
    // Steps draw nothing.
    EXPECT_EQ(ScreenAt(200, 150), 0);
}

TEST_F(MoviePlayer, SubMovieChainDrawsIntoTheFrame) {
    sc_Movie first, second;
    for (sc_Movie* m : {&first, &second}) {
        m->vSetDirectDraw(ss_MovieSurface::oScreen());
        // The top-left quarter of the outer movie's frame.
        m->vSetRect(0, 0, 160, 120);
    }
    ASSERT_EQ(first.bOpen("MOVIE\\Short.MPG"), 1);
    ASSERT_EQ(second.bOpen("MOVIE\\Other.MPG"), 1);
    first.vSetNext(&second);
    ASSERT_EQ(m_movie.bOpen("MOVIE\\Two.MPG"), 1);
    m_movie.vSetSubMovie(&first);
    m_movie.vSetSubMovie(&m_movie); // ignored
    ASSERT_EQ(m_movie.bPlay(), 1);
    EXPECT_EQ(plat::CountPlayingVoices(), 2);

    const uint16_t grey = Short(true).fields[0];
    for (int i = 0; i < 10; ++i) {
        ASSERT_EQ(m_movie.bUpdate(), 1);
        ExpectColour(ScreenAt(200, 150), grey, 200, 150);
        ExpectColour(ScreenAt(600, 150), TwoSeconds().fields[1], 600, 150);
    }
    // The short one ends; its next one is started and shows from the
    // following update on.
    ASSERT_EQ(m_movie.bUpdate(), 1);
    EXPECT_FALSE(first.bIsOpen());
    ASSERT_EQ(m_movie.bUpdate(), 1);
    ExpectColour(ScreenAt(100, 75), Other().fields[0], 100, 75);
    ExpectColour(ScreenAt(300, 225), Other().fields[3], 300, 225);
    ExpectColour(ScreenAt(600, 150), TwoSeconds().fields[1], 600, 150);
    m_movie.bStop();
    m_movie.vRelease();
    m_movie.vSetSubMovie(nullptr);
}

TEST(MovieStretch, NearestNeighbourWithExclusiveEdges) {
    const uint16_t src[2 * 2] = {1, 2, 3, 4};
    std::vector<uint16_t> dst(6 * 4, 9);
    // 2 x 2 onto 4 x 3 at (1, 1): right column 5 and bottom row 4 excluded,
    // the row below the picture clipped.
    v_StretchCopy(src, 2, 2, ss_MovieRect{0, 0, 2, 2}, dst.data(), 6, 4, ss_MovieRect{1, 1, 5, 5});
    const std::vector<uint16_t> expect = {
        9, 9, 9, 9, 9, 9, //
        9, 1, 1, 2, 2, 9, //
        9, 1, 1, 2, 2, 9, //
        9, 3, 3, 4, 4, 9, //
    };
    EXPECT_EQ(dst, expect);

    // A part of the source, shrunk; and rectangles that hold nothing.
    std::vector<uint16_t> one(1, 0);
    v_StretchCopy(src, 2, 2, ss_MovieRect{1, 0, 2, 2}, one.data(), 1, 1, ss_MovieRect{0, 0, 1, 1});
    EXPECT_EQ(one[0], 4);
    v_StretchCopy(src, 2, 2, ss_MovieRect{0, 0, 3, 2}, one.data(), 1, 1, ss_MovieRect{0, 0, 1, 1});
    v_StretchCopy(src, 2, 2, ss_MovieRect{0, 0, 2, 2}, one.data(), 1, 1, ss_MovieRect{0, 0, 0, 1});
    v_StretchCopy(src, 2, 2, ss_MovieRect{0, 0, 2, 2}, one.data(), 1, 1, ss_MovieRect{5, 5, 9, 9});
    EXPECT_EQ(one[0], 4);
}

} // namespace
