#include <gtest/gtest.h>

#include <vector>

#include "engine/image/image.h"
#include "engine/sprite/image_locate.h"
#include "platform/byte_reader.h"
#include "tests/support/reader_checks.h"

namespace {

sc_Image Filled(int32_t w, int32_t h, uint32_t rgb) {
    sc_Image img;
    img.vSetSize(w, h);
    img.lAlloc();
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) img.oAt(x, y).vSetRGB(rgb);
    return img;
}

std::vector<uint8_t> Cells(const sc_ImageLocate& g) {
    if (!g.pGetCells()) return {};
    return std::vector<uint8_t>(g.pGetCells(), g.pGetCells() + g.lCellCount());
}

TEST(ImageLocate, CreateMakesAZeroGridSevenColumnsWider) {
    sc_ImageLocate g;
    EXPECT_EQ(g.lGetFileOffset(), -1);
    g.vCreate(100, 50);
    EXPECT_EQ(g.oGetSize(), sc_Point(14, 7));
    EXPECT_EQ(Cells(g), std::vector<uint8_t>(98, 0));
}

TEST(ImageLocate, MakeFromNonBlackPixelsTrimsAndWidens) {
    sc_Image pic = Filled(32, 16, 0);
    pic.oAt(20, 9).vSetRGB(0x010101);
    sc_ImageLocate g;
    g.vMake(pic);
    EXPECT_EQ(g.oGetOrigin(), sc_Point(1, 1));
    EXPECT_EQ(g.oGetSize(), sc_Point(8, 1));
    EXPECT_EQ(Cells(g), (std::vector<uint8_t>{1, 0, 0, 0, 0, 0, 0, 0}));
}

TEST(ImageLocate, ACellIsOccupiedWhenMoreThanHalfItsPixelsAreNotWhite) {
    sc_Image pic = Filled(48, 16, 0xFFFFFF);
    // Cell (0, 1): all 128 pixels dark. Cell (1, 1): exactly half. Cell (2, 1): 65 of 128.
    for (int y = 8; y < 16; ++y)
        for (int x = 0; x < 16; ++x) pic.oAt(x, y).vSetRGB(0x202020);
    for (int y = 8; y < 12; ++y)
        for (int x = 16; x < 32; ++x) pic.oAt(x, y).vSetRGB(0x202020);
    for (int y = 8; y < 12; ++y)
        for (int x = 32; x < 48; ++x) pic.oAt(x, y).vSetRGB(0x202020);
    pic.oAt(40, 13).vSetRGB(0);
    sc_ImageLocate g;
    g.vMakeFromImage(pic);
    EXPECT_EQ(g.oGetOrigin(), sc_Point(0, 1));
    EXPECT_EQ(g.oGetSize(), sc_Point(3 + 7, 1));
    EXPECT_EQ(Cells(g), (std::vector<uint8_t>{1, 0, 1, 0, 0, 0, 0, 0, 0, 0}));

    // Row 0 is not read: a cell of one picture row counts nothing.
    sc_ImageLocate none;
    none.vMakeFromImage(Filled(16, 1, 0));
    EXPECT_EQ(none.pGetCells(), nullptr);
}

TEST(ImageLocate, TrimmingAnEmptyGridLeavesZeroByZeroAndCellsAreBounded) {
    sc_ImageLocate g;
    g.vCreate(64, 16);
    g.vTrim();
    EXPECT_EQ(g.oGetSize(), sc_Point(0, 0));
    EXPECT_EQ(g.pGetCells(), nullptr);
    EXPECT_EQ(g.pGetCell(0, 0), nullptr);

    g.vCreate(32, 16); // 2 + 7 columns, 2 rows
    ASSERT_NE(g.pGetCell(8, 1), nullptr);
    EXPECT_EQ(g.pGetCell(9, 0), nullptr);
    EXPECT_EQ(g.pGetCell(0, 2), nullptr);
    EXPECT_EQ(g.pGetCell(-1, 0), nullptr);
    *g.pGetCell(3, 1) = 5;
    *g.pGetCell(4, 1) = 2;
    g.vSetValue(1);
    EXPECT_EQ(*g.pGetCell(3, 1), 1);
    EXPECT_EQ(*g.pGetCell(4, 1), 1);
    EXPECT_EQ(*g.pGetCell(5, 1), 0);
    g.vTrim();
    EXPECT_EQ(g.oGetOrigin(), sc_Point(3, 1));
    EXPECT_EQ(g.oGetSize(), sc_Point(2, 1));
    EXPECT_EQ(g.lGetFileOffset(), -1);
}

