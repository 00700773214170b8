// The sound files: short synthesised effects and music pieces that loop
// without a seam, all 22050 Hz 16-bit stereo PCM with an 18-byte format
// chunk, written into WAV/.
//
// Every sound starts and ends at silence. A music piece is a row of notes
// each of which dies away inside its own step, over a drone that turns a
// whole number of times in the piece: its last sample runs on into its first
// as smoothly as any two neighbours inside it.
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "tools/datagen/generators.h"
#include "tools/datagen/sound_names.h"

namespace {

using datagen::SoundFile;
using datagen::SoundKind;

constexpr int32_t kRate = 22050;
constexpr double kPi = 3.14159265358979323846;
constexpr double kTwoPi = 2 * kPi;

struct Stereo {
    std::vector<float> left, right;
    explicit Stereo(size_t frames) : left(frames, 0.0f), right(frames, 0.0f) {}
    size_t Frames() const { return left.size(); }
    void Add(size_t i, double v, double pan) {
        // pan -1 (left) .. 1 (right), equal at 0.
        left[i] += static_cast<float>(v * std::min(1.0, 1.0 - pan));
        right[i] += static_cast<float>(v * std::min(1.0, 1.0 + pan));
    }
};

// The program's own generator formula, so the noise is the same everywhere.
class Noise {
public:
    explicit Noise(uint32_t seed) : m_state(seed) {}
    double Next() {
        m_state = m_state * 214013u + 2531011u;
        return static_cast<double>((m_state >> 16) & 0x7FFF) / 16383.5 - 1.0;
    }
    uint32_t Pick(uint32_t n) { return static_cast<uint32_t>((Next() + 1.0) * 0.5 * n) % n; }

private:
    uint32_t m_state;
};

size_t Ms(double ms) { return static_cast<size_t>(ms * kRate / 1000.0); }

double Midi(double note) { return 440.0 * std::pow(2.0, (note - 69.0) / 12.0); }

// A short linear rise, then a fall that reaches exactly 0 at the end.
double Envelope(size_t i, size_t length, size_t attack, double curve) {
    if (i >= length) return 0.0;
    if (i < attack) return static_cast<double>(i) / static_cast<double>(attack);
    const double t = static_cast<double>(i - attack) / static_cast<double>(length - attack);
    return std::pow(1.0 - t, curve);
}

// A tone whose pitch slides from f0 to f1 (exponentially) over its length.
void Tone(Stereo& s, size_t start, size_t length, double f0, double f1, double level, double pan, double curve,
          double harmonic = 0.0) {
    double phase = 0.0;
    const size_t attack = std::min(Ms(4), length / 4 + 1);
    for (size_t i = 0; i < length && start + i < s.Frames(); ++i) {
        const double t = static_cast<double>(i) / static_cast<double>(length);
        const double f = f0 * std::pow(f1 / f0, t);
        const double v = std::sin(phase) + harmonic * std::sin(2 * phase + 0.5 * std::sin(phase));
        s.Add(start + i, level * Envelope(i, length, attack, curve) * v / (1.0 + harmonic), pan);
        phase = std::fmod(phase + kTwoPi * f / kRate, kTwoPi);
    }
}

// Noise through a one-pole low-pass: tone 0 is dull, near 1 bright.
void Burst(Stereo& s, Noise& rng, size_t start, size_t length, double tone, double level, double pan, double curve) {
    double low = 0.0;
    const size_t attack = std::min(Ms(2), length / 4 + 1);
    for (size_t i = 0; i < length && start + i < s.Frames(); ++i) {
        low += tone * (rng.Next() - low);
        s.Add(start + i, level * Envelope(i, length, attack, curve) * low, pan);
    }
}

// A voice-like syllable: harmonics of a low buzz shaped by two formants.
void Syllable(Stereo& s, size_t start, size_t length, double pitch, double f1, double f2, double level) {
    const size_t attack = Ms(15);
    for (size_t i = 0; i < length && start + i < s.Frames(); ++i) {
        const double t = static_cast<double>(i) / kRate;
        const double f0 = pitch * (1.0 + 0.06 * std::sin(kTwoPi * 5.0 * t));
        double v = 0.0;
        for (int k = 1; k * f0 < 4000.0; ++k) {
            const double fk = k * f0;
            const double g = std::exp(-std::pow((fk - f1) / 180.0, 2)) + 0.6 * std::exp(-std::pow((fk - f2) / 260.0, 2));
            v += g * std::sin(kTwoPi * fk * t);
        }
        s.Add(start + i, level * Envelope(i, length, attack, 0.6) * v * 0.5, 0.0);
    }
}

Stereo Effect(SoundKind kind, int32_t variant) {
    Noise rng(0x5EED0000u + static_cast<uint32_t>(kind) * 97u + static_cast<uint32_t>(variant));
    const double v = variant;
    switch (kind) {
    case SoundKind::Click: {
        Stereo s(Ms(30 + 8 * (variant % 4)));
        Tone(s, 0, s.Frames(), 2600.0 + 300.0 * v, 1800.0 + 200.0 * v, 0.45, 0.0, 4.0);
        Burst(s, rng, 0, s.Frames(), 0.7, 0.35, 0.0, 6.0);
        return s;
    }
    case SoundKind::Blip: {
        // Rising, falling or level pairs of notes by variant.
        static constexpr double kNotes[][2] = {{76, 76}, {79, 72}, {72, 79}, {69, 81}, {81, 69}, {74, 86}, {84, 84},
                                               {88, 64}};
        const auto& n = kNotes[static_cast<size_t>(variant) % std::size(kNotes)];
        const size_t half = Ms(55);
        Stereo s(2 * half);
        Tone(s, 0, half, Midi(n[0]), Midi(n[0]), 0.4, -0.1, 1.5, 0.3);
        Tone(s, half, half, Midi(n[1]), Midi(n[1]), 0.4, 0.1, 2.0, 0.3);
        return s;
    }
    case SoundKind::Thud: {
        const size_t length = variant == 3 ? Ms(1100) : Ms(140 + 45 * (variant % 8));
        const double f0 = 150.0 - 9.0 * (variant % 6);
        Stereo s(length);
        Tone(s, 0, length, f0, f0 / 3.0, 0.6, 0.0, 2.5);
        Burst(s, rng, 0, length, variant == 3 ? 0.08 : 0.2, variant == 3 ? 0.9 : 0.4, 0.0, 3.0);
        return s;
    }
    case SoundKind::Rise:
    case SoundKind::Fall: {
        const bool up = kind == SoundKind::Rise;
        Stereo s(Ms(1800));
        const double a = up ? Midi(64) : Midi(76), b = up ? Midi(81) : Midi(52);
        Tone(s, 0, s.Frames(), a, b, 0.35, -0.2, 0.7, 0.2);
        Tone(s, 0, s.Frames(), a * 1.5, b * 1.5, 0.2, 0.2, 0.7);
        return s;
    }
    case SoundKind::Engine: {
        const size_t length = Ms(900 + 200 * (variant % 3));
        Stereo s(length);
        const double hum = 70.0 + 25.0 * v;
        double phase = 0.0, low = 0.0;
        for (size_t i = 0; i < length; ++i) {
            const double t = static_cast<double>(i) / kRate;
            // Swells in over a tenth of a second and dies over the last third.
            const double env = std::min({1.0, t / 0.1, 3.0 * static_cast<double>(length - 1 - i) / length});
            low += 0.05 * (rng.Next() - low);
            const double saw = phase / kPi - 1.0;
            s.Add(i, env * (0.25 * saw + 1.2 * low), 0.3 * std::sin(kTwoPi * 0.7 * t));
            phase = std::fmod(phase + kTwoPi * hum * (1.0 + 0.03 * std::sin(kTwoPi * 6.0 * t)) / kRate, kTwoPi);
        }
        return s;
    }
    case SoundKind::Talk: {
        static constexpr double kVowels[][2] = {{700, 1200}, {400, 2000}, {300, 900}, {600, 1700}};
        const size_t syllable = Ms(130), gap = Ms(45);
        Stereo s(3 * syllable + 2 * gap);
        for (size_t k = 0; k < 3; ++k) {
            const auto& f = kVowels[(k + static_cast<size_t>(variant)) % std::size(kVowels)];
            Syllable(s, k * (syllable + gap), syllable, 120.0 + 25.0 * v - 8.0 * k, f[0], f[1], 0.35);
        }
        // A radio's hiss under the voice.
        Burst(s, rng, 0, s.Frames(), 0.9, 0.04, 0.0, 0.3);
        return s;
    }
    case SoundKind::Music:
        break;
    }
    return Stereo(0);
}

Stereo Music(int32_t variant) {
    // Themes 0-3 are the fights: quicker, in minor, with drums.
    const bool fight = variant < 4;
    const size_t steps = fight ? 32 : 16;
    const size_t stepFrames = fight ? 2756 : 5513; // an eighth of a second, a quarter
    const size_t frames = steps * stepFrames;
    Stereo s(frames);
    Noise rng(0xC0DA0000u + static_cast<uint32_t>(variant));
    static constexpr int kMajor[] = {0, 2, 4, 7, 9, 12, 14, 16};
    static constexpr int kMinor[] = {0, 3, 5, 7, 10, 12, 15, 17};
    const int* scale = fight ? kMinor : kMajor;
    const int root = 45 + (variant * 5) % 12;

    // The drone: a whole number of turns in the piece, so it wraps in phase.
    const double seconds = static_cast<double>(frames) / kRate;
    const double droneTurns = std::round(Midi(root - 12) * seconds);
    for (size_t i = 0; i < frames; ++i) {
        const double phase = kTwoPi * droneTurns * static_cast<double>(i) / static_cast<double>(frames);
        s.Add(i, 0.07 * (std::sin(phase) + 0.3 * std::sin(2 * phase)), 0.0);
    }
    // Bass: one note a bar (four steps), root and fifth.
    static constexpr int kBass[] = {0, 0, 7, 5, 0, 3, 7, 5};
    for (size_t bar = 0; bar < steps / 4; ++bar) {
        const int note = root - 12 + kBass[(bar + static_cast<size_t>(variant)) % std::size(kBass)];
        Tone(s, bar * 4 * stepFrames, 4 * stepFrames, Midi(note), Midi(note), 0.22, 0.0, 1.2, 0.4);
    }
    // Melody: a walk over the scale, a rest now and then.
    int degree = 2;
    for (size_t step = 0; step < steps; ++step) {
        if (rng.Pick(5) == 0) continue;
        degree = std::clamp(degree + static_cast<int>(rng.Pick(5)) - 2, 0, 7);
        const double f = Midi(root + 12 + scale[degree]);
        Tone(s, step * stepFrames, stepFrames, f, f, fight ? 0.18 : 0.22, -0.35, fight ? 2.5 : 1.5, 0.25);
    }
    if (fight) {
        for (size_t step = 0; step < steps; ++step) {
            // Kick on the beats, hat on every step.
            if (step % 4 == 0) Tone(s, step * stepFrames, stepFrames, 110.0, 45.0, 0.35, 0.0, 3.0);
            Burst(s, rng, step * stepFrames, Ms(step % 2 ? 25 : 45), 0.95, 0.12, 0.4, 4.0);
        }
    }
    return s;
}

std::vector<uint8_t> EncodeWav(const Stereo& s) {
    std::vector<uint8_t> b;
    auto u16 = [&](uint32_t v) {
        b.push_back(static_cast<uint8_t>(v));
        b.push_back(static_cast<uint8_t>(v >> 8));
    };
    auto u32 = [&](uint32_t v) {
        u16(v & 0xFFFF);
        u16(v >> 16);
    };
    auto tag = [&](const char* t) {
        for (int k = 0; k < 4; ++k) b.push_back(static_cast<uint8_t>(t[k]));
    };
    const uint32_t dataBytes = static_cast<uint32_t>(s.Frames() * 4);
    b.reserve(44 + dataBytes);
    tag("RIFF");
    u32(4 + (8 + 18) + (8 + dataBytes));
    tag("WAVE");
    tag("fmt ");
    u32(18);
    u16(1);                 // PCM
    u16(2);                 // channels
    u32(kRate);             // frames a second
    u32(kRate * 4);         // bytes a second
    u16(4);                 // bytes a frame
    u16(16);                // bits a sample
    u16(0);                 // no extra format bytes
    tag("data");
    u32(dataBytes);
    for (size_t i = 0; i < s.Frames(); ++i) {
        for (float x : {s.left[i], s.right[i]}) {
            const double v = std::clamp(std::nearbyint(x * 26000.0), -32768.0, 32767.0);
            u16(static_cast<uint16_t>(static_cast<int16_t>(v)));
        }
    }
    return b;
}

bool WriteSounds(const std::filesystem::path& out) {
    const std::filesystem::path dir = out / "WAV";
    std::error_code ec;
    std::filesystem::create_directories(dir, ec);
    for (const SoundFile& f : datagen::kSoundFiles) {
        const std::string name = f.name;
        const std::string file = name.substr(name.find('\\') + 1);
        const Stereo s = f.kind == SoundKind::Music ? Music(f.variant) : Effect(f.kind, f.variant);
        const std::vector<uint8_t> bytes = EncodeWav(s);
        std::ofstream o(dir / file, std::ios::binary | std::ios::trunc);
        o.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
        if (!o || s.Frames() == 0) {
            std::fprintf(stderr, "krx_datagen: cannot write %s\n", (dir / file).c_str());
            return false;
        }
    }
    return true;
}

datagen::Register reg("sounds", WriteSounds);

} // namespace
