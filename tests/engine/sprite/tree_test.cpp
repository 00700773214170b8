#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "engine/image/image.h"
#include "engine/device/frame_time.h"
#include "engine/sprite/sprite_tree.h"
#include "platform/random.h"

namespace {

sc_GameImgWithShadow FrameOf(uint16_t tag) {
    sc_GameImgWithShadow f;
    sc_GameImg img;
    img.vSetPixels(1, 1, &tag, nullptr);
    f.vAssignImage(img);
    return f;
}

sc_GameDir DirOf(int frames) {
    sc_GameDir d;
    for (int i = 0; i < frames; ++i) {
        const sc_GameImgWithShadow f = FrameOf(static_cast<uint16_t>(i + 1));
        d += &f;
    }
    return d;
}

std::vector<int> Tags(const sc_GameDir& d) {
    std::vector<int> out;
    for (int i = 0; i < d.lGetFrameCount(); ++i) out.push_back(d.pGetFrameAt(i)->pGetPixels()[0]);
    return out;
}

class FrameClock : public ::testing::Test {
protected:
    void SetUp() override { saved = g_lNowTick; }
    void TearDown() override { g_lNowTick = saved; }
    int32_t saved = 0;
};

TEST_F(FrameClock, FramesStepAtTheFrameTimeAndWrap) {
    const sc_GameDir d = DirOf(4);
    int8_t index = 0;
    int32_t next = 0;
    g_lNowTick = 10'000'000;
    std::vector<int> seen;
    // The first call is due at once; then one step per 150 ms.
    for (int step = 0; step < 5; ++step) {
        const sc_GameImgWithShadow* f = d.pGetFrame(150, 0, 0, index, next);
        ASSERT_NE(f, nullptr);
        seen.push_back(index);
        EXPECT_EQ(f->pGetPixels()[0], index + 1);
        g_lNowTick += 150;
    }
    EXPECT_EQ(seen, (std::vector<int>{1, 2, 3, 0, 1}));

    // Not due: nothing changes.
    int32_t later = g_lNowTick + 50;
    int8_t i2 = 2;
    EXPECT_EQ(d.pGetFrame(150, 0, 0, i2, later)->pGetPixels()[0], 3);
    EXPECT_EQ(i2, 2);
    EXPECT_EQ(later, g_lNowTick + 50);
}

TEST_F(FrameClock, TheIndexRunsZeroToThreeAndBack) {
    const sc_GameDir d = DirOf(4);
    int8_t index = 3;
    int32_t next = 0;
    g_lNowTick = 10'000'000;
    std::vector<int> seen;
    for (int step = 0; step < 5; ++step) {
        d.pGetFrame(150, 0, 0, index, next);
        seen.push_back(index);
        EXPECT_EQ(next, g_lNowTick + 150);
        g_lNowTick += 150;
    }
    EXPECT_EQ(seen, (std::vector<int>{0, 1, 2, 3, 0}));
}

TEST_F(FrameClock, APauseBaseDelaysTheStepAfterTheLastFrame) {
    const sc_GameDir d = DirOf(2);
    g_lNowTick = 10'000'000;
    int8_t index = 1;
    int32_t next = 0;
    d.pGetFrame(150, 100, 0, index, next);
    EXPECT_EQ(index, 0);
    EXPECT_EQ(next, g_lNowTick + 150 + 100);

    plat::SeedRandom(1);
    const int32_t r = plat::Rand();
    plat::SeedRandom(1);
    index = 1;
    next = 0;
    d.pGetFrame(150, 100, 1000, index, next);
    EXPECT_EQ(next, g_lNowTick + 150 + (r * 1000 - 100) / 32767 + 100);

    // A range beyond 16 bits wraps in 32 bits instead of overflowing.
    plat::SeedRandom(7);
    const int32_t r2 = plat::Rand();
    plat::SeedRandom(7);
    index = 1;
    next = 0;
    d.pGetFrame(150, -5, INT32_MAX, index, next);
    const int32_t wrapped = static_cast<int32_t>(static_cast<uint32_t>(r2) * 0x7FFFFFFFu + 5u);
    EXPECT_EQ(next, g_lNowTick + 150 + wrapped / 32767 - 5);
}

TEST_F(FrameClock, NoFramesGiveNullAndAnIndexPastTheCountStartsAgain) {
    const sc_GameDir empty;
    int8_t index = 0;
    int32_t next = 0;
    EXPECT_EQ(empty.pGetFrame(150, 0, 0, index, next), nullptr);

    const sc_GameDir d = DirOf(3);
    g_lNowTick = 10'000'000;
    int8_t wild = 90;
    next = g_lNowTick + 1000; // not due
    EXPECT_EQ(d.pGetFrame(150, 0, 0, wild, next)->pGetPixels()[0], 1);
    EXPECT_EQ(wild, 0);
    int8_t negative = -5;
    EXPECT_NE(d.pGetFrame(150, 0, 0, negative, next), nullptr);
    EXPECT_EQ(negative, 0);
}

TEST(SpriteTree, MoveInsertAndDeleteKeepIndicesInRange) {
    sc_GameDir d = DirOf(4); // A B C D = 1 2 3 4
    EXPECT_EQ(d.lMove(0, 3), 2);
    EXPECT_EQ(Tags(d), (std::vector<int>{2, 3, 1, 4}));
    d = DirOf(4);
    EXPECT_EQ(d.lMove(3, 0), 0);
    EXPECT_EQ(Tags(d), (std::vector<int>{4, 1, 2, 3}));
    d = DirOf(4);
    EXPECT_EQ(d.lMove(1, 4), 3); // to the end
    EXPECT_EQ(Tags(d), (std::vector<int>{1, 3, 4, 2}));
    for (auto [from, to] : {std::pair{4, 0}, {-1, 2}, {0, 5}, {0, -1}, {2, 2}}) {
        d = DirOf(4);
        EXPECT_EQ(d.lMove(from, to), -1);
        EXPECT_EQ(Tags(d), (std::vector<int>{1, 2, 3, 4}));
    }

    sc_GameDir e;
    const sc_GameImgWithShadow f = FrameOf(9);
    e.vInsert(0, &f);
    EXPECT_EQ(Tags(e), (std::vector<int>{9}));
    e.vInsert(2, &f); // beyond the count: nothing
    e.vInsert(0, nullptr);
    EXPECT_EQ(e.lGetFrameCount(), 1);
    e.vInsert(1, e.pGetFrameAt(0)); // an element of its own
    EXPECT_EQ(Tags(e), (std::vector<int>{9, 9}));
    e.vDelete(5);
    e.vDelete(-1);
    EXPECT_EQ(e.lGetFrameCount(), 2);
    e.vDelete(0);
    e.vDelete(0);
    EXPECT_EQ(e.lGetFrameCount(), 0);
}

TEST(SpriteTree, StatusDefaultsCopiesAndSetters) {
    sc_GameStatus s;
    for (int i = 0; i < 8; ++i) {
        const sc_GameDir d = DirOf(i + 1);
        s.vAdd(&d);
    }
    s.vSetDefaultDir(-3);
    EXPECT_EQ(s.cGetDefaultDir(), 0);
    s.vSetDefaultDir(9);
    EXPECT_EQ(s.cGetDefaultDir(), 7);
    s.vSetName("walk");
    s.vSetFrameTime(150);
    s.vSetPause(30, 40);
    ss_ObjectInfo info;
    info.w7 = 77;
    s.vSetInfo(&info);
    const sc_GameDir extra = DirOf(2);
    s.vSetExtraDir(&extra);
    EXPECT_EQ(s.lGetFrameCount(), 1);

    sc_GameStatus copy = s;
    s.vClear();
    EXPECT_STREQ(copy.pGetName(), "walk");
    EXPECT_EQ(copy.wGetFrameTime(), 150);
    EXPECT_EQ(copy.wGetPauseRange(), 30);
    EXPECT_EQ(copy.wGetPauseBase(), 40);
    ASSERT_TRUE(copy.pGetInfo() && copy.pGetExtraDir());
    EXPECT_EQ(copy.pGetInfo()->w7, 77);
    EXPECT_EQ(copy.pGetExtraDir()->lGetFrameCount(), 2);
    EXPECT_EQ(copy.cGetDefaultDir(), 7);
    EXPECT_EQ(copy.lGetDirCount(), 8);
    EXPECT_EQ(s.pGetName(), nullptr);

    sc_GameObject o;
    o.vAdd(&copy);
    o.vSetFrameTime(50);
    EXPECT_EQ(o.pGetStatusAt(0)->wGetFrameTime(), 50);
    EXPECT_EQ(o.pGetStatusAt(1), nullptr);
}

// A white picture with a dark diamond around (cx, cy).
sc_Image Diamond(int w, int h, int cx, int cy, int rx, int ry) {
    sc_Image img;
    img.vSetSize(w, h);
    img.lAlloc();
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            const bool in = std::abs(x - cx) * ry + std::abs(y - cy) * rx <= rx * ry;
            img.oAt(x, y).vSetRGB(in ? 0x101010 : 0xFFFFFF);
        }
    return img;
}