TEST(ImageLocate, WholeRecordsRoundTripAndCopiesOwnTheirCells) {
    sc_ImageLocate g;
    const uint8_t cells[6] = {1, 2, 0, 0, 3, 1};
    g.vSetCells(3, 2, cells);
    g.vSetOrigin(4, 5);
    sc_ByteWriter out;
    g.vWrite(out);
    ASSERT_EQ(out.Size(), 28u + 6u);
    sc_ByteReader in(out.Bytes());
    sc_ImageLocate back;
    ASSERT_TRUE(back.bRead(in));
    EXPECT_EQ(Cells(back), Cells(g));
    EXPECT_EQ(back.oGetOrigin(), sc_Point(4, 5));

    sc_ImageLocate copy = back;
    back.vClear();
    EXPECT_EQ(Cells(copy), std::vector<uint8_t>(cells, cells + 6));

    // has cells 0: the size stays, no cells.
    std::vector<uint8_t> bare(out.Bytes().begin(), out.Bytes().begin() + 28);
    bare[24] = 0;
    sc_ByteReader b(bare);
    ASSERT_TRUE(back.bRead(b));
    EXPECT_EQ(back.oGetSize(), sc_Point(3, 2));
    EXPECT_EQ(back.pGetCells(), nullptr);
    EXPECT_EQ(back.pGetCell(0, 0), nullptr);
}

TEST(ImageLocate, TruncatedAndCorruptRecordsFail) {
    sc_ImageLocate g;
    g.vSetCells(3, 2, nullptr);
    sc_ByteWriter out;
    g.vWrite(out);
    krxtest::ExpectEveryPrefixRefused(
        out.Bytes(),
        [](std::span<const uint8_t> prefix) {
            sc_ByteReader in(prefix);
            sc_ImageLocate back;
            const bool ok = back.bRead(in);
            EXPECT_EQ(back.pGetCells(), nullptr);
            return ok;
        },
        krxtest::Traced::Silent); // a record inside a pack: the pack's reader reports
    for (uint32_t bad : {0x7FFFFFFFu, 0x80000000u, 0xFFFFFFFFu, 0x10000u}) {
        std::vector<uint8_t> b = out.Bytes();
        for (int k = 0; k < 4; ++k) b[8 + k] = static_cast<uint8_t>(bad >> (8 * k)); // columns
        sc_ByteReader in(b);
        sc_ImageLocate back;
        EXPECT_FALSE(back.bRead(in)) << bad;
    }
}

TEST(ImageLocate, SplitRecordsNeedTheCellFlagToAgreeWithTheSize) {
    sc_ImageLocate g;
    g.vSetCells(2, 2, nullptr);
    sc_ByteWriter table, data;
    g.vWriteSplit(table, &data);
    EXPECT_EQ(table.Size(), 28u);
    EXPECT_EQ(data.Size(), 4u);
    std::vector<uint8_t> t = table.Bytes();
    t[24] = 0; // no cells announced for a 2 x 2 grid
    sc_ByteReader in(t);
    sc_ImageLocate back;
    EXPECT_FALSE(back.bReadSplit(in, nullptr));
}

TEST(ImageLocate, SkipMovesPastTheCellsOfABareRecord) {
    // size, origin, has cells, cells; then one byte that must be next.
    const std::vector<uint8_t> rec = {3, 0, 0, 0, 2, 0, 0, 0, 1, 0, 0, 0, 5, 0, 0, 0,
                                      1, 0, 0, 0, 9, 9, 9, 9, 9, 9, 0x42};
    sc_ByteReader in(rec);
    sc_ImageLocate g;
    ASSERT_TRUE(g.bSkip(in));
    EXPECT_EQ(g.oGetSize(), sc_Point(3, 2));
    EXPECT_EQ(g.oGetOrigin(), sc_Point(1, 5));
    EXPECT_EQ(g.pGetCells(), nullptr);
    uint8_t next = 0;
    ASSERT_TRUE(in.Read(next));
    EXPECT_EQ(next, 0x42);

    std::vector<uint8_t> bare(rec.begin(), rec.begin() + 20);
    bare[16] = 0; // no cells follow
    sc_ByteReader b(bare);
    ASSERT_TRUE(g.bSkip(b));
    EXPECT_TRUE(b.AtEnd());

    sc_ByteReader shortRec(rec.data(), 23); // cells cut short
    EXPECT_FALSE(g.bSkip(shortRec));
    EXPECT_EQ(g.oGetSize(), sc_Point(0, 0));
}

} // namespace
