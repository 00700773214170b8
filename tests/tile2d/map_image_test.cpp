// Loading of the ground files, the byte run-length unpacker, the tile
// animations and the map image's own view and scroll arithmetic.
#include "tests/tile2d/map_image_fixture.h"

#include <gmock/gmock.h>

using namespace t2dtest;
using ::testing::Contains;
using Reasons = std::vector<std::string>;

namespace {

TEST(MapImageUnpack, RunsLiteralsAndTheEndOffset) {
    const Bytes block{0xFF, 9, 0, 0, 0, 0x41, 0xFF, 3, 0x42};
    Bytes out(8, 0xEE);
    EXPECT_EQ(l_UnpackRle8(block.data(), static_cast<uint32_t>(block.size()), out.data(), 8), 4u);
    EXPECT_EQ(out, (Bytes{0x41, 0x42, 0x42, 0x42, 0xEE, 0xEE, 0xEE, 0xEE}));

    // A count of 0 writes nothing; the end offset stops reading even when
    // more bytes follow.
    const Bytes zero{0x00, 11, 0, 0, 0, 0x00, 0, 0x77, 0x05, 0x00, 2, 0x06, 0x07};
    out.assign(8, 0xEE);
    EXPECT_EQ(l_UnpackRle8(zero.data(), static_cast<uint32_t>(zero.size()), out.data(), 8), 3u);
    EXPECT_EQ(out, (Bytes{0x05, 0x06, 0x06, 0xEE, 0xEE, 0xEE, 0xEE, 0xEE}));

    // The end is tested after each unit, so one unit is read whatever it says.
    const Bytes early{0xFF, 0, 0, 0, 0, 0x10, 0x11};
    out.assign(8, 0xEE);
    EXPECT_EQ(l_UnpackRle8(early.data(), static_cast<uint32_t>(early.size()), out.data(), 8), 1u);
    EXPECT_EQ(out[0], 0x10);
}

TEST(MapImageUnpack, StaysInsideBothBuffers) {
    // An end offset past the block stops at the bytes there are; a run cut
    // off after its escape is dropped.
    const Bytes cut{0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 1, 2, 0xFF, 9};
    Bytes out(16, 0xEE);
    bool overflow = true;
    EXPECT_EQ(l_UnpackRle8(cut.data(), static_cast<uint32_t>(cut.size()), out.data(), 16, &overflow), 2u);
    EXPECT_FALSE(overflow);

    // A block that unpacks to more than the output holds fills it and says so.
    const Bytes big{0xFF, 20, 0, 0, 0, 0xFF, 200, 1, 0xFF, 200, 2};
    out.assign(16, 0xEE);
    EXPECT_EQ(l_UnpackRle8(big.data(), static_cast<uint32_t>(big.size()), out.data(), 10, &overflow), 10u);
    EXPECT_TRUE(overflow);
    EXPECT_EQ(out[9], 1);
    EXPECT_EQ(out[10], 0xEE);

    for (uint32_t n = 0; n < 5; ++n)
        EXPECT_EQ(l_UnpackRle8(big.data(), n, out.data(), 16), 0u);
}

TEST_F(MapImageTest, LoadReadsHeaderGridAndBank) {
    MapGrid grid(300, 280);
    grid.Set(5, 6, 0x4001);
    Bank bank;
    bank.Add(DotTile(0x1234));
    Bytes ani;
    PutAnimation(ani, 9, 3, 6, 8, 2);
    PutMap(12, MapInfo(7, 100, 50, 2500, 1850, {0xA4, 0x40, 0xA4, 0x41, 0xA4}), ani, grid);
    PutBank(7, bank);

    EXPECT_EQ(l_LoadMapImage(12), 1);
    ASSERT_NE(g_pMapImage, nullptr);
    EXPECT_EQ(l_GetMapImageWidth(), 2400);
    EXPECT_EQ(l_GetMapImageHeight(), 1800);
    EXPECT_EQ(g_pMapImage->lGetPuzzle(), 7u);
    EXPECT_EQ(g_pMapImage->cGetNameLength(), 2); // five bytes, halved
    EXPECT_EQ(g_pMapImage->lGetMapWidth(), 300);
    EXPECT_EQ(g_pMapImage->lGetMapHeight(), 280);
    ASSERT_NE(g_pMapImage->pGetMap(), nullptr);
    EXPECT_EQ(Get16(Bytes(g_pMapImage->pGetMap(), g_pMapImage->pGetMap() + kMapGridBytes),
                    4 + (6 * 512 + 5) * 2),
              0x4001);
    EXPECT_EQ(g_pMapImage->lGetTileTableSize(), 4u);

    ASSERT_EQ(g_pMapImage->bGetAnimationCount(), 1);
    const ss_MapAnimation& a = g_pMapImage->rGetAnimation(0);
    EXPECT_EQ(a.lId, 9u);
    EXPECT_EQ(a.bFrames, 4);
    EXPECT_EQ(a.lPeriod, 125u);
    EXPECT_EQ(a.cFrame, 2);
    EXPECT_EQ(a.bMode, 0);
    EXPECT_EQ(a.lLastStep, Backend().Now());

    // A full name counts 18 bytes.
    Put(Name(12, "mi"), MapInfo(7, 0, 0, 10, 10, Bytes(18, 0xB0)));
    l_LoadMapImage(12);
    EXPECT_EQ(g_pMapImage->cGetNameLength(), 9);

    // A side that ends before it starts, or spans more than a signed size,
    // has no size; a whole header exactly 448 bytes long is read.
    const uint32_t rects[][6] = {{500, 400, 100, 300, 0, 0},
                                 {0, 0, 0x80000000u, 0x7FFFFFFFu, 0, 0x7FFFFFFF},
                                 {7, 9, 7, 10, 0, 1}};
    for (const auto& r : rects) {
        Put(Name(12, "mi"), MapInfo(7, r[0], r[1], r[2], r[3]));
        l_LoadMapImage(12);
        EXPECT_EQ(l_GetMapImageWidth(), static_cast<int32_t>(r[4])) << r[0] << ".." << r[2];
        EXPECT_EQ(l_GetMapImageHeight(), static_cast<int32_t>(r[5])) << r[1] << ".." << r[3];
    }
}

// The files in memory load and draw exactly as the named files do; absent
// ones are reported as files that did not open.
TEST_F(MapImageTest, FilesInMemoryLoadAsTheNamedFilesDo) {
    MapGrid grid(511, 511);
    for (uint32_t c = 250; c < 290; ++c)
        grid.Set(c, c - 245, static_cast<uint16_t>(1 + c % 2));
    Bank bank;
    bank.Add(DotTile(0x1234));
    bank.Add(DotTile(0x0421));
    Bytes ani;
    PutAnimation(ani, 1, 1, 2, 10, 0);
    const Bytes mi = MapInfo(6, 0, 0, 800, 600), packed = PackRle8(grid.b);
    PutMap(3, mi, ani, grid);
    PutBank(6, bank);
    ASSERT_EQ(l_LoadMapImage(3), 1);
    v_SetMapImageView(0, 0);
    v_ShowMapImage();
    const std::vector<uint16_t> named = Pixels();
    ASSERT_NE(std::count(named.begin(), named.end(), 0x0421), 0);
    l_FreeMapImage();

    Init(800, 600);
    ASSERT_EQ(l_LoadMapImage({mi, ani, packed}, {bank.data, bank.table}), 1);
    v_SetMapImageView(0, 0);
    v_ShowMapImage();
    EXPECT_EQ(Pixels(), named);
    EXPECT_EQ(g_pMapImage->bGetAnimationCount(), 1);

    krxtest::TraceCapture trace;
    EXPECT_EQ(l_LoadMapImage({std::nullopt, std::nullopt, packed}, {std::nullopt, bank.table}), 1);
    EXPECT_EQ(MapReasons(trace), (Reasons{"Open Map *.mi file Error !", "Open Map *.ani file Error !",
                                          "Open Map Image Data file Error !"}));
    EXPECT_EQ(g_pMapImage->pGetTileData(), nullptr);
}

TEST_F(MapImageTest, MissingFilesKeepWhatAnEarlierLoadHeld) {
    MapGrid grid(511, 511);
    grid.Set(260, 4, 1);
    Bank bank;
    bank.Add(DotTile(0x1234));
    Bytes ani;
    PutAnimation(ani, 1, 1, 2, 10, 0);
    PutMap(1, MapInfo(3, 0, 0, 800, 600), ani, grid);
    PutBank(3, bank);
    ASSERT_EQ(l_LoadMapImage(1), 1);

    // Map 2 has only a header of its own, and that one is short: it fails
    // as a missing one does.
    Put(Name(2, "mi"), Bytes(kMapInfoBytes - 1, 0));
    std::optional<krxtest::TraceCapture> trace(std::in_place);
    EXPECT_EQ(l_LoadMapImage(2), 1);
    EXPECT_EQ(MapReasons(*trace), (Reasons{"Open Map *.mi file Error !", "Open Map *.ani file Error !",
                                           "Open Map *.map file Error !"}));
    // Each line names the file as the layer opened it.
    ASSERT_EQ(trace->Lines().size(), 3u);
    EXPECT_EQ(trace->Lines()[0].source, "map\\wrd00002.mi");
    EXPECT_EQ(trace->Lines()[2].source, "map\\wrd00002.map");
    EXPECT_EQ(l_GetMapImageWidth(), 800);
    EXPECT_EQ(g_pMapImage->bGetAnimationCount(), 0);
    // The grid comes again from the packed map held from map 1.
    EXPECT_EQ(g_pMapImage->pGetMap()[4 + (4 * 512 + 260) * 2], 1);

    Remove(Name(2, "mi"));
    trace.emplace();
    l_LoadMapImage(2);
    EXPECT_EQ(MapReasons(*trace), (Reasons{"Open Map *.mi file Error !", "Open Map *.ani file Error !",
                                           "Open Map *.map file Error !"}));
    EXPECT_EQ(l_GetMapImageHeight(), 600);
}

// A ground file cut short is used as far as it goes and named: a packed map
// before the end its header states, tile data before a tile of the table,
// a table inside an entry.
TEST_F(MapImageTest, ACutGroundFileIsNamedAndReadAsFarAsItGoes) {
    MapGrid grid(511, 511);
    grid.Set(260, 4, 1);
    Bank bank;
    bank.Add(DotTile(0x1234));
    bank.Add(DotTile(0x4321));
    const Bytes packed = PackRle8(grid.b);
    const struct {
        std::string file;
        Bytes whole;
        size_t keep;
        const char* reason;
    } cases[] = {
        {Name(1, "map"), packed, packed.size() / 2, "Map *.map file ends before its runs do !"},
        {BankName("Zdat", 3), bank.data, bank.data.size() / 2, "Map Image Data file ends before a tile of the table !"},
        {BankName("Ztab", 3), bank.table, bank.table.size() - 1, "Map Image Table file ends inside an entry !"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.file);
        PutMap(1, MapInfo(3, 0, 0, 800, 600), {}, grid);
        PutBank(3, bank);
        Put(c.file, Bytes(c.whole.begin(), c.whole.begin() + static_cast<std::ptrdiff_t>(c.keep)));
        krxtest::TraceCapture trace;
        ASSERT_EQ(l_LoadMapImage(1), 1);
        EXPECT_EQ(MapReasons(trace), Reasons{c.reason});
        std::string opened = c.file;
        std::replace(opened.begin(), opened.end(), '/', '\\');
        EXPECT_EQ(trace.Lines().back().source, opened);
        EXPECT_EQ(g_pMapImage->pGetMap()[4 + (4 * 512 + 260) * 2], 1);
        EXPECT_NE(g_pMapImage->pGetTileTable(), nullptr);
    }
}

TEST_F(MapImageTest, AMissingBankHalfLeavesNoBank) {
    MapGrid grid(511, 511);
    for (uint32_t c = 0; c < 512; ++c)
        for (uint32_t r = 0; r < 511; ++r)
            grid.Set(c, r, 1);
    Bank bank;
    bank.Add(DotTile(0x1234));
    PutMap(1, MapInfo(4, 0, 0, 800, 600), {}, grid);
    PutBank(4, bank);
    ASSERT_EQ(l_LoadMapImage(1), 1);
    v_SetMapImageView(0, 0);
    v_ShowMapImage();
    EXPECT_NE(std::count(m_buf.begin(), m_buf.end(), 0x1234), 0);

    // Without the data the table still loads, but nothing stale is drawn.
    Remove(BankName("Zdat", 4));
    std::optional<krxtest::TraceCapture> trace(std::in_place);
    EXPECT_EQ(l_LoadMapImage(1), 1);
    EXPECT_EQ(MapReasons(*trace), Reasons{"Open Map Image Data file Error !"});
    EXPECT_EQ(g_pMapImage->pGetTileData(), nullptr);
    Clear();
    v_ShowMapImage();
    EXPECT_EQ(std::count(m_buf.begin(), m_buf.end(), 0), static_cast<long>(m_w * m_h));

    PutBank(4, bank);
    Remove(BankName("Ztab", 4));
    trace.emplace();
    EXPECT_EQ(l_LoadMapImage(1), 0);
    EXPECT_EQ(MapReasons(*trace), Reasons{"Open Map Image Table file Error !"});
    EXPECT_EQ(g_pMapImage->pGetTileTable(), nullptr);
    v_ShowMapImage();
    EXPECT_EQ(std::count(m_buf.begin(), m_buf.end(), 0), static_cast<long>(m_w * m_h));
}

TEST_F(MapImageTest, NoMapFilesAtAllGiveAnEmptyGround) {
    krxtest::TraceCapture trace;
    EXPECT_EQ(l_LoadMapImage(5), 0);
    EXPECT_EQ(MapReasons(trace), (Reasons{"Open Map *.mi file Error !", "Open Map *.ani file Error !",
                                          "Open Map *.map file Error !", "Open Map Image Data file Error !",
                                          "Open Map Image Table file Error !"}));
    ASSERT_NE(g_pMapImage, nullptr);
    EXPECT_EQ(g_pMapImage->lGetMapWidth(), 0);
    EXPECT_EQ(l_GetMapImageWidth(), 0);
    v_SetMapImageView(0, 0);
    v_ShowMapImage();
    EXPECT_EQ(std::count(m_buf.begin(), m_buf.end(), 0), static_cast<long>(m_w * m_h));
}

TEST_F(MapImageTest, UnpackedMapAndNumberedPuzzleFolder) {
    MapGrid grid(40, 50);
    grid.Set(1, 2, 3);
    Put(Name(8, "map"), Bytes(grid.b.begin(), grid.b.begin() + 5000)); // the rest of the grid stays empty
    Put(Name(8, "mi"), MapInfo(1, 0, 0, 64, 32));
    sc_MapImage m;
    EXPECT_TRUE(m.bLoadMap(8));
    EXPECT_EQ(m.lGetMapWidth(), 40);
    EXPECT_EQ(m.lGetMapHeight(), 50);
    EXPECT_EQ(m.pGetMap()[4 + (2 * 512 + 1) * 2], 3);
    EXPECT_EQ(m.pGetMap()[kMapGridBytes - 1], 0);
    EXPECT_EQ(m.pGetMapRect()[2], 64u);

    // An empty map file gives an empty grid: its buffer is null, which must
    // not reach memcpy (UBSan stops on it).
    Put(Name(8, "map"), {});
    EXPECT_TRUE(m.bLoadMap(8));
    ASSERT_NE(m.pGetMap(), nullptr);
    EXPECT_EQ(m.lGetMapWidth(), 0);
    EXPECT_EQ(m.lGetMapHeight(), 0);
    EXPECT_EQ(m.pGetMap()[4 + (2 * 512 + 1) * 2], 0);

    // The numbered folder's bank is read as stored, not converted.
    Bank bank;
    bank.Add(RgbTile(true, AnchorWord(0, 0), 1, 1, TestPalette(), {0x3F, 1}));
    Put("puzzle/3/Zdat0002", bank.data);
    Put("puzzle/3/Ztab0002", bank.table);
    EXPECT_TRUE(m.bLoadPuzzle(3, 2));
    ASSERT_EQ(m.lGetTileDataSize(), bank.data.size());
    EXPECT_TRUE(std::equal(bank.data.begin(), bank.data.end(), m.pGetTileData()));
    EXPECT_FALSE(m.bLoadPuzzle(3, 9));
}

TEST_F(MapImageTest, AnimationRecordsAreBounded) {
    // Thirty-two records fill the thirty slots only; a rate of 0 stands still.
    Bytes ani;
    for (uint32_t i = 0; i < 32; ++i)
        PutAnimation(ani, i, 10, 12, i == 0 ? 0 : 10, 0);
    ani.push_back(0x99); // a partial record is not one
    PutMap(1, MapInfo(1, 0, 0, 10, 10), ani, MapGrid(0, 0));
    l_LoadMapImage(1);
    sc_MapImage& m = *g_pMapImage;
    EXPECT_EQ(m.bGetAnimationCount(), 30);
    EXPECT_EQ(m.rGetAnimation(29).lId, 29u);
    EXPECT_EQ(m.rGetAnimation(0).lPeriod, 0u);
    Backend().Wait(5000);
    EXPECT_FALSE(m.bAnimationDue(0));
    EXPECT_TRUE(m.bAnimationDue(1));
    EXPECT_FALSE(m.bAnimationDue(30));
    m.vAnimate();
    EXPECT_EQ(m.rGetAnimation(0).cFrame, 0);
    EXPECT_EQ(m.rGetAnimation(1).cFrame, 0); // its step was taken by the test above
    EXPECT_EQ(m.rGetAnimation(2).cFrame, 1);

    // The record count is kept in 8 bits before the slots bound it: 260
    // records count as 4, 256 as none.
    for (const uint32_t records : {260u, 256u}) {
        Bytes many;
        for (uint32_t i = 0; i < records; ++i)
            PutAnimation(many, 100 + i, 1, 2, 10, 0);
        PutMap(2, MapInfo(1, 0, 0, 10, 10), many, MapGrid(0, 0));
        l_LoadMapImage(2);
        EXPECT_EQ(g_pMapImage->bGetAnimationCount(), records & 0xFF) << records;
    }
}

TEST_F(MapImageTest, AnimationsStepOnTheClock) {
    Bytes ani;
    PutAnimation(ani, 1, 4, 6, 10, 0); // 3 frames, 100 ms
    PutAnimation(ani, 2, 4, 6, 10, 1);
    PutMap(1, MapInfo(1, 0, 0, 10, 10), ani, MapGrid(0, 0));
    l_LoadMapImage(1);
    sc_MapImage& m = *g_pMapImage;
    m.rGetAnimation(0).bMode = 1;

    Backend().Wait(99);
    EXPECT_FALSE(m.bAnimationDue(0));
    Backend().Wait(1);
    EXPECT_TRUE(m.bAnimationDue(0));
    EXPECT_FALSE(m.bAnimationDue(0));
    m.rGetAnimation(0).lLastStep -= 100;

    // A bouncing animation shows each end frame for two steps; a looping one
    // wraps.
    std::vector<int> bounce{m.rGetAnimation(0).cFrame}, loop{m.rGetAnimation(1).cFrame};
    for (int i = 0; i < 7; ++i) {
        m.vAnimateBounce();
        bounce.push_back(m.rGetAnimation(0).cFrame);
        loop.push_back(m.rGetAnimation(1).cFrame);
        m.vAnimateBounce(); // too soon: no step
        EXPECT_EQ(m.rGetAnimation(0).cFrame, bounce.back());
        Backend().Wait(100);
    }
    EXPECT_EQ(bounce, (std::vector<int>{0, 1, 2, 2, 1, 0, 0, 1}));
    EXPECT_EQ(loop, (std::vector<int>{1, 2, 0, 1, 2, 0, 1, 2}));

    // A clock behind the last step counts from the last step.
    m.rGetAnimation(1).lLastStep = Backend().Now() + 1000;
    EXPECT_FALSE(m.bAnimationDue(1));
}

TEST(MapImageView, TileAndPixelConversion) {
    sc_MapImage m;
    m.vSetViewTile(300, 40);
    m.vTileToPixel();
    EXPECT_EQ(m.lGetViewPixelX(), 10880u);
    EXPECT_EQ(m.lGetViewPixelY(), 12224u);
    m.vSetViewTile(0, 0);
    m.vPixelToTile();
    EXPECT_EQ(m.wGetViewColumn(), 300);
    EXPECT_EQ(m.wGetViewRow(), 40);

    // Pulled in against the rectangle: the middle case, then each edge.
    struct Case {
        uint32_t l, t, r, b, x, y;
    };
    const Case cases[] = {
        {0, 0, 20000, 20000, 10880 - 864, 12224 - 736},
        {11000, 12000, 20000, 20000, 11000 - 544, 12000 - 448},
        {0, 0, 11000, 12300, 11000 - 1200, 12300 - 920},
    };
    for (const Case& k : cases) {
        m.vSetView(300, 40, k.l, k.t, k.r, k.b);
        EXPECT_EQ(m.lGetViewPixelX(), k.x);
        EXPECT_EQ(m.lGetViewPixelY(), k.y);
        const int32_t d = static_cast<int32_t>(k.x) - 2 * static_cast<int32_t>(k.y);
        const int32_t s = static_cast<int32_t>(k.x) + 2 * static_cast<int32_t>(k.y);
        auto floorDiv = [](int32_t v) { return v >= 0 ? v / 64 : -((-v + 63) / 64); };
        EXPECT_EQ(m.wGetViewColumn(), static_cast<uint16_t>(floorDiv(d) + 512));
        EXPECT_EQ(m.wGetViewRow(), static_cast<uint16_t>(floorDiv(s) - 512));
    }
}

TEST_F(MapImageTest, ScrollStepsAgainstTheMapRectangle) {
    PutMap(1, MapInfo(1, 100, 100, 500, 500), {}, MapGrid(0, 0));
    l_LoadMapImage(1);
    sc_MapImage& m = *g_pMapImage;
    auto at = [&](uint32_t x, uint32_t y) {
        m.vSetViewRect(x, y);
        return &m;
    };
    auto xy = [&] { return std::pair{m.pGetViewRect()[0], m.pGetViewRect()[1]}; };
    at(100, 100)->vScroll(0);
    EXPECT_EQ(xy(), std::pair(100u, 98u));
    at(100, 99)->vScroll(0);
    EXPECT_EQ(xy(), std::pair(100u, 98u));
    at(500, 0)->vScroll(2);
    EXPECT_EQ(xy(), std::pair(502u, 0u));
    at(501, 0)->vScroll(2);
    EXPECT_EQ(xy(), std::pair(502u, 0u));
    at(0, 500)->vScroll(4);
    EXPECT_EQ(xy(), std::pair(0u, 502u));
    at(0, 501)->vScroll(4);
    EXPECT_EQ(xy(), std::pair(0u, 502u));
    at(100, 0)->vScroll(6);
    EXPECT_EQ(xy(), std::pair(98u, 0u));
    at(99, 0)->vScroll(6);
    EXPECT_EQ(xy(), std::pair(98u, 0u));
    for (uint32_t d : {1u, 3u, 5u, 7u, 8u, 0xFFFFFFFFu}) {
        at(300, 300)->vScroll(d);
        EXPECT_EQ(xy(), std::pair(300u, 300u));
    }
    // Only x and y move.
    at(10, 20)->vScroll(2);
    EXPECT_EQ(m.pGetViewRect()[2], 650u);
    EXPECT_EQ(m.pGetViewRect()[3], 500u);
}

TEST_F(MapImageTest, FreeingLetsGoOfTablesAndObject) {
    PutMap(1, MapInfo(1, 0, 0, 640, 480), {}, MapGrid(0, 0));
    l_LoadMapImage(1);
    ASSERT_NE(g_pMapImage, nullptr);
    ASSERT_NE(g_oGfx.pMultiply, nullptr);
    EXPECT_EQ(l_FreeMapImage(), 1);
    EXPECT_EQ(g_pMapImage, nullptr);
    EXPECT_EQ(g_oGfx.pMultiply, nullptr);
    EXPECT_EQ(g_oGfx.apAdd[2], nullptr);
    EXPECT_EQ(l_GetMapImageWidth(), 0);
    v_ShowMapImage(); // nothing to draw
    v_DeleteMapImage();

    ASSERT_EQ(l_InitMapImage(0, m_buf.data() + kGuard, 800, 600), 1);
    v_OpenMapImage(1);
    ASSERT_NE(g_pMapImage, nullptr);
    EXPECT_EQ(l_GetMapImageWidth(), 640);
    // Set-up: mode, tables and the selected surface.
    EXPECT_EQ(g_oGfx.lRedMask, 0x7C00u);
    EXPECT_EQ(g_oGfx.oSurface.pPixels, m_buf.data() + kGuard);
    EXPECT_EQ(g_oGfx.oSurface.lWidth, 800u);
    EXPECT_EQ(g_oGfx.pScreenEnd - g_oGfx.pScreenStart, 800 * 600 * 2);
    EXPECT_EQ(g_oGfx.pMultiply[63 * 64 + 31], 31);
    EXPECT_EQ(g_oGfx.apAdd[0][20 * 256 + 20], 31);
}

// Every file cut short at many places, and corrupt counts, offsets and sizes:
// loading and drawing must stay inside what was read (run under ASan).
TEST_F(MapImageTest, TruncatedAndCorruptFilesAreSafe) {
    MapGrid grid(511, 511);
    for (uint32_t c = 200; c < 320; ++c)
        for (uint32_t r = 0; r < 60; ++r)
            grid.Set(c, r, static_cast<uint16_t>((1 + (c + r) % 4) | ((c & 3) == 0 ? 0x4000 : 0)));
    const std::vector<uint16_t> pal = TestPalette();
    std::vector<uint8_t> idx(64 * 31);
    for (size_t i = 0; i < idx.size(); ++i)
        idx[i] = static_cast<uint8_t>(i / 7 % 5);
    Bank bank;
    bank.Add(FlatTile(AnchorWord(0, 0), 9, 64, 31, pal, KeyRuns(idx, 9)));
    Bytes codes;
    for (int i = 0; i < 64 * 31; ++i)
        codes.insert(codes.end(), {static_cast<uint8_t>(i % 64), static_cast<uint8_t>(i)});
    Bytes rgb{'N', '@'};
    for (int i = 0; i < 768; ++i)
        rgb.push_back(static_cast<uint8_t>(i));
    rgb.resize(770);
    rgb.push_back(1);
    rgb.resize(796);
    Put32(rgb, AnchorWord(-3, 2));
    Put32(rgb, 64 | 31 << 16);
    rgb.insert(rgb.end(), codes.begin(), codes.end());
    bank.Add(rgb);
    bank.Add(FlatTile(AnchorWord(0, 0), 9, 64, 31, pal, KeyRuns(idx, 9)));
    bank.AddEntry(0x80000000u);
    Bytes ani;
    PutAnimation(ani, 1, 1, 2, 3, 4);
    const Bytes mi = MapInfo(1, 0, 0, 2400, 1800);
    const Bytes packed = PackRle8(grid.b);

    auto loadAndDraw = [&] {
        l_LoadMapImage(1);
        const uint32_t views[][2] = {{0, 0}, {333, 17}, {0xFFFFFF00u, 0xFFFFFFF0u}};
        for (const auto& v : views) {
            v_SetMapImageView(v[0], v[1]);
            v_ShowMapImage();
        }
        EXPECT_TRUE(GuardsIntact());
    };
    struct File {
        std::string name;
        Bytes bytes;
    };
    const File files[] = {{Name(1, "mi"), mi},
                          {Name(1, "ani"), ani},
                          {Name(1, "map"), packed},
                          {BankName("Zdat", 1), bank.data},
                          {BankName("Ztab", 1), bank.table}};
    for (const File& f : files)
        Put(f.name, f.bytes);
    krxtest::TraceCapture trace;
    loadAndDraw();
    for (const File& f : files) {
        SCOPED_TRACE(f.name);
        const size_t n = f.bytes.size();
        for (size_t cut : {size_t{0}, size_t{1}, size_t{4}, size_t{5}, size_t{13}, n / 3, n / 2, n - 1}) {
            if (cut >= n) continue;
            Put(f.name, Bytes(f.bytes.begin(), f.bytes.begin() + static_cast<long>(cut)));
            loadAndDraw();
        }
        Put(f.name, f.bytes);
    }

    // Corrupt values: tile offsets and numbers beyond the bank, image sizes
    // far beyond their data, an end offset far past the packed map.
    Bank bad = bank;
    bad.AddEntry(static_cast<uint32_t>(bad.data.size()) - 1);
    bad.AddEntry(0x7FFFFFFF);
    bad.data[517] = 0xFF;
    bad.data[518] = 0xFF;
    bad.data[519] = 0xFF;
    bad.data[520] = 0xFF;
    PutBank(1, bad);
    for (uint32_t c = 200; c < 320; ++c)
        grid.Set(c, 30, static_cast<uint16_t>(c % 8 + 1));
    grid.Set(201, 31, 0x3FFF);
    Bytes huge = PackRle8(grid.b);
    huge[1] = huge[2] = huge[3] = huge[4] = 0xFF;
    huge.insert(huge.end(), {0xFE, 0xFF, 0x01, 0xFE, 0xFF, 0x02});
    Put(Name(1, "map"), huge);
    loadAndDraw();
    // A packed map that would overrun the grid is cut at its end.
    Bytes flood{0xFE, 0, 0, 0, 0};
    for (uint32_t i = 0; i < kMapGridBytes / 255 + 10; ++i)
        flood.insert(flood.end(), {0xFE, 255, 0x01});
    flood[1] = static_cast<uint8_t>(flood.size());
    flood[2] = static_cast<uint8_t>(flood.size() >> 8);
    flood[3] = static_cast<uint8_t>(flood.size() >> 16);
    Put(Name(1, "map"), flood);
    loadAndDraw();
    EXPECT_THAT(MapReasons(trace), Contains("Map *.map file unpacks beyond the map grid !"));
    EXPECT_EQ(g_pMapImage->pGetMap()[kMapGridBytes - 1], 0x01);
}

} // namespace
