#include "platform/headless/headless_backend.h"

#include "platform/clock.h"

namespace plat {

HeadlessBackend::HeadlessBackend(uint32_t stepMs) : m_now(kTickStart), m_step(stepMs) {}

void HeadlessBackend::BeginPass() {
    ++m_passes;
    if (m_passes > 1) m_now += m_step;
    auto range = m_timeline.equal_range(m_passes);
    // Actions may add more actions; take this pass's out first.
    std::vector<Action> due;
    for (auto it = range.first; it != range.second; ++it) due.push_back(std::move(it->second));
    m_timeline.erase(range.first, range.second);
    for (Action& a : due) a(*this);
    if (m_budget != 0 && !m_budgetSpent && m_passes >= m_budget) {
        m_budgetSpent = true;
        if (WindowHandle w = MainWindow()) PostMessage(w, MSG_CLOSE, 0, 0);
    }
}

bool HeadlessBackend::OnWindowCreated(WindowHandle, const std::string& title, bool) {
    if (m_failNextWindow) {
        m_failNextWindow = false;
        return false;
    }
    m_titles.push_back(title);
    return true;
}

void HeadlessBackend::At(uint64_t pass, Action action) { m_timeline.emplace(pass, std::move(action)); }

void HeadlessBackend::CloseAt(uint64_t pass) {
    At(pass, [](HeadlessBackend&) {
        if (WindowHandle w = MainWindow()) PostMessage(w, MSG_CLOSE, 0, 0);
    });
}

} // namespace plat
