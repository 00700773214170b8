#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "pagefont/string_table.h"
#include "tests/support/reader_checks.h"
#include "tests/support/temp_dir.h"

namespace {

class StringTable : public ::testing::Test {
protected:
    krxtest::TempDir dir;
    krxtest::ScopedCwd cwd{dir.Path()};
    void TearDown() override { v_FreeStringTable(); }
    std::vector<std::string> Load(const std::string& bytes) {
        dir.Write("Data/Lines.txt", bytes);
        EXPECT_EQ(l_LoadStringTable("DATA\\LINES.TXT"), 1);
        std::vector<std::string> out;
        for (int32_t i = 0; i <= g_lStringTableLast; ++i)
            out.emplace_back(p_GetStringTableLine(i));
        return out;
    }
};

using Lines = std::vector<std::string>;

TEST_F(StringTable, LinesEndAtCrLf) {
    EXPECT_EQ(Load("one\r\ntwo"), (Lines{"one", "two"}));
    EXPECT_EQ(Load("one\r\ntwo\r\n\x1a"), (Lines{"one", "two"}));
    EXPECT_EQ(Load("one\r\ntwo\r\n"), (Lines{"one", "two"}));
    EXPECT_EQ(Load("\r\n\r\nx"), (Lines{"", "", "x"}));
    EXPECT_EQ(Load("a\r\r\nb\nc\r\n"), (Lines{"a\r", "b\nc"}));
}

TEST_F(StringTable, AnUnclosedLastLineAfterLfOrCrGetsNoPointer) {
    EXPECT_EQ(Load("one\r\ntwo\n"), (Lines{"one"}));
    EXPECT_EQ(Load("one\r\ntw\ro"), (Lines{"one"})) << "the byte before last is CR";
    EXPECT_EQ(Load("one\r"), (Lines{"one\r"})) << "a lone CR at the end is text";
}

TEST_F(StringTable, TinyFilesGiveNoLines) {
    EXPECT_EQ(Load(""), Lines{});
    EXPECT_EQ(Load("x"), Lines{});
    EXPECT_EQ(Load("\n"), Lines{});
    EXPECT_EQ(Load("x\x1a"), (Lines{"x"}));
    EXPECT_EQ(Load("\x1a\x1a"), (Lines{"\x1a"}));
    EXPECT_EQ(p_GetStringTableLine(0), std::string("\x1a"));
    EXPECT_EQ(p_GetStringTableLine(1), nullptr);
    EXPECT_EQ(p_GetStringTableLine(-1), nullptr);
}

TEST_F(StringTable, EveryPrefixOfAFileLoads) {
    const std::string full = "first\r\nsecond line\r\n\x1a";
    auto check = [&](std::span<const uint8_t> bytes) {
        const size_t len = bytes.size();
        const Lines lines = Load(std::string(bytes.begin(), bytes.end()));
        EXPECT_EQ(lines.size(), len < 2 ? 0u : len <= 7 ? 1u : 2u);
        if (!lines.empty()) {
            EXPECT_EQ(lines[0].substr(0, 5), full.substr(0, std::min<size_t>(len, 5)));
        }
    };
    krxtest::ForEachPrefix(krxtest::AsBytes(full), check);
    check(krxtest::AsBytes(full));
}

TEST_F(StringTable, FoldersAndOverlongFilesAreRefusedWithOneTraceLine) {
    Load("kept\r\n");
    dir.Write("Data/Folder.txt/inside", "x");
    dir.Write("Data/Huge.txt", "");
    std::filesystem::resize_file(dir.Path() / "Data/Huge.txt", (uintmax_t{64} << 20) + 1); // sparse
    for (const char* name : {"Data\\Folder.txt", "Data\\Huge.txt", "Data\\None.txt"}) {
        krxtest::TraceCapture trace;
        EXPECT_EQ(l_LoadStringTable(name), 0) << name;
        EXPECT_EQ(g_lStringTableLast, -1);
        ASSERT_EQ(trace.Lines().size(), 1u) << name;
        EXPECT_EQ(trace.Lines()[0].source, name);
    }
}

TEST_F(StringTable, AMissingFileLeavesNoTableAndFreeingResets) {
    Load("a\r\n");
    EXPECT_EQ(l_LoadStringTable("Data\\none.txt"), 0);
    EXPECT_EQ(g_lStringTableLast, -1);
    EXPECT_EQ(g_pStringTableText, nullptr);
    EXPECT_EQ(p_GetStringTableLine(0), nullptr);
    Load("a\r\nb\r\n");
    v_FreeStringTable();
    EXPECT_EQ(g_ppStringTableLines, nullptr);
    EXPECT_EQ(g_lStringTableLast, -1);
}

} // namespace
