#include "game/wav_file.h"

#include <string>

#include "platform/byte_reader.h"
#include "platform/file.h"
#include "platform/trace.h"

namespace {

constexpr uint32_t Tag(const char (&s)[5]) {
    return static_cast<uint32_t>(static_cast<uint8_t>(s[0])) | static_cast<uint32_t>(static_cast<uint8_t>(s[1])) << 8 |
           static_cast<uint32_t>(static_cast<uint8_t>(s[2])) << 16 |
           static_cast<uint32_t>(static_cast<uint8_t>(s[3])) << 24;
}

constexpr uint32_t kRiff = Tag("RIFF");
constexpr uint32_t kWave = Tag("WAVE");
constexpr uint32_t kFmt = Tag("fmt ");
constexpr uint32_t kData = Tag("data");
constexpr uint32_t kMinFmtBytes = 16;

} // namespace

const char* ParseWav(std::span<const uint8_t> bytes, WavSound& out) {
    out = WavSound{};
    sc_ByteReader r(bytes);
    uint32_t riff = 0, riffSize = 0, wave = 0;
    if (!r.Read(riff, riffSize, wave)) return "shorter than a RIFF header";
    if (riff != kRiff || wave != kWave) return "not a RIFF WAVE file";
    // The form's own size is not trusted to bound the walk (writers that
    // stream leave it 0 or too big): each chunk is checked against the bytes.
    WavSound found;
    bool haveFmt = false, haveData = false;
    while (!(haveFmt && haveData)) {
        uint32_t id = 0, size = 0;
        if (!r.Read(id, size)) return haveFmt ? "no data chunk" : "no format chunk";
        if (size > r.Remaining()) return id == kData ? "sound data runs past the end of the file" : "a chunk runs past the end of the file";
        sc_ByteReader chunk = r.Sub(size);
        // A pad byte after an odd size; the last chunk of a file may lack it.
        if ((size & 1) && r.Has(1)) r.Skip(1);
        if (id == kFmt && !haveFmt) {
            if (size < kMinFmtBytes) return "format chunk shorter than 16 bytes";
            WavFormat& f = found.format;
            chunk.Read(f.formatTag, f.channels, f.samplesPerSec, f.avgBytesPerSec, f.blockAlign, f.bitsPerSample);
            f.fmtBytes = size;
            if (f.formatTag != kWavFormatPcm) return "not PCM";
            haveFmt = true;
        } else if (id == kData && !haveData) {
            found.samples = chunk.Take(size);
            haveData = true;
        }
    }
    out = found;
    return nullptr;
}

bool LoadWavFile(const char* name, std::vector<uint8_t>& samples, WavFormat& format, bool report) {
    samples.clear();
    format = WavFormat{};
    if (!name) return false;
    auto refuse = [&](const char* why) {
        if (report) plat::Trace(name, why);
        return false;
    };
    plat::File file;
    if (!file.Open(name, plat::FileMode::ReadSequential)) return refuse("cannot be opened");
    const int64_t size = file.Size();
    if (size < 0) return refuse("cannot be read");
    if (size > static_cast<int64_t>(kMaxWavFileBytes)) return refuse("too big for a sound file");
    std::vector<uint8_t> bytes(static_cast<size_t>(size));
    if (file.Read(bytes.data(), bytes.size()) != size) return refuse("cannot be read");
    WavSound sound;
    if (const char* why = ParseWav(bytes, sound)) return refuse(why);
    // Keep the samples in the block already read rather than copying them.
    const size_t at = static_cast<size_t>(sound.samples.data() - bytes.data());
    const size_t count = sound.samples.size();
    format = sound.format;
    bytes.erase(bytes.begin(), bytes.begin() + static_cast<std::ptrdiff_t>(at));
    bytes.resize(count);
    samples = std::move(bytes);
    return true;
}
