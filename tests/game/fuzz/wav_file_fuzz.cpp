// Feeds untrusted bytes to the WAV chunk walk, and what it accepts to the
// mixer as the sound object would.
#include <cstddef>
#include <cstdint>
#include <memory>
#include <span>

#include "game/wav_file.h"
#include "platform/audio.h"
#include "platform/backend.h"
#include "platform/headless/headless_backend.h"

namespace {

void Check(bool ok) {
    if (!ok) __builtin_trap();
}

} // namespace

// The mixer moves its voices on by the clock: a virtual one that stands still
// keeps each run the same as the last.
extern "C" int LLVMFuzzerInitialize(int*, char***) {
    plat::InstallBackend(std::make_unique<plat::HeadlessBackend>());
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* p, size_t n) {
    const std::span<const uint8_t> bytes(p, n);
    WavSound sound;
    if (ParseWav(bytes, sound) != nullptr) {
        Check(sound.samples.empty() && sound.format.formatTag == 0);
        return 0;
    }
    // The samples lie within the input; the format was read whole.
    Check(sound.samples.empty() || (sound.samples.data() >= p && sound.samples.data() + sound.samples.size() <= p + n));
    Check(sound.format.formatTag == kWavFormatPcm && sound.format.fmtBytes >= 16);
    const plat::VoiceId voice = plat::CreateVoice(sound.samples, plat::PcmFormat{});
    Check((voice != 0) == (sound.samples.size() >= 4));
    plat::DestroyVoice(voice);
    return 0;
}
