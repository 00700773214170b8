#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

#include "engine/base/file.h"
#include "engine/sprite/memory_control.h"
#include "engine/sprite/sprite_tree.h"
#include "platform/byte_reader.h"
#include "tests/engine/sprite/pack_fixtures.h"
#include "tests/support/reader_checks.h"
#include "tests/support/temp_dir.h"

namespace {

constexpr const char* kTable = "P_TEST\\P_TEST.STR";
constexpr const char* kData = "P_TEST\\P_TEST.IMG";

// The rich pack written by the pack writer into a fresh folder.
class Cache : public ::testing::Test {
protected:
    void SetUp() override {
        sc_GameImageData tree = packtest::RichPack();
        sc_ByteWriter t, d;
        ASSERT_TRUE(tree.bSwapOut(t, d, nullptr, nullptr));
        table = t.Release();
        data = d.Release();
        Write(table, data);
        sc_ByteReader tr(table), dr(data);
        ASSERT_TRUE(full.bReadSplit(tr, &dr, nullptr));
    }
    void Write(const std::vector<uint8_t>& t, const std::vector<uint8_t>& d) {
        dir.Write("P_TEST/P_TEST.STR", std::string(t.begin(), t.end()));
        dir.Write("P_TEST/P_TEST.IMG", std::string(d.begin(), d.end()));
    }

