#pragma once
#include <atomic>
#include <cstdint>
#include <functional>
#include <map>
#include <array>
#include <chrono>
#include <string>
#include <vector>

#include "platform/backend.h"

namespace plat {

// The backend of tests and CI: no screen, a virtual clock that moves a fixed
// step at the start of every loop pass, and a timeline of scripted events
// keyed by pass number (the first pass is pass 1).
class HeadlessBackend : public Backend {
public:
    using Action = std::function<void(HeadlessBackend&)>;

    explicit HeadlessBackend(uint32_t stepMs = 16);

    const char* Name() const override { return "headless"; }
    uint32_t Now() override { return m_now; }
    void Wait(uint32_t ms) override { m_now += ms; }
    // A fixed time of day, so that runs draw the same clocks.
    void LocalTime(int32_t& hour, int32_t& minute) override {
        hour = m_hour;
        minute = m_minute;
    }
    void BeginPass() override;

    bool OnWindowCreated(const std::string& title) override;
    void OnWindowShown() override { ++m_shows; }
    void OnWindowPainted() override { ++m_paints; }
    void OnWindowDestroyed() override { ++m_destroys; }

    bool OpenDisplay(int32_t width, int32_t height) override;
    void CloseDisplay() override { m_displayOpen = false; }
    void Show(const uint16_t* pixels, int32_t width, int32_t height) override;
    bool RestoreDisplay() override;

    bool ReadKeys(uint8_t* state256) override;
    void GetCursor(int32_t& x, int32_t& y) override;
    uint16_t QueryMouseButton(int button) override;

    // Scripted input; call from timeline actions or between frames. It changes
    // what the keyboard and mouse read; window events are posted by the
    // script itself (PostEvent).
    void KeyDown(uint8_t code) { m_keys[code] = 0x80; }
    void KeyUp(uint8_t code) { m_keys[code] = 0; }
    void SetKeyboardPresent(bool present) { m_keyboard = present; }
    void MoveMouse(int32_t x, int32_t y);
    void ButtonDown(int button);
    void ButtonUp(int button);
    // A press and release that both fall between two queries.
    void Click(int button);

    // Display scripting and capture.
    void FailDisplayOpen() { m_failDisplay = true; }
    void FailRestores(int count) { m_failRestores = count; }
    int Presents() const { return m_presents; }
    // Called with every picture shown, as it is shown.
    void OnShow(std::function<void(const uint16_t* pixels, int32_t width, int32_t height)> fn) {
        m_onShow = std::move(fn);
    }
    // The last picture shown, pitch = width; empty before the first present.
    const std::vector<uint16_t>& LastPresent() const { return m_lastPresent; }
    // Writes the last picture shown as a PNG; false when none was shown.
    bool SaveLastPresent(const std::string& path) const;

    // Runs the action at the start of the given pass, after the clock step.
    void At(uint64_t pass, Action action);
    // Queues a close for the window at the start of that pass.
    void CloseAt(uint64_t pass);
    // After this many passes the window is sent a close, once.
    void SetPassBudget(uint64_t passes) { m_budget = passes; }
    // The next window creation fails in the backend.
    void FailNextWindow() { m_failNextWindow = true; }

    void SetStep(uint32_t ms) { m_step = ms; }
    // Each pass waits until the wall clock has run as long as the virtual
    // one since the first pass, so that processes of one test keep step.
    void SetRealTime(bool on) { m_realTime = on; }
    void SetNow(uint32_t now) { m_now = now; }
    void SetLocalTime(int32_t hour, int32_t minute) {
        m_hour = hour;
        m_minute = minute;
    }

    uint64_t Passes() const { return m_passes; }
    int Paints() const { return m_paints; }
    int Shows() const { return m_shows; }
    int Destroys() const { return m_destroys; }
    const std::vector<std::string>& CreatedTitles() const { return m_titles; }

private:
    // Read by the session's threads too (their trace lines carry the tick).
    std::atomic<uint32_t> m_now;
    uint32_t m_step;
    int32_t m_hour = 12, m_minute = 0;
    uint64_t m_passes = 0;
    uint64_t m_budget = 0;
    bool m_realTime = false;
    std::chrono::steady_clock::time_point m_start;
    uint32_t m_startNow = 0;
    bool m_budgetSpent = false;
    bool m_failNextWindow = false;
    int m_paints = 0, m_shows = 0, m_destroys = 0;
    std::vector<std::string> m_titles;
    std::multimap<uint64_t, Action> m_timeline;

    bool m_keyboard = true;
    std::array<uint8_t, 256> m_keys{};
    int32_t m_mouseX = 0, m_mouseY = 0;
    std::array<bool, 3> m_buttonDown{};
    std::array<bool, 3> m_buttonLatch{};

    bool m_displayOpen = false;
    bool m_failDisplay = false;
    int m_failRestores = 0;
    int32_t m_displayWidth = 0, m_displayHeight = 0;
    int m_presents = 0;
    std::vector<uint16_t> m_lastPresent;
    int32_t m_presentWidth = 0, m_presentHeight = 0;
    std::function<void(const uint16_t*, int32_t, int32_t)> m_onShow;
};

} // namespace plat
