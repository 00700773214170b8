#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <string>

#include "game/wav_file.h"
#include "tests/game/wav_bytes.h"
#include "tests/support/temp_dir.h"
#include "tools/datagen/sound_names.h"

namespace {

using namespace krxtest::wav;

std::span<const uint8_t> Bytes(const std::string& s) { return {reinterpret_cast<const uint8_t*>(s.data()), s.size()}; }

TEST(WavFile, ChunkWalkAcceptsWhatPlaysAndRefusesTheRest) {
    const std::string fmt = Fmt(1, 2, 22050, 16, 18), pcm = "\x01\x02\x03\x04\x05\x06\x07\x08";
    struct Case {
        std::string file;
        const char* refusal; // null: accepted, with pcm as its samples
    };
    const Case cases[] = {
        {Riff(fmt + Chunk("data", pcm)), nullptr},
        {Riff(Fmt(1, 1, 8000, 8, 16) + Chunk("data", pcm)), nullptr},
        {Riff(fmt + Chunk("LIST", "INFOx") + Chunk("data", pcm) + Chunk("data", "zz")), nullptr},
        {Riff(Chunk("data", pcm) + Fmt(1, 2, 22050, 16, 40)), nullptr},
        {Riff(fmt + Chunk("data", pcm.substr(0, 5), false)), nullptr}, // odd and last: no pad needed
        {Riff(Fmt(1, 2, 22050, 16, 14) + Chunk("data", pcm)), "shorter than 16"},
        {Riff(Fmt(3, 2, 22050, 32, 18) + Chunk("data", pcm)), "not PCM"},
        {Riff(fmt + Head("data", 9) + pcm), "past the end"},
        {Riff(fmt + Head("junk", 0x7FFFFFF0u)), "past the end"},
        {Riff(fmt), "no data"},
        {Riff(Chunk("data", pcm)), "no format"},
        {"RIFF" + Le32(4) + "AVI ", "not a RIFF WAVE"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::PrintToString(c.file));
        WavSound sound;
        const char* why = ParseWav(Bytes(c.file), sound);
        if (c.refusal) {
            ASSERT_NE(why, nullptr);
            EXPECT_NE(std::string(why).find(c.refusal), std::string::npos) << why;
            EXPECT_TRUE(sound.samples.empty());
        } else {
            ASSERT_EQ(why, nullptr) << why;
            EXPECT_EQ(pcm.substr(0, sound.samples.size()), std::string(sound.samples.begin(), sound.samples.end()));
            EXPECT_GE(sound.samples.size(), 5u);
        }
    }
    // Cut anywhere, the file is refused.
    const std::string whole = Riff(fmt + Chunk("LIST", "INFOx") + Chunk("data", pcm));
    for (size_t n = 0; n < whole.size(); ++n) {
        WavSound sound;
        EXPECT_NE(ParseWav(Bytes(whole.substr(0, n)), sound), nullptr) << n;
    }
}

// The generated sounds: every name the game or a table may play, in the one
// format, each starting and ending at silence, so music wraps without a seam.
TEST(WavFile, DataSetSoundsAreSeamless) {
    krxtest::ScopedCwd cwd(krxtest::DataDir());
    for (const datagen::SoundFile& f : datagen::kSoundFiles) {
        SCOPED_TRACE(f.name);
        std::vector<uint8_t> bytes;
        WavFormat format;
        ASSERT_TRUE(LoadWavFile(f.name, bytes, format));
        EXPECT_LT(std::string(f.name).size(), 32u); // fits a table's text field
        EXPECT_EQ(format.fmtBytes, 18u);
        EXPECT_EQ(format.channels, 2);
        EXPECT_EQ(format.samplesPerSec, 22050u);
        EXPECT_EQ(format.bitsPerSample, 16);
        std::vector<int32_t> s(bytes.size() / 2);
        for (size_t i = 0; i < s.size(); ++i) s[i] = static_cast<int16_t>(bytes[2 * i] | bytes[2 * i + 1] << 8);
        ASSERT_GT(s.size(), 200u);
        int32_t peak = 0;
        for (int32_t v : s) peak = std::max(peak, std::abs(v));
        EXPECT_GT(peak, 4000);
        EXPECT_LT(peak, 32767); // not clipped
        if (f.kind == datagen::SoundKind::Music) {
            EXPECT_GE(s.size(), 22050u * 2 * 3);
        }
        // Within 1% of silence at both ends: nothing clicks where a sound
        // starts, stops or wraps round.
        for (size_t c : {0, 1}) {
            EXPECT_LT(std::abs(s[c]), 330);
            EXPECT_LT(std::abs(s[s.size() - 2 + c]), 330);
        }
    }
}

} // namespace
