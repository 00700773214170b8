#include <gtest/gtest.h>

#include <sys/stat.h>

#include <cstdint>
#include <string>
#include <vector>

#include "platform/byte_reader.h"
#include "platform/file.h"
#include "tests/support/temp_dir.h"

namespace {

TEST(ByteReader, ReadsWholeRecordsOrFailsStickily) {
    const uint8_t data[] = {1, 0, 0, 0, 0xFE, 0xFF, 0x80, 7, 8};
    sc_ByteReader r(data, sizeof data);
    int32_t a = 0;
    int16_t b = 0;
    uint8_t c = 0;
    ASSERT_TRUE(r.Read(a, b, c));
    EXPECT_EQ(a, 1);
    EXPECT_EQ(b, -2);
    EXPECT_EQ(c, 0x80);
    EXPECT_EQ(r.Remaining(), 2u);

    int32_t big = 42;
    EXPECT_FALSE(r.Read(big)); // two bytes left: nothing read
    EXPECT_EQ(big, 42);
    EXPECT_FALSE(r.Ok());
    EXPECT_EQ(r.Remaining(), 0u);
    uint8_t small = 3;
    EXPECT_FALSE(r.Read(small)); // sticky
    EXPECT_EQ(small, 3);
}

TEST(ByteReader, CountsAreCheckedAgainstWhatRemains) {
    sc_ByteWriter w;
    w.Write(int32_t{3}, int32_t{1}, int32_t{2}, int32_t{3});
    {
        sc_ByteReader r(w.Bytes());
        int32_t n = -1;
        ASSERT_TRUE(r.ReadCount(n, 4));
        EXPECT_EQ(n, 3);
    }
    {
        sc_ByteReader r(w.Bytes());
        int32_t n = -1;
        EXPECT_FALSE(r.ReadCount(n, 8)); // 3 items of 8 bytes do not fit in 12
        EXPECT_EQ(n, -1);
        EXPECT_FALSE(r.Ok());
    }
    sc_ByteWriter neg;
    neg.Write(int32_t{-1});
    sc_ByteReader r(neg.Bytes());
    int32_t n = 7;
    EXPECT_FALSE(r.ReadCount(n, 0));
    EXPECT_EQ(n, 7);

    // A count of 0x40000000 four-byte items must not overflow the check.
    sc_ByteWriter huge;
    huge.Write(uint32_t{0x40000000});
    sc_ByteReader h(huge.Bytes());
    uint32_t u = 0;
    EXPECT_FALSE(h.ReadCount(u, 4));
}

TEST(ByteReader, SubReadersTakeAndSkipStayInBounds) {
    const uint8_t data[] = {1, 2, 3, 4, 5, 6};
    sc_ByteReader r(data, sizeof data);
    sc_ByteReader sub = r.Sub(4);
    EXPECT_EQ(r.Position(), 4u);
    uint16_t x = 0;
    ASSERT_TRUE(sub.Read(x));
    EXPECT_EQ(x, 0x0201);
    EXPECT_TRUE(sub.Skip(2));
    EXPECT_FALSE(sub.Skip(1));
    EXPECT_TRUE(r.Ok()); // the parent is unaffected by the child's failure

    auto span = r.Take(2);
    ASSERT_EQ(span.size(), 2u);
    EXPECT_EQ(span[1], 6);
    EXPECT_TRUE(r.AtEnd());
    EXPECT_TRUE(r.Seek(0));
    EXPECT_FALSE(r.Seek(7));
    EXPECT_FALSE(r.Ok());

    const uint8_t text[] = {'a', 'b', 'c', 'd'};
    sc_ByteReader t(text, sizeof text);
    char name[4] = {'x', 'x', 'x', 'x'};
    ASSERT_TRUE(t.ReadText(name));
    EXPECT_STREQ(name, "abc"); // terminated inside the field
    EXPECT_FALSE(t.ReadText(name));

    sc_ByteReader r2(data, sizeof data);
    sc_ByteReader bad = r2.Sub(7);
    EXPECT_FALSE(bad.Ok());
    EXPECT_FALSE(r2.Ok());
}

TEST(ByteWriter, PatchesSizeWordsAndRoundTrips) {
    sc_ByteWriter w;
    w.Write(int32_t{9});
    const size_t at = w.Size();
    w.Write(uint32_t{0});
    w.WriteBytes("abc", 3);
    w.Patch32(at, static_cast<uint32_t>(w.Size()));
    w.Patch32(w.Size() - 2, 1); // would run past the end: ignored
    const std::vector<uint8_t> expect = {9, 0, 0, 0, 11, 0, 0, 0, 'a', 'b', 'c'};
    EXPECT_EQ(w.Bytes(), expect);
}

// Whole files come only from regular files within the format's bound, and
// the reason of a refusal is kept for the loader's one trace line.
TEST(ByteReader, FilesAreReadWholeOnlyWhenRegularAndWithinTheirBound) {
    krxtest::TempDir dir;
    krxtest::ScopedCwd cwd(dir.Path());
    dir.Write("Data/Eight.bin", std::string("\x01\x02\x03\x04\x05\x06\x07\x08", 8));
    dir.Write("Folder.bin/inside", "x");
    // No writer ever comes: opening it to read would wait for ever.
    ASSERT_EQ(mkfifo((dir.Path() / "Pipe.bin").c_str(), 0644), 0);

    sc_ByteReader whole = sc_ByteReader::FromPath("data\\EIGHT.BIN", 8);
    ASSERT_TRUE(whole.Ok());
    EXPECT_EQ(whole.Size(), 8u);
    EXPECT_TRUE(whole.Why().empty());

    struct Case {
        const char* name;
        size_t maxBytes;
        const char* why;
    } refused[] = {{"Data\\Eight.bin", 7, "is longer than its format allows"},
                   {"Folder.bin", sc_ByteReader::kMaxFileBytes, "does not open"},
                   {"pipe.BIN", sc_ByteReader::kMaxFileBytes, "does not open"},
                   {"/dev/zero", sc_ByteReader::kMaxFileBytes, "does not open"},
                   {"missing.bin", sc_ByteReader::kMaxFileBytes, "does not open"},
                   {"", sc_ByteReader::kMaxFileBytes, "does not open"}};
    for (const Case& c : refused) {
        const sc_ByteReader r = sc_ByteReader::FromPath(c.name, c.maxBytes);
        EXPECT_FALSE(r.Ok()) << c.name;
        EXPECT_EQ(r.Remaining(), 0u) << c.name;
        EXPECT_EQ(r.Why(), c.why) << c.name;
    }

    // The first failure's reason stays.
    const uint8_t two[] = {1, 2};
    sc_ByteReader r(two, sizeof two);
    uint32_t v = 0;
    EXPECT_FALSE(r.Read(v));
    r.Fail("a later reason");
    EXPECT_EQ(r.Why(), "ends early");
}

TEST(ByteWriter, WritesEverythingToAnOpenFileAndFailsOnAClosedOne) {
    krxtest::TempDir dir;
    krxtest::ScopedCwd cwd(dir.Path());
    sc_ByteWriter w;
    w.Write(uint16_t{0x0201}, int32_t{-1});
    plat::File f;
    EXPECT_FALSE(w.bWriteTo(f));
    EXPECT_TRUE(sc_ByteWriter().bWriteTo(f)) << "nothing to write is not a failure";
    ASSERT_TRUE(f.Open("out.bin", plat::FileMode::CreateTruncate));
    ASSERT_TRUE(w.bWriteTo(f));
    f.Close();
    EXPECT_EQ(dir.Read("out.bin"), std::string("\x01\x02\xFF\xFF\xFF\xFF", 6));
}

} // namespace
