#pragma once
#include <cstdint>

namespace plat {

// Milliseconds since an arbitrary start, as an unsigned 32-bit count that
// wraps. Starts at kTickStart: timers that hold 0 mean "due now", and a
// press near tick 0 must not look like a second press.
constexpr uint32_t kTickStart = 10'000'000;

uint32_t TickCount();

// Waits for real in the interactive backend; jumps the virtual clock in the
// headless one.
void Sleep(uint32_t ms);

// The hour (0..23) and minute of the local time of day, as the backend
// tells it (a headless run keeps a fixed one).
void LocalTime(int32_t& hour, int32_t& minute);

// A monotonic clock that reads kTickStart when it is made.
class RealClock {
public:
    RealClock();
    uint32_t Now() const;

private:
    int64_t m_startNs;
};

} // namespace plat
