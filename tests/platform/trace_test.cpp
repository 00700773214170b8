#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/trace.h"

namespace {

using plat::RefusalCounter;

// The counts written for n refusals of one kind from one origin, a
// millisecond apart.
std::vector<uint64_t> Written(RefusalCounter& c, int n, std::string_view origin, uint64_t& now) {
    std::vector<uint64_t> out;
    for (int i = 0; i < n; ++i) {
        std::string_view from = origin;
        if (const uint64_t count = c.Count("net", "junk", from, now++)) out.push_back(count);
    }
    return out;
}

TEST(RefusalCounter, RepeatsAreWrittenAtEachTenfoldCountAndAfreshAfterAQuietSpell) {
    RefusalCounter c;
    uint64_t now = 1000;
    EXPECT_EQ(Written(c, 1200, "10.0.0.1", now), (std::vector<uint64_t>{1, 10, 100, 1000}));
    // Another origin, or another reason, is counted apart.
    EXPECT_EQ(Written(c, 10, "10.0.0.2", now), (std::vector<uint64_t>{1, 10}));
    std::string_view from = "10.0.0.1";
    EXPECT_EQ(c.Count("net", "other", from, now), 1u);
    // The count goes on until the origin has been quiet long enough.
    now += RefusalCounter::kQuietMs - 10;
    EXPECT_EQ(Written(c, 1, "10.0.0.2", now), std::vector<uint64_t>{});
    now += RefusalCounter::kQuietMs;
    EXPECT_EQ(Written(c, 1, "10.0.0.2", now), std::vector<uint64_t>{1});

    // Beyond the origins tracked, new ones share one count.
    RefusalCounter full;
    for (size_t i = 0; i < RefusalCounter::kOrigins; ++i) Written(full, 1, std::to_string(i), now);
    std::vector<uint64_t> pooled;
    for (int i = 0; i < 100; ++i) {
        const std::string name = std::to_string(1000 + i);
        std::string_view from = name;
        if (const uint64_t count = full.Count("net", "junk", from, now)) {
            pooled.push_back(count);
            EXPECT_EQ(from, RefusalCounter::kManyOrigins);
        }
    }
    EXPECT_EQ(pooled, (std::vector<uint64_t>{1, 10, 100}));
}

} // namespace
