// The mixer: summing, clipping, looping, volume and pan, the virtual clock.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <vector>

#include "platform/audio.h"
#include "tests/support/headless_run.h"

namespace {

// Interleaved stereo 16-bit samples as the bytes CreateVoice takes.
std::vector<uint8_t> Bytes(const std::vector<int16_t>& samples) {
    std::vector<uint8_t> b(samples.size() * 2);
    for (size_t i = 0; i < samples.size(); ++i) {
        b[2 * i] = static_cast<uint8_t>(samples[i] & 0xFF);
        b[2 * i + 1] = static_cast<uint8_t>((static_cast<uint16_t>(samples[i]) >> 8) & 0xFF);
    }
    return b;
}

std::vector<int16_t> Constant(size_t frames, int16_t left, int16_t right) {
    std::vector<int16_t> s(frames * 2);
    for (size_t i = 0; i < frames; ++i) {
        s[2 * i] = left;
        s[2 * i + 1] = right;
    }
    return s;
}

std::vector<int16_t> Mix(size_t frames) {
    std::vector<int16_t> out(frames * 2, 12345);
    plat::MixAudio(out);
    return out;
}

class Mixer : public krxtest::HeadlessTest {
protected:
    void SetUp() override {
        HeadlessTest::SetUp();
        plat::ResetMixer();
    }
    void TearDown() override {
        plat::ResetMixer();
        HeadlessTest::TearDown();
    }
    plat::VoiceId Voice(const std::vector<int16_t>& samples) {
        const std::vector<uint8_t> b = Bytes(samples);
        return plat::CreateVoice(b);
    }
};

TEST_F(Mixer, VoicesSumAndClipTo16Bits) {
    const plat::VoiceId a = Voice(Constant(64, 20000, -20000));
    const plat::VoiceId b = Voice(Constant(64, 20000, -20000));
    const plat::VoiceId c = Voice(Constant(64, 1000, 300));
    ASSERT_TRUE(a && b && c);
    ASSERT_TRUE(plat::PlayVoice(a));
    ASSERT_TRUE(plat::PlayVoice(b));
    std::vector<int16_t> out = Mix(8);
    for (size_t i = 0; i < 8; ++i) {
        EXPECT_EQ(out[2 * i], 32767);
        EXPECT_EQ(out[2 * i + 1], -32768);
    }
    plat::StopVoice(b);
    ASSERT_TRUE(plat::PlayVoice(c));
    out = Mix(8);
    EXPECT_EQ(out[0], 21000);
    EXPECT_EQ(out[1], -19700);
}

TEST_F(Mixer, SilenceWithoutVoices) {
    for (int16_t s : Mix(300)) EXPECT_EQ(s, 0);
}

TEST_F(Mixer, LoopingVoiceLoopsAndOnceVoiceEnds) {
    const plat::VoiceId loop = Voice({100, -100, 200, -200, 300, -300});
    const plat::VoiceId once = Voice({1, 1, 2, 2});
    ASSERT_TRUE(plat::PlayVoice(loop, true));
    ASSERT_TRUE(plat::PlayVoice(once, false));
    const std::vector<int16_t> out = Mix(7);
    const std::vector<int16_t> expect = {101, -99, 202, -198, 300, -300, 100, -100, 200, -200, 300, -300, 100, -100};
    EXPECT_EQ(out, expect);
    EXPECT_TRUE(plat::IsVoicePlaying(loop));
    EXPECT_FALSE(plat::IsVoicePlaying(once));
    EXPECT_EQ(plat::CountPlayingVoices(), 1);
    EXPECT_EQ(plat::CountVoices(), 2);

    // Played again, the finished voice starts from its first sample.
    ASSERT_TRUE(plat::PlayVoice(once));
    plat::StopVoice(loop);
    EXPECT_EQ(Mix(3), (std::vector<int16_t>{1, 1, 2, 2, 0, 0}));
}

TEST_F(Mixer, VolumeAndPanAttenuateInHundredthsOfADecibel) {
    const plat::VoiceId v = Voice(Constant(16, 20000, -20000));
    ASSERT_TRUE(plat::PlayVoice(v, true));
    plat::SetVoiceVolume(v, -3000);
    const double gain = std::pow(10.0, -3000 / 2000.0);
    std::vector<int16_t> out = Mix(4);
    EXPECT_NEAR(out[0], 20000 * gain, 1.0);
    EXPECT_NEAR(out[1], -20000 * gain, 1.0);

    // Volumes are clamped to 0 at the top and silence at the bottom.
    plat::SetVoiceVolume(v, 500);
    out = Mix(1);
    EXPECT_EQ(out[0], 20000);
    plat::SetVoiceVolume(v, -20000);
    out = Mix(1);
    EXPECT_EQ(out[0], 0);
    EXPECT_EQ(out[1], 0);

    // A pan to the right leaves the right channel and attenuates the left.
    plat::SetVoiceVolume(v, 0);
    plat::SetVoicePan(v, 600);
    out = Mix(1);
    EXPECT_NEAR(out[0], 20000 * std::pow(10.0, -600 / 2000.0), 1.0);
    EXPECT_EQ(out[1], -20000);
    plat::SetVoicePan(v, -10000);
    out = Mix(1);
    EXPECT_EQ(out[0], 20000);
    EXPECT_EQ(out[1], 0);
}

TEST_F(Mixer, VirtualClockEndsVoicesOnTime) {
    // One second of sound.
    const plat::VoiceId v = Voice(Constant(plat::kAudioRate, 5, 5));
    const plat::VoiceId loop = Voice(Constant(100, 5, 5));
    ASSERT_TRUE(plat::PlayVoice(v));
    ASSERT_TRUE(plat::PlayVoice(loop, true));
    Backend().Wait(999);
    EXPECT_TRUE(plat::IsVoicePlaying(v));
    Backend().Wait(2);
    EXPECT_FALSE(plat::IsVoicePlaying(v));
    // A loop runs however far the clock jumps.
    Backend().Wait(3'600'000);
    EXPECT_TRUE(plat::IsVoicePlaying(loop));

    // While a device pulls the mix, the clock moves nothing.
    ASSERT_TRUE(plat::PlayVoice(v));
    plat::AttachAudioDevice(true);
    Backend().Wait(5000);
    EXPECT_TRUE(plat::IsVoicePlaying(v));
    plat::AttachAudioDevice(false);
    Backend().Wait(1001);
    EXPECT_FALSE(plat::IsVoicePlaying(v));
}

TEST_F(Mixer, ConvertsOtherFormatsToTheOutputFormat) {
    // 8-bit unsigned mono at half the rate: twice the frames, both channels.
    const std::vector<uint8_t> pcm8 = {128, 192, 64, 128};
    const plat::VoiceId v = plat::CreateVoice(pcm8, plat::PcmFormat{plat::kAudioRate / 2, 1, 8});
    ASSERT_NE(v, 0u);
    ASSERT_TRUE(plat::PlayVoice(v));
    const std::vector<int16_t> out = Mix(9);
    const std::vector<int16_t> expect = {0,      0,      8192,   8192,   16384, 16384, 0, 0, -16384,
                                         -16384, -8192, -8192, 0,      0,      0,     0, 0, 0};
    EXPECT_EQ(out, expect);

    EXPECT_EQ(plat::CreateVoice(pcm8, plat::PcmFormat{plat::kAudioRate, 3, 16}), 0u);
    EXPECT_EQ(plat::CreateVoice(pcm8, plat::PcmFormat{plat::kAudioRate, 2, 24}), 0u);
    EXPECT_EQ(plat::CreateVoice(pcm8, plat::PcmFormat{10, 2, 16}), 0u);
    // Three bytes hold no whole 16-bit stereo frame.
    EXPECT_EQ(plat::CreateVoice(std::span<const uint8_t>(pcm8.data(), 3)), 0u);
    EXPECT_EQ(plat::CreateVoice({}), 0u);
    EXPECT_FALSE(plat::PlayVoice(0));
    EXPECT_FALSE(plat::IsVoicePlaying(12345));
}

TEST_F(Mixer, StreamPlaysWhatIsQueuedAndKeepsTime) {
    const plat::VoiceId s = plat::CreateStreamVoice();
    ASSERT_NE(s, 0u);
    const std::vector<int16_t> data = {1, 2, 3, 4, 5, 6};
    EXPECT_EQ(plat::QueueStream(s, data), 3u);
    // Stopped, it plays nothing and its clock stands.
    EXPECT_EQ(Mix(2), (std::vector<int16_t>{0, 0, 0, 0}));
    EXPECT_EQ(plat::StreamPlayedFrames(s), 0u);
    ASSERT_TRUE(plat::PlayVoice(s));
    EXPECT_EQ(Mix(2), (std::vector<int16_t>{1, 2, 3, 4}));
    // Running dry it plays silence, still counting, still playing.
    EXPECT_EQ(Mix(3), (std::vector<int16_t>{5, 6, 0, 0, 0, 0}));
    EXPECT_EQ(plat::StreamPlayedFrames(s), 5u);
    EXPECT_EQ(plat::StreamQueuedFrames(s), 0u);
    EXPECT_TRUE(plat::IsVoicePlaying(s));

    // On the virtual clock: 100 ms is 2205 frames.
    plat::QueueStream(s, Constant(1000, 7, 7));
    Backend().Wait(100);
    EXPECT_EQ(plat::StreamPlayedFrames(s), 5u + 2205u);
    EXPECT_EQ(plat::StreamQueuedFrames(s), 0u);
    plat::StopVoice(s);
    Backend().Wait(100);
    EXPECT_EQ(plat::StreamPlayedFrames(s), 5u + 2205u);

    // The queue is bounded.
    const std::vector<int16_t> lots = Constant(plat::kAudioRate * 10, 1, 1);
    const size_t taken = plat::QueueStream(s, lots);
    EXPECT_LT(taken, lots.size() / 2);
    EXPECT_EQ(plat::StreamQueuedFrames(s), taken);

    plat::DestroyVoice(s);
    EXPECT_EQ(plat::CountVoices(), 0);
    EXPECT_EQ(plat::QueueStream(s, data), 0u);
}

} // namespace
