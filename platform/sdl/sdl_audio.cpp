#include "platform/sdl/sdl_audio.h"

#include <SDL.h>
#include <fcntl.h>
#include <unistd.h>

#include <cstdio>
#include <span>
#include <string>

#include "platform/audio.h"

namespace plat {

namespace {

SDL_AudioDeviceID g_device = 0;

void SDLCALL Pull(void*, Uint8* stream, int len) {
    // The device was opened without format changes: len is whole stereo
    // 16-bit frames.
    MixAudio(std::span<int16_t>(reinterpret_cast<int16_t*>(stream), static_cast<size_t>(len) / sizeof(int16_t)));
}

// Without a device, the sound library's back ends print a page of their own
// errors to stderr while they look for one; the player gets one line from us
// instead. Start-up runs on one thread, so nothing else is lost meanwhile.
class QuietStderr {
public:
    QuietStderr() {
        std::fflush(stderr);
        m_saved = ::dup(STDERR_FILENO);
        const int null = ::open("/dev/null", O_WRONLY | O_CLOEXEC);
        if (m_saved >= 0 && null >= 0) ::dup2(null, STDERR_FILENO);
        if (null >= 0) ::close(null);
    }
    ~QuietStderr() {
        std::fflush(stderr);
        if (m_saved < 0) return;
        ::dup2(m_saved, STDERR_FILENO);
        ::close(m_saved);
    }
    QuietStderr(const QuietStderr&) = delete;
    QuietStderr& operator=(const QuietStderr&) = delete;

private:
    int m_saved = -1;
};

bool NoDevice(const std::string& why) {
    std::fprintf(stderr, "krx: no audio device (%s); the game runs silent\n", why.c_str());
    return false;
}

} // namespace

bool StartSdlAudio() {
    if (g_device != 0) return true;
    std::string why;
    bool up;
    {
        QuietStderr quiet;
        up = SDL_InitSubSystem(SDL_INIT_AUDIO) == 0;
        if (!up) why = SDL_GetError();
    }
    if (!up) return NoDevice(why);
    SDL_AudioSpec want{};
    want.freq = kAudioRate;
    want.format = AUDIO_S16SYS;
    want.channels = static_cast<Uint8>(kAudioChannels);
    // About 23 ms a pull: short enough for the movie clock to follow closely.
    want.samples = 512;
    want.callback = Pull;
    SDL_AudioSpec have{};
    {
        QuietStderr quiet;
        g_device = SDL_OpenAudioDevice(nullptr, 0, &want, &have, 0);
        if (g_device == 0) {
            why = SDL_GetError();
            SDL_QuitSubSystem(SDL_INIT_AUDIO);
        }
    }
    if (g_device == 0) return NoDevice(why.empty() ? "no device opens" : why);
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
