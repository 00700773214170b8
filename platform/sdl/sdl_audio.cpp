#include "platform/sdl/sdl_audio.h"

#include <SDL.h>

#include <cstdio>
#include <span>

#include "platform/audio.h"

namespace plat {

namespace {

SDL_AudioDeviceID g_device = 0;

void SDLCALL Pull(void*, Uint8* stream, int len) {
    // The device was opened without format changes: len is whole stereo
    // 16-bit frames.
    MixAudio(std::span<int16_t>(reinterpret_cast<int16_t*>(stream), static_cast<size_t>(len) / sizeof(int16_t)));
}

} // namespace

bool StartSdlAudio() {
    if (g_device != 0) return true;
    if (SDL_InitSubSystem(SDL_INIT_AUDIO) != 0) {
        std::fprintf(stderr, "audio: %s\n", SDL_GetError());
        return false;
    }
    SDL_AudioSpec want{};
    want.freq = kAudioRate;
    want.format = AUDIO_S16SYS;
    want.channels = static_cast<Uint8>(kAudioChannels);
    // About 23 ms a pull: short enough for the movie clock to follow closely.
    want.samples = 512;
    want.callback = Pull;
    SDL_AudioSpec have{};
    g_device = SDL_OpenAudioDevice(nullptr, 0, &want, &have, 0);
    if (g_device == 0) {
        std::fprintf(stderr, "audio: %s\n", SDL_GetError());
        SDL_QuitSubSystem(SDL_INIT_AUDIO);
        return false;
    }
    AttachAudioDevice(true);
    SDL_PauseAudioDevice(g_device, 0);
    return true;
}

void StopSdlAudio() {
    if (g_device == 0) return;
    SDL_CloseAudioDevice(g_device);
    g_device = 0;
    AttachAudioDevice(false);
    SDL_QuitSubSystem(SDL_INIT_AUDIO);
}

} // namespace plat
