#include "platform/audio.h"

#include <algorithm>
#include <array>
#include <chrono>
#include <cmath>
#include <memory>
#include <mutex>
#include <vector>

#include "platform/clock.h"

namespace plat {

namespace {

constexpr size_t kMaxVoices = 256;
// A stream holds a few seconds ahead: enough for a reader that feeds once a
// frame, bounded so a runaway feeder cannot take the memory.
constexpr size_t kStreamCapacityFrames = static_cast<size_t>(kAudioRate) * 4;
// Ten minutes of converted sound per buffer.
constexpr uint64_t kMaxBufferFrames = static_cast<uint64_t>(kAudioRate) * 600;
constexpr int32_t kMinInputRate = 1000;
constexpr int32_t kMaxInputRate = 192000;
constexpr size_t kMixChunkFrames = 256;

using SteadyClock = std::chrono::steady_clock;

struct Voice {
    VoiceId id = 0;
    bool stream = false;
    bool playing = false;
    bool loop = false;
    int32_t volume = 0;
    int32_t pan = 0;
    float gainL = 1.0f;
    float gainR = 1.0f;
    // Buffer voices: shared so that making one copies outside the lock.
    std::shared_ptr<const std::vector<int16_t>> data;
    size_t frames = 0;
    size_t pos = 0;
    // Stream voices: a ring of stereo frames.
    std::vector<int16_t> ring;
    size_t head = 0;
    size_t queued = 0;
    uint64_t played = 0;
    size_t lastMixed = 0;
};

struct Mixer {
    std::mutex lock;
    std::vector<Voice> voices;
    VoiceId nextId = 1;
    bool device = false;
    bool anchored = false;
    uint32_t lastTick = 0;
    uint64_t tickRemainder = 0;
    SteadyClock::time_point lastMix{};
};

Mixer& M() {
    static Mixer m;
    return m;
}

Voice* Find(Mixer& m, VoiceId id) {
    if (id == 0) return nullptr;
    for (Voice& v : m.voices)
        if (v.id == id) return &v;
    return nullptr;
}

float DbGain(int32_t hundredthsDb) {
    if (hundredthsDb <= kVolumeMin) return 0.0f;
    return static_cast<float>(std::pow(10.0, hundredthsDb / 2000.0));
}

void UpdateGains(Voice& v) {
    const float g = DbGain(v.volume);
    v.gainL = g * (v.pan > 0 ? DbGain(-v.pan) : 1.0f);
    v.gainR = g * (v.pan < 0 ? DbGain(v.pan) : 1.0f);
}

void Accumulate(const Voice& v, const int16_t* src, size_t frames, float* acc) {
    for (size_t i = 0; i < frames; ++i) {
        acc[2 * i] += src[2 * i] * v.gainL;
        acc[2 * i + 1] += src[2 * i + 1] * v.gainR;
    }
}

// Moves a playing voice on by `frames`, adding what it plays into acc when
// given (acc holds at least `frames` stereo frames).
void Step(Voice& v, size_t frames, float* acc) {
    if (!v.playing || frames == 0) return;
    if (v.stream) {
        size_t done = 0;
        while (done < frames && v.queued > 0) {
            const size_t capacity = v.ring.size() / 2;
            const size_t n = std::min({frames - done, v.queued, capacity - v.head});
            if (acc) Accumulate(v, v.ring.data() + 2 * v.head, n, acc + 2 * done);
            v.head = (v.head + n) % capacity;
            v.queued -= n;
            done += n;
        }
        // Silence counts too: the stream's clock never waits for its feeder.
        v.played += frames;
        return;
    }
    if (!acc) {
        // The virtual clock may jump far; no need to walk a loop round by round.
        if (v.loop) {
            v.pos = static_cast<size_t>((static_cast<uint64_t>(v.pos) + frames) % v.frames);
        } else if (frames >= v.frames - v.pos) {
            v.pos = v.frames;
            v.playing = false;
        } else {
            v.pos += frames;
        }
        return;
    }
    size_t done = 0;
    while (done < frames && v.playing) {
        const size_t n = std::min(frames - done, v.frames - v.pos);
        Accumulate(v, v.data->data() + 2 * v.pos, n, acc + 2 * done);
        v.pos += n;
        done += n;
        if (v.pos == v.frames) {
            if (v.loop) {
                v.pos = 0;
            } else {
                v.playing = false;
            }
        }
    }
}

// The virtual clock: moves the voices on by the ticks elapsed since the last
// call. Called with the lock held; `now` is read before taking it.
void Advance(Mixer& m, uint32_t now) {
    if (m.device) return;
    if (!m.anchored) {
        m.anchored = true;
        m.lastTick = now;
        return;
    }
    const int32_t elapsed = static_cast<int32_t>(now - m.lastTick);
    m.lastTick = now;
    // A clock that went back (a new backend in tests) restarts from here.
    if (elapsed <= 0) return;
    const uint64_t total = static_cast<uint64_t>(elapsed) * kAudioRate + m.tickRemainder;
    const uint64_t frames = total / 1000;
    m.tickRemainder = total % 1000;
    for (Voice& v : m.voices) Step(v, static_cast<size_t>(frames), nullptr);
}

// Locks the mixer after bringing the virtual clock up to date.
std::unique_lock<std::mutex> Enter(Mixer& m) {
    const uint32_t now = TickCount();
    std::unique_lock<std::mutex> guard(m.lock);
    Advance(m, now);
    return guard;
}

int32_t ReadSample(std::span<const uint8_t> pcm, size_t index, int32_t bits) {
    if (bits == 8) return (static_cast<int32_t>(pcm[index]) - 128) * 256;
    return static_cast<int16_t>(static_cast<uint16_t>(pcm[2 * index] | (pcm[2 * index + 1] << 8)));
}

// Converts any accepted layout to interleaved stereo 16-bit at the output
// rate, with linear interpolation between input frames.
std::vector<int16_t> Convert(std::span<const uint8_t> pcm, const PcmFormat& f) {
    const size_t bytesPerFrame = static_cast<size_t>(f.channels) * (f.bits / 8);
    const size_t inFrames = pcm.size() / bytesPerFrame;
    auto sample = [&](size_t frame, int32_t channel) {
        return ReadSample(pcm, frame * f.channels + std::min(channel, f.channels - 1), f.bits);
    };
    const uint64_t outFrames =
        f.rate == kAudioRate ? inFrames : static_cast<uint64_t>(inFrames) * kAudioRate / f.rate;
    std::vector<int16_t> out;
    if (outFrames == 0 || outFrames > kMaxBufferFrames) return out;
    out.resize(static_cast<size_t>(outFrames) * 2);
    for (size_t i = 0; i < outFrames; ++i) {
        const uint64_t at = static_cast<uint64_t>(i) * f.rate;
        const size_t idx = static_cast<size_t>(at / kAudioRate);
        const int64_t frac = static_cast<int64_t>(at % kAudioRate);
        const size_t next = std::min(idx + 1, inFrames - 1);
        for (int32_t c = 0; c < 2; ++c) {
            const int64_t a = sample(idx, c);
            const int64_t b = sample(next, c);
            out[2 * i + c] = static_cast<int16_t>(a + (b - a) * frac / kAudioRate);
        }
    }
    return out;
}

VoiceId AddVoice(Mixer& m, Voice v) {
    if (m.voices.size() >= kMaxVoices) return 0;
    v.id = m.nextId++;
    if (m.nextId == 0) m.nextId = 1;
    UpdateGains(v);
    m.voices.push_back(std::move(v));
    return m.voices.back().id;
}

} // namespace

VoiceId CreateVoice(std::span<const uint8_t> pcm, const PcmFormat& format) {
    if (format.bits != 8 && format.bits != 16) return 0;
    if (format.channels != 1 && format.channels != 2) return 0;
    if (format.rate < kMinInputRate || format.rate > kMaxInputRate) return 0;
    auto data = std::make_shared<std::vector<int16_t>>(Convert(pcm, format));
    if (data->empty()) return 0;
    Voice v;
    v.frames = data->size() / 2;
    v.data = std::move(data);
    Mixer& m = M();
    auto guard = Enter(m);
    return AddVoice(m, std::move(v));
}

VoiceId CreateStreamVoice() {
    Voice v;
    v.stream = true;
    v.ring.assign(kStreamCapacityFrames * 2, 0);
    Mixer& m = M();
    auto guard = Enter(m);
    return AddVoice(m, std::move(v));
}

void DestroyVoice(VoiceId voice) {
    Mixer& m = M();
    std::shared_ptr<const std::vector<int16_t>> keep; // freed outside the lock
    std::vector<int16_t> ring;
    auto guard = Enter(m);
    for (auto it = m.voices.begin(); it != m.voices.end(); ++it) {
        if (it->id != voice) continue;
        keep = std::move(it->data);
        ring.swap(it->ring);
        m.voices.erase(it);
        break;
    }
    guard.unlock();
}

bool PlayVoice(VoiceId voice, bool loop) {
    Mixer& m = M();
    auto guard = Enter(m);
    Voice* v = Find(m, voice);
    if (!v) return false;
    if (!v->stream) {
        v->pos = 0;
        v->loop = loop;
    }
    v->playing = true;
    v->lastMixed = 0;
    return true;
}

void StopVoice(VoiceId voice) {
    Mixer& m = M();
    auto guard = Enter(m);
    if (Voice* v = Find(m, voice)) {
        v->playing = false;
        v->lastMixed = 0;
    }
}

bool IsVoicePlaying(VoiceId voice) {
    Mixer& m = M();
    auto guard = Enter(m);
    const Voice* v = Find(m, voice);
    return v && v->playing;
}

void SetVoiceVolume(VoiceId voice, int32_t hundredthsDb) {
    Mixer& m = M();
    auto guard = Enter(m);
    if (Voice* v = Find(m, voice)) {
        v->volume = std::clamp(hundredthsDb, kVolumeMin, kVolumeMax);
        UpdateGains(*v);
    }
}

void SetVoicePan(VoiceId voice, int32_t pan) {
    Mixer& m = M();
    auto guard = Enter(m);
    if (Voice* v = Find(m, voice)) {
        v->pan = std::clamp(pan, kPanLeft, kPanRight);
        UpdateGains(*v);
    }
}

size_t QueueStream(VoiceId voice, std::span<const int16_t> stereoFrames) {
    Mixer& m = M();
    auto guard = Enter(m);
    Voice* v = Find(m, voice);
    if (!v || !v->stream) return 0;
    const size_t capacity = v->ring.size() / 2;
    const size_t n = std::min(stereoFrames.size() / 2, capacity - v->queued);
    size_t tail = (v->head + v->queued) % capacity;
    for (size_t i = 0; i < n; ++i) {
        v->ring[2 * tail] = stereoFrames[2 * i];
        v->ring[2 * tail + 1] = stereoFrames[2 * i + 1];
        tail = tail + 1 == capacity ? 0 : tail + 1;
    }
    v->queued += n;
    return n;
}

uint64_t StreamPlayedFrames(VoiceId voice) {
    Mixer& m = M();
    auto guard = Enter(m);
    const Voice* v = Find(m, voice);
    if (!v) return 0;
    if (!m.device || !v->playing || v->lastMixed == 0) return v->played;
    // The device was handed the last mix in one piece and plays it out over
    // its length: count what of it should be heard by now.
    const auto sinceMix = std::chrono::duration_cast<std::chrono::microseconds>(SteadyClock::now() - m.lastMix);
    const uint64_t heard = static_cast<uint64_t>(std::max<int64_t>(0, sinceMix.count())) * kAudioRate / 1'000'000;
    return v->played - v->lastMixed + std::min<uint64_t>(heard, v->lastMixed);
}

size_t StreamQueuedFrames(VoiceId voice) {
    Mixer& m = M();
    auto guard = Enter(m);
    const Voice* v = Find(m, voice);
    return v ? v->queued : 0;
}

int32_t CountVoices() {
    Mixer& m = M();
    auto guard = Enter(m);
    return static_cast<int32_t>(m.voices.size());
}

int32_t CountPlayingVoices() {
    Mixer& m = M();
    auto guard = Enter(m);
    return static_cast<int32_t>(std::count_if(m.voices.begin(), m.voices.end(), [](const Voice& v) { return v.playing; }));
}

void MixAudio(std::span<int16_t> out) {
    Mixer& m = M();
    std::lock_guard<std::mutex> guard(m.lock);
    const size_t frames = out.size() / 2;
    for (Voice& v : m.voices) v.lastMixed = v.playing ? frames : 0;
    std::array<float, kMixChunkFrames * 2> acc;
    for (size_t done = 0; done < frames; done += kMixChunkFrames) {
        const size_t n = std::min(kMixChunkFrames, frames - done);
        std::fill_n(acc.begin(), 2 * n, 0.0f);
        for (Voice& v : m.voices) Step(v, n, acc.data());
        for (size_t i = 0; i < 2 * n; ++i) {
            const float s = std::clamp(std::nearbyint(acc[i]), -32768.0f, 32767.0f);
            out[2 * done + i] = static_cast<int16_t>(s);
        }
    }
    m.lastMix = SteadyClock::now();
}

void AttachAudioDevice(bool attached) {
    const uint32_t now = TickCount();
    Mixer& m = M();
    std::lock_guard<std::mutex> guard(m.lock);
    m.device = attached;
    // The virtual clock starts afresh: the device's time is not its to replay.
    m.anchored = true;
    m.lastTick = now;
    m.tickRemainder = 0;
}

bool IsAudioDeviceAttached() {
    Mixer& m = M();
    std::lock_guard<std::mutex> guard(m.lock);
    return m.device;
}

void ResetMixer() {
    const uint32_t now = TickCount();
    Mixer& m = M();
    std::vector<Voice> gone;
    std::lock_guard<std::mutex> guard(m.lock);
    gone.swap(m.voices);
    m.anchored = true;
    m.lastTick = now;
    m.tickRemainder = 0;
}

} // namespace plat
