#include <gtest/gtest.h>

#include <vector>

#include "engine/sprite/pack_format.h"
#include "engine/sprite/sprite_tree.h"
#include "platform/byte_reader.h"
#include "tests/engine/sprite/pack_fixtures.h"
#include "tests/support/reader_checks.h"

namespace {

using Bytes = std::vector<uint8_t>;
using namespace packtest;

// The smallest pack of the format: one object, one unnamed status with one
// direction, one 2 x 1 frame without alpha, shadow or overlay, no grid.
sc_GameImageData GoldenTree() {
    sc_GameImgWithShadow f;
    const uint16_t px[2] = {0x1234, 0x7FFF};
    sc_GameImg img;
    img.vSetPixels(2, 1, px, nullptr);
    f.vAssignImage(img);
    sc_GameDir d;
    d += &f;
    sc_GameStatus s;
    s += &d;
    sc_GameObject o;
    o += &s;
    sc_GameImageData pack;
    pack += &o;
    return pack;
}

struct Expect {
    Bytes b;
    Expect& i32(int32_t v) {
        for (int k = 0; k < 4; ++k) b.push_back(static_cast<uint8_t>(static_cast<uint32_t>(v) >> (8 * k)));
        return *this;
    }
    Expect& i16(int16_t v) {
        b.push_back(static_cast<uint8_t>(v));
        b.push_back(static_cast<uint8_t>(static_cast<uint16_t>(v) >> 8));
        return *this;
    }
    Expect& u8(uint8_t v) {
        b.push_back(v);
        return *this;
    }
};

TEST(PackWriter, TheGoldenPackIs128TableBytesAnd4DataBytes) {
    sc_GameImageData tree = GoldenTree();
    sc_ByteWriter table, data;
    ASSERT_TRUE(tree.bSwapOut(table, data, nullptr, nullptr));
    Expect e;
    e.i32(1);                                             // objects
    e.i32(1);                                             // statuses
    e.i32(1).i32(0).u8(0).i16(0).i16(0).i16(0);           // status: directions, no name, times
    e.i32(1);                                             // frames
    e.i32(1).i32(0);                                      // in data file, data offset
    e.i32(2).i32(1).i32(0).i32(0).i32(0).i32(0).i32(2).i32(0); // image
    e.i32(0).i32(0);                                      // no shadow, no overlay
    for (int m = 0; m < 4; ++m) e.i16(-1).i16(-1);        // marks
    e.u8(0);                                              // footprint class
    e.i32(1).i32(4).i32(0).i32(0).i32(0).i32(0).i32(0);   // locate: placed at 4, empty
    e.i32(0).i32(0);                                      // no info, no extra
    ASSERT_EQ(e.b.size(), 128u);
    EXPECT_EQ(table.Bytes(), e.b);
    EXPECT_EQ(data.Bytes(), (Bytes{0x34, 0x12, 0xFF, 0x7F}));
}

TEST(PackFiles, TheWholeFormPutsEachBlockAfterTheFieldThatAnnouncesIt) {
    const uint16_t px[2] = {0x1234, 0x7FFF};
    const uint8_t alpha[2] = {5, 31};
    sc_GameImg img;
    img.vSetPixels(2, 1, px, alpha);
    img.vSetOffset(-3, 4);
    Expect e;
    e.i32(2).i32(1).i32(-3).i32(4).i32(0).i32(0); // size, draw offset, second offset
    e.i32(2).i16(0x1234).i16(0x7FFF);             // pixel count, then the pixels
    e.i32(1).u8(5).u8(31);                        // has alpha, then the alpha levels
    sc_ByteWriter out;
    img.vWrite(out);
    EXPECT_EQ(out.Bytes(), e.b);

    sc_ByteReader in(e.b);
    sc_GameImg back;
    ASSERT_TRUE(back.bRead(in));
    EXPECT_TRUE(in.AtEnd());
    ASSERT_NE(back.pGetPixels(), nullptr);
    ASSERT_NE(back.pGetAlpha(), nullptr);
    EXPECT_EQ(back.pGetPixels()[1], 0x7FFF);
    EXPECT_EQ(back.pGetAlpha()[0], 5);
    EXPECT_EQ(back.oGetOffset().x, -3);
}

TEST(PackFiles, ARichPackRoundTripsThroughTheSplitAndWholeForms) {
    const sc_GameImageData pack = RichPack();
    const Bytes whole = Whole(pack);

    sc_ByteWriter table, data, info;
    pack.vWriteSplit(table, &data, &info);
    EXPECT_EQ(info.Size(), pack::kObjectInfo);
    sc_ByteReader t(table.Bytes()), d(data.Bytes()), i(info.Bytes());
    sc_GameImageData split;
    ASSERT_TRUE(split.bReadSplit(t, &d, &i));
    EXPECT_TRUE(t.AtEnd());
    EXPECT_TRUE(d.AtEnd());
    EXPECT_EQ(Whole(split), whole);
    ASSERT_TRUE(split.pGetStatus(0, 0)->pGetInfo());
    EXPECT_EQ(split.pGetStatus(0, 0)->pGetInfo()->w2, 1234);
    EXPECT_STREQ(split.pGetStatus(0, 0)->pGetName(), "walk");
    EXPECT_STREQ(split.pGetStatus(0, 1)->pGetName(), "");

    // The whole form passes no info file down: the flag is read, no record.
    sc_ByteReader w(whole);
    sc_GameImageData back;
    ASSERT_TRUE(back.bRead(w));
    EXPECT_TRUE(w.AtEnd());
    EXPECT_EQ(back.pGetStatus(0, 0)->pGetInfo(), nullptr);
    sc_GameImageData noInfo = pack;
    noInfo.pGetStatus(0, 0)->vSetInfo(nullptr);
    EXPECT_EQ(Whole(back), Whole(noInfo));
}

TEST(PackFiles, HeadersAloneLeaveBlocksOutAndInfoNeedsItsFile) {
    const sc_GameImageData pack = RichPack();
    sc_ByteWriter table, data;
    pack.vWriteSplit(table, &data, nullptr);
    sc_ByteReader t(table.Bytes());
    sc_GameImageData headers;
    ASSERT_TRUE(headers.bReadSplit(t, nullptr, nullptr));
    EXPECT_EQ(headers.pGetStatus(0, 0)->pGetInfo(), nullptr); // has info, but no info file
    const sc_GameImgWithShadow* f = headers.pGetFrameAt(0, 0, 0, 0);
    ASSERT_NE(f, nullptr);
    EXPECT_EQ(f->pGetPixels(), nullptr);
    EXPECT_FALSE(headers.pGetObjectAt(0)->bComplete());
    EXPECT_EQ(headers.pGetObjectAt(0)->lBlockBytes() + headers.pGetObjectAt(1)->lBlockBytes(),
              static_cast<int64_t>(data.Size()));

    sc_ByteReader d(data.Bytes());
    ASSERT_TRUE(headers.bLoadImage(d));
    EXPECT_TRUE(d.AtEnd());
    sc_GameImageData expect = pack;
    expect.pGetStatus(0, 0)->vSetInfo(nullptr);
    EXPECT_EQ(Whole(headers), Whole(expect));

    const Bytes zero = {0, 0, 0, 0};
    sc_ByteReader empty(zero);
    sc_GameImageData none;
    ASSERT_TRUE(none.bReadSplit(empty, nullptr, nullptr));
    EXPECT_EQ(none.lGetObjectCount(), 0);
}

// Every piece the cache can ask for, as (object, status, direction) with -1
// for the levels above it.
std::vector<std::array<int32_t, 3>> Pieces(sc_GameImageData& tree) {
    std::vector<std::array<int32_t, 3>> out;
    for (int32_t o = 0; o < tree.lGetObjectCount(); ++o) {
        out.push_back({o, -1, -1});
        for (int32_t s = 0; s < tree.lGetStatusCount(o); ++s) {
            out.push_back({o, s, -1});
            for (int32_t d = 0; d < tree.lGetDirCount(o, s); ++d) out.push_back({o, s, d});
        }
    }
    return out;
}

template <class Node> Bytes LoadAtOffset(const Node& headers, const Bytes& data) {
    Node copy = headers;
    const sc_GameImgWithShadow* first = copy.pFirstFrame();
    EXPECT_TRUE(first && first->bInDataFile());
    sc_ByteReader d(data);
    EXPECT_TRUE(d.Seek(static_cast<size_t>(first->lGetDataOffset())));
    EXPECT_TRUE(copy.bLoadImage(d));
    return Whole(copy);
}

TEST(PackWriter, EveryPieceLoadsFromItsOffsetAsASequentialReadGivesIt) {
    sc_GameImageData tree = RichPack();
    sc_ByteWriter table, data;
    ASSERT_TRUE(tree.bSwapOut(table, data, nullptr, nullptr));
    EXPECT_EQ(tree.pGetFrameAt(0, 0, 0, 0)->pGetPixels(), nullptr); // blocks freed

    sc_ByteReader t1(table.Bytes()), d1(data.Bytes());
    sc_GameImageData full;
    ASSERT_TRUE(full.bReadSplit(t1, &d1, nullptr));
    EXPECT_TRUE(d1.AtEnd());
    EXPECT_EQ(full.pGetStatus(0, 0)->pGetInfo(), nullptr);
    sc_GameImageData expect = RichPack();
    expect.pGetStatus(0, 0)->vSetInfo(nullptr);
    // Offsets differ from a tree never placed; compare pixels through a
    // second swap of the read tree.
    sc_ByteWriter t2, d2;
    sc_GameImageData again = full;
    ASSERT_TRUE(again.bSwapOut(t2, d2, nullptr, nullptr));
    EXPECT_EQ(t2.Bytes(), table.Bytes());
    EXPECT_EQ(d2.Bytes(), data.Bytes());

    sc_ByteReader t3(table.Bytes());
    sc_GameImageData headers;
    ASSERT_TRUE(headers.bReadSplit(t3, nullptr, nullptr));
    int checked = 0;
    for (const auto& [o, s, d] : Pieces(headers)) {
        SCOPED_TRACE(testing::Message() << o << "," << s << "," << d);
        if (s < 0) {
            if (!headers.pGetObjectAt(o)->pFirstFrame()) continue;
            EXPECT_EQ(LoadAtOffset(*headers.pGetObjectAt(o), data.Bytes()), Whole(*full.pGetObjectAt(o)));
        } else if (d < 0) {
            if (!headers.pGetStatus(o, s)->pFirstFrame()) continue;
            EXPECT_EQ(LoadAtOffset(*headers.pGetStatus(o, s), data.Bytes()), Whole(*full.pGetStatus(o, s)));
        } else {
            EXPECT_EQ(LoadAtOffset(*headers.pGetDir(o, s, d), data.Bytes()), Whole(*full.pGetDir(o, s, d)));
        }
        ++checked;
    }
    EXPECT_EQ(checked, 2 + 2 + 4);
    // Every grid's offset points at its own block.
    const sc_ImageLocate& grid = full.pGetDir(0, 0, 0)->oLocate();
    ASSERT_TRUE(grid.bInFile());
    EXPECT_EQ(data.Bytes()[static_cast<size_t>(grid.lGetFileOffset()) + 1], grid.pGetCells()[1]);
}

TEST(PackWriter, BlocksComeBackFromTheOldDataFileOrTheWorkFile) {
    sc_GameImageData tree = RichPack();
    sc_ByteWriter table, data;
    ASSERT_TRUE(tree.bSwapOut(table, data, nullptr, nullptr));

    // Headers only, blocks in the old data file.
    sc_ByteReader t(table.Bytes());
    sc_GameImageData headers;
    ASSERT_TRUE(headers.bReadSplit(t, nullptr, nullptr));
    sc_ByteReader old(data.Bytes());
    sc_ByteWriter t2, d2;
    ASSERT_TRUE(headers.bSwapOut(t2, d2, &old, nullptr));
    EXPECT_EQ(t2.Bytes(), table.Bytes());
    EXPECT_EQ(d2.Bytes(), data.Bytes());

    // A frame paged out to a work file.
    sc_GameImageData paged = RichPack();
    sc_ByteWriter work;
    work.Write(uint32_t{0xDEADBEEF}); // the work file need not start with the frame
    sc_GameImgWithShadow* f = paged.pGetFrameAt(0, 0, 1, 1);
    ASSERT_TRUE(f->bWriteAt(work, 0));
    EXPECT_EQ(f->lGetDataOffset(), 4);
    f->vFreeBlocks();
    sc_ByteReader wr(work.Bytes());
    sc_ByteWriter t3, d3;
    ASSERT_TRUE(paged.bSwapOut(t3, d3, nullptr, &wr));
    EXPECT_EQ(t3.Bytes(), table.Bytes());
    EXPECT_EQ(d3.Bytes(), data.Bytes());
}

TEST(PackWriter, RefusesAnImageWhoseBlockCannotBeBroughtBack) {
    sc_GameImageData tree = GoldenTree();
    tree.pGetFrameAt(0, 0, 0, 0)->vFreeBlocks(); // never placed: offset -1
    sc_ByteWriter table, data;
    EXPECT_FALSE(tree.bSwapOut(table, data, nullptr, nullptr));

    sc_GameImageData placed = GoldenTree();
    placed.pGetFrameAt(0, 0, 0, 0)->vFreeBlocks();
    placed.pGetFrameAt(0, 0, 0, 0)->vSetPlace(2, 1); // the old file ends inside the block
    const Bytes short4 = {1, 2, 3, 4};
    sc_ByteReader old(short4);
    sc_ByteWriter t2, d2;
    EXPECT_FALSE(placed.bSwapOut(t2, d2, &old, nullptr));

    sc_GameImageData grid = GoldenTree();
    grid.pGetDir(0, 0, 0)->oLocate().vSetCells(2, 2, nullptr);
    grid.pGetDir(0, 0, 0)->oLocate().vFreeGrid();
    sc_ByteWriter t3, d3;
    EXPECT_FALSE(grid.bSwapOut(t3, d3, nullptr, nullptr));
}

// A small pack with every kind of record: name, info, extra, alpha,
// shadow, overlay and a grid.
struct SmallPack {
    Bytes table, data, info;
    SmallPack() {
        sc_GameImageData p;
        sc_GameObject o;
        sc_GameStatus s;
        s.vSetName("ab");
        sc_GameDir d = packtest::Dir(1, 2, true);
        s += &d;
        const sc_GameDir x = packtest::Dir(2, 1, false);
        s.vSetExtraDir(&x);
        ss_ObjectInfo i;
        s.vSetInfo(&i);
        o += &s;
        p += &o;
        sc_ByteWriter t, dw, iw;
        p.vWriteSplit(t, &dw, &iw);
        table = t.Release();
        data = dw.Release();
        info = iw.Release();
    }
};

TEST(PackFiles, EveryTruncatedPrefixFailsCleanly) {
    const SmallPack pack;
    // Each of the three files cut while the other two are whole: refused
    // with one trace line and no tree left.
    auto split = [&](int cut) {
        return [&pack, cut](std::span<const uint8_t> prefix) {
            sc_ByteReader t(cut == 0 ? prefix : std::span<const uint8_t>(pack.table));
            sc_ByteReader d(cut == 1 ? prefix : std::span<const uint8_t>(pack.data));
            sc_ByteReader i(cut == 2 ? prefix : std::span<const uint8_t>(pack.info));
            sc_GameImageData tree;
            const bool ok = tree.bReadSplit(t, &d, &i);
            EXPECT_EQ(tree.lGetObjectCount(), 0);
            return ok;
        };
    };
    krxtest::ExpectEveryPrefixRefused(pack.table, split(0));
    krxtest::ExpectEveryPrefixRefused(pack.data, split(1));
    krxtest::ExpectEveryPrefixRefused(pack.info, split(2));

    sc_GameImageData headers;
    sc_ByteReader t(pack.table);
    ASSERT_TRUE(headers.bReadSplit(t, nullptr, nullptr));
    krxtest::ExpectEveryPrefixRefused(
        pack.data,
        [&](std::span<const uint8_t> prefix) {
            sc_GameImageData copy = headers;
            sc_ByteReader d(prefix);
            return copy.bLoadImage(d);
        },
        krxtest::Traced::Silent);
    sc_ByteWriter whole;
    headers.vWrite(whole); // blocks absent: written as zeros
    krxtest::ExpectEveryPrefixRefused(whole.Bytes(), [](std::span<const uint8_t> prefix) {
        sc_ByteReader w(prefix);
        sc_GameImageData tree;
        return tree.bRead(w);
    });
}

TEST(PackFiles, CorruptCountsAndSizesFailWithoutHugeAllocations) {
    const SmallPack pack;
    const uint32_t wild[] = {0x7FFFFFFF, 0x80000000, 0xFFFFFFFF, 0x00010000, 0x00000100};
    int failures = 0;
    for (size_t at = 0; at + 4 <= pack.table.size(); ++at)
        for (uint32_t v : wild) {
            Bytes t = pack.table;
            for (int k = 0; k < 4; ++k) t[at + k] = static_cast<uint8_t>(v >> (8 * k));
            sc_ByteReader tr(t), dr(pack.data), ir(pack.info);
            sc_GameImageData tree;
            if (!tree.bReadSplit(tr, &dr, &ir)) {
                ++failures;
                EXPECT_EQ(tree.lGetObjectCount(), 0);
            }
            sc_ByteReader headersOnly(t);
            sc_GameImageData h;
            if (h.bReadSplit(headersOnly, nullptr, nullptr)) {
                sc_ByteReader d(pack.data);
                h.bLoadImage(d); // may fail; must not overrun
            }
        }
    EXPECT_GT(failures, 0);

    // The pixel count flag must agree with the size.
    sc_GameImg img = packtest::Image(2, 2, 1, false);
    sc_ByteWriter rec;
    img.vWriteSplit(rec, nullptr);
    Bytes r = rec.Release();
    r[24] = 0; // pixel count 0 for a 2 x 2 image
    sc_ByteReader in(r);
    sc_GameImg back;
    EXPECT_FALSE(back.bReadSplit(in, nullptr));
    sc_GameImg empty = packtest::Image(0, 3, 1, false);
    sc_ByteWriter e;
    empty.vWriteSplit(e, nullptr);
    Bytes eb = e.Release();
    eb[24] = 1; // pixels announced for a 0 x 3 image
    sc_ByteReader ein(eb);
    EXPECT_FALSE(back.bReadSplit(ein, nullptr));
}

} // namespace

