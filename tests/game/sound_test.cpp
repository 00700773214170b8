// The sound object against the mixer, on the headless backend's clock: a
// frame here is a step of the clock followed by the scan.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "game/sound.h"
#include "platform/audio.h"
#include "platform/trace.h"
#include "tests/game/wav_bytes.h"
#include "tests/support/headless_run.h"
#include "tests/support/temp_dir.h"

namespace {

using namespace krxtest::wav;

constexpr const char* kShort = "WAV\\SHORT.WAV"; // 100 ms
constexpr const char* kShort2 = "WAV\\SHORT2.WAV";
constexpr const char* kLong = "WAV\\LONG.WAV"; // 2 s
constexpr int16_t kLevel = 8000;

class Sound : public krxtest::HeadlessTest {
protected:
    void SetUp() override {
        HeadlessTest::SetUp();
        plat::ResetMixer();
        const std::string fmt = Fmt(1, 2, 22050, 16, 18);
        for (const char* name : {"SHORT", "SHORT2"})
            m_dir.Write(std::string("WAV/") + name + ".WAV", Riff(fmt + Chunk("data", Level(2205, kLevel))));
        m_dir.Write("WAV/LONG.WAV", Riff(fmt + Chunk("data", Level(44100, kLevel))));
        m_oWindow.vCreate("", 0, 0, 0);
        m_window = m_oWindow.pGetHwnd();
        ASSERT_NE(m_window, 0u);
        sound.vInit(m_window);
    }
    void TearDown() override {
        plat::ResetMixer();
        HeadlessTest::TearDown();
    }
    void Frame(uint32_t ms) {
        Backend().Wait(ms);
        sound.vSoundScan();
    }
    // The level heard now on the left channel.
    int32_t Heard() {
        std::vector<int16_t> out(64);
        plat::MixAudio(out);
        return out[0];
    }

