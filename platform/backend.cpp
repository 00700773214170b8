#include "platform/backend.h"

#include <chrono>
#include <thread>

#include "platform/clock.h"

namespace plat {

namespace {

class PlainBackend final : public Backend {
public:
    const char* Name() const override { return "plain"; }
    uint32_t Now() override { return m_clock.Now(); }
    void Wait(uint32_t ms) override { std::this_thread::sleep_for(std::chrono::milliseconds(ms)); }

private:
    RealClock m_clock;
};

std::unique_ptr<Backend>& Slot() {
    static std::unique_ptr<Backend> backend = std::make_unique<PlainBackend>();
    return backend;
}

} // namespace

Backend& CurrentBackend() { return *Slot(); }

void InstallBackend(std::unique_ptr<Backend> backend) {
    Slot() = backend ? std::move(backend) : std::make_unique<PlainBackend>();
}

void ResetBackend() { InstallBackend(nullptr); }

} // namespace plat
