#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "engine/base/file.h"
#include "engine/base/point.h"
#include "engine/base/rect.h"
#include "platform/byte_reader.h"
#include "tests/support/temp_dir.h"

namespace {

std::string Bytes(std::initializer_list<int> list) {
    std::string s;
    for (int b : list) s.push_back(static_cast<char>(b));
    return s;
}

// Names are relative: the file layer refuses names of 32 characters or more.
class FileTest : public ::testing::Test {
protected:
    krxtest::TempDir dir;
    krxtest::ScopedCwd cwd{dir.Path()};
};

TEST_F(FileTest, ShortReadReturnsTheCountAndTouchesOnlyThoseBytes) {
    dir.Write("six.bin", Bytes({1, 2, 3, 4, 5, 6}));
    sc_CreateFileSquentialAccess f("six.bin");
    ASSERT_TRUE(f.bIsOpen());
    f.vSeek(4, FILE_BEGIN);
    uint8_t field[4] = {0xAA, 0xBB, 0xCC, 0xDD};
    EXPECT_EQ(f.lRead(field, 4), 2u);
    EXPECT_EQ(field[0], 5);
    EXPECT_EQ(field[1], 6);
    EXPECT_EQ(field[2], 0xCC);
    EXPECT_EQ(field[3], 0xDD);
    EXPECT_EQ(f.lRead(field, 4), 0u); // at the very end

    // The field form keeps the bytes that did not arrive.
    f.vSeek(-1, FILE_END);
    int32_t v = 0x11223344;
    EXPECT_EQ(f.lReadField(v), 1u);
    EXPECT_EQ(v, 0x11223306);
}

TEST_F(FileTest, MissingFileReadsNothingAndReportsClosed) {
    for (int32_t mode : {FILE_MODE_READ_SEQUENTIAL, FILE_MODE_READ_RANDOM}) {
        sc_File f("missing.bin", mode);
        EXPECT_FALSE(f.bIsOpen());
        uint8_t buf[4] = {9, 9, 9, 9};
        EXPECT_EQ(f.lRead(buf, 4), 0u);
        EXPECT_EQ(buf[0], 9);
        EXPECT_EQ(buf[3], 9);
        EXPECT_EQ(f.lWrite(buf, 4), 0u);
        EXPECT_EQ(f.lGetSize(), 0xFFFFFFFFu);
        f.vSeek(2, FILE_BEGIN); // does nothing, must not crash
        sc_Point p(7, 8);
        p.vRead(f);
        EXPECT_TRUE(p.bEqual(7, 8));
    }
    EXPECT_FALSE(std::filesystem::exists(dir.Path() / "missing.bin"));
}

TEST_F(FileTest, CreateTruncatesAndOpenAlwaysKeepsTheTail) {
    dir.Write("a.bin", "abcdef");
    {
        sc_CreateFileRandomWrite f("a.bin");
        ASSERT_TRUE(f.bIsOpen());
        EXPECT_EQ(f.lWrite("XY", 2), 2u);
    }
    EXPECT_EQ(dir.Read("a.bin"), "XYcdef");
    {
        sc_File f("a.bin", FILE_MODE_CREATE);
        ASSERT_TRUE(f.bIsOpen());
        EXPECT_EQ(f.lGetSize(), 0u);
        EXPECT_EQ(f.lWrite("Q", 1), 1u);
    }
    EXPECT_EQ(dir.Read("a.bin"), "Q");
    {
        sc_CreateFileRandomWrite f("new.bin"); // created when missing
        ASSERT_TRUE(f.bIsOpen());
        EXPECT_EQ(f.lGetSize(), 0u);
    }
    EXPECT_TRUE(std::filesystem::exists(dir.Path() / "new.bin"));
}

TEST_F(FileTest, WriteCountZeroWritesTheTextWithoutItsZero) {
    {
        sc_File f("t.txt", FILE_MODE_CREATE);
        EXPECT_EQ(f.lWrite("hello", 0), 5u);
        EXPECT_EQ(f.lWrite("a\0b", 3), 3u);
    }
    EXPECT_EQ(dir.Read("t.txt"), std::string("helloa\0b", 8));
}

TEST_F(FileTest, MixedCaseBackslashPathOpensTheFileOnDisk) {
    dir.Write("Map/Wrd01.dat", "data");
    sc_CreateFileSquentialAccess f("MAP\\wrd01.DAT");
    ASSERT_TRUE(f.bIsOpen());
    char buf[4];
    EXPECT_EQ(f.lRead(buf, 4), 4u);
    EXPECT_EQ(std::string(buf, 4), "data");
    EXPECT_STREQ(f.pGetName(), "MAP\\wrd01.DAT");

    // A new file keeps the case it was given, inside the folder that exists.
    { sc_File w("map\\New.BIN", FILE_MODE_CREATE); EXPECT_TRUE(w.bIsOpen()); }
    EXPECT_TRUE(std::filesystem::exists(dir.Path() / "Map" / "New.BIN"));
}

TEST_F(FileTest, NamesOfThirtyTwoCharactersAreRefused) {
    const std::string ok(31, 'n');
    const std::string tooLong(32, 'n');
    dir.Write(ok, "x");
    dir.Write(tooLong, "x");
    sc_CreateFileSquentialAccess a(ok.c_str());
    EXPECT_TRUE(a.bIsOpen());
    EXPECT_STREQ(a.pGetName(), ok.c_str());
    sc_CreateFileSquentialAccess b(tooLong.c_str());
    EXPECT_FALSE(b.bIsOpen());
    EXPECT_STREQ(b.pGetName(), "");
    sc_File c(nullptr, FILE_MODE_READ_SEQUENTIAL);
    EXPECT_FALSE(c.bIsOpen());
    // A folder is not a file.
    std::filesystem::create_directory(dir.Path() / "folder");
    sc_CreateFileSquentialAccess d("folder");
    EXPECT_FALSE(d.bIsOpen());
}

TEST_F(FileTest, ReopenClosesTheOldFileAndKeepsTheName) {
    dir.Write("one.bin", "1");
    dir.Write("two.bin", "22");
    sc_CreateFileSquentialAccess f("one.bin");
    f.vOpen("two.bin", FILE_MODE_READ_RANDOM);
    EXPECT_TRUE(f.bIsOpen());
    EXPECT_EQ(f.lGetSize(), 2u);
    EXPECT_STREQ(f.pGetName(), "one.bin");
    f.vClose();
    f.vClose();
    EXPECT_FALSE(f.bIsOpen());
}

TEST_F(FileTest, ReadAllGivesExactBytesOrNullWithSizeZero) {
    dir.Write("n.bin", std::string("ab\0c", 4));
    dir.Write("empty.bin", "");
    uint32_t size = 99;
    sc_CreateFileSquentialAccess f("n.bin");
    f.vSeek(3, FILE_BEGIN); // reads from the start whatever the position
    auto block = f.pReadAll(&size);
    ASSERT_TRUE(block);
    EXPECT_EQ(size, 4u);
    EXPECT_EQ(std::memcmp(block.get(), "ab\0c", 4), 0);

    size = 99;
    sc_CreateFileSquentialAccess e("empty.bin");
    EXPECT_FALSE(e.pReadAll(&size));
    EXPECT_EQ(size, 0u);

    size = 99;
    sc_CreateFileSquentialAccess m("missing.bin");
    EXPECT_FALSE(m.pReadAll(&size));
    EXPECT_EQ(size, 0u);
}

TEST_F(FileTest, PointAndRectRecordsAreByteExact) {
    {
        sc_File f("p.bin", FILE_MODE_CREATE);
        sc_Point(-1, -1).vWrite(f);
        sc_Point(0x01020304, -2).vWrite(f);
        ss_Rect(1, -2, 0x300, 4).vWrite(f);
    }
    const std::string bytes = dir.Read("p.bin");
    EXPECT_EQ(bytes, Bytes({0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, //
                            4, 3, 2, 1, 0xFE, 0xFF, 0xFF, 0xFF,             //
                            1, 0, 0, 0, 0xFE, 0xFF, 0xFF, 0xFF, 0, 3, 0, 0, 4, 0, 0, 0}));

    sc_CreateFileSquentialAccess f("p.bin");
    sc_Point a, b;
    ss_Rect r;
    a.vRead(f);
    b.vRead(f);
    r.vRead(f);
    EXPECT_TRUE(a.bEqual(-1, -1));
    EXPECT_TRUE(b.bEqual(0x01020304, -2));
    EXPECT_TRUE(r.bEqual(1, -2, 0x300, 4));

    // A record cut after x leaves y as it was.
    dir.Write("cut.bin", Bytes({5, 0, 0, 0, 6}));
    sc_CreateFileSquentialAccess c("cut.bin");
    sc_Point p(100, 0x1234);
    p.vRead(c);
    EXPECT_EQ(p.x, 5);
    EXPECT_EQ(p.y, 0x1206); // one byte of y arrived
}

TEST_F(FileTest, ReaderFromFileOwnsTheRestOrFailsBeforeAllocating) {
    dir.Write("r.bin", Bytes({1, 0, 0, 0, 2, 0, 0, 0}));
    sc_CreateFileSquentialAccess f("r.bin");
    f.vSeek(4, FILE_BEGIN);
    sc_ByteReader rest = sc_ByteReader::FromRest(f.rFile());
    int32_t v = 0;
    ASSERT_TRUE(rest.Read(v));
    EXPECT_EQ(v, 2);

    f.vSeek(2, FILE_BEGIN);
    sc_ByteReader tooMuch = sc_ByteReader::FromFile(f.rFile(), 7);
    EXPECT_FALSE(tooMuch.Ok());
    EXPECT_EQ(f.lTell(), 2u); // nothing consumed
    EXPECT_FALSE(sc_ByteReader::FromRest(f.rFile(), 5).Ok()) << "six bytes remain, five are allowed";
    EXPECT_EQ(f.lTell(), 2u);
    sc_ByteReader six = sc_ByteReader::FromFile(f.rFile(), 6);
    EXPECT_EQ(six.Size(), 6u);

    sc_ByteReader whole = sc_ByteReader::FromPath("r.bin");
    sc_ByteReader moved = std::move(whole); // owned bytes travel with the reader
    sc_Point p;
    ASSERT_TRUE(p.bRead(moved));
    EXPECT_TRUE(p.bEqual(1, 2));
    EXPECT_FALSE(sc_ByteReader::FromPath("missing.bin").Ok());

    ss_Rect r(1, 2, 3, 4);
    sc_ByteReader empty;
    EXPECT_FALSE(r.bRead(empty));
    EXPECT_TRUE(r.bEqual(1, 2, 3, 4));
}

} // namespace
