#include "platform/sdl/sdl_backend.h"

#include <SDL.h>
#include <algorithm>
#include <atomic>
#include <csignal>
#include <cstdio>
#include <string_view>

#include "platform/sdl/lost_display.h"
#include "platform/sdl/sdl_keymap.h"
#include "platform/screen_fit.h"
#include "platform/window.h"

namespace plat {

namespace {
std::atomic<bool> g_terminate{false};

extern "C" void OnTerminationSignal(int) { g_terminate.store(true); }
} // namespace

void InstallTerminationSignals() {
    std::signal(SIGINT, OnTerminationSignal);
    std::signal(SIGTERM, OnTerminationSignal);
}

SdlBackend::SdlBackend() {
    SDL_SetHint(SDL_HINT_NO_SIGNAL_HANDLERS, "1");
    InstallTerminationSignals();
}

SdlBackend::~SdlBackend() {
    if (m_videoUp) SDL_DelEventWatch(&SdlBackend::EventWatch, this);
    Close();
    // Video is not quit: that closes the display and unloads the system's GL
    // driver, and the blocks the driver leaves then show as leaks of no
    // library the sanitizer build could name in its suppressions. The
    // process ends soon after; the system takes the rest back.
}

void SdlBackend::Wait(uint32_t ms) { SDL_Delay(ms); }

namespace {
int ButtonIndex(uint8_t sdlButton) {
    return sdlButton == SDL_BUTTON_LEFT     ? 0
           : sdlButton == SDL_BUTTON_RIGHT  ? 1
           : sdlButton == SDL_BUTTON_MIDDLE ? 2
                                            : -1;
}
} // namespace

void SdlBackend::BeginPass() {
    bool closeAsked = g_terminate.exchange(false);
    if (m_videoUp) {
        SDL_Event e;
        int32_t x = 0, y = 0;
        while (SDL_PollEvent(&e)) {
            switch (e.type) {
            case SDL_QUIT:
                closeAsked = true;
                break;
            case SDL_WINDOWEVENT:
                // An exposed window is not painted: the next frame's present
                // covers it, where a paint would flash it black first.
                if (e.window.event == SDL_WINDOWEVENT_CLOSE) closeAsked = true;
                if (e.window.event == SDL_WINDOWEVENT_FOCUS_GAINED) PostEvent(Event::Activate(true));
                if (e.window.event == SDL_WINDOWEVENT_FOCUS_LOST) PostEvent(Event::Activate(false));
                break;
            case SDL_KEYDOWN:
            case SDL_KEYUP:
                if (const uint8_t code = ScanCodeFromSdl(e.key.keysym.scancode))
                    PostEvent(Event::Key(e.type == SDL_KEYDOWN, code));
                break;
            case SDL_MOUSEMOTION:
                ToGame(e.motion.x, e.motion.y, x, y);
                PostEvent(Event::MouseMove(x, y));
                break;
            case SDL_MOUSEBUTTONDOWN:
            case SDL_MOUSEBUTTONUP:
                if (const int index = ButtonIndex(e.button.button); index >= 0) {
                    ToGame(e.button.x, e.button.y, x, y);
                    PostEvent(Event::Mouse(e.type == SDL_MOUSEBUTTONDOWN, static_cast<Button>(index), x, y));
                }
                break;
            default:
                break;
            }
        }
    }
    // However often it was asked for in this pass, the window gets one close.
    if (closeAsked) PostEvent(Event::Close());
}

bool SdlBackend::OnWindowCreated(const std::string& title) {
    if (m_window) return false;
    if (!m_videoUp) {
        if (SDL_InitSubSystem(SDL_INIT_VIDEO) != 0) {
            std::fprintf(stderr, "video start failed: %s\n", SDL_GetError());
            return false;
        }
        // SDL falls back on a driver that shows nothing when no display can
        // be reached; a game nobody can see would play on for ever. Such a
        // driver is taken only when asked for by name.
        const std::string_view driver = SDL_GetCurrentVideoDriver() ? SDL_GetCurrentVideoDriver() : "";
        if (!SDL_getenv("SDL_VIDEODRIVER") && (driver == "offscreen" || driver == "dummy")) {
            std::fprintf(stderr, "video start failed: no display can be reached\n");
            SDL_QuitSubSystem(SDL_INIT_VIDEO);
            return false;
        }
        if (driver == "x11") EndOnLostDisplay();
        m_videoUp = true;
        SDL_AddEventWatch(&SdlBackend::EventWatch, this);
    }
    // Made at the desktop's size as well as full-screen: without a window
    // manager the full-screen request alone leaves a small window whose
    // drawing is offset.
    SDL_Rect bounds{0, 0, 800, 600};
    SDL_GetDisplayBounds(0, &bounds);
    m_window = SDL_CreateWindow(title.c_str(), bounds.x, bounds.y, bounds.w, bounds.h,
                                SDL_WINDOW_FULLSCREEN_DESKTOP | SDL_WINDOW_BORDERLESS | SDL_WINDOW_HIDDEN);
    if (!m_window) {
        std::fprintf(stderr, "window creation failed: %s\n", SDL_GetError());
        return false;
    }
    m_renderer = SDL_CreateRenderer(m_window, -1, SDL_RENDERER_PRESENTVSYNC);
    m_vsync = m_renderer != nullptr;
    if (!m_renderer) m_renderer = SDL_CreateRenderer(m_window, -1, SDL_RENDERER_SOFTWARE);
    if (m_renderer) {
        SDL_RendererInfo info;
        if (SDL_GetRendererInfo(m_renderer, &info) == 0) m_vsync = (info.flags & SDL_RENDERER_PRESENTVSYNC) != 0;
    }
    SDL_ShowCursor(SDL_DISABLE);
    return true;
}

void SdlBackend::OnWindowShown() {
    if (m_window) SDL_ShowWindow(m_window);
}

void SdlBackend::OnWindowPainted() {
    if (!m_renderer) return;
    SDL_SetRenderDrawColor(m_renderer, 0, 0, 0, 255);
    SDL_RenderClear(m_renderer);
    SDL_RenderPresent(m_renderer);
}

void SdlBackend::OnWindowDestroyed() {
    Close();
}

void SdlBackend::Close() {
    CloseDisplay();
    // The renderer takes its textures with it.
    if (m_renderer) SDL_DestroyRenderer(m_renderer);
    if (m_window) SDL_DestroyWindow(m_window);
    m_renderer = nullptr;
    m_window = nullptr;
}

bool SdlBackend::OpenDisplay(int32_t width, int32_t height) {
    if (!m_renderer) return false;
    CloseDisplay();
    // XRGB1555: the top bit is ignored, as the game's pixels want.
    m_texture = SDL_CreateTexture(m_renderer, SDL_PIXELFORMAT_RGB555, SDL_TEXTUREACCESS_STREAMING, width, height);
    if (!m_texture) {
        std::fprintf(stderr, "display texture failed: %s\n", SDL_GetError());
        return false;
    }
    SDL_SetTextureScaleMode(m_texture, SDL_ScaleModeNearest);
    m_width = width;
    m_height = height;
    return true;
}

void SdlBackend::CloseDisplay() {
    if (m_texture) SDL_DestroyTexture(m_texture);
    if (m_enlarged) SDL_DestroyTexture(m_enlarged);
    m_texture = m_enlarged = nullptr;
    m_enlargedFactor = 0;
}

ScreenFit SdlBackend::Fit() const {
    int w = 0, h = 0;
    if (m_renderer) SDL_GetRendererOutputSize(m_renderer, &w, &h);
    return FitPicture(m_width, m_height, w, h);
}

SDL_Texture* SdlBackend::Enlarged(int32_t factor) {
    if (m_enlarged && m_enlargedFactor == factor) return m_enlarged;
    if (m_enlarged) SDL_DestroyTexture(m_enlarged);
    m_enlarged = SDL_CreateTexture(m_renderer, SDL_PIXELFORMAT_RGB555, SDL_TEXTUREACCESS_TARGET, m_width * factor,
                                   m_height * factor);
    m_enlargedFactor = m_enlarged ? factor : 0;
    if (m_enlarged) SDL_SetTextureScaleMode(m_enlarged, SDL_ScaleModeLinear);
    return m_enlarged;
}

void SdlBackend::Show(const uint16_t* pixels, int32_t width, int32_t height) {
    if (!m_texture || width != m_width || height != m_height) return;
    SDL_UpdateTexture(m_texture, nullptr, pixels, width * 2);
    const ScreenFit fit = Fit();
    const SDL_Rect to{fit.x, fit.y, fit.width, fit.height};
    // Whole-factor nearest pixels first, then the smooth step to the screen;
    // a renderer that cannot draw into a texture shows nearest pixels only.
    SDL_Texture* shown = m_texture;
    if (!fit.Exact(width, height)) {
        if (SDL_Texture* big = Enlarged(fit.factor); big && SDL_SetRenderTarget(m_renderer, big) == 0) {
            SDL_RenderCopy(m_renderer, m_texture, nullptr, nullptr);
            SDL_SetRenderTarget(m_renderer, nullptr);
            shown = big;
        }
    }
    SDL_SetRenderDrawColor(m_renderer, 0, 0, 0, 255);
    SDL_RenderClear(m_renderer);
    SDL_RenderCopy(m_renderer, shown, nullptr, &to);
    if (!m_vsync) {
        // Without vertical sync, hold the pace of a 60 Hz screen.
        const uint32_t due = m_lastShow + 16;
        const uint32_t now = m_clock.Now();
        if (static_cast<int32_t>(due - now) > 0) SDL_Delay(due - now);
    }
    SDL_RenderPresent(m_renderer);
    m_lastShow = m_clock.Now();
}

bool SdlBackend::ReadKeys(uint8_t* state256) {
    std::fill(state256, state256 + 256, uint8_t{0});
    if (!m_window) return false;
    SDL_PumpEvents();
    // Keys held when the window lost focus do not stay down.
    if (SDL_GetKeyboardFocus() != m_window) return true;
    int count = 0;
    const Uint8* keys = SDL_GetKeyboardState(&count);
    for (int sc = 0; sc < count; ++sc) {
        if (!keys[sc]) continue;
        if (const uint8_t code = ScanCodeFromSdl(sc)) state256[code] = 0x80;
    }
    return true;
}

void SdlBackend::ToGame(int wx, int wy, int32_t& x, int32_t& y) const {
    x = y = 0;
    if (!m_renderer || !m_window) return;
    // Window points to the renderer's pixels, which differ on a screen that
    // scales windows.
    int ww = 0, wh = 0, ow = 0, oh = 0;
    SDL_GetWindowSize(m_window, &ww, &wh);
    SDL_GetRendererOutputSize(m_renderer, &ow, &oh);
    const int64_t sx = ww > 0 ? int64_t{wx} * ow / ww : wx;
    const int64_t sy = wh > 0 ? int64_t{wy} * oh / wh : wy;
    ScreenToPicture(Fit(), m_width, m_height, static_cast<int32_t>(sx), static_cast<int32_t>(sy), x, y);
}

void SdlBackend::GetCursor(int32_t& x, int32_t& y) {
    x = y = 0;
    if (!m_renderer) return;
    int wx = 0, wy = 0;
    SDL_GetMouseState(&wx, &wy);
    ToGame(wx, wy, x, y);
}

uint16_t SdlBackend::QueryMouseButton(int button) {
    if (button < 0 || button > 2 || !m_window) return 0;
    static constexpr uint32_t masks[3] = {SDL_BUTTON_LMASK, SDL_BUTTON_RMASK, SDL_BUTTON_MMASK};
    SDL_PumpEvents();
    uint16_t r = (SDL_GetMouseState(nullptr, nullptr) & masks[button]) ? 0x8000 : 0;
    if (m_latch[button].exchange(false)) r |= 1;
    return r;
}

int SdlBackend::EventWatch(void* self, SDL_Event* e) {
    if (e->type == SDL_MOUSEBUTTONDOWN) {
        auto* b = static_cast<SdlBackend*>(self);
        if (const int index = ButtonIndex(e->button.button); index >= 0) b->m_latch[index].store(true);
    }
    return 0;
}

} // namespace plat
