#include <gtest/gtest.h>

#include <string>
#include <tuple>
#include <vector>

#include "platform/byte_reader.h"
#include "game/all_string.h"
#include "tests/support/reader_checks.h"
#include "tests/support/temp_dir.h"

namespace {

// Dictionary bytes: counts and text records written by hand.
struct Dic {
    std::string b;
    Dic& U32(uint32_t v) {
        for (int k = 0; k < 4; ++k)
            b.push_back(static_cast<char>(v >> (8 * k)));
        return *this;
    }
    // A record with its terminating zero.
    Dic& Text(std::string_view s) { return Raw(static_cast<uint32_t>(s.size() + 1), std::string(s) + '\0'); }
    Dic& Raw(uint32_t length, std::string_view bytes) {
        U32(length);
        b.append(bytes);
        return *this;
    }
};

std::string At(const sc_AllString& d, int32_t g, int32_t i) {
    const char* s = d.pGetString(g, i);
    return s ? s : "(null)";
}

bool Load(sc_AllString& d, const std::string& bytes) {
    sc_ByteReader in(bytes.data(), bytes.size());
    return d.bLoad(in);
}

TEST(AllString, LookupsAndLoads) {
    krxtest::TempDir dir;
    Dic dic;
    dic.U32(3).U32(3).Text("\xA4\x40\xA4\x41").U32(0).Text("ok"); // an empty entry keeps the next index
    dic.U32(0).U32(1).Text("x");
    dir.Write("ATTRIB/STRING.DIC", dic.b);
    dir.Write("ATTRIB/EMPTY.DIC", Dic().U32(0).b);
    krxtest::ScopedCwd cwd(dir.Path());
    krxtest::TraceCapture trace;

    sc_AllString d;
    d.vLoad(sc_AllString::kFileName);
    EXPECT_EQ(d.lGetGroupCount(), 3);
    EXPECT_EQ(d.lGetCount(0), 3);
    EXPECT_EQ(At(d, 0, 0), "\xA4\x40\xA4\x41");
    EXPECT_EQ(d.pGetString(0, 1), nullptr);
    EXPECT_EQ(At(d, 0, 2), "ok");
    EXPECT_EQ(At(d, 2, 0), "x");
    EXPECT_EQ(d.lGetLength(0, 0), 4);
    for (auto [g, i] : {std::pair{0, 1}, {-1, 0}, {3, 0}, {0, 3}, {0, -1}, {1, 0}}) {
        EXPECT_EQ(d.pGetString(g, i), nullptr) << g << "," << i;
        EXPECT_EQ(d.lGetLength(g, i), 0);
    }

    d.vLoad(nullptr); // does nothing
    EXPECT_EQ(At(d, 2, 0), "x");
    d.vLoad("ATTRIB\\EMPTY.DIC"); // replaces everything
    EXPECT_EQ(d.lGetGroupCount(), 0);
    EXPECT_TRUE(trace.Lines().empty());
    d.vLoad(sc_AllString::kFileName);
    d.vLoad("ATTRIB\\MISSING.DIC");
    EXPECT_EQ(d.lGetGroupCount(), 0);
    ASSERT_EQ(trace.Lines().size(), 1u);
    EXPECT_EQ(trace.Lines()[0].reason, "ATTRIB\\MISSING.DIC does not open");
}

TEST(AllString, BadLengthsAndCountsStopAtTheBytes) {
    // A text stored without its zero ends one byte early; a length past the
    // end keeps the texts before it; huge counts stop with the bytes.
    const std::tuple<std::string, std::string, bool> cases[] = {
        {Dic().U32(1).U32(2).Raw(3, "abc").Text("d").b, "ab|d|", true},
        {Dic().U32(1).U32(3).Text("a").Raw(1000, "bcd").b, "a|", false},
        {Dic().U32(0xFFFFFFFF).U32(0xFFFFFFFF).Text("a").Text("b").b, "a|b|", false},
    };
    for (const auto& [bytes, group0, whole] : cases) {
        sc_AllString d;
        EXPECT_EQ(Load(d, bytes), whole) << group0;
        EXPECT_EQ(d.lGetGroupCount(), 1);
        std::string texts;
        for (int32_t i = 0; i < d.lGetCount(0); ++i)
            texts += At(d, 0, i) + "|";
        EXPECT_EQ(texts, group0);
    }
}

TEST(AllString, EveryCutKeepsExactlyTheWholeTexts) {
    Dic dic;
    dic.U32(2).U32(2).Text("first").U32(0).U32(2).Text("\xA4\x40").Text("last");
    // Where each text's record ends, and its group and index.
    const std::tuple<size_t, int32_t, int32_t> texts[] = {{18, 0, 0}, {22, 0, 1}, {33, 1, 0}, {42, 1, 1}};
    ASSERT_EQ(dic.b.size(), 42u);
    krxtest::ForEachPrefix(krxtest::AsBytes(dic.b), [&](std::span<const uint8_t> cut) {
        sc_AllString d;
        sc_ByteReader in(cut);
        EXPECT_FALSE(d.bLoad(in));
        for (auto [end, group, index] : texts) EXPECT_EQ(d.lGetCount(group) > index, cut.size() >= end) << end;
    });
}

} // namespace
