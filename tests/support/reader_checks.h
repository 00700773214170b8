#pragma once
#include <cstddef>
#include <cstdint>
#include <functional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "platform/trace.h"

// What the tests of every reader check: that each truncated prefix of a good
// input is refused cleanly, and what the reader said through the trace.
namespace krxtest {

// The lines written to the trace while it lives (the previous sink comes
// back afterwards).
class TraceCapture {
public:
    struct Line {
        std::string source, reason;
    };
    TraceCapture();

    const std::vector<Line>& Lines() const { return m_lines; }
    void Clear() { m_lines.clear(); }

private:
    std::vector<Line> m_lines;
    plat::ScopedTraceSink m_sink;
};

inline std::span<const uint8_t> AsBytes(std::string_view s) {
    return {reinterpret_cast<const uint8_t*>(s.data()), s.size()};
}

// Hands every proper prefix of whole (lengths 0 to size - 1) to visit, each
// in a heap block of exactly its length, so that the sanitizer catches any
// read past it. Failures inside visit name the length.
void ForEachPrefix(std::span<const uint8_t> whole, const std::function<void(std::span<const uint8_t>)>& visit);

// Every prefix from `from` bytes on must be refused: load gives false, and
// (unless silent) leaves exactly one trace line.
enum class Traced { OneLine, Silent };
void ExpectEveryPrefixRefused(std::span<const uint8_t> whole,
                              const std::function<bool(std::span<const uint8_t>)>& load,
                              Traced traced = Traced::OneLine, size_t from = 0);

} // namespace krxtest
