#include "platform/trace.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <mutex>
#include <utility>

namespace plat {
namespace {

// The platform's own threads (audio, network I/O) may report too.
std::mutex g_traceMutex;
TraceSink g_traceSink;

std::mutex g_refusalMutex;
RefusalCounter g_refusals;

bool PowerOfTen(uint64_t n) {
    while (n % 10 == 0) n /= 10;
    return n == 1;
}

} // namespace

void Trace(std::string_view source, std::string_view reason) {
    std::lock_guard lock(g_traceMutex);
    if (g_traceSink) {
        g_traceSink(source, reason);
        return;
    }
    std::fprintf(stderr, "%.*s: %.*s\n", static_cast<int>(source.size()), source.data(),
                 static_cast<int>(reason.size()), reason.data());
}

TraceSink SetTraceSink(TraceSink sink) {
    std::lock_guard lock(g_traceMutex);
    return std::exchange(g_traceSink, std::move(sink));
}

uint64_t RefusalCounter::Count(std::string_view source, std::string_view reason, std::string_view& origin,
                               uint64_t nowMs) {
    const auto keyOf = [&](std::string_view from) {
        std::string key;
        key.append(source).append(1, '\0').append(reason).append(1, '\0').append(from);
        return key;
    };
    std::erase_if(m_entries, [&](const Entry& e) { return nowMs - e.lastMs >= kQuietMs; });
    std::string key = keyOf(origin);
    auto it = std::find_if(m_entries.begin(), m_entries.end(), [&](const Entry& e) { return e.key == key; });
    if (it == m_entries.end() && m_entries.size() >= kOrigins) {
        // Spoofed sources must not buy a line each.
        origin = kManyOrigins;
        key = keyOf(origin);
        it = std::find_if(m_entries.begin(), m_entries.end(), [&](const Entry& e) { return e.key == key; });
    }
    if (it == m_entries.end()) {
        m_entries.push_back({std::move(key), 0, nowMs});
        it = m_entries.end() - 1;
    }
    it->lastMs = nowMs;
    ++it->count;
    return PowerOfTen(it->count) ? it->count : 0;
}

void TraceRefusal(std::string_view source, std::string_view reason, std::string_view origin) {
    uint64_t count = 0;
    {
        const auto now = std::chrono::steady_clock::now().time_since_epoch();
        std::lock_guard lock(g_refusalMutex);
        count = g_refusals.Count(source, reason, origin,
                                 static_cast<uint64_t>(std::chrono::duration_cast<std::chrono::milliseconds>(now).count()));
    }
    if (count == 0) return;
    std::string line(reason);
    line.append(" (").append(origin);
    if (count > 1) line.append(", ").append(std::to_string(count)).append(" times so far");
    line.append(")");
    Trace(source, line);
}

} // namespace plat