TEST(SpriteTree, MarksToolFindsTheDiamondsCorners) {
    sc_GameDir d;
    EXPECT_FALSE(d.bHasMarks());
    d.vMakeMarksFrom(Diamond(64, 40, 30, 20, 16, 8));
    EXPECT_TRUE(d.bHasMarks());
    EXPECT_EQ(d.oGetMark(0), sc_GamePoint(14, 21));
    EXPECT_EQ(d.oGetMark(1), sc_GamePoint(46, 21));
    EXPECT_EQ(d.oGetMark(2), sc_GamePoint(30, 28));
    EXPECT_EQ(d.cGetClass(), 0);

    // A footprint whose right corner stands high leans: class 1.
    sc_Image lop;
    lop.vSetSize(48, 40);
    lop.lAlloc();
    for (int y = 0; y < 40; ++y)
        for (int x = 0; x < 48; ++x) lop.oAt(x, y).vSetRGB(0xFFFFFF);
    lop.oAt(0, 29).vSetRGB(0);
    lop.oAt(40, 4).vSetRGB(0);
    for (int x = 9; x <= 11; ++x) lop.oAt(x, 35).vSetRGB(0);
    sc_GameDir e;
    e.vMakeMarksFrom(lop);
    EXPECT_EQ(e.oGetMark(0), sc_GamePoint(0, 30));
    EXPECT_EQ(e.oGetMark(1), sc_GamePoint(40, 5));
    EXPECT_EQ(e.oGetMark(2), sc_GamePoint(10, 35));
    EXPECT_EQ(e.cGetClass(), 1);
}

