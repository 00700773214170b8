#include "tests/support/reader_checks.h"

#include <gtest/gtest.h>

#include <cstring>
#include <memory>

namespace krxtest {

TraceCapture::TraceCapture()
    : m_sink([this](std::string_view source, std::string_view reason) {
          m_lines.push_back({std::string(source), std::string(reason)});
      }) {}

void ForEachPrefix(std::span<const uint8_t> whole, const std::function<void(std::span<const uint8_t>)>& visit) {
    for (size_t n = 0; n < whole.size(); ++n) {
        SCOPED_TRACE("prefix of " + std::to_string(n) + " of " + std::to_string(whole.size()) + " bytes");
        const auto block = std::make_unique_for_overwrite<uint8_t[]>(n);
        if (n) std::memcpy(block.get(), whole.data(), n);
        visit({block.get(), n});
    }
}

void ExpectEveryPrefixRefused(std::span<const uint8_t> whole,
                              const std::function<bool(std::span<const uint8_t>)>& load, Traced traced,
                              size_t from) {
    ForEachPrefix(whole, [&](std::span<const uint8_t> prefix) {
        if (prefix.size() < from) return;
        TraceCapture trace;
        EXPECT_FALSE(load(prefix));
        if (traced == Traced::OneLine) {
            EXPECT_EQ(trace.Lines().size(), 1u);
            for (const TraceCapture::Line& line : trace.Lines())
                EXPECT_FALSE(line.source.empty() || line.reason.empty()) << line.source << ": " << line.reason;
        }
    });
}

} // namespace krxtest
