#pragma once
#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace plat {

// The one debug-output channel of the program. A line has a source (the
// reader, file or subsystem that speaks) and a reason. Lines go to stderr
// until a sink is installed; the game's trace log and the tests install one.
using TraceSink = std::function<void(std::string_view source, std::string_view reason)>;

void Trace(std::string_view source, std::string_view reason);

// Installs a sink and returns the one it replaces; an empty sink restores
// stderr.
TraceSink SetTraceSink(TraceSink sink);

// Installs a sink for the life of a scope (tests, the scene's log).
class ScopedTraceSink {
public:
    explicit ScopedTraceSink(TraceSink sink) : m_previous(SetTraceSink(std::move(sink))) {}
    ~ScopedTraceSink() { SetTraceSink(std::move(m_previous)); }
    ScopedTraceSink(const ScopedTraceSink&) = delete;
    ScopedTraceSink& operator=(const ScopedTraceSink&) = delete;

private:
    TraceSink m_previous;
};

// A refusal that anyone able to reach us can repeat at will (junk
// datagrams, broken connections, a flood). The first of a kind from one
// origin is written; after that only the 10th, 100th, 1000th... with the
// count so far, until the origin has been quiet for kQuietMs and the next
// one is written again.
void TraceRefusal(std::string_view source, std::string_view reason, std::string_view origin);

// The bookkeeping behind TraceRefusal, on a clock of the caller's.
class RefusalCounter {
public:
    static constexpr uint64_t kQuietMs = 60'000;
    // Origins tracked apart; beyond them every new origin counts as one.
    static constexpr size_t kOrigins = 64;
    static constexpr std::string_view kManyOrigins = "many origins";

    // The count to write with this refusal, or 0 when it is only counted.
    // `origin` becomes kManyOrigins when too many others are tracked.
    uint64_t Count(std::string_view source, std::string_view reason, std::string_view& origin, uint64_t nowMs);

private:
    struct Entry {
        std::string key;
        uint64_t count = 0;
        uint64_t lastMs = 0;
    };
    std::vector<Entry> m_entries;
};

} // namespace plat
