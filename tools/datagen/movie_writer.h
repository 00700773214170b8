#pragma once
#include <array>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

namespace datagen {

// The rate of a movie's sound, in samples a second.
constexpr int32_t kMovieSoundRate = 44100;

// What a generated movie shows: the pictures its draw function makes, or
// else four flat colour fields (the quarters of the picture, top-left,
// top-right, bottom-left, bottom-right, as 5-5-5 values), optionally a light
// bar sweeping across and a title, with a steady tone for its sound. The
// title is the overlay when one is given (a 5-5-5 picture of the movie's
// size, 0 where the frame shows through), else the title text in block
// letters. Music, when given, replaces the tone.
struct MovieSpec {
    int32_t width = 320;
    int32_t height = 240;
    int32_t fps = 25;
    int32_t frames = 100;
    std::array<uint16_t, 4> fields{0x001F, 0x03E0, 0x7C00, 0x7FE0};
    bool sweep = false;
    std::string title; // upper-case letters, digits and spaces
    std::vector<uint16_t> overlay;
    bool sound = true;
    int32_t toneHz = 440;
    // The video's fixed quantiser, 1 (finest) to 31.
    int32_t qscale = 2;
    // Frame n as width x height 5-5-5 pixels.
    std::function<void(int32_t frame, std::vector<uint16_t>& picture)> draw;
    // Stereo 16-bit pairs at kMovieSoundRate, cut or padded with silence to
    // the movie's length.
    std::vector<int16_t> music;
};

// Encodes an MPEG-1 system stream (MPEG-1 video, MP2 sound) byte for byte
// the same on every run. False, with a line on stderr, on failure.
bool WriteMovie(const std::filesystem::path& file, const MovieSpec& spec);

// The 8-bit value the encoder draws for a 5-bit channel.
constexpr int32_t Expand5(int32_t c5) { return (c5 << 3) | (c5 >> 2); }

} // namespace datagen