    krxtest::TempDir m_dir;
    krxtest::ScopedCwd m_cwd{m_dir.Path()};
    sc_Window m_oWindow;
    WindowHandle m_window = 0;
    sc_Sound sound;
};

TEST_F(Sound, RepeatZeroStartsOneCopyAndANinthSoundIsDropped) {
    sound.vPlay(kShort, 0, 0);
    sound.vPlay(kShort, 0, 0);
    EXPECT_EQ(plat::CountPlayingVoices(), 1);
    sound.vPlay(kShort, 0, 1);
    v_PlaySound(kShort, 0);
    sound.vPlay(nullptr, 0, 1);
    EXPECT_EQ(plat::CountPlayingVoices(), 3);
    for (int i = 0; i < 5; ++i) sound.vPlay(kLong, 1, 1);
    EXPECT_EQ(sound.lGetFreeBuffer(), -1);
    sound.vPlay(kShort2, 0, 0);
    EXPECT_EQ(plat::CountVoices(), 8);
    // The dropped sound was not listed: it starts once a slot is free.
    sound.vStopBuffer(5);
    sound.vPlay(kShort2, 0, 0);
    EXPECT_EQ(plat::CountPlayingVoices(), 8);
    sound.vStopAll();
    EXPECT_EQ(plat::CountVoices(), 0);
}

TEST_F(Sound, EndedSoundsFreeAtTheScanAndRestartTheFrameAfter) {
    sound.vPlay(kShort, 0, 0);
    sound.vPlay(kShort2, 0, 0);
    sound.vPlay(kLong, 1, 0);
    Backend().Wait(150);
    // Both ended in this frame but stay listed until its scan.
    sound.vPlay(kShort, 0, 0);
    EXPECT_EQ(plat::CountVoices(), 3);
    sound.vSoundScan();
    EXPECT_EQ(plat::CountVoices(), 1);
    Frame(16);
    sound.vPlay(kShort, 0, 0);
    sound.vPlay(kShort2, 0, 0);
    sound.vPlay(kLong, 1, 0); // still looping, still listed
    EXPECT_EQ(plat::CountPlayingVoices(), 3);
    sound.vStopAll();
    for (int32_t loop : {1, 2, 0, -1}) {
        sound.vPlay(kShort, loop, 1);
        Frame(5000);
        EXPECT_EQ(plat::CountVoices(), loop == 1 ? 1 : 0) << loop;
        sound.vStopAll();
    }
}

TEST_F(Sound, VolumeIsClampedAndReachesLaterSounds) {
    sound.vPlay(kLong, 1, 1);
    const int32_t full = Heard();
    EXPECT_EQ(full, kLevel);
    sound.vSetVolume(5);
    EXPECT_EQ(sound.lGetVolume(), 0);
    EXPECT_EQ(Heard(), full);
    sound.vSetVolume(-3000);
    const int32_t low = Heard();
    EXPECT_LT(low, full / 10);
    EXPECT_GT(low, 0);
    sound.vSetVolume(-5000);
    EXPECT_EQ(sound.lGetVolume(), -3000);
    EXPECT_EQ(Heard(), low);
    sound.vStopAll();
    sound.vPlay(kShort, 0, 1);
    EXPECT_EQ(Heard(), low);
    sound.vSetVolume(0);
    EXPECT_EQ(Heard(), full);
}

TEST_F(Sound, FailedInitKeepsTheSoundOffUntilTheNextInit) {
    std::vector<std::string> lines;
    plat::ScopedTraceSink sink([&](std::string_view, std::string_view reason) { lines.emplace_back(reason); });
    sound.vPlay(kLong, 1, 0);
    sound.vInit(0);
    EXPECT_EQ(lines.size(), 1u);
    sound.vPlay(kShort, 0, 1);
    v_PlaySound(kShort, 0);
    EXPECT_EQ(sound.lLoadWav(kShort), -1);
    EXPECT_EQ(plat::CountVoices(), 0);
    // The lists went with the slots: the looping name plays again.
    sound.vInit(m_window);
    sound.vPlay(kLong, 1, 0);
    EXPECT_EQ(plat::CountPlayingVoices(), 1);
}

TEST_F(Sound, FilesPlayAsStereo22050WhateverTheirHeaderAndBadOnesAreTracedOnce) {
    // 8820 bytes: 100 ms as 16-bit stereo, whatever the header claims.
    m_dir.Write("WAV/MONO8.WAV", Riff(Fmt(1, 1, 11025, 8, 16) + Chunk("LIST", "x") + Chunk("data", Level(2205, 1))));
    m_dir.Write("WAV/ADPCM.WAV", Riff(Fmt(2, 2, 22050, 4, 20) + Chunk("data", Level(2205, 1))));
    m_dir.Write("WAV/CUT.WAV", Riff(Fmt(1, 2, 22050, 16, 18) + Head("data", 8820) + Level(100, 1)));
    m_dir.Write("WAV/NOSAMPLE.WAV", Riff(Fmt(1, 2, 22050, 16, 18) + Chunk("data", "ab")));
    const std::vector<std::string> bad = {"WAV\\ADPCM.WAV", "WAV\\CUT.WAV", "WAV\\NOSAMPLE.WAV", "WAV\\MISSING.WAV"};
    std::vector<std::string> lines;
    plat::ScopedTraceSink sink([&](std::string_view source, std::string_view) { lines.emplace_back(source); });
    // A table row without a sound names "": nothing plays and nothing is traced.
    for (int frame = 0; frame < 3; ++frame) {
        for (const std::string& name : bad) sound.vPlay(name.c_str(), 0, 0);
        sound.vPlay("", 0, 1);
        Frame(1);
    }
    EXPECT_EQ(plat::CountVoices(), 0);
    EXPECT_EQ(lines, bad);
    EXPECT_EQ(sound.lLoadWav(""), -1);
    sound.vPlay("WAV\\MONO8.WAV", 0, 0);
    Frame(95);
    EXPECT_EQ(plat::CountPlayingVoices(), 1);
    Frame(10);
    EXPECT_EQ(plat::CountVoices(), 0);
}

} // namespace
