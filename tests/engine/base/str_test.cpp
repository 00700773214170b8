#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

#include "engine/base/discript.h"
#include "engine/base/str.h"
#include "tests/support/reader_checks.h"
#include "tests/support/temp_dir.h"

namespace {

std::vector<std::string> Pieces(sc_Str& s) {
    std::vector<std::string> out;
    while (const char* p = s.pNextToken()) out.emplace_back(p);
    return out;
}

TEST(Str, SplitForwardBackwardAndLimited) {
    sc_Str s("a,b,");
    EXPECT_TRUE(s.bNoToken());
    EXPECT_EQ(s.pNextToken(), nullptr);
    s.vSplit(1, ",", 1, 0);
    EXPECT_EQ(s.lGetTokenCount(), 3);
    EXPECT_EQ(Pieces(s), (std::vector<std::string>{"a", "b", ""}));
    EXPECT_TRUE(s.bNoToken());

    sc_Str b("x.y.z");
    b.vSplit(1, ".", 0, 1);
    EXPECT_EQ(b.lGetTokenCount(), 2);
    EXPECT_EQ(Pieces(b), (std::vector<std::string>{"x.y", "z"}));

    sc_Str f("x.y.z");
    f.vSplit(1, ".", 1, 1);
    EXPECT_EQ(Pieces(f), (std::vector<std::string>{"x", "y.z"}));

    sc_Str e("");
    e.vSplit(1, ",", 1, 0);
    EXPECT_EQ(e.lGetTokenCount(), 1);
    EXPECT_EQ(Pieces(e), (std::vector<std::string>{""}));

    sc_Str m("a;b c;;d");
    m.vSplit(2, "; ", 1, 0);
    EXPECT_EQ(Pieces(m), (std::vector<std::string>{"a", "b", "c", "", "d"}));

    sc_Str none("a,b");
    none.vSplit(1, ",", 7, 0); // an unknown direction cuts nothing
    EXPECT_EQ(Pieces(none), (std::vector<std::string>{"a,b"}));

    sc_Str never; // never set: one empty piece, nothing uninitialised
    never.vSplit(1, ",", 1, 0);
    EXPECT_EQ(Pieces(never), (std::vector<std::string>{""}));
}

TEST(Str, NumbersFollowAtoiRules) {
    sc_Str s("  12, -7,+3x,abc");
    s.vSplit(1, ",", 1, 0);
    EXPECT_EQ(s.lNextToken(), 12);
    EXPECT_EQ(s.lNextToken(), -7);
    EXPECT_EQ(s.lNextToken(), 3);
    EXPECT_EQ(s.lNextToken(), 0);
    EXPECT_EQ(s.lNextToken(), 0); // none left
    EXPECT_EQ(l_AtoI("99999999999"), static_cast<int32_t>(99999999999LL & 0xFFFFFFFF));
}

TEST(Str, SetCutsAt1023Characters) {
    const std::string longText(1500, 'q');
    sc_Str s(longText.c_str());
    EXPECT_EQ(std::string(s.pGetText()), std::string(1023, 'q'));
    s.vSplit(1, ",", 1, 0);
    EXPECT_EQ(Pieces(s).at(0).size(), 1023u);
    sc_Str self("abcdef");
    self.vSet(self.pGetText() + 2); // overlapping source
    EXPECT_STREQ(self.pGetText(), "cdef");
}

TEST(StrFunctions, CompareGivesFiveCodesOnSignedBytes) {
    EXPECT_EQ(l_StrCompare("abc", "abc"), 0);
    EXPECT_EQ(l_StrCompare("abc", "ab"), 1);
    EXPECT_EQ(l_StrCompare("ab", "abc"), 2);
    EXPECT_EQ(l_StrCompare("abc", "abd"), 3);
    EXPECT_EQ(l_StrCompare("abd", "abc"), 4);
    EXPECT_EQ(l_StrCompare("", ""), 0);
    // Big5 lead bytes are negative as signed bytes: below plain ASCII.
    EXPECT_EQ(l_StrCompare("\xA4\x40", "a"), 3);
    EXPECT_EQ(l_StrCompare("a", "\xA4\x40"), 4);
}

TEST(StrFunctions, FindUpperLowerTrimAlign) {
    const char* text = "xxabc";
    EXPECT_EQ(l_StrFind(text, "ab"), text + 2);
    EXPECT_EQ(l_StrFind(text, "abcd"), nullptr);
    EXPECT_EQ(l_StrFind(text, ""), text);
    EXPECT_EQ(l_StrFind("", ""), nullptr);
    EXPECT_EQ(l_StrFind(static_cast<const char*>(nullptr), "a"), nullptr);
    EXPECT_EQ(l_StrFind(text, nullptr), nullptr);

    char up[] = "ab\xA4\x61z1";
    EXPECT_STREQ(l_StrUpper(up), "AB\xA4\x41Z1"); // trail byte 0x61 is ASCII
    char low[] = "AbZ\xC1";
    EXPECT_STREQ(l_StrLower(low), "abz\xC1");
    EXPECT_EQ(l_StrUpper(nullptr), nullptr);

    char t1[] = "  a b  ";
    EXPECT_STREQ(l_StrTrim(t1), "a b");
    char t2[] = "   ";
    EXPECT_STREQ(l_StrTrim(t2), "");
    char t3[] = "\ta ";
    EXPECT_STREQ(l_StrTrim(t3), "\ta"); // only the space counts
    char t4[] = " x  ";
    EXPECT_STREQ(l_StrTrimRight(t4), " x");

    char out[8];
    EXPECT_STREQ(l_StrRightAlign(out, "42", 5, '0'), "00042");
    EXPECT_STREQ(l_StrRightAlign(out, "123456", 4, ' '), "3456");
    EXPECT_STREQ(l_StrRightAlign(out, "abc", 0, ' '), "");
}

class DiscriptTest : public ::testing::Test {
protected:
    krxtest::TempDir dir;
    krxtest::ScopedCwd cwd{dir.Path()};
};

std::vector<std::string> AllFields(sc_Discript& d) {
    std::vector<std::string> out;
    while (const char* f = d.pGetField(0, 0)) out.emplace_back(f);
    return out;
}

TEST_F(DiscriptTest, WalksFieldsLineByLine) {
    dir.Write("t.txt", ";\r\na;b\r\nc\r\n");
    sc_Discript d("t.txt");
    EXPECT_EQ(d.cGetSeparator(), ';');
    EXPECT_EQ(AllFields(d), (std::vector<std::string>{"a", "b", "c"}));
    EXPECT_EQ(d.pGetField(0, 0), nullptr);

    dir.Write("blank.txt", "|\n\r\n1|2\n\n\r\n3||4\nlast");
    sc_Discript b("blank.txt");
    EXPECT_EQ(AllFields(b), (std::vector<std::string>{"1", "2", "3", "", "4"})); // "last" has no line end
}

TEST_F(DiscriptTest, SkipsNumbersAndNextLine) {
    dir.Write("s.txt", ";\na;b\nc;d\n7; 8\n");
    {
        sc_Discript d("s.txt");
        EXPECT_STREQ(d.pGetField(1, 0), "b");
    }
    {
        sc_Discript d("s.txt");
        EXPECT_EQ(d.pGetField(2, 0), nullptr); // the line is used up; the next is not consulted
        EXPECT_STREQ(d.pGetField(0, 0), "c");
        EXPECT_EQ(d.lGetField(0, 1), 7); // moves to the next line first
        EXPECT_EQ(d.lGetField(0, 0), 8);
        EXPECT_EQ(d.lGetField(0, 1), 0); // no next line
    }
    {
        sc_Discript d("s.txt");
        d.pGetField(0, 0);
        EXPECT_STREQ(d.pGetField(2, 0), "d"); // skipping runs on into the next line
    }
}

TEST_F(DiscriptTest, NewFieldTrimsAndKeepsTheOldOnNull) {
    dir.Write("n.txt", ",\n  x y , z\n");
    sc_Discript d("n.txt");
    std::unique_ptr<char[]> field;
    EXPECT_STREQ(d.pNewField(field, 0, 0), "x y");
    EXPECT_STREQ(field.get(), "x y");
    EXPECT_STREQ(d.pNewField(field, 0, 0), "z");
    EXPECT_EQ(d.pNewField(field, 0, 0), nullptr);
    EXPECT_STREQ(field.get(), "z");
}

TEST_F(DiscriptTest, FindContinuesOrReloads) {
    dir.Write("f.txt", ";\nkey=1;a\nother\nkey=2;b\n");
    sc_Discript d("f.txt");
    // Loading left the position past the first data line.
    EXPECT_STREQ(d.pFind("key", 0, 1), "key=2;b\n");
    const char* first = d.pFind("key", 0, 0);
    ASSERT_NE(first, nullptr);
    EXPECT_STREQ(first, "key=1;a\nother\nkey=2;b\n");
    EXPECT_EQ(d.pFind("key", 0, 1), first); // the position stays on the match
    EXPECT_EQ(d.pFind("key", 1, 1), first);
    EXPECT_STREQ(d.pGetField(0, 0), "key=1");
    EXPECT_STREQ(d.pGetField(0, 0), "a");
    const char* second = d.pFind("key", 1, 1);
    ASSERT_NE(second, nullptr);
    EXPECT_GT(second, first);
    EXPECT_STREQ(d.pGetField(1, 0), "b");
    EXPECT_EQ(d.pFind("key", 0, 0), first); // from the start again
    EXPECT_EQ(d.pFind("missing", 0, 0), nullptr);
    EXPECT_EQ(d.pFind(nullptr, 0, 0), nullptr);
}

TEST_F(DiscriptTest, MissingFileAndLongLinesEndCleanly) {
    std::optional<krxtest::TraceCapture> trace(std::in_place);
    sc_Discript missing("missing.txt");
    ASSERT_EQ(trace->Lines().size(), 1u);
    EXPECT_EQ(trace->Lines()[0].source, "missing.txt");
    trace.reset();
    EXPECT_FALSE(missing.bHasData());
    EXPECT_EQ(missing.pGetField(0, 0), nullptr);
    EXPECT_EQ(missing.lGetField(0, 1), 0);
    EXPECT_FALSE(missing.bNextLine());
    EXPECT_EQ(missing.pFind("a", 1, 1), nullptr);

    dir.Write("long.txt", ";\n" + std::string(3000, 'w') + ";tail\nnext\n");
    sc_Discript d("long.txt");
    const char* f = d.pGetField(0, 0);
    ASSERT_NE(f, nullptr);
    EXPECT_EQ(std::string(f), std::string(1023, 'w'));
    EXPECT_STREQ(d.pGetField(0, 0), "next"); // the cut took ";tail" with it

    dir.Write("empty.txt", "");
    sc_Discript e("empty.txt");
    EXPECT_EQ(e.pGetField(0, 0), nullptr);
}

} // namespace
