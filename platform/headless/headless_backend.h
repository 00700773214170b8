#pragma once
#include <cstdint>
#include <functional>
#include <map>
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
    void BeginPass() override;

    bool OnWindowCreated(WindowHandle, const std::string& title, bool topLevel) override;
    void OnWindowShown(WindowHandle) override { ++m_shows; }
    void OnWindowPainted(WindowHandle) override { ++m_paints; }
    void OnWindowDestroyed(WindowHandle) override { ++m_destroys; }

    // Runs the action at the start of the given pass, after the clock step.
    void At(uint64_t pass, Action action);
    // Queues a close for the main window at the start of that pass.
    void CloseAt(uint64_t pass);
    // After this many passes the main window is sent a close, once.
    void SetPassBudget(uint64_t passes) { m_budget = passes; }
    // The next window creation fails in the backend.
    void FailNextWindow() { m_failNextWindow = true; }

    void SetStep(uint32_t ms) { m_step = ms; }
    void SetNow(uint32_t now) { m_now = now; }

    uint64_t Passes() const { return m_passes; }
    int Paints() const { return m_paints; }
    int Shows() const { return m_shows; }
    int Destroys() const { return m_destroys; }
    const std::vector<std::string>& CreatedTitles() const { return m_titles; }

private:
    uint32_t m_now;
    uint32_t m_step;
    uint64_t m_passes = 0;
    uint64_t m_budget = 0;
    bool m_budgetSpent = false;
    bool m_failNextWindow = false;
    int m_paints = 0, m_shows = 0, m_destroys = 0;
    std::vector<std::string> m_titles;
    std::multimap<uint64_t, Action> m_timeline;
};

} // namespace plat
