#include "platform/clock.h"

#include <chrono>
#include <ctime>

#include "platform/backend.h"

namespace plat {

namespace {
int64_t MonotonicNs() {
    return std::chrono::duration_cast<std::chrono::nanoseconds>(
               std::chrono::steady_clock::now().time_since_epoch())
        .count();
}
} // namespace

RealClock::RealClock() : m_startNs(MonotonicNs()) {}

uint32_t RealClock::Now() const {
    const int64_t ms = (MonotonicNs() - m_startNs) / 1'000'000;
    return static_cast<uint32_t>(kTickStart + static_cast<uint64_t>(ms));
}

uint32_t TickCount() { return CurrentBackend().Now(); }

void Backend::LocalTime(int32_t& hour, int32_t& minute) {
    const std::time_t now = std::time(nullptr);
    std::tm local{};
    if (!localtime_r(&now, &local)) {
        hour = minute = 0;
        return;
    }
    hour = local.tm_hour;
    minute = local.tm_min;
}

void LocalTime(int32_t& hour, int32_t& minute) { CurrentBackend().LocalTime(hour, minute); }

void Sleep(uint32_t ms) { CurrentBackend().Wait(ms); }

} // namespace plat
