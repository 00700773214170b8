#pragma once
#include <memory>

#include "platform/backend.h"
#include "platform/clock.h"
#include "platform/screen_fit.h"

#include <array>
#include <atomic>

struct SDL_Window;
struct SDL_Renderer;
struct SDL_Texture;
union SDL_Event;

namespace plat {

// The backend that plays: one desktop-full-screen SDL window for the game
// window, a real clock, SDL's window, key and mouse events turned into window
// events, and the window manager's close, SIGINT and SIGTERM into one close.
class SdlBackend : public Backend {
public:
    SdlBackend();
    ~SdlBackend() override;

    const char* Name() const override { return "sdl"; }
    uint32_t Now() override { return m_clock.Now(); }
    void Wait(uint32_t ms) override;
    void BeginPass() override;

    bool OnWindowCreated(const std::string& title) override;
    void OnWindowShown() override;
    void OnWindowPainted() override;
    void OnWindowDestroyed() override;

    bool OpenDisplay(int32_t width, int32_t height) override;
    void CloseDisplay() override;
    void Show(const uint16_t* pixels, int32_t width, int32_t height) override;

    bool ReadKeys(uint8_t* state256) override;
    void GetCursor(int32_t& x, int32_t& y) override;
    uint16_t QueryMouseButton(int button) override;

private:
    void Close();
    // Window pixels to game pixels, clamped to the display.
    void ToGame(int wx, int wy, int32_t& x, int32_t& y) const;
    // Where the picture goes on the renderer's current output.
    ScreenFit Fit() const;
    // The picture enlarged by a whole factor, drawn into before the smooth
    // step; made again when the factor changes. Null when it cannot be.
    SDL_Texture* Enlarged(int32_t factor);
    static int EventWatch(void* self, SDL_Event* event);

    RealClock m_clock;
    bool m_videoUp = false;
    SDL_Window* m_window = nullptr;
    SDL_Renderer* m_renderer = nullptr;
    SDL_Texture* m_texture = nullptr;
    SDL_Texture* m_enlarged = nullptr;
    int32_t m_enlargedFactor = 0;
    bool m_vsync = false;
    uint32_t m_lastShow = 0;
    int32_t m_width = 800, m_height = 600;
    // Set from the event watch, which runs wherever events are pumped.
    std::array<std::atomic<bool>, 3> m_latch{};
};

// Makes SIGINT and SIGTERM ask the main window to close.
void InstallTerminationSignals();

} // namespace plat