    krxtest::TempDir dir;
    krxtest::ScopedCwd cwd{dir.Path()};
    std::vector<uint8_t> table, data;
    sc_GameImageData full;
    sc_MemoryControl cache;
};

TEST_F(Cache, TheSamePieceIsSharedAndFreedOnTheLastRelease) {
    EXPECT_EQ(g_pMemoryControl, &cache);
    sc_GameDir* a = cache.pGetDir(kTable, kData, 0, 0, 2);
    ASSERT_NE(a, nullptr);
    EXPECT_EQ(packtest::Whole(*a), packtest::Whole(*full.pGetDir(0, 0, 2)));
    EXPECT_TRUE(a->bComplete());
    sc_GameDir* b = cache.pGetDir(kTable, kData, 0, 0, 2);
    EXPECT_EQ(a, b);
    EXPECT_EQ(cache.lGetEntryCount(), 1);
    EXPECT_EQ(cache.lGetRefCount(a), 2);
    cache.vFree(a);
    EXPECT_EQ(cache.lGetEntryCount(), 1);
    EXPECT_EQ(cache.lGetRefCount(a), 1);
    cache.vFree(b);
    EXPECT_EQ(cache.lGetEntryCount(), 0);
}

TEST_F(Cache, AnObjectAndItsStatusAreSeparateEntries) {
    sc_GameObject* o = cache.pGetObject(kTable, kData, 1);
    sc_GameStatus* s = cache.pGetStatus(kTable, kData, 1, 0);
    ASSERT_TRUE(o && s);
    EXPECT_NE(static_cast<void*>(o->pGetStatusAt(0)), static_cast<void*>(s));
    EXPECT_EQ(cache.lGetEntryCount(), 2);
    EXPECT_EQ(packtest::Whole(*o), packtest::Whole(*full.pGetObjectAt(1)));
    EXPECT_EQ(packtest::Whole(*s), packtest::Whole(*full.pGetStatus(1, 0)));
    sc_GameObject* first = cache.pGetObject(kTable, kData, 0);
    ASSERT_NE(first, nullptr);
    EXPECT_EQ(packtest::Whole(*first), packtest::Whole(*full.pGetObjectAt(0)));
    cache.vFree(o);
    cache.vFree(s);
    cache.vFree(first);
    EXPECT_EQ(cache.lGetEntryCount(), 0);
}

TEST_F(Cache, KeysArePathsAsWrittenAndIndexesExactly) {
    sc_GameDir* a = cache.pGetDir(kTable, kData, 0, 0, 0);
    sc_GameDir* b = cache.pGetDir("p_test\\p_test.str", kData, 0, 0, 0); // found case-insensitively
    sc_GameDir* c = cache.pGetDir(".\\P_TEST\\P_TEST.STR", kData, 0, 0, 0);
    ASSERT_TRUE(a && b && c);
    EXPECT_NE(a, b);
    EXPECT_NE(a, c);
    EXPECT_EQ(cache.lGetEntryCount(), 3);
}

TEST_F(Cache, BadRequestsGiveNullAndLeaveTheCacheAlone) {
    EXPECT_EQ(cache.pGetObject(nullptr, kData, 0), nullptr);
    EXPECT_EQ(cache.pGetObject(kTable, nullptr, 0), nullptr);
    EXPECT_EQ(cache.pGetObject(kTable, kData, -1), nullptr);
    EXPECT_EQ(cache.pGetStatus(kTable, kData, 0, -1), nullptr);
    EXPECT_EQ(cache.pGetDir(kTable, kData, 0, 0, -2), nullptr);
    EXPECT_EQ(cache.pGetObject(kTable, kData, 2), nullptr); // the object count
    EXPECT_EQ(cache.pGetStatus(kTable, kData, 0, 2), nullptr);
    EXPECT_EQ(cache.pGetDir(kTable, kData, 0, 0, 3), nullptr);
    EXPECT_EQ(cache.pGetStatus(kTable, kData, 0, 1), nullptr); // no direction to seek to
    EXPECT_EQ(cache.pGetDir("P_TEST\\NONE.STR", kData, 0, 0, 0), nullptr);
    EXPECT_EQ(cache.lGetEntryCount(), 0);

    sc_GameDir* held = cache.pGetDir(kTable, kData, 0, 0, 0);
    ASSERT_NE(held, nullptr);
    cache.vFree(nullptr);
    int notHeld = 0;
    cache.vFree(&notHeld);
    cache.vFree(full.pGetDir(0, 0, 0));
    EXPECT_EQ(cache.lGetRefCount(held), 1);
}

TEST_F(Cache, APackWhoseBlocksAreNotWhereItsHeadersSayGivesNull) {
    // The data file ends inside the blocks. It is named once, at the first
    // get, whichever piece is asked and whether or not it is held whole.
    Write(table, std::vector<uint8_t>(data.begin(), data.begin() + static_cast<std::ptrdiff_t>(data.size() / 2)));
    {
        krxtest::TraceCapture trace;
        EXPECT_EQ(cache.pGetObject(kTable, kData, 1), nullptr);
        EXPECT_EQ(cache.lGetEntryCount(), 0);
        cache.vFree(cache.pGetDir(kTable, kData, 0, 0, 0));
        const auto named = std::count_if(trace.Lines().begin(), trace.Lines().end(), [](const auto& line) {
            return line.source == kData && line.reason == "ends before frames its table places in it";
        });
        EXPECT_EQ(named, 1);
    }

    // A first frame placed past the end of the data file, or not placed.
    sc_ByteReader tr(table);
    sc_GameImageData headers;
    ASSERT_TRUE(headers.bReadSplit(tr, nullptr, nullptr));
    for (auto [offset, flag] : {std::pair{1 << 30, 1}, {-5, 1}, {0, 0}}) {
        headers.pGetFrameAt(1, 0, 0, 0)->vSetPlace(offset, flag);
        sc_ByteWriter t;
        headers.vWriteSplit(t, nullptr, nullptr);
        Write(t.Bytes(), data);
        EXPECT_EQ(cache.pGetDir(kTable, kData, 1, 0, 0), nullptr) << offset;
    }
    // A truncated table.
    Write(std::vector<uint8_t>(table.begin(), table.end() - 1), data);
    EXPECT_EQ(cache.pGetDir(kTable, kData, 0, 0, 0), nullptr);
    EXPECT_EQ(cache.lGetEntryCount(), 0);
}

TEST_F(Cache, TheDestructorDeletesWhatIsStillHeld) {
    {
        sc_MemoryControl local;
        EXPECT_EQ(g_pMemoryControl, &local);
        ASSERT_NE(local.pGetDir(kTable, kData, 0, 0, 0), nullptr);
    }
    EXPECT_EQ(g_pMemoryControl, nullptr);
}

TEST(CursorPackDataSet, TheGeneratedCursorLoadsThroughTheCacheAndWhole) {
    const std::filesystem::path data = krxtest::DataDir();
    ASSERT_TRUE(std::filesystem::exists(data / "P_CURSOR" / "P_CURSOR.STR")) << data;
    krxtest::ScopedCwd cwd(data);
    sc_MemoryControl cache;
    sc_GameDir* arrow = cache.pGetDir("P_CURSOR\\P_CURSOR.STR", "P_CURSOR\\P_CURSOR.IMG", 0, 0, 0);
    sc_GameDir* cross = cache.pGetDir("P_CURSOR\\P_CURSOR.STR", "P_CURSOR\\P_CURSOR.IMG", 0, 0, 1);
    ASSERT_TRUE(arrow && cross);
    ASSERT_GE(arrow->lGetFrameCount(), 1);
    ASSERT_GE(cross->lGetFrameCount(), 2);

    // Drawn at the mouse position less (400, 300): the arrow's tip is the
    // mouse position, the cross-hair is centred on it.
    auto bounds = [](const sc_GameImgWithShadow& f, int32_t mx, int32_t my) {
        std::vector<uint16_t> screen(800 * 600, 0);
        f.vShowOn(mx - 400, my - 300, screen.data(), 800, 600, 1, 0, 0, 0, 0, false);
        int32_t l = 800, t = 600, r = -1, b = -1;
        for (int32_t y = 0; y < 600; ++y)
            for (int32_t x = 0; x < 800; ++x)
                if (screen[y * 800 + x]) {
                    l = std::min(l, x);
                    t = std::min(t, y);
                    r = std::max(r, x);
                    b = std::max(b, y);
                }
        return std::array<int32_t, 4>{l, t, r, b};
    };
    const auto a = bounds(*arrow->pGetFrameAt(0), 200, 150);
    EXPECT_NEAR(a[0], 200, 2);
    EXPECT_NEAR(a[1], 150, 2);
    EXPECT_GT(a[2] - a[0], 10);
    EXPECT_GT(a[3] - a[1], 15);
    EXPECT_TRUE(arrow->pGetFrameAt(0)->pGetShadow());
    EXPECT_TRUE(arrow->pGetFrameAt(0)->bHasAlpha());
    const auto c = bounds(*cross->pGetFrameAt(0), 300, 200);
    EXPECT_NEAR((c[0] + c[2]) / 2.0, 300, 1.5);
    EXPECT_NEAR((c[1] + c[3]) / 2.0, 200, 1.5);

    // The cursor loader reads the whole pack in one pass.
    sc_CreateFileSquentialAccess table("P_CURSOR\\P_CURSOR.STR");
    sc_CreateFileSquentialAccess blocks("P_CURSOR\\P_CURSOR.IMG");
    sc_GameImageData pack;
    ASSERT_TRUE(pack.bReadSplit(table, &blocks, nullptr));
    EXPECT_EQ(pack.lGetObjectCount(), 1);
    EXPECT_EQ(pack.lGetDirCount(0, 0), 2);
    EXPECT_EQ(packtest::Whole(*pack.pGetDir(0, 0, 1)), packtest::Whole(*cross));
    cache.vFree(arrow);
    cache.vFree(cross);
}

} // namespace
