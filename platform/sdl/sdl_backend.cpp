#include "platform/sdl/sdl_backend.h"

#include <SDL.h>
#include <atomic>
#include <csignal>
#include <cstdio>

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
    Close();
    if (m_videoUp) SDL_QuitSubSystem(SDL_INIT_VIDEO);
}

void SdlBackend::Wait(uint32_t ms) { SDL_Delay(ms); }

void SdlBackend::BeginPass() {
    bool closeAsked = g_terminate.exchange(false);
    if (m_videoUp) {
        SDL_Event e;
        while (SDL_PollEvent(&e)) {
            if (e.type == SDL_QUIT) closeAsked = true;
            if (e.type == SDL_WINDOWEVENT && e.window.event == SDL_WINDOWEVENT_CLOSE) closeAsked = true;
        }
    }
    if (closeAsked) {
        if (WindowHandle w = MainWindow()) PostMessage(w, MSG_CLOSE, 0, 0);
    }
}

bool SdlBackend::OnWindowCreated(WindowHandle h, const std::string& title, bool topLevel) {
    if (!topLevel || m_window) return true; // child windows live only in the queue
    if (!m_videoUp) {
        if (SDL_InitSubSystem(SDL_INIT_VIDEO) != 0) {
            std::fprintf(stderr, "video start failed: %s\n", SDL_GetError());
            return false;
        }
        m_videoUp = true;
    }
    m_window = SDL_CreateWindow(title.c_str(), SDL_WINDOWPOS_UNDEFINED, SDL_WINDOWPOS_UNDEFINED, 800, 600,
                                SDL_WINDOW_FULLSCREEN_DESKTOP | SDL_WINDOW_HIDDEN);
    if (!m_window) {
        std::fprintf(stderr, "window creation failed: %s\n", SDL_GetError());
        return false;
    }
    m_renderer = SDL_CreateRenderer(m_window, -1, SDL_RENDERER_PRESENTVSYNC);
    if (!m_renderer) m_renderer = SDL_CreateRenderer(m_window, -1, SDL_RENDERER_SOFTWARE);
    SDL_ShowCursor(SDL_DISABLE);
    m_handle = h;
    return true;
}

void SdlBackend::OnWindowShown(WindowHandle h) {
    if (h == m_handle && m_window) SDL_ShowWindow(m_window);
}

void SdlBackend::OnWindowPainted(WindowHandle h) {
    if (h != m_handle || !m_renderer) return;
    SDL_SetRenderDrawColor(m_renderer, 0, 0, 0, 255);
    SDL_RenderClear(m_renderer);
    SDL_RenderPresent(m_renderer);
}

void SdlBackend::OnWindowDestroyed(WindowHandle h) {
    if (h == m_handle) Close();
}

void SdlBackend::Close() {
    if (m_renderer) SDL_DestroyRenderer(m_renderer);
    if (m_window) SDL_DestroyWindow(m_window);
    m_renderer = nullptr;
    m_window = nullptr;
    m_handle = 0;
}

} // namespace plat