TEST(SpriteTree, MarksToolNeverDividesByZero) {
    // One column of pixels: all three marks share a column.
    sc_Image line;
    line.vSetSize(8, 8);
    line.lAlloc();
    for (int y = 0; y < 8; ++y)
        for (int x = 0; x < 8; ++x) line.oAt(x, y).vSetRGB(x == 3 && y > 2 ? 0 : 0xFFFFFF);
    sc_GameDir d;
    d.vMakeMarksFrom(line);
    EXPECT_EQ(d.cGetClass(), 0);
    EXPECT_EQ(d.oGetMark(0).x, 3);

    // Nothing to mark: the marks stay unset.
    sc_Image white;
    white.vSetSize(8, 8);
    white.lAlloc();
    for (int y = 0; y < 8; ++y)
        for (int x = 0; x < 8; ++x) white.oAt(x, y).vSetRGB(0xFFFFFF);
    sc_GameDir w;
    w.vMakeMarksFrom(white);
    EXPECT_FALSE(w.bHasMarks());
}

TEST(SpriteTree, PackAccessorsAndMarkSpans) {
    sc_GameDir d = DirOf(2);
    d.lSetMarks(10, 20, 30, 20, 20, 26);
    sc_GameStatus s;
    s.vAdd(&d);
    s.vSetFrameTime(100);
    sc_GameObject o;
    o.vAdd(&s);
    sc_GameImageData pack;
    pack += &o;
    EXPECT_EQ(pack.lGetFrameCount(0, 0, 0), 2);
    EXPECT_EQ(pack.pGetFrameAt(0, 0, 0, 2), nullptr);
    EXPECT_EQ(pack.pGetDir(1, 0, 0), nullptr);
    EXPECT_EQ(pack.lGetFramePixelInfo(0, 0, 0, 0, 1), 1);
    EXPECT_EQ(pack.lGetFramePixelInfo(0, 0, 0, 0, 0), -2);
    sc_GamePoint m0, m1, m2, m3;
    EXPECT_EQ(pack.lGetMarkSpan1(0, 0, 0, &m0, &m2, &m1, &m3), 0);
    EXPECT_EQ(m3, sc_GamePoint(20, 14));
    EXPECT_EQ(pack.lGetMarkSpan3(0, 0, 0, &m0, &m2, &m1, &m3, sc_GamePoint(100, 100), 4, 1), 0);
    EXPECT_EQ(m0, sc_GamePoint(55, 62));
    EXPECT_EQ(m3, sc_GamePoint(60, 59));
    EXPECT_EQ(pack.lGetMarks(0, 1, 0, &m0, &m2, &m1), -1);

    const int32_t saved = g_lNowTick;
    g_lNowTick = 10'000'000;
    int8_t frame = 0;
    int32_t next = 0;
    EXPECT_FALSE(pack.bNextFrame(0, 0, 0, frame, next));
    EXPECT_EQ(frame, 1);
    EXPECT_FALSE(pack.bNextFrame(0, 0, 0, frame, next)); // not due yet
    g_lNowTick += 100;
    EXPECT_TRUE(pack.bNextFrame(0, 0, 0, frame, next));
    EXPECT_EQ(frame, 0);
    g_lNowTick = saved;
}

} // namespace

#include "engine/base/file.h"
#include "tests/support/temp_dir.h"

namespace {

TEST(SpriteTree, MarksAndGridComeFromAPictureFile) {
    krxtest::TempDir dir;
    krxtest::ScopedCwd cwd(dir.Path());
    ASSERT_TRUE(Diamond(64, 40, 30, 20, 16, 8).bSaveBMP("foot.bmp"));
    sc_GameDir d;
    d.vLoadMarks("foot.bmp");
    EXPECT_EQ(d.oGetMark(2), sc_GamePoint(30, 28));
    sc_Point origin, size;
    const uint8_t* cells = d.lGetLocateRect(origin, size);
    ASSERT_NE(cells, nullptr);
    // Only the cells of rows 16..23 are more than half covered.
    EXPECT_EQ(origin, sc_Point(1, 2));
    EXPECT_EQ(size, sc_Point(2 + 7, 1));
    d.vLoadMarks(nullptr); // no name: nothing changes
    EXPECT_EQ(d.oLocate().pGetCells(), cells);
    sc_ImageLocate fromFile("foot.bmp");
    EXPECT_EQ(fromFile.oGetSize(), size);
}

} // namespace
