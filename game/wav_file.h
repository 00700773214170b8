#pragma once
#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

// RIFF WAVE sound files: a chunk walk over bytes in memory, and the thin step
// that opens a data file in front of it.

constexpr uint16_t kWavFormatPcm = 1;
// More than ten minutes of 22050 Hz 16-bit stereo, the longest sound the
// mixer keeps; anything bigger is refused before it is read.
constexpr uint32_t kMaxWavFileBytes = 64u << 20;

// The wave format record as the file holds it. Nothing here is used to play
// the samples: every sound plays as 22050 Hz, 16-bit stereo.
struct WavFormat {
    uint16_t formatTag = 0;
    uint16_t channels = 0;
    uint32_t samplesPerSec = 0;
    uint32_t avgBytesPerSec = 0;
    uint16_t blockAlign = 0;
    uint16_t bitsPerSample = 0;
    uint32_t fmtBytes = 0; // the size of the "fmt " chunk (16, 18, ...)
};

struct WavSound {
    WavFormat format;
    std::span<const uint8_t> samples; // the "data" chunk, within the parsed bytes
};

// Reads a RIFF "WAVE" form: the first "fmt " chunk (16 bytes or more, format
// tag 1) and the first "data" chunk, in either order; other chunks are
// skipped and odd-sized chunks are followed by their pad byte. Every chunk
// must lie within the bytes. Returns null on success, else why the bytes
// were refused (a static text); out is then empty.
const char* ParseWav(std::span<const uint8_t> bytes, WavSound& out);

// Opens the named data file (a regular file of at most kMaxWavFileBytes) and
// parses it; on success samples holds exactly the "data" chunk. A refusal
// leaves one trace line, with the name as its source, when report is set.
bool LoadWavFile(const char* name, std::vector<uint8_t>& samples, WavFormat& format, bool report = true);
