#pragma once
#include <cstddef>
#include <cstdint>
#include <span>

namespace plat {

// The mixer. Everything plays at one output format: 22050 frames a second,
// 16-bit signed, two interleaved channels. Each voice is either a buffer
// (played once or looping from its start) or a stream that the caller keeps
// fed. Voices are made, played and asked about from the game thread; an
// output device pulls the mix from its own thread through MixAudio.
//
// Without a device (tests, CI, or no sound card) the mixer runs on the
// virtual clock: every call first moves the playing voices on by the
// TickCount() time elapsed since the last call, mixing into nothing, so
// "is it still playing" answers as it would with a device.
constexpr int32_t kAudioRate = 22050;
constexpr int32_t kAudioChannels = 2;

// 0 is never a voice.
using VoiceId = uint32_t;

// Volume in hundredths of a decibel: 0 is the sample as recorded, -10000
// silence. Pan the same scale: positive values attenuate the left channel,
// negative ones the right.
constexpr int32_t kVolumeMin = -10000;
constexpr int32_t kVolumeMax = 0;
constexpr int32_t kPanLeft = -10000;
constexpr int32_t kPanRight = 10000;

// The layout of a PCM buffer given to CreateVoice: 8-bit unsigned or 16-bit
// signed little-endian samples, 1 or 2 interleaved channels.
struct PcmFormat {
    int32_t rate = kAudioRate;
    int32_t channels = kAudioChannels;
    int32_t bits = 16;
};

// A stopped voice holding its own copy of the samples, converted to the
// output format. 0 when the format is not one of the above, the buffer holds
// no whole frame, or the voice table is full.
VoiceId CreateVoice(std::span<const uint8_t> pcm, const PcmFormat& format = {});

// A stopped stream voice, fed by QueueStream in the output format.
VoiceId CreateStreamVoice();

// Stops the voice and forgets it; unknown ids are ignored.
void DestroyVoice(VoiceId voice);

// A buffer voice starts from its first sample, once or looping. A stream
// voice resumes where it stopped (loop is ignored). False for unknown ids.
bool PlayVoice(VoiceId voice, bool loop = false);

// Halts the voice; a stream keeps what is queued and its position.
void StopVoice(VoiceId voice);

// False once a buffer voice has played to its end, after StopVoice, and for
// unknown ids. A playing stream stays playing when its queue runs dry.
bool IsVoicePlaying(VoiceId voice);

// Clamped to the ranges above.
void SetVoiceVolume(VoiceId voice, int32_t hundredthsDb);
void SetVoicePan(VoiceId voice, int32_t pan);

// Appends interleaved stereo frames to a stream voice. The queue holds at
// most a few seconds; what does not fit is dropped. Returns the frames taken.
size_t QueueStream(VoiceId voice, std::span<const int16_t> stereoFrames);

// Frames a stream voice has played since it was made, counting the silence
// it played while its queue was empty: the stream's own clock.
uint64_t StreamPlayedFrames(VoiceId voice);

// Frames queued and not yet played.
size_t StreamQueuedFrames(VoiceId voice);

int32_t CountVoices();
int32_t CountPlayingVoices();

// Sums every playing voice into the interleaved stereo output (a whole
// number of frames), with each voice's volume and pan, clipping to 16 bits,
// and moves the voices on. The output device calls it; tests may too.
void MixAudio(std::span<int16_t> out);

// An output device says it pulls the mix from now on (the virtual clock
// stops moving voices) or that it has stopped (the virtual clock takes over).
void AttachAudioDevice(bool attached);
bool IsAudioDeviceAttached();

// Destroys every voice and restarts the virtual clock from now (tests).
void ResetMixer();

} // namespace plat
