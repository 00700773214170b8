#pragma once
#include <memory>

#include "platform/backend.h"
#include "platform/clock.h"

struct SDL_Window;
struct SDL_Renderer;

namespace plat {

// The backend that plays: one desktop-full-screen SDL window for the main
// window, a real clock, and the window manager's close, SIGINT and SIGTERM
// turned into a close message for the main window.
class SdlBackend : public Backend {
public:
    SdlBackend();
    ~SdlBackend() override;

    const char* Name() const override { return "sdl"; }
    uint32_t Now() override { return m_clock.Now(); }
    void Wait(uint32_t ms) override;
    void BeginPass() override;

    bool OnWindowCreated(WindowHandle, const std::string& title, bool topLevel) override;
    void OnWindowShown(WindowHandle) override;
    void OnWindowPainted(WindowHandle) override;
    void OnWindowDestroyed(WindowHandle) override;

private:
    void Close();

    RealClock m_clock;
    bool m_videoUp = false;
    WindowHandle m_handle = 0;
    SDL_Window* m_window = nullptr;
    SDL_Renderer* m_renderer = nullptr;
};

// Makes SIGINT and SIGTERM ask the main window to close.
void InstallTerminationSignals();

} // namespace plat
