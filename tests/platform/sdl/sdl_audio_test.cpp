// The SDL output: the device's thread pulls the mixer in real time.
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <string>
#include <cstdlib>
#include <thread>
#include <vector>

#include "platform/audio.h"
#include "platform/backend.h"
#include "platform/sdl/sdl_audio.h"

namespace {

using Clock = std::chrono::steady_clock;

int64_t MsSince(Clock::time_point t) {
    return std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - t).count();
}

class SdlAudio : public ::testing::Test {
protected:
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
};

TEST_F(SdlAudio, DevicePlaysVoicesOutInRealTime) {
    EXPECT_TRUE(plat::IsAudioDeviceAttached());
    // A fifth of a second of sound.
    const std::vector<uint8_t> pcm(static_cast<size_t>(plat::kAudioRate) / 5 * 4, 0x10);
    const plat::VoiceId v = plat::CreateVoice(pcm);
    const plat::VoiceId s = plat::CreateStreamVoice();
    ASSERT_TRUE(v && s);
    const Clock::time_point start = Clock::now();
    ASSERT_TRUE(plat::PlayVoice(v));
    ASSERT_TRUE(plat::PlayVoice(s));
    while (plat::IsVoicePlaying(v) && MsSince(start) < 5000) std::this_thread::sleep_for(std::chrono::milliseconds(5));
    EXPECT_FALSE(plat::IsVoicePlaying(v));
    EXPECT_GE(MsSince(start), 100);
    // The stream's clock follows the device, and never runs backwards.
    uint64_t last = 0;
    for (int i = 0; i < 20; ++i) {
        const uint64_t now = plat::StreamPlayedFrames(s);
        EXPECT_GE(now, last);
        last = now;
        std::this_thread::sleep_for(std::chrono::milliseconds(3));
    }
    EXPECT_GT(last, static_cast<uint64_t>(plat::kAudioRate) / 10);

    plat::StopSdlAudio();
    EXPECT_FALSE(plat::IsAudioDeviceAttached());
    // Back on the clock, nothing is lost.
    EXPECT_TRUE(plat::IsVoicePlaying(s));
}

// No device: the back end's own complaints stay off the terminal and the
// player reads one line. A configuration that cannot be found fails the ALSA
// back end on any machine.
TEST(SdlAudioMissing, SaysSoInOneLine) {
    plat::ResetBackend();
    plat::ResetMixer();
    setenv("SDL_AUDIODRIVER", "alsa", 1);
    setenv("ALSA_CONFIG_PATH", "/nonexistent/alsa.conf", 1);
    testing::internal::CaptureStderr();
    const bool started = plat::StartSdlAudio();
    const std::string err = testing::internal::GetCapturedStderr();
    unsetenv("ALSA_CONFIG_PATH");
    EXPECT_FALSE(started);
    EXPECT_FALSE(plat::IsAudioDeviceAttached());
    EXPECT_EQ(std::count(err.begin(), err.end(), '\n'), 1) << err;
    EXPECT_NE(err.find("runs silent"), std::string::npos) << err;
    plat::StopSdlAudio();
}

} // namespace