namespace {

TEST(PackFiles, TheAttachedFormReadsBlocksOutOfTheCallersMemory) {
    const sc_GameImageData pack = packtest::RichPack();
    sc_ByteWriter table, memory, info;
    pack.vWriteAttached(table, memory, &info);
    sc_ByteWriter split;
    pack.vWriteSplit(split, nullptr, nullptr);
    // Frames and grids carry no placement: 8 bytes fewer each.
    EXPECT_EQ(split.Size() - table.Size(), 8u * (3 * 3 + 2 + 3) + 8u * (3 + 1 + 1));

    Bytes block = memory.Bytes();
    block.push_back(0xAB); // whatever follows the pack's blocks
    sc_ByteReader t(table.Bytes()), i(info.Bytes());
    sc_GameImageData back;
    const uint8_t* end = back.pAttach(t, block, &i);
    ASSERT_NE(end, nullptr);
    EXPECT_EQ(end, block.data() + memory.Size());
    EXPECT_EQ(Whole(back), Whole(pack));
    EXPECT_FALSE(back.pGetFrameAt(0, 0, 0, 0)->bInDataFile());

    for (size_t n = 0; n < table.Size(); ++n) {
        sc_ByteReader cut(table.Bytes().data(), n);
        sc_GameImageData x;
        EXPECT_EQ(x.pAttach(cut, memory.Bytes(), nullptr), nullptr) << n;
    }
    for (size_t n = 0; n < memory.Size(); n += 7) {
        sc_ByteReader whole(table.Bytes());
        sc_GameImageData x;
        EXPECT_EQ(x.pAttach(whole, std::span<const uint8_t>(memory.Bytes().data(), n), nullptr), nullptr) << n;
        EXPECT_EQ(x.lGetObjectCount(), 0);
    }
}

} // namespace
