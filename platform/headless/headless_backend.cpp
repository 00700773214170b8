#include "platform/headless/headless_backend.h"

#include <algorithm>
#include <cstring>
#include <thread>

#include "platform/clock.h"
#include "platform/png.h"
#include "platform/window.h"

namespace plat {

HeadlessBackend::HeadlessBackend(uint32_t stepMs) : m_now(kTickStart), m_step(stepMs) {}

void HeadlessBackend::BeginPass() {
    ++m_passes;
    if (m_passes > 1) m_now += m_step;
    if (m_realTime) {
        const auto wall = std::chrono::steady_clock::now();
        if (m_passes == 1) {
            m_start = wall;
            m_startNow = m_now;
        }
        const auto due = m_start + std::chrono::milliseconds(m_now - m_startNow);
        if (due > wall) std::this_thread::sleep_until(due);
    }
    auto range = m_timeline.equal_range(m_passes);
    // Actions may add more actions; take this pass's out first.
    std::vector<Action> due;
    for (auto it = range.first; it != range.second; ++it) due.push_back(std::move(it->second));
    m_timeline.erase(range.first, range.second);
    for (Action& a : due) a(*this);
    if (m_budget != 0 && !m_budgetSpent && m_passes >= m_budget) {
        m_budgetSpent = true;
        PostEvent(Event::Close());
    }
}

bool HeadlessBackend::OnWindowCreated(const std::string& title) {
    if (m_failNextWindow) {
        m_failNextWindow = false;
        return false;
    }
    m_titles.push_back(title);
    return true;
}

void HeadlessBackend::At(uint64_t pass, Action action) { m_timeline.emplace(pass, std::move(action)); }

void HeadlessBackend::CloseAt(uint64_t pass) {
    At(pass, [](HeadlessBackend&) { PostEvent(Event::Close()); });
}

bool HeadlessBackend::OpenDisplay(int32_t width, int32_t height) {
    if (m_failDisplay) {
        m_failDisplay = false;
        return false;
    }
    m_displayOpen = true;
    m_displayWidth = width;
    m_displayHeight = height;
    return true;
}

void HeadlessBackend::Show(const uint16_t* pixels, int32_t width, int32_t height) {
    ++m_presents;
    m_lastPresent.assign(pixels, pixels + static_cast<size_t>(width) * height);
    m_presentWidth = width;
    m_presentHeight = height;
    if (m_onShow) m_onShow(pixels, width, height);
}

bool HeadlessBackend::SaveLastPresent(const std::string& path) const {
    if (m_lastPresent.empty()) return false;
    return WritePng555(path, m_lastPresent.data(), m_presentWidth, m_presentHeight, m_presentWidth);
}

bool HeadlessBackend::RestoreDisplay() {
    if (m_failRestores > 0) {
        --m_failRestores;
        return false;
    }
    return true;
}

bool HeadlessBackend::ReadKeys(uint8_t* state256) {
    if (!m_keyboard) return false;
    std::memcpy(state256, m_keys.data(), 256);
    return true;
}

void HeadlessBackend::GetCursor(int32_t& x, int32_t& y) {
    x = m_mouseX;
    y = m_mouseY;
}

uint16_t HeadlessBackend::QueryMouseButton(int button) {
    if (button < 0 || button > 2) return 0;
    uint16_t r = m_buttonDown[button] ? 0x8000 : 0;
    if (m_buttonLatch[button]) r |= 1;
    m_buttonLatch[button] = false;
    return r;
}

void HeadlessBackend::MoveMouse(int32_t x, int32_t y) {
    const int32_t w = m_displayOpen ? m_displayWidth : 800, h = m_displayOpen ? m_displayHeight : 600;
    m_mouseX = std::clamp(x, 0, w - 1);
    m_mouseY = std::clamp(y, 0, h - 1);
}

void HeadlessBackend::ButtonDown(int button) {
    if (button < 0 || button > 2) return;
    m_buttonDown[button] = true;
    m_buttonLatch[button] = true;
}

void HeadlessBackend::ButtonUp(int button) {
    if (button < 0 || button > 2) return;
    m_buttonDown[button] = false;
}

void HeadlessBackend::Click(int button) {
    ButtonDown(button);
    ButtonUp(button);
}

} // namespace plat
